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

struct SpriteImage;
struct TileRecord;
struct TileLayer;
struct Layout;

typedef void (*DrawTileFunction)(const TileRecord* tile, i32 scrollX, i32 scrollY, i32 x, i32 y);
typedef void (*DrawSpriteFunction)(const SpriteImage* image, i32 scrollX, i32 scrollY, i32 x, i32 y);
typedef bool (*ClipLineFunction)(i32* x0, i32* y0, i32* x1, i32* y1);
typedef void (*DrawHLineFunction)(i32 x0, i32 y, i32 x1, u8 colour);
typedef void (*DrawVLineFunction)(i32 x, i32 y0, i32 y1, u8 colour);
typedef void (*DrawLineFunction)(i32 x0, i32 y0, i32 x1, i32 y1, u8 colour);
typedef void (*FillRectFunction)(i32 x0, i32 y0, i32 x1, i32 y1, u8 colour);
typedef void (*DrawTextureLineFunction)(i32 xa, i32 ua, i32 va, i32 xb, i32 ub, i32 vb, i32 y);
typedef void (*DrawLayerFunction)(const TileLayer* layer);
typedef void (*DrawLayerPalettedFunction)(const TileLayer* layer, u8 tileSheetIndex, const Layout* layout);
typedef void (*ScanTextureEdgeFunction)(i32 xa, i32 ya, i32 ua, i32 va, i32 xb, i32 yb, i32 ub, i32 vb);

// One function pointer per drawing role, filled per video mode by SetVideoMode. The three
// families (320x240, 640x480, 424x240) are one design built three times; a role a mode does not
// set keeps what it held (null before the first mode that sets it).
struct RendererSlots {
    DrawTileFunction DrawTile;             // opaque 16x16 tile
    DrawTileFunction DrawTileMasked;       // 16x16 tile, index 0 skipped
    DrawSpriteFunction DrawSprite;
    DrawSpriteFunction DrawSpriteFlipY;    // mirrored vertically
    DrawSpriteFunction DrawSpriteFlipX;    // mirrored horizontally
    DrawSpriteFunction DrawSpriteFlipXY;
    ClipLineFunction ClipLine;
    DrawHLineFunction DrawHLine;           // one function for every mode
    DrawVLineFunction DrawVLine;
    DrawLineFunction DrawLine;
    FillRectFunction FillRect;
    DrawTextureLineFunction DrawTextureLine; // 640x480 only
    ScanTextureEdgeFunction ScanTextureEdge; // 640x480 only
    DrawLayerFunction DrawLayer[6];       // tile-layer drawers by scroll mode
    DrawLayerFunction DrawLayerOpaque[6]; // their opaque twins (called by nothing)
    DrawLayerPalettedFunction DrawLayerCameraPaletted; // 424x240 only
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
