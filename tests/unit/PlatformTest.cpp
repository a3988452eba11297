// Platforms on a flat world with the data kit's player and whip, in a stage that has no platform
// set (so every platform takes its own box): the swinging path, the kinds without behaviour, solid
// and non-solid platforms, the pushed block's start delay and its settle on the floor, a rider
// carried by the platform's whole-pixel movement, the whip hooking a moving platform, and a
// Froacker standing on a platform and stopped by one.
#include <string>
#include <vector>

#include "Engine/Collision/MotionScratch.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Whip/Whip.h"
#include "Game/World/Platform.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/Sound.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/GameThread.h"
#include "Game/Actors/ActorBlock.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Enemies/Froacker.h"
#include "Game/Player/Player.h"
#include "tests/unit/PlayerWorld.h"
#include "tools/datakit/ActorData.h"
#include "tools/datakit/CollisionKit.h"
#include "tools/datakit/EnemyArt.h"
#include "tools/datakit/PlayerArt.h"
#include "tools/datakit/RosterArtB.h"
#include "tools/datakit/WhipArt.h"

namespace {

constexpr f32 groundY = 192.0f;

class PlatformTest : public PlayerWorld {
protected:
    PlatformTest() : PlayerWorld("palvic-platform-") {}

    void SetUp() override
    {
        PlayerWorld::SetUp();
        if (HasFatalFailure())
            return;
        demoSeed = 0;
        LoadWorld(Flat(48, 16, (i32)groundY));
        if (HasFatalFailure())
            return;
        PlatformLoad(nullptr);
        ASSERT_TRUE(Platform.registered);
    }

    void TearDown() override
    {
        PlayerWorld::TearDown();
        platformAnimSet = AnimSet{};
        whipAnimSet = AnimSet{};
        whipProperties = ActorProperties{};
        for (ActorProperties* properties : {&froackerPurpleProperties, &froackerRedProperties, &froackerBlueProperties,
                                            &froackerYellowProperties}) {
            FreeEnemyProperties(properties);
            *properties = ActorProperties{};
        }
        froackerAnimSet = AnimSet{};
        demoSeed = 0;
    }

    static PlatformRecord* SpawnPlatform(f32 x, f32 y, u8 type, u8 collision, i8 speed = 0, i32 ampX = 0, i32 ampY = 0)
    {
        lastSpawnedInstance = nullptr;
        SpawnObject(&Platform, x, y, 0, 0);
        PlatformRecord* platform = (PlatformRecord*)lastSpawnedInstance;
        if (!platform)
            return nullptr;
        platform->type = type;
        platform->collision = collision;
        platform->speed = speed;
        platform->amplitude[0] = ampX;
        platform->amplitude[1] = ampY;
        platform->angle = 0.0f;
        PlatformStart(platform);
        return platform;
    }

    // One frame as the stage runs it: updates, cameras, then the late updates with the draw.
    static void Frame()
    {
        UpdateObjects();
        UpdateCameras();
        DrawScene();
        ++demoSeed;
    }

    // The player dropped from above x onto whatever is below, then left to settle.
    void DropPlayer(f32 x, f32 y)
    {
        PlayerLoad(nullptr);
        SpawnPlayerAt(x, y);
        if (HasFatalFailure())
            return;
        for (int i = 0; i < 90; ++i)
            Frame();
    }

