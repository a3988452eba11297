// The gameplay stages on the grey-box data set: stage settings, each stage's row of types, music
// and break layers, the player standing on the ground by its start, use counts back where they were after an unload and across a restart, the
// Graveyard's top exit and its pause menu, and The Bone Zone's totals and clock.
#include <cstring>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "Engine/Common/Anim.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Sheets.h"
#include "Engine/Common/Sound.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Display/Fade.h"
#include "Game/Display/InputConfigMenu.h"
#include "Game/Display/PauseMenu.h"
#include "Game/Display/ResultsScreen.h"
#include "Game/Player/Player.h"
#include "Game/Stages/GameplayStages.h"
#include "tests/unit/DataSetGame.h"
#include "tools/datakit/DataSet.h"
#include "tools/soak/UseCounts.h"

namespace {

struct StageCase {
    Stage* stage;
    const char* name;
    u8 layerCount;
    u32 collisionLayer;
    u8 layerTable[4];
    u8 playerSetting;
    std::vector<u32> visibleLayers;
    f32 standX, standY; // where the player stands once it has come down from its start
    const char* music;
    u32 loopSample;
    std::vector<ObjectType*> loadOrder; // the stage's own order, the shared ten in their place
    u8 breakWallLayers[4];              // 255: none written
};

// The ten types every gameplay stage loads through the shared set-up, in their order.
std::vector<ObjectType*> Shared()
{
    return {&Fade, &Collect, &Checkpoint, &Explosion, &FX, &Giblets, &BreakWall, &Platform, &Whip, &Bonus};
}

std::vector<ObjectType*> Order(std::initializer_list<std::vector<ObjectType*>> runs)
{
    std::vector<ObjectType*> order;
    for (const std::vector<ObjectType*>& run : runs)
        order.insert(order.end(), run.begin(), run.end());
    return order;
}

void PrintTo(const StageCase& c, std::ostream* os)
{
    *os << c.stage->name;
}

std::vector<StageCase> StageCases()
{
    return {
        {&graveyardStage, "Graveyard", 13, 11, {11, 12, 11, 12}, 10, {0, 1, 2, 3, 4, 5, 7, 9, 10}, 272, 1392,
         "Data/Music/Graveyard.ogg", 769565,
         Order({{&HUD, &PauseMenu, &InputConfigMenu, &ResultsScreen, &Card, &HaystackKing}, Shared(),
                {&ParaSprite, &TutTxt, &Audrey, &Froacker, &Projectile, &Draven, &YardSlayer, &Player, &Hazard}}),
         {10, 10, 11, 12}},
        {&village1Stage, "Village1", 10, 8, {8, 9, 8, 9}, 7, {0, 1, 2, 3, 4, 5, 6, 7}, 64, 700,
         "Data/Music/Village1.ogg", 183397,
         Order({{&HUD, &PauseMenu, &InputConfigMenu, &Card, &TestText}, Shared(),
                {&Corn, &Wagon, &HaystackKing, &Projectile, &Audrey, &Froacker, &Draven, &YardSlayer, &CandleHead,
                 &Player, &Hazard}}),
         {7, 7, 8, 9}},
        // Boss Rush's start (340, 240) is 224 px over the arena's floor at 480.
        {&bossRushStage, "BossRush", 6, 4, {4, 5, 4, 5}, 3, {0, 2, 3}, 340, 464, "Data/Music/Blank.ogg", 0,
         Order({{&HUD, &PauseMenu, &InputConfigMenu}, Shared(), {&HaystackKing, &Player, &Hazard}}),
         {255, 255, 255, 255}},
        {&boneZoneStage, "BoneZone", 13, 11, {11, 12, 11, 12}, 10, {0, 1, 2, 3, 4, 5, 7, 9, 10}, 272, 1416,
         "Data/Music/BoneZone.ogg", 769565,
         Order({{&TitleMenu, &HUD, &PauseMenu, &InputConfigMenu, &ResultsScreen, &Card}, Shared(),
                {&ParaSprite, &Audrey, &Froacker, &Projectile, &Draven, &YardSlayer, &Player, &Hazard}}),
         {10, 10, 11, 12}},
        {&testStage, "Test", 6, 4, {4, 5, 4, 5}, 3, {0, 2, 3}, 64, 700, "Data/Music/Test.ogg", 0,
         Order({{&HUD, &PauseMenu, &InputConfigMenu}, Shared(),
                {&Projectile, &Audrey, &Froacker, &Draven, &YardSlayer, &CandleHead, &BasicEnemy, &Orb, &Byu, &Player,
                 &Hazard}}),
         {3, 3, 4, 5}},
    };
}

class GameplayStageTest : public DataSetGame {
protected:
    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            Tick();
    }
};

