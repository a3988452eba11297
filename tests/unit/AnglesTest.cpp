// The arctangent table, vector directions, the drawn-rotation easing and the box tests.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "Engine/Collision/Angles.h"
#include "Engine/Collision/BoxTests.h"
#include "Engine/Collision/MotionScratch.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/StageSwitch.h"
#include "tests/unit/CollisionFixture.h"

namespace {

TEST(Angles, ArctangentTableByFormula)
{
    for (int i = 0; i <= 256; ++i)
        EXPECT_EQ(arctangentTable[i], (int)std::lround(std::atan(i / 256.0) * 128.0 / std::numbers::pi)) << i;
    EXPECT_EQ(arctangentTable[0], 0);
    EXPECT_EQ(arctangentTable[256], 32);
}

TEST(Angles, VectorToAngleOnTheAxesAndInEveryOctant)
{
    struct Case {
        f32 x, y;
        u8 angle;
    } cases[] = {
        {0.9f, -0.4f, 64}, // both truncate to 0: straight down
        {0.0f, 0.0f, 64},
        {5.0f, 0.0f, 0},
        {0.0f, 5.0f, 64},
        {-3.0f, 0.0f, 128},
        {0.0f, -5.0f, 192},
        {1.0f, 1.0f, 32},
        {-1.0f, 1.0f, 96},
        {-1.0f, -1.0f, 160},
        {1.0f, -1.0f, 224},
        // One a octant, the shallow and the steep half of each quadrant: 256 x 1/2 -> T[128] = 19.
        {2.0f, 1.0f, 19},
        {1.0f, 2.0f, 64 - 19},
        {-1.0f, 2.0f, 64 + 19},
        {-2.0f, 1.0f, 128 - 19},
        {-2.0f, -1.0f, 128 + 19},
        {-1.0f, -2.0f, 192 - 19},
        {1.0f, -2.0f, 192 + 19},
        {2.0f, -1.0f, 256 - 19},
        {2.7f, 1.9f, 19}, // truncated first
    };
    for (const Case& c : cases)
        EXPECT_EQ(VectorToAngle(c.x, c.y), c.angle) << c.x << "," << c.y;
    // Far values stay defined.
    EXPECT_EQ(VectorToAngle(1.0e30f, 0.0f), 0);
    EXPECT_EQ(VectorToAngle(std::nanf(""), 3.0f), 64);
}

TEST(Angles, SteerAngleEasesTowardTheSurfaceAndBackUpright)
{
    ObjectType type{};
    ObjectHeader header{};
    header.type = &type;
    header.groundSpeed = 2.0f;
    pauseMenuOpen = 0;

    // On a surface of angle 32 (steeper than the low limit), drawn upright: eased by
    // d(32 - 0) x factor, factor = 2 / 4 x 0.5 = 0.25, so 8; returns -32.
    header.angle = 32.0f;
    header.rotation = 0.0f;
    EXPECT_EQ(SteerAngle(&header, 8, 248, 0.5f, 0.2f, 4.0f), -32);
    EXPECT_FLOAT_EQ(header.rotation, 8.0f);

    // A surface of 240 is -16 in -128..127: eased toward -16 from 0 by -4.
    header.angle = 240.0f;
    header.rotation = 0.0f;
    EXPECT_EQ(SteerAngle(&header, 8, 248, 0.5f, 0.2f, 4.0f), 16);
    EXPECT_FLOAT_EQ(header.rotation, -4.0f);

    // Flatter than the low limit: back toward upright, returning where it was.
    header.angle = 4.0f;
    header.rotation = 20.0f;
    EXPECT_EQ(SteerAngle(&header, 8, 248, 0.5f, 0.2f, 4.0f), 20);
    EXPECT_FLOAT_EQ(header.rotation, 15.0f);

    // The slow body eases at the minimum speed's share.
    header.groundSpeed = 0.0f;
    header.angle = 64.0f;
    header.rotation = 0.0f;
    SteerAngle(&header, 8, 248, 0.5f, 0.2f, 4.0f);
    EXPECT_FLOAT_EQ(header.rotation, 64.0f * 0.2f / 4.0f * 0.5f);

    // Paused, for a type that does not run while paused: untouched.
    pauseMenuOpen = 1;
    header.rotation = 3.0f;
    SteerAngle(&header, 8, 248, 0.5f, 0.2f, 4.0f);
    EXPECT_EQ(header.rotation, 3.0f);
    type.runsWhilePaused = 1;
    SteerAngle(&header, 8, 248, 0.5f, 0.2f, 4.0f);
    EXPECT_NE(header.rotation, 3.0f);
    pauseMenuOpen = 0;

    // A full speed of 0 leaves the rotation drawable.
    header.rotation = 5.0f;
    SteerAngle(&header, 8, 248, 0.5f, 0.0f, 0.0f);
    EXPECT_EQ(header.rotation, 5.0f);
}

TEST(Boxes, InsideTestAtTheHalvesAndTouchingEdges)
{
    const i64 b[4] = {0, 10, 0, 10}; // halves at 5
    struct Case {
        i64 a[4];
        u8 mode;
        bool inside;
    } cases[] = {
        {{-4, 0, 2, 8}, 0, true},    // right edge on b's left edge
        {{-4, 5, 2, 8}, 0, true},    // at the middle
        {{-4, 6, 2, 8}, 0, false},   // past it
        {{-4, 3, 10, 14}, 0, false}, // no vertical overlap: only touching
        {{5, 14, 2, 8}, 1, true},
        {{10, 14, 2, 8}, 1, true},   // left edge on b's right edge
        {{4, 14, 2, 8}, 1, false},
        {{2, 8, -4, 5}, 2, true},    // feet in the upper half
        {{2, 8, -4, 6}, 2, false},   // feet past the middle
        {{2, 8, -4, -1}, 2, false},  // above
        {{10, 14, -4, 3}, 2, false}, // only touching on the side
        {{2, 8, 5, 14}, 3, true},
        {{2, 8, 4, 14}, 3, false},
        {{0, 10, 0, 10}, 4, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BoxInsideTest(c.a, b, c.mode), c.inside)
            << "mode " << (int)c.mode << " a " << c.a[0] << "," << c.a[1] << "," << c.a[2] << "," << c.a[3];
}

// Pushes go through the movers, so they are tested on an empty world where nothing stops them.
class BoxOverlapTest : public CollisionFixture {};

TEST_F(BoxOverlapTest, PushesOutAlongTheAxisOfTheLargerOffset)
{
    ASSERT_TRUE(Load(datakit::CollisionWorld(16, 16)));
    ObjectHeader other{};
    other.x = 100.0f;
    other.y = 100.0f;
    const i64 b[4] = {90, 110, 90, 110};
    struct Case {
        f32 x, y;    // the body's position; its box is 10 wide and tall around it
        i8 side;
        f32 endX, endY;
    } cases[] = {
        {100.0f, 100.0f, 3, 100.0f, 115.0f}, // level with it: pushed down
        {102.0f, 106.0f, 3, 102.0f, 115.0f},
        {101.0f, 94.0f, 2, 101.0f, 85.0f},
        {94.0f, 98.0f, 0, 85.0f, 98.0f},
        {107.0f, 101.0f, 1, 115.0f, 101.0f},
        {115.0f, 100.0f, -1, 115.0f, 100.0f}, // only touching: b.right == a.left
        {100.0f, 85.0f, -1, 100.0f, 85.0f},
    };
    for (const Case& c : cases) {
        Place(c.x, c.y, -5, 5, -5, 5);
        const i64 a[4] = {(i64)c.x - 5, (i64)c.x + 5, (i64)c.y - 5, (i64)c.y + 5};
        header.vx = 1.5f;
        header.vy = -0.5f;
        EXPECT_EQ(BoxOverlapResolve(a, b, &body, &other, nullptr), c.side) << c.x << "," << c.y;
        EXPECT_EQ(header.x, c.endX) << c.x << "," << c.y;
        EXPECT_EQ(header.y, c.endY) << c.x << "," << c.y;
        // The push is a trial move: the body keeps its own speeds.
        EXPECT_EQ(header.vx, 1.5f);
        EXPECT_EQ(header.vy, -0.5f);
        EXPECT_EQ(ignoredObject, nullptr);
    }
}

TEST_F(BoxOverlapTest, APushIntoAWallStopsAtTheWall)
{
    datakit::CollisionWorld world(16, 16);
    world.Box(120, 0, 256, 256);
    ASSERT_TRUE(Load(world));
    ObjectHeader other{};
    other.x = 90.0f;
    other.y = 100.0f;
    const i64 b[4] = {80, 110, 80, 120};
    Place(105.0f, 100.0f, -12, 12, -12, 12);
    const i64 a[4] = {93, 117, 88, 112};
    EXPECT_EQ(BoxOverlapResolve(a, b, &body, &other, nullptr), 1);
    // A push of 17 to the right stops where the body's right side meets the wall.
    EXPECT_EQ(header.x + header.hitboxRight, 120.0f);
    EXPECT_EQ(header.contacts[1], datakit::collisionWorldLayer);
}

} // namespace
