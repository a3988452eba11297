// Benchmarks that point the engine's frame at buffers of their own put the engine's frame back when
// they end: a later benchmark (or a mode switch, which frees the engine's buffers) must never see
// the benchmark's memory as the engine's.
#pragma once
#include "Engine/Render/VideoMode.h"

class FrameAside {
public:
    FrameAside()
        : frame(frameBuffer), rows(rowOffsets), width(screenWidth), height(screenHeight), slots(rendererSlots)
    {
    }
    ~FrameAside()
    {
        frameBuffer = frame;
        rowOffsets = rows;
        screenWidth = width;
        screenHeight = height;
        rendererSlots = slots;
    }
    FrameAside(const FrameAside&) = delete;
    FrameAside& operator=(const FrameAside&) = delete;

private:
    u32* frame;
    u32* rows;
    i32 width, height;
    RendererSlots slots;
};
