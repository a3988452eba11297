// The input-configuration menu behind "Controls" of the pause menu and the title main menu. It
// slides in from the right over the menu that opened it, lists player 1's bindings of nine actions
// by key or pad button (whichever device was used last), rebinds them (a code already bound to
// another action is swapped onto it), edits the grapple options, and on leaving slides out, hands
// the options to player 1 and writes "config.bfc".
#pragma once
#include "Engine/Common/ObjectType.h"

struct InputConfigMenuRecord {
    ObjectHeader* header; // the menu is centred on its position
    f32 targetX, targetY; // where the header glides to
    i16 cursor;           // row under the cursor
    u8 padMode;           // 1: pad bindings are shown and edited; 0: keys
    i16 rebindRow;        // row waiting for a new code, -1 when none
    u8 closing;           // 1 once leaving
    u32 pauseMenuIndex;   // the PauseMenu instance to hand back to
};

extern ObjectType InputConfigMenu;
extern InputConfigMenuRecord** inputConfigMenuInstances;

void InputConfigMenuLoad(const char* placementPath);
void InputConfigMenuUnload();
void InputConfigMenuInit(void* instance);
void InputConfigMenuUpdate(void* instance);
void InputConfigMenuDraw(void* instance);

// The rows of the current layout: the binding rows (7, or 9 with the line adjustment split) and
// the last row (fewer without advanced settings).
i32 InputConfigBindingRows();
i32 InputConfigLastRow();
// The binding slot a binding row edits.
int InputConfigRowSlot(i32 row);
