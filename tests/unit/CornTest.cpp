// Corn on a flat collision world with the data kit's corn set: the plant's eight stalks, a stalk
// slowing what brushes it (a wagon's wheel, anything else, after the cut), the spring back after
// a bend, and the cut with its debris.
#include <string>

#include "Engine/Collision/Motion.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Actors/Effects.h"
#include "Game/Actors/HitResolution.h"
#include "Game/World/Corn.h"
#include "Game/World/Wagon.h"
#include "tests/unit/PlayerWorld.h"
#include "tools/datakit/ActorData.h"
#include "tools/datakit/EffectArt.h"
#include "tools/datakit/GimmickArtC.h"

namespace {

constexpr i32 groundY = 192;

class CornTest : public PlayerWorld {
protected:
    CornTest() : PlayerWorld("palvic-corn-") {}

    void SetUp() override
    {
        PlayerWorld::SetUp();
        ASSERT_TRUE(datakit::WriteHazardData("."));
        ASSERT_TRUE(datakit::WriteEffectData("."));
        LoadWorld(Flat(48));
    }

    void TearDown() override
    {
        PlayerWorld::TearDown();
        cornAnimSet = AnimSet{};
        cornProperties = ActorProperties{};
        wagonAnimSet = AnimSet{};
        wagonProperties = ActorProperties{};
        gibletsAnimSet = AnimSet{};
    }

    void LoadCorn(int plantPoints = 8)
    {
        ASSERT_TRUE(datakit::WriteCornData(".", plantPoints));
        CornLoad(nullptr);
        ASSERT_TRUE(cornAnimSet.loaded);
    }

    static CornRecord* SpawnCorn(f32 x, f32 y, u8 role)
    {
        lastSpawnedInstance = nullptr;
        const u32 index = SpawnObject(&Corn, x, y, role, 0);
        return lastSpawnedInstance ? cornInstances[index] : nullptr;
    }

    // A stalk standing on the ground.
    CornRecord* Stalk(f32 x = 200.0f)
    {
        CornRecord* stalk = SpawnCorn(x, (f32)groundY - 6.0f, CornFront);
        if (stalk)
            CornLateUpdate(stalk);
        return stalk;
    }

