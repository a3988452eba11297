// Which way each enemy faces, on the data kit's real sets and properties and through the types' own
// code on a flat floor: the walkers and flyers turn to where they move, Chuck keeps facing the
// player it fights (also while speed left from backing away carries it the other way), and the ones
// that stand where they are placed keep their facing when a knock-back slides them along. The
// Orb and the two shots (AudreyShot, Chuck's Projectile) are round and have no facing to keep.
#include <functional>
#include <ostream>
#include <string>

#include "Engine/Common/Layout.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Enemies/Audrey.h"
#include "Game/Enemies/AudreyShot.h"
#include "Game/Enemies/BasicEnemy.h"
#include "Game/Enemies/Byu.h"
#include "Game/Enemies/CandleHead.h"
#include "Game/Enemies/Draven.h"
#include "Game/Enemies/Froacker.h"
#include "Game/Enemies/Projectile.h"
#include "Game/Enemies/YardSlayer.h"
#include "tests/unit/EnemyWorld.h"
#include "tests/unit/PlayerWorld.h"
#include "tools/datakit/ActorData.h"
#include "tools/datakit/EnemyArt.h"
#include "tools/datakit/RosterArtA.h"
#include "tools/datakit/RosterArtB.h"

namespace {

constexpr i32 groundY = 320;
constexpr f32 startX = 500.0f;
// Knock-back slides and the first steps are short: a row with fewer ticks to check proves nothing.
constexpr int leastChecked = 4;

// What the facing is checked against each tick.
enum class Toward {
    Motion, // the sign of the ground speed on the ground, of vx in the air (no check at rest)
    Target, // the side the stand-in player is on
    Placed, // the facing it had when the run began
};

struct Subject {
    void* instance;
    ObjectHeader* header;
    ActorBlock* actor;
};

struct FacingCase {
    const char* name;
    ObjectType* type;
    u8 variant;    // Froacker's "type"
    bool grounded; // landed on the floor before the run; otherwise it starts in the air
    Toward toward;
    int ticks;
    // After the landing: the state, facing and speeds the run starts from, always set against what
    // the case expects (facing away from its motion or its target, or slid backwards), so that a
    // wrong turn, or a missing one, shows.
    std::function<void(Subject&, ObjectHeader* target)> arrange;
};

void PrintTo(const FacingCase& c, std::ostream* out)
{
    *out << c.name;
}

FroackerRecord* AsFroacker(Subject& s)
{
    return (FroackerRecord*)s.instance;
}

const FacingCase facingCases[] = {
    {"FroackerWalksToItsMotion", &Froacker, VariantWalker, true, Toward::Motion, 90,
     [](Subject& s, ObjectHeader*) {
         s.header->flipX = 0;
         s.actor->direction = DirectionLeft; // as a wall would turn it
     }},
    // Backs away from a player close on its left, then throws with that speed still on it.
    {"ChuckFacesItsTargetWhileItBacksAwayAndThrows", &Froacker, VariantChuck, true, Toward::Target, 90,
     [](Subject& s, ObjectHeader* target) {
         FroackerRecord* chuck = AsFroacker(s);
         target->x = startX - 60.0f;
         chuck->target = target;
         chuck->chasing = 1;
         chuck->timer = 24;
         s.header->state = 2;
         s.header->flipX = 0;
     }},
    {"LarryChasesFacingItsMotion", &Froacker, VariantLarry, true, Toward::Motion, 90,
     [](Subject& s, ObjectHeader* target) {
         FroackerRecord* larry = AsFroacker(s);
         target->x = startX + 300.0f;
         larry->target = target;
         larry->chasing = 1;
         larry->timer = 160;
         s.header->state = 4;
         s.header->flipX = 1;
     }},
    {"YardSlayerRoamsFacingItsDrift", &YardSlayer, 0, false, Toward::Motion, 240,
     [](Subject& s, ObjectHeader*) {
         ((YardSlayerRecord*)s.instance)->roamRange = 24.0f;
         s.header->flipX = 0; // it roams left first
     }},
    {"DravenFliesHomeFacingItsFlight", &Draven, 0, false, Toward::Motion, 120,
     [](Subject& s, ObjectHeader*) {
         s.header->state = DravenReturning;
         s.header->x = s.actor->spawnX - 80.0f;
         s.header->y = s.actor->spawnY + 30.0f;
         s.header->flipX = 1;
     }},
    {"BasicEnemyWalksToItsMotion", &BasicEnemy, 0, true, Toward::Motion, 60,
     [](Subject& s, ObjectHeader*) {
         s.header->flipX = 0;
         s.actor->input[InputLeft] = 1;
     }},
    {"ByuWalksToItsMotion", &Byu, 0, true, Toward::Motion, 60,
     [](Subject& s, ObjectHeader*) {
         s.header->flipX = 1;
         s.actor->input[InputRight] = 1;
     }},
    {"AudreySlidBackKeepsItsFacing", &Audrey, 0, true, Toward::Placed, 30,
     [](Subject& s, ObjectHeader*) {
         s.header->flipX = 0;
         s.header->groundSpeed = -2.0f;
     }},
    {"CandleHeadSlidBackKeepsItsFacing", &CandleHead, 0, true, Toward::Placed, 30,
     [](Subject& s, ObjectHeader*) {
         s.header->flipX = 1;
         s.header->groundSpeed = 2.0f;
     }},
};

class EnemyFacingTest : public EnemyWorld, public ::testing::WithParamInterface<FacingCase> {
protected:
    EnemyFacingTest() : EnemyWorld("palvic-enemyfacing-") {}

