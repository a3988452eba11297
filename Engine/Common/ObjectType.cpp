#include "Engine/Common/ObjectType.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "Engine/Collision/MotionScratch.h"
#include "Engine/Common/CopyText.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/StageSwitch.h"

ObjectType** objectTypes;
u32 objectTypeCount;
u32 objectTypeCapacity;
void* lastSpawnedInstance;
u8 placingObjects;
u8 defaultCollisionLayer;
ObjectType* placeableTypes[128];
u32 placeableTypeCount;

// Defined with the asset slot tables: one shutdown flag for assets and object types.
extern u8 forceFree;

namespace {

// Bytes between two instances of a chunk: room for the header pointer at least, and every
// instance aligned like any record. 0 when the size cannot be honoured.
u64 InstanceStride(u64 instanceSize)
{
    const u64 align = alignof(std::max_align_t);
    const u64 size = instanceSize < sizeof(void*) ? sizeof(void*) : instanceSize;
    if (size > ((u64)SIZE_MAX >> 1))
        return 0;
    return (size + align - 1) / align * align;
}

// The values a spawn gives a header (the movers' fields from groundSpeed on are left alone).
void FillHeader(ObjectHeader* header, ObjectType* type, f32 x, f32 y, u8 spawnA, u8 spawnB, u8 collisionLayer,
                u8 alive)
{
    header->type = type;
    header->typeIndex = (u16)type->typeIndex;
    header->spawnA = spawnA;
    header->spawnB = spawnB;
    header->state = 0;
    header->subState = 0;
    header->cullMarginX = type->cullMarginX;
    header->cullMarginY = type->cullMarginY;
    header->objectFlag = 1;
    header->x = x;
    header->y = y;
    header->vx = 0.0f;
    header->vy = 0.0f;
    header->flipX = 0;
    header->flipY = 0;
    header->scaleX = 1.0f;
    header->scaleY = 1.0f;
    header->drawLayer = type->drawLayer;
    header->rotation = 0.0f;
    header->tiltAngle = 0.0f;
    header->flash = 255;
    header->flashFlag = 1;
    header->groundContact = 0;
    header->lastGroundContact = 0;
    header->collisionLayer = collisionLayer;
    header->plane = 0;
    header->prevPlane = 1;
    header->angle = 0.0f;
    header->phase = 0.0f;
    header->updated = 0;
    header->inView = 0;
    header->alive = alive;
    header->free = alive ? 0 : 1;
    header->spawned = 0;
}

// Stores each header's address in its instance and the index in the header, then lets the type
// re-link its own pointers. The pool may grow under a Bind that spawns; the loop reads it afresh.
void LinkAndBindAll(ObjectType* type)
{
    for (u32 i = 0; i < type->poolSize; ++i) {
        void* instance = type->instanceTable[i];
        ObjectHeader* header = type->pool[i];
        *(ObjectHeader**)instance = header;
        header->index = i;
        if (type->Bind)
            type->Bind(instance, i, header);
    }
}

// Adds one chunk of zeroed slots. Nothing changes when memory runs out.
bool AddChunk(ObjectType* type)
{
    const u32 chunk = type->chunkSize;
    const u32 oldSize = type->poolSize;
    const u64 stride = type->instanceStride;
    if (chunk == 0 || stride == 0 || oldSize > 0xFFFFFFFFu - chunk)
        return false;
    const u32 newSize = oldSize + chunk;
    if ((u64)newSize > (u64)SIZE_MAX / sizeof(void*) || stride > (u64)SIZE_MAX / chunk)
        return false;
    ObjectHeader* headers = (ObjectHeader*)calloc(chunk, sizeof(ObjectHeader));
    u8* data = (u8*)calloc(chunk, (size_t)stride);
    if (!headers || !data) {
        free(headers);
        free(data);
        return false;
    }
    // A pointer table that grew while the other could not stays larger; poolSize says what is used.
    ObjectHeader** pool = (ObjectHeader**)realloc(type->pool, (size_t)newSize * sizeof(ObjectHeader*));
    if (pool)
        type->pool = pool;
    void** table = pool ? (void**)realloc(type->instanceTable, (size_t)newSize * sizeof(void*)) : nullptr;
    if (!table) {
        free(headers);
        free(data);
        return false;
    }
    type->instanceTable = table;
    for (u32 i = 0; i < chunk; ++i) {
        pool[oldSize + i] = headers + i;
        table[oldSize + i] = data + (size_t)i * (size_t)stride;
    }
    type->poolSize = newSize;
    if (type->instances)
        *type->instances = table;
    return true;
}

// Frees every chunk and both tables. Slot k x chunkSize is the start of chunk k.
void ReleasePool(ObjectType* type)
{
    ForgetQueuedDraws(type);
    for (u32 i = 0; i < type->poolSize; i += type->chunkSize) {
        free(type->pool[i]);
        free(type->instanceTable[i]);
    }
    free(type->pool);
    free(type->instanceTable);
    type->pool = nullptr;
    type->instanceTable = nullptr;
    type->poolSize = 0;
    ++type->poolGeneration;
    if (type->instances)
        *type->instances = nullptr;
}

void EnterRegistry(ObjectType* type)
{
    const u32 count = objectTypeCount + 1;
    if (count >= objectTypeCapacity) {
        const u32 capacity = objectTypeCapacity ? objectTypeCapacity * 2 : 128;
        ObjectType** grown = (ObjectType**)realloc(objectTypes, sizeof(ObjectType*) * (size_t)capacity);
        if (grown) {
            for (u32 i = objectTypeCapacity; i < capacity; ++i)
                grown[i] = nullptr;
            objectTypes = grown;
            objectTypeCapacity = capacity;
        }
    }
    for (u32 slot = 0; slot < objectTypeCapacity; ++slot) {
        if (!objectTypes[slot]) {
            objectTypes[slot] = type;
            objectTypeCount = count;
            type->typeIndex = slot;
            type->inRegistry = 1;
            return;
        }
    }
    // The table is full and could not grow: the type stays out of the update passes and the draw.
}

void LeaveRegistry(ObjectType* type)
{
    if (!type->inRegistry)
        return;
    if (objectTypes && type->typeIndex < objectTypeCapacity && objectTypes[type->typeIndex] == type)
        objectTypes[type->typeIndex] = nullptr;
    if (objectTypeCount)
        --objectTypeCount;
    type->inRegistry = 0;
}

} // namespace

