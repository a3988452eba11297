// Stage layouts read back through the engine: every file version, run-length maps, tile sheets
// with their mirrored records and angles, patterns, the slot table across stage switches and
// restarts, camera limits, and files that are damaged or hostile.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Engine/Common/Camera.h"
#include "Engine/Common/DataPack.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Sheets.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/LayerDraw.h"
#include "Engine/Render/VideoMode.h"
#include "tests/unit/HeadlessGame.h"
#include "tests/unit/ScratchDir.h"
#include "tools/datakit/Bytes.h"
#include "tools/datakit/LayoutWriter.h"
#include "tools/datakit/PackWriter.h"

namespace {

using namespace datakit;

// Tile t of the test sheets: a pixel pattern that tells tiles and orientations apart, with a hole
// (index 0) in every tile whose number is odd.
u8 TestPixel(u32 t, u32 x, u32 y)
{
    if ((t & 1) && x == 3 && y == 4)
        return 0;
    return (u8)(1 + (t * 7 + x * 3 + y * 11) % 250);
}
u8 TestAngle(u32 t)
{
    return (u8)(t * 5 + 1);
}

std::vector<Rgb> TestColours()
{
    std::vector<Rgb> colours(256);
    for (u32 i = 0; i < 256; ++i)
        colours[i] = Rgb{(u8)i, (u8)(255 - i), (u8)(i * 3)};
    return colours;
}

std::vector<u8> TestSheet(u8 sizeCode, bool withAngles, const std::vector<Rgb>& colours = TestColours())
{
    return MakeTga(MakeTileSheetImage(sizeCode, withAngles, TestPixel, TestAngle, colours));
}

class LayoutTest : public HeadlessGame {
protected:
    void SetUp() override
    {
        HeadlessGame::SetUp();
        headless::ClearShownBoxes();
        for (CameraLimits& limits : cameraLimits)
            limits = CameraLimits{};
        currentStage = previousStage = nullptr;
        stageSwitching = 0;
    }
    void TearDown() override
    {
        FreeLayoutSlotTables();
        currentStage = previousStage = nullptr;
        stageSwitching = 0;
        for (CameraLimits& limits : cameraLimits)
            limits = CameraLimits{};
        HeadlessGame::TearDown();
    }

    static void Write(const std::string& path, const std::vector<u8>& bytes) { ASSERT_TRUE(WriteFile(path, bytes)); }

    // Loads and returns the layout (null when the slot holds none).
    Layout* Load(const char* path, i32* slot = nullptr)
    {
        const i32 got = LoadLayout(path);
        if (slot)
            *slot = got;
        return LayoutInSlot(got);
    }

    bool BoxShown(const std::string& text)
    {
        for (const auto& box : headless::ShownBoxes())
            if (box.text == text && box.caption == "Palvic Error")
                return true;
        return false;
    }

