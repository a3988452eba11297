#include "Engine/Collision/MotionScratch.h"

i32 stepsX, stepsY;
i32 stoppedStepsX, stoppedStepsY;

f32 moveStartVx, moveStartVy, moveStartGroundSpeed;
f32 fracX, fracY;
i32 runX, runY;
i32 errX, errY;
i32 stepsHeld;
u32 lastMapEntry;
i32 probeX, probeY;
u8 probeLayer;
u8 climbed;
i8 sideInsetBottom, sideInsetTop, groundProbeDepth;
TileSheet* collisionSheet;
ObjectHeader* ignoredObject;
