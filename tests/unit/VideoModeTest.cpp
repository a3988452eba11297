// Video modes, the double buffer and the present copies.
#include <cstring>
#include <vector>

#include "Engine/Render/PresentCopy.h"
#include "tests/unit/HeadlessGame.h"

namespace {

class VideoModeTest : public HeadlessGame {};

TEST_F(VideoModeTest, ModesSetSizesBuffersAndFilters)
{
    struct Case {
        u8 mode;
        i32 width, height;
        u32 frameBytes, rowBytes;
    };
    const Case cases[] = {
        {25, 424, 240, 407040, 1696},
        {24, 640, 480, 1228800, 2560},
        {20, 320, 240, 307200, 1280},
    };
    for (const Case& c : cases) {
        SetVideoMode(c.mode);
        EXPECT_EQ(videoMode, c.mode);
        EXPECT_EQ(screenWidth, c.width);
        EXPECT_EQ(screenHeight, c.height);
        EXPECT_EQ(viewWidth, c.width);
        EXPECT_EQ(viewHeight, c.height);
        EXPECT_EQ(frameBytes, c.frameBytes);
        EXPECT_EQ(presentRowBytes, c.rowBytes);
        EXPECT_EQ(frameBuffer, doubleBuffer + c.width);
        EXPECT_EQ(rowOffsets[c.height - 1], (u32)((c.height - 1) * c.width));
        // The blitters of the mode's own family: a line clipped to this frame's edges.
        ASSERT_TRUE(rendererSlots.ClipLine);
        i32 x0 = 0, y0 = 0, x1 = 100000, y1 = 0;
        EXPECT_TRUE(rendererSlots.ClipLine(&x0, &y0, &x1, &y1));
        EXPECT_EQ(x1, c.width - 1);
        EXPECT_TRUE(rendererSlots.DrawTile && rendererSlots.DrawTileMasked && rendererSlots.DrawSprite &&
                    rendererSlots.DrawSpriteFlipY && rendererSlots.DrawSpriteFlipX &&
                    rendererSlots.DrawSpriteFlipXY && rendererSlots.DrawHLine && rendererSlots.DrawVLine &&
                    rendererSlots.DrawLine && rendererSlots.FillRect)
            << (int)c.mode;
        if (c.mode == 24) {
            EXPECT_TRUE(rendererSlots.DrawTextureLine && rendererSlots.ScanTextureEdge);
        }
        // The guard rows above and below the frame are part of the block, cleared with it.
        EXPECT_EQ(frameBuffer[-1], 0u);
        EXPECT_EQ(frameBuffer[rowOffsets[c.height - 1] + c.width + c.width - 1], 0u);
        EXPECT_EQ(edgeRecords[c.height - 1].leftX, -40960);
        EXPECT_EQ(headless::LastPresentedWidth(), 0u); // nothing presented by a mode switch
    }
    EXPECT_EQ(rowOffsets[239], 76480u); // 320 x 239
    SetVideoMode(25);
    EXPECT_EQ(rowOffsets[239], 101336u);
    // The 640x480 pair stays in its slots outside its mode.
    EXPECT_TRUE(rendererSlots.DrawTextureLine && rendererSlots.ScanTextureEdge);
}

TEST_F(VideoModeTest, SameModeAgainClearsTheFrameAndUnknownModesChangeNothing)
{
    frameBuffer[100] = 0xFFFFFF;
    const RendererSlots before = rendererSlots;
    SetVideoMode(25);
    EXPECT_EQ(frameBuffer[100], 0u);
    EXPECT_EQ(memcmp(&before, &rendererSlots, sizeof(RendererSlots)), 0);
    const PresentCopyFunction copy = presentCopy;
    frameBuffer[5] = 7;
    SetVideoMode(99);
    EXPECT_EQ(videoMode, 99);
    EXPECT_EQ(screenWidth, 424);
    EXPECT_EQ(presentCopy, copy);
    EXPECT_EQ(presentRowBytes, 1696u);
    EXPECT_EQ(frameBuffer[5], 7u);
    videoMode = 25;
}

TEST_F(VideoModeTest, Mode640PresentsOneToOneAtBothScales)
{
    SetVideoMode(24);
    windowScale = 1;
    ApplyVideoMode();
    EXPECT_EQ(presentedWidth, 640);
    EXPECT_EQ(presentScale, 0);
    frameBuffer[rowOffsets[479] + 639] = 0xABCDEF;
    PresentFrame();
    ASSERT_EQ(headless::LastPresented().size(), 640u * 480u);
    EXPECT_EQ(headless::LastPresented().back(), 0xABCDEFu);
    windowScale = 0;
    SetVideoMode(25);
}

// Every pixel of the output, edges included, against the source pixel it comes from.
TEST(PresentCopies, CopyAndDoubleEveryModeEdgesIncluded)
{
    struct Case {
        int width, height;
        PresentCopyFunction copy;
        PresentDoubleFunction twice;
    };
    const Case cases[] = {
        {320, 240, PresentCopySized<320, 240>, PresentDoubleSized<320, 240>},
        {640, 480, PresentCopySized<640, 480>, PresentDoubleSized<640, 480>},
        {424, 240, PresentCopySized<424, 240>, PresentDoubleSized<424, 240>},
    };
    for (const Case& c : cases) {
        std::vector<u32> source((size_t)c.width * c.height);
        for (size_t i = 0; i < source.size(); ++i)
            source[i] = 0xFF000000u | (u32)(i * 2654435761u >> 8); // top byte kept by the copy
        std::vector<u32> copy(source.size() + 1, 0xDEADBEEF);
        c.copy(source.data(), copy.data());
        EXPECT_TRUE(std::equal(source.begin(), source.end(), copy.begin())) << c.width;
        EXPECT_EQ(copy.back(), 0xDEADBEEFu) << c.width;

        const size_t outWidth = 2 * (size_t)c.width;
        std::vector<u32> twice(source.size() * 4 + 1, 0xDEADBEEF);
        c.twice(source.data(), twice.data(), twice.data() + outWidth);
        bool same = true;
        for (size_t y = 0; y < 2 * (size_t)c.height; ++y)
            for (size_t x = 0; x < outWidth; ++x)
                same = same && twice[y * outWidth + x] == source[(y / 2) * c.width + x / 2];
        EXPECT_TRUE(same) << c.width;
        EXPECT_EQ(twice.back(), 0xDEADBEEFu) << c.width;
    }
    // The last source pixel of 424x240 lands in the four output corners (846..847, 478..479).
    std::vector<u32> source(424 * 240, 0);
    source.back() = 0x00C0FFEE;
    std::vector<u32> out(848 * 480, 0);
    PresentDoubleSized<424, 240>(source.data(), out.data(), out.data() + 848);
    for (int y : {478, 479})
        for (int x : {846, 847})
            EXPECT_EQ(out[(size_t)y * 848 + x], 0x00C0FFEEu);
    EXPECT_EQ(out[(size_t)477 * 848 + 847], 0u);
}

} // namespace
