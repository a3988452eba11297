#include "Game/Display/KeyNames.h"

#include <cstdio>

#include "Engine/Common/BitmapFont.h"
#include "Game/Display/InputConfigMenu.h"

namespace {

constexpr u8 firstPadCode = 128;

// Pad codes 128-147; the four without a button are null.
const char* const padNames[20] = {
    "D-Up", "D-Down", "D-Left", "D-Right", nullptr, nullptr, nullptr, nullptr, "LTrigger", "RTrigger",
    "Btn. A", "Btn. B", "Btn. X", "Btn. Y", "LBumper", "RBumper", "Select", "Start", "LStick", "RStick",
};

struct KeyName {
    u8 code;
    const char* name;
};
const KeyName keyNames[] = {
    {16, "Q"}, {17, "W"}, {18, "E"}, {19, "R"}, {20, "T"}, {21, "Y"}, {22, "U"}, {23, "I"}, {24, "O"},
    {25, "P"}, {30, "A"}, {31, "S"}, {32, "D"}, {33, "F"}, {34, "G"}, {35, "H"}, {36, "J"}, {37, "K"},
    {38, "L"}, {44, "Z"}, {45, "X"}, {46, "C"}, {47, "V"}, {48, "B"}, {49, "N"}, {50, "M"},
    {29, "Control"}, {42, "Shift"}, {56, "Alt"}, {57, "Space"}, {72, "Up"}, {75, "Left"}, {77, "Right"},
    {80, "Down"},
};

} // namespace

const char* BindingCodeName(u8 code, u8 padMode, char* buffer, size_t size)
{
    if (padMode) {
        if (code >= firstPadCode && code - firstPadCode < 20 && padNames[code - firstPadCode])
            return padNames[code - firstPadCode];
    } else {
        for (const KeyName& key : keyNames)
            if (key.code == code)
                return key.name;
    }
    snprintf(buffer, size, "Key %d", code);
    return buffer;
}

void DrawBindingRowName(i32 row, i32 cursor, i32 rebindRow, u8 padMode, u8 code, f32 x, f32 y,
                        u8 worldPosition)
{
    char buffer[16];
    const char* text = row == rebindRow ? "[-----]" : BindingCodeName(code, padMode, buffer, sizeof(buffer));
    DrawFontString(text, &menuFont, x, y, alignLeft, row == cursor ? 1 : 0, worldPosition);
}

void GetBindingName(const InputConfigMenuRecord* menu, i32 row, u8 code, i32 x, i32 y)
{
    DrawBindingRowName(row, menu->cursor, menu->rebindRow, menu->padMode, code, (f32)(x + 106), (f32)y, 0);
}
