// What must hold at every tick of play, whatever keys were pressed: at most one pause menu lives;
// play never runs for long under the dim of a pause menu that has closed; and a defeated player
// reaches the restart or the title within a bounded number of ticks. Shared by the soak and its
// tests.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "Engine/Common/ObjectType.h"
#include "Engine/Common/StageSwitch.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Display/Fade.h"
#include "Game/Display/PauseMenu.h"
#include "Game/Player/Player.h"

// Ticks that play may run under a dim left above level 0 (a closing menu's dim falls 16 a tick,
// from 200 in 13 ticks; a restart fade that clears the pause runs a tick or two more).
constexpr u32 dimmedPlayLimit = 32;
// Ticks from the defeat to the restart or the title: the hit-stop, the fall until the body rests,
// the 240-tick count-down and the fade. Hours of soak saw at most about 530; this leaves room and
// stays far below a soak's visit and the minutes a juggled body used to lie there.
constexpr u32 defeatLimit = 900;

inline bool IsGameplayStage(const Stage* stage)
{
    return stage == &graveyardStage || stage == &village1Stage || stage == &bossRushStage ||
           stage == &boneZoneStage || stage == &testStage;
}

inline bool LiveHeader(const ObjectHeader* header)
{
    return header && header->spawned && header->alive && !header->free;
}

struct PlayChecks {
    u32 dimmedPlay = 0;     // ticks in a row that play ran under a pause menu's dim
    u32 defeatedTicks = 0;  // ticks of play in a row with player 1 defeated
    const Stage* stage = nullptr;
    bool menusReported = false, dimReported = false, defeatReported = false;
    // Figures for the report.
    u32 pauses = 0, defeats = 0, longestDefeat = 0;
    bool wasPaused = false;

    // Checks the tick that has just run; appends a line for each rule broken (once a streak).
    void Check(unsigned long long tick, std::vector<std::string>* failures)
    {
        if (currentStage != stage) {
            stage = currentStage;
            dimmedPlay = defeatedTicks = 0;
            menusReported = dimReported = defeatReported = false;
            wasPaused = false;
        }
        if (!IsGameplayStage(currentStage))
            return;
        const char* name = currentStage->name;

        u32 menus = 0;
        bool dimShowing = false;
        for (u32 i = 0; PauseMenu.registered && pauseMenuInstances && i < PauseMenu.poolSize; ++i) {
            if (!LiveHeader(PauseMenu.pool[i]))
                continue;
            ++menus;
            const u32 fade = pauseMenuInstances[i]->watchedFade;
            if (Fade.registered && fadeInstances && fade < Fade.poolSize && LiveHeader(Fade.pool[fade]) &&
                Fade.pool[fade]->spawnA == FadeToLevel && fadeInstances[fade]->level > 0)
                dimShowing = true;
        }
        if (menus <= 1)
            menusReported = false;
        else if (!menusReported) {
            menusReported = true;
            Fail(failures, tick, "%u pause menus live in %s", menus, name);
        }

        if (pauseMenuOpen && !wasPaused)
            ++pauses;
        wasPaused = pauseMenuOpen;
        if (pauseMenuOpen)
            return; // nothing plays; the defeat waits too

        dimmedPlay = dimShowing ? dimmedPlay + 1 : 0;
        if (dimmedPlay <= dimmedPlayLimit)
            dimReported = false;
        else if (!dimReported) {
            dimReported = true;
            Fail(failures, tick, "play has run %u ticks under a pause menu's dim in %s", dimmedPlay, name);
        }

        const PlayerRecord* player = FirstPlayer();
        const bool defeated = player && LiveHeader(player->header) &&
                              (player->state == PlayerStateDefeated || player->state == PlayerStateDefeatedFall);
        if (!defeated) {
            defeatedTicks = 0;
            defeatReported = false;
            return;
        }
        if (++defeatedTicks == 1)
            ++defeats;
        if (defeatedTicks > longestDefeat)
            longestDefeat = defeatedTicks;
        if (defeatedTicks > defeatLimit && !defeatReported) {
            defeatReported = true;
            Fail(failures, tick, "player 1 has been defeated for %u ticks in %s without a restart or the title",
                 defeatedTicks, name);
        }
    }

private:
    template <class... Args>
    static void Fail(std::vector<std::string>* failures, unsigned long long tick, const char* format, Args... args)
    {
        char line[256];
        int at = snprintf(line, sizeof(line), "tick %llu: ", tick);
        snprintf(line + at, sizeof(line) - (size_t)at, format, args...);
        failures->push_back(line);
    }
};
