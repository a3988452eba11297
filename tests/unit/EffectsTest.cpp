// The effects with the data kit's sets: each mode of Explosion, FX and Giblets tick by tick (speeds,
// blend level, facing, animation and life), their drawing, and the running dust the player raises
// through the FX type while it slides.
#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "Engine/Collision/AngleTables.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Actors/ActorBlock.h"
#include "Game/Actors/Effects.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Player/Player.h"
#include "tests/unit/HeadlessGame.h"
#include "tests/unit/PlayerWorld.h"
#include "tests/unit/TestFolder.h"
#include "tools/datakit/CollisionKit.h"
#include "tools/datakit/EffectArt.h"
#include "tools/datakit/PlayerArt.h"

extern u8 forceFree;

namespace {

using namespace datakit;

class EffectsTest : public HeadlessGame, protected TestFolder {
protected:
    Stage stage{}, otherStage{};

    void SetUp() override
    {
        HeadlessGame::SetUp();
        EnterTestFolder("palvic-effects-");
        FreeObjectTypeRegistry();
        forceFree = 0;
        scrollX = scrollY = 0;
        currentStage = &stage;
        previousStage = &otherStage;
        ASSERT_TRUE(WriteEffectData("."));
        ExplosionLoad(nullptr);
        FXLoad(nullptr);
        GibletsLoad(nullptr);
        ASSERT_TRUE(explosionAnimSet.loaded && fxAnimSet.loaded && gibletsAnimSet.loaded);
    }

    void TearDown() override
    {
        FreeObjectTypeRegistry();
        explosionAnimSet = AnimSet{};
        fxAnimSet = AnimSet{};
        gibletsAnimSet = AnimSet{};
        scrollX = scrollY = 0;
        PutDrawStateBack();
        LeaveTestFolder();
        HeadlessGame::TearDown();
    }

    static void PutDrawStateBack()
    {
        drawFlags = 0;
        blendMode = 0;
        blendLevel = 255;
        spriteScaleX = spriteScaleY = 512;
        spriteAngle = 0;
    }

    static EffectRecord* Spawn(ObjectType* type, f32 x, f32 y, u8 spawnA, u8 spawnB)
    {
        lastSpawnedInstance = nullptr;
        SpawnObject(type, x, y, spawnA, spawnB);
        EXPECT_NE(lastSpawnedInstance, nullptr);
        return (EffectRecord*)lastSpawnedInstance;
    }

    static bool Alive(const EffectRecord* effect) { return effect->header->alive && !effect->header->free; }

    static u16 ShownAnimation(const EffectRecord* effect)
    {
        const AnimSet* set = effect->anim.set;
        return (u16)(effect->anim.animation - set->animations);
    }

    static void ExpectDrawStateAtRest()
    {
        EXPECT_EQ(drawFlags, 0u);
        EXPECT_EQ(blendMode, 0u);
        EXPECT_EQ(blendLevel, 255u);
        EXPECT_EQ(spriteScaleX, 512);
        EXPECT_EQ(spriteScaleY, 512);
        EXPECT_EQ(spriteAngle, 0);
    }

