// Draven: a crow on its perch. Hit by the player it caws, hovers facing the player, dives at it,
// climbs back to the perch and rests there before it can be provoked again. It flies through tiles.
#pragma once
#include "Game/Actors/EnemyLibrary.h"

constexpr const char dravenManPath[] = "Data/Sprites/Enemies/Draven/Draven.man";
constexpr const char dravenVepPath[] = "Data/Sprites/Enemies/Draven/Draven.vep";
constexpr const char dravenHitSoundPath[] = "Data/SFX/Enemies/Draven/DravenHit.wav";
constexpr const char dravenDeathSoundPath[] = "Data/SFX/Enemies/Draven/DravenDeath.wav";
constexpr const char dravenCawSoundPath[] = "Data/SFX/Enemies/Draven/DravenCaw.wav";
constexpr const char dravenFlapSoundPath[] = "Data/SFX/Enemies/Draven/DravenFlap.wav";

// Animations of the set: perched, hovering, flying back; the flap is heard on frame 4.
constexpr u16 dravenPerchAnim = 0;
constexpr u16 dravenHoverAnim = 1;
constexpr u16 dravenReturnAnim = 2;
constexpr u16 dravenFlapFrame = 4;
// Hover length and rest after a return, in ticks.
constexpr i8 dravenTimer = 90;

// States of the header's state byte.
enum : u8 {
    DravenPerched = 0,
    DravenStartled = 1,
    DravenDiving = 2,
    DravenReturning = 3,
};

struct DravenRecord {
    ObjectHeader* header;
    ActorBlock actor;
    AnimPlayer anim;
    ObjectHeader* target; // the player that provoked it
    u8 chasing;
    i8 timer;     // hover length, then rest after a return
    u8 faceRight; // placement key
};

extern ObjectType Draven;
extern DravenRecord** dravenInstances;
extern AnimSet dravenAnimSet;
extern ActorProperties dravenProperties;
extern u32 dravenHitSound, dravenDeathSound, dravenCawSound, dravenFlapSound;

void DravenLoad(const char* placementPath);
void DravenUnload();
void DravenInit(void* instance);
void DravenReset(void* instance);
void DravenUpdate(void* instance);
void DravenLateUpdate(void* instance);
void DravenLeaveView(void* instance);
void DravenEditorPreview(void* cursor);
void DravenEditorPlace(void* cursor);
