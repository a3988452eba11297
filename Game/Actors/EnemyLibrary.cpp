#include "Game/Actors/EnemyLibrary.h"

#include <cmath>

#include "Engine/Collision/AngleTables.h"
#include "Engine/Collision/Motion.h"
#include "Engine/Collision/TileQuery.h"
#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/DevMenu.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Random.h"
#include "Engine/Common/Sound.h"
#include "Engine/Render/AnimDraw.h"
#include "Engine/Render/DrawState.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Actors/Effects.h"
#include "Game/Actors/HitResolution.h"
#include "Game/World/Collect.h"

namespace {

// A contact slot that holds a tile layer: not none (0), not the camera's bound (255).
constexpr u64 contactBound = 255;
// Ground contacts from 254 up are not tile ground; edges are only looked for on tiles.
constexpr u64 tileGroundLimit = 254;
// How far below the frame box an edge probe looks for floor.
constexpr i32 edgeProbeDepth = 14;

// Where the bursts of a death go off, by the block's explosion counter.
constexpr f32 burstOffsets[6][2] = {{0, 0}, {20, -20}, {-20, 20}, {-20, -20}, {20, 20}, {0, 0}};

// Debug readout: colours and rows, relative to the body.
constexpr u32 readoutLevel = 162;
constexpr f32 readoutLabelX = 16.0f, readoutValueX = 88.0f, readoutTop = -24.0f;

bool HoldsTile(u64 contact)
{
    return contact != 0 && contact != contactBound;
}

f32 Toward0(f32 value, f32 step)
{
    if (value > 0.0f)
        return value - step > 0.0f ? value - step : 0.0f;
    if (value < 0.0f)
        return value + step < 0.0f ? value + step : 0.0f;
    return value;
}

f32 Clamp(f32 value, f32 limit)
{
    return value > limit ? limit : (value < -limit ? -limit : value);
}

// The hit-stop is on and the body does not move through it.
bool HeldByHitlag(const ActorBlock* actor)
{
    return actor->hitlag > 0 && !actor->moveDuringHitlag;
}

// Shows an animation of the block's set unless it shows it already (nothing for -1 or no set).
void ShowAnim(ActorBlock* actor, i32 animation)
{
    AnimPlayer* cursor = actor->anim;
    if (animation < 0 || !cursor || !cursor->set)
        return;
    SetAnim(cursor, cursor->set, (u16)animation, 0, 0);
}

// Restarts an animation from frame 0 unless the cursor shows it already.
void StartAnimFresh(ActorBlock* actor, i32 animation)
{
    if (animation < 0 || !actor->anim || ShowsAnim(actor->anim, animation))
        return;
    StartAnim(actor->anim, (u16)animation);
}

void QueueIfHazardLoaded(u32 sound)
{
    // The shared sounds belong to the Hazard type; without it they were never loaded.
    if (Hazard.loadCount)
        QueueSound((u16)sound);
}

// Spawns and hands back the new instance, or null when the spawn was refused.
void* SpawnChecked(ObjectType* type, f32 x, f32 y, u8 spawnA, u8 spawnB)
{
    lastSpawnedInstance = nullptr;
    SpawnObject(type, x, y, spawnA, spawnB);
    return lastSpawnedInstance;
}

// The edge test of a side: no floor found under the frame box's corner within the probe depth.
bool NoFloorBelow(const ObjectHeader* header, const AnimPlayer* cursor, bool right)
{
    i64 box[4];
    GetAnimFrameBox(box, header, cursor);
    const f32 x = (f32)(right ? box[1] : box[0]);
    for (i32 k = 0; k < edgeProbeDepth; ++k)
        if (ProbeTileCollision(x, (f32)(box[3] + k), header->collisionLayer, ProbeUp) >= 0)
            return false;
    return true;
}

void FindEdges(ActorBlock* actor)
{
    const ObjectHeader* header = actor->header;
    actor->edgeLeft = actor->edgeRight = 1;
    if (header->vx > 0.0f || header->groundSpeed > 0.0f)
        actor->edgeLeft = 0;
    if (header->vx < 0.0f || header->groundSpeed < 0.0f)
        actor->edgeRight = 0;
    if (actor->edgeLeft && !NoFloorBelow(header, actor->anim, false))
        actor->edgeLeft = 0;
    if (actor->edgeRight && !NoFloorBelow(header, actor->anim, true))
        actor->edgeRight = 0;
}

void StepInAir(ActorBlock* actor)
{
    ObjectHeader* header = actor->header;
    const f32* v = actor->values;
    if (!HeldByHitlag(actor))
        header->vy += v[Gravity];
    if (actor->input[InputLeft]) {
        if (header->vx > -v[MaxAirSpeed]) {
            header->vx -= v[AirAccel];
            if (header->vx < -v[MaxAirSpeed])
                header->vx = -v[MaxAirSpeed];
        }
        if (header->vx > 0.0f)
            header->vx = Toward0(header->vx, v[AirBrake]);
    } else if (actor->input[InputRight]) {
        if (header->vx < v[MaxAirSpeed]) {
            header->vx += v[AirAccel];
            if (header->vx > v[MaxAirSpeed])
                header->vx = v[MaxAirSpeed];
        }
        if (header->vx < 0.0f)
            header->vx = Toward0(header->vx, v[AirBrake]);
    } else {
        header->vx = Toward0(header->vx, v[AirFriction]);
    }
    if (header->vy < 0.0f && !actor->input[InputJump] && actor->jumping) {
        header->vy = v[JumpCutSpeed];
        actor->jumping = 0;
    }
    header->vy = Clamp(header->vy, v[MaxFallSpeed]);
    if (actor->flags[FlagFaceAirMotion] && !actor->hitstun && !actor->launched) {
        if (header->vx > 0.0f)
            header->flipX = 0;
        else if (header->vx < 0.0f)
            header->flipX = 1;
    }
}

void StepOnGround(ActorBlock* actor)
{
    ObjectHeader* header = actor->header;
    const f32* v = actor->values;
    f32 speed = header->groundSpeed;
    if (actor->input[InputLeft]) {
        speed -= v[GroundAccel];
        if (speed > 0.0f)
            speed = Toward0(speed, v[GroundBrake]);
    } else if (actor->input[InputRight]) {
        speed += v[GroundAccel];
        if (speed < 0.0f)
            speed = Toward0(speed, v[GroundBrake]);
    } else {
        speed = Toward0(speed, v[GroundFriction]);
    }

    if (!actor->input[InputJump]) {
        actor->jumping = 0;
    } else {
        const i8 jumpAnim = actor->anims[JumpAnim];
        bool takeoff;
        if (jumpAnim >= 0 && !actor->animLock) {
            ShowAnim(actor, jumpAnim);
            takeoff = ShowsAnim(actor->anim, jumpAnim) && actor->anim->frameIndex >= actor->anims[JumpTakeoffFrame];
        } else {
            // Nothing to wait for but the take-off frame of whatever plays.
            takeoff = !actor->anim || actor->anim->frameIndex >= actor->anims[JumpTakeoffFrame];
        }
        if (takeoff) {
            actor->jumping = 1;
            header->groundContact = 0;
            header->lastGroundContact = 0;
            header->y -= 1.0f;
            header->vy = -v[JumpSpeed];
        }
    }

    header->groundSpeed = Clamp(speed, v[MaxGroundSpeed]);
    if (actor->flags[FlagFaceGroundMotion]) {
        if (header->groundSpeed > 0.0f)
            header->flipX = 0;
        else if (header->groundSpeed < 0.0f)
            header->flipX = 1;
    }
}

void DrawReadoutLine(const char* label, i32 value, f32 x, f32 y)
{
    DrawFontString(label, &devFont, x + readoutLabelX, y, alignLeft, 0, 1);
    DrawFontNumber(value, &devFontNumbers, x + readoutValueX, y, alignLeft);
}

void DrawReadout(const ActorBlock* actor)
{
    const ObjectHeader* header = actor->header;
    const f32 x = header->x, top = header->y + readoutTop;
    blendMode = 2;
    blendLevel = readoutLevel;
    if (!header->groundContact) {
        DrawReadoutLine("Spd X   : ", TruncateToI32(std::fabs(header->vx)), x, top - 20.0f);
        DrawReadoutLine("Spd Y   : ", TruncateToI32(std::fabs(header->vy)), x, top - 10.0f);
    } else {
        DrawReadoutLine("SpdPath : ", TruncateToI32(std::fabs(header->groundSpeed)), x, top - 10.0f);
    }
    if (actor->hitlag)
        DrawReadoutLine("Hitlag  : ", actor->hitlag, x, top);
    else
        DrawReadoutLine("Hitstun : ", actor->hitstun, x, top);
    if (actor->hitId >= 0)
        DrawReadoutLine("Hit ID  : ", actor->hitId, x, top + 10.0f);
    else
        DrawFontString("         NULL", &devFont, x + readoutLabelX, top + 10.0f, alignLeft, 0, 1);
}

// The bounces of a body flying from a hit, once its hit-stop is over.
void Bounce(ActorBlock* actor, f32 vxBefore, f32 vyBefore)
{
    ObjectHeader* header = actor->header;
    if (actor->wallLeft || actor->wallRight) {
        actor->hurt = 0;
        const f32 s = std::fabs(vxBefore);
        actor->hitlag = (i16)TruncateToI32(s * 1.2f);
        actor->hitstun = (i16)TruncateToI32(2.0f * s);
        header->vx = -vxBefore;
        header->x += header->flipX ? -4.0f : 4.0f;
        header->vy *= 1.2f;
        header->flipX ^= 1;
        header->groundContact = 0;
        if (!actor->animLock)
            ShowAnim(actor, actor->anims[WallBounceAnim]);
    }
    if (actor->ceilingContact) {
        actor->hurt = 0;
        const f32 s = std::fabs(vyBefore);
        actor->hitlag = (i16)TruncateToI32(s * 0.5f);
        actor->hitstun = (i16)TruncateToI32(2.0f * s);
        header->vy = vyBefore * -0.8f;
        header->y += 4.0f;
        header->vx *= 0.8f;
        header->groundContact = 0;
    }
    if (header->groundContact && !header->lastGroundContact && header->vy >= 0.0f) {
        actor->hurt = 0;
        const f32 s = std::fabs(vyBefore);
        actor->hitlag = (i16)TruncateToI32(s * 0.5f);
        actor->hitstun = (i16)TruncateToI32(2.0f * s);
        header->vy = vyBefore * -0.8f;
        header->y -= 4.0f;
        header->groundContact = 0;
        header->vx *= 0.8f;
        if (!actor->animLock)
            ShowAnim(actor, actor->anims[FloorBounceAnim]);
    }
}

// The bones a defeated enemy drops: 1-6, fanned out from straight down-right to up-left.
void DropBones(f32 x, f32 y)
{
    const i32 count = 1 + GameRand() / 5462;
    i32 angle = 72;
    for (i32 i = 0; i < count; ++i, angle -= 4) {
        CollectRecord* bone = (CollectRecord*)SpawnChecked(&Collect, x, y, 1, 0);
        if (!bone)
            return; // no bones in this stage
        ObjectHeader* header = bone->header;
        header->vx = (f32)cosTable[angle & 255] / 327.68f * 10.0f;
        header->vy = -(f32)((GameRand() >> 13) + 5) * (f32)cosTable[(angle - 64) & 255] / 327.68f;
        bone->value = (u8)(GameRand() / 6554);
        header->scaleX = header->scaleY = (f32)(bone->value + 1) * 0.25f;
    }
}

// The death, once the killing hit's hit-stop has been taken: fade, bursts, cry, then the end.
void RunDeath(ObjectType* type, ActorBlock* actor)
{
    (void)type;
    ObjectHeader* header = actor->header;
    if (!actor->defeated) {
        actor->defeated = 1;
        actor->hitlag = deathHitlag;
        return;
    }
    if (actor->hitlag >= 1 && actor->hitlag <= deathFadeStart) {
        if (header->flash > 4)
            header->flash = (u8)(header->flash - 4);
        if (actor->hitlag % 4 == 0) {
            const u8 step = actor->explosionStep < 6 ? actor->explosionStep : 0;
            const f32 x = header->x + burstOffsets[step][0], y = header->y + burstOffsets[step][1];
            SpawnChecked(&Explosion, x, y, 1, header->flipX);
            SpawnGiblets(x, y, header->drawLayer);
            QueueIfHazardLoaded(enemyExplodeSound);
            actor->explosionStep = (u8)((step + 1) % 6);
        }
    }
    if (actor->hitlag == 1)
        QueueIfHazardLoaded(enemyDieSound);
    if (actor->hitlag > 0)
        return;

    DespawnObject(header);
    SpawnChecked(&Explosion, header->x, header->y + 8.0f, 0, 0);
    if (actor->deathSound >= 0)
        QueueSound((u16)actor->deathSound);
    ++vanquishedCount;
    DropBones(header->x, header->y);
}

} // namespace

