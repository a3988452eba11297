// The Fade: its modes tick by tick (levels, the end of a fade-in, the stage and quit requests of
// the fades out), and its drawing over the whole screen of every video mode with the music fade it
// asks for.
#include <vector>

#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Display/Fade.h"
#include "tests/unit/HeadlessGame.h"
#include "tests/unit/TestFolder.h"
#include "tools/datakit/DisplayArt.h"

extern u8 forceFree;

namespace {

class FadeTest : public HeadlessGame, protected TestFolder {
protected:
    Stage here{}, there{};

    void SetUp() override
    {
        HeadlessGame::SetUp();
        EnterTestFolder("palvic-fade-");
        FreeObjectTypeRegistry();
        forceFree = 0;
        scrollX = scrollY = 0;
        ASSERT_TRUE(datakit::WriteFadeData("."));
        FadeLoad(nullptr);
        ASSERT_TRUE(Fade.registered);
        currentStage = &here;
    }

    void TearDown() override
    {
        FreeObjectTypeRegistry();
        scrollX = scrollY = 0;
        LeaveTestFolder();
        HeadlessGame::TearDown();
    }

    static FadeRecord* SpawnFade(u8 mode, u8 step)
    {
        lastSpawnedInstance = nullptr;
        SpawnObject(&Fade, 0.0f, 0.0f, mode, step);
        EXPECT_NE(lastSpawnedInstance, nullptr);
        return (FadeRecord*)lastSpawnedInstance;
    }

    static void Run(FadeRecord* fade, int ticks)
    {
        for (int t = 0; t < ticks; ++t)
            FadeUpdate(fade);
    }

    static u32 Pixel(i32 x, i32 y) { return frameBuffer[rowOffsets[y] + x] & 0xFFFFFF; }