    // Stages to switch between; only their addresses matter here.
    Stage stageA{}, stageB{};
    ScratchDir scratch;
};

// A version-5 layout with one ordinary sheet and one camera-locked layer of the given cells.
LayoutFile OneSheetLayout(u16 width, u16 height, const std::vector<u16>& cells, u8 flag = 0)
{
    LayoutFile layout;
    layout.sheets = {{flag, "Tiles.tga"}};
    LayoutLayer layer = MakeLayoutLayer(0, width, height);
    layer.cells = cells;
    layout.layers = {layer};
    return layout;
}

TEST_F(LayoutTest, SheetRecordsMirrorsAnglesAndRemap)
{
    Write("Data/Stages/Test/Tiles.tga", TestSheet(0, true));
    Write("Data/Stages/Test/layout1.bin",
          MakeLayout(OneSheetLayout(3, 1, {TileEntry(5, true), TileEntry(600, false, true), 0xC000 | TileEntry(7)})));
    Layout* layout = Load("Data/Stages/Test/layout1.bin");
    ASSERT_NE(layout, nullptr);
    ASSERT_EQ(layout->tileSheetCount, 1);
    const TileSheet* sheet = layout->tileSheets[0];
    ASSERT_NE(sheet, nullptr);
    EXPECT_STREQ(sheet->name, "Tiles.tga");
    EXPECT_EQ(sheet->sizeCode, 0);
    ASSERT_EQ(sheet->recordCount, 4096);
    // Entries index the records directly: the mirror bits sit right above the base tile; bits 14-15
    // are dropped.
    EXPECT_EQ(layout->layers[0].map[0], 0x405);
    EXPECT_EQ(layout->layers[0].map[1], 0x800 | 600);
    EXPECT_EQ(layout->layers[0].map[2], 7);
    for (u32 t : {0u, 5u, 600u, 1023u}) {
        SCOPED_TRACE(t);
        const TileRecord* four[4] = {&sheet->tiles[t], &sheet->tiles[t + 1024], &sheet->tiles[t + 2048],
                                     &sheet->tiles[t + 3072]};
        for (u32 y = 0; y < 16; ++y)
            for (u32 x = 0; x < 16; ++x) {
                ASSERT_EQ(four[0]->pixels[y * 16 + x], TestPixel(t, x, y));
                ASSERT_EQ(four[1]->pixels[y * 16 + x], TestPixel(t, 15 - x, y));
                ASSERT_EQ(four[2]->pixels[y * 16 + x], TestPixel(t, x, 15 - y));
                ASSERT_EQ(four[3]->pixels[y * 16 + x], TestPixel(t, 15 - x, 15 - y));
            }
        for (const TileRecord* record : four) {
            EXPECT_EQ(record->opaque, (t & 1) ? 0 : 1);
            EXPECT_EQ(record->angle, TestAngle(t)); // an ordinary sheet gives every flip the same angle
        }
    }
    // The sheet's palette holds the image's colours and is left current.
    ASSERT_NE(sheet->palette, nullptr);
    EXPECT_EQ(sheet->palette->colours[200], 0xFF000000u | 200u << 16 | 55u << 8 | (u8)(600));
    EXPECT_EQ(currentPalette, sheet->palette->colours);
    // No pattern file beside the sheet: the 32 x 32 identity.
    ASSERT_EQ(sheet->patternWidth, 32);
    ASSERT_EQ(sheet->patternHeight, 32);
    for (u16 i = 0; i < 1024; ++i)
        ASSERT_EQ(sheet->pattern[i], i);
}

TEST_F(LayoutTest, PaletteSelectSheetsKeepEntriesAndMirrorAngles)
{
    Write("Data/Stages/Test/Tiles.tga", TestSheet(0, true));
    Write("Data/Stages/Test/layout1.bin", MakeLayout(OneSheetLayout(2, 1, {0x1005, 0xF3FF}, 1)));
    Layout* layout = Load("Data/Stages/Test/layout1.bin");
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(layout->paletteSelect[0], 1);
    EXPECT_EQ(layout->layers[0].map[0], 0x1005);
    EXPECT_EQ(layout->layers[0].map[1], 0xF3FF);
    const TileSheet* sheet = layout->tileSheets[0];
    // Pixels reduced to 0 and 1; the four flips of a tile with angle a: a, -a, 128 - a, a + 128.
    for (u32 p = 0; p < 256; ++p)
        ASSERT_EQ(sheet->tiles[5].pixels[p], TestPixel(5, p % 16, p / 16) ? 1 : 0);
    const u8 a = TestAngle(6); // 31
    EXPECT_EQ(sheet->tiles[6].angle, a);
    EXPECT_EQ(sheet->tiles[6 + 1024].angle, (u8)(256 - a));
    EXPECT_EQ(sheet->tiles[6 + 2048].angle, (u8)(128 - a));
    EXPECT_EQ(sheet->tiles[6 + 3072].angle, (u8)(a + 128));
}

TEST_F(LayoutTest, SizeCodesAnglesAndPatterns)
{
    struct Case {
        u8 sizeCode;
        bool withAngles;
        u16 entry, remapped;
    };
    const Case cases[] = {
        {0, true, 0x1005, 0x0405},  {0, false, 0x2C05, 0x0805}, {1, true, 0x1005, 0x0805},
        {1, false, 0x37FF, 0x1FFF}, {2, true, 0x1005, 0x1005},  {2, false, 0x3FFF, 0x3FFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "size code " << int(c.sizeCode) << (c.withAngles ? " with angles" : ""));
        FreeLayoutSlotTables();
        FreeSheetSlots();
        Write("Data/Stages/Test/Tiles.tga", TestSheet(c.sizeCode, c.withAngles));
        // The pattern's entries are remapped like map entries.
        Write("Data/Stages/Test/Tiles.tpl", MakeTilePattern(2, 1, {c.entry, TileEntry(1)}));
        Write("Data/Stages/Test/layout1.bin", MakeLayout(OneSheetLayout(1, 1, {c.entry})));
        Layout* layout = Load("Data/Stages/Test/layout1.bin");
        ASSERT_NE(layout, nullptr);
        const TileSheet* sheet = layout->tileSheets[0];
        EXPECT_EQ(sheet->sizeCode, c.sizeCode);
        EXPECT_EQ(sheet->recordCount, 4096u << c.sizeCode);
        EXPECT_EQ(layout->layers[0].map[0], c.remapped);
        const u32 last = (1024u << c.sizeCode) - 1;
        EXPECT_EQ(sheet->tiles[last].angle, c.withAngles ? TestAngle(last) : 0);
        EXPECT_EQ(sheet->tiles[last + 3 * (last + 1)].pixels[255], TestPixel(last, 0, 0));
        ASSERT_EQ(sheet->patternWidth, 2);
        ASSERT_EQ(sheet->patternHeight, 1);
        EXPECT_EQ(sheet->pattern[0], c.remapped);
        EXPECT_EQ(sheet->pattern[1], 1);
        FreeLayoutSlotTables();
    }
}

TEST_F(LayoutTest, EveryVersionAndRunLengthMaps)
{
    struct Case {
        u8 version;
        std::vector<std::pair<u16, u16>> runs; // empty: written from the cells
        std::vector<u16> expected;             // the 5 x 2 cells after loading
    };
    const std::vector<u16> plain = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0x2FFF};
    const Case cases[] = {
        {2, {}, plain},
        {3, {{3, 7}, {2, 9}, {0, 4}}, {7, 7, 7, 9, 9, 4, 4, 4, 4, 4}},
        {4, {{6, 1}, {4, 0xFFFF}}, {1, 1, 1, 1, 1, 1, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}},
        // A run past the last cell stops there; the layer after it is read from the right place.
        {4, {{60000, 3}}, {3, 3, 3, 3, 3, 3, 3, 3, 3, 3}},
        {3, {{0, 8}}, {8, 8, 8, 8, 8, 8, 8, 8, 8, 8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "version " << int(c.version));
        LayoutFile file;
        file.version = c.version;
        LayoutLayer layer = MakeLayoutLayer(0, 5, 2);
        layer.cells = plain;
        layer.runs = c.runs;
        layer.reserved1 = 0xBEEF;
        layer.reserved2 = 0x1234;
        layer.depth = 9;
        LayoutLayer second = MakeLayoutLayer(2, 3, 4);
        second.cells.assign(12, 0x77);
        second.wrapLengths = {1, 2, 3, 3};
        second.parallaxFactors = {10, 20, 30, 40};
        second.scrollCount = 2;
        second.layerFactor = 99;
        file.layers = {layer, second};
        Write("Data/Stages/V/layout1.bin", MakeLayout(file));
        Layout* layout = Load("Data/Stages/V/layout1.bin");
        ASSERT_NE(layout, nullptr);
        EXPECT_EQ(layout->tileSheetCount, 0);
        EXPECT_EQ(layout->tileSheets, nullptr);
        ASSERT_EQ(layout->layerCount, 2);
        const TileLayer& first = layout->layers[0];
        EXPECT_EQ(std::vector<u16>(first.map, first.map + 10), c.expected); // no sheet: no remap
        EXPECT_EQ(first.map[10], 0); // the spare row stays 0
        EXPECT_EQ(first.reserved1, 0xBEEF);
        EXPECT_EQ(first.reserved2, c.version >= 4 ? 0x1234 : 0);
        EXPECT_EQ(first.depth, 9);
        EXPECT_EQ(first.visible, 0);
        const TileLayer& rows = layout->layers[1];
        EXPECT_EQ(rows.scrollMode, 2);
        EXPECT_EQ(std::vector<u32>(rows.wrapLengths, rows.wrapLengths + 4), (std::vector<u32>{1, 2, 3, 3}));
        EXPECT_EQ(std::vector<u8>(rows.parallaxFactor, rows.parallaxFactor + 4), (std::vector<u8>{10, 20, 30, 40}));
        EXPECT_EQ(rows.scrollCount, 2u);
        EXPECT_EQ(rows.layerFactor, 99);
        EXPECT_EQ(rows.cellCount, 6); // repeat count x width
        EXPECT_EQ(rows.map[11], 0x77);
        EXPECT_EQ(rows.rowStarts[3], 9);
        FreeLayoutSlotTables();
    }
}

TEST_F(LayoutTest, ScrollPayloadsOfEveryMode)
{
    LayoutFile file;
    file.version = 4;
    const u8 modes[] = {0, 1, 2, 3, 4, 5, 7};
    for (u8 mode : modes) {
        LayoutLayer layer = MakeLayoutLayer(mode, 3, 2);
        for (size_t e = 0; e < layer.parallaxFactors.size(); ++e)
            layer.parallaxFactors[e] = (u8)(e + mode);
        layer.cells = {1, 2, 3, 4, 5, 6};
        file.layers.push_back(layer);
    }
    Write("L/layout1.bin", MakeLayout(file));
    Layout* layout = Load("L/layout1.bin");
    ASSERT_NE(layout, nullptr);
    ASSERT_EQ(layout->layerCount, 7);
    const u32 entries[] = {1, 1, 2, 3, 32, 48, 0};
    for (u32 i = 0; i < 7; ++i) {
        const TileLayer& layer = layout->layers[i];
        SCOPED_TRACE(::testing::Message() << "mode " << int(layer.scrollMode));
        EXPECT_EQ(LayerScrollEntryCount(layer.scrollMode, layer.width, layer.height), entries[i]);
        if (layer.scrollMode != 0) {
            for (u32 e = 0; e < entries[i]; ++e)
                ASSERT_EQ(layer.parallaxFactor[e], (u8)(e + layer.scrollMode));
        }
        // Every layer's map is read in full: the next layer starts where this one ended.
        EXPECT_EQ(layer.map[5], 6);
    }
    EXPECT_EQ(layout->layers[6].wrapLengths, nullptr);
}

TEST(LayerSetUp, CreateGivesEachModeItsDefaultsAndCopyCarriesEverything)
{
    struct Case {
        u8 mode;
        u32 entries, wrap, repeat;
    };
    // A layer of 5 x 3 tiles.
    const Case cases[] = {{0, 1, 5, 3}, {1, 1, 5, 3}, {2, 3, 5, 3}, {3, 5, 3, 5}, {4, 48, 5, 3}, {5, 80, 3, 5}, {6, 0, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << int(c.mode));
        TileLayer layer;
        ASSERT_TRUE(CreateLayer(&layer, c.mode, 5, 3));
        EXPECT_EQ(LayerScrollEntryCount(c.mode, 5, 3), c.entries);
        EXPECT_EQ(layer.cellCount, 15);
        EXPECT_EQ(layer.scrollCount, c.repeat);
        EXPECT_EQ(layer.layerFactor, 64);
        EXPECT_EQ(layer.visible, 0);
        EXPECT_EQ(layer.rowStarts[2], 10);
        for (u32 i = 0; i < 21; ++i) // the cells, the spare row and the spare cell
            ASSERT_EQ(layer.map[i], 0);
        for (u32 e = 0; e < c.entries; ++e) {
            ASSERT_EQ(layer.wrapLengths[e], c.wrap);
            ASSERT_EQ(layer.parallaxFactor[e], 64);
            ASSERT_EQ(layer.scrollOffsets[e], 0);
        }
        for (u32 i = 0; i < 15; ++i)
            layer.map[i] = (u16)(i + 1);
        for (u32 e = 0; e < c.entries; ++e) {
            layer.wrapLengths[e] = e % 3 + 1;
            layer.scrollOffsets[e] = -(i32)e;
            layer.parallaxFactor[e] = (u8)(200 - e);
        }
        layer.visible = 1;
        layer.depth = 7;
        layer.tileSheetIndex = 2;
        layer.scrollCount = 2;
        layer.layerFactor = 9;
        layer.layerScroll = -77;
        layer.cellCount = 10;
        // Over a destination of another mode and size: its arrays take the source's sizes.
        TileLayer copy;
        ASSERT_TRUE(CreateLayer(&copy, 4, 30, 20));
        ASSERT_TRUE(CopyLayer(&layer, &copy));
        EXPECT_EQ(copy.scrollMode, c.mode);
        EXPECT_EQ(copy.width, 5);
        EXPECT_EQ(copy.height, 3);
        EXPECT_EQ(copy.cellCount, 10);
        EXPECT_EQ(copy.visible, 1);
        EXPECT_EQ(copy.depth, 7);
        EXPECT_EQ(copy.tileSheetIndex, 2);
        EXPECT_EQ(copy.scrollCount, 2u);
        EXPECT_EQ(copy.layerFactor, 9);
        EXPECT_EQ(copy.layerScroll, -77);
        EXPECT_EQ(copy.rowStarts[2], 10);
        for (u32 i = 0; i < 15; ++i)
            ASSERT_EQ(copy.map[i], i + 1);
        for (u32 e = 0; e < c.entries; ++e) {
            ASSERT_EQ(copy.wrapLengths[e], e % 3 + 1);
            ASSERT_EQ(copy.scrollOffsets[e], -(i32)e);
            ASSERT_EQ(copy.parallaxFactor[e], (u8)(200 - e));
        }
        FreeLayer(&copy);
        FreeLayer(&layer);
    }
}

TEST_F(LayoutTest, CameraLimitsFollowTheLargestCameraLockedLayer)
{
    for (CameraLimits& limits : cameraLimits) {
        limits = CameraLimits{5, 6, 7, 8, 9, 10, 11, 12, 1, 1, 999, 888};
    }
    LayoutFile file;
    file.version = 3;
    file.layers = {MakeLayoutLayer(0, 10, 30), MakeLayoutLayer(1, 500, 500), MakeLayoutLayer(0, 40, 5)};
    Write("C/layout1.bin", MakeLayout(file));
    ASSERT_NE(Load("C/layout1.bin"), nullptr);
    for (const CameraLimits& limits : cameraLimits) {
        EXPECT_EQ(limits.leftBound, 0);
        EXPECT_EQ(limits.topBound, 0);
        EXPECT_EQ(limits.leftTarget, 0);
        EXPECT_EQ(limits.rightBound, 640);
        EXPECT_EQ(limits.rightTarget, 640);
        EXPECT_EQ(limits.wrapWidth, 640);
        EXPECT_EQ(limits.bottomBound, 480);
        EXPECT_EQ(limits.bottomTarget, 480);
        EXPECT_EQ(limits.wrapHeight, 480);
        EXPECT_EQ(limits.wrapX, 1); // wrap flags are the stage's
    }
    // Without a camera-locked layer the bounds are 0 and the wrap sizes stay.
    file.layers = {MakeLayoutLayer(2, 10, 10)};
    Write("D/layout1.bin", MakeLayout(file));
    ASSERT_NE(Load("D/layout1.bin"), nullptr);
    EXPECT_EQ(cameraLimits[3].rightBound, 0);
    EXPECT_EQ(cameraLimits[3].bottomTarget, 0);
    EXPECT_EQ(cameraLimits[3].wrapWidth, 640);
}

TEST_F(LayoutTest, SlotsAcrossStageSwitchesAndRestarts)
{
    Write("Data/Stages/S/Tiles.tga", TestSheet(0, false));
    Write("Data/Stages/S/layout1.bin", MakeLayout(OneSheetLayout(2, 2, {1, 2, 3, 4})));
    const char* path = "Data/Stages/S/layout1.bin";
    // The first stage loads it.
    currentStage = &stageA;
    stageSwitching = 1;
    i32 first = -1;
    Layout* layout = Load(path, &first);
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(std::string(debugText), "Loaded Data/Stages/S/layout1.bin - Slot:  0  Use Count:  1");
    // Switching to a stage with the same layout: its load runs before the old stage's unload.
    previousStage = &stageA;
    currentStage = &stageB;
    EXPECT_EQ(LoadLayout(path), first);
    EXPECT_EQ(layout->useCount, 2u);
    FreeLayout(first);
    EXPECT_EQ(LayoutInSlot(first), layout);
    EXPECT_EQ(layout->useCount, 1u);
    // Play changes a cell; a restart (current equals previous, while switching) reads a fresh copy.
    layout->layers[0].map[0] = 0x3FF;
    previousStage = &stageB;
    const i32 again = LoadLayout(path);
    ASSERT_NE(LayoutInSlot(again), nullptr);
    EXPECT_EQ(again, 0); // the old copy's slot was freed first
    EXPECT_EQ(LayoutInSlot(again)->layers[0].map[0], 1);
    EXPECT_EQ(LayoutInSlot(again)->useCount, 1u);
    // Outside a switch, a restarting stage takes no new reference.
    stageSwitching = 0;
    EXPECT_EQ(LoadLayout(path), again);
    EXPECT_EQ(LayoutInSlot(again)->useCount, 1u);
    // The tick's refresh takes the layout of currentLayoutSlot and tile-sheet slot 0.
    currentLayoutSlot = again;
    currentLayout = nullptr;
    RefreshCurrentLayout();
    EXPECT_EQ(currentLayout, LayoutInSlot(again));
    EXPECT_EQ(currentTileSheet, tileSheetSlots[0]);
    FreeLayout(again);
    EXPECT_EQ(LayoutInSlot(again), nullptr);
    EXPECT_EQ(currentLayout, nullptr); // never left pointing at a freed layout
    EXPECT_EQ(currentTileSheet, nullptr);
    for (u32 s = 0; s < tileSheetSlotCount; ++s)
        EXPECT_EQ(tileSheetSlots[s], nullptr);
    for (u32 s = 0; s < sheetSlotCount; ++s)
        EXPECT_EQ(sheetSlots[s], nullptr) << "the tile sheet's image is released with it";
    currentLayoutSlot = -1;
}

TEST_F(LayoutTest, MissingFilesAndSlotMinusOne)
{
    EXPECT_EQ(LoadLayout("Data/Stages/Nowhere/layout1.bin"), -1);
    EXPECT_EQ(std::string(debugText), "Can't open Data/Stages/Nowhere/layout1.bin");
    // A stage stores the -1 and later frees it, and the tick looks it up: nothing happens.
    FreeLayout(-1);
    FreeLayout(12345);
    currentLayoutSlot = -1;
    currentLayout = nullptr;
    RefreshCurrentLayout();
    EXPECT_EQ(currentLayout, nullptr);
    EXPECT_EQ(LayoutInSlot(-1), nullptr);
}

TEST_F(LayoutTest, SheetsAreLookedUpBesideTheLayout)
{
    Write("Tiles.tga", TestSheet(0, false));
    Write("Data/Tiles.tga", TestSheet(0, true));
    // No separator: the sheet comes from "."; a drive letter is dropped; either separator counts.
    const char* paths[] = {"layout1.bin", "C:Data/layout1.bin", "Data\\back.bin"};
    const bool fromData[] = {false, true, true};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(paths[i]);
        Write(paths[i], MakeLayout(OneSheetLayout(1, 1, {TileEntry(2)})));
        Layout* layout = Load(paths[i]);
        ASSERT_NE(layout, nullptr);
        const TileSheet* sheet = layout->tileSheets[0];
        EXPECT_EQ(sheet->tiles[2].pixels[17], TestPixel(2, 1, 1));
        // Only Data/Tiles.tga has angle rows.
        EXPECT_EQ(sheet->tiles[2].angle, fromData[i] ? TestAngle(2) : 0);
    }
}

