// A whole gameplay tick on the Graveyard of the grey-box data set, with the right key held so the
// player runs: input, the stage's frame (attack boxes, every object's update and collision), the
// cameras, the scene draw, the doubled present copy and the headless present. Beside it the frame
// alone (the scene draw and the doubled copy of the same stage, without the object update) and the
// play alone (the stage's frame handler and the cameras, without drawing), so the cost of play
// over drawing shows.
#include <benchmark/benchmark.h>

#include <vector>

#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Render/PresentCopy.h"
#include "Game/Actors/StageSettings.h"
#include "bench/OnStage.h"

namespace {

using namespace benchplay;

// Runs the measured loop over runs of the stage, restarting it (untimed) every measuredTicks, and
// reports how far the player ran a measured tick: it shows the ticks measured were ticks of play.
template <typename Step>
void RunGraveyard(benchmark::State& state, Step step)
{
    OnStage graveyard(&graveyardStage);
    if (graveyard.why) {
        state.SkipWithError(graveyard.why);
        return;
    }
    u32 ticks = 0;
    f64 distance = 0.0;
    f32 startX = OnStage::PlayerX();
    for (auto _ : state) {
        if (ticks && ticks % measuredTicks == 0) {
            state.PauseTiming();
            distance += OnStage::PlayerX() - startX;
            graveyard.Restart();
            startX = OnStage::PlayerX();
            state.ResumeTiming();
        }
        step();
        ++ticks;
    }
    distance += OnStage::PlayerX() - startX;
    state.counters["runPxPerTick"] = ticks ? distance / ticks : 0.0;
}

void BM_Tick_GraveyardRun(benchmark::State& state)
{
    RunGraveyard(state, OnStage::Tick);
}
BENCHMARK(BM_Tick_GraveyardRun);

// The play of the tick without its drawing: the stage's frame handler (attack boxes, the object
// update with the player's collision, the exit test) and the cameras. The controls stay as the last
// whole tick mapped them: right held.
void BM_Tick_GraveyardPlay(benchmark::State& state)
{
    RunGraveyard(state, [] {
        stageSwitching = 0;
        currentStage->frame();
        UpdateCameras();
    });
}
BENCHMARK(BM_Tick_GraveyardPlay);

void BM_Tick_GraveyardFrame(benchmark::State& state)
{
    OnStage graveyard(&graveyardStage);
    if (graveyard.why) {
        state.SkipWithError(graveyard.why);
        return;
    }
    // Halfway through a run, as the ticks above see it on average.
    for (u32 i = 0; i < measuredTicks / 2; ++i)
        OnStage::Tick();
    std::vector<u32> present((size_t)4 * W * H);
    for (auto _ : state) {
        DrawScene();
        presentDouble(frameBuffer, present.data(), present.data() + 2 * W);
        benchmark::DoNotOptimize(present.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Tick_GraveyardFrame);

} // namespace
