// The object type registry and its pools: registration, spawning into free and grown slots, load
// counting across stage switches, despawning, callback lists and the shutdown teardown.
#include "tests/unit/ObjectProbe.h"

namespace {

using ObjectPoolTest = ObjectTest;

TEST_F(ObjectPoolTest, RegistrationBuildsAFreeLinkedPoolAndGrowsTheRegistry)
{
    ProbeType* made[128];
    for (ProbeType*& t : made)
        t = &Make();
    Register(*made[0]);
    const ObjectType& first = made[0]->type;
    EXPECT_EQ(objectTypeCapacity, 128u);
    EXPECT_EQ(objectTypeCount, 1u);
    ASSERT_EQ(objectTypes[first.typeIndex], &first);
    EXPECT_TRUE(first.registered && first.inRegistry);
    EXPECT_EQ(first.loadCount, 1u);
    ASSERT_EQ(first.poolSize, 32u);
    EXPECT_EQ(first.liveCount, 0u);
    for (u32 i = 0; i < 32; ++i) {
        const Probe* p = made[0]->At(i);
        const ObjectHeader* h = made[0]->Header(i);
        EXPECT_EQ(p->header, h);
        EXPECT_EQ(h->index, i);
        EXPECT_EQ(p->boundIndex, i);
        EXPECT_EQ(p->boundHeader, h);
        EXPECT_EQ(p->bindCount, 2u) << "linked and bound once when built and once more after";
        EXPECT_TRUE(h->free && !h->alive && !h->spawned);
    }

    // The 128th type fills the table to its capacity, which doubles before the type is stored.
    for (int t = 1; t < 127; ++t)
        Register(*made[t], 1);
    EXPECT_EQ(objectTypeCapacity, 128u);
    Register(*made[127], 1);
    EXPECT_EQ(objectTypeCapacity, 256u);
    EXPECT_EQ(objectTypes[127], &made[127]->type);
    EXPECT_EQ(made[127]->type.typeIndex, 127u);
    for (u32 slot = 128; slot < 256; ++slot)
        EXPECT_EQ(objectTypes[slot], nullptr);
}

TEST_F(ObjectPoolTest, ASpawnIntoAFullPoolGrowsItRebindsEveryInstanceAndMovesNone)
{
    ProbeType& t = Make();
    Register(t);
    defaultCollisionLayer = 8;
    void* before[32];
    for (u32 i = 0; i < 32; ++i) {
        ASSERT_EQ(SpawnObject(&t.type, (f32)i, 0.0f, 0, 0), i);
        before[i] = t.instances[i];
    }
    t.At(3)->marker = 0xC0FFEE;

    EXPECT_EQ(SpawnObject(&t.type, 100.0f, 200.0f, 7, 9), 32u);
    ASSERT_EQ(t.type.poolSize, 64u);
    EXPECT_EQ(t.type.liveCount, 33u);
    EXPECT_EQ(lastSpawnedInstance, t.instances[32]);
    for (u32 i = 0; i < 64; ++i) {
        EXPECT_EQ(t.At(i)->bindCount, i < 32 ? 3u : 1u) << i;
        EXPECT_EQ(t.At(i)->header, t.Header(i));
        EXPECT_EQ(t.Header(i)->index, i);
    }
    for (u32 i = 0; i < 32; ++i)
        EXPECT_EQ(t.instances[i], before[i]) << "instance " << i << " moved";
    EXPECT_EQ(t.At(3)->marker, 0xC0FFEEu);

    const ObjectHeader* grown = t.Header(32);
    EXPECT_TRUE(grown->alive && !grown->free && grown->spawned);
    EXPECT_EQ(grown->collisionLayer, 8);
    EXPECT_EQ(grown->x, 100.0f);
    EXPECT_EQ(grown->spawnB, 9);
    EXPECT_EQ(t.At(32)->initCount, 1u);
    const ObjectHeader* spare = t.Header(40);
    EXPECT_TRUE(spare->free && !spare->alive);
    EXPECT_EQ(spare->collisionLayer, 8);
    EXPECT_EQ(spare->y, 200.0f);
    EXPECT_EQ(spare->spawnA, 7);
    EXPECT_EQ(t.At(40)->initCount, 0u);
}

TEST_F(ObjectPoolTest, AReusedSlotKeepsItsDataButNotItsHeaderAndAGrownSlotTakesTheDefaultLayer)
{
    ProbeType& t = Make();
    Register(t, 2, 0, 6);
    defaultCollisionLayer = 11;
    SpawnObject(&t.type, 1.0f, 1.0f, 0, 0);
    SpawnObject(&t.type, 2.0f, 2.0f, 0, 0);
    ObjectHeader* h = t.Header(0);
    t.At(0)->marker = 77;
    h->vx = 3.0f;
    h->scaleX = 2.0f;
    h->drawLayer = 12;
    h->plane = 2;
    h->flash = 9;
    h->rotation = 40.0f;
    h->inView = 1;
    DespawnObject(h);

    EXPECT_EQ(SpawnObject(&t.type, 5.0f, 6.0f, 1, 2), 0u) << "the freed slot is the first candidate";
    EXPECT_EQ(t.At(0)->marker, 77u);
    EXPECT_EQ(t.At(0)->bindCount, 2u) << "a reused slot is not bound again";
    EXPECT_EQ(t.At(0)->initCount, 2u);
    EXPECT_EQ(h->collisionLayer, 254);
    EXPECT_EQ(h->vx, 0.0f);
    EXPECT_EQ(h->scaleX, 1.0f);
    EXPECT_EQ(h->drawLayer, 6);
    EXPECT_EQ(h->plane, 0);
    EXPECT_EQ(h->prevPlane, 1);
    EXPECT_EQ(h->flash, 255);
    EXPECT_EQ(h->rotation, 0.0f);
    EXPECT_EQ(h->inView, 0);
    EXPECT_EQ(h->x, 5.0f);

    EXPECT_EQ(SpawnObject(&t.type, 0.0f, 0.0f, 0, 0), 2u);
    EXPECT_EQ(t.Header(2)->collisionLayer, 11);
}

TEST_F(ObjectPoolTest, LoadCountsFollowTheStageSwitchAndTheRestartRule)
{
    Stage a{}, b{};
    ProbeType& t = Make();
    // Each switch re-registers the type with an empty pool; a restart does not count a load.
    struct Step {
        Stage* current;
        Stage* previous;
        u32 loads;
    };
    const Step steps[] = {{&a, nullptr, 1}, {&b, &a, 2}, {&b, &b, 2}};
    for (const Step& step : steps) {
        currentStage = step.current;
        previousStage = step.previous;
        Register(t);
        EXPECT_EQ(t.type.loadCount, step.loads);
        EXPECT_EQ(t.type.liveCount, 0u);
        for (u32 i = 0; i < t.type.poolSize; ++i)
            EXPECT_TRUE(t.Header(i)->free && !t.Header(i)->alive);
        SpawnObject(&t.type, 0.0f, 0.0f, 0, 0);
    }
    EXPECT_EQ(objectTypeCount, 1u);

    FreeObjectType(&t.type);
    EXPECT_EQ(t.type.loadCount, 1u);
    EXPECT_TRUE(t.type.registered);
    EXPECT_EQ(t.type.liveCount, 1u) << "a type still held keeps its pool";
    FreeObjectType(&t.type);
    EXPECT_FALSE(t.type.registered || t.type.inRegistry);
    EXPECT_EQ(t.type.pool, nullptr);
    EXPECT_EQ(t.instances, nullptr);
    EXPECT_EQ(objectTypes[t.type.typeIndex], nullptr);
    EXPECT_EQ(objectTypeCount, 0u);

    // At shutdown a type goes at once, whatever its count.
    currentStage = &a;
    previousStage = nullptr;
    Register(t);
    Register(t);
    ASSERT_EQ(t.type.loadCount, 2u);
    forceFree = 1;
    FreeObjectType(&t.type);
    EXPECT_FALSE(t.type.registered);
    EXPECT_EQ(t.type.loadCount, 0u);
    EXPECT_EQ(t.type.pool, nullptr);
}

TEST_F(ObjectPoolTest, SpawnsAreRefusedForUnregisteredTypesAndWhileThePauseMenuHoldsThem)
{
    struct Case {
        bool registered, paused, runsWhilePaused, spawns;
    };
    const Case cases[] = {
        {false, false, false, false},
        {true, true, false, false},
        {true, true, true, true},
        {true, false, false, true},
    };
    for (const Case& c : cases) {
        ProbeType& t = Make();
        t.type.runsWhilePaused = c.runsWhilePaused;
        if (c.registered) {
            Register(t);
            SpawnObject(&t.type, 0.0f, 0.0f, 0, 0);
        }
        int sentinel = 0;
        lastSpawnedInstance = &sentinel;
        pauseMenuOpen = c.paused;
        const u32 liveBefore = t.type.liveCount;
        const u32 index = SpawnObject(&t.type, 0.0f, 0.0f, 0, 0);
        pauseMenuOpen = 0;
        if (c.spawns) {
            EXPECT_EQ(index, 1u);
            EXPECT_EQ(lastSpawnedInstance, t.instances[1]);
            EXPECT_EQ(t.type.liveCount, 2u);
        } else {
            EXPECT_EQ(index, 0u);
            EXPECT_EQ(lastSpawnedInstance, &sentinel);
            EXPECT_EQ(t.type.liveCount, liveBefore);
            if (c.registered) {
                EXPECT_EQ(t.At(1)->initCount, 0u);
            }
        }
        FreeObjectTypeRegistry();
    }
}

TEST_F(ObjectPoolTest, DespawnEndsOnlyTheSlotItNamesAndCountsItOnce)
{
    ProbeType& t = Make();
    Register(t);
    for (int i = 0; i < 3; ++i)
        SpawnObject(&t.type, 0.0f, 0.0f, 0, 0);
    ObjectHeader* h = t.Header(1);
    h->updated = 1;

    // A copy of the header is not the slot: nothing happens.
    ObjectHeader copy = *h;
    DespawnObject(&copy);
    EXPECT_TRUE(h->alive);
    ObjectHeader foreign = *h;
    foreign.typeIndex = 4000;
    DespawnObject(&foreign);
    EXPECT_EQ(t.type.liveCount, 3u);

    DespawnObject(h);
    EXPECT_TRUE(h->free && !h->alive && !h->spawned && !h->updated);
    EXPECT_EQ(t.type.liveCount, 2u);
    DespawnObject(h);
    EXPECT_EQ(t.type.liveCount, 2u) << "despawning a free slot again takes nobody away";
}

bool KeepTouching(void* argument, void*)
{
    ++*(int*)argument;
    return true;
}

bool TouchOnce(void* argument, void*)
{
    ++*(int*)argument;
    return false;
}

TEST_F(ObjectPoolTest, ACallbackReturningFalseIsSkippedForTheRestOfTheFrame)
{
    ProbeType& t = Make();
    ProbeType& unloaded = Make();
    Register(t);
    SpawnObject(&t.type, 0.0f, 0.0f, 0, 0);
    void* instance = t.instances[0];
    int kept = 0, once = 0, ignored = 0;
    AddObjectCallback(&t.type, KeepTouching, &kept);
    AddObjectCallback(&t.type, TouchOnce, &once);
    AddObjectCallback(&unloaded.type, KeepTouching, &ignored);
    EXPECT_EQ(unloaded.type.callbackCount, 0u) << "a type without a load takes no callbacks";

    for (int run = 0; run < 3; ++run)
        RunObjectCallbacks(&t.type, instance);
    EXPECT_EQ(kept, 3);
    EXPECT_EQ(once, 1);
    EXPECT_EQ(t.type.callbackCount, 2u) << "the spent entry keeps its place";

    // The type's update empties the list: the next frame starts without entries.
    UpdateObjectType(&t.type);
    RunObjectCallbacks(&t.type, instance);
    EXPECT_EQ(kept, 3);

    // The list grows ten entries at a time.
    for (int i = 0; i < 25; ++i)
        AddObjectCallback(&t.type, KeepTouching, &kept);
    EXPECT_EQ(t.type.callbackCapacity, 30u);
    RunObjectCallbacks(&t.type, instance);
    EXPECT_EQ(kept, 28);
}

TEST_F(ObjectPoolTest, RunningCallbacksLatchTheStepsOfEveryAxisThatStopped)
{
    ProbeType& t = Make();
    Register(t);
    SpawnObject(&t.type, 0.0f, 0.0f, 0, 0);
    ObjectHeader* h = t.Header(0);
    struct Case {
        f32 vx, vy;
        i32 stepsX, stoppedX, stepsY, stoppedY;
        i32 wantStepsX, wantStoppedX, wantStepsY, wantStoppedY;
    };
    const Case cases[] = {
        {0.0f, 2.0f, 5, 0, 4, 0, 0, 5, 4, 0},   // x stopped: its steps are latched
        {0.0f, 0.0f, 2, 5, 3, 0, 0, 5, 0, 3},   // the first latch stays
        {1.0f, -1.0f, 6, 0, 7, 0, 6, 0, 7, 0},  // both moving: untouched
    };
    for (const Case& c : cases) {
        h->vx = c.vx;
        h->vy = c.vy;
        stepsX = c.stepsX;
        stoppedStepsX = c.stoppedX;
        stepsY = c.stepsY;
        stoppedStepsY = c.stoppedY;
        RunObjectCallbacks(&t.type, t.instances[0]);
        EXPECT_EQ(stepsX, c.wantStepsX);
        EXPECT_EQ(stoppedStepsX, c.wantStoppedX);
        EXPECT_EQ(stepsY, c.wantStepsY);
        EXPECT_EQ(stoppedStepsY, c.wantStoppedY);
    }
}

TEST_F(ObjectPoolTest, SpawningFromHandlersKeepsEveryHeldPointerValid)
{
    // One slot a chunk: every spawn from a handler grows the pool while the handler runs, and the
    // object holds a pointer to another instance of its type.
    ProbeType& t = Make();
    Register(t, 1);
    SpawnObject(&t.type, 0.0f, 0.0f, 0, 0);
    SpawnObject(&t.type, 0.0f, 0.0f, 0, 0);
    Probe* first = t.At(0);
    Probe* second = t.At(1);
    probe::onUpdate = [&](Probe* p) {
        if (p != first || t.type.poolSize > 2)
            return;
        for (int i = 0; i < 3; ++i)
            SpawnObject(&t.type, 0.0f, 0.0f, 0, 0);
        p->marker = 42; // through the running handler's own pointer
    };
    probe::onLateUpdate = [&](Probe* p) {
        if (p == first)
            SpawnObject(&t.type, 0.0f, 0.0f, 0, 0);
    };
    probe::onDraw = [&](Probe* p) {
        if (p == first)
            SpawnObject(&t.type, 0.0f, 0.0f, 0, 0);
    };
    Frame();

    EXPECT_EQ(t.type.poolSize, 7u);
    EXPECT_EQ(t.At(0), first);
    EXPECT_EQ(t.At(1), second);
    EXPECT_EQ(first->marker, 42u);
    EXPECT_EQ(first->header, t.Header(0));
    for (u32 i = 0; i < t.type.poolSize; ++i) {
        EXPECT_EQ(t.At(i)->initCount, 1u) << i;
        EXPECT_EQ(t.At(i)->header->index, i);
    }
    EXPECT_EQ(first->bindCount, 2u + 6u) << "bound again at each of the six growths";
    // Instances spawned during the update pass are walked by it; the ones spawned while drawing
    // wait for the next frame.
    EXPECT_EQ(first->drawCount, 1u);
    EXPECT_EQ(second->drawCount, 1u);
    EXPECT_EQ(t.At(2)->updateCount, 1u);
    EXPECT_EQ(t.At(5)->updateCount, 0u);
    EXPECT_EQ(t.At(6)->drawCount, 0u);
}

TEST_F(ObjectPoolTest, PlaceableTypesTakeAtMost128)
{
    ProbeType& kept = Make();
    ProbeType& dropped = Make();
    for (int i = 0; i < 128; ++i)
        AddPlaceableType(&kept.type);
    AddPlaceableType(&dropped.type);
    EXPECT_EQ(placeableTypeCount, 128u);
    EXPECT_EQ(placeableTypes[127], &kept.type);
}

TEST_F(ObjectPoolTest, ShutdownUnloadsAndFreesEveryTypeWhateverItsCount)
{
    Stage a{}, b{};
    ProbeType& held = Make();
    ProbeType& single = Make();
    currentStage = &a;
    Register(held);
    currentStage = &b;
    previousStage = &a;
    Register(held);
    Register(single);
    SetObjectTypeName(&held.type, "Held");
    AddPlaceableType(&held.type);
    int unloads = 0;
    // A type's Unload releases its assets and ends with FreeObjectType.
    probe::onUnload = [&] {
        ++unloads;
        FreeObjectType(unloads == 1 ? &held.type : &single.type);
    };
    FreeObjectTypeRegistry();

    EXPECT_EQ(unloads, 2);
    EXPECT_EQ(objectTypes, nullptr);
    EXPECT_EQ(objectTypeCapacity, 0u);
    EXPECT_EQ(objectTypeCount, 0u);
    EXPECT_EQ(placeableTypeCount, 0u);
    EXPECT_EQ(forceFree, 0) << "the teardown forces only while it runs";
    for (ProbeType* t : {&held, &single}) {
        EXPECT_FALSE(t->type.registered || t->type.inRegistry);
        EXPECT_EQ(t->type.loadCount, 0u);
        EXPECT_EQ(t->type.pool, nullptr);
        EXPECT_EQ(t->instances, nullptr);
        EXPECT_EQ(t->type.name, nullptr);
    }
}

} // namespace
