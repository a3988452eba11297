#include "Engine/Render/Lines.h"

#include "Engine/Common/Debug.h"
#include "Engine/Render/BlendTables.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"

i32 lineX0, lineY0, lineX1, lineY1;
u8* currentTexture;

namespace {

// a + b x c in 64 bits, wrapping rather than overflowing: hostile coordinates give a wrong picture
// somewhere off the frame, never undefined arithmetic.
inline i64 WrapMulAdd(i64 a, i64 b, i64 c)
{
    return (i64)((u64)a + (u64)b * (u64)c);
}

// count pixels from dst, step apart, in one colour blended by Mode.
template <u32 Mode>
void BlendRun(u32* dst, int count, int step, u32 colour, BlendRows rows)
{
    for (int i = 0; i < count; ++i, dst += step)
        *dst = BlendPixel<Mode>(colour, *dst, rows);
}

// The same for the current mode; false for a mode that draws nothing.
bool BlendRunCurrent(u32* dst, int count, int step, u32 colour)
{
    const BlendRows rows = BlendRowsAt(blendLevel);
    switch (blendMode) {
    case 0: BlendRun<0>(dst, count, step, colour, rows); return true;
    case 1: BlendRun<1>(dst, count, step, colour, rows); return true;
    case 2: BlendRun<2>(dst, count, step, colour, rows); return true;
    case 3: BlendRun<3>(dst, count, step, colour, rows); return true;
    default: return false;
    }
}

// Clips end point P against the other end point Q (already in its final place).
template <int W, int H>
void ClipEndPoint(i32* px, i32* py, i32 qx, i32 qy)
{
    const i32 x = *px, y = *py;
    const f32 fdx = (f32)((i64)x - qx), fdy = (f32)((i64)y - qy);
    i32 yEdge = 0, xEdge = 0;
    // The slope and its product are single precision, the sum double, as the edges always were.
    if (x > W - 1)
        yEdge = fdx == 0 ? -1 : TruncateToI32((f64)(fdy / fdx * (f32)(W - 1 - (i64)qx)) + 0.5 + qy);
    else if (x < 0)
        yEdge = fdx == 0 ? -1 : TruncateToI32(0.5 - (f64)(fdy / fdx * (f32)qx) + qy);
    if (y > H - 1)
        xEdge = fdy == 0 ? -1 : TruncateToI32((f64)(fdx / fdy * (f32)(H - 1 - (i64)qy)) + 0.5 + qx);
    else if (y < 0)
        xEdge = fdy == 0 ? -1 : TruncateToI32(0.5 - (f64)(fdx / fdy * (f32)qy) + qx);

    if (x > W - 1 && yEdge <= H - 1) {
        *px = W - 1;
        *py = yEdge;
    } else if (x < 0 && yEdge <= H - 1) {
        *px = 0;
        *py = yEdge;
    }
    if (y > H - 1 && xEdge <= W - 1) {
        *px = xEdge;
        *py = H - 1;
    } else if (y < 0 && xEdge <= W - 1) {
        *px = xEdge;
        *py = 0;
    }
}

template <int W, int H>
bool Inside(i32 x, i32 y)
{
    return x >= 0 && x <= W - 1 && y >= 0 && y <= H - 1;
}

template <int W, u32 Mode>
void LinePixels(u32* frame, i32 x0, i32 y0, i32 x1, i32 y1, u32 colour, BlendRows rows)
{
    const i32 dx = x1 > x0 ? x1 - x0 : x0 - x1, dy = y1 > y0 ? y1 - y0 : y0 - y1;
    const i32 sx = x1 >= x0 ? 1 : -1, sy = y1 >= y0 ? 1 : -1;
    i32 x = x0, y = y0, e = 0;
    if (dx <= dy) {
        for (i32 i = 0; i <= dy; ++i) {
            e += dx;
            u32* dst = frame + y * W + x;
            *dst = BlendPixel<Mode>(colour, *dst, rows);
            y += sy;
            if (e > 0) {
                x += sx;
                e -= dy;
            }
        }
    } else {
        for (i32 i = 0; i <= dx; ++i) {
            e += dy;
            u32* dst = frame + y * W + x;
            *dst = BlendPixel<Mode>(colour, *dst, rows);
            x += sx;
            if (e > 0) {
                y += sy;
                e -= dx;
            }
        }
    }
}

template <u32 Mode>
void TexturePixels(u32* dst, i64 count, i64 u, i64 v, i64 du, i64 dv, const u8* texture,
                   const u32* palette, BlendRows rows)
{
    // Both coordinates are kept inside the 256 x 256 texture.
    for (i64 i = 0; i < count; ++i, ++dst) {
        const u8 texel = texture[((u >> 8) & 0xFF) + (v & 0xFF00)];
        *dst = BlendPixel<Mode>(palette[texel], *dst, rows);
        u = WrapMulAdd(u, du, 1);
        v = WrapMulAdd(v, dv, 1);
    }
}

} // namespace

