// The results card: its rise, crawl and exit with its Fade tick by tick, the heading chosen by the
// spawn byte, the clock's padding, and The Bone Zone's frame raising the cards.
#include <algorithm>
#include <string>
#include <vector>

#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Render/DrawState.h"
#include "Game/Actors/ActorBlock.h"
#include "Game/Display/Fade.h"
#include "Game/Display/ResultsScreen.h"
#include "Game/Player/Player.h"
#include "Game/Stages/GameplayStages.h"
#include "tests/unit/FreshStage.h"
#include "tests/unit/KitMenuFont.h"
#include "tools/datakit/DisplayArt.h"

namespace {

class ResultsScreenTest : public FreshStage {
protected:
    ResultsScreenTest() : FreshStage("palvic-results-") {}


    void SetUp() override
    {
        FreshStage::SetUp();
        scrollX = scrollY = 0;
        LoadKitMenuFont();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(datakit::WriteFadeData("."));
        FadeLoad(nullptr);
        ResultsScreenLoad(nullptr);
        ASSERT_TRUE(ResultsScreen.registered);

        // A stand-in for the player type: the card reads only the record.
        ASSERT_NO_FATAL_FAILURE(SpawnStandInPlayer(0.0f, 0.0f));
        player->state = PlayerStateNormal;
    }

    void TearDown() override
    {
        FreeObjectTypeRegistry();
        FreeBitmapFont(&menuFont);
        menuFont = BitmapFont{};
        stageBonesTotal = stageEnemiesTotal = stageSeconds = stageMinutes = 0;
        bonesCardRaised = enemiesCardRaised = 0;
        vanquishedCount = 0;
        scrollX = scrollY = 0;
        FreshStage::TearDown();
    }

    static ResultsScreenRecord* SpawnCard(u8 kind)
    {
        lastSpawnedInstance = nullptr;
        SpawnObject(&ResultsScreen, 0.0f, 0.0f, kind, 0);
        EXPECT_NE(lastSpawnedInstance, nullptr);
        return (ResultsScreenRecord*)lastSpawnedInstance;
    }

    static FadeRecord* FadeOf(const ResultsScreenRecord* card) { return fadeInstances[card->fadeIndex]; }

    static void ClearScreen()
    {
        for (i32 y = 0; y < screenHeight; ++y)
            for (i32 x = 0; x < screenWidth; ++x)
                frameBuffer[rowOffsets[y] + x] = 0;
    }

    // Columns with a lit pixel in rows y0..y1.
    static int LitColumns(i32 y0, i32 y1)
    {
        int count = 0;
        for (i32 x = 0; x < screenWidth; ++x)
            for (i32 y = y0; y <= y1; ++y)
                if (frameBuffer[rowOffsets[y] + x] & 0xFFFFFF) {
                    ++count;
                    break;
                }
        return count;
    }
};

TEST_F(ResultsScreenTest, RisesCrawlsAndLeavesWithItsFade)
{
    ASSERT_EQ(screenHeight, 240);
    ResultsScreenRecord* card = SpawnCard(ResultsAllBones);
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->header->y, 240.0f);
    EXPECT_EQ(card->header->vy, -8.0f);
    FadeRecord* fade = FadeOf(card);
    ASSERT_TRUE(fade->header->alive);
    EXPECT_EQ(fade->header->spawnA, FadeToLevel);
    EXPECT_EQ(fade->step, 4);
    EXPECT_EQ(fade->targetLevel, 128);
    EXPECT_EQ(fade->header->drawLayer, 14);
    EXPECT_EQ(card->header->drawLayer, 15);

    // A tick as the game runs it: the object update (the Fade), then the scene draw (the card).
    int draws = 0, rested = 0, leaving = 0, gone = 0, fadeGone = 0;
    f32 slowest = -1000.0f;
    while (draws < 1000 && !gone) {
        UpdateObjects();
        if (draws == 31) {
            EXPECT_EQ(fade->level, 128) << "half dark after 32 ticks";
        }
        ResultsScreenDraw(card);
        ++draws;
        slowest = std::max(slowest, card->header->vy);
        if (!rested && card->header->y <= 0.0f)
            rested = draws;
        if (!leaving && card->header->y < -40.0f)
            leaving = draws;
        if (!fade->header->alive && !fadeGone)
            fadeGone = draws;
        if (!card->header->alive)
            gone = draws;
    }
    EXPECT_EQ(rested, 167);
    EXPECT_EQ(leaving, 367);
    EXPECT_EQ(slowest, -0.2f); // it never stops rising
    // The Fade falls from 128 to 0 in 32 ticks; card and Fade go on the same tick.
    EXPECT_EQ(gone, leaving + 32);
    EXPECT_EQ(fadeGone, gone);
}