class GameplayStageTable : public GameplayStageTest, public ::testing::WithParamInterface<StageCase> {};

TEST_P(GameplayStageTable, LoadsRunsAndGivesEverythingBack)
{
    const StageCase& c = GetParam();
    Stage* home = currentStage;
    ASSERT_NE(home, nullptr);
    const UseCounts before = TakeUseCounts();

    GoToStage(c.stage);
    ASSERT_EQ(currentStage, c.stage);
    EXPECT_EQ(c.stage->loaded, 1);
    EXPECT_EQ(c.stage->started, 1);
    ASSERT_NE(currentLayout, nullptr);
    EXPECT_EQ(currentLayout, LayoutInSlot(c.stage->layoutSlot));
    ASSERT_EQ(currentLayout->layerCount, c.layerCount);
    EXPECT_EQ(stageCollisionLayer, c.collisionLayer);
    EXPECT_EQ(0, memcmp(collisionLayerTable, c.layerTable, 4));
    EXPECT_EQ(playerStageSetting, c.playerSetting);
    for (u32 layer : c.visibleLayers)
        EXPECT_EQ(currentLayout->layers[layer].visible, 1) << "layer " << layer;
    EXPECT_EQ(currentLayout->layers[c.collisionLayer].visible, 0);

    // The whip tells slopes by the tiles of the player's whip layer: every drawn ground cell carries
    // the surface angle of its collision cell, and every stage but the boss's flat arena has slopes.
    {
        const TileLayer& drawn = currentLayout->layers[c.playerSetting];
        const TileLayer& solid = currentLayout->layers[c.collisionLayer];
        const TileSheet* drawnSheet = LayerTileSheet(currentLayout, &drawn);
        const TileSheet* solidSheet = LayerTileSheet(currentLayout, &solid);
        ASSERT_TRUE(drawnSheet && solidSheet);
        ASSERT_EQ(drawn.width, solid.width);
        ASSERT_EQ(drawn.height, solid.height);
        u32 mismatched = 0, sloped = 0;
        for (i32 row = 0; row < solid.height; ++row)
            for (i32 column = 0; column < solid.width; ++column) {
                const u32 solidTile = solid.map[solid.rowStarts[row] + column] & 0xFFF;
                const u32 drawnTile = drawn.map[drawn.rowStarts[row] + column] & 0xFFF;
                if (solidTile == 0 || solidTile >= solidSheet->recordCount || drawnTile >= drawnSheet->recordCount)
                    continue;
                const u8 angle = solidSheet->tiles[solidTile].angle;
                sloped += angle != 0;
                mismatched += drawnSheet->tiles[drawnTile].angle != angle;
            }
        EXPECT_EQ(mismatched, 0u) << "drawn ground cells whose angle differs from the collision cell's";
        if (c.stage != &bossRushStage) { // a flat arena
            EXPECT_GT(sloped, 0u);
        }
    }
    EXPECT_EQ(Player.liveCount, 1u);
    EXPECT_TRUE(requestedMusic != nullptr && musicChangeRequest == 1) << "the stage's music was requested";

    // The player starts over the ground and comes to stand on it: its feet are 16 px under its
    // position. (Looked at before Boss Rush's boss, which jumps at the player, first comes down.)
    Ticks(150);
    PlayerRecord* player = FirstPlayer();
    ASSERT_NE(player, nullptr);
    EXPECT_NE(player->header->groundContact, 0u);
    EXPECT_NEAR(player->header->x, c.standX, 1.0f);
    EXPECT_NEAR(player->header->y, c.standY, 1.0f);
    EXPECT_EQ(player->header->collisionLayer, c.collisionLayer);
    // The fade-in has ended; a stage's pause menu keeps its own dimming fade (mode 2) live.
    u32 fadesIn = 0;
    for (u32 i = 0; i < Fade.poolSize; ++i)
        if (Fade.pool[i]->alive && Fade.pool[i]->spawnA == FadeIn)
            ++fadesIn;
    EXPECT_EQ(fadesIn, 0u) << "the fade-in has ended";

    GoToStage(home);
    EXPECT_EQ(c.stage->loaded, 0);
    EXPECT_EQ(c.stage->started, 0);
    const UseCounts after = TakeUseCounts();
    EXPECT_TRUE(before == after) << DescribeDifference(before, after);
    EXPECT_TRUE(headless::ShownBoxes().empty()) << headless::ShownBoxes()[0].text;
}

