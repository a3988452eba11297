// The stage switch: the stage records and groups the dev menu lists, the current, previous and
// pending stage, and the switch that loads the new stage before it unloads the old one. The game
// fills the table of stages (RegisterStages) and names its first stage.
#pragma once
#include <cstdint>

#include "Engine/Common/Types.h"

typedef void (*StageHandler)();

struct Stage {
    StageHandler frame;  // StageFrame: once a tick while the stage is current
    StageHandler start;  // StageStart
    StageHandler load;   // StageLoad
    StageHandler unload; // StageUnload
    u16 reserved;
    char name[64];
    u16 groupNumber;  // 1-based position of the stage's group
    u16 indexInGroup; // 1-based position within the group
    u8 started;
    u8 loaded;
    i32 layoutSlot;
};

struct StageGroup {
    Stage** stages;
    u16 stageCount;
    char name[32];
    u16 groupNumber;
    u8 added;
};

extern StageGroup** stageGroups;
extern u16 stageGroupCount;
extern u8 stageGroupsCreated;

extern Stage* currentStage;
extern Stage* previousStage;
// The request served at the next tick: null, a stage, or StageRestart().
extern Stage* pendingStage;
extern u8 stageSwitching;
extern u8 pauseMenuOpen;

// The value of pendingStage that asks for the current stage to be restarted (all bits set).
inline Stage* StageRestart()
{
    return reinterpret_cast<Stage*>(~uintptr_t(0));
}

// Whether the running stage is the given one: the same record, or the same place in the registry.
bool CurrentStageIs(const Stage& stage);

// Appends a group (name null: "Blank"). A group the array cannot grow for is left out.
void AddStageGroup(StageGroup* group, const char* name);
// Appends a stage to a group with its handlers. A stage the array cannot grow for is left out.
void AddStage(StageGroup* group, Stage* stage, const char* name, StageHandler frame, StageHandler start,
              StageHandler load, StageHandler unload);
// The game's side: builds its groups and stages once, and names the stage the game starts on.
void RegisterStages();
Stage* FirstStage();
// Switches to a stage at once: new load before the old unload (a restart loads only), start last.
void GoToStage(Stage* stage);
// The game thread's service of pendingStage, once a tick after the hotkeys.
void ServePendingStage();
// Shutdown: unloads every loaded stage and frees the registry.
void FreeStageRegistry();