TEST_F(ResultsScreenTest, HeadingBySpawnByte)
{
    struct Case {
        u8 kind;
        const char* heading; // null: none
    };
    const Case cases[] = {{0, "All Bones Collected!"}, {1, "All Enemies Vanquished!"}, {2, "You Died!"},
                          {3, nullptr}, {255, nullptr}};
    int widths[3] = {};
    for (const Case& c : cases) {
        ResultsScreenRecord* card = SpawnCard(c.kind);
        ASSERT_NE(card, nullptr);
        if (c.heading) {
            EXPECT_STREQ(ResultsHeading(c.kind), c.heading);
        } else {
            EXPECT_EQ(ResultsHeading(c.kind), nullptr);
        }
        card->header->y = 0.0f;
        card->header->vy = -0.2f;
        ClearScreen();
        ResultsScreenDraw(card);
        const i32 Y = screenHeight / 2;
        const int heading = LitColumns(Y - 32, Y - 14);
        const int firstLine = LitColumns(Y, Y + 14);
        EXPECT_GT(firstLine, 100) << (int)c.kind;
        if (c.heading) {
            widths[c.kind] = heading;
        } else {
            EXPECT_EQ(heading, 0) << (int)c.kind;
        }
        DespawnObject(FadeOf(card)->header);
        DespawnObject(card->header);
    }
    // The longest heading is the widest.
    EXPECT_GT(widths[1], widths[0]);
    EXPECT_GT(widths[0], widths[2]);
    EXPECT_GT(widths[2], 40);
    EXPECT_EQ(drawFlags, 0u);
    EXPECT_EQ(blendMode, 0u);
    EXPECT_EQ(blendLevel, 255u);
}

TEST_F(ResultsScreenTest, ClockPadsTheSecondsOnly)
{
    struct Case {
        i32 minutes, seconds;
        const char* text;
    };
    const Case cases[] = {{2, 9, "Total Time: 2:09"}, {2, 10, "Total Time: 2:10"}, {0, 0, "Total Time: 0:00"},
                          {12, 5, "Total Time: 12:05"}, {0, 59, "Total Time: 0:59"}};
    ResultsScreenRecord* card = SpawnCard(3);
    ASSERT_NE(card, nullptr);
    for (const Case& c : cases) {
        card->minutes = c.minutes;
        card->seconds = c.seconds;
        ResultsScreenDraw(card);
        EXPECT_STREQ(debugText, c.text); // the clock is the last line formatted
    }
}

TEST_F(ResultsScreenTest, TheBoneZoneRaisesOneCardAtATime)
{
    demoSeed = 1; // the stage clock stands between seconds
    stageBonesTotal = 3;
    stageEnemiesTotal = 2;
    stageSeconds = 7;
    stageMinutes = 1;

    // Nothing collected or vanquished: no card.
    BoneZoneStageFrame();
    EXPECT_EQ(ResultsScreen.liveCount, 0u);

    // All bones and all enemies on one tick: two cards, with the counters copied.
    player->bonesCollected = 3;
    vanquishedCount = 2;
    BoneZoneStageFrame();
    ASSERT_EQ(ResultsScreen.liveCount, 2u);
    EXPECT_EQ(resultsScreenInstances[0]->header->spawnA, ResultsAllBones);
    EXPECT_EQ(resultsScreenInstances[1]->header->spawnA, ResultsAllEnemies);
    const ResultsScreenRecord* card = resultsScreenInstances[0];
    EXPECT_EQ(card->bonesCollected, 3);
    EXPECT_EQ(card->bonesTotal, 3);
    EXPECT_EQ(card->enemiesVanquished, 2);
    EXPECT_EQ(card->enemiesTotal, 2);
    EXPECT_EQ(card->seconds, 7);
    EXPECT_EQ(card->minutes, 1);
    EXPECT_EQ(bonesCardRaised, 1);
    EXPECT_EQ(enemiesCardRaised, 1);

    // Once each a run, and none while the first card shows.
    player->state = PlayerStateDefeated;
    BoneZoneStageFrame();
    EXPECT_EQ(ResultsScreen.liveCount, 2u);
    DespawnObject(resultsScreenInstances[0]->header);
    DespawnObject(resultsScreenInstances[1]->header);
    BoneZoneStageFrame();
    ASSERT_EQ(ResultsScreen.liveCount, 1u);
    EXPECT_EQ(resultsScreenInstances[0]->header->spawnA, ResultsDied);

    // The defeat card comes back whenever no card shows.
    DespawnObject(resultsScreenInstances[0]->header);
    player->state = PlayerStateDefeatedFall;
    BoneZoneStageFrame();
    EXPECT_EQ(ResultsScreen.liveCount, 0u);
    player->state = PlayerStateDefeated;
    BoneZoneStageFrame();
    EXPECT_EQ(ResultsScreen.liveCount, 1u);
}

} // namespace
