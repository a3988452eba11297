// Bones and the bonus text with the data kit's art on a flat collision world: the worth of a
// pickup, the invulnerability that refuses it, the flight to the bone bar, the loose bone's bounce
// and fade, removal outside the window, the pause, and the bonus glyphs' timings.
#include <cmath>
#include <cstring>
#include <string>

#include "Engine/Common/Camera.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/Sound.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Controls.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Player/Player.h"
#include "Game/World/Bonus.h"
#include "Game/World/Collect.h"
#include "tests/unit/ItemWorld.h"
#include "tools/datakit/CollisionKit.h"
#include "tools/datakit/ItemArt.h"
#include "tools/datakit/PlayerArt.h"

namespace {

class CollectTest : public ItemWorld {
protected:
    CollectTest() : ItemWorld("palvic-collect-", CollectLoad) {}

    void SetUp() override
    {
        ItemWorld::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(collectAnimSet.loaded);
        ASSERT_NE(collectSound, 0u);
    }

    void TearDown() override
    {
        ItemWorld::TearDown();
        collectAnimSet = AnimSet{};
        collectSound = 0;
        pauseMenuOpen = 0;
    }

    // The player standing on the ground at x.
    void SpawnPlayer(f32 x)
    {
        SpawnPlayerAt(x, groundY - 13.0f);
        if (HasFatalFailure())
            return;
        Frame();
        ASSERT_NE(player->header->groundContact, 0u);
    }

    static CollectRecord* SpawnBone(f32 x, f32 y, u8 mode, u8 value)
    {
        lastSpawnedInstance = nullptr;
        SpawnObject(&Collect, x, y, mode, 0);
        CollectRecord* bone = (CollectRecord*)lastSpawnedInstance;
        if (bone) {
            bone->value = value;
            CollectReset(bone);
        }
        return bone;
    }

