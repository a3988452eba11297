// The disclaimer, title and credits stages on the real data set: the flow without input from the
// first tick to the title main menu, the disclaimer held by a button and let go, the credits' time
// out, the title main menu spawned once a visit, and the title picture's logo: its drop and its
// ride on the menu's heading.
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Platform/Controls.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Display/Fade.h"
#include "Game/Display/InputConfigMenu.h"
#include "Game/Display/PauseMenu.h"
#include "Game/Display/TitlePicture.h"
#include "Game/Stages/FrontEndStages.h"
#include "tests/unit/DataSetGame.h"
#include "tools/datakit/DataSet.h"

namespace {

constexpr int keyS = 31; // Jump by default

class FrontEndStagesTest : public DataSetGame {
protected:
    void SetUp() override
    {
        DataSetGame::SetUp();
        ASSERT_EQ(currentStage, &wipStage);
    }

    void TearDown() override
    {
        headless::SetKey(keyS, false);
        DataSetGame::TearDown();
    }

    // Ticks until the current stage is another than `from` or the limit is reached; the ticks run.
    int TicksUntilLeaving(const Stage* from, int limit)
    {
        int ticks = 0;
        while (currentStage == from && ticks < limit) {
            Tick();
            ++ticks;
        }
        return ticks;
    }

    static u32 LiveFades(u8 mode)
    {
        u32 count = 0;
        for (u32 i = 0; Fade.registered && i < Fade.poolSize; ++i)
            count += Fade.pool[i]->alive && Fade.pool[i]->spawnA == mode;
        return count;
    }
};

TEST_F(FrontEndStagesTest, WithoutInputTheGameRunsFromTheDisclaimerToTheTitleMainMenu)
{
    struct Step {
        const char* stage;
        int firstTick; // the tick whose frame first runs the stage (tick 0: the first of the game)
    };
    // The disclaimer spawns its fade in its 361st frame and leaves 85 frames later; the title
    // main menu is spawned in the title's 31st frame.
    const Step expected[] = {
        {"WIP Disclaimer", 0},
        {"Orlenvast Splash", 445},
        {"Palvic Splash", 726},
        {"Title Screen", 1050},
    };
    std::vector<Step> seen;
    int menuTick = -1;
    for (int tick = 0; tick < 1500 && menuTick < 0; ++tick) {
        Tick();
        if (seen.empty() || currentStage->name != std::string(seen.back().stage))
            seen.push_back({currentStage->name, tick});
        if (currentStage == &titleStage && PauseMenu.registered && PauseMenu.liveCount)
            menuTick = tick;
    }
    ASSERT_EQ(seen.size(), std::size(expected));
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_STREQ(seen[i].stage, expected[i].stage) << i;
        EXPECT_EQ(seen[i].firstTick, expected[i].firstTick) << seen[i].stage;
    }
    EXPECT_EQ(menuTick, expected[3].firstTick + 30);
    Tick();
    EXPECT_EQ(pauseMenuOpen, 1) << "the title main menu opens on its first tick";
    EXPECT_TRUE(headless::ShownBoxes().empty()) << headless::ShownBoxes()[0].text;
}

TEST_F(FrontEndStagesTest, AButtonHoldsTheDisclaimerAndLettingGoEndsIt)
{
    struct Case {
        int holdFrom, holdTo; // frames of the stage the button is down (1-based; 0, 0: none)
        int fadeFrame;        // the frame that spawns the fade-out
    };
    const Case cases[] = {
        {0, 0, 361},     // on its own
        {20, 50, 51},    // let go early: at once
        {1, 500, 501},   // held past the time: waits for the release
    };
    for (const Case& c : cases) {
        GoToStage(&wipStage); // a fresh visit: the timer starts again, the fades are gone
        int fadeFrame = -1;
        for (int frame = 1; frame <= 600 && fadeFrame < 0; ++frame) {
            headless::SetKey(keyS, frame >= c.holdFrom && frame <= c.holdTo && c.holdTo);
            Tick();
            if (frame >= c.holdFrom && frame <= c.holdTo && c.holdTo) {
                EXPECT_LE(wipTimer, 360) << frame;
            }
            if (LiveFades(FadeOutHold))
                fadeFrame = frame;
        }
        headless::SetKey(keyS, false);
        EXPECT_EQ(fadeFrame, c.fadeFrame) << c.holdTo;
        // A button down again during the fade neither stops it nor spawns a second one.
        headless::SetKey(keyS, true);
        const int left = TicksUntilLeaving(&wipStage, 200);
        headless::SetKey(keyS, false);
        EXPECT_EQ(left, 85) << c.holdTo;
        EXPECT_EQ(currentStage, &studioSplashStage) << c.holdTo;
    }
}

