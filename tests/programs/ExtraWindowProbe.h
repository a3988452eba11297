// What the two auxiliary-window programs share (extra_window_test on Win32, sdl_extra_window_probe
// on SDL): their checks, the pattern the window's callbacks draw, the owner's answer to a close, the
// game thread's tick, and the hand-over to the driving script. Included by the one file of each.
#pragma once
#include <cstdio>
#include <string>

#include "Engine/Platform/ExtraWindows.h"
#include "Engine/Platform/Input.h"
#include "Engine/Platform/Platform.h"
#include "tests/programs/Handshake.h"

namespace extra_window_probe {

inline const char* programName = "";
inline std::string folder = ".";
inline int failures;
inline int inactiveDraws, activeDraws, closeCalls;
inline bool refuseClose;
// The wheel slots' presses as Tick saw them: a press lasts one tick, and the script's wheel turn can
// arrive while the probe still waits for its answer, so the checks look here, not at the live state.
inline bool wheelForwardSeen, wheelBackwardSeen;

inline void Check(bool condition, const char* what)
{
    fprintf(stderr, "%s: %s %s\n", programName, condition ? "ok" : "FAIL", what);
    if (!condition)
        ++failures;
}

// The pattern of tests/e2e/extra_window_check.py: a gradient whose blue byte says which callback
// drew it, with a 4x4 block in each corner (magenta, cyan, yellow, white).
inline void Paint(ExtraWindow* window, u32 blue)
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

inline void DrawInactive(ExtraWindow* window)
{
    ++inactiveDraws;
    Paint(window, 0x40);
}

inline void DrawActive(ExtraWindow* window)
{
    ++activeDraws;
    Paint(window, 0xC0);
}

inline bool OnClose(ExtraWindow*)
{
    ++closeCalls;
    return refuseClose;
}

// One tick of the game thread as the game runs it for the windows: keyboard poll, window update.
inline void Tick()
{
    PollKeyboard();
    UpdateExtraWindows();
    wheelForwardSeen |= ButtonState(PlanePressed, 126) != 0;
    wheelBackwardSeen |= ButtonState(PlanePressed, 127) != 0;
    SleepMs(16);
}

inline void Ticks(int count)
{
    for (int i = 0; i < count; ++i)
        Tick();
}

// Ticks until the condition holds, limit ticks at most.
template <typename Condition> bool TickUntil(int limit, Condition condition)
{
    for (int i = 0; i < limit && !condition(); ++i)
        Tick();
    return condition();
}

// Writes folder/ready with text, then ticks until the script makes folder/answer (60 s at most);
// `what` names the answer in the check.
inline bool AwaitScript(const char* ready, const std::string& text, const char* answer, const char* what)
{
    if (!WriteHandshakeFile(folder, ready, text)) {
        Check(false, "the handshake file can be written");
        return false;
    }
    for (int wait = 0; wait < 3750 && !HandshakeFileExists(folder, answer); ++wait)
        Tick();
    const bool answered = HandshakeFileExists(folder, answer);
    Check(answered, what);
    return answered;
}

} // namespace extra_window_probe
