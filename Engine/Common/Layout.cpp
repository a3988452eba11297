#include "Engine/Common/Layout.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Engine/Common/AssetError.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/DataPack.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Sheets.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/LayerDraw.h"

// A run-length map of a few bytes can describe a layer of 32767 x 32767 cells; layers past this
// budget are kept empty rather than filling memory.
u64 layoutByteBudget = defaultLayoutByteBudget;
Layout** layoutSlots;
u16 layoutSlotCount;
TileSheet** tileSheetSlots;
u16 tileSheetSlotCount;
i32 currentLayoutSlot = -1;
Layout* currentLayout;
TileSheet* currentTileSheet;

u32 LayerScrollEntryCount(u8 scrollMode, i32 width, i32 height)
{
    if (width < 0)
        width = 0;
    if (height < 0)
        height = 0;
    switch (scrollMode) {
    case ScrollCamera:
    case ScrollLayer:
        return 1;
    case ScrollRows:
        return (u32)height;
    case ScrollColumns:
        return (u32)width;
    case ScrollLines:
        return (u32)height * 16;
    case ScrollPixelColumns:
        return (u32)width * 16;
    default:
        return 0;
    }
}

void FreeLayer(TileLayer* layer)
{
    free(layer->map);
    free(layer->rowStarts);
    free(layer->wrapLengths);
    free(layer->scrollOffsets);
    free(layer->parallaxFactor);
    memset(layer, 0, sizeof(*layer));
}

namespace {

// Allocates a layer's arrays for its mode and size; false (nothing allocated) when memory ran out.
bool AllocateLayerArrays(TileLayer* layer)
{
    const size_t cells = ((size_t)layer->height + 1) * (size_t)layer->width + 1;
    const u32 entries = LayerScrollEntryCount(layer->scrollMode, layer->width, layer->height);
    layer->map = (u16*)calloc(cells, sizeof(u16));
    layer->rowStarts = (i32*)malloc(sizeof(i32) * ((size_t)layer->height + 1));
    bool ok = layer->map && layer->rowStarts;
    if (entries) {
        layer->wrapLengths = (u32*)malloc(sizeof(u32) * entries);
        layer->scrollOffsets = (i32*)calloc(entries, sizeof(i32));
        layer->parallaxFactor = (u8*)malloc(entries);
        ok = ok && layer->wrapLengths && layer->scrollOffsets && layer->parallaxFactor;
    }
    if (!ok) {
        free(layer->map);
        free(layer->rowStarts);
        free(layer->wrapLengths);
        free(layer->scrollOffsets);
        free(layer->parallaxFactor);
        layer->map = nullptr;
        layer->rowStarts = nullptr;
        layer->wrapLengths = nullptr;
        layer->scrollOffsets = nullptr;
        layer->parallaxFactor = nullptr;
    }
    return ok;
}

} // namespace

bool CreateLayer(TileLayer* layer, u8 scrollMode, i32 width, i32 height)
{
    memset(layer, 0, sizeof(*layer));
    // Sizes are signed 16-bit values; a negative one leaves an empty layer that is never drawn.
    width = (i16)width;
    height = (i16)height;
    layer->scrollMode = scrollMode;
    layer->width = width < 0 ? 0 : width;
    layer->height = height < 0 ? 0 : height;
    layer->layerFactor = 64;
    if (!AllocateLayerArrays(layer)) {
        layer->width = layer->height = 0;
        AllocateLayerArrays(layer);
        return false;
    }
    layer->cellCount = layer->width * layer->height;
    for (i32 row = 0; row < layer->height; ++row)
        layer->rowStarts[row] = row * layer->width;
    layer->rowStarts[layer->height] = layer->height * layer->width;
    const u32 entries = LayerScrollEntryCount(scrollMode, layer->width, layer->height);
    const bool columns = scrollMode == ScrollColumns || scrollMode == ScrollPixelColumns;
    for (u32 i = 0; i < entries; ++i) {
        layer->wrapLengths[i] = (u32)(columns ? layer->height : layer->width);
        layer->parallaxFactor[i] = 64;
    }
    if (scrollMode <= ScrollPixelColumns)
        layer->scrollCount = (u32)(columns ? layer->width : layer->height);
    return true;
}

