#include "Engine/Render/SpriteBlit.h"

#include <initializer_list>

#include "Engine/Collision/AngleTables.h"
#include "Engine/Common/Camera.h"
#include "Engine/Render/BlendTables.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/SpriteRows.h"
#include "Engine/Render/VideoMode.h"

namespace {

// Finds where on one axis an image of `size` pixels is drawn: at its own position when any of it
// is on screen, else one wrap length back or on when the axis wraps; false when nowhere. Positions
// are wide so that far-off images are rejected without overflow.
bool PlaceOnAxis(i64 position, i64 size, i64 bound, i32 wrap, i32 wrapLength, i32* placed)
{
    if (-size < position && position < bound) {
        *placed = (i32)position;
        return true;
    }
    if (!wrap)
        return false;
    for (i64 moved : {position - wrapLength, position + wrapLength})
        if (-size < moved && moved < bound) {
            *placed = (i32)moved;
            return true;
        }
    return false;
}

// Modes 1 and 2 take the source share of a colour through the tables; for an image of twice as
// many pixels as the palette has entries or more, taking it once for every entry is cheaper. True
// when `scaled` was filled and the draw should use it with blendAddScaled or blendMixScaled.
bool ScaleOnce(u32 mode, int width, int height, const u32* palette, BlendRows rows, u32* scaled)
{
    if ((mode != 1 && mode != 2) || width * height < 512)
        return false;
#if PALVIC_PALETTE_ROWS_SSE2
    (void)rows;
    spriterows::ScalePaletteFour(palette, blendLevel, scaled);
#else
    ScalePalette(palette, rows, scaled);
#endif
    return true;
}

template <int W, int H, bool FlipX, bool FlipY, u32 Mode>
void PlainImage(const SpriteImage& image, int left, int top, const u32* palette, u32* frame,
                BlendRows rows)
{
    const spriterows::Shares shares = spriterows::SharesAt(blendLevel);
    const int width = image.width, height = image.height;
    const int c0 = left < 0 ? -left : 0, c1 = left + width > W ? W - left : width;
    const int r0 = top < 0 ? -top : 0, r1 = top + height > H ? H - top : height;
    for (int r = r0; r < r1; ++r) {
        const u8* src = image.pixels + (size_t)(FlipY ? height - 1 - r : r) * (size_t)width;
        u32* dst = frame + (top + r) * W + left;
        // Copies keep the shared row loop (measured quicker for them); the blends take the sixteen-
        // index stretches.
        if constexpr (Mode == 0 && FlipX)
            palrows::PutRow<true, 0, true, true>(src + width - 1 - c0, dst + c0, c1 - c0, palette, rows);
        else if constexpr (Mode == 0)
            palrows::PutRow<false, 0, true, true>(src + c0, dst + c0, c1 - c0, palette, rows);
        else if constexpr (FlipX)
            spriterows::PutRow<true, Mode>(src + width - 1 - c0, dst + c0, c1 - c0, palette, shares, rows);
        else
            spriterows::PutRow<false, Mode>(src + c0, dst + c0, c1 - c0, palette, shares, rows);
    }
}

template <int W, int H, bool FlipX, bool FlipY>
void DrawPlain(const SpriteImage& image, i32 scrollX, i32 scrollY, i32 x, i32 y,
               const SpriteWrap& wrap, u32 mode, const u32* palette, u32* frame)
{
    const i64 offsetX = FlipX ? image.flippedOffsetX : image.offsetX;
    const i64 offsetY = FlipY ? image.flippedOffsetY : image.offsetY;
    i32 left, top;
    if (!PlaceOnAxis(offsetX - scrollX + x, image.width, W, wrap.wrapX, wrap.wrapWidth, &left))
        return;
    if (!PlaceOnAxis(offsetY - scrollY + y, image.height, H, wrap.wrapY, wrap.wrapHeight, &top))
        return;
    const BlendRows rows = BlendRowsAt(blendLevel);
    u32 scaled[256];
    if (ScaleOnce(mode, image.width, image.height, palette, rows, scaled))
        mode = mode == 1 ? blendAddScaled : blendMixScaled, palette = scaled;
    switch (mode) {
    case 0: PlainImage<W, H, FlipX, FlipY, 0>(image, left, top, palette, frame, rows); break;
    case 1: PlainImage<W, H, FlipX, FlipY, 1>(image, left, top, palette, frame, rows); break;
    case 2: PlainImage<W, H, FlipX, FlipY, 2>(image, left, top, palette, frame, rows); break;
    case 3: PlainImage<W, H, FlipX, FlipY, 3>(image, left, top, palette, frame, rows); break;
    case blendAddScaled: PlainImage<W, H, FlipX, FlipY, blendAddScaled>(image, left, top, palette, frame, rows); break;
    case blendMixScaled: PlainImage<W, H, FlipX, FlipY, blendMixScaled>(image, left, top, palette, frame, rows); break;
    default: break;
    }
}

// The texture walk of the rotated box: texel position (u, v) in 8.8 at box position (column,
// row) is u0 + column x du + row x rowDu, and likewise for v.
struct BoxWalk {
    int left, top, width, height;
    i64 u0, v0;
    i32 du, dv, rowDu, rowDv;
};

template <int W, int H, u32 Mode>
void RotatedBox(const SpriteImage& image, const BoxWalk& walk, const u32* palette, u32* frame,
                BlendRows rows)
{
    const int c0 = walk.left < 0 ? -walk.left : 0;
    const int c1 = walk.width < W - walk.left ? walk.width : W - walk.left;
    const int r0 = walk.top < 0 ? -walk.top : 0;
    const int r1 = walk.height < H - walk.top ? walk.height : H - walk.top;
    const u32 width = image.width, height = image.height;
    // A row walks at most W columns of at most 131072 each, so a row that starts farther than
    // 2^30 out never comes back into the image; the rest walks in 32 bits without overflow.
    constexpr i64 reach = (i64)1 << 30;
    for (int r = r0; r < r1; ++r) {
        const i64 ur = walk.u0 + (i64)c0 * walk.du + (i64)r * walk.rowDu;
        const i64 vr = walk.v0 + (i64)c0 * walk.dv + (i64)r * walk.rowDv;
        if (ur < -reach || ur > reach || vr < -reach || vr > reach)
            continue;
        i32 u = (i32)ur, v = (i32)vr;
        u32* dst = frame + (walk.top + r) * W + walk.left;
        for (int c = c0; c < c1; ++c, u += walk.du, v += walk.dv) {
            const u32 tx = (u32)(u >> 8), ty = (u32)(v >> 8);
            if (tx < width && ty < height) {
                const u8 index = image.pixels[ty * width + tx];
                if (index)
                    dst[c] = BlendPixel<Mode>(palette[index], dst[c], rows);
            }
        }
    }
}

template <int W, int H, bool FlipX, bool FlipY>
void DrawRotated(const SpriteImage& image, i32 scrollX, i32 scrollY, i32 x, i32 y,
                 const SpriteWrap& wrap, u32 mode, const u32* palette, u32* frame)
{
    const i32 scaleX = spriteScaleX, scaleY = spriteScaleY;
    if (scaleX < 1 || scaleX > 65535 || scaleY < 1 || scaleY > 65535)
        return;
    const i64 hx = scaleX >> 1, hy = scaleY >> 1;
    // Negated in unsigned arithmetic: the most negative angle has no i32 negation.
    const u32 angle = (0u - (u32)spriteAngle) & 255;
    const i64 S = sinTable[angle], C = cosTable[angle];

    // The box the image turns into, from its corners two pixels out.
    const i64 offsetX = FlipX ? image.flippedOffsetX : image.offsetX;
    const i64 offsetY = FlipY ? image.flippedOffsetY : image.offsetY;
    const i64 xc = (C * hx) >> 8, xs = (S * hx) >> 8, yc = (C * hy) >> 8, ys = (S * hy) >> 8;
    i64 minX = 0, maxX = 0, minY = 0, maxY = 0;
    bool first = true;
    for (i64 px : {offsetX - 2, offsetX + image.width + 2})
        for (i64 py : {offsetY - 2, offsetY + image.height + 2}) {
            const i64 bx = (px * xc + py * ys) >> 8, by = (py * yc - px * xs) >> 8;
            if (first || bx < minX)
                minX = bx;
            if (first || bx > maxX)
                maxX = bx;
            if (first || by < minY)
                minY = by;
            if (first || by > maxY)
                maxY = by;
            first = false;
        }
    const i64 boxWidth = maxX - minX, boxHeight = maxY - minY;
    if (boxWidth < 1 || boxHeight < 1)
        return;

    BoxWalk walk;
    if (!PlaceOnAxis(minX - scrollX + x, boxWidth, W, wrap.wrapX, wrap.wrapWidth, &walk.left))
        return;
    if (!PlaceOnAxis(minY - scrollY + y, boxHeight, H, wrap.wrapY, wrap.wrapHeight, &walk.top))
        return;
    walk.width = (int)boxWidth;
    walk.height = (int)boxHeight;

    // The inverse map; a mirrored axis negates its products before the shift. The texel offsets
    // stay the unmirrored ones.
    const i64 ix = 131072 / scaleX, iy = 131072 / scaleY;
    const i64 uc = (FlipX ? -(C * ix) : C * ix) >> 8, us = (FlipX ? -(S * ix) : S * ix) >> 8;
    const i64 vc = (FlipY ? -(C * iy) : C * iy) >> 8, vs = (FlipY ? -(S * iy) : S * iy) >> 8;
    walk.u0 = minX * uc - minY * us - (i64)image.offsetX * 256;
    walk.v0 = minY * vc + minX * vs - (i64)image.offsetY * 256;
    walk.du = (i32)uc;
    walk.dv = (i32)vs;
    walk.rowDu = (i32)-us;
    walk.rowDv = (i32)vc;

    const BlendRows rows = BlendRowsAt(blendLevel);
    u32 scaled[256];
    if (ScaleOnce(mode, walk.width < W ? walk.width : W, walk.height < H ? walk.height : H, palette, rows, scaled))
        mode = mode == 1 ? blendAddScaled : blendMixScaled, palette = scaled;
    switch (mode) {
    case 0: RotatedBox<W, H, 0>(image, walk, palette, frame, rows); break;
    case 1: RotatedBox<W, H, 1>(image, walk, palette, frame, rows); break;
    case 2: RotatedBox<W, H, 2>(image, walk, palette, frame, rows); break;
    case 3: RotatedBox<W, H, 3>(image, walk, palette, frame, rows); break;
    case blendAddScaled: RotatedBox<W, H, blendAddScaled>(image, walk, palette, frame, rows); break;
    case blendMixScaled: RotatedBox<W, H, blendMixScaled>(image, walk, palette, frame, rows); break;
    default: break;
    }
}

} // namespace

