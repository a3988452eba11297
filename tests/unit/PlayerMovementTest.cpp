// The player on small collision worlds, driven through its type with the data kit's player data:
// standing, running on flat ground and slopes, round a loop, jumping and the jump cut, landing,
// one-way floors, the ground combo, the bounce, the camera's look and follow, bones into health
// and lives, and the load and spawn rules (checkpoints, the missing whip).
#include <cmath>
#include <string>
#include <vector>

#include "Engine/Collision/AngleTables.h"
#include "Engine/Collision/Motion.h"
#include "Engine/Collision/MotionScratch.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/Sound.h"
#include "Engine/Platform/Controls.h"
#include "Game/Actors/ActorBlock.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Player/Player.h"
#include "Game/Whip/Whip.h"
#include "tests/unit/PlayerWorld.h"
#include "tools/datakit/ActorData.h"
#include "tools/datakit/CollisionKit.h"
#include "tools/datakit/PlayerArt.h"
#include "tools/datakit/WhipArt.h"

namespace {

using datakit::CollisionWorld;

constexpr u8 worldLayer = datakit::collisionWorldLayer;

// The player's tuning.
constexpr f32 maxRun = 2.65625f;
constexpr f32 accel = 0.15625f;
constexpr f32 friction = 0.140625f;
constexpr f32 jumpSpeed = 5.59375f;
constexpr f32 gravity = 0.28125f;

// The body box is 32 tall with the position at its middle: feet 16 below.
constexpr f32 feet = 16.0f;

class PlayerTest : public PlayerWorld {
protected:
    PlayerTest() : PlayerWorld("palvic-player-") {}

    // Loads the type and spawns the player at (x, y).
    void Spawn(f32 x, f32 y)
    {
        PlayerLoad(nullptr);
        ASSERT_TRUE(Player.registered);
        SpawnPlayerAt(x, y);
    }

    // Spawns the player with its feet sunk a few pixels into the ground at x (ground top at
    // groundY) and lets the first tick lift it out and land it.
    void SpawnStanding(f32 x, f32 groundY, u32 held = 0)
    {
        Spawn(x, groundY - feet + 3.0f);
        Tick(held);
        ASSERT_NE(H().groundContact, 0u);
    }

    ObjectHeader& H() { return *player->header; }

    void Ticks(int n, u32 held)
    {
        for (int i = 0; i < n; ++i)
            Tick(held);
    }
};

// ---- Standing and running ----

TEST_F(PlayerTest, StandingStillHoldsTheFirstStandFrameWithoutDrift)
{
    LoadWorld(Flat());
    SpawnStanding(200.0f, 192.0f);
    const f32 x = H().x, y = H().y;
    EXPECT_EQ(y + feet, 192.0f);
    EXPECT_EQ(H().groundSpeed, 0.0f);
    // The stand animation has two frames of 30 ticks; standing never leaves the first.
    for (int i = 0; i < 120; ++i) {
        Tick(0);
        ASSERT_EQ(player->anim.animIndex, 4) << "tick " << i;
        ASSERT_EQ(player->anim.frameIndex, 0) << "tick " << i;
        ASSERT_EQ(H().x, x) << "tick " << i;
        ASSERT_EQ(H().y, y) << "tick " << i;
        ASSERT_EQ(H().vx, 0.0f);
        ASSERT_EQ(H().groundSpeed, 0.0f);
    }
    EXPECT_EQ(player->state, PlayerStateNormal);
    EXPECT_EQ(H().plane, PlaneFloor);
    EXPECT_EQ(H().flipX, 0);
}

struct RunCase {
    const char* name;
    u32 button;
    f32 sign;
    u8 facing;
    u16 walk, stand;
};

class PlayerRunTest : public PlayerTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(PlayerRunTest, AcceleratesToMaxRunAndBrakesByFriction)
{
    const RunCase& c = GetParam();
    LoadWorld(Flat());
    SpawnStanding(300.0f, 192.0f);
    // Speed builds by accel a tick up to maxRun (17 ticks exactly) and stays there.
    for (int k = 1; k <= 30; ++k) {
        Tick(c.button);
        const f32 expected = std::fmin(k * accel, maxRun);
        ASSERT_NEAR(H().groundSpeed, c.sign * expected, 1e-5f) << "tick " << k;
        ASSERT_EQ(player->facing, c.facing);
    }
    EXPECT_EQ(H().groundSpeed, c.sign * maxRun);
    EXPECT_EQ(H().vx, c.sign * maxRun);
    EXPECT_EQ(player->anim.animIndex, c.walk);
    EXPECT_EQ(H().flipX, 0); // the facing lives in the record

