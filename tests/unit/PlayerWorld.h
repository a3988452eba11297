// The player on a small collision world with the data kit's player data: the globals a stage
// entered anew sets, the world made the current layout, the player spawned and ticked, and every
// global put back afterwards. PlayerWorld is the fixture; the free functions serve fixtures that
// derive from another base.
#pragma once

#include <string>

#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/Sound.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/GameThread.h"
#include "Game/Actors/ActorBlock.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Player/Player.h"
#include "tests/unit/HeadlessGame.h"
#include "tests/unit/TestFolder.h"
#include "tools/datakit/CollisionKit.h"
#include "tools/datakit/PlayerArt.h"

extern u8 forceFree;

// The stage settings, controls, progress, cameras and sound queue as a stage entered anew has
// them, with the collision world's layer as the stage's and an empty layer to drop through.
inline void ResetPlayerWorldGlobals()
{
    stageCollisionLayer = datakit::collisionWorldLayer;
    collisionLayerTable[1] = 0;
    playerStageSetting = 0;
    for (PlayerControls& controls : playerControls)
        controls.heldMask = controls.pressedMask = 0;
    for (PlayerProgress& progress : playerProgress)
        progress = PlayerProgress{3, 0, 255, 0.0f, 0.0f};
    for (Camera& camera : cameras)
        camera = Camera{};
    for (CameraLimits& limits : cameraLimits)
        limits = CameraLimits{};
    soundQueue = SoundQueue{};
}

// Frees the types and layouts and puts the globals back as the other tests expect them.
inline void PutPlayerWorldGlobalsBack()
{
    FreeObjectTypeRegistry();
    ClearActorTypeList();
    FreeLayoutSlotTables();
    currentLayout = nullptr;
    currentLayoutSlot = -1;
    // Freed above; start the next test from an unloaded set and record.
    playerAnimSet = AnimSet{};
    playerProperties = ActorProperties{};
    ResetCameras();
    for (Camera& camera : cameras)
        camera = Camera{};
    for (CameraLimits& limits : cameraLimits)
        limits = CameraLimits{};
    stageCollisionLayer = 0;
    for (u8& layer : collisionLayerTable)
        layer = 0;
    playerStageSetting = 0;
    for (PlayerControls& controls : playerControls)
        controls.heldMask = controls.pressedMask = 0;
    for (PlayerProgress& progress : playerProgress)
        progress = PlayerProgress{};
    soundQueue = SoundQueue{};
}

// Writes the world to folder and makes it the current layout, with the camera bounds round it.
// Asserts, so callers check HasFatalFailure() after it.
inline void LoadCollisionWorld(const std::string& folder, const datakit::CollisionWorld& world)
{
    ASSERT_TRUE(datakit::WriteCollisionWorld(folder, world));
    currentLayoutSlot = LoadLayout((folder + "/layout1.bin").c_str());
    currentLayout = LayoutInSlot(currentLayoutSlot);
    ASSERT_NE(currentLayout, nullptr);
    ASSERT_EQ(currentLayout->layerCount, 2);
    CameraLimits& limits = cameraLimits[0];
    limits.leftBound = limits.leftTarget = 0;
    limits.rightBound = limits.rightTarget = world.Width();
    limits.topBound = limits.topTarget = 0;
    limits.bottomBound = limits.bottomTarget = world.Height();
}

// Whether the sound waits in this tick's queue.
inline bool Queued(u32 sound)
{
    for (u8 i = 0; i < soundQueue.count && i < 16; ++i)
        if (soundQueue.id[i] == sound)
            return true;
    return false;
}

class PlayerWorld : public HeadlessGame, protected TestFolder {
protected:
    Stage stage{}, otherStage{};
    PlayerRecord* player = nullptr;
    int worlds = 0;

    // folderPrefix names the test folder of each process.
    explicit PlayerWorld(const char* folderPrefix) : folderPrefix(folderPrefix) {}

    void SetUp() override
    {
        HeadlessGame::SetUp();
        EnterTestFolder(folderPrefix);
        FreeObjectTypeRegistry();
        forceFree = 0;
        ASSERT_TRUE(datakit::WritePlayerData("."));
        currentStage = &stage;
        previousStage = &otherStage;
        ResetPlayerWorldGlobals();
    }

    void TearDown() override
    {
        PutPlayerWorldGlobalsBack();
        LeaveTestFolder();
        HeadlessGame::TearDown();
    }

    // Makes the world the current layout, each in a folder of its own.
    void LoadWorld(const datakit::CollisionWorld& world)
    {
        LoadCollisionWorld("Data/Stages/World" + std::to_string(worlds++), world);
    }

    // Spawns the player at (x, y); its type must be loaded.
    void SpawnPlayerAt(f32 x, f32 y)
    {
        lastSpawnedInstance = nullptr;
        SpawnObject(&Player, x, y, 0, 0);
        player = (PlayerRecord*)lastSpawnedInstance;
        ASSERT_NE(player, nullptr);
    }

    static void Press(u32 held, u32 pressed = 0)
    {
        playerControls[0].heldMask = held | pressed;
        playerControls[0].pressedMask = pressed;
    }

    // One tick of the player as the stage runs it: the update passes, then the late update, then
    // the cameras.
    void Tick(u32 held, u32 pressed = 0)
    {
        Press(held, pressed);
        UpdateObjects();
        Player.LateUpdate(player);
        UpdateCameras();
    }

    // A flat floor whose top row is groundY, across the whole world.
    static datakit::CollisionWorld Flat(u32 widthTiles = 48, u32 heightTiles = 16, i32 groundY = 192)
    {
        datakit::CollisionWorld world(widthTiles, heightTiles);
        world.Box(0, groundY, world.Width(), world.Height());
        return world;
    }

private:
    const char* folderPrefix;
};
