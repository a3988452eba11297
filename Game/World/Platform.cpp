// Platforms. The header keeps the placed (home) position; the record's x, y are where the platform
// is now, and the two are swapped while it draws and while its late update works, so that boxes
// and moves see the current place. A pushed block moves its header itself.
#include "Game/World/Platform.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "Engine/Collision/Motion.h"
#include "Engine/Collision/MotionScratch.h"
#include "Engine/Collision/BoxTests.h"
#include "Engine/Collision/TileQuery.h"
#include "Engine/Collision/Whole.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/PortableMath.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Render/AnimDraw.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Actors/ActorBlock.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Enemies/Froacker.h"
#include "Game/Player/Player.h"
#include "Game/Whip/Whip.h"

ObjectType Platform;
PlatformRecord** platformInstances;
AnimSet platformAnimSet;

const PlatformMove platformMoveTable[platformTypeCount] = {
    PlatformMoveStationary, nullptr, PlatformMoveLinear, nullptr, nullptr, nullptr, nullptr, PlatformMovePush,
    nullptr,                nullptr, nullptr,            nullptr, nullptr, nullptr, nullptr, nullptr,
};

const ObjectCallback platformContactTable[platformCollisionCount] = {
    nullptr, nullptr, nullptr, PlatformSolidContact, nullptr, nullptr, nullptr, nullptr,
};

namespace {

constexpr u32 platformGrowth = 32;
constexpr u8 platformUpdatePass = 5;
constexpr u8 platformDrawLayer = 9;
constexpr i16 platformMargin = 128;
constexpr u32 pushStartDelay = 4;
constexpr f32 floorProbeInset = 16.0f;

// The running stage's platform set, or null for a stage without one.
const char* StagePlatformSet()
{
    if (CurrentStageIs(village1Stage))
        return "Data/Sprites/Stages/Village1/Platform.man";
    if (CurrentStageIs(testStage) || CurrentStageIs(bossRushStage))
        return "Data/Sprites/Stages/Test/Platform.man";
    if (CurrentStageIs(boneZoneStage))
        return "Data/Sprites/Stages/BoneZone/Platform.man";
    return nullptr;
}

// The table entries, read with a bounds test: a byte past a table names a kind without behaviour.
PlatformMove MoveOf(u8 type)
{
    return type < platformTypeCount ? platformMoveTable[type] : nullptr;
}

ObjectCallback ContactOf(u8 collision)
{
    return collision < platformCollisionCount ? platformContactTable[collision] : nullptr;
}

// The frame's first box at the current position, or the platform's own box when the stage has no
// platform set (or the frame carries none).
void PlaceHitbox(PlatformRecord* platform)
{
    const AnimFrame* frame = platformAnimSet.loaded ? CurrentAnimFrame(&platform->anim) : nullptr;
    i8 box[4] = {platformDefaultBox[0], platformDefaultBox[1], platformDefaultBox[2], platformDefaultBox[3]};
    if (frame && frame->box && frame->box->right > frame->box->left && frame->box->bottom > frame->box->top) {
        box[0] = frame->box->left;
        box[1] = frame->box->right;
        box[2] = frame->box->top;
        box[3] = frame->box->bottom;
    }
    platform->hitbox[0] = WholeOf((f64)platform->x + box[0]);
    platform->hitbox[1] = WholeOf((f64)platform->x + box[1]);
    platform->hitbox[2] = WholeOf((f64)platform->y + box[2]);
    platform->hitbox[3] = WholeOf((f64)platform->y + box[3]);
}

void FollowHeader(PlatformRecord* platform)
{
    platform->x = platform->header->x;
    platform->y = platform->header->y;
}

void SwapWithHeader(PlatformRecord* platform)
{
    ObjectHeader* header = platform->header;
    const f32 x = header->x, y = header->y;
    header->x = platform->x;
    header->y = platform->y;
    platform->x = x;
    platform->y = y;
}

bool LivePlayer(const ObjectHeader* header)
{
    return header && header->alive && !header->free;
}

// The action block right after an actor's header pointer: players and Froackers alike.
static_assert(offsetof(FroackerRecord, actor) == offsetof(PlayerRecord, actor));
ActorBlock* ActorOf(void* instance)
{
    return (ActorBlock*)((u8*)instance + offsetof(PlayerRecord, actor));
}

// How deep the block's bottom sits in the floor under its three probes: the largest run of floor
// pixels up from the row under the block, or negative when no probe has floor under it.
i32 FloorDepth(const PlatformRecord* platform)
{
    const f32 bottom = (f32)platform->hitbox[3];
    const f32 columns[3] = {(f32)platform->hitbox[0] + floorProbeInset, platform->x,
                            (f32)platform->hitbox[1] - floorProbeInset};
    i32 depth = -1;
    for (f32 column : columns) {
        const i32 run = ProbeTileCollision(column, bottom, (u8)stageCollisionLayer, ProbeUp);
        if (run > depth)
            depth = run;
    }
    return depth;
}

void UsePlatformPalette()
{
    if (platformAnimSet.loaded && platformAnimSet.paletteCount)
        SetCurrentPalette(platformAnimSet.palettes[0]);
}

void StartFrameAnimation(PlatformRecord* platform)
{
    if (!platformAnimSet.loaded || !platformAnimSet.animCount)
        return;
    i32 animation = (i8)platform->frameID;
    const i32 last = (i32)platformAnimSet.animCount - 1;
    if (animation < 0)
        animation = 0;
    if (animation > last)
        animation = last;
    SetAnim(&platform->anim, &platformAnimSet, (u16)animation, 0, 1);
    StartAnim(&platform->anim, (u16)animation);
}

} // namespace

