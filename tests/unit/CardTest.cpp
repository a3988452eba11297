// The title card: its words from the spawn bytes, the staggered flight of the letters, the script
// of 200 ticks, the layout in every screen size, and words that do not fit the record or have no
// letters at all.
#include <cmath>
#include <string>
#include <vector>

#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Render/DrawState.h"
#include "Game/Display/Card.h"
#include "tests/unit/FreshStage.h"
#include "tools/datakit/HudArt.h"
#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/TgaWriter.h"

namespace {

class CardTest : public FreshStage {
protected:
    CardTest() : FreshStage("palvic-card-") {}

    void SetUp() override
    {
        FreshStage::SetUp();
        scrollX = scrollY = 0;
    }

    void TearDown() override
    {
        FreeObjectTypeRegistry();
        cardAnimSet = AnimSet{};
        scrollX = scrollY = 0;
        FreshStage::TearDown();
    }

    void LoadKitCard()
    {
        ASSERT_TRUE(datakit::WriteHudData("."));
        CardLoad(nullptr);
        ASSERT_TRUE(Card.registered);
        ASSERT_TRUE(cardAnimSet.loaded);
    }

    // A card set of our own: the bars, then words of the given letter counts, letters 6 x 10.
    void LoadCardWithWords(const std::vector<int>& letters)
    {
        datakit::TgaImage sheet;
        sheet.width = 16;
        sheet.height = 16;
        sheet.colours = {{0, 0, 0}, {255, 255, 255}};
        sheet.pixels.assign(16 * 16, 1);
        datakit::Manifest manifest;
        manifest.sheets = {{"Card.tga", true, 2}};
        manifest.boxes = {datakit::ManBox{}};
        auto frame = [](u8 w, u8 h) {
            datakit::ManFrame f;
            f.width = w;
            f.height = h;
            f.duration = 1;
            return f;
        };
        datakit::ManAnimation bars;
        bars.frames = {frame(16, 4), frame(8, 2)};
        manifest.animations.push_back(bars);
        for (int count : letters) {
            datakit::ManAnimation word;
            for (int k = 0; k < count; ++k)
                word.frames.push_back(frame(6, 10));
            manifest.animations.push_back(word);
        }
        TestFolder::Write("Data/Sprites/Display/Card/Card.tga", datakit::MakeTga(sheet));
        TestFolder::Write("Data/Sprites/Display/Card/Card.man", datakit::MakeManifest(manifest));
        CardLoad(nullptr);
        ASSERT_TRUE(cardAnimSet.loaded);
    }

    static CardRecord* SpawnCard(u8 a, u8 b)
    {
        lastSpawnedInstance = nullptr;
        SpawnObject(&Card, 0.0f, 0.0f, a, b);
        EXPECT_NE(lastSpawnedInstance, nullptr);
        return (CardRecord*)lastSpawnedInstance;
    }

