// The text signs with the data kit's sign, pages and fonts: the touch that freezes the player, the
// panel, typing and the presses that complete a page and end its wait, the wait itself, start past
// end, the pages of each grapple style, pages past the table, the test text's rate, and every line
// of the texts inside its box.
#include <string>
#include <vector>

#include "Engine/Common/Braktext.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/Sound.h"
#include "Engine/Platform/Config.h"
#include "Engine/Platform/Controls.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Player/Player.h"
#include "Game/World/Signs.h"
#include "tests/unit/PlayerWorld.h"
#include "tools/datakit/BraktextWriter.h"
#include "tools/datakit/CollisionKit.h"
#include "tools/datakit/FontWriter.h"
#include "tools/datakit/ItemArt.h"
#include "tools/datakit/PlayerArt.h"

namespace {

constexpr f32 groundY = 192.0f;

class SignsTest : public PlayerWorld {
protected:
    u8 savedStyle = 0;

    SignsTest() : PlayerWorld("palvic-signs-") {}

    void SetUp() override
    {
        PlayerWorld::SetUp();
        if (HasFatalFailure())
            return;
        savedStyle = grappleStyle;
        ASSERT_TRUE(datakit::WriteItemData("."));
        std::vector<datakit::PackFile> fonts;
        std::string error;
        ASSERT_TRUE(datakit::MakeEngineFonts(&fonts, &error)) << error;
        for (const datakit::PackFile& font : fonts)
            Write(font.path, font.bytes);
        for (u32& mode : controlModes)
            mode = ControlLive;
        LoadWorld(Flat(48, 16, (i32)groundY));
    }

    void TearDown() override
    {
        PlayerWorld::TearDown();
        tutorialAnimSet = AnimSet{};
        grappleStyle = savedStyle;
        for (u32& mode : controlModes)
            mode = ControlLive;
        for (PlayerControls& controls : liveControls)
            controls.heldMask = controls.pressedMask = 0;
    }

    // The sign type, then the player standing at x.
    void LoadTypes(f32 playerX = 100.0f)
    {
        PlayerLoad(nullptr);
        TutTxtLoad(nullptr);
        ASSERT_TRUE(tutorialAnimSet.loaded);
        SpawnPlayerAt(playerX, groundY - 13.0f);
        if (HasFatalFailure())
            return;
        Frame();
    }

    static TutTxtRecord* SpawnSign(f32 x, u8 start, u8 end)
    {
        lastSpawnedInstance = nullptr;
        SpawnObject(&TutTxt, x, groundY, 0, 0);
        TutTxtRecord* sign = (TutTxtRecord*)lastSpawnedInstance;
        if (sign) {
            sign->start = start;
            sign->end = end;
        }
        return sign;
    }

    // A frame; press sets player 1's live pressed mask for it.
    static void Frame(bool press = false)
    {
        liveControls[0].pressedMask = press ? 0x10u : 0u;
        UpdateObjects();
        UpdateCameras();
        DrawScene();
        liveControls[0].pressedMask = 0;
    }

