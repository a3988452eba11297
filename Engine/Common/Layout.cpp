#include "Engine/Common/Layout.h"

#include <cstdlib>
#include <cstring>

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