bool ShowsAnim(const AnimPlayer* cursor, i32 animation)
{
    if (animation < 0 || !cursor || !cursor->set || !cursor->animation)
        return false;
    const AnimSet* set = cursor->set;
    if (!set->animations || !set->animCount)
        return false;
    const i32 shown = animation < set->animCount ? animation : set->animCount - 1;
    return cursor->animation == &set->animations[shown];
}

// ---- the step ----

i32 EnemyStep(ActorBlock* actor)
{
    ObjectHeader* header = actor->header;
    if (!header)
        return 0;
    // A dead body whose last hit-stop is over goes.
    if (actor->hp <= 0.0f && header->flash < 255 && actor->hitlag == 0 && actor->defeated) {
        DespawnObject(header);
        return 0;
    }
    ApplyHitlagShake(actor);

    if (actor->frozen && !actor->moveDuringHitlag) {
        const i8 hurtAnim = actor->anims[HurtAnim];
        if (actor->hurt && hurtAnim >= 0 && !ShowsAnim(actor->anim, hurtAnim))
            StartAnim(actor->anim, (u16)hurtAnim);
        EnemyAnimate(actor);
        return 0;
    }
    if (actor->hp <= 0.0f && !actor->keepStepping) {
        actor->frozen = 0;
        return 0;
    }

    if (actor->hitstun && !actor->moveDuringHitlag) {
        if (actor->hitlag == 0) {
            header->vy += actor->values[HurtGravity];
            actor->hurt = 0;
            actor->launched = 1;
        }
        const f32 divisor = actor->values[AirFriction] * 64.0f;
        header->vx = divisor > 0.0f ? Toward0(header->vx, actor->values[HurtDrag] / divisor) : 0.0f;
        for (u8& input : actor->input)
            input = 0;
    } else {
        if (actor->hitId >= 0)
            actor->hitId = -1;
        if (ShowsAnim(actor->anim, actor->anims[TumbleAnim]) && actor->anims[FallAnim] >= 0)
            ShowAnim(actor, actor->anims[FallAnim]);
        if (actor->anims[FallAnim] < 0)
            actor->launched = 0;

        if (!header->groundContact) {
            StepInAir(actor);
        } else {
            StepOnGround(actor);
            if (header->groundContact && header->groundContact < tileGroundLimit)
                FindEdges(actor);
        }
    }
    actor->stepped = 1;
    return 1;
}