TEST_F(LayoutTest, AnImageLoadedByAnotherLayoutStillGivesItsColours)
{
    Write("Data/Stages/A/Tiles.tga", TestSheet(0, false));
    Write("Data/Stages/A/layout1.bin", MakeLayout(OneSheetLayout(1, 1, {1})));
    Write("Data/Stages/A/second.bin", MakeLayout(OneSheetLayout(1, 1, {1})));
    Layout* first = Load("Data/Stages/A/layout1.bin");
    Layout* second = Load("Data/Stages/A/second.bin");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    // One image, two tile sheets, two palettes: the second takes its colours from the image's
    // colour map, since loading the image again does not fill it.
    EXPECT_EQ(second->tileSheets[0]->sheet, first->tileSheets[0]->sheet);
    EXPECT_EQ(second->tileSheets[0]->sheet->useCount, 2u);
    ASSERT_NE(second->tileSheets[0]->palette, first->tileSheets[0]->palette);
    for (u32 i = 0; i < 256; ++i)
        ASSERT_EQ(second->tileSheets[0]->palette->colours[i], first->tileSheets[0]->palette->colours[i]) << i;
    EXPECT_EQ(second->tileSheets[0]->palette->colours[9], 0xFF000000u | 9u << 16 | 246u << 8 | 27u);
}

