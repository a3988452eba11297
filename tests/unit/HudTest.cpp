// The HUD with the data kit's HUD set: the score counting up, hearts following the health, the
// lives banner (at the start and again on a life bought with bones), the label and bar intro, the
// bone bar's units with their gaps, its pulse held while paused, and a set whose bar piece has no
// width.
#include <cmath>
#include <vector>

#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Render/DrawState.h"
#include "Game/Actors/ActorBlock.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Display/Hud.h"
#include "Game/Player/Player.h"
#include "tests/unit/FreshStage.h"
#include "tools/datakit/CollisionKit.h"
#include "tools/datakit/HudArt.h"
#include "tools/datakit/PlayerArt.h"

namespace {

class HudTest : public FreshStage {
protected:
    HudTest() : FreshStage("palvic-hud-") {}

    HUDRecord* hud = nullptr;

    void SetUp() override
    {
        FreshStage::SetUp();
        scrollX = scrollY = 0;
        for (PlayerProgress& progress : playerProgress)
            progress = PlayerProgress{3, 0, 255, 0.0f, 0.0f};
        ASSERT_TRUE(datakit::WriteHudData("."));
        HUDLoad(nullptr);
        ASSERT_TRUE(HUD.registered);
        ASSERT_TRUE(hudAnimSet.loaded);
    }

    void TearDown() override
    {
        FreeObjectTypeRegistry();
        hudAnimSet = AnimSet{};
        playerAnimSet = AnimSet{};
        playerProperties = ActorProperties{};
        for (PlayerProgress& progress : playerProgress)
            progress = PlayerProgress{3, 0, 255, 0.0f, 0.0f};
        scrollX = scrollY = 0;
        FreshStage::TearDown();
    }

    // A stand-in for the player type: the HUD reads only the record's health and bones.
    void SpawnStandInPlayer(u8 health)
    {
        ASSERT_NO_FATAL_FAILURE(FreshStage::SpawnStandInPlayer(0.0f, 0.0f));
        player->health = health;
        player->collected = 0.0f;
    }

    void SpawnHud()
    {
        lastSpawnedInstance = nullptr;
        SpawnObject(&HUD, 0.0f, 0.0f, 0, 0);
        hud = (HUDRecord*)lastSpawnedInstance;
        ASSERT_NE(hud, nullptr);
    }

    void Run(int ticks)
    {
        for (int t = 0; t < ticks; ++t) {
            ++demoSeed;
            HUDUpdate(hud);
        }
    }

    static u32 Pixel(i32 x, i32 y) { return frameBuffer[rowOffsets[y] + x] & 0xFFFFFF; }

    static void ClearScreen()
    {
        for (i32 y = 0; y < screenHeight; ++y)
            for (i32 x = 0; x < screenWidth; ++x)
                frameBuffer[rowOffsets[y] + x] = 0;
    }
};

TEST_F(HudTest, InitPlacesTheAnchorAndStartsTheIntro)
{
    playerProgress[0].lives = 7;
    playerProgress[0].score = 1234;
    SpawnHud();
    EXPECT_EQ(hud->header->x, 12.0f);
    EXPECT_EQ(hud->header->y, 12.0f);
    EXPECT_EQ(hud->barX, -108);
    EXPECT_EQ(hud->barY, 24);
    EXPECT_EQ(hud->bannerTimer, 180);
    EXPECT_EQ(hud->bannerX, -60.0f);
    EXPECT_EQ(hud->shownLives, 7);
    EXPECT_EQ(hud->shownScore, 1234u); // no count-up from 0 on a new stage
    EXPECT_EQ(hud->header->flash, 0);
    EXPECT_EQ(HUD.updatePass, 5);
    EXPECT_EQ(HUD.drawLayer, 14);
    EXPECT_FALSE(HUD.runsWhilePaused);

    // The HUD fades in by 8 a tick, the label glides to its places and stays.
    Run(31);
    EXPECT_EQ(hud->header->flash, 248);
    Run(1);
    EXPECT_EQ(hud->header->flash, 255);
    Run(200);
    const i32 w = hudAnimSet.animations[HudLabelAnim].frames[0].image.width;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(hud->labelGlyphs[i].x, (f32)(w * i + 12)) << i;
        EXPECT_EQ(hud->labelGlyphs[i].y, 12.0f) << i;
    }
    // The bar eases in by integer quarters, which leave it resting at 9: (12 - 9) / 4 is 0.
    EXPECT_EQ(hud->barX, 9);
    EXPECT_EQ(hud->introDone, 0);
}