    static void Fill(u32 colour)
    {
        for (i32 y = 0; y < screenHeight; ++y)
            for (i32 x = 0; x < screenWidth; ++x)
                frameBuffer[rowOffsets[y] + x] = colour;
    }
    static u32 Pixel(i32 x, i32 y) { return frameBuffer[rowOffsets[y] + x] & 0xFFFFFF; }
    static std::vector<u32> Screen()
    {
        std::vector<u32> pixels;
        for (i32 y = 0; y < screenHeight; ++y)
            for (i32 x = 0; x < screenWidth; ++x)
                pixels.push_back(Pixel(x, y));
        return pixels;
    }
};

// ---- Types ----

TEST_F(EffectsTest, LoadWritesTheSettingsOfTheThreeTypes)
{
    struct Case {
        ObjectType* type;
        u32 growth;
        u8 layer;
        i16 margin;
        ObjectHandler draw;
        AnimSet* set;
        u16 animations;
    } cases[] = {
        {&Explosion, 32, 13, -1, EffectDraw, &explosionAnimSet, effectAnimationCounts[0]},
        {&FX, 32, 7, -1, EffectDraw, &fxAnimSet, effectAnimationCounts[1]},
        {&Giblets, 128, 14, 64, GibletsDraw, &gibletsAnimSet, effectAnimationCounts[2]},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.layer);
        EXPECT_TRUE(c.type->registered);
        EXPECT_EQ(c.type->growthStep, c.growth);
        EXPECT_EQ(c.type->updatePass, 5);
        EXPECT_EQ(c.type->drawLayer, c.layer);
        EXPECT_EQ(c.type->cullMarginX, c.margin);
        EXPECT_EQ(c.type->cullMarginY, c.margin);
        EXPECT_EQ(c.type->runsWhilePaused, 0);
        EXPECT_EQ(c.type->name, nullptr);
        EXPECT_EQ(c.type->placeable, 0);
        EXPECT_EQ(c.type->instanceSize, sizeof(EffectRecord));
        EXPECT_EQ(c.type->Draw, c.draw);
        EXPECT_EQ(c.set->animCount, c.animations);
        // Spawned with the type's layer.
        EffectRecord* effect = Spawn(c.type, 10.0f, 10.0f, 0, 0);
        ASSERT_NE(effect, nullptr);
        EXPECT_EQ(effect->header->drawLayer, c.layer);
    }
    EXPECT_EQ(Giblets.LeaveView, GibletsLeaveView);
    if (sizeof(void*) == 8) {
        EXPECT_EQ(sizeof(EffectRecord), 40u);
    }
    EXPECT_EQ(placeableTypeCount, 0u);
}

TEST_F(EffectsTest, FXStaysSpawnableUntilItsLastUnload)
{
    // A stage switch loads the next stage before unloading the last: the player's dust still spawns.
    currentStage = &otherStage;
    previousStage = &stage;
    FXLoad(nullptr);
    EXPECT_EQ(FX.loadCount, 2u);
    FXUnload();
    EXPECT_TRUE(FX.registered);
    EXPECT_NE(Spawn(&FX, 0.0f, 0.0f, FXDirected, 0), nullptr);
    FXUnload();
    EXPECT_FALSE(FX.registered);
    lastSpawnedInstance = nullptr;
    SpawnObject(&FX, 0.0f, 0.0f, FXDirected, 0);
    EXPECT_EQ(lastSpawnedInstance, nullptr);
    EXPECT_FALSE(fxAnimSet.loaded);
}

TEST_F(EffectsTest, SpawningIsRefusedWhilePaused)
{
    pauseMenuOpen = 1;
    lastSpawnedInstance = nullptr;
    SpawnObject(&Explosion, 0.0f, 0.0f, 0, 0);
    SpawnObject(&FX, 0.0f, 0.0f, 0, 0);
    SpawnObject(&Giblets, 0.0f, 0.0f, 0, 0);
    EXPECT_EQ(lastSpawnedInstance, nullptr);
    pauseMenuOpen = 0;
}

// ---- Explosion ----

struct ExplosionCase {
    const char* name;
    u8 mode, spawnB;
    f32 setVx;        // written by the spawner after the spawn (mode 4 keeps it)
    f32 vx0, vy0;     // after Init
    u8 level0;
    u8 flipX;
    u16 animation;
    int life;         // ticks until its animation has finished and it is gone
    f32 driftX;       // mode 1: the speed taken up from the second tick on
};

