// The wagon on small collision worlds with the data kit's wagon set: rolling friction, the slope's
// pull and the speed cap, the stop at a wall, a player riding the deck and pushing from the side,
// the whip's pull on a hooked cart, and a throw that catches the cart only once it has left the hand.
#include <cmath>
#include <string>

#include "Engine/Collision/AngleTables.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Whip/Whip.h"
#include "Game/World/Wagon.h"
#include "tests/unit/PlayerWorld.h"
#include "tools/datakit/ActorData.h"
#include "tools/datakit/GimmickArtC.h"
#include "tools/datakit/WhipArt.h"

namespace {

constexpr i32 groundY = 192;

class WagonTest : public PlayerWorld {
protected:
    WagonTest() : PlayerWorld("palvic-wagon-") {}

    WagonRecord* body = nullptr;

    void SetUp() override
    {
        PlayerWorld::SetUp();
        ASSERT_TRUE(datakit::WriteWagonData("."));
        ASSERT_TRUE(datakit::WriteHazardData("."));
    }

    void TearDown() override
    {
        PlayerWorld::TearDown();
        wagonAnimSet = AnimSet{};
        wagonProperties = ActorProperties{};
        whipAnimSet = AnimSet{};
        whipProperties = ActorProperties{};
    }

    WagonRecord* Left() { return wagonInstances[body->leftWheel]; }
    WagonRecord* Right() { return wagonInstances[body->rightWheel]; }

    // Places a wagon whose body stands at x and lets it settle on the ground beneath.
    void PlaceWagon(f32 x, f32 y = (f32)(groundY - datakit::wagonWheelRadius - 40))
    {
        WagonLoad(nullptr);
        ASSERT_TRUE(wagonAnimSet.loaded);
        lastSpawnedInstance = nullptr;
        const u32 index = SpawnObject(&Wagon, x, y, 0, 0);
        ASSERT_NE(lastSpawnedInstance, nullptr);
        body = wagonInstances[index];
        ASSERT_EQ(body->header->spawnA, WagonBody);
        for (int i = 0; i < 120; ++i)
            WagonLateUpdate(body);
        ASSERT_NE(Left()->header->groundContact, 0u);
        ASSERT_NE(Right()->header->groundContact, 0u);
    }

    // A wide flat world with the cart settled at x 500 and a player with its whip dropped at playerX.
    void PlaceWagonAndWhipper(f32 playerX)
    {
        LoadWorld(Flat(96));
        ASSERT_TRUE(datakit::WriteWhipData("."));
        PlayerLoad(nullptr);
        WhipLoad(nullptr);
        PlaceWagon(500.0f);
        if (HasFatalFailure())
            return;
        SpawnPlayerAt(playerX, (f32)groundY - 40.0f);
    }

