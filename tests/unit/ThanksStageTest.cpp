// The "Thanks For Playing!" stage and its picture: how a star is drawn at its depth, the depth
// order, the leave press (also on the very tick of the switch), the stars' set chosen by a held
// Jump, and the layout of the breathing letters and the text box.
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Engine/Common/ObjectType.h"
#include "Engine/Platform/Controls.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Display/Fade.h"
#include "Game/Display/ThanksPicture.h"
#include "Game/Stages/ThanksStage.h"
#include "tests/unit/AssetFiles.h"
#include "tests/unit/DataSetGame.h"
#include "tools/datakit/DataSet.h"
#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/TgaWriter.h"

namespace {

constexpr int keyS = 31; // Jump by default

TEST(ThanksStars, ScaleAndBlendFollowTheDepth)
{
    struct Case {
        f32 z;
        i32 scale;
        u32 mode, level;
    };
    const Case cases[] = {
        {1.0f, 512, 0, 255}, // unit scale, opaque
        {0.5f, 1024, 2, 127}, // near: larger and see-through
        {0.8f, 640, 2, 204},
        {2.0f, 256, 0, 255}, // far: smaller, opaque
        {7.0f, 73, 0, 255},
    };
    for (const Case& c : cases) {
        const StarLook look = StarLookAt(c.z);
        EXPECT_EQ(look.scale, c.scale) << c.z;
        EXPECT_EQ(look.blendMode, c.mode) << c.z;
        EXPECT_EQ(look.blendLevel, c.level) << c.z;
    }
}

TEST(ThanksStars, DepthsSortNearestFirst)
{
    f32 depths[] = {2.0f, 0.6f, 1.5f, 0.6f, 7.0f};
    qsort(depths, 5, sizeof(f32), CompareThanksEntries);
    const f32 sorted[] = {0.6f, 0.6f, 1.5f, 2.0f, 7.0f};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(depths[i], sorted[i]);
    const f32 a = 1.0f, b = 1.0f;
    EXPECT_EQ(CompareThanksEntries(&a, &b), 0);
}

class ThanksStageTest : public DataSetGame {
protected:
    void TearDown() override
    {
        headless::SetKey(keyS, false);
        DataSetGame::TearDown();
    }

    void EnterThanks()
    {
        pendingStage = &thanksStage;
        Tick();
        ASSERT_EQ(currentStage, &thanksStage);
    }

    static u32 LiveFades(u8 mode)
    {
        u32 count = 0;
        for (u32 i = 0; Fade.registered && i < Fade.poolSize; ++i)
            count += Fade.pool[i]->alive && !Fade.pool[i]->free && Fade.pool[i]->spawnA == mode;
        return count;
    }

