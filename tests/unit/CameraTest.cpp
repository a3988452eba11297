// Cameras: the camera pass, the easing of the scroll bounds, the reset and the wrap rule.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "Engine/Common/Camera.h"
#include "Engine/Render/VideoMode.h"

namespace {

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedWidth = screenWidth;
        savedHeight = screenHeight;
        screenWidth = 424;
        screenHeight = 240;
        for (int slot = 0; slot < cameraCount; ++slot) {
            cameras[slot] = Camera{};
            cameraLimits[slot] = CameraLimits{};
        }
        ResetCameras();
        currentCamera = 0;
    }
    void TearDown() override
    {
        screenWidth = savedWidth;
        screenHeight = savedHeight;
        ResetCameras();
        for (int slot = 0; slot < cameraCount; ++slot) {
            cameras[slot] = Camera{};
            cameraLimits[slot] = CameraLimits{};
        }
    }
    i32 savedWidth = 0, savedHeight = 0;
};

enum Side { Left, Right, Top, Bottom };

struct EaseCase {
    const char* what;
    Side side;
    i32 bound, target, scroll;
    std::vector<i32> expected; // the bound after each tick
};

i32& BoundOf(CameraLimits& limits, Side side)
{
    switch (side) {
    case Left: return limits.leftBound;
    case Right: return limits.rightBound;
    case Top: return limits.topBound;
    default: return limits.bottomBound;
    }
}
i32& TargetOf(CameraLimits& limits, Side side)
{
    switch (side) {
    case Left: return limits.leftTarget;
    case Right: return limits.rightTarget;
    case Top: return limits.topTarget;
    default: return limits.bottomTarget;
    }
}

TEST_F(CameraTest, BoundsEaseTowardTheirTargets)
{
    const EaseCase cases[] = {
        {"opening left, far from the view: snaps", Left, 100, 0, 200, {0, 0}},
        {"opening left, near the view: 2 a tick", Left, 100, 0, 110, {98, 96, 94}},
        {"opening left, inside the view", Left, 100, 99, 50, {99, 99}},
        {"closing left: to the view's edge, then 2 a tick", Left, 0, 300, 100, {100, 102, 104}},
        {"closing left, target behind the view: snaps", Left, 0, 300, 400, {300}},
        {"closing left, last step lands on the target", Left, 299, 300, 100, {300, 300}},
        {"opening right, near the view", Right, 424, 1000, 0, {426, 428}},
        {"opening right, far from the view: snaps", Right, 500, 1000, 0, {1000}},
        {"closing right: to the view's edge, then 2 a tick", Right, 1000, 300, 0, {424, 422, 420}},
        {"closing right, target beyond the view: snaps", Right, 1000, 500, 0, {500}},
        {"opening top, near the view", Top, 50, 0, 60, {48, 46}},
        {"closing top", Top, 0, 100, 20, {20, 22}},
        {"opening bottom uses the screen height", Bottom, 240, 400, 0, {242, 244}},
        {"opening bottom, far: snaps", Bottom, 300, 400, 0, {400}},
        {"closing bottom", Bottom, 600, 100, 0, {240, 238}},
        {"a bound at its target stays", Right, 700, 700, 0, {700, 700}},
        {"extreme values do not overflow", Left, INT_MIN, INT_MAX, INT_MAX, {INT_MAX}},
        {"extreme values do not overflow (right)", Right, INT_MAX, INT_MIN, INT_MIN, {INT_MIN + 424, INT_MIN + 422}},
    };
    for (const EaseCase& c : cases) {
        SCOPED_TRACE(c.what);
        for (int slot = 0; slot < cameraCount; ++slot)
            cameraLimits[slot] = CameraLimits{};
        // Every camera eases, with or without a follow function; camera 2 carries the case.
        const bool vertical = c.side == Top || c.side == Bottom;
        (vertical ? cameraScrollY : cameraScrollX)[2] = c.scroll;
        BoundOf(cameraLimits[2], c.side) = c.bound;
        TargetOf(cameraLimits[2], c.side) = c.target;
        currentCamera = 3;
        for (i32 expected : c.expected) {
            EaseCameraBounds();
            EXPECT_EQ(BoundOf(cameraLimits[2], c.side), expected);
        }
        EXPECT_EQ(currentCamera, 0);
        (vertical ? cameraScrollY : cameraScrollX)[2] = 0;
    }
}

TEST_F(CameraTest, BoundsEaseOnEveryCameraAtOnce)
{
    for (int slot = 0; slot < cameraCount; ++slot) {
        cameraLimits[slot].leftBound = 100;
        cameraLimits[slot].leftTarget = 0;
        cameraScrollX[slot] = 110;
    }
    EaseCameraBounds();
    for (int slot = 0; slot < cameraCount; ++slot)
        EXPECT_EQ(cameraLimits[slot].leftBound, 98) << "camera " << slot;
}

