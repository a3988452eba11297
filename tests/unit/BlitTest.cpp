// The blend tables, the tile and sprite blitters against slow references, and the draw state.
#include <climits>
#include <limits>
#include <string>

#include "Engine/Common/Layout.h"
#include "Engine/Render/BlendTables.h"
#include "Engine/Render/SpriteBlit.h"
#include "Engine/Render/TileBlit.h"
#include "tests/unit/BlitReference.h"

namespace {

using blitref::OwnedImage;
using blitref::SpriteCall;

struct ModeCase {
    u8 mode;
    int width, height;
};
const ModeCase allModes[] = {{20, 320, 240}, {24, 640, 480}, {25, 424, 240}};

TEST(BlendTables, EveryEntryFollowsItsFormula)
{
    BuildBlendTables();
    int wrong = 0;
    for (u32 level = 0; level < 256; ++level)
        for (u32 v = 0; v < 256; ++v) {
            wrong += mulBlendTable[level * 256 + v] != (level * v) >> 8;
            wrong += invBlendTable[level * 256 + v] != (v * (255 - level)) >> 8;
        }
    EXPECT_EQ(wrong, 0);
    // The rows the drawing relies on: full level takes v - 1, half level halves, and the frame
    // share vanishes at full level.
    EXPECT_EQ(mulBlendTable[255 * 256 + 200], 199);
    EXPECT_EQ(mulBlendTable[128 * 256 + 201], 100);
    EXPECT_EQ(invBlendTable[255 * 256 + 255], 0);
    EXPECT_EQ(invBlendTable[0 * 256 + 100], 99);
}

TEST(BlendTables, BlendOfOnePixelInEveryMode)
{
    BuildBlendTables();
    struct Case {
        u32 mode, level, s, d, expected;
    };
    const Case cases[] = {
        {0, 17, 0xFF123456, 0x00ABCDEF, 0xFF123456}, // copy keeps the palette's top byte
        {1, 255, 0xFF808080, 0x00808080, 0x00FFFFFF}, // saturated, top byte 0
        {1, 128, 0xFFC8C8C8, 0x00000000, 0x00646464}, // 200 at level 128 gives 100
        {1, 0, 0xFFFFFFFF, 0x00102030, 0x00102030},
        {2, 255, 0xFFFFFFFF, 0x00000000, 0x00FEFEFE}, // white at full level over black: 254
        {2, 0, 0xFFFFFFFF, 0x00000000, 0x00000000},   // at level 0 the source vanishes
        {2, 0, 0xFFFFFFFF, 0x00FF8040, 0x00FE7F3F},
        {3, 255, 0xFFFFFFFF, 0x00000000, 0x007F7F7F},
        {3, 0, 0xFF000000, 0xFFFFFFFF, 0x007F7F7F},   // the frame's top byte is dropped too
    };
    for (const Case& c : cases) {
        const BlendRows rows = BlendRowsAt(c.level);
        u32 got = 0;
        switch (c.mode) {
        case 0: got = BlendPixel<0>(c.s, c.d, rows); break;
        case 1: got = BlendPixel<1>(c.s, c.d, rows); break;
        case 2: got = BlendPixel<2>(c.s, c.d, rows); break;
        case 3: got = BlendPixel<3>(c.s, c.d, rows); break;
        }
        EXPECT_EQ(got, c.expected) << "mode " << c.mode << " level " << c.level;
        EXPECT_EQ(got, blitref::Blend(c.mode, c.level, c.s, c.d));
    }
    // Random colours against the formulas, the palette's top byte set and the frame's either way.
    std::mt19937 random(3);
    int wrong = 0;
    for (int i = 0; i < 100000; ++i) {
        const u32 level = random() & 255, s = random() | 0xFF000000u, d = random();
        const BlendRows rows = BlendRowsAt(level);
        wrong += BlendPixel<1>(s, d, rows) != blitref::Blend(1, level, s, d);
        wrong += BlendPixel<2>(s, d, rows) != blitref::Blend(2, level, s, d);
        wrong += BlendPixel<3>(s, d, rows) != blitref::Blend(3, level, s, d);
    }
    EXPECT_EQ(wrong, 0);
    // A level past 255 blends as 255 instead of reading past the tables.
    EXPECT_EQ(BlendRowsAt(100000).mul, BlendRowsAt(255).mul);
}

class TileBlitTest : public BlitFixture {};

// Tiles clipped at every edge in every size, through the slots, against the closed form.
TEST_F(TileBlitTest, ClippedAtEveryEdgeInEverySize)
{
    std::vector<u8> pixels(256);
    for (int i = 0; i < 256; ++i)
        pixels[(size_t)i] = (u8)(i % 7 == 0 ? 0 : i); // index 0 scattered through the tile
    TileRecord tile{};
    tile.pixels = pixels.data();

    for (const ModeCase& m : allModes) {
        SetVideoMode(m.mode);
        const int W = m.width, H = m.height;
        const int xs[] = {-17, -16, -15, -1, 0, 1, W - 17, W - 16, W - 15, W - 1, W, INT_MIN};
        const int ys[] = {-16, -15, 0, 7, H - 16, H - 15, H - 1, H, INT_MAX};
        for (bool masked : {false, true})
            for (int sx : xs)
                for (int sy : ys) {
                    for (size_t i = 0; i < (size_t)W * (H + 2); ++i)
                        doubleBuffer[i] = 0x00C0FFEE;
                    blitref::Frame expected = Snapshot();
                    if (sx > -16 && sx < W && sy > -16 && sy < H)
                        for (int r = 0; r < 16; ++r)
                            for (int c = 0; c < 16; ++c) {
                                const int X = sx + c, Y = sy + r;
                                const u8 index = pixels[(size_t)(r * 16 + c)];
                                if (X >= 0 && X < W && Y >= 0 && Y < H && (!masked || index))
                                    expected.At(X, Y) = palette[index];
                            }
                    // The scroll is taken off the position; keep the sum in range for the extremes.
                    const i32 scroll = (sx == INT_MIN || sy == INT_MAX) ? 0 : 1000;
                    (masked ? rendererSlots.DrawTileMasked : rendererSlots.DrawTile)(
                        &tile, scroll, -scroll, sx + scroll, sy - scroll);
                    ASSERT_TRUE(SameAsLive(expected))
                        << W << "x" << H << (masked ? " masked" : "") << " at " << sx << ", " << sy
                        << ": " << FirstDifference(expected);
                }
    }
}

// Tiles take the palette entry of index 0 (DrawTile) or leave the frame (DrawTileMasked), and
// ignore the blend mode.
TEST_F(TileBlitTest, IndexZeroAndBlendMode)
{
    std::vector<u8> pixels(256, 0);
    pixels[17] = 5;
    TileRecord tile{};
    tile.pixels = pixels.data();
    blendMode = 3;
    frameBuffer[0] = 0x123;
    rendererSlots.DrawTileMasked(&tile, 0, 0, 0, 0);
    EXPECT_EQ(frameBuffer[0], 0x123u);
    EXPECT_EQ(frameBuffer[rowOffsets[1] + 1], palette[5]);
    blendMode = 4;
    rendererSlots.DrawTile(&tile, 0, 0, 0, 0);
    EXPECT_EQ(frameBuffer[0], palette[0]);
    rendererSlots.DrawTile(nullptr, 0, 0, 0, 0); // nothing to draw, nothing read
}

class SpriteBlitTest : public BlitFixture {
protected:
    std::mt19937 random{20240611};