// ---- Load and Unload ----

void PlatformLoad(const char* placementPath)
{
    if (currentStage != previousStage && platformAnimSet.loaded)
        FreeAnim(&platformAnimSet);
    const char* setPath = StagePlatformSet();
    if (setPath)
        LoadAnim(setPath, &platformAnimSet);

    AddPlacementProperty(&Platform, "type", 0, offsetof(PlatformRecord, type));
    for (const char* label : {"Stationary", "Falling", "Linear", "Circular", "Swing", "Clacker", "Path", "Push",
                              "Track", "DoorSlide", "React", "HoverReact", "PathReact", "SwingReact", "TrackReact",
                              "Child"})
        AddPlacementLabel(label);
    if (!lastPropertySkipped && lastProperty)
        lastProperty->handler = PlatformTypeChanged;
    AddPlacementProperty(&Platform, "amplitude", 10, offsetof(PlatformRecord, amplitude));
    AddPlacementProperty(&Platform, "speed", 1, offsetof(PlatformRecord, speed));
    AddPlacementProperty(&Platform, "hasTension", 8, offsetof(PlatformRecord, hasTension));
    AddPlacementProperty(&Platform, "frameID", 1, offsetof(PlatformRecord, frameID));
    if (!lastPropertySkipped && lastProperty)
        lastProperty->handler = PlatformFrameChanged;
    AddPlacementProperty(&Platform, "collision", 0, offsetof(PlatformRecord, collision));
    for (const char* label : {"None", "Top Only", "Hurt", "Solid", "Solid Hurt", "Solid Hurt Sides",
                              "Solid Hurt Top", "Solid Hurt Bottom"})
        AddPlacementLabel(label);
    if (!lastPropertySkipped && lastProperty)
        lastProperty->handler = PlatformCollisionChanged;
    AddPlacementProperty(&Platform, "angle", 6, offsetof(PlatformRecord, angle));

    Platform.growthStep = platformGrowth;
    Platform.updatePass = platformUpdatePass;
    Platform.drawLayer = platformDrawLayer;
    Platform.cullMarginX = platformMargin;
    Platform.cullMarginY = platformMargin;
    RegisterObjectType(placementPath, &Platform, (void***)&platformInstances, sizeof(PlatformRecord), PlatformUpdate,
                       PlatformLateUpdate, PlatformDraw, nullptr, nullptr, PlatformStart, PlatformStart, nullptr,
                       PlatformLoad, PlatformUnload);
    if (setPath) {
        Platform.EditorPreview = PlatformEditorPreview;
        Platform.EditorPlace = PlatformEditorPlace;
        Platform.placeable = 1;
        AddPlaceableType(&Platform);
        if (Platform.loadCount < 2) {
            SetObjectTypeName(&Platform, "Platform");
            Platform.reserved = ObjectNoOp;
        }
    }
    if (placementPath)
        LoadObjectPlacements(&Platform, placementPath);
}

