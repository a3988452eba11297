// Sprite animation sets used as fonts: every character is a frame, and the frame's image width is
// the character's advance. Menus, the HUD, readouts and the dev menu draw strings and numbers with
// them; longer texts with markup go through Braktext.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/Types.h"

struct BitmapFont {
    AnimSet set;
    AnimPlayer player; // on the animation whose frame c is character code c
    u8 hidden;         // set: nothing is drawn (the palette is still chosen)
    i8 spacing;        // added to every advance
    u8 ready;          // set once the set loaded and the player started
};

// The front-end menus' font, loaded by the game thread at start and freed by the shell at the end.
extern BitmapFont menuFont;

// Loads a font's set and, when it loaded, starts its player on animation 0 and makes it ready with
// the given spacing. A font whose set is missing stays not ready and draws nothing.
void LoadBitmapFont(BitmapFont* font, const char* path, i8 spacing);
// Frees the set and makes the font not ready.
void FreeBitmapFont(BitmapFont* font);

constexpr u8 alignLeft = 0, alignRight = 1, alignCentre = 2;

// Draws a zero-terminated byte string. Right alignment puts the start of the last character at x,
// centring shifts by half the advances of all characters but the last. palette indexes the set's
// palettes; worldPosition 0 takes x and y as screen coordinates, else as world coordinates.
void DrawFontString(const char* text, BitmapFont* font, f32 x, f32 y, u8 align, u8 palette, u8 worldPosition);

// Draws a decimal number at world coordinates with a player whose frames 0-9 are the digits. A
// value below 1 draws a single 0. Right alignment puts the start of the last digit at x. The
// player shows the frame it had before afterwards.
void DrawFontNumber(i32 value, AnimPlayer* player, f32 x, f32 y, u8 align);

// As DrawFontNumber with leading zeros up to at least `digits` digits, so a readout keeps its width
// as the value changes (a value below 1 draws that many zeros).
void DrawFontNumberPadded(i32 value, AnimPlayer* player, f32 x, f32 y, u8 align, u8 digits);

// Draws a number in upper-case hexadecimal, centred on x, with a player whose frames are indexed
// by character code ('0'-'9', 'A'-'F'). A value below 1 draws "0".
void DrawFontHexNumber(i32 value, AnimPlayer* player, f32 x, f32 y);
