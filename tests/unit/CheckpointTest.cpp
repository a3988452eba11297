// Checkpoints: the touch with the data kit's art (heal at 4, none at 5, a later one overwrites,
// an earlier one stays taken), the still picture until touched, and on the grey-box Graveyard a
// restart that puts the player at the checkpoint it touched.
#include <unistd.h>

#include <filesystem>
#include <string>

#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/Sound.h"
#include "Engine/Common/StageSwitch.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Player/Player.h"
#include "Game/Stages/GameplayStages.h"
#include "Game/World/Bonus.h"
#include "Game/World/Checkpoint.h"
#include "tests/unit/DataSetGame.h"
#include "tests/unit/ItemWorld.h"
#include "tools/datakit/CollisionKit.h"
#include "tools/datakit/DataSet.h"
#include "tools/datakit/ItemArt.h"
#include "tools/datakit/PlayerArt.h"

namespace {

class CheckpointTest : public ItemWorld {
protected:
    CheckpointTest() : ItemWorld("palvic-checkpoint-", CheckpointLoad) {}

    void SetUp() override
    {
        ItemWorld::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(checkpointAnimSet.loaded);
        SpawnPlayerAt(100.0f, groundY - 13.0f);
        if (HasFatalFailure())
            return;
        Frame();
    }

    void TearDown() override
    {
        ItemWorld::TearDown();
        checkpointAnimSet = AnimSet{};
    }

    static CheckpointRecord* SpawnCheckpoint(f32 x)
    {
        lastSpawnedInstance = nullptr;
        SpawnObject(&Checkpoint, x, groundY, 0, 0);
        return (CheckpointRecord*)lastSpawnedInstance;
    }
};

struct HealCase {
    const char* name;
    u8 health;
    u8 healthAfter;
    bool heals;
};

class CheckpointHeal : public CheckpointTest, public ::testing::WithParamInterface<HealCase> {};

TEST_P(CheckpointHeal, TouchSetsTheRespawnPointAndHealsBelowFive)
{
    const HealCase& c = GetParam();
    CheckpointRecord* checkpoint = SpawnCheckpoint(300.0f);
    ASSERT_NE(checkpoint, nullptr);
    player->header->x = 300.0f;
    player->health = c.health;
    player->header->flash = 200;

    EXPECT_TRUE(CheckpointTouch(checkpoint, player));
    EXPECT_EQ(checkpoint->activated, 1);
    EXPECT_EQ(playerProgress[0].checkpoint, checkpoint->header->index);
    EXPECT_EQ(playerProgress[0].checkpointX, 300.0f);
    EXPECT_EQ(playerProgress[0].checkpointY, groundY);
    EXPECT_EQ(player->health, c.healthAfter);
    EXPECT_EQ(player->healthFlash, c.heals ? 1 : 0);
    EXPECT_EQ(player->header->flash, c.heals ? 0 : 200);
    EXPECT_EQ(Queued(healthSound), c.heals);
    ASSERT_EQ(Bonus.liveCount, c.heals ? 1u : 0u);
    if (c.heals) {
        BonusRecord* bonus = bonusInstances[0];
        EXPECT_EQ(bonus->header->spawnA, 1) << "the health text";
        EXPECT_EQ(bonus->playerIndex, player->header->index);
        EXPECT_EQ(bonus->header->x, player->header->x);
    }
}

INSTANTIATE_TEST_SUITE_P(Health, CheckpointHeal,
                         ::testing::Values(HealCase{"One", 1, 2, true}, HealCase{"Four", 4, 5, true},
                                           HealCase{"Five", 5, 5, false}),
                         [](const ::testing::TestParamInfo<HealCase>& info) { return std::string(info.param.name); });

TEST_F(CheckpointTest, LaterCheckpointOverwritesAndAnEarlierOneStaysTaken)
{
    CheckpointRecord* first = SpawnCheckpoint(300.0f);
    CheckpointRecord* second = SpawnCheckpoint(500.0f);
    player->header->x = 300.0f;
    player->health = 2;
    CheckpointTouch(first, player);
    EXPECT_EQ(player->health, 3);
    player->header->x = 500.0f;
    CheckpointTouch(second, player);
    EXPECT_EQ(player->health, 4);
    EXPECT_EQ(playerProgress[0].checkpoint, second->header->index);
    EXPECT_EQ(playerProgress[0].checkpointX, 500.0f);

    player->header->x = 300.0f;
    CheckpointTouch(first, player);
    EXPECT_EQ(player->health, 4) << "a checkpoint heals once";
    EXPECT_EQ(playerProgress[0].checkpoint, second->header->index);
    EXPECT_EQ(playerProgress[0].checkpointX, 500.0f);
}

TEST_F(CheckpointTest, StillUntilTouchedThroughThePlayersMoveThenAnimating)
{
    CheckpointRecord* checkpoint = SpawnCheckpoint(160.0f);
    for (int i = 0; i < 30; ++i)
        Frame();
    EXPECT_EQ(checkpoint->activated, 0);
    EXPECT_EQ(checkpoint->anim.frameIndex, 0);

    // Walk the player into it.
    player->header->x = 150.0f;
    player->health = 3;
    Frame();
    Frame();
    ASSERT_EQ(checkpoint->activated, 1);
    EXPECT_EQ(player->health, 4);
    bool moved = false;
    for (int i = 0; i < 30; ++i) {
        Frame();
        moved = moved || checkpoint->anim.frameIndex != 0;
    }
    EXPECT_TRUE(moved) << "a taken checkpoint animates";
    EXPECT_EQ(player->health, 4);
}

// ---- on the grey-box Graveyard ----

class CheckpointStageTest : public DataSetGame {};

TEST_F(CheckpointStageTest, RestartStartsThePlayerAtTheCheckpointANewStageForgetsIt)
{
    Stage* home = currentStage;
    GoToStage(&graveyardStage);
    ASSERT_EQ(Checkpoint.liveCount, 2u) << "the Graveyard's checkpoints are placed";
    PlayerRecord* player = FirstPlayer();
    ASSERT_NE(player, nullptr);
    // Put the player on the first checkpoint's ground and let the touch happen.
    player->header->x = datakit::graveyardCheckpointX;
    player->header->y = datakit::graveyardCheckpointY - 16.0f;
    cameras[0].x = player->header->x - 212.0f;
    cameras[0].y = player->header->y - 104.0f;
    for (int i = 0; i < 6; ++i)
        Tick();
    ASSERT_NE(playerProgress[0].checkpoint, 255);
    EXPECT_EQ(playerProgress[0].checkpointX, datakit::graveyardCheckpointX);

    pendingStage = StageRestart();
    Tick();
    Tick();
    player = FirstPlayer();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(Player.liveCount, 1u);
    EXPECT_NEAR(player->header->x, datakit::graveyardCheckpointX, 1.0f);
    EXPECT_LT(player->header->y, datakit::graveyardCheckpointY);
    EXPECT_GT(player->header->y, datakit::graveyardCheckpointY - 40.0f);

    GoToStage(&village1Stage);
    EXPECT_EQ(playerProgress[0].checkpoint, 255);
    player = FirstPlayer();
    ASSERT_NE(player, nullptr);
    EXPECT_NEAR(player->header->x, 64.0f, 1.0f);
    GoToStage(home); // gives back what the stages took, the texts' font among it
}

} // namespace
