// Audrey: a stationary shooter. After two counted hits it answers with an attack animation that
// fires one AudreyShot. Its Load also loads AudreyShot, its Unload unloads it.
#pragma once
#include "Game/Actors/EnemyLibrary.h"

constexpr const char audreyManPath[] = "Data/Sprites/Enemies/Audrey/Audrey.man";
constexpr const char audreyVepPath[] = "Data/Sprites/Enemies/Audrey/Audrey.vep";
constexpr const char audreyHitSoundPath[] = "Data/SFX/Enemies/Audrey/AudreyHit.wav";
constexpr const char audreyDeathSoundPath[] = "Data/SFX/Enemies/Audrey/AudreyDeath.wav";
constexpr const char audreyShotSoundPath[] = "Data/SFX/Enemies/Audrey/AudreyShot.wav";

// Animations of the set, the frame of the attack that lets the shot go, and the hits that provoke it.
constexpr u16 audreyIdleAnim = 0;
constexpr u16 audreyAttackAnim = 1;
constexpr u16 audreyFireFrame = 12;
constexpr u8 audreyHitsToAttack = 2;

// States of the header's state byte.
enum : u8 {
    AudreyIdle = 0,
    AudreyAttacking = 1,
};

struct AudreyRecord {
    ObjectHeader* header;
    ActorBlock actor;
    AnimPlayer anim;
    u8 fired;     // the shot of the current attack has left
    u8 faceRight; // placement key
    u8 hitCount;  // hits counted toward the next attack
};

extern ObjectType Audrey;
extern AudreyRecord** audreyInstances;
extern AnimSet audreyAnimSet;
extern ActorProperties audreyProperties;
extern u32 audreyHitSound, audreyDeathSound, audreyShotSound;

void AudreyLoad(const char* placementPath);
void AudreyUnload();
void AudreyInit(void* instance);
void AudreyReset(void* instance);
void AudreyUpdate(void* instance);
void AudreyLateUpdate(void* instance);
void AudreyEditorPreview(void* cursor);
void AudreyEditorPlace(void* cursor);
