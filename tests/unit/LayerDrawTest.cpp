// The tile-layer drawers against a slow reference: for every screen pixel, the closed form of the
// layer's scroll mode says which cell and tile pixel land there. The fast drawers walk a grid with
// edge tiles through the clipped blitters and inner tiles inline; both must give the same frame.
#include <algorithm>
#include <climits>
#include <random>
#include <vector>

#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Render/LayerDraw.h"
#include "tests/unit/HeadlessGame.h"

namespace {

// ---- the reference ---------------------------------------------------------------------------------

i64 FloorDiv16(i64 v)
{
    return v >= 0 ? v / 16 : -((-v + 15) / 16);
}
i64 FloorMod(i64 v, i64 m)
{
    const i64 r = v % m;
    return r < 0 ? r + m : r;
}
i64 Clamp(i64 v, i64 limit)
{
    return std::min<i64>(std::max<i64>(v, 1), limit);
}

struct Window {
    i64 columnLow, columnHigh, rowLow, rowHigh;
    bool empty;
};

// Camera 0's bounds in tiles, cut to the layer.
Window CameraWindowOf(const TileLayer& layer)
{
    const CameraLimits& limits = cameraLimits[0];
    Window w;
    w.columnLow = std::max<i64>(FloorDiv16(limits.leftBound), 0);
    w.columnHigh = std::min<i64>(FloorDiv16((i64)limits.rightBound + 15), layer.width);
    w.rowLow = std::max<i64>(FloorDiv16(limits.topBound), 0);
    w.rowHigh = std::min<i64>(FloorDiv16((i64)limits.bottomBound + 15), layer.height);
    w.empty = w.columnHigh <= w.columnLow || w.rowHigh <= w.rowLow;
    return w;
}

// Where screen pixel (x, y) reads the layer: the cell (row, column) and the pixel inside the tile.
struct Sample {
    bool inside;
    i64 row, column;
    u32 pixelX, pixelY;
};

Sample SampleLayer(const TileLayer& layer, i64 x, i64 y, bool paletted)
{
    Sample s{true, 0, 0, 0, 0};
    const i64 width = layer.width, height = layer.height;
    const u8 mode = paletted ? (u8)ScrollCamera : layer.scrollMode;
    auto put = [&](i64 row, i64 column, i64 wx, i64 wy) {
        s.row = row;
        s.column = column;
        s.pixelX = (u32)FloorMod(wx, 16);
        s.pixelY = (u32)FloorMod(wy, 16);
    };
    switch (mode) {
    case ScrollCamera: {
        const Window w = CameraWindowOf(layer);
        if (w.empty)
            return Sample{false, 0, 0, 0, 0};
        const i64 wx = x + scrollX, wy = y + scrollY;
        put(w.rowLow + FloorMod(FloorDiv16(wy) - w.rowLow, w.rowHigh - w.rowLow),
            w.columnLow + FloorMod(FloorDiv16(wx) - w.columnLow, w.columnHigh - w.columnLow), wx, wy);
        break;
    }
    case ScrollLayer: {
        const i64 wx = x + layer.scrollOffsets[0], wy = y + layer.layerScroll;
        put(FloorMod(FloorDiv16(wy), Clamp(layer.scrollCount, height)),
            FloorMod(FloorDiv16(wx), Clamp(layer.wrapLengths[0], width)), wx, wy);
        break;
    }
    case ScrollRows: {
        const i64 wy = y + layer.layerScroll;
        const i64 row = FloorMod(FloorDiv16(wy), Clamp(layer.scrollCount, height));
        const i64 wx = x + layer.scrollOffsets[row];
        put(row, FloorMod(FloorDiv16(wx), Clamp(layer.wrapLengths[row], width)), wx, wy);
        break;
    }
    case ScrollColumns: {
        const i64 wx = x + layer.layerScroll;
        const i64 column = FloorMod(FloorDiv16(wx), Clamp(layer.scrollCount, width));
        const i64 wy = y + layer.scrollOffsets[column];
        put(FloorMod(FloorDiv16(wy), Clamp(layer.wrapLengths[column], height)), column, wx, wy);
        break;
    }
    case ScrollLines: {
        const i64 line = FloorMod(y + layer.layerScroll, Clamp(layer.scrollCount, height) * 16);
        const i64 wx = x + layer.scrollOffsets[line];
        put(line / 16, FloorMod(FloorDiv16(wx), Clamp(layer.wrapLengths[line], width)), wx, line);
        break;
    }
    case ScrollPixelColumns: {
        const i64 column = FloorMod(x + layer.layerScroll, Clamp(layer.scrollCount, width) * 16);
        const i64 wy = y + layer.scrollOffsets[column];
        put(FloorMod(FloorDiv16(wy), Clamp(layer.wrapLengths[column], height)), column / 16, column, wy);
        break;
    }
    default:
        return Sample{false, 0, 0, 0, 0};
    }
    return s;
}

// The frame the drawer must leave: background where nothing is drawn.
void ReferenceFrame(const TileLayer& layer, const TileSheet& sheet, const u32* colours, bool twin, u32* frame,
                    i32 w, i32 h)
{
    for (i32 y = 0; y < h; ++y)
        for (i32 x = 0; x < w; ++x) {
            const Sample s = SampleLayer(layer, x, y, false);
            if (!s.inside)
                continue;
            const u16 cell = layer.map[s.row * layer.width + s.column];
            if ((!twin && cell == 0) || cell >= sheet.recordCount)
                continue;
            const u8 index = sheet.tiles[cell].pixels[s.pixelY * 16 + s.pixelX];
            if (twin || index)
                frame[y * w + x] = colours[index];
        }
}

void ReferencePalettedFrame(const TileLayer& layer, const TileSheet& sheet, const u32* shared, u32 sharedCount,
                            u32* frame, i32 w, i32 h)
{
    for (i32 y = 0; y < h; ++y)
        for (i32 x = 0; x < w; ++x) {
            const Sample s = SampleLayer(layer, x, y, true);
            if (!s.inside)
                continue;
            const u16 entry = layer.map[s.row * layer.width + s.column];
            const u32 offset = entry >> 12, tile = entry & 0xFFF;
            if (tile == 0 || tile >= sheet.recordCount)
                continue;
            const TileRecord& record = sheet.tiles[tile];
            const u32 index = record.pixels[s.pixelY * 16 + s.pixelX];
            if ((record.opaque || index) && offset + index < sharedCount)
                frame[y * w + x] = shared[offset + index];
        }
}

// ---- fixtures ----------------------------------------------------------------------------------------

constexpr u32 recordCount = 48;

class LayerDrawTest : public HeadlessGame {
protected:
    void SetUp() override
    {
        HeadlessGame::SetUp();
        savedPalette = currentPalette;
        savedPaletteRgb = currentPaletteRgb;
        rng.seed(20240611);
        // Records: a third opaque, a third with holes, a few wholly transparent, the rest sparse.
        pixelBlock.assign(recordCount * 256, 0);
        records.assign(recordCount, TileRecord{});
        for (u32 t = 0; t < recordCount; ++t) {
            TileRecord& record = records[t];
            record.pixels = &pixelBlock[t * 256];
            const u32 kind = t % 4;
            bool opaque = true;
            for (u32 p = 0; p < 256; ++p) {
                u8 index = (u8)(1 + rng() % 255);
                if (kind == 1 && rng() % 3 == 0)
                    index = 0;
                if (kind == 2)
                    index = 0;
                if (kind == 3 && rng() % 8 != 0)
                    index = 0;
                record.pixels[p] = index;
                opaque = opaque && index;
            }
            record.opaque = opaque;
        }
        sheet = TileSheet{};
        sheet.useCount = 1;
        sheet.recordCount = recordCount;
        sheet.tiles = records.data();
        for (u32 i = 0; i < 512; ++i)
            colours[i] = 0xFF000000u | (u32)(rng() & 0xFFFFFF);
        palette = Palette{1, 0, colours, rgb};
        sheet.palette = &palette;
        sheetPointer = &sheet;
        layout = Layout{};
        layout.tileSheetCount = 1;
        layout.tileSheets = &sheetPointer;
        layout.paletteSelect = &flag;
        flag = 0;
        currentLayout = &layout;
        currentTileSheet = nullptr;
        for (CameraLimits& limits : cameraLimits)
            limits = CameraLimits{};
    }
    void TearDown() override
    {
        FreeLayer(&layer);
        currentLayout = nullptr;
        currentTileSheet = nullptr;
        sharedPalette = nullptr;
        sharedPaletteCount = 0;
        // The drawers leave this fixture's palette current; it goes away with the fixture.
        currentPalette = savedPalette;
        currentPaletteRgb = savedPaletteRgb;
        scrollX = scrollY = 0;
        for (CameraLimits& limits : cameraLimits)
            limits = CameraLimits{};
        HeadlessGame::TearDown();
    }

