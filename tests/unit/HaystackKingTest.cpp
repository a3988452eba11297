// The boss on the data kit's set in a flat arena: the controller holding the camera on the arena,
// the dust puffs that chain along the floor (and a soft landing raising none), and the ending: the
// beaten body falling out, the card, the walk-out, bossDefeated saved to "config.bfc" and the fade
// that asks for "Thanks For Playing!".
#include <filesystem>
#include <utility>
#include <vector>

#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Config.h"
#include "Game/Actors/AttackBoxes.h"
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

    HaystackKingRecord* SpawnController()
    {
        lastSpawnedInstance = nullptr;
        SpawnObject(&HaystackKing, arenaX, arenaY, KingController, 0);
        return (HaystackKingRecord*)lastSpawnedInstance;
    }

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

} // namespace
