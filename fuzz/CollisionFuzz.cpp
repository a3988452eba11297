// Bodies moved through collision layers made from arbitrary bytes: cells naming tiles past the
// sheet, any solidity bits, odd camera bounds and wrap sizes, bodies of any box, place, plane and
// speed (finite and within a few maps per tick, as objects give them). The layer is built with
// exactly its cells, so any read outside the map meets the sanitizer; every move must finish.
#include <cstdlib>
#include <cstring>

#include "Engine/Collision/Angles.h"
#include "Engine/Collision/BoxTests.h"
#include "Engine/Collision/Motion.h"
#include "Engine/Collision/TileQuery.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"

namespace {

struct Bytes {
    const u8* data;
    size_t size, at = 0;
    u8 U8() { return at < size ? data[at++] : 0; }
    u16 U16() { return (u16)(U8() | U8() << 8); }
    i32 Range(i32 low, i32 high) { return low + (i32)(U16() % (u32)(high - low + 1)); }
    f32 Real(f32 limit) { return (f32)(i16)U16() / 32768.0f * limit; }
};

struct Body {
    ObjectHeader* header;
};

bool Meddle(void* argument, void* instance)
{
    Bytes* bytes = (Bytes*)argument;
    ObjectHeader* header = HeaderOf(instance);
    switch (bytes->U8() & 15) {
    case 0:
        header->vx = 0.0f;
        break;
    case 1:
        header->vy = 0.0f;
        break;
    case 2:
        header->plane = bytes->U8() % 6;
        break;
    default:
        break;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    Bytes bytes{data, size};
    constexpr u32 recordCount = 8;

    // The tile sheet: a few records of masks and angles.
    static TileRecord records[recordCount];
    static u8 pixels[recordCount][256];
    for (u32 t = 0; t < recordCount; ++t) {
        const u8 pattern = bytes.U8();
        for (u32 i = 0; i < 256; ++i)
            pixels[t][i] = t == 0 ? 0 : (u8)((pattern >> (i % 8 + i / 128)) & 1);
        records[t] = TileRecord{pixels[t], 0, bytes.U8()};
    }
    TileSheet sheet{};
    sheet.recordCount = recordCount;
    sheet.tiles = records;
    TileSheet* sheets[1] = {&sheet};

    // Two layers, the second the collision layer, of exactly their cells.
    TileLayer layers[2] = {};
    for (TileLayer& layer : layers) {
        layer.width = bytes.Range(1, 12);
        layer.height = bytes.Range(1, 10);
        layer.map = (u16*)malloc(sizeof(u16) * (size_t)layer.width * layer.height);
        layer.rowStarts = (i32*)malloc(sizeof(i32) * (size_t)layer.height);
        for (i32 r = 0; r < layer.height; ++r)
            layer.rowStarts[r] = r * layer.width;
        for (i32 i = 0; i < layer.width * layer.height; ++i)
            layer.map[i] = (u16)((bytes.U8() % (recordCount + 3)) | (bytes.U8() << 12 & 0xF000));
    }
    Layout layout{};
    layout.layers = layers;
    layout.layerCount = 2;
    layout.tileSheetCount = 1;
    layout.tileSheets = sheets;
    currentLayout = &layout;

    currentCamera = 0;
    CameraLimits& limits = cameraLimits[0];
    limits = CameraLimits{};
    const i32 widest = layers[1].width * 16, tallest = layers[1].height * 16;
    limits.leftBound = bytes.Range(-widest, widest);
    limits.rightBound = bytes.Range(-widest, 2 * widest);
    limits.topBound = bytes.Range(-tallest, tallest);
    limits.bottomBound = bytes.Range(-tallest, 2 * tallest);
    limits.wrapX = bytes.U8() & 1;
    limits.wrapY = bytes.U8() & 1;
    limits.wrapWidth = bytes.Range(-16, 2 * widest);
    limits.wrapHeight = bytes.Range(-16, 2 * tallest);

    ObjectType type{};
    type.loadCount = 1;
    AddObjectCallback(&type, Meddle, &bytes);
    ObjectHeader header{};
    header.type = &type;
    Body body{&header};
    for (int move = 0; move < 6; ++move) {
        if (move == 0 || (bytes.U8() & 3) == 0) {
            header.x = bytes.Real(3.0f * widest);
            header.y = bytes.Real(3.0f * tallest);
            header.hitboxLeft = -bytes.Range(0, 40);
            header.hitboxRight = bytes.Range(-4, 40);
            header.hitboxTop = -bytes.Range(0, 40);
            header.hitboxBottom = bytes.Range(-4, 40);
            header.collisionLayer = bytes.U8() % 3;
            header.plane = bytes.U8() % 6;
            header.prevPlane = bytes.U8() % 4;
            header.groundContact = bytes.U8() & 1;
            header.lastGroundContact = bytes.U8() & 1;
            header.angle = bytes.Real(600.0f);
            for (u8& flag : header.edgeFlags)
                flag = bytes.U8() & 1;
        }
        header.vx = bytes.Real(48.0f);
        header.vy = bytes.Real(48.0f);
        header.groundSpeed = bytes.Real(48.0f);
        switch (bytes.U8() % 4) {
        case 0:
            StepWithCallbacks(&type, &body);
            break;
        case 1:
            TryMoveOnPlane(&body, nullptr, bytes.Real(64.0f), bytes.Real(64.0f), 0.0f, bytes.U8() & 1, nullptr);
            break;
        default:
            MoveOnPlane(&body, nullptr);
            break;
        }
    }

    // The point queries and the angle helpers on the same map.
    for (int i = 0; i < 4; ++i) {
        const f32 x = bytes.Real(4.0f * widest), y = bytes.Real(4.0f * tallest);
        const u8 layer = bytes.U8() % 3;
        GetTilePixel(x, y, layer);
        GetTileCollisionFlags(x, y, layer);
        SnapToSurface(&header, x, y, layer, bytes.U8() % 6);
        VectorToAngle(x, y);
    }
    const i64 a[4] = {bytes.Range(-64, 64), bytes.Range(-64, 64), bytes.Range(-64, 64), bytes.Range(-64, 64)};
    const i64 b[4] = {bytes.Range(-64, 64), bytes.Range(-64, 64), bytes.Range(-64, 64), bytes.Range(-64, 64)};
    BoxInsideTest(a, b, bytes.U8() % 5);
    ObjectHeader other{};
    BoxOverlapResolve(a, b, &body, &other, nullptr);
    SteerAngle(&header, bytes.U8(), bytes.U8(), bytes.Real(2.0f), bytes.Real(2.0f), bytes.Real(8.0f));

    currentLayout = nullptr;
    limits = CameraLimits{};
    free(type.callbacks);
    for (TileLayer& layer : layers) {
        free(layer.map);
        free(layer.rowStarts);
    }
    return 0;
}
