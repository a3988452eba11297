// The thanks picture: a row of letters breathing along a sine wave, with the thanks text centred
// below it. The foreground of the "Thanks For Playing!" stage; the stage draws the stars behind.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/Braktext.h"
#include "Engine/Common/ObjectType.h"

struct ThanksScreenRecord {
    ObjectHeader* header;
};

extern ObjectType ThanksScreen;
extern ThanksScreenRecord** thanksScreenInstances;
extern AnimSet thanksScreenAnimSet; // every animation a word, every frame a letter
extern TextBlock thanksScreenText;

void ThanksScreenLoad(const char* placementPath);
void ThanksScreenUnload();
void ThanksScreenDraw(void* instance);

// Where the picture puts things, so a layout can be checked without drawing.
constexpr f32 thanksTextTop = 80.0f;
constexpr i32 thanksLetterY = 50;
// The text box: truncate(width / 1.2) wide, centred.
i32 ThanksTextBoxWidth(i32 width);
f32 ThanksTextBoxLeft(i32 width);
// The breathing scale of letter k at a demoSeed value (0.8 to 1.2).
f32 ThanksLetterScale(u32 seed, u32 letter);
// The x at which letter `letter` (counted through all words) is drawn: each letter is placed from
// the unscaled widths of those before it, overlapping by 10 pixels, with 10 more between words.
// -1 when the set has fewer letters.
i32 ThanksLetterX(const AnimSet* set, u32 letter);
