// Sheets: 8-bit colour-mapped images loaded once and shared by path. A sheet is only a source:
// sprite frames and tiles are cut out of it into images of their own, so drawing never touches it.
#pragma once
#include "Engine/Common/Types.h"
#include "Engine/Render/SpriteImage.h"

struct Sheet {
    u32 useCount;
    u32 slot;               // index in sheetSlots
    u16 width;
    u16 height;
    u8 colourMap[256][3];   // red, green, blue per entry
    u8* pixels;             // width x height indices, rows top to bottom (width x height + 1 bytes)
    char* name;             // heap copy of the path
};

extern Sheet** sheetSlots;
extern u32 sheetSlotCount;

// The loaded sheet of that path (one more use), or a new one. setPalette non-zero copies the
// image's colour map into the current palette. A sheet whose image is missing or unusable is still
// registered under its name, without pixels. Null only when memory runs out.
Sheet* LoadSheet(const char* path, u32 setPalette);

// Fills image (whose width and height are set) with the rectangle of the sheet whose top-left
// pixel is (srcX, srcY), and its row table. A rectangle reaching outside the sheet raises the
// bounds box; the part outside is left 0 (transparent). A null sheet or one without pixels gives
// an image of 0s.
void CutSprite(const Sheet* sheet, SpriteImage* image, i32 srcX, i32 srcY);

// Drops one use: at the last one the pixels, the name and the record are freed and the slot
// cleared.
void ReleaseSheet(Sheet* sheet);

// Shutdown: frees every sheet left and the table.
void FreeSheetSlots();
