// Drives the SDL backend the way the game does, for the real-window tests under Xvfb.
//
//   sdl_present_probe present DIR   brings the platform up, presents a known pattern from a second
//                                   thread at 1x, at 2x (then has the renderer rebuilt), in full
//                                   screen and windowed again. Before each screenshot it creates
//                                   DIR/readyN and waits for DIR/goN.
//   sdl_present_probe shutdown      the pump ends while the second thread keeps asking the main
//                                   thread for window changes and a quit box; the main thread must
//                                   still be able to join it.
// Exit code 0 on success; anything else is a failure, with the reason on stderr.
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Platform/Sdl/SdlPlatform.h"
#include "Engine/Platform/Shell.h"
#include "Engine/Platform/Video.h"
#include "Engine/Render/VideoMode.h"
#include "tests/programs/Handshake.h"

namespace {

std::string handshakeDir;
int probeResult = 0;

void Fail(const char* what)
{
    fprintf(stderr, "sdl_present_probe: %s\n", what);
    probeResult = 1;
}

// Tells the script a picture is up and waits (60 s at most) for it to have looked.
bool Handshake(int step)
{
    const std::string go = "go" + std::to_string(step);
    if (!WriteHandshakeFile(handshakeDir, "ready" + std::to_string(step), "")) {
        Fail("cannot write the handshake file");
        return false;
    }
    for (int waited = 0; waited < 60000; waited += 10) {
        if (HandshakeFileExists(handshakeDir, go))
            return true;
        SleepMs(10);
    }
    Fail("the script never answered");
    return false;
}

// The pattern the script looks for: a gradient with a 4x4 block of its own colour in each corner
// (magenta top left, cyan top right, yellow bottom left, white bottom right).
void FillPattern()
{
    for (i32 y = 0; y < screenHeight; ++y)
        for (i32 x = 0; x < screenWidth; ++x) {
            u32 pixel = ((u32)(x * 255 / (screenWidth - 1)) << 16) | ((u32)(y * 255 / (screenHeight - 1)) << 8) | 0x40;
            const bool left = x < 4, right = x >= screenWidth - 4, top = y < 4, bottom = y >= screenHeight - 4;
            if (top && left)
                pixel = 0xFF00FF;
            else if (top && right)
                pixel = 0x00FFFF;
            else if (bottom && left)
                pixel = 0xFFFF00;
            else if (bottom && right)
                pixel = 0xFFFFFF;
            frameBuffer[rowOffsets[y] + x] = pixel;
        }
}

void Nothing(void*) {}

void PresentPattern()
{
    FillPattern();
    for (int i = 0; i < 3; ++i) {
        PresentFrame();
        SleepMs(30);
    }
    if (!gameRunning)
        Fail("a present reported a failure");
    // The pump serves requests, then shows the newest picture. The second of two round trips is
    // served on a later pass than the first, so by then the pump has shown what was presented.
    RunOnMainThread(&mainRequests, Nothing, nullptr, nullptr);
    RunOnMainThread(&mainRequests, Nothing, nullptr, nullptr);
    SleepMs(50);
}

void ResetRenderer(void*)
{
    SdlVideoReset(true);
}

int PresentThread(void*)
{
    // 1x windowed.
    PresentPattern();
    if (probeResult || !Handshake(1))
        goto done;

    // 2x windowed, as F5 does it; then the renderer is thrown away and made again, and the last
    // picture must come back without a new present.
    windowScaleRequest = windowScale = windowedScale = 1;
    ApplyVideoMode();
    PresentPattern();
    RunOnMainThread(&mainRequests, ResetRenderer, nullptr, nullptr);
    SleepMs(50);
    if (probeResult || !Handshake(2))
        goto done;

    // Full screen, as F4 does it.
    windowScaleRequest = windowScale = 1;
    fullscreen = 1;
    ShowMouseCursor(false);
    SetVideoMode(videoMode);
    SetMainWindowStyle(true);
    PresentPattern();
    if (probeResult || !Handshake(3))
        goto done;

    // And back to the window at 1x.
    windowScaleRequest = windowScale = windowedScale = 0;
    fullscreen = 0;
    ShowMouseCursor(true);
    SetMainWindowStyle(false);
    SetVideoMode(videoMode);
    PresentPattern();
    if (!probeResult)
        Handshake(4);
done:
    gameRunning = 0;
    return 0;
}

std::atomic<int> servedBeforeEnd{0};
int cancelledAfterEnd = 0;
bool askedAfterEnd = true;

void EndThePump(void*)
{
    ++servedBeforeEnd;
    gameRunning = 0;
}

void CountServed(void*)
{
    ++servedBeforeEnd;
}

void CountCancelled(void*)
{
    ++cancelledAfterEnd;
}

int ChurnThread(void*)
{
    // Window changes the main thread serves while it pumps.
    for (int i = 0; i < 10; ++i) {
        windowScaleRequest = windowScale = windowedScale = (u8)(i & 1);
        ApplyVideoMode();
    }
    // The pump ends after this request; the next one is made while the main thread heads for the
    // join, and nothing will ever serve it.
    RunOnMainThread(&mainRequests, EndThePump, CountCancelled, nullptr);
    RunOnMainThread(&mainRequests, CountServed, CountCancelled, nullptr);
    // What a tick in progress may still ask for: a mode switch and the quit box.
    windowScaleRequest = windowScale = windowedScale = 1;
    ApplyVideoMode();
    askedAfterEnd = AskQuit();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const bool present = argc == 3 && strcmp(argv[1], "present") == 0;
    const bool shutdown = argc == 2 && strcmp(argv[1], "shutdown") == 0;
    if (!present && !shutdown) {
        fprintf(stderr, "usage: sdl_present_probe present DIR | shutdown\n");
        return 2;
    }
    if (present)
        handshakeDir = argv[2];

    snprintf(windowTitle, sizeof(windowTitle), "Brakkenfell");
    if (!InitPlatform())
        return 1;
    SetVideoMode(25); // on the main thread, before the second thread exists, as at start-up
    PlatformThread* thread = StartThread(present ? PresentThread : ChurnThread, nullptr);
    if (!thread) {
        Fail("cannot start the thread");
        return 1;
    }
    int exitCode = 0;
    PumpMainThread(&exitCode);
    JoinThread(thread);
    ShutdownPlatform();

    if (shutdown) {
        printf("requests served while pumping: %d, cancelled after the pump ended: %d, quit box answer then: %s\n",
               servedBeforeEnd.load(), cancelledAfterEnd, askedAfterEnd ? "Yes" : "No");
        if (cancelledAfterEnd != 1)
            Fail("the request made after the pump ended was not cancelled exactly once");
        if (askedAfterEnd)
            Fail("the quit box after the pump ended did not answer No");
    }
    return probeResult;
}
