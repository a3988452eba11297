// The boss on the data kit's set in a flat arena: the controller holding the camera on the arena,
// the dust puffs that chain along the floor (and a soft landing raising none), and the ending: the
// beaten body falling out, the card, the walk-out, bossDefeated saved to "config.bfc" and the fade
// that asks for "Thanks For Playing!".
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>
#include <vector>

#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Config.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Actors/EnemyLibrary.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Display/Card.h"
#include "Game/Display/Fade.h"
#include "Game/Enemies/HaystackKing.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/Sound.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/GameThread.h"
#include "Game/Actors/ActorBlock.h"
#include "Game/Player/Player.h"
#include "tests/unit/HeadlessGame.h"
#include "tests/unit/TestFolder.h"
#include "tools/datakit/CollisionKit.h"
#include "tools/datakit/PlayerArt.h"
#include "tests/unit/ScratchDir.h"
#include "tools/datakit/ActorData.h"
#include "tools/datakit/BossArt.h"
#include "tools/datakit/DisplayArt.h"
#include "tools/datakit/HudArt.h"

extern u8 forceFree;

namespace {

constexpr f32 arenaX = 32.0f, arenaY = 0.0f;
constexpr i32 groundY = 256;

class HaystackKingTest : public HeadlessGame, protected TestFolder {
protected:
    Stage stage{}, otherStage{};
    PlayerRecord* player = nullptr;

    void SetUp() override
    {
        HeadlessGame::SetUp();
        EnterTestFolder("palvic-haystack-");
        FreeObjectTypeRegistry();
        forceFree = 0;
        currentStage = &stage;
        previousStage = &otherStage;
        ResetGlobals();
        ASSERT_TRUE(datakit::WritePlayerData("."));
        ASSERT_TRUE(datakit::WriteBossData("."));
        ASSERT_TRUE(datakit::WriteHazardData("."));
        ASSERT_TRUE(datakit::WriteFadeData("."));
        ASSERT_TRUE(datakit::WriteHudData("."));
        savedBossDefeated = bossDefeated;
        bossDefeated = 0;
        datakit::CollisionWorld world(96, 48);
        world.Box(0, groundY, world.Width(), world.Height());
        ASSERT_TRUE(datakit::WriteCollisionWorld("Data/Stages/Arena", world));
        currentLayoutSlot = LoadLayout("Data/Stages/Arena/layout1.bin");
        currentLayout = LayoutInSlot(currentLayoutSlot);
        ASSERT_NE(currentLayout, nullptr);
        stageCollisionLayer = datakit::collisionWorldLayer;
        CameraLimits& limits = cameraLimits[0];
        limits.rightBound = limits.rightTarget = world.Width();
        limits.bottomBound = limits.bottomTarget = world.Height();
        HazardLoad(nullptr);
        PlayerLoad(nullptr);
        FadeLoad(nullptr);
        CardLoad(nullptr);
        HaystackKingLoad(nullptr);
        ASSERT_TRUE(haystackKingAnimSet.loaded);
        lastSpawnedInstance = nullptr;
        SpawnObject(&Player, 340.0f, 240.0f, 0, 0);
        player = (PlayerRecord*)lastSpawnedInstance;
        ASSERT_NE(player, nullptr);
    }

    // The stage settings, controls, progress, cameras and sound queue as a fresh stage has them.
    static void ResetGlobals()
    {
        for (u8& layer : collisionLayerTable)
            layer = 0;
        playerStageSetting = 0;
        for (PlayerControls& controls : playerControls)
            controls.heldMask = controls.pressedMask = 0;
        for (PlayerProgress& progress : playerProgress)
            progress = PlayerProgress{3, 0, 255, 0.0f, 0.0f};
        ResetCameras();
        for (Camera& camera : cameras)
            camera = Camera{};
        for (CameraLimits& limits : cameraLimits)
            limits = CameraLimits{};
        soundQueue = SoundQueue{};
    }

    static void Press(u32 held)
    {
        playerControls[0].heldMask = held;
        playerControls[0].pressedMask = 0;
    }

    void TearDown() override
    {
        bossDefeated = savedBossDefeated;
        bossBeaten = 0;
        controlModes[0] = 0;
        musicFadeStep = 0.0f;
        musicVolumeTarget = 1.0f;
        pendingStage = nullptr;
        FreeObjectTypeRegistry();
        ClearActorTypeList();
        FreeLayoutSlotTables();
        currentLayout = nullptr;
        currentLayoutSlot = -1;
        haystackKingAnimSet = AnimSet{};
        haystackKingProperties = ActorProperties{};
        playerAnimSet = AnimSet{};
        playerProperties = ActorProperties{};
        ResetGlobals();
        stageCollisionLayer = 0;
        for (PlayerProgress& progress : playerProgress)
            progress = PlayerProgress{};
        LeaveTestFolder();
        HeadlessGame::TearDown();
    }

