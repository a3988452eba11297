// A whole gameplay tick on the Graveyard of the grey-box data set, with the right key held so the
// player runs: input, the stage's frame (attack boxes, every object's update and collision), the
// cameras, the scene draw, the doubled present copy and the headless present. Beside it the frame
// alone (the scene draw and the doubled copy of the same stage, without the object update) and the
// play alone (the stage's frame handler and the cameras, without drawing), so the cost of play
// over drawing shows.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/DataPack.h"
#include "Engine/Common/DevMenu.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Headless/Headless.h"
#include "Engine/Platform/Shell.h"
#include "Engine/Platform/Video.h"
#include "Engine/Render/PresentCopy.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Player/Player.h"
#include "Game/Stages/StageRegistry.h"
#include "bench/SlotTablesAside.h"
#include "tools/datakit/DataSet.h"

namespace fs = std::filesystem;

namespace {

constexpr int W = 424, H = 240;
constexpr int rightArrow = 77;
// Each run of the stage: a restart, ticks until the fade-in and the title card are under way, then
// the measured ticks. The player has run into whatever stops it long before a minute is over.
constexpr u32 warmUpTicks = 60, measuredTicks = 240;

// The grey-box data set, written once into a folder of its own and removed at exit.
struct DataFolder {
    fs::path path;
    bool built = false;
    DataFolder()
    {
        std::random_device device;
        path = fs::temp_directory_path() / ("palvic-tick-bench-" + std::to_string(device()));
        built = datakit::BuildDataSet(path.string());
    }
    ~DataFolder()
    {
        std::error_code error;
        fs::remove_all(path, error);
    }
};

DataFolder& TheDataFolder()
{
    static DataFolder folder;
    return folder;
}

// The game on the headless shell in 424x240, presenting at 2x, working in the data folder with
// loose files, the Graveyard current and the right key held. Everything is put back at the end.
class InGraveyard {
public:
    InGraveyard()
    {
        if (!frameMutex && !InitPlatform()) {
            why = "the headless shell did not come up";
            return;
        }
        SetVideoMode(25);
        if (videoMode != 25 || screenWidth != W || screenHeight != H || !presentDouble) {
            why = "the headless shell did not come up in 424x240";
            return;
        }
        if (!TheDataFolder().built) {
            why = "the data kit could not write the data set";
            return;
        }
        RegisterStages();
        if (!graveyardStage.load) {
            why = "the Graveyard has no handlers yet";
            return;
        }
        fs::current_path(TheDataFolder().path);
        entered = true;
        CloseDataPack();
        // What the game thread's set-up does, without another pass at the first stage.
        SetDefaultBindings();
        if (!menuFont.ready) {
            LoadBitmapFont(&menuFont, "Data/Sprites/Display/Title/MenuFont.man", -4);
            loadedFont = menuFont.ready;
        }
        for (PlayerProgress& progress : playerProgress)
            progress = PlayerProgress{3, 0, 255, 0.0f, 0.0f};
        for (u32& mode : controlModes)
            mode = ControlLive;
        gameRunning = 1;
        quitRequested = 0;
        windowActive = 1;
        devMenuOpen = 0;
        pauseMenuOpen = 0;
        windowScale = windowScaleRequest = windowedScale = 1;
        ApplyVideoMode();
        currentStage = previousStage = pendingStage = nullptr;
        stageSwitching = 0;
        headless::ReleaseAllKeys();
        headless::SetKey(rightArrow, true);
        Restart();
        if (!FirstPlayer())
            why = "no player on the Graveyard";
    }

    ~InGraveyard()
    {
        if (!entered)
            return;
        headless::ReleaseAllKeys();
        if (currentStage && currentStage->unload)
            currentStage->unload();
        currentStage = previousStage = pendingStage = nullptr;
        stageSwitching = 0;
        pauseMenuOpen = 0;
        windowScale = windowScaleRequest = windowedScale = 0;
        ApplyVideoMode();
        gameRunning = 0;
        if (loadedFont)
            FreeBitmapFont(&menuFont);
        fs::current_path(home);
    }

    InGraveyard(const InGraveyard&) = delete;
    InGraveyard& operator=(const InGraveyard&) = delete;

    // The stage entered, or restarted as the pause menu's restart does, then run to the measured part.
    void Restart()
    {
        GoToStage(&graveyardStage);
        for (u32 i = 0; i < warmUpTicks; ++i)
            Tick();
    }

    static void Tick()
    {
        pendingTicks = 1;
        RunTick();
    }

    static f32 PlayerX()
    {
        const PlayerRecord* player = FirstPlayer();
        return player && player->header ? player->header->x : 0.0f;
    }

    const char* why = nullptr;

private:
    SlotTablesAside aside;
    fs::path home = fs::current_path();
    bool entered = false;
    bool loadedFont = false;
};

// Runs the measured loop over runs of the stage, restarting it (untimed) every measuredTicks, and
// reports how far the player ran a measured tick: it shows the ticks measured were ticks of play.
template <typename Step>
void RunGraveyard(benchmark::State& state, Step step)
{
    InGraveyard graveyard;
    if (graveyard.why) {
        state.SkipWithError(graveyard.why);
        return;
    }
    u32 ticks = 0;
    f64 distance = 0.0;
    f32 startX = InGraveyard::PlayerX();
    for (auto _ : state) {
        if (ticks && ticks % measuredTicks == 0) {
            state.PauseTiming();
            distance += InGraveyard::PlayerX() - startX;
            graveyard.Restart();
            startX = InGraveyard::PlayerX();
            state.ResumeTiming();
        }
        step();
        ++ticks;
    }
    distance += InGraveyard::PlayerX() - startX;
    state.counters["runPxPerTick"] = ticks ? distance / ticks : 0.0;
}

void BM_Tick_GraveyardRun(benchmark::State& state)
{
    RunGraveyard(state, InGraveyard::Tick);
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
    InGraveyard graveyard;
    if (graveyard.why) {
        state.SkipWithError(graveyard.why);
        return;
    }
    // Halfway through a run, as the ticks above see it on average.
    for (u32 i = 0; i < measuredTicks / 2; ++i)
        InGraveyard::Tick();
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