    i32 RandomScroll()
    {
        switch (rng() % 6) {
        case 0: return (i32)(rng() % 64) - 32;             // near the origin, both signs
        case 1: return (i32)(rng() % 4096) - 2048;
        case 2: return (i32)rng();                          // anywhere in the i32 range
        case 3: return rng() % 2 ? INT_MAX - (i32)(rng() % 600) : INT_MIN + (i32)(rng() % 600);
        default: return (i32)(rng() % 100000);
        }
    }

    // A layer of the mode with random cells (a fifth of them empty), random scroll values and
    // short or full repeat lengths.
    void MakeRandomLayer(u8 mode, bool paletted)
    {
        FreeLayer(&layer);
        const i32 width = 1 + (i32)(rng() % 40), height = 1 + (i32)(rng() % 24);
        ASSERT_TRUE(CreateLayer(&layer, mode, width, height));
        for (i32 i = 0; i < width * height; ++i) {
            u16 entry = rng() % 5 == 0 ? 0 : (u16)(1 + rng() % (recordCount - 1));
            if (rng() % 29 == 0)
                entry = paletted ? 0x0FFF : 0x8000; // past the sheet: nothing is drawn
            if (paletted)
                entry = (u16)(entry | (rng() % 16) << 12);
            layer.map[i] = entry;
        }
        const u32 entries = LayerScrollEntryCount(mode, width, height);
        const bool columns = mode == ScrollColumns || mode == ScrollPixelColumns;
        const u32 entryLimit = (u32)(columns ? height : width), repeatLimit = (u32)(columns ? width : height);
        for (u32 e = 0; e < entries; ++e) {
            layer.wrapLengths[e] = rng() % 3 == 0 ? 1 + rng() % entryLimit : entryLimit;
            layer.scrollOffsets[e] = RandomScroll();
        }
        layer.scrollCount = rng() % 3 == 0 ? 1 + rng() % repeatLimit : repeatLimit;
        layer.layerScroll = RandomScroll();
        scrollX = RandomScroll();
        scrollY = RandomScroll();
        // Camera bounds somewhere inside the layer (mode 0 and the palette-select drawer).
        const i32 left = (i32)(rng() % (16 * width)), top = (i32)(rng() % (16 * height));
        cameraLimits[0].leftBound = left;
        cameraLimits[0].rightBound = left + 1 + (i32)(rng() % (16 * width - left));
        cameraLimits[0].topBound = top;
        cameraLimits[0].bottomBound = top + 1 + (i32)(rng() % (16 * height - top));
    }