    int Pick(int low, int high) { return low + (int)(random() % (u32)(high - low + 1)); }

    OwnedImage RandomImage()
    {
        OwnedImage owned(Pick(1, 40), Pick(1, 40), (i16)Pick(-48, 8), (i16)Pick(-48, 8));
        for (u8& p : owned.pixels)
            p = Pick(0, 9) < 3 ? 0 : (u8)Pick(1, 255);
        return owned;
    }

    void Apply(const SpriteCall& call)
    {
        blendMode = call.mode;
        blendLevel = call.level;
        drawFlags = call.rotate ? drawFlagRotateScale : 0;
        spriteScaleX = call.scaleX;
        spriteScaleY = call.scaleY;
        spriteAngle = call.angle;
        cameraLimits[0].wrapX = call.wrapX;
        cameraLimits[0].wrapWidth = call.wrapWidth;
        cameraLimits[0].wrapY = call.wrapY;
        cameraLimits[0].wrapHeight = call.wrapHeight;
    }

    static DrawSpriteFunction Slot(bool flipX, bool flipY)
    {
        return flipX ? (flipY ? rendererSlots.DrawSpriteFlipXY : rendererSlots.DrawSpriteFlipX)
                     : (flipY ? rendererSlots.DrawSpriteFlipY : rendererSlots.DrawSprite);
    }

