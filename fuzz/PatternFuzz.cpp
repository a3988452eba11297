// Tile pattern files (".tpl") from arbitrary bytes, read beside a layout's tile sheet: the pattern
// a sheet keeps must hold exactly its width x height entries (the identity 32 x 32 when the file is
// short), and freeing the layout must give it back. The first byte picks the sheet's image (none,
// whose entries are remapped for size code 0, or one of an unsupported size, whose are kept) and
// its palette-select flag. No pick cuts tiles: a sheet with a usable image takes a megabyte of
// records, which the layout target covers, and would make each run here many times slower.
#include <cstdlib>

#include "Engine/Common/Layout.h"
#include "Engine/Platform/Headless/Headless.h"
#include "fuzz/FuzzMemory.h"
#include "tools/datakit/Bytes.h"
#include "tools/datakit/LayoutWriter.h"
#include "tools/datakit/TgaWriter.h"

namespace {

// A layout per pick: its one sheet names "Tall.tga" (3072 rows: size code 3, not supported) or
// "None.tga" (no image), as a plain or a palette-select sheet.
void SetUpOnce()
{
    static bool ready = false;
    if (ready)
        return;
    ready = true;
    datakit::TgaImage tall;
    tall.width = 1;
    tall.height = 3072;
    tall.pixels.assign(3072, 1);
    tall.colours.assign(2, datakit::Rgb{1, 2, 3});
    ServeFuzzCompanion("Data/P/Tall.tga", datakit::MakeTga(tall));
    const char* const names[] = {"Tall.tga", "None.tga"};
    for (u32 pick = 0; pick < 4; ++pick) {
        datakit::LayoutFile layout;
        layout.sheets = {{(u8)(pick & 1), names[pick / 2]}};
        datakit::LayoutLayer layer = datakit::MakeLayoutLayer(0, 2, 2);
        layer.cells = {1, 0x1002, 0x2003, 0xF004};
        layout.layers = {layer};
        const std::string path = "Data/P/layout" + std::to_string(pick) + ".bin";
        ServeFuzzCompanion(path.c_str(), datakit::MakeLayout(layout));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    if (size < 1)
        return 0;
    SetUpOnce();
    const u32 pick = data[0] % 4;
    const char* const patterns[] = {"Data/P/Tall.tpl", "Data/P/None.tpl"};
    for (const char* path : patterns)
        ServeFuzzFile(path, data + 1, size - 1);
    const std::string layoutPath = "Data/P/layout" + std::to_string(pick) + ".bin";
    const i32 slot = LoadLayout(layoutPath.c_str());
    const Layout* layout = LayoutInSlot(slot);
    if (!layout || layout->tileSheetCount != 1 || !layout->tileSheets[0])
        abort();
    const TileSheet* sheet = layout->tileSheets[0];
    if (sheet->pattern) {
        // Every entry is readable: the sanitizer sees a table shorter than its grid.
        volatile u32 sum = 0;
        for (u32 i = 0; i < (u32)sheet->patternWidth * sheet->patternHeight; ++i)
            sum = sum + sheet->pattern[i];
        const u32 grid = (u32)(data[1 % size] << 8 | data[2 % size]) * (u32)(data[3 % size] << 8 | data[4 % size]);
        const bool whole = size >= 5 && 4 + 2 * (u64)grid <= size - 1;
        if (!whole && (sheet->patternWidth != 32 || sheet->patternHeight != 32))
            abort();
    }
    FreeLayout(slot);
    if (LayoutInSlot(slot) || (tileSheetSlots && tileSheetSlots[0]))
        abort();
    headless::ClearShownBoxes();
    return 0;
}
