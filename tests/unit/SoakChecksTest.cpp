// The soak's rules of play on the real Graveyard, each broken on purpose: a second pause menu, a
// closed menu's dim held over the play, and a defeat kept from ending. Each is reported once, and
// the same play without the fault reports nothing.
#include <string>
#include <vector>

#include "Engine/Common/StageSwitch.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Display/Fade.h"
#include "Game/Display/PauseMenu.h"
#include "Game/Player/Player.h"
#include "tests/unit/DataSetGame.h"
#include "tools/soak/PlayChecks.h"

namespace {

class SoakChecksTest : public DataSetGame {
protected:
    PlayChecks checks;
    std::vector<std::string> failures;
    unsigned long long tick = 0;

    void SetUp() override
    {
        DataSetGame::SetUp();
        if (HasFatalFailure())
            return;
        GoToStage(&graveyardStage);
        ASSERT_EQ(currentStage, &graveyardStage);
        Run(30); // the fade-in ends
    }

    void Run(int ticks, void (*each)() = nullptr)
    {
        for (int i = 0; i < ticks; ++i) {
            if (each)
                each();
            Tick();
            checks.Check(++tick, &failures);
        }
    }

    // Start for one tick, as a player taps it.
    void TapStart()
    {
        headless::SetKey(28, true);
        Run(1);
        headless::SetKey(28, false);
    }

    static PauseMenuRecord* LiveMenu()
    {
        for (u32 i = 0; i < PauseMenu.poolSize; ++i)
            if (LiveHeader(PauseMenu.pool[i]))
                return pauseMenuInstances[i];
        return nullptr;
    }
};

TEST_F(SoakChecksTest, PausingAndResumingBreaksNoRule)
{
    TapStart();
    Run(30);
    ASSERT_EQ(pauseMenuOpen, 1);
    TapStart(); // Resume
    Run(60);
    EXPECT_EQ(pauseMenuOpen, 0);
    EXPECT_EQ(checks.pauses, 1u);
    EXPECT_TRUE(failures.empty()) << failures[0];
}

TEST_F(SoakChecksTest, ASecondPauseMenuIsReported)
{
    TapStart();
    Run(5);
    lastSpawnedInstance = nullptr;
    SpawnObject(&PauseMenu, 0.0f, 0.0f, PauseMenuPauseMode, 0);
    ASSERT_NE(lastSpawnedInstance, nullptr);
    Run(1);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("2 pause menus live in Graveyard"), std::string::npos) << failures[0];
}

TEST_F(SoakChecksTest, PlayUnderAClosedMenusDimIsReportedOnceItOutlastsTheFade)
{
    TapStart();
    Run(30);
    PauseMenuRecord* menu = LiveMenu();
    ASSERT_NE(menu, nullptr);
    const u32 dim = menu->watchedFade;
    ASSERT_LT(dim, Fade.poolSize);
    // Play on with the menu dropped hidden without closing, as the second of two menus was: it
    // leaves its dim where it was.
    pauseMenuOpen = 0;
    ASSERT_GT(fadeInstances[dim]->level, 0);
    Run((int)dimmedPlayLimit);
    EXPECT_TRUE(failures.empty()) << "a dim may take a while to lift";
    Run(10);
    EXPECT_GT(fadeInstances[dim]->level, 0);
    ASSERT_EQ(failures.size(), 1u) << "one line for the streak";
    EXPECT_NE(failures[0].find("under a pause menu's dim"), std::string::npos) << failures[0];
}

TEST_F(SoakChecksTest, ADefeatThatNeverEndsIsReported)
{
    static PlayerRecord* player;
    player = FirstPlayer();
    ASSERT_NE(player, nullptr);
    // Knocked about for ever: the fall's timer never gets to run down.
    Run((int)defeatLimit + 20, [] {
        player->state = PlayerStateDefeatedFall;
        player->deathTimer = 240;
    });
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("defeated for"), std::string::npos) << failures[0];
    EXPECT_EQ(checks.defeats, 1u);
    EXPECT_EQ(checks.longestDefeat, defeatLimit + 20);
}

} // namespace