TEST_F(EffectsTest, ExplosionModesMoveFadeAndEndWithTheirAnimation)
{
    const int puffLife = explosionPuffFrames * explosionPuffTicks;
    const int smokeLife = explosionSmokeFrames * explosionSmokeTicks;
    const int burstLife = explosionBurstFrames * explosionBurstTicks;
    const ExplosionCase cases[] = {
        {"rising puff", ExplosionPuff, 0, 0.0f, 0.0f, -4.0f, 128, 0, 0, puffLife, 0.0f},
        {"puff facing right", ExplosionPuff, 1, 0.0f, 0.0f, -4.0f, 128, 1, 0, puffLife, 0.0f},
        {"smoke drifting left", ExplosionSmoke, 0, 0.0f, 0.0f, 0.0f, 255, 0, 1, smokeLife, -0.5f},
        {"smoke drifting right", ExplosionSmoke, 7, 0.0f, 0.0f, 0.0f, 255, 1, 1, smokeLife, 0.5f},
        {"burst 2", ExplosionBurst, 0, 0.0f, 0.0f, 0.0f, 200, 0, 2, burstLife, 0.0f},
        {"burst 3 facing right", ExplosionBurst2, 1, 0.0f, 0.0f, 0.0f, 200, 1, 3, burstLife, 0.0f},
        {"other mode keeps what it was given", 9, 0, 1.5f, 0.0f, 0.0f, 255, 0, 3, burstLife, 0.0f},
    };
    for (const ExplosionCase& c : cases) {
        SCOPED_TRACE(c.name);
        EffectRecord* e = Spawn(&Explosion, 100.0f, 100.0f, c.mode, c.spawnB);
        ASSERT_NE(e, nullptr);
        ObjectHeader* h = e->header;
        EXPECT_EQ(h->vx, c.vx0);
        EXPECT_EQ(h->vy, c.vy0);
        EXPECT_EQ(h->flash, c.level0);
        EXPECT_EQ(h->flipX, c.flipX);
        EXPECT_EQ(ShownAnimation(e), c.animation);
        EXPECT_EQ(e->anim.frameIndex, 0);
        if (c.setVx != 0.0f)
            h->vx = c.setVx;

        f32 x = 100.0f, y = 100.0f, vy = c.vy0;
        int level = c.level0;
        for (int tick = 1; tick <= c.life; ++tick) {
            ASSERT_TRUE(Alive(e)) << "tick " << tick;
            UpdateObjects();
            // Expected motion, step by step as the modes describe it.
            if (c.mode == ExplosionPuff) {
                y += vy;
                vy = vy < 0.0f ? vy + 0.1f : vy;
                vy = vy > 0.0f ? 0.0f : vy;
                level = level <= 2 ? 0 : level - 3;
                ASSERT_EQ(h->flash, level) << "tick " << tick;
            } else if (c.mode == ExplosionSmoke) {
                if (tick > 1) {
                    x += c.driftX;
                    y -= 1.0f;
                }
                ASSERT_EQ(h->flash, 255) << "tick " << tick;
            } else {
                x += c.setVx;
                ASSERT_EQ(h->flash, c.level0) << "tick " << tick;
            }
            ASSERT_FLOAT_EQ(h->x, x) << "tick " << tick;
            ASSERT_FLOAT_EQ(h->y, y) << "tick " << tick;
        }
        EXPECT_FALSE(Alive(e)) << "ends with its animation";
        EXPECT_EQ(Explosion.liveCount, 0u);
        if (c.mode == ExplosionPuff) {
            // Risen 4 + 3.9 + ... + 0.1 = 82 px in 40 ticks, and come to rest.
            EXPECT_NEAR(h->y, 100.0f - 82.0f, 1e-3);
            EXPECT_NEAR(h->vy, 0.0f, 1e-5);
            EXPECT_EQ(h->flash, 128 - 3 * puffLife);
        }
    }
}

TEST_F(EffectsTest, ThePuffStopsAtRestAndItsLevelBottomsOutAtZero)
{
    EffectRecord* e = Spawn(&Explosion, 0.0f, 0.0f, ExplosionPuff, 0);
    ASSERT_NE(e, nullptr);
    ObjectHeader* h = e->header;
    // A step past rest lands on rest; it never sinks.
    h->vy = -0.05f;
    ExplosionUpdate(e);
    EXPECT_EQ(h->vy, 0.0f);
    ExplosionUpdate(e);
    EXPECT_EQ(h->vy, 0.0f);
    // Levels of 2 and less go to 0, never round past it.
    const struct {
        u8 before, after;
    } levels[] = {{5, 2}, {4, 1}, {3, 0}, {2, 0}, {1, 0}, {0, 0}};
    for (const auto& l : levels) {
        h->flash = l.before;
        ExplosionUpdate(e);
        EXPECT_EQ(h->flash, l.after) << (int)l.before;
    }
}

