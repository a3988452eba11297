// Slow per-pixel references for the blitters, written from the closed forms (no clipping walks, no
// tables), and a fixture that brings up a video mode with a known palette and resting draw state.
#pragma once
#include <cstring>
#include <random>
#include <vector>

#include "Engine/Collision/AngleTables.h"
#include "Engine/Common/Camera.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/SpriteImage.h"
#include "tests/unit/HeadlessGame.h"

namespace blitref {

// One channel of a blend, from the formulas.
inline u32 Mul(u32 level, u32 v) { return (level * v) >> 8; }
inline u32 Inv(u32 level, u32 v) { return (v * (255 - level)) >> 8; }

inline u32 Blend(u32 mode, u32 level, u32 s, u32 d)
{
    if (mode == 0)
        return s;
    if (mode == 3)
        return ((s >> 1) & 0x7F7F7F) + ((d >> 1) & 0x7F7F7F);
    u32 out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const u32 sc = (s >> shift) & 0xFF, dc = (d >> shift) & 0xFF;
        u32 c = mode == 1 ? dc + Mul(level, sc) : Mul(level, sc) + Inv(level, dc);
        if (c > 255)
            c = 255;
        out |= c << shift;
    }
    return out;
}

// A frame of W x H with a guard row above and below, like the double buffer.
struct Frame {
    int width = 0, height = 0;
    std::vector<u32> block;
    u32& At(int x, int y) { return block[(size_t)(y + 1) * width + x]; }
};

// The wrap rule of the sprite slots: its own position when visible, else one wrap length back,
// else one on.
inline bool Place(i64 position, i64 size, i64 bound, bool wrap, i64 length, i64* placed)
{
    const i64 tries[3] = {position, position - length, position + length};
    for (int i = 0; i < (wrap ? 3 : 1); ++i)
        if (tries[i] > -size && tries[i] < bound) {
            *placed = tries[i];
            return true;
        }
    return false;
}

struct SpriteCall {
    bool flipX, flipY;
    i32 scrollX, scrollY, x, y;
    u32 mode, level;
    bool rotate;
    i32 scaleX, scaleY, angle;
    i32 wrapX, wrapWidth, wrapY, wrapHeight;
};

// The sprite as the closed forms put it: every pixel of the image (plain) or of the turned box
// (rotate/scale), each mapped on its own.
inline void DrawSprite(Frame& frame, const SpriteImage& image, const u32* palette, const SpriteCall& call)
{
    const int W = frame.width, H = frame.height;
    if (call.mode > 3)
        return;
    const i64 offsetX = call.flipX ? image.flippedOffsetX : image.offsetX;
    const i64 offsetY = call.flipY ? image.flippedOffsetY : image.offsetY;
    auto put = [&](i64 X, i64 Y, u8 index) {
        if (index && X >= 0 && X < W && Y >= 0 && Y < H)
            frame.At((int)X, (int)Y) = Blend(call.mode, call.level, palette[index], frame.At((int)X, (int)Y));
    };
    if (!call.rotate) {
        i64 left, top;
        if (!Place(offsetX - call.scrollX + call.x, image.width, W, call.wrapX, call.wrapWidth, &left) ||
            !Place(offsetY - call.scrollY + call.y, image.height, H, call.wrapY, call.wrapHeight, &top))
            return;
        for (int r = 0; r < image.height; ++r)
            for (int c = 0; c < image.width; ++c) {
                const int sc = call.flipX ? image.width - 1 - c : c;
                const int sr = call.flipY ? image.height - 1 - r : r;
                put(left + c, top + r, image.pixels[sr * image.width + sc]);
            }
        return;
    }
    if (call.scaleX < 1 || call.scaleX > 65535 || call.scaleY < 1 || call.scaleY > 65535)
        return;
    const i64 hx = call.scaleX / 2, hy = call.scaleY / 2;
    const int a = (int)((-(i64)call.angle) & 255);
    const i64 S = sinTable[a], C = cosTable[a];
    auto shr8 = [](i64 v) { return v >= 0 ? v / 256 : -((-v + 255) / 256); }; // floor division
    i64 minX = INT64_MAX, maxX = INT64_MIN, minY = INT64_MAX, maxY = INT64_MIN;
    for (i64 px : {offsetX - 2, offsetX + image.width + 2})
        for (i64 py : {offsetY - 2, offsetY + image.height + 2}) {
            const i64 X = shr8(px * shr8(C * hx) + py * shr8(S * hy));
            const i64 Y = shr8(py * shr8(C * hy) - px * shr8(S * hx));
            minX = std::min(minX, X), maxX = std::max(maxX, X);
            minY = std::min(minY, Y), maxY = std::max(maxY, Y);
        }
    const i64 bw = maxX - minX, bh = maxY - minY;
    if (bw < 1 || bh < 1)
        return;
    i64 left, top;
    if (!Place(minX - call.scrollX + call.x, bw, W, call.wrapX, call.wrapWidth, &left) ||
        !Place(minY - call.scrollY + call.y, bh, H, call.wrapY, call.wrapHeight, &top))
        return;
    const i64 ix = 131072 / call.scaleX, iy = 131072 / call.scaleY;
    const i64 sgnX = call.flipX ? -1 : 1, sgnY = call.flipY ? -1 : 1;
    const i64 uc = shr8(sgnX * C * ix), us = shr8(sgnX * S * ix);
    const i64 vc = shr8(sgnY * C * iy), vs = shr8(sgnY * S * iy);
    for (i64 r = 0; r < bh; ++r)
        for (i64 c = 0; c < bw; ++c) {
            const i64 u = (minX + c) * uc - (minY + r) * us - (i64)image.offsetX * 256;
            const i64 v = (minY + r) * vc + (minX + c) * vs - (i64)image.offsetY * 256;
            const i64 tx = shr8(u), ty = shr8(v);
            if (tx >= 0 && tx < image.width && ty >= 0 && ty < image.height)
                put(left + c, top + r, image.pixels[ty * image.width + tx]);
        }
}

