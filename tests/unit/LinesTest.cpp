// Lines, spans, rectangles, ClipLine and the textured-span pair of the 640x480 mode.
#include <algorithm>
#include <climits>
#include <string>
#include <utility>

#include "Engine/Common/Debug.h"
#include "Engine/Render/Lines.h"
#include "tests/unit/BlitReference.h"

namespace {

typedef std::vector<std::pair<int, int>> Pixels;

class LinesTest : public BlitFixture {
protected:
    // The pixels that hold the colour, row by row.
    static Pixels Coloured(u32 colour)
    {
        Pixels found;
        for (int y = 0; y < screenHeight; ++y)
            for (int x = 0; x < screenWidth; ++x)
                if (frameBuffer[rowOffsets[y] + x] == colour)
                    found.push_back({x, y});
        return found;
    }
    static void Clear() { memset(doubleBuffer, 0, frameBytes + (size_t)screenWidth * 8); }
    static bool GuardRowsClear()
    {
        for (int x = 0; x < screenWidth; ++x)
            if (frameBuffer[x - screenWidth] || frameBuffer[rowOffsets[screenHeight - 1] + screenWidth + x])
                return false;
        return true;
    }
};

TEST_F(LinesTest, DrawLinePixelLists)
{
    struct Case {
        int x0, y0, x1, y1;
        Pixels pixels; // sorted by row, then column
    };
    const Case cases[] = {
        {0, 0, 4, 2, {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}},
        {0, 0, 2, 4, {{0, 0}, {1, 1}, {1, 2}, {2, 3}, {2, 4}}},
        {3, 3, 3, 3, {{3, 3}}},
        // Drawn the other way the minor axis still moves at the first positive error, so the
        // pixels are not those of the forward line.
        {4, 2, 0, 0, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}},
        {0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        {10, 5, 13, 5, {{10, 5}, {11, 5}, {12, 5}, {13, 5}}},
        {7, 9, 7, 6, {{7, 6}, {7, 7}, {7, 8}, {7, 9}}},
        {5, 0, 0, 2, {{5, 0}, {4, 1}, {3, 1}, {2, 2}, {1, 2}, {0, 2}}},
    };
    for (const Case& c : cases) {
        Clear();
        rendererSlots.DrawLine(c.x0, c.y0, c.x1, c.y1, 9);
        Pixels expected = c.pixels;
        std::sort(expected.begin(), expected.end(),
                  [](auto a, auto b) { return a.second != b.second ? a.second < b.second : a.first < b.first; });
        EXPECT_EQ(Coloured(palette[9]), expected) << c.x0 << "," << c.y0 << " - " << c.x1 << "," << c.y1;
    }
    // Corner to corner in every size, and nothing at all for an end point off the frame.
    for (u8 mode : {20, 24, 25}) {
        SetVideoMode(mode);
        const int W = screenWidth, H = screenHeight;
        rendererSlots.DrawLine(W - 1, 0, 0, H - 1, 4);
        const Pixels drawn = Coloured(palette[4]);
        EXPECT_EQ(drawn.size(), (size_t)W);
        EXPECT_NE(std::find(drawn.begin(), drawn.end(), std::make_pair(W - 1, 0)), drawn.end());
        EXPECT_NE(std::find(drawn.begin(), drawn.end(), std::make_pair(0, H - 1)), drawn.end());
        Clear();
        rendererSlots.DrawLine(0, 0, W, 5, 4);
        rendererSlots.DrawLine(-1, 0, 5, 5, 4);
        rendererSlots.DrawLine(5, 5, 5, H, 4);
        EXPECT_TRUE(Coloured(palette[4]).empty());
        EXPECT_TRUE(GuardRowsClear());
    }
}

TEST_F(LinesTest, SpansAndRectangles)
{
    struct Case {
        const char* what;
        void (*draw)();
        int minX, minY, maxX, maxY; // the filled box; minX > maxX: nothing
    };
    const Case cases[] = {
        {"empty span", [] { rendererSlots.DrawHLine(5, 10, 5, 9); }, 1, 0, 0, 0},
        {"one-pixel span", [] { rendererSlots.DrawHLine(5, 10, 6, 9); }, 5, 10, 5, 10},
        {"span to the right edge", [] { rendererSlots.DrawHLine(400, 239, 424, 9); }, 400, 239, 423, 239},
        {"empty column", [] { rendererSlots.DrawVLine(5, 10, 10, 9); }, 1, 0, 0, 0},
        {"column", [] { rendererSlots.DrawVLine(423, 200, 240, 9); }, 423, 200, 423, 239},
        {"rectangle", [] { rendererSlots.FillRect(5, 5, 10, 10, 9); }, 5, 5, 10, 10},
        {"corners swapped", [] { rendererSlots.FillRect(10, 10, 5, 5, 9); }, 5, 5, 10, 10},
        {"clipped at the top-left", [] { rendererSlots.FillRect(-5, -5, 2, 2, 9); }, 0, 0, 2, 2},
        {"clipped at the bottom-right", [] { rendererSlots.FillRect(500, 300, 420, 238, 9); }, 420, 238, 423, 239},
        {"whole screen and more", [] { rendererSlots.FillRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 9); }, 0, 0, 423, 239},
        {"off the right", [] { rendererSlots.FillRect(424, 0, 500, 10, 9); }, 1, 0, 0, 0},
        {"off the top", [] { rendererSlots.FillRect(0, -10, 10, -1, 9); }, 1, 0, 0, 0},
        // Spans outside the frame are left out rather than written past it.
        {"span below the frame", [] { rendererSlots.DrawHLine(0, 240, 10, 9); }, 1, 0, 0, 0},
        {"span past both sides", [] { rendererSlots.DrawHLine(-20, 3, 9999, 9); }, 0, 3, 423, 3},
        {"column past both ends", [] { rendererSlots.DrawVLine(7, -50, 9999, 9); }, 7, 0, 7, 239},
        {"column off the frame", [] { rendererSlots.DrawVLine(424, 0, 10, 9); }, 1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        Clear();
        c.draw();
        Pixels expected;
        for (int y = c.minY; y <= c.maxY && c.minX <= c.maxX; ++y)
            for (int x = c.minX; x <= c.maxX; ++x)
                expected.push_back({x, y});
        EXPECT_EQ(Coloured(palette[9]), expected) << c.what;
        EXPECT_TRUE(GuardRowsClear()) << c.what;
    }
}

TEST_F(LinesTest, PrimitivesBlend)
{
    palette[0] = 0xFF000000;
    for (int i = 0; i < 40; ++i)
        frameBuffer[i] = 0x00FFFFFF;
    blendMode = 3;
    rendererSlots.DrawHLine(0, 0, 10, 0); // black averaged into white
    blendMode = 1;
    blendLevel = 128;
    palette[1] = 0xFFC8C8C8;
    for (int i = 10; i < 20; ++i)
        frameBuffer[i] = 0;
    rendererSlots.FillRect(10, 0, 19, 0, 1);
    blendMode = 2;
    blendLevel = 0;
    rendererSlots.DrawLine(20, 0, 29, 0, 1); // level 0: the frame stays (less its rounding)
    blendMode = 4;
    rendererSlots.DrawHLine(30, 0, 40, 1);
    rendererSlots.DrawVLine(30, 0, 1, 1);
    rendererSlots.DrawLine(30, 0, 39, 0, 1);
    rendererSlots.FillRect(30, 0, 39, 0, 1);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(frameBuffer[i], 0x007F7F7Fu);
        EXPECT_EQ(frameBuffer[10 + i], 0x00646464u);
        EXPECT_EQ(frameBuffer[20 + i], 0x00FEFEFEu);
        EXPECT_EQ(frameBuffer[30 + i], 0x00FFFFFFu); // mode 4 draws nothing
    }
}