bool CopyLayer(const TileLayer* source, TileLayer* destination)
{
    TileLayer copy;
    memset(&copy, 0, sizeof(copy));
    copy.scrollMode = source->scrollMode;
    copy.width = source->width;
    copy.height = source->height;
    if (!AllocateLayerArrays(&copy))
        return false;
    const u32 entries = LayerScrollEntryCount(copy.scrollMode, copy.width, copy.height);
    if (source->map)
        memcpy(copy.map, source->map, sizeof(u16) * (size_t)copy.width * (size_t)copy.height);
    if (source->rowStarts)
        memcpy(copy.rowStarts, source->rowStarts, sizeof(i32) * ((size_t)copy.height + 1));
    if (entries && source->wrapLengths) {
        memcpy(copy.wrapLengths, source->wrapLengths, sizeof(u32) * entries);
        memcpy(copy.scrollOffsets, source->scrollOffsets, sizeof(i32) * entries);
        memcpy(copy.parallaxFactor, source->parallaxFactor, entries);
    }
    copy.cellCount = source->cellCount;
    copy.visible = source->visible;
    copy.depth = source->depth;
    copy.tileSheetIndex = source->tileSheetIndex;
    copy.scrollCount = source->scrollCount;
    copy.layerFactor = source->layerFactor;
    copy.layerScroll = source->layerScroll;
    // Fields the copy does not carry keep the destination's values.
    copy.reserved1 = destination->reserved1;
    copy.reserved2 = destination->reserved2;
    FreeLayer(destination);
    *destination = copy;
    return true;
}

Layout* LayoutInSlot(i32 slot)
{
    if (!layoutSlots || slot < 0 || slot >= (i32)layoutSlotCount)
        return nullptr;
    return layoutSlots[slot];
}

TileSheet* LayerTileSheet(const Layout* layout, const TileLayer* layer)
{
    if (!layout || !layout->tileSheets || layer->tileSheetIndex >= layout->tileSheetCount)
        return nullptr;
    return layout->tileSheets[layer->tileSheetIndex];
}

u8 LayerPaletteSelect(const Layout* layout, const TileLayer* layer)
{
    if (!layout || !layout->paletteSelect || layer->tileSheetIndex >= layout->tileSheetCount)
        return 0;
    return layout->paletteSelect[layer->tileSheetIndex];
}

void RefreshCurrentLayout()
{
    if (!tileSheetSlots)
        return;
    currentTileSheet = tileSheetSlotCount ? tileSheetSlots[0] : nullptr;
    currentLayout = LayoutInSlot(currentLayoutSlot);
}

// ---- loading --------------------------------------------------------------------------------------

namespace {

// The bytes of a layout file held in memory. Reads past the end yield 0, so a file cut short ends
// its maps with empty cells (a run count of 0 fills the rest) and its lists with nothing.
struct LayoutReader {
    const u8* data;
    u32 size;
    u32 position;
    bool pastEnd;