    // One tick as a stage runs it: the attack boxes, the passes, the late updates, the cameras.
    void Step(u32 held = 0)
    {
        Press(held);
        ClearAttackBoxes();
        UpdateObjects();
        for (HaystackKingRecord* king : Live())
            HaystackKingLateUpdate(king);
        Player.LateUpdate(player);
        UpdateCameras();
        player = FirstPlayer();
    }

    static std::vector<HaystackKingRecord*> Live(i32 role = -1)
    {
        std::vector<HaystackKingRecord*> out;
        for (u32 i = 0; haystackKingInstances && i < HaystackKing.poolSize; ++i) {
            HaystackKingRecord* king = haystackKingInstances[i];
            if (king->header->alive && !king->header->free && (role < 0 || king->header->spawnA == role))
                out.push_back(king);
        }
        return out;
    }

    HaystackKingRecord* SpawnController(f32 y = arenaY)
    {
        lastSpawnedInstance = nullptr;
        SpawnObject(&HaystackKing, arenaX, y, KingController, 0);
        return (HaystackKingRecord*)lastSpawnedInstance;
    }

    static HaystackKingRecord* Body() { return Live(KingBody).empty() ? nullptr : Live(KingBody)[0]; }

    // An arena whose bottom is the floor the body stands on (so that a jump to the arena's bottom
    // lands on the floor), with the body standing and the fight begun (the camera, following the
    // player, has reached the arena).
    void StandingBody()
    {
        ASSERT_NE(SpawnController(standingArenaY), nullptr);
        for (int tick = 0; tick < 60 && !(Body()->header->groundContact && Body()->started); ++tick)
            Step();
        ASSERT_NE(Body()->header->groundContact, 0u);
        ASSERT_EQ(Body()->started, 1);
        ASSERT_NEAR(Body()->header->y, standingArenaY + kingArenaHeight, 1.0f);
        // The dust of its first landing has settled.
        for (int tick = 0; tick < 200 && !Live(KingDust).empty(); ++tick)
            Step();
        ASSERT_TRUE(Live(KingDust).empty());
    }

    // Puts the body into a state of its fight as its idle countdown would.
    static void Begin(u8 state)
    {
        HaystackKingRecord* body = Body();
        body->header->state = state;
        body->header->subState = 0;
        body->timer = 0;
    }

    // Steps until the condition holds; false after the limit.
    template <class F>
    bool StepUntil(F done, int limit, u32 held = 0)
    {
        for (int tick = 0; tick < limit; ++tick) {
            if (done())
                return true;
            Step(held);
        }
        return done();
    }

    static constexpr f32 standingArenaY = (f32)(groundY - datakit::kingFeet) - kingArenaHeight;