template <int W, int H>
bool ClipLineSized(i32* x0, i32* y0, i32* x1, i32* y1)
{
    if (!x0 || !y0 || !x1 || !y1)
        return false;
    const bool firstInside = Inside<W, H>(*x0, *y0), secondInside = Inside<W, H>(*x1, *y1);
    if (firstInside && secondInside)
        return true;
    if (!firstInside && !secondInside) {
        if ((*x0 < 0 && *x1 < 0) || (*x0 > W - 1 && *x1 > W - 1) || (*y0 < 0 && *y1 < 0) ||
            (*y0 > H - 1 && *y1 > H - 1))
            return false;
        ClipEndPoint<W, H>(x1, y1, *x0, *y0);
        ClipEndPoint<W, H>(x0, y0, *x1, *y1);
    } else if (firstInside) {
        ClipEndPoint<W, H>(x1, y1, *x0, *y0);
    } else {
        ClipEndPoint<W, H>(x0, y0, *x1, *y1);
    }
    return Inside<W, H>(*x0, *y0) && Inside<W, H>(*x1, *y1);
}

void DrawHLine(i32 x0, i32 y, i32 x1, u8 colour)
{
    if (!frameBuffer || !rowOffsets || !currentPalette || y < 0 || y >= screenHeight)
        return;
    if (x0 < 0)
        x0 = 0;
    if (x1 > screenWidth)
        x1 = screenWidth;
    if (x1 <= x0)
        return;
    BlendRunCurrent(frameBuffer + rowOffsets[y] + x0, x1 - x0, 1, currentPalette[colour]);
}

template <int W, int H>
void DrawVLineSized(i32 x, i32 y0, i32 y1, u8 colour)
{
    if (!frameBuffer || !currentPalette || x < 0 || x >= W)
        return;
    if (y0 < 0)
        y0 = 0;
    if (y1 > H)
        y1 = H;
    if (y1 <= y0)
        return;
    BlendRunCurrent(frameBuffer + y0 * W + x, y1 - y0, W, currentPalette[colour]);
}

template <int W, int H>
void DrawLineSized(i32 x0, i32 y0, i32 x1, i32 y1, u8 colour)
{
    // The line stays inside the box of its end points, so checking those keeps it on the frame.
    if (!frameBuffer || !currentPalette || !Inside<W, H>(x0, y0) || !Inside<W, H>(x1, y1))
        return;
    const u32 s = currentPalette[colour];
    const BlendRows rows = BlendRowsAt(blendLevel);
    switch (blendMode) {
    case 0: LinePixels<W, 0>(frameBuffer, x0, y0, x1, y1, s, rows); break;
    case 1: LinePixels<W, 1>(frameBuffer, x0, y0, x1, y1, s, rows); break;
    case 2: LinePixels<W, 2>(frameBuffer, x0, y0, x1, y1, s, rows); break;
    case 3: LinePixels<W, 3>(frameBuffer, x0, y0, x1, y1, s, rows); break;
    default: break;
    }
}

template <int W, int H>
void FillRectSized(i32 x0, i32 y0, i32 x1, i32 y1, u8 colour)
{
    if (!frameBuffer || !currentPalette || blendMode >= blendModeCount)
        return;
    i32 minX = x0 < x1 ? x0 : x1, maxX = x0 < x1 ? x1 : x0;
    i32 minY = y0 < y1 ? y0 : y1, maxY = y0 < y1 ? y1 : y0;
    if (maxX < 0 || minX > W - 1 || maxY < 0 || minY > H - 1)
        return;
    minX = minX < 0 ? 0 : minX;
    maxX = maxX > W - 1 ? W - 1 : maxX;
    minY = minY < 0 ? 0 : minY;
    maxY = maxY > H - 1 ? H - 1 : maxY;
    const u32 s = currentPalette[colour];
    for (i32 y = minY; y <= maxY; ++y)
        BlendRunCurrent(frameBuffer + y * W + minX, maxX - minX + 1, 1, s);
}

