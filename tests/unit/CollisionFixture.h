// A collision world made by the data kit, loaded from a scratch folder as the current layout, with
// one body (an instance whose header belongs to a test type) to move through it.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "Engine/Collision/Motion.h"
#include "Engine/Collision/MotionScratch.h"
#include "Engine/Collision/TileQuery.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "tests/unit/ScratchDir.h"
#include "tools/datakit/CollisionKit.h"

struct BodyInstance {
    ObjectHeader* header; // an instance's data begins with its header pointer
};

// The line inside the body next to its plane's surface side (the foot line), and the line on that
// side (the floor line): the surface stands the body when the first is clear of the surface's bit
// all along and the second has it somewhere. Read through the tile queries.
struct SurfaceLines {
    i32 x0, y0, dx, dy, count; // the foot line
    i32 outX, outY;            // from a foot-line pixel to its floor-line pixel
    i32 flag;
};

inline SurfaceLines SurfaceLinesOf(const ObjectHeader& h)
{
    const i32 x = (i32)h.x, y = (i32)h.y;
    const i32 l = (i32)h.hitboxLeft, r = (i32)h.hitboxRight, t = (i32)h.hitboxTop, b = (i32)h.hitboxBottom;
    const SurfaceLines lines[4] = {
        {x + l + 1, y + b - 1, 1, 0, r - l - 1, 0, 1, 1},  // floor
        {x + r - 1, y + t + 1, 0, 1, b - t - 1, 1, 0, 4},  // wall on the right
        {x + l + 1, y + t + 1, 1, 0, r - l - 1, 0, -1, 2}, // ceiling
        {x + l + 1, y + t + 1, 0, 1, b - t - 1, -1, 0, 8}, // wall on the left
    };
    return lines[h.plane & 3];
}

// No pixel of the foot line carries the surface's bit.
inline bool FootLineClear(const ObjectHeader& h, u8 layer)
{
    const SurfaceLines line = SurfaceLinesOf(h);
    for (i32 i = 0; i < line.count; ++i)
        if (GetTileCollisionFlags((f32)(line.x0 + line.dx * i), (f32)(line.y0 + line.dy * i), layer) & line.flag)
            return false;
    return true;
}

// Standing on the surface of its plane.
inline bool OnSurface(const ObjectHeader& h, u8 layer = datakit::collisionWorldLayer)
{
    if (!FootLineClear(h, layer))
        return false;
    const SurfaceLines line = SurfaceLinesOf(h);
    for (i32 i = 0; i < line.count; ++i)
        if (GetTileCollisionFlags((f32)(line.x0 + line.dx * i + line.outX), (f32)(line.y0 + line.dy * i + line.outY),
                                  layer) &
            line.flag)
            return true;
    return false;
}

class CollisionFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetWorld();
        type = ObjectType{};
        type.loadCount = 1; // so that touch callbacks can be added
        header = ObjectHeader{};
        header.type = &type;
        body.header = &header;
    }

    void TearDown() override
    {
        ResetWorld();
        free(type.callbacks);
        type.callbacks = nullptr;
    }

    static void ResetWorld()
    {
        FreeLayoutSlotTables();
        currentLayout = nullptr;
        currentLayoutSlot = -1;
        currentCamera = 0;
        for (CameraLimits& limits : cameraLimits)
            limits = CameraLimits{};
    }

    // Writes the world into its own folder and makes it the current layout.
    bool Load(const datakit::CollisionWorld& world)
    {
        const std::string folder = "Data/Stages/World" + std::to_string(loads++);
        if (!datakit::WriteCollisionWorld(folder, world))
            return false;
        currentLayoutSlot = LoadLayout((folder + "/layout1.bin").c_str());
        currentLayout = LayoutInSlot(currentLayoutSlot);
        return currentLayout && currentLayout->layerCount == 2;
    }

    // Puts the body at (x, y) on the collision layer, airborne on the floor plane, with a hitbox.
    void Place(f32 x, f32 y, i64 left, i64 right, i64 top, i64 bottom)
    {
        header.x = x;
        header.y = y;
        header.vx = header.vy = header.groundSpeed = 0.0f;
        header.hitboxLeft = left;
        header.hitboxRight = right;
        header.hitboxTop = top;
        header.hitboxBottom = bottom;
        header.collisionLayer = datakit::collisionWorldLayer;
        header.plane = header.prevPlane = PlaneFloor;
        header.groundContact = header.lastGroundContact = 0;
        header.angle = angleNone;
        for (u64& contact : header.contacts)
            contact = 0;
        for (u8& flag : header.edgeFlags)
            flag = 0;
    }

    // Lands the body where it stands: one move with no speed, which grounds it on a floor.
    void Settle()
    {
        header.vx = header.vy = 0.0f;
        MoveOnPlane(&body, nullptr);
    }

    void Move() { MoveOnPlane(&body, nullptr); }

    ScratchDir scratch;
    ObjectType type{};
    ObjectHeader header{};
    BodyInstance body{};
    int loads = 0;
};
