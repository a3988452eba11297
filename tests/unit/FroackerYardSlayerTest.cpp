// Froacker's variants and YardSlayer on the data kit's sets: the variants from a placement file,
// Chuck's throw surviving a hit, Larry's chase running out, YardSlayer's default range and roam,
// its return behind the whip's owner (and never behind a corn stalk), and a hit on each.
#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#include "Engine/Collision/AngleTables.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/Sound.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/GameThread.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Actors/Effects.h"
#include "Game/Actors/HitResolution.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Enemies/Froacker.h"
#include "Game/Enemies/Projectile.h"
#include "Game/Enemies/YardSlayer.h"
#include "Game/Player/Player.h"
#include "Game/World/Corn.h"
#include "tests/unit/EnemyWorld.h"
#include "tools/datakit/ActorData.h"
#include "tools/datakit/EnemyArt.h"
#include "tools/datakit/GimmickArtC.h"
#include "tools/datakit/PlacementWriter.h"
#include "tools/datakit/PlayerArt.h"
#include "tools/datakit/RosterArtB.h"

namespace {

class FroackerYardSlayerTest : public EnemyWorld {
protected:
    FroackerYardSlayerTest() : EnemyWorld("palvic-froacker-") {}

    void SetUp() override
    {
        EnemyWorld::SetUp();
        ASSERT_TRUE(datakit::WriteRosterDataB("."));
        ASSERT_TRUE(datakit::WriteEnemyData("."));
        ASSERT_TRUE(datakit::WriteHazardData("."));
        HazardLoad(nullptr);
    }

    void ForgetTypes() override
    {
        for (ActorProperties* properties : {&froackerPurpleProperties, &froackerRedProperties, &froackerBlueProperties,
                                            &froackerYellowProperties, &yardSlayerProperties, &projectileProperties})
            FreeEnemyProperties(properties);
        froackerPurpleProperties = froackerRedProperties = froackerBlueProperties = froackerYellowProperties =
            ActorProperties{};
        yardSlayerProperties = projectileProperties = ActorProperties{};
        froackerAnimSet = yardSlayerAnimSet = projectileAnimSet = AnimSet{};
        froackerEditorVariant = 0;
    }

    // One tick as the frame runs it, standing on the ground when asked (there is no layout here).
    template <class Record>
    static void Tick(Record* record, void (*Update)(void*), void (*LateUpdate)(void*), bool grounded)
    {
        ClearAttackBoxes();
        if (grounded) {
            record->header->groundContact = 1;
            record->header->lastGroundContact = 1;
        }
        Update(record);
        if (record->header->alive)
            LateUpdate(record);
        if (grounded) {
            record->header->vy = 0.0f;
            record->header->y = 100.0f;
        }
    }

    // What a landed hit leaves on the victim.
    static void Hit(ActorBlock& victim, ActorBlock* hitter, ObjectType* hitterType, i16 hitlag)
    {
        victim.touched = 1;
        victim.hurt = 1;
        victim.lastHitter = hitter;
        victim.lastHitterType = hitterType;
        victim.lastHitterIndex = hitter && hitter->header ? hitter->header->index : 0;
        victim.hitlag = hitlag;
    }