    static bool Live(const CollectRecord* bone) { return bone->header->alive && !bone->header->free; }
};

// ---- Pickups ----

struct PickupCase {
    const char* name;
    u8 mode;
    u8 value;
    f32 worth;
    u32 counted; // placed bones counted
};

class CollectPickup : public CollectTest, public ::testing::WithParamInterface<PickupCase> {};

TEST_P(CollectPickup, AddsItsWorthAndFliesToTheBar)
{
    const PickupCase& c = GetParam();
    SpawnPlayer(200.0f);
    player->collected = 10.0f;
    cameras[0].x = 40.0f; // a scroll to take the bone off
    UpdateCameras();
    const i32 sx = scrollX, sy = scrollY;
    CollectRecord* bone = SpawnBone(player->header->x, player->header->y, c.mode, c.value);
    ASSERT_NE(bone, nullptr);
    const f32 x = bone->header->x, y = bone->header->y;

    EXPECT_FALSE(CollectTouch(bone, player)) << "a pickup leaves the callback list";
    EXPECT_FLOAT_EQ(player->collected, 10.0f + c.worth);
    EXPECT_EQ(player->bonesCollected, c.counted);
    EXPECT_TRUE(Queued(collectSound));
    EXPECT_EQ(bone->header->spawnA, CollectFlying);
    EXPECT_EQ(bone->header->drawLayer, 15);
    EXPECT_EQ(bone->header->cullMarginX, -1);
    EXPECT_EQ(bone->header->cullMarginY, -1);
    EXPECT_EQ(bone->header->x, x - (f32)sx);
    EXPECT_EQ(bone->header->y, y - (f32)sy);
    EXPECT_EQ(bone->flyAlpha, 255.0f);
    // Without a HUD the bar rests at (12, 24): the unit of the new amount, a gap after every four.
    const f32 units = player->collected / 48.0f * 4.0f;
    EXPECT_FLOAT_EQ(bone->targetX, 2.0f * units + 26.0f + 4.0f * (f32)((i32)units / 4));
    EXPECT_FLOAT_EQ(bone->targetY, 31.0f);

    // A flyer is never picked up again.
    EXPECT_TRUE(CollectTouch(bone, player));
    EXPECT_FLOAT_EQ(player->collected, 10.0f + c.worth);
}

INSTANTIATE_TEST_SUITE_P(Bones, CollectPickup,
                         ::testing::Values(PickupCase{"PlacedValue0", CollectPlaced, 0, 1.0f, 1},
                                           PickupCase{"PlacedValue4", CollectPlaced, 4, 5.0f, 1},
                                           PickupCase{"LooseValue2", CollectLoose, 2, 3.0f, 0}),
                         [](const ::testing::TestParamInfo<PickupCase>& info) { return std::string(info.param.name); });

TEST_F(CollectTest, PlacedBoneCountsAndWritesTheCount)
{
    SpawnPlayer(200.0f);
    player->bonesCollected = 6;
    CollectRecord* bone = SpawnBone(player->header->x, player->header->y, CollectPlaced, 1);
    EXPECT_FALSE(CollectTouch(bone, player));
    EXPECT_STREQ(debugText, "Value: 7");
}

TEST_F(CollectTest, RefusedWhileInvulnerableThenTakenThroughThePlayersMove)
{
    SpawnPlayer(200.0f);
    CollectRecord* bone = SpawnBone(player->header->x, player->header->y, CollectPlaced, 0);
    player->invulnerable = 20;
    EXPECT_TRUE(CollectTouch(bone, player));
    EXPECT_EQ(player->collected, 0.0f);
    EXPECT_EQ(bone->header->spawnA, CollectPlaced);

    // Through the frames: each frame's late update arms the touch for the next move of the player,
    // whose invulnerability counts down a tick at a time meanwhile.
    player->invulnerable = 26;
    bool picked = false;
    for (int i = 0; i < 12 && !picked; ++i) {
        Frame();
        picked = bone->header->spawnA == CollectFlying;
        if (!picked) {
            EXPECT_GE(player->invulnerable, 18) << "refused at " << player->invulnerable;
        } else {
            EXPECT_LE(player->invulnerable, 19) << "taken at " << player->invulnerable;
        }
    }
    EXPECT_TRUE(picked);
    EXPECT_EQ(player->collected, 1.0f);
    EXPECT_EQ(player->bonesCollected, 1u);
}

TEST_F(CollectTest, NoTouchWithoutOverlap)
{
    SpawnPlayer(200.0f);
    // Bone box 8 either side, player box 7: 15 apart still touches, 16 does not.
    CollectRecord* near = SpawnBone(player->header->x + 15.0f, player->header->y, CollectPlaced, 0);
    CollectRecord* far = SpawnBone(player->header->x + 16.0f, player->header->y, CollectPlaced, 0);
    EXPECT_TRUE(CollectTouch(far, player));
    EXPECT_EQ(far->header->spawnA, CollectPlaced);
    EXPECT_FALSE(CollectTouch(near, player));
}

TEST_F(CollectTest, FlyerEasesIntoTheBarThenFadesOutInFiveTicks)
{
    SpawnPlayer(200.0f);
    CollectRecord* bone = SpawnBone(player->header->x, player->header->y, CollectPlaced, 3);
    ASSERT_FALSE(CollectTouch(bone, player));
    const f32 tx = bone->targetX, ty = bone->targetY;
    int arrived = -1;
    for (int tick = 0; tick < 200 && Live(bone); ++tick) {
        const f32 before = std::hypot(tx - bone->header->x, ty - bone->header->y);
        CollectUpdate(bone);
        if (!Live(bone))
            break;
        EXPECT_LE(std::hypot(tx - bone->header->x, ty - bone->header->y), before + 1e-3f) << "tick " << tick;
        if (arrived < 0 && bone->flyAlpha < 255.0f)
            arrived = tick;
    }
    ASSERT_GE(arrived, 0);
    EXPECT_FALSE(Live(bone));
    EXPECT_EQ(bone->flyAlpha, 0.0f) << "255 in five steps of 51";
}

// ---- Loose bones ----

TEST_F(CollectTest, LooseBoneBouncesAndFadesAfterItsFourthLanding)
{
    CollectRecord* bone = SpawnBone(300.0f, groundY - 60.0f, CollectLoose, 3);
    ASSERT_NE(bone, nullptr);
    bone->header->vx = 0.0f;
    bone->header->vy = 2.0f;
    int landings = 0, fadeTicks = 0;
    for (int tick = 0; tick < 2000 && Live(bone); ++tick) {
        const f32 vyBefore = bone->header->vy + 0.2f; // the gravity of this tick comes first
        const u8 bounces = bone->bounceCount;
        CollectUpdate(bone);
        if (bone->bounceCount != bounces) {
            ++landings;
            EXPECT_FLOAT_EQ(bone->header->vy, -0.75f * vyBefore) << "landing " << landings;
            EXPECT_LE(bone->header->y + 8.0f, groundY) << "the bone is pushed out of the floor";
        }
        if (landings >= 4)
            ++fadeTicks;
        if (landings < 4) {
            EXPECT_EQ(bone->fadeLevel, 0);
        }
    }
    EXPECT_GE(landings, 4);
    EXPECT_FALSE(Live(bone));
    EXPECT_EQ(fadeTicks, 31) << "248 down to 0 in steps of 8, from the landing's tick";
}

TEST_F(CollectTest, LooseBoneOutsideTheWindowIsRemovedPlacedOneStays)
{
    CollectRecord* loose = SpawnBone(300.0f, groundY - 40.0f, CollectLoose, 0);
    CollectRecord* placed = SpawnBone(310.0f, groundY - 40.0f, CollectPlaced, 0);
    Frame();
    ASSERT_TRUE(Live(loose));
    // The view moves 424 + 128 + 1 px away: both leave the window.
    cameras[0].x = 300.0f + 424.0f + 128.0f + 20.0f;
    cameraScrollX[0] = (i32)cameras[0].x;
    Frame();
    Frame();
    EXPECT_FALSE(Live(loose));
    EXPECT_TRUE(Live(placed));
}

TEST_F(CollectTest, NothingMovesWhilePausedAndTheFlyerNeitherSpinsNorShrinks)
{
    SpawnPlayer(200.0f);
    CollectRecord* loose = SpawnBone(300.0f, groundY - 60.0f, CollectLoose, 0);
    CollectRecord* placed = SpawnBone(320.0f, groundY - 20.0f, CollectPlaced, 0);
    CollectRecord* flyer = SpawnBone(player->header->x, player->header->y, CollectPlaced, 2);
    ASSERT_FALSE(CollectTouch(flyer, player));
    Frame();
    Frame();
    const f32 lx = loose->header->x, ly = loose->header->y, turn = placed->header->rotation;
    const f32 fx = flyer->header->x, fr = flyer->header->rotation, fs = flyer->header->scaleX;

    pauseMenuOpen = 1;
    ++demoSeed;
    Frame();
    Frame();
    EXPECT_EQ(loose->header->x, lx);
    EXPECT_EQ(loose->header->y, ly);
    EXPECT_EQ(placed->header->rotation, turn);
    EXPECT_EQ(flyer->header->x, fx);
    EXPECT_EQ(flyer->header->rotation, fr);
    EXPECT_EQ(flyer->header->scaleX, fs);
    EXPECT_EQ(SpawnObject(&Collect, 0.0f, 0.0f, CollectLoose, 0), 0u) << "no spawn while paused";

    pauseMenuOpen = 0;
    Frame();
    EXPECT_EQ(placed->header->rotation, (f32)(demoSeed * 3u));
    EXPECT_NE(loose->header->y, ly);
    EXPECT_FLOAT_EQ(flyer->header->rotation, fr + 1.5f);
    EXPECT_FLOAT_EQ(flyer->header->scaleX, fs - 0.01f);
}

// ---- The bonus text ----

TEST_F(CollectTest, BonusGlyphsRiseEightTicksApartHoldAndLeave)
{
    SpawnPlayer(200.0f);
    lastSpawnedInstance = nullptr;
    SpawnObject(&Bonus, player->header->x, player->header->y, 1, (u8)player->header->index);
    BonusRecord* bonus = (BonusRecord*)lastSpawnedInstance;
    ASSERT_NE(bonus, nullptr);
    EXPECT_EQ(bonus->playerIndex, player->header->index);

    // Ticks counted from the spawn: the first glyph is active from it.
    int started[3] = {0, -1, -1}, holding[3] = {-1, -1, -1}, leaving[3] = {-1, -1, -1};
    int removed = -1;
    for (int tick = 0; tick < 400; ++tick) {
        u8 phaseBefore[3];
        f32 riseBefore[3];
        for (int i = 0; i < 3; ++i)
            phaseBefore[i] = bonus->glyphs[i].phase, riseBefore[i] = bonus->glyphs[i].rise;
        BonusUpdate(bonus);
        if (!bonus->header->alive || bonus->header->free) {
            removed = tick;
            break;
        }
        for (int i = 0; i < 3; ++i) {
            const BonusGlyph& g = bonus->glyphs[i];
            if (started[i] < 0 && g.active)
                started[i] = tick + 1;
            if (holding[i] < 0 && g.phase == GlyphHolding)
                holding[i] = tick;
            if (leaving[i] < 0 && g.phase == GlyphLeaving)
                leaving[i] = tick;
            if (phaseBefore[i] == GlyphRising && g.active) {
                EXPECT_LE(g.rise, 30.0f);
            }
            if (phaseBefore[i] == GlyphLeaving && g.phase == GlyphLeaving && tick > leaving[i] + 1) {
                EXPECT_GT(g.rise - riseBefore[i], 0.25f) << "glyph " << i << " speeds up as it leaves";
            }
        }
    }
    EXPECT_EQ(started[1], 8);
    EXPECT_EQ(started[2], 16);
    for (int i = 0; i < 3; ++i) {
        ASSERT_GE(holding[i], 0);
        EXPECT_EQ(leaving[i] - holding[i], 181) << "glyph " << i << " holds for 181 ticks";
    }
    // The third glyph fades in 8 steps of 32 and the object goes on the tick after.
    EXPECT_EQ(removed, leaving[2] + 9);
}

} // namespace