    u8 savedBossDefeated = 0;
};

TEST_F(HaystackKingTest, ControllerSpawnsTheBodyAndHoldsTheCameraOnTheArena)
{
    cameraLimits[0].rightTarget = 1536;
    HaystackKingRecord* controller = SpawnController();
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(bossSavedRightLimit, 1536);
    EXPECT_EQ(HaystackKing.typeIndex, haystackKingRegistrySlot);
    const std::vector<HaystackKingRecord*> bodies = Live(KingBody);
    ASSERT_EQ(bodies.size(), 1u);
    EXPECT_FLOAT_EQ(bodies[0]->header->x, arenaX + 564.0f);
    EXPECT_FLOAT_EQ(bodies[0]->header->y, arenaY + 240.0f);
    EXPECT_FLOAT_EQ(bodies[0]->arenaX, arenaX);
    EXPECT_FLOAT_EQ(bodies[0]->arenaWidth, 636.0f);
    EXPECT_FLOAT_EQ(bodies[0]->arenaHeight, 472.0f);

    struct Case {
        f32 cameraX;
        i32 left;
    };
    // Left of the arena the left bound stays open a screen and a half back; inside it, it closes.
    for (const Case& c : {Case{0.0f, (i32)arenaX - 640}, Case{arenaX + 8.0f, (i32)arenaX}}) {
        cameras[0].x = c.cameraX;
        HaystackKingUpdate(controller);
        EXPECT_EQ(cameraLimits[0].leftTarget, c.left) << c.cameraX;
        EXPECT_EQ(cameraLimits[0].topTarget, (i32)arenaY);
        EXPECT_EQ(cameraLimits[0].rightTarget, (i32)arenaX + 636);
        EXPECT_EQ(cameraLimits[0].bottomTarget, (i32)arenaY + 472 + 25);
    }
    // Once beaten the controller lets go of the limits.
    bossBeaten = 1;
    cameraLimits[0].leftTarget = -5;
    HaystackKingUpdate(controller);
    EXPECT_EQ(cameraLimits[0].leftTarget, -5);
}

TEST_F(HaystackKingTest, DustPuffsChainAlongTheFloorSmallerEachTime)
{
    lastSpawnedInstance = nullptr;
    SpawnObject(&HaystackKing, 300.0f, 200.0f, KingDust, 2);
    HaystackKingRecord* first = (HaystackKingRecord*)lastSpawnedInstance;
    ASSERT_NE(first, nullptr);
    first->header->flipX = 1;
    first->header->scaleX = first->header->scaleY = 1.0f;
    first->header->drawLayer = 13;

    struct Seen {
        f32 x, scale;
        u8 b, flip, layer;
    };
    std::vector<Seen> seen;
    // A puff is told by its slot and its place: a finished puff's slot is taken again by the next
    // one in the same tick.
    std::vector<std::pair<u32, f32>> known;
    for (int tick = 0; tick < 200 && (tick == 0 || !Live(KingDust).empty()); ++tick) {
        for (HaystackKingRecord* dust : Live(KingDust)) {
            const std::pair<u32, f32> key{dust->header->index, dust->header->x};
            bool old = false;
            for (const std::pair<u32, f32>& k : known)
                old = old || k == key;
            if (!old) {
                known.push_back(key);
                seen.push_back({dust->header->x, dust->header->scaleX, dust->header->spawnB, dust->header->flipX,
                                dust->header->drawLayer});
            }
        }
        Step();
    }
    EXPECT_TRUE(Live(KingDust).empty()) << "every puff goes when its animation ends";
    ASSERT_EQ(seen.size(), 3u);
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_FLOAT_EQ(seen[i].x, 300.0f - 28.0f * (f32)i) << i;
        EXPECT_NEAR(seen[i].scale, 1.0f - 0.15f * (f32)i, 1e-5) << i;
        EXPECT_EQ(seen[i].b, 2 - i) << i;
        EXPECT_EQ(seen[i].flip, 1) << i;
        EXPECT_EQ(seen[i].layer, 13) << i;
    }
}

TEST_F(HaystackKingTest, SoftLandingRaisesTwoPuffsWithoutAChain)
{
    ASSERT_NE(SpawnController(), nullptr);
    HaystackKingRecord* body = Live(KingBody).at(0);
    const u32 bodyIndex = body->header->index;
    std::vector<HaystackKingRecord*> puffs;
    for (int tick = 0; tick < 60 && puffs.empty(); ++tick) {
        Step();
        puffs = Live(KingDust);
    }
    body = haystackKingInstances[bodyIndex];
    EXPECT_NE(body->header->groundContact, 0u);
    ASSERT_EQ(puffs.size(), 2u);
    // A drop of a few pixels: saved speed less 3 is below 0, and the chain count stays 0.
    for (HaystackKingRecord* puff : puffs) {
        EXPECT_EQ(puff->header->spawnB, 0);
        EXPECT_NEAR(puff->header->scaleX, body->savedVy / 10.0f + 0.4f, 0.05f);
        EXPECT_FLOAT_EQ(puff->header->y, body->header->y + 60.0f);
    }
    EXPECT_NE(puffs[0]->header->flipX, puffs[1]->header->flipX);
}