    FroackerRecord* SpawnFroacker(i8 variant, f32 x = 200.0f)
    {
        FroackerRecord* froacker = (FroackerRecord*)Spawn(&Froacker, x, 100.0f, (u8)variant);
        if (froacker) {
            froacker->type = variant;
            froacker->faceRight = 1;
            FroackerInit(froacker);
        }
        return froacker;
    }
};

// ---- Froacker ----

TEST_F(FroackerYardSlayerTest, FroackerPlacementsPickVariantPaletteAndProperties)
{
    std::vector<datakit::PlacedObject> objects;
    for (u8 type : {0, 1, 2, 9}) {
        datakit::PlacedObject object;
        ASSERT_TRUE(datakit::ToDecimalFloat(100.0 + type * 50, 1, &object.x));
        ASSERT_TRUE(datakit::ToDecimalFloat(80.0, 1, &object.y));
        datakit::PutPlacementKey(object.keys, 0, type);
        datakit::PutPlacementKey(object.keys, 8, type == 1);
        objects.push_back(object);
    }
    ASSERT_TRUE(datakit::WritePlacementFile("Froacker.bin", objects));
    FroackerLoad("Froacker.bin");
    ASSERT_TRUE(Froacker.registered);
    EXPECT_STREQ(Froacker.name, "Froacker");
    EXPECT_EQ(Froacker.growthStep, 64u);
    EXPECT_EQ(Froacker.cullMarginY, 256);
    EXPECT_EQ(Froacker.Bind, FroackerBind);
    ASSERT_EQ(froackerAnimSet.paletteCount, 3u); // the walker's, Chuck's and Larry's colours
    ASSERT_EQ(Froacker.liveCount, 4u);

    struct Expect {
        u8 variant;
        ActorProperties* properties;
        FroackerState state;
        u8 flipX;
    };
    const Expect expected[] = {{0, &froackerPurpleProperties, FroackerWalker, 1},
                               {1, &froackerRedProperties, FroackerChuck, 0},
                               {2, &froackerBlueProperties, FroackerLarry, 1},
                               {0, &froackerPurpleProperties, FroackerWalker, 1}}; // 9 is out of range
    for (u32 i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const FroackerRecord* froacker = froackerInstances[i];
        EXPECT_EQ(froacker->header->spawnA, expected[i].variant);
        EXPECT_EQ(froacker->type, (i8)expected[i].variant);
        EXPECT_EQ(froacker->actor.properties, expected[i].properties);
        EXPECT_EQ(froacker->state, expected[i].state);
        EXPECT_EQ(froacker->header->flipX, expected[i].flipX);
        EXPECT_EQ(froacker->heldProjectile, -1);
    }
    // A rebind (the pool growing) keeps each variant's choice.
    FroackerBind(froackerInstances[2], 2, froackerInstances[2]->header);
    EXPECT_EQ(froackerInstances[2]->state, FroackerLarry);
    EXPECT_EQ(froackerInstances[2]->actor.properties, &froackerBlueProperties);
}

TEST_F(FroackerYardSlayerTest, EditorPlacesTheVariantThePreviewShows)
{
    FroackerLoad(nullptr);
    FroackerRecord* cursor = SpawnFroacker(0, 300.0f);
    ASSERT_NE(cursor, nullptr);
    playerControls[0].pressedMask = 0x10;
    FroackerEditorPreview(cursor);
    FroackerEditorPreview(cursor);
    playerControls[0].pressedMask = 0;
    FroackerEditorPreview(cursor);
    ASSERT_EQ(froackerEditorVariant, 2);
    FroackerEditorPlace(cursor);
    FroackerRecord* placed = (FroackerRecord*)lastSpawnedInstance;
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(placed->type, 2);
    EXPECT_EQ(placed->state, FroackerLarry);
    EXPECT_EQ(placed->header->flipX, 1);
}

TEST_F(FroackerYardSlayerTest, ChuckHitWhileHoldingItsShotStillThrowsItAtFrameSix)
{
    ProjectileLoad(nullptr);
    FroackerLoad(nullptr);
    FroackerRecord* target = SpawnFroacker(0, 520.0f);
    FroackerRecord* chuck = SpawnFroacker(1, 200.0f);
    ASSERT_NE(target, nullptr);
    ASSERT_NE(chuck, nullptr);
    target->header->y = 60.0f;
    chuck->header->state = 2;
    chuck->timer = 0;
    chuck->target = target->header;

    // Into the throw: the shot is spawned on frame 0 and held.
    int ticks = 0;
    while (!(ShowsAnim(&chuck->anim, froackerThrowAnim) && chuck->anim.frameIndex == 2) && ticks < 100) {
        Tick(chuck, FroackerUpdate, FroackerLateUpdate, true);
        ++ticks;
    }
    ASSERT_LT(ticks, 100);
    ASSERT_EQ(Projectile.liveCount, 1u);
    ASSERT_GE(chuck->heldProjectile, 0);
    EnemyRecord* shot = projectileInstances[chuck->heldProjectile];
    EXPECT_EQ(shot->actor.parent, &chuck->actor);

    // A hit now: the hurt pose, then the throw again, without a second shot.
    Hit(chuck->actor, &target->actor, &Froacker, 4);
    Tick(chuck, FroackerUpdate, FroackerLateUpdate, true);
    ticks = 0;
    while (chuck->heldProjectile >= 0 && ticks < 200) {
        const f32 x = chuck->header->x;
        Tick(chuck, FroackerUpdate, FroackerLateUpdate, true);
        ++ticks;
        if (chuck->heldProjectile < 0) {
            // Let go at frame 6, from the hand, lobbed toward the target.
            EXPECT_TRUE(ShowsAnim(&chuck->anim, froackerThrowAnim));
            EXPECT_EQ(chuck->anim.frameIndex, froackerThrowFrame);
            const f32 aim = -(x - target->header->x) / 32.0f;
            EXPECT_GE(shot->header->vx, aim - 1.0f - 1e-4f);
            EXPECT_LE(shot->header->vx, aim + 1.0f + 1e-4f);
            EXPECT_FLOAT_EQ(shot->header->vy, -4.0f - (chuck->header->y - target->header->y) / 40.0f);
        }
    }
    EXPECT_EQ(chuck->heldProjectile, -1);
    EXPECT_EQ(Projectile.liveCount, 1u) << "the hit brought no second shot";
    EXPECT_GT(shot->header->vx, 0.0f);
}

TEST_F(FroackerYardSlayerTest, ChuckProvokedByThePlayerOnlyHopsAtIt)
{
    ASSERT_TRUE(datakit::WritePlayerData("."));
    for (PlayerProgress& progress : playerProgress)
        progress = PlayerProgress{3, 0, 255, 0.0f, 0.0f};
    PlayerLoad(nullptr);
    FroackerLoad(nullptr);
    PlayerRecord* player = (PlayerRecord*)Spawn(&Player, 400.0f, 100.0f);
    FroackerRecord* other = SpawnFroacker(0, 600.0f);
    ASSERT_NE(player, nullptr);
    ASSERT_NE(other, nullptr);
    for (const bool byPlayer : {false, true}) {
        SCOPED_TRACE(byPlayer ? "the player" : "another froacker");
        FroackerRecord* chuck = SpawnFroacker(1, 200.0f);
        ASSERT_NE(chuck, nullptr);
        Tick(chuck, FroackerUpdate, FroackerLateUpdate, true);
        Hit(chuck->actor, byPlayer ? &player->actor : &other->actor, byPlayer ? &Player : &Froacker, 0);
        chuck->actor.hurt = 0;
        Tick(chuck, FroackerUpdate, FroackerLateUpdate, false);
        EXPECT_EQ(chuck->header->state, byPlayer ? 1 : 0);
        EXPECT_EQ(chuck->target, byPlayer ? player->header : nullptr);
        if (byPlayer) {
            EXPECT_TRUE(ShowsAnim(&chuck->anim, froackerHopAnim));
            EXPECT_LT(chuck->header->vy, 0.0f);
            // Out of view it forgets the player.
            FroackerLeaveView(chuck);
            EXPECT_EQ(chuck->header->state, 0);
            EXPECT_EQ(chuck->target, nullptr);
            EXPECT_EQ(chuck->chasing, 0);
        }
    }
}

TEST_F(FroackerYardSlayerTest, ChuckAndLarryWhippedByThePlayerHopOnceTheHitStopIsOver)
{
    ASSERT_TRUE(datakit::WritePlayerData("."));
    for (PlayerProgress& progress : playerProgress)
        progress = PlayerProgress{3, 0, 255, 0.0f, 0.0f};
    PlayerLoad(nullptr);
    FroackerLoad(nullptr);
    PlayerRecord* player = (PlayerRecord*)Spawn(&Player, 400.0f, 100.0f);
    ASSERT_NE(player, nullptr);
    for (const i8 variant : {1, 2}) {
        SCOPED_TRACE(variant == 1 ? "Chuck" : "Larry");
        FroackerRecord* froacker = SpawnFroacker(variant, 200.0f);
        ASSERT_NE(froacker, nullptr);
        Tick(froacker, FroackerUpdate, FroackerLateUpdate, true);
        // The hit is seen for one tick only, in its hit-stop.
        Hit(froacker->actor, &player->actor, &Player, 5);
        Tick(froacker, FroackerUpdate, FroackerLateUpdate, true);
        EXPECT_EQ(froacker->header->state, 0);
        EXPECT_EQ(froacker->actor.touched, 0);
        int ticks = 1;
        while (froacker->header->state == 0 && ticks < 30) {
            Tick(froacker, FroackerUpdate, FroackerLateUpdate, true);
            ++ticks;
        }
        ASSERT_EQ(froacker->header->state, 1) << "the chase never started";
        EXPECT_EQ(froacker->actor.hitlag, 0);
        EXPECT_EQ(froacker->target, player->header);
        EXPECT_EQ(froacker->chasing, 1);
        EXPECT_TRUE(ShowsAnim(&froacker->anim, variant == 1 ? froackerHopAnim : froackerLarryHopAnim));
        if (variant != 2)
            continue;
        // A chase that has run out leaves Larry walking, until the next hit.
        froacker->header->state = 5;
        froacker->timer = 0;
        Tick(froacker, FroackerUpdate, FroackerLateUpdate, true);
        ASSERT_EQ(froacker->header->state, 0);
        EXPECT_EQ(froacker->target, nullptr);
        for (int t = 0; t < 20; ++t)
            Tick(froacker, FroackerUpdate, FroackerLateUpdate, true);
        EXPECT_EQ(froacker->header->state, 0);
        EXPECT_EQ(froacker->chasing, 0);
    }
}

TEST_F(FroackerYardSlayerTest, LarryFastChaseEndsAfter161TicksFarFromItsTarget)
{
    FroackerLoad(nullptr);
    FroackerRecord* target = SpawnFroacker(0, 3000.0f);
    FroackerRecord* larry = SpawnFroacker(2, 200.0f);
    ASSERT_NE(target, nullptr);
    ASSERT_NE(larry, nullptr);
    larry->target = target->header;
    larry->chasing = 1;
    larry->actor.hp = 2.0f;
    // The leap lands: the chase starts on this very tick.
    larry->header->state = 3;
    larry->header->vx = 2.0f;
    ClearAttackBoxes();
    larry->header->groundContact = 1;
    larry->header->lastGroundContact = 0;
    FroackerUpdate(larry);
    FroackerLateUpdate(larry);
    ASSERT_EQ(larry->header->state, 4);
    EXPECT_FLOAT_EQ(larry->actor.values[MaxGroundSpeed], 4.0f);
    EXPECT_TRUE(larry->actor.flags[FlagFaceGroundMotion]);
    // The chase runs from frame 3 of its animation, which then loops from there.
    EXPECT_TRUE(ShowsAnim(&larry->anim, froackerChaseAnim));
    EXPECT_EQ(larry->anim.frameIndex, 3);
    std::vector<u16> frames;
    int chaseTicks = 1;
    while (larry->header->state == 4 && chaseTicks < 400) {
        Tick(larry, FroackerUpdate, FroackerLateUpdate, true);
        if (frames.size() < 6 && ShowsAnim(&larry->anim, froackerChaseAnim) &&
            (frames.empty() || frames.back() != larry->anim.frameIndex))
            frames.push_back(larry->anim.frameIndex);
        ++chaseTicks;
    }
    EXPECT_EQ(frames, (std::vector<u16>{3, 4, 5, 0, 1, 2}));
    EXPECT_EQ(chaseTicks, 161);
    ASSERT_EQ(larry->header->state, 5);
    EXPECT_GT(std::fabs(larry->header->x - target->header->x), 1000.0f) << "still far from the target";
    // The Blue properties again, with the hit points it had.
    EXPECT_FLOAT_EQ(larry->actor.values[MaxGroundSpeed], froackerBlueProperties.values[MaxGroundSpeed]);
    EXPECT_FLOAT_EQ(larry->actor.hp, 2.0f);
    int slowTicks = 0;
    while (larry->header->state == 5 && slowTicks < 400) {
        Tick(larry, FroackerUpdate, FroackerLateUpdate, true);
        ++slowTicks;
    }
    EXPECT_EQ(slowTicks, 121);
    EXPECT_EQ(larry->header->state, 0);
    EXPECT_EQ(larry->chasing, 0);
}

TEST_F(FroackerYardSlayerTest, AHitTakesAPointFromEachVariant)
{
    FroackerLoad(nullptr);
    for (i8 variant : {0, 1, 2}) {
        SCOPED_TRACE((int)variant);
        FroackerRecord* froacker = SpawnFroacker(variant, 200.0f + variant * 100);
        ASSERT_NE(froacker, nullptr);
        Tick(froacker, FroackerUpdate, FroackerLateUpdate, true);
        const f32 hp = froacker->actor.hp;
        // A hurt box-sized contact: the library's rows give the damage when the pool resolves a hit,
        // which this test stands in for.
        froacker->actor.hp -= 1.0f;
        Hit(froacker->actor, nullptr, &Froacker, 6);
        Tick(froacker, FroackerUpdate, FroackerLateUpdate, true);
        EXPECT_FLOAT_EQ(froacker->actor.hp, hp - 1.0f);
        if (variant == 0) {
            EXPECT_FLOAT_EQ(froacker->header->groundSpeed, 0.0f) << "the walker stops where it is hit";
        } else {
            EXPECT_EQ(froacker->header->state, 0) << "only the player provokes it";
        }
    }
}

// ---- YardSlayer ----

TEST_F(FroackerYardSlayerTest, YardSlayerPlacedWithRangeZeroRoams212EachSide)
{
    std::vector<datakit::PlacedObject> objects(1);
    ASSERT_TRUE(datakit::ToDecimalFloat(1000.0, 1, &objects[0].x));
    ASSERT_TRUE(datakit::ToDecimalFloat(100.0, 1, &objects[0].y));
    datakit::PutPlacementKey(objects[0].keys, 8, 1);
    datakit::PutPlacementFloatKey(objects[0].keys, 6, datakit::DecimalFloat{0, 1});
    ASSERT_TRUE(datakit::WritePlacementFile("YardSlayer.bin", objects));
    YardSlayerLoad("YardSlayer.bin");
    ASSERT_EQ(YardSlayer.liveCount, 1u);
    YardSlayerRecord* slayer = yardSlayerInstances[0];
    EXPECT_FLOAT_EQ(slayer->roamRange, 212.0f);
    EXPECT_EQ(slayer->faceRight, 1);
    EXPECT_EQ(slayer->actor.instance, slayer);

    // Past either end of its range it turns back, and the bob's phase runs on.
    slayer->header->x = 1000.0f + 213.0f;
    Tick(slayer, YardSlayerUpdate, YardSlayerLateUpdate, false);
    EXPECT_EQ(slayer->actor.direction, DirectionLeft);
    EXPECT_EQ(slayer->actor.input[InputLeft], 1);
    slayer->header->x = 1000.0f - 213.0f;
    Tick(slayer, YardSlayerUpdate, YardSlayerLateUpdate, false);
    EXPECT_EQ(slayer->actor.direction, DirectionRight);
    EXPECT_EQ(slayer->actor.input[InputRight], 1);
    const f32 phase = slayer->header->phase;
    for (int t = 0; t < 10; ++t)
        Tick(slayer, YardSlayerUpdate, YardSlayerLateUpdate, false);
    EXPECT_FLOAT_EQ(slayer->header->phase, phase + 20.0f);
    EXPECT_EQ(slayer->header->state, YardSlayerRoaming);
}

class YardSlayerPlayerTest : public FroackerYardSlayerTest {
protected:
    PlayerRecord* player = nullptr;
    YardSlayerRecord* slayer = nullptr;
    ActorBlock whip{}; // a whip's block: attached to the player, its header another object's
    ObjectHeader whipHeader{};

