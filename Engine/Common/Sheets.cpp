#include "Engine/Common/Sheets.h"

#include <cstdlib>
#include <cstring>

#include "Engine/Common/AssetError.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/Tga.h"

Sheet** sheetSlots;
u32 sheetSlotCount;

namespace {

void FreeRecord(Sheet* sheet)
{
    if (sheet->slot < sheetSlotCount && sheetSlots[sheet->slot] == sheet)
        sheetSlots[sheet->slot] = nullptr;
    free(sheet->pixels);
    free(sheet->name);
    free(sheet);
}

} // namespace

Sheet* LoadSheet(const char* path, u32 setPalette)
{
    for (u32 i = 0; i < sheetSlotCount; ++i) {
        Sheet* sheet = sheetSlots[i];
        if (sheet && sheet->name && strcmp(sheet->name, path) == 0) {
            ++sheet->useCount;
            FormatDebugText("Sheet %s duplicate - %d", path, (int)i);
            return sheet;
        }
    }

    u32 slot = 0;
    while (slot < sheetSlotCount && sheetSlots[slot])
        ++slot;
    if (slot == sheetSlotCount) {
        Sheet** grown = (Sheet**)realloc(sheetSlots, sizeof(Sheet*) * (sheetSlotCount + 1));
        if (!grown)
            return nullptr;
        sheetSlots = grown;
        sheetSlots[sheetSlotCount++] = nullptr;
    }
    Sheet* sheet = (Sheet*)calloc(1, sizeof(Sheet));
    if (!sheet)
        return nullptr;
    sheet->useCount = 1;
    sheet->slot = slot;
    sheetSlots[slot] = sheet;

    LoadTga(path, sheet, setPalette);

    const size_t length = strlen(path);
    sheet->name = (char*)malloc(length + 1);
    if (sheet->name)
        memcpy(sheet->name, path, length + 1);
    FormatDebugText("Sheet %s loaded - %d", path, (int)slot);
    return sheet;
}

void CutSprite(const Sheet* sheet, SpriteImage* image, i32 srcX, i32 srcY)
{
    const i32 w = image->width, h = image->height;
    image->pixels = (u8*)calloc((size_t)w * h + 1, 1);
    const i32 sheetW = sheet ? sheet->width : 0;
    const i32 sheetH = sheet ? sheet->height : 0;
    // i64 sums: a cut-out near the i32 limits must not overflow.
    const i64 right = (i64)srcX + w, bottom = (i64)srcY + h;
    if (srcX < 0 || srcY < 0 || right > sheetW || bottom > sheetH) {
        ReportAssetError("Sprite load attempted to read beyond the bounds of the loaded image\nImage - %d x %d\nLoad "
                         "Offsets - %d,%d-%lld,%lld\nSize - %d x %d",
                         sheetW, sheetH, srcX, srcY, (long long)right, (long long)bottom, w, h);
    }

    // Copy only where the rectangle overlaps the sheet's pixels; the rest stays 0.
    if (image->pixels && sheet && sheet->pixels) {
        const i64 x0 = srcX < 0 ? 0 : srcX, x1 = right < sheetW ? right : sheetW;
        const i64 y0 = srcY < 0 ? 0 : srcY, y1 = bottom < sheetH ? bottom : sheetH;
        for (i64 y = y0; y < y1 && x0 < x1; ++y)
            memcpy(image->pixels + (size_t)(y - srcY) * w + (size_t)(x0 - srcX),
                   sheet->pixels + (size_t)y * sheetW + (size_t)x0, (size_t)(x1 - x0));
    }

    image->rowStarts = (u32*)malloc(sizeof(u32) * (size_t)(h ? h : 1));
    if (image->rowStarts)
        for (i32 r = 0; r < h; ++r)
            image->rowStarts[r] = (u32)(r * w);
}

void ReleaseSheet(Sheet* sheet)
{
    if (!sheet)
        return;
    const u32 uses = sheet->useCount;
    if (uses)
        --sheet->useCount;
    if (uses > 1)
        return;
    FreeRecord(sheet);
}

void FreeSheetSlots()
{
    for (u32 i = 0; i < sheetSlotCount; ++i)
        if (sheetSlots[i])
            FreeRecord(sheetSlots[i]);
    free(sheetSlots);
    sheetSlots = nullptr;
    sheetSlotCount = 0;
}
