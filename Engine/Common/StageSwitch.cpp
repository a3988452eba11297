#include "Engine/Common/StageSwitch.h"

#include <cstdio>
#include <cstdlib>

#include "Engine/Common/ObjectType.h"

StageGroup** stageGroups;
u16 stageGroupCount;
u8 stageGroupsCreated;

Stage* currentStage;
Stage* previousStage;
Stage* pendingStage;
u8 stageSwitching;
u8 pauseMenuOpen;

bool CurrentStageIs(const Stage& stage)
{
    if (!currentStage)
        return false;
    if (currentStage == &stage)
        return true;
    return stage.groupNumber != 0 && currentStage->groupNumber == stage.groupNumber &&
           currentStage->indexInGroup == stage.indexInGroup;
}

void AddStageGroup(StageGroup* group, const char* name)
{
    StageGroup** grown = (StageGroup**)realloc(stageGroups, sizeof(StageGroup*) * (stageGroupCount + 1u));
    if (!grown)
        return;
    stageGroups = grown;
    stageGroups[stageGroupCount++] = group;
    snprintf(group->name, sizeof(group->name), "%s", name ? name : "Blank");
    group->groupNumber = stageGroupCount;
    group->stages = nullptr;
    group->stageCount = 0;
    group->added = 1;
    stageGroupsCreated = 1;
}

void AddStage(StageGroup* group, Stage* stage, const char* name, StageHandler frame, StageHandler start,
              StageHandler load, StageHandler unload)
{
    Stage** grown = (Stage**)realloc(group->stages, sizeof(Stage*) * (group->stageCount + 1u));
    if (!grown)
        return;
    group->stages = grown;
    group->stages[group->stageCount++] = stage;
    stage->frame = frame;
    stage->start = start;
    stage->load = load;
    stage->unload = unload;
    stage->reserved = 0;
    snprintf(stage->name, sizeof(stage->name), "%s", name);
    stage->groupNumber = group->groupNumber;
    stage->indexInGroup = group->stageCount;
    stage->started = 1;
}

void GoToStage(Stage* stage)
{
    pauseMenuOpen = 0;
    Stage* old = currentStage;
    stageSwitching = 1;
    currentStage = stage;
    if (old) {
        previousStage = old;
        pendingStage = nullptr;
        if (old != stage) {
            placeableTypeCount = 0;
            if (stage->load)
                stage->load();
            if (old->unload)
                old->unload();
        } else if (stage->load) {
            stage->load();
        }
    } else if (stage->load) {
        stage->load();
    }
    if (currentStage->start)
        currentStage->start();
}

void ServePendingStage()
{
    if (pendingStage == StageRestart()) {
        if (currentStage)
            pendingStage = currentStage;
    } else if (pendingStage) {
        GoToStage(pendingStage);
    }
}

void FreeStageRegistry()
{
    if (!stageGroupsCreated)
        return;
    for (u16 g = 0; g < stageGroupCount; ++g) {
        StageGroup* group = stageGroups[g];
        for (u16 s = 0; s < group->stageCount; ++s)
            if (group->stages[s]->loaded && group->stages[s]->unload)
                group->stages[s]->unload();
        free(group->stages);
        group->stages = nullptr;
        group->stageCount = 0;
    }
    free(stageGroups);
    stageGroups = nullptr;
    stageGroupCount = 0;
    stageGroupsCreated = 0;
}
