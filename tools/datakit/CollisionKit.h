// Collision worlds for the movers: solid pixels drawn by shapes (boxes, floor and ceiling ramps,
// the ring of a loop), with the surface angle of every cell a surface crosses worked out from the
// same geometry, cut into a flagged tile sheet (masks and angle rows) and a collision layer whose
// map entries keep their solidity bits.
#pragma once
#include <string>
#include <vector>

#include "Engine/Common/Types.h"
#include "tools/datakit/LayoutWriter.h"

namespace datakit {

// Solidity bits of a collision map entry.
enum : u16 {
    SolidFloor = 0x1000,
    SolidCeiling = 0x2000,
    SolidRightWall = 0x4000, // a wall on the body's right
    SolidLeftWall = 0x8000,
    SolidAll = 0xF000,
};

struct CollisionWorld {
    CollisionWorld(u32 widthTiles, u32 heightTiles);

    u32 widthTiles, heightTiles;
    std::vector<u8> solid;  // one byte a pixel, rows top to bottom
    std::vector<u16> bits;  // per cell; a cell with solid pixels and no bits of its own gets SolidAll
    std::vector<u8> angles; // per cell; 0 where no surface gave one

    i32 Width() const { return (i32)widthTiles * 16; }
    i32 Height() const { return (i32)heightTiles * 16; }
    bool Solid(i32 x, i32 y) const;
    void SetSolid(i32 x, i32 y, bool on = true);

    // Solid pixels x0 <= x < x1, y0 <= y < y1. Flat faces carry no angle.
    void Box(i32 x0, i32 y0, i32 x1, i32 y1);
    // Ground under the line from (x0, y0) to (x1, y1), x0 < x1, down to row bottom (excluded): a
    // pixel is solid when its centre lies on or under the line. The cells holding the surface (a
    // solid pixel next to an open one) take the line's angle.
    void Ramp(i32 x0, i32 y0, i32 x1, i32 y1, i32 bottom);
    // Rock over the line from (x0, y0) to (x1, y1), x0 < x1, up to row top: a ceiling that slopes.
    void CeilingRamp(i32 x0, i32 y0, i32 x1, i32 y1, i32 top);
    // The inside of a loop: every pixel of the box x0..x1, y0..y1 whose centre lies at least radius
    // from (cx, cy) is solid, and the cells holding the circle take its angle at their centre.
    void Ring(f64 cx, f64 cy, f64 radius, i32 x0, i32 y0, i32 x1, i32 y1);
    // Gives the cells of a pixel box other solidity bits (a one-way floor is SolidFloor alone).
    void CellBits(i32 x0, i32 y0, i32 x1, i32 y1, u16 cellBits);
};

// The surface angle of a surface whose solid side lies toward the inward normal (nx, ny): the
// direction of the surface turned a quarter back, in 256 steps a turn (0 a floor, 64 a wall on the
// left, 128 a ceiling, 192 a wall on the right).
u8 SurfaceAngle(f64 nx, f64 ny);

// A world cut into tiles: the 512-wide flagged sheet (base tile 0 empty) and the collision map,
// each cell the base tile of its pixels and angle with its solidity bits. False when the world
// needs more than 1024 different tiles.
bool CutCollisionWorld(const CollisionWorld& world, TgaImage* sheet, std::vector<u16>* cells);

// The layer of a collision world's layout that holds the world; layer 0 stays empty, since a body
// on layer 0 would never report tile contacts.
constexpr u8 collisionWorldLayer = 1;

// A version-5 layout of two camera-locked layers the size of the world on one flagged sheet: an
// empty one and the collision layer.
LayoutFile MakeCollisionLayout(const std::vector<u16>& cells, u32 widthTiles, u32 heightTiles,
                               const std::string& sheetName = "Collision.tga");

// Writes the world's "layout1.bin" and "Collision.tga" into folder (created as needed). False
// (after printing why) when it cannot be cut or written.
bool WriteCollisionWorld(const std::string& folder, const CollisionWorld& world);

} // namespace datakit
