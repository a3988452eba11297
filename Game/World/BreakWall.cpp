// BreakWall: the wall waits for a hit other than the whip's, then shatters the 2 x 2 block it sits
// on and removes itself; its pieces fall with gravity until they leave the activity window.
#include "Game/World/BreakWall.h"

#include "Engine/Collision/MotionScratch.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Render/AnimDraw.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Actors/EnemyLibrary.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Whip/Whip.h"

ObjectType BreakWall;
BreakWallRecord** breakWallInstances;
AnimSet breakWallAnimSet;
ActorProperties breakWallProperties;

namespace {

constexpr EnemyTypeSettings settings{sizeof(BreakWallRecord), 128, 4, 14, 128, 128};

// The cell's map entry in one layer of the current layout, or null outside the layer's map.
u16* CellOf(u8 layerIndex, i32 tileX, i32 tileY)
{
    if (!currentLayout || !currentLayout->layers || layerIndex >= currentLayout->layerCount)
        return nullptr;
    TileLayer& layer = currentLayout->layers[layerIndex];
    if (!layer.map || !layer.rowStarts || tileX < 0 || tileY < 0 || tileX >= layer.width || tileY >= layer.height)
        return nullptr;
    return &layer.map[layer.rowStarts[tileY] + tileX];
}

} // namespace

// ---- Load and Unload ----

void BreakWallLoad(const char* placementPath)
{
    LoadAnim(breakWallManPath, &breakWallAnimSet);
    LoadEnemyProperties(&BreakWall, &breakWallProperties, breakWallVepPath);
    RegisterEnemyType(placementPath, &BreakWall, (void***)&breakWallInstances, settings, BreakWallUpdate,
                      BreakWallLateUpdate, BreakWallDraw, BreakWallLeaveView, BreakWallReset, BreakWallInit,
                      BreakWallLoad, BreakWallUnload);
    BreakWall.EditorPreview = BreakWallEditorPreview;
    BreakWall.EditorPlace = BreakWallEditorPlace;
    BreakWall.placeable = 1;
    AddPlaceableType(&BreakWall);
    if (BreakWall.loadCount < 2) {
        SetObjectTypeName(&BreakWall, "BreakWall");
        BreakWall.reserved = ObjectNoOp;
    }
    if (placementPath)
        LoadObjectPlacements(&BreakWall, placementPath);
}

void BreakWallUnload()
{
    UnloadEnemyType(&BreakWall, &breakWallAnimSet, &breakWallProperties);
}

// ---- Init and Reset ----

void BreakWallInit(void* instance)
{
    BreakWallRecord* wall = (BreakWallRecord*)instance;
    InitEnemy(&wall->actor, wall->header, &wall->anim);
    ApplyEnemyProperties(&breakWallProperties, &wall->actor);
    wall->tileEntry = 0;
    BreakWallReset(wall);
}

void BreakWallReset(void* instance)
{
    BreakWallRecord* wall = (BreakWallRecord*)instance;
    if (!breakWallAnimSet.loaded)
        return;
    wall->anim.set = &breakWallAnimSet;
    StartAnim(&wall->anim, 0);
}

// ---- Update ----

void BreakWallUpdate(void* instance)
{
    BreakWallRecord* wall = (BreakWallRecord*)instance;
    ObjectHeader* header = wall->header;
    if (header->spawnA == BreakWallKindPiece) {
        header->x += header->vx;
        header->y += header->vy;
        header->vy += breakWallPieceGravity;
    }
    if (wall->anim.set)
        UpdateAnimPlayer(&wall->anim);
}

bool BreakWallLayersValid()
{
    for (u8 layer : breakWallLayers)
        if (!currentLayout || layer >= currentLayout->layerCount)
            return false;
    return true;
}

void BreakWallShatter(i32 tileX, i32 tileY, f32 vx, f32 vy)
{
    for (int i = 0; i < 4; ++i) {
        u16* cell = CellOf(breakWallLayers[i], tileX, tileY);
        if (!cell)
            continue;
        const u16 entry = *cell;
        *cell = 0;
        lastMapEntry = entry;
        if (i >= 2 || entry == 0)
            continue;
        lastSpawnedInstance = nullptr;
        SpawnObject(&BreakWall, (f32)(tileX * 16), (f32)(tileY * 16), BreakWallKindPiece, 0);
        BreakWallRecord* piece = (BreakWallRecord*)lastSpawnedInstance;
        if (!piece)
            continue;
        piece->header->vx = vx;
        piece->header->vy = vy;
        piece->tileEntry = (i16)lastMapEntry;
    }
}

void BreakWallLateUpdate(void* instance)
{
    BreakWallRecord* wall = (BreakWallRecord*)instance;
    ObjectHeader* header = wall->header;
    if (header->spawnA != BreakWallKindWall)
        return;
    RegisterAttackBoxes(&wall->actor);
    if (wall->actor.hurt != 1)
        return;
    // The whip does not break walls.
    if (wall->actor.lastHitterType == &Whip)
        return;
    // A stage that names no layers to break in keeps its walls whole.
    if (!BreakWallLayersValid())
        return;
    // The cell under the wall's position is the lower right one of the block.
    const i32 tileX = (i32)(header->x * 0.0625f);
    const i32 tileY = (i32)(header->y * 0.0625f);
    BreakWallShatter(tileX, tileY, 2.0f, 1.0f);
    BreakWallShatter(tileX - 1, tileY, -2.0f, 1.0f);
    BreakWallShatter(tileX - 1, tileY - 1, -2.0f, -2.0f);
    BreakWallShatter(tileX, tileY - 1, 2.0f, -2.0f);
    DespawnObject(header);
}

void BreakWallLeaveView(void* instance)
{
    BreakWallRecord* wall = (BreakWallRecord*)instance;
    if (wall->header->spawnA == BreakWallKindPiece)
        DespawnObject(wall->header);
}

// ---- Draw ----

void BreakWallDraw(void* instance)
{
    BreakWallRecord* wall = (BreakWallRecord*)instance;
    ObjectHeader* header = wall->header;
    // The wall's picture is the stage's tiles.
    if (header->spawnA != BreakWallKindPiece || !currentLayout || !rendererSlots.DrawTileMasked)
        return;
    TileSheet* sheet = currentTileSheet;
    if (breakWallLayers[0] < currentLayout->layerCount && currentLayout->layers)
        if (TileSheet* own = LayerTileSheet(currentLayout, &currentLayout->layers[breakWallLayers[0]]))
            sheet = own;
    const u16 tile = (u16)wall->tileEntry & 0x0FFF;
    if (!sheet || !sheet->tiles || tile >= sheet->recordCount)
        return;
    if (sheet->palette)
        SetCurrentPalette(sheet->palette);
    rendererSlots.DrawTileMasked(&sheet->tiles[tile], scrollX, scrollY, TruncateToI32(header->x),
                                 TruncateToI32(header->y));
}

void BreakWallEditorPreview(void* cursor)
{
    DrawEnemyEditorPreview(&breakWallAnimSet, cursor);
}

void BreakWallEditorPlace(void* cursor)
{
    const ObjectHeader* header = HeaderOf(cursor);
    SpawnObject(&BreakWall, header->x, header->y, BreakWallKindWall, 0);
}
