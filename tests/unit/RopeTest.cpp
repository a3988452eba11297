// The whip's rope on small collision worlds, driven through the rope steps with the data kit's
// player and whip: which tiles bend the rope, joints added round a corner and dropped the tick the
// line clears, retraction through every joint and what it does with a hooked object of each kind,
// the line's limits, the zip's speeds, jumping off, a slack rope, and a hooked player in placement
// mode.
#include <cmath>
#include <string>
#include <vector>

#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Sound.h"
#include "Engine/Platform/Controls.h"
#include "Game/Actors/ActorBlock.h"
#include "Game/Actors/HitResolution.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Enemies/Audrey.h"
#include "Game/Enemies/AudreyShot.h"
#include "Game/Player/Player.h"
#include "Game/Whip/Whip.h"
#include "Game/World/Platform.h"
#include "Game/World/Wagon.h"
#include "tests/unit/PlayerWorld.h"
#include "tools/datakit/CollisionKit.h"
#include "tools/datakit/GimmickArtC.h"
#include "tools/datakit/PlayerArt.h"
#include "tools/datakit/RosterArtA.h"
#include "tools/datakit/WhipArt.h"

namespace {

using datakit::CollisionWorld;

constexpr u8 worldLayer = datakit::collisionWorldLayer;

class RopeTest : public PlayerWorld {
protected:
    WhipRecord* whip = nullptr;
    const CollisionWorld* world = nullptr;

    RopeTest() : PlayerWorld("palvic-rope-") {}

    void SetUp() override
    {
        PlayerWorld::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(datakit::WriteWhipData("."));
        playerStageSetting = worldLayer;
    }

    void TearDown() override
    {
        PlayerWorld::TearDown();
        whipAnimSet = AnimSet{};
        whipProperties = ActorProperties{};
    }

    // Makes the world the current layout and spawns the player, with its whip, at (x, y).
    void Load(const CollisionWorld& w, f32 x, f32 y)
    {
        world = &w;
        LoadWorld(w);
        if (HasFatalFailure())
            return;
        WhipLoad(nullptr);
        PlayerLoad(nullptr);
        SpawnPlayerAt(x, y);
        if (HasFatalFailure())
            return;
        whip = player->whip;
        ASSERT_NE(whip, nullptr);
        player->header->collisionLayer = worldLayer;
        player->header->groundContact = 0;
    }

    // The whip hooked at (x, y) for swinging, with the set line length.
    void Hook(f32 x, f32 y, i32 lineLength)
    {
        whip->header->x = x;
        whip->header->y = y;
        whip->state = WhipSwing;
        whip->jointCount = 0;
        player->whipExtension = lineLength;
        player->lineLength = lineLength;
        player->lineDelay = 0;
    }

    void Place(f32 x, f32 y)
    {
        player->header->x = x;
        player->header->y = y;
        player->header->vx = player->header->vy = player->header->groundSpeed = 0.0f;
    }

