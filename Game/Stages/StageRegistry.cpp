#include "Game/Stages/StageRegistry.h"

Stage studioSplashStage, engineSplashStage, titleStage, thanksStage, creditsStage, wipStage;
Stage graveyardStage, village1Stage, bossRushStage, boneZoneStage, testStage;

namespace {

StageGroup presentationGroup, mainStagesGroup, extrasGroup, mediaGroup, debugGroup;

} // namespace

void RegisterStages()
{
    if (stageGroupsCreated)
        return;
    AddStageGroup(&presentationGroup, "Presentation");
    AddStageGroup(&mainStagesGroup, "Main Stages");
    AddStageGroup(&extrasGroup, "Extras");
    AddStageGroup(&mediaGroup, "Media");
    AddStageGroup(&debugGroup, "Debug");

    // The stages' handlers are filled in as the stages are built; a null handler is not called.
    AddStage(&presentationGroup, &studioSplashStage, "Orlenvast Splash", nullptr, nullptr, nullptr, nullptr);
    AddStage(&presentationGroup, &engineSplashStage, "Palvic Splash", nullptr, nullptr, nullptr, nullptr);
    AddStage(&presentationGroup, &titleStage, "Title Screen", nullptr, nullptr, nullptr, nullptr);
    AddStage(&presentationGroup, &thanksStage, "Thanks For Playing!", nullptr, nullptr, nullptr, nullptr);
    AddStage(&presentationGroup, &creditsStage, "Credits", nullptr, nullptr, nullptr, nullptr);
    AddStage(&presentationGroup, &wipStage, "WIP Disclaimer", nullptr, nullptr, nullptr, nullptr);
    AddStage(&mainStagesGroup, &graveyardStage, "Graveyard", nullptr, nullptr, nullptr, nullptr);
    AddStage(&mainStagesGroup, &village1Stage, "Village 1", nullptr, nullptr, nullptr, nullptr);
    AddStage(&extrasGroup, &bossRushStage, "Boss Rush", nullptr, nullptr, nullptr, nullptr);
    AddStage(&mediaGroup, &boneZoneStage, "The Bone Zone", nullptr, nullptr, nullptr, nullptr);
    AddStage(&debugGroup, &testStage, "Test", nullptr, nullptr, nullptr, nullptr);
}

Stage* FirstStage()
{
    return &wipStage;
}
