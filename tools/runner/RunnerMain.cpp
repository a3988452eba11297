// runner: the game on the headless backend.
//
//   runner DATA_DIR TICKS [--keys SCRIPT] [--checksums FILE] [--png TICK:FILE]... [--trace FILE]
//          [--lives N] [--watch TYPE[:INDEX]]... [--start-at X,Y] [--video-mode N]
//          [--stage NAME | --objects FILE | --text FILE | --layout FILE]
//
// Runs TICKS ticks of the game from DATA_DIR with a virtual clock. SCRIPT holds one key event a
// line, "TICK SLOT down" or "TICK SLOT up" (SLOT a keyboard scan code, decimal or 0x hex), applied
// before that tick's poll, or "FROM-TO SLOT", which holds the key down over ticks FROM to TO
// inclusive (a key held over two ranges that meet stays down: leave a tick between them for a
// second press). Lines are applied in tick order. --checksums writes one line a tick: the tick
// number and an FNV-1a hash of the frame. --png writes the frame of a tick as a PNG. --trace writes
// a CSV with a header line and one row a tick of player 1: state (normal, air, hanging, hurt,
// defeated, defeatedFall, none for no state function, other, or absent while no player is
// spawned), position, speeds, plane, surface
// angle, the four contacts and the ground contact, health, and the current stage's name; then the
// fight: invulnerable count, lives, vanquished enemies, live enemies and bones, and the nearest
// enemy's position and hit points. --lives gives the players N lives at the start instead of 3.
// --watch (a test tool) adds trace columns of one instance of an actor type: the type's live count,
// then the instance's state, position, speeds, hit points, flip, animation and frame.
// --start-at (a test tool) puts player 1 at X,Y after the first tick it is spawned, so that a run
// can begin next to what it tests.
// --video-mode (a test tool) runs in video mode N instead of the start-up's 25 (424x240): 20 is
// 320x240, 24 is 640x480.
// --stage starts the game's stage of that name ("Test", "Graveyard", "Village 1", ...) at the
// first tick instead of the game's own first stage.
// --objects writes a placement file of test markers at FILE with the data kit and runs a stage of
// its own that places, updates and draws them.
// --text draws the Braktext file FILE in a box, with the menu font and the dev font at each
// alignment beside it.
// --layout loads the stage layout FILE (a path inside DATA_DIR, as the game names them), shows all
// its layers and pans camera 0 across it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/DataPack.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Headless/Headless.h"
#include "Engine/Platform/Shell.h"
#include "Engine/Render/VideoMode.h"
#include "tools/runner/Png.h"
#include "tools/runner/RunnerLayout.h"
#include "tools/runner/RunnerObjects.h"
#include "tools/runner/RunnerPlay.h"
#include "tools/runner/RunnerText.h"

