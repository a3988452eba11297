#include "Engine/Platform/Shell.h"

#include <cstdio>
#include <cstdlib>

#include "Engine/Common/Anim.h"
#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/DataPack.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/DevMenu.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Sheets.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Sound.h"
#include "Engine/Platform/Audio.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/ExtraWindows.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Input.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Platform/Video.h"
#include "Engine/Render/BlendTables.h"
#include "Engine/Render/VideoMode.h"
#include "Engine/Common/StageSwitch.h"

char windowTitle[256];
std::atomic<u8> gameRunning{1};
std::atomic<u8> quitRequested{0};
std::atomic<u8> windowActive{0};
PlatformMutex* frameMutex;
i32 captionHeight;

u8 hasPerformanceCounter;
i64 performanceFrequency;
i64 ticksPerFrame;
i64 lastTickCounter;
u32 msPerFrame = 16;
u32 lastTickMs;

namespace {

PlatformThread* gameThread;

// Waits for the game thread to leave its loop. The thread must be gone before anything it uses is
// freed; joining (rather than only waiting for the tick in progress) makes that certain.
void StopGameThread()
{
    gameRunning = 0;
    if (gameThread) {
        JoinThread(gameThread);
        gameThread = nullptr;
    }
}

} // namespace

bool AskQuit()
{
    return ShowMessageBox("Are you sure you want to quit?\n(Any unsaved progress will be lost)", "Quit Brakkenfell?",
                          BoxYesNo | BoxDefaultSecond) == BoxAnswerYes;
}

bool InitPlatform()
{
    if (!PlatformInit())
        return false;
    captionHeight = CaptionHeightMetric();
    // Sound failures show their box and start-up goes on: the game then runs silent.
    InitSound();

    i64 frequency = 0;
    hasPerformanceCounter = PerfFrequency(&frequency) ? 1 : 0;
    if (hasPerformanceCounter) {
        performanceFrequency = frequency;
        ticksPerFrame = frequency / 60;
        lastTickCounter = PerfCounter();
    } else {
        msPerFrame = 16;
        lastTickMs = MilliTime();
    }

    u8* states = (u8*)realloc(buttonStates, buttonPlaneBytes);
    if (!states) {
        ShowMessageBox("Could not allocate the input table", "Fatal Error!", BoxIconError);
        return false;
    }
    buttonStates = states;
    buttonStatesSize = buttonPlaneBytes;
    for (u32 i = 0; i < buttonPlaneBytes; ++i)
        buttonStates[i] = 0;

    for (u32& mode : controlModes)
        mode = ControlLive;

    BuildBlendTables();

    frameMutex = CreateFrameMutex();
    if (!frameMutex) {
        ShowMessageBox("Could not create the frame mutex", "Fatal Error!", BoxIconError);
        return false;
    }
    return true;
}

int ShellMain()
{
    snprintf(windowTitle, sizeof(windowTitle), "Brakkenfell");
    if (!InitPlatform())
        return 0;
    SetVideoMode(25);
    OpenDataPack();
    // Sound id 0, after the data pack is opened: the queue and the voices use 0 for "none".
    LoadSound("Data/SFX/Global/Silent.wav");
    FormatDebugText("Screen Dimensions: %d, %d", screenWidth, screenHeight);

    gameThread = StartThread(GameThread, nullptr);
    if (!gameThread) {
        ShowMessageBox("Could not start the game thread", "Fatal Error!", BoxIconError);
        ShutdownPlatform();
        return 0;
    }

    int exitCode = 0;
    if (PumpMainThread(&exitCode))
        return exitCode;

    StopGameThread();
    FreeBitmapFont(&menuFont);
    ShutdownPlatform();
    return 0;
}

void ShutdownPlatform()
{
    // Destroyed, not minimised: nothing draws them once the game thread has stopped.
    CloseExtraWindows();
    // Assets go whatever their use counts: nothing is loaded after this.
    forceFree = 1;
    if (currentStage && currentStage->unload)
        currentStage->unload();
    FreeObjectTypeRegistry();
    FreeStageRegistry();
    FreeDevFont();

    free(buttonStates);
    buttonStates = nullptr;
    buttonStatesSize = 0;
    FreeVideoBuffers();
    FreeLayoutSlotTables();
    FreePaletteSlots();
    FreeSheetSlots();
    FreeSound(0);
    FreeMusicStreams();
    FreeSoundTables();
    FreePresentBuffers();
    ShutdownSound();
    PlatformShutdown();
    if (frameMutex) {
        DestroyFrameMutex(frameMutex);
        frameMutex = nullptr;
    }
    // A test process brings the shell up again after this.
    forceFree = 0;
}

void OnMainWindowClose()
{
    if (AskQuit())
        gameRunning = 0;
}

void OnMainWindowActivate(bool active)
{
    windowActive = active ? 1 : 0;
}

void OnMainWindowDestroy()
{
    StopGameThread();
    ShutdownPlatform();
    ExitProcessNow(0);
}
