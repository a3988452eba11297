// Projectile: a shot that flies by its speeds without tile collision (Froacker's Chuck throws it).
// It plays the animation of its spawn byte A and is removed when it leaves the view.
#pragma once
#include "Game/Actors/EnemyLibrary.h"

constexpr const char projectileManPath[] = "Data/Sprites/Enemies/Projectile/Projectile.man";
constexpr const char projectileVepPath[] = "Data/Sprites/Enemies/Projectile/Projectile.vep";

// The animation Chuck's shot is spawned with.
constexpr u8 projectileShotAnim = 0;

extern ObjectType Projectile;
extern EnemyRecord** projectileInstances;
extern AnimSet projectileAnimSet;
extern ActorProperties projectileProperties;

void ProjectileLoad(const char* placementPath);
void ProjectileUnload();
void ProjectileInit(void* instance);
void ProjectileReset(void* instance);
void ProjectileUpdate(void* instance);
void ProjectileLateUpdate(void* instance);
void ProjectileLeaveView(void* instance);
// Lets go of the owner's children slot, only while the owner still holds this very shot there.
void DetachProjectile(EnemyRecord* projectile);
