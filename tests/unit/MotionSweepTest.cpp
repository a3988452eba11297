// A property sweep: bodies of random size and speed dropped into random slope worlds and run. After
// every move a body that is not moving away from its surface has no pixel of that surface inside
// its foot line, and every move finishes. A second run starts bodies of any size anywhere (in the
// rock too) on any plane and has their touch handlers throw them between planes: they must still
// finish every move. The map is copied into a block of exactly its cells so that a read past the map meets the
// sanitizers' guard instead of the loader's spare row.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>

#include "tests/unit/CollisionFixture.h"

namespace {

using datakit::CollisionWorld;

constexpr u8 layer = datakit::collisionWorldLayer;

// The test's own draws: uniform integers from a fixed-seed engine, the same on every build.
struct Draw {
    std::mt19937 engine{20261210u};
    i32 Int(i32 low, i32 high) { return low + (i32)(engine() % (u32)(high - low + 1)); }
    f32 Real(f32 low, f32 high) { return low + (high - low) * (f32)(engine() % 10001u) / 10000.0f; }
    bool Chance(u32 percent) { return engine() % 100u < percent; }
};

// A floor of ramps of random slope (steep enough in places to hand a body to a wall), blocks and
// steps on it, and stretches of sloping ceiling above.
CollisionWorld RandomWorld(Draw& draw)
{
    CollisionWorld world((u32)draw.Int(12, 28), (u32)draw.Int(10, 18));
    const i32 w = world.Width(), h = world.Height();
    i32 x = 0, y = draw.Int(h / 2, h - 24);
    while (x < w) {
        const i32 run = draw.Int(8, 96);
        const i32 rise = draw.Int(-2 * run, 2 * run) / (draw.Chance(30) ? 1 : 4);
        const i32 next = std::clamp(y + rise, 24, h - 8);
        world.Ramp(x, y, x + run, next, h);
        x += run;
        y = next;
    }
    for (int i = draw.Int(0, 6); i > 0; --i) {
        const i32 bx = draw.Int(0, w - 8), by = draw.Int(16, h - 8);
        world.Box(bx, by, bx + draw.Int(4, 48), by + draw.Int(2, 40));
    }
    for (int i = draw.Int(0, 3); i > 0; --i) {
        const i32 cx = draw.Int(0, w - 32), run = draw.Int(16, 128);
        world.CeilingRamp(cx, draw.Int(8, h / 3), cx + run, draw.Int(8, h / 3), 0);
    }
    if (draw.Chance(30)) {
        const i32 bx = draw.Int(0, w - 48), by = draw.Int(16, h - 24);
        world.Box(bx, by, bx + 48, by + 6);
        world.CellBits(bx, by, bx + 48, by + 6, datakit::SolidFloor); // a one-way floor
    }
    return world;
}

// No pixel of the box around (x, y) carries a collision flag.
bool BoxClear(f32 x, f32 y, i64 left, i64 right, i64 top, i64 bottom)
{
    for (i64 row = (i64)y + top; row <= (i64)y + bottom; ++row)
        for (i64 column = (i64)x + left; column <= (i64)x + right; ++column)
            if (GetTileCollisionFlags((f32)column, (f32)row, layer))
                return false;
    return true;
}

// Moving away from the surface of its plane.
bool MovingAway(const ObjectHeader& h)
{
    const f32 away = h.plane == PlaneFloor ? -h.vy : h.plane == PlaneRightWall ? -h.vx : h.plane == PlaneCeiling ? h.vy : h.vx;
    return away > 0.0f;
}

// Counts the callbacks of a move, and now and then stops an axis (as touch handlers do) or, when
// let, turns the body onto another plane. The last call of a move is the one at its end, when the
// mover has (unless the body was rising) just lifted it out of its surface.
struct Meddler {
    Draw* draw;
    bool turns = false;  // may change the plane
    u32 calls = 0;
    bool rising = false; // airborne and moving away from the surface at the last call
    // The plane at the last two calls. A hand-over at the last step of a move gives the body its
    // new plane before the end-of-move call, but that move still ends with the old plane's scans.
    u8 plane = 0, previousPlane = 0;
};

bool MeddlerCallback(void* argument, void* instance)
{
    Meddler* meddler = (Meddler*)argument;
    ObjectHeader* h = HeaderOf(instance);
    ++meddler->calls;
    meddler->rising = !h->groundContact && MovingAway(*h);
    meddler->previousPlane = meddler->calls > 1 ? meddler->plane : h->plane;
    meddler->plane = h->plane;
    const u32 roll = meddler->draw->engine() % 1000u;
    if (roll < 3) {
        h->vx = 0.0f;
    } else if (roll < 6) {
        h->vy = 0.0f;
    } else if (roll < 8 && meddler->turns) {
        h->plane = (u8)(roll == 7 ? 5 : (h->plane + 1 + (roll & 1)) & 3);
    }
    return true;
}

class MotionSweepTest : public CollisionFixture {
protected:
    void TearDown() override
    {
        RestoreMap();
        CollisionFixture::TearDown();
    }

    // Swaps the collision layer's map for a copy of exactly width x height cells.
    void TightenMap()
    {
        TileLayer& collision = currentLayout->layers[layer];
        const size_t cells = (size_t)collision.width * collision.height;
        tight = (u16*)malloc(cells * sizeof(u16));
        ASSERT_NE(tight, nullptr);
        memcpy(tight, collision.map, cells * sizeof(u16));
        loaded = collision.map;
        collision.map = tight;
    }