u8 slotSeenByFollow[cameraCount];
int followCalls;

void FollowTo(ObjectHeader* followed)
{
    // The followed pointer carries the position to take, for the test.
    const f32* position = reinterpret_cast<const f32*>(followed);
    slotSeenByFollow[followCalls++ % cameraCount] = currentCamera;
    cameras[currentCamera].x = position[0];
    cameras[currentCamera].y = position[1];
}

TEST_F(CameraTest, CameraPassRunsFollowFunctionsAndTruncatesTowardZero)
{
    f32 target1[2] = {-0.5f, 12.9f};
    f32 target3[2] = {-7.9f, 1e30f};
    followCalls = 0;
    cameras[1] = Camera{0, 0, reinterpret_cast<ObjectHeader*>(target1), FollowTo};
    cameras[3] = Camera{0, 0, reinterpret_cast<ObjectHeader*>(target3), FollowTo};
    cameras[0].x = -3.75f;
    cameras[0].y = 99.99f;
    cameraScrollX[2] = 55; // no follow function: its integer scroll stays
    UpdateCameras();
    ASSERT_EQ(followCalls, 2);
    EXPECT_EQ(slotSeenByFollow[0], 1);
    EXPECT_EQ(slotSeenByFollow[1], 3);
    EXPECT_EQ(currentCamera, 0);
    EXPECT_EQ(cameraScrollX[1], 0); // -0.5 truncates to 0
    EXPECT_EQ(cameraScrollY[1], 12);
    EXPECT_EQ(cameraScrollX[3], -7);
    EXPECT_EQ(cameraScrollY[3], INT_MAX); // out of range: clamped, not undefined
    EXPECT_EQ(cameraScrollX[2], 55);
    // Camera 0 has no follow function: its integer scroll is untouched, the global scroll is not.
    EXPECT_EQ(cameraScrollX[0], 0);
    EXPECT_EQ(scrollX, -3);
    EXPECT_EQ(scrollY, 99);

    cameras[0].x = std::numeric_limits<f32>::quiet_NaN();
    cameras[0].y = -1e30f;
    UpdateCameras();
    EXPECT_EQ(scrollX, 0);
    EXPECT_EQ(scrollY, INT_MIN);
}

TEST_F(CameraTest, ResetClearsFollowAndScrollButKeepsPositions)
{
    f32 target[2] = {10, 20};
    cameras[2] = Camera{5, 6, reinterpret_cast<ObjectHeader*>(target), FollowTo};
    cameraScrollX[2] = 7;
    cameraScrollY[1] = 8;
    scrollX = 9;
    scrollY = 10;
    ResetCameras();
    EXPECT_EQ(cameras[2].follow, nullptr);
    EXPECT_EQ(cameras[2].followed, nullptr);
    EXPECT_EQ(cameras[2].x, 5);
    EXPECT_EQ(cameras[2].y, 6);
    EXPECT_EQ(cameraScrollX[2], 0);
    EXPECT_EQ(cameraScrollY[1], 0);
    EXPECT_EQ(scrollX, 0);
    EXPECT_EQ(scrollY, 0);
}

TEST_F(CameraTest, WrapRuleMovesPositionsOnceThroughTheCurrentCameraBounds)
{
    cameraLimits[1] = CameraLimits{};
    cameraLimits[1].leftBound = 100;
    cameraLimits[1].rightBound = 600;
    cameraLimits[1].topBound = 0;
    cameraLimits[1].bottomBound = 300;
    cameraLimits[1].wrapWidth = 500;
    cameraLimits[1].wrapHeight = 300;
    currentCamera = 1;
    // No wrap flags: positions stay, inside or out.
    EXPECT_EQ(WrapWorldX(50), 50);
    EXPECT_EQ(WrapWorldY(-5), -5);
    cameraLimits[1].wrapX = 1;
    cameraLimits[1].wrapY = 1;
    EXPECT_EQ(WrapWorldX(99), 599);
    EXPECT_EQ(WrapWorldX(100), 100);
    EXPECT_EQ(WrapWorldX(599), 599);
    EXPECT_EQ(WrapWorldX(600), 100);
    EXPECT_EQ(WrapWorldX(-1000), -500); // once, not into the window
    EXPECT_EQ(WrapWorldY(-1), 299);
    EXPECT_EQ(WrapWorldY(300), 0);
    // Camera 0's settings do not apply while camera 1 is current.
    currentCamera = 0;
    EXPECT_EQ(WrapWorldX(99), 99);
}

} // namespace
