// The update passes and the scene draw: the activity window, view crossings, the pause, the draw
// queues and the drawing order.
#include <vector>

#include "tests/unit/ObjectProbe.h"

namespace {

using ObjectUpdateTest = ObjectTest;

TEST_F(ObjectUpdateTest, TheActivityWindowHasStrictEdgesAndNegativeMarginsNeverCull)
{
    // Camera 0 at (1000, 500) on the 424 x 240 screen.
    struct Case {
        i16 marginX, marginY;
        f32 x, y;
        bool inside;
    };
    const Case cases[] = {
        {128, 128, 872.0f, 600.0f, false},  // x exactly at scroll - margin
        {128, 128, 872.5f, 600.0f, true},
        {128, 128, 1552.0f, 600.0f, false}, // x exactly at scroll + width + margin
        {128, 128, 1551.5f, 600.0f, true},
        {128, 128, 1200.0f, 372.0f, false}, // y at the top edge
        {128, 128, 1200.0f, 868.0f, false}, // y at the bottom edge
        {128, 128, 1200.0f, 867.5f, true},
        {0, 0, 1000.0f, 600.0f, false},
        {0, 0, 1000.5f, 739.5f, true},
        {-1, 128, -1.0e9f, 600.0f, true},   // never culled across
        {128, -1, 1200.0f, 1.0e9f, true},   // never culled up and down
        {-1, -1, 1.0e9f, -1.0e9f, true},
    };
    cameraScrollX[0] = 1000;
    cameraScrollY[0] = 500;
    std::vector<ProbeType*> made;
    for (const Case& c : cases) {
        ProbeType& t = Make();
        Register(t, 1, 0, 0, c.marginX, c.marginY);
        SpawnObject(&t.type, c.x, c.y, 0, 0);
        made.push_back(&t);
    }
    // The window follows the scroll of the last scene draw.
    DrawScene();
    UpdateObjects();
    for (size_t i = 0; i < made.size(); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(made[i]->At(0)->updateCount, c.inside ? 1u : 0u) << "case " << i;
        EXPECT_EQ(made[i]->Header(0)->inView, c.inside ? 1 : 0) << "case " << i;
        EXPECT_EQ(made[i]->Header(0)->updated, c.inside ? 1 : 0) << "case " << i;
    }
}

TEST_F(ObjectUpdateTest, EachCrossingGivesExactlyOneEnterViewAndOneLeaveView)
{
    ProbeType& t = Make();
    Register(t, 32, 0, 0, 0, 0);
    SpawnObject(&t.type, -50.0f, 100.0f, 0, 0);
    ObjectHeader* h = t.Header(0);
    // Per frame: where the object is, and the handlers it gets (E enter, U update, V leave, D draw).
    struct Step {
        f32 x;
        const char* calls;
    };
    const Step steps[] = {
        {-50.0f, ""}, {100.0f, "EULD"}, {120.0f, "ULD"}, {500.0f, "V"}, {600.0f, ""}, {200.0f, "EULD"},
    };
    for (const Step& step : steps) {
        h->x = step.x;
        probe::log.clear();
        Frame();
        std::string calls;
        for (const ProbeEvent& event : probe::log)
            calls += event.what;
        EXPECT_EQ(calls, step.calls) << "at x " << step.x;
    }
}

TEST_F(ObjectUpdateTest, ThePauseMenuFreezesUpdatesButTheFrozenObjectsAreStillDrawn)
{
    ProbeType& enemy = Make();
    ProbeType& menu = Make();
    menu.type.runsWhilePaused = 1;
    Register(enemy);
    Register(menu);
    SpawnObject(&enemy.type, 10.0f, 10.0f, 0, 0);
    SpawnObject(&menu.type, 10.0f, 10.0f, 0, 0);
    Frame();
    pauseMenuOpen = 1;
    Frame();
    Frame();
    pauseMenuOpen = 0;

    const Probe* e = enemy.At(0);
    EXPECT_EQ(e->updateCount, 1u);
    EXPECT_EQ(e->lateCount, 1u);
    EXPECT_EQ(e->drawCount, 3u);
    const Probe* m = menu.At(0);
    EXPECT_EQ(m->updateCount, 3u);
    EXPECT_EQ(m->lateCount, 3u);
    EXPECT_EQ(m->drawCount, 3u);
}

TEST_F(ObjectUpdateTest, AFullDrawQueueEndsOnlyThatTypesQueueing)
{
    ProbeType& crowd = Make(); // slot 0: 600 instances on layer 3, the last one on layer 5
    ProbeType& later = Make(); // slot 1: two on layer 5
    ProbeType& late3 = Make(); // slot 2: one on layer 3, whose queue is full by then
    Register(crowd, 600, 0, 3);
    Register(later, 32, 0, 5);
    Register(late3, 32, 0, 3);
    for (int i = 0; i < 600; ++i)
        SpawnObject(&crowd.type, 0.0f, 0.0f, 0, 0);
    crowd.Header(599)->drawLayer = 5;
    SpawnObject(&later.type, 0.0f, 0.0f, 0, 0);
    SpawnObject(&later.type, 0.0f, 0.0f, 0, 0);
    SpawnObject(&late3.type, 0.0f, 0.0f, 0, 0);
    Frame();

    u32 drawn = 0, lateUpdated = 0;
    for (u32 i = 0; i < 600; ++i) {
        drawn += crowd.At(i)->drawCount;
        lateUpdated += crowd.At(i)->lateCount;
    }
    EXPECT_EQ(drawn, 512u);
    EXPECT_EQ(lateUpdated, 513u) << "the 513th is late-updated, then finds the queue full";
    EXPECT_EQ(crowd.At(599)->drawCount, 0u) << "skipped though its own layer has room";
    EXPECT_EQ(later.At(0)->drawCount, 1u);
    EXPECT_EQ(later.At(1)->drawCount, 1u);
    EXPECT_EQ(late3.At(0)->drawCount, 0u);
    for (u32 count : drawQueueCount)
        EXPECT_EQ(count, 0u) << "the queues are empty between frames";
}

TEST_F(ObjectUpdateTest, ObjectsAreDrawnByDepthThenRegistrySlotThenPoolIndex)
{
    ProbeType& a = Make();
    ProbeType& b = Make();
    ProbeType& c = Make();
    Register(a, 32, 0, 2);
    Register(b, 32, 0, 0);
    Register(c, 32, 0, 0);
    SpawnObject(&a.type, 0.0f, 0.0f, 0, 0);
    SpawnObject(&a.type, 0.0f, 0.0f, 0, 0);
    a.Header(1)->drawLayer = 0;
    SpawnObject(&b.type, 0.0f, 0.0f, 0, 0);
    SpawnObject(&c.type, 0.0f, 0.0f, 0, 0);
    probe::onLateUpdate = [&](Probe* p) {
        if (p == c.At(0))
            p->header->drawLayer = 20;
    };
    // A Draw handler may queue its object again on a later layer.
    probe::onDraw = [&](Probe* p) {
        if (p == b.At(0) && currentDrawLayer == 0)
            QueueObjectDraw(13, &b.type, p);
    };
    UpdateObjects();
    probe::log.clear();
    DrawScene();

    std::vector<ProbeEvent> draws;
    for (const ProbeEvent& event : probe::log)
        if (event.what == 'D')
            draws.push_back(event);
    const std::vector<ProbeEvent> expected = {
        {'D', &a.type, 1, 0}, {'D', &b.type, 0, 0}, {'D', &a.type, 0, 2}, {'D', &b.type, 0, 13}, {'D', &c.type, 0, 15},
    };
    EXPECT_EQ(draws, expected);
    EXPECT_EQ(c.Header(0)->drawLayer, 15) << "the clamped layer is written back";
}

TEST_F(ObjectUpdateTest, PassesRunInOrderAndNotWhileAStageSwitchIsUnderWay)
{
    ProbeType& third = Make();
    ProbeType& first = Make();
    ProbeType& last = Make();
    Register(third, 32, 3);
    Register(first, 32, 0);
    Register(last, 32, 6);
    for (ProbeType* t : {&third, &first, &last})
        SpawnObject(&t->type, 0.0f, 0.0f, 0, 0);
    probe::log.clear();

    stageSwitching = 1;
    UpdateObjects();
    EXPECT_TRUE(probe::log.empty());
    stageSwitching = 0;
    UpdateObjects();
    ASSERT_EQ(Count('U'), 3u);
    std::vector<const ObjectType*> order;
    for (const ProbeEvent& event : probe::log)
        if (event.what == 'U')
            order.push_back(event.type);
    EXPECT_EQ(order, (std::vector<const ObjectType*>{&first.type, &third.type, &last.type}));

    // A type without a load or a pool is left as it is; its update pass above all.
    ObjectType idle{};
    idle.updatePass = 4;
    idle.idleFlag = 1;
    idle.callbackCount = 3;
    UpdateObjectType(&idle);
    EXPECT_EQ(idle.updatePass, 4);
    EXPECT_EQ(idle.idleFlag, 0);
    EXPECT_EQ(idle.callbackCount, 3u);
}

TEST_F(ObjectUpdateTest, ADespawnedInstanceIsNeitherUpdatedNorDrawn)
{
    ProbeType& t = Make();
    Register(t);
    for (int i = 0; i < 3; ++i)
        SpawnObject(&t.type, 0.0f, 0.0f, 0, 0);
    Frame();
    probe::onUpdate = [&](Probe* p) {
        if (p == t.At(0))
            DespawnObject(t.Header(1));
    };
    Frame();
    EXPECT_EQ(t.At(1)->updateCount, 1u);
    EXPECT_EQ(t.At(1)->drawCount, 1u);
    EXPECT_EQ(t.At(2)->drawCount, 2u);
    EXPECT_EQ(SpawnObject(&t.type, 0.0f, 0.0f, 0, 0), 1u);
}

TEST_F(ObjectUpdateTest, AnEntryWhosePoolIsReleasedWhileDrawingIsNotDrawn)
{
    ProbeType& drawer = Make();
    ProbeType& victim = Make();
    Register(drawer, 32, 0, 0);
    Register(victim, 32, 0, 5);
    SpawnObject(&drawer.type, 0.0f, 0.0f, 0, 0);
    SpawnObject(&victim.type, 0.0f, 0.0f, 0, 0);
    UpdateObjects();
    probe::onDraw = [&](Probe* p) {
        if (p == drawer.At(0))
            FreeObjectType(&victim.type);
    };
    probe::log.clear();
    DrawScene();
    EXPECT_EQ(Count('D'), 1u);
}

} // namespace
