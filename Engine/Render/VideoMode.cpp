#include "Engine/Render/VideoMode.h"

#include <cstdlib>
#include <cstring>

#include "Engine/Platform/Platform.h"
#include "Engine/Platform/Video.h"
#include "Engine/Render/LayerDraw.h"
#include "Engine/Render/Lines.h"
#include "Engine/Render/PresentCopy.h"
#include "Engine/Render/SpriteBlit.h"
#include "Engine/Render/TileBlit.h"

u8 videoMode = 25;
i32 screenWidth, screenHeight;
i32 viewWidth, viewHeight;
u32 frameBytes;
u32* doubleBuffer;
u32* frameBuffer;
u32* rowOffsets;
EdgeRecord* edgeRecords;
RendererSlots rendererSlots;

namespace {

// The roles every family fills, built for its screen size.
template <int W, int H>
void FillBlitterSlots(RendererSlots& slots)
{
    slots.DrawTile = DrawTileSized<W, H>;
    slots.DrawTileMasked = DrawTileMaskedSized<W, H>;
    slots.DrawSprite = DrawSpriteSized<W, H, false, false>;
    slots.DrawSpriteFlipY = DrawSpriteSized<W, H, false, true>;
    slots.DrawSpriteFlipX = DrawSpriteSized<W, H, true, false>;
    slots.DrawSpriteFlipXY = DrawSpriteSized<W, H, true, true>;
    slots.ClipLine = ClipLineSized<W, H>;
    slots.DrawHLine = DrawHLine;
    slots.DrawVLine = DrawVLineSized<W, H>;
    slots.DrawLine = DrawLineSized<W, H>;
    slots.FillRect = FillRectSized<W, H>;
}

// The textured-span pair of the 640x480 family.
void FillTextureSlots(RendererSlots& slots)
{
    slots.DrawTextureLine = DrawTextureLine;
    slots.ScanTextureEdge = ScanTextureEdge;
}

typedef void (*SlotFiller)(RendererSlots& slots);

// A mode's slots are filled by its fillers in order; a role that none of them sets keeps what it
// held.
struct ModeSize {
    u8 mode;
    i32 width, height;
    SlotFiller fillers[4];
};

const ModeSize modeSizes[] = {
    {20, 320, 240, {FillBlitterSlots<320, 240>, FillLayerSlots<320, 240>}},
    {24, 640, 480, {FillBlitterSlots<640, 480>, FillTextureSlots, FillLayerSlots<640, 480>}},
    {25, 424, 240, {FillBlitterSlots<424, 240>, FillLayerSlots<424, 240>}},
};

} // namespace

void SetVideoMode(u8 mode)
{
    const ModeSize* size = nullptr;
    for (const ModeSize& entry : modeSizes)
        if (entry.mode == mode)
            size = &entry;
    if (!size) {
        videoMode = mode;
        return;
    }

    // Allocate everything the new size needs before anything is switched, so a failure leaves
    // the previous mode whole.
    const u32 width = (u32)size->width, height = (u32)size->height;
    const u32 newFrameBytes = width * height * 4;
    u32* newDouble = (u32*)malloc(newFrameBytes + width * 8);
    u32* newRows = (u32*)malloc(sizeof(u32) * height);
    EdgeRecord* newEdges = (EdgeRecord*)malloc(sizeof(EdgeRecord) * height);
    if (!newDouble || !newRows || !newEdges) {
        free(newDouble);
        free(newRows);
        free(newEdges);
        ShowMessageBox("Failed to allocate double buffer", "Palvic Error", BoxOk);
        return;
    }

    videoMode = mode;
    presentRowBytes = width;
    SelectScreenFilters();
    for (SlotFiller fill : size->fillers)
        if (fill)
            fill(rendererSlots);
    screenWidth = viewWidth = size->width;
    screenHeight = viewHeight = size->height;

    free(doubleBuffer);
    free(rowOffsets);
    free(edgeRecords);
    frameBytes = newFrameBytes;
    doubleBuffer = newDouble;
    memset(doubleBuffer, 0, newFrameBytes + width * 8);
    frameBuffer = doubleBuffer + width;
    rowOffsets = newRows;
    for (u32 y = 0; y < height; ++y)
        rowOffsets[y] = y * width;
    edgeRecords = newEdges;
    for (u32 y = 0; y < height; ++y)
        edgeRecords[y] = EdgeRecord{-40960, 0, 0, 0, 0, 0};

    ApplyVideoMode();
}

void FreeVideoBuffers()
{
    free(doubleBuffer);
    free(rowOffsets);
    free(edgeRecords);
    doubleBuffer = frameBuffer = nullptr;
    rowOffsets = nullptr;
    edgeRecords = nullptr;
}
