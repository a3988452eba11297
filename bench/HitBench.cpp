// The hit pass of a frame with the attack-box pool full: 1024 boxes of 64 actors registered on the
// Hazard callback list, and every box's late update running the list (the exchange of every pair,
// from both sides). Beside it the plain baseline: an all-pairs overlap test of the same boxes.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Sound.h"
#include "Engine/Platform/Shell.h"
#include "Game/Actors/ActorBlock.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Actors/HitResolution.h"
#include "tools/datakit/ActorData.h"

namespace fs = std::filesystem;

namespace {

constexpr u32 actorCount = 64;
constexpr u32 boxesPerActor = attackBoxTotal / actorCount;
constexpr i64 fieldWidth = 1024, fieldHeight = 512, boxSize = 16;

struct Fighter {
    ObjectType type{};
    ObjectHeader header{};
    ActorBlock actor{};
};

// The Hazard type loaded from the data kit's files in a folder of its own, 1024 boxes placed at
// random over a stage-sized field, a quarter of them attack boxes.
class FullPool {
public:
    FullPool()
    {
        std::random_device device;
        folder = fs::temp_directory_path() / ("palvic-hit-bench-" + std::to_string(device()));
        fs::create_directories(folder);
        previous = fs::current_path();
        if (!datakit::WriteHazardData(folder.string())) {
            why = "the data kit could not write the Hazard data";
            return;
        }
        fs::current_path(folder);
        if (!frameMutex && !InitPlatform()) {
            why = "the headless shell did not come up";
            return;
        }
        HazardLoad(nullptr);
        if (Hazard.liveCount != attackBoxTotal) {
            why = "the Hazard type did not fill its pool";
            return;
        }

        fighters.resize(actorCount);
        for (u32 i = 0; i < actorCount; ++i) {
            Fighter& f = fighters[i];
            f.header.type = &f.type;
            f.header.index = i;
        }
        std::mt19937 random(7);
        ClearAttackBoxes();
        for (u32 i = 0; i < attackBoxTotal; ++i) {
            AttackBox* box = AttackBoxAt(i);
            Fighter& f = fighters[i / boxesPerActor];
            box->owner = &f.actor;
            box->inUse = 1;
            box->left = (i64)(random() % (u32)(fieldWidth - boxSize));
            box->right = box->left + boxSize;
            box->top = (i64)(random() % (u32)(fieldHeight - boxSize));
            box->bottom = box->top + boxSize;
            const bool attack = i % 4 == 3;
            box->kind = attack ? BoxAttack : BoxHurt;
            box->flags = 0;
            box->hitlag = attack ? 6 : 0;
            box->knockback = attack ? 2.0f : 0.0f;
            box->damage = attack ? 1.0f : 0.0f;
            box->angle = 0;
        }
        ready = true;
    }

    ~FullPool()
    {
        if (Hazard.registered)
            HazardUnload();
        std::error_code error;
        fs::current_path(previous, error);
        fs::remove_all(folder, error);
    }

    // Every frame starts from fresh actors, as after a long quiet spell.
    void ResetActors()
    {
        for (Fighter& f : fighters) {
            ActorBlock& a = f.actor;
            a.header = &f.header;
            a.hp = 1.0e9f;
            a.hitId = -1;
            a.hitlag = a.hitstun = 0;
            a.lastHitterType = nullptr;
            a.touched = a.touchedKinds = a.hurt = 0;
        }
        for (u32 i = 0; i < actorCount; ++i)
            fighters[i].actor.hitId = (i32)i; // one attack a fighter
        soundQueue.count = 0;
    }

    bool ready = false;
    const char* why = "";
    std::vector<Fighter> fighters;

private:
    fs::path folder, previous;
};

FullPool& ThePool()
{
    static FullPool pool;
    return pool;
}

void BM_HitPass(benchmark::State& state)
{
    FullPool& pool = ThePool();
    if (!pool.ready) {
        state.SkipWithError(pool.why);
        return;
    }
    u64 hits = 0;
    for (auto _ : state) {
        pool.ResetActors();
        Hazard.callbackCount = 0;
        for (u32 i = 0; i < attackBoxTotal; ++i)
            AddObjectCallback(&Hazard, ResolveAttackHit, AttackBoxAt(i));
        for (u32 i = 0; i < attackBoxTotal; ++i)
            HazardLateUpdate(AttackBoxAt(i));
        for (const Fighter& f : pool.fighters)
            hits += f.actor.hurt;
    }
    Hazard.callbackCount = 0;
    benchmark::DoNotOptimize(hits);
    state.counters["pairs"] = (double)attackBoxTotal * attackBoxTotal;
    state.counters["hurt per frame"] = (double)hits / (double)state.iterations();
}
BENCHMARK(BM_HitPass)->Unit(benchmark::kMicrosecond);

void BM_AllPairsOverlapBaseline(benchmark::State& state)
{
    FullPool& pool = ThePool();
    if (!pool.ready) {
        state.SkipWithError(pool.why);
        return;
    }
    std::vector<AttackBox*> boxes(attackBoxTotal);
    for (u32 i = 0; i < attackBoxTotal; ++i)
        boxes[i] = AttackBoxAt(i);
    u64 overlaps = 0;
    for (auto _ : state) {
        for (const AttackBox* a : boxes)
            for (const AttackBox* b : boxes)
                if (a->owner != b->owner && a->right >= b->left && b->right >= a->left && a->bottom >= b->top &&
                    b->bottom >= a->top)
                    ++overlaps;
        benchmark::DoNotOptimize(overlaps);
    }
    state.counters["pairs"] = (double)attackBoxTotal * attackBoxTotal;
}
BENCHMARK(BM_AllPairsOverlapBaseline)->Unit(benchmark::kMicrosecond);

} // namespace
