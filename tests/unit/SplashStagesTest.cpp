// The studio and engine splashes run through the real tick: the tick each phase starts on, what a
// held button does in each phase, the fade onward to the next stage, the logo reveal row by row, a
// logo that does not fit the stage's buffer, and splashes whose art is missing.
#include <cstring>
#include <functional>
#include <vector>

#include "Engine/Common/ObjectType.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/Headless/Headless.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Display/Fade.h"
#include "Game/Stages/SplashStages.h"
#include "tests/unit/HeadlessGame.h"
#include "tests/unit/TestFolder.h"
#include "tools/datakit/DisplayArt.h"
#include "tools/datakit/SplashArt.h"

namespace {

constexpr int keyReturn = 28; // bound to Start by default

// When each phase began (the first tick that ran in it) and when the next stage took over, in
// ticks counted from the splash's first tick (1).
struct Schedule {
    std::vector<int> phaseStart;
    int nextStageTick = 0;
};

class SplashStagesTest : public HeadlessGame, protected TestFolder {
protected:
    void SetUp() override
    {
        HeadlessGame::SetUp();
        EnterTestFolder("palvic-splash-");
        ASSERT_TRUE(datakit::WriteFadeData("."));
    }

    void TearDown() override
    {
        headless::SetKey(keyReturn, false);
        HeadlessGame::TearDown();
        LeaveTestFolder();
    }

    // Enters the stage the way the game does, through a request served at the next tick; that
    // tick is the stage's first.
    void Enter(Stage* stage)
    {
        StartGame();
        pendingStage = stage;
        Tick();
        ASSERT_EQ(currentStage, stage);
    }

