// The bone: placed, loose or flying to the HUD. Placed bones turn in step with the demo clock;
// loose ones fall, bounce off the collision layer and fade after their fourth landing; a touched
// bone turns into a flyer in screen coordinates that eases into the bone bar and fades there.
#include "Game/World/Collect.h"

#include <cmath>
#include <cstddef>
#include <initializer_list>

#include "Engine/Collision/TileQuery.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/Random.h"
#include "Engine/Common/Sound.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Render/AnimDraw.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Display/Hud.h"
#include "Game/Player/Player.h"

ObjectType Collect;
CollectRecord** collectInstances;
AnimSet collectAnimSet;
u32 collectSound;

namespace {

constexpr u32 collectGrowth = 1024;
constexpr u8 collectUpdatePass = 3;
constexpr u8 collectDrawLayer = 9;
constexpr u8 flyerDrawLayer = 15;
constexpr i16 collectMargin = 128;

constexpr f32 looseGravity = 0.2f;
constexpr f32 bounceKeep = -0.75f;
constexpr u8 fadeStart = 248;
constexpr u8 fadeStep = 8;
constexpr u8 landingsBeforeFade = 4;

constexpr f32 flyEase = 12.0f;
constexpr f32 flyArrived = 6.0f;
constexpr f32 flyFadeStep = 51.0f;
constexpr f32 bonesPerBar = 48.0f;

// Where the bar comes to rest: the HUD sits at (12, 12) and its bar 12 below that.
constexpr i32 restingBarX = 12, restingBarY = 24;

f32 ScaleOfValue(u8 value)
{
    return (f32)(value + 1) * 0.25f;
}

void UseCollectPalette()
{
    if (collectAnimSet.loaded && collectAnimSet.paletteCount)
        SetCurrentPalette(collectAnimSet.palettes[0]);
}

bool BoxesOverlap(const i64 a[4], const i64 b[4])
{
    return a[0] <= b[1] && b[0] <= a[1] && a[2] <= b[3] && b[2] <= a[3];
}

} // namespace

void BoneBarOrigin(i32* x, i32* y)
{
    if (const HUDRecord* hud = HUDInstance(0)) {
        *x = hud->barX;
        *y = hud->barY;
        return;
    }
    *x = restingBarX;
    *y = restingBarY;
}

// ---- Load and Unload ----

void CollectLoad(const char* placementPath)
{
    LoadAnim("Data/Sprites/Global/Collect.man", &collectAnimSet);
    collectSound = LoadSound("Data/SFX/Global/Collect.wav");

    // Keys are declared with the first load only; later declarations are skipped.
    AddPlacementProperty(&Collect, "value", 0, offsetof(CollectRecord, value));
    for (const char* label : {"1", "2", "3", "4", "5"})
        AddPlacementLabel(label);
    if (!lastPropertySkipped && lastProperty)
        lastProperty->handler = CollectValueChanged;

    Collect.growthStep = collectGrowth;
    Collect.updatePass = collectUpdatePass;
    Collect.drawLayer = collectDrawLayer;
    Collect.cullMarginX = collectMargin;
    Collect.cullMarginY = collectMargin;
    RegisterObjectType(placementPath, &Collect, (void***)&collectInstances, sizeof(CollectRecord), CollectUpdate,
                       CollectLateUpdate, CollectDraw, ObjectNoOp, CollectLeaveView, CollectReset, CollectInit,
                       nullptr, CollectLoad, CollectUnload);
    Collect.reserved = ObjectNoOp;
    Collect.EditorPreview = CollectEditorPreview;
    Collect.EditorPlace = CollectEditorPlace;
    Collect.placeable = 1;
    AddPlaceableType(&Collect);
    if (Collect.loadCount < 2)
        SetObjectTypeName(&Collect, "Collect");
    if (placementPath)
        LoadObjectPlacements(&Collect, placementPath);
}

void CollectUnload()
{
    FreeAnim(&collectAnimSet);
    FreeSound(collectSound);
    FreeObjectType(&Collect);
}

// ---- Init and Reset ----

void CollectInit(void* instance)
{
    CollectRecord* bone = (CollectRecord*)instance;
    ObjectHeader* header = bone->header;
    bone->bounceCount = 0;
    const i32 spin = GameRand() / 3641 - 4;
    bone->spin = spin ? (f32)spin : 1.0f;
    header->vx = (f32)(GameRand() / 2521 - 6);
    header->vy = (f32)(GameRand() / 2521 - 6);
    bone->fadeLevel = 0;
    CollectReset(instance);
}

