#include "Engine/Collision/TileQuery.h"

#include <cmath>

#include "Engine/Collision/MotionScratch.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"

namespace {

// Brings a coordinate of a wrapping axis into the wrap window, however far outside it lies.
f64 WrapInto(f64 value, f64 low, f64 high, f64 size)
{
    if (!(size > 0.0))
        return value;
    if (value < low)
        value += std::ceil((low - value) / size) * size;
    else if (value >= high)
        value -= (std::floor((value - high) / size) + 1.0) * size;
    return value;
}

// The layer a query reads, or null.
const TileLayer* QueryLayer(u8 layer)
{
    if (!currentLayout || !currentLayout->layers || layer >= currentLayout->layerCount)
        return nullptr;
    const TileLayer* tiles = &currentLayout->layers[layer];
    if (!tiles->map || !tiles->rowStarts || tiles->width <= 0 || tiles->height <= 0)
        return nullptr;
    return tiles;
}

// Reads the cell and tile pixel under (x, y): false (nothing read) off the map. Every coordinate
// is brought into the wrap window first, and whatever still lies off the map reads nothing. A probe
// leaves the cell it read in the motion scratch.
bool ReadPoint(f32 x, f32 y, u8 layer, u16* entry, u8* pixel, bool probe = false)
{
    const TileLayer* tiles = QueryLayer(layer);
    if (!tiles)
        return false;
    const CameraLimits& limits = cameraLimits[currentCamera & (cameraCount - 1)];
    f64 px = x, py = y;
    if (limits.wrapX)
        px = WrapInto(px, limits.leftBound, limits.rightBound, limits.wrapWidth);
    if (limits.wrapY)
        py = WrapInto(py, limits.topBound, limits.bottomBound, limits.wrapHeight);
    // Written so that NaN fails too.
    if (!(px >= 0.0 && px < (f64)tiles->width * 16.0 && py >= 0.0 && py < (f64)tiles->height * 16.0))
        return false;
    const i64 column = (i64)px, row = (i64)py;
    *entry = tiles->map[tiles->rowStarts[row >> 4] + (column >> 4)];
    *pixel = 0;
    if (probe) {
        lastMapEntry = *entry;
        probeX = (i32)column;
        probeY = (i32)row;
        probeLayer = layer;
    }
    TileSheet* sheet = currentLayout->tileSheets ? LayerTileSheet(currentLayout, tiles) : currentTileSheet;
    const u32 tile = *entry & 0xFFFu;
    if (sheet && sheet->tiles && tile < sheet->recordCount && sheet->tiles[tile].pixels)
        *pixel = sheet->tiles[tile].pixels[(row & 15) * 16 + (column & 15)];
    return true;
}

} // namespace

u8 GetTilePixel(f32 x, f32 y, u8 layer)
{
    u16 entry;
    u8 pixel;
    return ReadPoint(x, y, layer, &entry, &pixel) ? pixel : 0;
}

i32 GetTileCollisionFlags(f32 x, f32 y, u8 layer)
{
    u16 entry;
    u8 pixel;
    if (!ReadPoint(x, y, layer, &entry, &pixel) || !pixel)
        return 0;
    return entry >> 12;
}

i32 ProbeTileCollision(f32 x, f32 y, u8 layer, u8 direction)
{
    static const i32 flags[4] = {TileFlagCeiling, TileFlagFloor, TileFlagLeftWall, TileFlagRightWall};
    static const i32 stepX[4] = {0, 0, 1, -1};
    static const i32 stepY[4] = {1, -1, 0, 0};
    if (direction > 3)
        return -2;
    // No run can be longer than the axis it runs along; past that it would only go round a wrap.
    i64 limit = 0;
    if (const TileLayer* tiles = QueryLayer(layer)) {
        const CameraLimits& limits = cameraLimits[currentCamera & (cameraCount - 1)];
        const bool vertical = stepY[direction] != 0;
        limit = vertical ? (i64)tiles->height * 16 : (i64)tiles->width * 16;
        const i64 wrap = vertical ? (limits.wrapY ? limits.wrapHeight : 0) : (limits.wrapX ? limits.wrapWidth : 0);
        if (wrap > limit)
            limit = wrap;
    }
    i32 count = -2;
    i32 read;
    do {
        u16 entry = 0;
        u8 pixel = 0;
        read = ReadPoint(x, y, layer, &entry, &pixel, true) && pixel ? entry >> 12 : 0;
        ++count;
        x += (f32)stepX[direction];
        y += (f32)stepY[direction];
    } while ((read & flags[direction]) && count < limit);
    return count;
}

i32 SnapToSurface(ObjectHeader* header, f32 x, f32 y, u8 layer, u8 direction)
{
    const i32 n = ProbeTileCollision(x, y, layer, direction);
    if (n < 0 || !header)
        return n;
    switch (direction) {
    case ProbeDown:
        header->y += (f32)n;
        if (header->vy < 0.0f)
            header->vy = 0.0f;
        break;
    case ProbeUp:
        header->y -= (f32)n;
        if (header->vy > 0.0f)
            header->vy = 0.0f;
        break;
    case ProbeRight:
        header->x += (f32)n;
        if (header->vx < 0.0f)
            header->vx = 0.0f;
        break;
    default:
        header->x -= (f32)n;
        if (header->vx > 0.0f)
            header->vx = 0.0f;
        break;
    }
    return n;
}
