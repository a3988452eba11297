// The enemy library on a plain walker (the BasicEnemy type) in a collision world made by the data
// kit: turning at walls and edges, the bounce of a knocked-back body off a wall, the death with its
// bursts, cry and bones, and an actor that registers no boxes.
#include <algorithm>
#include <string>
#include <vector>

#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/Sound.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Actors/Effects.h"
#include "Game/Actors/EnemyLibrary.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Enemies/BasicEnemy.h"
#include "Game/World/Collect.h"
#include "tests/unit/HeadlessGame.h"
#include "tests/unit/TestFolder.h"
#include "tools/datakit/ActorData.h"
#include "tools/datakit/CollisionKit.h"
#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/TgaWriter.h"
#include "tools/datakit/VepWriter.h"

extern u8 forceFree;

namespace {

using datakit::CollisionWorld;
using datakit::ManAnimation;
using datakit::ManBox;
using datakit::ManFrame;

// Animations of the walker's set.
enum : i8 { Idle = 0, Walk = 1, Hurt = 2, Tumble = 3, WallBounce = 4, FloorBounce = 5, Fall = 6, animTotal = 7 };

constexpr f32 feet = 8.0f; // the frame box is 16 x 16 about the position
constexpr i32 groundY = 192;
constexpr f32 walkSpeed = 2.0f;

ManAnimation OneFrame()
{
    ManFrame frame;
    frame.width = frame.height = 16;
    frame.offsetX = frame.offsetY = -8;
    frame.duration = 4;
    frame.boxIndex = 0;
    frame.hits = {{0, 0, 0}};
    ManAnimation animation;
    animation.playMode = 0;
    animation.frames = {frame, frame};
    return animation;
}

// A 16 x 16 walker with one hurt box, walking at 2 px a tick.
void WriteWalker()
{
    datakit::TgaImage sheet;
    sheet.width = sheet.height = 16;
    sheet.pixels.assign(256, 1);
    sheet.colours = {{0, 0, 0}, {200, 40, 40}};
    TestFolder::Write("Data/Sprites/Enemies/Enemy/Enemy.tga", datakit::MakeTga(sheet));
    datakit::Manifest m;
    m.sheets = {{"Enemy.tga", true, 2}};
    m.boxes = {ManBox{16, 16, (u8)-8, (u8)-8}};
    m.hitSets.push_back({ManBox{16, 16, (u8)-8, (u8)-8}});
    for (int i = 0; i < animTotal; ++i)
        m.animations.push_back(OneFrame());
    TestFolder::Write(basicEnemyManPath, datakit::MakeManifest(m));

    datakit::Vep vep;
    vep.values = {0.2, 0.5, 0.15, walkSpeed, 0.2, 0.4, 0.4, 8.0, 16.0, 4.0, 1.0, 0.25, 0.25, 2.0, 3.0};
    vep.hp = 10;
    vep.flags = {1, 1, 0, 1, 1};
    vep.anims = {0, Idle, Walk, -1, Fall, -1, Hurt, Tumble, FloorBounce, WallBounce};
    vep.rows = {{0, 0, 0, 0.0, 0.0, 0}};
    TestFolder::Write(basicEnemyVepPath, datakit::MakeVep(vep));
}

bool Queued(u32 sound)
{
    for (u8 i = 0; i < soundQueue.count && i < 16; ++i)
        if (soundQueue.id[i] == sound)
            return true;
    return false;
}

class EnemyLibraryTest : public HeadlessGame, protected TestFolder {
protected:
    Stage stage{}, otherStage{};
    EnemyRecord* enemy = nullptr;
    int worlds = 0;

    void SetUp() override
    {
        HeadlessGame::SetUp();
        EnterTestFolder("palvic-enemylib-");
        FreeObjectTypeRegistry();
        forceFree = 0;
        currentStage = &stage;
        previousStage = &otherStage;
        stageCollisionLayer = datakit::collisionWorldLayer;
        ClearActorTypeList();
        soundQueue = SoundQueue{};
        WriteWalker();
        ASSERT_TRUE(datakit::WriteHazardData("."));
        HazardLoad(nullptr);
        ExplosionLoad(nullptr);
        GibletsLoad(nullptr);
        CollectLoad(nullptr);
        BasicEnemyLoad(nullptr);
        ASSERT_TRUE(basicEnemyAnimSet.loaded);
    }