void PlatformUnload()
{
    if (Platform.loadCount < 2 && platformAnimSet.loaded)
        FreeAnim(&platformAnimSet);
    FreeObjectType(&Platform);
}

// ---- Init and Reset ----

void PlatformStart(void* instance)
{
    PlatformRecord* platform = (PlatformRecord*)instance;
    platform->move = MoveOf(platform->type);
    platform->contact = ContactOf(platform->collision);
    FollowHeader(platform);
    platform->dx = platform->dy = 0.0f;
    // A placed block starts at rest.
    platform->pushDelay = pushStartDelay;
    platform->pushRight = platform->pushLeft = 0;
    StartFrameAnimation(platform);
    PlaceHitbox(platform);
}

void PlatformTypeChanged(void* instance)
{
    PlatformRecord* platform = (PlatformRecord*)instance;
    platform->move = MoveOf(platform->type);
}

void PlatformFrameChanged(void* instance)
{
    PlatformRecord* platform = (PlatformRecord*)instance;
    platform->move = MoveOf(platform->type);
    platform->contact = ContactOf(platform->collision);
    StartFrameAnimation(platform);
}

void PlatformCollisionChanged(void* instance)
{
    PlatformRecord* platform = (PlatformRecord*)instance;
    platform->contact = ContactOf(platform->collision);
}

// ---- Update ----

i16 Sine1024(u32 phase)
{
    static i16 table[1024];
    static bool built = false;
    if (!built) {
        const f64 turn = 6.283185307179586;
        for (u32 i = 0; i < 1024; ++i)
            table[i] = (i16)std::trunc(1024.0 * PortableSin(turn * (f64)i / 1024.0));
        // Exact at the quarter turns whatever the library's rounding.
        table[0] = table[512] = 0;
        table[256] = 1024;
        table[768] = -1024;
        built = true;
    }
    return table[phase & 1023];
}

void PlatformUpdate(void* instance)
{
    PlatformRecord* platform = (PlatformRecord*)instance;
    const f32 oldX = platform->x, oldY = platform->y;
    if (platform->move)
        platform->move(platform);
    platform->dx = (f32)(WholeOf(platform->x) - WholeOf(oldX));
    platform->dy = (f32)(WholeOf(platform->y) - WholeOf(oldY));
    UpdateAnimPlayer(&platform->anim);
}

void PlatformMoveStationary(PlatformRecord* platform)
{
    FollowHeader(platform);
}

void PlatformMoveLinear(PlatformRecord* platform)
{
    const ObjectHeader* header = platform->header;
    const i64 phase = ((i64)platform->speed * (WholeOf(platform->angle) + (i64)demoSeed)) & 1023;
    const i64 sine = Sine1024((u32)phase);
    platform->x = (f32)(WholeOf(header->x) + ((sine * platform->amplitude[0]) >> 10));
    platform->y = (f32)(WholeOf(header->y) + ((sine * platform->amplitude[1]) >> 10));
}

void PlatformMovePush(PlatformRecord* platform)
{
    ObjectHeader* header = platform->header;
    f32 vx = 0.0f;
    const f32 speed = (f32)platform->speed;
    for (u32 n = 0; Player.registered && n < Player.poolSize && playerInstances; ++n) {
        PlayerRecord* player = playerInstances[n];
        if (!player || !LivePlayer(player->header) || player->editing)
            continue;
        const u32 bit = 1u << (player->header->index & 7);
        if (platform->pushRight & bit)
            vx += speed;
        if (platform->pushLeft & bit)
            vx -= speed;
        WhipRecord* whip = player->whip;
        if (whip && whip->hookedObject == header && player->lineLength < player->whipExtension)
            vx += header->x <= whip->header->x ? speed : -speed;
    }

    // A block at rest takes four ticks of pushing before it gives.
    if (vx == 0.0f) {
        if (platform->pushDelay < pushStartDelay)
            ++platform->pushDelay;
    } else if (platform->pushDelay > 0) {
        --platform->pushDelay;
        vx = 0.0f;
    }

    header->vx = vx;
    header->vy = 0.0f;
    header->x += vx;
    FollowHeader(platform);
    PlaceHitbox(platform);

    // One settle a tick, up out of the floor; with nothing under any probe the block slides on
    // (twice as fast) until its trailing edge leaves the ledge, or drops.
    const i32 depth = FloorDepth(platform);
    if (depth < 0) {
        header->vx = 2.0f * vx;
        platform->move = header->vx == 0.0f ? PlatformMoveFall
                         : header->vx > 0.0f ? PlatformPushStepAlt
                                             : PlatformPushStep;
    } else {
        header->y -= (f32)depth;
    }
    FollowHeader(platform);
    PlaceHitbox(platform);
    platform->pushRight = platform->pushLeft = 0;
}

