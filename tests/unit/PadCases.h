// Pad states and the pad inputs they must make active, shared by the native unit tests and the
// Windows check program (which feeds the same states through the DirectInput and XInput calls).
#pragma once
#include "Engine/Platform/Pads.h"

namespace padcases {

constexpr u64 Bit(int input) { return 1ull << input; }

struct XCase {
    const char* name;
    XPadState state; // buttons, LT, RT, LX, LY, RX, RY
    u64 active;      // bit n = pad input n
};

// Sticks against 8536 inclusive, triggers on any non-zero value, every button bit.
inline const XCase xcases[] = {
    {"idle", {0, 0, 0, 0, 0, 0, 0}, 0},
    {"left stick up at threshold", {0, 0, 0, 0, 8536, 0, 0}, Bit(PadUp)},
    {"left stick up below threshold", {0, 0, 0, 0, 8535, 0, 0}, 0},
    {"left stick down at threshold", {0, 0, 0, 0, -8536, 0, 0}, Bit(PadDown)},
    {"left stick down below threshold", {0, 0, 0, 0, -8535, 0, 0}, 0},
    {"left stick full left", {0, 0, 0, -32768, 0, 0, 0}, Bit(PadLeft)},
    {"left stick right at threshold", {0, 0, 0, 8536, 0, 0, 0}, Bit(PadRight)},
    {"right stick up", {0, 0, 0, 0, 0, 0, 8536}, Bit(PadAimUp)},
    {"right stick down", {0, 0, 0, 0, 0, 0, -8536}, Bit(PadAimDown)},
    {"right stick left", {0, 0, 0, 0, 0, -8536, 0}, Bit(PadAimLeft)},
    {"right stick right", {0, 0, 0, 0, 0, 32767, 0}, Bit(PadAimRight)},
    {"right stick below threshold", {0, 0, 0, 0, 0, 8535, -8535}, 0},
    {"triggers barely pressed", {0, 1, 1, 0, 0, 0, 0}, Bit(PadLeftTrigger) | Bit(PadRightTrigger)},
    {"d-pad", {XPadDpadUp | XPadDpadDown | XPadDpadLeft | XPadDpadRight, 0, 0, 0, 0, 0, 0},
     Bit(PadUp) | Bit(PadDown) | Bit(PadLeft) | Bit(PadRight)},
    {"d-pad up with stick up", {XPadDpadUp, 0, 0, 0, 20000, 0, 0}, Bit(PadUp)},
    {"face buttons", {XPadA | XPadB | XPadX | XPadY, 0, 0, 0, 0, 0, 0},
     Bit(PadButtonA) | Bit(PadButtonB) | Bit(PadButtonX) | Bit(PadButtonY)},
    {"shoulders", {XPadLeftShoulder | XPadRightShoulder, 0, 0, 0, 0, 0, 0},
     Bit(PadLeftShoulder) | Bit(PadRightShoulder)},
    {"back and start", {XPadBack | XPadStart, 0, 0, 0, 0, 0, 0}, Bit(PadBack) | Bit(PadStart)},
    {"thumbs", {XPadLeftThumb | XPadRightThumb, 0, 0, 0, 0, 0, 0}, Bit(PadLeftThumb) | Bit(PadRightThumb)},
    {"unused bits", {0x0C00, 0, 0, 0, 0, 0, 0}, 0},
};

struct DCase {
    const char* name;
    i32 x, y, z, rx, ry;
    u32 pov;
    int button;      // index of a button whose state byte is buttonByte (-1: none)
    u8 buttonByte;
    u64 active;
};

// Axes strictly past +-500; buttons by the high bit of their state byte.
inline const DCase dcases[] = {
    {"idle", 0, 0, 0, 0, 0, 0xFFFFFFFF, -1, 0, 0},
    {"x at +500", 500, 0, 0, 0, 0, 0xFFFFFFFF, -1, 0, 0},
    {"x at +501", 501, 0, 0, 0, 0, 0xFFFFFFFF, -1, 0, Bit(PadRight)},
    {"x at -500", -500, 0, 0, 0, 0, 0xFFFFFFFF, -1, 0, 0},
    {"x at -501", -501, 0, 0, 0, 0, 0xFFFFFFFF, -1, 0, Bit(PadLeft)},
    {"y at -501", 0, -501, 0, 0, 0, 0xFFFFFFFF, -1, 0, Bit(PadUp)},
    {"y at +1000", 0, 1000, 0, 0, 0, 0xFFFFFFFF, -1, 0, Bit(PadDown)},
    {"y rotation", 0, 0, 0, 0, -501, 0xFFFFFFFF, -1, 0, Bit(PadAimUp)},
    {"y rotation down", 0, 0, 0, 0, 501, 0xFFFFFFFF, -1, 0, Bit(PadAimDown)},
    {"x rotation left", 0, 0, 0, -501, 0, 0xFFFFFFFF, -1, 0, Bit(PadAimLeft)},
    {"x rotation right", 0, 0, 0, 501, 0, 0xFFFFFFFF, -1, 0, Bit(PadAimRight)},
    {"z positive", 0, 0, 501, 0, 0, 0xFFFFFFFF, -1, 0, Bit(PadLeftTrigger)},
    {"z negative", 0, 0, -501, 0, 0, 0xFFFFFFFF, -1, 0, Bit(PadRightTrigger)},
    {"z at +500", 0, 0, 500, 0, 0, 0xFFFFFFFF, -1, 0, 0},
    {"hat up", 0, 0, 0, 0, 0, 0, -1, 0, Bit(PadUp)},
    {"hat up-right", 0, 0, 0, 0, 0, 4500, -1, 0, Bit(PadUp) | Bit(PadRight)},
    {"hat down-left", 0, 0, 0, 0, 0, 22500, -1, 0, Bit(PadDown) | Bit(PadLeft)},
    {"hat with stick", 0, 600, 0, 0, 0, 0, -1, 0, Bit(PadUp) | Bit(PadDown)},
    {"hat centred in the low word", 0, 0, 0, 0, 0, 0x0000FFFF, -1, 0, 0},
    {"button 0", 0, 0, 0, 0, 0, 0xFFFFFFFF, 0, 0x80, Bit(PadButtonA)},
    {"button 7", 0, 0, 0, 0, 0, 0xFFFFFFFF, 7, 0x80, Bit(PadStart)},
    {"button 31", 0, 0, 0, 0, 0, 0xFFFFFFFF, 31, 0xFF, Bit(41)},
    {"button without the high bit", 0, 0, 0, 0, 0, 0xFFFFFFFF, 3, 0x7F, 0},
};

struct HatCase {
    u32 pov;
    u8 quarters;
};

// A diagonal lies in both quarters; 300 degrees is Left only.
inline const HatCase hatcases[] = {
    {0xFFFFFFFF, 0},
    {0x0000FFFF, 0},
    {0x1234FFFF, 0},
    {0, HatUp},
    {4500, HatUp | HatRight},
    {9000, HatRight},
    {13500, HatRight | HatDown},
    {18000, HatDown},
    {22500, HatDown | HatLeft},
    {27000, HatLeft},
    {30000, HatLeft},
    {31500, HatUp | HatLeft},
    {35999, HatUp},
};

inline DPadState MakeDState(const DCase& c)
{
    DPadState state{};
    state.x = c.x;
    state.y = c.y;
    state.z = c.z;
    state.rx = c.rx;
    state.ry = c.ry;
    state.pov = c.pov;
    if (c.button >= 0)
        state.buttons[c.button] = c.buttonByte;
    return state;
}

// The active inputs of a read, as a mask.
inline u64 ActiveMask(const u8 active[padInputCount])
{
    u64 mask = 0;
    for (int n = 0; n < padInputCount; ++n)
        if (active[n])
            mask |= Bit(n);
    return mask;
}

} // namespace padcases
