// BreakWall: a breakable block of 2 x 2 tiles. The wall is an invisible hurt box on the block, drawn
// by the stage's tile layers; an attack other than the whip's clears the block's cells and sends
// its tiles flying as pieces (spawn byte A 1) of the same type.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/ObjectType.h"
#include "Game/Actors/ActorBlock.h"

constexpr const char breakWallManPath[] = "Data/Sprites/Global/BreakWall/BreakWall.man";
constexpr const char breakWallVepPath[] = "Data/Sprites/Global/BreakWall/BreakWall.vep";

// Spawn byte A.
enum : u8 {
    BreakWallKindWall = 0,
    BreakWallKindPiece = 1,
};

constexpr f32 breakWallPieceGravity = 0.28125f;

struct BreakWallRecord {
    ObjectHeader* header;
    ActorBlock actor;
    AnimPlayer anim;
    i16 tileEntry; // the map entry a piece shows
};

extern ObjectType BreakWall;
extern BreakWallRecord** breakWallInstances;
extern AnimSet breakWallAnimSet;
extern ActorProperties breakWallProperties;

void BreakWallLoad(const char* placementPath);
void BreakWallUnload();
void BreakWallInit(void* instance);
void BreakWallReset(void* instance);
void BreakWallUpdate(void* instance);
void BreakWallLateUpdate(void* instance);
void BreakWallLeaveView(void* instance);
void BreakWallDraw(void* instance);
void BreakWallEditorPreview(void* cursor);
void BreakWallEditorPlace(void* cursor);

// Breaks one cell in every layer of breakWallLayers; the first two layers give a piece for a
// non-empty cell. Cells and layers outside the current layout are left alone.
void BreakWallShatter(i32 tileX, i32 tileY, f32 vx, f32 vy);
// Whether breakWallLayers names four layers of the current layout; a wall breaks only then.
bool BreakWallLayersValid();
