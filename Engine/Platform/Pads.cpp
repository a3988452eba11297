#include "Engine/Platform/Pads.h"

#include <cstring>

#include "Engine/Platform/Input.h"

namespace {

// What this poll read, per pad number: the combined active inputs and how many leading inputs
// a source owns (0: the pad was not read and keeps its slots).
u8 padActive[padCount][padInputCount];
u8 padInputsRead[padCount];

void MarkRead(int pad, u8 inputs)
{
    if (padInputsRead[pad] < inputs)
        padInputsRead[pad] = inputs;
}

bool StickAtLeast(i32 value) { return value >= xpadStickThreshold; }
bool StickAtMost(i32 value) { return value <= -xpadStickThreshold; }

void PollDirectInputPads()
{
    int count = DirectPadCount();
    if (count > padCount)
        count = padCount;
    int first = XInputPadsExcluded();
    if (first < 0)
        first = 0;
    for (int i = 0; i < count; ++i) {
        DPadState state{};
        const DirectPadRead read = PollDirectPad(i, &state);
        if (read == DirectPadStop)
            return; // the pads after it are read next tick
        if (read != DirectPadOk)
            continue;
        const int pad = first + i;
        if (pad >= padCount)
            continue;
        DPadInputs(state, padActive[pad]);
        MarkRead(pad, dpadInputCount);
    }
}

void PollXInputPads()
{
    for (int user = 0; user < xpadUserCount; ++user) {
        XPadState state{};
        if (!PollXPad(user, &state))
            continue; // no pad: its slots stay as they are
        XPadInputs(state, padActive[user]);
        MarkRead(user, xpadInputCount);
    }
}

} // namespace

u8 HatQuarters(u32 pov)
{
    if ((pov & 0xFFFF) == 0xFFFF)
        return 0;
    // Turned by 45 degrees, each quarter is a 90-degree range with shared edges at the diagonals.
    const u32 h = (pov + 4500) % 36000;
    u8 quarters = 0;
    if (h <= 9000)
        quarters |= HatUp;
    if (h >= 9000 && h <= 18000)
        quarters |= HatRight;
    if (h >= 18000 && h <= 27000)
        quarters |= HatDown;
    if (h >= 27000 || h == 0)
        quarters |= HatLeft;
    return quarters;
}

void XPadInputs(const XPadState& state, u8 active[padInputCount])
{
    const u16 b = state.buttons;
    const bool inputs[xpadInputCount] = {
        StickAtLeast(state.thumbLY) || (b & XPadDpadUp),
        StickAtMost(state.thumbLY) || (b & XPadDpadDown),
        StickAtMost(state.thumbLX) || (b & XPadDpadLeft),
        StickAtLeast(state.thumbLX) || (b & XPadDpadRight),
        StickAtLeast(state.thumbRY),
        StickAtMost(state.thumbRY),
        StickAtMost(state.thumbRX),
        StickAtLeast(state.thumbRX),
        state.leftTrigger != 0,
        state.rightTrigger != 0,
        (b & XPadA) != 0,
        (b & XPadB) != 0,
        (b & XPadX) != 0,
        (b & XPadY) != 0,
        (b & XPadLeftShoulder) != 0,
        (b & XPadRightShoulder) != 0,
        (b & XPadBack) != 0,
        (b & XPadStart) != 0,
        (b & XPadLeftThumb) != 0,
        (b & XPadRightThumb) != 0,
    };
    for (int n = 0; n < xpadInputCount; ++n)
        active[n] |= inputs[n] ? 1 : 0;
}

void DPadInputs(const DPadState& state, u8 active[padInputCount])
{
    const u8 hat = HatQuarters(state.pov);
    const bool inputs[10] = {
        state.y < -dpadAxisThreshold || (hat & HatUp),
        state.y > dpadAxisThreshold || (hat & HatDown),
        state.x < -dpadAxisThreshold || (hat & HatLeft),
        state.x > dpadAxisThreshold || (hat & HatRight),
        state.ry < -dpadAxisThreshold,
        state.ry > dpadAxisThreshold,
        state.rx < -dpadAxisThreshold,
        state.rx > dpadAxisThreshold,
        state.z > dpadAxisThreshold,
        state.z < -dpadAxisThreshold,
    };
    for (int n = 0; n < 10; ++n)
        active[n] |= inputs[n] ? 1 : 0;
    for (int button = 0; button < 32; ++button)
        active[10 + button] |= (state.buttons[button] & 0x80) ? 1 : 0;
}

void PollPads()
{
    if (!buttonStates)
        return;
    memset(padActive, 0, sizeof(padActive));
    memset(padInputsRead, 0, sizeof(padInputsRead));
    PollDirectInputPads();
    PollXInputPads();
    for (int pad = 0; pad < padCount; ++pad) {
        for (int n = 0; n < padInputsRead[pad]; ++n)
            UpdateButtonSlot(PadSlot(pad, n), padActive[pad][n] != 0);
    }
}