TEST_F(HaystackKingTest, BeatenBossFallsOutThenTheWalkOutSavesAndFadesToTheThanksStage)
{
    HaystackKingRecord* controller = SpawnController();
    ASSERT_NE(controller, nullptr);
    const u32 controllerIndex = controller->header->index;
    cameraLimits[0].rightTarget = cameraLimits[0].rightBound = 1536;

    // A beaten body: the death jump to the arena's centre, through the floor and out of view.
    Live(KingBody).at(0)->actor.hp = 0.0f;
    int ticks = 0;
    for (; ticks < 2000 && !bossBeaten; ++ticks)
        Step();
    ASSERT_EQ(bossBeaten, 1) << "the dead body never left the view";
    EXPECT_TRUE(Live(KingBody).empty());
    EXPECT_EQ(bossDefeated, 0);

    // The controller's countdown: the card comes up and the player may leave past the camera bound.
    controller = haystackKingInstances[controllerIndex];
    const i32 savedRight = bossSavedRightLimit;
    for (int i = 0; i < 119; ++i)
        Step();
    EXPECT_EQ(Card.liveCount, 0u);
    Step();
    EXPECT_EQ(Card.liveCount, 1u);
    EXPECT_EQ(cameraLimits[0].rightTarget, savedRight - 64);
    EXPECT_EQ(player->header->edgeFlags[3], 0);
    for (int i = 0; i < 30; ++i)
        Step();
    EXPECT_EQ(controller->timer, 0) << "the countdown stops at 0";
    EXPECT_EQ(Fade.liveCount, 0u) << "no fade before the player has walked out";

    // Past the arena's far side the player's keys are taken over, the flag is saved and a fade
    // leads to the thanks stage.
    player->header->x = arenaX + 1030.0f;
    Step(0x4 | 0x8 | 0x10);
    EXPECT_EQ(playerControls[0].heldMask, 0x8u);
    EXPECT_EQ(bossDefeated, 1);
    EXPECT_EQ(controlModes[0], 0u);
    ASSERT_TRUE(std::filesystem::exists("config.bfc"));
    const std::vector<u8> saved = ScratchDir::Read("config.bfc");
    ASSERT_EQ(saved.size(), (size_t)configFileSize);
    EXPECT_EQ(saved[38], 1);
    ASSERT_EQ(Fade.liveCount, 1u);
    for (int i = 0; i < 600 && !pendingStage; ++i)
        Step(0x8);
    EXPECT_EQ(pendingStage, &thanksStage);
    // Only one fade: the end is not started again.
    EXPECT_LE(Fade.liveCount, 1u);
}

// ---- The fight ----

struct TakeOffCase {
    const char* name;
    u8 jumps, side, attackStep;
    bool dying;
    f32 targetX; // relative to the arena's left; below 0: at the player
    bool targetIsPlayer;
};

TEST_F(HaystackKingTest, EachJumpLeavesTheGroundTowardItsTargetAndLandsThere)
{
    const TakeOffCase cases[] = {
        {"jump 0 at the player", 0, 0, 0, false, 0.0f, true},
        {"jump 2 at the player", 2, 0, 0, false, 0.0f, true},
        {"jump 3 to the right side", 3, 0, 0, false, 636.0f - 56.0f, false},
        {"jump 3 to the left side", 3, 1, 0, false, 56.0f, false},
        {"the second round's jump 3 to the right, further in", 3, 0, 2, false, 636.0f - 56.0f - 24.0f, false},
        {"the second round's jump 3 to the left, further in", 3, 1, 2, false, 56.0f + 24.0f, false},
        {"dying: to the centre", 1, 0, 0, true, 318.0f, false},
    };
    for (const TakeOffCase& c : cases) {
        SCOPED_TRACE(c.name);
        ResetObjectInstances(&HaystackKing);
        // Near enough for the jumps at it to land on it (the flatter jumps at a far player fall
        // short of it).
        player->header->x = 420.0f;
        StandingBody();
        if (HasFatalFailure())
            return;
        HaystackKingRecord* body = Body();
        body->jumpCount = c.jumps;
        body->side = c.side;
        body->attackStep = c.attackStep;
        if (c.dying)
            body->actor.hp = 0.0f;
        Begin(1);
        f32 x = 0.0f, y = 0.0f;
        ASSERT_TRUE(StepUntil(
            [&] {
                if (Body()->header->subState == 1)
                    return true;
                x = Body()->header->x;
                y = Body()->header->y;
                return false;
            },
            60));
        body = Body();
        const f32 targetX = c.targetIsPlayer ? player->header->x : arenaX + c.targetX;
        const f32 targetY = c.targetIsPlayer ? player->header->y : standingArenaY + kingArenaHeight;
        const f32 vx = (targetX - x) / 56.0f;
        // The library lifts the body by a pixel as it leaves the ground.
        const f32 drop = (y - 1.0f - targetY) / 48.0f;
        f32 vy = c.jumps < 3 && !c.dying ? std::fabs(vx) - 12.0f - drop : -7.0f - drop;
        if (c.jumps < 3 && !c.dying)
            vy = vy < -7.0f ? -7.0f : (vy > -4.0f ? -4.0f : vy);
        EXPECT_NEAR(body->header->vx, vx, 1e-4);
        EXPECT_NEAR(body->header->vy, vy, 1e-4);
        EXPECT_EQ(body->header->groundContact, 0u) << "still on the ground after the take-off";
        EXPECT_NEAR(body->header->x, x + vx, 1e-3) << "the take-off tick's move";
        EXPECT_EQ(body->jumpCount, c.dying ? 70 : c.jumps + 1);
        EXPECT_NEAR(body->targetX, targetX, 1e-4);
        if (c.dying)
            continue; // the dead body falls through the floor
        ASSERT_TRUE(StepUntil([&] { return Body()->header->groundContact != 0; }, 120));
        EXPECT_NEAR(Body()->header->x, targetX, 24.0f) << "landed away from its target";
    }
}