    static const FadeRecord* LeavingFade()
    {
        if (!Fade.registered || thanksFadeIndex >= Fade.poolSize || !Fade.pool[thanksFadeIndex]->alive)
            return nullptr;
        return fadeInstances[thanksFadeIndex];
    }

};

TEST_F(ThanksStageTest, StartsTheFieldThePictureAndTheFades)
{
    EnterThanks();
    ASSERT_TRUE(starSet.loaded);
    EXPECT_EQ(starPalette, 3);
    EXPECT_GE(starSet.paletteCount, 4);
    EXPECT_EQ(starPlayer.speed, 75);
    EXPECT_EQ(starPlayer.activeAnimIndex, 3);
    // Drawn and moved once already, in the tick that started the stage.
    for (const Star& star : stars) {
        EXPECT_GE(star.z, 0.6f - 0.0075f);
        EXPECT_LE(star.z, 2.0f);
        EXPECT_GE(star.x, -480.0f);
        EXPECT_LE(star.x, 456.0f);
    }
    EXPECT_EQ(ThanksScreen.liveCount, 1u);
    EXPECT_EQ(ThanksScreen.pool[0]->drawLayer, 14);
    EXPECT_EQ(LiveFades(FadeToLevel), 1u);

    // Every star moves nearer by the same step; one that gets too near is reborn deeper.
    const f32 before = stars[0].z;
    Tick();
    if (before - 0.0075f > 0.2f) {
        EXPECT_NEAR(stars[0].z, before - 0.0075f, 1e-6f);
    }
    for (int t = 0; t < 200; ++t)
        Tick();
    for (const Star& star : stars) {
        EXPECT_GT(star.z, 0.2f);
        EXPECT_LE(star.z, 7.0f);
    }
}

TEST_F(ThanksStageTest, HoldingJumpAsTheStageLoadsDrawsTheStarsFromTheBats)
{
    headless::SetKey(keyS, true);
    Tick(); // the mapping sees the key held
    EnterThanks();
    EXPECT_EQ(starPalette, 0);
    EXPECT_TRUE(starSet.loaded);
    // The bats' set has more animations than the title picture's.
    EXPECT_NE(starSet.animCount, 4);
    headless::SetKey(keyS, false);
    for (int t = 0; t < 30; ++t)
        Tick(); // frames are taken within the animation drawn
}

TEST_F(ThanksStageTest, ALeavePressFadesOutAndGoesOnToTheBoneZone)
{
    EnterThanks();
    for (int t = 0; t < 20; ++t)
        Tick();
    headless::SetKey(keyS, true);
    Tick();
    headless::SetKey(keyS, false);
    ASSERT_EQ(thanksLeaving, 1);
    ASSERT_NE(LeavingFade(), nullptr);
    EXPECT_EQ(LeavingFade()->header->spawnA, FadeOutHold);

    // 255 / 3 = 85 ticks to black after the press; the switch comes in the tick the fade reaches it.
    int ticks = 0;
    while (currentStage == &thanksStage && ticks < 200) {
        Tick();
        ++ticks;
    }
    EXPECT_EQ(currentStage, &boneZoneStage);
    EXPECT_EQ(ticks, 85);
}

TEST_F(ThanksStageTest, APressOnTheTickOfTheSwitchDoesNotDarkenTheBoneZone)
{
    EnterThanks();
    headless::SetKey(keyS, true);
    Tick();
    headless::SetKey(keyS, false);
    Tick();
    // Up to the tick before the fade turns black.
    while (LeavingFade() && LeavingFade()->level + 3 < 255)
        Tick();
    ASSERT_EQ(currentStage, &thanksStage);
    headless::SetKey(keyS, true);
    Tick();
    headless::SetKey(keyS, false);
    ASSERT_EQ(currentStage, &boneZoneStage);
    EXPECT_EQ(LiveFades(FadeOutHold), 0u);
}

// The letters' places, on a set of known widths: words "AB", "C" and "DE".
class ThanksLetters : public AssetFiles {
protected:
    void TearDown() override
    {
        FreeAnim(&thanksScreenAnimSet);
        thanksScreenAnimSet = AnimSet{};
        AssetFiles::TearDown();
    }
};

TEST_F(ThanksLetters, EachLetterStandsOnTheUnscaledWidthsBeforeIt)
{
    const std::vector<std::vector<int>> words = {{30, 20}, {15}, {40, 25}};
    datakit::TgaImage sheet;
    sheet.width = 130;
    sheet.height = 8;
    sheet.pixels.assign((size_t)sheet.width * sheet.height, 1);
    sheet.colours = {{0, 0, 0}, {255, 255, 255}};
    datakit::Manifest manifest;
    manifest.sheets = {{"Thanks.tga", true, 2}};
    manifest.boxes = {datakit::ManBox{}};
    int x = 0;
    for (const std::vector<int>& widths : words) {
        datakit::ManAnimation word;
        for (int width : widths) {
            datakit::ManFrame frame;
            frame.srcX = (u16)x;
            frame.width = (u8)width;
            frame.height = 8;
            frame.duration = 1;
            word.frames.push_back(frame);
            x += width;
        }
        manifest.animations.push_back(word);
    }
    Write("Data/Sprites/Display/Thanks/Thanks.tga", datakit::MakeTga(sheet));
    Write("Data/Sprites/Display/Thanks/Thanks.man", datakit::MakeManifest(manifest));
    LoadAnim("Data/Sprites/Display/Thanks/Thanks.man", &thanksScreenAnimSet);
    ASSERT_TRUE(thanksScreenAnimSet.loaded);

    // width - 10 on from each letter; 10 more after every word, also one of a single letter.
    const i32 expected[] = {35, 55, 75, 90, 120};
    for (u32 k = 0; k < 5; ++k)
        EXPECT_EQ(ThanksLetterX(&thanksScreenAnimSet, k), expected[k]) << k;
    EXPECT_EQ(ThanksLetterX(&thanksScreenAnimSet, 5), -1);

    // The wave: 1.0 at phase 0, between 0.8 and 1.2, each letter 4 ticks ahead of the one before.
    EXPECT_FLOAT_EQ(ThanksLetterScale(0, 0), 1.0f);
    EXPECT_FLOAT_EQ(ThanksLetterScale(4, 0), ThanksLetterScale(0, 1));
    for (u32 seed = 0; seed < 64; ++seed) {
        EXPECT_GE(ThanksLetterScale(seed, 2), 0.8f - 1e-6f);
        EXPECT_LE(ThanksLetterScale(seed, 2), 1.2f + 1e-6f);
    }

    // The text box at the 424-pixel screen: 353 wide from x = 35.5.
    EXPECT_EQ(ThanksTextBoxWidth(424), 353);
    EXPECT_FLOAT_EQ(ThanksTextBoxLeft(424), 35.5f);
    EXPECT_EQ(ThanksTextBoxWidth(320), 266);
}

} // namespace