    void SetUp() override
    {
        FroackerYardSlayerTest::SetUp();
        ASSERT_TRUE(datakit::WritePlayerData("."));
        for (PlayerProgress& progress : playerProgress)
            progress = PlayerProgress{3, 0, 255, 0.0f, 0.0f};
        PlayerLoad(nullptr);
        ExplosionLoad(nullptr);
        YardSlayerLoad(nullptr);
        player = (PlayerRecord*)Spawn(&Player, 400.0f, 300.0f);
        slayer = (YardSlayerRecord*)Spawn(&YardSlayer, 600.0f, 250.0f);
        ASSERT_NE(player, nullptr);
        ASSERT_NE(slayer, nullptr);
        whipHeader.x = 450.0f;
        whipHeader.y = 290.0f;
        whip.header = &whipHeader;
        whip.parent = &player->actor;
    }

    void TearDown() override
    {
        FroackerYardSlayerTest::TearDown();
        FreeEnemyProperties(&cornProperties);
        cornProperties = ActorProperties{};
        cornAnimSet = AnimSet{};
    }

    void Tick() { FroackerYardSlayerTest::Tick(slayer, YardSlayerUpdate, YardSlayerLateUpdate, false); }
};

TEST_F(YardSlayerPlayerTest, AWhipHitBringsItBackBehindTheWhipsOwner)
{
    for (const u8 facing : {0, 1}) {
        SCOPED_TRACE(facing ? "player facing left" : "player facing right");
        soundQueue = SoundQueue{};
        player->facing = facing;
        player->header->x = 400.0f;
        slayer->header->state = YardSlayerRoaming;
        slayer->hasTarget = 0;
        slayer->target = nullptr;
        const f32 hp = slayer->actor.hp;
        Hit(slayer->actor, &whip, nullptr, 3);
        slayer->actor.hp -= 1.0f; // the hit's damage
        int ticks = 0;
        while (slayer->header->state != YardSlayerVanished && ticks < 20) {
            Tick();
            ++ticks;
        }
        ASSERT_EQ(slayer->header->state, YardSlayerVanished);
        EXPECT_EQ(slayer->actor.noBoxes, 1) << "no boxes while vanished";
        Tick();
        EXPECT_EQ(slayer->target, &player->actor) << "the whip's owner, not the whip";
        EXPECT_EQ(slayer->hasTarget, 1);
        ticks = 0;
        while (slayer->header->state == YardSlayerVanished && ticks < 60) {
            Tick();
            ++ticks;
        }
        ASSERT_EQ(slayer->header->state, YardSlayerClosingIn);
        // Placed 88 px behind, then moved by its first tick's speed (1 px the way it faces).
        EXPECT_NEAR(slayer->header->x, facing ? 488.0f : 312.0f, 1.01f);
        EXPECT_NEAR(slayer->header->y, 284.0f, 0.1f);
        EXPECT_EQ(slayer->header->flipX, facing);
        EXPECT_FLOAT_EQ(slayer->actor.hp, hp - 1.0f);
        EXPECT_TRUE(ShowsAnim(&slayer->anim, yardSlayerLaughAnim));
        // It closes in, attacks and goes home hidden, and roams from home again.
        ticks = 0;
        while (slayer->header->state != YardSlayerRoaming && ticks < 400) {
            Tick();
            ++ticks;
        }
        ASSERT_EQ(slayer->header->state, YardSlayerRoaming);
        EXPECT_FLOAT_EQ(slayer->header->x, slayer->actor.spawnX);
        EXPECT_FLOAT_EQ(slayer->header->y, slayer->actor.spawnY);
        EXPECT_EQ(slayer->hasTarget, 0);
    }
}

TEST_F(YardSlayerPlayerTest, StruckByACornStalkItComesBackBehindPlayerOneNotTheStalk)
{
    ASSERT_TRUE(datakit::WriteCornData("."));
    CornLoad(nullptr);
    CornRecord* stalk = (CornRecord*)Spawn(&Corn, 700.0f, 250.0f, CornFront);
    ASSERT_NE(stalk, nullptr);
    stalk->header->flipX = 1;
    player->facing = 0;
    Hit(slayer->actor, &stalk->actor, &Corn, 2);
    int ticks = 0;
    while (slayer->header->state != YardSlayerClosingIn && ticks < 80) {
        Tick();
        ASSERT_NE(slayer->target, &stalk->actor) << "tick " << ticks;
        ++ticks;
    }
    ASSERT_EQ(slayer->header->state, YardSlayerClosingIn);
    EXPECT_EQ(slayer->target, &player->actor);
    EXPECT_NEAR(slayer->header->x, player->header->x - 88.0f, 1.01f) << "behind the player, who faces right";
}

TEST_F(YardSlayerPlayerTest, ItsTargetFreedWhileVanishedMakesPlayerOneTheTarget)
{
    FroackerLoad(nullptr);
    FroackerRecord* hitter = SpawnFroacker(0, 700.0f);
    ASSERT_NE(hitter, nullptr);
    Hit(slayer->actor, &hitter->actor, &Froacker, 2);
    int ticks = 0;
    while (!slayer->hasTarget && ticks < 20) {
        Tick();
        ++ticks;
    }
    ASSERT_EQ(slayer->target, &hitter->actor);
    DespawnObject(hitter->header);
    Tick();
    EXPECT_EQ(slayer->target, &player->actor);
    ticks = 0;
    while (slayer->header->state == YardSlayerVanished && ticks < 80) {
        Tick();
        ++ticks;
    }
    ASSERT_EQ(slayer->header->state, YardSlayerClosingIn);
    EXPECT_EQ(slayer->target, &player->actor);
    EXPECT_NEAR(std::fabs(slayer->header->x - player->header->x), 88.0f, 1.01f);
}

} // namespace
