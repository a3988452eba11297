// Enemy types on the data kit's sets, without a layout: a fresh test folder for the data, an empty
// type registry and actor list, a stage entered anew (no collision layer, nothing placeable, no
// sound queued), and afterwards the types freed and the globals put back. A suite writes its data
// in its own SetUp and forgets its types' properties and sets in ForgetTypes.
#pragma once
#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/Sound.h"
#include "Engine/Platform/GameThread.h"
#include "Game/Actors/ActorBlock.h"
#include "Game/Actors/StageSettings.h"
#include "tests/unit/FreshStage.h"

class EnemyWorld : public FreshStage {
protected:
    using FreshStage::FreshStage;

    void SetUp() override
    {
        FreshStage::SetUp();
        stageCollisionLayer = 0;
        placeableTypeCount = 0;
        soundQueue = SoundQueue{};
        ClearActorTypeList();
    }

    void TearDown() override
    {
        FreeObjectTypeRegistry();
        ClearActorTypeList();
        ForgetTypes();
        placeableTypeCount = 0;
        soundQueue = SoundQueue{};
        for (PlayerProgress& progress : playerProgress)
            progress = PlayerProgress{};
        ResetCameras();
        FreshStage::TearDown();
    }

    // The suite's types unloaded for good: their properties freed, their sets and properties empty.
    virtual void ForgetTypes() = 0;

    static void* Spawn(ObjectType* type, f32 x, f32 y, u8 spawnA = 0, u8 spawnB = 0)
    {
        lastSpawnedInstance = nullptr;
        SpawnObject(type, x, y, spawnA, spawnB);
        return lastSpawnedInstance;
    }
};
