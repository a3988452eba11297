// The title card: two words over the screen for 200 ticks, with two bars that sweep in and out.
// Each word is an animation of "Card.man" whose frames are its letters; the letters fly in, hold
// and fly out.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/ObjectType.h"

struct CardSprite {
    f32 x, y; // screen
    f32 vx, vy;
    f32 scaleX, scaleY;
    f32 alpha; // 0-255
    f32 homeX, homeY;
    f32 targetX, targetY;
};

constexpr u32 cardMaxLetters = 32;

struct CardRecord {
    ObjectHeader* header;
    CardSprite bars[2]; // 0 sweeps in from the right, 1 drops in from the top
    CardSprite firstWord[cardMaxLetters];
    CardSprite secondWord[cardMaxLetters];
    AnimPlayer barAnim, firstAnim, secondAnim;
    u8 firstCount, secondCount;
    u16 timer; // ticks since Init
};

constexpr u16 cardLifeTicks = 201;

extern ObjectType Card;
extern CardRecord** cardInstances;
extern AnimSet cardAnimSet;

void CardLoad(const char* placementPath);
void CardUnload();
void CardInit(void* instance);
void CardReset(void* instance);
void CardUpdate(void* instance);
void CardDraw(void* instance);