void ObjectNoOp(void*) {}

void RegisterObjectType(const char* placementPath, ObjectType* type, void*** instances, u64 instanceSize,
                        ObjectHandler Update, ObjectHandler LateUpdate, ObjectHandler Draw,
                        ObjectHandler EnterView, ObjectHandler LeaveView, ObjectHandler Reset,
                        ObjectHandler Init, ObjectBindHandler Bind, ObjectLoadHandler Load,
                        ObjectUnloadHandler Unload)
{
    if (!type)
        return;
    if (type->loadCount)
        ResetObjectInstances(type);
    free(type->placementPath);
    type->placementPath = placementPath ? CopyText(placementPath) : nullptr;

    type->Update = Update;
    type->LateUpdate = LateUpdate;
    type->Draw = Draw;
    type->EnterView = EnterView;
    type->LeaveView = LeaveView;
    type->Reset = Reset;
    type->Init = Init;
    type->Bind = Bind;
    type->Load = Load;
    type->Unload = Unload;

    // The old pool goes first: its chunks are laid out by the old chunk size.
    ReleasePool(type);
    type->instanceSize = instanceSize;
    type->liveCount = 0;
    type->callbackCapacity = 0;
    type->callbackCount = 0;
    type->instances = instances;
    if (instances)
        *instances = nullptr;

    type->chunkSize = type->growthStep ? type->growthStep : 1;
    type->instanceStride = InstanceStride(instanceSize);
    if (AddChunk(type)) {
        for (u32 i = 0; i < type->poolSize; ++i)
            FillHeader(type->pool[i], type, 0.0f, 0.0f, 0, 0, defaultCollisionLayer, 0);
        LinkAndBindAll(type);
        if (!type->registered && !type->inRegistry)
            EnterRegistry(type);
        type->registered = 1;
    }
    LinkAndBindAll(type);
    // A stage restarting itself did not unload, so it takes no further load. Without any current
    // stage (tools, tests) there is nothing to restart.
    if (!currentStage || currentStage != previousStage)
        ++type->loadCount;
}

