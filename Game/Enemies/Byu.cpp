// Byu: the test enemy. The common step, with two test keys: H gives every Byu hit-stop, I makes
// the first Byu of the pool jump while it is held.
#include "Game/Enemies/Byu.h"

#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Placement.h"
#include "Engine/Platform/Input.h"

ObjectType Byu;
EnemyRecord** byuInstances;
AnimSet byuAnimSet;
ActorProperties byuProperties;

namespace {

constexpr EnemyTypeSettings settings{sizeof(EnemyRecord), 32, 2, 9, 128, 128};

} // namespace

// ---- Load and Unload ----

void ByuLoad(const char* placementPath)
{
    LoadAnim(byuManPath, &byuAnimSet);
    LoadEnemyProperties(&Byu, &byuProperties, byuVepPath);
    RegisterEnemyType(placementPath, &Byu, (void***)&byuInstances, settings, ByuUpdate, ByuLateUpdate, EnemyDraw,
                      nullptr, ByuReset, ByuInit, ByuLoad, ByuUnload);
    if (Byu.loadCount < 2)
        Byu.reserved = ObjectNoOp;
    if (placementPath)
        LoadObjectPlacements(&Byu, placementPath);
}

void ByuUnload()
{
    UnloadEnemyType(&Byu, &byuAnimSet, &byuProperties);
}

// ---- Init and Reset ----

void ByuInit(void* instance)
{
    EnemyRecord* byu = (EnemyRecord*)instance;
    EnemyCommonInit(byu, &byuProperties);
    byu->actor.direction = byu->header->flipX ? DirectionLeft : DirectionRight;
    ByuReset(byu);
}

void ByuReset(void* instance)
{
    EnemyCommonReset((EnemyRecord*)instance, &byuAnimSet);
}

// ---- Update ----

void ByuUpdate(void* instance)
{
    EnemyRecord* byu = (EnemyRecord*)instance;
    if (ButtonState(PlanePressed, byuHitlagKey))
        byu->actor.hitlag = byuTestHitlag;
    if (byuInstances && Byu.poolSize)
        byuInstances[0]->actor.input[InputJump] = ButtonState(PlaneHeld, byuJumpKey) ? 1 : 0;
    byu->actor.anim = &byu->anim;
    EnemyCommonStep(&byu->actor);
}

void ByuLateUpdate(void* instance)
{
    EnemyLateUpdate(&Byu, instance, &((EnemyRecord*)instance)->actor);
}
