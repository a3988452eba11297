// The names of binding codes beside the rows of the input menus: keyboard codes are scan codes
// (0-127), pad codes are 128 + the pad button number.
#pragma once
#include <cstddef>

#include "Engine/Common/Types.h"

struct InputConfigMenuRecord;

// The name of a code: the pad table in pad mode, the key table otherwise; a code without a name
// is written into buffer as "Key %d".
const char* BindingCodeName(u8 code, u8 padMode, char* buffer, size_t size);

// A row's name in the menu font, left-aligned at (x, y): "[-----]" while the row waits for a new
// code, else the code's name; the highlight palette on the row under the cursor. worldPosition 0
// draws in screen coordinates.
void DrawBindingRowName(i32 row, i32 cursor, i32 rebindRow, u8 padMode, u8 code, f32 x, f32 y,
                        u8 worldPosition);

// The input-configuration menu's binding names: 106 pixels right of x, in screen coordinates.
void GetBindingName(const InputConfigMenuRecord* menu, i32 row, u8 code, i32 x, i32 y);
