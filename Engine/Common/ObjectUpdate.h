// The update passes and the scene draw: object types run in passes 0-6 inside the activity window
// around camera 0, and the scene is drawn depth by depth, the objects of a depth below its tile
// layers. Game thread only.
#pragma once
#include "Engine/Common/Types.h"

struct ObjectType;

constexpr u32 drawLayerCount = 16;
constexpr u32 drawQueueLength = 512;

struct DrawQueueEntry {
    ObjectType* type;
    void* instance; // null once its pool was released
};

// Filled by DrawScene, empty between frames. A Draw handler may queue an entry on a later layer.
extern DrawQueueEntry drawQueues[drawLayerCount][drawQueueLength];
extern u32 drawQueueCount[drawLayerCount];
// The layer being drawn and the entry whose Draw runs.
extern u32 currentDrawLayer;
extern ObjectType* drawingType;
extern void* drawingInstance;

// Every loaded type in passes 0 to 6, in registry order; nothing while a stage switch runs.
void UpdateObjects();
// One type: EnterView and LeaveView once per crossing of the activity window, then Update of the
// instances inside it (unless the pause menu holds the type). Empties the type's callback list.
void UpdateObjectType(ObjectType* type);
// LateUpdate and queueing of every instance updated, the layer scroll, then depth by depth the
// queued objects and the visible tile layers of that depth.
void DrawScene();

// Appends an entry to a layer's queue (layers above 15 count as 15); false when that queue is full.
bool QueueObjectDraw(u32 layer, ObjectType* type, void* instance);
// Clears the queued entries of a type whose pool is being released, so none is drawn from freed
// memory.
void ForgetQueuedDraws(const ObjectType* type);