    void SetSpeed(f32 speed)
    {
        Left()->header->groundSpeed = Right()->header->groundSpeed = speed;
    }
};

// ---- the cart on its own ----

TEST_F(WagonTest, BodySpawnsTwoWheelsThatSettleApartWithTheBodyBetween)
{
    LoadWorld(Flat(64));
    PlaceWagon(400.0f);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(Left()->header->spawnA, WagonLeftWheel);
    EXPECT_EQ(Right()->header->spawnA, WagonRightWheel);
    EXPECT_EQ(Left()->header->drawLayer, 13);
    EXPECT_EQ(Right()->header->drawLayer, 9);
    EXPECT_EQ(body->header->drawLayer, 9);
    const f32 gap = Right()->header->x - Left()->header->x;
    EXPECT_GE(gap, 2 * 79.0f * 0.78125f - 1.0f);
    EXPECT_LE(gap, 2 * 81.0f * 0.78125f + 1.0f);
    EXPECT_NEAR(body->header->x, (Left()->header->x + Right()->header->x) / 2.0f, 1.0f);
    EXPECT_NEAR(Left()->header->y, (f32)(groundY - datakit::wagonWheelRadius), 1.0f);
    EXPECT_NEAR(body->header->rotation, 0.0f, 0.5f);
}

TEST_F(WagonTest, RollsOnLevelGroundLosingAHundredthATickUntilItStops)
{
    LoadWorld(Flat(96));
    PlaceWagon(400.0f);
    ASSERT_FALSE(HasFatalFailure());
    SetSpeed(1.0f);
    const f32 startX = body->header->x;
    WagonLateUpdate(body);
    EXPECT_NEAR(Left()->header->groundSpeed, 0.99f, 1e-4f);
    EXPECT_NEAR(Right()->header->groundSpeed, 0.99f, 1e-4f);
    for (int i = 0; i < 120; ++i)
        WagonLateUpdate(body);
    EXPECT_EQ(Left()->header->groundSpeed, 0.0f);
    EXPECT_EQ(Right()->header->groundSpeed, 0.0f);
    // 1 + 0.99 + ... + 0.01 = 50.5 px
    EXPECT_NEAR(body->header->x - startX, 50.5f, 2.0f);
}

TEST_F(WagonTest, SpeedsUpDownhillAndIsCappedAtTwelve)
{
    // A long slope falling to the right, 1 px down for every 4 across.
    datakit::CollisionWorld world(400, 160);
    world.Ramp(0, 200, world.Width(), 200 + world.Width() / 4, world.Height());
    LoadWorld(world);
    PlaceWagon(200.0f, 160.0f);
    ASSERT_FALSE(HasFatalFailure());
    SetSpeed(0.0f);
    WagonLateUpdate(body);
    const f32 first = Left()->header->groundSpeed;
    const u8 angle = (u8)(i32)Left()->header->angle;
    EXPECT_GT(first, 0.0f) << "downhill is to the right";
    EXPECT_NEAR(first, (f32)sinTable[angle] * 0.3f / 256.0f, 0.011f);
    f32 top = 0.0f;
    for (int i = 0; i < 1500; ++i) {
        WagonLateUpdate(body);
        top = std::fmax(top, Right()->header->groundSpeed);
    }
    EXPECT_GT(top, 11.5f);
    // The cap comes first in a tick; the slope adds at most one tick's pull after it.
    EXPECT_LE(top, 12.0f + 0.3f);
}

// The mover halts a wheel at the wall and leaves its wall contact; on the next tick the cart sees
// the contact, stops dead and steps back off the wall.
TEST_F(WagonTest, StopsDeadAtAWallAndIsSetBackOffIt)
{
    struct Case {
        const char* name;
        i32 wallLeft;
        f32 speed;
        int contactSlot; // of the wheel that meets the wall
        f32 setBack;
    };
    for (const Case& c : {Case{"wall on the right", 700, 4.0f, 1, -2.0f}, Case{"wall on the left", 284, -4.0f, 0, 2.0f}}) {
        SCOPED_TRACE(c.name);
        datakit::CollisionWorld world = Flat(64);
        world.Box(c.wallLeft, 0, c.wallLeft + 16, groundY);
        LoadWorld(world);
        PlaceWagon(500.0f);
        ASSERT_FALSE(HasFatalFailure());
        WagonRecord* wheel = c.contactSlot == 1 ? Right() : Left();
        SetSpeed(c.speed);
        bool met = false;
        for (int i = 0; i < 100 && !met; ++i) {
            WagonLateUpdate(body);
            met = wheel->header->contacts[c.contactSlot] != 0;
        }
        ASSERT_TRUE(met) << "the wheel reached the wall";
        const f32 leftX = Left()->header->x, rightX = Right()->header->x;
        WagonLateUpdate(body);
        EXPECT_EQ(Left()->header->groundSpeed, 0.0f);
        EXPECT_EQ(Right()->header->groundSpeed, 0.0f);
        if (c.contactSlot == 1) {
            // On the right the stop ends the tick: both wheels exactly 2 px back, the body between.
            EXPECT_FLOAT_EQ(Right()->header->x, rightX + c.setBack);
            EXPECT_FLOAT_EQ(Left()->header->x, leftX + c.setBack);
            EXPECT_FLOAT_EQ(body->header->x, (Left()->header->x + Right()->header->x) / 2.0f);
        } else {
            EXPECT_GT(Left()->header->x, leftX);
        }
        for (int i = 0; i < 60; ++i)
            WagonLateUpdate(body);
        EXPECT_EQ(Left()->header->groundSpeed, 0.0f) << "stays at rest";
        EXPECT_EQ(Right()->header->groundSpeed, 0.0f);
        if (c.contactSlot == 1) {
            EXPECT_LT(Right()->header->x + datakit::wagonWheelRadius, (f32)c.wallLeft);
        } else {
            EXPECT_GT(Left()->header->x - datakit::wagonWheelRadius, (f32)(c.wallLeft + 16));
        }
        ResetObjectInstances(&Wagon);
    }
}

// ---- players and whips ----

TEST_F(WagonTest, APlayerOnTheDeckRidesAlongOnTheDeckLine)
{
    LoadWorld(Flat(96));
    PlayerLoad(nullptr);
    PlaceWagon(400.0f);
    ASSERT_FALSE(HasFatalFailure());
    SpawnPlayerAt(400.0f, body->header->y - 80.0f);
    ASSERT_FALSE(HasFatalFailure());
    for (int i = 0; i < 60; ++i) {
        Tick(0);
        WagonLateUpdate(body);
    }
    const u64 onWagon = (u64)(uintptr_t)body->header;
    ASSERT_EQ(player->header->groundContact, onWagon);
    SetSpeed(2.0f);
    for (int i = 0; i < 30; ++i) {
        const f32 playerX = player->header->x;
        Tick(0);
        WagonLateUpdate(body);
        ASSERT_EQ(player->header->groundContact, onWagon) << "tick " << i;
        EXPECT_NEAR(player->header->x - playerX, body->moveX, 1.0f) << "tick " << i;
        EXPECT_EQ((i32)player->header->y + (i32)player->header->hitboxBottom, (i32)body->deckBox[2]);
    }
}

TEST_F(WagonTest, APlayerWalkingIntoTheLeftSidePushesItRightUpToOneAndAHalf)
{
    LoadWorld(Flat(128));
    PlayerLoad(nullptr);
    PlaceWagon(600.0f);
    ASSERT_FALSE(HasFatalFailure());
    SpawnPlayerAt(470.0f, (f32)groundY - 40.0f);
    ASSERT_FALSE(HasFatalFailure());
    f32 top = 0.0f;
    bool pushed = false;
    for (int i = 0; i < 400; ++i) {
        Tick(ButtonRight);
        const f32 before = Left()->header->groundSpeed;
        WagonLateUpdate(body);
        if (player->header->contacts[1] == (u64)(uintptr_t)body->header && before < 1.0f) {
            // Below the limit a push adds 0.075, less the tick's hundredth of friction.
            pushed = true;
            EXPECT_NEAR(Left()->header->groundSpeed, before + wagonPushStep - wagonFriction, 0.02f) << "tick " << i;
        }
        top = std::fmax(top, Left()->header->groundSpeed);
    }
    ASSERT_TRUE(pushed) << "the player met the wagon's side";
    EXPECT_GT(top, 1.0f);
    EXPECT_LE(top, wagonPushLimit + wagonPushStep);
    EXPECT_GT(body->header->x, 620.0f);
}

TEST_F(WagonTest, TheWhipHookedOnTheCartPullsItAndCarriesTheHook)
{
    PlaceWagonAndWhipper(300.0f);
    ASSERT_FALSE(HasFatalFailure());
    for (int i = 0; i < 10; ++i)
        Tick(0);
    WhipRecord* whip = player->whip;
    ASSERT_NE(whip, nullptr);
    whip->hookedObject = body->header;
    body->hookX = 8.0f;
    body->hookY = -4.0f;
    whip->groundPullX = -2.0f;
    player->header->vx = 1.0f;
    SetSpeed(0.0f);
    WagonLateUpdate(body);
    // 0.15625 from the rope, less the hundredth of friction the leader loses next tick.
    EXPECT_NEAR(Left()->header->groundSpeed, wagonPullStep, 1e-5f);
    EXPECT_NEAR(Right()->header->groundSpeed, wagonPullStep, 1e-5f);
    const f32 c = 0.78125f; // level: cos 256 / 327.68
    EXPECT_NEAR(whip->header->x, body->header->x - c * 8.0f, 0.01f);
    EXPECT_NEAR(whip->header->y, body->header->y + c * -4.0f, 0.01f);
    // Pulled no further once the wheels run at the rope's speed.
    SetSpeed(2.5f);
    WagonLateUpdate(body);
    EXPECT_LT(Right()->header->groundSpeed, 2.5f);
    // Moving away from the pull does nothing.
    player->header->vx = -1.0f;
    SetSpeed(0.0f);
    WagonLateUpdate(body);
    EXPECT_EQ(Left()->header->groundSpeed, 0.0f);
}

// A grapple pressed beside the cart winds the throw up with the tip in the player's hand, inside the
// hook box: the cart must wait for the tip to fly out, and then catches it with the line paid out.
TEST_F(WagonTest, AThrowWindingUpBesideTheCartCatchesItOnlyOnceTheTipIsOut)
{
    PlaceWagonAndWhipper(460.0f);
    ASSERT_FALSE(HasFatalFailure());
    // Whole frames: the cart's late update builds its hook box and puts its hook test on the list.
    auto Frame = [](u32 held, u32 pressed = 0) {
        Press(held, pressed);
        UpdateObjects();
        UpdateCameras();
        DrawScene();
    };
    for (int i = 0; i < 30; ++i)
        Frame(0);
    WhipRecord* whip = player->whip;
    ASSERT_NE(whip, nullptr);
    ASSERT_NE(player->header->groundContact, 0u);
    player->facing = 0; // toward the cart

    const u32 holdSwing = player->grappleStyle ? (u32)ButtonGrapple : 0u;
    Frame(ButtonGrapple, ButtonGrapple);
    ASSERT_EQ(player->whipThrown, 1) << "the throw has started";
    int windUp = 0, ticks = 0;
    while (whip->hookedObject != body->header && ticks < 40) {
        if (player->whipExtension == 0 && whip->state == WhipIdle)
            ++windUp;
        Frame(holdSwing);
        ++ticks;
        if (whip->hookedObject == body->header)
            break;
        ASSERT_FALSE(whip->state == WhipSwing || whip->state == WhipZip) << "hooked something else, tick " << ticks;
    }
    EXPECT_GT(windUp, 1) << "the throw wound up for a few ticks in the hand";
    ASSERT_EQ(whip->hookedObject, body->header) << "the tip flying out caught the cart";
    EXPECT_GT(player->lineLength, hookSlack) << "caught with line out, not at the hand";
}

} // namespace