void FreeObjectType(ObjectType* type)
{
    if (!type || !type->registered)
        return;
    if (type->loadCount) {
        const u32 loads = type->loadCount--;
        if (loads > 1 && !forceFree)
            return;
    }
    LeaveRegistry(type);
    ReleasePool(type);
    FreePlacementProperties(type);
    free(type->placementPath);
    type->placementPath = nullptr;
    free(type->name);
    type->name = nullptr;
    free(type->callbacks);
    type->callbacks = nullptr;
    type->callbackCapacity = 0;
    type->callbackCount = 0;
    type->liveCount = 0;
    type->registered = 0;
    // A forced free leaves the type as it was before its first load, keys to be declared again.
    type->loadCount = 0;
}

u32 SpawnObject(ObjectType* type, f32 x, f32 y, u8 spawnA, u8 spawnB)
{
    if (!type || !type->registered)
        return 0;
    if (pauseMenuOpen && !type->runsWhilePaused)
        return 0;

    u32 index = 0;
    while (index < type->poolSize && !type->pool[index]->free)
        ++index;
    if (index < type->poolSize) {
        // A reused slot keeps its instance data and is not bound again.
        FillHeader(type->pool[index], type, x, y, spawnA, spawnB, 254, 1);
    } else {
        const u32 first = type->poolSize;
        if (!AddChunk(type))
            return 0;
        LinkAndBindAll(type);
        for (u32 i = first; i < type->poolSize; ++i)
            FillHeader(type->pool[i], type, x, y, spawnA, spawnB, defaultCollisionLayer, 0);
        ObjectHeader* header = type->pool[first];
        header->alive = 1;
        header->free = 0;
        index = first;
    }

    // Chunks never move, so both stay valid whatever Init spawns.
    ObjectHeader* header = type->pool[index];
    void* instance = type->instanceTable[index];
    if (!placingObjects) {
        if (type->Init)
            type->Init(instance);
        header->spawned = 1;
    }
    lastSpawnedInstance = instance;
    u32 live = 0;
    for (u32 i = 0; i < type->poolSize; ++i)
        live += type->pool[i]->alive ? 1u : 0u;
    type->liveCount = live;
    return index;
}

void ResetObjectInstances(ObjectType* type)
{
    if (!type)
        return;
    for (u32 i = 0; i < type->poolSize; ++i) {
        ObjectHeader* header = type->pool[i];
        header->alive = 0;
        header->free = 1;
        header->spawned = 0;
        header->updated = 0;
    }
}

void DespawnObject(ObjectHeader* header)
{
    if (!header || !objectTypes || header->typeIndex >= objectTypeCapacity)
        return;
    ObjectType* type = objectTypes[header->typeIndex];
    if (!type || !type->Update || !type->pool || header->index >= type->poolSize)
        return;
    // Only the slot itself: a stale header of a freed pool, or one of another type that now holds
    // the registry slot, must not end someone else's instance.
    if (type->pool[header->index] != header)
        return;
    const u8 wasAlive = header->alive;
    header->alive = 0;
    header->free = 1;
    header->spawned = 0;
    header->updated = 0;
    // Counted once: a second despawn of the same slot does not take the count below the living.
    if (wasAlive && type->liveCount)
        --type->liveCount;
}

