// The plain enemy types on the data kit's sets: each type's settings and Init from its properties
// file, CandleHead placed from a placement file, the Orb frozen by hit-stop, and the Projectile
// letting go of its thrower's slot.
#include <string>
#include <vector>

#include "Engine/Common/Camera.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Actors/EnemyLibrary.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Enemies/BasicEnemy.h"
#include "Game/Enemies/Byu.h"
#include "Game/Enemies/CandleHead.h"
#include "Game/Enemies/Orb.h"
#include "Game/Enemies/Projectile.h"
#include "tests/unit/EnemyWorld.h"
#include "tools/datakit/ActorData.h"
#include "tools/datakit/EnemyArt.h"
#include "tools/datakit/PlacementWriter.h"
#include "tools/datakit/VepWriter.h"

namespace {

struct TypeCase {
    const char* name;
    ObjectType* type;
    void (*Load)(const char*);
    void (*Unload)();
    AnimSet* set;
    ActorProperties* properties;
    const char* vepPath;
    u64 recordBytes;
    u8 drawLayer;
    const char* displayName; // null: the type sets none
    bool placeable;
};

const TypeCase typeCases[] = {
    {"BasicEnemy", &BasicEnemy, BasicEnemyLoad, BasicEnemyUnload, &basicEnemyAnimSet, &basicEnemyProperties,
     basicEnemyVepPath, sizeof(EnemyRecord), 9, nullptr, false},
    {"Byu", &Byu, ByuLoad, ByuUnload, &byuAnimSet, &byuProperties, byuVepPath, sizeof(EnemyRecord), 9, nullptr, false},
    {"CandleHead", &CandleHead, CandleHeadLoad, CandleHeadUnload, &candleHeadAnimSet, &candleHeadProperties,
     candleHeadVepPath, sizeof(CandleHeadRecord), 9, "CandleHead", true},
    {"Orb", &Orb, OrbLoad, OrbUnload, &orbAnimSet, &orbProperties, orbVepPath, sizeof(OrbRecord), 9, nullptr, false},
    {"Projectile", &Projectile, ProjectileLoad, ProjectileUnload, &projectileAnimSet, &projectileProperties,
     projectileVepPath, sizeof(EnemyRecord), 11, nullptr, false},
};

// Properties no type's own file has, so the Init can only have them from this file.
datakit::Vep MarkedVep()
{
    datakit::Vep vep;
    for (size_t i = 0; i < vep.values.size(); ++i)
        vep.values[i] = 0.5 + (double)i;
    vep.hp = 37;
    vep.flags = {0, 1, 1, 0, 1};
    vep.anims = {1, 0, 1, -1, 1, -1, 0, 1, -1, 0};
    vep.rows = {{0, 0, 0, 0.0, 0.0, 0}, {0, 2, 8, 2.0, 1.0, 224}};
    return vep;
}

class EnemyTypesTest : public EnemyWorld {
protected:
    EnemyTypesTest() : EnemyWorld("palvic-enemytypes-") {}

    void SetUp() override
    {
        EnemyWorld::SetUp();
        ASSERT_TRUE(datakit::WriteEnemyData("."));
        ASSERT_TRUE(datakit::WriteHazardData("."));
    }