    // Draws through the slot and the reference on the same random frame; true when they agree.
    ::testing::AssertionResult Matches(const OwnedImage& owned, const SpriteCall& call)
    {
        for (size_t i = (size_t)screenWidth; i < (size_t)screenWidth * (screenHeight + 1); ++i)
            doubleBuffer[i] = random() & 0x00FFFFFF;
        blitref::Frame expected = Snapshot();
        blitref::DrawSprite(expected, owned.image, palette.data(), call);
        Apply(call);
        Slot(call.flipX, call.flipY)(&owned.image, call.scrollX, call.scrollY, call.x, call.y);
        RestDrawState();
        if (SameAsLive(expected))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << screenWidth << "x" << screenHeight << " image " << owned.image.width << "x"
               << owned.image.height << " offset " << owned.image.offsetX << ","
               << owned.image.offsetY << " flip " << call.flipX << call.flipY << " at " << call.x
               << "," << call.y << " scroll " << call.scrollX << "," << call.scrollY << " mode "
               << call.mode << "/" << call.level << " rotate " << call.rotate << " scale "
               << call.scaleX << "," << call.scaleY << " angle " << call.angle << " wrap "
               << call.wrapX << ":" << call.wrapWidth << "," << call.wrapY << ":"
               << call.wrapHeight << " first difference " << FirstDifference(expected);
    }

