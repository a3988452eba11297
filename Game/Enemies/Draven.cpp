// Draven: perched until the player hits it; then it hovers on a sine bob facing the player, dives
// until level with or above it, and climbs back to its perch (its spawn position) to rest.
#include "Game/Enemies/Draven.h"

#include <cmath>
#include <cstddef>

#include "Engine/Collision/AngleTables.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/Random.h"
#include "Engine/Common/Sound.h"
#include "Engine/Render/DrawState.h"
#include "Game/Player/Player.h"

ObjectType Draven;
DravenRecord** dravenInstances;
AnimSet dravenAnimSet;
ActorProperties dravenProperties;
u32 dravenHitSound, dravenDeathSound, dravenCawSound, dravenFlapSound;

namespace {

constexpr EnemyTypeSettings settings{sizeof(DravenRecord), 32, 2, 12, 256, 256};

// Flight tuning of the dive and of the return.
struct Flight {
    f32 airFriction, airAccel, airBrake, maxAirSpeed, maxFallSpeed;
};
constexpr Flight hoverFlight{0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
constexpr Flight diveFlight{0.035f, 0.05f, 0.2f, 3.0f, 4.0f};
constexpr Flight returnFlight{0.05f, 0.05f, 0.05f, 1.5f, 2.5f};

void SetFlight(ActorBlock& actor, const Flight& flight, bool noGravity)
{
    actor.values[AirFriction] = flight.airFriction;
    actor.values[AirAccel] = flight.airAccel;
    actor.values[AirBrake] = flight.airBrake;
    actor.values[MaxAirSpeed] = flight.maxAirSpeed;
    actor.values[MaxFallSpeed] = flight.maxFallSpeed;
    if (noGravity)
        actor.values[Gravity] = 0.0f;
}

void Walk(ActorBlock& actor, bool right)
{
    actor.input[InputLeft] = !right;
    actor.input[InputRight] = right;
}

// The flap's pitch spreads wider the faster it climbs or falls.
void Flap(const DravenRecord* draven)
{
    const AnimPlayer& anim = draven->anim;
    if (anim.activeAnimIndex != dravenHoverAnim && anim.activeAnimIndex != dravenReturnAnim)
        return;
    if (anim.frameIndex != dravenFlapFrame || anim.prevFrameIndex == dravenFlapFrame)
        return;
    const i32 n = TruncateToI32(std::fabs(draven->header->vy) * -4000.0f);
    QueueSoundAt((u16)dravenFlapSound, (u32)(44100 + n + GameRand() / (32767 / (1 - 2 * n) + 1)));
}

void StartAnimation(DravenRecord* draven, u16 animation)
{
    if (!dravenAnimSet.loaded)
        return;
    draven->anim.set = &dravenAnimSet;
    StartAnim(&draven->anim, animation);
}

void Perched(DravenRecord* draven)
{
    draven->header->vx = 0.0f;
    draven->header->vy = 0.0f;
    if (draven->timer > 0) {
        --draven->timer;
        draven->target = nullptr;
        draven->chasing = 0;
    }
}

void Startled(DravenRecord* draven)
{
    ActorBlock& actor = draven->actor;
    ObjectHeader* header = draven->header;
    SetFlight(actor, hoverFlight, false);
    if (actor.hitlag == 0) {
        header->phase += 2.0f;
        // The phase grows without end: wrapped to a byte before the table look-up.
        const i32 angle = (TruncateToI32(header->phase) - 64) & 255;
        header->vy = (f32)cosTable[angle] / 327.68f * 0.25f;
        if (draven->timer == 0) {
            draven->timer = dravenTimer;
            header->state = DravenDiving;
        } else {
            --draven->timer;
        }
    } else {
        header->vy = 0.0f;
    }
    if (draven->target)
        header->flipX = !(draven->target->x > header->x);
}

void Diving(DravenRecord* draven)
{
    ActorBlock& actor = draven->actor;
    ObjectHeader* header = draven->header;
    SetFlight(actor, diveFlight, true);
    // It flaps faster while climbing.
    const i32 speed = TruncateToI32(30.0f - (header->vy - 1.0f) * 5.0f);
    draven->anim.speed = (u16)(speed < 0 ? 0 : speed);
    const ObjectHeader* target = draven->target;
    if (!target)
        return;
    if (target->x - 32.0f > header->x)
        Walk(actor, true);
    else if (header->x > target->x + 32.0f)
        Walk(actor, false);
    if (target->y > header->y) {
        header->vy += 0.1f;
        return;
    }
    // Level with the target or above it: climb back.
    header->vy -= 0.225f;
    if (actor.touched)
        return;
    header->state = DravenReturning;
    if (dravenAnimSet.loaded && dravenAnimSet.animCount) {
        const u16 last = (u16)(dravenAnimSet.animCount - 1);
        ContinueAnim(&draven->anim, &dravenAnimSet, dravenReturnAnim < last ? dravenReturnAnim : last,
                     draven->anim.frameIndex);
    }
}

void Returning(DravenRecord* draven)
{
    ActorBlock& actor = draven->actor;
    ObjectHeader* header = draven->header;
    SetFlight(actor, returnFlight, true);
    const f32 perchX = actor.spawnX, perchY = actor.spawnY;
    header->vy += perchY > header->y ? 0.2f : -0.22f;
    Walk(actor, perchX > header->x);
    const f32 reach = actor.values[MaxAirSpeed];
    if (std::fabs(header->x - perchX) <= reach) {
        header->x = perchX;
        header->vx = 0.0f;
    }
    if (header->x == perchX && header->vy > 0.0f && std::fabs(header->y - perchY) <= actor.values[MaxFallSpeed]) {
        header->y = perchY;
        header->vy = 0.0f;
        draven->target = nullptr;
        draven->chasing = 0;
        header->flipX = 1;
        draven->timer = dravenTimer;
        header->state = DravenPerched;
        StartAnimation(draven, dravenPerchAnim);
    }
}

} // namespace

// ---- Load and Unload ----

void DravenLoad(const char* placementPath)
{
    LoadAnim(dravenManPath, &dravenAnimSet);
    dravenHitSound = LoadSound(dravenHitSoundPath);
    dravenDeathSound = LoadSound(dravenDeathSoundPath);
    dravenCawSound = LoadSound(dravenCawSoundPath);
    dravenFlapSound = LoadSound(dravenFlapSoundPath);
    FormatDebugText("Value: %d", (i32)dravenHitSound);
    LoadEnemyProperties(&Draven, &dravenProperties, dravenVepPath);
    AddPlacementProperty(&Draven, "faceRight", 8, offsetof(DravenRecord, faceRight));
    RegisterEnemyType(placementPath, &Draven, (void***)&dravenInstances, settings, DravenUpdate, DravenLateUpdate,
                      EnemyDraw, DravenLeaveView, DravenReset, DravenInit, DravenLoad, DravenUnload);
    Draven.EditorPreview = DravenEditorPreview;
    Draven.EditorPlace = DravenEditorPlace;
    Draven.placeable = 1;
    AddPlaceableType(&Draven);
    if (Draven.loadCount < 2) {
        SetObjectTypeName(&Draven, "Draven");
        Draven.reserved = ObjectNoOp;
    }
    if (placementPath)
        LoadObjectPlacements(&Draven, placementPath);
}

void DravenUnload()
{
    FreeSound(dravenHitSound);
    FreeSound(dravenDeathSound);
    FreeSound(dravenCawSound);
    FreeSound(dravenFlapSound);
    UnloadEnemyType(&Draven, &dravenAnimSet, &dravenProperties);
}

// ---- Init and Reset ----

void DravenInit(void* instance)
{
    DravenRecord* draven = (DravenRecord*)instance;
    EnemyCommonInit((EnemyRecord*)draven, &dravenProperties);
    draven->actor.hurtSound = (i32)dravenHitSound;
    draven->actor.deathSound = (i32)dravenDeathSound;
    FormatDebugText("Value: %d", (i32)dravenHitSound);
    draven->actor.useStepper = 1; // it flies through tiles
    draven->actor.sameTypeNoHit = 1;
    draven->target = nullptr;
    draven->chasing = 0;
    draven->timer = dravenTimer;
    draven->header->flipX = (u8)!draven->faceRight;
    DravenReset(draven);
}

void DravenReset(void* instance)
{
    EnemyCommonReset((EnemyRecord*)instance, &dravenAnimSet);
}

// ---- Update ----

void DravenUpdate(void* instance)
{
    DravenRecord* draven = (DravenRecord*)instance;
    EnemyStep(&draven->actor);
    EnemyAnimate(&draven->actor);
    Flap(draven);
    switch (draven->header->state) {
    case DravenPerched: Perched(draven); break;
    case DravenStartled: Startled(draven); break;
    case DravenDiving: Diving(draven); break;
    case DravenReturning: Returning(draven); break;
    default: break;
    }
}

void DravenLateUpdate(void* instance)
{
    DravenRecord* draven = (DravenRecord*)instance;
    const ActorBlock& actor = draven->actor;
    // Only the player's own hits provoke it, and not while it rests after a return.
    if (actor.touched && actor.lastHitterType == &Player && !draven->chasing && draven->timer == 0 &&
        playerInstances && actor.lastHitterIndex < Player.poolSize && playerInstances[actor.lastHitterIndex]) {
        ObjectHeader* header = draven->header;
        draven->target = playerInstances[actor.lastHitterIndex]->header;
        draven->chasing = 1;
        header->state = DravenStartled;
        header->phase = 192.0f;
        draven->timer = dravenTimer;
        QueueSound((u16)dravenCawSound);
        StartAnimation(draven, dravenHoverAnim);
    }
    EnemyLateUpdate(&Draven, instance, &draven->actor);
}

// Back on the perch whenever it leaves the activity window.
void DravenLeaveView(void* instance)
{
    DravenRecord* draven = (DravenRecord*)instance;
    draven->header->x = draven->actor.spawnX;
    draven->header->y = draven->actor.spawnY;
    draven->header->state = DravenPerched;
    StartAnimation(draven, dravenPerchAnim);
}

// ---- Editor ----

void DravenEditorPreview(void* cursor)
{
    DrawEnemyEditorPreview(&dravenAnimSet, cursor);
}

void DravenEditorPlace(void* cursor)
{
    const ObjectHeader* at = HeaderOf(cursor);
    SpawnObject(&Draven, at->x, at->y, 0, 0);
}
