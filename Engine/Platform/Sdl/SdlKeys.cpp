#include "Engine/Platform/Sdl/SdlKeys.h"

#include <SDL.h>

#include <atomic>

#include "Engine/Platform/Platform.h"

namespace {

struct KeyRow {
    SDL_Scancode scancode;
    u8 slot;
};

// The keys the game polls. Both Control, Shift and Alt keys land on the left key's slot, and the
// navigation keys on their codes without the extended prefix, the way the Windows build reads them.
// F11 and F12 take the two codes after F10's.
constexpr KeyRow keyRows[] = {
    {SDL_SCANCODE_ESCAPE, 1},
    {SDL_SCANCODE_1, 2}, {SDL_SCANCODE_2, 3}, {SDL_SCANCODE_3, 4}, {SDL_SCANCODE_4, 5},
    {SDL_SCANCODE_5, 6}, {SDL_SCANCODE_6, 7}, {SDL_SCANCODE_7, 8}, {SDL_SCANCODE_8, 9},
    {SDL_SCANCODE_9, 10}, {SDL_SCANCODE_0, 11},
    {SDL_SCANCODE_MINUS, 12}, {SDL_SCANCODE_EQUALS, 13}, {SDL_SCANCODE_BACKSPACE, 14},
    {SDL_SCANCODE_TAB, 15},
    {SDL_SCANCODE_Q, 16}, {SDL_SCANCODE_W, 17}, {SDL_SCANCODE_E, 18}, {SDL_SCANCODE_R, 19},
    {SDL_SCANCODE_T, 20}, {SDL_SCANCODE_Y, 21}, {SDL_SCANCODE_U, 22}, {SDL_SCANCODE_I, 23},
    {SDL_SCANCODE_O, 24}, {SDL_SCANCODE_P, 25},
    {SDL_SCANCODE_LEFTBRACKET, 26}, {SDL_SCANCODE_RIGHTBRACKET, 27},
    {SDL_SCANCODE_RETURN, 28}, {SDL_SCANCODE_KP_ENTER, 28},
    {SDL_SCANCODE_LCTRL, 29}, {SDL_SCANCODE_RCTRL, 29},
    {SDL_SCANCODE_A, 30}, {SDL_SCANCODE_S, 31}, {SDL_SCANCODE_D, 32}, {SDL_SCANCODE_F, 33},
    {SDL_SCANCODE_G, 34}, {SDL_SCANCODE_H, 35}, {SDL_SCANCODE_J, 36}, {SDL_SCANCODE_K, 37},
    {SDL_SCANCODE_L, 38},
    {SDL_SCANCODE_SEMICOLON, 39}, {SDL_SCANCODE_APOSTROPHE, 40}, {SDL_SCANCODE_GRAVE, 41},
    {SDL_SCANCODE_LSHIFT, 42}, {SDL_SCANCODE_RSHIFT, 42},
    {SDL_SCANCODE_BACKSLASH, 43},
    {SDL_SCANCODE_Z, 44}, {SDL_SCANCODE_X, 45}, {SDL_SCANCODE_C, 46}, {SDL_SCANCODE_V, 47},
    {SDL_SCANCODE_B, 48}, {SDL_SCANCODE_N, 49}, {SDL_SCANCODE_M, 50},
    {SDL_SCANCODE_COMMA, 51}, {SDL_SCANCODE_PERIOD, 52}, {SDL_SCANCODE_SLASH, 53},
    {SDL_SCANCODE_LALT, 56}, {SDL_SCANCODE_RALT, 56},
    {SDL_SCANCODE_SPACE, 57},
    {SDL_SCANCODE_F1, 59}, {SDL_SCANCODE_F2, 60}, {SDL_SCANCODE_F3, 61}, {SDL_SCANCODE_F4, 62},
    {SDL_SCANCODE_F5, 63}, {SDL_SCANCODE_F6, 64}, {SDL_SCANCODE_F7, 65}, {SDL_SCANCODE_F8, 66},
    {SDL_SCANCODE_F9, 67}, {SDL_SCANCODE_F10, 68}, {SDL_SCANCODE_F11, 69}, {SDL_SCANCODE_F12, 70},
    {SDL_SCANCODE_HOME, 71}, {SDL_SCANCODE_UP, 72}, {SDL_SCANCODE_PAGEUP, 73},
    {SDL_SCANCODE_LEFT, 75}, {SDL_SCANCODE_RIGHT, 77},
    {SDL_SCANCODE_END, 79}, {SDL_SCANCODE_DOWN, 80}, {SDL_SCANCODE_PAGEDOWN, 81},
    {SDL_SCANCODE_INSERT, 82}, {SDL_SCANCODE_DELETE, 83},
};

constexpr int capsLockSlot = 125;

// Written by the main thread, read by the game thread's poll. A slot is down while any key that
// maps to it is down; the latch remembers a press until the poll has seen it.
bool scancodeDown[SDL_NUM_SCANCODES]; // main thread only
std::atomic<u8> slotDown[128];
std::atomic<u8> slotLatch[128];

} // namespace

int SdlKeySlot(int scancode)
{
    for (const KeyRow& row : keyRows)
        if (row.scancode == scancode)
            return row.slot;
    return -1;
}

void SdlKeyEvent(int scancode, bool down)
{
    const int slot = SdlKeySlot(scancode);
    if (slot < 0 || scancode < 0 || scancode >= SDL_NUM_SCANCODES)
        return;
    scancodeDown[scancode] = down;
    bool anyDown = false;
    for (const KeyRow& row : keyRows)
        if (row.slot == slot && scancodeDown[row.scancode])
            anyDown = true;
    if (down)
        slotLatch[slot] = 1;
    slotDown[slot] = anyDown ? 1 : 0;
}

void SdlSetCapsLock(bool on)
{
    slotDown[capsLockSlot] = on ? 1 : 0;
}

void SdlResetKeys()
{
    for (bool& down : scancodeDown)
        down = false;
    for (int slot = 0; slot < 128; ++slot)
        slotDown[slot] = slotLatch[slot] = 0;
}

void PollKeys(u8 active[128])
{
    // Slots 126 and 127 (the wheel) belong to the shell.
    for (int slot = 0; slot < 126; ++slot) {
        const u8 latched = slotLatch[slot].exchange(0);
        active[slot] = (slotDown[slot] || latched) ? 1 : 0;
    }
}
