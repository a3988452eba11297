// The whip on small collision worlds with the data kit's player and whip data: the throw table and
// the direct-aim inputs, the tip's reach, hooking flat tiles (swing or zip by the grapple button
// and grappleStyle) and refusing slopes, the hold on a struck actor, a zip onto a struck actor that
// hangs the player until it hands over to the air state, and breaking into debris.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "Engine/Collision/AngleTables.h"
#include "Engine/Collision/TileQuery.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/Sound.h"
#include "Engine/Platform/Config.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Actors/ActorBlock.h"
#include "Game/Actors/Effects.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Player/Player.h"
#include "Game/Whip/Whip.h"
#include "tests/unit/PlayerWorld.h"
#include "tools/datakit/CollisionKit.h"
#include "tools/datakit/EffectArt.h"
#include "tools/datakit/PlayerArt.h"
#include "tools/datakit/WhipArt.h"

namespace {

using datakit::CollisionWorld;

constexpr u8 worldLayer = datakit::collisionWorldLayer;
constexpr f32 feet = 16.0f;
constexpr u32 aimUp = 1u << 20, aimDown = 1u << 21, aimLeft = 1u << 22, aimRight = 1u << 23;

void* strikeSeen;
u32 strikeCount;
void RecordStrike(void* whip)
{
    strikeSeen = whip;
    ++strikeCount;
}

class WhipTest : public PlayerWorld {
protected:
    WhipRecord* whip = nullptr;

    WhipTest() : PlayerWorld("palvic-whip-") {}

    void SetUp() override
    {
        PlayerWorld::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(datakit::WriteWhipData("."));
        // The whip reads surface angles in the collision layer of these worlds.
        playerStageSetting = worldLayer;
        tileStrikeHandler = nullptr;
        strikeSeen = nullptr;
        strikeCount = 0;
    }

    void TearDown() override
    {
        PlayerWorld::TearDown();
        whipAnimSet = AnimSet{};
        whipProperties = ActorProperties{};
        gibletsAnimSet = AnimSet{};
        tileStrikeHandler = nullptr;
    }

    // Loads the whip and the player as a stage does (whip first) and stands the player on the
    // ground at x.
    void SpawnStanding(f32 x, f32 groundY)
    {
        WhipLoad(nullptr);
        ASSERT_TRUE(Whip.registered);
        PlayerLoad(nullptr);
        SpawnPlayerAt(x, groundY - feet + 3.0f);
        whip = player->whip;
        ASSERT_NE(whip, nullptr);
        ASSERT_EQ(WhipPlayer(whip), player);
        Tick(0);
        ASSERT_NE(player->header->groundContact, 0u);
    }

    // The whip's late update runs too, and the cameras do not.
    void Tick(u32 held, u32 pressed = 0)
    {
        Press(held, pressed);
        UpdateObjects();
        Player.LateUpdate(player);
        Whip.LateUpdate(whip);
        ++demoSeed;
    }

    ObjectHeader& P() { return *player->header; }
    ObjectHeader& T() { return *whip->header; }

    // Throws by the grapple button and runs the player's throw animation up to the release: the
    // tick on which the whip leaves the hand. The number of ticks taken.
    int ThrowUntilRelease(u32 held)
    {
        Tick(held, ButtonGrapple);
        for (int i = 1; i < 60; ++i) {
            if (player->whipExtension > 0)
                return i;
            Tick(held);
        }
        return -1;
    }

    // The effects' debris type, which the whip scatters when it breaks.
    void LoadDebris()
    {
        ASSERT_TRUE(datakit::WriteEffectData("."));
        GibletsLoad(nullptr);
        ASSERT_TRUE(Giblets.registered);
    }