    void FillBackground()
    {
        background.resize((size_t)screenWidth * screenHeight);
        for (u32& pixel : background)
            pixel = (u32)rng() & 0xFFFFFF;
        std::copy(background.begin(), background.end(), frameBuffer);
    }

    // Compares the frame with the expected one; reports the first difference.
    ::testing::AssertionResult FrameMatches(const std::vector<u32>& expected)
    {
        for (i32 y = 0; y < screenHeight; ++y)
            for (i32 x = 0; x < screenWidth; ++x) {
                const u32 got = frameBuffer[rowOffsets[y] + x], want = expected[(size_t)y * screenWidth + x];
                if (got != want)
                    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex << got
                                                         << ", expected " << want;
            }
        return ::testing::AssertionSuccess();
    }

    u32* savedPalette = nullptr;
    u8* savedPaletteRgb = nullptr;
    std::mt19937 rng;
    std::vector<u8> pixelBlock;
    std::vector<TileRecord> records;
    TileSheet sheet;
    TileSheet* sheetPointer = nullptr;
    u32 colours[512];
    u8 rgb[512 * 3] = {};
    Palette palette;
    u8 flag = 0;
    Layout layout;
    TileLayer layer{};
    std::vector<u32> background;
    u32 shared[300] = {};
    Palette sharedRecord{1, 0, shared, nullptr};
};

const u8 screenModes[] = {20, 24, 25};

TEST_F(LayerDrawTest, EveryScrollModeMatchesTheReferenceInEveryScreenSize)
{
    for (u8 videoModeNumber : screenModes) {
        SetVideoMode(videoModeNumber);
        for (u8 mode = 0; mode <= ScrollPixelColumns; ++mode)
            for (int twin = 0; twin < 2; ++twin)
                for (int round = 0; round < 12; ++round) {
                    SCOPED_TRACE(::testing::Message() << "screen " << screenWidth << "x" << screenHeight << " mode "
                                                      << int(mode) << (twin ? " opaque twin" : "") << " round "
                                                      << round);
                    MakeRandomLayer(mode, false);
                    FillBackground();
                    std::vector<u32> expected = background;
                    ReferenceFrame(layer, sheet, colours, twin, expected.data(), screenWidth, screenHeight);
                    DrawLayerFunction draw = twin ? rendererSlots.DrawLayerOpaque[mode] : rendererSlots.DrawLayer[mode];
                    ASSERT_NE(draw, nullptr);
                    currentTileSheet = nullptr;
                    draw(&layer);
                    ASSERT_TRUE(FrameMatches(expected))
                        << "scrolls: layer " << layer.layerScroll << " camera " << scrollX << "," << scrollY;
                    // The drawer leaves the layer's sheet and palette current.
                    EXPECT_EQ(currentTileSheet, &sheet);
                    EXPECT_EQ(currentPalette, colours);
                }
    }
}

TEST_F(LayerDrawTest, PaletteSelectDrawerMatchesTheReference)
{
    SetVideoMode(25);
    ASSERT_NE(rendererSlots.DrawLayerCameraPaletted, nullptr);
    flag = 1;
    for (u32& colour : shared)
        colour = 0xFF000000u | (u32)(rng() & 0xFFFFFF);
    sharedPalette = &sharedRecord;
    // 300 colours let the blitters serve the edge cells whose window fits; 100 leaves many pixels
    // without a colour, which must stay as they were.
    for (u32 count : {300u, 100u, 1u})
        for (int round = 0; round < 16; ++round) {
            SCOPED_TRACE(::testing::Message() << count << " shared colours, round " << round);
            sharedPaletteCount = count;
            MakeRandomLayer((u8)(rng() % 6), true);
            FillBackground();
            std::vector<u32> expected = background;
            ReferencePalettedFrame(layer, sheet, shared, count, expected.data(), screenWidth, screenHeight);
            DrawTileLayer(&layer);
            ASSERT_TRUE(FrameMatches(expected)) << "camera " << scrollX << "," << scrollY;
        }
}

TEST_F(LayerDrawTest, PaletteSelectLayersNeedASharedPaletteAndTheWideScreen)
{
    flag = 1;
    for (u8 videoModeNumber : screenModes) {
        SetVideoMode(videoModeNumber);
        MakeRandomLayer(ScrollCamera, true);
        FillBackground();
        // No shared palette: nothing drawn in any size.
        DrawTileLayer(&layer);
        EXPECT_TRUE(FrameMatches(background)) << "screen " << screenWidth;
        sharedPalette = &sharedRecord;
        sharedPaletteCount = 256;
        // A flagged sheet is never drawn by the scroll-mode drawers; at 320 and 640 it is skipped.
        DrawTileLayer(&layer);
        if (screenWidth != 424) {
            EXPECT_TRUE(FrameMatches(background)) << "screen " << screenWidth;
        }
        sharedPalette = nullptr;
    }
}

TEST_F(LayerDrawTest, EmptyCellsShowWhatLiesBeneathOpaqueTwinsDrawRecordZero)
{
    SetVideoMode(25);
    ASSERT_TRUE(CreateLayer(&layer, ScrollLayer, 30, 16)); // every cell 0
    for (u32 p = 0; p < 256; ++p)
        records[0].pixels[p] = 7;
    FillBackground();
    rendererSlots.DrawLayer[ScrollLayer](&layer);
    EXPECT_TRUE(FrameMatches(background));
    rendererSlots.DrawLayerOpaque[ScrollLayer](&layer);
    EXPECT_EQ(frameBuffer[0], colours[7]);
    EXPECT_EQ(frameBuffer[rowOffsets[239] + 423], colours[7]);
}

TEST_F(LayerDrawTest, LayoutsWithoutTileSheetsDrawWithTheCurrentSheet)
{
    SetVideoMode(25);
    ASSERT_TRUE(CreateLayer(&layer, ScrollRows, 27, 16));
    for (i32 i = 0; i < 27 * 16; ++i)
        layer.map[i] = (u16)(i % 3 == 0 ? 0 : i % 3 == 1 ? 4 : 0xF004); // the last is past the sheet
    layout.tileSheets = nullptr;
    layout.paletteSelect = nullptr;
    layout.tileSheetCount = 0;
    currentTileSheet = &sheet;
    SetCurrentPalette(&palette);
    FillBackground();
    std::vector<u32> expected = background;
    ReferenceFrame(layer, sheet, colours, false, expected.data(), screenWidth, screenHeight);
    DrawTileLayer(&layer);
    EXPECT_TRUE(FrameMatches(expected));

    // Nothing current: nothing drawn.
    currentTileSheet = nullptr;
    FillBackground();
    DrawTileLayer(&layer);
    EXPECT_TRUE(FrameMatches(background));
}

TEST_F(LayerDrawTest, UnusableBoundsAndValuesDrawNothingOrStayInside)
{
    SetVideoMode(25);
    struct Bounds {
        i32 left, right, top, bottom;
    };
    // Empty, inverted, wholly outside the layer, and the full i32 range.
    const Bounds unusable[] = {{0, 0, 0, 0},         {100, 50, 0, 160},  {0, 160, 96, 96},
                               {5000, 9000, 0, 160}, {0, 160, -900, -20}};
    ASSERT_TRUE(CreateLayer(&layer, ScrollCamera, 10, 10));
    std::fill(layer.map, layer.map + 100, (u16)4);
    for (const Bounds& b : unusable) {
        cameraLimits[0].leftBound = b.left;
        cameraLimits[0].rightBound = b.right;
        cameraLimits[0].topBound = b.top;
        cameraLimits[0].bottomBound = b.bottom;
        FillBackground();
        rendererSlots.DrawLayer[ScrollCamera](&layer);
        EXPECT_TRUE(FrameMatches(background)) << b.left << " " << b.right << " " << b.top << " " << b.bottom;
    }
    // Bounds past the layer repeat the layer's own extent.
    cameraLimits[0] = CameraLimits{INT_MIN, INT_MAX, INT_MIN, INT_MAX};
    scrollX = INT_MAX;
    scrollY = INT_MIN;
    FillBackground();
    std::vector<u32> expected = background;
    ReferenceFrame(layer, sheet, colours, false, expected.data(), screenWidth, screenHeight);
    rendererSlots.DrawLayer[ScrollCamera](&layer);
    EXPECT_TRUE(FrameMatches(expected));

    // Zero and oversized repeat lengths are held to the layer; a zero-sized layer draws nothing.
    FreeLayer(&layer);
    ASSERT_TRUE(CreateLayer(&layer, ScrollLines, 5, 3));
    std::fill(layer.map, layer.map + 15, (u16)5);
    for (u32 l = 0; l < 48; ++l)
        layer.wrapLengths[l] = l % 2 ? 0 : 0xFFFFFFFF;
    layer.scrollCount = 0;
    FillBackground();
    expected = background;
    ReferenceFrame(layer, sheet, colours, false, expected.data(), screenWidth, screenHeight);
    rendererSlots.DrawLayer[ScrollLines](&layer);
    EXPECT_TRUE(FrameMatches(expected));
    FreeLayer(&layer);
    CreateLayer(&layer, ScrollRows, -3, 4);
    EXPECT_EQ(layer.width, 0);
    FillBackground();
    rendererSlots.DrawLayer[ScrollRows](&layer);
    EXPECT_TRUE(FrameMatches(background));
}

TEST_F(LayerDrawTest, DrawersRefuseAFrameOfAnotherSize)
{
    SetVideoMode(20);
    ASSERT_TRUE(CreateLayer(&layer, ScrollLayer, 30, 16));
    std::fill(layer.map, layer.map + 30 * 16, (u16)1);
    FillBackground();
    DrawLayerScrolled<424, 240>(&layer);
    DrawLayerCameraPaletted(&layer, 0, &layout);
    EXPECT_TRUE(FrameMatches(background));
}

} // namespace
