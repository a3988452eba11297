// Game pads in the raw input table: the tables that turn an XInput-class or DirectInput-class pad
// state into pad slots, shared by every backend, and the tick's pad poll.
#pragma once
#include "Engine/Common/Types.h"
#include "Engine/Platform/Platform.h"

constexpr int padCount = 16;        // pad blocks in the table
constexpr int padInputCount = 58;   // slots in one pad block
constexpr int padSlotBase = 128;    // the first pad slot, after the keyboard
constexpr int xpadInputCount = 20;  // inputs 0-19 come from an XInput-class pad
constexpr int dpadInputCount = 42;  // inputs 0-41 come from a DirectInput-class pad
constexpr int xpadUserCount = 4;    // XInput user indices, which are also their pad numbers

constexpr i32 xpadStickThreshold = 8536; // inclusive
constexpr i32 dpadAxisThreshold = 500;   // strict

// XInput's button bits.
enum : u16 {
    XPadDpadUp = 0x0001,
    XPadDpadDown = 0x0002,
    XPadDpadLeft = 0x0004,
    XPadDpadRight = 0x0008,
    XPadStart = 0x0010,
    XPadBack = 0x0020,
    XPadLeftThumb = 0x0040,
    XPadRightThumb = 0x0080,
    XPadLeftShoulder = 0x0100,
    XPadRightShoulder = 0x0200,
    XPadA = 0x1000,
    XPadB = 0x2000,
    XPadX = 0x4000,
    XPadY = 0x8000,
};

// Pad inputs that bindings name.
enum : int {
    PadUp = 0,
    PadDown = 1,
    PadLeft = 2,
    PadRight = 3,
    PadAimUp = 4,
    PadAimDown = 5,
    PadAimLeft = 6,
    PadAimRight = 7,
    PadLeftTrigger = 8,
    PadRightTrigger = 9,
    PadButtonA = 10,
    PadButtonB = 11,
    PadButtonX = 12,
    PadButtonY = 13,
    PadLeftShoulder = 14,
    PadRightShoulder = 15,
    PadBack = 16,
    PadStart = 17,
    PadLeftThumb = 18,
    PadRightThumb = 19,
};

// The table slot of input n of a pad.
constexpr int PadSlot(int pad, int input)
{
    return padSlotBase + padInputCount * pad + input;
}

// The quarters a hat position lies in (a diagonal lies in two). Drivers report a centred hat as
// 0xFFFFFFFF, and some as 0xFFFF in the low word only: both are centred.
enum : u8 { HatUp = 1, HatRight = 2, HatDown = 4, HatLeft = 8 };
u8 HatQuarters(u32 pov);

// Sets active[n] for every input 0-19 (XInput-class) or 0-41 (DirectInput-class) that the state
// shows active. Inputs already set stay set, so two reads of one pad combine.
void XPadInputs(const XPadState& state, u8 active[padInputCount]);
void DPadInputs(const DPadState& state, u8 active[padInputCount]);

// The tick's pad poll, after the keyboard: every DirectInput-class pad, then every XInput-class pad,
// then the slot rule once for each slot read. A physical pad that both sources read into one pad
// number (when the XInput pads could not be told apart at start-up) is combined, not updated twice.
void PollPads();