    void TearDown() override
    {
        FreeObjectTypeRegistry();
        ClearActorTypeList();
        FreeEnemyProperties(&basicEnemyProperties);
        basicEnemyAnimSet = AnimSet{};
        basicEnemyProperties = ActorProperties{};
        FreeLayoutSlotTables();
        currentLayout = nullptr;
        currentLayoutSlot = -1;
        ResetCameras();
        for (CameraLimits& limits : cameraLimits)
            limits = CameraLimits{};
        stageCollisionLayer = 0;
        soundQueue = SoundQueue{};
        LeaveTestFolder();
        HeadlessGame::TearDown();
    }

    void LoadWorld(const CollisionWorld& world)
    {
        const std::string folder = "Data/Stages/World" + std::to_string(worlds++);
        ASSERT_TRUE(datakit::WriteCollisionWorld(folder, world));
        currentLayoutSlot = LoadLayout((folder + "/layout1.bin").c_str());
        currentLayout = LayoutInSlot(currentLayoutSlot);
        ASSERT_NE(currentLayout, nullptr);
        CameraLimits& limits = cameraLimits[0];
        limits.leftBound = limits.leftTarget = 0;
        limits.rightBound = limits.rightTarget = world.Width();
        limits.topBound = limits.topTarget = 0;
        limits.bottomBound = limits.bottomTarget = world.Height();
    }

    void Spawn(f32 x, f32 y)
    {
        lastSpawnedInstance = nullptr;
        SpawnObject(&BasicEnemy, x, y, 0, 0);
        enemy = (EnemyRecord*)lastSpawnedInstance;
        ASSERT_NE(enemy, nullptr);
    }

    ObjectHeader& H() { return *enemy->header; }
    ActorBlock& A() { return enemy->actor; }

    // One gameplay tick of the walker: boxes cleared, the update passes, then its late update.
    void Tick()
    {
        ClearAttackBoxes();
        UpdateObjects();
        if (H().alive)
            BasicEnemy.LateUpdate(enemy);
    }

    // A patrol tick: walk the way the library chose, then step.
    void Patrol(u8 mode)
    {
        const u8 direction = ChooseSlopeDirection(&A(), mode);
        A().input[InputLeft] = direction == DirectionLeft;
        A().input[InputRight] = direction == DirectionRight;
        Tick();
    }

