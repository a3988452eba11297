// The three screen sizes, set up once: switching the video mode for every input would allocate
// and clear a frame and the present buffers each time, far more work than the drawing under
// test. Each size is made by SetVideoMode itself; its frame, slots and sizes are kept and put back
// by UseFuzzScreen.
#pragma once
#include <cstdlib>

#include "Engine/Platform/Shell.h"
#include "Engine/Render/VideoMode.h"

struct FuzzScreen {
    u8 mode;
    RendererSlots slots;
    i32 width, height;
    u32 bytes;
    u32* doubleBuffer;
    u32* frame;
    u32* rows;
    EdgeRecord* edges;
};

inline FuzzScreen* FuzzScreens()
{
    static FuzzScreen screens[3] = {{20, {}, 0, 0, 0, nullptr, nullptr, nullptr, nullptr},
                                    {24, {}, 0, 0, 0, nullptr, nullptr, nullptr, nullptr},
                                    {25, {}, 0, 0, 0, nullptr, nullptr, nullptr, nullptr}};
    static bool ready = false;
    if (!ready) {
        ready = true;
        if (!InitPlatform())
            abort();
        for (FuzzScreen& screen : screens) {
            SetVideoMode(screen.mode);
            screen.slots = rendererSlots;
            screen.width = screenWidth;
            screen.height = screenHeight;
            screen.bytes = frameBytes;
            screen.doubleBuffer = doubleBuffer;
            screen.frame = frameBuffer;
            screen.rows = rowOffsets;
            screen.edges = edgeRecords;
            // Kept for good: the next switch must not free them.
            doubleBuffer = frameBuffer = nullptr;
            rowOffsets = nullptr;
            edgeRecords = nullptr;
        }
    }
    return screens;
}

// Makes screen 0 (320x240), 1 (640x480) or 2 (424x240) current, as SetVideoMode would.
inline void UseFuzzScreen(u32 index)
{
    const FuzzScreen& screen = FuzzScreens()[index % 3];
    videoMode = screen.mode;
    rendererSlots = screen.slots;
    screenWidth = viewWidth = screen.width;
    screenHeight = viewHeight = screen.height;
    frameBytes = screen.bytes;
    doubleBuffer = screen.doubleBuffer;
    frameBuffer = screen.frame;
    rowOffsets = screen.rows;
    edgeRecords = screen.edges;
}
