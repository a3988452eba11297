// The engine's dev menu, its font, and the freeze of the game thread that shows it.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/Types.h"

// devMenuOpen freezes the picture (Insert single-steps, Home resumes); with devMenuVisible as
// well the dev menu shows over the frozen frame and Escape closes it. Nothing in the game opens
// either; tests and tools do.
extern u8 devMenuOpen;
extern u8 devMenuVisible;

// "Data/PVDebug/DevFont.man": palette 1 ordinary text, palette 2 the row under the cursor. The two
// further players (animations 1 and 0) serve the debug readouts of gameplay objects.
extern BitmapFont devFont;
extern AnimPlayer devFontNumbers; // animation 1
extern AnimPlayer devFontCodes;   // animation 0

// Pages: 0 main, 1 stage groups, 2 the stages of the chosen group, 3 "Game Configuration",
// 4 "Debug Configuration".
extern u16 devMenuPage;
extern i16 devMenuCursor;
extern u8 devMenuGroup;
extern u8 devMenuLastRow;

// Called when F is pressed while the dev menu shows; the game puts its placement-mode switch here.
extern void (*devMenuEditorToggle)();

// Loads the dev font once at game-thread set-up; the shell frees it at shutdown. Without the file
// the font stays not ready and the menu works blind.
void LoadDevFont();
void FreeDevFont();

// Leaves the menu: both flags, page and cursor cleared.
void CloseDevMenu();

// Draws the menu and serves its keys, once a frozen tick while devMenuVisible is set.
void RunDevMenu();
