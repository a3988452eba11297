// Byu: a test enemy on the common step, with keys that give it hit-stop (H) and make the first
// one jump (I).
#pragma once
#include "Game/Actors/EnemyLibrary.h"

constexpr const char byuManPath[] = "Data/Sprites/Enemies/Byu/Byu.man";
constexpr const char byuVepPath[] = "Data/Sprites/Enemies/Byu/Byu.vep";

// Keyboard slots of the test keys.
constexpr u8 byuHitlagKey = 0x23; // H
constexpr u8 byuJumpKey = 0x17;   // I
constexpr i16 byuTestHitlag = 8;

extern ObjectType Byu;
extern EnemyRecord** byuInstances;
extern AnimSet byuAnimSet;
extern ActorProperties byuProperties;

void ByuLoad(const char* placementPath);
void ByuUnload();
void ByuInit(void* instance);
void ByuReset(void* instance);
void ByuUpdate(void* instance);
void ByuLateUpdate(void* instance);
