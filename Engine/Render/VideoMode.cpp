#include "Engine/Render/VideoMode.h"

#include <cstdlib>
#include <cstring>

#include "Engine/Platform/Platform.h"
#include "Engine/Platform/Video.h"
#include "Engine/Render/PresentCopy.h"

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

struct ModeSize {
    u8 mode;
    i32 width, height;
    RendererSlots slots;
};

const ModeSize modeSizes[] = {
    {20, 320, 240, {320}},
    {24, 640, 480, {640}},
    {25, 424, 240, {424}},
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
    rendererSlots = size->slots;
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
