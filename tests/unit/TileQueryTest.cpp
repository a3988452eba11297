// Tile pixel queries, probes and snapping on a small collision world from the data kit: the flags a
// pixel needs, the runs a probe counts, the map edge with and without wrap, and coordinates far
// outside the map.
#include <cmath>

#include "Engine/Collision/TileQuery.h"
#include "tests/unit/CollisionFixture.h"

namespace {

using datakit::CollisionWorld;

constexpr u8 layer = datakit::collisionWorldLayer;

class TileQueryTest : public CollisionFixture {
protected:
    // 8 x 6 tiles: a floor from row 64 down, a one-way ledge cell (floor bit only) at (32..47,
    // 40..47), and a cell whose pixels are set but that carries no solidity bits at (96.., 16..).
    void SetUp() override
    {
        CollisionFixture::SetUp();
        CollisionWorld world(8, 6);
        world.Box(0, 64, 128, 96);
        world.Box(32, 40, 48, 48);
        world.CellBits(32, 40, 48, 48, datakit::SolidFloor);
        world.Box(96, 16, 112, 32);
        ASSERT_TRUE(Load(world));
        // The kit gives every solid cell bits; this one has them taken off in the loaded map.
        TileLayer& collision = currentLayout->layers[layer];
        u16& cell = collision.map[collision.rowStarts[1] + 6];
        cell &= 0x0FFF;
        ASSERT_NE(cell, 0);
    }
};

TEST_F(TileQueryTest, FlagsNeedASetPixelAndTheCellsBits)
{
    struct Case {
        f32 x, y;
        i32 flags;
        u8 pixel;
    } cases[] = {
        {10.0f, 70.0f, 15, 1},  // solid floor: every direction
        {10.0f, 63.9f, 0, 0},   // just above it: no pixel
        {40.0f, 44.0f, 1, 1},   // the one-way ledge: the floor bit alone
        {40.0f, 50.0f, 0, 0},   // the ledge's cell row below its pixels is empty
        {100.0f, 20.0f, 0, 1},  // a pixel in a cell without bits: no flags
        {60.0f, 20.0f, 0, 0},   // an empty cell (tile 0)
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetTileCollisionFlags(c.x, c.y, layer), c.flags) << c.x << "," << c.y;
        EXPECT_EQ(GetTilePixel(c.x, c.y, layer), c.pixel) << c.x << "," << c.y;
    }
    // Another layer, or one the layout lacks, reads nothing.
    EXPECT_EQ(GetTileCollisionFlags(10.0f, 70.0f, 0), 0);
    EXPECT_EQ(GetTileCollisionFlags(10.0f, 70.0f, 2), 0);
    EXPECT_EQ(GetTilePixel(10.0f, 70.0f, 200), 0);
}