    u8 Byte()
    {
        if (position < size)
            return data[position++];
        pastEnd = true;
        return 0;
    }
    u16 Be16()
    {
        const u16 high = Byte();
        return (u16)(high << 8 | Byte());
    }
    u32 Be32()
    {
        const u32 high = Be16();
        return high << 16 | Be16();
    }
    // Steps over bytes that are not kept.
    void Skip(u64 count)
    {
        if (count > size - std::min(position, size)) {
            pastEnd = true;
            position = size;
        } else {
            position += (u32)count;
        }
    }
};

u64 LayerBytes(u8 scrollMode, i32 width, i32 height)
{
    const u64 cells = ((u64)height + 1) * (u64)width + 1;
    return cells * sizeof(u16) + ((u64)height + 1) * sizeof(i32) +
           (u64)LayerScrollEntryCount(scrollMode, width, height) * (sizeof(u32) + sizeof(i32) + 1);
}

// A slot of a growable pointer table: the first null entry, else the table grows by one. -1 when
// the table is full or cannot grow.
template <typename Record>
i32 TakeSlot(Record**& table, u16& count)
{
    for (u32 slot = 0; slot < count; ++slot)
        if (!table[slot])
            return (i32)slot;
    if (count == 0xFFFF)
        return -1;
    Record** grown = (Record**)realloc(table, sizeof(Record*) * ((size_t)count + 1));
    if (!grown)
        return -1;
    table = grown;
    table[count] = nullptr;
    return count++;
}

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

// The folder a layout's tile sheets are loaded from: its path without a drive letter, up to its
// last separator; "." when it has none.
void SheetFolder(const char* name, char* folder, size_t room)
{
    const char* start = (name[0] && name[1] == ':') ? name + 2 : name;
    const char* last = nullptr;
    for (const char* c = start; *c; ++c)
        if (IsSeparator(*c))
            last = c;
    if (!last) {
        snprintf(folder, room, ".");
        return;
    }
    snprintf(folder, room, "%.*s", (int)(last - start), start);
}

// A whole file through the file layer, or null when it cannot be opened or memory runs out.
u8* ReadWholeFile(const char* path, u32* size)
{
    if (!OpenAssetFile(path))
        return nullptr;
    *size = AssetFileSize();
    u8* data = (u8*)malloc(*size ? *size : 1);
    if (data)
        PackReadBytes(data, *size);
    CloseAssetFile();
    return data;
}

void IdentityPattern(TileSheet* tileSheet)
{
    tileSheet->pattern = (u16*)malloc(sizeof(u16) * 1024);
    if (!tileSheet->pattern)
        return;
    tileSheet->patternWidth = tileSheet->patternHeight = 32;
    for (u16 i = 0; i < 1024; ++i)
        tileSheet->pattern[i] = i;
}

bool SizeCodeSupported(const TileSheet* tileSheet)
{
    return tileSheet->sizeCode <= 2;
}

// The companion pattern file: the sheet's path with its last three characters replaced by "tpl".
// Without one the pattern is the 32 x 32 identity; a file shorter than its grid is not used.
void LoadPattern(TileSheet* tileSheet, const char* sheetPath, bool sizeSupported)
{
    char patternPath[1024];
    const size_t length = strlen(sheetPath);
    snprintf(patternPath, sizeof(patternPath), "%.*stpl", (int)(length >= 3 ? length - 3 : 0), sheetPath);
    u32 size = 0;
    u8* data = ReadWholeFile(patternPath, &size);
    if (!data) {
        IdentityPattern(tileSheet);
        return;
    }
    if (!sizeSupported)
        ReportAssetError("Bad Tilesheet Size Found...");
    LayoutReader reader{data, size, 0, false};
    const u16 width = reader.Be16(), height = reader.Be16();
    const u64 entries = (u64)width * height;
    if (reader.pastEnd || 4 + entries * 2 > size) {
        FormatDebugText("Pattern %s is shorter than its %u x %u grid", patternPath, width, height);
        free(data);
        IdentityPattern(tileSheet);
        return;
    }
    tileSheet->pattern = (u16*)malloc(sizeof(u16) * (entries ? entries : 1));
    if (tileSheet->pattern) {
        tileSheet->patternWidth = width;
        tileSheet->patternHeight = height;
        for (u64 i = 0; i < entries; ++i) {
            const u16 entry = reader.Be16();
            tileSheet->pattern[i] = sizeSupported ? RemapTileEntry(entry, tileSheet->sizeCode) : entry;
        }
    }
    free(data);
}

// Cuts the sheet image into tile records, four a base tile (as drawn, mirrored left-right,
// top-bottom, both), with their opaque flags and angles. Pixels outside the image (a missing
// image, or one smaller than its size code needs) are 0.
bool CutTiles(TileSheet* tileSheet, const Sheet* image, u8 paletteSelect)
{
    const u32 records = tileSheet->recordCount, baseTiles = records / 4;
    tileSheet->tiles = (TileRecord*)calloc(records, sizeof(TileRecord));
    u8* block = (u8*)calloc(records, 256);
    if (!tileSheet->tiles || !block) {
        free(tileSheet->tiles);
        free(block);
        tileSheet->tiles = nullptr;
        tileSheet->recordCount = 0;
        return false;
    }
    const u32 width = image && image->pixels ? image->width : 0;
    const u32 height = image && image->pixels ? image->height : 0;
    const u8* source = image ? image->pixels : nullptr;
    const u32 s = tileSheet->sizeCode;
    const bool hasAngles = height >= (512u << s) + (2u << s);
    for (u32 t = 0; t < baseTiles; ++t) {
        u8 pixels[256] = {};
        const u32 x0 = (t % 32) * 16, y0 = (t / 32) * 16;
        // A tile wholly outside the image stays empty (its pixel blocks are already 0).
        const bool inImage = x0 < width && y0 < height;
        bool opaque = inImage;
        for (u32 row = 0; inImage && row < 16; ++row)
            for (u32 column = 0; column < 16; ++column) {
                const u32 x = x0 + column, y = y0 + row;
                u8 index = (x < width && y < height) ? source[(size_t)y * width + x] : 0;
                if (index == 0)
                    opaque = false;
                if (paletteSelect == 1 && index)
                    index = 1;
                pixels[row * 16 + column] = index;
            }
        u8 angle = 0;
        if (hasAngles) {
            const size_t offset = (size_t)(512u << s) * 512 + t;
            if (offset < (size_t)width * height)
                angle = source[offset];
        }
        TileRecord* four[4] = {&tileSheet->tiles[t], &tileSheet->tiles[t + baseTiles],
                               &tileSheet->tiles[t + 2 * baseTiles], &tileSheet->tiles[t + 3 * baseTiles]};
        for (int k = 0; k < 4; ++k) {
            four[k]->pixels = block + (size_t)(t + k * baseTiles) * 256;
            four[k]->opaque = opaque ? 1 : 0;
        }
        for (u32 row = 0; inImage && row < 16; ++row)
            for (u32 column = 0; column < 16; ++column) {
                const u8 index = pixels[row * 16 + column];
                four[0]->pixels[row * 16 + column] = index;
                four[1]->pixels[row * 16 + 15 - column] = index;
                four[2]->pixels[(15 - row) * 16 + column] = index;
                four[3]->pixels[(15 - row) * 16 + 15 - column] = index;
            }
        if (paletteSelect == 1) {
            four[0]->angle = angle;
            four[1]->angle = (u8)(256 - angle);
            four[2]->angle = (u8)(128 - angle);
            four[3]->angle = (u8)(angle + 128);
        } else {
            for (TileRecord* record : four)
                record->angle = angle;
        }
    }
    return true;
}

// Builds tile sheet k of a version-5 layout: its image and palette, its tile records, its pattern.
TileSheet* BuildTileSheet(LayoutReader& reader, const char* folder, u8* paletteSelect)
{
    const i32 slot = TakeSlot(tileSheetSlots, tileSheetSlotCount);
    TileSheet* tileSheet = slot >= 0 ? (TileSheet*)calloc(1, sizeof(TileSheet)) : nullptr;
    // The sheet's bytes are read even when it cannot be kept, so the layers after it are read right.
    *paletteSelect = reader.Byte();
    const u8 nameLength = reader.Byte();
    char name[256];
    u32 length = 0;
    for (u32 i = 0; i + 1 < nameLength; ++i) {
        const u8 c = reader.Byte();
        if (c && length < sizeof(name) - 1)
            name[length++] = (char)c;
    }
    name[length] = 0;
    if (!tileSheet)
        return nullptr;
    tileSheetSlots[slot] = tileSheet;
    tileSheet->useCount = 1;
    tileSheet->slot = (u32)slot;
    snprintf(tileSheet->name, sizeof(tileSheet->name), "%s", name);

    char path[1024];
    snprintf(path, sizeof(path), "%s/%s", folder, name);
    tileSheet->palette = AllocPalette(256);
    SetCurrentPalette(tileSheet->palette);
    // Without a palette of its own the image's colours go nowhere, rather than into another's.
    tileSheet->sheet = LoadSheet(path, tileSheet->palette ? 1 : 0);
    const Sheet* image = tileSheet->sheet;
    // An image another layout loaded already takes a new reference without filling the palette:
    // its colours come from the colour map the sheet keeps.
    if (image && image->useCount > 1 && tileSheet->palette)
        for (u32 i = 0; i < 256; ++i)
            SetCurrentPaletteColour(i, image->colourMap[i][0], image->colourMap[i][1], image->colourMap[i][2]);

    const i32 sizeCode = image && image->pixels ? (i16)image->height >> 10 : 0;
    const bool supported = sizeCode >= 0 && sizeCode <= 2;
    tileSheet->sizeCode = (u8)(i8)sizeCode; // -32..31; only 0-2 are cut into tiles
    // Without an image there is nothing to cut: the sheet has no records, and the cells that name
    // it are emptied (on a palette-select sheet they keep their entries).
    if (supported && image && image->pixels) {
        tileSheet->recordCount = (u16)(4096u << sizeCode);
        CutTiles(tileSheet, image, *paletteSelect);
    }
    LoadPattern(tileSheet, path, supported);
    return tileSheet;
}

// Brings a layer's values into the ranges the drawers and tile queries index by; true when
// anything had to change.
bool BoundLayer(TileLayer* layer, const TileSheet* tileSheet, bool sheetKnown, u8 paletteSelect)
{
    bool changed = false;
    const u32 entries = LayerScrollEntryCount(layer->scrollMode, layer->width, layer->height);
    const bool columns = layer->scrollMode == ScrollColumns || layer->scrollMode == ScrollPixelColumns;
    const u32 entryLimit = (u32)(columns ? layer->height : layer->width);
    const u32 repeatLimit = (u32)(columns ? layer->width : layer->height);
    if (layer->scrollMode >= ScrollLayer && layer->scrollMode <= ScrollPixelColumns && entryLimit && repeatLimit) {
        for (u32 i = 0; i < entries; ++i) {
            const u32 wrap = layer->wrapLengths[i];
            if (wrap < 1 || wrap > entryLimit) {
                layer->wrapLengths[i] = wrap < 1 ? 1 : entryLimit;
                changed = true;
            }
        }
        if (layer->scrollCount < 1 || layer->scrollCount > repeatLimit) {
            layer->scrollCount = layer->scrollCount < 1 ? 1 : repeatLimit;
            changed = true;
        }
        layer->cellCount = columns ? layer->width * layer->height : (i32)layer->scrollCount * layer->width;
    }
    // A palette-select sheet whose image is missing or unusable has no records, but its cells still
    // carry the collision bits: every reader checks the record count before it looks at a tile.
    const bool pictureMissing = tileSheet && paletteSelect && !tileSheet->tiles;
    if (sheetKnown && !pictureMissing) {
        const u32 records = tileSheet ? tileSheet->recordCount : 0;
        const u16 indexMask = paletteSelect ? 0x0FFF : 0xFFFF;
        const size_t cells = (size_t)layer->width * layer->height;
        for (size_t i = 0; i < cells; ++i)
            if ((layer->map[i] & indexMask) >= records) {
                layer->map[i] = 0;
                changed = true;
            }
    }
    return changed;
}

// The map: plain entries (format 0) or runs of (count, value) that fill the cells row by row, a
// count of 0 filling the rest. Runs stop at the last cell. Cells of a layer that could not be
// allocated are read and dropped.
void ReadMap(LayoutReader& reader, u8 format, TileLayer* layer, u64 cells)
{
    u16* map = layer->width && layer->height ? layer->map : nullptr;
    if (format == 0) {
        if (!map) {
            reader.Skip(cells * 2);
            return;
        }
        for (u64 i = 0; i < cells; ++i)
            map[i] = reader.Be16();
        return;
    }
    // Every run covers at least one cell and a run read past the end (count 0) covers the rest,
    // so this ends after at most one run a four bytes of file.
    u64 filled = 0;
    while (filled < cells) {
        const u16 count = reader.Be16(), value = reader.Be16();
        const u64 run = count == 0 ? cells - filled : std::min<u64>(count, cells - filled);
        if (map && value)
            for (u64 i = 0; i < run; ++i)
                map[filled + i] = value;
        filled += run;
    }
}

// The colours palette-select layers draw with, for a layout that has such layers: the stage's
// palette (its first ordinary sheet's, else its first sheet's) and opaque black past its 256
// colours, where the largest offsets reach.
void BuildSelectPalette(Layout* layout)
{
    bool used = false;
    for (u32 i = 0; i < layout->layerCount; ++i)
        used = used || LayerPaletteSelect(layout, &layout->layers[i]) != 0;
    if (!used)
        return;
    const Palette* source = nullptr;
    for (u32 k = 0; k < layout->tileSheetCount && !source; ++k)
        if (!layout->paletteSelect[k] && layout->tileSheets[k])
            source = layout->tileSheets[k]->palette;
    for (u32 k = 0; k < layout->tileSheetCount && !source; ++k)
        if (layout->tileSheets[k])
            source = layout->tileSheets[k]->palette;
    Palette* palette = AllocPalette(selectPaletteColours);
    if (!palette)
        return;
    for (u32 i = 0; i < selectPaletteColours; ++i) {
        const bool known = source && i < 256;
        palette->colours[i] = known ? source->colours[i] : 0xFF000000u;
        for (u32 c = 0; c < 3; ++c)
            palette->rgb[i * 3 + c] = known ? source->rgb[i * 3 + c] : 0;
    }
    layout->selectPalette = palette;
}

// Points the palette-select drawer at the layout's colours, when it has any.
void ShareSelectPalette(const Layout* layout)
{
    if (!layout->selectPalette)
        return;
    sharedPalette = layout->selectPalette;
    sharedPaletteCount = selectPaletteColours;
}

} // namespace

