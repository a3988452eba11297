// The actor block that every fighting object keeps right behind its header pointer, the per-type
// properties record loaded from a ".vep" file, and the routines that fill them at Load and Init.
#pragma once
#include "Engine/Common/Types.h"

struct AnimPlayer;
struct AssetReader;
struct ObjectHeader;
struct ObjectType;
struct Animation;

// One attack attribute row of a properties file.
struct AttackRow {
    u16 flags; // attack-box flag word
    u8 kind;   // 0 hurt box, 1 and 2 attack boxes, 3 touch only
    u8 hitlag; // hit-stop ticks given to both sides
    f32 knockback;
    f32 damage;
    u8 angle; // knock-back direction, 256ths of a turn
};

// Tuning values, in file order.
enum : u8 {
    GroundFriction = 0,
    GroundAccel,
    GroundBrake,
    MaxGroundSpeed,
    AirFriction,
    AirAccel,
    AirBrake,
    MaxAirSpeed,
    MaxFallSpeed,
    JumpSpeed,
    JumpCutSpeed,
    Gravity,
    HurtGravity,
    Value13,
    HurtDrag,
    actorValueCount
};

// Flags, in file order.
enum : u8 {
    FlagKnockable = 0,
    FlagFaceAttacker,
    FlagMirrorBoxes,
    FlagFaceGroundMotion,
    FlagFaceAirMotion,
    actorFlagCount
};

// Animation choices, in file order (-1 = none; the first is a frame number).
enum : u8 {
    JumpTakeoffFrame = 0,
    IdleAnim,
    MoveAnim,
    JumpAnim,
    FallAnim,
    LandAnim,
    HurtAnim,
    TumbleAnim,
    FloorBounceAnim,
    WallBounceAnim,
    actorAnimCount
};

struct ActorProperties {
    f32 values[actorValueCount];
    f32 hp;
    bool flags[actorFlagCount];
    i8 anims[actorAnimCount];
    AttackRow* attackRows; // owned, or null
    u16 attackRowCount;    // rows at attackRows; a box naming a row at or past it has no attributes
    i8 useCount;           // stage loads sharing the record
};

struct ActorBlock {
    ObjectHeader* header;
    void* instance;          // set by the Bind of types that need it; not by Init
    AnimPlayer* anim;        // the instance's main cursor
    Animation* boxAnimation; // the animation shown when boxes were last registered
    ActorProperties* properties;
    u8 input[8]; // 2 move left, 3 move right, 4 jump
    f32 values[actorValueCount];
    f32 hp;
    bool flags[actorFlagCount];
    i8 anims[actorAnimCount];
    u8 animLock;
    u8 hurt;
    i16 hitlag;
    i16 hitstun;
    f32 knockback;
    i32 hitId;
    f32 shakeX, shakeY;
    i16 shakeLimit;
    i16 shakeJitter;
    u8 shakeOnX;
    u8 direction; // 1 left, 2 right, 3 none yet
    u8 wallLeft, wallRight;
    u8 floorContact, ceilingContact;
    u8 edgeLeft, edgeRight;
    u8 landed;
    f32 spawnX, spawnY;
    u16 touchFlags;
    u8 stepped;
    u32 lastHitterIndex;
    ObjectType* lastHitterType;
    ActorBlock* lastHitter;
    u8 touched;
    u8 touchedKinds;
    u8 useStepper;
    u8 noBoxes;
    u8 sameTypeNoHit;
    u8 jumping;
    u8 launched;
    u8 clash;
    u8 moveDuringHitlag;
    u8 keepStepping;
    u8 frozen;
    u8 whipNoHitlag;
    u8 defeated;
    u8 whipHeld;   // held on the whip's hook
    u8 whipNoHook; // the whip may not hook it (on the whip: set while it retracts)
    u16 attackSerial;
    u16 lastSerialTaken;
    ActorBlock* parent;
    u8 slotInParent; // 255: not attached
    ActorBlock* children[8];
    u8 childCount;
    i32 hurtSound; // -1: none
    i32 deathSound;
    u8 explosionStep; // where the next burst of the death goes off, 0-5
};

constexpr u32 actorTypeListSize = 1024;

// Every type that loaded properties in the current stage, for the enemy count.
extern ObjectType* actorTypeList[actorTypeListSize];
extern u16 actorTypeCount;
extern u32 vanquishedCount;

// A type's Load: counts the stage load that shares the record (not on a restart), lists the type,
// and reads the file (again on a restart).
void LoadEnemyProperties(ObjectType* type, ActorProperties* properties, const char* path);
// A type's Unload: drops one use; the last frees the attack rows and clears the pointer.
void FreeEnemyProperties(ActorProperties* properties);
// One fixed value: big-endian u16 integer part plus u16 fraction / 65535.
f32 ReadFixed16(AssetReader* reader);
// The library defaults; called first by every actor's Init.
void InitEnemy(ActorBlock* actor, ObjectHeader* header, AnimPlayer* anim);
// The type's values over the defaults; called right after InitEnemy.
void ApplyEnemyProperties(ActorProperties* properties, ActorBlock* actor);
// A gameplay stage's load empties the list and the vanquished count before its types load.
void ClearActorTypeList();
// The attack row a box names, or null when the index is past the rows.
const AttackRow* AttackRowAt(const ActorProperties* properties, u32 row);
// Attaches child to the first free of parent's eight slots; false when all are taken.
bool AttachActor(ActorBlock* parent, ActorBlock* child);
// Takes child out of its parent's slot, but only while that slot still holds this very child (the
// parent may have died and its slot gone to another object since); the child's links are cleared
// either way.
void DetachActor(ActorBlock* child);