// ---- FX ----

struct FXCase {
    const char* name;
    u8 mode, spawnB;
    f32 rotation, speed;
    f32 setVx;          // mode 1: the spawner's speed
    u16 animation, firstFrame;
    f32 stepX, stepY;   // per tick from the second tick on
    int life;           // 0: not ended by the FX
};

TEST_F(EffectsTest, FXModesMoveAgainstTheirRotationAndEndWithTheirAnimation)
{
    const f32 k = 256.0f / 327.68f; // 0.78125
    const f32 c44 = (f32)cosTable[44] / 327.68f, s44 = (f32)cosTable[(44 - 64) & 255] / 327.68f;
    const int bigDust = fxBigDustFrames * fxTicks, plain = fxPlainFrames * fxTicks;
    const FXCase cases[] = {
        {"rotation 0 moves left", FXDirected, 0, 0.0f, 1.0f, 0.0f, 0, 0, -k, 0.0f, bigDust},
        {"rotation 64 moves up", FXDirected, 0, 64.0f, 1.0f, 0.0f, 0, 0, 0.0f, -k, bigDust},
        {"rotation 128 at speed 2 moves right", FXDirected, 0, 128.0f, 2.0f, 0.0f, 0, 0, 2.0f * k, 0.0f, bigDust},
        {"rotation -64 wraps to 192: down", FXDirected, 0, -64.0f, 1.0f, 0.0f, 0, 0, 0.0f, k, bigDust},
        {"rotation 300.7 wraps to 44", FXDirected, 0, 300.7f, 3.0f, 0.0f, 0, 0, -c44 * 3.0f, -s44 * 3.0f, bigDust},
        {"starts at frame 3", FXDirected, 3, 0.0f, 0.0f, 0.0f, 0, 3, 0.0f, 0.0f, bigDust - 3 * fxTicks},
        {"first frame held inside", FXDirected, 200, 0.0f, 0.0f, 0.0f, 0, fxBigDustFrames - 1, 0.0f, 0.0f, fxTicks},
        {"plain keeps its speed", FXPlain, 3, 64.0f, 5.0f, 1.5f, 1, 0, 1.5f, 0.0f, plain},
        {"other mode is not ended", 6, 0, 0.0f, 0.0f, 0.0f, 4, 0, 0.0f, 0.0f, 0},
    };
    for (const FXCase& c : cases) {
        SCOPED_TRACE(c.name);
        EffectRecord* e = Spawn(&FX, 200.0f, 120.0f, c.mode, c.spawnB);
        ASSERT_NE(e, nullptr);
        ObjectHeader* h = e->header;
        EXPECT_EQ(ShownAnimation(e), c.animation);
        EXPECT_EQ(e->anim.frameIndex, c.firstFrame);
        h->rotation = c.rotation;
        h->groundSpeed = c.speed;
        h->vx = c.setVx;

        const int ticks = c.life ? c.life : 100;
        for (int tick = 1; tick <= ticks; ++tick) {
            ASSERT_TRUE(Alive(e)) << "tick " << tick;
            const f32 x = h->x, y = h->y;
            UpdateObjects();
            // Mode 0 moves by last tick's speed: still on its first tick.
            const bool moves = c.mode != FXDirected || tick > 1;
            ASSERT_NEAR(h->x - x, moves ? c.stepX : c.setVx, 1e-4) << "tick " << tick;
            ASSERT_NEAR(h->y - y, moves ? c.stepY : 0.0f, 1e-4) << "tick " << tick;
        }
        EXPECT_EQ(Alive(e), c.life == 0);
        if (!c.life)
            DespawnObject(h);
    }
}

// ---- Giblets ----

