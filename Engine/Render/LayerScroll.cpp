#include "Engine/Render/LayerScroll.h"

#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Platform/GameThread.h"

i32 parallaxX[256];
i32 parallaxY[256];
u8 layerScrollFrozen;

i32 ParallaxEntry(i32 p, u32 frame, u8 factor)
{
    // Unsigned products wrap like the 32-bit machine arithmetic the tables are defined by; the
    // signed shift then rounds toward minus infinity.
    if (factor == 0)
        return 0;
    if (factor <= 128)
        return (i32)((u32)p * factor) >> 6;
    const u32 rate = factor == 255 ? 128u : (u32)factor - 128;
    return (i32)(((u32)p + frame) * rate) >> 6;
}

void UpdateOneLayerScroll(TileLayer* layer)
{
    const u32 entries = LayerScrollEntryCount(layer->scrollMode, layer->width, layer->height);
    if (!entries || !layer->scrollOffsets || !layer->parallaxFactor)
        return;
    // Row modes take their entries from the horizontal table, column modes from the vertical one.
    const bool columns = layer->scrollMode == ScrollColumns || layer->scrollMode == ScrollPixelColumns;
    const i32* entryTable = columns ? parallaxY : parallaxX;
    const i32* layerTable = columns ? parallaxX : parallaxY;
    for (u32 i = 0; i < entries; ++i)
        layer->scrollOffsets[i] = entryTable[layer->parallaxFactor[i]];
    layer->layerScroll = layerTable[layer->layerFactor];
}

void UpdateLayerScroll()
{
    if (layerScrollFrozen)
        return;
    for (int factor = 0; factor < 256; ++factor) {
        parallaxX[factor] = ParallaxEntry(scrollX, frameCounter, (u8)factor);
        parallaxY[factor] = ParallaxEntry(scrollY, frameCounter, (u8)factor);
    }
    if (!currentLayout || !currentLayout->layers)
        return;
    for (u32 i = 0; i < currentLayout->layerCount; ++i) {
        TileLayer* layer = &currentLayout->layers[i];
        if (layer->visible)
            UpdateOneLayerScroll(layer);
    }
}
