// AudreyShot: Audrey's shot. It flies straight without tile collision for 48 ticks, then shrinks
// away over 5; a hit makes it shrink at once.
#pragma once
#include "Game/Actors/EnemyLibrary.h"

constexpr const char audreyShotManPath[] = "Data/Sprites/Enemies/Audrey/AudreyShot.man";
constexpr const char audreyShotVepPath[] = "Data/Sprites/Enemies/Audrey/AudreyShot.vep";

// Ticks of flight before the shot starts to shrink, and the shrink of one tick.
constexpr u8 audreyShotLife = 48;
constexpr f32 audreyShotShrink = 0.2f;

struct AudreyShotRecord {
    ObjectHeader* header;
    ActorBlock actor;
    AnimPlayer anim;
    u8 life;
};

extern ObjectType AudreyShot;
extern AudreyShotRecord** audreyShotInstances;
extern AnimSet audreyShotAnimSet;
extern ActorProperties audreyShotProperties;

void AudreyShotLoad(const char* placementPath);
void AudreyShotUnload();
void AudreyShotInit(void* instance);
void AudreyShotReset(void* instance);
void AudreyShotUpdate(void* instance);
void AudreyShotLateUpdate(void* instance);
void AudreyShotDraw(void* instance);
// Lets go of the owner's children slot, only while the owner still holds this very shot there.
void DetachAudreyShot(AudreyShotRecord* shot);
