// Video modes, the double buffer with its guard rows, and the renderer slot table.
#pragma once
#include "Engine/Common/Types.h"

// Per-row polygon edges of the texture-span path.
struct EdgeRecord {
    i32 leftX;  // -40960: the row's left edge is not yet set
    i32 rightX;
    i32 leftU;
    i32 leftV;
    i32 rightU;
    i32 rightV;
};

// One function pointer per drawing role, filled per video mode by SetVideoMode. The three
// families (320x240, 640x480, 424x240) are one design built three times; a family leaves null the
// roles it does not have.
struct RendererSlots {
    // The drawing roles are declared by the blitters and the layer drawers as they are built.
    int family; // the screen width the slots were built for; 0 before the first mode
};

extern u8 videoMode;
extern i32 screenWidth, screenHeight;
extern i32 viewWidth, viewHeight;
extern u32 frameBytes;
extern u32* doubleBuffer;   // screenWidth x (screenHeight + 2): guard row, frame, guard row
extern u32* frameBuffer;    // first visible pixel, one row into doubleBuffer
extern u32* rowOffsets;     // rowOffsets[y] = y * screenWidth
extern EdgeRecord* edgeRecords;
extern RendererSlots rendererSlots;

// Switches to mode 20 (320x240), 24 (640x480) or 25 (424x240): fills the renderer slots, publishes
// the screen size, has the presentation layer resize the window and device, and (re)allocates the
// double buffer cleared to black with its row offsets and edge records. Buffers are allocated
// first and the switch is committed only when all of them exist; on failure the box "Failed to
// allocate double buffer" is shown and the previous mode stays in force. Other mode values are
// stored in videoMode and change nothing else.
void SetVideoMode(u8 mode);

// Frees the double buffer, row offsets and edge records (shutdown).
void FreeVideoBuffers();
