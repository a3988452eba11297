// Audrey: stands on the floor and counts the hits it takes while idle; the second answers with an
// attack animation whose frame 12 fires one AudreyShot the way it faces.
#include "Game/Enemies/Audrey.h"

#include <cstddef>

#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/Random.h"
#include "Engine/Common/Sound.h"
#include "Game/Enemies/AudreyShot.h"

ObjectType Audrey;
AudreyRecord** audreyInstances;
AnimSet audreyAnimSet;
ActorProperties audreyProperties;
u32 audreyHitSound, audreyDeathSound, audreyShotSound;

namespace {

constexpr EnemyTypeSettings settings{sizeof(AudreyRecord), 32, 2, 9, 256, 256};

void FireShot(AudreyRecord* audrey)
{
    ObjectHeader* header = audrey->header;
    // The shot leaves from the mouth, which point 0 gives on the mirrored frame.
    const u8 facing = header->flipX;
    header->flipX = (u8)!facing;
    const AnimFramePoint mouth = GetAnimFramePoint(header, &audrey->anim, 0);
    lastSpawnedInstance = nullptr;
    SpawnObject(&AudreyShot, mouth.x, mouth.y, header->flipX, 0);
    header->flipX = facing;
    // With all eight slots taken the shot flies unattached.
    if (AudreyShotRecord* shot = (AudreyShotRecord*)lastSpawnedInstance)
        AttachActor(&audrey->actor, &shot->actor);
}

} // namespace

// ---- Load and Unload ----

void AudreyLoad(const char* placementPath)
{
    LoadAnim(audreyManPath, &audreyAnimSet);
    audreyHitSound = LoadSound(audreyHitSoundPath);
    audreyDeathSound = LoadSound(audreyDeathSoundPath);
    audreyShotSound = LoadSound(audreyShotSoundPath);
    LoadEnemyProperties(&Audrey, &audreyProperties, audreyVepPath);
    AddPlacementProperty(&Audrey, "faceRight", 8, offsetof(AudreyRecord, faceRight));
    RegisterEnemyType(placementPath, &Audrey, (void***)&audreyInstances, settings, AudreyUpdate, AudreyLateUpdate,
                      EnemyDraw, nullptr, AudreyReset, AudreyInit, AudreyLoad, AudreyUnload);
    Audrey.EditorPreview = AudreyEditorPreview;
    Audrey.EditorPlace = AudreyEditorPlace;
    Audrey.placeable = 1;
    AddPlaceableType(&Audrey);
    if (Audrey.loadCount < 2) {
        SetObjectTypeName(&Audrey, "Audrey");
        Audrey.reserved = ObjectNoOp;
    }
    if (placementPath)
        LoadObjectPlacements(&Audrey, placementPath);
    AudreyShotLoad(nullptr);
}

void AudreyUnload()
{
    FreeSound(audreyHitSound);
    FreeSound(audreyDeathSound);
    FreeSound(audreyShotSound);
    UnloadEnemyType(&Audrey, &audreyAnimSet, &audreyProperties);
    AudreyShotUnload();
}

// ---- Init and Reset ----

void AudreyInit(void* instance)
{
    AudreyRecord* audrey = (AudreyRecord*)instance;
    EnemyCommonInit((EnemyRecord*)audrey, &audreyProperties);
    audrey->actor.hurtSound = (i32)audreyHitSound;
    audrey->actor.deathSound = (i32)audreyDeathSound;
    audrey->actor.sameTypeNoHit = 1;
    audrey->fired = 0;
    audrey->header->flipX = (u8)!audrey->faceRight;
    audrey->hitCount = 0;
    AudreyReset(audrey);
}

void AudreyReset(void* instance)
{
    AudreyRecord* audrey = (AudreyRecord*)instance;
    EnemyCommonReset((EnemyRecord*)audrey, &audreyAnimSet);
    audrey->header->plane = 0; // it stands on the floor
}

// ---- Update ----

void AudreyUpdate(void* instance)
{
    AudreyRecord* audrey = (AudreyRecord*)instance;
    ObjectHeader* header = audrey->header;
    EnemyCommonStep(&audrey->actor);
    if (header->state == AudreyIdle) {
        audrey->fired = 0;
        return;
    }
    if (header->state != AudreyAttacking)
        return;
    // The attack may rest on its firing frame for several ticks: one shot all the same.
    if (audrey->anim.frameIndex == audreyFireFrame && !audrey->fired) {
        FireShot(audrey);
        audrey->fired = 1;
        // The shot's pitch: 40100 Hz plus a random spread of up to 6553 Hz. A full queue drops it
        // before the spread is drawn.
        if (soundQueue.count < 16)
            QueueSoundAt((u16)audreyShotSound, (u32)(40100 + GameRand() / 5));
    }
    if (audrey->anim.finished) {
        audrey->hitCount = 0;
        header->state = AudreyIdle;
        SetAnim(&audrey->anim, &audreyAnimSet, audreyIdleAnim, 0, 0);
    }
}

void AudreyLateUpdate(void* instance)
{
    AudreyRecord* audrey = (AudreyRecord*)instance;
    // Hits count only while the current animation has run out (the idle one does every tick).
    if (audrey->actor.touched && audrey->anim.finished) {
        ++audrey->hitCount;
        if (audrey->hitCount >= audreyHitsToAttack) {
            audrey->hitCount = 0;
            audrey->header->state = AudreyAttacking;
            SetAnim(&audrey->anim, &audreyAnimSet, audreyAttackAnim, 0, 1);
        }
    }
    EnemyLateUpdate(&Audrey, instance, &audrey->actor);
}

// ---- Editor ----

void AudreyEditorPreview(void* cursor)
{
    DrawEnemyEditorPreview(&audreyAnimSet, cursor);
}

void AudreyEditorPlace(void* cursor)
{
    const ObjectHeader* at = HeaderOf(cursor);
    lastSpawnedInstance = nullptr;
    SpawnObject(&Audrey, at->x, at->y, 0, 0);
    if (AudreyRecord* audrey = (AudreyRecord*)lastSpawnedInstance) {
        audrey->faceRight = 0;
        audrey->header->flipX = 1;
    }
}