    // Runs the entered splash until the next stage is current, holding Return on the ticks that
    // `hold` picks (by the phase the tick starts in).
    Schedule Run(const u8* phase, Stage* next, int phaseCount, const std::function<bool(u8)>& hold = nullptr)
    {
        Schedule schedule;
        schedule.phaseStart.assign((size_t)phaseCount, 0);
        schedule.phaseStart[0] = 1;
        for (int tick = 2; tick < 2000; ++tick) {
            const u8 before = *phase;
            headless::SetKey(keyReturn, hold && hold(before));
            Tick();
            if (currentStage == next) {
                schedule.nextStageTick = tick;
                break;
            }
            if (before < phaseCount && schedule.phaseStart[before] == 0)
                schedule.phaseStart[before] = tick;
        }
        headless::SetKey(keyReturn, false);
        return schedule;
    }
};

// Studio logo 146 x 140: phase 0 runs 140/5 + 1 ticks; phase 1 until (c/2) x 3 passes 140, 95
// ticks; phase 2 until the overlay level (43.5 after phase 0, eased toward 255 for 95 ticks) falls
// to 0 at 10.625 a tick; the wait 120 ticks; the fade 16 ticks; the switch serves the request at
// the next tick.
const std::vector<int> studioPlain = {1, 30, 125, 145, 265};
constexpr int studioPlainNext = 281;
// Engine emblem 80 x 69: a roll of 109 ticks over 8 faces, the spread 61, the crossfade 16, the wait
// 121, the fade 16, one tick that asks for the title, then the title.
const std::vector<int> enginePlain = {1, 110, 171, 187, 308, 324};
constexpr int enginePlainNext = 325;

TEST_F(SplashStagesTest, StudioSplashPhasesAndTheFadeOnToTheEngineSplash)
{
    ASSERT_TRUE(datakit::WriteSplashData("."));
    Enter(&studioSplashStage);
    ASSERT_EQ(studioSplash.logoCopy.height, 140);
    int blackLevel = -1;
    const Schedule s = Run(&studioSplash.phase, &engineSplashStage, 5, [&](u8) {
        // The request comes on the tick the fade turns black.
        if (pendingStage == &engineSplashStage && blackLevel < 0)
            blackLevel = Fade.liveCount ? fadeInstances[studioSplash.fadeIndex]->level : 0;
        return false;
    });
    EXPECT_EQ(blackLevel, 255);
    EXPECT_EQ(s.phaseStart, studioPlain);
    EXPECT_EQ(s.nextStageTick, studioPlainNext);
    EXPECT_EQ(studioSplashStage.loaded, 0);
    EXPECT_EQ(engineSplashStage.loaded, 1);
    // The studio splash gave back its use of the Fade type; the engine splash holds one.
    EXPECT_EQ(Fade.loadCount, 1u);
    EXPECT_EQ(Fade.liveCount, 0u);
}

TEST_F(SplashStagesTest, EngineSplashPhasesRollAndTheFadeOnToTheTitle)
{
    ASSERT_TRUE(datakit::WriteSplashData("."));
    Enter(&engineSplashStage);
    EXPECT_EQ(engineSplash.x, 424.0f + 50.0f);
    EXPECT_EQ(engineSplash.y, 120.0f + 34.0f);
    f32 restX = 0, restY = 0;
    int blackLevel = -1;
    u8 last = 0;
    const Schedule s = Run(&engineSplash.phase, &titleStage, 6, [&](u8 p) {
        if (p == 1 && last == 0)
            restX = engineSplash.x, restY = engineSplash.y;
        if (p == 5 && last == 4)
            blackLevel = Fade.liveCount ? fadeInstances[engineSplash.fadeIndex]->level : -1;
        last = p;
        return false;
    });
    EXPECT_EQ(s.phaseStart, enginePlain);
    EXPECT_EQ(s.nextStageTick, enginePlainNext);
    // Eight faces of half the width each, then a quarter width onto the centre; the centre is half
    // the height above the bottom edge.
    EXPECT_EQ(restX, 474.0f - 8 * 40.0f + 20.0f);
    EXPECT_EQ(restY, 120.0f);
    EXPECT_EQ(blackLevel, 255);
    EXPECT_EQ(currentStage, &titleStage);
    EXPECT_EQ(engineSplashStage.loaded, 0);
}

// A button held through one phase: phases 0-2 run their course, the wait ends on that very tick
// (the fade starts with the next), and the fade is not hurried.
struct ButtonCase {
    bool studio;
    u8 phase;
    std::vector<int> starts;
    int next;
};

TEST_F(SplashStagesTest, AButtonHeldInEachPhase)
{
    const ButtonCase cases[] = {
        {true, 0, studioPlain, studioPlainNext},
        {true, 1, studioPlain, studioPlainNext},
        {true, 2, studioPlain, studioPlainNext},
        {true, 3, {1, 30, 125, 145, 146}, 162},
        {true, 4, studioPlain, studioPlainNext},
        {false, 0, enginePlain, enginePlainNext},
        {false, 1, enginePlain, enginePlainNext},
        {false, 2, enginePlain, enginePlainNext},
        {false, 3, {1, 110, 171, 187, 188, 204}, 205},
        {false, 4, enginePlain, enginePlainNext},
    };
    for (const ButtonCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.studio ? "studio" : "engine") << " phase " << (int)c.phase);
        TearDown();
        SetUp();
        ASSERT_TRUE(datakit::WriteSplashData("."));
        Stage* stage = c.studio ? &studioSplashStage : &engineSplashStage;
        Enter(stage);
        const Schedule s = Run(c.studio ? &studioSplash.phase : &engineSplash.phase,
                               c.studio ? &engineSplashStage : &titleStage, c.studio ? 5 : 6,
                               [&](u8 p) { return p == c.phase; });
        EXPECT_EQ(s.phaseStart, c.starts);
        EXPECT_EQ(s.nextStageTick, c.next);
    }
}

