// Object types on a stage entered anew, in a test folder of the suite's own: the shell up headless,
// the type registry empty and a current stage other than the previous one, so the loaders take
// their references. Objects that only read a player's record (menus, cards, the HUD) get a stand-in
// player: the Player type registered with handlers that do nothing.
#pragma once
#include "Engine/Common/ObjectType.h"
#include "Game/Player/Player.h"
#include "tests/unit/HeadlessGame.h"
#include "tests/unit/TestFolder.h"

extern u8 forceFree;

// For types registered by hand: they own nothing to free.
inline void NoUnload() {}

class FreshStage : public HeadlessGame, protected TestFolder {
protected:
    explicit FreshStage(const char* folderPrefix) : folderPrefix(folderPrefix) {}

    Stage stage{}, otherStage{};
    PlayerRecord* player = nullptr;

    void SetUp() override
    {
        HeadlessGame::SetUp();
        EnterTestFolder(folderPrefix);
        FreeObjectTypeRegistry();
        forceFree = 0;
        currentStage = &stage;
        previousStage = &otherStage;
    }

    // A suite's TearDown ends with this one, once it has put back what it changed.
    void TearDown() override
    {
        LeaveTestFolder();
        HeadlessGame::TearDown();
    }

    // The stand-in player spawned at (x, y) as `player`. Asserts: callers check for a fatal
    // failure after it.
    void SpawnStandInPlayer(f32 x, f32 y)
    {
        Player.cullMarginX = Player.cullMarginY = -1;
        RegisterObjectType(nullptr, &Player, (void***)&playerInstances, sizeof(PlayerRecord), ObjectNoOp, ObjectNoOp,
                           ObjectNoOp, ObjectNoOp, ObjectNoOp, ObjectNoOp, ObjectNoOp, nullptr, nullptr, NoUnload);
        lastSpawnedInstance = nullptr;
        SpawnObject(&Player, x, y, 0, 0);
        player = (PlayerRecord*)lastSpawnedInstance;
        ASSERT_NE(player, nullptr);
    }

private:
    const char* folderPrefix;
};
