// The plain walking enemy: the library's common step and handlers, nothing of its own.
#include "Game/Enemies/BasicEnemy.h"

#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Placement.h"

ObjectType BasicEnemy;
EnemyRecord** basicEnemyInstances;
AnimSet basicEnemyAnimSet;
ActorProperties basicEnemyProperties;

namespace {

constexpr EnemyTypeSettings settings{sizeof(EnemyRecord), 32, 2, 9, 128, 128};

} // namespace

// ---- Load and Unload ----

void BasicEnemyLoad(const char* placementPath)
{
    LoadAnim(basicEnemyManPath, &basicEnemyAnimSet);
    LoadEnemyProperties(&BasicEnemy, &basicEnemyProperties, basicEnemyVepPath);
    RegisterEnemyType(placementPath, &BasicEnemy, (void***)&basicEnemyInstances, settings, BasicEnemyUpdate,
                      BasicEnemyLateUpdate, EnemyDraw, nullptr, BasicEnemyReset, BasicEnemyInit, BasicEnemyLoad,
                      BasicEnemyUnload);
    if (BasicEnemy.loadCount < 2)
        BasicEnemy.reserved = ObjectNoOp;
    if (placementPath)
        LoadObjectPlacements(&BasicEnemy, placementPath);
}

void BasicEnemyUnload()
{
    UnloadEnemyType(&BasicEnemy, &basicEnemyAnimSet, &basicEnemyProperties);
}

// ---- Init and Reset ----

void BasicEnemyInit(void* instance)
{
    EnemyRecord* enemy = (EnemyRecord*)instance;
    EnemyCommonInit(enemy, &basicEnemyProperties);
    BasicEnemyReset(enemy);
}

void BasicEnemyReset(void* instance)
{
    EnemyCommonReset((EnemyRecord*)instance, &basicEnemyAnimSet);
}

// ---- Update ----

void BasicEnemyUpdate(void* instance)
{
    EnemyCommonStep(&((EnemyRecord*)instance)->actor);
}

void BasicEnemyLateUpdate(void* instance)
{
    EnemyLateUpdate(&BasicEnemy, instance, &((EnemyRecord*)instance)->actor);
}
