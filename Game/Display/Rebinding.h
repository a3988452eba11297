// What the two input menus share when a row is rebound: which input pressed this tick may become a
// binding, and the swap that keeps every action bound.
#pragma once
#include "Engine/Common/Types.h"

// The code pressed this tick that a row may take, or -1 while none qualifies. Keyboard: scan codes
// 12-52 but Enter, then Space, Control, Alt, Shift and the arrows (the last pressed one wins). Pad
// (padMode set): buttons 128-146, refusing the unnamed D-pad codes, Select, Start and the sticks.
int PressedBindingCode(u8 padMode);

// Gives `slot` of `bindings` the code; an action that held the code gets the slot's old one. Start
// and Select are left alone: their codes may also serve an action.
void SwapBinding(u8* bindings, int slot, u8 code);
