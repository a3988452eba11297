// The game's table of stages: the five groups and the eleven stages with their handlers.
#pragma once
#include "Engine/Common/StageSwitch.h"

extern Stage studioSplashStage, engineSplashStage, titleStage, thanksStage, creditsStage, wipStage;
extern Stage graveyardStage, village1Stage, bossRushStage, boneZoneStage, testStage;
