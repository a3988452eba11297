// Froacker: one type with three variants chosen by its "type" key. The walker turns at edges; Chuck,
// once the player hits it, keeps its distance and lobs Projectiles; Larry, once hit, runs at the
// player, leaps, chases it at speed for a while and slows down. Each has its palette and properties.
#pragma once
#include "Game/Actors/EnemyLibrary.h"

constexpr const char froackerManPath[] = "Data/Sprites/Enemies/Froacker/Froacker.man";
constexpr const char froackerPurpleVepPath[] = "Data/Sprites/Enemies/Froacker/FroackerPurple.vep";
constexpr const char froackerRedVepPath[] = "Data/Sprites/Enemies/Froacker/FroackerRed.vep";
constexpr const char froackerBlueVepPath[] = "Data/Sprites/Enemies/Froacker/FroackerBlue.vep";
constexpr const char froackerYellowVepPath[] = "Data/Sprites/Enemies/Froacker/FroackerYellow.vep";
constexpr const char froackerHitPath[] = "Data/SFX/Enemies/Froacker/FroackerHit.wav";
constexpr const char froackerDeathPath[] = "Data/SFX/Enemies/Froacker/FroackerDeath.wav";

// Variants, also the palette each is drawn with.
enum : u8 {
    VariantWalker = 0,
    VariantChuck = 1,
    VariantLarry = 2,
};

// Animations of the set the variants choose themselves (the library's choices come from the files).
enum : u16 {
    froackerHurtAnim = 6,
    froackerHopAnim = 10,      // Chuck's hop when provoked
    froackerAimAnim = 11,      // Chuck keeping its distance
    froackerThrowAnim = 12,    // Chuck's throw: spawns at frame 0, holds 1-5, lets go at 6
    froackerLarryHopAnim = 13, // Larry's hop when provoked
    froackerRunAnim = 14,
    froackerLeapAnim = 15,
    froackerChaseAnim = 16,
    froackerSlowAnim = 17,
};

constexpr u16 froackerThrowFrame = 6;

struct FroackerRecord;
typedef void (*FroackerState)(FroackerRecord* froacker);

struct FroackerRecord {
    ObjectHeader* header;
    ActorBlock actor;
    AnimPlayer anim;
    f32 savedVx, savedVy; // the header's speeds at the end of the last Update
    FroackerState state;
    ObjectHeader* target; // the player that provoked it
    u8 chasing;
    i8 type;       // placement key "type"
    u8 faceRight;  // placement key "faceRight"
    u8 timer;
    i32 heldProjectile; // index in the Projectile pool, -1 none
    u8 shotPending;     // a shot was spawned in this throw
};

extern ObjectType Froacker;
extern FroackerRecord** froackerInstances;
extern AnimSet froackerAnimSet;
extern ActorProperties froackerPurpleProperties, froackerRedProperties, froackerBlueProperties,
    froackerYellowProperties;
extern u8 froackerEditorVariant;

void FroackerLoad(const char* placementPath);
void FroackerUnload();
void FroackerBind(void* instance, u32 index, ObjectHeader* header);
void FroackerInit(void* instance);
void FroackerReset(void* instance);
void FroackerWalker(FroackerRecord* froacker);
void FroackerChuck(FroackerRecord* froacker);
void FroackerLarry(FroackerRecord* froacker);
void FroackerUpdate(void* instance);
void FroackerLateUpdate(void* instance);
void FroackerLeaveView(void* instance);
void FroackerDraw(void* instance);
void FroackerEditorPreview(void* cursor);
void FroackerEditorPlace(void* cursor);
