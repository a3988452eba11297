#include "tools/runner/RunnerText.h"

#include <string>

#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/Braktext.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/DevMenu.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Render/VideoMode.h"
#include "tools/runner/RunnerScene.h"

namespace {

Stage textStage;
std::string textPath;
TextBlock textBlock;

// The box of the text, as the talk boxes use it: filled with the text font's colour 2.
constexpr i32 boxX = 16, boxY = 6, boxWidth = 392, boxBottom = 118;
constexpr i32 guideX = 212;

void TextStageLoad()
{
    LoadBraktext(textPath.c_str(), &textBlock);
}

void TextStageUnload()
{
    FreeBraktext(&textBlock);
}

void TextStageStart()
{
    ResetCameras();
}

void TextStageFrame()
{
    if (!frameBuffer)
        return;
    FillFrame(0x00303840);

    if (textFont.loaded && textFont.paletteCount && rendererSlots.FillRect) {
        SetCurrentPalette(textFont.palettes[0]);
        rendererSlots.FillRect(boxX - 4, boxY - 2, boxX + boxWidth + 3, boxBottom, 2);
    }
    DrawText(&textBlock, textBlock.length, (f32)boxX, (f32)boxY, boxWidth);

    // The guide: every left-aligned string starts on it, every right-aligned one starts its last
    // character on it, centred ones straddle it.
    if (rendererSlots.DrawVLine && devFont.ready && devFont.set.paletteCount > 2) {
        SetCurrentPalette(devFont.set.palettes[2]);
        rendererSlots.DrawVLine(guideX, 120, 234, 1);
    }
    static const char* const names[] = {"Left aligned", "Right aligned", "Centred"};
    for (u8 align = 0; align < 3; ++align) {
        DrawFontString(names[align], &menuFont, (f32)guideX, 122.0f + 16.0f * align, align, align == 2 ? 1 : 0, 0);
        DrawFontString(names[align], &devFont, (f32)guideX, 172.0f + 10.0f * align, align, align == 2 ? 2 : 1, 0);
        DrawFontNumber(1234567890, &devFontNumbers, (f32)guideX, 202.0f + 10.0f * align, align);
    }
    DrawFontHexNumber(0x7FFFFFFF, &devFontCodes, 360.0f, 222.0f);
    DrawFontString("Palvic Engine Dev Menu", &devFont, 8.0f, 222.0f, alignLeft, 1, 0);
}

} // namespace

void StartTextStage(const char* path)
{
    textPath = path;
    StartSceneStage(&textStage, TextStageFrame, TextStageStart, TextStageLoad, TextStageUnload);
}
