// CandleHead: lit while the boxes' blink is set, with a flickering flame drawn over it.
#pragma once
#include "Game/Actors/EnemyLibrary.h"

constexpr const char candleHeadManPath[] = "Data/Sprites/Enemies/CandleHead/CandleHead.man";
constexpr const char candleHeadVepPath[] = "Data/Sprites/Enemies/CandleHead/CandleHead.vep";

// Animations of the set.
constexpr u16 candleUnlitAnim = 0; // held on its first frame while unlit
constexpr u16 candleLitAnim = 1;
constexpr u16 candleFlameAnim = 2; // the second cursor, drawn blended over the body

struct CandleHeadRecord {
    ObjectHeader* header;
    ActorBlock actor;
    AnimPlayer anim;
    AnimPlayer flame;
};

extern ObjectType CandleHead;
extern CandleHeadRecord** candleHeadInstances;
extern AnimSet candleHeadAnimSet;
extern ActorProperties candleHeadProperties;

void CandleHeadLoad(const char* placementPath);
void CandleHeadUnload();
void CandleHeadInit(void* instance);
void CandleHeadReset(void* instance);
void CandleHeadUpdate(void* instance);
void CandleHeadLateUpdate(void* instance);
void CandleHeadDraw(void* instance);
void CandleHeadEditorPreview(void* cursor);
void CandleHeadEditorPlace(void* cursor);