struct ClipCase {
    const char* what;
    i32 x0, y0, x1, y1;
    bool result;
    i32 cx0, cy0, cx1, cy1;
};

TEST_F(LinesTest, ClipLineCases)
{
    const ClipCase cases[] = {
        {"both inside", 0, 0, 423, 239, true, 0, 0, 423, 239},
        {"both left", -10, 5, -1, 100, false, -10, 5, -1, 100},
        {"both below", 5, 240, 300, 1000, false, 5, 240, 300, 1000},
        {"first left of the screen", -10, 10, 10, 10, true, 0, 10, 10, 10},
        {"vertical, second below", 5, 5, 5, 300, true, 5, 5, 5, 239},
        {"vertical, first above", 5, -300, 5, 5, true, 5, 0, 5, 5},
        {"out the right edge", 400, 100, 500, 200, true, 400, 100, 423, 123},
        {"out the bottom edge", 10, 230, 500, 250, true, 10, 230, 231, 239},
        // Beyond the bottom-right corner the right edge is met first and the bottom clip, landing
        // past the right edge, is not taken.
        {"past the bottom-right, right edge", 400, 100, 500, 400, true, 400, 100, 423, 169},
        // Beyond the top-left corner both clips apply and the top one overrides even though the
        // line leaves through the left edge: the end point lands at x < 0 and the line is refused.
        {"corner quirk, top-left", 10, 5, -100, -10, false, 10, 5, -26, 0},
        {"corner quirk, bottom-left", 10, 230, -100, 250, false, 10, 230, -39, 239},
        // Neither inside but crossing: the second end point is clipped first, then the first
        // against it.
        {"across the screen", -100, 120, 600, 120, true, 0, 120, 423, 120},
        {"across, diagonal", -10, -10, 250, 250, true, 0, 0, 239, 239},
        {"both outside, cutting the corner", -10, 30, 30, -10, true, 0, 20, 20, 0},
        {"both outside, missing the corner", -10, 5, 5, -10, false, 0, -2, -4, 0},
    };
    for (const ClipCase& c : cases) {
        i32 x0 = c.x0, y0 = c.y0, x1 = c.x1, y1 = c.y1;
        EXPECT_EQ(rendererSlots.ClipLine(&x0, &y0, &x1, &y1), c.result) << c.what;
        EXPECT_EQ(x0, c.cx0) << c.what;
        EXPECT_EQ(y0, c.cy0) << c.what;
        EXPECT_EQ(x1, c.cx1) << c.what;
        EXPECT_EQ(y1, c.cy1) << c.what;
    }
    // Extreme end points give a definite answer, never undefined arithmetic.
    i32 x0 = INT_MIN, y0 = INT_MAX, x1 = 5, y1 = 5;
    EXPECT_FALSE(rendererSlots.ClipLine(&x0, &y0, &x1, &y1));
    lineX0 = 100, lineY0 = INT_MIN, lineX1 = 100, lineY1 = INT_MAX;
    EXPECT_TRUE(rendererSlots.ClipLine(&lineX0, &lineY0, &lineX1, &lineY1));
    EXPECT_EQ(lineY0, 0);
    EXPECT_EQ(lineY1, 239);
    // Every size clips against its own edges.
    for (u8 mode : {20, 24}) {
        SetVideoMode(mode);
        i32 a = 5, b = 5, c = 5, d = 5000;
        EXPECT_TRUE(rendererSlots.ClipLine(&a, &b, &c, &d));
        EXPECT_EQ(d, screenHeight - 1);
    }
}

