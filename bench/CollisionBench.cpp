// One tick of MoveOnPlane for 1000 bodies running over rolling slopes, beside the same bodies
// walked through the same pixels by StepWithCallbacks, which reads no tile, and beside the reset of
// the crowd that both do before every tick (so it can be taken off both).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "Engine/Collision/Motion.h"
#include "Engine/Collision/TileQuery.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "tools/datakit/CollisionKit.h"

namespace {

namespace fs = std::filesystem;

struct BenchBody {
    ObjectHeader* header;
};

struct Crowd {
    Layout* layout = nullptr;
    ObjectType type{};
    std::vector<ObjectHeader> start, headers;
    std::vector<BenchBody> bodies;
};

// 1024 x 384 pixels of hills: ramps of up to 45 degrees up and down, with a step here and there.
datakit::CollisionWorld Hills(std::mt19937& random)
{
    datakit::CollisionWorld world(64, 24);
    i32 x = 0, y = 280;
    while (x < world.Width()) {
        const i32 run = 16 + (i32)(random() % 64);
        const i32 next = std::clamp(y + (i32)(random() % (2 * run + 1)) - run, 160, 360);
        world.Ramp(x, y, x + run, next, world.Height());
        if (random() % 4 == 0)
            world.Box(x + run - 8, next - 6, x + run, next);
        x += run;
        y = next;
    }
    return world;
}

Crowd& TheCrowd()
{
    static Crowd crowd = [] {
        Crowd made;
        std::mt19937 random(1234u);
        const fs::path folder = fs::temp_directory_path() / ("palvic-collision-bench-" + std::to_string(random()));
        const datakit::CollisionWorld world = Hills(random);
        if (!datakit::WriteCollisionWorld(folder.string(), world))
            return made;
        made.layout = LayoutInSlot(LoadLayout((folder / "layout1.bin").string().c_str()));
        fs::remove_all(folder);
        if (!made.layout)
            return made;
        currentLayout = made.layout;
        made.headers.resize(1000);
        made.bodies.resize(1000);
        for (size_t i = 0; i < made.headers.size(); ++i) {
            ObjectHeader& h = made.headers[i];
            made.bodies[i].header = &h;
            h.type = &made.type;
            h.x = 16.0f + (f32)(random() % (u32)(world.Width() - 32));
            h.y = 0.0f;
            h.hitboxLeft = -8;
            h.hitboxRight = 8;
            h.hitboxTop = -16;
            h.hitboxBottom = 16;
            h.collisionLayer = datakit::collisionWorldLayer;
            h.angle = angleNone;
            // Feet a little into the hills (the first move lifts it out and lands it), then running.
            i32 top = 0;
            while (top < world.Height() && !(GetTileCollisionFlags(h.x, (f32)top, h.collisionLayer) & TileFlagFloor))
                ++top;
            h.y = (f32)(top - 16 + 2);
            MoveOnPlane(&made.bodies[i], nullptr);
            MoveOnPlane(&made.bodies[i], nullptr);
            h.groundSpeed = (f32)((i32)(random() % 11) - 5) + 0.5f;
            MoveOnPlane(&made.bodies[i], nullptr);
        }
        made.start = made.headers;
        return made;
    }();
    return crowd;
}

// Puts the crowd back where it stood before the tick.
void ResetCrowd(Crowd& crowd)
{
    std::copy(crowd.start.begin(), crowd.start.end(), crowd.headers.begin());
    benchmark::ClobberMemory();
}

void BM_Collision_ResetCrowd(benchmark::State& state)
{
    Crowd& crowd = TheCrowd();
    for (auto _ : state)
        ResetCrowd(crowd);
    state.SetItemsProcessed(state.iterations() * (i64)crowd.bodies.size());
}

void BM_Collision_MoveOnPlane(benchmark::State& state)
{
    Crowd& crowd = TheCrowd();
    if (!crowd.layout) {
        state.SkipWithError("the hills could not be written or loaded");
        return;
    }
    currentLayout = crowd.layout;
    for (auto _ : state) {
        ResetCrowd(crowd);
        for (BenchBody& body : crowd.bodies)
            MoveOnPlane(&body, nullptr);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * (i64)crowd.bodies.size());
}

// The same bodies with the speeds their last move on the hills gave them, walked pixel by pixel
// with the callbacks but without a tile.
void BM_Collision_StepWithCallbacks(benchmark::State& state)
{
    Crowd& crowd = TheCrowd();
    for (auto _ : state) {
        ResetCrowd(crowd);
        for (BenchBody& body : crowd.bodies)
            StepWithCallbacks(&crowd.type, &body);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * (i64)crowd.bodies.size());
}

} // namespace

BENCHMARK(BM_Collision_ResetCrowd)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Collision_MoveOnPlane)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Collision_StepWithCallbacks)->Unit(benchmark::kMicrosecond);
