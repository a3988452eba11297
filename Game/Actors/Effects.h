// Short-lived effects that other objects spawn: Explosion (hit sparks, death bursts, smoke), FX
// (the player's particles) and Giblets (tumbling debris). Each instance plays the animation of its
// type's set that spawn byte A names and moves by its own speeds. None is placed or named.
//
// Spawn bytes:
//   Explosion  A: the mode below (also the animation); B non-zero: faces right, and mode 1 drifts
//              right.
//   FX         A: the mode below (also the animation); B: mode 0's first frame.
//   Giblets    A: the animation, 2 and up also spin; B: life in ticks while positive (read as
//              signed), else it lives until it leaves the view.
// A spawner may then set the speeds, the speed field (groundSpeed), the rotation or the draw layer.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/ObjectType.h"

enum : u8 {
    ExplosionPuff = 0,   // rises, slows, stops, fades
    ExplosionSmoke = 1,  // drifts up and sideways
    ExplosionBurst = 2,  // 2 and 3: plain bursts in place
    ExplosionBurst2 = 3,
};

enum : u8 {
    FXDirected = 0, // moves against its rotation at its speed field
    FXPlain = 1,
};

// The instance record of all three types.
struct EffectRecord {
    ObjectHeader* header;
    AnimPlayer anim; // its finished flag ends an Explosion or an FX
};

extern ObjectType Explosion;
extern ObjectType FX;
extern ObjectType Giblets;
extern EffectRecord** explosionInstances;
extern EffectRecord** fxInstances;
extern EffectRecord** gibletsInstances;
extern AnimSet explosionAnimSet;
extern AnimSet fxAnimSet;
extern AnimSet gibletsAnimSet;

void ExplosionLoad(const char* placementPath);
void ExplosionUnload();
void ExplosionInit(void* instance);
void ExplosionReset(void* instance);
void ExplosionUpdate(void* instance);

void FXLoad(const char* placementPath);
void FXUnload();
void FXInit(void* instance);
void FXReset(void* instance);
void FXUpdate(void* instance);

// Explosion and FX.
void EffectDraw(void* instance);

void GibletsLoad(const char* placementPath);
void GibletsUnload();
void GibletsInit(void* instance);
void GibletsReset(void* instance);
void GibletsUpdate(void* instance);
void GibletsDraw(void* instance);
void GibletsLeaveView(void* instance);
