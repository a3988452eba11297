// soak: the game on the headless backend for a long run through every registered stage.
//
//   soak DATA_DIR TICKS [--seed N] [--visit TICKS] [--quiet]
//
// Visits the registered stages in the registry's order, pass after pass, until TICKS ticks have
// run; a visit lasts --visit ticks (at most 1800, and short enough for one whole pass in TICKS,
// when not given). Each visit starts from an empty stage of the soak's own: the use
// counts are taken there, the stage is entered, played for its share of ticks with random keys
// from a fixed seed (the same seed gives the same run), and the soak goes back to its empty
// stage. Every stage switch (the soak's own and those the game makes: a restart, a fade into the
// next level) is reported with the totals of the use counts; back on the empty stage the counts
// must equal those from before the stage loaded, and no message box may have been shown. Memory
// (resident size, and the heap in use) is reported at the start, after each pass and at the end.
//
// The random keys are the play keys (arrows, jump, attack, grapple and the line keys) and, in the
// gameplay stages, the menu keys: Start (Return) and the pause menu's Resume (Backspace), tapped
// now and then and sometimes in quick bursts, so that the pause menu opens, closes, goes into the
// controls, restarts and leaves for the title at odd moments. The title screen gets no Return and
// no key has Escape: the menus there can end the game, which would end the soak. At every tick of
// play the soak checks what must always hold (tools/soak/PlayChecks.h): at most one pause menu,
// no play under a closed menu's dim, and a defeat that ends in the restart or the title. The
// controls menu saves "config.bfc" into DATA_DIR, which the next run reads at its start: the same
// seed gives the same run again on a fresh copy of the data.
//
// Exit status: 0 when every visit gave back what it took, showed no box and broke no rule of play;
// 1 otherwise; 2 on bad arguments.
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/DataPack.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Headless/Headless.h"
#include "Engine/Platform/Headless/HeadlessSound.h"
#include "Engine/Platform/Shell.h"
#include "Engine/Render/VideoMode.h"
#include "tools/soak/PlayChecks.h"
#include "tools/soak/UseCounts.h"

extern "C" size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));

