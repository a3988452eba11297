// The image of an animation frame, as the sprite blitters draw it. The animation loader builds it
// (CutSprite fills the pixels); the blitters read only these fields.
#pragma once
#include "Engine/Common/Types.h"

struct SpriteImage {
    u16 width;
    u16 height;
    u8* pixels;         // width x height palette indices, rows top to bottom, 0 transparent
    i16 offsetX;        // top-left relative to the drawing position
    i16 offsetY;
    i16 flippedOffsetX; // the same for the mirrored drawings
    i16 flippedOffsetY;
    u32* rowStarts;     // height entries, rowStarts[y] = y * width
};
