// Sprite, tile, line and rectangle drawing from arbitrary bytes: an image of any size with any
// offsets, any draw state, position, scroll and camera wrap, in every screen size. Nothing may be
// written outside the frame: the guard rows above and below it keep their pattern.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Render/BlendTables.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/Lines.h"
#include "Engine/Render/SpriteBlit.h"
#include "Engine/Render/TileBlit.h"
#include "Engine/Render/VideoMode.h"

namespace {

constexpr u32 guardPattern = 0xDEADBEEF; // no palette colour (top byte 0xFF) and no blend (0)

// The input as a stream; past its end every read is 0.
struct Input {
    const u8* data;
    size_t size, at = 0;
    u8 Byte() { return at < size ? data[at++] : 0; }
    i32 Int()
    {
        u32 value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | Byte();
        return (i32)value;
    }
    // Mostly near the screen, sometimes anything at all.
    i32 Near(i32 span)
    {
        const u8 kind = Byte();
        return kind < 32 ? Int() : (i32)(kind * 4) - span;
    }
};

template <int W, int H>
void DrawFromBytes(Input& in, const TileRecord& tile)
{
    // The frame is made once a size (a fresh one for every input cost more than the drawing);
    // only its guard rows and the edge records are put back each time.
    static std::vector<u32> block((size_t)W * (H + 2), 0);
    static std::vector<u32> rows(H);
    static std::vector<EdgeRecord> edges(H);
    for (EdgeRecord& edge : edges)
        edge = EdgeRecord{-40960, 0, 0, 0, 0, 0};
    for (int x = 0; x < W; ++x)
        block[(size_t)x] = block[(size_t)(H + 1) * W + x] = guardPattern;
    for (int y = 0; y < H; ++y)
        rows[(size_t)y] = (u32)(y * W);
    frameBuffer = block.data() + W;
    rowOffsets = rows.data();
    edgeRecords = edges.data();
    screenWidth = W;
    screenHeight = H;

    // The image: its offsets need not agree with each other.
    const int width = 1 + in.Byte(), height = 1 + in.Byte();
    std::vector<u8> pixels((size_t)width * height);
    for (u8& p : pixels)
        p = in.Byte();
    std::vector<u32> rowStarts((size_t)height);
    for (int y = 0; y < height; ++y)
        rowStarts[(size_t)y] = (u32)(y * width);
    SpriteImage image{(u16)width, (u16)height, pixels.data(), (i16)in.Int(), (i16)in.Int(),
                      (i16)in.Int(), (i16)in.Int(), rowStarts.data()};

    for (int call = 0; call < 8 && in.at < in.size; ++call) {
        blendMode = in.Byte() % 6;
        blendLevel = (u32)in.Int();
        drawFlags = (in.Byte() & 1) ? drawFlagRotateScale : 0;
        spriteScaleX = in.Near(600);
        spriteScaleY = in.Near(600);
        spriteAngle = in.Int();
        cameraLimits[0].wrapX = in.Byte() & 1;
        cameraLimits[0].wrapWidth = in.Near(W);
        cameraLimits[0].wrapY = in.Byte() & 1;
        cameraLimits[0].wrapHeight = in.Near(H);
        const i32 scrollX = in.Near(W), scrollY = in.Near(H), x = in.Near(W), y = in.Near(H);
        const u8 colour = in.Byte();
        switch (in.Byte() % 9) {
        case 0: DrawSpriteSized<W, H, false, false>(&image, scrollX, scrollY, x, y); break;
        case 1: DrawSpriteSized<W, H, true, false>(&image, scrollX, scrollY, x, y); break;
        case 2: DrawSpriteSized<W, H, false, true>(&image, scrollX, scrollY, x, y); break;
        case 3: DrawSpriteSized<W, H, true, true>(&image, scrollX, scrollY, x, y); break;
        case 4: DrawTileSized<W, H>(&tile, scrollX, scrollY, x, y); break;
        case 5: DrawTileMaskedSized<W, H>(&tile, scrollX, scrollY, x, y); break;
        case 6: {
            i32 x0 = x, y0 = y, x1 = scrollX, y1 = scrollY;
            if (ClipLineSized<W, H>(&x0, &y0, &x1, &y1))
                DrawLineSized<W, H>(x0, y0, x1, y1, colour);
            DrawLineSized<W, H>(x, y, scrollX, scrollY, colour);
            break;
        }
        case 7:
            FillRectSized<W, H>(x, y, scrollX, scrollY, colour);
            DrawHLine(x, y, scrollX, colour);
            DrawVLineSized<W, H>(x, y, scrollY, colour);
            break;
        default:
            DrawTextureLine(x, in.Int(), in.Int(), scrollX, in.Int(), in.Int(), y);
            ScanTextureEdge(x, y, in.Int(), in.Int(), scrollX, scrollY, in.Int(), in.Int());
            break;
        }
    }
    for (int x = 0; x < W; ++x)
        if (block[(size_t)x] != guardPattern || block[(size_t)(H + 1) * W + x] != guardPattern)
            abort();
    frameBuffer = nullptr;
    rowOffsets = nullptr;
    edgeRecords = nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    static u32 palette[256];
    static u8 tilePixels[256];
    static u8 texture[256 * 256];
    static bool ready = false;
    if (!ready) {
        BuildBlendTables();
        for (u32 i = 0; i < 256; ++i) {
            palette[i] = 0xFF000000u | (i * 0x010203u);
            tilePixels[i] = (u8)(i * 7);
        }
        ready = true;
    }
    currentPalette = palette;
    currentTexture = texture;
    const TileRecord tile{tilePixels, 0, 0};
    Input in{data, size};
    switch (in.Byte() % 3) {
    case 0: DrawFromBytes<320, 240>(in, tile); break;
    case 1: DrawFromBytes<640, 480>(in, tile); break;
    default: DrawFromBytes<424, 240>(in, tile); break;
    }
    return 0;
}
