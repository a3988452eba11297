// Audrey with its shot and Draven on the data kit's sets: one shot an attack, the shot's flight,
// shrink and release of its owner's slot, Draven provoked only by the player, its hover, its dive
// ending in the return and the return onto its perch.
#include <cstddef>

#include "Engine/Collision/AngleTables.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/Sound.h"
#include "Engine/Platform/GameThread.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Enemies/Audrey.h"
#include "Game/Enemies/AudreyShot.h"
#include "Game/Enemies/BasicEnemy.h"
#include "Game/Enemies/Draven.h"
#include "Game/Player/Player.h"
#include "Game/Whip/Whip.h"
#include "tests/unit/EnemyWorld.h"
#include "tools/datakit/ActorData.h"
#include "tools/datakit/EnemyArt.h"
#include "tools/datakit/PlayerArt.h"
#include "tools/datakit/RosterArtA.h"

namespace {

class AudreyDravenTest : public EnemyWorld {
protected:
    AudreyDravenTest() : EnemyWorld("palvic-audreydraven-") {}

    void SetUp() override
    {
        EnemyWorld::SetUp();
        ASSERT_TRUE(datakit::WriteRosterDataA("."));
        ASSERT_TRUE(datakit::WriteHazardData("."));
        HazardLoad(nullptr);
    }

    void ForgetTypes() override
    {
        for (ActorProperties* properties : {&audreyProperties, &audreyShotProperties, &dravenProperties})
            FreeEnemyProperties(properties);
        audreyAnimSet = audreyShotAnimSet = dravenAnimSet = AnimSet{};
        audreyProperties = audreyShotProperties = dravenProperties = ActorProperties{};
    }

    static u32 QueuedCount(u32 id)
    {
        u32 count = 0;
        for (u8 i = 0; i < soundQueue.count; ++i)
            count += soundQueue.id[i] == id;
        return count;
    }

    // One tick of an enemy as the frame runs it: boxes cleared, Update, then LateUpdate while alive.
    template <class Record>
    static void Tick(Record* record, void (*Update)(void*), void (*LateUpdate)(void*))
    {
        ClearAttackBoxes();
        Update(record);
        if (record->header->alive)
            LateUpdate(record);
    }

    // What a landed hit leaves on the victim for its next ticks.
    static void Hit(ActorBlock& victim, ObjectType* hitterType, u32 hitterIndex, i16 hitlag)
    {
        victim.touched = 1;
        victim.lastHitterType = hitterType;
        victim.lastHitterIndex = hitterIndex;
        victim.hitlag = hitlag;
    }

