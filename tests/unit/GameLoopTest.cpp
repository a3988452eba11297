// The tick clock, the hotkeys and window modes, the inactive window, the music fade.
#include "tests/unit/HeadlessGame.h"

namespace {

class GameLoopTest : public HeadlessGame {};

TEST_F(GameLoopTest, StallGivesOneTickAndTheNextIsDueAFullTickLater)
{
    StartGame();
    headless::SetCounter(headless::Counter() + TickLength() * 6); // a 100 ms stall
    GamePass();
    EXPECT_EQ(tickCount, 1u);
    for (int pass = 0; pass < 10; ++pass)
        GamePass(); // the clock has not moved: nothing is caught up
    EXPECT_EQ(tickCount, 1u);
    headless::SetCounter(headless::Counter() + TickLength() - 1);
    GamePass();
    EXPECT_EQ(tickCount, 1u);
    headless::SetCounter(headless::Counter() + 1);
    GamePass();
    EXPECT_EQ(tickCount, 2u);
    EXPECT_EQ(pendingTicks, 0);
}

TEST_F(GameLoopTest, MillisecondClockCountsSixteenAndSurvivesTheWrap)
{
    headless::SetHasPerformanceCounter(false);
    headless::SetCounter((i64)0xFFFFFFF8u * (headless::counterFrequency / 1000)); // 8 ms before the wrap
    ShutdownPlatform();
    ASSERT_TRUE(InitPlatform());
    SetVideoMode(25);
    EXPECT_EQ(hasPerformanceCounter, 0);
    StartGame();
    headless::AdvanceMs(15);
    GamePass();
    EXPECT_EQ(tickCount, 0u);
    headless::AdvanceMs(1);
    GamePass();
    EXPECT_EQ(tickCount, 1u);
}

TEST_F(GameLoopTest, WindowScaleAndFullScreen)
{
    StartGame();
    EXPECT_EQ(headless::WindowClientWidth(), 424u);
    TapKey(KeyF5);
    Tick(); // the switch takes effect at the top of the next pass
    EXPECT_EQ(windowScale, 1);
    EXPECT_EQ(presentScale, 1);
    EXPECT_EQ(headless::WindowClientWidth(), 848u);
    EXPECT_EQ(headless::WindowClientHeight(), 480u);
    EXPECT_EQ(headless::LastPresentedWidth(), 848u);
    TapKey(KeyF5);
    Tick();
    EXPECT_EQ(windowScale, 0);
    EXPECT_EQ(headless::WindowClientWidth(), 424u);

    TapKey(KeyF4);
    EXPECT_EQ(fullscreen, 1);
    EXPECT_EQ(windowScale, 1);
    EXPECT_TRUE(headless::WindowFullscreen());
    EXPECT_TRUE(headless::DeviceLinear());
    EXPECT_FALSE(headless::CursorVisible());
    EXPECT_EQ(captionHeight, 0);
    TapKey(KeyF5); // ignored in full screen
    Tick();
    EXPECT_EQ(windowScaleRequest, 1);
    TapKey(KeyF4);
    EXPECT_EQ(fullscreen, 0);
    EXPECT_EQ(windowScale, 0); // the scale from before full screen
    EXPECT_FALSE(headless::WindowFullscreen());
    EXPECT_FALSE(headless::DeviceLinear());
    EXPECT_TRUE(headless::CursorVisible());
    EXPECT_EQ(headless::WindowClientWidth(), 424u);
}

TEST_F(GameLoopTest, EscapeAsksAndNoKeepsTheGameRunning)
{
    StartGame();
    headless::SetBoxAnswer(BoxAnswerNo);
    TapKey(KeyEscape);
    ASSERT_EQ(headless::ShownBoxes().size(), 1u);
    EXPECT_EQ(headless::ShownBoxes()[0].caption, "Quit Brakkenfell?");
    EXPECT_EQ(headless::ShownBoxes()[0].text, "Are you sure you want to quit?\n(Any unsaved progress will be lost)");
    EXPECT_EQ(headless::ShownBoxes()[0].flags, 0x104u);
    EXPECT_TRUE(gameRunning);
    headless::SetBoxAnswer(BoxAnswerYes);
    headless::SetKey(KeyEscape, true);
    Tick();
    EXPECT_FALSE(gameRunning); // ended after the pass that ran the tick
}

TEST_F(GameLoopTest, EscapeInFullScreenLeavesItFirstThenAsks)
{
    StartGame();
    TapKey(KeyF4);
    ASSERT_EQ(fullscreen, 1);
    headless::SetBoxAnswer(BoxAnswerNo);
    headless::SetKey(KeyEscape, true);
    Tick();
    EXPECT_TRUE(headless::ShownBoxes().empty());
    EXPECT_EQ(escapeQuitPending, 1);
    headless::SetKey(KeyEscape, false);
    Tick(); // full screen is left at the top of this pass, the box comes in its tick
    EXPECT_EQ(fullscreen, 0);
    EXPECT_EQ(headless::ShownBoxes().size(), 1u);
    EXPECT_EQ(escapeQuitPending, 0);
    EXPECT_TRUE(gameRunning);
}

TEST_F(GameLoopTest, CloseButtonAsksAndOnlyYesEnds)
{
    headless::SetBoxAnswer(BoxAnswerNo);
    OnMainWindowClose();
    EXPECT_TRUE(gameRunning);
    headless::SetBoxAnswer(BoxAnswerYes);
    OnMainWindowClose();
    EXPECT_FALSE(gameRunning);
}

TEST_F(GameLoopTest, MuteKeys)
{
    struct Case {
        u8 music, sfx;
        int key;
        u8 musicAfter, sfxAfter;
    };
    const Case cases[] = {
        {0, 1, KeyF6, 1, 0}, // music off and effects on: music on, effects off
        {0, 0, KeyF6, 1, 1}, {1, 0, KeyF7, 0, 0}, {0, 0, KeyF7, 1, 0}, {0, 1, KeyF8, 0, 0}, {1, 1, KeyF8, 1, 0},
    };
    StartGame();
    for (const Case& c : cases) {
        musicMuted = c.music;
        sfxMuted = c.sfx;
        TapKey(c.key);
        EXPECT_EQ(musicMuted, c.musicAfter) << "key " << c.key;
        EXPECT_EQ(sfxMuted, c.sfxAfter) << "key " << c.key;
    }
}

TEST_F(GameLoopTest, InactiveWindowPresentsButDoesNotAdvanceAndEndStillToggles)
{
    StartGame();
    Tick();
    const u32 ticks = tickCount, seeds = demoSeed, frames = frameCounter, presents = headless::PresentCount();
    windowActive = 0;
    Tick();
    Tick();
    EXPECT_EQ(tickCount, ticks);
    EXPECT_EQ(demoSeed, seeds);
    EXPECT_EQ(frameCounter, frames);
    EXPECT_EQ(headless::PresentCount(), presents + 2);
    TapKey(KeyF5); // hotkeys need an active window
    EXPECT_EQ(windowScaleRequest, 0);
    TapKey(KeyEnd);
    EXPECT_EQ(runWhenInactive, 1);
    Tick();
    EXPECT_GT(tickCount, ticks);
    pauseMenuOpen = 1;
    const u32 seedWhilePaused = demoSeed;
    Tick();
    EXPECT_EQ(demoSeed, seedWhilePaused); // the pause menu stops the demo seed, not the tick count
}

// A stage whose frame draws the tick count into the first pixel and opens the freeze on request.
bool openFreezeNextFrame;
void DrawTickFrame()
{
    frameBuffer[0] = tickCount;
    if (openFreezeNextFrame) {
        devMenuOpen = 1;
        openFreezeNextFrame = false;
    }
}

TEST_F(GameLoopTest, DevMenuFreezeShowsTheSavedFrameAndInsertSteps)
{
    Stage drawing{};
    drawing.frame = DrawTickFrame;
    GoToStage(&drawing);
    Tick();
    openFreezeNextFrame = true;
    Tick(); // this frame opens the freeze and is saved
    const u32 ticks = tickCount;
    ASSERT_EQ(devMenuOpen, 1);
    frameBuffer[0] = 0;
    Tick();
    Tick(); // frozen ticks show the saved frame and do not advance
    EXPECT_EQ(tickCount, ticks);
    EXPECT_EQ(frameBuffer[0], ticks);
    EXPECT_EQ(headless::LastPresented()[0], ticks);
    headless::SetKey(KeyInsert, true);
    Tick(); // Insert steps one tick
    EXPECT_EQ(tickCount, ticks + 1);
    EXPECT_EQ(headless::LastPresented()[0], ticks + 1);
    Tick(); // still held: no repeat yet, frozen again on the stepped frame
    EXPECT_EQ(tickCount, ticks + 1);
    EXPECT_EQ(headless::LastPresented()[0], ticks + 1);
    headless::SetKey(KeyInsert, false);
    TapKey(KeyHome);
    EXPECT_EQ(devMenuOpen, 0);
    Tick();
    EXPECT_GT(tickCount, ticks + 1);
}

TEST_F(GameLoopTest, DevMenuEscapeClosesTheMenu)
{
    StartGame();
    devMenuOpen = devMenuVisible = 1;
    headless::SetBoxAnswer(BoxAnswerYes);
    TapKey(KeyEscape);
    EXPECT_EQ(devMenuOpen, 0);
    EXPECT_EQ(devMenuVisible, 0);
    EXPECT_TRUE(headless::ShownBoxes().empty()); // the menu took the key, no quit box
}

TEST(MusicFade, StepsLandExactlyOnTheTarget)
{
    struct Case {
        i16 volume;
        f32 target, step;
        int ticks;
        i16 expected;
        bool fading;
    };
    const Case cases[] = {
        {64, 0.0f, 0.1f, 1, 57, true},     // 0.9 x 64 = 57.6, truncated
        {64, 0.0f, 0.1f, 10, 0, false},    // lands on 0 and stops
        {64, 0.5f, 0.3f, 2, 32, false},    // overshoot is clamped to the target
        {0, 1.0f, 0.25f, 4, 64, false},    // up to full
        {0, 1.0f, 0.25f, 3, 48, true},
        {32, 0.5f, 0.1f, 1, 32, true},     // at the target nothing moves
        {64, 0.0f, 0.0f, 5, 64, false},    // no fade without a step
    };
    for (const Case& c : cases) {
        musicVolume = c.volume;
        musicVolumeTarget = c.target;
        musicFadeStep = c.step;
        for (int i = 0; i < c.ticks; ++i)
            StepMusicFade();
        EXPECT_EQ(musicVolume, c.expected) << c.volume << " -> " << c.target;
        EXPECT_EQ(musicFadeStep != 0.0f, c.fading) << c.volume << " -> " << c.target;
    }
    musicFadeStep = 0.0f;
    musicVolume = 64;
    musicVolumeTarget = 1.0f;
}

TEST_F(GameLoopTest, DeviceLossIsWaitedOutRecoveredOrEndsTheGame)
{
    StartGame();
    headless::QueuePresentResults({PresentLost, PresentLost, PresentNotReset});
    Tick();
    Tick();
    EXPECT_EQ(headless::SleptMs(), 1000u);
    EXPECT_EQ(headless::RecoverCount(), 0);
    Tick();
    EXPECT_EQ(headless::RecoverCount(), 1);
    EXPECT_TRUE(gameRunning);
    headless::QueuePresentResults({PresentFatal});
    Tick();
    EXPECT_FALSE(gameRunning);
}

} // namespace