TEST_F(LayoutTest, LoadsThroughTheDataPack)
{
    std::vector<u8> pack;
    std::string error;
    ASSERT_TRUE(MakePack({{"Data/Stages/P/layout1.bin", MakeLayout(OneSheetLayout(2, 1, {TileEntry(3, true), 0}))},
                          {"Data/Stages/P/Tiles.tga", TestSheet(0, true)}},
                         &pack, &error))
        << error;
    Write("data.ch3", pack);
    ASSERT_NE(OpenDataPack(), 0u);
    Layout* layout = Load("Data/Stages/P/layout1.bin");
    CloseDataPack();
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(layout->layers[0].map[0], 0x403);
    EXPECT_EQ(layout->tileSheets[0]->tiles[3].angle, TestAngle(3));
}

TEST_F(LayoutTest, DamagedAndHostileFiles)
{
    // Wrong magic and unknown versions: the box, an empty layout in a slot, bounds and targets 0.
    for (const char* start : {"SLEW\x05", "SLEV\x06", "SLEV\x01", "SL"}) {
        SCOPED_TRACE(start);
        headless::ClearShownBoxes();
        cameraLimits[1].rightTarget = 77;
        Write("bad.bin", std::vector<u8>(start, start + strlen(start)));
        i32 slot = -1;
        Layout* layout = Load("bad.bin", &slot);
        ASSERT_NE(layout, nullptr);
        EXPECT_EQ(layout->layerCount, 0);
        EXPECT_EQ(layout->tileSheets, nullptr);
        EXPECT_TRUE(BoxShown("Unsupported layout file version"));
        EXPECT_EQ(cameraLimits[1].rightTarget, 0);
        FreeLayout(slot);
    }

    // Values the drawers cannot use are brought into range at load.
    LayoutFile file;
    file.version = 4;
    LayoutLayer negative = MakeLayoutLayer(0, 4, 4);
    negative.width = 0xFFFF; // -1 as a signed 16-bit size
    negative.height = 0x12340003;
    negative.cells.clear();
    LayoutLayer rows = MakeLayoutLayer(2, 4, 3);
    rows.wrapLengths = {0, 9, 4};
    rows.scrollCount = 0;
    LayoutLayer lines = MakeLayoutLayer(4, 2, 1);
    lines.scrollCount = 40;
    file.layers = {negative, rows, lines};
    Write("clamp.bin", MakeLayout(file));
    Layout* layout = Load("clamp.bin");
    ASSERT_NE(layout, nullptr);
    ASSERT_EQ(layout->layerCount, 3);
    EXPECT_EQ(layout->layers[0].width, 0);
    EXPECT_EQ(layout->layers[0].height, 3);
    EXPECT_EQ(std::vector<u32>(layout->layers[1].wrapLengths, layout->layers[1].wrapLengths + 3),
              (std::vector<u32>{1, 4, 4}));
    EXPECT_EQ(layout->layers[1].scrollCount, 1u);
    EXPECT_EQ(layout->layers[1].cellCount, 4);
    EXPECT_EQ(layout->layers[2].scrollCount, 1u);
}

