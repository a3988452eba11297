// The body motion interface: the pixel stepper and its callback contract, the bookkeeping of
// MoveOnPlane, trial moves, and the hitbox turned into each plane.
#include <vector>

#include "Engine/Collision/PlaneMovers.h"
#include "Engine/Common/Anim.h"
#include "tests/unit/CollisionFixture.h"

namespace {

// A touch handler that counts its calls and, on one of them, zeroes a speed of the body it meets.
struct Stopper {
    int calls = 0;
    int stopAt = 0; // 1-based call that stops; 0 never
    bool stopX = true;
    std::vector<f32> xs; // the body's x at every call
};

bool StopperCallback(void* argument, void* instance)
{
    Stopper* stopper = (Stopper*)argument;
    ObjectHeader* header = HeaderOf(instance);
    stopper->xs.push_back(header->x);
    if (++stopper->calls == stopper->stopAt)
        (stopper->stopX ? header->vx : header->vy) = 0.0f;
    return true;
}

class MotionTest : public CollisionFixture {
protected:
    Stopper stopper;

    void AddStopper(int stopAt, bool stopX)
    {
        stopper = Stopper{};
        stopper.stopAt = stopAt;
        stopper.stopX = stopX;
        type.callbackCount = 0;
        AddObjectCallback(&type, StopperCallback, &stopper);
    }
};

TEST_F(MotionTest, StepperWalksTheLineAndStopsOnlyTheAxisACallbackStopped)
{
    struct Case {
        const char* what;
        f32 vx, vy;
        int stopAt;
        bool stopX;
        f32 endX, endY;
        i32 stoppedX, stoppedY;
        int calls;
    } cases[] = {
        // x-major, 10 by 4: two callback runs a pixel of x.
        {"free x-major", 10.0f, 4.0f, 0, true, 30.0f, 54.0f, 0, 0, 20},
        // vx zeroed at the first call: the move ends with 10 steps still counted.
        {"x stopped at once", 10.0f, 4.0f, 1, true, 21.0f, 50.0f, 10, 0, 2},
        // at the fifth call (third x pixel), after one y pixel.
        {"x stopped later", 10.0f, 4.0f, 5, true, 23.0f, 51.0f, 8, 0, 6},
        // vy zeroed: x goes on to the end, y moves no further.
        {"y stopped", 10.0f, 4.0f, 1, false, 30.0f, 50.0f, 0, 4, 20},
        // y-major, left and up: x follows every other y pixel, with one run each.
        {"free y-major", -3.0f, -7.0f, 0, true, 17.0f, 43.0f, 0, 0, 10},
        // vy zeroed at the second call: the major axis stopped ends the move.
        {"y-major, y stopped", -3.0f, -7.0f, 2, false, 20.0f, 48.0f, 0, 6, 2},
        {"diagonal", 5.0f, 5.0f, 0, true, 25.0f, 55.0f, 0, 0, 10},
        // Nothing to walk: no callback at all.
        {"still", 0.0f, 0.0f, 0, true, 20.0f, 50.0f, 0, 0, 0},
        {"inside the pixel", 0.4f, 0.3f, 0, true, 20.4f, 50.3f, 0, 0, 0},
    };
    for (const Case& c : cases) {
        AddStopper(c.stopAt, c.stopX);
        header.x = 20.0f;
        header.y = 50.0f;
        header.vx = c.vx;
        header.vy = c.vy;
        stoppedStepsX = stoppedStepsY = 0;
        StepWithCallbacks(&type, &body);
        EXPECT_FLOAT_EQ(header.x, c.endX) << c.what;
        EXPECT_FLOAT_EQ(header.y, c.endY) << c.what;
        EXPECT_EQ(stoppedStepsX, c.stoppedX) << c.what;
        EXPECT_EQ(stoppedStepsY, c.stoppedY) << c.what;
        EXPECT_EQ(stopper.calls, c.calls) << c.what;
        EXPECT_EQ(moveStartVx, c.vx) << c.what;
        EXPECT_EQ(moveStartVy, c.vy) << c.what;
    }
}

TEST_F(MotionTest, StepperKeepsTheFractionOfTheTarget)
{
    struct Case {
        f32 x, vx;
        f32 firstX; // position at the first callback
        f32 endX;
    } cases[] = {
        {10.25f, 2.5f, 11.75f, 12.75f},
        {10.25f, -2.5f, 9.75f, 7.75f},
        {10.75f, 0.5f, 11.25f, 11.25f},
    };
    for (const Case& c : cases) {
        AddStopper(0, true);
        header.x = c.x;
        header.y = 0.0f;
        header.vx = c.vx;
        header.vy = 0.0f;
        StepWithCallbacks(&type, &body);
        ASSERT_FALSE(stopper.xs.empty()) << c.x << " by " << c.vx;
        EXPECT_FLOAT_EQ(stopper.xs.front(), c.firstX) << c.x << " by " << c.vx;
        EXPECT_FLOAT_EQ(header.x, c.endX) << c.x << " by " << c.vx;
    }
}

TEST_F(MotionTest, MoveOnPlaneBookkeepsEvenWhenNoPlaneMoves)
{
    ASSERT_TRUE(Load(datakit::CollisionWorld(8, 8)));
    Place(40.0f, 40.0f, -4, 4, -4, 4);
    header.plane = 4;
    header.prevPlane = 1;
    header.groundContact = 7;
    header.lastGroundContact = 0;
    header.vx = 3.0f;
    header.vy = -2.0f;
    header.groundSpeed = 1.5f;
    stoppedStepsX = stoppedStepsY = 9;
    MoveOnPlane(&body, nullptr);
    EXPECT_EQ(header.prevPlane, 4);
    EXPECT_EQ(header.lastGroundContact, 7u);
    EXPECT_EQ(moveStartVx, 3.0f);
    EXPECT_EQ(moveStartVy, -2.0f);
    EXPECT_EQ(moveStartGroundSpeed, 1.5f);
    EXPECT_EQ(stoppedStepsX, 0);
    EXPECT_EQ(stoppedStepsY, 0);
    EXPECT_EQ(header.x, 40.0f);
    EXPECT_EQ(header.y, 40.0f);
    // With no layout the movers move nothing either.
    currentLayout = nullptr;
    header.plane = PlaneFloor;
    MoveOnPlane(&body, nullptr);
    EXPECT_EQ(header.x, 40.0f);
    EXPECT_EQ(header.y, 40.0f);
}

TEST_F(MotionTest, TrialMovesKeepTheBodysOwnSpeedsAndGround)
{
    datakit::CollisionWorld world(16, 8);
    world.Box(0, 96, 256, 128);
    ASSERT_TRUE(Load(world));
    ObjectHeader pusher{};
    Place(60.0f, 80.0f, -8, 8, -16, 16);
    Settle();
    Settle(); // grounded at the start of a move too
    ASSERT_EQ(header.groundContact, 1u);
    ASSERT_EQ(header.y, 80.0f);

    // An airborne trial (keepGround false) of a grounded body: pushed, still grounded, own speeds.
    header.groundSpeed = 1.5f;
    header.vx = 1.5f;
    header.vy = 0.0f;
    ObjectHeader* seen = nullptr;
    struct Watch {
        ObjectHeader** seen;
    } watch{&seen};
    type.callbackCount = 0;
    AddObjectCallback(
        &type,
        [](void* argument, void*) {
            *((Watch*)argument)->seen = ignoredObject;
            return true;
        },
        &watch);
    EXPECT_EQ(TryMoveOnPlane(&body, nullptr, 10.0f, 0.0f, 0.0f, false, &pusher), &header);
    EXPECT_EQ(header.x, 70.0f);
    EXPECT_EQ(header.y, 80.0f);
    EXPECT_EQ(header.groundContact, 1u);
    EXPECT_EQ(header.lastGroundContact, 1u);
    EXPECT_EQ(header.vx, 1.5f);
    EXPECT_EQ(header.vy, 0.0f);
    EXPECT_EQ(header.groundSpeed, 1.5f);
    EXPECT_EQ(seen, &pusher);         // the pusher was named while the body moved
    EXPECT_EQ(ignoredObject, nullptr); // and is not after

    // A grounded trial pushed straight up takes no grounded step: only the end-of-move checks run.
    EXPECT_EQ(TryMoveOnPlane(&body, nullptr, 0.0f, -12.0f, 0.0f, true, &pusher), &header);
    EXPECT_EQ(header.x, 70.0f);
    EXPECT_EQ(header.y, 80.0f);
    EXPECT_EQ(header.groundContact, 1u);
    EXPECT_EQ(header.vy, 0.0f);

    // Pushed down into the floor as an airborne trial: stopped by it, popped back out.
    TryMoveOnPlane(&body, nullptr, 0.0f, 20.0f, 0.0f, false, &pusher);
    EXPECT_EQ(header.y, 80.0f);
    EXPECT_EQ(header.groundContact, 1u);
}

TEST_F(MotionTest, HitboxTurnsIntoEachPlaneAndMirrors)
{
    // The frame's box l, r, t, b = -3, 5, -7, 11, with the turns and mirrors of each plane.
    AnimBox box{-3, 5, -7, 11};
    AnimFrame frame{};
    frame.box = &box;
    Animation animation{};
    animation.frameCount = 1;
    animation.frames = &frame;
    AnimSet set{};
    set.loaded = 1;
    AnimPlayer player{};
    player.set = &set;
    player.animation = &animation;

    struct Case {
        u8 plane, flipX, flipY;
        i64 left, right, top, bottom;
    } cases[] = {
        {0, 0, 0, -3, 5, -7, 11},  {0, 1, 0, -5, 3, -7, 11},  {0, 0, 1, -3, 5, -11, 7},
        {1, 0, 0, -7, 11, -5, 3},  {1, 0, 1, -11, 7, -5, 3},  {1, 1, 0, -7, 11, -3, 5},
        {2, 0, 0, -5, 3, -11, 7},  {2, 1, 0, -3, 5, -11, 7},  {2, 0, 1, -5, 3, -7, 11},
        {3, 0, 0, -11, 7, -3, 5},  {3, 0, 1, -7, 11, -3, 5},  {3, 1, 0, -11, 7, -5, 3},
    };
    currentLayout = nullptr; // the hitbox is taken before the movers look for a layout
    for (const Case& c : cases) {
        header.plane = c.plane;
        header.flipX = c.flipX;
        header.flipY = c.flipY;
        MoveOnPlane(&body, &player);
        EXPECT_EQ(header.hitboxLeft, c.left) << "plane " << (int)c.plane << " flips " << (int)c.flipX << (int)c.flipY;
        EXPECT_EQ(header.hitboxRight, c.right) << "plane " << (int)c.plane;
        EXPECT_EQ(header.hitboxTop, c.top) << "plane " << (int)c.plane;
        EXPECT_EQ(header.hitboxBottom, c.bottom) << "plane " << (int)c.plane;
    }
    // No frame to read: the hitbox stays.
    set.loaded = 0;
    header.plane = 0;
    MoveOnPlane(&body, &player);
    EXPECT_EQ(header.hitboxLeft, -11);
}

} // namespace
