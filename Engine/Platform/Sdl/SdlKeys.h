// The keyboard as the game reads it: SDL key events from the main thread kept in a small shared
// table, read and cleared by the game thread's poll.
#pragma once
#include "Engine/Common/Types.h"

// The keyboard slot (set-1 scan code without the extended prefix) of an SDL scancode, or -1 for a
// key the game does not read.
int SdlKeySlot(int scancode);

// A key went down or up (main thread). Auto-repeat events are not passed in. A press stays latched
// until the next poll, so a key pressed and released between two polls still counts once.
void SdlKeyEvent(int scancode, bool down);

// Caps Lock's toggle state, reported in slot 125 (main thread).
void SdlSetCapsLock(bool on);

// Forgets every key (a fresh keyboard: start-up and tests).
void SdlResetKeys();
