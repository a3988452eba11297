#include "Engine/Common/ObjectUpdate.h"

#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Render/LayerDraw.h"
#include "Engine/Render/LayerScroll.h"
#include "Engine/Render/VideoMode.h"
#include "Engine/Common/StageSwitch.h"

DrawQueueEntry drawQueues[drawLayerCount][drawQueueLength];
u32 drawQueueCount[drawLayerCount];
u32 currentDrawLayer;
ObjectType* drawingType;
void* drawingInstance;

namespace {

// Strictly inside (low, high) around the scroll; computed in 64 bits so that no scroll or margin
// can overflow, then compared as floats like the position.
bool InsideWindow(f32 position, i32 scroll, i32 size, i16 margin)
{
    if (margin < 0)
        return true;
    const f32 low = (f32)((i64)scroll - margin);
    const f32 high = (f32)((i64)scroll + size + margin);
    return position > low && position < high;
}

} // namespace

bool QueueObjectDraw(u32 layer, ObjectType* type, void* instance)
{
    if (layer >= drawLayerCount)
        layer = drawLayerCount - 1;
    if (drawQueueCount[layer] >= drawQueueLength)
        return false;
    drawQueues[layer][drawQueueCount[layer]++] = DrawQueueEntry{type, instance};
    return true;
}

void ForgetQueuedDraws(const ObjectType* type)
{
    for (u32 layer = 0; layer < drawLayerCount; ++layer)
        for (u32 i = 0; i < drawQueueCount[layer]; ++i)
            if (drawQueues[layer][i].type == type)
                drawQueues[layer][i].instance = nullptr;
}

void UpdateObjectType(ObjectType* type)
{
    if (!type)
        return;
    if (!type->loadCount || !type->poolSize) {
        type->idleFlag = 0;
        return;
    }
    const bool mayUpdate = type->runsWhilePaused || !pauseMenuOpen;
    const u32 generation = type->poolGeneration;
    // A handler may spawn and grow this pool: the tables are read afresh for every slot, and the
    // slots a growth adds are walked too. Headers and instances themselves never move.
    for (u32 i = 0; i < type->poolSize; ++i) {
        ObjectHeader* header = type->pool[i];
        if (!header->spawned || !header->alive || header->free)
            continue;
        void* instance = type->instanceTable[i];
        const bool inside = InsideWindow(header->x, scrollX, screenWidth, header->cullMarginX) &&
                            InsideWindow(header->y, scrollY, screenHeight, header->cullMarginY);
        if (inside) {
            if (!header->inView) {
                if (type->EnterView)
                    type->EnterView(instance);
                if (type->poolGeneration != generation)
                    break;
                header->inView = 1;
            }
            if (mayUpdate) {
                header->updated = 1;
                if (type->Update)
                    type->Update(instance);
                if (type->poolGeneration != generation)
                    break; // the handler released its own pool
            }
        } else {
            if (header->inView) {
                if (type->LeaveView)
                    type->LeaveView(instance);
                if (type->poolGeneration != generation)
                    break;
                header->inView = 0;
            }
            header->updated = 0;
        }
    }
    type->callbackCount = 0;
}

void UpdateObjects()
{
    for (u8 pass = 0; pass < 7; ++pass) {
        if (stageSwitching)
            continue;
        // A handler may register types, growing the table: it is read afresh after every call.
        for (u32 slot = 0; slot < objectTypeCapacity; ++slot) {
            ObjectType* type = objectTypes[slot];
            if (type && type->loadCount && type->updatePass == pass)
                UpdateObjectType(type);
        }
    }
}

void DrawScene()
{
    for (u32 slot = 0; slot < objectTypeCapacity; ++slot) {
        ObjectType* type = objectTypes[slot];
        if (!type || !type->pool)
            continue;
        const bool mayUpdate = type->runsWhilePaused || !pauseMenuOpen;
        const u32 generation = type->poolGeneration;
        for (u32 i = 0; i < type->poolSize; ++i) {
            ObjectHeader* header = type->pool[i];
            if (!header->updated)
                continue;
            void* instance = type->instanceTable[i];
            if (mayUpdate && type->LateUpdate)
                type->LateUpdate(instance);
            if (type->poolGeneration != generation)
                break; // LateUpdate released the pool: nothing of it may be queued
            if (header->drawLayer > drawLayerCount - 1)
                header->drawLayer = drawLayerCount - 1;
            // A full layer ends this type's queueing for the frame; the next type goes on.
            if (!QueueObjectDraw(header->drawLayer, type, instance))
                break;
        }
    }

    if (layoutSlots)
        currentLayout = LayoutInSlot(currentLayoutSlot);
    scrollX = cameraScrollX[0];
    scrollY = cameraScrollY[0];
    currentCamera = 0;
    UpdateLayerScroll();

    for (u32 depth = 0; depth < drawLayerCount; ++depth) {
        currentDrawLayer = depth;
        // Draw handlers may queue entries on this or a later layer; the count is read afresh.
        for (u32 i = 0; i < drawQueueCount[depth]; ++i) {
            const DrawQueueEntry entry = drawQueues[depth][i];
            drawingType = entry.type;
            drawingInstance = entry.instance;
            if (entry.instance && entry.type->Draw)
                entry.type->Draw(entry.instance);
        }
        // Each layer through the drawer of its scroll mode, or the palette-select drawer when its
        // tile sheet is flagged; a drawer the video mode lacks draws nothing.
        const Layout* layout = currentLayout;
        if (!layout || !layout->layers)
            continue;
        for (u32 l = 0; l < layout->layerCount; ++l) {
            const TileLayer* layer = &layout->layers[l];
            if (layer->visible == 1 && layer->depth == depth)
                DrawTileLayer(layer);
        }
    }

    for (u32& count : drawQueueCount)
        count = 0;
}
