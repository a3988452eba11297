// Pads on SDL: controllers of the XInput kind are read as XInput-class pads (user index 0-3), every
// other joystick as a DirectInput-class pad. SDL's joystick state belongs to the main thread, so the
// main thread snapshots every pad into a locked table that the game thread's pad calls read.
#pragma once

// Main thread, once, after SDL's joystick and game-controller subsystems are up: opens the pads
// present. The XInput-kind pads found now set the first DirectInput-class pad number.
void SdlInitPads();

// Main thread, every pass of its pump: opens pads plugged in since, lets go of pads unplugged,
// and snapshots the state of each pad.
void SdlPumpPads();

// Main thread: closes every pad and frees the table.
void SdlClosePads();