TEST_F(HaystackKingTest, ATurnInTheAirFlipsOnceAndHoldsTheJumpsLastFrameToTheLanding)
{
    StandingBody();
    if (HasFatalFailure())
        return;
    // Facing left with the player behind it, on the right.
    ASSERT_EQ(Body()->header->flipX, 1);
    player->header->x = Body()->header->x + 200.0f;
    Begin(1);
    ASSERT_TRUE(StepUntil([&] { return ShowsAnim(&Body()->anim, KingTurnAnim); }, 60));
    ASSERT_EQ(Body()->header->subState, 1);
    int flips = 0;
    u8 flip = Body()->header->flipX;
    ASSERT_TRUE(StepUntil(
        [&] {
            flips += Body()->header->flipX != flip;
            flip = Body()->header->flipX;
            return !ShowsAnim(&Body()->anim, KingTurnAnim);
        },
        60));
    EXPECT_EQ(flips, 1);
    EXPECT_EQ(Body()->header->flipX, 0) << "faces the player";
    int airborne = 0;
    while (!Body()->header->groundContact && airborne < 120) {
        const AnimPlayer& anim = Body()->anim;
        ASSERT_TRUE(ShowsAnim(&anim, KingJumpAnim)) << airborne;
        ASSERT_EQ(anim.activeAnimIndex, KingJumpAnim) << airborne;
        ASSERT_EQ(anim.frameIndex, 7) << "tick " << airborne << " of the flight after the turn";
        Step();
        ++airborne;
    }
    EXPECT_GT(airborne, 10);
    EXPECT_NE(Body()->header->groundContact, 0u);
}

TEST_F(HaystackKingTest, TheSlamDropsABaleThatIsCaughtThrownAndRollsOutOfTheArena)
{
    StandingBody();
    if (HasFatalFailure())
        return;
    Begin(2);
    ASSERT_TRUE(StepUntil([&] { return Body()->anim.frameIndex == 8 && ShowsAnim(&Body()->anim, KingSlamAnim); }, 120));
    HaystackKingRecord* body = Body();
    const ObjectHeader& king = *body->header;
    ASSERT_EQ(king.flipX, 1);
    EXPECT_EQ(player->shakeTimer, 15) << "16, less the player's own tick";
    std::vector<HaystackKingRecord*> dust = Live(KingDust), bales = Live(KingFallingBale);
    ASSERT_EQ(dust.size(), 1u);
    EXPECT_FLOAT_EQ(dust[0]->header->x, king.x - 80.0f);
    EXPECT_FLOAT_EQ(dust[0]->header->scaleX, 1.0f);
    EXPECT_EQ(dust[0]->header->flipX, 1);
    EXPECT_EQ(dust[0]->header->drawLayer, king.drawLayer + 5);
    ASSERT_EQ(bales.size(), 1u);
    EXPECT_FLOAT_EQ(bales[0]->header->x, king.x - 32.0f);
    EXPECT_EQ(bales[0]->header->flipX, 1);
    EXPECT_EQ(bales[0]->pieceIndex, king.index);
    EXPECT_EQ(body->pieceIndex, bales[0]->header->index);
    const u32 baleIndex = bales[0]->header->index;
    const auto bale = [&] { return haystackKingInstances[baleIndex]; };

    // The bale drops into the body's hands: the catch, then the throw of the caught bale.
    ASSERT_TRUE(StepUntil([&] { return ShowsAnim(&Body()->anim, KingCatchAnim); }, 200));
    EXPECT_EQ(bale()->header->state, 1);
    const AnimFramePoint hands = GetAnimFramePoint(Body()->header, &Body()->anim, 0);
    EXPECT_FLOAT_EQ(bale()->header->y, hands.y - 10.0f);
    ASSERT_TRUE(StepUntil([&] { return ShowsAnim(&Body()->anim, KingThrowCaughtAnim); }, 100));
    EXPECT_EQ(bale()->header->state, 2);
    ASSERT_TRUE(StepUntil([&] { return bale()->header->state == 3; }, 100));
    EXPECT_FLOAT_EQ(bale()->header->vx, -1.8f);
    ASSERT_TRUE(StepUntil([&] { return bale()->header->state == 4; }, 200)) << "the thrown bale never landed";
    EXPECT_EQ(Body()->header->state, 0);
    EXPECT_EQ(Body()->attackStep, 1);

    // Rolling left, it passes the camera's left bound and goes once it has left the view.
    Step();
    f32 leftmost = bale()->header->x;
    ASSERT_TRUE(StepUntil(
        [&] {
            HaystackKingRecord* rolling = bale();
            if (!rolling->header->alive || rolling->header->spawnA != KingFallingBale)
                return true;
            EXPECT_FLOAT_EQ(rolling->header->groundSpeed, -2.65f);
            leftmost = std::min(leftmost, rolling->header->x);
            return false;
        },
        600))
        << "still rolling at x " << bale()->header->x;
    EXPECT_LT(leftmost, (f32)cameraLimits[0].leftBound - 24.0f) << "stopped at the camera's bound";
}