    void ForgetTypes() override
    {
        for (const TypeCase& c : typeCases) {
            FreeEnemyProperties(c.properties);
            *c.set = AnimSet{};
            *c.properties = ActorProperties{};
        }
    }

};

// ---- settings and Init ----

TEST_F(EnemyTypesTest, EachTypeLoadsItsSettingsAndInitsFromItsPropertiesFile)
{
    const datakit::Vep vep = MarkedVep();
    for (const TypeCase& c : typeCases) {
        SCOPED_TRACE(c.name);
        Write(c.vepPath, datakit::MakeVep(vep));
        c.Load(nullptr);
        ObjectType& type = *c.type;
        ASSERT_TRUE(type.registered);
        EXPECT_TRUE(c.set->loaded);
        EXPECT_EQ(type.updatePass, 2);
        EXPECT_EQ(type.growthStep, 32u);
        EXPECT_EQ(type.drawLayer, c.drawLayer);
        EXPECT_EQ(type.cullMarginX, 128);
        EXPECT_EQ(type.cullMarginY, 128);
        EXPECT_EQ(type.instanceSize, c.recordBytes);
        EXPECT_EQ(type.Bind, EnemyBind);
        EXPECT_EQ(type.reserved, ObjectNoOp);
        EXPECT_EQ(type.EnterView, ObjectNoOp);
        if (c.displayName) {
            ASSERT_NE(type.name, nullptr);
            EXPECT_STREQ(type.name, c.displayName);
        } else {
            EXPECT_EQ(type.name, nullptr);
        }
        EXPECT_EQ(type.placeable != 0, c.placeable);
        EXPECT_EQ(type.EditorPlace != nullptr, c.placeable);

        EnemyRecord* enemy = (EnemyRecord*)Spawn(&type, 100.0f, 80.0f);
        ASSERT_NE(enemy, nullptr);
        const ActorBlock& actor = enemy->actor;
        EXPECT_EQ(actor.header, enemy->header);
        EXPECT_EQ(actor.anim, &enemy->anim);
        EXPECT_EQ(actor.properties, c.properties);
        EXPECT_EQ(actor.hp, 37.0f);
        for (size_t i = 0; i < vep.values.size(); ++i)
            EXPECT_NEAR(actor.values[i], 0.5 + (double)i, 1e-5) << i;
        for (size_t i = 0; i < vep.flags.size(); ++i)
            EXPECT_EQ(actor.flags[i], vep.flags[i] != 0) << i;
        for (size_t i = 0; i < vep.anims.size(); ++i)
            EXPECT_EQ(actor.anims[i], vep.anims[i]) << i;
        EXPECT_EQ(actor.spawnX, 100.0f);
        EXPECT_EQ(enemy->anim.set, c.set);
        EXPECT_EQ(c.properties->attackRowCount, 2);
    }
    EXPECT_EQ(actorTypeCount, 5u);
    EXPECT_EQ(placeableTypeCount, 1u);
    EXPECT_EQ(placeableTypes[0], &CandleHead);
}

TEST_F(EnemyTypesTest, TypeSpecificInitSettings)
{
    BasicEnemyLoad(nullptr);
    ByuLoad(nullptr);
    CandleHeadLoad(nullptr);
    OrbLoad(nullptr);
    ProjectileLoad(nullptr);

    EnemyRecord* basic = (EnemyRecord*)Spawn(&BasicEnemy, 50.0f, 50.0f);
    ASSERT_NE(basic, nullptr);
    EXPECT_EQ(basic->actor.direction, DirectionNone);
    EXPECT_FALSE(basic->actor.useStepper);
    EXPECT_FALSE(basic->actor.sameTypeNoHit);

    // Byu walks the way it faces.
    EnemyRecord* byu = (EnemyRecord*)Spawn(&Byu, 50.0f, 50.0f);
    ASSERT_NE(byu, nullptr);
    EXPECT_EQ(byu->actor.direction, DirectionRight);
    byu->header->flipX = 1;
    ByuInit(byu);
    EXPECT_EQ(byu->actor.direction, DirectionLeft);

    CandleHeadRecord* candle = (CandleHeadRecord*)Spawn(&CandleHead, 50.0f, 50.0f);
    ASSERT_NE(candle, nullptr);
    EXPECT_TRUE(candle->actor.sameTypeNoHit);
    EXPECT_TRUE(ShowsAnim(&candle->anim, candleUnlitAnim));
    EXPECT_TRUE(ShowsAnim(&candle->flame, candleFlameAnim));

    OrbRecord* orb = (OrbRecord*)Spawn(&Orb, 50.0f, 50.0f);
    ASSERT_NE(orb, nullptr);
    EXPECT_TRUE(ShowsAnim(&orb->anim, orbBodyAnim));
    EXPECT_TRUE(ShowsAnim(&orb->spin, orbSpinAnim));

    // The shot flies without tiles and plays the animation of its spawn byte A, held in the set.
    EnemyRecord* shot = (EnemyRecord*)Spawn(&Projectile, 50.0f, 50.0f, 200, 0);
    ASSERT_NE(shot, nullptr);
    EXPECT_TRUE(shot->actor.useStepper);
    ASSERT_GT(projectileAnimSet.animCount, 0);
    EXPECT_EQ(shot->anim.animIndex, projectileAnimSet.animCount - 1);
}

TEST_F(EnemyTypesTest, SecondLoadKeepsNameAndUnloadsByCount)
{
    CandleHeadLoad(nullptr);
    const char* name = CandleHead.name;
    ASSERT_NE(name, nullptr);
    // A stage switch loads the new stage's types before the old stage unloads its own.
    currentStage = &otherStage;
    previousStage = &stage;
    CandleHeadLoad(nullptr);
    EXPECT_STREQ(CandleHead.name, "CandleHead");
    EXPECT_EQ(CandleHead.loadCount, 2u);
    EXPECT_EQ(candleHeadProperties.useCount, 2);
    CandleHeadUnload();
    EXPECT_TRUE(CandleHead.registered);
    EXPECT_TRUE(candleHeadAnimSet.loaded);
    EXPECT_NE(candleHeadProperties.attackRows, nullptr);
    EXPECT_STREQ(debugText, "Value: 2");
    CandleHeadUnload();
    EXPECT_FALSE(CandleHead.registered);
    EXPECT_FALSE(candleHeadAnimSet.loaded);
    EXPECT_EQ(candleHeadProperties.attackRows, nullptr);
}

TEST_F(EnemyTypesTest, CandleHeadsComeFromThePlacementFile)
{
    std::vector<datakit::PlacedObject> placed(2);
    ASSERT_TRUE(datakit::ToDecimalFloat(120.0, 1, &placed[0].x));
    ASSERT_TRUE(datakit::ToDecimalFloat(64.5, 1, &placed[0].y));
    ASSERT_TRUE(datakit::ToDecimalFloat(300.0, 1, &placed[1].x));
    ASSERT_TRUE(datakit::ToDecimalFloat(90.0, 1, &placed[1].y));
    const std::string path = "Data/Stages/Test/Objects/CandleHead.bin";
    ASSERT_TRUE(datakit::WritePlacementFile(path, placed));
    Write(candleHeadVepPath, datakit::MakeVep(MarkedVep()));

    CandleHeadLoad(path.c_str());
    ASSERT_EQ(CandleHead.liveCount, 2u);
    const CandleHeadRecord* first = candleHeadInstances[0];
    const CandleHeadRecord* second = candleHeadInstances[1];
    EXPECT_EQ(first->header->x, 120.0f);
    EXPECT_EQ(first->header->y, 64.5f);
    EXPECT_EQ(second->header->x, 300.0f);
    for (const CandleHeadRecord* candle : {first, second}) {
        EXPECT_EQ(candle->actor.hp, 37.0f);
        EXPECT_TRUE(candle->actor.sameTypeNoHit);
        EXPECT_EQ(candle->actor.header, candle->header);
        EXPECT_TRUE(ShowsAnim(&candle->flame, candleFlameAnim));
    }
}

// ---- Orb ----

TEST_F(EnemyTypesTest, OrbUnderHitlagNeitherSpinsBobsNorMoves)
{
    HazardLoad(nullptr);
    OrbLoad(nullptr);
    OrbRecord* orb = (OrbRecord*)Spawn(&Orb, 200.0f, 100.0f);
    ASSERT_NE(orb, nullptr);
    ObjectHeader& h = *orb->header;
    for (int i = 0; i < 10; ++i) {
        ClearAttackBoxes();
        OrbUpdate(orb);
        OrbLateUpdate(orb);
    }
    EXPECT_EQ(h.phase, 10.0f);
    EXPECT_EQ(h.rotation, 10.0f);
    // The box that the orb registered turns with its spin.
    const AttackBox* box = AttackBoxAt(attackBoxCount - 1);
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->owner, &orb->actor);
    EXPECT_EQ(box->angle, 10);