TEST_F(FrontEndStagesTest, CreditsFadeOutAfterThreeSecondsToTheStudioSplash)
{
    for (int visit = 0; visit < 2; ++visit) {
        GoToStage(&creditsStage);
        int fadeFrame = -1, frame = 0;
        while (currentStage == &creditsStage && frame < 400) {
            Tick();
            ++frame;
            if (fadeFrame < 0 && LiveFades(FadeOutHold))
                fadeFrame = frame;
        }
        EXPECT_EQ(fadeFrame, 180) << visit;
        EXPECT_EQ(frame, 180 + 85) << visit;
        EXPECT_EQ(currentStage, &studioSplashStage) << visit;
    }
}

TEST_F(FrontEndStagesTest, TheTitleMainMenuIsSpawnedOncePerVisit)
{
    // A visit from another stage, a restart of the title, and a visit after leaving it.
    Stage* const arrivals[] = {&titleStage, &titleStage, &creditsStage, &titleStage};
    for (Stage* stage : arrivals) {
        GoToStage(stage);
        if (stage != &titleStage)
            continue;
        int spawnedOn = -1;
        for (int frame = 1; frame <= 200; ++frame) {
            const u32 before = PauseMenu.liveCount;
            Tick();
            if (PauseMenu.liveCount > before) {
                EXPECT_EQ(spawnedOn, -1) << "a second menu on frame " << frame;
                spawnedOn = frame;
            }
        }
        EXPECT_EQ(spawnedOn, 31);
        EXPECT_EQ(PauseMenu.liveCount, 1u);
        EXPECT_EQ(pauseMenuInstances[0]->header->spawnA, PauseMenuTitleMode);
        EXPECT_EQ(TitleScreen.liveCount, 1u);
    }
    // Leaving the title gives its types back.
    GoToStage(&creditsStage);
    EXPECT_FALSE(TitleScreen.registered);
    EXPECT_FALSE(PauseMenu.registered);
    EXPECT_FALSE(InputConfigMenu.registered);
}

TEST_F(FrontEndStagesTest, ControlsOnTheTitleMainMenuOpensTheInputConfiguration)
{
    constexpr int keyDown = 80, keyReturn = 28;
    GoToStage(&titleStage);
    for (int i = 0; i < 60; ++i)
        Tick();
    ASSERT_EQ(PauseMenu.liveCount, 1u);
    const PauseMenuRecord* menu = pauseMenuInstances[0];
    TapKey(keyDown);
    ASSERT_EQ(menu->cursor, 1); // "Controls"
    TapKey(keyReturn);
    EXPECT_EQ(menu->inControls, 1);
    EXPECT_EQ(InputConfigMenu.liveCount, 1u);
    EXPECT_EQ(currentStage, &titleStage);
}

TEST_F(FrontEndStagesTest, TheLogoDropsThenRidesOnTheMenuHeading)
{
    GoToStage(&titleStage);
    ASSERT_EQ(TitleScreen.liveCount, 1u);
    const TitleScreenRecord* title = titleScreenInstances[0];
    EXPECT_EQ(title->targetY, -12.0f);
    EXPECT_EQ(title->header->y, -140.0f);

    // The first tick finds no speed yet; the second drops a sixteenth of 128; each later step is
    // 15/16 of the one before.
    std::vector<f32> y;
    for (int i = 0; i < 6; ++i) {
        Tick();
        y.push_back(title->header->y);
    }
    EXPECT_EQ(y[0], -140.0f);
    EXPECT_EQ(y[1], -132.0f);
    for (int i = 2; i < 6; ++i)
        EXPECT_NEAR(y[i] - y[i - 1], (y[i - 1] - y[i - 2]) * 15.0f / 16.0f, 1e-4f) << i;
    for (int i = 0; i < 300; ++i)
        Tick();
    EXPECT_LT(title->header->y, -12.0f);
    EXPECT_GT(title->header->y, -12.01f);

    // The menu is on screen and its heading centred: so is the logo. When the heading glides off
    // to the left (as "Controls" makes it) the logo goes with it, tick by tick; the picture
    // updates before the menu in the same pass, so it takes the heading's place of the tick before.
    ASSERT_EQ(PauseMenu.liveCount, 1u);
    PauseMenuRecord* menu = pauseMenuInstances[0];
    EXPECT_EQ(title->header->x, menu->linePos[0].x - 212.0f);
    EXPECT_EQ(title->header->x, 0.0f);
    for (PauseMenuLine& target : menu->lineTarget)
        target.x -= 424.0f;
    for (int i = 0; i < 8; ++i) {
        const f32 heading = menu->linePos[0].x;
        Tick();
        EXPECT_EQ(title->header->x, heading - 212.0f) << i;
    }
    EXPECT_LT(title->header->x, -300.0f);

    // Without a live menu the logo keeps its place.
    const f32 kept = title->header->x;
    DespawnObject(menu->header);
    Tick();
    EXPECT_EQ(title->header->x, kept);
}

} // namespace