template <int W, int H, bool FlipX, bool FlipY>
void DrawSpriteWrapped(const SpriteImage* image, i32 scrollX, i32 scrollY, i32 x, i32 y,
                       const SpriteWrap& wrap)
{
    const u32* palette = currentPalette;
    u32* frame = frameBuffer;
    const u32 mode = blendMode;
    if (!image || !image->pixels || !image->width || !image->height || !palette || !frame ||
        mode >= blendModeCount)
        return;
    if (drawFlags & drawFlagRotateScale)
        DrawRotated<W, H, FlipX, FlipY>(*image, scrollX, scrollY, x, y, wrap, mode, palette, frame);
    else
        DrawPlain<W, H, FlipX, FlipY>(*image, scrollX, scrollY, x, y, wrap, mode, palette, frame);
}

SpriteWrap CurrentSpriteWrap()
{
    const CameraLimits& limits = cameraLimits[currentCamera < cameraCount ? currentCamera : 0];
    return SpriteWrap{limits.wrapX, limits.wrapWidth, limits.wrapY, limits.wrapHeight};
}

template <int W, int H, bool FlipX, bool FlipY>
void DrawSpriteSized(const SpriteImage* image, i32 scrollX, i32 scrollY, i32 x, i32 y)
{
    DrawSpriteWrapped<W, H, FlipX, FlipY>(image, scrollX, scrollY, x, y, CurrentSpriteWrap());
}

#define PALVIC_SPRITE_SLOT(W, H, FX, FY)                                                           \
    template void DrawSpriteSized<W, H, FX, FY>(const SpriteImage*, i32, i32, i32, i32);           \
    template void DrawSpriteWrapped<W, H, FX, FY>(const SpriteImage*, i32, i32, i32, i32,          \
                                                  const SpriteWrap&);
#define PALVIC_SPRITE_FAMILY(W, H)                                                                 \
    PALVIC_SPRITE_SLOT(W, H, false, false)                                                         \
    PALVIC_SPRITE_SLOT(W, H, true, false)                                                          \
    PALVIC_SPRITE_SLOT(W, H, false, true)                                                          \
    PALVIC_SPRITE_SLOT(W, H, true, true)
PALVIC_SPRITE_FAMILY(320, 240)
PALVIC_SPRITE_FAMILY(640, 480)
PALVIC_SPRITE_FAMILY(424, 240)
