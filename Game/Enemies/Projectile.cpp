// Projectile: a shot that flies by its speeds without tile collision. Its thrower holds it in one of
// its children slots until the shot's hit-stop runs out or it leaves the view.
#include "Game/Enemies/Projectile.h"

#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Placement.h"

ObjectType Projectile;
EnemyRecord** projectileInstances;
AnimSet projectileAnimSet;
ActorProperties projectileProperties;

namespace {

constexpr EnemyTypeSettings settings{sizeof(EnemyRecord), 32, 2, 11, 128, 128};

} // namespace

void DetachProjectile(EnemyRecord* projectile)
{
    DetachActor(&projectile->actor);
}

// ---- Load and Unload ----

void ProjectileLoad(const char* placementPath)
{
    LoadAnim(projectileManPath, &projectileAnimSet);
    LoadEnemyProperties(&Projectile, &projectileProperties, projectileVepPath);
    RegisterEnemyType(placementPath, &Projectile, (void***)&projectileInstances, settings, ProjectileUpdate,
                      ProjectileLateUpdate, EnemyDraw, ProjectileLeaveView, ProjectileReset, ProjectileInit,
                      ProjectileLoad, ProjectileUnload);
    if (Projectile.loadCount < 2)
        Projectile.reserved = ObjectNoOp;
    if (placementPath)
        LoadObjectPlacements(&Projectile, placementPath);
}

void ProjectileUnload()
{
    UnloadEnemyType(&Projectile, &projectileAnimSet, &projectileProperties);
}

// ---- Init and Reset ----

void ProjectileInit(void* instance)
{
    EnemyRecord* shot = (EnemyRecord*)instance;
    EnemyCommonInit(shot, &projectileProperties);
    // It flies straight by its speeds; tiles do not stop it.
    shot->actor.useStepper = 1;
    ProjectileReset(shot);
}

void ProjectileReset(void* instance)
{
    EnemyRecord* shot = (EnemyRecord*)instance;
    if (!projectileAnimSet.loaded)
        return;
    shot->anim.set = &projectileAnimSet;
    StartAnim(&shot->anim, shot->header->spawnA);
}

// ---- Update ----

void ProjectileUpdate(void* instance)
{
    EnemyRecord* shot = (EnemyRecord*)instance;
    EnemyStep(&shot->actor);
    if (shot->actor.hitlag == 1)
        DetachProjectile(shot);
}

void ProjectileLateUpdate(void* instance)
{
    EnemyLateUpdate(&Projectile, instance, &((EnemyRecord*)instance)->actor);
}

void ProjectileLeaveView(void* instance)
{
    EnemyRecord* shot = (EnemyRecord*)instance;
    DetachProjectile(shot);
    DespawnObject(shot->header);
}