    AudreyRecord* SpawnAudrey(bool faceRight)
    {
        AudreyRecord* audrey = (AudreyRecord*)Spawn(&Audrey, 200.0f, 100.0f);
        if (audrey) {
            audrey->faceRight = faceRight;
            AudreyInit(audrey);
        }
        return audrey;
    }
};

// ---- Audrey ----

TEST_F(AudreyDravenTest, AudreyLoadsItsShotAndBothUnload)
{
    AudreyLoad(nullptr);
    EXPECT_TRUE(Audrey.registered);
    EXPECT_TRUE(AudreyShot.registered);
    EXPECT_STREQ(Audrey.name, "Audrey");
    EXPECT_EQ(AudreyShot.name, nullptr);
    EXPECT_EQ(Audrey.drawLayer, 9);
    EXPECT_EQ(AudreyShot.drawLayer, 11);
    EXPECT_EQ(Audrey.cullMarginX, 256);
    EXPECT_EQ(AudreyShot.cullMarginY, 256);
    EXPECT_EQ(Audrey.instanceSize, sizeof(AudreyRecord));
    ASSERT_EQ(placeableTypeCount, 1u);
    EXPECT_EQ(placeableTypes[0], &Audrey);
    AudreyUnload();
    EXPECT_FALSE(Audrey.registered);
    EXPECT_FALSE(AudreyShot.registered);
    EXPECT_FALSE(audreyShotAnimSet.loaded);
}

TEST_F(AudreyDravenTest, TwoHitsBringOneShotTheWayAudreyFaces)
{
    AudreyLoad(nullptr);
    struct Case {
        const char* name;
        bool faceRight;
    };
    for (const Case& c : {Case{"facing right", true}, Case{"facing left", false}}) {
        SCOPED_TRACE(c.name);
        soundQueue = SoundQueue{};
        AudreyRecord* audrey = SpawnAudrey(c.faceRight);
        ASSERT_NE(audrey, nullptr);
        EXPECT_EQ(audrey->header->flipX, c.faceRight ? 0 : 1);
        Tick(audrey, AudreyUpdate, AudreyLateUpdate);

        // The first hit only counts; the second starts the attack.
        audrey->actor.touched = 1;
        AudreyLateUpdate(audrey);
        EXPECT_EQ(audrey->hitCount, 1);
        EXPECT_EQ(audrey->header->state, AudreyIdle);
        Tick(audrey, AudreyUpdate, AudreyLateUpdate);
        audrey->actor.touched = 1;
        AudreyLateUpdate(audrey);
        ASSERT_EQ(audrey->header->state, AudreyAttacking);
        EXPECT_TRUE(ShowsAnim(&audrey->anim, audreyAttackAnim));

        // The attack rests on its firing frame for several ticks: still one shot.
        const u32 before = AudreyShot.liveCount;
        u32 ticksOnFireFrame = 0;
        int ticks = 0;
        while (audrey->header->state == AudreyAttacking && ticks < 200) {
            Tick(audrey, AudreyUpdate, AudreyLateUpdate);
            ticksOnFireFrame += audrey->anim.frameIndex == audreyFireFrame;
            ++ticks;
        }
        EXPECT_GT(ticksOnFireFrame, 1u);
        ASSERT_EQ(audrey->header->state, AudreyIdle);
        EXPECT_EQ(audrey->hitCount, 0);
        ASSERT_EQ(AudreyShot.liveCount, before + 1);
        EXPECT_EQ(QueuedCount(audreyShotSound), 1u);
        ASSERT_EQ(soundQueue.count, 1);
        EXPECT_GE(soundQueue.frequency[0], 40100u);
        EXPECT_LE(soundQueue.frequency[0], 46653u);

        // The shot left the mouth on the side Audrey faces, flies that way and is Audrey's child.
        ASSERT_EQ(audrey->actor.childCount, 1);
        const ActorBlock* child = audrey->actor.children[audrey->actor.children[0] ? 0 : 1];
        ASSERT_NE(child, nullptr);
        const AudreyShotRecord* shot = (const AudreyShotRecord*)((const char*)child - offsetof(AudreyShotRecord, actor));
        EXPECT_EQ(shot->actor.parent, &audrey->actor);
        EXPECT_EQ(shot->actor.direction, c.faceRight ? DirectionRight : DirectionLeft);
        EXPECT_EQ(shot->header->x > audrey->header->x, c.faceRight);
    }
}

TEST_F(AudreyDravenTest, HitsDuringTheAttackDoNotCount)
{
    AudreyLoad(nullptr);
    AudreyRecord* audrey = SpawnAudrey(true);
    ASSERT_NE(audrey, nullptr);
    Tick(audrey, AudreyUpdate, AudreyLateUpdate);
    audrey->hitCount = 1;
    audrey->actor.touched = 1;
    AudreyLateUpdate(audrey);
    ASSERT_EQ(audrey->header->state, AudreyAttacking);
    for (int i = 0; i < 5; ++i) {
        Tick(audrey, AudreyUpdate, AudreyLateUpdate);
        audrey->actor.touched = 1;
        AudreyLateUpdate(audrey);
    }
    EXPECT_EQ(audrey->hitCount, 0);
    EXPECT_EQ(audrey->header->state, AudreyAttacking);
    EXPECT_LT(audrey->anim.frameIndex, audreyFireFrame);
}

// ---- AudreyShot ----

class AudreyShotTest : public AudreyDravenTest {
protected:
    AudreyRecord* owner = nullptr;
    AudreyShotRecord* shot = nullptr;

