// The enemy library: what every enemy type shares. An enemy's Update sets its block's input bytes
// and calls EnemyStep then EnemyAnimate; its LateUpdate calls EnemyLateUpdate, which moves the body,
// bounces a knocked-back body off walls, ceilings and floors, registers the attack boxes and runs
// the death; its Draw calls DrawEnemySprite (through EnemyDraw).
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/ObjectType.h"
#include "Game/Actors/ActorBlock.h"

// The head of every enemy's instance data: header pointer, actor block, main cursor. Types keep
// their own fields after it (CandleHead and Orb a second cursor).
struct EnemyRecord {
    ObjectHeader* header;
    ActorBlock actor;
    AnimPlayer anim;
};

// Input bytes of the block read by the library.
enum : u8 {
    InputLeft = 2,
    InputRight = 3,
    InputJump = 4,
};

// Walking directions of the block's `direction` byte.
enum : u8 {
    DirectionLeft = 1,
    DirectionRight = 2,
    DirectionNone = 3,
};

// Modes of ChooseSlopeDirection: turn at walls, at edges, or at both.
enum : u8 {
    TurnAtWalls = 0,
    TurnAtEdges = 1,
    TurnAtWallsAndEdges = 2,
};

// The death: hit-stop given on the first dying tick, and the burst of bones.
constexpr i16 deathHitlag = 38;
constexpr i16 deathFadeStart = 26; // the body fades and bursts while the hit-stop is 1-26

// One full step of the body's own motion: 1 after a full step, 0 when it only animated or is dead.
i32 EnemyStep(ActorBlock* actor);
// One tick of the body's animation and the library's choice of animation.
void EnemyAnimate(ActorBlock* actor);
// The move of one tick (frozen during hit-stop unless moveDuringHitlag).
void MoveEnemy(ObjectType* type, void* instance, ActorBlock* actor);
// Move, bounces, boxes and the death. Returns the index of the last attack box registered this
// tick (-1 when none), -1 with noBoxes, 0 while dying.
i32 EnemyLateUpdate(ObjectType* type, void* instance, ActorBlock* actor);
// 8-16 pieces of debris at (x, y), one layer above the given one.
void SpawnGiblets(f32 x, f32 y, u8 drawLayer);
// Draws the block's current frame with its shake, and the debug readout when debugView is on.
void DrawEnemySprite(ActorBlock* actor);
// A patrolling body's walking direction (1 left, 2 right) after turning at walls and edges.
u8 ChooseSlopeDirection(ActorBlock* actor, u8 mode);

// Shared handlers of the enemy types.
void EnemyBind(void* instance, u32 index, ObjectHeader* header);
void EnemyDraw(void* instance);
// The common step: EnemyStep, no walking while a jump is wanted on the ground, EnemyAnimate.
void EnemyCommonStep(ActorBlock* actor);
// The common Reset: animation 0 from frame 0 when the set is loaded.
void EnemyCommonReset(EnemyRecord* enemy, AnimSet* set);
// The first half of the common Init: library defaults, then the type's properties.
void EnemyCommonInit(EnemyRecord* enemy, ActorProperties* properties);

// Type settings written before registering an enemy type.
struct EnemyTypeSettings {
    u64 recordBytes;
    u32 growthStep;
    u8 updatePass;
    u8 drawLayer;
    i16 cullMarginX, cullMarginY;
};

// Writes the settings and registers the type with its handlers; the rest of the Load (editor
// slots, name, placements) stays with the type.
void RegisterEnemyType(const char* placementPath, ObjectType* type, void*** instances,
                       const EnemyTypeSettings& settings, ObjectHandler Update, ObjectHandler LateUpdate,
                       ObjectHandler Draw, ObjectHandler LeaveView, ObjectHandler Reset, ObjectHandler Init,
                       ObjectLoadHandler Load, ObjectUnloadHandler Unload);
// The common Unload without sounds: the set, one use of the properties (counted into debugText),
// one use of the type.
void UnloadEnemyType(ObjectType* type, AnimSet* set, ActorProperties* properties);
// The editor's preview of a type: frame 0 of animation 0 at the cursor, unflipped.
void DrawEnemyEditorPreview(AnimSet* set, void* cursor);

// Whether the cursor shows the animation (-1 never).
bool ShowsAnim(const AnimPlayer* cursor, i32 animation);
