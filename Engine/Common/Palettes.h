// Palettes: arrays of 32-bit colours (0xFFRRGGBB) that the blitters map palette indices through.
// They are never shared by name; each loader allocates its own. They live in a slot table with use
// counts: a new record takes the first free entry, else the table grows by exactly one.
#pragma once
#include "Engine/Common/Types.h"
#include "Engine/Render/DrawState.h"

struct Palette {
    u32 useCount; // 1 at creation
    u32 slot;     // index in paletteSlots
    u32* colours; // 0xFFRRGGBB
    u8* rgb;      // the same colours as red, green, blue bytes
};

extern Palette** paletteSlots;
extern u32 paletteSlotCount;

// The palette in use for drawing is currentPalette with currentPaletteRgb (the draw state).
// Loaders that fill a palette make it current first. When the current palette is freed, both point
// at 256 entries of opaque black instead.

// A new palette of count colours, or null when the table or the colours cannot be allocated. Room
// is made for at least 256 colours, zeroed, so any 8-bit index stays inside the block.
Palette* AllocPalette(u32 count);

// Makes the palette current (null leaves the current palette as it is).
void SetCurrentPalette(const Palette* palette);

// Sets colour index of the current palette from red, green and blue.
void SetCurrentPaletteColour(u32 index, u8 red, u8 green, u8 blue);

// Drops one use: at the last one the colours and the record are freed and the slot cleared.
void ReleasePalette(Palette* palette);

// Shutdown: frees every palette left and the table.
void FreePaletteSlots();
