// window_test DIR: the Win32 backend in a real window. The main thread starts the platform and the
// 424x240 mode and pumps messages, as the game does; a second thread presents a test picture at 1x,
// then switches the window to 2x and presents it doubled, then to full screen and back. After each
// picture it writes DIR/ready1, 2 or 3 ("left top width height texture-maker": the client area in
// screen pixels and where the texture came from) and keeps presenting until the driving script has
// taken its screenshot and made DIR/shot1, 2 or 3. Last, the second thread puts the window back to
// 1x while the main thread waits for it to end; DIR/ended gets the client area after that wait.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Platform/Shell.h"
#include "Engine/Platform/Video.h"
#include "Engine/Platform/Win32/Win32Platform.h"
#include "Engine/Render/VideoMode.h"
#include "tests/programs/ExitLine.h"
#include "tests/programs/Handshake.h"

struct HINSTANCE__;

namespace {

const char* folder = ".";
int failures;

// Each pixel its own colour: red the low byte of x, green y, blue 0x20 or 0x60 for x below or
// from 256; 8x8 corner blocks in colours whose blue the gradient never has.
u32 PatternPixel(int x, int y)
{
    const bool left = x < 8, top = y < 8, right = x >= screenWidth - 8, bottom = y >= screenHeight - 8;
    if (left && top)
        return 0xFF00FF;
    if (right && top)
        return 0x00FFFF;
    if (left && bottom)
        return 0xFFFF80;
    if (right && bottom)
        return 0x8080FF;
    return (u32)((x & 0xFF) << 16 | (y & 0xFF) << 8 | (x < 256 ? 0x20 : 0x60));
}

void DrawPattern()
{
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x)
            frameBuffer[rowOffsets[y] + x] = PatternPixel(x, y);
}

void WriteReady(const char* name)
{
    i32 left = 0, top = 0, width = 0, height = 0;
    if (!MainWindowClientArea(&left, &top, &width, &height)) {
        fprintf(stderr, "window_test: no client area\n");
        ++failures;
    }
    char text[160];
    snprintf(text, sizeof(text), "%d %d %d %d %s\n", left, top, width, height, TextureMaker());
    if (!WriteHandshakeFile(folder, name, text))
        ++failures;
}

// Presents every 16 ms until the script's file appears (60 s at most).
bool PresentUntil(const char* name)
{
    for (int wait = 0; wait < 3750; ++wait) {
        if (HandshakeFileExists(folder, name))
            return true;
        PresentFrame();
        SleepMs(16);
    }
    fprintf(stderr, "window_test: %s never came\n", name);
    ++failures;
    return false;
}

void ShowPicture(const char* ready, const char* shot)
{
    for (int i = 0; i < 5; ++i) {
        PresentFrame();
        SleepMs(16);
    }
    if (!gameRunning) {
        fprintf(stderr, "window_test: presenting failed\n");
        ++failures;
        return;
    }
    WriteReady(ready);
    PresentUntil(shot);
}

int Worker(void*)
{
    DrawPattern();
    ShowPicture("ready1", "shot1");
    if (!failures) {
        // F5's path: a new presented size from this thread, which did not make the first device.
        windowScale = windowedScale = windowScaleRequest = 1;
        ApplyVideoMode();
        ShowPicture("ready2", "shot2");
    }
    if (!failures) {
        // F4's calls: the window covers the monitor, the picture is stretched over it.
        fullscreen = 1;
        ShowMouseCursor(false);
        captionHeight = 0;
        SetVideoMode(videoMode);
        SetMainWindowStyle(true);
        DrawPattern(); // a new mode starts from a black frame
        ShowPicture("ready3", "shot3");
        // And back.
        fullscreen = 0;
        ShowMouseCursor(true);
        captionHeight = CaptionHeightMetric();
        SetMainWindowStyle(false);
        SetVideoMode(videoMode);
    }
    gameRunning = 0;
    // A game thread's last pass may still place the window while the main thread already waits
    // for it to end; placing the window sends messages to the main thread, so the wait must serve
    // them. The pause lets the main thread reach its wait first.
    SleepMs(300);
    windowScale = windowedScale = windowScaleRequest = 0;
    ApplyVideoMode();
    return 0;
}

int Run(HINSTANCE__* instance, int showCommand)
{
    if (__argc > 1)
        folder = __argv[1];
    SetStartupArguments(instance, showCommand);
    snprintf(windowTitle, sizeof(windowTitle), "Brakkenfell");
    if (!InitPlatform())
        return 1;
    SetVideoMode(25);
    OnMainWindowActivate(true);

    PlatformThread* worker = StartThread(Worker, nullptr);
    if (!worker)
        return 1;
    int exitCode = 0;
    if (PumpMainThread(&exitCode))
        return 2;
    JoinThread(worker);
    WriteReady("ended");
    ShutdownPlatform();
    return failures ? 1 : 0;
}

} // namespace

extern "C" int __stdcall WinMain(HINSTANCE__* instance, HINSTANCE__*, char*, int showCommand)
{
    return ReturnWithExitLine("window_test", Run(instance, showCommand));
}