TEST_F(HudTest, ScoreCountsUpByOneATick)
{
    SpawnHud();
    playerProgress[0].score += 100;
    for (u32 t = 1; t <= 100; ++t) {
        Run(1);
        ASSERT_EQ(hud->shownScore, t);
    }
    Run(10);
    EXPECT_EQ(hud->shownScore, 100u);
    // It never counts down: a lower score is left as shown.
    playerProgress[0].score = 40;
    Run(5);
    EXPECT_EQ(hud->shownScore, 100u);
}

TEST_F(HudTest, HeartsFollowTheHealth)
{
    struct Case {
        u8 health;
        int shown; // hearts that pop in and stay: i < health - 1
    };
    const Case cases[] = {{5, 4}, {4, 3}, {3, 2}, {1, 0}, {0, 0}};
    SpawnStandInPlayer(5);
    for (const Case& c : cases) {
        player->health = c.health;
        SpawnHud();
        Run(1);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(hud->hearts[i].state, i < c.shown ? (u32)HeartPopping : (u32)HeartEmpty)
                << "health " << (int)c.health << " heart " << i;
        }
        // The bounce runs down by 0.2 a tick from 5, then the heart rests shown.
        Run(30);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(hud->hearts[i].state, i < c.shown ? (u32)HeartShown : (u32)HeartEmpty)
                << "health " << (int)c.health << " heart " << i;
            EXPECT_EQ(hud->hearts[i].scale, 1.0f);
        }
        DespawnObject(hud->header);
    }

    // Losing health empties the top hearts; getting it back pops them in again, growing while empty.
    player->health = 5;
    SpawnHud();
    Run(40);
    player->health = 3;
    Run(1);
    EXPECT_EQ(hud->hearts[1].state, (u32)HeartShown);
    EXPECT_EQ(hud->hearts[2].state, (u32)HeartLost);
    EXPECT_EQ(hud->hearts[3].state, (u32)HeartLost);
    Run(1);
    EXPECT_EQ(hud->hearts[2].state, (u32)HeartEmpty);
    EXPECT_EQ(hud->hearts[2].blink, 0); // the empty picture
    player->health = 4;
    Run(2);
    EXPECT_EQ(hud->hearts[2].state, (u32)HeartPopping);
    EXPECT_EQ(hud->hearts[2].blink, 0);
    EXPECT_GT(hud->hearts[2].scale, 1.0f);
    EXPECT_EQ(hud->hearts[3].state, (u32)HeartEmpty);
    Run(30);
    EXPECT_EQ(hud->hearts[2].state, (u32)HeartShown);
    EXPECT_EQ(hud->hearts[2].scale, 1.0f);
    EXPECT_GE(hud->hearts[2].blink, 1);
}

TEST_F(HudTest, ShownHeartsBlinkThroughFramesTwoToEight)
{
    SpawnStandInPlayer(5);
    SpawnHud();
    Run(40);
    HUDHeart& heart = hud->hearts[0];
    ASSERT_EQ(heart.state, (u32)HeartShown);
    heart.blink = 1;
    heart.blinkWait = 1;
    Run(1);
    EXPECT_EQ(heart.blink, 2);
    for (u8 frame = 3; frame <= 8; ++frame) {
        Run(1);
        EXPECT_EQ(heart.blink, frame);
    }
    Run(1);
    EXPECT_EQ(heart.blink, 1);
    EXPECT_LE(heart.blinkWait, 180);
}

TEST_F(HudTest, LivesBannerSlidesInThenOffAndComesBackOnALife)
{
    SpawnHud();
    const f32 rest = hud->header->x - 72.0f;
    Run(100);
    EXPECT_NEAR(hud->bannerX, 12.0f, 0.01f);
    Run(80);
    EXPECT_EQ(hud->bannerTimer, 0);
    // Off to the left, faster every tick, then at rest off the screen.
    f32 before = hud->bannerX, step = 0.0f;
    for (int t = 0; t < 8; ++t) {
        Run(1);
        const f32 moved = before - hud->bannerX;
        EXPECT_GT(moved, step);
        step = moved;
        before = hud->bannerX;
    }
    Run(60);
    EXPECT_EQ(hud->bannerX, rest);

    playerProgress[0].lives = 4;
    HUDLifeFlash(0);
    EXPECT_EQ(hud->bannerTimer, 180);
    Run(1);
    EXPECT_EQ(hud->shownLives, 4);
    Run(100);
    EXPECT_NEAR(hud->bannerX, 12.0f, 0.01f);
    // Another player's flash, or one with no HUD, changes nothing here.
    HUDLifeFlash(3);
    HUDLifeFlash(1000);
    EXPECT_EQ(hud->bannerTimer, 79);
}