namespace {

// A block sliding over a ledge: it drops once the trailing column has no floor under it.
void PushStepFrom(PlatformRecord* platform, bool trailingRight)
{
    ObjectHeader* header = platform->header;
    header->x += header->vx;
    FollowHeader(platform);
    PlaceHitbox(platform);
    const f32 column = trailingRight ? (f32)(platform->hitbox[1] - 1) : (f32)platform->hitbox[0];
    if (ProbeTileCollision(column, (f32)platform->hitbox[3], (u8)stageCollisionLayer, ProbeUp) < 0)
        platform->move = PlatformMoveFall;
    platform->pushRight = platform->pushLeft = 0;
}

} // namespace

void PlatformPushStep(PlatformRecord* platform)
{
    PushStepFrom(platform, true);
}

void PlatformPushStepAlt(PlatformRecord* platform)
{
    PushStepFrom(platform, false);
}

void PlatformMoveFall(PlatformRecord* platform)
{
    ObjectHeader* header = platform->header;
    header->vx = 0.0f;
    header->y += header->vy;
    header->vy += platformFallGravity;
    FollowHeader(platform);
    PlaceHitbox(platform);
    const i32 depth = FloorDepth(platform);
    if (depth >= 0) {
        header->y -= (f32)depth;
        header->vy = 0.0f;
        platform->move = PlatformMovePush;
        FollowHeader(platform);
        PlaceHitbox(platform);
    }
    platform->pushRight = platform->pushLeft = 0;
}

void PlatformLateUpdate(void* instance)
{
    PlatformRecord* platform = (PlatformRecord*)instance;
    ObjectHeader* header = platform->header;
    PlaceHitbox(platform);

    // Players and Froackers stand on platforms and are stopped by their sides.
    if (platform->contact && Player.loadCount)
        AddObjectCallback(&Player, platform->contact, platform);
    if (platform->contact && Froacker.loadCount)
        AddObjectCallback(&Froacker, platform->contact, platform);
    if (Whip.registered && Whip.loadCount)
        AddObjectCallback(&Whip, PlatformHookTouch, platform);

    SwapWithHeader(platform);
    // Only a platform that something can stand on carries or lifts the player.
    for (u32 n = 0; platform->contact && Player.registered && n < Player.poolSize && playerInstances; ++n) {
        PlayerRecord* player = playerInstances[n];
        if (!player || !LivePlayer(player->header) || player->editing)
            continue;
        ObjectHeader* body = player->header;
        if (body->groundContact == (u64)(uintptr_t)header && (platform->dx != 0.0f || platform->dy != 0.0f))
            TryMoveOnPlane(player, player->actor.anim, platform->dx, platform->dy, 0.0f, false, header);
        i64 box[4];
        GetAnimFrameBox(box, body, player->actor.anim);
        // Pushed up out of the platform is a landing; pushed out any other way is not.
        if (BoxOverlapResolve(box, platform->hitbox, player, header, player->actor.anim) == 2)
            body->contacts[3] = (u64)(uintptr_t)header;
    }

    for (u32 n = 0; Whip.registered && n < Whip.poolSize && whipInstances; ++n) {
        WhipRecord* whip = whipInstances[n];
        if (!whip || !whip->header || !whip->header->alive || whip->header->free || whip->hookedObject != header)
            continue;
        whip->header->x += platform->dx;
        whip->header->y += platform->dy;
    }
    SwapWithHeader(platform);
}

// ---- Touches ----

