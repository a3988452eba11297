// Bitmap fonts from arbitrary sprite manifests (".man"), beside a real sheet: loading one as a font
// and drawing strings of every character code, numbers and hex numbers in every alignment, on
// screen and in the world, must stay inside the set's frames and the frame buffer, and freeing must
// give every sheet and palette back. The first byte picks the screen size, the rest is the file.
#include <cstdlib>

#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Sheets.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Headless/Headless.h"
#include "fuzz/FuzzMemory.h"
#include "fuzz/FuzzSheet.h"
#include "fuzz/FuzzScreens.h"

namespace {

Stage first{}, second{};
char everyCode[256];

void SetUpOnce()
{
    static bool ready = false;
    if (ready)
        return;
    ready = true;
    FuzzScreens();
    ServeFuzzSheet("Data/F", 5);
    for (u32 c = 1; c < 256; ++c)
        everyCode[c - 1] = (char)c;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    if (size < 1)
        return 0;
    SetUpOnce();
    UseFuzzScreen(data[0]);
    ServeFuzzFile("Data/F/f.man", data + 1, size - 1);
    previousStage = &first;
    currentStage = &second;
    cameraLimits[0].wrapX = cameraLimits[0].wrapY = 0;

    BitmapFont font{};
    LoadBitmapFont(&font, "Data/F/f.man", (i8)(data[0] >> 2));
    for (u8 align : {alignLeft, alignRight, alignCentre, (u8)7}) {
        DrawFontString(everyCode, &font, 20.5f, 30.0f, align, (u8)(data[0] >> 4), align & 1);
        DrawFontString("0123456789 AZaz", &font, -8.0f, (f32)screenHeight - 4.0f, align, 0, 0);
    }
    DrawFontNumber(-5, &font.player, 100.0f, 20.0f, alignLeft);
    DrawFontNumber(2147483647, &font.player, 300.0f, 200.0f, alignRight);
    DrawFontNumberPadded(42, &font.player, 10.0f, 100.0f, alignRight, 12);
    DrawFontHexNumber(0x7FFFFFFF, &font.player, 60.0f, 60.0f);
    FreeBitmapFont(&font);
    if (font.ready || font.set.loaded || font.set.animations)
        abort();
    for (u32 s = 0; s < sheetSlotCount; ++s)
        if (sheetSlots[s])
            abort();
    for (u32 p = 0; p < paletteSlotCount; ++p)
        if (paletteSlots[p])
            abort();
    currentStage = previousStage = nullptr;
    headless::ClearShownBoxes();
    return 0;
}