void EnemyAnimate(ActorBlock* actor)
{
    ObjectHeader* header = actor->header;
    AnimPlayer* cursor = actor->anim;
    if (!header || !cursor)
        return;
    if (!HeldByHitlag(actor) || ShowsAnim(cursor, actor->anims[HurtAnim]))
        UpdateAnimPlayer(cursor);
    if (actor->frozen)
        return;

    if (header->groundContact && !header->lastGroundContact) {
        actor->landed = 1;
        actor->launched = 0;
        if (actor->anims[LandAnim] >= 0 && !actor->animLock)
            StartAnim(cursor, (u16)actor->anims[LandAnim]);
        return;
    }
    actor->landed = 0;
    if (!header->groundContact) {
        if (!actor->hitstun) {
            const bool fallReady = actor->anims[JumpAnim] < 0 || cursor->finished;
            if (header->vy > 0.1f && !header->lastGroundContact && actor->anims[FallAnim] >= 0 && !actor->animLock &&
                fallReady)
                StartAnimFresh(actor, actor->anims[FallAnim]);
        } else if (actor->hitlag == 0 && actor->anims[TumbleAnim] >= 0 && !actor->animLock) {
            StartAnimFresh(actor, actor->anims[TumbleAnim]);
        }
        return;
    }
    const i8 chosen = header->groundSpeed == 0.0f ? actor->anims[IdleAnim] : actor->anims[MoveAnim];
    const bool landing = ShowsAnim(cursor, actor->anims[LandAnim]);
    if (chosen >= 0 && !actor->input[InputJump] && !actor->animLock && (!landing || cursor->finished))
        ShowAnim(actor, chosen);
}

