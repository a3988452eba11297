#include "Game/Actors/AttackBoxes.h"

#include <cstdint>

#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/Random.h"
#include "Engine/Common/Sound.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/Lines.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Actors/ActorBlock.h"
#include "Game/Actors/HitResolution.h"

ObjectType Hazard;
AttackBox** hazardInstances;
u32 attackBoxCount;
u32 attackSerialCounter;
u8 boxBlink;
u16 boxBlinkTimer;
u8 debugView;
AnimSet hazardAnimSet;
u32 enemyHitSound, enemyDieSound, enemyExplodeSound;

namespace {

constexpr u32 hazardGrowth = 512;
constexpr u8 hazardUpdatePass = 5;
constexpr u8 hazardDrawLayer = 15;
constexpr u16 boxBlinkPeriod = 128; // the timer's reload: a toggle every 129 ticks

// Debug outline colours of the Hazard palette, by box kind.
constexpr u8 kindColours[4] = {65, 67, 69, 64};

// An f32 sum truncated toward zero; what an i64 cannot hold is clamped.
i64 TruncateToI64(f32 value)
{
    if (!(value == value))
        return 0;
    if (value >= 9.2e18f)
        return INT64_MAX;
    if (value <= -9.2e18f)
        return INT64_MIN;
    return (i64)value;
}

i32 ClampToI32(i64 value)
{
    return value > INT32_MAX ? INT32_MAX : (value < INT32_MIN ? INT32_MIN : (i32)value);
}

void OutlineLine(i32 x0, i32 y0, i32 x1, i32 y1, u8 colour)
{
    lineX0 = x0;
    lineY0 = y0;
    lineX1 = x1;
    lineY1 = y1;
    if (!rendererSlots.ClipLine(&lineX0, &lineY0, &lineX1, &lineY1))
        return;
    // The span drawers leave out their last pixel; the box's edges are inclusive.
    if (lineY0 == lineY1)
        rendererSlots.DrawHLine(lineX0, lineY0, lineX1 + 1, colour);
    else
        rendererSlots.DrawVLine(lineX0, lineY0, lineY1 + 1, colour);
}

} // namespace

void HazardLoad(const char* placementPath)
{
    enemyHitSound = LoadSound("Data/SFX/Global/EnemyHit.wav");
    enemyDieSound = LoadSound("Data/SFX/Global/EnemyDie.wav");
    enemyExplodeSound = LoadSound("Data/SFX/Global/EnemyExplode.wav");
    LoadAnim("Data/Sprites/Enemies/Hazard/Hazard.man", &hazardAnimSet);

    Hazard.growthStep = hazardGrowth;
    Hazard.updatePass = hazardUpdatePass;
    Hazard.drawLayer = hazardDrawLayer;
    Hazard.cullMarginX = -1;
    Hazard.cullMarginY = -1;
    RegisterObjectType(placementPath, &Hazard, (void***)&hazardInstances, sizeof(AttackBox), ObjectNoOp,
                       HazardLateUpdate, HazardDraw, ObjectNoOp, ObjectNoOp, HazardReset, HazardInit, nullptr,
                       HazardLoad, HazardUnload);
    if (!Hazard.name)
        SetObjectTypeName(&Hazard, "Hazard");
    if (placementPath)
        LoadObjectPlacements(&Hazard, placementPath);
    // A spawn that is refused (no pool) ends the filling rather than looping on it.
    while (Hazard.liveCount < attackBoxTotal) {
        const u32 before = Hazard.liveCount;
        SpawnObject(&Hazard, 16.0f, 16.0f, 0, 0);
        if (Hazard.liveCount <= before)
            break;
    }
    // The boxes resolve after every type in a lower slot of their pass.
    MoveObjectTypeToSlot(&Hazard, attackBoxTypeSlot);
}

void HazardUnload()
{
    FreeSound(enemyHitSound);
    FreeSound(enemyDieSound);
    FreeSound(enemyExplodeSound);
    FreeAnim(&hazardAnimSet);
    FreeObjectType(&Hazard);
}

void HazardInit(void* instance)
{
    HazardReset(instance);
}

void HazardReset(void* instance)
{
    AttackBox* box = (AttackBox*)instance;
    if (!hazardAnimSet.loaded)
        return;
    for (u16 i = 0; i < 2; ++i) {
        box->cursors[i].set = &hazardAnimSet;
        StartAnim(&box->cursors[i], i);
    }
}

void ClearAttackBoxes()
{
    for (u32 i = 0; i < Hazard.poolSize && hazardInstances; ++i) {
        AttackBox* box = hazardInstances[i];
        box->inUse = 0;
        box->left = box->right = box->top = box->bottom = 0;
    }
    attackBoxCount = 0;
    if (boxBlinkTimer == 0) {
        boxBlinkTimer = boxBlinkPeriod;
        boxBlink = boxBlink ? 0 : 1;
    } else {
        --boxBlinkTimer;
    }
}

AttackBox* AttackBoxAt(u32 index)
{
    if (!Hazard.registered || !hazardInstances || index >= Hazard.poolSize)
        return nullptr;
    return hazardInstances[index];
}

