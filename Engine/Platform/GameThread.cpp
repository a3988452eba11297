#include "Engine/Platform/GameThread.h"

#include <cstring>

#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/DevMenu.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Platform/Audio.h"
#include "Engine/Platform/Config.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/Demo.h"
#include "Engine/Platform/ExtraWindows.h"
#include "Engine/Platform/Input.h"
#include "Engine/Platform/Pads.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Platform/Shell.h"
#include "Engine/Platform/Video.h"
#include "Engine/Render/VideoMode.h"
#include "Engine/Common/StageSwitch.h"

u8 pendingTicks;
u8 windowScaleRequest, windowScale, windowedScale;
u8 fullscreenRequest, fullscreen;
u8 escapeQuitPending;
u8 runWhenInactive;

u8 musicMuted, sfxMuted;
i16 musicVolume = 64;
f32 musicVolumeTarget = 1.0f;
f32 musicFadeStep;

u32 tickCount;
u32 demoSeed;
u32 frameCounter;

PlayerProgress playerProgress[4];

int GameThread(void*)
{
    GameSetup();
    while (gameRunning) {
        GamePass();
        IdleBetweenPasses();
    }
    return 0;
}

void GameSetup()
{
    SetDefaultBindings();
    LoadConfig();
    LoadDevFont();
    RegisterStages();
    LoadBitmapFont(&menuFont, "Data/Sprites/Display/Title/MenuFont.man", -4);
    for (PlayerProgress& progress : playerProgress)
        progress = PlayerProgress{3, 0, 255, 0.0f, 0.0f};
    GoToStage(FirstStage());
}

namespace {

void SwitchFullscreen()
{
    fullscreenRequest = 0;
    if (!fullscreen) {
        windowScaleRequest = windowScale = 1;
        fullscreen = 1;
        ShowMouseCursor(false);
        captionHeight = 0;
        SetVideoMode(videoMode);
        SetMainWindowStyle(true);
    } else {
        windowScaleRequest = windowScale = windowedScale;
        fullscreen = 0;
        ShowMouseCursor(true);
        captionHeight = CaptionHeightMetric();
        SetMainWindowStyle(false);
        SetVideoMode(videoMode);
    }
}

// Counts a due tick. The reference becomes the moment the tick was counted, so time lost to a slow
// pass is dropped, never caught up, and one pass counts at most one tick.
void RunTickClock()
{
    if (hasPerformanceCounter) {
        const i64 now = PerfCounter();
        if (now - lastTickCounter >= ticksPerFrame) {
            lastTickCounter = now;
            ++pendingTicks;
        }
    } else {
        const u32 now = MilliTime();
        if (now - lastTickMs >= msPerFrame) {
            lastTickMs = now;
            ++pendingTicks;
        }
    }
}

bool KeyPressed(int slot)
{
    return ButtonState(PlanePressed, slot) != 0;
}

void ServeHotkeys()
{
    if (escapeQuitPending) {
        if (AskQuit())
            quitRequested = 1;
        else
            escapeQuitPending = 0;
    }
    if (KeyPressed(KeyEscape)) {
        if (fullscreen) {
            escapeQuitPending = 1;
            fullscreenRequest = 1;
        } else if (AskQuit()) {
            quitRequested = 1;
        }
    }
    if (KeyPressed(KeyF4))
        fullscreenRequest = 1;
    if (KeyPressed(KeyF5) && !fullscreen)
        windowScaleRequest ^= 1;
    if (KeyPressed(KeyF6)) {
        musicMuted ^= 1;
        sfxMuted ^= 1;
    }
    if (KeyPressed(KeyF7))
        musicMuted ^= 1;
    if (KeyPressed(KeyF8))
        sfxMuted ^= 1;
    ServeDemoKeys();
}

void ShowFrozenFrame()
{
    if (savedFrame && frameBuffer)
        memcpy(frameBuffer, savedFrame, frameBytes);
}

// The dev-menu freeze. Returns true when the tick goes on as a normal tick (a single step).
bool RunFreeze()
{
    if (devMenuVisible) {
        if (KeyPressed(KeyEscape))
            CloseDevMenu();
    } else {
        if (KeyPressed(KeyHome))
            devMenuOpen = 0;
        if (ButtonState(PlaneRepeat, KeyInsert))
            return true;
    }
    ShowFrozenFrame();
    RunDevMenu();
    return false;
}

void RunGameFrame()
{
    if (!pauseMenuOpen)
        ++demoSeed;
    ++tickCount;
    RefreshCurrentLayout();
    if (windowActive)
        ServeHotkeys();
    ++frameCounter;
    ServePendingStage();
    if (currentStage && currentStage->frame) {
        stageSwitching = 0;
        currentStage->frame();
    }
    UpdateCameras();
    DrawScene();
    EaseCameraBounds();
    StepMusicFade();
    // The picture the freeze shows is the last frame drawn before it.
    if (devMenuOpen && savedFrame && frameBuffer && (u32)presentedWidth * presentedHeight * 4 >= frameBytes)
        memcpy(savedFrame, frameBuffer, frameBytes);
}

} // namespace

void StepMusicFade()
{
    if (musicFadeStep == 0.0f)
        return;
    f32 volume = musicVolume / 64.0f;
    if (volume > musicVolumeTarget) {
        volume -= musicFadeStep;
        if (!(volume > musicVolumeTarget)) {
            volume = musicVolumeTarget;
            musicFadeStep = 0.0f;
        }
    } else if (volume < musicVolumeTarget) {
        volume += musicFadeStep;
        if (!(volume < musicVolumeTarget)) {
            volume = musicVolumeTarget;
            musicFadeStep = 0.0f;
        }
    }
    musicVolume = (i16)(volume * 64.0f);
}

void RunTick()
{
    --pendingTicks;
    PollKeyboard();
    PollPads();
    MapControls();
    LockFrameMutex(frameMutex);
    // A tick that finds the game ending does nothing more: shutdown may be under way.
    if (gameRunning) {
        if (windowActive || runWhenInactive) {
            if (!devMenuOpen || RunFreeze())
                RunGameFrame();
        }
        if (KeyPressed(KeyEnd))
            runWhenInactive ^= 1;
        PresentFrame();
        UpdateExtraWindows();
    }
    UnlockFrameMutex(frameMutex);
}

void GamePass()
{
    if (windowScaleRequest != windowScale) {
        windowScale = windowedScale = windowScaleRequest;
        ApplyVideoMode();
    }
    if (fullscreenRequest)
        SwitchFullscreen();
    RunTickClock();
    // Every pass, outside the frame mutex.
    RefillSoundStream();
    if (pendingTicks)
        RunTick();
    if (quitRequested)
        gameRunning = 0;
}
