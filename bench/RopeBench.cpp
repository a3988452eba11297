// One tick of the rope while swinging (SwingRope: line, hand, joint pass, pull) with the rope bent
// round many corners, beside the same tick on a straight rope of about the same length, which
// traces the same number of pixels without a bend to keep.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>

#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Platform/Controls.h"
#include "Game/Player/Player.h"
#include "Game/Whip/Whip.h"
#include "tools/datakit/CollisionKit.h"

namespace {

namespace fs = std::filesystem;

constexpr u8 layer = datakit::collisionWorldLayer;
constexpr f32 pi = 3.14159265f;

// Teeth hang from a ceiling with their lower ends on a circle's underside, so a rope from the left
// of the circle swung round under it and up to the right wraps a corner of every tooth. The floor
// world holds a plain ceiling for the straight rope.
struct RopeScene {
    Layout* bent = nullptr;
    Layout* straight = nullptr;
    f32 cx = 512.0f, cy = 24.0f, radius = 320.0f;
};

Layout* LoadWorld(const datakit::CollisionWorld& world, const char* name)
{
    std::random_device seed;
    const fs::path folder = fs::temp_directory_path() / (std::string(name) + std::to_string(seed()));
    if (!datakit::WriteCollisionWorld(folder.string(), world))
        return nullptr;
    Layout* layout = LayoutInSlot(LoadLayout((folder / "layout1.bin").string().c_str()));
    fs::remove_all(folder);
    return layout;
}

RopeScene& TheScene()
{
    static RopeScene scene = [] {
        RopeScene made;
        datakit::CollisionWorld teeth(64, 24);
        teeth.Box(0, 0, teeth.Width(), (i32)made.cy);
        for (i32 x = 200; x + 16 < 830; x += 24) {
            const f32 dx = (f32)x + 8.0f - made.cx;
            const f32 depth = std::sqrt(std::max(0.0f, made.radius * made.radius - dx * dx)) * 0.9f;
            teeth.Box(x, (i32)made.cy, x + 16, (i32)(made.cy + std::max(8.0f, depth)));
        }
        made.bent = LoadWorld(teeth, "palvic-rope-bench-bent-");
        datakit::CollisionWorld open(64, 24);
        open.Box(0, 0, open.Width(), (i32)made.cy);
        made.straight = LoadWorld(open, "palvic-rope-bench-straight-");
        return made;
    }();
    return scene;
}

struct Rig {
    ObjectHeader playerHeader{}, tipHeader{};
    PlayerRecord player{};
    WhipRecord whip{};
};

void Setup(Rig& rig)
{
    rig.player.header = &rig.playerHeader;
    rig.player.whip = &rig.whip;
    rig.player.state = PlayerStateAir;
    rig.player.maxRun = 2.65625f;
    rig.whip.header = &rig.tipHeader;
    rig.playerHeader.collisionLayer = layer;
    rig.tipHeader.collisionLayer = layer;
    rig.whip.state = WhipSwing;
    rig.player.lineLength = maxLineLength;
}

void RunSwing(benchmark::State& state, bool bent)
{
    RopeScene& scene = TheScene();
    currentLayout = bent ? scene.bent : scene.straight;
    if (!currentLayout) {
        state.SkipWithError("no layout");
        return;
    }
    playerControls[0].heldMask = playerControls[0].pressedMask = 0;
    static Rig rig;
    rig = Rig{};
    Setup(rig);
    // The hook at the circle's left, under the ceiling.
    rig.tipHeader.x = scene.cx - scene.radius - 20.0f;
    rig.tipHeader.y = scene.cy + 1.0f;
    // Wrap the rope: the player swung round under the circle from the left to the upper right.
    f32 endX = 0, endY = 0;
    for (int d = 175; d >= 8; --d) {
        const f32 t = (f32)d * pi / 180.0f;
        endX = scene.cx + (scene.radius + 40.0f) * std::cos(t);
        endY = scene.cy + (scene.radius + 40.0f) * std::sin(t) * 0.95f;
        rig.playerHeader.x = endX;
        rig.playerHeader.y = endY;
        RopeJointPass(&rig.player, nullptr, nullptr);
    }
    if (!bent) {
        // A straight rope of about the bent one's length, corner to corner of the world.
        rig.whip.jointCount = 0;
        rig.tipHeader.x = 40.0f;
        endX = 860.0f;
        endY = 345.0f;
    }
    const u8 joints = rig.whip.jointCount;
    u64 ticks = 0;
    u32 measured = 0;
    for (auto _ : state) {
        // A small swing at the end of the rope, so the keep-tests see the rope move.
        rig.playerHeader.x = endX + (f32)(ticks % 8);
        rig.playerHeader.y = endY;
        rig.playerHeader.vx = rig.playerHeader.vy = 0.0f;
        rig.whip.state = WhipSwing;
        SwingRope(&rig.player);
        measured = (u32)rig.player.whipExtension >> 8;
        ++ticks;
        benchmark::DoNotOptimize(rig.playerHeader.vx);
    }
    state.counters["joints"] = joints;
    state.counters["ropePx"] = measured;
    currentLayout = nullptr;
}

void BM_SwingRopeBentRound(benchmark::State& state)
{
    RunSwing(state, true);
}
BENCHMARK(BM_SwingRopeBentRound);

// Baseline: the same tick on a straight rope.
void BM_SwingRopeStraight(benchmark::State& state)
{
    RunSwing(state, false);
}
BENCHMARK(BM_SwingRopeStraight);

} // namespace