    u64 Self(const PlatformRecord* platform) const { return (u64)(uintptr_t)platform->header; }
};

TEST_F(PlatformTest, LinearSwingsAlongTheAmplitudeByTheTickCounter)
{
    struct Case {
        i8 speed;
        u32 seed;
        f32 x, y;
    };
    // Home (100, 80), amplitude (64, -32): a quarter turn is the full amplitude, three quarters the
    // opposite, and speed 0 never leaves home.
    const std::vector<Case> cases = {
        {0, 256, 100.0f, 80.0f}, {0, 777, 100.0f, 80.0f}, {1, 0, 100.0f, 80.0f},
        {1, 256, 164.0f, 48.0f}, {1, 768, 36.0f, 112.0f}, {2, 128, 164.0f, 48.0f},
    };
    PlatformRecord* platform = SpawnPlatform(100.0f, 80.0f, PlatformLinear, PlatformSolid, 0, 64, -32);
    ASSERT_NE(platform, nullptr);
    for (const Case& c : cases) {
        platform->speed = c.speed;
        demoSeed = c.seed;
        PlatformUpdate(platform);
        EXPECT_EQ(platform->x, c.x) << "speed " << (int)c.speed << " seed " << c.seed;
        EXPECT_EQ(platform->y, c.y) << "speed " << (int)c.speed << " seed " << c.seed;
        EXPECT_EQ(platform->header->x, 100.0f);
    }
    EXPECT_EQ(Sine1024(0), 0);
    EXPECT_EQ(Sine1024(256), 1024);
    EXPECT_EQ(Sine1024(128), 724); // trunc(1024 x 0.7071)
    EXPECT_EQ(Sine1024(640), -724);
}

TEST_F(PlatformTest, KindsWithoutBehaviourNeverMoveAndTouchNothing)
{
    for (u8 type : {(u8)1, (u8)3, (u8)4, (u8)5, (u8)15, (u8)16, (u8)200, (u8)255}) {
        PlatformRecord* platform = SpawnPlatform(100.0f, 80.0f, type, PlatformSolid, 5, 64, 64);
        ASSERT_NE(platform, nullptr);
        EXPECT_EQ(platform->move, nullptr) << (int)type;
        for (u32 seed : {10u, 300u}) {
            demoSeed = seed;
            PlatformUpdate(platform);
            EXPECT_EQ(platform->x, 100.0f) << (int)type;
            EXPECT_EQ(platform->y, 80.0f) << (int)type;
            EXPECT_EQ(platform->dx, 0.0f);
        }
        DespawnObject(platform->header);
    }
    for (u8 collision : {(u8)0, (u8)1, (u8)2, (u8)4, (u8)7, (u8)8, (u8)255}) {
        PlatformRecord* platform = SpawnPlatform(100.0f, 80.0f, PlatformStationary, collision);
        ASSERT_NE(platform, nullptr);
        EXPECT_EQ(platform->contact, nullptr) << (int)collision;
        DespawnObject(platform->header);
    }
    PlatformRecord* solid = SpawnPlatform(100.0f, 80.0f, PlatformStationary, PlatformSolid);
    EXPECT_EQ(solid->contact, PlatformSolidContact);
    // Its own box, with no set loaded.
    EXPECT_EQ(solid->hitbox[0], 100 + platformDefaultBox[0]);
    EXPECT_EQ(solid->hitbox[3], 80 + platformDefaultBox[3]);
}

TEST_F(PlatformTest, ASolidPlatformHoldsThePlayerAndANonSolidOneLetsItFall)
{
    for (u8 collision : {(u8)PlatformSolid, (u8)0}) {
        SCOPED_TRACE((int)collision);
        PlatformRecord* platform = SpawnPlatform(200.0f, 120.0f, PlatformStationary, collision);
        ASSERT_NE(platform, nullptr);
        DropPlayer(200.0f, 60.0f);
        if (HasFatalFailure())
            return;
        i64 box[4];
        GetAnimFrameBox(box, player->header, player->actor.anim);
        if (collision == PlatformSolid) {
            EXPECT_EQ(box[3], platform->hitbox[2]);
            EXPECT_EQ(player->header->groundContact, Self(platform));
        } else {
            EXPECT_GT(player->header->y, 120.0f);
            EXPECT_NE(player->header->groundContact, Self(platform));
            EXPECT_NE(player->header->groundContact, 0u);
        }
        ResetObjectInstances(&Player);
        ResetObjectInstances(&Platform);
    }
}

TEST_F(PlatformTest, APushedBlockGivesOnTheFifthTickAndRestsOnTheFloor)
{
    PlayerLoad(nullptr);
    SpawnPlayerAt(40.0f, 100.0f);
    ASSERT_FALSE(HasFatalFailure());
    // The block sits 3 px deep in the floor: its first tick settles it once, up onto the floor.
    PlatformRecord* block = SpawnPlatform(200.0f, groundY - 8.0f + 3.0f, PlatformPush, PlatformSolid, 2);
    ASSERT_NE(block, nullptr);
    PlatformUpdate(block);
    EXPECT_EQ(block->hitbox[3], (i64)groundY);
    EXPECT_EQ(block->header->y, groundY - 8.0f);

    const u8 bit = (u8)(1u << player->header->index);
    for (int tick = 1; tick <= 4; ++tick) {
        block->pushRight = bit;
        PlatformUpdate(block);
        EXPECT_EQ(block->x, 200.0f) << "tick " << tick;
        EXPECT_EQ(block->pushRight, 0);
    }
    block->pushRight = bit;
    PlatformUpdate(block);
    EXPECT_EQ(block->x, 202.0f);
    EXPECT_EQ(block->dx, 2.0f);
    block->pushLeft = bit;
    PlatformUpdate(block);
    EXPECT_EQ(block->x, 200.0f);
    // A rest in between starts the count again.
    PlatformUpdate(block);
    block->pushLeft = bit;
    PlatformUpdate(block);
    EXPECT_EQ(block->x, 200.0f);
}

TEST_F(PlatformTest, TheSideContactSetsThePushBitOnlyWhenMovingIntoTheBlock)
{
    PlayerLoad(nullptr);
    SpawnPlayerAt(100.0f, 100.0f);
    ASSERT_FALSE(HasFatalFailure());
    PlatformRecord* block = SpawnPlatform(300.0f, 100.0f, PlatformPush, PlatformSolid, 1);
    ASSERT_NE(block, nullptr);
    i64 box[4];
    GetAnimFrameBox(box, player->header, player->actor.anim);
    // Put the player's right edge on the block's left edge, level with it.
    player->header->x += (f32)(block->hitbox[0] - box[1]);
    player->header->y = 100.0f;
    const u8 bit = (u8)(1u << player->header->index);
    for (f32 vx : {-1.0f, 0.0f, 2.5f}) {
        block->pushRight = 0;
        player->header->vx = vx;
        EXPECT_TRUE(PlatformSolidContact(block, player));
        EXPECT_EQ(player->header->contacts[1], Self(block));
        EXPECT_EQ(block->pushRight, vx > 0.0f ? bit : 0) << vx;
        EXPECT_EQ(player->header->vx, vx > 0.0f ? 0.0f : vx);
    }
    // The trial move that carries a body ignores the platform that makes it.
    ignoredObject = block->header;
    player->header->contacts[1] = 0;
    player->header->vx = 1.0f;
    PlatformSolidContact(block, player);
    ignoredObject = nullptr;
    EXPECT_EQ(player->header->contacts[1], 0u);
    EXPECT_EQ(player->header->vx, 1.0f);
}

TEST_F(PlatformTest, ARiderIsCarriedByTheWholePixelsThePlatformMoves)
{
    PlatformRecord* platform = SpawnPlatform(200.0f, 120.0f, PlatformLinear, PlatformSolid, 0, 40, 12);
    ASSERT_NE(platform, nullptr);
    DropPlayer(200.0f, 60.0f);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(player->header->groundContact, Self(platform));

    platform->speed = 3;
    int moved = 0;
    for (int tick = 0; tick < 120; ++tick) {
        const f32 px = player->header->x, py = player->header->y;
        Frame();
        ASSERT_EQ(player->header->groundContact, Self(platform)) << "tick " << tick;
        EXPECT_EQ(player->header->x - px, platform->dx) << "tick " << tick;
        EXPECT_EQ(player->header->y - py, platform->dy) << "tick " << tick;
        EXPECT_EQ(platform->dx, (f32)(i32)platform->dx);
        i64 box[4];
        GetAnimFrameBox(box, player->header, player->actor.anim);
        EXPECT_EQ(box[3], platform->hitbox[2]) << "tick " << tick;
        moved += platform->dx != 0.0f || platform->dy != 0.0f;
    }
    EXPECT_GT(moved, 60);
}

TEST_F(PlatformTest, TheWhipHooksAMovingPlatformOnlyOnTheWayOutAndFollowsIt)
{
    ASSERT_TRUE(datakit::WriteWhipData("."));
    WhipLoad(nullptr);
    PlayerLoad(nullptr);
    SpawnPlayerAt(100.0f, groundY - 13.0f);
    ASSERT_FALSE(HasFatalFailure());
    WhipRecord* whip = player->whip;
    ASSERT_NE(whip, nullptr);
    PlatformRecord* platform = SpawnPlatform(160.0f, 100.0f, PlatformLinear, PlatformSolid, 4, 48, 0);
    ASSERT_NE(platform, nullptr);
    PlatformUpdate(platform);

    // A whip at rest, or one coming back, lies inside the box and catches nothing.
    whip->header->x = platform->x;
    whip->header->y = platform->y;
    player->whipThrown = 0;
    player->whipExtension = 0;
    PlatformHookTouch(platform, whip);
    EXPECT_EQ(whip->hookedObject, nullptr);
    player->whipThrown = 1;
    player->whipExtension = 4096;
    whip->state = WhipRetract;
    PlatformHookTouch(platform, whip);
    EXPECT_EQ(whip->hookedObject, nullptr);

    // On its way out, just past the box's edge, it catches.
    whip->state = WhipIdle;
    whip->header->x = (f32)platform->hitbox[1] + 1.0f;
    PlatformHookTouch(platform, whip);
    ASSERT_EQ(whip->hookedObject, platform->header);
    EXPECT_TRUE(whip->state == WhipSwing || whip->state == WhipZip);
    EXPECT_EQ(player->whipThrown, 0);

    // The late update carries the tip by the platform's movement of the tick.
    for (int tick = 0; tick < 20; ++tick) {
        const f32 tx = whip->header->x;
        PlatformUpdate(platform);
        PlatformLateUpdate(platform);
        EXPECT_EQ(whip->header->x - tx, platform->dx) << "tick " << tick;
        ++demoSeed;
    }
    EXPECT_EQ(platform->header->x, 160.0f); // the home position is back in the header
}

// ---- Froackers ----

class PlatformFroackerTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(datakit::WriteRosterDataB("."));
        ASSERT_TRUE(datakit::WriteEnemyData("."));
        ASSERT_TRUE(datakit::WriteHazardData("."));
        HazardLoad(nullptr);
        FroackerLoad(nullptr);
        ASSERT_TRUE(Froacker.registered);
    }

    // A walker placed at (x, y), facing right.
    static FroackerRecord* SpawnWalker(f32 x, f32 y)
    {
        lastSpawnedInstance = nullptr;
        SpawnObject(&Froacker, x, y, VariantWalker, 0);
        FroackerRecord* froacker = (FroackerRecord*)lastSpawnedInstance;
        if (froacker) {
            froacker->faceRight = 1;
            FroackerInit(froacker);
        }
        return froacker;
    }

    static void Box(const FroackerRecord* froacker, i64 box[4])
    {
        GetAnimFrameBox(box, froacker->header, froacker->actor.anim);
    }
};

