// Hit resolution through the Hazard pass: two fighters of a small data-kit set register their
// frame's boxes and every box runs the callback list, as a gameplay frame does. Links, repeats and
// serials, clashes, solid boxes, the hit's effects (damage, knock-back, hit-stop, sparks, sound),
// the lethal hit, score for a player's hit, the invulnerable player, and the hit-stop shake.
#include <cmath>
#include <string>
#include <vector>

#include "Engine/Common/Anim.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Sound.h"
#include "Engine/Platform/GameThread.h"
#include "Game/Actors/ActorBlock.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Actors/Effects.h"
#include "Game/Actors/HitResolution.h"
#include "Game/Player/Player.h"
#include "Game/World/BreakWall.h"
#include "Game/World/Corn.h"
#include "tests/unit/HeadlessGame.h"
#include "tests/unit/TestFolder.h"
#include "tools/datakit/ActorData.h"
#include "tools/datakit/EffectArt.h"
#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/PlayerArt.h"
#include "tools/datakit/SpriteCanvas.h"
#include "tools/datakit/TgaWriter.h"
#include "tools/datakit/VepWriter.h"

extern u8 forceFree;

namespace {

using datakit::ManAnimation;
using datakit::ManBox;
using datakit::ManFrame;
using datakit::ManHit;

const char* const fighterMan = "Data/Sprites/Enemies/Fighter/Fighter.man";
const char* const fighterVep = "Data/Sprites/Enemies/Fighter/Fighter.vep";

// Animations of the fighters' set, one frame each; every one but Solid carries a hurt box.
enum : u16 {
    Idle = 0,       // hurt box
    Poke = 1,       // kind 1: damage 4, knock-back 2 right, hit-stop 6
    Flurry = 2,     // kind 2: damage 1, hit-stop 3
    FlurryOnce = 3, // kind 2 once per attack (0x4)
    ClashPoke = 4,  // kind 1 with the clash flag
    Guard = 5,      // a hurt box with the clash flag
    WhipProof = 6,  // a hurt box with 0x10
    Solid = 7,      // a solid touch box only
    Poke2 = 8,      // the poke's box again in another animation
};

constexpr f32 pokeDamage = 4.0f;
constexpr i16 pokeHitlag = 6;

using datakit::BoxOf;

ManAnimation OneFrame(std::vector<ManHit> hits)
{
    ManFrame frame;
    frame.width = frame.height = 8;
    frame.offsetX = frame.offsetY = -4;
    frame.duration = 256;
    frame.hits = std::move(hits);
    ManAnimation animation;
    animation.speed = 0;
    animation.playMode = 1;
    animation.frames = {frame};
    return animation;
}

datakit::Manifest FighterManifest()
{
    datakit::Manifest m;
    m.sheets = {{"Fighter.tga", true, 4}};
    m.boxes = {BoxOf(-8, 8, -16, 16)};
    // Hit set n holds the box of row n.
    m.hitSets = {{BoxOf(-8, 8, -16, 16)}, {BoxOf(0, 24, -8, 8)},  {BoxOf(0, 24, -8, 8)}, {BoxOf(0, 24, -8, 8)},
                 {BoxOf(0, 24, -8, 8)},   {BoxOf(-8, 8, -16, 16)}, {BoxOf(-8, 8, -16, 16)}, {BoxOf(-8, 8, -8, 8)}};
    m.animations = {OneFrame({{0, 0, 0}}), OneFrame({{0, 0, 0}, {1, 0, 0}}), OneFrame({{0, 0, 0}, {2, 0, 0}}),
                    OneFrame({{0, 0, 0}, {3, 0, 0}}), OneFrame({{0, 0, 0}, {4, 0, 0}}), OneFrame({{5, 0, 0}}),
                    OneFrame({{6, 0, 0}}), OneFrame({{7, 0, 0}}), OneFrame({{0, 0, 0}, {1, 0, 0}})};
    return m;
}

datakit::Vep FighterVep()
{
    datakit::Vep vep;
    vep.values = {0.2, 0.1, 0.15, 6.0, 0.2, 0.4, 0.4, 8.0, 16.0, 4.0, 1.0, 0.21875, 0.21875, 2.0, 3.0};
    vep.hp = 16;
    vep.flags = {1, 0, 0, 0, 0}; // knockable
    vep.anims = {0, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    vep.rows = {
        {0, BoxHurt, 0, 0.0, 0.0, 0},
        {0, BoxAttack, (u8)pokeHitlag, 2.0, pokeDamage, 0},
        {0, BoxAttackFresh, 3, 1.0, 1.0, 0},
        {BoxOncePerAttack, BoxAttackFresh, 3, 1.0, 1.0, 0},
        {BoxClash, BoxAttack, 6, 2.0, 4.0, 0},
        {BoxClash, BoxHurt, 0, 0.0, 0.0, 0},
        {BoxWhipProof, BoxHurt, 0, 0.0, 0.0, 0},
        {BoxSolid, BoxTouch, 0, 0.0, 0.0, 0},
    };
    return vep;
}

struct Fighter {
    ObjectHeader header{};
    AnimPlayer cursor{};
    ActorBlock actor{};
};

class HitResolutionTest : public HeadlessGame, protected TestFolder {
protected:
    AnimSet set{};
    ActorProperties properties{};
    ObjectType victimType{}, attackerType{};
    Fighter victim, attacker;
    Stage stage{}, otherStage{};
    u32 savedSerialCounter = 0;

    void SetUp() override
    {
        HeadlessGame::SetUp();
        EnterTestFolder("palvic-hits-");
        FreeObjectTypeRegistry();
        forceFree = 0;
        soundQueue = SoundQueue{};
        // A stage entered anew; serial 0 is what a fresh block has taken, so attacks start past it.
        currentStage = &stage;
        previousStage = &otherStage;
        savedSerialCounter = attackSerialCounter;
        attackSerialCounter = 1;
        ASSERT_TRUE(datakit::WriteHazardData("."));
        ASSERT_TRUE(datakit::WriteEffectData("."));
        datakit::TgaImage sheet;
        sheet.width = sheet.height = 8;
        sheet.pixels.assign(64, 1);
        sheet.colours = {{0, 0, 0}, {90, 90, 90}, {120, 0, 0}, {0, 0, 120}};
        Write("Data/Sprites/Enemies/Fighter/Fighter.tga", datakit::MakeTga(sheet));
        Write(fighterMan, datakit::MakeManifest(FighterManifest()));
        Write(fighterVep, datakit::MakeVep(FighterVep()));

        HazardLoad(nullptr);
        ExplosionLoad(nullptr);
        LoadAnim(fighterMan, &set);
        ASSERT_TRUE(set.loaded);
        LoadEnemyProperties(&attackerType, &properties, fighterVep);
        ASSERT_EQ(properties.attackRowCount, 8);
        Place(victim, &victimType, 116.0f, Idle);
        Place(attacker, &attackerType, 100.0f, Poke);
    }

    void TearDown() override
    {
        FreeObjectTypeRegistry();
        FreeEnemyProperties(&properties);
        FreeAnim(&set);
        ClearActorTypeList();
        playerAnimSet = AnimSet{};
        playerProperties = ActorProperties{};
        explosionAnimSet = AnimSet{};
        soundQueue = SoundQueue{};
        attackSerialCounter = savedSerialCounter;
        LeaveTestFolder();
        HeadlessGame::TearDown();
    }

    void Place(Fighter& fighter, ObjectType* type, f32 x, u16 animation)
    {
        fighter.header.type = type;
        fighter.header.x = x;
        fighter.header.y = 100.0f;
        fighter.header.drawLayer = 5;
        fighter.cursor.set = &set;
        StartAnim(&fighter.cursor, Idle);
        InitEnemy(&fighter.actor, &fighter.header, &fighter.cursor);
        ApplyEnemyProperties(&properties, &fighter.actor);
        // Shown after Init, so that its first registration is a new attack with its own serial.
        StartAnim(&fighter.cursor, animation);
    }

    static void Show(ActorBlock& actor, u16 animation) { StartAnim(actor.anim, animation); }

    // One frame of the exchange: the boxes cleared, the victim's then the attacker's registered,
    // and every box in use running the list in pool order; the list is emptied after the pass.
    void Frame(ActorBlock& first, ActorBlock& second)
    {
        ClearAttackBoxes();
        RegisterAttackBoxes(&first);
        RegisterAttackBoxes(&second);
        for (u32 i = 0; i < attackBoxCount; ++i)
            HazardLateUpdate(AttackBoxAt(i));
        Hazard.callbackCount = 0;
    }
    void Frame() { Frame(victim.actor, attacker.actor); }

    // Hits the victim took, told by its hit points.
    int HitsTaken(f32 damage) const { return (int)std::lround((16.0f - victim.actor.hp) / damage); }
};

// ---- Links, repeats and serials ----

struct LinkCase {
    const char* name;
    int link; // 0 none, 1 the attacker is the victim's child, 2 its parent
    bool hurts;
};

TEST_F(HitResolutionTest, AttachedObjectsNeverHurtEachOther)
{
    const LinkCase cases[] = {
        {"unattached", 0, true},
        {"attacker is the victim's child (a player's whip)", 1, false},
        {"attacker is the victim's parent (the player of a whip)", 2, false},
    };
    for (const LinkCase& c : cases) {
        SCOPED_TRACE(c.name);
        Place(victim, &victimType, 116.0f, Idle);
        Place(attacker, &attackerType, 100.0f, Poke);
        if (c.link == 1) {
            ASSERT_TRUE(AttachActor(&victim.actor, &attacker.actor));
        } else if (c.link == 2) {
            ASSERT_TRUE(AttachActor(&attacker.actor, &victim.actor));
        }
        Frame();
        EXPECT_EQ(victim.actor.hp < 16.0f, c.hurts);
        EXPECT_EQ(victim.actor.hurt != 0, c.hurts);
        EXPECT_EQ(victim.actor.hitlag, c.hurts ? pokeHitlag : 0);
        EXPECT_EQ(attacker.actor.hp, 16.0f); // the victim's hurt box only touches
    }
}

TEST_F(HitResolutionTest, AnObjectsOwnAttackNeverHurtsItself)
{
    // The attacker's poke overlaps its own hurt box; nobody else is near.
    Place(victim, &victimType, 400.0f, Idle);
    Frame();
    EXPECT_EQ(attacker.actor.hp, 16.0f);
    EXPECT_EQ(attacker.actor.hurt, 0);
    EXPECT_EQ(Explosion.liveCount, 0u);
}

struct RepeatCase {
    const char* name;
    u16 animation;
    f32 damage;
    int frames;
    int hits;
};

TEST_F(HitResolutionTest, RepeatsOfOneAttack)
{
    const RepeatCase cases[] = {
        {"a Hit ID hits once however long it overlaps", Poke, pokeDamage, 5, 1},
        {"kind 2 takes a fresh id and hits every frame", Flurry, 1.0f, 5, 5},
        {"kind 2 once per attack hits once per animation", FlurryOnce, 1.0f, 5, 1},
    };
    for (const RepeatCase& c : cases) {
        SCOPED_TRACE(c.name);
        Place(victim, &victimType, 116.0f, Idle);
        Place(attacker, &attackerType, 100.0f, c.animation);
        for (int i = 0; i < c.frames; ++i)
            Frame();
        EXPECT_EQ(HitsTaken(c.damage), c.hits);
    }
}

TEST_F(HitResolutionTest, OncePerAttackHitsAgainOnANewAnimation)
{
    Show(attacker.actor, FlurryOnce);
    Frame();
    Frame();
    EXPECT_EQ(HitsTaken(1.0f), 1);
    // Another animation in between is a new attack with a new serial.
    Show(attacker.actor, Idle);
    Frame();
    Show(attacker.actor, FlurryOnce);
    Frame();
    Frame();
    EXPECT_EQ(HitsTaken(1.0f), 2);
}

// ---- Clashes, touches and solid boxes ----

struct ClashCase {
    const char* name;
    u16 victimAnimation, attackerAnimation;
    u8 victimClash;
    bool damaged;
    bool hurt;
};

TEST_F(HitResolutionTest, Clashes)
{
    const ClashCase cases[] = {
        {"two clash boxes only touch", Guard, ClashPoke, 0, false, false},
        {"a clashing actor's hurt box takes a poke as a touch", Idle, Poke, 1, false, true},
        {"a clash box against a plain poke is hit", Guard, Poke, 0, true, true},
    };
    for (const ClashCase& c : cases) {
        SCOPED_TRACE(c.name);
        Place(victim, &victimType, 116.0f, c.victimAnimation);
        Place(attacker, &attackerType, 100.0f, c.attackerAnimation);
        victim.actor.clash = c.victimClash;
        Frame();
        EXPECT_EQ(victim.actor.hp < 16.0f, c.damaged);
        EXPECT_EQ(victim.actor.hurt != 0, c.hurt);
        EXPECT_TRUE(victim.actor.touched);
        EXPECT_EQ(victim.actor.lastHitter, &attacker.actor);
        EXPECT_EQ(Explosion.liveCount, c.damaged ? 1u : 0u);
        ResetObjectInstances(&Explosion);
    }
}

TEST_F(HitResolutionTest, TouchesRecordTheKindsThatTouched)
{
    // Hurt box against hurt box: a touch of kind 0 on both sides, no hit.
    Show(attacker.actor, Idle);
    Frame();
    EXPECT_EQ(victim.actor.touchedKinds, 1u << BoxHurt);
    EXPECT_EQ(attacker.actor.touchedKinds, 1u << BoxHurt);
    EXPECT_EQ(victim.actor.hp, 16.0f);
    // A poke touches the attacker's own side with kind 0 and hits the victim with kind 1.
    victim.actor.touchedKinds = attacker.actor.touchedKinds = 0;
    Show(attacker.actor, Poke);
    Frame();
    EXPECT_EQ(victim.actor.touchedKinds, (1u << BoxHurt) | (1u << BoxAttack));
    EXPECT_EQ(attacker.actor.touchedKinds, 1u << BoxHurt);
}

TEST_F(HitResolutionTest, AKindPastTheFourTouchesWithoutMarkingAKind)
{
    // A short properties file fills a row with 10s: kind 10.
    properties.attackRows[1].kind = 10;
    Frame();
    EXPECT_TRUE(victim.actor.touched);
    EXPECT_EQ(victim.actor.touchedKinds, 1u << BoxHurt);
    EXPECT_EQ(victim.actor.hp, 16.0f);
}

TEST_F(HitResolutionTest, SolidBoxesStandOneOnTheOther)
{
    // The attacker's solid box sinks 4 px into the top half of the victim's, as if it fell on it.
    Place(victim, &victimType, 116.0f, Solid);
    Place(attacker, &attackerType, 116.0f, Solid);
    attacker.header.y = 100.0f - 12.0f;
    attacker.header.vy = 2.0f;
    Frame();
    EXPECT_EQ(attacker.header.vy, 0.0f);
    EXPECT_EQ(attacker.actor.floorContact, 1);
    EXPECT_EQ(attacker.header.groundContact, 1u);
    EXPECT_EQ(attacker.header.contacts[3], 1u);
    EXPECT_EQ(attacker.actor.ceilingContact, 0);
    // The one below has the other on its head.
    EXPECT_EQ(victim.actor.ceilingContact, 1);
    EXPECT_EQ(victim.header.contacts[2], 1u);
    EXPECT_EQ(victim.actor.floorContact, 0);
    EXPECT_EQ(victim.actor.hp, 16.0f);
}

// ---- The hit ----

TEST_F(HitResolutionTest, AHitDamagesKnocksBackFreezesBothAndSparks)
{
    Frame();
    EXPECT_EQ(victim.actor.hp, 16.0f - pokeDamage);
    EXPECT_EQ(victim.actor.hurt, 1);
    EXPECT_EQ(victim.actor.hitId, attacker.actor.hitId);
    EXPECT_EQ(victim.actor.hitlag, pokeHitlag);
    EXPECT_EQ(attacker.actor.hitlag, pokeHitlag);
    EXPECT_EQ(victim.actor.knockback, 2.0f);
    EXPECT_EQ(victim.actor.hitstun, 6); // knock-back x 3
    // Angle 0 at knock-back 2 less half the drag of 3: 0.5 px a tick to the right, off the ground,
    // turned back toward the attacker.
    EXPECT_FLOAT_EQ(victim.header.vx, 0.5f);
    EXPECT_NEAR(victim.header.vy, 0.0f, 1e-6f);
    EXPECT_EQ(victim.header.flipX, 1);
    EXPECT_EQ(victim.header.groundContact, 0u);

    // One spark, midway between the two, a layer above the boxes.
    ASSERT_EQ(Explosion.liveCount, 1u);
    ObjectHeader* spark = nullptr;
    for (u32 i = 0; i < Explosion.poolSize; ++i)
        if (Explosion.pool[i]->alive && !Explosion.pool[i]->free)
            spark = Explosion.pool[i];
    ASSERT_NE(spark, nullptr);
    EXPECT_FLOAT_EQ(spark->x, 108.0f);
    EXPECT_FLOAT_EQ(spark->y, 100.0f);
    EXPECT_TRUE(spark->spawnA == 2 || spark->spawnA == 3);
    EXPECT_EQ(spark->drawLayer, Hazard.drawLayer + 1);

    // The shared hit sound, pitched by the knock-back: 44100 + 200 - 100 + 0..2047 Hz.
    bool queued = false;
    for (u8 i = 0; i < soundQueue.count; ++i)
        if (soundQueue.id[i] == enemyHitSound) {
            queued = true;
            EXPECT_GE(soundQueue.frequency[i], 44200u);
            EXPECT_LE(soundQueue.frequency[i], 44200u + 2047u);
        }
    EXPECT_TRUE(queued);
}

TEST_F(HitResolutionTest, AHitWithoutTheExplosionTypeStillLands)
{
    ExplosionUnload();
    ASSERT_FALSE(Explosion.registered);
    Frame();
    EXPECT_EQ(victim.actor.hp, 16.0f - pokeDamage);
    EXPECT_EQ(victim.actor.hitlag, pokeHitlag);
}

TEST_F(HitResolutionTest, ALethalHitFreezesTheVictimFor38Ticks)
{
    victim.actor.hp = 3.0f;
    Frame();
    EXPECT_LE(victim.actor.hp, 0.0f);
    // 38, of which the shake has already run one.
    EXPECT_EQ(victim.actor.hitlag, 37);
    EXPECT_EQ(attacker.actor.hitlag, pokeHitlag);
}

TEST_F(HitResolutionTest, CornTakesNoSparksAndTwoTicksFromAPlayer)
{
    // The fighter in the corn's place: the exchange knows corn by its type alone.
    Place(victim, &Corn, 116.0f, Idle);
    Frame();
    EXPECT_EQ(victim.actor.hp, 16.0f - pokeDamage);
    EXPECT_EQ(Explosion.liveCount, 0u);
    EXPECT_EQ(victim.actor.hitlag, pokeHitlag); // not a player's hit
    // Two corn plants never meet.
    Place(victim, &Corn, 116.0f, Idle);
    attacker.header.type = &Corn;
    attacker.header.index = 1;
    Frame();
    EXPECT_EQ(victim.actor.hp, 16.0f);
    EXPECT_FALSE(victim.actor.touched);
}

// ---- The player on either side ----

class PlayerHitExchangeTest : public HitResolutionTest {
protected:
    PlayerRecord* player = nullptr;

    void SetUp() override
    {
        HitResolutionTest::SetUp();
        ASSERT_TRUE(datakit::WritePlayerData("."));
        for (PlayerProgress& progress : playerProgress)
            progress = PlayerProgress{3, 0, 255, 0.0f, 0.0f};
        PlayerLoad(nullptr);
        lastSpawnedInstance = nullptr;
        SpawnObject(&Player, 100.0f, 100.0f, 0, 0);
        player = (PlayerRecord*)lastSpawnedInstance;
        ASSERT_NE(player, nullptr);
    }

    void TearDown() override
    {
        for (PlayerProgress& progress : playerProgress)
            progress = PlayerProgress{};
        HitResolutionTest::TearDown();
    }

    // The player fights with the fighters' set and rows in place of its own.
    void ArmPlayer(u16 animation)
    {
        player->actor.properties = &properties;
        player->actor.anim = &attacker.cursor;
        StartAnim(&attacker.cursor, animation);
    }
};

struct ScoreCase {
    const char* name;
    f32 victimHp;
    u16 victimAnimation;
    bool victimIsBreakWall;
    u32 score;
};

TEST_F(PlayerHitExchangeTest, ScoreForAPlayersHit)
{
    const ScoreCase cases[] = {
        {"a surviving enemy: (4 x 0.25 + 1) x 5", 16.0f, Idle, false, 10},
        {"the killing hit", 3.0f, Idle, false, 25},
        {"a surviving whip-proof box gives nothing", 16.0f, WhipProof, false, 0},
        {"a killing hit on a whip-proof box", 3.0f, WhipProof, false, 25},
        {"breaking a wall gives nothing", 3.0f, Idle, true, 0},
    };
    for (const ScoreCase& c : cases) {
        SCOPED_TRACE(c.name);
        Place(victim, c.victimIsBreakWall ? &BreakWall : &victimType, 116.0f, c.victimAnimation);
        victim.actor.hp = c.victimHp;
        ArmPlayer(Poke);
        playerProgress[0].score = 0;
        Frame(victim.actor, player->actor);
        EXPECT_LT(victim.actor.hp, c.victimHp);
        EXPECT_EQ(playerProgress[0].score, c.score);
    }
}

TEST_F(PlayerHitExchangeTest, AHitFromTheRopeBouncesThePlayerOff)
{
    ArmPlayer(Poke);
    player->state = PlayerStateHanging;
    player->header->vx = 3.0f;
    player->header->vy = 3.0f;
    Frame(victim.actor, player->actor);
    EXPECT_EQ(player->state, PlayerStateAir);
    EXPECT_EQ(player->header->vy, -8.0f);
    // The blow took the rope's strength and the swing's direction (down-right: 32).
    EXPECT_EQ(victim.actor.knockback, 8.0f);
    EXPECT_NEAR(victim.header.vx, std::cos(32 * 1.40625 * 3.14159265358979 / 180.0) * 6.5, 1e-4);
}

TEST_F(PlayerHitExchangeTest, AnEnemyHitOnThePlayer)
{
    Place(attacker, &attackerType, 84.0f, Poke);
    StartAnim(&player->anim, 0);
    player->actor.anim = &player->anim;
    Frame(player->actor, attacker.actor);
    EXPECT_EQ(player->health, 4);
    EXPECT_EQ(player->damageCount, 1u);
    EXPECT_EQ(player->state, PlayerStateHurt);
    EXPECT_EQ(player->invulnerable, 35);
    EXPECT_EQ(player->actor.hitlag, pokeHitlag);
    EXPECT_EQ(attacker.actor.hitlag, pokeHitlag);
    EXPECT_EQ(player->actor.hp, 255.0f);
    EXPECT_EQ(player->header->flipX, 0);
    // Knocked away from the attacker on its left, facing it.
    EXPECT_EQ(player->header->vx, 2.5f);
    EXPECT_EQ(player->facing, 1);
    EXPECT_EQ(Explosion.liveCount, 1u);
}

TEST_F(PlayerHitExchangeTest, ADefeatedPlayerIsPastBeingHit)
{
    Place(attacker, &attackerType, 84.0f, Poke);
    StartAnim(&player->anim, 0);
    player->actor.anim = &player->anim;
    player->health = 1;
    Frame(player->actor, attacker.actor);
    ASSERT_EQ(player->health, 0);
    ASSERT_EQ(player->state, PlayerStateDefeated);
    ASSERT_EQ(Explosion.liveCount, 1u);

    // Falling, past the blink, in a flurry that may hit every frame: no hit, no touch, no spark,
    // and the count-down it is in is left alone.
    player->state = PlayerStateDefeatedFall;
    player->deathTimer = 100;
    Place(attacker, &attackerType, 84.0f, Flurry);
    for (int frame = 0; frame < 3; ++frame) {
        SCOPED_TRACE(frame);
        player->invulnerable = 0;
        player->actor.hitlag = 0;
        player->actor.touched = 0;
        attacker.actor.hitlag = 0;
        Frame(player->actor, attacker.actor);
        EXPECT_EQ(player->state, PlayerStateDefeatedFall);
        EXPECT_EQ(player->deathTimer, 100);
        EXPECT_EQ(player->damageCount, 1u);
        EXPECT_EQ(player->actor.hitlag, 0);
        EXPECT_EQ(player->actor.touched, 0);
        EXPECT_EQ(attacker.actor.hitlag, 0);
        EXPECT_EQ(Explosion.liveCount, 1u);
    }
}

TEST_F(PlayerHitExchangeTest, AnInvulnerablePlayerTakesNothing)
{
    Place(attacker, &attackerType, 84.0f, Poke);
    StartAnim(&player->anim, 0);
    player->actor.anim = &player->anim;
    player->invulnerable = 20;
    Frame(player->actor, attacker.actor);
    EXPECT_EQ(player->health, 5);
    EXPECT_EQ(player->damageCount, 0u);
    EXPECT_EQ(player->state, PlayerStateNormal);
    EXPECT_EQ(player->invulnerable, 20);
    EXPECT_EQ(player->actor.hitlag, 0);
    EXPECT_EQ(attacker.actor.hitlag, 0);
    EXPECT_EQ(player->actor.hurt, 1);
    EXPECT_EQ(Explosion.liveCount, 0u);
    EXPECT_EQ(playerProgress[0].score, 0u);
}

// ---- The hit-stop shake ----

TEST_F(HitResolutionTest, TheShakeRunsOutThenTheHitstun)
{
    ActorBlock& v = victim.actor;
    ActorBlock& a = attacker.actor;
    v.hurt = 1;
    v.hitlag = a.hitlag = 12;
    v.hitstun = 5;
    victim.header.groundContact = 1; // on the ground: shakes on x
    attacker.header.groundContact = 0;
    bool victimMoved = false;
    for (int tick = 0; tick < 12; ++tick) {
        EXPECT_EQ(ApplyHitlagShake(&v), 0);
        ApplyHitlagShake(&a);
        EXPECT_EQ(v.shakeY, 0.0f);
        EXPECT_LE(std::fabs(v.shakeX), (f32)(v.shakeLimit + v.shakeJitter));
        victimMoved = victimMoved || std::fabs(v.shakeX) > 1.0f;
        // The attacker only trembles, on y in the air.
        EXPECT_EQ(a.shakeX, 0.0f);
        EXPECT_LE(std::fabs(a.shakeY), 1.0f);
        EXPECT_EQ(v.hitstun, 5);
    }
    EXPECT_TRUE(victimMoved);
    EXPECT_EQ(v.hitlag, 0);
    EXPECT_EQ(ApplyHitlagShake(&v), 0);
    EXPECT_EQ(v.hitstun, 4);
    EXPECT_EQ(v.shakeX, 0.0f);
    // Moving during hit-stop hands back the stepped flag.
    v.hitlag = 3;
    v.moveDuringHitlag = 1;
    v.stepped = 1;
    EXPECT_EQ(ApplyHitlagShake(&v), 1);
    v.moveDuringHitlag = 0;
    EXPECT_EQ(ApplyHitlagShake(&v), 0);
    EXPECT_EQ(v.stepped, 0);
}

} // namespace