    void SetUp() override
    {
        EnemyWorld::SetUp();
        ASSERT_TRUE(datakit::WriteEnemyData("."));
        ASSERT_TRUE(datakit::WriteRosterDataA("."));
        ASSERT_TRUE(datakit::WriteRosterDataB("."));
        ASSERT_TRUE(datakit::WriteHazardData("."));
        datakit::CollisionWorld world(64, 24);
        world.Box(0, groundY, world.Width(), world.Height());
        LoadCollisionWorld("Data/Stages/Floor", world);
        ASSERT_FALSE(HasFatalFailure());
        stageCollisionLayer = datakit::collisionWorldLayer;
        SpawnStandInPlayer(startX - 200.0f, (f32)groundY - 20.0f);
        ASSERT_FALSE(HasFatalFailure());
        for (void (*Load)(const char*) :
             {ProjectileLoad, FroackerLoad, YardSlayerLoad, DravenLoad, AudreyLoad, BasicEnemyLoad, ByuLoad, CandleHeadLoad})
            Load(nullptr);
    }

    void TearDown() override
    {
        FreeLayoutSlotTables();
        currentLayout = nullptr;
        currentLayoutSlot = -1;
        for (CameraLimits& limits : cameraLimits)
            limits = CameraLimits{};
        stageCollisionLayer = 0;
        EnemyWorld::TearDown();
    }

    void ForgetTypes() override
    {
        for (ActorProperties* properties :
             {&froackerPurpleProperties, &froackerRedProperties, &froackerBlueProperties, &froackerYellowProperties,
              &yardSlayerProperties, &dravenProperties, &audreyProperties, &audreyShotProperties,
              &basicEnemyProperties, &byuProperties, &candleHeadProperties, &projectileProperties}) {
            FreeEnemyProperties(properties);
            *properties = ActorProperties{};
        }
        for (AnimSet* set : {&froackerAnimSet, &yardSlayerAnimSet, &dravenAnimSet, &audreyAnimSet, &audreyShotAnimSet,
                             &basicEnemyAnimSet, &byuAnimSet, &candleHeadAnimSet, &projectileAnimSet})
            *set = AnimSet{};
    }

    // Spawned through the type's own Init (Froacker's variant from its "type" key).
    Subject SpawnSubject(const FacingCase& c, f32 y)
    {
        lastSpawnedInstance = nullptr;
        SpawnObject(c.type, startX, y, c.variant, 0);
        void* instance = lastSpawnedInstance;
        if (instance && c.type == &Froacker) {
            ((FroackerRecord*)instance)->type = (i8)c.variant;
            FroackerInit(instance);
        }
        EnemyRecord* enemy = (EnemyRecord*)instance; // every enemy record begins as this one
        return enemy ? Subject{instance, enemy->header, &enemy->actor} : Subject{};
    }

    static void Tick(const FacingCase& c, Subject& s)
    {
        ClearAttackBoxes();
        c.type->Update(s.instance);
        if (s.header->alive)
            c.type->LateUpdate(s.instance);
    }
};

TEST_P(EnemyFacingTest, FacesAsItsFlagsAndCodeTurnIt)
{
    const FacingCase& c = GetParam();
    Subject s = SpawnSubject(c, c.grounded ? (f32)groundY - 40.0f : (f32)groundY - 120.0f);
    ASSERT_NE(s.instance, nullptr);
    for (int t = 0; c.grounded && !s.header->groundContact && t < 60; ++t)
        Tick(c, s);
    ASSERT_EQ(c.grounded, s.header->groundContact != 0) << "the run starts on the floor or in the air";
    c.arrange(s, player->header);
    const u8 placed = s.header->flipX;

    // The facing the case expects after a tick, or -1 where there is nothing to face.
    const auto expected = [&]() -> int {
        switch (c.toward) {
        case Toward::Motion: {
            const f32 speed = s.header->groundContact ? s.header->groundSpeed : s.header->vx;
            return speed == 0.0f ? -1 : speed < 0.0f;
        }
        case Toward::Target:
            return player->header->x < s.header->x;
        case Toward::Placed:
            return s.header->groundSpeed == 0.0f ? -1 : placed;
        }
        return -1;
    };
    int checked = 0;
    bool turned = false;
    for (int t = 0; t < c.ticks && s.header->alive; ++t) {
        Tick(c, s);
        turned |= s.header->flipX != placed;
        const int want = expected();
        if (want < 0)
            continue;
        ++checked;
        if (s.header->flipX != want) {
            ADD_FAILURE() << "tick " << t << ": flipX " << (int)s.header->flipX << " at x " << s.header->x
                          << ", vx " << s.header->vx << ", ground speed " << s.header->groundSpeed << ", player at x "
                          << player->header->x;
            break;
        }
    }
    EXPECT_GE(checked, leastChecked) << "too few ticks with something to face";
    if (c.toward == Toward::Motion) {
        EXPECT_TRUE(turned) << "it started facing away from its motion";
    }
}

INSTANTIATE_TEST_SUITE_P(Types, EnemyFacingTest, ::testing::ValuesIn(facingCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
