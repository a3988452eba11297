// The movers' per-axis step counts that a touch handler can stop (RunObjectCallbacks latches them).
#pragma once
#include "Engine/Common/Types.h"

extern i32 stepsX, stepsY;               // whole-pixel steps still to go on each axis
extern i32 stoppedStepsX, stoppedStepsY; // the steps left when a callback first stopped that axis

// The rest of the one set of values every move shares; callers read them after a move. Not
// reentrant: a move started from a callback overwrites the values of the move that ran it.
struct ObjectHeader;
struct TileSheet;

extern f32 moveStartVx, moveStartVy, moveStartGroundSpeed; // the body's speeds when the move began
extern f32 fracX, fracY;        // fractional parts of the target position
extern i32 runX, runY;          // line-stepping run lengths
extern i32 errX, errY;          // and error accumulators
extern i32 stepsHeld;           // the other axis's count, parked while callbacks run
extern u32 lastMapEntry;        // the last map cell any probe read, all 16 bits
extern i32 probeX, probeY;      // the last probe position
extern u8 probeLayer;           // and layer
extern u8 climbed;              // the ground follower stepped up during the current step
extern i8 sideInsetBottom, sideInsetTop, groundProbeDepth;
extern TileSheet* collisionSheet;     // the collision layer's tile sheet
extern ObjectHeader* ignoredObject;   // whose callbacks must not act during a trial move
