// What the stages and the objects share. The game's stage records, which the registry fills and
// objects name to start a stage or to ask which one is current; and what a gameplay stage's load and
// start handlers tell the objects: the collision layer, the pass-through layer, the layer the whip
// reads, the layers walls shatter in, and the handler the whip calls when its tip strikes a sloped
// tile.
#pragma once
#include "Engine/Common/StageSwitch.h"
#include "Engine/Common/Types.h"

struct ObjectHeader;

extern Stage studioSplashStage, engineSplashStage, titleStage, thanksStage, creditsStage, wipStage;
extern Stage graveyardStage, village1Stage, bossRushStage, boneZoneStage, testStage;

typedef void (*TileStrikeHandler)(void* whip);

extern u32 stageCollisionLayer;
extern u8 collisionLayerTable[4]; // [1] is the pass-through layer
extern u8 playerStageSetting;     // the layer before the collision layer
extern u8 breakWallLayers[4];
extern TileStrikeHandler tileStrikeHandler; // none until a stage sets one

// Puts a body on the stage's collision layer (the movers take its map from the current layout).
void PutOnStageCollisionLayer(ObjectHeader* header);
