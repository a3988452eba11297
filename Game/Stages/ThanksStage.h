// "Thanks For Playing!": a field of stars flying out of the dark behind the thanks picture; a
// press of Jump, Attack, Start or binding slot 5 fades out and goes on to "The Bone Zone".
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/Types.h"

struct Star {
    f32 x, y;
    f32 z;    // depth: 1.0 is drawn at unit scale, nearer is larger
    u8 phase; // the star's frame offset
};

constexpr int starCount = 256;
// Player 1's pressed bits that leave the stage: Jump, slot 5, Attack, Start.
constexpr u32 thanksLeaveMask = 0x170;

extern Star stars[starCount];
extern f32 starDepths[starCount];
extern u8 starDrawn[starCount];
extern AnimSet starSet;
extern u8 starPalette;
extern AnimPlayer starPlayer;
extern u32 thanksFadeIndex;
extern u8 thanksLeaving;

// How a star at depth z is drawn: its scale (512 = 1.0) and its blend.
struct StarLook {
    i32 scale;
    u32 blendMode;
    u32 blendLevel;
};
StarLook StarLookAt(f32 z);

// The ascending order of depths handed to qsort.
int CompareThanksEntries(const void* a, const void* b);

void ThanksStageLoad();
void ThanksStageUnload();
void ThanksStageStart();
void ThanksStageFrame();