    static u32 LiveCount(const ObjectType& type)
    {
        u32 count = 0;
        for (u32 i = 0; i < type.poolSize; ++i)
            if (type.pool[i]->spawned && type.pool[i]->alive && !type.pool[i]->free)
                ++count;
        return count;
    }
};

TEST_F(CornTest, LoadRegistersTheTypeAndUnloadFreesIt)
{
    LoadCorn();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(Corn.updatePass, 2);
    EXPECT_EQ(Corn.growthStep, 256u);
    EXPECT_STREQ(Corn.name, "Corn");
    CornUnload();
    EXPECT_FALSE(Corn.registered);
}

TEST_F(CornTest, APlantRaisesEightStalksEvenFromFewerPoints)
{
    for (int points : {8, 3}) {
        SCOPED_TRACE(points);
        LoadCorn(points);
        ASSERT_FALSE(HasFatalFailure());
        CornRecord* plant = SpawnCorn(200.0f, 180.0f, CornPlant);
        ASSERT_NE(plant, nullptr);
        const u32 plantIndex = plant->header->index;
        CornUpdate(plant);
        plant = cornInstances[plantIndex];
        EXPECT_EQ(plant->piecesSpawned, 1);
        ASSERT_EQ(LiveCount(Corn), 9u);
        CornUpdate(plant); // no second field
        EXPECT_EQ(LiveCount(Corn), 9u);
        u32 n = 0;
        for (u32 i = 0; i < Corn.poolSize; ++i) {
            ObjectHeader* h = Corn.pool[i];
            if (!h->spawned || h->spawnA == CornPlant)
                continue;
            EXPECT_EQ(h->spawnA, n % 2 == 0 ? CornFront : CornBack);
            EXPECT_EQ(h->drawLayer, h->spawnA == CornFront ? 13 : 9);
            // Points past the frame's count repeat its last.
            const int point = (int)n < points ? (int)n : points - 1;
            EXPECT_EQ(h->x, 200.0f - 56.0f + 16.0f * (f32)point) << "stalk " << n;
            ++n;
        }
        CornUnload();
        cornAnimSet = AnimSet{};
    }
}

TEST_F(CornTest, AStalkSlowsWhatBrushesIt)
{
    LoadCorn();
    ASSERT_TRUE(datakit::WriteWagonData("."));
    WagonLoad(nullptr);
    ASSERT_FALSE(HasFatalFailure());
    lastSpawnedInstance = nullptr;
    SpawnObject(&Wagon, 100.0f, 100.0f, WagonLeftWheel, 0);
    ASSERT_NE(lastSpawnedInstance, nullptr);
    WagonRecord* wheel = (WagonRecord*)lastSpawnedInstance;
    CornRecord* other = SpawnCorn(20.0f, 100.0f, CornBack);
    ASSERT_NE(other, nullptr);

    struct Case {
        const char* name;
        ActorBlock* toucher;
        bool cut;
        f32 speed, expected;
    };
    const Case cases[] = {
        {"wagon at 6", &wheel->actor, false, 6.0f, 5.925f},  {"wagon at -6", &wheel->actor, false, -6.0f, -5.925f},
        {"wagon at 3", &wheel->actor, false, 3.0f, 3.0f},    {"other at 4", &other->actor, false, 4.0f, 3.9f},
        {"other at -1", &other->actor, false, -1.0f, -1.0f}, {"cut, other at 4", &other->actor, true, 4.0f, 3.925f},
        {"cut, other at 1.5", &other->actor, true, 1.5f, 1.5f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CornRecord* stalk = Stalk();
        ASSERT_NE(stalk, nullptr);
        stalk->cut = c.cut;
        c.toucher->header->groundSpeed = c.speed;
        stalk->actor.lastHitter = c.toucher;
        CornLateUpdate(stalk);
        EXPECT_NEAR(c.toucher->header->groundSpeed, c.expected, 1e-5f);
        EXPECT_EQ(stalk->actor.lastHitter, nullptr);
    }
    // A wagon rolling through at 6 is down to 3 after 40 ticks of touching, and stays there.
    CornRecord* stalk = Stalk();
    wheel->header->groundSpeed = 6.0f;
    for (int i = 0; i < 60; ++i) {
        stalk->actor.lastHitter = &wheel->actor;
        CornLateUpdate(stalk);
    }
    EXPECT_NEAR(wheel->header->groundSpeed, 3.0f, 0.08f);
    EXPECT_LE(wheel->header->groundSpeed, 3.0f);
}

// The wheels share the leader's speed every tick, so a stalk brushing either wheel brakes the cart.
TEST_F(CornTest, AStalkBrushingOneWheelSlowsTheWholeWagon)
{
    LoadCorn();
    ASSERT_TRUE(datakit::WriteWagonData("."));
    WagonLoad(nullptr);
    ASSERT_FALSE(HasFatalFailure());
    lastSpawnedInstance = nullptr;
    const u32 index = SpawnObject(&Wagon, 200.0f, 120.0f, WagonBody, 0);
    ASSERT_NE(lastSpawnedInstance, nullptr);
    WagonRecord* body = wagonInstances[index];
    for (int i = 0; i < 120; ++i)
        WagonLateUpdate(body);
    CornRecord* stalk = Stalk(500.0f);
    ASSERT_NE(stalk, nullptr);
    for (const u32 touched : {body->leftWheel, body->rightWheel}) {
        SCOPED_TRACE(touched == body->leftWheel ? "left wheel" : "right wheel");
        wagonInstances[body->leftWheel]->header->groundSpeed = 6.0f;
        wagonInstances[body->rightWheel]->header->groundSpeed = 6.0f;
        for (int i = 0; i < 10; ++i) {
            stalk->actor.lastHitter = &wagonInstances[touched]->actor;
            CornLateUpdate(stalk);
            WagonLateUpdate(body);
        }
        // Ten ticks of 0.075 from the corn and 0.01 of rolling friction.
        EXPECT_NEAR(wagonInstances[body->leftWheel]->header->groundSpeed, 6.0f - 10 * 0.085f, 1e-3f);
        EXPECT_NEAR(wagonInstances[body->rightWheel]->header->groundSpeed, 6.0f - 10 * 0.085f, 1e-3f);
    }
}

TEST_F(CornTest, ABentStalkSpringsBackAFrameAtATime)
{
    LoadCorn();
    ASSERT_FALSE(HasFatalFailure());
    struct Case {
        u16 bent;
        int ticks; // frame f takes f + 1 ticks below 5, 11 - f above
    };
    for (const Case& c : {Case{2, 3 + 4 + 5}, Case{8, 3 + 4 + 5}, Case{0, 1 + 2 + 3 + 4 + 5}, Case{10, 1 + 2 + 3 + 4 + 5}}) {
        SCOPED_TRACE(c.bent);
        CornRecord* stalk = Stalk();
        ASSERT_NE(stalk, nullptr);
        stalk->anim.frameIndex = c.bent;
        stalk->bendTimer = 0;
        int ticks = 0;
        while (stalk->anim.frameIndex != cornUprightFrame && ticks < 100) {
            CornLateUpdate(stalk);
            ++ticks;
        }
        EXPECT_EQ(ticks, c.ticks);
        for (int i = 0; i < 20; ++i)
            CornLateUpdate(stalk);
        EXPECT_EQ(stalk->anim.frameIndex, cornUprightFrame);
    }
}

TEST_F(CornTest, SomethingMovingRightThroughAStalkBendsItRight)
{
    LoadCorn();
    ASSERT_FALSE(HasFatalFailure());
    CornRecord* stalk = Stalk();
    CornRecord* other = SpawnCorn(200.0f, 100.0f, CornBack);
    // Corn brushing corn bends nothing.
    other->header->x = 230.0f;
    other->header->groundSpeed = 0.5f;
    stalk->actor.lastHitter = &other->actor;
    CornLateUpdate(stalk);
    EXPECT_EQ(stalk->anim.frameIndex, cornUprightFrame);
    // A wheel 20 px to the right, moving right: frame 20/10 + 5 = 7.
    ASSERT_TRUE(datakit::WriteWagonData("."));
    WagonLoad(nullptr);
    lastSpawnedInstance = nullptr;
    SpawnObject(&Wagon, 220.0f, 100.0f, WagonRightWheel, 0);
    WagonRecord* wheel = (WagonRecord*)lastSpawnedInstance;
    ASSERT_NE(wheel, nullptr);
    wheel->header->x = stalk->header->x + 20.0f;
    wheel->header->groundSpeed = 1.0f;
    stalk->actor.lastHitter = &wheel->actor;
    CornLateUpdate(stalk);
    EXPECT_EQ(stalk->anim.frameIndex, 7);
    // Coming back from the left at -30 px, moving left: frame 2.
    wheel->header->x = stalk->header->x - 30.0f;
    wheel->header->groundSpeed = -1.0f;
    stalk->actor.lastHitter = &wheel->actor;
    CornLateUpdate(stalk);
    EXPECT_EQ(stalk->anim.frameIndex, 2);
}

TEST_F(CornTest, AHurtStalkIsCutOnceAndBurstsIntoDebris)
{
    LoadCorn();
    GibletsLoad(nullptr);
    ASSERT_FALSE(HasFatalFailure());
    for (u8 role : {CornFront, CornBack}) {
        SCOPED_TRACE(role);
        CornRecord* stalk = SpawnCorn(200.0f, (f32)groundY - 6.0f, role);
        ASSERT_NE(stalk, nullptr);
        CornLateUpdate(stalk);
        stalk->anim.frameIndex = 3;
        const u32 before = LiveCount(Giblets);
        // A hit whose hit-stop is already over by the late update leaves the stalk standing.
        stalk->actor.hurt = 1;
        stalk->actor.hitlag = 0;
        CornLateUpdate(stalk);
        EXPECT_EQ(stalk->cut, 0);
        EXPECT_EQ(LiveCount(Giblets), before);
        // The player's blow: hurt with a 2-tick hit-stop, then the stalk's tick (update, late update).
        stalk->actor.hurt = 1;
        stalk->actor.hitlag = 2;
        CornUpdate(stalk);
        CornLateUpdate(stalk);
        EXPECT_EQ(stalk->cut, 1);
        EXPECT_EQ(stalk->anim.animIndex, role + 2);
        EXPECT_EQ(stalk->anim.frameIndex, 3) << "keeps its bend";
        const u32 pieces = LiveCount(Giblets) - before;
        EXPECT_GE(pieces, 16u);
        EXPECT_LE(pieces, 32u);
        for (u32 i = 0; i < Giblets.poolSize; ++i) {
            if (Giblets.pool[i]->spawned && !Giblets.pool[i]->free) {
                EXPECT_EQ(Giblets.pool[i]->drawLayer, stalk->header->drawLayer + 1);
            }
        }
        // A cut stalk takes no second cut.
        stalk->actor.hurt = 1;
        stalk->actor.hitlag = 2;
        const u32 after = LiveCount(Giblets);
        CornUpdate(stalk);
        CornLateUpdate(stalk);
        EXPECT_EQ(LiveCount(Giblets), after);
        EXPECT_EQ(stalk->anim.animIndex, role + 2);
        EXPECT_EQ(stalk->anim.frameIndex, 3);
        ResetObjectInstances(&Giblets);
    }
}

TEST_F(CornTest, AStalkDropsOntoTheGroundBelowIt)
{
    LoadCorn();
    ASSERT_FALSE(HasFatalFailure());
    CornRecord* stalk = SpawnCorn(200.0f, (f32)groundY - 10.0f, CornFront);
    ASSERT_NE(stalk, nullptr);
    CornLateUpdate(stalk);
    EXPECT_EQ(stalk->grounded, 1);
    EXPECT_NEAR(stalk->header->y, (f32)groundY - 1.0f, 1.0f);
}

} // namespace
