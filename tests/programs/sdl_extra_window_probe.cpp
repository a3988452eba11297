// sdl_extra_window_probe DIR: the auxiliary debug windows of the SDL backend, driven the way the
// game drives them, for tests/e2e/sdl_extra_window.sh under Xvfb. The main thread starts the
// platform and pumps; a second thread plays the game thread: it opens an auxiliary window titled
// "Palvic Extra Window" whose callbacks draw a known pattern, and ticks (keyboard poll,
// UpdateExtraWindows) every 16 ms. At each step it writes DIR/readyN ("width height blue": the
// size it expects the window to have and the pattern's blue byte), keeps ticking until DIR/goN
// appears (the script has looked and acted), then checks what the script's action did:
//   1  160x96 on the screen; the script resizes the window to 250x150
//   2  the size was snapped to 256x160 and rebuilt; the script turns the wheel forward over it
//   3  slot 126 was pressed; the script turns the wheel backward
//   4  slot 127 was pressed; the owner will refuse a close; the script clicks the close button
//   5  the close reached the owner and the window stayed; the script closes it again
//   6  the window is gone and its entry freed at the next update
// Last, a second window is left open for the shutdown to destroy. Failures go to stderr; the exit
// code is the number of failures.
#include <cstdio>
#include <string>

#include "Engine/Platform/ExtraWindows.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Input.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Platform/Shell.h"
#include "Engine/Render/VideoMode.h"
#include "tests/programs/ExtraWindowProbe.h"

namespace {

using namespace extra_window_probe;

// The X requests the script makes reach the window through the main thread's pump: 5 s at most.
constexpr int messageTicks = 300;

// Tells the script what to expect and ticks until it has acted.
bool Handshake(int step, const ExtraWindow* window)
{
    Ticks(10);
    char text[64];
    if (window && window->state != ExtraWindowClosed)
        snprintf(text, sizeof(text), "%u %u %d\n", window->width, window->height, window->state ? 0xC0 : 0x40);
    else
        snprintf(text, sizeof(text), "0 0 0\n");
    const std::string ready = "ready" + std::to_string(step), go = "go" + std::to_string(step);
    return AwaitScript(ready.c_str(), text, go.c_str(), "the script answered");
}

int Worker(void*)
{
    ExtraWindow* window =
        OpenExtraWindow("Palvic Extra Window", 160, 96, 64, 48, 640, 480, OnClose, DrawInactive, DrawActive);
    Check(window != nullptr, "an auxiliary window opens");
    if (!window || !Handshake(1, window))
        goto done;
    Check(inactiveDraws > 0, "the inactive callback drew the window");

    Check(TickUntil(messageTicks, [window] { return window->width == 256 && window->height == 160; }),
          "a resize to 250x150 ends snapped to 256x160, with the buffer rebuilt");
    if (!Handshake(2, window))
        goto done;

    Check(TickUntil(messageTicks, [] { return wheelForwardSeen; }),
          "a wheel turn forward presses slot 126");
    Check(!wheelBackwardSeen, "a wheel turn forward leaves slot 127 alone");
    if (!Handshake(3, window))
        goto done;
    Check(TickUntil(messageTicks, [] { return wheelBackwardSeen; }),
          "a wheel turn backward presses slot 127");

    refuseClose = true;
    if (!Handshake(4, window))
        goto done;
    Check(TickUntil(messageTicks, [] { return closeCalls == 1; }), "the close reaches the owner");
    Ticks(5);
    Check(window->state != ExtraWindowClosed && window->window && extraWindows[0] == window,
          "a close refused by the owner keeps the window");

    refuseClose = false;
    if (!Handshake(5, window))
        goto done;
    Check(TickUntil(messageTicks, [] { return closeCalls == 2; }), "the second close reaches the owner");
    Check(TickUntil(messageTicks, [] { return extraWindows[0] == nullptr; }) && extraWindowCount == 1,
          "the closed window's entry is freed at the next update");
    if (!Handshake(6, nullptr))
        goto done;

    Check(OpenExtraWindow("Palvic Extra Window 2", 64, 48, 64, 48, 64, 48, nullptr, DrawInactive, DrawActive) ==
              extraWindows[0],
          "a new window takes the free entry");
    Ticks(5);
done:
    gameRunning = 0; // the second window stays open for the shutdown
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: sdl_extra_window_probe DIR\n");
        return 100;
    }
    programName = "sdl_extra_window_probe";
    folder = argv[1];
    snprintf(windowTitle, sizeof(windowTitle), "Brakkenfell");
    if (!InitPlatform())
        return 100;
    SetVideoMode(25);
    PlatformThread* thread = StartThread(Worker, nullptr);
    if (!thread)
        return 100;
    int exitCode = 0;
    PumpMainThread(&exitCode);
    JoinThread(thread);
    ShutdownPlatform();
    Check(extraWindows == nullptr && extraWindowCount == 0, "shutdown destroyed the window left open");
    return failures < 100 ? failures : 100;
}
