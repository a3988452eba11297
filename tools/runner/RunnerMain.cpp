// runner: the game on the headless backend.
//
//   runner DATA_DIR TICKS [--keys SCRIPT] [--checksums FILE] [--png TICK:FILE]... [--objects FILE]
//          [--text FILE]
//          [--layout FILE]
//
// Runs TICKS ticks of the game from DATA_DIR with a virtual clock. SCRIPT holds one key event a
// line, "TICK SLOT down" or "TICK SLOT up" (SLOT a keyboard scan code, decimal or 0x hex), applied
// before that tick's poll. --checksums writes one line a tick: the tick number and an FNV-1a hash
// of the frame. --png writes the frame of a tick as a PNG. --objects writes a placement file of test
// markers at FILE with the data kit and runs a stage of its own that places, updates and draws them.
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
#include "tools/runner/RunnerText.h"

namespace {

struct KeyEvent {
    u32 tick;
    int slot;
    bool down;
};

bool ReadScript(const char* path, std::vector<KeyEvent>* events)
{
    FILE* file = fopen(path, "r");
    if (!file)
        return false;
    char line[256];
    int lineNumber = 0;
    bool ok = true;
    while (fgets(line, sizeof(line), file)) {
        ++lineNumber;
        if (line[0] == '#' || line[0] == '\n')
            continue;
        unsigned tick = 0;
        char slotText[32], state[16];
        if (sscanf(line, "%u %31s %15s", &tick, slotText, state) != 3) {
            fprintf(stderr, "runner: %s:%d: expected \"TICK SLOT down|up\"\n", path, lineNumber);
            ok = false;
            break;
        }
        const long slot = strtol(slotText, nullptr, 0);
        if (slot < 0 || slot > 125 || (strcmp(state, "down") != 0 && strcmp(state, "up") != 0)) {
            fprintf(stderr, "runner: %s:%d: bad slot or state\n", path, lineNumber);
            ok = false;
            break;
        }
        events->push_back({tick, (int)slot, strcmp(state, "down") == 0});
    }
    fclose(file);
    return ok;
}

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
                    "[--objects FILE] [--text FILE] [--layout FILE]\n");
    return 2;
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
    for (int i = 3; i < argc; ++i) {
        if (strcmp(argv[i], "--keys") == 0 && i + 1 < argc) {
            if (!ReadScript(argv[++i], &events))
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
        } else {
            return Usage();
        }
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
    SetVideoMode(25);
    OpenDataPack();
    OnMainWindowActivate(true);
    GameSetup();
    if (!objectsPath.empty() && !StartMarkerStage(objectsPath.c_str())) {
        fprintf(stderr, "runner: cannot write %s\n", objectsPath.c_str());
        return 1;
    }
    if (!layoutPath.empty())
        StartLayoutStage(layoutPath.c_str());
    if (!textPath.empty())
        StartTextStage(textPath.c_str());

    size_t nextEvent = 0;
    const i64 tickLength = headless::counterFrequency / 60;
    for (u32 tick = 0; tick < (u32)ticks && gameRunning; ++tick) {
        for (; nextEvent < events.size() && events[nextEvent].tick <= tick; ++nextEvent)
            headless::SetKey(events[nextEvent].slot, events[nextEvent].down);
        headless::SetCounter(headless::Counter() + tickLength);
        GamePass();
        if (checksums)
            fprintf(checksums, "%u %08x\n", tick, FrameChecksum());
        auto png = pngs.find(tick);
        if (png != pngs.end() && !WritePng(png->second, frameBuffer, (u32)screenWidth, (u32)screenHeight)) {
            fprintf(stderr, "runner: cannot write %s\n", png->second.c_str());
            return 1;
        }
    }
    if (checksums)
        fclose(checksums);
    gameRunning = 0;
    FreeBitmapFont(&menuFont);
    ShutdownPlatform();
    return 0;
}
