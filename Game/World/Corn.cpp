// Corn: the plant raises its stalks on its first tick and then only waits; the stalks stand on the
// ground, bend with what brushes them, spring back a frame at a time and fall to an attack.
#include "Game/World/Corn.h"

#include <cstdlib>

#include "Engine/Collision/TileQuery.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/Random.h"
#include "Game/Actors/Effects.h"
#include "Game/Actors/EnemyLibrary.h"
#include "Game/Actors/StageSettings.h"
#include "Game/World/Wagon.h"

ObjectType Corn;
CornRecord** cornInstances;
AnimSet cornAnimSet;
ActorProperties cornProperties;

namespace {

constexpr u8 stalkRoles[cornStalkCount] = {1, 2, 1, 2, 1, 2, 1, 2};
constexpr u8 gibletMode = 7;

u16 LastFrame(const AnimPlayer* anim)
{
    return anim->animation && anim->animation->frameCount ? (u16)(anim->animation->frameCount - 1) : 0;
}

void ShowFrame(CornRecord* stalk, i32 frame)
{
    if (frame < 0)
        frame = 0;
    const u16 last = LastFrame(&stalk->anim);
    stalk->anim.frameIndex = (u16)frame > last ? last : (u16)frame;
}

i32 Rand()
{
    return (i32)GameRand();
}

// The stalk stands on the ground: it drops up to 16 px to find it, then keeps to it.
void Stand(CornRecord* stalk)
{
    ObjectHeader* h = stalk->header;
    if (!stalk->grounded) {
        for (int i = 0; i < 16; ++i) {
            h->y += 1.0f;
            if (SnapToSurface(h, h->x, h->y, h->collisionLayer, 1) >= 0) {
                stalk->grounded = 1;
                break;
            }
        }
    } else if (SnapToSurface(h, h->x, h->y, h->collisionLayer, 1) < 0) {
        stalk->grounded = 0;
    }
}

void Cut(CornRecord* stalk)
{
    ObjectHeader* h = stalk->header;
    const u16 frame = stalk->anim.frameIndex;
    stalk->anim.set = &cornAnimSet;
    StartAnim(&stalk->anim, (u16)(h->spawnA + 2));
    ShowFrame(stalk, frame);
    stalk->cut = 1;
    const i32 pieces = Rand() / 1928 + 16;
    for (i32 i = 0; i < pieces; ++i) {
        const f32 x = h->x + (f32)(Rand() / 3641) - 4.0f;
        const f32 y = h->y - 32.0f + (f32)(Rand() / 1928) - 16.0f;
        lastSpawnedInstance = nullptr;
        SpawnObject(&Giblets, x, y, gibletMode, 0);
        if (!lastSpawnedInstance)
            continue;
        ObjectHeader* piece = HeaderOf(lastSpawnedInstance);
        piece->drawLayer = (u8)(h->drawLayer + 1);
        const i32 a = (Rand() / 164 - 100) / 75;
        const i32 b = (Rand() / 164 - 100) / 75;
        piece->vx = Rand() >= 16384 ? (f32)(a + 2) : (f32)(-2 - a);
        piece->vy = Rand() >= 16384 ? (f32)(-6 - b) : (f32)(b - 2);
    }
}

// Eases a speed toward a limit in either direction.
f32 Eased(f32 speed, f32 limit, f32 step)
{
    if (speed > limit)
        return speed - step;
    if (speed < -limit)
        return speed + step;
    return speed;
}

// A wagon's wheels share one speed, which the leading wheel hands to the other every tick; a brake
// on the touched wheel alone would be undone next tick, so both wheels of its cart are eased.
void SlowWagon(ObjectHeader* wheel)
{
    WagonRecord* record = wagonInstances && wheel->index < Wagon.poolSize ? wagonInstances[wheel->index] : nullptr;
    ObjectHeader* parts[2] = {nullptr, nullptr};
    for (int i = 0; record && i < 2; ++i) {
        const u32 index = i == 0 ? record->leftWheel : record->rightWheel;
        WagonRecord* part = index < Wagon.poolSize ? wagonInstances[index] : nullptr;
        if (part && part->header && part->header->alive && !part->header->free)
            parts[i] = part->header;
    }
    if (!parts[0] && !parts[1])
        parts[0] = wheel; // a wheel cut off from its cart
    for (ObjectHeader* part : parts)
        if (part)
            part->groundSpeed = Eased(part->groundSpeed, 3.0f, 0.075f);
}

void Brush(CornRecord* stalk, ObjectHeader* g)
{
    if (g->type == &Wagon)
        SlowWagon(g);
    else if (stalk->cut)
        g->groundSpeed = Eased(g->groundSpeed, 1.5f, 0.075f);
    else
        g->groundSpeed = Eased(g->groundSpeed, 1.0f, 0.1f);
    if (g->type == &Corn)
        return;

    ObjectHeader* h = stalk->header;
    const f32 d = g->x - h->x;
    const i32 f = (i32)(d / 10.0f + 5.0f);
    const i32 current = stalk->anim.frameIndex;
    if (((d >= 4.0f || d <= 0.0f) && g->groundSpeed > 0.0f) || (d > 0.0f && d < 4.0f && current > 4)) {
        if (f > 5)
            ShowFrame(stalk, f);
    }
    bool shown = false;
    if (d <= -5.0f || d >= 0.0f) {
        if (g->groundSpeed < 0.0f && f <= 5) {
            ShowFrame(stalk, f);
            shown = true;
        }
    } else if (stalk->anim.frameIndex <= 4 && f <= 5) {
        ShowFrame(stalk, f);
        shown = true;
    }
    if (shown)
        stalk->bendTimer = 0;
}

// Back toward upright a frame at a time: f + 1 ticks on a frame f below 5, 11 - f above it.
void SpringBack(CornRecord* stalk)
{
    const i32 f = stalk->anim.frameIndex;
    if (f < (i32)cornUprightFrame) {
        if (stalk->bendTimer++ == f) {
            ShowFrame(stalk, f + 1);
            stalk->bendTimer = 0;
        }
    } else if (f > (i32)cornUprightFrame) {
        if (stalk->bendTimer++ == 10 - f) {
            ShowFrame(stalk, f - 1);
            stalk->bendTimer = 0;
        }
    }
}

} // namespace