// An image that owns its storage.
struct OwnedImage {
    std::vector<u8> pixels;
    std::vector<u32> rowStarts;
    SpriteImage image{};

    OwnedImage(int width, int height, i16 offsetX, i16 offsetY)
        : pixels((size_t)width * height), rowStarts((size_t)height)
    {
        for (int y = 0; y < height; ++y)
            rowStarts[(size_t)y] = (u32)(y * width);
        image.width = (u16)width;
        image.height = (u16)height;
        image.pixels = pixels.data();
        image.rowStarts = rowStarts.data();
        SetOffsets(offsetX, offsetY);
    }
    void SetOffsets(i16 offsetX, i16 offsetY)
    {
        image.offsetX = offsetX;
        image.offsetY = offsetY;
        image.flippedOffsetX = (i16)-(image.width + offsetX);
        image.flippedOffsetY = (i16)-(image.height + offsetY);
    }
};

} // namespace blitref

// A video mode with a palette of distinct colours (top byte 0xFF, entry 0 included) current, the
// resting draw state and no camera wrap.
class BlitFixture : public HeadlessGame {
protected:
    std::vector<u32> palette = std::vector<u32>(256);

    void SetUp() override
    {
        HeadlessGame::SetUp();
        for (u32 i = 0; i < 256; ++i)
            palette[i] = 0xFF000000u | ((i * 2654435761u) >> 8);
        currentPalette = palette.data();
        RestDrawState();
        memset(cameraLimits, 0, sizeof(cameraLimits));
        currentCamera = 0;
    }
    void TearDown() override
    {
        RestDrawState();
        memset(cameraLimits, 0, sizeof(cameraLimits));
        currentPalette = nullptr;
        HeadlessGame::TearDown();
    }
    static void RestDrawState()
    {
        drawFlags = 0;
        blendMode = 0;
        blendLevel = 255;
        spriteScaleX = spriteScaleY = 512;
        spriteAngle = 0;
    }
    // The live frame with its guard rows, as a reference frame.
    static blitref::Frame Snapshot()
    {
        blitref::Frame frame;
        frame.width = screenWidth;
        frame.height = screenHeight;
        frame.block.assign(doubleBuffer, doubleBuffer + (size_t)screenWidth * (screenHeight + 2));
        return frame;
    }
    static bool SameAsLive(const blitref::Frame& frame)
    {
        return memcmp(frame.block.data(), doubleBuffer, frame.block.size() * 4) == 0;
    }
    // The first pixel (guard rows included, y = -1 and H) where the live frame differs.
    static std::string FirstDifference(const blitref::Frame& frame)
    {
        for (size_t i = 0; i < frame.block.size(); ++i)
            if (frame.block[i] != doubleBuffer[i]) {
                char text[96];
                snprintf(text, sizeof(text), "(%d, %d): expected %08x, drawn %08x",
                         (int)(i % frame.width), (int)(i / frame.width) - 1, frame.block[i], doubleBuffer[i]);
                return text;
            }
        return "none";
    }
};