    static void Run(CardRecord* card, int ticks)
    {
        for (int t = 0; t < ticks; ++t)
            CardUpdate(card);
    }
};

TEST_F(CardTest, SpawnBytesPickTheWords)
{
    LoadKitCard();
    struct Case {
        u8 a, b;
        int first, second; // animations
    };
    const Case cases[] = {{2, 3, 3, 4}, {4, 5, 5, 6}, {4, 6, 5, 7}, {0, 1, 1, 2}, {0, 0, 1, 1},
                          {200, 3, 7, 4},  // past the last animation: the last
                          {2, 255, 3, 0}}; // B is signed: -1 + 1 is the bars' animation
    for (const Case& c : cases) {
        CardRecord* card = SpawnCard(c.a, c.b);
        ASSERT_NE(card, nullptr);
        EXPECT_EQ(card->firstAnim.animation, &cardAnimSet.animations[c.first]) << (int)c.a << "," << (int)c.b;
        EXPECT_EQ(card->secondAnim.animation, &cardAnimSet.animations[c.second]) << (int)c.a << "," << (int)c.b;
        EXPECT_EQ(card->firstCount, cardAnimSet.animations[c.first].frameCount);
        EXPECT_EQ(card->secondCount, cardAnimSet.animations[c.second].frameCount);
        EXPECT_EQ(card->timer, 0);
        DespawnObject(card->header);
    }
    // The data kit's words are spelled a letter a frame.
    EXPECT_EQ(cardAnimSet.animations[3].frameCount, std::string(datakit::cardWords[3]).size());
}

TEST_F(CardTest, FirstWordStartsStaggeredOffTheRightAndArrivesInOrder)
{
    LoadKitCard();
    CardRecord* card = SpawnCard(2, 3);
    ASSERT_NE(card, nullptr);
    const Animation& word = cardAnimSet.animations[3];
    const f32 W = (f32)screenWidth, H = (f32)screenHeight;
    f32 a = 0.0f;
    for (u32 k = 0; k < card->firstCount; ++k) {
        const CardSprite& letter = card->firstWord[k];
        EXPECT_EQ(letter.x, (f32)k * a + W) << k;
        EXPECT_EQ(letter.y, H / 2);
        EXPECT_EQ(letter.targetX, W / 2 - 80 + a) << k;
        EXPECT_EQ(letter.targetY, H / 2 + 8);
        EXPECT_EQ(letter.alpha, 128.0f);
        a += (f32)word.frames[k].image.width + 4.0f;
    }
    // Second word: in place across, stacked below the screen.
    const f32 rowHeight = cardAnimSet.animations[4].frames[0].image.height;
    for (u32 k = 0; k < card->secondCount; ++k) {
        EXPECT_EQ(card->secondWord[k].y, H + 24 + (f32)k * rowHeight) << k;
        EXPECT_EQ(card->secondWord[k].x, card->secondWord[k].targetX) << k;
    }

    // Nothing moves before tick 13; then each letter arrives (within a pixel) no sooner than the
    // one before it.
    Run(card, 13);
    EXPECT_EQ(card->firstWord[0].x, W);
    EXPECT_EQ(card->firstWord[0].alpha, 128.0f);
    std::vector<int> arrival(card->firstCount, -1);
    for (int t = 13; t < 160; ++t) {
        CardUpdate(card);
        for (u32 k = 0; k < card->firstCount; ++k)
            if (arrival[k] < 0 && std::fabs(card->firstWord[k].x - card->firstWord[k].targetX) < 1.0f)
                arrival[k] = t;
    }
    for (u32 k = 0; k < card->firstCount; ++k) {
        ASSERT_GE(arrival[k], 0) << k;
        if (k > 0) {
            EXPECT_GE(arrival[k], arrival[k - 1]) << k;
        }
        EXPECT_EQ(card->firstWord[k].alpha, 255.0f);
    }
    EXPECT_GT(arrival.back(), arrival.front());
}

TEST_F(CardTest, ScriptOfTwoHundredTicks)
{
    LoadKitCard();
    CardRecord* card = SpawnCard(2, 3);
    ASSERT_NE(card, nullptr);
    const f32 H = (f32)screenHeight;

    // Second word: still below the screen through tick 40, rising from tick 41.
    Run(card, 42);
    EXPECT_EQ(card->secondWord[0].y, H + 24);
    EXPECT_EQ(card->secondWord[0].alpha, 136.0f);
    Run(card, 1);
    EXPECT_LT(card->secondWord[0].y, H + 24);

    // Bars in, at their widths: bar 0 twice as tall, bar 1 3.4 times as wide once settled.
    Run(card, 160 - 43);
    EXPECT_NEAR(card->bars[0].x, (f32)(screenWidth / 2 - 88), 0.5f);
    EXPECT_NEAR(card->bars[0].scaleY, 2.0f, 0.05f);
    EXPECT_NEAR(card->bars[1].y, H / 2 + 24, 0.5f);
    EXPECT_NEAR(card->bars[1].scaleX, 3.4f, 0.05f);
    const f32 held = card->firstWord[0].x;

    // From tick 160 the bars shrink and leave.
    Run(card, 1);
    EXPECT_EQ(card->bars[0].targetX, -32.0f);
    EXPECT_EQ(card->bars[1].targetY, H + 32);
    EXPECT_NEAR(card->bars[0].scaleY, 1.8f, 0.05f);

    // From tick 169 the second word drops, from 173 the first word leaves to the left.
    Run(card, 9);
    EXPECT_EQ(card->secondWord[0].targetY, card->secondWord[0].homeY + 32);
    EXPECT_EQ(card->firstWord[0].targetY, H / 2 + 8);
    Run(card, 4);
    const u32 last = card->firstCount - 1u;
    EXPECT_EQ(card->firstWord[0].targetX, 256.0f - card->firstWord[last].homeX + 104.0f);
    EXPECT_EQ(card->firstWord[0].x, held);
    Run(card, 2);
    EXPECT_LT(card->firstWord[0].x, held);

    // Alive through its 200th tick, gone on the 201st.
    Run(card, 200 - card->timer);
    ASSERT_EQ(card->timer, 200);
    EXPECT_TRUE(card->header->alive);
    Run(card, 1);
    EXPECT_FALSE(card->header->alive);
}

TEST_F(CardTest, LaidOutOnTheScreenSizeOfEveryMode)
{
    struct Case {
        u8 mode;
        i32 width, height;
    };
    const Case cases[] = {{20, 320, 240}, {24, 640, 480}, {25, 424, 240}};
    LoadKitCard();
    for (const Case& c : cases) {
        SetVideoMode(c.mode);
        ASSERT_EQ(screenWidth, c.width);
        CardRecord* card = SpawnCard(4, 5);
        ASSERT_NE(card, nullptr);
        EXPECT_EQ(card->bars[0].x, (f32)(c.width + 4));
        EXPECT_EQ(card->bars[0].targetX, (f32)(c.width / 2 - 88));
        EXPECT_EQ(card->bars[0].y, (f32)(c.height / 2));
        EXPECT_EQ(card->bars[1].x, (f32)(c.width / 2 - 6));
        EXPECT_EQ(card->bars[1].targetY, (f32)(c.height / 2 + 24));
        EXPECT_EQ(card->firstWord[0].targetX, (f32)(c.width / 2 - 80));
        EXPECT_EQ(card->secondWord[0].targetY, (f32)(c.height / 2 + 38));
        // Drawn at every step of its script without leaving the draw state changed.
        for (int t = 0; t < 200; t += 20) {
            Run(card, 20);
            CardDraw(card);
            EXPECT_EQ(drawFlags, 0u);
            EXPECT_EQ(blendMode, 0u);
            EXPECT_EQ(spriteScaleX, 512);
        }
        DespawnObject(card->header);
    }
    SetVideoMode(25);
}

TEST_F(CardTest, LongWordsAreCutAtThirtyTwoLettersAndEmptyWordsShowNone)
{
    LoadCardWithWords({40, 0, 32});
    CardRecord* card = SpawnCard(0, 1); // a word of 40 letters over one of none
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->firstCount, 32);
    EXPECT_EQ(card->secondCount, 0);
    // The second word's record is left alone by the first word's layout.
    for (const CardSprite& letter : card->secondWord)
        EXPECT_EQ(letter.alpha, 0.0f);
    EXPECT_EQ(card->firstWord[31].targetX, (f32)(screenWidth / 2 - 80 + 31 * 10));

    CardRecord* full = SpawnCard(2, 2); // exactly 32 fit
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(full->firstCount, 32);
    EXPECT_EQ(full->secondCount, 32);

    // The card without letters still runs its whole script.
    Run(card, 200);
    EXPECT_TRUE(card->header->alive);
    CardDraw(card);
    Run(card, 1);
    EXPECT_FALSE(card->header->alive);
}

TEST_F(CardTest, WithoutItsSetTheCardRunsEmpty)
{
    CardLoad(nullptr); // no Card.man in this folder
    ASSERT_FALSE(cardAnimSet.loaded);
    CardRecord* card = SpawnCard(2, 3);
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->firstCount, 0);
    EXPECT_EQ(card->secondCount, 0);
    CardDraw(card);
    Run(card, 201);
    EXPECT_FALSE(card->header->alive);
}

} // namespace