    static void FillScreen(u32 colour)
    {
        for (i32 y = 0; y < screenHeight; ++y)
            for (i32 x = 0; x < screenWidth; ++x)
                frameBuffer[rowOffsets[y] + x] = colour;
    }
};

TEST_F(FadeTest, LoadWritesTheTypeSettings)
{
    EXPECT_EQ(Fade.updatePass, 6);
    EXPECT_EQ(Fade.drawLayer, 15);
    EXPECT_EQ(Fade.growthStep, 32u);
    EXPECT_TRUE(Fade.runsWhilePaused);
    EXPECT_LT(Fade.cullMarginX, 0);
    EXPECT_LT(Fade.cullMarginY, 0);
    EXPECT_EQ(Fade.name, nullptr);
    // It runs while paused, so the pause menu can start one.
    pauseMenuOpen = 1;
    FadeRecord* fade = SpawnFade(FadeOutHold, 4);
    ASSERT_NE(fade, nullptr);
    EXPECT_EQ(fade->anim.animation, fade->anim.set ? &fade->anim.set->animations[0] : nullptr);
    EXPECT_EQ(fade->anim.frameIndex, 0);
}

TEST_F(FadeTest, LevelsTickByTick)
{
    struct Case {
        u8 mode, spawnB;
        i16 targetLevel;
        u8 dimDown;
        i16 startLevel; // -1: as Init leaves it
        int ticks;
        i16 before, after; // level after ticks - 1 and after ticks
        int extra;         // further ticks that must not change it
        bool removed;      // the fade has removed itself by the last tick
    };
    const Case cases[] = {
        {FadeIn, 0, 0, 0, -1, 16, 16, 0, 0, true},          // spawn byte B 0: step 16
        {FadeIn, 100, 0, 0, -1, 3, 56, 0, 0, true},         // a step past 0 lands on 0
        {FadeOutHold, 0, 0, 0, -1, 16, 240, 255, 20, false}, // 256 is held at 255
        {FadeToLevel, 4, 128, 0, -1, 32, 124, 128, 20, false},
        {FadeToLevel, 30, 100, 1, 200, 4, 110, 100, 5, false}, // dimming down to the level
        {FadeToLevel, 30, 100, 1, 50, 1, 50, 50, 5, false},    // already below: stays
        {6, 4, 0, 0, -1, 1, 0, 0, 10, false},                  // no such mode: nothing moves
    };
    for (const Case& c : cases) {
        FadeRecord* fade = SpawnFade(c.mode, c.spawnB);
        ASSERT_NE(fade, nullptr);
        EXPECT_EQ(fade->step, c.spawnB ? c.spawnB : 16);
        EXPECT_EQ(fade->level, c.mode == FadeIn ? 256 : 0);
        EXPECT_EQ(fade->dimDown, 0);
        fade->targetLevel = c.targetLevel;
        fade->dimDown = c.dimDown;
        if (c.startLevel >= 0)
            fade->level = c.startLevel;
        Run(fade, c.ticks - 1);
        EXPECT_EQ(fade->level, c.before) << "mode " << (int)c.mode << " step " << (int)c.spawnB;
        EXPECT_TRUE(fade->header->alive);
        Run(fade, 1);
        EXPECT_EQ(fade->level, c.after) << "mode " << (int)c.mode << " step " << (int)c.spawnB;
        if (!c.removed)
            Run(fade, c.extra);
        EXPECT_EQ(fade->level, c.after) << "mode " << (int)c.mode;
        EXPECT_EQ(fade->header->alive, c.removed ? 0 : 1) << "mode " << (int)c.mode;
        if (!c.removed)
            DespawnObject(fade->header);
    }
    EXPECT_EQ(pendingStage, nullptr);
    EXPECT_EQ(quitRequested, 0);
}

TEST_F(FadeTest, FadesOutThenRequestOnTheTickTheyTurnBlack)
{
    struct Case {
        u8 mode, step;
        int ticks; // to black
    };
    const Case cases[] = {
        {FadeOutRestart, 16, 16},
        {FadeOutToStage, 2, 128},
        {FadeOutQuit, 4, 64},
    };
    for (const Case& c : cases) {
        pendingStage = nullptr;
        quitRequested = 0;
        pauseMenuOpen = 1;
        FadeRecord* fade = SpawnFade(c.mode, c.step);
        ASSERT_NE(fade, nullptr);
        fade->targetStage = &there;
        Run(fade, c.ticks - 1);
        EXPECT_LT(fade->level, 255) << (int)c.mode;
        EXPECT_EQ(pendingStage, nullptr) << (int)c.mode;
        EXPECT_EQ(quitRequested, 0) << (int)c.mode;
        EXPECT_EQ(pauseMenuOpen, 1) << (int)c.mode;
        Run(fade, 1);
        EXPECT_EQ(fade->level, 255) << (int)c.mode;
        switch (c.mode) {
        case FadeOutRestart:
            EXPECT_EQ(pendingStage, &here);
            EXPECT_EQ(pauseMenuOpen, 0);
            break;
        case FadeOutToStage:
            EXPECT_EQ(pendingStage, &there);
            EXPECT_EQ(pauseMenuOpen, 0);
            break;
        default:
            EXPECT_EQ(quitRequested, 1);
            EXPECT_EQ(pendingStage, nullptr);
            break;
        }
        // Repeated every tick while black, until the stage changes.
        pendingStage = nullptr;
        quitRequested = 0;
        Run(fade, 1);
        EXPECT_EQ(fade->level, 255);
        EXPECT_TRUE(pendingStage != nullptr || quitRequested) << (int)c.mode;
        DespawnObject(fade->header);
    }
}

TEST_F(FadeTest, AReusedSlotForgetsTheLastTarget)
{
    FadeRecord* first = SpawnFade(FadeOutToStage, 255);
    ASSERT_NE(first, nullptr);
    first->targetStage = &there;
    DespawnObject(first->header);
    FadeRecord* second = SpawnFade(FadeOutToStage, 255);
    ASSERT_EQ(second, first);
    Run(second, 1);
    EXPECT_EQ(pendingStage, nullptr);
}

TEST_F(FadeTest, DrawCoversTheScreenAtItsLevel)
{
    scrollX = 1000; // a screen-space picture: drawn at the camera, whatever it is
    scrollY = -37;
    struct Case {
        u8 mode;
        i16 level;
        int low, high; // every channel of the white screen after the draw
    };
    const Case cases[] = {
        {FadeIn, 256, 0, 0},        // a fade-in's first frame is fully black
        {FadeOutHold, 255, 0, 0},
        {FadeToLevel, 128, 0x70, 0x8F}, // half dark
        {FadeToLevel, 0, 0xFE, 0xFF},   // clear (the mix tables keep 255/256 of the frame)
        {FadeOutHold, -5, 0xFE, 0xFF},  // below 0 counts as 0
    };
    const i32 points[][2] = {{0, 0}, {423, 0}, {0, 239}, {423, 239}, {212, 120}, {300, 17}};
    for (const Case& c : cases) {
        FadeRecord* fade = SpawnFade(c.mode, 4);
        ASSERT_NE(fade, nullptr);
        fade->level = c.level;
        FillScreen(0xFFFFFF);
        FadeDraw(fade);
        EXPECT_EQ(fade->header->flash, c.level < 0 ? 0 : (c.level > 255 ? 255 : c.level));
        for (const auto& p : points) {
            const u32 pixel = Pixel(p[0], p[1]);
            for (int shift : {0, 8, 16}) {
                const int channel = (int)((pixel >> shift) & 0xFF);
                EXPECT_GE(channel, c.low) << "level " << c.level << " at " << p[0] << "," << p[1];
                EXPECT_LE(channel, c.high) << "level " << c.level << " at " << p[0] << "," << p[1];
            }
        }
        // The draw state is back at rest.
        EXPECT_EQ(drawFlags, 0u);
        EXPECT_EQ(blendMode, 0u);
        EXPECT_EQ(blendLevel, 255u);
        EXPECT_EQ(spriteScaleX, 512);
        EXPECT_EQ(spriteScaleY, 512);
        EXPECT_EQ(spriteAngle, 0);
        DespawnObject(fade->header);
    }
}

TEST_F(FadeTest, AFullFadeBlackensTheWholeScreenInEveryMode)
{
    for (u8 mode : {20, 25, 24}) {
        SetVideoMode(mode);
        const i32 W = screenWidth, H = screenHeight;
        FadeRecord* fade = SpawnFade(FadeOutHold, 4);
        ASSERT_NE(fade, nullptr);
        fade->level = 255;
        FillScreen(0xFFFFFF);
        FadeDraw(fade);
        const i32 points[][2] = {{0, 0}, {W - 1, 0}, {0, H - 1}, {W - 1, H - 1}, {W / 2, H / 2}};
        for (const auto& p : points)
            EXPECT_EQ(Pixel(p[0], p[1]), 0u) << "mode " << (int)mode << " at " << p[0] << "," << p[1];
        DespawnObject(fade->header);
    }
    SetVideoMode(25);
}

TEST_F(FadeTest, FadesThatEndAStageTakeTheMusicDown)
{
    for (u8 mode : {FadeIn, FadeOutHold, FadeToLevel, FadeOutRestart, FadeOutToStage, FadeOutQuit}) {
        musicVolumeTarget = 1.0f;
        musicFadeStep = 0.0f;
        FadeRecord* fade = SpawnFade(mode, 2);
        ASSERT_NE(fade, nullptr);
        FadeDraw(fade);
        if (mode >= FadeOutRestart) {
            EXPECT_EQ(musicVolumeTarget, 0.0f) << (int)mode;
            EXPECT_FLOAT_EQ(musicFadeStep, 2.0f / 256.0f) << (int)mode;
        } else {
            EXPECT_EQ(musicVolumeTarget, 1.0f) << (int)mode;
            EXPECT_EQ(musicFadeStep, 0.0f) << (int)mode;
        }
        DespawnObject(fade->header);
    }
}

} // namespace