// The stage's row of the stage table: from a stage that holds nothing, its types take registry
// slots in its load order (their order in every update pass and draw layer; the boss and the
// attack boxes pin their own), its music is asked
// for with its loop point, and it writes its break layers (Boss Rush names none, and is given none
// rather than the last stage's). Boss Rush also widens the camera for its arena.
TEST_P(GameplayStageTable, TypesInLoadOrderMusicAndBreakLayers)
{
    const StageCase& c = GetParam();
    Stage* home = currentStage;
    Stage empty{};
    GoToStage(&empty);
    for (u32 slot = 0; objectTypes && slot < objectTypeCapacity; ++slot)
        ASSERT_EQ(objectTypes[slot], nullptr) << "slot " << slot << " is taken before the stage loads";
    for (u8& layer : breakWallLayers)
        layer = 77;

    GoToStage(c.stage);
    ASSERT_EQ(currentStage, c.stage);
    const ObjectType* last = nullptr;
    for (const ObjectType* type : c.loadOrder) {
        ASSERT_TRUE(type->registered && type->inRegistry) << (type->name ? type->name : "a type");
        // The boss and the attack boxes move themselves to fixed slots as they load.
        if (type == &HaystackKing || type == &Hazard) {
            EXPECT_EQ(type->typeIndex, type == &HaystackKing ? 68u : 69u);
            continue;
        }
        if (last) {
            EXPECT_GT(type->typeIndex, last->typeIndex)
                << (type->name ? type->name : "?") << " after " << (last->name ? last->name : "?");
        }
        last = type;
    }

    ASSERT_NE(requestedMusic, nullptr);
    const MusicTrack* track = nullptr;
    for (u32 slot = 0; slot < musicSlotCount; ++slot)
        if (musicSlots[slot] && &musicSlots[slot]->image == requestedMusic)
            track = musicSlots[slot];
    ASSERT_NE(track, nullptr);
    EXPECT_STREQ(track->name, c.music);
    EXPECT_EQ(track->loopSample, c.loopSample);
    EXPECT_EQ(musicLoopSample, c.loopSample);
    EXPECT_EQ(0, memcmp(breakWallLayers, c.breakWallLayers, 4));

    if (c.stage == &bossRushStage) {
        EXPECT_EQ(cameraLimits[0].rightTarget, (i32)(424 * 1.5 + 32.0)) << "screen width x 1.5 + 32";
        EXPECT_EQ(cameraLimits[0].bottomTarget, 240 * 2 - 8) << "screen height x 2 - 8";
    }
    GoToStage(home);
}

TEST_P(GameplayStageTable, RestartKeepsUseCountsBalanced)
{
    const StageCase& c = GetParam();
    Stage* home = currentStage;
    const UseCounts before = TakeUseCounts();
    GoToStage(c.stage);
    Ticks(5);
    const UseCounts loaded = TakeUseCounts();

    pendingStage = StageRestart();
    Ticks(2);
    EXPECT_EQ(previousStage, c.stage) << "the restart was served";
    EXPECT_EQ(currentStage, c.stage);
    EXPECT_EQ(Player.liveCount, 1u);
    const UseCounts restarted = TakeUseCounts();
    EXPECT_TRUE(loaded == restarted) << DescribeDifference(loaded, restarted);
    Ticks(60);

    GoToStage(home);
    const UseCounts after = TakeUseCounts();
    EXPECT_TRUE(before == after) << DescribeDifference(before, after);
    EXPECT_TRUE(headless::ShownBoxes().empty()) << headless::ShownBoxes()[0].text;
}

