// The stage registry and the stage switch.
#include <string>
#include <vector>

#include "Engine/Common/ObjectType.h"
#include "Game/Actors/StageSettings.h"
#include "tests/unit/HeadlessGame.h"

namespace {

std::vector<std::string> events;

void LoadA() { events.push_back("load A"); }
void UnloadA() { events.push_back("unload A"); }
void StartA() { events.push_back("start A"); }
void FrameA() { events.push_back("frame A"); }
void LoadB() { events.push_back("load B"); }
void UnloadB() { events.push_back("unload B"); }
void StartB() { events.push_back("start B"); }
void FrameB() { events.push_back("frame B"); }

class StageSwitchTest : public HeadlessGame {
protected:
    Stage a{}, b{};
    void SetUp() override
    {
        HeadlessGame::SetUp();
        a.load = LoadA, a.unload = UnloadA, a.start = StartA, a.frame = FrameA;
        b.load = LoadB, b.unload = UnloadB, b.start = StartB, b.frame = FrameB;
        events.clear();
    }
};

TEST_F(StageSwitchTest, GoToStageOrder)
{
    struct Case {
        const char* name;
        bool fromA; // a stage is current before the switch
        bool toB;   // switch to the other stage (else to A again)
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"first switch", false, false, {"load A", "start A"}},
        {"another stage", true, true, {"load B", "unload A", "start B"}},
        {"same stage", true, false, {"load A", "start A"}},
    };
    for (const Case& c : cases) {
        currentStage = previousStage = nullptr;
        pendingStage = &b;
        if (c.fromA)
            GoToStage(&a);
        pendingStage = &b;
        placeableTypeCount = 5;
        pauseMenuOpen = 1;
        events.clear();
        GoToStage(c.toB ? &b : &a);
        EXPECT_EQ(events, c.expected) << c.name;
        EXPECT_EQ(currentStage, c.toB ? &b : &a) << c.name;
        EXPECT_EQ(stageSwitching, 1) << c.name;
        EXPECT_EQ(pauseMenuOpen, 0) << c.name;
        EXPECT_EQ(previousStage, c.fromA ? &a : nullptr) << c.name;
        // The first switch leaves pendingStage alone; any later one clears it.
        EXPECT_EQ(pendingStage, c.fromA ? nullptr : &b) << c.name;
        // Only a switch to another stage empties the placement-mode list.
        EXPECT_EQ(placeableTypeCount, c.fromA && c.toB ? 0u : 5u) << c.name;
    }
}

TEST_F(StageSwitchTest, RequestsAreServedAtTheNextTickAndRestartTakesTwo)
{
    GoToStage(&a);
    Tick();
    EXPECT_EQ(stageSwitching, 0); // cleared before the frame handler
    events.clear();
    pendingStage = &b;
    Tick();
    EXPECT_EQ(events, (std::vector<std::string>{"load B", "unload A", "start B", "frame B"}));

    events.clear();
    pendingStage = StageRestart();
    Tick(); // the tick that sees the request still runs the frame
    EXPECT_EQ(events, (std::vector<std::string>{"frame B"}));
    EXPECT_EQ(pendingStage, &b);
    events.clear();
    Tick();
    EXPECT_EQ(events, (std::vector<std::string>{"load B", "start B", "frame B"}));
    EXPECT_EQ(pendingStage, nullptr);
}

TEST_F(StageSwitchTest, RestartWithoutACurrentStageStaysPending)
{
    pendingStage = StageRestart();
    ServePendingStage();
    EXPECT_EQ(pendingStage, StageRestart());
    EXPECT_EQ(currentStage, nullptr);
    pendingStage = nullptr;
}

TEST_F(StageSwitchTest, CurrentStageIsTheRecordOrItsPlaceInTheRegistry)
{
    struct Case {
        const char* name;
        bool current;           // a stage is current
        u16 groupA, indexA;     // the current stage's place
        u16 groupB, indexB;     // the asked stage's place
        bool same;              // ask for the current record itself
        bool expected;
    };
    const Case cases[] = {
        {"no stage current", false, 1, 1, 1, 1, true, false},
        {"the current record", true, 0, 0, 0, 0, true, true},
        {"another record at the same place", true, 2, 3, 2, 3, false, true},
        {"two records in no group", true, 0, 0, 0, 0, false, false},
        {"same group, other index", true, 2, 3, 2, 4, false, false},
        {"other group, same index", true, 2, 3, 1, 3, false, false},
    };
    for (const Case& c : cases) {
        a.groupNumber = c.groupA, a.indexInGroup = c.indexA;
        b.groupNumber = c.groupB, b.indexInGroup = c.indexB;
        currentStage = c.current ? &a : nullptr;
        EXPECT_EQ(CurrentStageIs(c.same ? a : b), c.expected) << c.name;
    }
    currentStage = nullptr;
}

TEST(StageRegistry, GroupsAndStagesInRegistrationOrder)
{
    RegisterStages();
    ASSERT_EQ(stageGroupCount, 5);
    const char* groups[] = {"Presentation", "Main Stages", "Extras", "Media", "Debug"};
    const std::vector<std::vector<std::string>> stages = {
        {"Orlenvast Splash", "Palvic Splash", "Title Screen", "Thanks For Playing!", "Credits", "WIP Disclaimer"},
        {"Graveyard", "Village 1"},
        {"Boss Rush"},
        {"The Bone Zone"},
        {"Test"},
    };
    for (u16 g = 0; g < 5; ++g) {
        EXPECT_STREQ(stageGroups[g]->name, groups[g]);
        EXPECT_EQ(stageGroups[g]->groupNumber, g + 1);
        ASSERT_EQ(stageGroups[g]->stageCount, stages[g].size());
        for (u16 s = 0; s < stageGroups[g]->stageCount; ++s) {
            EXPECT_EQ(stageGroups[g]->stages[s]->name, stages[g][s]);
            EXPECT_EQ(stageGroups[g]->stages[s]->groupNumber, g + 1);
            EXPECT_EQ(stageGroups[g]->stages[s]->indexInGroup, s + 1);
        }
    }
    RegisterStages(); // once only
    EXPECT_EQ(stageGroupCount, 5);
    StageGroup unnamed{};
    AddStageGroup(&unnamed, nullptr);
    EXPECT_STREQ(unnamed.name, "Blank");
    EXPECT_EQ(unnamed.groupNumber, 6);
    FreeStageRegistry();
    EXPECT_EQ(stageGroupCount, 0);
    EXPECT_EQ(stageGroupsCreated, 0);
}

TEST_F(StageSwitchTest, GameStartsOnTheDisclaimer)
{
    GameSetup();
    EXPECT_EQ(currentStage, &wipStage);
    EXPECT_STREQ(currentStage->name, "WIP Disclaimer");
    for (const PlayerProgress& progress : playerProgress) {
        EXPECT_EQ(progress.lives, 3);
        EXPECT_EQ(progress.score, 0u);
    }
}

} // namespace
