#include "Engine/Common/Palettes.h"

#include <cstdlib>

#include "Engine/Render/DrawState.h"

Palette** paletteSlots;
u32 paletteSlotCount;

namespace {

// What drawing falls back to when the current palette is freed: opaque black, so an index never
// reads freed colours.
u32 fallbackColours[256] = {};
u8 fallbackRgb[256 * 3] = {};

struct FallbackInit {
    FallbackInit()
    {
        for (u32& colour : fallbackColours)
            colour = 0xFF000000u;
    }
} fallbackInit;

constexpr u32 minimumColours = 256;

void FreeRecord(Palette* palette)
{
    if (palette->slot < paletteSlotCount && paletteSlots[palette->slot] == palette)
        paletteSlots[palette->slot] = nullptr;
    if (currentPalette == palette->colours) {
        currentPalette = fallbackColours;
        currentPaletteRgb = fallbackRgb;
    }
    free(palette->colours);
    free(palette->rgb);
    free(palette);
}

} // namespace

Palette* AllocPalette(u32 count)
{
    u32 slot = 0;
    while (slot < paletteSlotCount && paletteSlots[slot])
        ++slot;
    if (slot == paletteSlotCount) {
        Palette** grown = (Palette**)realloc(paletteSlots, sizeof(Palette*) * (paletteSlotCount + 1));
        if (!grown)
            return nullptr;
        paletteSlots = grown;
        paletteSlots[paletteSlotCount++] = nullptr;
    }
    const u32 room = count < minimumColours ? minimumColours : count;
    Palette* palette = (Palette*)calloc(1, sizeof(Palette));
    u32* colours = (u32*)calloc(room, sizeof(u32));
    u8* rgb = (u8*)calloc(room, 3);
    if (!palette || !colours || !rgb) {
        free(palette);
        free(colours);
        free(rgb);
        return nullptr;
    }
    palette->useCount = 1;
    palette->slot = slot;
    palette->colours = colours;
    palette->rgb = rgb;
    paletteSlots[slot] = palette;
    return palette;
}

void SetCurrentPalette(const Palette* palette)
{
    if (!palette)
        return;
    currentPalette = palette->colours;
    currentPaletteRgb = palette->rgb;
}

void SetCurrentPaletteColour(u32 index, u8 red, u8 green, u8 blue)
{
    // The fallback stays black.
    if (!currentPalette || currentPalette == fallbackColours)
        return;
    if (currentPaletteRgb) {
        currentPaletteRgb[index * 3] = red;
        currentPaletteRgb[index * 3 + 1] = green;
        currentPaletteRgb[index * 3 + 2] = blue;
    }
    currentPalette[index] = 0xFF000000u | (u32)red << 16 | (u32)green << 8 | blue;
}

void ReleasePalette(Palette* palette)
{
    if (!palette)
        return;
    const u32 uses = palette->useCount;
    if (uses)
        --palette->useCount;
    if (uses > 1)
        return;
    FreeRecord(palette);
}

void FreePaletteSlots()
{
    for (u32 i = 0; i < paletteSlotCount; ++i)
        if (paletteSlots[i])
            FreeRecord(paletteSlots[i]);
    free(paletteSlots);
    paletteSlots = nullptr;
    paletteSlotCount = 0;
}
