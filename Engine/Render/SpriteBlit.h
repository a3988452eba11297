// The sprite blitters, built once per screen size (W x H) and mirror. Each draws a SpriteImage at
// the drawing position (x - scrollX, y - scrollY) through currentPalette, index 0 transparent,
// blended by blendMode and blendLevel; with drawFlagRotateScale set it takes the rotate/scale path
// (spriteScaleX, spriteScaleY, spriteAngle, turning about the drawing position).
#pragma once
#include "Engine/Common/Types.h"
#include "Engine/Render/SpriteImage.h"

// The wrap of the current camera as the sprite slots see it. An image that is not visible at its
// own position is tried once a wrap length to the left, then once to the right; only one copy is
// ever drawn.
struct SpriteWrap {
    i32 wrapX;
    i32 wrapWidth;
    i32 wrapY;
    i32 wrapHeight;
};

// The slots: the wrap comes from the current camera.
template <int W, int H, bool FlipX, bool FlipY>
void DrawSpriteSized(const SpriteImage* image, i32 scrollX, i32 scrollY, i32 x, i32 y);

// The same with the wrap given.
template <int W, int H, bool FlipX, bool FlipY>
void DrawSpriteWrapped(const SpriteImage* image, i32 scrollX, i32 scrollY, i32 x, i32 y,
                       const SpriteWrap& wrap);

// The current camera's wrap flags and lengths.
SpriteWrap CurrentSpriteWrap();