TEST_F(EffectsTest, AGibletWithALifeIsRemovedWhenItRunsOutWhereverItIs)
{
    EffectRecord* g = Spawn(&Giblets, 200.0f, 50.0f, 0, 30);
    ASSERT_NE(g, nullptr);
    ObjectHeader* h = g->header;
    h->vx = 1.0f;
    h->vy = -3.0f;
    f32 x = 200.0f, y = 50.0f, vy = -3.0f;
    for (int tick = 1; tick <= 30; ++tick) {
        ASSERT_TRUE(Alive(g)) << "tick " << tick;
        UpdateObjects();
        // The last tick still moves it.
        x += 1.0f;
        y += vy;
        vy += 0.28125f;
        ASSERT_FLOAT_EQ(h->x, x) << "tick " << tick;
        ASSERT_FLOAT_EQ(h->y, y) << "tick " << tick;
        ASSERT_FLOAT_EQ(h->vy, vy) << "tick " << tick;
        ASSERT_FLOAT_EQ(h->tiltAngle, 2.0f * tick) << "tick " << tick;
        ASSERT_EQ(h->spawnB, 30 - tick);
    }
    EXPECT_FALSE(Alive(g));
    EXPECT_EQ(Giblets.liveCount, 0u);
}

TEST_F(EffectsTest, AGibletWithoutALifeFallsUntilItLeavesTheView)
{
    // Life 0, and a "negative" life (200 read as signed is -56): neither counts down.
    for (const u8 life : {(u8)0, (u8)200}) {
        SCOPED_TRACE(life);
        EffectRecord* g = Spawn(&Giblets, 100.0f, 100.0f, 1, life);
        ASSERT_NE(g, nullptr);
        ObjectHeader* h = g->header;
        // The window reaches 64 px below the 240-line screen.
        const f32 bottom = (f32)(screenHeight + 64);
        int tick = 0;
        while (Alive(g) && tick < 200) {
            const f32 yBefore = h->y;
            UpdateObjects();
            ++tick;
            if (yBefore < bottom)
                ASSERT_TRUE(Alive(g)) << "removed inside the window at tick " << tick;
            else
                ASSERT_FALSE(Alive(g)) << "still alive below the window at tick " << tick;
            ASSERT_EQ(h->spawnB, life);
        }
        EXPECT_FALSE(Alive(g));
        // From rest it has fallen 0.28125 x n(n-1)/2 after n ticks: past 304 after tick 39, so
        // tick 40 finds it outside.
        EXPECT_EQ(tick, 40);
    }
}

TEST_F(EffectsTest, GibletsSpinWrapsAndAnimationsLoopHeldInsideTheSet)
{
    EffectRecord* g = Spawn(&Giblets, 100.0f, 100.0f, 250, 0);
    ASSERT_NE(g, nullptr);
    ObjectHeader* h = g->header;
    EXPECT_EQ(ShownAnimation(g), effectAnimationCounts[2] - 1);
    h->tiltAngle = 252.0f;
    GibletsUpdate(g);
    EXPECT_EQ(h->tiltAngle, 254.0f);
    GibletsUpdate(g);
    EXPECT_EQ(h->tiltAngle, 0.0f);
    // A looping animation never ends a giblet.
    std::set<u16> frames;
    for (int tick = 0; tick < 100; ++tick) {
        h->x = 100.0f;
        h->y = 100.0f;
        GibletsUpdate(g);
        frames.insert(g->anim.frameIndex);
        ASSERT_TRUE(Alive(g));
    }
    EXPECT_GT(frames.size(), 1u);
}

// ---- Drawing ----

