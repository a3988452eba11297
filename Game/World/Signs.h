// Text signs. TutTxt, the Graveyard's tutorial sign: walking into it freezes the player while a
// panel at the top right types out its pages, one character a tick. TestText: a typewriter text
// that reveals a test text at a fixed rate.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/Braktext.h"
#include "Engine/Common/ObjectType.h"

// The header's flash byte is the panel's alpha (0-96).
struct TutTxtRecord {
    ObjectHeader* header;
    AnimPlayer anim;
    u16 page;  // the page shown
    u16 shown; // units shown of the page
    i16 pageTimer;
    u8 active;
    u8 start; // placement key "start": the first page
    u8 end;   // placement key "end": the last page
    u8 rearm; // after the last page: set until the player has stepped off the sign
};

constexpr u32 tutorialTextCount = 12;
constexpr u32 tutorialPageCount = 20; // ten pages for each grapple style
// The page's box inside the panel at the top right: its corner on screen and its size. The text
// breaks its lines at the box's width; the panel behind it is 80 pixels tall.
constexpr f32 tutorialBoxX = 208.0f, tutorialBoxY = 4.0f;
constexpr i32 tutorialBoxWidth = 212, tutorialBoxHeight = 72;

extern ObjectType TutTxt;
extern TutTxtRecord** tutTxtInstances;
extern AnimSet tutorialAnimSet;
extern TextBlock tutorialTexts[tutorialTextCount];
extern TextBlock* tutorialPages[tutorialPageCount];
extern u32 tutTxtTouchSound, tutTxtTouchSound2;

void TutTxtLoad(const char* placementPath);
void TutTxtUnload();
void TutTxtInit(void* instance);
void TutTxtReset(void* instance);
void TutTxtUpdate(void* instance);
void TutTxtLateUpdate(void* instance);
void TutTxtDraw(void* instance);

// The text of a page for the configured grapple style; null past the table.
TextBlock* TutorialPageText(u32 page);

struct TestTextRecord {
    ObjectHeader* header;
    i32 widthLimit;
    TextBlock* text; // shared by every instance
    u16 shown;
    u16 interval; // ticks a character
    i32 sound;    // 0: none
};

extern ObjectType TestText;
extern TestTextRecord** testTextInstances;
extern TextBlock testTextBlock;

void TestTextLoad(const char* placementPath);
void TestTextUnload();
void TestTextInit(void* instance);
void TestTextUpdate(void* instance);
void TestTextDraw(void* instance);
