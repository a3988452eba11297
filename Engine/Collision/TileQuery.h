// Point queries against a tile layer of the current layout: the pixel under a point, its collision
// bits, how deep a point sits in a solid run in one direction, and pushing a body out of that run.
// Coordinates are map pixels; positions off a map that does not wrap read as empty.
#pragma once
#include "Engine/Common/Types.h"

struct ObjectHeader;

// Collision flags as the queries return them: the map entry's top four bits.
enum : i32 {
    TileFlagFloor = 1,
    TileFlagCeiling = 2,
    TileFlagRightWall = 4,
    TileFlagLeftWall = 8,
};

// Probe and snap directions: out of a ceiling run downward, out of a floor run upward, out of a
// left-wall run to the right, out of a right-wall run to the left.
enum : u8 {
    ProbeDown = 0,
    ProbeUp = 1,
    ProbeRight = 2,
    ProbeLeft = 3,
};

// The colour index of the layer's tile pixel at (x, y); 0 where there is none.
u8 GetTilePixel(f32 x, f32 y, u8 layer);

// The cell's collision flags (0-15) when its tile pixel at (x, y) is set, else 0.
i32 GetTileCollisionFlags(f32 x, f32 y, u8 layer);

// How many further pixels after (x, y) carry the direction's flag in an unbroken run: -1 when
// (x, y) itself lacks it, -2 for a direction above 3. A run never counts more pixels than the map
// (or the wrap area) is long, so a solid column over a whole wrapping map still ends.
i32 ProbeTileCollision(f32 x, f32 y, u8 layer, u8 direction);

// Probes from (x, y) and, for a run of n >= 0, moves the body n pixels out of it and stops the
// velocity that pointed back in. Returns n (a negative result moves nothing).
i32 SnapToSurface(ObjectHeader* header, f32 x, f32 y, u8 layer, u8 direction);