TEST_F(SplashStagesTest, TheLogoIsRevealedFiveRowsATickFromTheBottom)
{
    ASSERT_TRUE(datakit::WriteSplashData("."));
    Enter(&studioSplashStage);
    const SpriteImage& copy = studioSplash.logoCopy;
    const u8* logo = studioSplash.logoPixels;
    ASSERT_NE(logo, nullptr);
    const int w = copy.width, h = copy.height;
    const auto rowShown = [&](int row) {
        return memcmp(logoBuffer + row * w, logo + row * w, (size_t)w) == 0;
    };
    const auto rowBlank = [&](int row) {
        for (int x = 0; x < w; ++x)
            if (logoBuffer[row * w + x])
                return false;
        return true;
    };
    // The first tick reveals nothing.
    for (int row = 0; row < h; ++row)
        ASSERT_TRUE(rowBlank(row)) << row;
    Tick();
    for (int row = h - 5; row < h; ++row)
        EXPECT_TRUE(rowShown(row)) << row;
    int paintedAbove = 0;
    for (int row = 0; row < h - 5; ++row) {
        EXPECT_TRUE(rowBlank(row)) << row;
        paintedAbove += !rowShown(row);
    }
    EXPECT_GT(paintedAbove, 0); // the logo has rows above the five that are still hidden
    // Five more rows a tick: after tick n the rows from h - 5 (n - 1) down are shown, none above.
    for (int n = 3; n <= 10; ++n) {
        Tick();
        const int top = h - 5 * (n - 1);
        for (int row = 0; row < h; ++row)
            ASSERT_TRUE(row >= top ? rowShown(row) : rowBlank(row)) << "tick " << n << " row " << row;
    }
    while (studioSplash.phase == 0)
        Tick();
    EXPECT_EQ(studioSplash.phase, 1);
    for (int row = 0; row < h; ++row)
        EXPECT_TRUE(rowShown(row)) << row;
}

// A logo frame larger than the buffer is cut to 146 x 142 (its rows keep their own stride); a
// smaller one is copied whole and drawn at its own width. Either way the splash plays to the end.
struct LogoSizeCase {
    int width, height;
    int shownWidth, shownHeight;
};

TEST_F(SplashStagesTest, ALogoIsCopiedOnlyAsFarAsTheBufferHolds)
{
    const LogoSizeCase cases[] = {
        {255, 255, 146, 142},
        {200, 150, 146, 142},
        {146, 142, 146, 142},
        {100, 60, 100, 60},
    };
    for (const LogoSizeCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
        TearDown();
        SetUp();
        ASSERT_TRUE(datakit::WriteStudioSplashData(".", c.width, c.height));
        ASSERT_TRUE(datakit::WriteEngineSplashData("."));
        Enter(&studioSplashStage);
        ASSERT_NE(studioSplash.logoPixels, nullptr);
        EXPECT_EQ(studioSplash.logoCopy.width, c.shownWidth);
        EXPECT_EQ(studioSplash.logoCopy.height, c.shownHeight);
        EXPECT_EQ(studioSplash.logoCopy.pixels, logoBuffer);
        while (studioSplash.phase == 0)
            Tick();
        // The whole copy of phase 0's last tick: row by row, each row from its own start.
        int wrong = 0;
        for (int row = 0; row < c.shownHeight; ++row)
            for (int x = 0; x < c.shownWidth; ++x)
                wrong += logoBuffer[row * c.shownWidth + x] != studioSplash.logoPixels[row * c.width + x];
        EXPECT_EQ(wrong, 0);
        const Schedule s = Run(&studioSplash.phase, &engineSplashStage, 5);
        EXPECT_GT(s.nextStageTick, 0);
    }
}

// Without their sprite sets the splashes show black, count their phases and still lead on.
TEST_F(SplashStagesTest, SplashesWithoutArtStillLeadOn)
{
    Enter(&studioSplashStage);
    headless::ClearShownBoxes();
    EXPECT_EQ(studioSplash.logoPixels, nullptr);
    EXPECT_GT(Run(&studioSplash.phase, &engineSplashStage, 5).nextStageTick, 0);
    EXPECT_GT(Run(&engineSplash.phase, &titleStage, 6).nextStageTick, 0);
}

} // namespace
