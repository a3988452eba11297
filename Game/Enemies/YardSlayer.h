// YardSlayer: a ghost that drifts to and fro around its home. Hit, it vanishes in a puff, comes back
// behind whoever hit it (the whip's owner for a whip), laughs, closes in, attacks and goes home.
#pragma once
#include "Game/Actors/EnemyLibrary.h"

constexpr const char yardSlayerManPath[] = "Data/Sprites/Enemies/YardSlayer/YardSlayer.man";
constexpr const char yardSlayerVepPath[] = "Data/Sprites/Enemies/YardSlayer/YardSlayer.vep";
constexpr const char yardSlayerHitPath[] = "Data/SFX/Enemies/YardSlayer/YardSlayerHit.wav";
constexpr const char yardSlayerDeathPath[] = "Data/SFX/Enemies/YardSlayer/YardSlayerDeath.wav";
constexpr const char yardSlayerLaughPath[] = "Data/SFX/Enemies/YardSlayer/YardSlayerLaugh.wav";

// The header's state byte.
enum : u8 {
    YardSlayerRoaming = 0,
    YardSlayerVanished = 1,
    YardSlayerClosingIn = 2,
    YardSlayerAttacking = 3,
    YardSlayerReturning = 4, // hidden on its way home
};

// Animations: 0 drifting, 1 the laugh on its return, 2 the attack.
enum : u16 {
    yardSlayerLaughAnim = 1,
    yardSlayerAttackAnim = 2,
};

constexpr f32 yardSlayerDefaultRange = 212.0f;
constexpr f32 yardSlayerBehind = 88.0f; // how far behind its target it comes back
constexpr f32 yardSlayerRoamPhase = 129.0f;

struct YardSlayerRecord {
    ObjectHeader* header;
    ActorBlock actor;
    AnimPlayer anim;
    f32 roamRange;     // placement key "roamRange"; 0 = the default
    u8 homeDirection;  // the direction taken after each return
    u8 vanishTimer;
    i16 approachTimer;
    u8 approachDelay;
    ActorBlock* target; // what it pursues: a hitter, the hitter's owner or player 1
    u8 hasTarget;
    u8 faceRight; // placement key "faceRight"; read by nothing
};

extern ObjectType YardSlayer;
extern YardSlayerRecord** yardSlayerInstances;
extern AnimSet yardSlayerAnimSet;
extern ActorProperties yardSlayerProperties;

void YardSlayerLoad(const char* placementPath);
void YardSlayerUnload();
void YardSlayerBind(void* instance, u32 index, ObjectHeader* header);
void YardSlayerInit(void* instance);
void YardSlayerReset(void* instance);
// Vanish and head home: hidden, a puff where it was.
void YardSlayerSpawn(YardSlayerRecord* slayer);
void YardSlayerUpdate(void* instance);
void YardSlayerLateUpdate(void* instance);
void YardSlayerDraw(void* instance);
void YardSlayerEditorPreview(void* cursor);
void YardSlayerEditorPlace(void* cursor);
