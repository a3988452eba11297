#include "Game/Display/Rebinding.h"

#include "Engine/Platform/Input.h"

namespace {

constexpr int keyEnter = 28;
// Keys that can be bound beside scan codes 12-52: tested in this order, the last pressed one wins.
constexpr int extraKeys[8] = {57, 29, 56, 42, 72, 80, 75, 77};
// Slots a new code is swapped out of: every action but Start and Select.
constexpr int swappedSlots[12] = {0, 1, 2, 3, 4, 5, 6, 7, 10, 11, 12, 13};

bool Pressed(int slot)
{
    return ButtonState(PlanePressed, slot) != 0;
}

} // namespace

int PressedBindingCode(u8 padMode)
{
    int code = -1;
    if (padMode) {
        for (int slot = 128; slot <= 146; ++slot)
            if (Pressed(slot))
                code = slot;
        if ((code >= 132 && code <= 135) || code >= 144)
            return -1;
        return code;
    }
    for (int slot = 12; slot <= 52; ++slot)
        if (slot != keyEnter && Pressed(slot))
            code = slot;
    for (int key : extraKeys)
        if (Pressed(key))
            code = key;
    return code;
}

void SwapBinding(u8* bindings, int slot, u8 code)
{
    const u8 old = bindings[slot];
    for (int other : swappedSlots)
        if (bindings[other] == code)
            bindings[other] = old;
    bindings[slot] = code;
}