    // Let go: friction takes 0.140625 a tick down to exactly 0, then the stand.
    const f32 x0 = H().x;
    for (int j = 1; j <= 25; ++j) {
        Tick(0);
        const f32 expected = std::fmax(maxRun - j * friction, 0.0f);
        ASSERT_NEAR(H().groundSpeed, c.sign * expected, 1e-5f) << "tick " << j;
    }
    EXPECT_EQ(H().groundSpeed, 0.0f);
    EXPECT_EQ(player->anim.animIndex, c.stand);
    // It coasted the sum of the speeds it had at the start of each move.
    f32 coast = 0.0f;
    for (int j = 0; j < 25; ++j)
        coast += std::fmax(maxRun - j * friction, 0.0f);
    EXPECT_NEAR(H().x - x0, c.sign * coast, 1e-3f);
    EXPECT_EQ(H().y + feet, 192.0f);
}

INSTANTIATE_TEST_SUITE_P(BothWays, PlayerRunTest,
                         ::testing::Values(RunCase{"Right", ButtonRight, 1.0f, 0, 12, 4},
                                           RunCase{"Left", ButtonLeft, -1.0f, 1, 15, 5}),
                         [](const ::testing::TestParamInfo<RunCase>& info) { return info.param.name; });

// ---- Slopes ----

// The slope's pull: s = sin(t) x 0.2 / 256, and the running limit 2.65625 + sin(t) x 3.5 / 256 on
// the way down (2.65625 - ... when moving back).
f32 SlopePull(u8 t)
{
    return (f32)sinTable[t] * 0.2f / 256.0f;
}
f32 SlopeLimit(u8 t)
{
    return maxRun + (f32)sinTable[t] * 3.5f / 256.0f;
}

struct SlopeCase {
    const char* name;
    i32 rise, run;   // the ramp's steepness; it climbs to the right (rise > 0) or falls
    u32 held;
    bool slides; // without input: the pull is 0.1 or more and beats the friction it cuts
};

class PlayerSlopeTest : public PlayerTest, public ::testing::WithParamInterface<SlopeCase> {};

TEST_P(PlayerSlopeTest, SlopesPullAndSetTheRunningLimit)
{
    const SlopeCase& c = GetParam();
    CollisionWorld world(48, 40);
    // A ramp across the world, through (320, 320).
    const auto groundAt = [&](f32 x) { return 320.0f - (x - 320.0f) * (f32)c.rise / (f32)c.run; };
    world.Ramp(0, (i32)groundAt(0.0f), 768, (i32)groundAt(768.0f), world.Height());
    LoadWorld(world);
    const f32 x = 320.0f;
    SpawnStanding(x, groundAt(x), c.held);
    const u8 t = (u8)(i32)H().angle;
    // On the floor plane, whose slopes run from 225 round to 32.
    ASSERT_EQ(H().plane, PlaneFloor) << (int)t;
    ASSERT_TRUE(c.rise > 0 ? t > 224 : t > 0 && t <= 32) << (int)t;
    const f32 s = SlopePull(t);

    if (!c.held) {
        // The pull each tick, and friction against it: cut by 1.5 where the pull is 0.1 or more
        // along the motion, and stopping at 0.
        ASSERT_EQ(s <= -0.1f, c.slides) << (int)t;
        for (int k = 1; k <= 12; ++k) {
            if (k > 1)
                Tick(0);
            const f32 expected = c.slides ? k * (s + friction / 1.5f) : 0.0f;
            ASSERT_NEAR(H().groundSpeed, expected, 1e-4f) << "tick " << k << " angle " << (int)t;
        }
        if (c.slides)
            EXPECT_LT(H().x, x);
        else
            EXPECT_EQ(H().x, x);
        return;
    }

    // Holding the way of the ramp, the speed settles at exactly the slope's limit.
    const f32 limit = SlopeLimit(t);
    for (int k = 0; k < 60; ++k) {
        Tick(c.held);
        ASSERT_EQ(H().groundContact, worldLayer) << "tick " << k;
    }
    EXPECT_EQ(H().groundSpeed, limit);
    EXPECT_EQ(player->maxRun, limit);
    if (c.rise > 0)
        EXPECT_LT(limit, maxRun);
    else
        EXPECT_GT(limit, maxRun);
    EXPECT_GT(H().x, x);
}

// 2 in 3 is about 34 degrees (angle 232 climbing, 24 falling); 1 in 2 about 27 (237, 19).
INSTANTIATE_TEST_SUITE_P(
    Ramps, PlayerSlopeTest,
    ::testing::Values(SlopeCase{"ClimbingRight", 2, 3, ButtonRight, false},
                      SlopeCase{"RunningDownRight", -2, 3, ButtonRight, false},
                      SlopeCase{"SlidingBackDownASteepClimb", 2, 3, 0, true},
                      SlopeCase{"HoldingOnAGentleClimb", 1, 2, 0, false}),
    [](const ::testing::TestParamInfo<SlopeCase>& info) { return info.param.name; });

// ---- The loop ----

class PlayerLoopTest : public PlayerTest {
protected:
    // The inside of a circle of radius 96 in a 256-pixel square; the player at rest at its bottom.
    void StandInLoop()
    {
        CollisionWorld world(16, 16);
        world.Ring(128.0, 128.0, 96.0, 0, 0, 256, 256);
        LoadWorld(world);
        SpawnStanding(128.0f, 224.0f);
        ASSERT_EQ(H().plane, PlaneFloor);
    }
};

TEST_F(PlayerLoopTest, RunsRoundWallsAndCeilingAndBackOntoTheFloor)
{
    StandInLoop();
    H().groundSpeed = 12.0f;
    std::vector<u8> planes{PlaneFloor};
    for (int i = 0; i < 200 && planes.size() < 5; ++i) {
        Tick(ButtonRight);
        ASSERT_NE(H().groundContact, 0u) << "tick " << i << " at " << H().x << "," << H().y;
        if (H().plane != planes.back())
            planes.push_back(H().plane);
    }
    EXPECT_EQ(planes, (std::vector<u8>{PlaneFloor, PlaneRightWall, PlaneCeiling, PlaneLeftWall, PlaneFloor}));
    EXPECT_GT(H().groundSpeed, 0.0f);
}

TEST_F(PlayerLoopTest, TooSlowOnTheWallLetsGoAndFalls)
{
    StandInLoop();
    H().groundSpeed = 4.5f;
    bool letGo = false;
    for (int i = 0; i < 120 && !letGo; ++i) {
        const u8 planeBefore = H().plane;
        Tick(0);
        if (planeBefore == PlaneRightWall && !H().groundContact) {
            // Below 2.5 on the wall, rising, with no floor under it: back to the floor plane,
            // airborne and without ground speed.
            letGo = true;
            EXPECT_EQ(H().plane, PlaneFloor);
            EXPECT_LE(H().vy, 0.0f);
        }
    }
    ASSERT_TRUE(letGo);
    // It falls back and lands at the bottom.
    for (int i = 0; i < 120 && !(H().groundContact && H().plane == PlaneFloor && H().y > 180.0f); ++i)
        Tick(0);
    EXPECT_NE(H().groundContact, 0u);
    EXPECT_GT(H().y, 180.0f);
}

// ---- Jumping ----

TEST_F(PlayerTest, JumpLeavesAtJumpSpeedAndPeaksAt58Pixels)
{
    LoadWorld(Flat());
    SpawnStanding(200.0f, 192.0f);
    const f32 y0 = H().y;
    soundQueue = SoundQueue{};
    Tick(ButtonJump, ButtonJump);
    EXPECT_EQ(H().vy, -jumpSpeed);
    EXPECT_EQ(H().vx, 0.0f);
    EXPECT_EQ(H().groundContact, 0u);
    EXPECT_EQ(player->jumping, 1);
    EXPECT_EQ(player->jumpHeld, 1);
    EXPECT_TRUE(Queued(jumpSound));
    EXPECT_EQ(player->anim.animIndex, 49); // rising

    // Held all the way: each move goes by the speed before that tick's gravity. The rise is
    // 20 x 5.59375 - 0.28125 x (0 + 1 + ... + 19) = 58.4375 pixels.
    f32 highest = y0;
    bool fell = false;
    for (int i = 0; i < 60 && !H().groundContact; ++i) {
        Tick(ButtonJump);
        highest = std::fmin(highest, H().y);
        if (H().vy >= 0.0f && !fell) {
            fell = true;
            EXPECT_EQ(i, 19);
        }
    }
    EXPECT_EQ(y0 - highest, 58.4375f);
    EXPECT_EQ((i32)H().y, (i32)y0); // and back down onto the floor
}

struct ReleaseCase {
    int releaseTick; // ticks after the take-off
    f32 after;       // vy after the tick of the release
};

class PlayerJumpReleaseTest : public PlayerTest, public ::testing::WithParamInterface<ReleaseCase> {};

TEST_P(PlayerJumpReleaseTest, LettingGoWhileRisingCutsTheRise)
{
    const ReleaseCase& c = GetParam();
    LoadWorld(Flat());
    SpawnStanding(200.0f, 192.0f);
    Tick(ButtonJump, ButtonJump);
    for (int i = 1; i < c.releaseTick; ++i)
        Tick(ButtonJump);
    Tick(0);
    EXPECT_EQ(H().vy, c.after);
    EXPECT_EQ(player->jumpHeld, 0);
    // Once cut, the rise goes on from there under gravity.
    Tick(0);
    EXPECT_EQ(H().vy, c.after + gravity);
}

INSTANTIATE_TEST_SUITE_P(
    Releases, PlayerJumpReleaseTest,
    ::testing::Values(ReleaseCase{1, -0.9375f + gravity},   // at -5.59375: cut at once
                      ReleaseCase{10, -0.9375f + gravity},  // at -3.0625
                      ReleaseCase{17, -0.9375f + gravity},  // at -1.09375, still below the cut
                      ReleaseCase{18, -0.8125f + gravity},  // -0.8125 is above the cut: unchanged
                      ReleaseCase{24, 0.875f + gravity}));  // after the peak: unchanged

TEST_F(PlayerTest, LandingFlatKeepsTheRunDividedBy1Point5)
{
    LoadWorld(Flat(64));
    SpawnStanding(100.0f, 192.0f);
    Ticks(20, ButtonRight);
    ASSERT_EQ(H().vx, maxRun);
    // Jump and let go of right: nothing slows the flight.
    Tick(ButtonJump, ButtonJump);
    int landedAt = -1;
    for (int i = 0; i < 60; ++i) {
        Tick(ButtonJump);
        if (H().groundContact) {
            landedAt = i;
            break;
        }
        ASSERT_EQ(H().vx, maxRun) << "tick " << i;
    }
    ASSERT_GE(landedAt, 0);
    EXPECT_EQ(H().vx, maxRun / 1.5f);
    EXPECT_EQ(H().vy, 0.0f);
    EXPECT_EQ((i32)(H().y + feet), 192);
    EXPECT_EQ(player->jumping, 0);
    EXPECT_EQ(player->anim.animIndex, 12);
}

// ---- One-way floors ----

struct DropCase {
    const char* name;
    u16 ledgeBits;   // the ledge's cells
    bool downOnLand; // down held on the landing tick
    bool downLater;  // down held from a few ticks after landing
    bool dropped;
};

class PlayerDropThroughTest : public PlayerTest, public ::testing::WithParamInterface<DropCase> {};

TEST_P(PlayerDropThroughTest, DropsOnlyThroughAOneWayFloorOnTheLandingTick)
{
    const DropCase& c = GetParam();
    CollisionWorld world(32, 20);
    world.Box(0, 288, world.Width(), world.Height()); // the floor below
    world.Box(96, 160, 320, 168);                     // the ledge, 8 pixels thick
    world.CellBits(96, 160, 320, 168, c.ledgeBits);
    LoadWorld(world);
    Spawn(200.0f, 100.0f);

    // Down is held through the fall (only the landing tick reads it), or from a few ticks after
    // the landing on.
    int sinceLanding = -1;
    bool dropped = false;
    for (int i = 0; i < 200; ++i) {
        const u32 held = c.downOnLand || (c.downLater && sinceLanding >= 3) ? (u32)ButtonDown : 0u;
        Tick(held);
        if (H().collisionLayer == collisionLayerTable[1] && !dropped) {
            // Onto the pass-through layer, still falling, the ledge's layer kept to come back to.
            dropped = true;
            EXPECT_EQ(sinceLanding, -1);
            EXPECT_EQ(player->savedLayer, worldLayer);
            EXPECT_EQ(H().groundContact, 0u);
            EXPECT_GT(H().vy, 0.0f);
        }
        if (sinceLanding >= 0)
            ++sinceLanding;
        else if (H().groundContact)
            sinceLanding = 0;
    }
    EXPECT_EQ(dropped, c.dropped);
    ASSERT_GE(sinceLanding, 0);
    EXPECT_NE(H().groundContact, 0u);
    EXPECT_EQ(H().collisionLayer, worldLayer);
    EXPECT_EQ((i32)(H().y + feet), c.dropped ? 288 : 160);
}

INSTANTIATE_TEST_SUITE_P(
    Ledges, PlayerDropThroughTest,
    ::testing::Values(DropCase{"OneWayDownHeld", datakit::SolidFloor, true, false, true},
                      DropCase{"OneWayNoDown", datakit::SolidFloor, false, false, false},
                      DropCase{"OneWayDownAfterLanding", datakit::SolidFloor, false, true, false},
                      DropCase{"SolidDownHeld", datakit::SolidAll, true, false, false},
                      DropCase{"FloorAndCeilingDownHeld", datakit::SolidFloor | datakit::SolidCeiling, true, false,
                               false}),
    [](const ::testing::TestParamInfo<DropCase>& info) { return info.param.name; });

// ---- Attacks ----

struct ComboCase {
    const char* name;
    u32 turn; // held for a tick first to face that way
    u16 first, second;
};

class PlayerComboTest : public PlayerTest, public ::testing::WithParamInterface<ComboCase> {};

TEST_P(PlayerComboTest, SecondPressLateInTheFirstSwingStartsTheSecond)
{
    const ComboCase& c = GetParam();
    LoadWorld(Flat());
    SpawnStanding(200.0f, 192.0f);
    Tick(c.turn);
    Ticks(5, 0);
    ASSERT_EQ(H().groundSpeed, 0.0f);

    Tick(0, ButtonAttack);
    EXPECT_EQ(player->overlay.animIndex, c.first);
    EXPECT_EQ(player->attackState, 1);
    EXPECT_EQ(player->actor.anim, &player->overlay);
    // Too early: a press before the swing passes frame 4 changes nothing.
    Tick(0);
    ASSERT_LE(player->overlay.frameIndex, 4);
    Tick(0, ButtonAttack);
    EXPECT_EQ(player->overlay.animIndex, c.first);
    EXPECT_EQ(player->attackState, 1);

    for (int i = 0; i < 20 && player->overlay.frameIndex <= 4; ++i)
        Tick(0);
    ASSERT_EQ(player->overlay.animIndex, c.first);
    Tick(0, ButtonAttack);
    EXPECT_EQ(player->overlay.animIndex, c.second);
    EXPECT_EQ(player->attackState, 2);

    // The second swing plays out and the overlay ends with it; the body is the active cursor
    // again from the next tick.
    for (int i = 0; i < 60 && player->overlay.animIndex; ++i)
        Tick(0);
    EXPECT_EQ(player->overlay.animIndex, 0);
    EXPECT_EQ(player->attackState, 0);
    Tick(0);
    EXPECT_EQ(player->actor.anim, &player->anim);
    EXPECT_EQ(H().flipX, 0);
}

INSTANTIATE_TEST_SUITE_P(Facings, PlayerComboTest,
                         ::testing::Values(ComboCase{"Right", ButtonRight, 30, 32},
                                           ComboCase{"Left", ButtonLeft, 34, 36}),
                         [](const ::testing::TestParamInfo<ComboCase>& info) { return info.param.name; });

TEST_F(PlayerTest, SwingBoxesFaceTheWayThePlayerFaces)
{
    ASSERT_TRUE(datakit::WriteHazardData("."));
    HazardLoad(nullptr);
    LoadWorld(Flat());
    SpawnStanding(200.0f, 192.0f);
    for (u32 turn : {ButtonRight, ButtonLeft}) {
        Tick(turn);
        Ticks(5, 0);
        Tick(0, ButtonAttack);
        // Into the frames that carry the swing's attack box.
        bool seen = false;
        for (int i = 0; i < 16 && !seen; ++i) {
            ClearAttackBoxes();
            Tick(0);
            for (u32 b = 0; b < attackBoxCount; ++b) {
                const AttackBox* box = AttackBoxAt(b);
                if (box->kind == BoxHurt)
                    continue;
                seen = true;
                const f32 middle = (f32)(box->left + box->right) * 0.5f;
                if (turn == ButtonRight)
                    EXPECT_GT(middle, H().x);
                else
                    EXPECT_LT(middle, H().x);
            }
        }
        EXPECT_TRUE(seen);
        EXPECT_EQ(H().flipX, 0);
        Ticks(30, 0);
    }
}

TEST_F(PlayerTest, AttackInTheAirSwingsTheBodyAndLandingCarriesItOn)
{
    LoadWorld(Flat());
    SpawnStanding(200.0f, 192.0f);
    // A held jump first, to count its ticks in the air.
    Tick(ButtonJump, ButtonJump);
    int airTicks = 0;
    while (!H().groundContact && airTicks < 100) {
        Tick(ButtonJump);
        ++airTicks;
    }
    ASSERT_GT(airTicks, 30);
    Ticks(5, 0);

    // An early swing: the body swings, a second press does not restart it, and it ends in the fall.
    Tick(ButtonJump, ButtonJump);
    Ticks(3, ButtonJump);
    Tick(ButtonJump, ButtonAttack);
    EXPECT_EQ(player->anim.animIndex, 44);
    EXPECT_EQ(player->attackState, 1);
    EXPECT_EQ(player->overlay.animIndex, 0);
    Tick(ButtonJump);
    Tick(ButtonJump);
    const u16 frame = player->anim.frameIndex;
    EXPECT_GT(frame, 0);
    Tick(ButtonJump, ButtonAttack);
    EXPECT_EQ(player->anim.animIndex, 44);
    EXPECT_GE(player->anim.frameIndex, frame);
    for (int i = 0; i < 40 && player->attackState && !H().groundContact; ++i)
        Tick(ButtonJump);
    EXPECT_EQ(player->attackState, 0);
    EXPECT_EQ(player->anim.animIndex, 55);
    while (!H().groundContact)
        Tick(ButtonJump);
    EXPECT_EQ(player->overlay.animIndex, 0);
    Ticks(5, 0);

    // A late swing, two ticks before landing: still in its first frames, it goes on as the first
    // ground swing.
    Tick(ButtonJump, ButtonJump);
    for (int i = 1; i < airTicks - 2; ++i)
        Tick(ButtonJump);
    Tick(ButtonJump, ButtonAttack);
    EXPECT_EQ(player->anim.animIndex, 44);
    Tick(ButtonJump);
    ASSERT_EQ(H().groundContact, 0u);
    Tick(ButtonJump);
    ASSERT_NE(H().groundContact, 0u);
    EXPECT_EQ(player->overlay.animIndex, 30);
    EXPECT_EQ(player->attackState, 1);
    EXPECT_EQ(player->actor.anim, &player->overlay);
}

// ---- Bounce ----

struct BounceCase {
    f32 vx;
    f32 expectedVx;
};

class PlayerBounceTest : public PlayerTest, public ::testing::WithParamInterface<BounceCase> {};

TEST_P(PlayerBounceTest, BounceKnocksBackUpAndIntoTheAirState)
{
    LoadWorld(Flat());
    SpawnStanding(200.0f, 192.0f);
    Tick(ButtonJump, ButtonJump);
    H().vx = GetParam().vx;
    player->whipExtension = 300;
    PlayerBounceOff(player);
    EXPECT_EQ(H().vx, GetParam().expectedVx);
    if (GetParam().vx != 0.0f) {
        EXPECT_EQ(H().groundSpeed, GetParam().expectedVx);
    }
    EXPECT_EQ(H().vy, -8.0f);
    EXPECT_EQ(player->state, PlayerStateAir);
    EXPECT_EQ(H().groundContact, 0u);
    EXPECT_EQ(player->whipExtension, 0);
    EXPECT_EQ(player->actor.lastHitter, nullptr);

    // Still holding the jump, so the jump cut leaves the bounce alone.
    Tick(ButtonJump);
    EXPECT_EQ(H().vy, -8.0f + gravity);
    EXPECT_EQ(player->state, PlayerStateAir);
    // And back to the normal state on landing.
    for (int i = 0; i < 120 && player->state == PlayerStateAir; ++i)
        Tick(0);
    EXPECT_EQ(player->state, PlayerStateNormal);
    EXPECT_NE(H().groundContact, 0u);
}

INSTANTIATE_TEST_SUITE_P(Speeds, PlayerBounceTest,
                         ::testing::Values(BounceCase{2.0f, -1.0f}, BounceCase{-0.25f, 1.0f},
                                           BounceCase{0.0f, 0.0f}));

// ---- Camera ----

TEST_F(PlayerTest, LookingUpTakesASecondPressThenMovesTwoPixelsATickTo98)
{
    LoadWorld(Flat(48, 48, 600));
    SpawnStanding(300.0f, 600.0f);
    // One press and a hold: the count reaches 30 but not past it.
    Tick(ButtonUp, ButtonUp);
    Ticks(40, ButtonUp);
    EXPECT_EQ(player->lookOffset, 0.0f);
    EXPECT_EQ(player->lookCounter, 30);
    // Let go for a few ticks (the count runs down), press again and hold.
    Ticks(5, 0);
    EXPECT_EQ(player->lookCounter, 25);
    Tick(ButtonUp, ButtonUp);
    EXPECT_EQ(player->lookOffset, -2.0f);
    for (int i = 2; i <= 49; ++i) {
        Tick(ButtonUp);
        ASSERT_EQ(player->lookOffset, -2.0f * i);
    }
    Ticks(10, ButtonUp);
    EXPECT_EQ(player->lookOffset, -98.0f);
    // Let go: the count runs out first, then the view comes back 2 a tick.
    Ticks(55, 0);
    EXPECT_EQ(player->lookCounter, 0);
    Tick(0);
    EXPECT_EQ(player->lookOffset, -96.0f);
    Ticks(60, 0);
    EXPECT_EQ(player->lookOffset, 0.0f);
}

TEST_F(PlayerTest, LookingNeedsTheGroundAndStillHands)
{
    LoadWorld(Flat(48, 48, 600));
    SpawnStanding(300.0f, 600.0f);
    // Down twice while running: no look.
    Tick(ButtonRight | ButtonDown, ButtonDown);
    Tick(ButtonRight);
    Tick(ButtonRight | ButtonDown, ButtonDown);
    Ticks(10, ButtonRight | ButtonDown);
    EXPECT_EQ(player->lookCounter, 0);
    EXPECT_EQ(player->lookOffset, 0.0f);
    // Up and down pressed together count twice: holding down then looks down, to 82.
    Ticks(30, 0);
    Tick(ButtonUp | ButtonDown, ButtonUp | ButtonDown);
    EXPECT_EQ(player->lookCounter, 60);
    Ticks(60, ButtonDown);
    EXPECT_EQ(player->lookOffset, 82.0f);
}

struct FollowCase {
    const char* name;
    f32 playerFromCamera; // player x - camera x
    f32 cameraX;
    f32 expectedCameraX;
};

class PlayerCameraFollowTest : public PlayerTest, public ::testing::WithParamInterface<FollowCase> {};

TEST_P(PlayerCameraFollowTest, FollowsOutsideTheDeadZoneAtMost16AndStaysInBounds)
{
    const FollowCase& c = GetParam();
    LoadWorld(Flat(64, 16, 200)); // 1024 wide: the camera's x runs from 0 to 600
    SpawnStanding(500.0f, 200.0f);
    ASSERT_EQ(screenWidth, 424);
    Camera& camera = cameras[0];
    H().x = c.cameraX + c.playerFromCamera;
    camera.x = c.cameraX;
    FollowPlayerCamera(&H());
    EXPECT_EQ(camera.x, c.expectedCameraX);
}

// The dead zone is 212 +- 8 from the camera's left edge.
INSTANTIATE_TEST_SUITE_P(
    Cases, PlayerCameraFollowTest,
    ::testing::Values(FollowCase{"InsideDeadZone", 215.0f, 300.0f, 300.0f},
                      FollowCase{"JustRight", 225.0f, 300.0f, 305.0f},
                      FollowCase{"FarRight", 400.0f, 300.0f, 316.0f},
                      FollowCase{"JustLeft", 200.0f, 300.0f, 296.0f},
                      FollowCase{"FarLeft", 20.0f, 300.0f, 284.0f},
                      FollowCase{"ClampedAtRightBound", 400.0f, 595.0f, 600.0f},
                      FollowCase{"ClampedAtLeftBound", 20.0f, 10.0f, 0.0f}),
    [](const ::testing::TestParamInfo<FollowCase>& info) { return info.param.name; });

TEST_F(PlayerTest, CameraFollowsVerticallyOnTheGroundAndInABandInTheAir)
{
    LoadWorld(Flat(48, 64, 600));
    SpawnStanding(300.0f, 600.0f);
    Camera& camera = cameras[0];
    // The target puts the player 104 below the camera's top edge (240 / 2 - 16).
    const f32 settled = H().y - 104.0f;
    camera.y = settled - 50.0f;
    FollowPlayerCamera(&H());
    EXPECT_EQ(camera.y, settled - 44.0f); // 6 a tick on the ground
    camera.y = settled;
    FollowPlayerCamera(&H());
    EXPECT_EQ(camera.y, settled);
    // In the air: within 32 of the target it stays, beyond it follows by the excess, up to 16.
    H().groundContact = 0;
    camera.y = settled - 30.0f;
    FollowPlayerCamera(&H());
    EXPECT_EQ(camera.y, settled - 30.0f);
    camera.y = settled - 40.0f;
    FollowPlayerCamera(&H());
    EXPECT_EQ(camera.y, settled - 32.0f);
    camera.y = settled + 100.0f;
    FollowPlayerCamera(&H());
    EXPECT_EQ(camera.y, settled + 84.0f);
}

TEST_F(PlayerTest, CameraShakesOnYWhileTheTimerRuns)
{
    LoadWorld(Flat(48, 64, 600));
    SpawnStanding(300.0f, 600.0f);
    Camera& camera = cameras[0];
    const f32 settled = H().y - 104.0f;
    camera.y = settled;
    player->shakeTimer = 3;
    FollowPlayerCamera(&H());
    EXPECT_EQ(player->cameraShakeY, -3.0f);
    EXPECT_EQ(camera.y, settled - 3.0f);
    EXPECT_EQ(player->shakeTimer, 2);
    player->shakeQuiet = 1;
    camera.y = settled;
    FollowPlayerCamera(&H());
    EXPECT_EQ(player->cameraShakeY, 0.0f);
    EXPECT_EQ(player->shakeTimer, 1);
}

// ---- Bones ----

struct BonesCase {
    const char* name;
    u8 health;
    f32 collected;
    u8 healthAfter;
    f32 collectedAfter;
    u8 livesAfter;
};

class PlayerBonesTest : public PlayerTest, public ::testing::WithParamInterface<BonesCase> {};

TEST_P(PlayerBonesTest, BonesBuyHealthThenLives)
{
    const BonesCase& c = GetParam();
    LoadWorld(Flat());
    SpawnStanding(200.0f, 192.0f);
    player->health = c.health;
    player->collected = c.collected;
    H().flash = 200;
    soundQueue = SoundQueue{};
    Tick(0);
    EXPECT_EQ(player->health, c.healthAfter);
    EXPECT_EQ(player->collected, c.collectedAfter);
    EXPECT_EQ(player->progress->lives, c.livesAfter);
    const bool gainedHealth = c.healthAfter > c.health;
    EXPECT_EQ(player->healthFlash, gainedHealth ? 1 : 0);
    EXPECT_EQ(H().flash, gainedHealth ? 0 : 200);
    EXPECT_EQ(Queued(healthSound), gainedHealth);
    EXPECT_EQ(Queued(lifeSound), c.livesAfter > 3);
}

INSTANTIATE_TEST_SUITE_P(
    Amounts, PlayerBonesTest,
    ::testing::Values(BonesCase{"ExactlyThePrice", 3, 144.0f, 4, 0.0f, 3},
                      BonesCase{"JustShort", 3, 143.5f, 3, 143.5f, 3},
                      BonesCase{"WithChange", 4, 200.0f, 5, 8.0f, 3},
                      BonesCase{"FullHealthBuysALife", 5, 250.0f, 5, 10.0f, 4}),
    [](const ::testing::TestParamInfo<BonesCase>& info) { return info.param.name; });

// ---- Load, spawn and unload ----

TEST_F(PlayerTest, InitSetsTheTuningAndTheCamera)
{
    LoadWorld(Flat());
    Spawn(300.0f, 150.0f);
    EXPECT_EQ(player->maxRun, maxRun);
    EXPECT_EQ(player->accel, accel);
    EXPECT_EQ(player->friction, friction);
    EXPECT_EQ(player->jumpSpeed, jumpSpeed);
    EXPECT_EQ(player->gravity, gravity);
    EXPECT_EQ(player->health, 5);
    EXPECT_EQ(player->progress, &playerProgress[0]);
    EXPECT_EQ(player->actor.anims[HurtAnim], -1);
    EXPECT_EQ(player->state, PlayerStateNormal);
    EXPECT_EQ(H().collisionLayer, worldLayer);
    EXPECT_EQ(H().edgeFlags[0], 0);
    EXPECT_EQ(H().edgeFlags[1], 0);
    EXPECT_EQ(H().edgeFlags[2], 1);
    EXPECT_EQ(H().edgeFlags[3], 0);
    EXPECT_EQ(cameras[0].followed, &H());
    EXPECT_EQ(cameras[0].follow, FollowPlayerCamera);
    EXPECT_EQ(cameras[0].x, 300.0f - 212.0f + 4.0f);
    EXPECT_EQ(cameras[0].y, 150.0f - 120.0f + 16.0f);
    EXPECT_EQ(FirstPlayer(), player);
    EXPECT_EQ(Player.updatePass, 1);
    EXPECT_EQ(Player.drawLayer, 9);
    EXPECT_EQ(Player.growthStep, 32u);
}

TEST_F(PlayerTest, WithoutTheWhipLoadedTheChildSlotsStayEmptyAndNoWhipSoundPlays)
{
    LoadWorld(Flat());
    ASSERT_FALSE(Whip.registered);
    SpawnStanding(200.0f, 192.0f);
    EXPECT_EQ(player->whip, nullptr);
    EXPECT_EQ(player->actor.childCount, 0);
    for (ActorBlock* child : player->actor.children)
        EXPECT_EQ(child, nullptr);
    EXPECT_EQ(PlayerWhipState(player), 0u);
    // The states run without it: a grapple press, a swing (silent) and a bounce.
    soundQueue = SoundQueue{};
    Tick(0, ButtonGrapple);
    Tick(0, ButtonAttack);
    EXPECT_EQ(player->attackState, 1);
    EXPECT_EQ(soundQueue.count, 0);
    PlayerBounceOff(player);
    Tick(0);
    EXPECT_EQ(player->whip, nullptr);
}

TEST_F(PlayerTest, TheWhipThatSpawnsWithThePlayerIsItsChildAndItsStateIsPutBack)
{
    LoadWorld(Flat());
    ASSERT_TRUE(datakit::WriteWhipData("."));
    WhipLoad(nullptr); // as a stage loads them: the whip first
    SpawnStanding(200.0f, 192.0f);
    WhipRecord* whip = player->whip;
    ASSERT_NE(whip, nullptr);
    EXPECT_EQ(Whip.liveCount, 1u);
    EXPECT_EQ(player->actor.childCount, 1);
    EXPECT_EQ(player->actor.children[0], &whip->actor);
    EXPECT_EQ(whip->actor.parent, &player->actor);
    EXPECT_EQ(whip->actor.slotInParent, 0);
    // The late update puts a let-go whip (state 3, no throw) back to idle.
    whip->state = WhipRetract;
    ASSERT_EQ(player->whipExtension, 0);
    Player.LateUpdate(player);
    EXPECT_EQ(whip->state, (u32)WhipIdle);
    // The bounce puts the whip back too.
    whip->state = WhipSwing;
    PlayerBounceOff(player);
    EXPECT_EQ(whip->state, (u32)WhipIdle);
}

TEST_F(PlayerTest, CheckpointsAreForgottenOnANewStageAndKeptOnARestart)
{
    LoadWorld(Flat());
    const PlayerProgress taken{2, 0, 4, 123.0f, 45.0f};
    for (PlayerProgress& progress : playerProgress)
        progress = taken;

    // A stage entered anew: every record forgets the last stage's checkpoint, and the player
    // starts where it is placed.
    Spawn(300.0f, 150.0f);
    EXPECT_EQ(H().x, 300.0f);
    EXPECT_EQ(H().y, 150.0f);
    for (const PlayerProgress& progress : playerProgress)
        EXPECT_EQ(progress.checkpoint, 255);

    // A checkpoint taken, then a restart: it holds, and the new player starts there.
    for (PlayerProgress& progress : playerProgress)
        progress = taken;
    previousStage = currentStage;
    Spawn(300.0f, 150.0f);
    EXPECT_EQ(H().x, 123.0f);
    EXPECT_EQ(H().y, 45.0f);
    for (const PlayerProgress& progress : playerProgress)
        EXPECT_EQ(progress.checkpoint, 4);
}

TEST_F(PlayerTest, UnloadReportsThePropertiesUseAndFreesTheType)
{
    LoadWorld(Flat());
    Spawn(300.0f, 150.0f);
    ASSERT_EQ(playerProperties.useCount, 1);
    ASSERT_TRUE(playerAnimSet.loaded);
    PlayerUnload();
    EXPECT_STREQ(debugText, "Value: 1");
    EXPECT_EQ(playerProperties.useCount, 0);
    EXPECT_FALSE(Player.registered);
    EXPECT_EQ(FirstPlayer(), nullptr);
}

} // namespace
