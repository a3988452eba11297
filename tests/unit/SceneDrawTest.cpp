// The scene draw with real drawers: objects of a depth lie under the tile layers of that depth and
// over those of lower depths, and the game thread draws the scene of every tick it runs.
#include <vector>

#include "Engine/Common/Layout.h"
#include "Engine/Common/Palettes.h"
#include "tests/unit/HeadlessGame.h"
#include "tests/unit/ObjectProbe.h"

namespace {

constexpr u32 tileColour = 0x112233, objectColour = 0xAABBCC;

class SceneDrawTest : public HeadlessGame {
protected:
    void SetUp() override
    {
        HeadlessGame::SetUp();
        FreeObjectTypeRegistry();
        probe::log.clear();
        colours[1] = 0xFF000000u | tileColour;
        colours[2] = 0xFF000000u | objectColour;
        tilePixels.assign(256, 1);
        tile = TileRecord{tilePixels.data(), 1, 0};
        sheet.useCount = 1;
        sheet.recordCount = 2;
        records[1] = tile;
        sheet.tiles = records;
        sheet.palette = &palette;
        // Each object fills a 6 x 6 square at its position in the object colour.
        probe::onDraw = [this](Probe* p) {
            SetCurrentPalette(&palette);
            const i32 x = (i32)p->header->x - scrollX, y = (i32)p->header->y - scrollY;
            rendererSlots.FillRect(x, y, x + 5, y + 5, 2);
        };
    }
    void TearDown() override
    {
        probe::onDraw = nullptr;
        FreeLayer(&layer);
        currentLayout = nullptr;
        currentTileSheet = nullptr;
        SetCurrentPalette(nullptr);
        for (CameraLimits& limits : cameraLimits)
            limits = CameraLimits{};
        HeadlessGame::TearDown();
    }

    // One camera-locked layer of 30 x 16 tiles at depth 3, every cell filled but one, (8, 1).
    void UseLayout()
    {
        ASSERT_TRUE(CreateLayer(&layer, ScrollCamera, 30, 16));
        for (i32 i = 0; i < 30 * 16; ++i)
            layer.map[i] = 1;
        layer.map[layer.rowStarts[1] + 8] = 0;
        layer.visible = 1;
        layer.depth = 3;
        layout = Layout{};
        layout.layers = &layer;
        layout.layerCount = 1;
        layout.tileSheetCount = 1;
        layout.tileSheets = &sheetPointer;
        layout.paletteSelect = &flag;
        currentLayout = &layout;
        CameraLimits& limits = cameraLimits[0];
        limits.rightBound = limits.rightTarget = 30 * 16;
        limits.bottomBound = limits.bottomTarget = 16 * 16;
    }

    static u32 Pixel(i32 x, i32 y) { return frameBuffer[rowOffsets[y] + x] & 0xFFFFFF; }

    ProbeType probes;
    u32 colours[256] = {};
    u8 rgb[256 * 3] = {};
    Palette palette{1, 0, colours, rgb};
    std::vector<u8> tilePixels;
    TileRecord tile{};
    TileRecord records[2] = {};
    TileSheet sheet{};
    TileSheet* sheetPointer = &sheet;
    u8 flag = 0;
    TileLayer layer{};
    Layout layout{};
};

TEST_F(SceneDrawTest, ObjectsLieUnderTheTileLayersOfTheirDepthAndOverLowerOnes)
{
    ASSERT_EQ(layoutSlots, nullptr);
    UseLayout();
    RegisterProbe(probes);
    struct Placed {
        f32 x, y;
        u8 layer;
        u32 seen; // what the frame shows at the object
    };
    const Placed placed[] = {
        {20.0f, 20.0f, 2, tileColour},     // under the layer
        {60.0f, 20.0f, 3, tileColour},     // same depth: still under it
        {100.0f, 20.0f, 4, objectColour},  // above it
        {130.0f, 20.0f, 2, objectColour},  // under it, seen through the empty cell
    };
    for (const Placed& p : placed) {
        SpawnObject(&probes.type, p.x, p.y, 0, 0);
        HeaderOf(lastSpawnedInstance)->drawLayer = p.layer;
    }
    UpdateObjects();
    DrawScene();
    for (const Placed& p : placed)
        EXPECT_EQ(Pixel((i32)p.x + 2, (i32)p.y + 2), p.seen) << "object at " << p.x;
    EXPECT_EQ(Pixel(200, 200), tileColour);
}

ProbeType* stageProbes;
Stage probeStage;

void ProbeStageLoad()
{
    RegisterProbe(*stageProbes, 32, 5, 9);
    SpawnObject(&stageProbes->type, 200.0f, 100.0f, 0, 0);
}
void ProbeStageFrame()
{
    UpdateObjects();
}
void ProbeStageUnload()
{
    FreeObjectType(&stageProbes->type);
}

TEST_F(SceneDrawTest, EveryTickDrawsTheSceneTheStageUpdated)
{
    probeStage = Stage{};
    probeStage.load = ProbeStageLoad;
    probeStage.frame = ProbeStageFrame;
    probeStage.unload = ProbeStageUnload;
    stageProbes = &probes;
    GameSetup();
    pendingStage = &probeStage;
    Tick();
    ASSERT_EQ(currentStage, &probeStage);
    const Probe* p = probes.At(0);
    EXPECT_EQ(p->updateCount, 1u);
    EXPECT_EQ(p->drawCount, 1u);
    const std::vector<u32>& shown = headless::LastPresented();
    ASSERT_EQ(headless::LastPresentedWidth(), 424u);
    EXPECT_EQ(shown[102u * 424u + 202u] & 0xFFFFFF, objectColour);
    Tick();
    EXPECT_EQ(tickCount, 2u);
    EXPECT_EQ(p->updateCount, 2u);
    EXPECT_EQ(p->drawCount, 2u);
}

} // namespace