    // Spawned with the feet a few pixels in the ground; the first tick lands it.
    void SpawnStanding(f32 x)
    {
        Spawn(x, (f32)groundY - feet + 3.0f);
        Tick();
        ASSERT_NE(H().groundContact, 0u);
        ASSERT_NEAR(H().y + feet, (f32)groundY, 1.0f);
    }
};

// ---- walking ----

struct TurnCase {
    const char* name;
    bool wall;    // a wall at x 400 (else the floor ends there)
    u8 mode;
    bool turns;   // turns back before x 400; otherwise it walks on (off the edge)
};

class EnemyTurnTest : public EnemyLibraryTest, public ::testing::WithParamInterface<TurnCase> {};

TEST_P(EnemyTurnTest, PatrolTurnsOnlyWhereItsModeLooks)
{
    const TurnCase& c = GetParam();
    CollisionWorld world(48, 16);
    if (c.wall) {
        world.Box(0, groundY, world.Width(), world.Height());
        world.Box(400, 100, 432, groundY);
    } else {
        world.Box(0, groundY, 400, world.Height());
    }
    LoadWorld(world);
    SpawnStanding(340.0f);
    A().direction = DirectionRight;

    f32 furthest = H().x;
    bool turned = false;
    for (int i = 0; i < 120 && H().alive; ++i) {
        Patrol(c.mode);
        furthest = std::max(furthest, H().x);
        if (A().direction == DirectionLeft)
            turned = true;
    }
    if (c.turns) {
        EXPECT_TRUE(turned);
        // Back at walking pace the other way, still on the floor.
        EXPECT_LT(H().x, furthest - 40.0f);
        EXPECT_EQ(H().groundSpeed, -walkSpeed);
        EXPECT_NE(H().groundContact, 0u);
        if (c.wall) {
            EXPECT_LE(furthest + 8.0f, 400.0f + 1.0f) << "walked into the wall";
        } else {
            EXPECT_LT(furthest, 400.0f) << "walked over the edge"; // turned once its front hung over
        }
    } else {
        EXPECT_FALSE(turned);
        EXPECT_GT(furthest, 400.0f) << "should have walked off the edge";
        EXPECT_EQ(H().groundContact, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, EnemyTurnTest,
                         ::testing::Values(TurnCase{"WallWithWallMode", true, TurnAtWalls, true},
                                           TurnCase{"WallWithBothMode", true, TurnAtWallsAndEdges, true},
                                           TurnCase{"EdgeWithEdgeMode", false, TurnAtEdges, true},
                                           TurnCase{"EdgeWithBothMode", false, TurnAtWallsAndEdges, true},
                                           TurnCase{"EdgeWithWallMode", false, TurnAtWalls, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- knock-back ----

TEST_F(EnemyLibraryTest, KnockedIntoAWallBouncesBackWithHitstopAndHitstun)
{
    CollisionWorld world(48, 16);
    world.Box(0, groundY, world.Width(), world.Height());
    world.Box(400, 0, 432, groundY);
    LoadWorld(world);
    Spawn(388.0f, 100.0f); // right side 4 px short of the wall
    // Flying right from a hit: it faces back toward the attacker.
    H().vx = 5.0f;
    H().vy = 0.0f;
    H().flipX = 1;
    A().hitstun = 30;
    A().hitlag = 0;
    A().values[HurtDrag] = 0.0f; // no drag: it meets the wall at exactly 5 px a tick

    ClearAttackBoxes();
    BasicEnemy.Update(enemy);
    ASSERT_EQ(H().vx, 5.0f);
    const f32 xBefore = H().x;
    BasicEnemy.LateUpdate(enemy);

    EXPECT_EQ(A().wallRight, 1);
    EXPECT_EQ(H().vx, -5.0f);
    EXPECT_EQ(A().hitlag, 6);
    EXPECT_EQ(A().hitstun, 10);
    EXPECT_EQ(H().flipX, 0);
    EXPECT_LT(H().x, xBefore + 5.0f); // pushed 4 px back off the wall
    EXPECT_TRUE(ShowsAnim(&enemy->anim, WallBounce));

    // During the hit-stop it holds still, then flies back left.
    const f32 held = H().x;
    // The hit-stop counts down before the move: 5 ticks held, the sixth flies.
    for (int i = 0; i < 5; ++i)
        Tick();
    EXPECT_EQ(H().x, held);
    Tick();
    EXPECT_LT(H().x, held);
}

// ---- death ----

TEST_F(EnemyLibraryTest, DeathBurstsCriesDropsBonesAndGoes)
{
    CollisionWorld world(48, 16);
    world.Box(0, groundY, world.Width(), world.Height());
    LoadWorld(world);
    SpawnStanding(200.0f);
    const u32 vanquished = vanquishedCount;
    // The killing hit.
    A().hp = 0.0f;
    A().hitlag = deathHitlag;

    std::vector<i16> bursts;
    i16 cryAt = -1;
    u32 explosionsBefore = Explosion.liveCount;
    int ticks = 0;
    while (H().alive && ticks < 200) {
        soundQueue = SoundQueue{};
        Tick();
        ++ticks;
        if (!H().alive)
            break;
        if (Explosion.liveCount > explosionsBefore) {
            bursts.push_back(A().hitlag);
            EXPECT_TRUE(Queued(enemyExplodeSound)) << A().hitlag;
            EXPECT_GT(Giblets.liveCount, 0u);
        }
        explosionsBefore = Explosion.liveCount;
        if (Queued(enemyDieSound))
            cryAt = A().hitlag;
        EXPECT_EQ(vanquishedCount, vanquished);
    }
    ASSERT_FALSE(H().alive);
    EXPECT_TRUE(A().defeated);
    EXPECT_EQ(bursts, (std::vector<i16>{24, 20, 16, 12, 8, 4}));
    EXPECT_EQ(cryAt, 1);
    EXPECT_LT(H().flash, 255); // faded while it burst
    EXPECT_EQ(vanquishedCount, vanquished + 1);

    // The last burst at its feet, and the bones: 1-6, flung up, each scaled to its worth.
    const u32 bones = Collect.liveCount;
    EXPECT_GE(bones, 1u);
    EXPECT_LE(bones, 6u);
    for (u32 i = 0; i < Collect.poolSize; ++i) {
        const ObjectHeader* bone = Collect.pool[i];
        if (!bone->alive)
            continue;
        const CollectRecord* record = (const CollectRecord*)Collect.instanceTable[i];
        EXPECT_EQ(bone->spawnA, 1);
        EXPECT_LT(bone->vy, 0.0f);
        EXPECT_LE(record->value, 4);
        EXPECT_EQ(bone->scaleX, (f32)(record->value + 1) * 0.25f);
    }
    bool puff = false;
    for (u32 i = 0; i < Explosion.poolSize; ++i) {
        const ObjectHeader* e = Explosion.pool[i];
        if (e->alive && e->spawnA == 0 && e->y == H().y + 8.0f)
            puff = true;
    }
    EXPECT_TRUE(puff);
}

TEST_F(EnemyLibraryTest, DeathWithoutBonesOrEffectsLoadedStillEnds)
{
    CollisionWorld world(48, 16);
    world.Box(0, groundY, world.Width(), world.Height());
    LoadWorld(world);
    SpawnStanding(200.0f);
    CollectUnload();
    GibletsUnload();
    ExplosionUnload();
    const u32 vanquished = vanquishedCount;
    A().hp = -2.0f;
    for (int i = 0; i < 60 && H().alive; ++i)
        Tick();
    EXPECT_FALSE(H().alive);
    EXPECT_EQ(vanquishedCount, vanquished + 1);
}

// ---- boxes ----

TEST_F(EnemyLibraryTest, NoBoxesRegistersNothing)
{
    CollisionWorld world(48, 16);
    world.Box(0, groundY, world.Width(), world.Height());
    LoadWorld(world);
    SpawnStanding(200.0f);

    ClearAttackBoxes();
    BasicEnemy.Update(enemy);
    EXPECT_EQ(EnemyLateUpdate(&BasicEnemy, enemy, &A()), 0);
    EXPECT_EQ(attackBoxCount, 1u);
    ASSERT_NE(AttackBoxAt(0), nullptr);
    EXPECT_EQ(AttackBoxAt(0)->owner, &A());

    A().noBoxes = 1;
    ClearAttackBoxes();
    const u32 callbacks = Hazard.callbackCount;
    BasicEnemy.Update(enemy);
    EXPECT_EQ(EnemyLateUpdate(&BasicEnemy, enemy, &A()), -1);
    EXPECT_EQ(attackBoxCount, 0u);
    EXPECT_EQ(Hazard.callbackCount, callbacks); // nothing to be hit through
}

// ---- turning rules ----

struct SlopeCase {
    u8 mode;
    f32 groundSpeed;
    u8 wallLeft, wallRight, edgeLeft, edgeRight;
    f32 angle;
    u8 expected; // from DirectionNone
};

TEST(EnemyChooseSlopeDirection, WallsEdgesThenTheSurfaceAngleDecide)
{
    const SlopeCase cases[] = {
        {TurnAtWalls, 1.0f, 0, 1, 0, 0, 0.0f, DirectionLeft},
        {TurnAtWalls, -1.0f, 1, 0, 0, 0, 0.0f, DirectionRight},
        {TurnAtWalls, 1.0f, 0, 0, 0, 1, 0.0f, DirectionNone},  // edges are not its business
        {TurnAtEdges, 1.0f, 0, 1, 0, 0, 0.0f, DirectionNone},  // nor walls of the edge mode
        {TurnAtEdges, -1.0f, 0, 0, 1, 0, 0.0f, DirectionRight},
        {TurnAtWalls, 1.0f, 0, 1, 0, 0, 40.0f, DirectionRight}, // the angle decides last
        {TurnAtWalls, 0.0f, 0, 0, 0, 0, 200.0f, DirectionLeft},
        {TurnAtWalls, 0.0f, 0, 0, 0, 0, 228.0f, DirectionNone},
        {TurnAtWallsAndEdges, 0.0f, 0, 0, 0, 0, 228.0f, DirectionLeft},
        {TurnAtWallsAndEdges, 0.0f, 0, 0, 0, 0, 28.0f, DirectionRight},
        {TurnAtWalls, 0.0f, 0, 0, 0, 0, 28.0f, DirectionNone},
        {TurnAtWalls, 0.0f, 0, 0, 0, 0, 256.0f, DirectionNone}, // no surface
        {7, 1.0f, 0, 1, 0, 1, 200.0f, DirectionNone},          // unknown mode
    };
    for (const SlopeCase& c : cases) {
        ObjectHeader header{};
        header.groundSpeed = c.groundSpeed;
        header.angle = c.angle;
        ActorBlock actor{};
        actor.header = &header;
        actor.direction = DirectionNone;
        actor.wallLeft = c.wallLeft;
        actor.wallRight = c.wallRight;
        actor.edgeLeft = c.edgeLeft;
        actor.edgeRight = c.edgeRight;
        EXPECT_EQ(ChooseSlopeDirection(&actor, c.mode), c.expected)
            << "mode " << (int)c.mode << " speed " << c.groundSpeed << " angle " << c.angle;
    }
}

} // namespace