void CollectReset(void* instance)
{
    CollectRecord* bone = (CollectRecord*)instance;
    if (collectAnimSet.loaded)
        SetAnim(&bone->anim, &collectAnimSet, 0, 0, 1);
    bone->header->scaleX = bone->header->scaleY = ScaleOfValue(bone->value);
}

void CollectValueChanged(void* instance)
{
    CollectRecord* bone = (CollectRecord*)instance;
    bone->header->scaleX = bone->header->scaleY = ScaleOfValue(bone->value);
}

// ---- Update ----

namespace {

// Falls, bounces off floors and ceilings (and walls when it meets no floor or ceiling), and fades
// away after its fourth landing whether or not it has come to rest.
void UpdateLooseBone(CollectRecord* bone)
{
    ObjectHeader* header = bone->header;
    header->x += header->vx;
    header->y += header->vy;
    header->vy += looseGravity;
    header->rotation += bone->spin;

    const u8 layer = (u8)stageCollisionLayer;
    const f32 size = ScaleOfValue(bone->value) * 8.0f;
    const f32 vyBefore = header->vy;
    const i32 vertical = vyBefore >= 0.0f ? SnapToSurface(header, header->x, header->y + size, layer, ProbeUp)
                                          : SnapToSurface(header, header->x, header->y - size, layer, ProbeDown);
    if (vertical >= 0) {
        header->y -= 1.0f;
        header->vy = bounceKeep * vyBefore;
        ++bone->bounceCount;
        bone->spin = (f32)(GameRand() / 4682 - 3) * vyBefore;
        if (bone->spin == 0.0f)
            bone->spin = GameRand() >= 16384 ? 1.0f : -1.0f;
        bone->spin = header->vx * 0.5f + bone->spin;
        if (bone->bounceCount >= landingsBeforeFade && bone->fadeLevel == 0)
            bone->fadeLevel = fadeStart;
    } else {
        const f32 vxBefore = header->vx;
        const i32 side = vxBefore > 0.0f ? SnapToSurface(header, header->x + size, header->y, layer, ProbeLeft)
                                         : SnapToSurface(header, header->x - size, header->y, layer, ProbeRight);
        if (side >= 0) {
            header->vx = bounceKeep * vxBefore;
            bone->spin = -bone->spin;
        }
    }

    if (bone->fadeLevel) {
        bone->fadeLevel = (u8)(bone->fadeLevel - fadeStep);
        if (bone->fadeLevel == 0)
            DespawnObject(header);
    }
}

// Eases toward the bar, then fades out once there.
void UpdateFlyingBone(CollectRecord* bone)
{
    ObjectHeader* header = bone->header;
    header->x += header->vx;
    header->y += header->vy;
    header->vx = (bone->targetX - header->x) / flyEase;
    header->vy = (bone->targetY - header->y) / flyEase;
    if (std::fabs(bone->targetX - header->x) < flyArrived && std::fabs(bone->targetY - header->y) < flyArrived) {
        bone->flyAlpha -= flyFadeStep;
        if (bone->flyAlpha <= 0.0f)
            DespawnObject(header);
    }
}

} // namespace

void CollectUpdate(void* instance)
{
    CollectRecord* bone = (CollectRecord*)instance;
    ObjectHeader* header = bone->header;
    switch (header->spawnA) {
    case CollectPlaced:
        // Every placed bone shows the same turn.
        header->rotation = (f32)(demoSeed * 3u);
        break;
    case CollectLoose:
        UpdateLooseBone(bone);
        break;
    case CollectFlying:
        UpdateFlyingBone(bone);
        break;
    default:
        break;
    }
    if (header->alive && !header->free)
        UpdateAnimPlayer(&bone->anim);
}

void CollectLateUpdate(void* instance)
{
    if (Player.loadCount)
        AddObjectCallback(&Player, CollectTouch, instance);
}

