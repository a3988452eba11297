// The wall and ceiling movers: hand-overs from the right wall to the ceiling and back down to the
// floor with the speed each plane gives, the refusal to go straight back, and a closed loop run
// right round through all four planes, both ways.
#include <functional>
#include <vector>

#include "Engine/Collision/TileQuery.h"
#include "tests/unit/CollisionFixture.h"

namespace {

using datakit::CollisionWorld;

constexpr u8 layer = datakit::collisionWorldLayer;

class WallMoverTest : public CollisionFixture {
protected:
    // A square body (so that it is the same shape on every plane) standing on the right wall.
    void OnRightWall(f32 x, f32 y, f32 groundSpeed, u8 prevPlane)
    {
        Place(x, y, -10, 10, -10, 10);
        header.plane = PlaneRightWall;
        header.prevPlane = prevPlane;
        header.groundContact = header.lastGroundContact = layer;
        header.angle = 192.0f;
        header.groundSpeed = groundSpeed;
    }

    // Moves until the plane changes (or the moves run out); the header after each move.
    std::vector<ObjectHeader> RunUntilPlaneChanges(int moves)
    {
        std::vector<ObjectHeader> states;
        const u8 start = header.plane;
        for (int i = 0; i < moves && header.plane == start; ++i) {
            Move();
            states.push_back(header);
        }
        return states;
    }
};

// A wall whose face is column 200, from the top of the map down.
void RightWall(CollisionWorld& world)
{
    world.Box(200, 0, world.Width(), world.Height());
}

TEST_F(WallMoverTest, UpTheRightWallOntoTheCeiling)
{
    CollisionWorld world(24, 16);
    RightWall(world);
    // An overhang running up and left from the wall: angle 140 along it.
    world.CeilingRamp(100, 40, 200, 70, 0);
    ASSERT_TRUE(Load(world));
    OnRightWall(190.0f, 150.0f, 4.0f, PlaneRightWall);
    const std::vector<ObjectHeader> states = RunUntilPlaneChanges(60);
    ASSERT_EQ(header.plane, PlaneCeiling);
    for (size_t i = 0; i + 1 < states.size(); ++i) {
        EXPECT_EQ(states[i].groundContact, layer) << "move " << i;
        EXPECT_EQ(states[i].x, 190.0f) << "move " << i; // against the wall all the way up
        EXPECT_EQ(states[i].vy, -4.0f) << "move " << i;
    }
    // Handed over in mid-move: the ceiling takes the speed up the wall as its speed to the left.
    EXPECT_EQ(header.vx, header.vy);
    EXPECT_EQ(header.vx, -4.0f);
    EXPECT_EQ(header.groundContact, layer);
    EXPECT_EQ(header.prevPlane, PlaneCeiling);
    // The next moves run along the overhang to the left, staying on it.
    for (int i = 0; i < 5; ++i) {
        const f32 x = header.x;
        Move();
        EXPECT_EQ(header.plane, PlaneCeiling);
        EXPECT_EQ(header.groundContact, layer);
        EXPECT_LT(header.x, x);
        EXPECT_TRUE(OnSurface(header)) << header.x << "," << header.y;
    }
}

// A ramp rising toward the wall from a floor: angle 230 along it.
void WallFoot(CollisionWorld& world)
{
    RightWall(world);
    world.Box(0, 200, 120, world.Height());
    world.Ramp(120, 200, 200, 141, world.Height());
}

TEST_F(WallMoverTest, DownTheRightWallOntoTheFloor)
{
    CollisionWorld world(24, 16);
    WallFoot(world);
    ASSERT_TRUE(Load(world));
    OnRightWall(190.0f, 60.0f, -4.0f, PlaneRightWall);
    RunUntilPlaneChanges(60);
    ASSERT_EQ(header.plane, PlaneFloor);
    // The floor takes the speed down the wall as its speed to the left.
    EXPECT_EQ(header.vx, -4.0f);
    EXPECT_EQ(header.vy, 4.0f);
    EXPECT_EQ(header.groundContact, layer);
    // And runs down the ramp and away along the floor.
    for (int i = 0; i < 40; ++i)
        Move();
    EXPECT_EQ(header.plane, PlaneFloor);
    EXPECT_EQ(header.groundContact, layer);
    EXPECT_EQ(header.y, 190.0f);
    EXPECT_LT(header.x, 100.0f);
}

TEST_F(WallMoverTest, NotStraightBackToTheFloorItCameFrom)
{
    CollisionWorld world(24, 16);
    WallFoot(world);
    ASSERT_TRUE(Load(world));
    // Just above the foot of the wall, where the first steps already meet the ramp's angle.
    for (const u8 cameFrom : {PlaneRightWall, PlaneFloor}) {
        SCOPED_TRACE(cameFrom);
        OnRightWall(190.0f, 120.0f, -4.0f, cameFrom);
        for (int i = 0; i < 6; ++i) {
            Move();
            ASSERT_EQ(header.angle, 230.0f) << "move " << i;
            if (cameFrom == PlaneFloor) {
                // Refused at every step, and still remembered.
                EXPECT_EQ(header.plane, PlaneRightWall) << "move " << i;
                EXPECT_EQ(header.prevPlane, PlaneFloor) << "move " << i;
                EXPECT_EQ(header.groundContact, layer) << "move " << i;
            } else {
                EXPECT_EQ(header.plane, PlaneFloor) << "move " << i;
            }
        }
    }
}

// A loop: the inside of a circle of radius 96 in a 256-pixel square.
class LoopTest : public WallMoverTest, public ::testing::WithParamInterface<f32> {};

TEST_P(LoopTest, RunsRoundThroughEveryPlaneAndBackOntoTheFloor)
{
    const f32 speed = GetParam();
    CollisionWorld world(16, 16);
    world.Ring(128.0, 128.0, 96.0, 0, 0, 256, 256);
    ASSERT_TRUE(Load(world));
    Place(128.0f, 220.0f, -10, 10, -10, 10); // in the rock: the first move lifts it out
    Settle();
    Settle();
    ASSERT_EQ(header.groundContact, layer);
    ASSERT_EQ(header.y, 214.0f);
    header.groundSpeed = speed;

    std::vector<u8> planes{PlaneFloor};
    for (int i = 0; i < 400 && planes.size() < 5; ++i) {
        Move();
        ASSERT_EQ(header.groundContact, layer) << "move " << i << " at " << header.x << "," << header.y;
        // A plane taken over at the last step of a move is the next move's; until then the body
        // stands on the plane it moved on.
        if (header.plane == planes.back()) {
            EXPECT_TRUE(OnSurface(header)) << "move " << i << " at " << header.x << "," << header.y;
        }
        if (header.plane != planes.back())
            planes.push_back(header.plane);
    }
    const std::vector<u8> expected = speed > 0 ? std::vector<u8>{0, 1, 2, 3, 0} : std::vector<u8>{0, 3, 2, 1, 0};
    EXPECT_EQ(planes, expected);
    // Round and back at the bottom, standing on the floor and running on.
    for (int i = 0; i < 10; ++i)
        Move();
    EXPECT_EQ(header.plane, PlaneFloor);
    EXPECT_EQ(header.groundContact, layer);
    EXPECT_GT(header.y, 200.0f);
    EXPECT_TRUE(OnSurface(header));
}

INSTANTIATE_TEST_SUITE_P(BothWays, LoopTest, ::testing::Values(4.0f, -4.0f, 7.0f, -2.5f));

} // namespace
