// Object types: one static record a kind of object, the registry of types, the instance pools with
// spawning and despawning, and the per-type callback lists. Game thread only.
//
// A pool grows in chunks of the type's growth step. A chunk is never moved or freed until the type
// is registered again or freed, so an instance's data and header keep their addresses while the
// pool grows: a handler that spawns may go on using its own instance, objects may point at each
// other and queued draws stay valid. Bind is still called for every instance after a growth.
#pragma once
#include "Engine/Common/Types.h"

struct ObjectType;
struct ObjectHeader;
struct PlacementProperty;
struct TileRecord;
struct TileLayer;

// Update, LateUpdate, Draw, EnterView, LeaveView, Reset, Init and the editor slots take the
// instance data, whose first field points to its header.
typedef void (*ObjectHandler)(void* instance);
// Re-links an instance's own pointers; called for every instance whenever its pool is (re)built.
typedef void (*ObjectBindHandler)(void* instance, u32 index, ObjectHeader* header);
typedef void (*ObjectLoadHandler)(const char* placementPath);
typedef void (*ObjectUnloadHandler)();
// A touch handler: false takes the entry out of the list for the rest of the frame.
typedef bool (*ObjectCallback)(void* argument, void* instance);

// The handler of every slot a type has no use for.
void ObjectNoOp(void* instance);

struct ObjectCallbackEntry {
    ObjectCallback function; // null once it returned false
    void* argument;
};

struct ObjectType {
    // Update, LateUpdate, Draw, Reset and Init are called without a null test; the other
    // per-instance slots may be null.
    ObjectHandler Update;
    ObjectHandler LateUpdate;
    ObjectHandler Draw;
    ObjectHandler EnterView;
    ObjectHandler LeaveView;
    ObjectHandler Reset;
    ObjectHandler Init;
    ObjectBindHandler Bind;
    ObjectLoadHandler Load;
    ObjectUnloadHandler Unload;
    ObjectHandler reserved; // never called
    ObjectHandler EditorPreview;
    ObjectHandler EditorPlace;

    char* name; // display name, owned
    u16 propertyCount;
    PlacementProperty* properties;
    char* placementPath; // owned copy, or null

    ObjectHeader** pool;  // poolSize header pointers, in index order
    void*** instances;    // the type module's variable, given the instance table below (may be null)
    u32 typeIndex;        // slot in objectTypes
    u32 poolSize;
    u32 liveCount;        // recounted after every spawn
    u32 growthStep;       // first pool size and the slots added when the pool is full
    u32 loadCount;        // stage loads that hold the type
    u64 instanceSize;     // bytes of one instance's data
    u8 registered;
    u8 idleFlag;          // cleared by UpdateObjectType when there is nothing to update; unread
    u8 updatePass;        // 0-6
    u8 inRegistry;
    u8 drawLayer;         // 0-15, given to spawned instances
    u8 runsWhilePaused;
    u8 placeable;
    i16 cullMarginX;      // activity-window margins in pixels; negative: never culled on that axis
    i16 cullMarginY;
    ObjectCallbackEntry* callbacks;
    u32 callbackCapacity;
    u32 callbackCount;

    // The pool's storage: instanceTable[i] is instance i's data. Chunks hold chunkSize slots.
    void** instanceTable;
    u32 chunkSize;
    u64 instanceStride;
    u32 poolGeneration; // advances whenever the pool is released, so a walk can tell it is gone
};