TEST_F(LayoutTest, HugeLayersStayWithinTheMemoryBudget)
{
    // Four bytes of runs describe a layer of 32767 x 32767 cells (2 GiB of map). The first such
    // layer past the budget is kept empty, and the layers after it are still read right.
    LayoutFile file;
    file.version = 3;
    LayoutLayer huge = MakeLayoutLayer(0, 1, 1);
    huge.width = huge.height = 32767;
    huge.cells.clear();
    huge.runs = {{0, 5}};
    LayoutLayer lines = MakeLayoutLayer(4, 1, 1);
    lines.height = 32767; // 524272 scroll entries, written out in full
    lines.wrapLengths.assign(32767 * 16, 1);
    lines.parallaxFactors.assign(32767 * 16, 7);
    lines.cells.clear();
    lines.runs = {{0, 3}};
    LayoutLayer small = MakeLayoutLayer(1, 2, 2);
    small.cells = {1, 2, 3, 4};
    file.layers = {huge, lines, huge, small};
    Write("big.bin", MakeLayout(file));
    Layout* layout = Load("big.bin");
    ASSERT_NE(layout, nullptr);
    ASSERT_EQ(layout->layerCount, 4);
    EXPECT_EQ(layout->layers[0].width, 0);
    EXPECT_EQ(layout->layers[0].height, 0);
    EXPECT_EQ(layout->layers[1].height, 32767); // fits: kept
    EXPECT_EQ(layout->layers[1].parallaxFactor[524271], 7);
    EXPECT_EQ(layout->layers[1].map[32766], 3);
    EXPECT_EQ(layout->layers[2].width, 0);
    EXPECT_EQ(std::vector<u16>(layout->layers[3].map, layout->layers[3].map + 4), (std::vector<u16>{1, 2, 3, 4}));
}

