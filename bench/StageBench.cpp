// A whole tick of each gameplay stage of the grey-box data set with its placed objects live and
// the right key held, so player 1 runs through it: input, the stage's frame (attack boxes, every
// object's update and collision), the cameras, the scene draw, the doubled present copy and the
// headless present. Beside it the frame alone: the scene draw and the doubled copy of the same
// run, with the rest of each tick played untimed. Each reports ticks a second and the share of
// the 60 Hz tick budget that one of them takes.
#include <benchmark/benchmark.h>

#include <vector>

#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Platform/Input.h"
#include "Engine/Platform/Pads.h"
#include "Engine/Render/PresentCopy.h"
#include "Game/Actors/StageSettings.h"
#include "bench/OnStage.h"

namespace {

using namespace benchplay;

// The game ticks at 60 Hz.
constexpr f64 tickBudgetSeconds = 1.0 / 60.0;

// The part of a tick before its draw, as the game thread runs it: input, the stage switch, the
// stage's frame (attack boxes, the object update with the player's collision) and the cameras.
void PlayWithoutDrawing()
{
    PollKeyboard();
    PollPads();
    MapControls();
    ++demoSeed;
    ++tickCount;
    RefreshCurrentLayout();
    ++frameCounter;
    ServePendingStage();
    if (currentStage && currentStage->frame) {
        stageSwitching = 0;
        currentStage->frame();
    }
    UpdateCameras();
}

// Ticks a second and the share of the tick budget one measured iteration takes, in per cent.
void ReportBudget(benchmark::State& state)
{
    const f64 iterations = (f64)state.iterations();
    state.counters["ticksPerSec"] = benchmark::Counter(iterations, benchmark::Counter::kIsRate);
    state.counters["budgetPct"] = benchmark::Counter(iterations * tickBudgetSeconds / 100.0,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Whole ticks over runs of the stage, restarting it (untimed) after measuredTicks or as soon as
// the player dies or leaves; reports how far the player ran a measured tick, which shows the ticks
// measured were ticks of play.
void BM_Stage_Tick(benchmark::State& state, Stage* stage)
{
    OnStage on(stage);
    if (on.why) {
        state.SkipWithError(on.why);
        return;
    }
    u32 ticks = 0, runTicks = 0;
    f64 distance = 0.0;
    f32 startX = OnStage::PlayerX();
    u32 firstRestarts = on.restarts;
    for (auto _ : state) {
        if (runTicks == measuredTicks || !on.Playing()) {
            state.PauseTiming();
            distance += OnStage::PlayerX() - startX;
            on.Restart();
            startX = OnStage::PlayerX();
            runTicks = 0;
            state.ResumeTiming();
        }
        OnStage::Tick();
        ++ticks;
        ++runTicks;
    }
    if (on.Playing())
        distance += OnStage::PlayerX() - startX;
    ReportBudget(state);
    state.counters["runPxPerTick"] = ticks ? distance / ticks : 0.0;
    state.counters["restarts"] = (f64)(on.restarts - firstRestarts);
}

// The frame alone: the scene draw (with the objects' late updates, which belong to it) and the
// doubled copy. Drawing one state over and over is no measure: the late updates move things on
// without their updates, and the frame grows dearer draw by draw. So every iteration first plays
// the tick's other part untimed, as the tick does it, and the stage is restarted as above.
void BM_Stage_Frame(benchmark::State& state, Stage* stage)
{
    OnStage on(stage);
    if (on.why) {
        state.SkipWithError(on.why);
        return;
    }
    u32 runTicks = 0;
    std::vector<u32> present((size_t)4 * W * H);
    for (auto _ : state) {
        state.PauseTiming();
        if (runTicks == measuredTicks || !on.Playing()) {
            on.Restart();
            runTicks = 0;
        }
        PlayWithoutDrawing();
        state.ResumeTiming();
        DrawScene();
        presentDouble(frameBuffer, present.data(), present.data() + 2 * W);
        benchmark::DoNotOptimize(present.data());
        benchmark::ClobberMemory();
        state.PauseTiming();
        EaseCameraBounds();
        StepMusicFade();
        ++runTicks;
        state.ResumeTiming();
    }
    ReportBudget(state);
}

BENCHMARK_CAPTURE(BM_Stage_Tick, Graveyard, &graveyardStage);
BENCHMARK_CAPTURE(BM_Stage_Frame, Graveyard, &graveyardStage);
BENCHMARK_CAPTURE(BM_Stage_Tick, Village1, &village1Stage);
BENCHMARK_CAPTURE(BM_Stage_Frame, Village1, &village1Stage);
BENCHMARK_CAPTURE(BM_Stage_Tick, BossRush, &bossRushStage);
BENCHMARK_CAPTURE(BM_Stage_Frame, BossRush, &bossRushStage);
BENCHMARK_CAPTURE(BM_Stage_Tick, BoneZone, &boneZoneStage);
BENCHMARK_CAPTURE(BM_Stage_Frame, BoneZone, &boneZoneStage);
BENCHMARK_CAPTURE(BM_Stage_Tick, Test, &testStage);
BENCHMARK_CAPTURE(BM_Stage_Frame, Test, &testStage);

} // namespace