// The textured pair belongs to the 640x480 mode; their slots outlive a switch to another mode, so
// they check the frame they would draw into.
static bool Frame640()
{
    return screenWidth == 640 && screenHeight == 480 && frameBuffer && edgeRecords;
}

void DrawTextureLine(i32 xa, i32 ua, i32 va, i32 xb, i32 ub, i32 vb, i32 y)
{
    if (!Frame640() || !currentTexture || !currentPalette)
        return;
    if (xa > xb) {
        const i32 x = xa, u = ua, v = va;
        xa = xb, ua = ub, va = vb;
        xb = x, ub = u, vb = v;
    }
    if (xb < 0 || xa > 639)
        return;
    i64 n = (i64)xb - xa + 1;
    const i64 du = ((i64)ub - ua + 1) * 256 / n, dv = ((i64)vb - va + 1) * 256 / n;
    i64 u = (i64)ua * 256, v = (i64)va * 256;
    i64 left = xa;
    if (left < 0) {
        n += left;
        u = WrapMulAdd(u, -du, left);
        v = WrapMulAdd(v, -dv, left);
        left = 0;
    }
    if (xb > 639)
        n -= (i64)xb - 639;
    if (y < 0) {
        FormatDebugText("DrawTextureLine - Negative line %d %d", (int)left, y);
        return;
    }
    if (y >= 480)
        return;
    u32* dst = frameBuffer + (i64)y * 640 + left;
    const BlendRows rows = BlendRowsAt(blendLevel);
    switch (blendMode) {
    case 0: TexturePixels<0>(dst, n, u, v, du, dv, currentTexture, currentPalette, rows); break;
    case 1: TexturePixels<1>(dst, n, u, v, du, dv, currentTexture, currentPalette, rows); break;
    case 2: TexturePixels<2>(dst, n, u, v, du, dv, currentTexture, currentPalette, rows); break;
    case 3: TexturePixels<3>(dst, n, u, v, du, dv, currentTexture, currentPalette, rows); break;
    default: break;
    }
}

void ScanTextureEdge(i32 xa, i32 ya, i32 ua, i32 va, i32 xb, i32 yb, i32 ub, i32 vb)
{
    if (ya == yb || !Frame640())
        return;
    const bool aOnTop = ya < yb;
    const i64 xTop = aOnTop ? xa : xb, yTop = aOnTop ? ya : yb, uTop = aOnTop ? ua : ub,
              vTop = aOnTop ? va : vb;
    const i64 xBottom = aOnTop ? xb : xa, yBottom = aOnTop ? yb : ya, uBottom = aOnTop ? ub : ua,
              vBottom = aOnTop ? vb : va;
    const i64 h = yBottom - yTop;
    const i64 dx = (xBottom - xTop) * 256 / h, du = (uBottom - uTop) * 256 / h,
              dv = (vBottom - vTop) * 256 / h;
    i64 x = xTop * 256 + dx, u = uTop * 256, v = vTop * 256;
    // Rows above the frame are stepped over in one go rather than walked.
    i64 first = yTop + 1;
    if (first < 0) {
        x = WrapMulAdd(x, dx, -first);
        u = WrapMulAdd(u, du, -first);
        v = WrapMulAdd(v, dv, -first);
        first = 0;
    }
    const i64 last = yBottom < 479 ? yBottom : 479;
    for (i64 y = first; y <= last; ++y) {
        EdgeRecord& row = edgeRecords[y];
        if (row.leftX == -40960) {
            row.leftX = (i32)(x >> 8);
            row.leftU = (i32)(u >> 8);
            row.leftV = (i32)(v >> 8);
        } else {
            row.rightX = (i32)(x >> 8);
            row.rightU = (i32)(u >> 8);
            row.rightV = (i32)(v >> 8);
        }
        x = WrapMulAdd(x, dx, 1);
        u = WrapMulAdd(u, du, 1);
        v = WrapMulAdd(v, dv, 1);
    }
}

#define PALVIC_LINE_FAMILY(W, H)                                                                   \
    template bool ClipLineSized<W, H>(i32*, i32*, i32*, i32*);                                     \
    template void DrawVLineSized<W, H>(i32, i32, i32, u8);                                         \
    template void DrawLineSized<W, H>(i32, i32, i32, i32, u8);                                     \
    template void FillRectSized<W, H>(i32, i32, i32, i32, u8);
PALVIC_LINE_FAMILY(320, 240)
PALVIC_LINE_FAMILY(640, 480)
PALVIC_LINE_FAMILY(424, 240)
