// The game's table of stages: the five groups and the eleven stages with their handlers.
#include "Engine/Common/StageSwitch.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Stages/FrontEndStages.h"
#include "Game/Stages/GameplayStages.h"
#include "Game/Stages/SplashStages.h"
#include "Game/Stages/ThanksStage.h"

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
    AddStage(&presentationGroup, &studioSplashStage, "Orlenvast Splash", StudioSplashStageFrame,
             StudioSplashStageStart, StudioSplashStageLoad, StudioSplashStageUnload);
    AddStage(&presentationGroup, &engineSplashStage, "Palvic Splash", EngineSplashStageFrame,
             EngineSplashStageStart, EngineSplashStageLoad, EngineSplashStageUnload);
    AddStage(&presentationGroup, &titleStage, "Title Screen", TitleStageFrame, TitleStageStart, TitleStageLoad,
             TitleStageUnload);
    AddStage(&presentationGroup, &thanksStage, "Thanks For Playing!", ThanksStageFrame, ThanksStageStart,
             ThanksStageLoad, ThanksStageUnload);
    AddStage(&presentationGroup, &creditsStage, "Credits", CreditsStageFrame, CreditsStageStart, CreditsStageLoad,
             CreditsStageUnload);
    AddStage(&presentationGroup, &wipStage, "WIP Disclaimer", WipStageFrame, WipStageStart, WipStageLoad,
             WipStageUnload);
    AddStage(&mainStagesGroup, &graveyardStage, "Graveyard", GraveyardStageFrame, GraveyardStageStart,
             GraveyardStageLoad, GraveyardStageUnload);
    AddStage(&mainStagesGroup, &village1Stage, "Village 1", GameplayStageFrame, Village1StageStart,
             Village1StageLoad, Village1StageUnload);
    AddStage(&extrasGroup, &bossRushStage, "Boss Rush", GameplayStageFrame, BossRushStageStart, BossRushStageLoad,
             BossRushStageUnload);
    AddStage(&mediaGroup, &boneZoneStage, "The Bone Zone", BoneZoneStageFrame, BoneZoneStageStart,
             BoneZoneStageLoad, BoneZoneStageUnload);
    AddStage(&debugGroup, &testStage, "Test", GameplayStageFrame, TestStageStart, TestStageLoad, TestStageUnload);
}

Stage* FirstStage()
{
    return &wipStage;
}