    SpriteCall RandomCall(bool rotate)
    {
        SpriteCall call{};
        call.flipX = random() & 1;
        call.flipY = random() & 1;
        call.scrollX = Pick(-500, 500);
        call.scrollY = Pick(-500, 500);
        call.x = call.scrollX + Pick(-120, screenWidth + 120);
        call.y = call.scrollY + Pick(-120, screenHeight + 120);
        call.mode = (u32)Pick(0, 4);
        call.level = (u32)Pick(0, 255);
        call.rotate = rotate;
        const int scales[] = {512, 512, 1024, 256, 1, 2, 700, 1500, 65535, 0, 65536};
        call.scaleX = Pick(0, 3) == 0 ? scales[Pick(0, 10)] : Pick(128, 2048);
        call.scaleY = Pick(0, 3) == 0 ? call.scaleX : Pick(128, 2048);
        call.angle = Pick(0, 7) == 0 ? (Pick(0, 1) ? INT_MIN : INT_MAX) : Pick(-600, 600);
        if (Pick(0, 2) == 0) {
            call.wrapX = 1;
            call.wrapWidth = Pick(screenWidth / 2, screenWidth * 2);
        }
        if (Pick(0, 2) == 0) {
            call.wrapY = 1;
            call.wrapHeight = Pick(screenHeight / 2, screenHeight * 2);
        }
        return call;
    }
};

// The fast blitters draw exactly what the closed forms give, plain and rotated, in every size,
// mirror and blend mode, with and without wrap.
TEST_F(SpriteBlitTest, MatchTheReferenceOverASeededSweep)
{
    for (const ModeCase& m : allModes) {
        SetVideoMode(m.mode);
        for (bool rotate : {false, true})
            for (int i = 0; i < 400; ++i) {
                const OwnedImage owned = RandomImage();
                ASSERT_TRUE(Matches(owned, RandomCall(rotate))) << "draw " << i;
            }
    }
}

// Sprites clipped at every screen edge, in every size and mirror: left = W - 1 draws one
// column, left = -width nothing.
TEST_F(SpriteBlitTest, ClippedAtEveryEdge)
{
    OwnedImage owned(9, 5, 0, 0);
    for (size_t i = 0; i < owned.pixels.size(); ++i)
        owned.pixels[i] = (u8)(i + 1);
    for (const ModeCase& m : allModes) {
        SetVideoMode(m.mode);
        const int W = m.width, H = m.height;
        for (int left : {-10, -9, -8, -1, 0, W - 9, W - 8, W - 1, W})
            for (int top : {-6, -5, -4, 0, H - 5, H - 4, H - 1, H})
                for (int flip = 0; flip < 4; ++flip) {
                    SpriteCall call{};
                    call.flipX = flip & 1, call.flipY = flip & 2;
                    call.level = 255;
                    // Put the image's top-left at (left, top) whichever offsets the mirror uses.
                    call.x = left - (call.flipX ? owned.image.flippedOffsetX : owned.image.offsetX);
                    call.y = top - (call.flipY ? owned.image.flippedOffsetY : owned.image.offsetY);
                    ASSERT_TRUE(Matches(owned, call));
                }
        // One column at the right edge, the image's last column when mirrored.
        memset(frameBuffer, 0, frameBytes);
        rendererSlots.DrawSprite(&owned.image, 0, 0, W - 1, 0);
        rendererSlots.DrawSpriteFlipX(&owned.image, 0, 0, W - 1 - owned.image.flippedOffsetX, 10);
        EXPECT_EQ(frameBuffer[rowOffsets[0] + W - 1], palette[1]);
        EXPECT_EQ(frameBuffer[rowOffsets[0] + W - 2], 0u);
        EXPECT_EQ(frameBuffer[rowOffsets[10] + W - 1], palette[9]);
    }
}

TEST_F(SpriteBlitTest, WrapDrawsOneCopyOnly)
{
    OwnedImage owned(10, 10, 0, 0);
    for (u8& p : owned.pixels)
        p = 7;
    const u32 colour = palette[7];
    struct Case {
        int x, y, wrapX, wrapWidth, wrapY, wrapHeight;
        int drawnX, drawnY; // top-left of the one copy drawn; INT_MIN: none
    };
    const Case cases[] = {
        {100, 50, 1, 424, 1, 240, 100, 50},     // visible at its own place: there, once
        {-5, 50, 1, 200, 0, 0, -5, 50},          // partly visible counts as visible
        {-10, 50, 0, 0, 0, 0, INT_MIN, 0},       // gone, no wrap
        {-10, 50, 1, 424, 0, 0, 414, 50},        // back in from the right
        {430, 50, 1, 500, 0, 0, INT_MIN, 0},     // a wrap length either way is still off screen...
        {430, 50, 1, 30, 0, 0, 400, 50},         // ...a shorter wrap brings it back
        {-300, 50, 1, 500, 0, 0, 200, 50},       // forward when back is not visible
        {100, -10, 0, 0, 1, 240, 100, 230},      // vertical wrap on its own
        {-10, -10, 1, 424, 1, 240, 414, 230},    // both axes wrapped independently
        {10, 300, 1, 424, 0, 0, INT_MIN, 0},     // wrap on x does not help y
        {-10, 50, 1, 440, 0, 0, INT_MIN, 0},     // a wrap length that carries it past the screen
    };
    for (const Case& c : cases) {
        memset(frameBuffer, 0, frameBytes);
        cameraLimits[0].wrapX = c.wrapX, cameraLimits[0].wrapWidth = c.wrapWidth;
        cameraLimits[0].wrapY = c.wrapY, cameraLimits[0].wrapHeight = c.wrapHeight;
        rendererSlots.DrawSprite(&owned.image, 0, 0, c.x, c.y);
        int count = 0, minX = INT_MAX, minY = INT_MAX;
        for (int y = 0; y < screenHeight; ++y)
            for (int x = 0; x < screenWidth; ++x)
                if (frameBuffer[rowOffsets[y] + x] == colour) {
                    ++count;
                    minX = std::min(minX, x), minY = std::min(minY, y);
                }
        if (c.drawnX == INT_MIN || c.drawnY == INT_MIN) {
            EXPECT_EQ(count, 0) << c.x << "," << c.y;
            continue;
        }
        const int visibleW = std::min(c.drawnX + 10, screenWidth) - std::max(c.drawnX, 0);
        const int visibleH = std::min(c.drawnY + 10, screenHeight) - std::max(c.drawnY, 0);
        EXPECT_EQ(count, visibleW * visibleH) << c.x << "," << c.y;
        EXPECT_EQ(minX, std::max(c.drawnX, 0)) << c.x << "," << c.y;
        EXPECT_EQ(minY, std::max(c.drawnY, 0)) << c.x << "," << c.y;
    }
    // The wrap is the current camera's.
    memset(frameBuffer, 0, frameBytes);
    cameraLimits[0] = CameraLimits{};
    cameraLimits[2].wrapX = 1, cameraLimits[2].wrapWidth = 424;
    currentCamera = 2;
    rendererSlots.DrawSprite(&owned.image, 0, 0, -10, 0);
    currentCamera = 0;
    EXPECT_EQ(frameBuffer[rowOffsets[0] + 414], colour);
}

// The turned and scaled picture where the closed forms put it, checked by hand.
TEST_F(SpriteBlitTest, RotateAndScaleByHand)
{
    OwnedImage owned(8, 4, 0, 0); // right of and below the drawing position
    for (u8& p : owned.pixels)
        p = 3;
    const u32 colour = palette[3];
    auto drawnBox = [&](i32 angle, i32 scale, int* minX, int* maxX, int* minY, int* maxY) {
        memset(frameBuffer, 0, frameBytes);
        drawFlags = drawFlagRotateScale;
        spriteAngle = angle;
        spriteScaleX = spriteScaleY = scale;
        rendererSlots.DrawSprite(&owned.image, 0, 0, 200, 100);
        RestDrawState();
        *minX = *minY = INT_MAX, *maxX = *maxY = INT_MIN;
        for (int y = 0; y < screenHeight; ++y)
            for (int x = 0; x < screenWidth; ++x)
                if (frameBuffer[rowOffsets[y] + x] == colour) {
                    *minX = std::min(*minX, x), *maxX = std::max(*maxX, x);
                    *minY = std::min(*minY, y), *maxY = std::max(*maxY, y);
                }
    };
    int minX, maxX, minY, maxY;
    drawnBox(0, 512, &minX, &maxX, &minY, &maxY); // the plain picture
    EXPECT_EQ(minX, 200);
    EXPECT_EQ(maxX, 207);
    EXPECT_EQ(minY, 100);
    EXPECT_EQ(maxY, 103);
    drawnBox(64, 512, &minX, &maxX, &minY, &maxY); // a quarter turn clockwise: below, to the left
    EXPECT_GE(minY, 100);
    EXPECT_LE(maxY, 108);
    EXPECT_GE(maxY, 106);
    EXPECT_LE(maxX, 200);
    EXPECT_GE(minX, 196);
    drawnBox(0, 1024, &minX, &maxX, &minY, &maxY); // doubled about the drawing position
    EXPECT_EQ(minX, 200);
    EXPECT_EQ(maxX, 215);
    EXPECT_EQ(minY, 100);
    EXPECT_EQ(maxY, 107);
    for (i32 scale : {0, -5, 65536}) {
        drawnBox(0, scale, &minX, &maxX, &minY, &maxY);
        EXPECT_EQ(minX, INT_MAX) << scale; // nothing drawn
    }
}

// At scale 1.0 and angle 0 the rotate/scale path draws what the plain path draws.
TEST_F(SpriteBlitTest, UnturnedRotatePathEqualsPlainPath)
{
    for (int i = 0; i < 50; ++i) {
        OwnedImage owned = RandomImage();
        const i32 x = Pick(0, 300), y = Pick(50, 150);
        for (size_t p = 0; p < (size_t)screenWidth * (screenHeight + 2); ++p)
            doubleBuffer[p] = 0;
        rendererSlots.DrawSprite(&owned.image, 0, 0, x, y);
        blitref::Frame plain = Snapshot();
        for (size_t p = 0; p < (size_t)screenWidth * (screenHeight + 2); ++p)
            doubleBuffer[p] = 0;
        drawFlags = drawFlagRotateScale;
        rendererSlots.DrawSprite(&owned.image, 0, 0, x, y);
        RestDrawState();
        ASSERT_TRUE(SameAsLive(plain)) << i << ": " << FirstDifference(plain);
    }
}

TEST_F(SpriteBlitTest, NothingDrawnForBadModesOrImages)
{
    OwnedImage owned(4, 4, 0, 0);
    for (u8& p : owned.pixels)
        p = 1;
    blitref::Frame before = Snapshot();
    for (bool rotate : {false, true}) {
        drawFlags = rotate ? drawFlagRotateScale : 0;
        blendMode = 4;
        for (int flip = 0; flip < 4; ++flip)
            Slot(flip & 1, flip & 2)(&owned.image, 0, 0, 10, 10);
        blendMode = 0;
        rendererSlots.DrawSprite(nullptr, 0, 0, 10, 10);
        SpriteImage empty = owned.image;
        empty.width = 0;
        rendererSlots.DrawSprite(&empty, 0, 0, 10, 10);
        empty = owned.image;
        empty.pixels = nullptr;
        rendererSlots.DrawSprite(&empty, 0, 0, 10, 10);
        currentPalette = nullptr;
        rendererSlots.DrawSprite(&owned.image, 0, 0, 10, 10);
        currentPalette = palette.data();
    }
    RestDrawState();
    EXPECT_TRUE(SameAsLive(before)) << FirstDifference(before);
    // Far-off positions are rejected without overflow.
    rendererSlots.DrawSprite(&owned.image, INT_MIN, INT_MAX, INT_MAX, INT_MIN);
    EXPECT_TRUE(SameAsLive(before)) << FirstDifference(before);
}

struct TransformHeader {
    f32 scaleX, scaleY, rotation;
    u8 flash;
};

TEST(DrawState, SetSpriteTransformTruncatesAndClamps)
{
    struct Case {
        TransformHeader header;
        i32 scaleX, scaleY, angle;
    };
    const f32 nan = std::numeric_limits<f32>::quiet_NaN();
    const Case cases[] = {
        {{1.0f, 2.0f, 64.9f, 128}, 512, 1024, 64},
        {{0.5f, 0.999f, -0.5f, 255}, 256, 511, 0},  // toward zero
        {{-1.0f, 1e30f, -1e30f, 0}, -512, INT_MAX, INT_MIN}, // out of range: clamped
        {{nan, 1.0f, nan, 7}, 0, 512, 0},
    };
    for (const Case& c : cases) {
        drawFlags = 0x1234;
        SetSpriteTransform(&c.header, 2);
        EXPECT_EQ(drawFlags, drawFlagRotateScale);
        EXPECT_EQ(spriteScaleX, c.scaleX);
        EXPECT_EQ(spriteScaleY, c.scaleY);
        EXPECT_EQ(spriteAngle, c.angle);
        EXPECT_EQ(blendMode, 2u);
        EXPECT_EQ(blendLevel, c.header.flash);
    }
    drawFlags = 0, blendMode = 0, blendLevel = 255, spriteScaleX = spriteScaleY = 512, spriteAngle = 0;
}

} // namespace
