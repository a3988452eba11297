// The checkpoint: still until touched, then animating for good. The touch writes the respawn point
// into the player's progress record, which a restarted stage's player starts from.
#include "Game/World/Checkpoint.h"

#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/Sound.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Render/AnimDraw.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Player/Player.h"
#include "Game/World/Bonus.h"

ObjectType Checkpoint;
CheckpointRecord** checkpointInstances;
AnimSet checkpointAnimSet;

namespace {

constexpr u32 checkpointGrowth = 128;
constexpr u8 checkpointUpdatePass = 3;
constexpr u8 checkpointDrawLayer = 9;
constexpr i16 checkpointMargin = 128;
constexpr u8 fullHealth = 5;
constexpr u8 bonusHealthAnim = 1;

void UseCheckpointPalette()
{
    if (checkpointAnimSet.loaded && checkpointAnimSet.paletteCount)
        SetCurrentPalette(checkpointAnimSet.palettes[0]);
}

} // namespace

// ---- Load and Unload ----

void CheckpointLoad(const char* placementPath)
{
    LoadAnim("Data/Sprites/Global/Checkpoint/Checkpoint.man", &checkpointAnimSet);
    Checkpoint.growthStep = checkpointGrowth;
    Checkpoint.updatePass = checkpointUpdatePass;
    Checkpoint.drawLayer = checkpointDrawLayer;
    Checkpoint.cullMarginX = checkpointMargin;
    Checkpoint.cullMarginY = checkpointMargin;
    RegisterObjectType(placementPath, &Checkpoint, (void***)&checkpointInstances, sizeof(CheckpointRecord),
                       CheckpointUpdate, CheckpointLateUpdate, CheckpointDraw, ObjectNoOp, ObjectNoOp,
                       CheckpointReset, CheckpointInit, nullptr, CheckpointLoad, CheckpointUnload);
    Checkpoint.reserved = ObjectNoOp;
    Checkpoint.EditorPreview = CheckpointEditorPreview;
    Checkpoint.EditorPlace = CheckpointEditorPlace;
    Checkpoint.placeable = 1;
    AddPlaceableType(&Checkpoint);
    if (Checkpoint.loadCount < 2)
        SetObjectTypeName(&Checkpoint, "Checkpoint");
    if (placementPath)
        LoadObjectPlacements(&Checkpoint, placementPath);
}

void CheckpointUnload()
{
    FreeAnim(&checkpointAnimSet);
    FreeObjectType(&Checkpoint);
}

// ---- Init and Reset ----

void CheckpointInit(void* instance)
{
    // A reused slot must not come back already taken.
    ((CheckpointRecord*)instance)->activated = 0;
    CheckpointReset(instance);
}

void CheckpointReset(void* instance)
{
    CheckpointRecord* checkpoint = (CheckpointRecord*)instance;
    if (checkpointAnimSet.loaded)
        SetAnim(&checkpoint->anim, &checkpointAnimSet, 0, 0, 1);
}

// ---- Update ----

void CheckpointUpdate(void* instance)
{
    CheckpointRecord* checkpoint = (CheckpointRecord*)instance;
    if (checkpoint->activated)
        UpdateAnimPlayer(&checkpoint->anim);
}

void CheckpointLateUpdate(void* instance)
{
    if (Player.loadCount)
        AddObjectCallback(&Player, CheckpointTouch, instance);
}

bool CheckpointTouch(void* checkpointInstance, void* playerInstance)
{
    CheckpointRecord* checkpoint = (CheckpointRecord*)checkpointInstance;
    PlayerRecord* player = (PlayerRecord*)playerInstance;
    const ObjectHeader* header = checkpoint->header;
    if (checkpoint->activated || !player || !player->header)
        return true;
    i64 box[4], playerBox[4];
    GetAnimFrameBox(box, header, &checkpoint->anim);
    GetAnimFrameBox(playerBox, player->header, &player->anim);
    if (!(box[0] <= playerBox[1] && playerBox[0] <= box[1] && box[2] <= playerBox[3] && playerBox[2] <= box[3]))
        return true;

    if (player->progress) {
        player->progress->checkpoint = (u8)header->index;
        player->progress->checkpointX = header->x;
        player->progress->checkpointY = header->y;
    }
    checkpoint->activated = 1;
    if (player->health >= fullHealth)
        return true;

    ++player->health;
    player->healthFlash = 1;
    player->header->flash = 0; // the heal glow starts from here
    QueueSound((u16)healthSound);
    SpawnObject(&Bonus, player->header->x, player->header->y, bonusHealthAnim, (u8)player->header->index);
    return true;
}

// ---- Draw ----

void CheckpointDraw(void* instance)
{
    CheckpointRecord* checkpoint = (CheckpointRecord*)instance;
    UseCheckpointPalette();
    DrawAnimFrame(&checkpoint->anim, checkpoint->header);
}

// ---- Placement mode ----

void CheckpointEditorPreview(void* cursor)
{
    const ObjectHeader* header = HeaderOf(cursor);
    if (!checkpointAnimSet.loaded || !checkpointAnimSet.animCount || !rendererSlots.DrawSprite)
        return;
    const Animation& animation = checkpointAnimSet.animations[0];
    if (!animation.frames)
        return;
    UseCheckpointPalette();
    rendererSlots.DrawSprite(&animation.frames[0].image, scrollX, scrollY, TruncateToI32(header->x),
                             TruncateToI32(header->y));
}

void CheckpointEditorPlace(void* cursor)
{
    const ObjectHeader* header = HeaderOf(cursor);
    SpawnObject(&Checkpoint, header->x, header->y, 0, 0);
}
