// Angle arithmetic shared by the movers and the objects: the arctangent table, the direction of a
// vector, and the easing of a sprite's drawn rotation toward its surface angle. 256 steps a turn,
// 0 pointing right and 64 down.
#pragma once
#include "Engine/Common/Types.h"

struct ObjectHeader;

// round(atan(i / 256) x 128 / pi), i = 0..256: 0 to 32.
extern const u8 arctangentTable[257];

// The direction angle of (x, y); both parts truncated first, and (0, 0) points down (64).
u8 VectorToAngle(f32 x, f32 y);

// Moves the header's drawn rotation toward its surface angle, or toward upright when the surface
// is flatter than lowLimit, by one tick's share; see the comments inside for what it returns.
i32 SteerAngle(ObjectHeader* header, u8 lowLimit, u8 highLimit, f32 rate, f32 minSpeed, f32 fullSpeed);
