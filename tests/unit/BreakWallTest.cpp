// The breakable wall on a small layout made in memory: the whip's hit leaves it, another attacker's
// breaks it, the four cells are cleared in every break layer, the drawn tiles fly off as pieces in
// their directions, and layers or cells outside the layout are left alone.
#include <vector>

#include "Engine/Collision/MotionScratch.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/StageSwitch.h"
#include "Game/Actors/HitResolution.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Whip/Whip.h"
#include "Game/World/BreakWall.h"
#include "tests/unit/HeadlessGame.h"
#include "tests/unit/TestFolder.h"

namespace {

constexpr u8 layerCount = 6;
constexpr i32 mapWidth = 8, mapHeight = 8;

class BreakWallTest : public HeadlessGame, protected TestFolder {
protected:
    Stage stage{}, otherStage{};
    Layout layout{};
    TileLayer layers[layerCount]{};
    Layout* savedLayout = nullptr;
    u8 savedBreakLayers[4]{};
    ObjectType otherAttacker{};

    void SetUp() override
    {
        HeadlessGame::SetUp();
        EnterTestFolder("palvic-breakwall-");
        FreeObjectTypeRegistry();
        currentStage = &stage;
        previousStage = &otherStage;
        for (TileLayer& layer : layers)
            ASSERT_TRUE(CreateLayer(&layer, 0, mapWidth, mapHeight));
        layout.layers = layers;
        layout.layerCount = layerCount;
        savedLayout = currentLayout;
        currentLayout = &layout;
        for (int i = 0; i < 4; ++i)
            savedBreakLayers[i] = breakWallLayers[i];
        const u8 testLayers[4] = {1, 1, 2, 3};
        for (int i = 0; i < 4; ++i)
            breakWallLayers[i] = testLayers[i];
        BreakWallLoad(nullptr);
    }

    void TearDown() override
    {
        BreakWallUnload();
        FreeObjectTypeRegistry();
        breakWallAnimSet = AnimSet{};
        for (int i = 0; i < 4; ++i)
            breakWallLayers[i] = savedBreakLayers[i];
        currentLayout = savedLayout;
        for (TileLayer& layer : layers)
            FreeLayer(&layer);
        LeaveTestFolder();
        HeadlessGame::TearDown();
    }

    u16& Cell(u8 layer, i32 x, i32 y) { return layers[layer].map[layers[layer].rowStarts[y] + x]; }

    // Fills the 2 x 2 block whose lower right cell is (x, y) in layers 1-3; layer 1's entries are
    // 10 + the cell's order given in `drawn` (0 = empty).
    void FillBlock(i32 x, i32 y, const u16 drawn[4])
    {
        const i32 cells[4][2] = {{x, y}, {x - 1, y}, {x - 1, y - 1}, {x, y - 1}};
        for (int i = 0; i < 4; ++i) {
            Cell(1, cells[i][0], cells[i][1]) = drawn[i];
            Cell(2, cells[i][0], cells[i][1]) = 0x21;
            Cell(3, cells[i][0], cells[i][1]) = 0x31;
        }
    }

    static BreakWallRecord* Spawn(f32 x, f32 y, u8 kind)
    {
        lastSpawnedInstance = nullptr;
        SpawnObject(&BreakWall, x, y, kind, 0);
        EXPECT_NE(lastSpawnedInstance, nullptr);
        return (BreakWallRecord*)lastSpawnedInstance;
    }

    static bool Alive(const BreakWallRecord* r) { return r->header->alive && !r->header->free; }

    static std::vector<BreakWallRecord*> Pieces()
    {
        std::vector<BreakWallRecord*> pieces;
        for (u32 i = 0; i < BreakWall.poolSize; ++i) {
            BreakWallRecord* r = breakWallInstances[i];
            if (r && Alive(r) && r->header->spawnA == BreakWallKindPiece)
                pieces.push_back(r);
        }
        return pieces;
    }

