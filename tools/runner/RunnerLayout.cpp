#include "tools/runner/RunnerLayout.h"

#include <string>

#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Render/LayerDraw.h"
#include "tools/runner/RunnerScene.h"

namespace {

std::string layoutPath;
i32 layoutSlot = -1;
Stage layoutStage;
u32 panTicks;

// Palette-select layers need a shared palette; the scene's shows pixel index i of a cell with
// offset p in colour p + i: 1 + the solidity bits of a collision mask, each combination its own.
u32 sharedColours[256];
u8 sharedRgb[256 * 3];
Palette scenePalette{1, 0, sharedColours, sharedRgb};

void BuildSharedPalette()
{
    for (u32 i = 0; i < 256; ++i) {
        const u32 k = i - 1;
        const u32 red = i == 0 ? 0 : 80 + (k & 1) * 175, green = i == 0 ? 0 : 80 + ((k >> 1) & 1) * 175,
                  blue = i == 0 ? 0 : 80 + ((k >> 2) & 1) * 175 - ((k >> 3) & 1) * 60;
        sharedColours[i] = 0xFF000000u | red << 16 | green << 8 | blue;
        sharedRgb[i * 3] = (u8)red;
        sharedRgb[i * 3 + 1] = (u8)green;
        sharedRgb[i * 3 + 2] = (u8)blue;
    }
}

// Camera 0 moves right by 2 pixels a tick and up and down across a 48-pixel band, so that every
// scroll mode shows its motion (and the camera-locked layers repeat past the right bound).
void PanCamera(ObjectHeader*)
{
    ++panTicks;
    Camera& camera = cameras[currentCamera];
    camera.x = (f32)(2 * panTicks);
    const u32 phase = panTicks % 96;
    camera.y = (f32)(phase < 48 ? phase : 96 - phase);
}

void LayoutStageLoad()
{
    layoutSlot = LoadLayout(layoutPath.c_str());
    currentLayoutSlot = layoutSlot;
    currentLayout = LayoutInSlot(layoutSlot);
    if (currentLayout)
        for (u32 i = 0; i < currentLayout->layerCount; ++i)
            currentLayout->layers[i].visible = 1;
    BuildSharedPalette();
    sharedPalette = &scenePalette;
    sharedPaletteCount = 256;
}

void LayoutStageUnload()
{
    FreeLayout(layoutSlot);
    layoutSlot = -1;
    sharedPalette = nullptr;
    sharedPaletteCount = 0;
}

void LayoutStageStart()
{
    ResetCameras();
    panTicks = 0;
    cameras[0] = Camera{0, 0, nullptr, PanCamera};
}

void LayoutStageFrame()
{
    // Layers that leave gaps show black, not the last frame.
    FillFrame(0);
}

} // namespace

void StartLayoutStage(const char* path)
{
    layoutPath = path;
    StartSceneStage(&layoutStage, LayoutStageFrame, LayoutStageStart, LayoutStageLoad, LayoutStageUnload);
}
