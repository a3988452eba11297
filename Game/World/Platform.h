// Placed platforms: blocks that stand still, swing to and fro along a line, or are pushed about and
// fall off ledges. The player stands on them, is blocked by them and pushes them; the whip hooks
// them. "type" picks the move function, "collision" the contact function; names without behaviour
// hold none.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/ObjectType.h"

struct PlatformRecord;
typedef void (*PlatformMove)(PlatformRecord* platform);

struct PlatformRecord {
    ObjectHeader* header; // x, y: the home position (a pushed block's real position)
    AnimPlayer anim;
    PlatformMove move;      // null: the platform never moves
    ObjectCallback contact; // null: nothing stands on or bumps into it
    u8 type;
    i32 amplitude[2];
    i8 speed;
    u8 hasTension; // read from the file; nothing uses it
    u8 frameID;
    u8 collision;
    f32 angle; // the phase offset of a swinging platform
    f32 x, y;  // where the platform is now
    f32 dx, dy; // whole-pixel movement of this tick
    u32 pushDelay;
    u8 pushRight, pushLeft; // bit n: player n pushes this tick
    i64 hitbox[4];          // left, right, top, bottom at the current position
};

// The kinds with behaviour.
enum : u8 {
    PlatformStationary = 0,
    PlatformLinear = 2,
    PlatformPush = 7,
    platformTypeCount = 16,
};
enum : u8 {
    PlatformSolid = 3,
    platformCollisionCount = 8,
};

// The box of a platform whose set has no frame box (or that has no set at all).
constexpr i8 platformDefaultBox[4] = {-16, 16, -8, 8};
constexpr f32 platformFallGravity = 0.21875f;

extern ObjectType Platform;
extern PlatformRecord** platformInstances;
extern AnimSet platformAnimSet;
extern const PlatformMove platformMoveTable[platformTypeCount];
extern const ObjectCallback platformContactTable[platformCollisionCount];

// 1024 steps a turn, amplitude 1024, truncated.
i16 Sine1024(u32 phase);

void PlatformLoad(const char* placementPath);
void PlatformUnload();
void PlatformStart(void* instance);
void PlatformUpdate(void* instance);
void PlatformLateUpdate(void* instance);
void PlatformDraw(void* instance);
void PlatformEditorPreview(void* cursor);
void PlatformEditorPlace(void* cursor);
void PlatformTypeChanged(void* instance);
void PlatformFrameChanged(void* instance);
void PlatformCollisionChanged(void* instance);

void PlatformMoveStationary(PlatformRecord* platform);
void PlatformMoveLinear(PlatformRecord* platform);
void PlatformMovePush(PlatformRecord* platform);
void PlatformPushStep(PlatformRecord* platform);
void PlatformPushStepAlt(PlatformRecord* platform);
void PlatformMoveFall(PlatformRecord* platform);

bool PlatformSolidContact(void* platform, void* actor);
bool PlatformHookTouch(void* platform, void* whip);
