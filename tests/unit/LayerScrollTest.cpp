// The per-frame layer scroll: the parallax tables and how each scroll mode takes its values.
#include <gtest/gtest.h>

#include <climits>

#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Render/LayerScroll.h"

namespace {

TEST(LayerScroll, ParallaxEntries)
{
    struct Case {
        i32 scroll;
        u32 frame;
        u8 factor;
        i32 expected;
    };
    const Case cases[] = {
        {640, 100, 64, 640},  {640, 100, 32, 320},   {640, 100, 0, 0},      {640, 100, 128, 1280},
        {640, 100, 192, 740}, {640, 100, 160, 370},  {640, 100, 255, 1480}, {640, 100, 129, 11},
        {-1, 0, 1, -1},       {-1, 0, 64, -1},       {-1, 0, 32, -1},       {-64, 0, 1, -1},
        {-65, 0, 1, -2},      {0, 7, 192, 7},        {0, 7, 64, 0},         {-100, 36, 192, -64},
        // Products wrap in 32 bits, and the frame counter wraps with them.
        {INT_MAX, 0, 128, -2},
        {INT_MIN, 0, 64, 0},
        {0, 0xFFFFFFFFu, 192, -1},
        {INT_MAX, 1, 255, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParallaxEntry(c.scroll, c.frame, c.factor), c.expected)
            << "scroll " << c.scroll << " frame " << c.frame << " factor " << int(c.factor);
}

class LayerScrollTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        layout = Layout{};
        layout.layerCount = 4;
        layout.layers = layers;
        CreateLayer(&layers[0], ScrollLines, 3, 2);    // 32 entries from the horizontal table
        CreateLayer(&layers[1], ScrollColumns, 10, 4); // 10 entries from the vertical table
        CreateLayer(&layers[2], ScrollCamera, 5, 5);
        CreateLayer(&layers[3], 9, 5, 5); // a mode without scroll arrays
        for (TileLayer& layer : layers)
            layer.visible = 1;
        for (u32 i = 0; i < 32; ++i)
            layers[0].parallaxFactor[i] = (u8)(i * 8);
        layers[0].layerFactor = 32;
        for (u32 i = 0; i < 10; ++i)
            layers[1].parallaxFactor[i] = (u8)(i * 25);
        layers[1].layerFactor = 128;
        layers[2].parallaxFactor[0] = 192;
        layers[2].layerFactor = 0;
        savedLayout = currentLayout;
        currentLayout = &layout;
        scrollX = 640;
        scrollY = -48;
        frameCounter = 100;
        layerScrollFrozen = 0;
    }
    void TearDown() override
    {
        for (TileLayer& layer : layers)
            FreeLayer(&layer);
        currentLayout = savedLayout;
        scrollX = scrollY = 0;
        frameCounter = 0;
        layerScrollFrozen = 0;
    }
    Layout layout;
    TileLayer layers[4];
    Layout* savedLayout = nullptr;
};

TEST_F(LayerScrollTest, RowModesReadTheHorizontalTableColumnModesTheVertical)
{
    UpdateLayerScroll();
    for (int f = 0; f < 256; ++f) {
        ASSERT_EQ(parallaxX[f], ParallaxEntry(640, 100, (u8)f));
        ASSERT_EQ(parallaxY[f], ParallaxEntry(-48, 100, (u8)f));
    }
    for (u32 i = 0; i < 32; ++i)
        EXPECT_EQ(layers[0].scrollOffsets[i], parallaxX[i * 8]) << "line " << i;
    EXPECT_EQ(layers[0].layerScroll, -24);
    for (u32 i = 0; i < 10; ++i)
        EXPECT_EQ(layers[1].scrollOffsets[i], parallaxY[i * 25]) << "column " << i;
    EXPECT_EQ(layers[1].layerScroll, 1280);
    EXPECT_EQ(layers[2].scrollOffsets[0], 740); // camera-locked layers get values too
    EXPECT_EQ(layers[2].layerScroll, 0);
    EXPECT_EQ(layers[3].layerScroll, 0);
}

TEST_F(LayerScrollTest, InvisibleLayersKeepTheirValuesUntilShown)
{
    layers[1].visible = 0;
    layers[1].scrollOffsets[3] = 12345;
    layers[1].layerScroll = 777;
    UpdateLayerScroll();
    EXPECT_EQ(layers[1].scrollOffsets[3], 12345);
    EXPECT_EQ(layers[1].layerScroll, 777);
    layers[1].visible = 1;
    UpdateLayerScroll();
    EXPECT_EQ(layers[1].scrollOffsets[3], parallaxY[75]);
    EXPECT_EQ(layers[1].layerScroll, 1280);
}

TEST_F(LayerScrollTest, DriftFollowsTheFrameCounter)
{
    scrollX = 0;
    layers[2].parallaxFactor[0] = 192;
    for (u32 frame = 1000; frame < 1003; ++frame) {
        frameCounter = frame;
        UpdateLayerScroll();
        EXPECT_EQ(layers[2].scrollOffsets[0], (i32)frame);
    }
}

TEST_F(LayerScrollTest, FreezeAndMissingLayout)
{
    layerScrollFrozen = 1;
    layers[2].scrollOffsets[0] = 5;
    UpdateLayerScroll();
    EXPECT_EQ(layers[2].scrollOffsets[0], 5);
    layerScrollFrozen = 0;

    // Without a layout the tables are still rebuilt.
    currentLayout = nullptr;
    scrollX = 64;
    UpdateLayerScroll();
    EXPECT_EQ(parallaxX[64], 64);
    EXPECT_EQ(parallaxX[32], 32);
}

} // namespace
