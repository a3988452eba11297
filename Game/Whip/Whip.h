// The player's whip: a weapon and a grappling line. One Whip instance a player (instance n belongs
// to player n). The tip flies out, hooks into flat tiles or struck actors, and then swings or zips
// the player along a rope that bends round tile corners.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/ObjectType.h"
#include "Game/Actors/ActorBlock.h"

struct PlayerRecord;

// Whip states.
enum : u32 {
    WhipIdle = 0,       // idle, or extending while the player's whipExtension > 0
    WhipHeldOut = 1,
    WhipRetractFull = 2, // coming back after a full throw
    WhipRetract = 3,     // coming back after letting go, or off a sloped tile
    WhipSwing = 4,
    WhipZip = 5,
};

// Rope lengths are 8.8 fixed point.
constexpr i32 whipReach = 24576;       // 96 px
constexpr i32 whipExtendStep = 4096;   // 16 px a tick out and back
constexpr i32 hookSlack = 8192;        // 32 px added at the hook
constexpr i32 minLineLength = 6432;    // 25.125 px
constexpr i32 maxLineLength = 32768;   // 128 px
constexpr i32 zipStartSpeed = 1280;    // 5 px
constexpr i32 zipSpeedGain = 320;      // 1.25 px a tick
constexpr u32 ropeJointTotal = 128;
constexpr u32 flashCellCount = 64;

// A bend point of the rope, ordered from the hook toward the player.
struct RopeJoint {
    i32 x, y;      // a free pixel diagonal to a solid corner
    u8 corner;     // 0-3, the side the rope wraps on
    void* carrier; // instance data of the object the joint rests on, or null for a tile corner
};

struct WhipRecord {
    ObjectHeader* header; // x, y: the tip; angle: the tip angle, screen 256ths (y down)
    ActorBlock actor;
    AnimPlayer anim;
    u32 state;
    ObjectHeader* hookedObject; // null: the hook holds a tile
    f32 hookPointX, hookPointY; // tile: the point held; object: its position minus the tip's
    u8 direction;               // mathematical byte angle (y up), the base of the rope angle at hooking
    u8 jointCount;
    u8 lateCount;  // late updates run since the last Update
    u8 attackDue;  // the attack boxes go out at the next late update
    f32 groundPullX, groundPullY;
    i16 holdLeft; // the held actor's hit-stop as the hold last left it
    u8 flashCells[flashCellCount][2]; // phase, countdown
    RopeJoint joints[ropeJointTotal];
};

extern ObjectType Whip;
extern WhipRecord** whipInstances;
extern AnimSet whipAnimSet;
extern ActorProperties whipProperties;
extern u32 whipHitSound, whipHookSound, whipAttackSound, whipAttack2Sound, whipAttackAirSound, whipFireSound,
    whipBungeeSound;

// The player that owns a whip (the player instance of the whip's index), or null.
PlayerRecord* WhipPlayer(WhipRecord* whip);

// Object handlers.
void WhipLoad(const char* placementPath);
void WhipUnload();
void WhipInit(void* instance);
void WhipReset(void* instance);
void WhipUpdate(void* instance);
void WhipLateUpdate(void* instance);
void WhipDraw(void* instance);

// Whether the tip is on its way out and free to catch an object: thrown, out of the hand, still
// extending and holding nothing. A whip at rest or winding up, held out, coming back or hooked
// catches nothing (the hook tests of platforms and wagons ask this first).
bool WhipTipCanCatch(WhipRecord* whip);
// The tip's tile test, run at every pixel of the tip's move; always true.
bool WhipHookTouch(void* whip, void* instance);
// The hook has caught (a tile, a struck actor, a platform or a wagon).
void AttachWhipHook(WhipRecord* whip);
// Scatters the rope as debris and ends the throw.
void BreakWhip(WhipRecord* whip);
// Lets go of the hooked object: it loses its held mark and the hook holds nothing.
void ReleaseWhipHook(WhipRecord* whip);

// Fire, aim and dispatch, called by the player's update and states.
void UpdateWhip(PlayerRecord* player);
void FireWhip(PlayerRecord* player);
void ApplyAimInput(PlayerRecord* player);

// The rope: bend points, extend and retract, swing and zip.
// The joint pass from the tip to the player. Counts its tracing steps into *steps when given and
// leaves in *lastAngle the angle of the last segment (from the anchor toward the player). False
// when it ended early: a blocked point with no free pixel near, or a joint overflow that broke
// the whip.
bool RopeJointPass(PlayerRecord* player, u32* steps, u8* lastAngle);
void ExtendRope(PlayerRecord* player);
void RetractRope(PlayerRecord* player);
void SwingRope(PlayerRecord* player);
