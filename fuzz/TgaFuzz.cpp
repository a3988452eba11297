// TGA sheets from arbitrary bytes: loading with and without the colour map copy, and cut-outs of
// the result, must read and write only inside their buffers.
#include <cstdlib>

#include "Engine/Common/Palettes.h"
#include "Engine/Common/Sheets.h"
#include "Engine/Common/Tga.h"
#include "Engine/Platform/Headless/Headless.h"
#include "fuzz/FuzzMemory.h"

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    ServeFuzzFile("f.tga", data, size);
    Palette* palette = AllocPalette(256);
    SetCurrentPalette(palette);
    Sheet* sheet = LoadSheet("f.tga", 1);
    if (sheet) {
        const i32 w = sheet->width, h = sheet->height;
        const i32 rects[][4] = {{0, 0, 8, 8}, {w - 4, h - 4, 8, 8}, {-3, 2, 5, 5}, {w / 2, h / 2, 1, 1}};
        for (const auto& r : rects) {
            SpriteImage image{};
            image.width = (u16)r[2];
            image.height = (u16)r[3];
            CutSprite(sheet, &image, r[0], r[1]);
            free(image.pixels);
            free(image.rowStarts);
        }
        ReleaseSheet(sheet);
    }
    ReleasePalette(palette);
    headless::ClearShownBoxes();
    return 0;
}
