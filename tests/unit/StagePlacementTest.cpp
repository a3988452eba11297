// Where the grey-box stages put the player and their perched enemies, checked in the real game on the
// data kit's data set: a player left standing at a stage's start or restarted at any of its
// checkpoints is not hurt for the first seconds, whatever roams or burns nearby, and every Draven
// perches on a floor under its talons as they are drawn.
#include <string>
#include <vector>

#include "Engine/Collision/TileQuery.h"
#include "Engine/Common/Anim.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/GameThread.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Enemies/Draven.h"
#include "Game/Enemies/HaystackKing.h"
#include "Game/Player/Player.h"
#include "Game/World/Checkpoint.h"
#include "tests/unit/DataSetGame.h"

namespace {

// Five seconds: longer than a CandleHead's light-up and going dark, and than any walker takes to
// cross to a spot it can reach.
constexpr int standTicks = 300;

struct StageCase {
    Stage* stage;
    const char* name;
    bool bossArena; // the boss is there to come for the player: its hits are the stage's point
};

void PrintTo(const StageCase& c, std::ostream* os)
{
    *os << c.name;
}

const StageCase stageCases[] = {
    {&graveyardStage, "Graveyard", false}, {&village1Stage, "Village1", false}, {&bossRushStage, "BossRush", true},
    {&boneZoneStage, "BoneZone", false},   {&testStage, "Test", false},
};

struct Spot {
    std::string what;
    f32 x, y;
};

class StagePlacementTest : public DataSetGame, public ::testing::WithParamInterface<StageCase> {
protected:
    Stage* home = nullptr;

    void SetUp() override
    {
        DataSetGame::SetUp();
        home = currentStage;
    }

    void TearDown() override
    {
        if (home)
            GoToStage(home);
        playerProgress[0].checkpoint = 255;
        DataSetGame::TearDown();
    }

    static std::vector<Spot> Checkpoints()
    {
        std::vector<Spot> spots;
        for (u32 i = 0; i < Checkpoint.poolSize; ++i) {
            const ObjectHeader* header = Checkpoint.pool[i];
            if (header->alive && !header->free)
                spots.push_back({"checkpoint " + std::to_string(i), header->x, header->y});
        }
        return spots;
    }

    // Stands the player still for the time and says who hurt it, if anything did.
    std::string StandStill(bool bossArena)
    {
        for (int t = 0; t < standTicks; ++t) {
            Tick();
            const PlayerRecord* player = FirstPlayer();
            if (!player)
                return "no player";
            if (player->damageCount > 0 && !(bossArena && player->actor.lastHitterType == &HaystackKing)) {
                const ObjectType* by = player->actor.lastHitterType;
                return "hurt at tick " + std::to_string(t) + " by " + (by && by->name ? by->name : "?") + " at (" +
                       std::to_string(player->header->x) + ", " + std::to_string(player->header->y) + ")";
            }
        }
        return "";
    }
};

TEST_P(StagePlacementTest, NoEnemyReachesAPlayerStandingAtTheStartOrAtACheckpoint)
{
    const StageCase& c = GetParam();
    GoToStage(c.stage);
    ASSERT_EQ(currentStage, c.stage);
    const std::vector<Spot> checkpoints = Checkpoints();
    const PlayerRecord* player = FirstPlayer();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(StandStill(c.bossArena), "") << "the stage's start";

    for (size_t i = 0; i < checkpoints.size(); ++i) {
        const Spot& spot = checkpoints[i];
        // A defeat's restart with this checkpoint taken: the stage anew, the player at the checkpoint.
        playerProgress[0].checkpoint = (u8)i;
        playerProgress[0].checkpointX = spot.x;
        playerProgress[0].checkpointY = spot.y;
        pendingStage = StageRestart();
        for (int t = 0; t < 3 && pendingStage; ++t)
            Tick();
        ASSERT_EQ(pendingStage, nullptr);
        player = FirstPlayer();
        ASSERT_NE(player, nullptr);
        ASSERT_NEAR(player->header->x, spot.x, 2.0f) << spot.what;
        EXPECT_EQ(StandStill(c.bossArena), "") << spot.what << " at (" << spot.x << ", " << spot.y << ")";
    }
}

TEST_P(StagePlacementTest, EveryDravenPerchesOnAFloorUnderItsTalons)
{
    const StageCase& c = GetParam();
    GoToStage(c.stage);
    ASSERT_EQ(currentStage, c.stage);
    ASSERT_TRUE(dravenAnimSet.loaded || Draven.liveCount == 0);
    for (u32 i = 0; Draven.registered && i < Draven.poolSize; ++i) {
        const ObjectHeader* header = Draven.pool[i];
        if (!header->alive || header->free)
            continue;
        const DravenRecord* draven = dravenInstances[i];
        const f32 x = draven->actor.spawnX, y = draven->actor.spawnY;
        // The perched picture as the drawing places it (mirrored when flipped): the talons are the
        // lowest drawn row, and the floor must be the row right under them.
        const SpriteImage& image = dravenAnimSet.animations[0].frames[0].image;
        const i32 left = (i32)x + (header->flipX ? image.flippedOffsetX : image.offsetX);
        const i32 below = (i32)y + image.offsetY + image.height;
        const u8 layer = (u8)stageCollisionLayer;
        u32 talons = 0;
        for (u16 column = 0; column < image.width; ++column) {
            const u16 source = header->flipX ? (u16)(image.width - 1 - column) : column;
            if (!image.pixels[(image.height - 1) * image.width + source])
                continue;
            ++talons;
            const f32 px = (f32)(left + column);
            EXPECT_NE(GetTileCollisionFlags(px, (f32)below, layer) & TileFlagFloor, 0)
                << "Draven " << i << " at (" << x << ", " << y << "): nothing under its talon at x " << px;
            EXPECT_EQ(GetTileCollisionFlags(px, (f32)(below - 1), layer), 0)
                << "Draven " << i << " at (" << x << ", " << y << "): its talon stands in the floor at x " << px;
        }
        EXPECT_GT(talons, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Stages, StagePlacementTest, ::testing::ValuesIn(stageCases),
                         [](const ::testing::TestParamInfo<StageCase>& info) { return std::string(info.param.name); });

} // namespace