TEST_F(TileQueryTest, ProbeCountsTheRunAfterThePoint)
{
    struct Case {
        f32 x, y;
        u8 direction;
        i32 expected;
    } cases[] = {
        {10.0f, 64.0f, ProbeUp, 0},     // the floor's top row alone carries the floor flag upward
        {10.0f, 70.0f, ProbeUp, 6},     // 70 down to 64 flagged, 63 not
        {10.0f, 60.0f, ProbeUp, -1},    // in the air
        {10.0f, 70.0f, ProbeDown, 25},  // 70..95, then off the bottom of the map
        {40.0f, 44.0f, ProbeDown, -1},  // the one-way ledge is no ceiling
        {40.0f, 44.0f, ProbeUp, 4},     // but is a floor: 44 up to 40
        {0.0f, 70.0f, ProbeRight, 127}, // to the right edge of the map
        {127.0f, 70.0f, ProbeLeft, 127},
        {100.0f, 20.0f, ProbeUp, -1},   // pixels without bits stop every direction
        {100.0f, 20.0f, ProbeRight, -1},
        {10.0f, 70.0f, 4, -2},
        {10.0f, 70.0f, 255, -2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProbeTileCollision(c.x, c.y, layer, c.direction), c.expected)
            << c.x << "," << c.y << " direction " << (int)c.direction;
}

TEST_F(TileQueryTest, DirectionFourReadsNothing)
{
    lastMapEntry = 0xBEEF;
    EXPECT_EQ(ProbeTileCollision(10.0f, 70.0f, layer, 4), -2);
    EXPECT_EQ(lastMapEntry, 0xBEEFu);
    // A real probe leaves the last cell it read on the map: the floor's bottom row.
    EXPECT_EQ(ProbeTileCollision(10.0f, 70.0f, layer, ProbeDown), 25);
    EXPECT_EQ(lastMapEntry & 0xF000u, 0xF000u);
    EXPECT_EQ(probeY, 95);
}

TEST_F(TileQueryTest, OffAMapThatDoesNotWrapReadsNothing)
{
    // One and several map widths off each side: all empty, where the floor lies inside.
    for (const f32 x : {-1.0f, -0.5f, -128.0f, -129.0f, -1000.0f, 128.0f, 256.0f + 10.0f, 1.0e9f})
        EXPECT_EQ(GetTileCollisionFlags(x, 70.0f, layer), 0) << x;
    for (const f32 y : {-1.0f, -97.0f, 96.0f, 96.0f + 70.0f, -1.0e9f})
        EXPECT_EQ(GetTileCollisionFlags(10.0f, y, layer), 0) << y;
    EXPECT_EQ(GetTileCollisionFlags(std::nanf(""), 70.0f, layer), 0);
    EXPECT_EQ(ProbeTileCollision(-5.0f, 70.0f, layer, ProbeUp), -1);
}

TEST_F(TileQueryTest, WrapBringsFarCoordinatesIntoTheWindow)
{
    CameraLimits& limits = cameraLimits[0];
    limits.wrapX = limits.wrapY = 1;
    limits.leftBound = 0;
    limits.rightBound = limits.wrapWidth = 128;
    limits.topBound = 0;
    limits.bottomBound = limits.wrapHeight = 96;
    // One wrap away and many: each lands on the cell it wraps to.
    for (const f32 x : {10.0f - 128.0f, 10.0f + 128.0f, 10.0f - 5 * 128.0f, 10.0f + 7 * 128.0f}) {
        EXPECT_EQ(GetTileCollisionFlags(x, 70.0f, layer), 15) << x;
        EXPECT_EQ(GetTileCollisionFlags(x + 30.0f, 44.0f, layer), 1) << x;
    }
    for (const f32 y : {70.0f - 96.0f, 70.0f + 96.0f * 3, 70.0f - 96.0f * 9})
        EXPECT_EQ(GetTileCollisionFlags(10.0f, y, layer), 15) << y;
    // A run along a solid row of a wrapping map goes round forever: it is cut at one wrap.
    EXPECT_EQ(ProbeTileCollision(0.0f, 70.0f, layer, ProbeRight), 128);
    EXPECT_EQ(ProbeTileCollision(10.0f, 70.0f, layer, ProbeDown), 25); // the sky above ends it
}

TEST_F(TileQueryTest, SnapLiftsOutOfTheRunAndStopsTheSpeedIntoIt)
{
    struct Case {
        f32 x, y;         // the probe point (the body stands at y - 10)
        u8 direction;
        f32 vx, vy;
        i32 result;
        f32 endX, endY, endVx, endVy;
    } cases[] = {
        // Already standing: only the floor row is flagged. No move, the fall still stops.
        {10.0f, 64.0f, ProbeUp, 0.0f, 3.0f, 0, 10.0f, 54.0f, 0.0f, 0.0f},
        // 6 rows deep: lifted 6, and a rising speed is kept.
        {10.0f, 70.0f, ProbeUp, 0.0f, -2.0f, 6, 10.0f, 54.0f, 0.0f, -2.0f},
        // In the air: nothing.
        {10.0f, 60.0f, ProbeUp, 1.0f, 3.0f, -1, 10.0f, 50.0f, 1.0f, 3.0f},
        // Sideways: the floor's row is flagged to the map's edges, 7 more pixels right of 120 and
        // 5 left of 5.
        {120.0f, 70.0f, ProbeRight, -1.0f, 0.0f, 7, 127.0f, 60.0f, 0.0f, 0.0f},
        {5.0f, 70.0f, ProbeLeft, 2.0f, 0.0f, 5, 0.0f, 60.0f, 0.0f, 0.0f},
        {10.0f, 70.0f, 4, 1.0f, 1.0f, -2, 10.0f, 60.0f, 1.0f, 1.0f},
    };
    for (const Case& c : cases) {
        Place(c.x, c.y - 10.0f, -4, 4, -10, 10);
        header.vx = c.vx;
        header.vy = c.vy;
        EXPECT_EQ(SnapToSurface(&header, c.x, c.y, layer, c.direction), c.result) << c.x << "," << c.y;
        EXPECT_EQ(header.x, c.endX);
        EXPECT_EQ(header.y, c.endY);
        EXPECT_EQ(header.vx, c.endVx);
        EXPECT_EQ(header.vy, c.endVy);
    }
}

// The data kit's worlds come back through the loader as drawn: every pixel, every cell's bits and
// every cell's angle, with the angles where the shapes put their surfaces.
TEST_F(TileQueryTest, KitWorldsReadBackAsDrawn)
{
    CollisionWorld world(16, 12);
    world.Ring(104.0, 104.0, 64.0, 0, 0, 208, 192); // cells centred on its axes
    world.Ramp(208, 160, 256, 136, 192);            // rising 1 in 2 to the right: 256 - 19
    world.Box(216, 40, 248, 46);
    world.CellBits(216, 40, 248, 46, datakit::SolidFloor);
    ResetWorld();
    ASSERT_TRUE(Load(world));
    const TileLayer& collision = currentLayout->layers[layer];
    const TileSheet* sheet = currentLayout->tileSheets[0];
    for (i32 y = 0; y < world.Height(); ++y)
        for (i32 x = 0; x < world.Width(); ++x) {
            const u16 bits = world.bits[(size_t)(y / 16) * world.widthTiles + x / 16];
            const i32 flags = world.Solid(x, y) ? (bits ? bits : (u16)datakit::SolidAll) >> 12 : 0;
            ASSERT_EQ(GetTilePixel((f32)x, (f32)y, layer) != 0, world.Solid(x, y)) << x << "," << y;
            ASSERT_EQ(GetTileCollisionFlags((f32)x, (f32)y, layer), flags) << x << "," << y;
        }
    for (u32 cy = 0; cy < world.heightTiles; ++cy)
        for (u32 cx = 0; cx < world.widthTiles; ++cx) {
            const u16 entry = collision.map[collision.rowStarts[cy] + cx];
            EXPECT_EQ(sheet->tiles[entry & 0xFFF].angle, world.angles[cy * world.widthTiles + cx]) << cx << "," << cy;
        }
    auto angleAt = [&](i32 x, i32 y) { return world.angles[(size_t)(y / 16) * world.widthTiles + x / 16]; };
    EXPECT_EQ(angleAt(104, 168), 0);   // the loop's floor
    EXPECT_EQ(angleAt(168, 104), 192); // its wall on the right
    EXPECT_EQ(angleAt(104, 40), 128);  // its ceiling
    EXPECT_EQ(angleAt(40, 104), 64);   // its wall on the left
    EXPECT_EQ(angleAt(232, 150), 256 - 19);
    EXPECT_EQ(angleAt(220, 42), 0); // a flat box carries none
}

TEST(TileQueryNoLayout, EverythingReadsEmpty)
{
    Layout* saved = currentLayout;
    currentLayout = nullptr;
    ObjectHeader header{};
    header.y = 5.0f;
    header.vy = 2.0f;
    EXPECT_EQ(GetTilePixel(1.0f, 1.0f, 1), 0);
    EXPECT_EQ(GetTileCollisionFlags(1.0f, 1.0f, 1), 0);
    EXPECT_EQ(ProbeTileCollision(1.0f, 1.0f, 1, ProbeUp), -1);
    EXPECT_EQ(SnapToSurface(&header, 1.0f, 1.0f, 1, ProbeUp), -1);
    EXPECT_EQ(header.y, 5.0f);
    EXPECT_EQ(header.vy, 2.0f);
    currentLayout = saved;
}

} // namespace
