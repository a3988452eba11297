#include "Engine/Platform/Input.h"

#include "Engine/Platform/Platform.h"

u8* buttonStates;
u16 buttonStatesSize;
std::atomic<u8> wheelForward, wheelBackward;

void UpdateButtonSlot(int slot, bool active)
{
    u8* pressed = buttonStates + PlanePressed * buttonSlotCount + slot;
    u8* held = buttonStates + PlaneHeld * buttonSlotCount + slot;
    u8* repeat = buttonStates + PlaneRepeat * buttonSlotCount + slot;
    u8* countdown = buttonStates + PlaneCountdown * buttonSlotCount + slot;
    if (!active) {
        *pressed = *held = *repeat = 0;
    } else if (!*held) {
        *pressed = *held = *repeat = 1;
        *countdown = 30;
    } else {
        *pressed = 0;
        if (--*countdown == 0) {
            *repeat = 1;
            *countdown = 7;
        } else {
            *repeat = 0;
        }
    }
}

void PollKeyboard()
{
    if (!buttonStates)
        return;
    u8 active[128] = {};
    PollKeys(active);
    for (int slot = 0; slot < 126; ++slot)
        UpdateButtonSlot(slot, active[slot] != 0);
    UpdateButtonSlot(126, wheelForward.exchange(0) != 0);
    UpdateButtonSlot(127, wheelBackward.exchange(0) != 0);
}