TEST_F(HudTest, ALifeBoughtWithBonesBringsTheBannerBack)
{
    // The real player on a flat floor, buying a life with full health.
    ASSERT_TRUE(datakit::WritePlayerData("."));
    datakit::CollisionWorld world(32, 16);
    world.Box(0, 192, world.Width(), world.Height());
    ASSERT_TRUE(datakit::WriteCollisionWorld("Data/Stages/World", world));
    currentLayoutSlot = LoadLayout("Data/Stages/World/layout1.bin");
    currentLayout = LayoutInSlot(currentLayoutSlot);
    ASSERT_NE(currentLayout, nullptr);
    stageCollisionLayer = datakit::collisionWorldLayer;
    PlayerLoad(nullptr);
    lastSpawnedInstance = nullptr;
    SpawnObject(&Player, 100.0f, 176.0f, 0, 0);
    player = (PlayerRecord*)lastSpawnedInstance;
    ASSERT_NE(player, nullptr);
    SpawnHud();
    Run(400);
    ASSERT_EQ(hud->bannerTimer, 0);

    player->health = 5;
    player->collected = 250.0f;
    UpdateObjects();
    EXPECT_EQ(playerProgress[0].lives, 4);
    EXPECT_EQ(hud->bannerTimer, 180 - 1); // set by the player, then counted by the HUD's own update
    EXPECT_EQ(hud->shownLives, 4);

    FreeObjectTypeRegistry();
    FreeLayoutSlotTables();
    currentLayout = nullptr;
    currentLayoutSlot = -1;
    stageCollisionLayer = 0;
}

TEST_F(HudTest, BoneBarShowsFourUnitsAHeartWithAGapAfterEachFour)
{
    SpawnStandInPlayer(5);
    SpawnHud();
    hud->barX = 100;
    hud->barY = 100;
    hud->header->flash = 255;
    const u32 gold = 0xFFCE40; // the bright column of a unit
    const i32 row = 100 + 4 + 3;
    struct Case {
        f32 collected;
        std::vector<i32> goldColumns; // relative to barX
    };
    const Case cases[] = {
        {0.0f, {}},
        {12.0f, {14}},                       // one unit
        {48.0f, {14, 16, 18, 20}},           // four, then the gap
        {60.0f, {14, 16, 18, 20, 26}},       // the fifth after 4 px
        {13.0f, {14, 16}},                   // a part of a unit shows a whole one
    };
    for (const Case& c : cases) {
        player->collected = c.collected;
        ClearScreen();
        HUDDraw(hud);
        std::vector<i32> found;
        for (i32 x = 100; x < 100 + 84; ++x)
            if (Pixel(x, row) == gold)
                found.push_back(x - 100);
        EXPECT_EQ(found, c.goldColumns) << "collected " << c.collected;
    }
    // The draw leaves the renderer's state at rest.
    EXPECT_EQ(drawFlags, 0u);
    EXPECT_EQ(blendMode, 0u);
    EXPECT_EQ(blendLevel, 255u);
    EXPECT_EQ(spriteScaleX, 512);
    EXPECT_EQ(spriteScaleY, 512);
}

TEST_F(HudTest, BarPulsesWithTheClockButNotWhilePaused)
{
    SpawnHud();
    demoSeed = 10; // (10 >> 1) & 15 = 5
    HUDDraw(hud);
    EXPECT_FLOAT_EQ(hud->header->scaleY, 1.364f);
    demoSeed = 0;
    HUDDraw(hud);
    EXPECT_FLOAT_EQ(hud->header->scaleY, 1.0f);
    demoSeed = 6;
    pauseMenuOpen = 1;
    HUDDraw(hud);
    EXPECT_FLOAT_EQ(hud->header->scaleY, 1.0f);
    pauseMenuOpen = 0;
    HUDDraw(hud);
    EXPECT_FLOAT_EQ(hud->header->scaleY, 1.182f);
}

TEST_F(HudTest, ABarPieceWithoutWidthDrawsNoPieces)
{
    SpawnHud();
    SpriteImage& piece = hudAnimSet.animations[HudBarAnim].frames[1].image;
    const u16 width = piece.width;
    piece.width = 0;
    hud->barX = 100;
    hud->barY = 100;
    ClearScreen();
    HUDDraw(hud); // no division by the width
    piece.width = width;
    // Nothing of the shaft between the caps.
    for (i32 x = 114; x < 170; ++x)
        EXPECT_EQ(Pixel(x, 106), 0u) << x;
}

} // namespace
