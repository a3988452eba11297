// Brings the shell up on the headless backend for a test, and back down after it.
#pragma once
#include <gtest/gtest.h>

#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/DevMenu.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Headless/Headless.h"
#include "Engine/Platform/Input.h"
#include "Engine/Platform/Shell.h"
#include "Engine/Platform/Video.h"
#include "Engine/Render/VideoMode.h"

class HeadlessGame : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::Reset();
        gameRunning = 1;
        quitRequested = 0;
        windowActive = 1;
        pendingTicks = 0;
        windowScaleRequest = windowScale = windowedScale = 0;
        fullscreenRequest = fullscreen = 0;
        escapeQuitPending = 0;
        runWhenInactive = 0;
        musicMuted = sfxMuted = 0;
        musicVolume = 64;
        musicVolumeTarget = 1.0f;
        musicFadeStep = 0.0f;
        tickCount = demoSeed = frameCounter = 0;
        devMenuOpen = devMenuVisible = 0;
        currentStage = previousStage = pendingStage = nullptr;
        stageSwitching = pauseMenuOpen = 0;
        ASSERT_TRUE(InitPlatform());
        SetVideoMode(25);
    }

    void TearDown() override
    {
        gameRunning = 0;
        // As the shell does before it shuts down: the menu font the game thread's set-up loaded.
        FreeBitmapFont(&menuFont);
        ShutdownPlatform();
        currentStage = previousStage = pendingStage = nullptr;
    }

    // The game thread's set-up. Tests run without a data folder, so the boxes of the fonts that are
    // not there are dropped: what a test counts is what the game shows after start-up.
    void StartGame()
    {
        GameSetup();
        headless::ClearShownBoxes();
    }

    // One tick length of the virtual clock.
    static i64 TickLength() { return headless::counterFrequency / 60; }

    // Advances the clock by one tick length and runs one pass (which runs one tick).
    void Tick()
    {
        headless::SetCounter(headless::Counter() + TickLength());
        GamePass();
    }

    // Presses a key for exactly one tick.
    void TapKey(int slot)
    {
        headless::SetKey(slot, true);
        Tick();
        headless::SetKey(slot, false);
        Tick();
    }
};