INSTANTIATE_TEST_SUITE_P(Stages, GameplayStageTable, ::testing::ValuesIn(StageCases()),
                         [](const ::testing::TestParamInfo<StageCase>& info) { return std::string(info.param.name); });

TEST_F(GameplayStageTest, GraveyardTopExitFadesOnceIntoVillage1)
{
    GoToStage(&graveyardStage);
    EXPECT_EQ(cameraLimits[0].topBound, 896);
    EXPECT_EQ(cameraLimits[0].topTarget, 896);
    EXPECT_EQ(tileStrikeHandler != nullptr, true);
    Ticks(30);
    ASSERT_EQ(Fade.liveCount, 0u);

    // Just under the line nothing happens; over it, one fade, and the player stops acting.
    PlayerRecord* player = FirstPlayer();
    ASSERT_NE(player, nullptr);
    player->header->y = 880.0f;
    player->header->vy = 0.0f;
    player->header->groundContact = 0;
    Tick();
    EXPECT_EQ(Fade.liveCount, 0u);
    player->header->y = 879.0f;
    player->header->vy = 0.0f;
    Tick();
    ASSERT_EQ(Fade.liveCount, 1u);
    EXPECT_EQ(player->state, nullptr);
    FadeRecord* fade = nullptr;
    for (u32 i = 0; i < Fade.poolSize; ++i)
        if (Fade.pool[i]->alive)
            fade = fadeInstances[i];
    ASSERT_NE(fade, nullptr);
    EXPECT_EQ(fade->header->spawnA, FadeOutToStage);
    EXPECT_EQ(fade->step, 4);
    EXPECT_EQ(fade->targetStage, &village1Stage);

    // Black after 64 steps of 4; the request is served at the next tick.
    Ticks(64);
    EXPECT_EQ(Fade.liveCount, 1u) << "one fade for the exit, however long the player stays up there";
    EXPECT_EQ(currentStage, &graveyardStage);
    Tick();
    EXPECT_EQ(currentStage, &village1Stage);
    EXPECT_EQ(graveyardStage.loaded, 0);
    EXPECT_EQ(tileStrikeHandler != nullptr, true) << "Village 1 sets its own";
    EXPECT_TRUE(headless::ShownBoxes().empty());
}

TEST_F(GameplayStageTest, GraveyardExitIsTakenAgainAfterARestart)
{
    GoToStage(&graveyardStage);
    Ticks(20); // the fade-in ends
    ASSERT_EQ(Fade.liveCount, 0u);
    FirstPlayer()->header->y = 800.0f;
    Tick();
    ASSERT_EQ(Fade.liveCount, 1u);
    EXPECT_EQ(graveyardExitTaken, 1);
    pendingStage = StageRestart();
    Ticks(2);
    EXPECT_EQ(graveyardExitTaken, 0);
    Ticks(20); // the restart's fade-in ends
    ASSERT_EQ(Fade.liveCount, 0u);
    FirstPlayer()->header->y = 800.0f;
    Tick();
    EXPECT_EQ(Fade.liveCount, 1u);
}

class GraveyardPauseTest : public GameplayStageTest {
protected:
    static constexpr int returnKey = 28; // Start

    void PressStart()
    {
        headless::SetKey(returnKey, true);
        Tick();
        headless::SetKey(returnKey, false);
    }

    // The menu's dims still showing: live mode-2 fades above level 0.
    static u32 DimsShowing()
    {
        u32 showing = 0;
        for (u32 i = 0; i < Fade.poolSize; ++i)
            if (Fade.pool[i]->alive && !Fade.pool[i]->free && Fade.pool[i]->spawnA == FadeToLevel &&
                fadeInstances[i]->level > 0)
                ++showing;
        return showing;
    }

