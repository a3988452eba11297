#include "Engine/Platform/Controls.h"

#include "Engine/Platform/Demo.h"
#include "Engine/Platform/Input.h"
#include "Engine/Platform/Pads.h"

PlayerControls playerControls[playerCount];
PlayerControls liveControls[playerCount];
u32 controlModes[playerCount];

namespace {

// Binding slots 0-15 and 20-23 come from the devices.
bool IsMappedSlot(int slot)
{
    return slot < 16 || slot >= 20;
}

// Default bindings 0-15 and 20-23: the pad input of each slot and the two keyboard layouts
// (players 1, 3 and 4 share the first). Bindings 16-19 take pad inputs 0-3 and no key.
struct DefaultBinding {
    u8 padInput;
    u8 firstKey;
    u8 secondKey;
};
constexpr DefaultBinding defaultBindings[bindingSlotCount] = {
    {PadUp, 72, 23},            // Up: Up arrow / I
    {PadDown, 80, 37},          // Down: Down arrow / K
    {PadLeft, 75, 36},          // Left: Left arrow / J
    {PadRight, 77, 38},         // Right: Right arrow / L
    {PadButtonA, 31, 49},       // Jump: S / N
    {PadButtonB, 32, 50},       // D / M
    {PadButtonX, 30, 48},       // Attack/Zip: A / B
    {PadButtonY, 16, 34},       // Q / G
    {PadStart, 28, 24},         // Start: Return / O
    {PadBack, 15, 25},          // Select: Tab / P
    {PadLeftTrigger, 42, 19},   // Line In: Shift / R
    {PadRightTrigger, 29, 20},  // Line Out: Control / T
    {PadLeftShoulder, 17, 21},  // W / Y
    {PadRightShoulder, 18, 22}, // Grapple: E / U
    {PadLeftThumb, 46, 26},     // C / left bracket
    {PadRightThumb, 47, 27},    // V / right bracket
    {PadUp, 0, 0},
    {PadDown, 0, 0},
    {PadLeft, 0, 0},
    {PadRight, 0, 0},
    {PadAimUp, 0, 0},
    {PadAimDown, 0, 0},
    {PadAimLeft, 0, 0},
    {PadAimRight, 0, 0},
};

// A binding of 0 binds nothing, whatever slot 0 holds.
u8 BoundState(int plane, int slot)
{
    return slot ? ButtonState(plane, slot) : 0;
}

} // namespace

void SetDefaultBindings()
{
    for (int p = 0; p < playerCount; ++p) {
        PlayerControls& controls = playerControls[p];
        for (int b = 0; b < bindingSlotCount; ++b) {
            const DefaultBinding& binding = defaultBindings[b];
            // A binding byte reaches slot 255 at most: pad 2 from input 12 on and all of pad 3 do not
            // fit, and bind nothing rather than wrap onto keyboard slots.
            const int padSlot = PadSlot(p, binding.padInput);
            controls.padBinding[b] = padSlot <= 255 ? (u8)padSlot : 0;
            controls.keyBinding[b] = p == 1 ? binding.secondKey : binding.firstKey;
        }
    }
}

void MapControls()
{
    for (int p = 0; p < playerCount; ++p) {
        PlayerControls& controls = playerControls[p];
        if (controlModes[p] == ControlPlayback && !DemoReadMasks(&controls.heldMask, &controls.pressedMask))
            controlModes[p] = ControlLive; // the demo has ended: the devices take over this tick

        u32 held = 0, pressed = 0;
        for (int b = 0; b < bindingSlotCount; ++b) {
            if (!IsMappedSlot(b))
                continue;
            const int pad = controls.padBinding[b], key = controls.keyBinding[b];
            if (BoundState(PlaneHeld, pad) | BoundState(PlaneHeld, key))
                held |= 1u << b;
            if (BoundState(PlanePressed, pad) | BoundState(PlanePressed, key))
                pressed |= 1u << b;
        }
        PlayerControls& live = liveControls[p];
        live.heldMask = (live.heldMask & unmappedBindingBits) | held;
        live.pressedMask = (live.pressedMask & unmappedBindingBits) | pressed;

        const u32 mode = controlModes[p];
        if (mode == ControlUntouched || mode == ControlPlayback)
            continue;
        controls.heldMask = (controls.heldMask & unmappedBindingBits) | held;
        controls.pressedMask = (controls.pressedMask & unmappedBindingBits) | pressed;
        if (mode == ControlRecord)
            DemoWriteMasks(controls.heldMask, controls.pressedMask);
    }
}
