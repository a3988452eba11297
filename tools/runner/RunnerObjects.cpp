#include "tools/runner/RunnerObjects.h"

#include <cstddef>
#include <string>

#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/SpriteImage.h"
#include "Engine/Render/VideoMode.h"
#include "tools/datakit/PlacementWriter.h"
#include "tools/runner/RunnerScene.h"

namespace {

// A marker walks back and forth around where it was placed and is drawn as a little flag that
// faces the way it walks.
struct MarkerRecord {
    ObjectHeader* header;
    f32 speed;     // "speed": pixels a tick
    f32 roamRange; // "roamRange": how far it walks from home either way
    u8 faceRight;  // "faceRight"
    u8 layer;      // "layer": its draw layer
    f32 homeX;
};

ObjectType markerType;
void** markerInstances;
std::string markerPath;

constexpr u16 flagSize = 12;
u8 flagPixels[flagSize * flagSize];
u32 flagRows[flagSize];
SpriteImage flagImage;
u32 markerColours[4] = {0xFF000000u, 0xFFF0C020u, 0xFF2060E0u, 0xFFFFFFFFu};
u8 markerRgb[12];
Palette markerPalette{1, 0, markerColours, markerRgb};

void BuildFlag()
{
    // A pole on the left and a pennant pointing right: index 3 pole, 1 cloth, 2 its tip.
    for (u16 y = 0; y < flagSize; ++y) {
        flagRows[y] = (u32)y * flagSize;
        const int length = y < 8 ? 8 - (2 * y > 7 ? 2 * y - 7 : 7 - 2 * y) : 0;
        for (u16 x = 0; x < flagSize; ++x) {
            u8 index = 0;
            if (x < 2)
                index = 3;
            else if (x - 2 < length)
                index = x - 2 == length - 1 ? 2 : 1;
            flagPixels[y * flagSize + x] = index;
        }
    }
    flagImage = SpriteImage{flagSize, flagSize, flagPixels, -6, -12, -6, -12, flagRows};
    for (int i = 0; i < 4; ++i) {
        markerRgb[i * 3] = (u8)(markerColours[i] >> 16);
        markerRgb[i * 3 + 1] = (u8)(markerColours[i] >> 8);
        markerRgb[i * 3 + 2] = (u8)markerColours[i];
    }
}

void MarkerInit(void* instance)
{
    MarkerRecord* marker = (MarkerRecord*)instance;
    marker->homeX = marker->header->x;
}

void MarkerReset(void* instance)
{
    MarkerRecord* marker = (MarkerRecord*)instance;
    marker->header->flipX = marker->faceRight ? 0 : 1;
    marker->header->drawLayer = marker->layer;
}

void MarkerUpdate(void* instance)
{
    MarkerRecord* marker = (MarkerRecord*)instance;
    ObjectHeader* header = marker->header;
    header->x += marker->faceRight ? marker->speed : -marker->speed;
    const f32 offset = header->x - marker->homeX;
    if ((marker->faceRight && offset >= marker->roamRange) || (!marker->faceRight && offset <= -marker->roamRange)) {
        marker->faceRight ^= 1;
        header->flipX = marker->faceRight ? 0 : 1;
    }
}

void MarkerDraw(void* instance)
{
    const ObjectHeader* header = ((MarkerRecord*)instance)->header;
    const DrawSpriteFunction draw = header->flipX ? rendererSlots.DrawSpriteFlipX : rendererSlots.DrawSprite;
    if (!draw)
        return;
    SetCurrentPalette(&markerPalette);
    draw(&flagImage, scrollX, scrollY, TruncateToI32(header->x), TruncateToI32(header->y));
}

void MarkerLoad(const char* placementPath)
{
    AddPlacementProperty(&markerType, "speed", 6, offsetof(MarkerRecord, speed));
    AddPlacementProperty(&markerType, "roamRange", 6, offsetof(MarkerRecord, roamRange));
    AddPlacementProperty(&markerType, "faceRight", 8, offsetof(MarkerRecord, faceRight));
    AddPlacementProperty(&markerType, "layer", 0, offsetof(MarkerRecord, layer));
    markerType.growthStep = 32;
    markerType.updatePass = 5;
    markerType.drawLayer = 9;
    markerType.cullMarginX = 64;
    markerType.cullMarginY = 64;
    RegisterObjectType(placementPath, &markerType, &markerInstances, sizeof(MarkerRecord), MarkerUpdate, ObjectNoOp,
                       MarkerDraw, ObjectNoOp, ObjectNoOp, MarkerReset, MarkerInit, nullptr, MarkerLoad, nullptr);
    if (markerType.loadCount < 2)
        SetObjectTypeName(&markerType, "Marker");
    if (placementPath)
        LoadObjectPlacements(&markerType, placementPath);
}

void MarkerUnload()
{
    FreeObjectType(&markerType);
}

Stage markerStage;

void MarkerStageLoad()
{
    MarkerLoad(markerPath.c_str());
}

void MarkerStageUnload()
{
    MarkerUnload();
}

void MarkerStageStart()
{
    ResetCameras();
}

void MarkerStageFrame()
{
    // No layout covers the screen here, so the stage clears it itself.
    FillFrame(0);
    UpdateObjects();
}

// One marker of the scene: x, y, speed, range, facing right, draw layer.
datakit::PlacedObject Marker(i32 x, i32 y, i32 speedTenths, i32 range, bool faceRight, u32 layer)
{
    datakit::PlacedObject object;
    object.x = {x, 1};
    object.y = {y, 1};
    datakit::PutPlacementFloatKey(object.keys, 6, {speedTenths / 10, 10 + speedTenths % 10});
    datakit::PutPlacementFloatKey(object.keys, 6, {range, 1});
    datakit::PutPlacementKey(object.keys, 8, faceRight ? 1 : 0);
    datakit::PutPlacementKey(object.keys, 0, layer);
    return object;
}

} // namespace

bool StartMarkerStage(const char* path)
{
    // Six markers in two rows, walking at different speeds; one starts off screen and walks in.
    const std::vector<datakit::PlacedObject> scene = {
        Marker(40, 60, 10, 30, true, 9),   Marker(150, 60, 25, 60, false, 9), Marker(300, 60, 5, 20, true, 3),
        Marker(60, 160, 15, 100, true, 12), Marker(250, 160, 30, 90, false, 9), Marker(470, 200, 20, 200, false, 9),
    };
    if (!datakit::WritePlacementFile(path, scene))
        return false;
    BuildFlag();
    markerPath = path;
    StartSceneStage(&markerStage, MarkerStageFrame, MarkerStageStart, MarkerStageLoad, MarkerStageUnload);
    return true;
}
