// Stage layouts ("layout1.bin"): tile layers with their maps and scroll settings, and the tile
// sheets cut into 16x16 tile records with every flip precomputed. Kept in reference-counted slot
// tables like every other asset; game thread only.
#pragma once
#include "Engine/Common/Types.h"

struct Palette;
struct Sheet;

// One 16x16 tile. Blitters read only the first field.
struct TileRecord {
    u8* pixels; // 256 palette indices, 16 rows of 16; index 0 is transparent
    u8 opaque;  // 1 when none of the 256 pixels is 0
    u8 angle;   // surface angle, 256 steps a turn
};

struct TileSheet {
    u32 useCount; // always 1: a tile sheet belongs to one layout
    u32 slot;     // index in tileSheetSlots
    char name[512];
    u16 recordCount; // 4096 << sizeCode; 0 for a sheet whose size is not supported
    TileRecord* tiles;
    Palette* palette; // owned: holds the image's colour map
    Sheet* sheet;
    u16 patternWidth, patternHeight;
    u16* pattern; // patternWidth x patternHeight entries, remapped like map entries
    u8 sizeCode;  // image height >> 10: 0, 1 or 2
};

// Scroll modes of a tile layer.
enum : u8 {
    ScrollCamera = 0,         // moves with camera 0, repeats inside its bounds
    ScrollLayer = 1,          // one horizontal and one vertical scroll for the whole layer
    ScrollRows = 2,           // a horizontal scroll per tile row
    ScrollColumns = 3,        // a vertical scroll per tile column
    ScrollLines = 4,          // a horizontal scroll per pixel line
    ScrollPixelColumns = 5,   // a vertical scroll per pixel column
};

struct TileLayer {
    i32 width, height; // in tiles, 0 to 32767
    u16* map;          // (height + 1) x width + 1 entries, row-major; 0 is an empty cell
    i32 cellCount;     // the map offset at which the layer repeats on its vertical axis
    u8 scrollMode;     // 0-5; any other mode has no scroll arrays and is never drawn
    u8 visible;
    i32* rowStarts;    // height entries, row x width
    u32* wrapLengths;  // per scroll entry: after how many tiles that row or column repeats
    u32 scrollCount;   // after how many tiles the whole layer repeats on the other axis
    i32* scrollOffsets; // per scroll entry, pixels, written every frame
    i32 layerScroll;   // the scroll of the other axis, pixels
    u8* parallaxFactor; // per scroll entry; 64 moves with the camera
    u8 layerFactor;
    u16 depth;          // drawn among the objects of this depth (0-15)
    u8 tileSheetIndex;
    u16 reserved1, reserved2;
};

struct Layout {
    u32 useCount;
    char name[512]; // the path it was loaded from
    TileLayer* layers;
    u8 layerCount;
    u8 tileSheetCount; // 0 for file versions 2-4
    TileSheet** tileSheets; // null when the layout has no tile sheets
    u8* paletteSelect;      // one flag a tile sheet: non-zero keeps map entries whole
    Palette* selectPalette; // what its palette-select layers draw with; null when it has none
};

// Colours of a layout's selectPalette: a cell's offset (up to 15) moves the 256-entry window up.
constexpr u32 selectPaletteColours = 256 + 15;

// What one layout's layers may take in memory; a layer past it is kept empty. Fuzzing lowers it
// so that no input's load fills memory.
constexpr u64 defaultLayoutByteBudget = 64ull << 20;
extern u64 layoutByteBudget;

extern Layout** layoutSlots;
extern u16 layoutSlotCount;
extern TileSheet** tileSheetSlots;
extern u16 tileSheetSlotCount;
extern i32 currentLayoutSlot;
extern Layout* currentLayout;
extern TileSheet* currentTileSheet;

// Number of scroll entries (wrap lengths, offsets, factors) a layer of this mode and size has:
// 1 for modes 0 and 1, height for 2, width for 3, height x 16 for 4, width x 16 for 5, 0 otherwise.
u32 LayerScrollEntryCount(u8 scrollMode, i32 width, i32 height);

// Sets up a fresh layer: sizes (taken as signed 16-bit; negative sizes become 0), zero map with its
// spare row and cell, row starts, default scroll tables. False when memory ran out (the layer is
// then empty: no cells, no arrays).
bool CreateLayer(TileLayer* layer, u8 scrollMode, i32 width, i32 height);

// Copies one layer over another, reallocating the destination's arrays to the source's sizes.
bool CopyLayer(const TileLayer* source, TileLayer* destination);

// Frees a layer's arrays and clears it.
void FreeLayer(TileLayer* layer);

// Loads (or reuses) the layout at path and returns its slot, or -1 when the file cannot be opened.
// A new load sets every camera's bounds and targets from the layout's camera-locked layers. A
// layout with palette-select layers gets a selectPalette, the stage's colours (its first ordinary
// sheet's, else its first sheet's), and sharedPalette is pointed at it; freeing the layout clears
// sharedPalette again when it pointed there.
i32 LoadLayout(const char* path);

// Reads the body that follows the version byte, format 0-3 (file version 2-5), from the given
// bytes. The layout's name gives the folder its tile sheets are loaded from. Values the drawers and
// tile queries cannot use are brought into range here: negative layer sizes become 0, runs stop at
// the last cell, wrap lengths and repeat counts are kept between 1 and the layer's size, cells that
// name a tile past their sheet (or a sheet past the count) are emptied, except on a palette-select
// sheet that has no usable image: there the cells keep their entries (the collision bits), only
// the picture is missing. Bytes past the end read
// as 0.
void ReadLayoutBody(Layout* layout, u8 format, const u8* body, u32 size);

// Drops one use of the layout in a slot, freeing it at zero. A slot that holds nothing (-1 from a
// failed load, or past the table) is ignored.
void FreeLayout(i32 slot);

// Releases one tile sheet (its records, image, palette and pattern) and clears its slot.
void FreeTileSheet(TileSheet* tileSheet);

// The layout in a slot, or null for a slot that holds none (-1 included).
Layout* LayoutInSlot(i32 slot);

// The tile sheet a layer of a layout draws with: the layout's sheet at the layer's index, or null
// when the layout has no tile sheets. paletteSelect of that sheet, or 0 when there is none.
TileSheet* LayerTileSheet(const Layout* layout, const TileLayer* layer);
u8 LayerPaletteSelect(const Layout* layout, const TileLayer* layer);

// The tick's refresh: currentTileSheet from tile-sheet slot 0 and currentLayout from
// currentLayoutSlot, when the tile-sheet table exists.
void RefreshCurrentLayout();

// Shutdown: frees every layout still held (with its tile sheets) and both slot tables.
void FreeLayoutSlotTables();

// The remap of an ordinary sheet's map or pattern entry for size code 0-2: the two mirror bits
// move right above the base tile index, so the entry indexes the sheet's records directly.
constexpr u16 RemapTileEntry(u16 entry, u8 sizeCode)
{
    const u16 mask = (u16)((0x400u << sizeCode) - 1);
    return (u16)(((entry & 0x3000u) >> (2 - sizeCode)) | (entry & mask));
}