TEST_F(PlatformFroackerTest, AFroackerLandsOnASolidPlatformAndFallsThroughOneThatIsNot)
{
    for (u8 collision : {(u8)PlatformSolid, (u8)0}) {
        SCOPED_TRACE((int)collision);
        PlatformRecord* platform = SpawnPlatform(200.0f, 120.0f, PlatformStationary, collision);
        ASSERT_NE(platform, nullptr);
        FroackerRecord* froacker = SpawnWalker(200.0f, 60.0f);
        ASSERT_NE(froacker, nullptr);
        int ticks = 0;
        while (!froacker->header->groundContact && ticks < 90) {
            Frame();
            ++ticks;
        }
        ASSERT_NE(froacker->header->groundContact, 0u);
        i64 box[4];
        Box(froacker, box);
        if (collision == PlatformSolid) {
            EXPECT_EQ(froacker->header->groundContact, Self(platform));
            EXPECT_EQ(box[3], platform->hitbox[2]) << "its feet on the platform's top";
            // It walks on along the top while the platform is under it.
            for (int tick = 0; tick < 20; ++tick)
                Frame();
            Box(froacker, box);
            EXPECT_GT(froacker->header->x, 200.0f);
            EXPECT_EQ(froacker->header->groundContact, Self(platform));
            EXPECT_EQ(box[3], platform->hitbox[2]);
        } else {
            EXPECT_EQ(box[3], (i64)groundY) << "through to the floor";
        }
        ResetObjectInstances(&Froacker);
        ResetObjectInstances(&Platform);
    }
}

TEST_F(PlatformFroackerTest, AFroackerWalkingIntoASolidPlatformIsStoppedAtItsSide)
{
    // A block resting on the floor, taller than a step, across the walker's way.
    PlatformRecord* platform = SpawnPlatform(300.0f, groundY - 8.0f, PlatformStationary, PlatformSolid);
    ASSERT_NE(platform, nullptr);
    FroackerRecord* froacker = SpawnWalker(240.0f, groundY - 20.0f);
    ASSERT_NE(froacker, nullptr);
    bool touched = false;
    for (int tick = 0; tick < 150; ++tick) {
        Frame();
        i64 box[4];
        Box(froacker, box);
        ASSERT_LE(box[1], platform->hitbox[0]) << "tick " << tick;
        touched |= box[1] == platform->hitbox[0] && froacker->header->contacts[1] == Self(platform);
    }
    EXPECT_TRUE(touched) << "it walked up to the platform's side";
}

} // namespace