void ReadLayoutBody(Layout* layout, u8 format, const u8* body, u32 size)
{
    LayoutReader reader{body, size, 0, false};
    char folder[600];
    SheetFolder(layout->name, folder, sizeof(folder));

    if (format == 3) {
        const u8 count = reader.Byte();
        if (count) {
            layout->tileSheets = (TileSheet**)calloc(count, sizeof(TileSheet*));
            layout->paletteSelect = (u8*)calloc(count, 1);
        }
        for (u32 k = 0; k < count; ++k) {
            u8 flag = 0;
            TileSheet* tileSheet = BuildTileSheet(reader, folder, &flag);
            if (layout->tileSheets && layout->paletteSelect) {
                layout->tileSheets[k] = tileSheet;
                layout->paletteSelect[k] = flag;
            } else if (tileSheet) {
                FreeTileSheet(tileSheet);
            }
        }
        if (layout->tileSheets && layout->paletteSelect) {
            layout->tileSheetCount = count;
        } else {
            free(layout->tileSheets);
            free(layout->paletteSelect);
            layout->tileSheets = nullptr;
            layout->paletteSelect = nullptr;
        }
    }

    u64 bytesUsed = 0;
    const u8 layerCount = reader.Byte();
    layout->layers = layerCount ? (TileLayer*)calloc(layerCount, sizeof(TileLayer)) : nullptr;
    if (!layout->layers)
        return;
    layout->layerCount = layerCount;
    for (u32 i = 0; i < layerCount; ++i) {
        TileLayer* layer = &layout->layers[i];
        const u8 mode = reader.Byte();
        const i32 width = std::max<i32>((i16)reader.Be32(), 0);
        const i32 height = std::max<i32>((i16)reader.Be32(), 0);
        // A layer past the memory budget, or one whose arrays cannot be allocated, is kept empty;
        // the file's payload still follows the declared sizes and is read past.
        const u64 bytes = LayerBytes(mode, width, height);
        bool kept = bytesUsed + bytes <= layoutByteBudget;
        if (kept) {
            kept = CreateLayer(layer, mode, width, height);
            bytesUsed += bytes;
        } else {
            CreateLayer(layer, mode, 0, 0);
            FormatDebugText("Layer %u of %s (%d x %d) is past the memory budget", i, layout->name, width, height);
        }
        const u32 entries = LayerScrollEntryCount(mode, width, height);
        // Camera-locked layers carry no payload, though they have one (unused) scroll entry.
        if (mode >= ScrollLayer && mode <= ScrollPixelColumns) {
            if (!kept)
                reader.Skip((u64)entries * 3);
            for (u32 e = 0; kept && e < entries; ++e) {
                layer->wrapLengths[e] = reader.Be16();
                layer->parallaxFactor[e] = reader.Byte();
            }
            const u16 repeat = reader.Be16();
            const u8 factor = reader.Byte();
            if (kept) {
                layer->scrollCount = repeat;
                layer->layerFactor = factor;
                const bool columns = mode == ScrollColumns || mode == ScrollPixelColumns;
                layer->cellCount = columns ? width * height : (i32)repeat * width;
            }
        }
        layer->reserved1 = reader.Be16();
        layer->depth = reader.Byte();
        ReadMap(reader, format, layer, (u64)width * height);
        if (format == 3)
            layer->tileSheetIndex = reader.Byte();

        bool sheetKnown = false;
        const TileSheet* tileSheet = nullptr;
        u8 flag = 0;
        if (layout->tileSheets) {
            sheetKnown = true;
            if (layer->tileSheetIndex >= layout->tileSheetCount) {
                // No such sheet: the layer keeps no cells (index 0 keeps lookups by index valid).
                FormatDebugText("Layer %u names tile sheet %u of %u", i, layer->tileSheetIndex, layout->tileSheetCount);
                if (layer->map)
                    memset(layer->map, 0, sizeof(u16) * (size_t)layer->width * layer->height);
                layer->tileSheetIndex = 0;
            } else {
                tileSheet = layout->tileSheets[layer->tileSheetIndex];
                flag = layout->paletteSelect[layer->tileSheetIndex];
            }
            if (tileSheet && flag == 0) {
                if (SizeCodeSupported(tileSheet)) {
                    const size_t cells = (size_t)layer->width * layer->height;
                    for (size_t c = 0; c < cells; ++c)
                        layer->map[c] = RemapTileEntry(layer->map[c], tileSheet->sizeCode);
                } else {
                    ReportAssetError("Unsupported Tilesheet Size: %d", (int)(i8)tileSheet->sizeCode);
                }
            }
        }
        if (BoundLayer(layer, tileSheet, sheetKnown, flag))
            FormatDebugText("Layer %u of %s brought into range", i, layout->name);
        if (format >= 2)
            layer->reserved2 = reader.Be16();
    }
    if (reader.pastEnd)
        FormatDebugText("%s ends before its last layer", layout->name);
}

