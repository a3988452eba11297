// AudreyShot: flies straight the way it was fired, without tile collision, for 48 ticks; then (or at
// once when hit) it shrinks by a fifth a tick and is removed, letting go of Audrey's slot.
#include "Game/Enemies/AudreyShot.h"

#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Render/DrawState.h"

ObjectType AudreyShot;
AudreyShotRecord** audreyShotInstances;
AnimSet audreyShotAnimSet;
ActorProperties audreyShotProperties;

namespace {

constexpr EnemyTypeSettings settings{sizeof(AudreyShotRecord), 32, 2, 11, 256, 256};
constexpr f32 shrunk = 1.0e-4f;

} // namespace

void DetachAudreyShot(AudreyShotRecord* shot)
{
    DetachActor(&shot->actor);
}

// ---- Load and Unload ----

void AudreyShotLoad(const char* placementPath)
{
    LoadAnim(audreyShotManPath, &audreyShotAnimSet);
    LoadEnemyProperties(&AudreyShot, &audreyShotProperties, audreyShotVepPath);
    RegisterEnemyType(placementPath, &AudreyShot, (void***)&audreyShotInstances, settings, AudreyShotUpdate,
                      AudreyShotLateUpdate, AudreyShotDraw, nullptr, AudreyShotReset, AudreyShotInit,
                      AudreyShotLoad, AudreyShotUnload);
    if (AudreyShot.loadCount < 2)
        AudreyShot.reserved = ObjectNoOp;
    if (placementPath)
        LoadObjectPlacements(&AudreyShot, placementPath);
}

void AudreyShotUnload()
{
    UnloadEnemyType(&AudreyShot, &audreyShotAnimSet, &audreyShotProperties);
}

// ---- Init and Reset ----

void AudreyShotInit(void* instance)
{
    AudreyShotRecord* shot = (AudreyShotRecord*)instance;
    EnemyCommonInit((EnemyRecord*)shot, &audreyShotProperties);
    shot->actor.sameTypeNoHit = 1;
    shot->actor.direction = shot->header->spawnA ? DirectionRight : DirectionLeft;
    shot->life = audreyShotLife;
    AudreyShotReset(shot);
}

void AudreyShotReset(void* instance)
{
    EnemyCommonReset((EnemyRecord*)instance, &audreyShotAnimSet);
}

// ---- Update ----

void AudreyShotUpdate(void* instance)
{
    AudreyShotRecord* shot = (AudreyShotRecord*)instance;
    ActorBlock& actor = shot->actor;
    ObjectHeader* header = shot->header;
    EnemyStep(&actor);
    actor.input[InputLeft] = actor.direction == DirectionLeft;
    actor.input[InputRight] = actor.direction == DirectionRight;

    // A hit ends the flight at once.
    if (actor.hitlag >= 1)
        shot->life = 0;
    else if (shot->life > 0) {
        --shot->life;
        return;
    }
    // Five steps of 0.2 leave a rounding crumb over 0 in f32: anything that small counts as gone.
    if (header->scaleX > shrunk) {
        header->scaleX -= audreyShotShrink;
        header->scaleY = header->scaleX;
    }
    if (header->scaleX > shrunk)
        return;
    DetachAudreyShot(shot);
    for (ActorBlock*& child : actor.children)
        child = nullptr;
    actor.childCount = 0;
    DespawnObject(header);
}

void AudreyShotLateUpdate(void* instance)
{
    AudreyShotRecord* shot = (AudreyShotRecord*)instance;
    shot->actor.useStepper = 1; // it flies through tiles
    EnemyLateUpdate(&AudreyShot, instance, &shot->actor);
}

// ---- Draw ----

void AudreyShotDraw(void* instance)
{
    AudreyShotRecord* shot = (AudreyShotRecord*)instance;
    if (audreyShotAnimSet.loaded && audreyShotAnimSet.paletteCount && audreyShotAnimSet.palettes)
        SetCurrentPalette(audreyShotAnimSet.palettes[0]);
    SetSpriteTransform(shot->header, 0); // so the shrinking shows
    DrawEnemySprite(&shot->actor);
    RestDrawState();
}