    orb->actor.hitlag = 5;
    const f32 x = h.x, y = h.y, phase = h.phase, bob = h.rotation;
    for (int i = 0; i < 4; ++i) {
        ClearAttackBoxes();
        OrbUpdate(orb);
        OrbLateUpdate(orb);
        EXPECT_EQ(h.x, x);
        EXPECT_EQ(h.y, y);
        EXPECT_EQ(h.phase, phase);
        EXPECT_EQ(h.rotation, bob);
    }
}

// ---- Projectile ----

class ProjectileOwnerTest : public EnemyTypesTest {
protected:
    EnemyRecord* owner = nullptr;
    EnemyRecord* shot = nullptr;

    void SetUp() override
    {
        EnemyTypesTest::SetUp();
        BasicEnemyLoad(nullptr);
        ProjectileLoad(nullptr);
        owner = (EnemyRecord*)Spawn(&BasicEnemy, 100.0f, 100.0f);
        shot = (EnemyRecord*)Spawn(&Projectile, 110.0f, 90.0f);
        ASSERT_NE(owner, nullptr);
        ASSERT_NE(shot, nullptr);
        // Something else already holds slot 0: the shot takes slot 1.
        static ActorBlock other{};
        ASSERT_TRUE(AttachActor(&owner->actor, &other));
        ASSERT_TRUE(AttachActor(&owner->actor, &shot->actor));
        ASSERT_EQ(shot->actor.slotInParent, 1);
    }
};