i32 LoadLayout(const char* path)
{
    if (!path)
        return -1;
    if (!OpenAssetFile(path)) {
        FormatDebugText("Can't open %s", path);
        return -1;
    }
    scrollX = 0;
    scrollY = 0;
    // A restart of the current stage runs no unload: its old copy is dropped and the file read
    // afresh, so map cells changed by play come back as they were.
    const bool restarting = currentStage == previousStage;
    for (u32 slot = 0; slot < layoutSlotCount; ++slot) {
        Layout* existing = layoutSlots[slot];
        if (!existing || strcmp(existing->name, path) != 0)
            continue;
        if (stageSwitching && restarting) {
            FreeLayout((i32)slot);
            continue;
        }
        CloseAssetFile();
        if (!restarting)
            ++existing->useCount;
        ShareSelectPalette(existing);
        return (i32)slot;
    }

    const u32 size = AssetFileSize();
    u8* data = (u8*)malloc(size ? size : 1);
    if (data)
        PackReadBytes(data, size);
    CloseAssetFile();
    const i32 slot = data ? TakeSlot(layoutSlots, layoutSlotCount) : -1;
    Layout* layout = slot >= 0 ? (Layout*)calloc(1, sizeof(Layout)) : nullptr;
    if (!layout) {
        free(data);
        FormatDebugText("Can't load %s", path);
        return -1;
    }
    layoutSlots[slot] = layout;
    layout->useCount = 1;
    snprintf(layout->name, sizeof(layout->name), "%s", path);

    const u8 version = size >= 5 ? data[4] : 0;
    const bool magic = size >= 4 && memcmp(data, "SLEV", 4) == 0;
    if (magic && version >= 2 && version <= 5)
        ReadLayoutBody(layout, (u8)(version - 2), data + 5, size - 5);
    else
        ShowMessageBox("Unsupported layout file version", "Palvic Error", BoxOk);
    free(data);
    BuildSelectPalette(layout);
    ShareSelectPalette(layout);

    // Every camera's bounds span the largest camera-locked layer.
    for (CameraLimits& limits : cameraLimits) {
        limits.leftBound = limits.rightBound = limits.topBound = limits.bottomBound = 0;
        limits.leftTarget = limits.rightTarget = limits.topTarget = limits.bottomTarget = 0;
    }
    i32 widest = 0, tallest = 0;
    for (u32 i = 0; i < layout->layerCount; ++i) {
        const TileLayer& layer = layout->layers[i];
        if (layer.scrollMode != ScrollCamera)
            continue;
        if (layer.width * 16 > widest) {
            widest = layer.width * 16;
            for (CameraLimits& limits : cameraLimits)
                limits.rightBound = limits.rightTarget = limits.wrapWidth = widest;
        }
        if (layer.height * 16 > tallest) {
            tallest = layer.height * 16;
            for (CameraLimits& limits : cameraLimits)
                limits.bottomBound = limits.bottomTarget = limits.wrapHeight = tallest;
        }
    }
    FormatDebugText("Loaded %s - Slot: %2d  Use Count: %2d", path, slot, (int)layout->useCount);
    return slot;
}

