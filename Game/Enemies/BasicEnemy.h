// The plain walking enemy: the library's common step, nothing of its own.
#pragma once
#include "Game/Actors/EnemyLibrary.h"

constexpr const char basicEnemyManPath[] = "Data/Sprites/Enemies/Enemy/Enemy.man";
constexpr const char basicEnemyVepPath[] = "Data/Sprites/Enemies/Enemy/Enemy.vep";

// Reset starts animation 0; the properties choose the rest.
extern ObjectType BasicEnemy;
extern EnemyRecord** basicEnemyInstances;
extern AnimSet basicEnemyAnimSet;
extern ActorProperties basicEnemyProperties;

void BasicEnemyLoad(const char* placementPath);
void BasicEnemyUnload();
void BasicEnemyInit(void* instance);
void BasicEnemyReset(void* instance);
void BasicEnemyUpdate(void* instance);
void BasicEnemyLateUpdate(void* instance);