TEST_F(LayoutTest, ALoweredBudgetKeepsTheLayersPastItEmpty)
{
    // A camera-locked layer of 40 x 40 cells takes 41 x 40 + 1 cells, 41 row starts and one scroll
    // entry: 3,455 bytes. A budget of 8,000 keeps two and empties the third.
    struct RestoreBudget {
        ~RestoreBudget() { layoutByteBudget = defaultLayoutByteBudget; }
    } restore;
    layoutByteBudget = 8000;
    LayoutFile file;
    file.version = 3;
    LayoutLayer layer = MakeLayoutLayer(0, 40, 40);
    layer.cells.assign(40 * 40, 2);
    file.layers = {layer, layer, layer};
    Write("budget.bin", MakeLayout(file));
    Layout* layout = Load("budget.bin");
    ASSERT_NE(layout, nullptr);
    ASSERT_EQ(layout->layerCount, 3);
    EXPECT_EQ(layout->layers[1].width, 40);
    EXPECT_EQ(layout->layers[1].map[40 * 40 - 1], 2);
    EXPECT_EQ(layout->layers[2].width, 0);
    EXPECT_EQ(layout->layers[2].height, 0);
}

// A stage as the game has it: drawn art on an ordinary sheet, the collision layer on a mask sheet
// (tile 1 solid; its own colours only black and white), every cell of the collision layer tile 1
// with the column's colour offset, but for an empty cell at the top left.
LayoutFile MaskLayout(const char* maskName)
{
    LayoutFile layout;
    layout.sheets = {{0, "Tiles.tga"}, {1, maskName}};
    LayoutLayer art = MakeLayoutLayer(0, 2, 2);
    art.cells = {TileEntry(3), TileEntry(4), 0, 0};
    LayoutLayer mask = MakeLayoutLayer(0, 28, 16);
    for (u16 row = 0; row < 16; ++row)
        for (u16 column = 0; column < 28; ++column)
            mask.cells[row * 28 + column] = row == 0 && column == 0 ? 0 : (u16)((column % 16) << 12 | 1);
    mask.tileSheetIndex = 1;
    layout.layers = {art, mask};
    return layout;
}

std::vector<u8> MaskSheet()
{
    return MakeTga(MakeTileSheetImage(
        0, false, [](u32 t, u32, u32) { return (u8)(t == 1 ? 1 : 0); }, [](u32) { return (u8)0; },
        {Rgb{0, 0, 0}, Rgb{255, 255, 255}}));
}