void RegisterAttackBoxes(ActorBlock* actor)
{
    if (!actor)
        return;
    actor->touched = 0;
    AnimPlayer* cursor = actor->anim;
    if (!cursor)
        return;
    // A new animation is a new attack, even the same one played again after another.
    if (cursor->animation != actor->boxAnimation) {
        actor->attackSerial = (u16)attackSerialCounter;
        ++attackSerialCounter;
        actor->boxAnimation = cursor->animation;
    }
    const AnimFrame* frame = CurrentAnimFrame(cursor);
    const ObjectHeader* owner = actor->header;
    if (!frame || !owner)
        return;
    const AnimSet* set = cursor->set;
    const bool mirrored = (owner->flipX != 0) != actor->flags[FlagMirrorBoxes];
    const bool flippedY = owner->flipY != 0;

    for (u32 h = 0; h < frame->hitCount; ++h) {
        const AnimHit& hit = frame->hits[h];
        if (hit.hitSet >= set->hitSetCount)
            continue;
        const HitBoxSet& hitSet = set->hitSets[hit.hitSet];
        for (i32 b = 0; b < hitSet.count; ++b) {
            AttackBox* box = AttackBoxAt(attackBoxCount);
            if (attackBoxCount >= attackBoxTotal || !box || box->inUse)
                continue;
            const AnimBox& shape = hitSet.boxes[b];
            box->header->x = owner->x;
            box->header->y = owner->y;
            box->owner = actor;
            box->inUse = 1;
            if (mirrored) {
                box->left = TruncateToI64(owner->x - (f32)hit.dx - (f32)shape.right);
                box->right = TruncateToI64(owner->x - (f32)hit.dx - (f32)shape.left);
            } else {
                box->left = TruncateToI64(owner->x + (f32)hit.dx + (f32)shape.left);
                box->right = TruncateToI64(owner->x + (f32)hit.dx + (f32)shape.right);
            }
            if (flippedY) {
                box->top = TruncateToI64(owner->y - (f32)hit.dy - (f32)shape.bottom);
                box->bottom = TruncateToI64(owner->y - (f32)hit.dy - (f32)shape.top);
            } else {
                box->top = TruncateToI64(owner->y + (f32)hit.dy + (f32)shape.top);
                box->bottom = TruncateToI64(owner->y + (f32)hit.dy + (f32)shape.bottom);
            }

            const u16 rowIndex = hitSet.rowIndex[b];
            const AttackRow* row = AttackRowAt(actor->properties, rowIndex);
            if (row) {
                box->kind = row->kind;
                box->flags = row->flags;
                box->damage = row->damage;
                box->knockback = row->knockback;
                box->hitlag = row->hitlag;
                box->angle = owner->flipX ? (u8)((128 - row->angle) & 255) : row->angle;
            } else {
                // A box naming no row of the properties only touches.
                box->kind = BoxTouch;
                box->flags = 0;
                box->damage = 0.0f;
                box->knockback = 0.0f;
                box->hitlag = 0;
                box->angle = 0;
            }
            if (box->kind == BoxAttack)
                actor->hitId = (i32)(hitSet.id + rowIndex);
            else if (box->kind == BoxAttackFresh)
                actor->hitId = -(GameRand() / 259) - 1; // never taken for a repeat
            if (Hazard.loadCount)
                AddObjectCallback(&Hazard, ResolveAttackHit, box);
            ++attackBoxCount;
        }
    }
}

void HazardLateUpdate(void* instance)
{
    AttackBox* box = (AttackBox*)instance;
    if (box->inUse)
        RunObjectCallbacks(&Hazard, box);
}

void HazardDraw(void* instance)
{
    const AttackBox* box = (const AttackBox*)instance;
    if (!box->inUse || !debugView)
        return;
    if (!rendererSlots.ClipLine || !rendererSlots.DrawHLine || !rendererSlots.DrawVLine)
        return;
    if (hazardAnimSet.loaded && hazardAnimSet.paletteCount && hazardAnimSet.palettes)
        SetCurrentPalette(hazardAnimSet.palettes[0]);
    blendMode = 2;
    blendLevel = 128;
    spriteAngle = TruncateToI32((f64)box->header->rotation);

    const i32 left = ClampToI32(box->left - scrollX);
    const i32 right = ClampToI32(box->right - scrollX);
    const i32 top = ClampToI32(box->top - scrollY);
    const i32 bottom = ClampToI32(box->bottom - scrollY);
    // A kind no row should carry (a damaged file) is outlined like a touch box.
    const u8 colour = box->kind < 4 ? kindColours[box->kind] : kindColours[BoxTouch];
    OutlineLine(left, top, left, bottom, colour);
    OutlineLine(right, top, right, bottom, colour);
    OutlineLine(left, top, right, top, colour);
    OutlineLine(left, bottom, right, bottom, colour);

    blendLevel = 255;
    spriteScaleX = 512;
    spriteScaleY = 512;
    blendMode = 0;
    spriteAngle = 0;
}
