// A whole tick of each gameplay stage of the grey-box data set with its placed objects live and
// the right key held, so player 1 runs through it: input, the stage's frame (attack boxes, every
// object's update and collision), the cameras, the scene draw, the doubled present copy and the
// headless present. Beside it the frame alone: the scene draw and the doubled copy of the same
// run, with the rest of each tick played untimed. Each reports ticks a second and the share of
// the 60 Hz tick budget that one of them takes.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/DataPack.h"
#include "Engine/Common/DevMenu.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Headless/Headless.h"
#include "Engine/Platform/Input.h"
#include "Engine/Platform/Pads.h"
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
// Each run of a stage: a restart, ticks until the fade-in is over and the player is on its way,
// then the measured ticks; a run ends early when the player dies or the stage is left.
constexpr u32 warmUpTicks = 60, measuredTicks = 240;
constexpr f64 tickBudgetSeconds = 1.0 / 60.0;

// The grey-box data set, written once into a folder of its own and removed at exit.
struct DataFolder {
    fs::path path;
    bool built = false;
    DataFolder()
    {
        std::random_device device;
        path = fs::temp_directory_path() / ("palvic-stage-bench-" + std::to_string(device()));
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
// loose files, one stage current and the right key held. Everything is put back at the end.
class OnStage {
public:
    explicit OnStage(Stage* stage) : stage(stage)
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
        if (!stage->load) {
            why = "the stage has no handlers yet";
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
            why = "no player on the stage";
    }

    ~OnStage()
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

    OnStage(const OnStage&) = delete;
    OnStage& operator=(const OnStage&) = delete;

    // The stage entered afresh with full lives, as the pause menu's restart does, then run to the
    // measured part.
    void Restart()
    {
        for (PlayerProgress& progress : playerProgress)
            progress = PlayerProgress{3, 0, 255, 0.0f, 0.0f};
        pendingStage = nullptr;
        stageSwitching = 0;
        GoToStage(stage);
        for (u32 i = 0; i < warmUpTicks; ++i)
            Tick();
        ++restarts;
    }

    // True while the ticks are still ticks of play on this stage: it is current, no switch or
    // restart is asked for, and player 1 is there and alive.
    bool Playing() const
    {
        if (currentStage != stage || pendingStage || stageSwitching)
            return false;
        const PlayerRecord* player = FirstPlayer();
        return player && player->header && player->health && !player->deathTimer;
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

    Stage* stage;
    const char* why = nullptr;
    u32 restarts = 0;

private:
    SlotTablesAside aside;
    fs::path home = fs::current_path();
    bool entered = false;
    bool loadedFont = false;
};

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
