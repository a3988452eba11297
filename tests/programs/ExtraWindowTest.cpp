// extra_window_test DIR: the auxiliary debug windows of the Win32 backend, in real windows on
// DirectDraw. The main thread starts the platform and pumps, as the game does; a second thread
// plays the game thread: it opens an auxiliary window whose callbacks draw a known pattern, and
// ticks (keyboard poll, UpdateExtraWindows) every 16 ms. For each picture the driving script
// checks, the thread writes DIR/readyN ("left top width height blue": the client area in screen
// pixels and the pattern's blue byte) and keeps ticking until DIR/shotN appears:
//   1  160x96, moved to (40, 60)
//   2  resized to 256x160
//   3  minimised and brought back (the window must survive it, at the same size)
// Then, without screenshots: an edge drag is snapped to steps of 16, the wheel reaches slots 126
// and 127, a close refused by the owner keeps the window, an accepted close frees the entry at the
// next update. A second window is left open for the shutdown to destroy. Failures go to stderr;
// the exit code is the number of failures (capped at 100).
#include <cstdio>
#include <cstring>
#include <string>

#include "Engine/Platform/ExtraWindows.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Input.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Platform/Shell.h"
#include "Engine/Platform/Win32/Win32ExtraWindowsProbe.h"
#include "Engine/Platform/Win32/Win32Platform.h"
#include "Engine/Render/VideoMode.h"
#include "tests/programs/ExitLine.h"
#include "tests/programs/ExtraWindowProbe.h"

struct HINSTANCE__;

namespace {

using namespace extra_window_probe;

// The window's messages come one a tick: 2 s is plenty for any of them.
constexpr int messageTicks = 120;

// Tells the script the client area and the pattern's blue, then ticks until it has taken its shot.
void ShowPicture(const ExtraWindow* window, const char* ready, const char* shot)
{
    Ticks(10);
    i32 left = 0, top = 0, width = 0, height = 0;
    Check(ExtraWindowClientArea(window, &left, &top, &width, &height), "the window has a client area");
    char text[80];
    snprintf(text, sizeof(text), "%d %d %d %d %d\n", left, top, width, height, window->state ? 0xC0 : 0x40);
    AwaitScript(ready, text, shot, "the script took its screenshot");
}

void CheckErrorTexts()
{
    struct Case {
        u32 code;
        const char* text;
    };
    const Case cases[] = {
        {0x887601C2u, "DirectDraw Error DDERR_SURFACELOST"},
        {0x8876021Cu, "DirectDraw Error DDERR_WASSTILLDRAWING"},
        {0x80004005u, "DirectDraw Error DDERR_GENERIC"},
        {0x80070057u, "DirectDraw Error DDERR_INVALIDPARAMS"},
        {0x12345678u, "DirectDraw Error Unknown Error: 12345678"},
    };
    for (const Case& c : cases) {
        char text[128];
        DirectDrawErrorText(c.code, text, sizeof(text));
        char what[200];
        snprintf(what, sizeof(what), "the error reporter names %08X \"%s\" (got \"%s\")", c.code, c.text, text);
        Check(strcmp(text, c.text) == 0, what);
    }
}

int Worker(void*)
{
    CheckErrorTexts();

    ExtraWindow* window =
        OpenExtraWindow("Palvic Extra Window", 160, 96, 64, 48, 640, 480, OnClose, DrawInactive, DrawActive);
    Check(window != nullptr, "an auxiliary window opens");
    if (!window) {
        gameRunning = 0;
        return 0;
    }
    Check(extraWindowCount == 1 && extraWindows[0] == window, "the window is in the table");
    MoveExtraWindow(window, 40, 60);
    ShowPicture(window, "ready1", "shot1");
    Check(inactiveDraws > 0, "the inactive callback drew the window");

    ResizeExtraWindowClient(window, 256, 160);
    Check(window->width == 256 && window->height == 160 && window->appliedWidth == 256,
          "a resize rebuilds the buffer at 256x160");
    ShowPicture(window, "ready2", "shot2");

    const u32* pixels = window->pixels;
    MinimizeExtraWindow(window, true);
    Ticks(10);
    Check(window->width == 256 && window->pixels == pixels, "a minimised window keeps its buffer");
    MinimizeExtraWindow(window, false);
    Ticks(5);
    Check(window->width == 256 && window->height == 160, "the window comes back at its size");
    ShowPicture(window, "ready3", "shot3");

    // Dragging the bottom-right corner to a client area of 201x99 gives 208x112.
    i32 frameWidth, frameHeight, caption;
    ExtraWindowMetrics(&frameWidth, &frameHeight, &caption);
    i32 rect[4] = {100, 100, 100 + 2 * frameWidth + 201, 100 + 2 * frameHeight + caption + 99};
    SendExtraWindowSizing(window, 8, rect);
    Check(rect[0] == 100 && rect[1] == 100 && rect[2] - rect[0] - 2 * frameWidth == 208 &&
              rect[3] - rect[1] - 2 * frameHeight - caption == 112,
          "an edge drag is snapped to a client area of 208x112");

    PostExtraWindowWheel(window, 120);
    Check(TickUntil(messageTicks, [] { return wheelForwardSeen; }),
          "a wheel turn forward presses slot 126");
    Check(!wheelBackwardSeen, "a wheel turn forward leaves slot 127 alone");
    PostExtraWindowWheel(window, -120);
    Check(TickUntil(messageTicks, [] { return wheelBackwardSeen; }),
          "a wheel turn backward presses slot 127");

    void* const handle = window->window;
    refuseClose = true;
    PostExtraWindowClose(window);
    Check(TickUntil(messageTicks, [] { return closeCalls == 1; }), "the close reaches the owner");
    Ticks(3);
    Check(ExtraWindowHandleAlive(handle) && window->window == handle && window->state != ExtraWindowClosed &&
              extraWindows[0] == window,
          "a close refused by the owner keeps the window");

    refuseClose = false;
    PostExtraWindowClose(window);
    Check(TickUntil(messageTicks, [] { return closeCalls == 2; }), "the second close reaches the owner");
    Check(!ExtraWindowHandleAlive(handle), "an accepted close destroys the window");
    Check(TickUntil(messageTicks, [] { return extraWindows[0] == nullptr; }) && extraWindowCount == 1,
          "the closed window's entry is freed at the next update");

    ExtraWindow* second =
        OpenExtraWindow("Palvic Extra Window 2", 64, 48, 64, 48, 64, 48, nullptr, DrawInactive, DrawActive);
    Check(second != nullptr && extraWindows[0] == second, "a new window takes the free entry");
    Ticks(5);
    gameRunning = 0; // the second window stays open for the shutdown
    return 0;
}

int Run(HINSTANCE__* instance, int showCommand)
{
    if (__argc > 1)
        folder = __argv[1];
    SetStartupArguments(instance, showCommand);
    snprintf(windowTitle, sizeof(windowTitle), "Brakkenfell");
    if (!InitPlatform())
        return 100;
    SetVideoMode(25);

    PlatformThread* worker = StartThread(Worker, nullptr);
    if (!worker)
        return 100;
    int exitCode = 0;
    if (PumpMainThread(&exitCode))
        return 100;
    JoinThread(worker);
    ShutdownPlatform();
    Check(extraWindows == nullptr && extraWindowCount == 0, "shutdown destroyed the window left open");
    return failures < 100 ? failures : 100;
}

} // namespace

extern "C" int __stdcall WinMain(HINSTANCE__* instance, HINSTANCE__*, char*, int showCommand)
{
    programName = "extra_window_test";
    return ReturnWithExitLine(programName, Run(instance, showCommand));
}
