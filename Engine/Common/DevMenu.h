// The engine's dev menu and the freeze of the game thread that shows it.
#pragma once
#include "Engine/Common/Types.h"

// devMenuOpen freezes the picture (Insert single-steps, Home resumes); with devMenuVisible as
// well the dev menu shows over the frozen frame and Escape closes it. Nothing in the game opens
// either; tests and tools do.
extern u8 devMenuOpen;
extern u8 devMenuVisible;