    // Whether the world's rock (ceiling or wall solidity) lies on the straight line between two
    // points, sampled finely and away from both ends.
    bool Blocked(f32 x0, f32 y0, f32 x1, f32 y1) const
    {
        const f32 length = std::hypot(x1 - x0, y1 - y0);
        for (f32 t = 2.0f; t < length - 2.0f; t += 0.25f) {
            const i32 x = (i32)(x0 + (x1 - x0) * t / length), y = (i32)(y0 + (y1 - y0) * t / length);
            if (world->Solid(x, y))
                return true;
        }
        return false;
    }
};

// ---- Which tiles bend the rope ----

struct BendCase {
    const char* name;
    u16 bits;
    u8 joints;
};

class RopeBendTest : public RopeTest, public ::testing::WithParamInterface<BendCase> {};

TEST_P(RopeBendTest, OnlyCeilingOrWallSolidityBendsTheRope)
{
    // A block between the hook (up and left) and the player (down and right): the straight rope
    // would cut through its lower left part.
    CollisionWorld w(16, 16);
    w.Box(96, 48, 144, 96);
    w.CellBits(96, 48, 144, 96, GetParam().bits);
    Load(w, 170.0f, 130.0f);
    Hook(80.0f, 60.0f, 128 * 256);
    u32 steps = 0;
    u8 angle = 0;
    ASSERT_TRUE(RopeJointPass(player, &steps, &angle));
    EXPECT_EQ(whip->jointCount, GetParam().joints);
    if (whip->jointCount) {
        // The bend sits on a free pixel diagonal to the slab's corner.
        const RopeJoint& joint = whip->joints[0];
        EXPECT_FALSE(w.Solid(joint.x, joint.y));
        EXPECT_TRUE(w.Solid(joint.x - 1, joint.y - 1) || w.Solid(joint.x + 1, joint.y - 1) ||
                    w.Solid(joint.x - 1, joint.y + 1) || w.Solid(joint.x + 1, joint.y + 1))
            << joint.x << "," << joint.y;
        EXPECT_EQ(joint.x, 95);
        EXPECT_EQ(joint.y, 96);
        // Measured again round the bend, the rope is longer than straight.
        ASSERT_TRUE(RopeJointPass(player, &steps, &angle));
        EXPECT_EQ(whip->jointCount, 1);
        EXPECT_GT(steps, (u32)std::hypot(90.0, 70.0));
    }
}

INSTANTIATE_TEST_SUITE_P(Tiles, RopeBendTest,
                         ::testing::Values(BendCase{"OneWayFloor", datakit::SolidFloor, 0},
                                           BendCase{"Solid", datakit::SolidAll, 1},
                                           BendCase{"CeilingOnly", datakit::SolidCeiling, 1},
                                           BendCase{"WallOnly", datakit::SolidRightWall, 1}),
                         [](const ::testing::TestParamInfo<BendCase>& info) { return std::string(info.param.name); });

// ---- Round a corner and back ----

TEST_F(RopeTest, JointIsAddedRoundACornerAndDroppedTheTickTheLineClears)
{
    // A ceiling to hook, and a tooth hanging from it to the right of the hook.
    CollisionWorld w(24, 16);
    w.Box(0, 0, 384, 64);
    w.Box(160, 64, 208, 96);
    const f32 hookX = 120.0f, hookY = 64.0f;
    Load(w, hookX, 160.0f);
    Hook(hookX, hookY, 96 * 256);

    // The player swings on a circle of 96 under the hook, out to the right past the tooth and back.
    std::vector<f32> angles;
    for (int d = 90; d >= 22; d -= 4)
        angles.push_back((f32)d);
    for (int d = 24; d <= 90; d += 4)
        angles.push_back((f32)d);
    bool bent = false, cleared = false;
    for (f32 degrees : angles) {
        const f32 r = 96.0f, t = degrees * 3.14159265f / 180.0f;
        Place(hookX + r * std::cos(t), hookY + r * std::sin(t));
        const bool blocked = Blocked(hookX, hookY, player->header->x, player->header->y);
        ASSERT_TRUE(RopeJointPass(player, nullptr, nullptr));
        ASSERT_LE(whip->jointCount, 1) << degrees;
        if (whip->jointCount) {
            bent = true;
            const RopeJoint& joint = whip->joints[0];
            EXPECT_EQ(joint.x, 159) << "at the tooth's lower left corner";
            EXPECT_EQ(joint.y, 96);
        } else if (bent) {
            cleared = true;
        }
        EXPECT_EQ(whip->jointCount == 1, blocked) << "at " << degrees << " degrees below the hook";
    }
    EXPECT_TRUE(bent && cleared);
}

TEST_F(RopeTest, JointWhoseCornerIsGoneIsDropped)
{
    CollisionWorld w(16, 16);
    Load(w, 160.0f, 140.0f);
    Hook(80.0f, 60.0f, 64 * 256);
    // A joint with no rock near it, as after its tile was removed.
    whip->joints[0] = RopeJoint{120, 100, 0, nullptr};
    whip->jointCount = 1;
    ASSERT_TRUE(RopeJointPass(player, nullptr, nullptr));
    EXPECT_EQ(whip->jointCount, 0);
}

// ---- Retraction ----

TEST_F(RopeTest, RetractionRunsThroughEveryJointInOrder)
{
    // Two teeth under a ceiling: the rope from the hook bends round both.
    CollisionWorld w(32, 16);
    w.Box(0, 0, 512, 32);
    w.Box(96, 32, 144, 80);
    w.Box(192, 32, 240, 120);
    Load(w, 280.0f, 200.0f);
    Hook(40.0f, 32.0f, 255 * 256);
    // Swing the player round from the left under the teeth up to the right, so the rope wraps.
    for (int d = 150; d >= 20; d -= 5) {
        const f32 t = (f32)d * 3.14159265f / 180.0f;
        Place(200.0f + 100.0f * std::cos(t), 40.0f + 160.0f * std::sin(t));
        ASSERT_TRUE(RopeJointPass(player, nullptr, nullptr));
    }
    ASSERT_GE(whip->jointCount, 2);
    std::vector<RopeJoint> joints(whip->joints, whip->joints + whip->jointCount);

    whip->state = WhipRetract;
    player->whipExtension = 24576;
    size_t next = 0;
    for (int tick = 0; tick < 100 && (whip->jointCount || next < joints.size()); ++tick) {
        const f32 tx = (f32)joints[next].x, ty = (f32)joints[next].y;
        const f32 before = std::hypot(whip->header->x - tx, whip->header->y - ty);
        const u8 count = whip->jointCount;
        RetractRope(player);
        const f32 after = std::hypot(whip->header->x - tx, whip->header->y - ty);
        if ((i32)before - 16 >= 1) {
            EXPECT_NEAR(before - after, 16.0f, 1.5f) << "tick " << tick;
            EXPECT_EQ(whip->jointCount, count);
        } else {
            EXPECT_EQ(after, 0.0f) << "onto joint " << next;
            EXPECT_EQ(whip->jointCount, count - 1);
            ++next;
        }
    }
    EXPECT_EQ(next, joints.size());
    EXPECT_EQ(whip->jointCount, 0);
    // Then on to the player.
    RetractRope(player);
    RetractRope(player);
    EXPECT_LT(std::hypot(whip->header->x - player->header->x, whip->header->y - player->header->y),
              std::hypot(joints.back().x - player->header->x, joints.back().y - player->header->y));
}

// ---- What the retraction does with a hooked object ----

enum class Hooked { Platform, Audrey, Wagon };

struct HookedCase {
    const char* name;
    Hooked kind;
    bool dragged; // else let go at once, where it stands
    i16 freeze;   // the hit-stop it is let go with (a platform keeps no actor block)
};

void PrintTo(const HookedCase& c, std::ostream* os)
{
    *os << c.name;
}

class RopeHookedTest : public RopeTest, public ::testing::WithParamInterface<HookedCase> {
protected:
    void TearDown() override
    {
        RopeTest::TearDown();
        for (ActorProperties* properties : {&audreyProperties, &audreyShotProperties, &wagonProperties}) {
            FreeEnemyProperties(properties);
            *properties = ActorProperties{};
        }
        audreyAnimSet = audreyShotAnimSet = wagonAnimSet = platformAnimSet = AnimSet{};
    }
};

// The platform is hooked as its own hook test hooks it (the hook point is the tip, as on a tile);
// the actor and the cart as the whip's attach leaves them (their position less the tip's). This
// stage has no platform set, so the platform type has no name.
TEST_P(RopeHookedTest, RetractionLetsGoOrDragsByTheHookedObjectsType)
{
    const HookedCase& c = GetParam();
    CollisionWorld w(32, 16);
    Load(w, 100.0f, 100.0f);
    const f32 objectX = 200.0f, objectY = 100.0f;
    ObjectHeader* hooked = nullptr;
    whip->state = WhipIdle;
    whip->hookedObject = nullptr;
    whip->header->x = objectX - 6.0f;
    whip->header->y = objectY;
    player->whipThrown = 1;
    player->whipExtension = 15 * 4096;
    if (c.kind == Hooked::Platform) {
        PlatformLoad(nullptr);
        ASSERT_EQ(Platform.name, nullptr);
        lastSpawnedInstance = nullptr;
        SpawnObject(&Platform, objectX, objectY, 0, 0);
        PlatformRecord* platform = (PlatformRecord*)lastSpawnedInstance;
        ASSERT_NE(platform, nullptr);
        platform->collision = PlatformSolid;
        PlatformStart(platform);
        PlatformHookTouch(platform, whip);
        hooked = platform->header;
        ASSERT_EQ(whip->hookedObject, hooked);
    } else {
        if (c.kind == Hooked::Audrey) {
            ASSERT_TRUE(datakit::WriteRosterDataA("."));
            AudreyLoad(nullptr);
        } else {
            ASSERT_TRUE(datakit::WriteWagonData("."));
            WagonLoad(nullptr);
        }
        lastSpawnedInstance = nullptr;
        SpawnObject(c.kind == Hooked::Audrey ? &Audrey : &Wagon, objectX, objectY, 0, 0);
        ASSERT_NE(lastSpawnedInstance, nullptr);
        hooked = HeaderOf(lastSpawnedInstance);
        whip->hookedObject = hooked;
        AttachWhipHook(whip);
        ASSERT_NE(ActorOfHeader(hooked), nullptr);
    }
    ActorBlock* actor = ActorOfHeader(hooked);
    if (actor)
        actor->hitlag = 0;

    // Let go: the whip comes back 16 px a tick.
    whip->state = WhipRetract;
    player->actor.hitlag = 0;
    int draggedTicks = 0;
    for (int tick = 0; tick < 30 && whip->hookedObject; ++tick) {
        const f32 tipX = whip->header->x;
        const i32 extension = player->whipExtension;
        UpdateWhip(player);
        if (!whip->hookedObject)
            break;
        ++draggedTicks;
        EXPECT_GT(extension, hookSlack) << "tick " << tick;
        EXPECT_NE(whip->header->x, tipX) << "the tip comes back";
        // Dragged at the tip, where it hung off it when hooked: 6 px beyond, level.
        EXPECT_FLOAT_EQ(hooked->x, whip->header->x + 6.0f) << "tick " << tick;
        EXPECT_FLOAT_EQ(hooked->y, whip->header->y) << "tick " << tick;
    }
    ASSERT_EQ(whip->hookedObject, nullptr) << "let go";
    if (c.dragged) {
        EXPECT_GT(draggedTicks, 3);
        EXPECT_LE(player->whipExtension, hookSlack + 4096) << "let go over the last 32 px";
        EXPECT_NE(hooked->x, objectX);
    } else {
        EXPECT_EQ(draggedTicks, 0);
        EXPECT_EQ(hooked->x, objectX) << "left where it stands";
        EXPECT_EQ(hooked->y, objectY);
    }
    if (actor) {
        EXPECT_EQ(actor->hitlag, c.freeze);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, RopeHookedTest,
                         ::testing::Values(HookedCase{"PlatformWithoutASpriteSet", Hooked::Platform, false, 0},
                                           HookedCase{"Audrey", Hooked::Audrey, false, 16},
                                           HookedCase{"Wagon", Hooked::Wagon, true, 16}),
                         [](const ::testing::TestParamInfo<HookedCase>& info) { return std::string(info.param.name); });

// ---- Line in and out ----

struct LineCase {
    const char* name;
    u8 split, reversed;
    u32 held;
    i32 start;
    int ticks;
    i32 expected;
};

class RopeLineTest : public RopeTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(RopeLineTest, LineInAndOutStayWithinTheirLimits)
{
    const LineCase& c = GetParam();
    CollisionWorld w(32, 32);
    Load(w, 200.0f, 200.0f);
    Hook(200.0f, 40.0f, c.start);
    player->lineAdjustmentSplit = c.split;
    player->lineInOutReversed = c.reversed;
    for (int i = 0; i < c.ticks; ++i) {
        Place(200.0f, 200.0f);
        Press(c.held);
        SwingRope(player);
        ASSERT_GE(player->lineLength, minLineLength);
        ASSERT_LE(player->lineLength, maxLineLength);
    }
    EXPECT_EQ(player->lineLength, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RopeLineTest,
    ::testing::Values(LineCase{"UpReelsIn", 0, 0, ButtonUp, 20000, 3, 20000 - 768},
                      LineCase{"DownPaysOut", 0, 0, ButtonDown, 20000, 3, 20000 + 768},
                      LineCase{"ReversedUpPaysOut", 0, 1, ButtonUp, 20000, 2, 20000 + 512},
                      LineCase{"SplitIgnoresUp", 1, 0, ButtonUp, 20000, 4, 20000},
                      LineCase{"SplitLineIn", 1, 0, 0x400, 20000, 4, 20000 - 1024},
                      LineCase{"SplitLineOut", 1, 0, 0x800, 20000, 4, 20000 + 1024},
                      LineCase{"InStopsAtTheShortest", 0, 0, ButtonUp, 6432 + 300, 5, 6432},
                      LineCase{"OutStopsAtTheLongest", 0, 0, ButtonDown, 32768 - 300, 5, 32768}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

TEST_F(RopeTest, DirectionHeldAtTheHookWaitsForTheDelayWithBothReleased)
{
    CollisionWorld w(32, 32);
    Load(w, 200.0f, 200.0f);
    Hook(200.0f, 40.0f, 20000);
    player->lineDelay = 3;
    for (int i = 0; i < 10; ++i) {
        Place(200.0f, 200.0f);
        Press(ButtonUp);
        SwingRope(player);
    }
    EXPECT_EQ(player->lineLength, 20000) << "held all along: still waiting";
    EXPECT_EQ(player->lineDelay, 3);
    for (int i = 0; i < 3; ++i) {
        Place(200.0f, 200.0f);
        Press(0);
        SwingRope(player);
    }
    EXPECT_EQ(player->lineDelay, 0);
    Place(200.0f, 200.0f);
    Press(ButtonUp);
    SwingRope(player);
    EXPECT_EQ(player->lineLength, 20000 - 256);
}

// ---- The zip ----

TEST_F(RopeTest, ZipShortensByFiveThenOneAndAQuarterMoreEachTick)
{
    CollisionWorld w(32, 32);
    Load(w, 200.0f, 200.0f);
    Hook(200.0f, 40.0f, 160 * 256);
    Place(200.0f, 200.0f);
    Press(0, ButtonAttack);
    SwingRope(player);
    ASSERT_EQ(whip->state, WhipZip);
    // The set length first comes down to the measured one, then the zip takes 5 px.
    const i32 measured = player->whipExtension + zipStartSpeed;
    EXPECT_EQ(player->lineLength, std::min(160 * 256, measured) - zipStartSpeed);
    EXPECT_EQ(player->zipSpeed, zipStartSpeed + zipSpeedGain);
    for (int tick = 1; tick < 6; ++tick) {
        const i32 before = player->lineLength;
        Press(0);
        SwingRope(player); // the player stays where it is, so only the set length tells the zip
        EXPECT_EQ(before - player->lineLength, zipStartSpeed + tick * zipSpeedGain) << "tick " << tick;
    }
}

TEST_F(RopeTest, ZipArrivesAndEndsTheRope)
{
    CollisionWorld w(32, 32);
    Load(w, 200.0f, 200.0f);
    Hook(200.0f, 150.0f, 48 * 256);
    Place(200.0f, 200.0f);
    Press(0, ButtonAttack);
    SwingRope(player);
    Press(0);
    int ticks = 1;
    while (whip->state == WhipZip && ticks < 40) {
        // The player follows the line toward the hook.
        player->header->y = std::max(150.0f, 150.0f + (f32)player->lineLength / 256.0f);
        SwingRope(player);
        ++ticks;
    }
    EXPECT_EQ(whip->state, WhipIdle);
    EXPECT_EQ(player->whipExtension, 0);
    EXPECT_EQ(player->zipSpeed, 0);
    EXPECT_EQ(whip->jointCount, 0);
    EXPECT_LT(ticks, 10);
}

TEST_F(RopeTest, RopeWithNoLengthLeftAndANegativeSetLengthPullsNothing)
{
    // The player right on the hook: the rope measures nothing; the pull must not divide by it.
    CollisionWorld w(32, 32);
    Load(w, 200.0f, 200.0f);
    Hook(200.0f, 200.0f, 0);
    whip->state = WhipZip;
    player->lineLength = -2000;
    player->whipExtension = 0;
    Place(200.0f, 200.0f);
    Press(0);
    SwingRope(player);
    EXPECT_EQ(player->header->vx, 0.0f);
    EXPECT_EQ(player->header->vy, 0.0f);
    EXPECT_EQ(whip->state, WhipIdle) << "arrived";
}

// ---- Jumping off, and the pull ----

struct JumpOffCase {
    const char* name;
    f32 playerY; // the hook is at y 100
    i32 lineLength;
    bool accepted;
};

class RopeJumpOffTest : public RopeTest, public ::testing::WithParamInterface<JumpOffCase> {};

TEST_P(RopeJumpOffTest, JumpOffNeedsThePlayerOnceBelowTheHookOnATautRope)
{
    const JumpOffCase& c = GetParam();
    CollisionWorld w(32, 32);
    Load(w, 200.0f, 200.0f);
    Hook(200.0f, 100.0f, c.lineLength);
    player->swingRelease = 0;
    Place(260.0f, c.playerY);
    Press(0, ButtonJump);
    SwingRope(player);
    if (c.accepted) {
        EXPECT_EQ(whip->state, WhipRetract);
        EXPECT_EQ(player->state, PlayerStateAir);
        EXPECT_LT(player->header->vy, -player->jumpSpeed + 1.0f);
    } else {
        EXPECT_EQ(whip->state, WhipSwing);
        EXPECT_NE(player->state, PlayerStateAir);
    }
}

INSTANTIATE_TEST_SUITE_P(Positions, RopeJumpOffTest,
                         ::testing::Values(JumpOffCase{"AboveTheHook", 60.0f, 40 * 256, false},
                                           JumpOffCase{"BelowOnASlackRope", 140.0f, 120 * 256, false},
                                           JumpOffCase{"BelowOnATautRope", 140.0f, 40 * 256, true}),
                         [](const ::testing::TestParamInfo<JumpOffCase>& info) { return std::string(info.param.name); });

TEST_F(RopeTest, SlackRopePullsNothingAndATautOnePullsTowardTheHook)
{
    CollisionWorld w(32, 32);
    Load(w, 200.0f, 200.0f);
    // 80 px from the hook, down and to the right.
    Hook(200.0f, 100.0f, 100 * 256);
    Place(248.0f, 164.0f);
    player->header->vx = 1.0f;
    player->header->vy = 0.5f;
    Press(0);
    SwingRope(player);
    EXPECT_EQ(player->header->vx, 1.0f);
    EXPECT_EQ(player->header->vy, 0.5f);
    EXPECT_EQ(whip->groundPullX, 0.0f);

    player->lineLength = 60 * 256;
    Place(248.0f, 164.0f);
    SwingRope(player);
    EXPECT_LT(player->header->vx, 0.0f);
    EXPECT_LT(player->header->vy, 0.0f);
    EXPECT_EQ(player->swingRelease, 1) << "the hook is above the player";
}

// In placement mode the player flies where it is steered: a taut rope does not tug it and the
// direction held does not reel the line.
TEST_F(RopeTest, PlacementModeWhileHookedNeitherReelsNorPulls)
{
    CollisionWorld w(32, 32);
    w.Box(160, 80, 240, 100); // the rock the hook holds
    Load(w, 200.0f, 200.0f);
    Hook(200.0f, 100.0f, 60 * 256);
    whip->hookPointX = 200.0f;
    whip->hookPointY = 99.0f;
    Place(248.0f, 164.0f); // 80 px from the hook: the rope is taut
    SetPlayerEditing(player, 1);
    ASSERT_EQ(player->state, PlayerStateEditor);
    const u32 holdSwing = player->grappleStyle ? (u32)ButtonGrapple : 0u;
    for (int tick = 1; tick <= 8; ++tick) {
        Tick(ButtonUp | holdSwing);
        ASSERT_EQ(whip->state, WhipSwing) << "tick " << tick;
        EXPECT_EQ(player->lineLength, 60 * 256) << "tick " << tick;
        EXPECT_EQ(player->header->vx, 0.0f) << "tick " << tick;
        EXPECT_FLOAT_EQ(player->header->vy, -player->accel * (f32)tick) << "tick " << tick;
    }
    EXPECT_FLOAT_EQ(player->header->x, 248.0f);
}

} // namespace
