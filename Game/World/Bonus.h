// The bonus text: three glyphs that rise one after another over a player who gained health or a
// life, hold there, then speed upward as they fade. Spawn byte A is the animation to show, spawn
// byte B the player's index.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/ObjectType.h"

// Phases of a glyph.
enum : u8 {
    GlyphRising = 0,
    GlyphHolding = 1,
    GlyphLeaving = 2,
};

struct BonusGlyph {
    u8 active;
    u16 alpha; // 0-255; its low byte is the blend level
    u8 phase;
    f32 rise; // pixels above the player
    u32 hold; // ticks left to hold
};

struct BonusRecord {
    ObjectHeader* header;
    AnimPlayer anim; // not advanced
    u32 playerIndex;
    BonusGlyph glyphs[3];
};

extern ObjectType Bonus;
extern BonusRecord** bonusInstances;
extern AnimSet bonusAnimSet;
// Ticks toward starting the next glyph; shared by every Bonus.
extern u32 bonusStagger;

void BonusLoad(const char* placementPath);
void BonusUnload();
void BonusInit(void* instance);
void BonusReset(void* instance);
void BonusUpdate(void* instance);
void BonusDraw(void* instance);
