// Corn: a placed, invisible plant that raises eight stalks at the points of its frame. A stalk
// bends away from what brushes through it and springs back, slows what passes through, and is cut
// by an attack into its cut picture and a burst of debris.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/ObjectType.h"
#include "Game/Actors/ActorBlock.h"

constexpr const char cornManPath[] = "Data/Sprites/Gimmicks/Corn/Corn.man";
constexpr const char cornVepPath[] = "Data/Sprites/Gimmicks/Corn/Corn.vep";

// Roles by spawn byte A: the plant, then the front and back stalks; cut stalks show A + 2.
enum : u8 {
    CornPlant = 0,
    CornFront = 1,
    CornBack = 2,
};

constexpr u16 cornUprightFrame = 5;
constexpr u8 cornStalkCount = 8;

struct CornRecord {
    ObjectHeader* header;
    ActorBlock actor; // right after the header, where hit resolution finds every actor's block
    AnimPlayer anim;  // its frame is the bend: 5 upright
    u8 piecesSpawned;
    i8 bendTimer;
    u8 grounded;
    u8 cut;
};

extern ObjectType Corn;
extern CornRecord** cornInstances;
extern AnimSet cornAnimSet;
extern ActorProperties cornProperties;

void CornLoad(const char* placementPath);
void CornUnload();
void CornInit(void* instance);
void CornReset(void* instance);
void CornBind(void* instance, u32 index, ObjectHeader* header);
void CornUpdate(void* instance);
void CornLateUpdate(void* instance);
void CornDraw(void* instance);
void CornEditorPreview(void* cursor);
void CornEditorPlace(void* cursor);
