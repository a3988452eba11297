// YardSlayer: roams in the air around its home, and on a hit goes round the vanish, return, close-in
// and attack cycle against whoever struck it.
#include "Game/Enemies/YardSlayer.h"

#include <algorithm>
#include <cstddef>

#include "Engine/Collision/AngleTables.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/Sound.h"
#include "Game/Actors/Effects.h"
#include "Game/Actors/HitResolution.h"
#include "Game/Player/Player.h"
#include "Game/World/Corn.h"

ObjectType YardSlayer;
YardSlayerRecord** yardSlayerInstances;
AnimSet yardSlayerAnimSet;
ActorProperties yardSlayerProperties;

namespace {

u32 slayerHitSound, slayerDeathSound, slayerLaughSound;

void Walk(ActorBlock& actor, u8 direction)
{
    actor.input[InputLeft] = direction == DirectionLeft;
    actor.input[InputRight] = direction == DirectionRight;
}

void Puff(const ObjectHeader* header)
{
    SpawnObject(&Explosion, header->x, header->y + 8.0f, 0, header->flipX);
}

ActorBlock* FirstPlayerActor()
{
    PlayerRecord* player = FirstPlayer();
    return player ? &player->actor : nullptr;
}

// The facing of the player whose block this is: 0 right, 1 left.
u8 PlayerFacing(const ActorBlock* target)
{
    const ObjectHeader* header = target->header;
    if (playerInstances && header->index < Player.poolSize && playerInstances[header->index] &&
        playerInstances[header->index]->header == header)
        return playerInstances[header->index]->facing;
    return header->flipX;
}

void Show(YardSlayerRecord* slayer, u16 animation)
{
    if (!yardSlayerAnimSet.loaded)
        return;
    slayer->anim.set = &yardSlayerAnimSet;
    const u16 last = yardSlayerAnimSet.animCount ? (u16)(yardSlayerAnimSet.animCount - 1) : 0;
    StartAnim(&slayer->anim, std::min(animation, last));
}

// Drifting to and fro with a bob, turning at walls and at the ends of its range.
void Roam(YardSlayerRecord* slayer)
{
    ObjectHeader* header = slayer->header;
    ActorBlock& actor = slayer->actor;
    actor.useStepper = 0;
    header->phase += 2.0f;
    header->vy = (f32)cosTable[((i32)header->phase - 64) & 255] / 327.68f * 0.25f;
    ChooseSlopeDirection(&actor, TurnAtWalls);
    // The turn at an end of the range is kept, so it drifts back across the range.
    if (header->x < actor.spawnX - slayer->roamRange)
        actor.direction = DirectionRight;
    else if (header->x > actor.spawnX + slayer->roamRange)
        actor.direction = DirectionLeft;
    Walk(actor, actor.direction);
}

void Vanished(YardSlayerRecord* slayer)
{
    ObjectHeader* header = slayer->header;
    ActorBlock& actor = slayer->actor;
    actor.useStepper = 1;
    // No hitter to come back for: player 1 (also when the one it had was freed meanwhile).
    if (!slayer->hasTarget) {
        if (!slayer->target)
            slayer->target = FirstPlayerActor();
        slayer->hasTarget = slayer->target != nullptr;
        return;
    }
    if (!slayer->target)
        return;
    if (slayer->vanishTimer)
        --slayer->vanishTimer;
    if (slayer->vanishTimer)
        return;
    // Back behind the target, facing the way it faces.
    const ObjectHeader* target = slayer->target->header;
    const u8 facing = target->type == &Player ? PlayerFacing(slayer->target) : target->flipX;
    header->x = facing ? target->x + yardSlayerBehind : target->x - yardSlayerBehind;
    header->flipX = facing;
    Walk(actor, 0);
    header->vx = facing ? -1.0f : 1.0f;
    header->y = target->y - 16.0f;
    Puff(header);
    header->state = YardSlayerClosingIn;
    slayer->approachTimer = 32;
    slayer->approachDelay = 16;
    actor.hurt = 0;
    QueueSound((u16)slayerLaughSound);
    Show(slayer, yardSlayerLaughAnim);
}

void CloseIn(YardSlayerRecord* slayer)
{
    ObjectHeader* header = slayer->header;
    ActorBlock& actor = slayer->actor;
    actor.values[AirFriction] = 0.4f;
    actor.values[AirAccel] = 0.35f;
    actor.values[AirBrake] = 0.4f;
    actor.values[MaxAirSpeed] = 5.0f;
    actor.values[MaxFallSpeed] = 0.0f;
    if (slayer->approachDelay) {
        --slayer->approachDelay;
        return;
    }
    const ObjectHeader* target = slayer->target->header;
    header->vy = 0.0f;
    u8 direction = DirectionNone;
    if (header->x < target->x - 58.0f)
        direction = DirectionRight;
    else if (header->x > target->x + 58.0f)
        direction = DirectionLeft;
    // Too close: back away.
    if (header->x >= target->x - 18.0f && header->x <= target->x) {
        direction = DirectionLeft;
        header->flipX = 0;
    } else if (header->x > target->x && header->x < target->x + 18.0f) {
        direction = DirectionRight;
        header->flipX = 1;
    }
    Walk(actor, direction);
    // Toward the line 16 px over the target, never past it.
    const f32 line = target->y - 16.0f;
    f32 vy = (target->y - header->y) / 14.0f;
    if (header->y <= line)
        vy = std::min(vy, line - header->y);
    else
        vy = std::max(std::min(vy, (line - header->y) / 14.0f), line - header->y);
    header->vy = vy;
    --slayer->approachTimer;
    if (slayer->approachTimer >= 0)
        return;
    if (slayer->anim.finished) {
        header->state = YardSlayerAttacking;
        actor.hurt = 0;
        actor.hitlag = actor.hitstun = 0;
        header->flipX = target->x < header->x;
        Show(slayer, yardSlayerAttackAnim);
    } else {
        header->vx = header->vy = 0.0f;
    }
}

void Attack(YardSlayerRecord* slayer)
{
    ActorBlock& actor = slayer->actor;
    Walk(actor, 0);
    if (!slayer->anim.finished)
        return;
    slayer->hasTarget = 0;
    actor.useStepper = 0;
    actor.direction = slayer->header->flipX ? DirectionLeft : DirectionRight;
    ApplyEnemyProperties(&yardSlayerProperties, &actor);
    Show(slayer, 0);
    YardSlayerSpawn(slayer);
}

void Return(YardSlayerRecord* slayer)
{
    ObjectHeader* header = slayer->header;
    slayer->actor.useStepper = 1;
    if (slayer->vanishTimer)
        --slayer->vanishTimer;
    if (slayer->vanishTimer)
        return;
    header->state = YardSlayerRoaming;
    header->x = slayer->actor.spawnX;
    header->y = slayer->actor.spawnY;
    header->vy = 0.0f;
    // The bob starts over with each roam.
    header->phase = yardSlayerRoamPhase;
    Puff(header);
}

} // namespace

