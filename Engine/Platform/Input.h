// The raw input table: every key and pad input is a slot with four planes.
#pragma once
#include <atomic>

#include "Engine/Common/Types.h"

constexpr int buttonSlotCount = 1056; // 128 keyboard slots + 16 pads x 58 inputs
constexpr int buttonPlaneBytes = 4 * buttonSlotCount;

constexpr int PlanePressed = 0, PlaneHeld = 1, PlaneRepeat = 2, PlaneCountdown = 3;

// Keyboard slots used by the shell (set-1 scan codes).
enum : int {
    KeyEscape = 0x01,
    KeyControl = 0x1D,
    KeyF4 = 0x3E,
    KeyF5 = 0x3F,
    KeyF6 = 0x40,
    KeyF7 = 0x41,
    KeyF8 = 0x42,
    KeyF10 = 0x44,
    KeyF11 = 0x45,
    KeyHome = 0x47,
    KeyEnd = 0x4F,
    KeyInsert = 0x52,
};

extern u8* buttonStates; // 4 planes x 1056 slots, plane after plane
extern u16 buttonStatesSize;
// A wheel turn seen by an auxiliary window since the last keyboard poll.
extern std::atomic<u8> wheelForward, wheelBackward;

// Reads one plane of a slot (0 when the table does not exist).
inline u8 ButtonState(int plane, int slot)
{
    return buttonStates ? buttonStates[plane * buttonSlotCount + slot] : 0;
}

// Applies the slot update rule: a new press sets pressed, held and repeat and starts the countdown
// at 30; a held input repeats when the countdown reaches 0, then every 7 polls; a release clears
// pressed, held and repeat and keeps the countdown.
void UpdateButtonSlot(int slot, bool active);

// Polls the keyboard and the wheel flags into slots 0-127.
void PollKeyboard();
