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
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "Engine/Platform/ExtraWindows.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Input.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Platform/Shell.h"
#include "Engine/Render/VideoMode.h"

namespace {

std::string folder;
int failures;
int inactiveDraws, activeDraws, closeCalls;
bool refuseClose;

void Check(bool condition, const char* what)
{
    fprintf(stderr, "sdl_extra_window_probe: %s %s\n", condition ? "ok" : "FAIL", what);
    if (!condition)
        ++failures;
}

// The pattern of tests/e2e/extra_window_check.py; the blue byte says which callback drew it.
void Paint(ExtraWindow* window, u32 blue)
{
    const DrawSurface* surface = window->surface;
    for (i32 y = 0; y < surface->height; ++y) {
        u32* row = (u32*)((u8*)surface->pixels + (size_t)y * surface->pitch);
        for (i32 x = 0; x < surface->width; ++x) {
            const bool left = x < 4, right = x >= surface->width - 4, top = y < 4, bottom = y >= surface->height - 4;
            u32 pixel = (u32)((x * 3) & 0xFF) << 16 | (u32)((y * 3) & 0xFF) << 8 | blue;
            if (left && top)
                pixel = 0xFF00FF;
            else if (right && top)
                pixel = 0x00FFFF;
            else if (left && bottom)
                pixel = 0xFFFF00;
            else if (right && bottom)
                pixel = 0xFFFFFF;
            row[x] = pixel;
        }
    }
}

void DrawInactive(ExtraWindow* window)
{
    ++inactiveDraws;
    Paint(window, 0x40);
}

void DrawActive(ExtraWindow* window)
{
    ++activeDraws;
    Paint(window, 0xC0);
}

bool OnClose(ExtraWindow*)
{
    ++closeCalls;
    return refuseClose;
}

bool Exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

void Tick()
{
    PollKeyboard();
    UpdateExtraWindows();
    SleepMs(16);
}

void Ticks(int count)
{
    for (int i = 0; i < count; ++i)
        Tick();
}

template <typename Condition> bool TickUntil(Condition condition)
{
    for (int i = 0; i < 300 && !condition(); ++i)
        Tick();
    return condition();
}

// Tells the script what to expect and ticks until it has acted (60 s at most).
bool Handshake(int step, const ExtraWindow* window)
{
    Ticks(10);
    const std::string ready = folder + "/ready" + std::to_string(step);
    const std::string go = folder + "/go" + std::to_string(step);
    const std::string temporary = ready + ".tmp";
    FILE* file = fopen(temporary.c_str(), "w");
    if (!file) {
        Check(false, "the handshake file can be written");
        return false;
    }
    if (window && window->state != ExtraWindowClosed)
        fprintf(file, "%u %u %d\n", window->width, window->height, window->state ? 0xC0 : 0x40);
    else
        fprintf(file, "0 0 0\n");
    fclose(file);
    rename(temporary.c_str(), ready.c_str());
    for (int waited = 0; waited < 3750 && !Exists(go); ++waited)
        Tick();
    Check(Exists(go), "the script answered");
    return Exists(go);
}

int Worker(void*)
{
    ExtraWindow* window =
        OpenExtraWindow("Palvic Extra Window", 160, 96, 64, 48, 640, 480, OnClose, DrawInactive, DrawActive);
    Check(window != nullptr, "an auxiliary window opens");
    if (!window || !Handshake(1, window))
        goto done;
    Check(inactiveDraws > 0, "the inactive callback drew the window");

    Check(TickUntil([window] { return window->width == 256 && window->height == 160; }),
          "a resize to 250x150 ends snapped to 256x160, with the buffer rebuilt");
    if (!Handshake(2, window))
        goto done;

    Check(TickUntil([] { return ButtonState(PlanePressed, 126) != 0; }), "a wheel turn forward presses slot 126");
    if (!Handshake(3, window))
        goto done;
    Check(TickUntil([] { return ButtonState(PlanePressed, 127) != 0; }), "a wheel turn backward presses slot 127");

    refuseClose = true;
    if (!Handshake(4, window))
        goto done;
    Check(TickUntil([] { return closeCalls == 1; }), "the close reaches the owner");
    Ticks(5);
    Check(window->state != ExtraWindowClosed && window->window && extraWindows[0] == window,
          "a close refused by the owner keeps the window");

    refuseClose = false;
    if (!Handshake(5, window))
        goto done;
    Check(TickUntil([] { return closeCalls == 2; }), "the second close reaches the owner");
    Check(TickUntil([] { return extraWindows[0] == nullptr; }) && extraWindowCount == 1,
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
