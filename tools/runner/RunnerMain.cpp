// runner: the game on the headless backend.
//
//   runner DATA_DIR TICKS [--keys SCRIPT] [--checksums FILE] [--png TICK:FILE]... [--trace FILE]
//          [--lives N] [--watch TYPE[:INDEX]]... [--start-at X,Y] [--video-mode N]
//          [--stage NAME | --objects FILE | --text FILE | --layout FILE] [--serve]
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
// enemy's position and hit points; the whip, the bones and the checkpoint; and the camera's scroll.
// --lives gives the players N lives at the start instead of 3.
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
// --serve (a test tool for searching key scripts; not on Windows) keeps the game after TICKS ticks
// and takes commands from standard input, one a line, each answered by one line on standard output:
//   run UNTIL KEYS      every key goes up, then the events of the script KEYS from the current tick
//                       on are applied as the run goes on to tick UNTIL (not run). "at TICK".
//   branch LIST JOBS    LIST holds lines "KEYS TRACE UNTIL"; each is run as "run" by a copy of the
//                       game (a forked process) with its own trace at TRACE (the header, then the
//                       rows from the current tick), at most JOBS copies at once; the game itself
//                       stays at its tick. "branched COUNT FAILED".
//   quit                ends the run.
// A script run with "run" and then the scripts of a branch, each cut where the next takes over (no
// key held past it), gives the same ticks as one run of the joined script: keys are levels, read
// once a tick.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>
#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>
#endif

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
#if defined(_WIN32)
#include "tests/programs/ExitLine.h"
#endif

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
                    "[--trace FILE] [--lives N] [--watch TYPE[:INDEX]]... [--start-at X,Y] [--video-mode N] "
                    "[--stage NAME | --objects FILE | --text FILE | --layout FILE] [--serve]\n");
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

// What the tick loop works through: the key events, the frames to write and the checksum file.
struct RunState {
    std::vector<KeyEvent> events;
    size_t nextEvent = 0;
    u32 tick = 0;
    FILE* checksums = nullptr;
    std::map<u32, std::string> pngs;
};

// Runs the ticks before `until`. False when a frame cannot be written.
bool RunTicks(RunState& run, u32 until)
{
    const i64 tickLength = headless::counterFrequency / 60;
    for (; run.tick < until && gameRunning; ++run.tick) {
        for (; run.nextEvent < run.events.size() && run.events[run.nextEvent].tick <= run.tick; ++run.nextEvent)
            headless::SetKey(run.events[run.nextEvent].slot, run.events[run.nextEvent].down);
        headless::SetCounter(headless::Counter() + tickLength);
        GamePass();
        ApplyPlayerStartAt();
        if (run.checksums)
            fprintf(run.checksums, "%u %08x\n", run.tick, FrameChecksum());
        WritePlayerTraceRow(run.tick);
        auto png = run.pngs.find(run.tick);
        if (png != run.pngs.end() && !WritePng(png->second, frameBuffer, (u32)screenWidth, (u32)screenHeight)) {
            fprintf(stderr, "runner: cannot write %s\n", png->second.c_str());
            return false;
        }
    }
    return true;
}

#if !defined(_WIN32)
// Every key up, then the events of the script at `path` from the current tick on.
bool TakeKeyScript(RunState& run, const char* path)
{
    std::vector<KeyEvent> events;
    if (!ReadKeyScript(path, &events))
        return false;
    headless::ReleaseAllKeys();
    run.events.clear();
    for (const KeyEvent& event : events)
        if (event.tick >= run.tick)
            run.events.push_back(event);
    run.nextEvent = 0;
    return true;
}

struct Branch {
    std::string keys, trace;
    u32 until;
};

// One line of a branch list, run by a forked copy of the game; the copy never returns.
[[noreturn]] void RunBranch(RunState& run, const Branch& branch)
{
    run.checksums = nullptr; // the parent's file: the copy writes none
    run.pngs.clear();
    ClosePlayerTrace();
    bool ok = TakeKeyScript(run, branch.keys.c_str()) &&
              OpenPlayerTrace(std::filesystem::absolute(branch.trace).string());
    ok = ok && RunTicks(run, branch.until);
    ok = ClosePlayerTrace() && ok;
    EndRun(0);
    _exit(ok ? 0 : 1);
}

