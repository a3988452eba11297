// Player controls: each player's 24 binding slots, bound to one pad input and one key of the raw
// input table, mapped once a tick into held and pressed masks (bit b = binding slot b).
#pragma once
#include "Engine/Common/Types.h"

constexpr int playerCount = 4;
constexpr int bindingSlotCount = 24;

struct PlayerControls {
    u32 heldMask;
    u32 pressedMask;
    u8 padBinding[bindingSlotCount]; // raw-table slot of the pad input of each binding slot
    u8 keyBinding[bindingSlotCount]; // raw-table slot of the key of each binding slot
};

// Binding slots that the engine itself names.
enum : int {
    BindUp = 0,
    BindDown = 1,
    BindLeft = 2,
    BindRight = 3,
    BindJump = 4,
    BindAttack = 6,
    BindStart = 8,
    BindSelect = 9,
    BindLineIn = 10,
    BindLineOut = 11,
    BindGrapple = 13,
    BindAimUp = 20,
    BindAimDown = 21,
    BindAimLeft = 22,
    BindAimRight = 23,
};

// Bits 16-19 are bound by default but never set from the devices.
constexpr u32 unmappedBindingBits = 0x000F0000;

// Where a player's masks come from this tick. Any other value behaves as live.
enum : u32 {
    ControlLive = 0,      // the devices
    ControlRecord = 1,    // the devices, and written to the demo
    ControlUntouched = 2, // left as the game set them
    ControlPlayback = 3,  // read from the demo
};

extern PlayerControls playerControls[playerCount];
// Each player's masks as read from the devices this tick, whatever its control mode.
extern PlayerControls liveControls[playerCount];
extern u32 controlModes[playerCount];

// Once a tick, after the device polls: the raw table through each player's bindings into its masks.
void MapControls();

// Restores the default bindings of all four players; the game options are not touched.
void SetDefaultBindings();