TEST_F(EffectsTest, EffectDrawBlendsAtTheLevelAndPutsTheStateBack)
{
    // The star burst's white-hot centre sits at the position.
    EffectRecord* e = Spawn(&Explosion, 150.0f, 100.0f, ExplosionBurst, 0);
    ASSERT_NE(e, nullptr);
    const u32 background = 0x204060;
    u32 drawn[3] = {};
    const u8 levels[3] = {0, 128, 255};
    for (int i = 0; i < 3; ++i) {
        Fill(background);
        e->header->flash = levels[i];
        EffectDraw(e);
        ExpectDrawStateAtRest();
        drawn[i] = Pixel(150, 100);
    }
    EXPECT_NE(drawn[2], background);
    // Level 0 leaves the background, but for the blend table's rounding.
    for (int shift : {0, 8, 16}) {
        const int b = (int)((background >> shift) & 255), z = (int)((drawn[0] >> shift) & 255);
        EXPECT_LE(std::abs(z - b), 2) << shift;
    }
    // Half way: every channel between the background and the full colour.
    for (int shift : {0, 8, 16}) {
        const u32 b = (background >> shift) & 255, f = (drawn[2] >> shift) & 255, m = (drawn[1] >> shift) & 255;
        EXPECT_GE(m, std::min(b, f)) << shift;
        EXPECT_LE(m, std::max(b, f)) << shift;
    }
    EXPECT_NE(drawn[1], drawn[2]);

    // The header's scale applies: twice the size covers more pixels.
    auto covered = [&](f32 scale) {
        Fill(0);
        e->header->flash = 255;
        e->header->scaleX = e->header->scaleY = scale;
        EffectDraw(e);
        int lit = 0;
        for (u32 p : Screen())
            lit += p != 0;
        return lit;
    };
    EXPECT_GT(covered(2.0f), covered(1.0f) * 3);
    ExpectDrawStateAtRest();
}

TEST_F(EffectsTest, GibletsTurnByTheirSpinFromAnimationTwoOn)
{
    auto picture = [&](u8 animation, f32 spin) {
        EffectRecord* g = Spawn(&Giblets, 150.0f, 100.0f, animation, 0);
        if (!g)
            return std::vector<u32>{};
        g->header->tiltAngle = spin;
        Fill(0);
        GibletsDraw(g);
        ExpectDrawStateAtRest();
        DespawnObject(g->header);
        return Screen();
    };
    // The hook turns; the small pieces tumble by their frames only.
    EXPECT_NE(picture(6, 0.0f), picture(6, 64.0f));
    EXPECT_NE(picture(6, 0.0f), std::vector<u32>((size_t)screenWidth * screenHeight, 0));
    EXPECT_EQ(picture(0, 0.0f), picture(0, 64.0f));
    EXPECT_EQ(picture(1, 0.0f), picture(1, 100.0f));
}

// ---- The player's running dust ----

class EffectsDustTest : public EffectsTest {
protected:
    PlayerRecord* player = nullptr;

    void SetUp() override
    {
        EffectsTest::SetUp();
        ASSERT_TRUE(WritePlayerData("."));
        ResetPlayerWorldGlobals();

        // A long flat floor whose top is y = 192.
        CollisionWorld world(400, 16);
        world.Box(0, 192, world.Width(), world.Height());
        LoadCollisionWorld("Data/Stages/Flat", world);
        if (HasFatalFailure())
            return;

        PlayerLoad(nullptr);
        lastSpawnedInstance = nullptr;
        SpawnObject(&Player, 3000.0f, 192.0f - 16.0f + 3.0f, 0, 0);
        player = (PlayerRecord*)lastSpawnedInstance;
        ASSERT_NE(player, nullptr);
        Tick();
        ASSERT_NE(player->header->groundContact, 0u);
    }

    void TearDown() override
    {
        PutPlayerWorldGlobalsBack();
        EffectsTest::TearDown();
    }

    // One tick as a stage runs it.
    void Tick()
    {
        UpdateObjects();
        Player.LateUpdate(player);
        UpdateCameras();
    }

    static std::set<EffectRecord*> LiveFX()
    {
        std::set<EffectRecord*> live;
        for (u32 i = 0; i < FX.poolSize; ++i)
            if (FX.pool[i]->alive && !FX.pool[i]->free)
                live.insert((EffectRecord*)FX.instanceTable[i]);
        return live;
    }