TEST_F(ProjectileOwnerTest, HitlagRunningOutLetsGoOfTheOwnersSlot)
{
    shot->actor.hitlag = 3;
    ProjectileUpdate(shot); // 2 left
    EXPECT_EQ(shot->actor.parent, &owner->actor);
    ProjectileUpdate(shot); // 1 left: let go
    EXPECT_EQ(owner->actor.children[1], nullptr);
    EXPECT_NE(owner->actor.children[0], nullptr);
    EXPECT_EQ(owner->actor.childCount, 1);
    EXPECT_EQ(shot->actor.parent, nullptr);
    EXPECT_EQ(shot->actor.slotInParent, 255);
}

TEST_F(ProjectileOwnerTest, AThrowerThatNoLongerHoldsTheShotIsLeftAlone)
{
    // The thrower died and its slot went to a new one, which holds something else in that slot.
    ActorBlock* stale = &owner->actor;
    BasicEnemyInit(owner);
    static ActorBlock newChild{};
    ASSERT_TRUE(AttachActor(stale, &newChild));
    ASSERT_TRUE(AttachActor(stale, &newChild));
    ASSERT_EQ(stale->children[1], &newChild);
    const u8 count = stale->childCount;

    shot->actor.hitlag = 2;
    ProjectileUpdate(shot);
    EXPECT_EQ(stale->children[1], &newChild);
    EXPECT_EQ(stale->childCount, count);
    EXPECT_EQ(shot->actor.parent, nullptr);
    EXPECT_EQ(shot->actor.slotInParent, 255);
}

TEST_F(ProjectileOwnerTest, LeavingTheViewRemovesTheShotAndFreesTheSlot)
{
    UpdateObjects();
    ASSERT_TRUE(shot->header->inView);
    shot->header->x = 1000.0f; // past the window's right margin
    const u32 live = Projectile.liveCount;
    UpdateObjects();
    EXPECT_FALSE(shot->header->alive);
    EXPECT_EQ(Projectile.liveCount, live - 1);
    EXPECT_EQ(owner->actor.children[1], nullptr);
    EXPECT_EQ(owner->actor.childCount, 1);
}

} // namespace
