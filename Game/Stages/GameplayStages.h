// The five stages that are played: "Graveyard", "Village 1", "Boss Rush", "The Bone Zone" and
// "Test". Each loads its layout, the object types it uses and its music, spawns the objects every
// run needs when it starts, updates them once a tick and gives everything back when it unloads.
#pragma once
#include "Engine/Common/Types.h"

// The object types every gameplay stage has; folder is the stage's Objects folder, or null.
void LoadSharedObjectTypes(const char* folder);
void UnloadSharedObjectTypes();

// The frame of the stages without checks of their own: the attack boxes, then the objects.
void GameplayStageFrame();

void GraveyardStageFrame();
void GraveyardStageStart();
void GraveyardStageLoad();
void GraveyardStageUnload();

void Village1StageStart();
void Village1StageLoad();
void Village1StageUnload();

void BossRushStageStart();
void BossRushStageLoad();
void BossRushStageUnload();

void BoneZoneStageFrame();
void BoneZoneStageStart();
void BoneZoneStageLoad();
void BoneZoneStageUnload();

void TestStageStart();
void TestStageLoad();
void TestStageUnload();

// The Bone Zone's totals, clock and results-card flags.
extern i32 stageBonesTotal;
extern i32 stageEnemiesTotal;
extern i32 stageSeconds;
extern i32 stageMinutes;
extern u8 bonesCardRaised;
extern u8 enemiesCardRaised;

// The Graveyard's top exit has spawned its fade; cleared when the stage starts.
extern u8 graveyardExitTaken;