// Runs every line of a branch list, at most `jobs` copies at once; returns how many failed.
size_t RunBranches(RunState& run, const std::vector<Branch>& branches, unsigned long jobs)
{
    fflush(nullptr); // nothing buffered may be written again by a copy
    size_t started = 0, running = 0, failed = 0;
    while (started < branches.size() || running > 0) {
        if (started < branches.size() && running < jobs) {
            const pid_t child = fork();
            if (child == 0)
                RunBranch(run, branches[started]);
            ++started;
            if (child < 0)
                ++failed;
            else
                ++running;
            continue;
        }
        int status = 0;
        if (wait(&status) < 0)
            break;
        --running;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            ++failed;
    }
    return failed;
}

// The --serve command loop; returns the exit code.
int Serve(RunState& run)
{
    char buffer[4200];
    while (fgets(buffer, sizeof buffer, stdin)) {
        std::string line = buffer;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (line == "quit")
            return 0;
        char word[16] = {}, path[2048] = {}, tail = 0;
        unsigned long number = 0;
        if (sscanf(line.c_str(), "%15s %lu %2047s %c", word, &number, path, &tail) == 3 && strcmp(word, "run") == 0) {
            if (number < run.tick || number > 0xFFFFFFFFul || !TakeKeyScript(run, path) || !RunTicks(run, (u32)number))
                return 1;
            printf("at %u\n", run.tick);
        } else if (sscanf(line.c_str(), "%15s %2047s %lu %c", word, path, &number, &tail) == 3 &&
                   strcmp(word, "branch") == 0 && number > 0) {
            FILE* list = fopen(path, "rb");
            if (!list) {
                fprintf(stderr, "runner: cannot read the branch list %s\n", path);
                return 1;
            }
            std::vector<Branch> branches;
            char keys[2048], trace[2048];
            unsigned long until = 0;
            while (fscanf(list, "%2047s %2047s %lu", keys, trace, &until) == 3)
                branches.push_back({keys, trace, (u32)std::min(until, 0xFFFFFFFFul)});
            fclose(list);
            const size_t failed = RunBranches(run, branches, number);
            printf("branched %zu %zu\n", branches.size(), failed);
        } else {
            fprintf(stderr, "runner: not a serve command: \"%s\"\n", line.c_str());
            return 2;
        }
        fflush(stdout);
    }
    return 0;
}
#endif

int RunnerMain(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    const std::string dataDir = argv[1];
    const long ticks = strtol(argv[2], nullptr, 10);
    if (ticks < 0)
        return Usage();
    const char* checksumPath = nullptr;
    std::string objectsPath;
    std::string layoutPath;
    std::string textPath;
    std::string tracePath;
    const char* stageName = nullptr;
    long lives = -1;
    long videoMode = 25;
    bool serve = false;
    RunState run;
    for (int i = 3; i < argc; ++i) {
        if (strcmp(argv[i], "--keys") == 0 && i + 1 < argc) {
            if (!ReadKeyScript(argv[++i], &run.events))
                return 1;
        } else if (strcmp(argv[i], "--checksums") == 0 && i + 1 < argc) {
            checksumPath = argv[++i];
        } else if (strcmp(argv[i], "--png") == 0 && i + 1 < argc) {
            const char* spec = argv[++i];
            const char* colon = strchr(spec, ':');
            if (!colon)
                return Usage();
            run.pngs[(u32)strtoul(spec, nullptr, 10)] = std::filesystem::absolute(colon + 1).string();
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
        } else if (strcmp(argv[i], "--serve") == 0) {
#if defined(_WIN32)
            fprintf(stderr, "runner: --serve needs fork(), which this build has not\n");
            return 2;
#endif
            serve = true;
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
    if (checksumPath && !(run.checksums = fopen(std::filesystem::absolute(checksumPath).string().c_str(), "wb"))) {
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

    int code = RunTicks(run, (u32)ticks) ? 0 : 1;
#if !defined(_WIN32)
    if (serve && code == 0)
        code = Serve(run);
#else
    (void)serve;
#endif
    if (run.checksums)
        fclose(run.checksums);
    if (!ClosePlayerTrace()) {
        fprintf(stderr, "runner: cannot write %s\n", tracePath.c_str());
        return EndRun(1);
    }
    return EndRun(code);
}

} // namespace

int main(int argc, char** argv)
{
#if defined(_WIN32)
    // Under Wine the tests judge the run by this last line as well as by the process's status, which
    // Wine's teardown can replace after the runner has returned.
    return ReturnWithExitLine("runner", RunnerMain(argc, argv));
#else
    return RunnerMain(argc, argv);
#endif
}
