// The layer drawers over layer data that no loader has checked: any wrap lengths, repeat counts,
// cell entries, scroll values and camera bounds, with a tile sheet of few records. Every drawer and
// opaque twin in every screen size, and the palette-select drawer, must stay inside the map, the
// sheet, the shared palette and the frame. The first byte picks the screen and the drawer: one
// whole-screen draw an input keeps the runs quick.
#include <cstdlib>
#include <cstring>

#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Render/LayerDraw.h"
#include "Engine/Render/VideoMode.h"
#include "fuzz/FuzzScreens.h"

namespace {

struct Bytes {
    const u8* data;
    size_t size, position;
    u8 Byte() { return position < size ? data[position++] : 0; }
    u16 U16() { return (u16)(Byte() << 8 | Byte()); }
    u32 U32() { return (u32)U16() << 16 | U16(); }
};

bool ready;
constexpr u32 records = 20;
u8 pixels[records * 256];
TileRecord tiles[records];
u32 colours[256];
Palette palette{1, 0, colours, nullptr};
u32 shared[64];
Palette sharedRecord{1, 0, shared, nullptr};
TileSheet sheet;
TileSheet* sheets[1] = {&sheet};
u8 flags[1];
Layout layout;

void SetUpOnce()
{
    if (ready)
        return;
    ready = true;
    FuzzScreens();
    for (u32 t = 0; t < records; ++t) {
        tiles[t].pixels = pixels + t * 256;
        for (u32 p = 0; p < 256; ++p)
            pixels[t * 256 + p] = (u8)((t % 3 == 0) ? (t * 31 + p) % 256 : (t * 7 + p * 13) % 256);
        tiles[t].opaque = t % 3 == 0 ? 0 : 1; // deliberately wrong for some: the drawers must not care
    }
    sheet.useCount = 1;
    sheet.recordCount = records;
    sheet.tiles = tiles;
    sheet.palette = &palette;
    layout.tileSheetCount = 1;
    layout.tileSheets = sheets;
    layout.paletteSelect = flags;
    sharedPalette = &sharedRecord;
    sharedPaletteCount = 64;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    SetUpOnce();
    Bytes in{data, size, 0};
    const u8 pick = in.Byte();
    const u8 mode = in.Byte() % 7;
    const i32 width = in.Byte() % 48, height = in.Byte() % 40;
    TileLayer layer;
    if (!CreateLayer(&layer, mode, width, height))
        return 0;
    const size_t cells = (size_t)width * height;
    for (size_t i = 0; i < cells; ++i)
        layer.map[i] = in.U16();
    const u32 entries = LayerScrollEntryCount(mode, width, height);
    for (u32 e = 0; e < entries; ++e) {
        layer.wrapLengths[e] = in.U32();
        layer.scrollOffsets[e] = (i32)in.U32();
    }
    layer.scrollCount = in.U32();
    layer.cellCount = (i32)in.U32();
    layer.layerScroll = (i32)in.U32();
    scrollX = (i32)in.U32();
    scrollY = (i32)in.U32();
    CameraLimits& limits = cameraLimits[0];
    limits.leftBound = (i32)in.U32();
    limits.rightBound = (i32)in.U32();
    limits.topBound = (i32)in.U32();
    limits.bottomBound = (i32)in.U32();
    sharedPaletteCount = in.Byte() % 65;
    currentLayout = &layout;
    UseFuzzScreen(pick % 3);
    const u32 drawer = pick / 3 % 14;
    if (drawer < 6) {
        rendererSlots.DrawLayer[drawer](&layer);
    } else if (drawer < 12) {
        rendererSlots.DrawLayerOpaque[drawer - 6](&layer);
    } else if (drawer == 12) {
        flags[0] = 1;
        DrawTileLayer(&layer);
        flags[0] = 0;
    } else {
        DrawLayerCameraPaletted(&layer, 0, &layout);
    }
    currentLayout = nullptr;
    FreeLayer(&layer);
    return 0;
}