bool CollectTouch(void* boneInstance, void* playerInstance)
{
    CollectRecord* bone = (CollectRecord*)boneInstance;
    PlayerRecord* player = (PlayerRecord*)playerInstance;
    ObjectHeader* header = bone->header;
    if (!player || !player->header)
        return true;

    i64 boneBox[4], playerBox[4];
    GetAnimFrameBoxAt(boneBox, header->x, header->y, 0, 0, &bone->anim);
    GetAnimFrameBox(playerBox, player->header, &player->anim);
    if (!BoxesOverlap(boneBox, playerBox))
        return true;
    if (player->invulnerable >= 20 || header->spawnA == CollectFlying)
        return true;

    if (header->spawnA == CollectPlaced) {
        ++player->bonesCollected;
        FormatDebugText("Value: %d", (int)player->bonesCollected);
    }
    QueueSound((u16)collectSound);
    player->collected += 4.0f * header->scaleX;

    // From here on the bone lives on the screen, above everything, wherever the camera goes.
    header->spawnA = CollectFlying;
    header->drawLayer = flyerDrawLayer;
    header->cullMarginX = -1;
    header->cullMarginY = -1;
    header->x -= (f32)scrollX;
    header->y -= (f32)scrollY;
    header->vx = 0.0f;
    header->vy = 0.0f;

    // The slot of the bar that the new amount fills, with the bar's gap after every four units.
    i32 barX = 0, barY = 0;
    BoneBarOrigin(&barX, &barY);
    const f32 units = player->collected / bonesPerBar * 4.0f;
    bone->targetX = 2.0f * units + (f32)(barX + 14) + (f32)(4 * (TruncateToI32(units) / 4));
    bone->targetY = (f32)(barY + 7);
    bone->flyAlpha = 255.0f;
    return false;
}

void CollectLeaveView(void* instance)
{
    CollectRecord* bone = (CollectRecord*)instance;
    if (bone->header->spawnA == CollectLoose)
        DespawnObject(bone->header);
}

// ---- Draw ----

void CollectDraw(void* instance)
{
    CollectRecord* bone = (CollectRecord*)instance;
    ObjectHeader* header = bone->header;
    UseCollectPalette();
    if (header->spawnA != CollectFlying) {
        if (bone->fadeLevel) {
            SetSpriteTransform(header, 2);
            blendLevel = bone->fadeLevel;
        } else {
            SetSpriteTransform(header, 0);
        }
        DrawAnimFrame(&bone->anim, header);
        RestDrawState();
        return;
    }

    const AnimFrame* frame = CurrentAnimFrame(&bone->anim);
    drawFlags = drawFlagRotateScale;
    blendMode = 2;
    spriteScaleX = TruncateToI32((f64)header->scaleX * 512.0);
    spriteScaleY = TruncateToI32((f64)header->scaleY * 512.0);
    spriteAngle = TruncateToI32((f64)header->rotation);
    blendLevel = (u32)(TruncateToI32(bone->flyAlpha) & 0xFF);
    // The flyer spins and shrinks as it goes, but not while the game is paused.
    if (!pauseMenuOpen) {
        header->rotation += 1.5f;
        header->scaleX -= 0.01f;
        header->scaleY -= 0.01f;
    }
    if (frame) {
        const DrawSpriteFunction draw =
            header->flipX ? (header->flipY ? rendererSlots.DrawSpriteFlipXY : rendererSlots.DrawSpriteFlipX)
                          : (header->flipY ? rendererSlots.DrawSpriteFlipY : rendererSlots.DrawSprite);
        if (draw)
            draw(&frame->image, scrollX, scrollY, TruncateToI32(header->x + (f32)scrollX),
                 TruncateToI32(header->y + (f32)scrollY));
    }
    RestDrawState();
}

// ---- Placement mode ----

void CollectEditorPreview(void* cursor)
{
    const ObjectHeader* header = HeaderOf(cursor);
    if (!collectAnimSet.loaded || !collectAnimSet.animCount || !rendererSlots.DrawSprite)
        return;
    const Animation& animation = collectAnimSet.animations[0];
    if (!animation.frames)
        return;
    UseCollectPalette();
    rendererSlots.DrawSprite(&animation.frames[0].image, scrollX, scrollY, TruncateToI32(header->x),
                             TruncateToI32(header->y));
}

void CollectEditorPlace(void* cursor)
{
    const ObjectHeader* header = HeaderOf(cursor);
    SpawnObject(&Collect, header->x, header->y, CollectLoose, 0);
}
