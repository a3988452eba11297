#include "tools/datakit/CollisionKit.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>

#include "tools/datakit/Bytes.h"

namespace datakit {

namespace {

u8 AngleOf(f64 x, f64 y)
{
    const f64 turns = std::atan2(y, x) / (2.0 * std::numbers::pi);
    const i64 steps = (i64)std::llround(turns * 256.0);
    return (u8)(((steps % 256) + 256) % 256);
}

} // namespace

u8 SurfaceAngle(f64 nx, f64 ny)
{
    // The surface runs along (ny, -nx): the normal turned a quarter back.
    return AngleOf(ny, -nx);
}

CollisionWorld::CollisionWorld(u32 widthTiles_, u32 heightTiles_)
    : widthTiles(widthTiles_), heightTiles(heightTiles_),
      solid((size_t)widthTiles_ * 16 * heightTiles_ * 16, 0),
      bits((size_t)widthTiles_ * heightTiles_, 0),
      angles((size_t)widthTiles_ * heightTiles_, 0)
{
}

bool CollisionWorld::Solid(i32 x, i32 y) const
{
    return x >= 0 && y >= 0 && x < Width() && y < Height() && solid[(size_t)y * Width() + x];
}

void CollisionWorld::SetSolid(i32 x, i32 y, bool on)
{
    if (x >= 0 && y >= 0 && x < Width() && y < Height())
        solid[(size_t)y * Width() + x] = on ? 1 : 0;
}

void CollisionWorld::Box(i32 x0, i32 y0, i32 x1, i32 y1)
{
    for (i32 y = y0; y < y1; ++y)
        for (i32 x = x0; x < x1; ++x)
            SetSolid(x, y);
}

namespace {

// Gives the shape's angle to the cells that hold its surface: a solid pixel of the shape's box with
// an open neighbour (the world's outside counts as solid). A cell whose top row is the surface
// counts as well as one the surface runs through; pixels outside the box (a floor the shape meets)
// give nothing.
template <typename AngleAt>
void AngleSurfaceCells(CollisionWorld& world, i32 x0, i32 y0, i32 x1, i32 y1, AngleAt angleAt)
{
    auto open = [&world](i32 x, i32 y) {
        return x >= 0 && y >= 0 && x < world.Width() && y < world.Height() && !world.Solid(x, y);
    };
    x0 = x0 < 0 ? 0 : x0;
    y0 = y0 < 0 ? 0 : y0;
    x1 = x1 > world.Width() ? world.Width() : x1;
    y1 = y1 > world.Height() ? world.Height() : y1;
    for (i32 y = y0; y < y1; ++y)
        for (i32 x = x0; x < x1; ++x)
            if (world.Solid(x, y) && (open(x - 1, y) || open(x + 1, y) || open(x, y - 1) || open(x, y + 1))) {
                const i32 cx = x / 16, cy = y / 16;
                world.angles[(size_t)cy * world.widthTiles + cx] = angleAt(cx * 16 + 8.0, cy * 16 + 8.0);
            }
}

} // namespace

void CollisionWorld::Ramp(i32 x0, i32 y0, i32 x1, i32 y1, i32 bottom)
{
    if (x1 <= x0)
        return;
    const f64 slope = (f64)(y1 - y0) / (x1 - x0);
    i32 top = bottom;
    for (i32 x = x0; x < x1; ++x) {
        const f64 surface = y0 + slope * (x + 0.5 - x0);
        for (i32 y = 0; y < bottom; ++y)
            if (y + 0.5 >= surface) {
                SetSolid(x, y);
                top = y < top ? y : top;
            }
    }
    const u8 angle = AngleOf(x1 - x0, y1 - y0);
    AngleSurfaceCells(*this, x0, top, x1, bottom, [angle](f64, f64) { return angle; });
}

void CollisionWorld::CeilingRamp(i32 x0, i32 y0, i32 x1, i32 y1, i32 top)
{
    if (x1 <= x0)
        return;
    const f64 slope = (f64)(y1 - y0) / (x1 - x0);
    i32 lowest = top;
    for (i32 x = x0; x < x1; ++x) {
        const f64 surface = y0 + slope * (x + 0.5 - x0);
        for (i32 y = top; y < Height(); ++y)
            if (y + 0.5 <= surface) {
                SetSolid(x, y);
                lowest = y + 1 > lowest ? y + 1 : lowest;
            }
    }
    // Solid above: the surface runs the other way.
    const u8 angle = AngleOf(x0 - x1, y0 - y1);
    AngleSurfaceCells(*this, x0, top, x1, lowest, [angle](f64, f64) { return angle; });
}

void CollisionWorld::Ring(f64 cx, f64 cy, f64 radius, i32 x0, i32 y0, i32 x1, i32 y1)
{
    for (i32 y = y0; y < y1; ++y)
        for (i32 x = x0; x < x1; ++x)
            if (std::hypot(x + 0.5 - cx, y + 0.5 - cy) >= radius)
                SetSolid(x, y);
    // Inside the loop the rock lies away from the centre.
    AngleSurfaceCells(*this, x0, y0, x1, y1, [cx, cy](f64 x, f64 y) { return SurfaceAngle(x - cx, y - cy); });
}

void CollisionWorld::CellBits(i32 x0, i32 y0, i32 x1, i32 y1, u16 cellBits)
{
    for (i32 cy = y0 / 16; cy <= (y1 - 1) / 16; ++cy)
        for (i32 cx = x0 / 16; cx <= (x1 - 1) / 16; ++cx)
            if (cx >= 0 && cy >= 0 && cx < (i32)widthTiles && cy < (i32)heightTiles)
                bits[(size_t)cy * widthTiles + cx] = cellBits;
}

bool CutCollisionWorld(const CollisionWorld& world, TgaImage* sheet, std::vector<u16>* cells)
{
    // A tile is its 256 mask pixels and its angle; base tile 0 is the empty one.
    typedef std::array<u8, 257> TileKey;
    std::map<TileKey, u16> known;
    std::vector<TileKey> tiles{TileKey{}};
    known[tiles[0]] = 0;
    cells->assign((size_t)world.widthTiles * world.heightTiles, 0);
    for (u32 cy = 0; cy < world.heightTiles; ++cy)
        for (u32 cx = 0; cx < world.widthTiles; ++cx) {
            const size_t cell = (size_t)cy * world.widthTiles + cx;
            TileKey key{};
            bool anySolid = false;
            for (u32 y = 0; y < 16; ++y)
                for (u32 x = 0; x < 16; ++x)
                    if (world.Solid(cx * 16 + x, cy * 16 + y)) {
                        key[y * 16 + x] = 1;
                        anySolid = true;
                    }
            key[256] = world.angles[cell];
            auto found = known.find(key);
            u16 tile;
            if (found != known.end()) {
                tile = found->second;
            } else {
                if (tiles.size() >= 1024) {
                    fprintf(stderr, "datakit: the collision world needs more than 1024 tiles\n");
                    return false;
                }
                tile = (u16)tiles.size();
                known[key] = tile;
                tiles.push_back(key);
            }
            const u16 cellBits = world.bits[cell] ? world.bits[cell] : (anySolid ? (u16)SolidAll : (u16)0);
            (*cells)[cell] = (u16)(tile | cellBits);
        }
    *sheet = MakeTileSheetImage(
        0, true,
        [&tiles](u32 t, u32 x, u32 y) { return t < tiles.size() ? tiles[t][y * 16 + x] : (u8)0; },
        [&tiles](u32 t) { return t < tiles.size() ? tiles[t][256] : (u8)0; },
        {Rgb{0, 0, 0}, Rgb{255, 255, 255}});
    return true;
}

LayoutFile MakeCollisionLayout(const std::vector<u16>& cells, u32 widthTiles, u32 heightTiles,
                               const std::string& sheetName)
{
    LayoutFile layout;
    layout.sheets = {{1, sheetName}};
    LayoutLayer empty = MakeLayoutLayer(0, (u16)widthTiles, (u16)heightTiles);
    empty.cells.assign((size_t)widthTiles * heightTiles, 0);
    LayoutLayer collision = empty;
    collision.cells = cells;
    layout.layers = {empty, collision};
    return layout;
}

bool WriteCollisionWorld(const std::string& folder, const CollisionWorld& world)
{
    TgaImage sheet;
    std::vector<u16> cells;
    if (!CutCollisionWorld(world, &sheet, &cells))
        return false;
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    const bool ok = WriteFile(prefix + "Collision.tga", MakeTga(sheet)) &&
                    WriteFile(prefix + "layout1.bin",
                              MakeLayout(MakeCollisionLayout(cells, world.widthTiles, world.heightTiles)));
    if (!ok)
        fprintf(stderr, "datakit: cannot write the collision world under %s\n", folder.c_str());
    return ok;
}

} // namespace datakit
