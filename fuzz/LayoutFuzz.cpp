// "layout1.bin" from arbitrary bytes, loaded through the file layer and then drawn: every layer in
// every screen size, with the scroll values the layout gives. Nothing may read outside a map, a
// tile sheet or the frame, nor allocate past the layout's budget.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Shell.h"
#include "Engine/Render/LayerDraw.h"
#include "Engine/Render/LayerScroll.h"
#include "Engine/Render/VideoMode.h"
#include "tools/datakit/Bytes.h"
#include "tools/datakit/LayoutWriter.h"

namespace {

bool ready;
char folder[] = "/tmp/palvic-layout-fuzz-XXXXXX";
std::string layoutPath;
u32 shared[256];
Palette sharedRecord{1, 0, shared, nullptr};

void RemoveFolder()
{
    for (const char* name : {"layout1.bin", "Tiles.tga", "Masks.tga", "Tiles.tpl"})
        remove((std::string(folder) + "/" + name).c_str());
    rmdir(folder);
}

void SetUpOnce()
{
    if (ready)
        return;
    ready = true;
    if (!mkdtemp(folder) || !InitPlatform())
        abort();
    atexit(RemoveFolder);
    layoutPath = std::string(folder) + "/layout1.bin";
    // Tile sheets the fuzzed names can find beside the layout ("Tiles.tga" with a pattern, and
    // "Masks.tga"), small images so that each run stays quick: the tiles past them are empty.
    datakit::TgaImage image;
    image.width = 48;
    image.height = 40;
    for (u32 i = 0; i < 48u * 40u; ++i)
        image.pixels.push_back((u8)(i % 7 == 0 ? 0 : i % 251));
    image.colours.assign(256, datakit::Rgb{1, 2, 3});
    const std::string dir = std::string(folder) + "/";
    if (!datakit::WriteFile(dir + "Tiles.tga", datakit::MakeTga(image)) ||
        !datakit::WriteFile(dir + "Masks.tga", datakit::MakeTga(image)) ||
        !datakit::WriteFile(dir + "Tiles.tpl", datakit::MakeTilePattern(2, 2, {1, 0x1002, 0x2003, 0xF004})))
        abort();
    sharedPalette = &sharedRecord;
    sharedPaletteCount = 256;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    SetUpOnce();
    FILE* file = fopen(layoutPath.c_str(), "wb");
    if (!file)
        abort();
    fwrite(data, 1, size, file);
    fclose(file);

    const i32 slot = LoadLayout(layoutPath.c_str());
    Layout* layout = LayoutInSlot(slot);
    if (!layout)
        abort(); // the file exists: a slot must come back
    currentLayout = layout;
    const u8 sizes[] = {20, 24, 25};
    for (u8 mode : sizes) {
        SetVideoMode(mode);
        // The scroll comes from the first bytes, so the fuzzer steers it too.
        scrollX = size >= 9 ? (i32)(data[5] << 24 | data[6] << 16 | data[7] << 8 | data[8]) : 0;
        scrollY = size >= 13 ? (i32)(data[9] << 24 | data[10] << 16 | data[11] << 8 | data[12]) : 0;
        frameCounter = (u32)size * 977u;
        for (u32 i = 0; i < layout->layerCount; ++i)
            layout->layers[i].visible = 1;
        UpdateLayerScroll();
        for (u32 i = 0; i < layout->layerCount; ++i)
            DrawTileLayer(&layout->layers[i]);
    }
    FreeLayout(slot);
    if (LayoutInSlot(slot))
        abort();
    return 0;
}