namespace {

const int playKeys[] = {72, 80, 75, 77, 31, 30, 18, 42, 29};
constexpr u32 playKeyCount = sizeof(playKeys) / sizeof(playKeys[0]);

// The menu keys, tapped for one tick: Start, and Backspace (the pause menu's Resume, and the
// way out of the controls menu).
constexpr int startKey = 28, backspaceKey = 14;
// A tap now and then, and in quick bursts for a while after one.
constexpr u32 tapOneIn = 300, burstTapOneIn = 8, burstTicks = 30;

Stage emptyStage;
bool quiet;

// xorshift64*: the soak's own numbers, so that its keys do not draw from the game's generator.
u64 randomState;

u32 NextRandom()
{
    randomState ^= randomState >> 12;
    randomState ^= randomState << 25;
    randomState ^= randomState >> 27;
    return (u32)((randomState * 2685821657736338717ull) >> 32);
}

// The headless backend keeps every sound sample the game writes, for the tests that read them back
// (about 3 KiB a tick): that record is the soak's, not the game's, and is left out of the heap.
size_t HeadlessSoundRecord()
{
    return headless::SoundStream().capacity() * sizeof(i16) +
           headless::SoundWrites().capacity() * sizeof(headless::SoundRegionWrite);
}

// The heap in use, less the headless backend's sound record.
size_t HeapInUse(const char** source)
{
    size_t heap = 0;
    if (__sanitizer_get_current_allocated_bytes) {
        *source = "sanitizer allocator";
        heap = __sanitizer_get_current_allocated_bytes();
    } else {
        *source = "mallinfo2";
        const struct mallinfo2 info = mallinfo2();
        heap = info.uordblks + info.hblkhd; // the arena's chunks in use and the mapped ones
    }
    const size_t record = HeadlessSoundRecord();
    return heap > record ? heap - record : 0;
}

void ReportMemory(const char* when)
{
    long pages = 0, residentPages = 0;
    if (FILE* statm = fopen("/proc/self/statm", "r")) {
        if (fscanf(statm, "%ld %ld", &pages, &residentPages) != 2)
            residentPages = 0;
        fclose(statm);
    }
    const long pageKiB = 4;
    const char* heapSource = nullptr;
    const size_t heap = HeapInUse(&heapSource);
    printf("memory at the %s: resident %ld KiB, heap in use %zu KiB (%s, less the headless sound record of "
           "%zu KiB)\n",
           when, residentPages * pageKiB, heap / 1024, heapSource, HeadlessSoundRecord() / 1024);
}

u32 TotalUses(const UseCounts& use)
{
    u32 total = 0;
    for (const auto& [name, count] : use.counts)
        total += count;
    return total;
}

u32 LoadedTypes()
{
    u32 loaded = 0;
    for (u32 i = 0; objectTypes && i < objectTypeCapacity; ++i)
        loaded += objectTypes[i] && objectTypes[i]->loadCount;
    return loaded;
}

void ReportSwitch(u64 tick, const Stage* from, const Stage* to)
{
    if (quiet)
        return;
    const UseCounts use = TakeUseCounts();
    const char* heapSource = nullptr;
    printf("tick %llu: %s -> %s: %zu counts, %u uses in all, %u types loaded, %zu boxes, heap %zu KiB\n",
           (unsigned long long)tick,
           from ? (from->name[0] ? from->name : "(empty)") : "(none)", to ? (to->name[0] ? to->name : "(empty)") : "(none)",
           use.counts.size(), TotalUses(use), LoadedTypes(), headless::ShownBoxes().size(), HeapInUse(&heapSource) / 1024);
}

std::vector<Stage*> RegisteredStages()
{
    std::vector<Stage*> stages;
    for (u16 g = 0; g < stageGroupCount; ++g)
        for (u16 s = 0; stageGroups[g] && s < stageGroups[g]->stageCount; ++s)
            if (stageGroups[g]->stages[s])
                stages.push_back(stageGroups[g]->stages[s]);
    return stages;
}

int Usage()
{
    fprintf(stderr, "usage: soak DATA_DIR TICKS [--seed N] [--visit TICKS] [--quiet]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IOLBF, 0); // the report shows as it grows, also through a pipe
    if (argc < 3)
        return Usage();
    const std::string dataDir = argv[1];
    char* end = nullptr;
    const unsigned long long totalTicks = strtoull(argv[2], &end, 10);
    if (end == argv[2] || *end)
        return Usage();
    unsigned long long seed = 20261210;
    unsigned long long visitTicks = 0;
    for (int i = 3; i < argc; ++i) {
        if (strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
            seed = strtoull(argv[++i], &end, 10);
            if (*end)
                return Usage();
        } else if (strcmp(argv[i], "--visit") == 0 && i + 1 < argc) {
            visitTicks = strtoull(argv[++i], &end, 10);
            if (*end || visitTicks == 0)
                return Usage();
        } else if (strcmp(argv[i], "--quiet") == 0) {
            quiet = true;
        } else {
            return Usage();
        }
    }
    randomState = seed * 2 + 1; // never zero

    std::error_code error;
    std::filesystem::current_path(dataDir, error);
    if (error) {
        fprintf(stderr, "soak: cannot enter %s\n", dataDir.c_str());
        return 1;
    }
    snprintf(windowTitle, sizeof(windowTitle), "Brakkenfell");
    if (!InitPlatform())
        return 1;
    SetVideoMode(25);
    OpenDataPack();
    OnMainWindowActivate(true);
    GameSetup();

    const std::vector<Stage*> stages = RegisteredStages();
    if (stages.empty()) {
        fprintf(stderr, "soak: no stages registered\n");
        return 1;
    }
    u64 share = visitTicks;
    if (!share)
        share = std::max<u64>(1, std::min<u64>(1800, totalTicks / stages.size()));
    printf("soak: %llu ticks, %zu stages, %llu ticks a visit, seed %llu\n", totalTicks, stages.size(),
           (unsigned long long)share, seed);

    const i64 tickLength = headless::counterFrequency / 60;
    u64 tick = 0;
    u32 visits = 0, failures = 0;
    bool held[playKeyCount] = {};
    const Stage* lastSeen = currentStage;
    PlayChecks checks;
    std::vector<std::string> broken;
    u64 lastTap = 0;
    u32 starts = 0, backspaces = 0;

    auto step = [&]() {
        // A key changes now and then: mostly short presses, sometimes long holds, as a player would.
        if (NextRandom() % 6 == 0) {
            const u32 key = NextRandom() % playKeyCount;
            held[key] = !held[key];
            headless::SetKey(playKeys[key], held[key]);
        }
        int tapped = 0;
        if (IsGameplayStage(currentStage) &&
            NextRandom() % (tick - lastTap < burstTicks ? burstTapOneIn : tapOneIn) == 0) {
            tapped = NextRandom() % 3 ? startKey : backspaceKey;
            headless::SetKey(tapped, true);
            lastTap = tick;
            ++(tapped == startKey ? starts : backspaces);
        }
        headless::SetCounter(headless::Counter() + tickLength);
        GamePass();
        if (tapped)
            headless::SetKey(tapped, false);
        ++tick;
        if (currentStage != lastSeen) {
            ReportSwitch(tick, lastSeen, currentStage);
            lastSeen = currentStage;
        }
        const size_t before = broken.size();
        checks.Check(tick, &broken);
        for (size_t i = before; i < broken.size(); ++i) {
            ++failures;
            printf("FAIL: %s\n", broken[i].c_str());
        }
    };
    auto releaseKeys = [&]() {
        for (u32 k = 0; k < playKeyCount; ++k)
            if (held[k]) {
                held[k] = false;
                headless::SetKey(playKeys[k], false);
            }
    };

    // The game's own first stage is left for the empty one before anything is counted.
    emptyStage = Stage{};
    pendingStage = &emptyStage;
    step();
    if (currentStage != &emptyStage) {
        fprintf(stderr, "soak: the empty stage was not entered\n");
        return 1;
    }
    ReportMemory("start");

    u32 passes = 0;
    for (size_t next = 0; tick < totalTicks && gameRunning; next = (next + 1) % stages.size()) {
        // Memory after each whole pass tells growth from the first pass's one-off allocations.
        if (next == 0 && visits > 0) {
            char when[48];
            snprintf(when, sizeof(when), "end of pass %u", ++passes);
            ReportMemory(when);
        }
        Stage* stage = stages[next];
        const UseCounts before = TakeUseCounts();
        const size_t boxesBefore = headless::ShownBoxes().size();
        pendingStage = stage;
        for (u64 i = 0; i < share && tick < totalTicks && gameRunning; ++i)
            step();
        releaseKeys();
        pendingStage = &emptyStage;
        step();
        ++visits;
        headless::ClearSoundRecord();
        const UseCounts after = TakeUseCounts();
        const std::string difference = DescribeDifference(before, after);
        if (!difference.empty()) {
            ++failures;
            printf("FAIL: use counts after %s differ from before it loaded:\n%s", stage->name, difference.c_str());
        }
        for (size_t b = boxesBefore; b < headless::ShownBoxes().size(); ++b) {
            ++failures;
            printf("FAIL: a box was shown during %s: %s\n", stage->name, headless::ShownBoxes()[b].text.c_str());
        }
    }
    if (!gameRunning) {
        ++failures;
        printf("FAIL: the game ended itself at tick %llu\n", (unsigned long long)tick);
    }

    ReportMemory("end");
    printf("play: %u Start taps, %u Backspace taps, %u pauses, %u defeats (the longest %u ticks to its end), "
           "checked every tick\n",
           starts, backspaces, checks.pauses, checks.defeats, checks.longestDefeat);
    printf("soak: %llu ticks, %u visits, %zu boxes shown, %u failures\n", (unsigned long long)tick, visits,
           headless::ShownBoxes().size(), failures);
    gameRunning = 0;
    FreeBitmapFont(&menuFont);
    ShutdownPlatform();
    return failures ? 1 : 0;
}