    static CollisionWorld Flat(i32 groundY = 192)
    {
        CollisionWorld world(48, 16);
        world.Box(0, groundY, world.Width(), world.Height());
        return world;
    }
};

// ---- Aim ----

struct ThrowCase {
    const char* name;
    u32 held;
    u8 facingBefore;
    u8 throwAngle, throwDirection;
    f32 tipAngle;
    i32 handX, handY;
    u16 animation;
    u8 facingAfter;
};

class WhipThrowTest : public WhipTest, public ::testing::WithParamInterface<ThrowCase> {};

TEST_P(WhipThrowTest, ThrowTableRow)
{
    const ThrowCase& c = GetParam();
    LoadWorld(Flat());
    SpawnStanding(300.0f, 192.0f);
    player->facing = c.facingBefore;
    playerControls[0].heldMask = c.held;
    playerControls[0].pressedMask = ButtonGrapple;
    FireWhip(player);
    EXPECT_EQ(player->throwAngle, c.throwAngle);
    EXPECT_EQ(player->throwDirection, c.throwDirection);
    EXPECT_EQ(T().angle, c.tipAngle);
    EXPECT_EQ(player->handOffsetX, c.handX);
    EXPECT_EQ(player->handOffsetY, c.handY);
    EXPECT_EQ(player->overlay.animIndex, c.animation);
    EXPECT_EQ(player->overlay.frameIndex, 0);
    EXPECT_EQ(player->facing, c.facingAfter);
    EXPECT_EQ(player->whipThrown, 1);
    EXPECT_EQ(player->ropeAngle, (u32)c.tipAngle << 8);
    // The tip leaves from the player at 5 px a tick along the throw, rounded toward zero.
    const u8 a = (u8)c.tipAngle;
    EXPECT_EQ(T().x, P().x);
    EXPECT_EQ(T().y, P().y);
    EXPECT_EQ(T().vx, (f32)(cosTable[a] * 5 / 256));
    EXPECT_EQ(T().vy, (f32)(sinTable[a] * 5 / 256));
    // Nothing flies until the release frame.
    EXPECT_EQ(player->whipExtension, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Aim, WhipThrowTest,
    ::testing::Values(ThrowCase{"NoneFacingRight", 0, 0, 0, 4, 0.0f, 31, 1, 21, 0},
                      ThrowCase{"NoneFacingLeft", 0, 1, 128, 4, 128.0f, -31, 1, 26, 1},
                      ThrowCase{"LeftTurnsLeft", ButtonLeft, 0, 128, 4, 128.0f, -31, 1, 26, 1},
                      ThrowCase{"LeftAndRightThrowRight", ButtonLeft | ButtonRight, 1, 0, 4, 0.0f, 31, 1, 21, 0},
                      ThrowCase{"UpFacingRight", ButtonUp, 0, 64, 6, 192.0f, 1, -29, 19, 0},
                      ThrowCase{"UpFacingLeft", ButtonUp, 1, 64, 6, 192.0f, -3, -29, 24, 1},
                      ThrowCase{"UpLeft", ButtonUp | ButtonLeft, 0, 32, 5, 160.0f, -26, -17, 25, 0},
                      ThrowCase{"UpRight", ButtonUp | ButtonRight, 1, 96, 5, 224.0f, 24, -17, 20, 1},
                      ThrowCase{"UpBeatsDown", ButtonUp | ButtonDown, 0, 64, 6, 192.0f, 1, -29, 19, 0},
                      ThrowCase{"DownFacingLeft", ButtonDown, 1, 192, 7, 64.0f, -3, 25, 28, 1},
                      ThrowCase{"DownLeft", ButtonDown | ButtonLeft, 0, 160, 8, 96.0f, -24, 15, 27, 0},
                      ThrowCase{"DownRight", ButtonDown | ButtonRight, 0, 224, 8, 32.0f, 22, 15, 22, 0}),
    [](const ::testing::TestParamInfo<ThrowCase>& info) { return std::string(info.param.name); });

struct AimCase {
    const char* name;
    u32 held, pressed;
    u32 heldAfter, pressedAfter;
};

TEST_F(WhipTest, DirectAimInputsAimAndPressOrHoldTheGrapple)
{
    LoadWorld(Flat());
    SpawnStanding(300.0f, 192.0f);
    const AimCase cases[] = {
        {"aim up pressed", aimUp | ButtonDown, aimUp, aimUp | ButtonUp | ButtonGrapple, aimUp | ButtonGrapple},
        {"aim down pressed", aimDown | ButtonUp, aimDown, aimDown | ButtonDown | ButtonGrapple, aimDown | ButtonGrapple},
        {"aim left pressed", aimLeft | ButtonRight, aimLeft, aimLeft | ButtonLeft | ButtonGrapple,
         aimLeft | ButtonGrapple},
        {"aim right pressed", aimRight | ButtonLeft, aimRight, aimRight | ButtonRight | ButtonGrapple,
         aimRight | ButtonGrapple},
        {"aim up and left", aimUp | aimLeft, aimUp | aimLeft, aimUp | aimLeft | ButtonUp | ButtonLeft | ButtonGrapple,
         aimUp | aimLeft | ButtonGrapple},
        // Held from an earlier tick: the grapple stays held, nothing is pressed and no direction
        // is forced.
        {"aim left held", aimLeft | ButtonRight, 0, aimLeft | ButtonRight | ButtonGrapple, 0},
        {"no aim input", ButtonUp, ButtonJump, ButtonUp, ButtonJump},
    };
    for (const AimCase& c : cases) {
        playerControls[0].heldMask = c.held;
        playerControls[0].pressedMask = c.pressed;
        ApplyAimInput(player);
        EXPECT_EQ(playerControls[0].heldMask, c.heldAfter) << c.name;
        EXPECT_EQ(playerControls[0].pressedMask, c.pressedAfter) << c.name;
    }
}

TEST_F(WhipTest, PressingAnAimInputThrowsThatWayInOneTick)
{
    LoadWorld(Flat());
    SpawnStanding(300.0f, 192.0f);
    Tick(aimUp | aimRight, aimUp | aimRight);
    EXPECT_EQ(player->throwAngle, 96);
    EXPECT_EQ(player->whipThrown, 1);
    EXPECT_EQ(player->overlay.animIndex, 20);
}

// ---- Reach ----

TEST_F(WhipTest, TheTipReachesNinetySixPixelsOnTheSixthExtendingTick)
{
    LoadWorld(Flat());
    SpawnStanding(200.0f, 192.0f);
    ASSERT_GT(ThrowUntilRelease(0), 0);
    ASSERT_EQ(player->whipExtension, 1);
    const f32 handX = P().x + 31.0f, handY = P().y + 1.0f;
    for (int k = 1; k <= 5; ++k) {
        Tick(0);
        ASSERT_EQ(whip->state, (u32)WhipIdle) << "tick " << k;
        ASSERT_EQ(player->whipExtension, 1 + k * whipExtendStep) << "tick " << k;
        // The tip sits at the rope's end, 16 px further each tick.
        ASSERT_EQ(T().x, handX + (f32)((1 + k * whipExtendStep) >> 8)) << "tick " << k;
        ASSERT_EQ(T().y, handY) << "tick " << k;
    }
    Tick(0);
    EXPECT_EQ(whip->state, (u32)WhipRetractFull);
    EXPECT_EQ(player->whipExtension, 1 + 6 * whipExtendStep);
    EXPECT_EQ(T().x, handX + 96.0f);
    // It comes back and ends idle, with the rope gone.
    for (int i = 0; i < 20 && (player->whipExtension > 0 || whip->state != WhipIdle); ++i)
        Tick(0);
    EXPECT_EQ(whip->state, (u32)WhipIdle);
    EXPECT_EQ(player->whipExtension, 0);
    EXPECT_EQ(whip->jointCount, 0);
}

// ---- Hooking ----

struct HookCase {
    const char* name;
    u8 grappleStyle;
    u32 heldAtHook;
    u32 state;
};

TEST_F(WhipTest, AFlatTileHoldsTheHookAndTheButtonChoosesSwingOrZip)
{
    const HookCase cases[] = {
        {"style 0, released: swing", 0, 0, WhipSwing},
        {"style 0, held: zip", 0, ButtonGrapple, WhipZip},
        {"style 1, held: swing", 1, ButtonGrapple, WhipSwing},
        {"style 1, released: zip", 1, 0, WhipZip},
    };
    for (const HookCase& c : cases) {
        SCOPED_TRACE(c.name);
        // A wall 60 px right of the hand.
        CollisionWorld world = Flat();
        world.Box(300, 0, 320, 192);
        LoadWorld(world);
        tileStrikeHandler = RecordStrike;
        SpawnStanding(200.0f, 192.0f);
        player->grappleStyle = c.grappleStyle;
        ASSERT_GT(ThrowUntilRelease(c.heldAtHook), 0);
        for (int i = 0; i < 10 && whip->state == WhipIdle; ++i)
            Tick(c.heldAtHook);
        EXPECT_EQ(whip->state, c.state);
        EXPECT_EQ(strikeCount, 0u);
        EXPECT_EQ(whip->hookedObject, nullptr);
        EXPECT_EQ(player->whipThrown, 0);
        // The point held lies in the rock; the tip was backed out to the last free pixel before it.
        EXPECT_GE(whip->hookPointX, 300.0f);
        EXPECT_NE(GetTilePixel(whip->hookPointX, whip->hookPointY, worldLayer), 0);
        EXPECT_LT(GetTileCollisionFlags(T().x, T().y, worldLayer), 2);
        EXPECT_EQ((i32)T().x, 299);
        EXPECT_GE(player->lineLength, minLineLength);

        FreeObjectTypeRegistry();
        ClearActorTypeList();
        playerAnimSet = AnimSet{};
        playerProperties = ActorProperties{};
        whipAnimSet = AnimSet{};
        whipProperties = ActorProperties{};
    }
}

TEST_F(WhipTest, ASlopedTileRefusesTheHookAndCallsTheStrikeHandler)
{
    // A ramp rising to the right ahead of the player, steep enough that the level throw meets it.
    CollisionWorld world = Flat();
    world.Ramp(260, 191, 380, 120, 192);
    LoadWorld(world);
    tileStrikeHandler = RecordStrike;
    SpawnStanding(200.0f, 192.0f);
    // Put the tip into the slope's surface cell during a throw: two pixels under the surface.
    f32 surfaceY = 120.0f;
    while (surfaceY < 192.0f && GetTilePixel(340.0f, surfaceY, worldLayer) == 0)
        surfaceY += 1.0f;
    ASSERT_LT(surfaceY, 180.0f);
    const f32 tipY = surfaceY + 2.0f;
    player->whipExtension = 16 * 256;
    whip->state = WhipIdle;
    T().x = 340.0f;
    T().y = tipY;
    ASSERT_NE(GetTilePixel(T().x, T().y, worldLayer), 0);
    WhipHookTouch(whip, whip);
    EXPECT_EQ(whip->state, (u32)WhipRetract);
    EXPECT_EQ(strikeCount, 1u);
    EXPECT_EQ(strikeSeen, (void*)whip);

    // Without a handler the slope still refuses the hook.
    tileStrikeHandler = nullptr;
    whip->state = WhipIdle;
    WhipHookTouch(whip, whip);
    EXPECT_EQ(whip->state, (u32)WhipRetract);
    EXPECT_EQ(strikeCount, 1u);

    // The same point in a flat box holds.
    CollisionWorld box = Flat();
    box.Box(320, 140, 380, 192);
    LoadWorld(box);
    whip->state = WhipIdle;
    player->whipExtension = 16 * 256;
    T().x = 340.0f;
    T().y = tipY;
    ASSERT_GE(tipY, 140.0f);
    WhipHookTouch(whip, whip);
    EXPECT_GE(whip->state, (u32)WhipSwing);
}

TEST_F(WhipTest, AHookOnATileThatIsTakenAwayLetsGoTheNextTick)
{
    // A wall 60 px right of the hand, hooked for swinging.
    CollisionWorld world = Flat();
    world.Box(300, 0, 320, 192);
    LoadWorld(world);
    SpawnStanding(200.0f, 192.0f);
    player->grappleStyle = 0;
    ASSERT_GT(ThrowUntilRelease(0), 0);
    for (int i = 0; i < 10 && whip->state == WhipIdle; ++i)
        Tick(0);
    ASSERT_EQ(whip->state, (u32)WhipSwing);
    ASSERT_EQ(whip->hookedObject, nullptr);
    Tick(0);
    ASSERT_EQ(whip->state, (u32)WhipSwing) << "a held tile keeps the hook";

    // A breakable wall clears its cells in the stage's layers: here the cell the hook holds.
    TileLayer& layer = currentLayout->layers[worldLayer];
    const i32 column = (i32)whip->hookPointX >> 4, row = (i32)whip->hookPointY >> 4;
    layer.map[layer.rowStarts[row] + column] = 0;
    ASSERT_EQ(GetTilePixel(whip->hookPointX, whip->hookPointY, worldLayer), 0);
    Tick(0);
    EXPECT_EQ(whip->state, (u32)WhipRetract);
}

TEST_F(WhipTest, AStruckActorHeldOnTheHookBreaksTheWhipAfter480Ticks)
{
    LoadWorld(Flat());
    SpawnStanding(200.0f, 192.0f);
    LoadDebris();
    // Whether or not the actor's own hit-stop counts down too, the hold lasts 480 ticks.
    for (bool ownCountdown : {false, true}) {
        SCOPED_TRACE(ownCountdown ? "the actor counts its hit-stop down" : "only the whip counts");
        ObjectHeader body{};
        body.x = 260.0f;
        body.y = 170.0f;
        ActorBlock struck{};
        struck.header = &body;
        struck.hurt = 1;
        whip->actor.lastHitter = &struck;
        // The attack has just struck it during a throw: it becomes the hooked object.
        player->whipExtension = 8 * 256;
        whip->state = WhipIdle;
        whip->hookedObject = nullptr;
        T().x = 250.0f;
        T().y = 175.0f;
        whip->lateCount = 0;
        WhipLateUpdate(whip);
        ASSERT_EQ(whip->hookedObject, &body);
        ASSERT_TRUE(whip->state == WhipSwing || whip->state == WhipZip);
        EXPECT_EQ(whip->hookPointX, 10.0f);
        EXPECT_EQ(whip->hookPointY, -5.0f);
        whip->state = WhipSwing;

        // Late updates run many times a tick (the tip test runs one at every pixel); the hold
        // counts once a tick.
        int ticks = 0;
        for (; ticks < 1000 && whip->state == WhipSwing; ++ticks) {
            if (ownCountdown && struck.hitlag > 0)
                --struck.hitlag;
            whip->lateCount = 0;
            for (int i = 0; i < 3 && whip->state == WhipSwing; ++i)
                WhipLateUpdate(whip);
            if (ticks == 0) {
                EXPECT_EQ(struck.whipHeld, 1);
                EXPECT_EQ(struck.hitlag, 540);
            }
        }
        EXPECT_EQ(ticks, 481); // the hold set on the first tick, then 480 ticks
        EXPECT_EQ(whip->state, (u32)WhipIdle);
        EXPECT_EQ(player->whipExtension, 0);
        EXPECT_EQ(struck.hitlag, 0);
        EXPECT_EQ(struck.whipHeld, 0);
        EXPECT_EQ(whip->hookedObject, nullptr);
        EXPECT_GT(Giblets.liveCount, 0u);
        whip->actor.lastHitter = nullptr;
    }
}

// A zip onto a struck actor: the player hangs on the rope (no gravity, no ground, the hang pose)
// while the zip runs; once it has arrived, the hang timer runs out and the air state takes over in
// that same tick.
TEST_F(WhipTest, AZipOntoAStruckActorHangsThePlayerThenHandsOverToTheAir)
{
    LoadWorld(Flat());
    SpawnStanding(200.0f, 192.0f);
    ObjectHeader body{};
    body.x = 270.0f;
    body.y = 150.0f;
    ActorBlock struck{};
    struck.header = &body;
    struck.hurt = 1;
    whip->actor.lastHitter = &struck;
    player->whipExtension = 8 * 256;
    whip->state = WhipIdle;
    whip->hookedObject = nullptr;
    T().x = 260.0f;
    T().y = 155.0f;
    // The grapple button away from its swing position: the hook zips.
    const u32 zipHeld = player->grappleStyle ? 0u : (u32)ButtonGrapple;
    Press(zipHeld);
    whip->lateCount = 0;
    WhipLateUpdate(whip);
    ASSERT_EQ(whip->hookedObject, &body);
    ASSERT_EQ(whip->state, (u32)WhipZip);
    ASSERT_EQ(player->state, PlayerStateHanging);
    EXPECT_EQ(P().groundContact, 0u) << "taken off the ground";

    int ticks = 0;
    while (whip->state == WhipZip && ticks < 60) {
        const f32 distance = std::hypot(T().x - P().x, T().y - P().y);
        Tick(zipHeld);
        ++ticks;
        ASSERT_EQ(player->state, PlayerStateHanging) << "tick " << ticks;
        if (whip->state == WhipZip) {
            EXPECT_EQ(player->hangTimer, 2) << "held while the line is out, tick " << ticks;
            EXPECT_LT(std::hypot(T().x - P().x, T().y - P().y), distance) << "closing in, tick " << ticks;
        }
        EXPECT_EQ(P().groundContact, 0u);
        EXPECT_EQ(player->anim.animIndex, player->facing ? 60 : 59) << "the hang pose, tick " << ticks;
        EXPECT_EQ(player->overlay.animIndex, 0);
    }
    ASSERT_EQ(whip->state, (u32)WhipIdle) << "the zip has arrived";
    EXPECT_EQ(player->whipExtension, 0);
    EXPECT_EQ(player->state, PlayerStateHanging) << "still hanging the tick it arrives";

    // The timer runs down with no line out; the tick it reaches 0 the air state runs, gravity and all.
    int hung = 0;
    f32 vy = P().vy;
    while (player->state == PlayerStateHanging && hung < 10) {
        vy = P().vy;
        Tick(zipHeld);
        ++hung;
    }
    EXPECT_EQ(hung, 1);
    EXPECT_EQ(player->state, PlayerStateAir);
    EXPECT_EQ(player->hangTimer, 0);
    EXPECT_FLOAT_EQ(P().vy, vy + player->gravity);
    whip->actor.lastHitter = nullptr;
}

// ---- Breaking ----

TEST_F(WhipTest, BreakingScattersTheRopeAndEndsTheThrow)
{
    LoadWorld(Flat());
    SpawnStanding(200.0f, 192.0f);
    LoadDebris();
    // Nothing out: nothing breaks.
    BreakWhip(whip);
    EXPECT_EQ(Giblets.liveCount, 0u);

    // A level rope of 61 pixels from the tip to the hand.
    scrollX = scrollY = 0;
    player->handOffsetX = 31;
    player->handOffsetY = 1;
    const f32 handX = std::trunc(P().x) + 31.0f, handY = std::trunc(P().y) + 1.0f;
    T().x = handX + 60.0f;
    T().y = handY;
    T().vx = 5.0f;
    player->whipExtension = 60 * 256;
    player->previousLineLength = 60 * 256; // not stretched: links every 6 px
    whip->state = WhipRetractFull;
    whip->jointCount = 0;
    BreakWhip(whip);
    // Three crumbs a pixel, a link at pixels 10, 16, ... 58, and the hook.
    EXPECT_EQ(Giblets.liveCount, 61u * 3u + 9u + 1u);
    EXPECT_EQ(whip->state, (u32)WhipIdle);
    EXPECT_EQ(player->whipExtension, 0);
    EXPECT_EQ(whip->jointCount, 0);
    EXPECT_EQ(T().vx, 0.0f);
    EXPECT_EQ(T().vy, 0.0f);

    // A set length that leaves no room for links (16 px or less) must not divide by zero; a
    // stretched rope spreads its links further.
    ResetObjectInstances(&Giblets);
    T().x = handX + 60.0f;
    player->whipExtension = 120 * 256;
    player->previousLineLength = 10 * 256;
    whip->state = WhipRetract;
    BreakWhip(whip);
    EXPECT_EQ(Giblets.liveCount, 61u * 3u + 9u + 1u);
    EXPECT_EQ(whip->state, (u32)WhipIdle);

    ResetObjectInstances(&Giblets);
    T().x = handX + 60.0f;
    player->whipExtension = 120 * 256;
    player->previousLineLength = 40 * 256; // drift (120 - 40) * 256 / 5 = 4096: 22 px between links
    whip->state = WhipRetract;
    BreakWhip(whip);
    EXPECT_EQ(Giblets.liveCount, 61u * 3u + 3u + 1u); // links at 10, 32, 54
}

// ---- Draw ----

TEST_F(WhipTest, DrawingTheRopeGuardsItsLinkDriftAndFrameIndicesAndPutsTheDrawStateBack)
{
    LoadWorld(Flat());
    SpawnStanding(200.0f, 192.0f);
    scrollX = scrollY = 0;
    player->handOffsetX = 31;
    player->handOffsetY = 1;
    const i32 handX = (i32)P().x + 31, handY = (i32)P().y + 1;
    T().x = (f32)(handX + 80);
    T().y = (f32)handY;
    T().angle = 0.0f;
    whip->state = WhipSwing;
    // A set length with no room for links, a hook frame past its animation and sparkle phases past
    // the link frames.
    player->whipExtension = 80 * 256;
    player->previousLineLength = 0;
    whip->anim.frameIndex = 999;
    for (u8(&cell)[2] : whip->flashCells)
        cell[0] = 200;
    memset(frameBuffer, 0, (size_t)screenWidth * screenHeight * 4);
    WhipDraw(whip);
    EXPECT_EQ(whip->anim.frameIndex, 0);
    EXPECT_EQ(drawFlags, 0u);
    EXPECT_EQ(spriteAngle, 0);
    EXPECT_EQ(spriteScaleX, 512);
    EXPECT_EQ(spriteScaleY, 512);
    EXPECT_EQ(blendMode, 0u);
    // The links cover the rope from 10 px behind the hook to the hand, every one on the last
    // frame of its sparkle; the bare line shows in the pixel between them and the hook, its shade below it.
    const u32 rope = 0xB07034, shade = 0x5C3416, sparkle = 0xFFE250;
    EXPECT_EQ(frameBuffer[rowOffsets[handY] + handX + 74] & 0xFFFFFF, rope);
    EXPECT_EQ(frameBuffer[rowOffsets[handY + 1] + handX + 74] & 0xFFFFFF, shade);
    int sparklePixels = 0;
    for (i32 x = handX; x < handX + 70; ++x)
        sparklePixels += (frameBuffer[rowOffsets[handY] + x] & 0xFFFFFF) == sparkle;
    EXPECT_GT(sparklePixels, 40);
    // A zip that overshoots the hook leaves the extension below 0 for a tick (-256 and below made
    // the crumb rate divide by 0).
    for (i32 extension : {-256, -300, -511}) {
        player->whipExtension = extension;
        WhipDraw(whip);
        EXPECT_EQ(drawFlags, 0u) << extension;
    }
    // Nothing out: nothing drawn.
    memset(frameBuffer, 0, (size_t)screenWidth * screenHeight * 4);
    whip->state = WhipIdle;
    player->whipExtension = 0;
    WhipDraw(whip);
    u32 lit = 0;
    for (i32 y = 0; y < screenHeight; ++y)
        for (i32 x = 0; x < screenWidth; ++x)
            lit |= frameBuffer[rowOffsets[y] + x];
    EXPECT_EQ(lit, 0u);
}

TEST_F(WhipTest, TheSoundsLastWhileAnotherStageHoldsTheTypeAndReadZeroAfterItsLastUnload)
{
    WhipLoad(nullptr);
    WhipLoad(nullptr); // the next stage loads before this one unloads
    WhipUnload();
    EXPECT_TRUE(Whip.registered);
    for (u32 sound : {whipAttackSound, whipAttack2Sound, whipAttackAirSound, whipFireSound})
        EXPECT_NE(sound, 0u);
    WhipUnload();
    EXPECT_FALSE(Whip.registered);
    for (u32 sound : {whipHitSound, whipHookSound, whipAttackSound, whipAttack2Sound, whipAttackAirSound,
                      whipFireSound, whipBungeeSound})
        EXPECT_EQ(sound, 0u);
}

} // namespace