class TextureLineTest : public LinesTest {
protected:
    std::vector<u8> texture = std::vector<u8>(256 * 256);
    void SetUp() override
    {
        LinesTest::SetUp();
        for (size_t i = 0; i < texture.size(); ++i)
            texture[i] = (u8)(i * 7 + i / 256 * 13 + 1);
        currentTexture = texture.data();
        SetVideoMode(24);
    }
    void TearDown() override
    {
        currentTexture = nullptr;
        LinesTest::TearDown();
    }
    u32 Texel(u32 u, u32 v) const { return palette[texture[(v & 0xFF) * 256 + (u & 0xFF)]]; }
};

TEST_F(TextureLineTest, SpansInterpolateClipAndStayInTheTexture)
{
    ASSERT_TRUE(rendererSlots.DrawTextureLine);
    // Ten pixels over ten texels: one texel a pixel, v creeping 25/256 a pixel.
    rendererSlots.DrawTextureLine(9, 9, 0, 0, 0, 0, 5); // ends given right to left
    for (u32 k = 0; k < 10; ++k)
        EXPECT_EQ(frameBuffer[rowOffsets[5] + k], Texel(k, 0)) << k;
    EXPECT_EQ(frameBuffer[rowOffsets[5] + 10], 0u);

    // Texels past the right and bottom of the texture wrap inside it.
    rendererSlots.DrawTextureLine(0, 250, 255, 9, 259, 255, 6);
    for (u32 k = 0; k < 10; ++k)
        EXPECT_EQ(frameBuffer[rowOffsets[6] + k], Texel(250 + k, 255)) << k;

    // Clipped on both sides: the texture keeps its place under the clipped span.
    rendererSlots.DrawTextureLine(-10, 0, 0, 649, 659, 0, 7);
    EXPECT_EQ(frameBuffer[rowOffsets[7] + 0], Texel(10, 0));
    EXPECT_EQ(frameBuffer[rowOffsets[7] + 639], Texel(649, 0));

    // A negative row is reported and not drawn; a row past the frame is not drawn either.
    debugText[0] = 0;
    const blitref::Frame before = Snapshot();
    rendererSlots.DrawTextureLine(0, 0, 0, 20, 20, 20, -1);
    EXPECT_STREQ(debugText, "DrawTextureLine - Negative line 0 -1");
    rendererSlots.DrawTextureLine(-5, 0, 0, 20, 20, 20, -3);
    EXPECT_STREQ(debugText, "DrawTextureLine - Negative line 0 -3");
    rendererSlots.DrawTextureLine(0, 0, 0, 20, 20, 20, 480);
    rendererSlots.DrawTextureLine(0, 0, 0, 20, 20, 20, INT_MAX);
    rendererSlots.DrawTextureLine(INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX, INT_MIN, 100);
    const blitref::Frame after = Snapshot();
    for (int x = 0; x < 640; ++x) // the extreme span fills row 100 somehow; nothing else moves
        EXPECT_EQ(after.block[(size_t)101 * 640 + x] != 0, true);
    for (size_t i = 0; i < before.block.size(); ++i)
        if (i / 640 != 101) {
            ASSERT_EQ(before.block[i], after.block[i]) << i;
        }
}

