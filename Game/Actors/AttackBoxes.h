// The attack boxes: the instance pool of the Hazard type, 1024 boxes of one frame, refilled every
// frame from the animation frames of the fighting objects.
#pragma once
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Anim.h"

struct ActorBlock;

// Flag word of a box.
enum : u16 {
    BoxSolid = 0x1,
    BoxMatchFlag = 0x2,
    BoxOncePerAttack = 0x4,
    BoxClash = 0x8,
    BoxWhipProof = 0x10,
};

// Kinds of box.
enum : u8 {
    BoxHurt = 0,
    BoxAttack = 1,
    BoxAttackFresh = 2,
    BoxTouch = 3,
};

struct AttackBox {
    ObjectHeader* header;
    ActorBlock* owner;
    AnimPlayer cursors[2];
    u8 inUse;
    i64 left, right, top, bottom; // world pixels, inclusive
    u8 kind;
    u16 flags;
    u8 hitlag;
    f32 knockback;
    f32 damage;
    u8 angle;
};

constexpr u32 attackBoxTotal = 1024;
constexpr u32 attackBoxTypeSlot = 69;

extern ObjectType Hazard;
extern AttackBox** hazardInstances;
extern u32 attackBoxCount;
extern u32 attackSerialCounter;
extern u8 boxBlink;
extern u16 boxBlinkTimer;
extern u8 debugView; // draws boxes and hitboxes; off in play
extern AnimSet hazardAnimSet;
// The shared hit, death and explosion sounds of the actors, held by the Hazard type.
extern u32 enemyHitSound, enemyDieSound, enemyExplodeSound;

void HazardLoad(const char* placementPath);
void HazardUnload();
void HazardInit(void* instance);
void HazardReset(void* instance);
void HazardLateUpdate(void* instance);
void HazardDraw(void* instance);
// First thing of every gameplay frame: every box out of use, the count back to 0.
void ClearAttackBoxes();
// From a LateUpdate, after the object moved and animated: the boxes of its current frame.
void RegisterAttackBoxes(ActorBlock* actor);
// Box i of the pool, or null past the pool.
AttackBox* AttackBoxAt(u32 index);