TEST_F(HaystackKingTest, TheHurledBaleGrowsFliesAtFullSpeedThroughTheThrowThenSlowsAndHopsAway)
{
    StandingBody();
    if (HasFatalFailure())
        return;
    Begin(3);
    ASSERT_TRUE(StepUntil([&] { return !Live(KingThrownBale).empty(); }, 120));
    HaystackKingRecord* bale = Live(KingThrownBale)[0];
    const u32 baleIndex = bale->header->index;
    // At frame 4 of the throw, at the point of the frame with the flip reversed.
    ObjectHeader reversed = *Body()->header;
    reversed.flipX = !reversed.flipX;
    const AnimFramePoint point = GetAnimFramePoint(&reversed, &Body()->anim, 0);
    EXPECT_EQ(Body()->anim.frameIndex, 4);
    EXPECT_FLOAT_EQ(bale->header->x, point.x);
    EXPECT_FLOAT_EQ(bale->header->y, point.y);
    EXPECT_EQ(bale->header->drawLayer, Body()->header->drawLayer + 5);
    EXPECT_EQ(Body()->actor.children[0], &bale->actor);

    struct Seen {
        u16 frame;
        f32 vx, scale;
    };
    std::vector<Seen> throwTicks;
    const auto thrown = [&] { return haystackKingInstances[baleIndex]; };
    ASSERT_TRUE(StepUntil(
        [&] {
            if (!ShowsAnim(&Body()->anim, KingBaleThrowAnim))
                return true;
            throwTicks.push_back({Body()->anim.frameIndex, thrown()->header->vx, thrown()->header->scaleX});
            return false;
        },
        120));
    ASSERT_FALSE(throwTicks.empty());
    bool flew = false;
    for (const Seen& seen : throwTicks) {
        SCOPED_TRACE(testing::Message() << "frame " << seen.frame);
        if (seen.frame < 5) {
            EXPECT_EQ(seen.vx, 0.0f);
            EXPECT_LE(seen.scale, 1.0f);
        } else {
            EXPECT_EQ(seen.vx, -17.0f) << "slowed while the body still throws";
            flew = true;
        }
    }
    EXPECT_TRUE(flew);
    EXPECT_EQ(throwTicks.back().frame, 7);

    // Then it slows by 0.4 a tick, and it passes the camera's left bound on its way.
    const f32 before = thrown()->header->vx;
    Step();
    EXPECT_NEAR(thrown()->header->vx, before + 0.4f, 1e-4);
    f32 leftmost = thrown()->header->x;
    bool hopped = false;
    ASSERT_TRUE(StepUntil(
        [&] {
            HaystackKingRecord* b = thrown();
            if (!b->header->alive || b->header->spawnA != KingThrownBale)
                return true;
            leftmost = std::min(leftmost, b->header->x);
            hopped = hopped || b->header->state == 1;
            return false;
        },
        1200))
        << "the bale never went";
    EXPECT_TRUE(hopped);
    EXPECT_LT(leftmost, (f32)cameraLimits[0].leftBound - 24.0f) << "stopped at the camera's bound";
}

} // namespace
