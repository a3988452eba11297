#include "Game/Actors/StageSettings.h"

#include "Engine/Common/ObjectType.h"

Stage studioSplashStage, engineSplashStage, titleStage, thanksStage, creditsStage, wipStage;
Stage graveyardStage, village1Stage, bossRushStage, boneZoneStage, testStage;

u32 stageCollisionLayer;
u8 collisionLayerTable[4];
u8 playerStageSetting;
// No layers until a stage names them: walls do not shatter.
u8 breakWallLayers[4] = {255, 255, 255, 255};
TileStrikeHandler tileStrikeHandler;

void PutOnStageCollisionLayer(ObjectHeader* header)
{
    // The movers take the layer's map and tiles from the current layout at every move, and a layer
    // index past the layout's layers moves the body without tile collision.
    header->collisionLayer = (u8)stageCollisionLayer;
}