    // Into the Graveyard afresh, Start, the lines in, then "Resume" (the first line). With
    // startAfterResume 0, returns the ticks from the Resume until the menu has slid shut (or -1);
    // else presses Start that many ticks after the Resume and returns.
    int PauseAndResume(int startAfterResume)
    {
        GoToStage(&graveyardStage);
        Ticks(30);
        PressStart();
        EXPECT_EQ(pauseMenuOpen, 1);
        Ticks(30);
        PressStart(); // Resume
        for (int ticks = 1; ticks <= 60; ++ticks) {
            if (ticks == startAfterResume) {
                PressStart();
                return ticks;
            }
            Tick();
            if (!startAfterResume && !pauseMenuOpen)
                return ticks;
        }
        return -1;
    }
};

// Start on the very tick the menu slides shut after "Resume" used to spawn a second menu beside
// it: the next Resume closed one, and the other dropped hidden with its dim held at 200.
TEST_F(GraveyardPauseTest, StartOnTheTickTheMenuShutsMakesNoSecondMenu)
{
    Stage* home = currentStage;
    const int shutAfter = PauseAndResume(0);
    ASSERT_GT(shutAfter, 1) << "the menu slides shut some ticks after Resume";
    EXPECT_EQ(PauseMenu.liveCount, 1u);
    GoToStage(home);

    // The same again, with Start on that tick: the menu shuts, and the press finds it still there.
    PauseAndResume(shutAfter);
    EXPECT_EQ(PauseMenu.liveCount, 1u) << "one pause menu";
    EXPECT_EQ(pauseMenuOpen, 0);

    // The one menu opens and closes as before, and leaves the picture clear.
    Ticks(5);
    PressStart();
    ASSERT_EQ(pauseMenuOpen, 1);
    Ticks(30);
    EXPECT_GT(DimsShowing(), 0u) << "dimmed while paused";
    PressStart(); // Resume
    int ticks = 0;
    while (pauseMenuOpen && ticks < 60) {
        Tick();
        ++ticks;
    }
    ASSERT_EQ(pauseMenuOpen, 0);
    Ticks(20);
    EXPECT_EQ(PauseMenu.liveCount, 1u);
    EXPECT_EQ(DimsShowing(), 0u) << "no dim left over the play";
    GoToStage(home);
}

TEST_F(GameplayStageTest, BoneZoneTotalsClockAndOnePlayerAfterARestart)
{
    GoToStage(&boneZoneStage);
    // The data set places an Audrey, a Draven, two Froackers and a YardSlayer there.
    EXPECT_EQ(stageEnemiesTotal, 5);
    EXPECT_STREQ(debugText, "TOTAL ENEMY COUNT: 5");
    EXPECT_EQ(bonesCardRaised, 0);
    EXPECT_EQ(enemiesCardRaised, 0);
    EXPECT_EQ(stageSeconds, 0);

    // A second for every tick whose demoSeed is a multiple of 60.
    const u32 seedBefore = demoSeed;
    Ticks(185);
    i32 expected = 0;
    for (u32 seed = seedBefore + 1; seed <= demoSeed; ++seed)
        expected += seed % 60 == 0 ? 1 : 0;
    EXPECT_EQ(demoSeed - seedBefore, 185u);
    EXPECT_EQ(stageSeconds, expected);
    EXPECT_EQ(stageMinutes, 0);

    // The sixtieth second makes a minute.
    stageSeconds = 59;
    while ((demoSeed + 1) % 60 != 0)
        Tick();
    Tick();
    EXPECT_EQ(stageMinutes, 1);
    EXPECT_EQ(stageSeconds, 0);

    pendingStage = StageRestart();
    Ticks(2);
    EXPECT_EQ(Player.liveCount, 1u);
    EXPECT_EQ(stageMinutes, 0);
    EXPECT_LE(stageSeconds, 1);
}

TEST_F(GameplayStageTest, BoneZonePlayerJumpsInFromItsStart)
{
    GoToStage(&boneZoneStage);
    PlayerRecord* player = FirstPlayer();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->header->vy, -8.0f);
    Tick();
    EXPECT_LT(player->header->y, 1416.0f);
}

} // namespace