// ---- Load and Unload ----

void CornLoad(const char* placementPath)
{
    LoadAnim(cornManPath, &cornAnimSet);
    LoadEnemyProperties(&Corn, &cornProperties, cornVepPath);
    Corn.growthStep = 256;
    Corn.updatePass = 2;
    Corn.drawLayer = 9;
    Corn.cullMarginX = 128;
    Corn.cullMarginY = 128;
    RegisterObjectType(placementPath, &Corn, (void***)&cornInstances, sizeof(CornRecord), CornUpdate,
                       CornLateUpdate, CornDraw, ObjectNoOp, ObjectNoOp, CornReset, CornInit, CornBind, CornLoad,
                       CornUnload);
    Corn.EditorPreview = CornEditorPreview;
    Corn.EditorPlace = CornEditorPlace;
    Corn.placeable = 1;
    if (placeableTypeCount < 128)
        AddPlaceableType(&Corn);
    if (Corn.loadCount < 2) {
        SetObjectTypeName(&Corn, "Corn");
        Corn.reserved = ObjectNoOp;
    }
    if (placementPath)
        LoadObjectPlacements(&Corn, placementPath);
}

void CornUnload()
{
    FreeAnim(&cornAnimSet);
    FormatDebugText("Value: %d", (i32)cornProperties.useCount);
    FreeEnemyProperties(&cornProperties);
    FreeObjectType(&Corn);
}

// ---- Init and Reset ----

void CornBind(void* instance, u32 index, ObjectHeader* header)
{
    (void)index;
    CornRecord* corn = (CornRecord*)instance;
    corn->actor.header = header ? header : corn->header;
    corn->actor.anim = &corn->anim;
}

void CornInit(void* instance)
{
    CornRecord* corn = (CornRecord*)instance;
    InitEnemy(&corn->actor, corn->header, &corn->anim);
    ApplyEnemyProperties(&cornProperties, &corn->actor);
    // Stalks do not knock each other about.
    corn->actor.sameTypeNoHit = 1;
    const u8 role = corn->header->spawnA;
    corn->header->drawLayer = role == CornPlant ? 5 : role == CornFront ? 13 : 9;
    corn->piecesSpawned = 0;
    corn->bendTimer = 0;
    corn->grounded = 0;
    corn->cut = 0;
    CornReset(corn);
}

void CornReset(void* instance)
{
    CornRecord* corn = (CornRecord*)instance;
    if (!cornAnimSet.loaded)
        return;
    corn->anim.set = &cornAnimSet;
    StartAnim(&corn->anim, corn->header->spawnA);
    ShowFrame(corn, cornUprightFrame);
}

// ---- Update ----

void CornUpdate(void* instance)
{
    CornRecord* corn = (CornRecord*)instance;
    corn->header->flipX = 0;
    if (corn->header->spawnA == CornPlant) {
        if (corn->piecesSpawned)
            return;
        const u32 index = corn->header->index;
        for (u8 n = 0; n < cornStalkCount; ++n) {
            // Points past the frame's count are clamped to its last.
            const AnimFramePoint at = GetAnimFramePoint(corn->header, &corn->anim, n);
            SpawnObject(&Corn, at.x, at.y, stalkRoles[n], 0);
            // A spawn may grow the pool and move the records.
            corn = cornInstances[index];
        }
        corn->piecesSpawned = 1;
    }
    EnemyStep(&corn->actor);
    corn->header->flipX = 0;
}

void CornLateUpdate(void* instance)
{
    CornRecord* stalk = (CornRecord*)instance;
    ObjectHeader* h = stalk->header;
    if (h->spawnA == CornPlant)
        return;
    h->flipX = 0;
    stalk->actor.useStepper = 1;
    stalk->actor.noBoxes = 0;
    h->vy = 0.0f;
    EnemyLateUpdate(&Corn, stalk, &stalk->actor);
    Stand(stalk);

    // The cursor is never advanced, so the animation shown is the one last started.
    if (stalk->actor.hurt && stalk->anim.animIndex < 3 && cornAnimSet.loaded)
        Cut(stalk);

    ActorBlock* hitter = stalk->actor.lastHitter;
    if (hitter && hitter->header)
        Brush(stalk, hitter->header);
    else
        SpringBack(stalk);
    stalk->actor.lastHitter = nullptr;
    h->flipX = 0;
}

// ---- Draw ----

void CornDraw(void* instance)
{
    CornRecord* corn = (CornRecord*)instance;
    if (cornAnimSet.loaded && cornAnimSet.paletteCount && cornAnimSet.palettes)
        SetCurrentPalette(cornAnimSet.palettes[0]);
    if (corn->header->spawnA == CornPlant)
        return;
    DrawEnemySprite(&corn->actor);
}

void CornEditorPreview(void* cursor)
{
    DrawEnemyEditorPreview(&cornAnimSet, cursor);
}

void CornEditorPlace(void* cursor)
{
    const ObjectHeader* header = HeaderOf(cursor);
    SpawnObject(&Corn, header->x, header->y, 0, 0);
}