// ---- Load and Unload ----

void YardSlayerLoad(const char* placementPath)
{
    LoadAnim(yardSlayerManPath, &yardSlayerAnimSet);
    slayerHitSound = LoadSound(yardSlayerHitPath);
    slayerDeathSound = LoadSound(yardSlayerDeathPath);
    slayerLaughSound = LoadSound(yardSlayerLaughPath);
    LoadEnemyProperties(&YardSlayer, &yardSlayerProperties, yardSlayerVepPath);
    AddPlacementProperty(&YardSlayer, "faceRight", 8, offsetof(YardSlayerRecord, faceRight));
    AddPlacementProperty(&YardSlayer, "roamRange", 6, offsetof(YardSlayerRecord, roamRange));
    YardSlayer.updatePass = 2;
    YardSlayer.growthStep = 32;
    YardSlayer.drawLayer = 11;
    YardSlayer.cullMarginX = 128;
    YardSlayer.cullMarginY = 128;
    RegisterObjectType(placementPath, &YardSlayer, (void***)&yardSlayerInstances, sizeof(YardSlayerRecord),
                       YardSlayerUpdate, YardSlayerLateUpdate, YardSlayerDraw, ObjectNoOp, ObjectNoOp,
                       YardSlayerReset, YardSlayerInit, YardSlayerBind, YardSlayerLoad, YardSlayerUnload);
    YardSlayer.EditorPreview = YardSlayerEditorPreview;
    YardSlayer.EditorPlace = YardSlayerEditorPlace;
    YardSlayer.placeable = 1;
    AddPlaceableType(&YardSlayer);
    if (YardSlayer.loadCount < 2) {
        SetObjectTypeName(&YardSlayer, "YardSlayer");
        YardSlayer.reserved = ObjectNoOp;
    }
    if (placementPath)
        LoadObjectPlacements(&YardSlayer, placementPath);
}

void YardSlayerUnload()
{
    FreeSound(slayerHitSound);
    FreeSound(slayerDeathSound);
    FreeSound(slayerLaughSound);
    UnloadEnemyType(&YardSlayer, &yardSlayerAnimSet, &yardSlayerProperties);
}

// ---- Bind, Init and Reset ----

void YardSlayerBind(void* instance, u32 index, ObjectHeader* header)
{
    EnemyBind(instance, index, header);
    ((YardSlayerRecord*)instance)->actor.instance = instance;
}

