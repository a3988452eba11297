// Scenery drawn with its own parallax against the camera, optionally repeated across the screen.
// The stages spawn the instances and set their factors; the type has no placement keys.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/ObjectType.h"

struct ParaSpriteRecord {
    ObjectHeader* header; // x, y: the world anchor; spawn A: draw layer; spawn B: animation
    AnimPlayer anim;
    u8 repeatX, repeatY;
    f64 parallaxX, parallaxY; // share of the camera scroll the sprite follows (1: fixed on screen)
    f64 vx, vy;               // drift in pixels a tick
};

// Where the copies of a sprite go on screen: the first copy's position and how many copies run
// across and down.
struct ParaSpriteTiling {
    f64 x, y;
    u32 across, down;
};

extern ObjectType ParaSprite;
extern ParaSpriteRecord** paraSpriteInstances;
extern AnimSet paraSpriteAnimSet;

// The tiling of a sprite whose frame is `width` pixels wide at the given scroll, for a screen of
// screenW x screenH. A width below 1 gives no copies.
ParaSpriteTiling ParaSpriteLayout(const ParaSpriteRecord* sprite, i32 width, i32 scrollX, i32 scrollY, i32 screenW,
                                  i32 screenH);

void ParaSpriteLoad(const char* placementPath);
void ParaSpriteUnload();
void ParaSpriteInit(void* instance);
void ParaSpriteReset(void* instance);
void ParaSpriteUpdate(void* instance);
void ParaSpriteDraw(void* instance);
