// "layout1.bin" from arbitrary bytes, loaded through the file layer and then drawn: a few layers
// in a screen size the last byte picks, with the scroll values the layout gives. Nothing may read
// outside a map, a tile sheet or the frame, nor allocate past the layout's budget (lowered here, so
// that no input's load fills memory and each run stays quick).
#include <cstdio>
#include <cstdlib>

#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Headless/Headless.h"
#include "Engine/Render/LayerDraw.h"
#include "Engine/Render/LayerScroll.h"
#include "Engine/Render/VideoMode.h"
#include "fuzz/FuzzMemory.h"
#include "fuzz/FuzzScreens.h"
#include "tools/datakit/Bytes.h"
#include "tools/datakit/LayoutWriter.h"

namespace {

bool ready;
const char* const layoutPath = "Data/L/layout1.bin";
u32 shared[256];
Palette sharedRecord{1, 0, shared, nullptr};

void SetUpOnce()
{
    if (ready)
        return;
    ready = true;
    FuzzScreens();
    layoutByteBudget = 64u << 10;
    // The tile sheet the fuzzed names can find beside the layout ("Tiles.tga", with a pattern), a
    // small image so that each run stays quick: the tiles past it are empty. "Masks.tga", which the
    // seeds name too, is missing on purpose: a sheet without an image is a path of its own, and
    // each sheet that has one costs a megabyte of records.
    datakit::TgaImage image;
    image.width = 48;
    image.height = 40;
    for (u32 i = 0; i < 48u * 40u; ++i)
        image.pixels.push_back((u8)(i % 7 == 0 ? 0 : i % 251));
    image.colours.assign(256, datakit::Rgb{1, 2, 3});
    ServeFuzzCompanion("Data/L/Tiles.tga", datakit::MakeTga(image));
    ServeFuzzCompanion("Data/L/Tiles.tpl", datakit::MakeTilePattern(2, 2, {1, 0x1002, 0x2003, 0xF004}));
    sharedPalette = &sharedRecord;
    sharedPaletteCount = 256;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    // Every tile sheet that finds its image is cut into 4096 records (1 MiB); a file may name 255.
    // Beyond two, more sheets only cost memory, so such inputs are passed over.
    if (size > 5 && data[4] == 5 && data[5] > 2)
        return 0;
    SetUpOnce();
    ServeFuzzFile(layoutPath, data, size);
    const i32 slot = LoadLayout(layoutPath);
    Layout* layout = LayoutInSlot(slot);
    if (!layout)
        abort(); // the file exists: a slot must come back
    currentLayout = layout;
    // The last byte picks the screen and the first of the (at most two) layers drawn.
    const u8 pick = size ? data[size - 1] : 0;
    UseFuzzScreen(pick % 3);
    // The scroll comes from the first bytes, so the fuzzer steers it too.
    scrollX = size >= 9 ? (i32)(data[5] << 24 | data[6] << 16 | data[7] << 8 | data[8]) : 0;
    scrollY = size >= 13 ? (i32)(data[9] << 24 | data[10] << 16 | data[11] << 8 | data[12]) : 0;
    frameCounter = (u32)size * 977u;
    for (u32 i = 0; i < layout->layerCount; ++i)
        layout->layers[i].visible = 1;
    UpdateLayerScroll();
    for (u32 k = 0; k < 2 && k < layout->layerCount; ++k)
        DrawTileLayer(&layout->layers[(pick / 3 + k) % layout->layerCount]);
    FreeLayout(slot);
    if (LayoutInSlot(slot))
        abort();
    headless::ClearShownBoxes();
    return 0;
}