void YardSlayerInit(void* instance)
{
    YardSlayerRecord* slayer = (YardSlayerRecord*)instance;
    ActorBlock& actor = slayer->actor;
    EnemyCommonInit((EnemyRecord*)slayer, &yardSlayerProperties);
    actor.instance = slayer;
    actor.hurtSound = (i32)slayerHitSound;
    actor.deathSound = (i32)slayerDeathSound;
    actor.clash = 1;
    actor.direction = DirectionLeft;
    slayer->homeDirection = DirectionLeft;
    if (slayer->roamRange == 0.0f)
        slayer->roamRange = yardSlayerDefaultRange;
    slayer->vanishTimer = 24;
    slayer->approachTimer = 0;
    slayer->approachDelay = 0;
    slayer->target = nullptr;
    slayer->hasTarget = 0;
    slayer->header->phase = yardSlayerRoamPhase;
    YardSlayerReset(slayer);
}

void YardSlayerReset(void* instance)
{
    EnemyCommonReset((EnemyRecord*)instance, &yardSlayerAnimSet);
}

void YardSlayerSpawn(YardSlayerRecord* slayer)
{
    ObjectHeader* header = slayer->header;
    header->state = YardSlayerReturning;
    Puff(header);
    slayer->actor.direction = slayer->homeDirection;
    Walk(slayer->actor, slayer->homeDirection);
    slayer->vanishTimer = 32;
}

// ---- Update ----

void YardSlayerUpdate(void* instance)
{
    YardSlayerRecord* slayer = (YardSlayerRecord*)instance;
    ObjectHeader* header = slayer->header;
    ActorBlock& actor = slayer->actor;
    EnemyStep(&actor);
    EnemyAnimate(&actor);
    actor.clash = header->state != YardSlayerAttacking;
    if (actor.hitlag > 0)
        return;
    actor.hitstun = 0;

    if (!slayer->target) {
        if (slayer->hasTarget) {
            YardSlayerSpawn(slayer);
            slayer->hasTarget = 0;
            return;
        }
        // Nothing to close in on or attack: only roaming, vanishing and going home go on.
        if (header->state == YardSlayerClosingIn || header->state == YardSlayerAttacking)
            return;
    } else if (slayer->target->header->free) {
        slayer->hasTarget = 0;
        slayer->target = FirstPlayerActor();
        return;
    }

    switch (header->state) {
    case YardSlayerRoaming:
        Roam(slayer);
        break;
    case YardSlayerVanished:
        Vanished(slayer);
        break;
    case YardSlayerClosingIn:
        CloseIn(slayer);
        break;
    case YardSlayerAttacking:
        Attack(slayer);
        return;
    case YardSlayerReturning:
        Return(slayer);
        return;
    default:
        return;
    }
    // It never stands on anything.
    header->groundContact = 0;
    if (actor.hurt && (header->state == YardSlayerRoaming || header->state == YardSlayerClosingIn) &&
        (actor.hitlag < 1 || actor.hitstun)) {
        header->state = YardSlayerVanished;
        slayer->vanishTimer = 32;
        Puff(header);
    }
}

void YardSlayerLateUpdate(void* instance)
{
    YardSlayerRecord* slayer = (YardSlayerRecord*)instance;
    ActorBlock& actor = slayer->actor;
    const u8 state = slayer->header->state;
    actor.useStepper = state != YardSlayerRoaming;
    actor.noBoxes = state == YardSlayerVanished;
    EnemyLateUpdate(&YardSlayer, slayer, &actor);
    // Vanished, it picks whoever struck it last; a whip's hit counts as its owner's. A corn stalk
    // is no one to come back behind: it is left to the player 1 fallback.
    if (state != YardSlayerVanished || slayer->hasTarget || !actor.lastHitter || !actor.lastHitter->header ||
        actor.lastHitter->header->free)
        return;
    if (actor.lastHitter->header->type == &Corn)
        return;
    ActorBlock* target = actor.lastHitter->parent ? actor.lastHitter->parent : actor.lastHitter;
    slayer->target = target;
    FormatDebugText("Value: %d", (int)target->header->typeIndex);
    target->hitlag = 0;
    slayer->hasTarget = 1;
}

// ---- Draw ----

void YardSlayerDraw(void* instance)
{
    YardSlayerRecord* slayer = (YardSlayerRecord*)instance;
    const u8 state = slayer->header->state;
    if (state == YardSlayerVanished || state == YardSlayerReturning)
        return;
    if (yardSlayerAnimSet.loaded && yardSlayerAnimSet.paletteCount && yardSlayerAnimSet.palettes)
        SetCurrentPalette(yardSlayerAnimSet.palettes[0]);
    DrawEnemySprite(&slayer->actor);
}

void YardSlayerEditorPreview(void* cursor)
{
    DrawEnemyEditorPreview(&yardSlayerAnimSet, cursor);
}

void YardSlayerEditorPlace(void* cursor)
{
    const ObjectHeader* header = HeaderOf(cursor);
    SpawnObject(&YardSlayer, header->x, header->y, 0, 0);
}