    void SetUp() override
    {
        AudreyDravenTest::SetUp();
        AudreyLoad(nullptr);
        owner = SpawnAudrey(true);
        shot = (AudreyShotRecord*)Spawn(&AudreyShot, 220.0f, 90.0f, 1, 0);
        ASSERT_NE(owner, nullptr);
        ASSERT_NE(shot, nullptr);
        ASSERT_TRUE(AttachActor(&owner->actor, &shot->actor));
    }
};

TEST_F(AudreyShotTest, FliesItsLifeThenShrinksAwayAndFreesTheSlot)
{
    struct Case {
        const char* name;
        int hitAt;      // tick of the hit, -1 none
        int shrinkFrom; // first tick whose Update shrinks it
    };
    for (const Case& c : {Case{"unhit: 48 ticks of flight", -1, 48}, Case{"hit on tick 10", 10, 10}}) {
        SCOPED_TRACE(c.name);
        shot = (AudreyShotRecord*)Spawn(&AudreyShot, 220.0f, 90.0f, 1, 0);
        ASSERT_NE(shot, nullptr);
        ASSERT_TRUE(AttachActor(&owner->actor, &shot->actor));
        const u8 slot = shot->actor.slotInParent;
        const u8 held = owner->actor.childCount;
        const f32 startX = shot->header->x;
        int gone = -1;
        for (int t = 0; t < 100 && gone < 0; ++t) {
            if (t == c.hitAt)
                Hit(shot->actor, &Audrey, 0, 4);
            Tick(shot, AudreyShotUpdate, AudreyShotLateUpdate);
            if (t < c.shrinkFrom) {
                ASSERT_EQ(shot->header->scaleX, 1.0f) << t;
            } else if (shot->header->alive) {
                EXPECT_NEAR(shot->header->scaleY, 1.0f - 0.2f * (f32)(t - c.shrinkFrom + 1), 1e-5f) << t;
            }
            if (!shot->header->alive)
                gone = t;
        }
        // 1.0 down to 0 in five steps of 0.2: removed on the fifth.
        EXPECT_EQ(gone, c.shrinkFrom + 4);
        EXPECT_GT(shot->header->x, startX + 5.0f); // it flew right, through no tiles
        EXPECT_EQ(owner->actor.children[slot], nullptr);
        EXPECT_EQ(owner->actor.childCount, held - 1);
        EXPECT_EQ(shot->actor.parent, nullptr);
    }
}

TEST_F(AudreyShotTest, AnOwnerThatNoLongerHoldsTheShotIsLeftAlone)
{
    // Audrey died and its slot went to a new Audrey, which holds something else in that slot.
    ActorBlock* stale = &owner->actor;
    AudreyInit(owner);
    static ActorBlock newChild{};
    ASSERT_TRUE(AttachActor(stale, &newChild));
    ASSERT_EQ(stale->children[shot->actor.slotInParent], &newChild);
    shot->life = 0;
    shot->header->scaleX = 0.2f;
    Tick(shot, AudreyShotUpdate, AudreyShotLateUpdate);
    EXPECT_FALSE(shot->header->alive);
    EXPECT_EQ(stale->children[0], &newChild);
    EXPECT_EQ(stale->childCount, 1);
    EXPECT_EQ(shot->actor.parent, nullptr);
}

// ---- Draven ----

class DravenTest : public AudreyDravenTest {
protected:
    PlayerRecord* player = nullptr;
    DravenRecord* draven = nullptr;

    void SetUp() override
    {
        AudreyDravenTest::SetUp();
        ASSERT_TRUE(datakit::WritePlayerData("."));
        for (PlayerProgress& progress : playerProgress)
            progress = PlayerProgress{3, 0, 255, 0.0f, 0.0f};
        PlayerLoad(nullptr);
        BasicEnemyLoad(nullptr);
        DravenLoad(nullptr);
        player = (PlayerRecord*)Spawn(&Player, 100.0f, 300.0f);
        draven = (DravenRecord*)Spawn(&Draven, 200.0f, 200.0f);
        ASSERT_NE(player, nullptr);
        ASSERT_NE(draven, nullptr);
        ASSERT_EQ(draven->timer, dravenTimer);
        draven->timer = 0; // rested
    }