TEST_F(TextureLineTest, EdgesFillLeftThenRight)
{
    for (int y = 0; y < 480; ++y)
        edgeRecords[y] = EdgeRecord{-40960, 0, 0, 0, 0, 0};
    ASSERT_TRUE(rendererSlots.ScanTextureEdge);
    rendererSlots.ScanTextureEdge(10, 0, 0, 0, 20, 10, 100, 50);
    rendererSlots.ScanTextureEdge(50, 10, 5, 5, 40, 0, 0, 0); // bottom end given first
    rendererSlots.ScanTextureEdge(0, 3, 0, 0, 99, 3, 0, 0);   // flat: nothing
    EXPECT_EQ(edgeRecords[0].leftX, -40960);
    for (int y = 1; y <= 10; ++y) {
        EXPECT_EQ(edgeRecords[y].leftX, 10 + y) << y;
        EXPECT_EQ(edgeRecords[y].leftU, (y - 1) * 10) << y;
        EXPECT_EQ(edgeRecords[y].leftV, (y - 1) * 5) << y;
        EXPECT_EQ(edgeRecords[y].rightX, 40 + y) << y;
        EXPECT_EQ(edgeRecords[y].rightU, (y - 1) / 2) << y;
    }
    EXPECT_EQ(edgeRecords[11].leftX, -40960);

    // An edge from far above the frame: the rows above are stepped over, not walked.
    for (int y = 0; y < 480; ++y)
        edgeRecords[y] = EdgeRecord{-40960, 7, 7, 7, 7, 7};
    rendererSlots.ScanTextureEdge(0, -100, 0, 0, 200, 100, 0, 0);
    EXPECT_EQ(edgeRecords[0].leftX, 100);
    EXPECT_EQ(edgeRecords[100].leftX, 200);
    EXPECT_EQ(edgeRecords[101].leftX, -40960);
    rendererSlots.ScanTextureEdge(0, INT_MIN, 0, 0, 0, INT_MAX, 0, 0); // every row, once
    EXPECT_EQ(edgeRecords[479].leftX, 0);
    EXPECT_EQ(edgeRecords[0].rightX, 0);
}

// The textured pair keeps its slots after a switch to another mode, where it must not draw.
TEST_F(TextureLineTest, OutsideTheirModeTheyDoNothing)
{
    SetVideoMode(25);
    ASSERT_TRUE(rendererSlots.DrawTextureLine);
    const blitref::Frame before = Snapshot();
    rendererSlots.DrawTextureLine(0, 0, 0, 639, 255, 255, 400);
    for (int y = 0; y < 240; ++y)
        edgeRecords[y] = EdgeRecord{-40960, 0, 0, 0, 0, 0};
    rendererSlots.ScanTextureEdge(0, 0, 0, 0, 10, 470, 0, 0);
    EXPECT_TRUE(SameAsLive(before));
    EXPECT_EQ(edgeRecords[239].leftX, -40960);
}

} // namespace