TEST_F(LayoutTest, PaletteSelectLayersDrawWithTheStagesColoursUntilTheLayoutIsFreed)
{
    Write("Data/Stages/Test/Tiles.tga", TestSheet(0, true));
    Write("Data/Stages/Test/Collision.tga", MaskSheet());
    Write("Data/Stages/Test/layout1.bin", MakeLayout(MaskLayout("Collision.tga")));
    // Loads of another stage than the last: a second load is a second use.
    currentStage = &stageA;
    previousStage = &stageB;
    // A layout without palette-select layers has no such palette and leaves the pointer alone.
    Write("Data/Stages/Test/plain.bin", MakeLayout(OneSheetLayout(1, 1, {TileEntry(2)})));
    i32 plainSlot = -1;
    Layout* plain = Load("Data/Stages/Test/plain.bin", &plainSlot);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->selectPalette, nullptr);
    EXPECT_EQ(sharedPalette, nullptr);

    i32 slot = -1;
    Layout* layout = Load("Data/Stages/Test/layout1.bin", &slot);
    ASSERT_NE(layout, nullptr);
    Palette* palette = layout->selectPalette;
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(sharedPalette, palette);
    EXPECT_GE(sharedPaletteCount, 256u + 15u);
    // The stage's colours (the art sheet's, not the mask's black and white), black past them.
    const std::vector<Rgb> colours = TestColours();
    auto colourOf = [&colours](u32 i) {
        return i < 256 ? 0xFF000000u | (u32)colours[i][0] << 16 | (u32)colours[i][1] << 8 | colours[i][2] : 0xFF000000u;
    };
    for (u32 i = 0; i < sharedPaletteCount; ++i)
        ASSERT_EQ(palette->colours[i], colourOf(i)) << "colour " << i;
    EXPECT_EQ(palette->rgb[200 * 3 + 1], 55);

    // Drawn through the scene's dispatch, every pixel of a cell with offset p shows colour p + 1.
    ASSERT_EQ(screenWidth, 424);
    currentLayout = layout;
    const u32 background = 0xFF123456u;
    for (i32 y = 0; y < screenHeight; ++y)
        for (i32 x = 0; x < screenWidth; ++x)
            frameBuffer[rowOffsets[y] + x] = background;
    DrawTileLayer(&layout->layers[1]);
    for (i32 y = 0; y < screenHeight; ++y)
        for (i32 x = 0; x < screenWidth; ++x) {
            const u32 column = (u32)x / 16;
            const u32 want = column == 0 && y < 16 ? background : colourOf(column % 16 + 1);
            ASSERT_EQ(frameBuffer[rowOffsets[y] + x], want) << "pixel (" << x << ", " << y << ")";
        }

    // Freeing another layout, or this one while something else is shared, keeps the pointer.
    Palette elsewhere{};
    FreeLayout(plainSlot);
    EXPECT_EQ(sharedPalette, palette);
    // A second use shares it again; the colours stay until the last use goes.
    EXPECT_EQ(LoadLayout("Data/Stages/Test/layout1.bin"), slot);
    sharedPalette = &elsewhere;
    FreeLayout(slot);
    EXPECT_EQ(sharedPalette, &elsewhere);
    sharedPalette = palette;
    EXPECT_EQ(LoadLayout("Data/Stages/Test/layout1.bin"), slot);
    EXPECT_EQ(sharedPalette, palette);
    FreeLayout(slot);

    // The last use frees the colours: nothing points at them any more, the drawer's window
    // (left inside them by the edge cells) included.
    const u32 paletteSlot = palette->slot;
    const uintptr_t first = (uintptr_t)palette->colours, last = first + selectPaletteColours * sizeof(u32);
    ASSERT_GE((uintptr_t)currentPalette, first);
    ASSERT_LT((uintptr_t)currentPalette, last);
    FreeLayout(slot);
    EXPECT_EQ(LayoutInSlot(slot), nullptr);
    EXPECT_EQ(sharedPalette, nullptr);
    EXPECT_EQ(sharedPaletteCount, 0u);
    EXPECT_EQ(paletteSlots[paletteSlot], nullptr);
    EXPECT_TRUE((uintptr_t)currentPalette < first || (uintptr_t)currentPalette >= last);
    EXPECT_EQ(currentLayout, nullptr);
}

TEST_F(LayoutTest, AMissingMaskImageKeepsTheCollisionBits)
{
    Write("Data/Stages/Test/Tiles.tga", TestSheet(0, true));
    Write("Data/Stages/Test/layout1.bin", MakeLayout(MaskLayout("Missing.tga")));
    Layout* layout = Load("Data/Stages/Test/layout1.bin");
    ASSERT_NE(layout, nullptr);
    const TileSheet* mask = layout->tileSheets[1];
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->recordCount, 0);
    EXPECT_EQ(mask->tiles, nullptr);
    // Every cell as the file holds it; only the picture is missing.
    const TileLayer& layer = layout->layers[1];
    for (i32 row = 0; row < 16; ++row)
        for (i32 column = 0; column < 28; ++column)
            ASSERT_EQ(layer.map[layer.rowStarts[row] + column], row == 0 && column == 0 ? 0 : (column % 16) << 12 | 1)
                << "cell (" << column << ", " << row << ")";
    // The art sheet's layer is remapped as usual.
    EXPECT_EQ(layout->layers[0].map[1], 4);
    // Without tiles the layer draws nothing.
    currentLayout = layout;
    for (i32 y = 0; y < screenHeight; ++y)
        for (i32 x = 0; x < screenWidth; ++x)
            frameBuffer[rowOffsets[y] + x] = 0xFF00FF00u;
    DrawTileLayer(&layer);
    for (i32 y = 0; y < screenHeight; ++y)
        for (i32 x = 0; x < screenWidth; ++x)
            ASSERT_EQ(frameBuffer[rowOffsets[y] + x], 0xFF00FF00u);
}