    // Slides at a speed; past the take-up of the slide, counts the ticks on which the run came
    // back to frame 0 and checks every dust that appears then.
    struct Seen {
        int cycles = 0, dusts = 0;
    };
    Seen Slide(f32 speed, u16 expectedAnimation, bool expectDust)
    {
        Seen seen;
        ObjectHeader* h = player->header;
        // The slide's friction (half the player's) comes off before the dust reads the speed.
        const f32 drag = player->friction * 0.5f;
        const f32 held = speed + (speed > 0.0f ? drag : -drag);
        player->state = PlayerStateAir;
        h->groundSpeed = held;
        Tick(); // the slide is taken up here: a fresh cursor keeps its dust whatever the speed
        std::set<EffectRecord*> before = LiveFX();
        for (int tick = 0; tick < 60; ++tick) {
            h->groundSpeed = held;
            Tick();
            EXPECT_FLOAT_EQ(h->groundSpeed, speed);
            EXPECT_TRUE(player->anim.animIndex == 41 || player->anim.animIndex == 42);
            const bool cycle = player->anim.frameIndex == 0 && player->anim.prevFrameIndex != 0 &&
                               player->anim.prevFrameIndex != 0xFFFF;
            seen.cycles += cycle;
            const std::set<EffectRecord*> now = LiveFX();
            for (EffectRecord* dust : now) {
                if (before.count(dust))
                    continue;
                ++seen.dusts;
                EXPECT_TRUE(cycle) << "dust without a new run cycle at tick " << tick;
                const ObjectHeader* d = dust->header;
                // Flat ground (angle 0): 12.5 px under the position, which is half way to the feet
                // and a few pixels above them; its first tick does not move it.
                EXPECT_FLOAT_EQ(d->x, h->x);
                EXPECT_FLOAT_EQ(d->y, h->y + 12.5f);
                EXPECT_EQ(d->drawLayer, h->drawLayer);
                EXPECT_EQ(d->rotation, h->angle);
                EXPECT_EQ(d->flipX, speed < 0.0f ? 1 : 0);
                EXPECT_FLOAT_EQ(d->groundSpeed, speed * 0.25f);
                EXPECT_EQ(ShownAnimation(dust), expectedAnimation);
                EXPECT_EQ(d->spawnA, FXDirected);
            }
            before = now;
        }
        EXPECT_GT(seen.cycles, 2);
        EXPECT_EQ(seen.dusts, expectDust ? seen.cycles : 0);
        return seen;
    }
};

TEST_F(EffectsDustTest, RunningDustAtTheFeetBySpeed)
{
    const struct {
        f32 speed;
        u16 animation;
        bool dust;
    } cases[] = {
        {13.0f, 0, true},   // 12 and up: the big cloud
        {12.0f, 0, true},
        {9.0f, 4, true},    // 8 up to 12: the smaller one
        {-10.0f, 4, true},  // facing the way it slides
        {8.0f, 4, true},
        {7.95f, 0, false},  // below 8: removed at once
        {-5.0f, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.speed);
        player->header->x = 3000.0f;
        Slide(c.speed, c.animation, c.dust);
        for (EffectRecord* dust : LiveFX())
            DespawnObject(dust->header);
    }
}

TEST_F(EffectsDustTest, TheDustDriftsBackAtAQuarterOfTheRunAndPlaysOut)
{
    ObjectHeader* h = player->header;
    player->state = PlayerStateAir;
    h->groundSpeed = 10.0f;
    Tick();
    for (EffectRecord* dust : LiveFX())
        DespawnObject(dust->header);
    EffectRecord* dust = nullptr;
    for (int tick = 0; tick < 20 && !dust; ++tick) {
        h->groundSpeed = 10.0f;
        Tick();
        const std::set<EffectRecord*> live = LiveFX();
        if (!live.empty())
            dust = *live.begin();
    }
    ASSERT_NE(dust, nullptr);
    // The dust goes its own way: back at 0.78125 of a quarter of the run.
    const f32 step = -0.78125f * dust->header->groundSpeed;
    EXPECT_NEAR(dust->header->groundSpeed, 2.5f, 0.02f);
    const f32 x = dust->header->x, y = dust->header->y;
    int ticks = 0;
    while (Alive(dust) && ticks < 100) {
        UpdateObjects();
        ++ticks;
        if (Alive(dust)) {
            ASSERT_NEAR(dust->header->x, x + step * ticks, 1e-2);
            ASSERT_FLOAT_EQ(dust->header->y, y);
        }
    }
    // The switch to the smaller cloud is taken up on its first tick; then the cloud plays once.
    EXPECT_EQ(ticks, fxSmallDustFrames * fxTicks);
    EXPECT_EQ(ShownAnimation(dust), 4);
}

} // namespace
