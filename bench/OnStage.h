// Benchmarks that run the game on the headless shell: the shell in 424x240 presenting at 2x, the
// game state a tick expects set for play and put back, and one stage of the grey-box data set
// current with the right key held, so player 1 runs through it.
#pragma once
#include <filesystem>
#include <random>
#include <string>

#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/DataPack.h"
#include "Engine/Common/DevMenu.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Headless/Headless.h"
#include "Engine/Platform/Shell.h"
#include "Engine/Platform/Video.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Player/Player.h"
#include "bench/SlotTablesAside.h"
#include "tools/datakit/DataSet.h"

namespace benchplay {

constexpr int W = 424, H = 240;
constexpr int rightArrow = 77;
// Each run of a stage: a restart, ticks until the fade-in is over and the player is on its way,
// then the measured ticks.
constexpr u32 warmUpTicks = 60, measuredTicks = 240;

// The headless shell up in video mode 25: 424x240, presented at 2x.
inline bool UseShell()
{
    if (!frameMutex && !InitPlatform())
        return false;
    SetVideoMode(25);
    return videoMode == 25 && screenWidth == W && screenHeight == H && presentDouble;
}

// The shell's flags as they are while the game runs in a 1x window, and back as they were.
inline void EnterPlay()
{
    gameRunning = 1;
    quitRequested = 0;
    windowActive = 1;
    devMenuOpen = 0;
    pauseMenuOpen = 0;
    windowScale = windowScaleRequest = windowedScale = 1;
    ApplyVideoMode();
}

// No stage current and no switch pending afterwards, as the other benchmarks expect.
inline void LeavePlay()
{
    currentStage = previousStage = pendingStage = nullptr;
    stageSwitching = 0;
    pauseMenuOpen = 0;
    windowScale = windowScaleRequest = windowedScale = 0;
    ApplyVideoMode();
    gameRunning = 0;
}

// The grey-box data set, written once a run into a folder of its own and removed at exit.
struct DataFolder {
    std::filesystem::path path;
    bool built = false;
    DataFolder()
    {
        std::random_device device;
        path = std::filesystem::temp_directory_path() / ("palvic-stage-bench-" + std::to_string(device()));
        built = datakit::BuildDataSet(path.string());
    }
    ~DataFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
};

inline DataFolder& TheDataFolder()
{
    static DataFolder folder;
    return folder;
}

// The game working in the data folder with loose files, one stage current and the right key held.
// Everything is put back at the end.
class OnStage {
public:
    explicit OnStage(Stage* stage) : stage(stage)
    {
        if (!UseShell()) {
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
        std::filesystem::current_path(TheDataFolder().path);
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
        EnterPlay();
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
        LeavePlay();
        if (loadedFont)
            FreeBitmapFont(&menuFont);
        std::filesystem::current_path(home);
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
    std::filesystem::path home = std::filesystem::current_path();
    bool entered = false;
    bool loadedFont = false;
};

} // namespace benchplay