bool PlatformSolidContact(void* platformInstance, void* actorInstance)
{
    PlatformRecord* platform = (PlatformRecord*)platformInstance;
    if (!platform || !actorInstance || ignoredObject == platform->header)
        return true;
    ObjectHeader* body = HeaderOf(actorInstance);
    if (!body)
        return true;
    const ActorBlock* actor = ActorOf(actorInstance);
    i64 b[4];
    GetAnimFrameBox(b, body, actor->anim);
    const i64* p = platform->hitbox;
    const u64 self = (u64)(uintptr_t)platform->header;
    const bool overlapX = p[0] < b[1] && b[0] < p[1];
    const bool overlapY = p[2] < b[3] && b[2] < p[3];
    const u8 bit = (u8)(1u << (body->index & 7));

    // The contact slots tell the movers what the body meets; the speed into the platform stops so
    // that the pixel walk ends against it.
    if (b[3] == p[2] && overlapX) {
        body->contacts[3] = self;
        if (body->vy > 0.0f)
            body->vy = 0.0f;
    } else if (b[1] == p[0] && overlapY) {
        body->contacts[1] = self;
        if (body->vx > 0.0f) {
            platform->pushRight |= bit;
            body->vx = 0.0f;
            body->groundSpeed = 0.0f;
        }
    } else if (b[0] == p[1] && overlapY) {
        body->contacts[0] = self;
        if (body->vx < 0.0f) {
            platform->pushLeft |= bit;
            body->vx = 0.0f;
            body->groundSpeed = 0.0f;
        }
    } else if (b[2] == p[3] && overlapX) {
        body->contacts[2] = self;
        if (body->vy < 0.0f)
            body->vy = 0.0f;
    }
    return true;
}

bool PlatformHookTouch(void* platformInstance, void* whipInstance)
{
    PlatformRecord* platform = (PlatformRecord*)platformInstance;
    WhipRecord* whip = (WhipRecord*)whipInstance;
    if (!platform || !whip || !whip->header)
        return true;
    if (!WhipTipCanCatch(whip))
        return true;
    const ObjectHeader* tip = whip->header;
    const i64 tipX = WholeOf(tip->x), tipY = WholeOf(tip->y);
    const i64* p = platform->hitbox;
    if (!(p[0] <= tipX + 1 && tipX - 1 <= p[1] && p[2] <= tipY + 1 && tipY - 1 <= p[3]))
        return true;
    whip->hookPointX = tip->x;
    whip->hookPointY = tip->y;
    AttachWhipHook(whip);
    whip->hookedObject = platform->header;
    return true;
}

// ---- Draw ----

void PlatformDraw(void* instance)
{
    PlatformRecord* platform = (PlatformRecord*)instance;
    if (!platformAnimSet.loaded)
        return;
    SwapWithHeader(platform);
    UsePlatformPalette();
    DrawAnimFrame(&platform->anim, platform->header);
    SwapWithHeader(platform);
}

// ---- Placement mode ----

void PlatformEditorPreview(void* cursor)
{
    const ObjectHeader* header = HeaderOf(cursor);
    if (!platformAnimSet.loaded || !platformAnimSet.animCount || !rendererSlots.DrawSprite)
        return;
    const Animation& animation = platformAnimSet.animations[0];
    if (!animation.frames || !animation.frameCount)
        return;
    UsePlatformPalette();
    rendererSlots.DrawSprite(&animation.frames[0].image, scrollX, scrollY, TruncateToI32(header->x),
                             TruncateToI32(header->y));
}

void PlatformEditorPlace(void* cursor)
{
    const ObjectHeader* header = HeaderOf(cursor);
    lastSpawnedInstance = nullptr;
    SpawnObject(&Platform, header->x, header->y, 0, 0);
    PlatformRecord* platform = (PlatformRecord*)lastSpawnedInstance;
    if (!platform)
        return;
    platform->type = PlatformLinear;
    platform->collision = PlatformSolid;
    platform->speed = 3;
    platform->amplitude[0] = 64;
    platform->amplitude[1] = 0;
    platform->move = MoveOf(platform->type);
    platform->contact = ContactOf(platform->collision);
    FollowHeader(platform);
    PlaceHitbox(platform);
}