void MoveEnemy(ObjectType* type, void* instance, ActorBlock* actor)
{
    if (actor->hitlag > 0) {
        RunObjectCallbacks(type, instance);
        if (!actor->moveDuringHitlag)
            return;
    } else {
        actor->frozen = 0;
    }
    if (actor->useStepper)
        StepWithCallbacks(type, instance);
    else
        MoveOnPlane(instance, actor->anim);
}

i32 EnemyLateUpdate(ObjectType* type, void* instance, ActorBlock* actor)
{
    ObjectHeader* header = actor->header;
    if (!header)
        return -1;
    actor->touchedKinds = 0;
    if (actor->hitlag == 0)
        actor->hurt = 0;

    if (actor->hp <= 0.0f && !actor->keepStepping) {
        RunDeath(type, actor);
        return 0;
    }

    const f32 vxBefore = header->vx, vyBefore = header->vy;
    MoveEnemy(type, instance, actor);
    actor->wallLeft = HoldsTile(header->contacts[0]);
    actor->wallRight = HoldsTile(header->contacts[1]);
    actor->ceilingContact = HoldsTile(header->contacts[2]);
    actor->floorContact = HoldsTile(header->contacts[3]);
    if (actor->hitstun && actor->hitlag == 0)
        Bounce(actor, vxBefore, vyBefore);

    if (actor->noBoxes)
        return -1;
    const u32 before = attackBoxCount;
    RegisterAttackBoxes(actor);
    return attackBoxCount > before ? (i32)(attackBoxCount - 1) : -1;
}