namespace {

u32 FrameChecksum()
{
    u32 hash = 2166136261u;
    const u8* bytes = (const u8*)frameBuffer;
    for (u32 i = 0; i < frameBytes; ++i)
        hash = (hash ^ bytes[i]) * 16777619u;
    return hash;
}

int Usage()
{
    fprintf(stderr, "usage: runner DATA_DIR TICKS [--keys SCRIPT] [--checksums FILE] [--png TICK:FILE]... "
                    "[--trace FILE] [--lives N] [--watch TYPE[:INDEX]]... [--start-at X,Y] [--video-mode N] [--stage NAME | --objects FILE | --text FILE | --layout FILE]\n");
    return 2;
}

// Leaves the game as the shell would and returns the exit code.
int EndRun(int code)
{
    gameRunning = 0;
    FreeBitmapFont(&menuFont);
    ShutdownPlatform();
    return code;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    const std::string dataDir = argv[1];
    const long ticks = strtol(argv[2], nullptr, 10);
    if (ticks < 0)
        return Usage();
    std::vector<KeyEvent> events;
    const char* checksumPath = nullptr;
    std::map<u32, std::string> pngs;
    std::string objectsPath;
    std::string layoutPath;
    std::string textPath;
    std::string tracePath;
    const char* stageName = nullptr;
    long lives = -1;
    long videoMode = 25;
    for (int i = 3; i < argc; ++i) {
        if (strcmp(argv[i], "--keys") == 0 && i + 1 < argc) {
            if (!ReadKeyScript(argv[++i], &events))
                return 1;
        } else if (strcmp(argv[i], "--checksums") == 0 && i + 1 < argc) {
            checksumPath = argv[++i];
        } else if (strcmp(argv[i], "--png") == 0 && i + 1 < argc) {
            const char* spec = argv[++i];
            const char* colon = strchr(spec, ':');
            if (!colon)
                return Usage();
            pngs[(u32)strtoul(spec, nullptr, 10)] = std::filesystem::absolute(colon + 1).string();
        } else if (strcmp(argv[i], "--objects") == 0 && i + 1 < argc) {
            objectsPath = std::filesystem::absolute(argv[++i]).string();
        } else if (strcmp(argv[i], "--layout") == 0 && i + 1 < argc) {
            layoutPath = argv[++i];
        } else if (strcmp(argv[i], "--text") == 0 && i + 1 < argc) {
            textPath = std::filesystem::absolute(argv[++i]).string();
        } else if (strcmp(argv[i], "--trace") == 0 && i + 1 < argc) {
            tracePath = std::filesystem::absolute(argv[++i]).string();
        } else if (strcmp(argv[i], "--watch") == 0 && i + 1 < argc) {
            if (!AddTraceWatch(argv[++i])) {
                fprintf(stderr, "runner: --watch wants TYPE or TYPE:INDEX, not \"%s\"\n", argv[i]);
                return Usage();
            }
        } else if (strcmp(argv[i], "--start-at") == 0 && i + 1 < argc) {
            float x = 0.0f, y = 0.0f;
            char tail = 0;
            if (sscanf(argv[++i], "%f,%f%c", &x, &y, &tail) != 2) {
                fprintf(stderr, "runner: --start-at wants X,Y, not \"%s\"\n", argv[i]);
                return Usage();
            }
            SetPlayerStartAt(x, y);
        } else if (strcmp(argv[i], "--stage") == 0 && i + 1 < argc) {
            stageName = argv[++i];
        } else if (strcmp(argv[i], "--video-mode") == 0 && i + 1 < argc) {
            char* end = nullptr;
            videoMode = strtol(argv[++i], &end, 10);
            if (end == argv[i] || *end || (videoMode != 20 && videoMode != 24 && videoMode != 25))
                return Usage();
        } else if (strcmp(argv[i], "--lives") == 0 && i + 1 < argc) {
            char* end = nullptr;
            lives = strtol(argv[++i], &end, 10);
            if (end == argv[i] || *end || lives < 0 || lives > 255)
                return Usage();
        } else {
            return Usage();
        }
    }
    if ((stageName != nullptr) + !objectsPath.empty() + !textPath.empty() + !layoutPath.empty() > 1) {
        fprintf(stderr, "runner: --stage, --objects, --text and --layout each start a stage; give one\n");
        return 2;
    }
    FILE* checksums = nullptr;
    if (checksumPath && !(checksums = fopen(std::filesystem::absolute(checksumPath).string().c_str(), "wb"))) {
        fprintf(stderr, "runner: cannot write %s\n", checksumPath);
        return 1;
    }

    std::error_code error;
    std::filesystem::current_path(dataDir, error);
    if (error) {
        fprintf(stderr, "runner: cannot enter %s\n", dataDir.c_str());
        return 1;
    }

    snprintf(windowTitle, sizeof(windowTitle), "Brakkenfell");
    if (!InitPlatform())
        return 1;
    SetVideoMode((u8)videoMode);
    OpenDataPack();
    OnMainWindowActivate(true);
    GameSetup();
    if (lives >= 0)
        SetPlayerLives((u8)lives);
    if (!objectsPath.empty() && !StartMarkerStage(objectsPath.c_str())) {
        fprintf(stderr, "runner: cannot write %s\n", objectsPath.c_str());
        return 1;
    }
    if (!layoutPath.empty())
        StartLayoutStage(layoutPath.c_str());
    if (!textPath.empty())
        StartTextStage(textPath.c_str());
    if (stageName && !RequestStageNamed(stageName))
        return EndRun(1);
    if (!tracePath.empty() && !OpenPlayerTrace(tracePath)) {
        fprintf(stderr, "runner: cannot write %s\n", tracePath.c_str());
        return EndRun(1);
    }

    size_t nextEvent = 0;
    const i64 tickLength = headless::counterFrequency / 60;
    for (u32 tick = 0; tick < (u32)ticks && gameRunning; ++tick) {
        for (; nextEvent < events.size() && events[nextEvent].tick <= tick; ++nextEvent)
            headless::SetKey(events[nextEvent].slot, events[nextEvent].down);
        headless::SetCounter(headless::Counter() + tickLength);
        GamePass();
        ApplyPlayerStartAt();
        if (checksums)
            fprintf(checksums, "%u %08x\n", tick, FrameChecksum());
        WritePlayerTraceRow(tick);
        auto png = pngs.find(tick);
        if (png != pngs.end() && !WritePng(png->second, frameBuffer, (u32)screenWidth, (u32)screenHeight)) {
            fprintf(stderr, "runner: cannot write %s\n", png->second.c_str());
            return 1;
        }
    }
    if (checksums)
        fclose(checksums);
    if (!ClosePlayerTrace()) {
        fprintf(stderr, "runner: cannot write %s\n", tracePath.c_str());
        return EndRun(1);
    }
    return EndRun(0);
}