    // Touches the sign and fades its panel in.
    void Open(TutTxtRecord* sign)
    {
        player->header->x = sign->header->x;
        Frame();
        ASSERT_EQ(sign->active, 1);
        for (int i = 0; i < 30 && sign->header->flash < 96; ++i)
            Frame();
        ASSERT_EQ(sign->header->flash, 96);
    }
};

TEST_F(SignsTest, TouchFreezesThePlayerAndAPressCompletesThenAnotherEnds)
{
    LoadTypes();
    TutTxtRecord* sign = SpawnSign(240.0f, 1, 1);
    ASSERT_NE(sign, nullptr);
    for (int i = 0; i < 5; ++i)
        Frame();
    EXPECT_EQ(sign->active, 0) << "out of reach";

    player->header->x = 240.0f;
    player->header->vx = 2.0f;
    player->header->groundSpeed = 2.0f;
    playerControls[0].heldMask = 0x8;
    Frame();
    ASSERT_EQ(sign->active, 1);
    EXPECT_EQ(sign->page, 1);
    EXPECT_EQ(controlModes[0], (u32)ControlUntouched);
    EXPECT_EQ(playerControls[0].heldMask, 0u);
    EXPECT_EQ(player->header->groundSpeed, 0.0f);
    EXPECT_GE(player->invulnerable, 2);
    EXPECT_EQ(sign->header->flash, 0) << "the panel fades in from the next update";

    // The panel fades in 4 a tick; then one character a tick.
    for (int i = 0; i < 24; ++i)
        Frame();
    EXPECT_EQ(sign->header->flash, 96);
    const TextBlock* text = TutorialPageText(1);
    ASSERT_NE(text, nullptr);
    ASSERT_GT(text->length, 10);
    Frame();
    Frame();
    EXPECT_EQ(sign->shown, 2);
    EXPECT_GE(player->invulnerable, 2) << "kept invulnerable while the sign reads";

    Frame(true);
    EXPECT_EQ(sign->shown, text->length) << "a press completes the page";
    EXPECT_EQ(sign->active, 1);
    Frame();
    Frame();
    EXPECT_EQ(sign->active, 1);
    Frame(true);
    EXPECT_EQ(sign->active, 0) << "a second press ends the wait, and the last page";
    EXPECT_EQ(sign->page, 0);
    EXPECT_EQ(controlModes[0], (u32)ControlLive);
    Frame();
    EXPECT_EQ(sign->active, 0) << "not caught again while still standing in it";
    EXPECT_EQ(sign->header->flash, 92) << "the panel fades out";
    player->header->x = 100.0f;
    Frame();
    player->header->x = 240.0f;
    Frame();
    EXPECT_EQ(sign->active, 1) << "walking in again reads it again";
}

TEST_F(SignsTest, CompletePageWaits481TicksThenTheNextStartsTenIn)
{
    LoadTypes();
    TutTxtRecord* sign = SpawnSign(240.0f, 0, 1);
    Open(sign);
    const TextBlock* first = TutorialPageText(0);
    ASSERT_NE(first, nullptr);
    int typing = 0;
    while (sign->shown < first->length && typing < 1000) {
        Frame();
        ++typing;
    }
    EXPECT_EQ(typing, first->length);
    for (int i = 0; i < 480; ++i)
        Frame();
    EXPECT_EQ(sign->page, 0);
    Frame();
    EXPECT_EQ(sign->page, 1);
    EXPECT_EQ(sign->shown, 10);
    EXPECT_EQ(sign->pageTimer, 0);
}

TEST_F(SignsTest, StartPastEndShowsTheStartPageOnly)
{
    LoadTypes();
    TutTxtRecord* sign = SpawnSign(240.0f, 3, 1);
    Open(sign);
    EXPECT_EQ(sign->page, 3);
    Frame(true);
    Frame(true);
    EXPECT_EQ(sign->active, 0);
    EXPECT_EQ(controlModes[0], (u32)ControlLive);
}

TEST_F(SignsTest, GrappleStyleChoosesTheZipAndSwingPages)
{
    LoadTypes();
    const TextBlock* texts = tutorialTexts;
    // Texts in file order: Bones, Slopes, Zip1-1, Zip1-2, Zip2, Swing1-1, Swing1-2, Hidden, Escape,
    // Downhill, Swing2, Zip3.
    const int style0[10] = {0, 1, 3, 4, 6, 7, 8, 9, 10, 11};
    const int style1[10] = {0, 1, 2, 4, 5, 7, 8, 9, 10, 11};
    for (u32 page = 0; page < 10; ++page) {
        grappleStyle = 0;
        EXPECT_EQ(TutorialPageText(page), &texts[style0[page]]) << "page " << page;
        grappleStyle = 1;
        EXPECT_EQ(TutorialPageText(page), &texts[style1[page]]) << "page " << page;
    }
    for (const TextBlock& text : tutorialTexts)
        EXPECT_GT(text.length, 20) << "every page is loaded";
    // The "-1" zip text says to tap, the "-2" one to hold.
    grappleStyle = 1;
    const std::u16string tap(TutorialPageText(2)->text, TutorialPageText(2)->text + 8);
    grappleStyle = 0;
    const std::u16string hold(TutorialPageText(2)->text, TutorialPageText(2)->text + 9);
    EXPECT_EQ(tap, u"ZIP\nTAP ");
    EXPECT_EQ(hold, u"ZIP\nHOLD ");
}

TEST_F(SignsTest, PagesPastTheTableAndShortPagesAreBounded)
{
    // A short second page: the next page must not start past its end.
    Write("Data/Text/English/Tutorial/Slopes.btx", datakit::MakeBraktext("Hi"));
    LoadTypes();
    ASSERT_LT(tutorialTexts[1].length, 10);
    grappleStyle = 1;
    EXPECT_EQ(TutorialPageText(9), &tutorialTexts[11]);
    EXPECT_EQ(TutorialPageText(10), nullptr);
    EXPECT_EQ(TutorialPageText(255), nullptr);

    TutTxtRecord* sign = SpawnSign(240.0f, 0, 1);
    Open(sign);
    Frame(true);
    Frame(true);
    ASSERT_EQ(sign->page, 1);
    EXPECT_EQ(sign->shown, tutorialTexts[1].length);

    // A hostile placement: pages past the table have no text, complete at once and still end.
    DespawnObject(sign->header);
    controlModes[0] = ControlLive;
    TutTxtRecord* far = SpawnSign(400.0f, 200, 201);
    Open(far);
    EXPECT_EQ(far->shown, 0);
    Frame(true);
    EXPECT_EQ(far->page, 201);
    Frame(true);
    EXPECT_EQ(far->active, 0);
    EXPECT_EQ(controlModes[0], (u32)ControlLive);
}

TEST_F(SignsTest, TestTextRevealsACharacterEverySixTicks)
{
    TestTextLoad(nullptr);
    ASSERT_TRUE(testTextBlock.loaded);
    ASSERT_GT(testTextBlock.length, 20);
    lastSpawnedInstance = nullptr;
    SpawnObject(&TestText, 40.0f, 40.0f, 0, 0);
    TestTextRecord* text = (TestTextRecord*)lastSpawnedInstance;
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->widthLimit, 150);
    EXPECT_EQ(text->interval, 6);
    EXPECT_EQ(text->text, &testTextBlock);
    demoSeed = 1;
    for (int i = 0; i < 60; ++i, ++demoSeed)
        Frame();
    EXPECT_EQ(text->shown, 10) << "demoSeed 6, 12, ... 60";
    for (int i = 0; i < 6 * 200; ++i, ++demoSeed)
        Frame();
    EXPECT_EQ(text->shown, testTextBlock.length);
    TestTextUnload();
    EXPECT_EQ(testTextBlock.loaded, 0);
    EXPECT_EQ(textFontUseCount, 0);
}