    void RestoreMap()
    {
        if (loaded && currentLayout)
            currentLayout->layers[layer].map = loaded;
        free(tight);
        tight = loaded = nullptr;
    }

    u16* tight = nullptr;
    u16* loaded = nullptr;

    // Runs bodies through random worlds: count bodies a world for ticks moves each. place() puts each
    // body; after every move check() looks at it. Between moves a body does what objects do: falls
    // while airborne (and is put back on the floor plane), runs while grounded.
    template <typename PlaceBody, typename CheckMove>
    void Sweep(Draw& draw, Meddler& meddler, int rounds, PlaceBody place, CheckMove check)
    {
        for (int round = 0; round < rounds; ++round) {
            RestoreMap();
            ResetWorld();
            const CollisionWorld world = RandomWorld(draw);
            ASSERT_TRUE(Load(world)) << "round " << round;
            TightenMap();
            if (draw.Chance(25))
                cameraLimits[0].wrapX = 1; // the bounds and wrap width are the map's from the load
            for (int b = 0; b < 10; ++b) {
                SCOPED_TRACE(::testing::Message() << "round " << round << " body " << b);
                place(world);
                            header.vx = draw.Real(-12.0f, 12.0f);
                header.vy = draw.Real(-6.0f, 6.0f);
                const f32 run = draw.Real(-10.0f, 10.0f);
                for (u8& flag : header.edgeFlags)
                    flag = draw.Chance(20) ? 1 : 0;
                for (int tick = 0; tick < 80; ++tick) {
                    if (header.groundContact) {
                        header.groundSpeed = run;
                    } else {
                        header.vy = std::min(header.vy + 0.5f, 10.0f);
                        if (!meddler.turns)
                            header.plane = PlaneFloor;
                    }
                    const f32 speed = std::fabs(header.vx) + std::fabs(header.vy) + 2.0f * std::fabs(header.groundSpeed);
                    meddler.calls = 0;
                    Move();
                    // Every pixel step runs the callbacks a bounded number of times, and so does every
                    // mover a hand-over calls: the move finished its walk.
                    ASSERT_LE(meddler.calls, (u32)(4.0f * speed) + 16u) << "tick " << tick;
                    check(tick);
                }
            }
        }
    }
};

TEST_F(MotionSweepTest, DroppedBodiesEndClearOfTheirSurface)
{
    Draw draw;
    Meddler meddler{&draw};
    AddObjectCallback(&type, MeddlerCallback, &meddler);
    int moves = 0, groundedMoves = 0, wallMoves = 0;
    Sweep(
        draw, meddler, 30,
        [&](const CollisionWorld& world) {
            // Dropped into open air: somewhere its whole box is clear. At least 18 pixels across
            // either way: a smaller body has no side sensors clear of the 8 rows next to its surface
            // on one plane or another, and with nothing to stop it climbs into any rock its leading
            // foot meets (the second sweep runs those).
            const i64 left = -draw.Int(1, 16), right = draw.Int((i32)(18 + left < 1 ? 1 : 18 + left), 24);
            const i64 top = -draw.Int(1, 24), bottom = draw.Int((i32)(18 + top < 1 ? 1 : 18 + top), 28);
            f32 x, y;
            do {
                x = draw.Real(0.0f, (f32)world.Width());
                y = draw.Real(0.0f, (f32)world.Height());
            } while (!BoxClear(x, y, left, right, top, bottom));
            Place(x, y, left, right, top, bottom);
        },
        [&](int tick) {
            ++moves;
            groundedMoves += header.groundContact ? 1 : 0;
            wallMoves += header.plane != PlaneFloor ? 1 : 0;
            // A body that was not moving away from its surface when the move ended is clear of it.
            // (Rising, a body passes up through one-way floors with its feet in them.)
            if (meddler.calls && !meddler.rising) {
                ObjectHeader scanned = header, before = header;
                scanned.plane = meddler.plane;
                before.plane = meddler.previousPlane;
                ASSERT_TRUE(FootLineClear(scanned, layer) || FootLineClear(before, layer))
                    << "tick " << tick << " plane " << (int)scanned.plane << " at " << header.x << "," << header.y;
            }
        });
    // The sweep did reach the paths it is about.
    EXPECT_GT(groundedMoves, moves / 4);
    EXPECT_GT(wallMoves, 0);
}

TEST_F(MotionSweepTest, BodiesInAnyStateStillFinishTheirMoves)
{
    Draw draw;
    Meddler meddler{&draw, true};
    AddObjectCallback(&type, MeddlerCallback, &meddler);
    int moves = 0;
    Sweep(
        draw, meddler, 20,
        [&](const CollisionWorld& world) {
            // Anywhere, in the rock or off the map, on any plane, of any size up to half the map.
            const i64 most = world.Height() / 2;
            Place(draw.Real(-64.0f, (f32)world.Width() + 64.0f), draw.Real(-64.0f, (f32)world.Height() + 64.0f),
                  -draw.Int(0, (i32)most), draw.Int(0, (i32)most), -draw.Int(0, (i32)most), draw.Int(0, (i32)most));
            header.plane = (u8)draw.Int(0, 3);
            header.prevPlane = (u8)draw.Int(0, 3);
            if (draw.Chance(50)) {
                header.groundContact = header.lastGroundContact = layer;
                header.angle = draw.Real(-300.0f, 600.0f);
            }
        },
        [&](int) { ++moves; });
    EXPECT_EQ(moves, 20 * 10 * 80);
}

} // namespace