void AddObjectCallback(ObjectType* type, ObjectCallback function, void* argument)
{
    if (!type || !type->loadCount)
        return;
    if (type->callbackCount >= type->callbackCapacity) {
        const u32 capacity = type->callbackCapacity + 10;
        ObjectCallbackEntry* grown =
            (ObjectCallbackEntry*)realloc(type->callbacks, sizeof(ObjectCallbackEntry) * (size_t)capacity);
        if (!grown)
            return; // the entry has nowhere to go; the list keeps its block
        type->callbacks = grown;
        type->callbackCapacity = capacity;
    }
    type->callbacks[type->callbackCount++] = ObjectCallbackEntry{function, argument};
}

void RunObjectCallbacks(ObjectType* type, void* instance)
{
    if (!type || !instance)
        return;
    // A handler may append to the list (and move it), so it is indexed afresh after every call.
    for (u32 i = 0; i < type->callbackCount; ++i) {
        const ObjectCallback function = type->callbacks[i].function;
        if (!function)
            continue;
        if (!function(type->callbacks[i].argument, instance))
            type->callbacks[i].function = nullptr;
    }
    const ObjectHeader* header = HeaderOf(instance);
    if (!header)
        return;
    if (header->vx == 0.0f) {
        if (!stoppedStepsX)
            stoppedStepsX = stepsX;
        stepsX = 0;
    }
    if (header->vy == 0.0f) {
        if (!stoppedStepsY)
            stoppedStepsY = stepsY;
        stepsY = 0;
    }
}

namespace {

void SetHeadersTypeIndex(ObjectType* type)
{
    for (u32 i = 0; i < type->poolSize; ++i)
        type->pool[i]->typeIndex = (u16)type->typeIndex;
}

} // namespace

bool MoveObjectTypeToSlot(ObjectType* type, u32 slot)
{
    if (!type || !type->inRegistry || !objectTypes || type->typeIndex >= objectTypeCapacity ||
        objectTypes[type->typeIndex] != type)
        return false;
    if (slot == type->typeIndex)
        return true;
    if (slot >= objectTypeCapacity) {
        // Headers keep the low 16 bits of their slot, so the registry never grows past them.
        if (slot > 0xFFFFu)
            return false;
        u32 capacity = objectTypeCapacity ? objectTypeCapacity : 128;
        while (capacity <= slot)
            capacity *= 2;
        ObjectType** grown = (ObjectType**)realloc(objectTypes, sizeof(ObjectType*) * (size_t)capacity);
        if (!grown)
            return false;
        for (u32 i = objectTypeCapacity; i < capacity; ++i)
            grown[i] = nullptr;
        objectTypes = grown;
        objectTypeCapacity = capacity;
    }
    const u32 from = type->typeIndex;
    ObjectType* occupant = objectTypes[slot];
    objectTypes[slot] = type;
    type->typeIndex = slot;
    SetHeadersTypeIndex(type);
    objectTypes[from] = occupant;
    if (occupant) {
        occupant->typeIndex = from;
        SetHeadersTypeIndex(occupant);
    }
    return true;
}

void SetObjectTypeName(ObjectType* type, const char* name)
{
    if (!type)
        return;
    free(type->name);
    type->name = name ? CopyText(name) : nullptr;
}

void AddPlaceableType(ObjectType* type)
{
    if (placeableTypeCount < 128)
        placeableTypes[placeableTypeCount++] = type;
}

void FreeObjectTypeRegistry()
{
    if (objectTypes) {
        const u8 wasForced = forceFree;
        forceFree = 1;
        for (u32 slot = 0; slot < objectTypeCapacity; ++slot) {
            ObjectType* type = objectTypes[slot];
            if (!type)
                continue;
            if (type->Unload)
                type->Unload();
            FreeObjectType(type);
            // A type that was never registered is not freed by that; it leaves the registry anyway.
            if (objectTypes && slot < objectTypeCapacity && objectTypes[slot] == type) {
                objectTypes[slot] = nullptr;
                type->inRegistry = 0;
            }
        }
        forceFree = wasForced;
        free(objectTypes);
        objectTypes = nullptr;
    }
    objectTypeCount = 0;
    objectTypeCapacity = 0;
    placeableTypeCount = 0;
}