// The pages are written with their line breaks where the box needs them: with the data kit's text
// font no line is as wide as the box (the drawing would break it inside a word), and the lines of a
// page stand within the box's height. The test text keeps to its own width limit the same way.
TEST_F(SignsTest, EveryLineOfEveryPageFitsItsBox)
{
    LoadTypes();
    TestTextLoad(nullptr);
    ASSERT_TRUE(textFont.loaded);
    struct Box {
        const TextBlock* text;
        i32 width, height; // height 0: no limit
    };
    std::vector<Box> boxes;
    for (const TextBlock& page : tutorialTexts)
        boxes.push_back({&page, tutorialBoxWidth, tutorialBoxHeight});
    boxes.push_back({&testTextBlock, 150, 0});

    for (size_t b = 0; b < boxes.size(); ++b) {
        const TextBlock& block = *boxes[b].text;
        ASSERT_TRUE(block.loaded && block.length > 0) << "text " << b;
        f32 height = 0.0f;
        u32 start = 0;
        while (start < block.length) {
            u32 end = start;
            while (end < block.length && block.text[end] != '\n')
                ++end;
            const std::string line(block.text + start, block.text + end);
            const LineMetrics whole = MeasureTextLine(block.text + start, end - start, 100000);
            const LineMetrics boxed = MeasureTextLine(block.text + start, end - start, (u32)boxes[b].width);
            EXPECT_LT(whole.width, (f32)boxes[b].width) << "text " << b << ": \"" << line << "\"";
            EXPECT_EQ(boxed.consumed, end - start) << "text " << b << " breaks inside \"" << line << "\"";
            height += whole.height;
            start = end + 1;
        }
        if (boxes[b].height) {
            EXPECT_LE(height, (f32)boxes[b].height) << "text " << b << " runs below its box";
        }
    }
    TestTextUnload();
}

} // namespace