    static void Hit(BreakWallRecord* wall, ObjectType* by)
    {
        wall->actor.hurt = 1;
        wall->actor.lastHitterType = by;
        BreakWallLateUpdate(wall);
    }
};

TEST_F(BreakWallTest, LoadFillsTheSettings)
{
    EXPECT_EQ(BreakWall.updatePass, 4);
    EXPECT_EQ(BreakWall.drawLayer, 14);
    EXPECT_EQ(BreakWall.growthStep, 128u);
    EXPECT_TRUE(BreakWall.placeable);
    ASSERT_GE(placeableTypeCount, 1u);
    EXPECT_EQ(placeableTypes[placeableTypeCount - 1], &BreakWall);
}

TEST_F(BreakWallTest, TheWhipLeavesTheWallAnotherAttackerBreaksIt)
{
    const u16 drawn[4] = {11, 12, 13, 14};
    FillBlock(4, 5, drawn);
    BreakWallRecord* wall = Spawn(64.0f, 80.0f, BreakWallKindWall);

    // Not hit: nothing happens.
    BreakWallLateUpdate(wall);
    EXPECT_TRUE(Alive(wall));

    Hit(wall, &Whip);
    EXPECT_TRUE(Alive(wall));
    EXPECT_EQ(Cell(1, 4, 5), 11);
    EXPECT_EQ(Cell(2, 4, 5), 0x21);
    EXPECT_TRUE(Pieces().empty());

    Hit(wall, &otherAttacker);
    EXPECT_FALSE(Alive(wall));
    for (u8 layer = 1; layer <= 3; ++layer)
        for (i32 y = 4; y <= 5; ++y)
            for (i32 x = 3; x <= 4; ++x)
                EXPECT_EQ(Cell(layer, x, y), 0) << "layer " << (int)layer << " cell " << x << "," << y;
}

TEST_F(BreakWallTest, PiecesGoTheirWaysWithTheirTiles)
{
    const u16 drawn[4] = {11, 12, 13, 14};
    FillBlock(4, 5, drawn);
    BreakWallRecord* wall = Spawn(64.0f, 80.0f, BreakWallKindWall);
    Hit(wall, &otherAttacker);
    std::vector<BreakWallRecord*> pieces = Pieces();
    ASSERT_EQ(pieces.size(), 4u);
    struct Expected {
        i16 entry;
        f32 x, y, vx, vy;
    };
    const Expected expected[4] = {
        {11, 64, 80, 2, 1}, {12, 48, 80, -2, 1}, {13, 48, 64, -2, -2}, {14, 64, 64, 2, -2}};
    for (const Expected& e : expected) {
        bool found = false;
        for (BreakWallRecord* p : pieces)
            if (p->tileEntry == e.entry) {
                found = true;
                EXPECT_EQ(p->header->x, e.x) << e.entry;
                EXPECT_EQ(p->header->y, e.y) << e.entry;
                EXPECT_EQ(p->header->vx, e.vx) << e.entry;
                EXPECT_EQ(p->header->vy, e.vy) << e.entry;
            }
        EXPECT_TRUE(found) << e.entry;
    }
    // A piece moves, then gains gravity; a wall never moves.
    BreakWallRecord* piece = pieces[0];
    const f32 x = piece->header->x, y = piece->header->y, vy = piece->header->vy;
    BreakWallUpdate(piece);
    EXPECT_EQ(piece->header->x, x + piece->header->vx);
    EXPECT_EQ(piece->header->y, y + vy);
    EXPECT_EQ(piece->header->vy, vy + breakWallPieceGravity);
    // Leaving the view ends a piece, not a wall.
    BreakWallLeaveView(piece);
    EXPECT_FALSE(Alive(piece));
    BreakWallRecord* other = Spawn(16.0f, 16.0f, BreakWallKindWall);
    BreakWallLeaveView(other);
    EXPECT_TRUE(Alive(other));
}

TEST_F(BreakWallTest, OnlyDrawnCellsGivePiecesButEveryLayerIsCleared)
{
    const u16 drawn[4] = {11, 0, 13, 0};
    FillBlock(4, 5, drawn);
    Hit(Spawn(64.0f, 80.0f, BreakWallKindWall), &otherAttacker);
    EXPECT_EQ(Pieces().size(), 2u);
    EXPECT_EQ(Cell(3, 3, 4), 0);
    EXPECT_EQ(Cell(2, 4, 5), 0);
}

TEST_F(BreakWallTest, CellsOutsideTheMapAreLeftAlone)
{
    // At the map's top left corner the block's other cells lie at -1: only (0, 0) breaks.
    Cell(1, 0, 0) = 11;
    Cell(2, 0, 0) = 0x21;
    const u16 guard = 0x55;
    // The spare cell after the map and the last cell of the row before must stay.
    layers[1].map[mapWidth * mapHeight] = guard;
    Cell(1, mapWidth - 1, mapHeight - 1) = guard;
    Hit(Spawn(8.0f, 8.0f, BreakWallKindWall), &otherAttacker);
    EXPECT_EQ(Cell(1, 0, 0), 0);
    EXPECT_EQ(Cell(2, 0, 0), 0);
    EXPECT_EQ(Pieces().size(), 1u);
    EXPECT_EQ(layers[1].map[mapWidth * mapHeight], guard);
    EXPECT_EQ(Cell(1, mapWidth - 1, mapHeight - 1), guard);

    // Straight calls past each edge change nothing.
    const i32 outside[4][2] = {{-1, 0}, {0, -1}, {mapWidth, 0}, {0, mapHeight}};
    for (const auto& c : outside)
        BreakWallShatter(c[0], c[1], 1.0f, 1.0f);
    EXPECT_EQ(layers[1].map[mapWidth * mapHeight], guard);
    EXPECT_EQ(Pieces().size(), 1u);
}

TEST_F(BreakWallTest, WithoutValidLayersTheWallStandsAndNothingIsWritten)
{
    const u16 drawn[4] = {11, 12, 13, 14};
    FillBlock(4, 5, drawn);
    struct Case {
        const char* name;
        u8 layers[4];
    };
    const Case cases[] = {
        {"never set", {255, 255, 255, 255}},
        {"a layer past the layout", {1, 1, 2, layerCount}},
    };
    for (const Case& c : cases) {
        for (int i = 0; i < 4; ++i)
            breakWallLayers[i] = c.layers[i];
        BreakWallRecord* wall = Spawn(64.0f, 80.0f, BreakWallKindWall);
        Hit(wall, &otherAttacker);
        EXPECT_TRUE(Alive(wall)) << c.name;
        EXPECT_EQ(Cell(1, 4, 5), 11) << c.name;
        EXPECT_EQ(Cell(3, 3, 4), 0x31) << c.name;
        EXPECT_TRUE(Pieces().empty()) << c.name;
        DespawnObject(wall->header);
    }
}

TEST_F(BreakWallTest, EditorPlaceSpawnsAWallAtTheCursor)
{
    BreakWallRecord* cursor = Spawn(100.0f, 40.0f, BreakWallKindPiece);
    lastSpawnedInstance = nullptr;
    BreakWallEditorPlace(cursor);
    BreakWallRecord* wall = (BreakWallRecord*)lastSpawnedInstance;
    ASSERT_NE(wall, nullptr);
    EXPECT_EQ(wall->header->spawnA, BreakWallKindWall);
    EXPECT_EQ(wall->header->x, 100.0f);
    EXPECT_EQ(wall->header->y, 40.0f);
}

} // namespace