    void Tick() { AudreyDravenTest::Tick(draven, DravenUpdate, DravenLateUpdate); }
};

TEST_F(DravenTest, OnlyARestedDravenHitByThePlayerGivesChase)
{
    struct Case {
        const char* name;
        bool byPlayer;
        i8 timer;
        bool chases;
    };
    const Case cases[] = {
        {"the player's hit", true, 0, true},
        {"another enemy's hit", false, 0, false},
        {"the player's hit while resting", true, 30, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        soundQueue = SoundQueue{};
        draven = (DravenRecord*)Spawn(&Draven, 200.0f, 200.0f);
        ASSERT_NE(draven, nullptr);
        draven->timer = c.timer;
        Hit(draven->actor, c.byPlayer ? &Player : &BasicEnemy, c.byPlayer ? player->header->index : 0, 0);
        DravenLateUpdate(draven);
        EXPECT_EQ(draven->chasing != 0, c.chases);
        EXPECT_EQ(draven->header->state, c.chases ? DravenStartled : DravenPerched);
        EXPECT_EQ(draven->target, c.chases ? player->header : nullptr);
        EXPECT_EQ(QueuedCount(dravenCawSound), c.chases ? 1u : 0u);
        if (c.chases) {
            EXPECT_EQ(draven->header->phase, 192.0f);
            EXPECT_EQ(draven->timer, dravenTimer);
            EXPECT_TRUE(ShowsAnim(&draven->anim, dravenHoverAnim));
        }
    }
}

TEST_F(DravenTest, HoverBobsFacingTheTargetThenDives)
{
    Hit(draven->actor, &Player, player->header->index, 0);
    DravenLateUpdate(draven);
    ASSERT_EQ(draven->header->state, DravenStartled);
    // A phase low enough that the look-up angle goes below 0 before it is wrapped.
    draven->header->phase = 10.0f;
    Tick();
    EXPECT_EQ(draven->header->vy, (f32)cosTable[(12 - 64) & 255] / 327.68f * 0.25f);
    EXPECT_EQ(draven->header->flipX, 1); // the player is to its left
    EXPECT_EQ(draven->actor.values[MaxAirSpeed], 0.0f);
    int ticks = 1;
    while (draven->header->state == DravenStartled && ticks < 200) {
        Tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 91);
    EXPECT_EQ(draven->header->state, DravenDiving);
}

TEST_F(DravenTest, ADiveAtATargetAboveEndsAtOnceInTheReturnToThePerch)
{
    const f32 perchX = draven->actor.spawnX, perchY = draven->actor.spawnY;
    draven->chasing = 1;
    draven->target = player->header;
    draven->header->state = DravenDiving;
    draven->header->x = 260.0f;
    draven->header->y = 320.0f;
    player->header->y = 300.0f; // above Draven

    // Still touched by a hit this tick: it keeps diving.
    draven->actor.touched = 1;
    DravenUpdate(draven);
    EXPECT_EQ(draven->header->state, DravenDiving);
    EXPECT_NEAR(draven->header->vy, -0.225f, 1e-6f);
    draven->actor.touched = 0;
    const f32 vy = draven->header->vy;
    // The wing beat goes on in the return animation from the frame the dive was on.
    StartAnim(&draven->anim, dravenHoverAnim);
    StartAnim(&draven->anim, dravenHoverAnim); // taken up at once: no restart pending
    SetAnim(&draven->anim, &dravenAnimSet, dravenHoverAnim, 4, 1);
    Tick();
    EXPECT_EQ(draven->header->state, DravenReturning);
    EXPECT_NEAR(draven->header->vy, vy - 0.225f, 1e-6f);
    EXPECT_TRUE(ShowsAnim(&draven->anim, dravenReturnAnim));
    const u16 frame = draven->anim.frameIndex;
    EXPECT_GE(frame, 4);
    Tick();
    EXPECT_TRUE(ShowsAnim(&draven->anim, dravenReturnAnim));
    EXPECT_GE(draven->anim.frameIndex, frame) << "the return animation started over";

    int ticks = 0;
    while (draven->header->state == DravenReturning && ticks < 2000) {
        Tick();
        ++ticks;
    }
    ASSERT_EQ(draven->header->state, DravenPerched) << ticks;
    EXPECT_EQ(draven->header->x, perchX);
    EXPECT_EQ(draven->header->y, perchY);
    EXPECT_EQ(draven->timer, dravenTimer);
    EXPECT_EQ(draven->target, nullptr);
    EXPECT_EQ(draven->chasing, 0);
    EXPECT_EQ(draven->header->flipX, 1);
}

TEST_F(DravenTest, ADiveAtATargetBelowClosesIn)
{
    draven->chasing = 1;
    draven->target = player->header; // at (100, 300): below and left
    draven->header->state = DravenDiving;
    for (int i = 0; i < 30; ++i)
        Tick();
    EXPECT_EQ(draven->header->state, DravenDiving);
    EXPECT_GT(draven->header->vy, 0.0f);
    EXPECT_LT(draven->header->vx, 0.0f);
    EXPECT_GT(draven->header->y, 200.0f);
}

} // namespace