void SpawnGiblets(f32 x, f32 y, u8 drawLayer)
{
    const i32 count = 8 + GameRand() / 3641;
    for (i32 i = 0; i < count; ++i) {
        void* piece = SpawnChecked(&Giblets, x, y, 0, 16);
        if (!piece)
            return;
        ObjectHeader* header = HeaderOf(piece);
        const i32 a = (GameRand() / 164 - 100) / 50;
        const i32 b = (GameRand() / 164 - 100) / 50;
        const f32 speedX = (f32)(4 + a), speedY = (f32)(4 + b);
        header->vx = (GameRand() >> 14) ? speedX : -speedX;
        header->vy = (GameRand() >> 14) ? speedY : -speedY;
        header->drawLayer = (u8)(drawLayer + 1);
    }
}

// ---- drawing ----

void DrawEnemySprite(ActorBlock* actor)
{
    const ObjectHeader* header = actor->header;
    const AnimPlayer* cursor = actor->anim;
    if (!header)
        return;
    const bool mirrored = (header->flipX != 0) != actor->flags[FlagMirrorBoxes];
    SetSpriteTransform(header, header->flash != 255 ? 2 : 0);

    if (cursor && cursor->set && cursor->animation && cursor->animation->frames && cursor->playing) {
        const Animation& animation = *cursor->animation;
        const u16 last = animation.frameCount ? (u16)(animation.frameCount - 1) : 0;
        const u16 frame = cursor->frameIndex > last ? last : cursor->frameIndex;
        const DrawSpriteFunction draw =
            mirrored ? (header->flipY ? rendererSlots.DrawSpriteFlipXY : rendererSlots.DrawSpriteFlipX)
                     : (header->flipY ? rendererSlots.DrawSpriteFlipY : rendererSlots.DrawSprite);
        if (draw)
            draw(&animation.frames[frame].image, scrollX, scrollY, TruncateToI32(header->x + actor->shakeX),
                 TruncateToI32(header->y + actor->shakeY));
    }
    if (debugView) {
        RestDrawState();
        DrawReadout(actor);
    }
    RestDrawState();
}