// One slot of a pool. The fields from groundSpeed to edgeFlags belong to the movers and the object
// types; a spawn only initialises them.
struct ObjectHeader {
    ObjectType* type;
    u32 index;
    u16 typeIndex; // low half of the type's slot at spawn
    u8 spawnA, spawnB;
    u8 state, subState; // object-owned, 0 at spawn
    i16 cullMarginX, cullMarginY;
    u8 objectFlag; // object-owned, 1 at spawn
    f32 x, y;
    f32 vx, vy;
    f32 groundSpeed;
    u8 flipX, flipY;
    f32 scaleX, scaleY;
    u8 drawLayer; // 0-15; the scene draw treats more as 15
    f32 rotation; // 256ths of a turn, for transformed draws
    f32 tiltAngle; // the player's drawing rotation, 256ths of a turn
    u8 flash;     // blend level of transformed draws, 255 opaque
    u8 flashFlag; // object-owned, 1 at spawn
    u64 groundContact;
    u64 lastGroundContact;
    i64 hitboxLeft, hitboxRight, hitboxTop, hitboxBottom;
    u8 collisionLayer;
    u8 plane;
    u8 prevPlane;
    TileRecord* collisionTiles;
    TileLayer* collisionTileLayer;
    f32 angle;
    f32 phase;        // object-owned, 0 at spawn
    u64 contacts[4];  // left, right, top, bottom
    u8 edgeFlags[4];  // top, bottom, left, right
    u8 updated;       // Update ran in the last frame it was allowed to; drawn while set
    u8 inView;
    u8 alive;
    u8 free;
    u8 spawned;       // Init has run
};

extern ObjectType** objectTypes; // null entries are free slots; null table: no registry
extern u32 objectTypeCount;
extern u32 objectTypeCapacity;
extern void* lastSpawnedInstance;
extern u8 placingObjects;
extern u8 defaultCollisionLayer; // the current layout's collision layer, set by the stages
extern ObjectType* placeableTypes[128];
extern u32 placeableTypeCount;

// The header of an instance.
inline ObjectHeader* HeaderOf(void* instance)
{
    return *(ObjectHeader**)instance;
}

// Registers (or re-registers) a type: handlers, a fresh empty pool of growthStep slots, a place in
// the registry, one more load unless the current stage is restarting itself.
void RegisterObjectType(const char* placementPath, ObjectType* type, void*** instances, u64 instanceSize,
                        ObjectHandler Update, ObjectHandler LateUpdate, ObjectHandler Draw,
                        ObjectHandler EnterView, ObjectHandler LeaveView, ObjectHandler Reset,
                        ObjectHandler Init, ObjectBindHandler Bind, ObjectLoadHandler Load,
                        ObjectUnloadHandler Unload);

// Drops one load; at the last (or at once with forceFree) releases the pool, the keys, the path,
// the name and the callback list and leaves the registry.
void FreeObjectType(ObjectType* type);

// Takes the first free slot (growing the pool when there is none), runs Init unless placing, and
// returns the slot's index with the instance in lastSpawnedInstance. Refused (0, nothing changed)
// for an unregistered type, while the pause menu holds a type that does not run paused, or when
// the pool cannot grow.
u32 SpawnObject(ObjectType* type, f32 x, f32 y, u8 spawnA, u8 spawnB);

// Marks every slot of the type free.
void ResetObjectInstances(ObjectType* type);

// Ends one instance. A header that is not the live pool's slot at its index changes nothing.
void DespawnObject(ObjectHeader* header);

// Appends a touch handler to the type's list for this frame (ignored while the type is not loaded).
void AddObjectCallback(ObjectType* type, ObjectCallback function, void* argument);

// Runs the type's touch handlers on a moving instance, then latches the movers' steps of every axis
// on which the instance no longer moves.
void RunObjectCallbacks(ObjectType* type, void* instance);

// Moves a registered type to a fixed registry slot (the update passes walk the slots in order),
// growing the registry when the slot lies past it. A type already in that slot swaps places with
// the moved one. The headers of both pools follow their type's slot. False when the type is not in
// the registry or the registry cannot grow.
bool MoveObjectTypeToSlot(ObjectType* type, u32 slot);

// Replaces the display name with a copy of name.
void SetObjectTypeName(ObjectType* type, const char* name);

// Appends a type to placeableTypes while it holds fewer than 128; no duplicate test.
void AddPlaceableType(ObjectType* type);

// Shutdown: every registered type's Unload and FreeObjectType, then the registry itself and the
// placement-mode list. Expects forceFree to be set.
void FreeObjectTypeRegistry();