void FreeTileSheet(TileSheet* tileSheet)
{
    if (!tileSheet)
        return;
    if (tileSheet->useCount)
        --tileSheet->useCount;
    // Every record's pixels live in one block that starts with record 0's.
    if (tileSheet->tiles)
        free(tileSheet->tiles[0].pixels);
    free(tileSheet->tiles);
    if (tileSheet->sheet)
        ReleaseSheet(tileSheet->sheet);
    if (tileSheet->palette)
        ReleasePalette(tileSheet->palette);
    free(tileSheet->pattern);
    if (tileSheetSlots && tileSheet->slot < tileSheetSlotCount && tileSheetSlots[tileSheet->slot] == tileSheet)
        tileSheetSlots[tileSheet->slot] = nullptr;
    if (currentTileSheet == tileSheet)
        currentTileSheet = nullptr;
    free(tileSheet);
}

namespace {

void DestroyLayout(i32 slot)
{
    Layout* layout = layoutSlots[slot];
    for (u32 i = 0; i < layout->layerCount; ++i)
        FreeLayer(&layout->layers[i]);
    free(layout->layers);
    for (u32 k = 0; k < layout->tileSheetCount; ++k)
        FreeTileSheet(layout->tileSheets[k]);
    free(layout->tileSheets);
    free(layout->paletteSelect);
    if (Palette* palette = layout->selectPalette) {
        if (sharedPalette == palette) {
            sharedPalette = nullptr;
            sharedPaletteCount = 0;
        }
        // The drawer leaves currentPalette at a cell's window inside these colours: point it at
        // their start, so that freeing them puts the fallback in its place.
        const uintptr_t first = (uintptr_t)palette->colours, at = (uintptr_t)currentPalette;
        if (at >= first && at < first + selectPaletteColours * sizeof(u32)) {
            currentPalette = palette->colours;
            currentPaletteRgb = palette->rgb;
        }
        ReleasePalette(palette);
    }
    if (currentLayout == layout)
        currentLayout = nullptr;
    free(layout);
    layoutSlots[slot] = nullptr;
}

} // namespace

void FreeLayout(i32 slot)
{
    Layout* layout = LayoutInSlot(slot);
    if (!layout)
        return;
    if (layout->useCount)
        --layout->useCount;
    if (layout->useCount == 0)
        DestroyLayout(slot);
}

void FreeLayoutSlotTables()
{
    for (u32 slot = 0; slot < layoutSlotCount; ++slot)
        if (layoutSlots[slot])
            DestroyLayout((i32)slot);
    for (u32 slot = 0; slot < tileSheetSlotCount; ++slot)
        if (tileSheetSlots[slot])
            FreeTileSheet(tileSheetSlots[slot]);
    free(layoutSlots);
    free(tileSheetSlots);
    layoutSlots = nullptr;
    tileSheetSlots = nullptr;
    layoutSlotCount = tileSheetSlotCount = 0;
    currentLayout = nullptr;
    currentTileSheet = nullptr;
}
