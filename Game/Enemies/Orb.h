// Orb: floats in place, bobbing, with a spinning overlay whose angle also turns its knock-back.
#pragma once
#include "Game/Actors/EnemyLibrary.h"

constexpr const char orbManPath[] = "Data/Sprites/Enemies/Orb/Orb.man";
constexpr const char orbVepPath[] = "Data/Sprites/Enemies/Orb/Orb.vep";

// Animations of the set.
constexpr u16 orbBodyAnim = 0;
constexpr u16 orbSpinAnim = 1; // the second cursor, drawn turned by the spin angle

struct OrbRecord {
    ObjectHeader* header;
    ActorBlock actor;
    AnimPlayer anim;
    AnimPlayer spin;
};

extern ObjectType Orb;
extern OrbRecord** orbInstances;
extern AnimSet orbAnimSet;
extern ActorProperties orbProperties;

void OrbLoad(const char* placementPath);
void OrbUnload();
void OrbInit(void* instance);
void OrbReset(void* instance);
void OrbUpdate(void* instance);
void OrbLateUpdate(void* instance);
void OrbDraw(void* instance);