TEST_F(LayoutTest, BadSheetsAndSheetIndices)
{
    // A sheet index past the count: the layer keeps no cells.
    LayoutFile file = OneSheetLayout(2, 1, {TileEntry(4), TileEntry(5)});
    file.layers[0].tileSheetIndex = 3;
    Write("Data/Tiles.tga", TestSheet(0, false));
    Write("Data/index.bin", MakeLayout(file));
    Layout* layout = Load("Data/index.bin");
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(layout->layers[0].map[0], 0);
    EXPECT_EQ(layout->layers[0].map[1], 0);
    EXPECT_EQ(layout->layers[0].tileSheetIndex, 0);

    // A missing image: the sheet has no records, and the cells that name it are emptied.
    file = OneSheetLayout(1, 1, {TileEntry(4)});
    file.sheets[0].name = "Missing.tga";
    Write("Data/missing.bin", MakeLayout(file));
    headless::ClearShownBoxes();
    layout = Load("Data/missing.bin");
    ASSERT_NE(layout, nullptr);
    const TileSheet* sheet = layout->tileSheets[0];
    EXPECT_EQ(sheet->recordCount, 0);
    EXPECT_EQ(sheet->tiles, nullptr);
    EXPECT_EQ(layout->layers[0].map[0], 0);
    EXPECT_TRUE(headless::ShownBoxes().empty());

    // An image smaller than 512 x 512: pixels outside it are 0.
    TgaImage small;
    small.width = 20;
    small.height = 20;
    small.pixels.assign(400, 9);
    small.colours = TestColours();
    Write("Data/Small.tga", MakeTga(small));
    file.sheets[0].name = "Small.tga";
    Write("Data/small.bin", MakeLayout(file));
    layout = Load("Data/small.bin");
    ASSERT_NE(layout, nullptr);
    sheet = layout->tileSheets[0];
    EXPECT_EQ(sheet->tiles[0].pixels[0], 9);
    EXPECT_EQ(sheet->tiles[0].opaque, 1);
    EXPECT_EQ(sheet->tiles[1].pixels[3], 9);  // columns 16-19 of the image
    EXPECT_EQ(sheet->tiles[1].pixels[4], 0);  // past its width
    EXPECT_EQ(sheet->tiles[32].pixels[16 * 3], 9);
    EXPECT_EQ(sheet->tiles[32].pixels[16 * 4], 0);

    // A size code above 2: the boxes, no tile records, the cells emptied.
    headless::ClearShownBoxes();
    TgaImage tall;
    tall.width = 1;
    tall.height = 3072;
    tall.pixels.assign(3072, 1);
    tall.colours = TestColours();
    Write("Data/Tall.tga", MakeTga(tall));
    Write("Data/Tall.tpl", MakeTilePattern(1, 1, {0x1005}));
    file.sheets[0].name = "Tall.tga";
    Write("Data/tall.bin", MakeLayout(file));
    layout = Load("Data/tall.bin");
    ASSERT_NE(layout, nullptr);
    EXPECT_TRUE(BoxShown("Bad Tilesheet Size Found..."));
    EXPECT_TRUE(BoxShown("Unsupported Tilesheet Size: 3"));
    EXPECT_EQ(layout->tileSheets[0]->recordCount, 0);
    EXPECT_EQ(layout->layers[0].map[0], 0);

    // A pattern file shorter than its grid is not used.
    Write("Data/Tiles.tpl", MakeTilePattern(300, 300, {1, 2, 3}));
    file.sheets[0].name = "Tiles.tga";
    Write("Data/pattern.bin", MakeLayout(file));
    layout = Load("Data/pattern.bin");
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(layout->tileSheets[0]->patternWidth, 32);
}

TEST_F(LayoutTest, TruncatedFilesLoadWhatTheyHold)
{
    LayoutFile file = OneSheetLayout(3, 2, {TileEntry(1), TileEntry(2), TileEntry(3), 4, 5, 6});
    LayoutLayer lines = MakeLayoutLayer(4, 3, 2);
    lines.cells.assign(6, TileEntry(9));
    file.layers.push_back(lines);
    Write("Data/Tiles.tga", TestSheet(0, false));
    const std::vector<u8> whole = MakeLayout(file);
    for (size_t cut = 5; cut < whole.size(); cut += 3) {
        SCOPED_TRACE(cut);
        Write("Data/cut.bin", std::vector<u8>(whole.begin(), whole.begin() + cut));
        i32 slot = -1;
        Layout* layout = Load("Data/cut.bin", &slot);
        ASSERT_NE(layout, nullptr);
        for (u32 i = 0; i < layout->layerCount; ++i) {
            const TileLayer& layer = layout->layers[i];
            const size_t cells = (size_t)layer.width * layer.height;
            for (size_t c = 0; c < cells; ++c)
                ASSERT_LT(layer.map[c], layout->tileSheetCount ? layout->tileSheets[0]->recordCount : 0x10000);
        }
        FreeLayout(slot);
    }
}

} // namespace