u8 ChooseSlopeDirection(ActorBlock* actor, u8 mode)
{
    const ObjectHeader* header = actor->header;
    if (!header || mode > TurnAtWallsAndEdges)
        return actor->direction;
    const bool right = header->groundSpeed > 0.0f || header->vx > 0.0f;
    const bool left = header->groundSpeed < 0.0f || header->vx < 0.0f;
    const f32 angle = header->angle;
    if (mode == TurnAtWallsAndEdges) {
        if (left && (actor->edgeLeft || actor->wallLeft))
            actor->direction = DirectionRight;
        if (right && (actor->edgeRight || actor->wallRight))
            actor->direction = DirectionLeft;
        if (angle >= 128.0f && angle < 232.0f)
            actor->direction = DirectionLeft;
        else if (angle >= 24.0f && angle < 128.0f)
            actor->direction = DirectionRight;
        return actor->direction;
    }
    const u8 blockedRight = mode == TurnAtWalls ? actor->wallRight : actor->edgeRight;
    const u8 blockedLeft = mode == TurnAtWalls ? actor->wallLeft : actor->edgeLeft;
    if (right && blockedRight)
        actor->direction = DirectionLeft;
    else if (left && blockedLeft)
        actor->direction = DirectionRight;
    if (angle >= 128.0f && angle < 224.0f)
        actor->direction = DirectionLeft;
    else if (angle >= 32.0f && angle < 128.0f)
        actor->direction = DirectionRight;
    return actor->direction;
}

// ---- shared handlers ----

void EnemyBind(void* instance, u32 index, ObjectHeader* header)
{
    (void)index;
    EnemyRecord* enemy = (EnemyRecord*)instance;
    // The pool hands the header over; the record's own pointer may not be set yet.
    enemy->actor.header = header ? header : enemy->header;
    enemy->actor.anim = &enemy->anim;
}

void EnemyDraw(void* instance)
{
    EnemyRecord* enemy = (EnemyRecord*)instance;
    const AnimSet* set = enemy->anim.set;
    if (set && set->loaded && set->paletteCount && set->palettes)
        SetCurrentPalette(set->palettes[0]);
    DrawEnemySprite(&enemy->actor);
}

void EnemyCommonStep(ActorBlock* actor)
{
    EnemyStep(actor);
    if (actor->input[InputJump] && actor->header && actor->header->groundContact)
        actor->input[InputLeft] = actor->input[InputRight] = 0;
    EnemyAnimate(actor);
}

void EnemyCommonReset(EnemyRecord* enemy, AnimSet* set)
{
    if (!set || !set->loaded)
        return;
    enemy->anim.set = set;
    StartAnim(&enemy->anim, 0);
}

void EnemyCommonInit(EnemyRecord* enemy, ActorProperties* properties)
{
    InitEnemy(&enemy->actor, enemy->header, &enemy->anim);
    ApplyEnemyProperties(properties, &enemy->actor);
}

void RegisterEnemyType(const char* placementPath, ObjectType* type, void*** instances,
                       const EnemyTypeSettings& settings, ObjectHandler Update, ObjectHandler LateUpdate,
                       ObjectHandler Draw, ObjectHandler LeaveView, ObjectHandler Reset, ObjectHandler Init,
                       ObjectLoadHandler Load, ObjectUnloadHandler Unload)
{
    type->updatePass = settings.updatePass;
    type->growthStep = settings.growthStep;
    type->drawLayer = settings.drawLayer;
    type->cullMarginX = settings.cullMarginX;
    type->cullMarginY = settings.cullMarginY;
    RegisterObjectType(placementPath, type, instances, settings.recordBytes, Update, LateUpdate, Draw, ObjectNoOp,
                       LeaveView ? LeaveView : ObjectNoOp, Reset, Init, EnemyBind, Load, Unload);
}

void UnloadEnemyType(ObjectType* type, AnimSet* set, ActorProperties* properties)
{
    FreeAnim(set);
    FormatDebugText("Value: %d", properties->useCount);
    FreeEnemyProperties(properties);
    FreeObjectType(type);
}

void DrawEnemyEditorPreview(AnimSet* set, void* cursor)
{
    if (!set || !set->loaded || !set->animCount || !set->animations || !cursor)
        return;
    if (set->paletteCount && set->palettes)
        SetCurrentPalette(set->palettes[0]);
    const ObjectHeader* header = HeaderOf(cursor);
    if (header && rendererSlots.DrawSprite)
        rendererSlots.DrawSprite(&set->animations[0].frames[0].image, scrollX, scrollY, TruncateToI32(header->x),
                                 TruncateToI32(header->y));
}
