// The body motion interface: the per-tick move through the collision layer on the body's plane,
// the trial move that pushes a body, and the pixel stepper that runs no tile test. The header and
// the motion scratch carry the results.
#pragma once
#include "Engine/Common/Types.h"

struct AnimPlayer;
struct ObjectHeader;
struct ObjectType;

// Planes: which way the body's ground lies.
enum : u8 {
    PlaneFloor = 0,
    PlaneRightWall = 1,
    PlaneCeiling = 2,
    PlaneLeftWall = 3,
};

// Mover passes: a fresh move, the rest of a move after a hand-over, a trial move.
enum : u8 {
    PassFresh = 0,
    PassHandOver = 1,
    PassTrial = 2,
};

// The surface angle that means none.
constexpr f32 angleNone = 256.0f;

// The normal move of one tick. animPlayer (or null to keep the hitbox) gives the hitbox.
void MoveOnPlane(void* instance, AnimPlayer* animPlayer);

// Moves the body by (vx, vy) with the given ground speed as a trial move, then gives it back its
// own speeds; the new position and contacts stay. keepGround false moves it as an airborne body
// and puts its ground values back afterwards. The ignored object's callbacks are told to skip the
// body while it moves. Returns the header.
ObjectHeader* TryMoveOnPlane(void* instance, AnimPlayer* animPlayer, f32 vx, f32 vy, f32 groundSpeed, bool keepGround,
                             ObjectHeader* ignored);

// Moves the body by its speeds one pixel at a time along a line, with no tile test, running the
// type's callbacks after every pixel; a callback that zeroes a speed stops that axis.
void StepWithCallbacks(ObjectType* type, void* instance);

// The hitbox of the animation's current frame turned into a plane (the header's flips mirror it).
// Leaves the hitbox as it is when the player shows no frame with a box.
void SetHitboxFromFrame(ObjectHeader* header, const AnimPlayer* animPlayer, u8 plane);

// The whole-pixel steps of a move of one axis: the position keeps the fraction of its target and
// returns to its whole pixel, the steps to walk are returned and the fraction stored.
i32 SplitAxisMove(f32* position, f32 velocity, f32* fraction);
