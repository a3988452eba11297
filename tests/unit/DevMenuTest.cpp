// The dev menu driven through the game thread's freeze by key slots: its pages, the stages listed
// by group, choosing one, restarting the stage, ending the game, and what it draws.
#include "Game/Actors/StageSettings.h"
#include "tests/unit/TextFixture.h"
#include "tools/datakit/FontWriter.h"

namespace {

enum : int { KeyBackspace = 0x0E, KeyEnter = 0x1C, KeyUp = 0x48, KeyDown = 0x50 };

class DevMenuTest : public TextFixture {
protected:
    StageGroup emptyGroup{};

    void SetUp() override
    {
        TextFixture::SetUp();
        std::vector<datakit::PackFile> files;
        std::string error;
        ASSERT_TRUE(datakit::MakeFontSet(datakit::DevFontSpec(), &files, &error)) << error;
        for (const datakit::PackFile& file : files)
            Write(file.path, file.bytes);
        LoadDevFont();
        ASSERT_TRUE(devFont.ready);
        RegisterStages();
        GoToStage(&wipStage);
        OpenMenu();
    }

    static void OpenMenu()
    {
        devMenuOpen = devMenuVisible = 1;
    }

    // Holds a key down for one tick, then lets it go for one.
    void Press(int slot) { TapKey(slot); }

    void Enter() { Press(KeyEnter); }

    void MoveTo(int row)
    {
        while (devMenuCursor < row)
            Press(KeyDown);
        while (devMenuCursor > row)
            Press(KeyUp);
    }

    // Pixels of the frame in colour 1 of a dev-font palette, within rows y0 .. y1 - 1.
    int TextPixels(u8 palette, int y0, int y1) const
    {
        const u32 colour = devFont.set.palettes[palette]->colours[1] & 0xFFFFFF;
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < screenWidth; ++x)
                count += (frameBuffer[rowOffsets[y] + x] & 0xFFFFFF) == colour;
        return count;
    }
};

TEST_F(DevMenuTest, TheCursorWrapsOnTheMainPage)
{
    Press(KeyUp);
    EXPECT_EQ(devMenuCursor, 5); // "Exit Game"
    Press(KeyDown);
    EXPECT_EQ(devMenuCursor, 0); // "Stages"
    Press(KeyDown);
    Press(KeyDown);
    EXPECT_EQ(devMenuCursor, 2);
    EXPECT_EQ(devMenuPage, 0);
}

TEST_F(DevMenuTest, AStageIsChosenByGroup)
{
    Enter();
    EXPECT_EQ(devMenuPage, 1);
    EXPECT_EQ(devMenuLastRow, stageGroupCount - 1);
    MoveTo(1); // "Main Stages"
    Enter();
    EXPECT_EQ(devMenuPage, 2);
    EXPECT_EQ(devMenuGroup, 1);
    EXPECT_EQ(devMenuCursor, 0);
    EXPECT_EQ(devMenuLastRow, 1); // Graveyard and Village 1
    MoveTo(1);

    headless::SetKey(KeyEnter, true);
    Tick();
    EXPECT_EQ(pendingStage, &village1Stage);
    EXPECT_EQ(devMenuOpen, 0);
    EXPECT_EQ(devMenuVisible, 0);
    EXPECT_EQ(devMenuPage, 0);
    EXPECT_EQ(devMenuCursor, 0);
    EXPECT_EQ(ButtonState(PlanePressed, KeyEnter), 0); // taken, so the new stage does not see it
    EXPECT_EQ(currentStage, &wipStage);
    headless::SetKey(KeyEnter, false);
    Tick(); // the freeze is over: the next tick switches
    EXPECT_EQ(currentStage, &village1Stage);
    EXPECT_EQ(pendingStage, nullptr);
}

TEST_F(DevMenuTest, EnterOnTheMainPageKeepsItsKey)
{
    headless::SetKey(KeyEnter, true);
    Tick();
    EXPECT_EQ(devMenuPage, 1);
    EXPECT_EQ(ButtonState(PlanePressed, KeyEnter), 1);
    headless::SetKey(KeyEnter, false);
}

TEST_F(DevMenuTest, BackspaceWalksBackToTheGroup)
{
    Enter();
    MoveTo(3);
    Enter();
    ASSERT_EQ(devMenuPage, 2);
    Press(KeyBackspace);
    EXPECT_EQ(devMenuPage, 1);
    EXPECT_EQ(devMenuCursor, 3); // on the group that was open
    Press(KeyBackspace);
    EXPECT_EQ(devMenuPage, 0);
    EXPECT_EQ(devMenuCursor, 0);
    Press(KeyBackspace); // nothing on the main page
    EXPECT_EQ(devMenuPage, 0);
    EXPECT_EQ(devMenuVisible, 1);
}

TEST_F(DevMenuTest, RestartGameRestartStageAndExitGame)
{
    MoveTo(3); // "Restart Game": nothing
    Enter();
    EXPECT_EQ(devMenuVisible, 1);
    EXPECT_EQ(devMenuPage, 0);
    EXPECT_EQ(pendingStage, nullptr);

    MoveTo(4); // "Restart Stage": the menu closes and the current stage is asked for again
    Press(KeyEnter);
    EXPECT_EQ(devMenuOpen, 0);
    EXPECT_EQ(devMenuVisible, 0);
    EXPECT_EQ(devMenuCursor, 0);
    EXPECT_EQ(currentStage, &wipStage);
    EXPECT_EQ(previousStage, &wipStage); // served on the release tick: the stage reloaded itself

    currentStage = nullptr; // with no current stage it only closes
    OpenMenu();
    MoveTo(4);
    headless::SetKey(KeyEnter, true);
    Tick();
    EXPECT_EQ(devMenuVisible, 0);
    EXPECT_EQ(pendingStage, nullptr);
    headless::SetKey(KeyEnter, false);
    Tick();

    GoToStage(&wipStage);
    OpenMenu();
    MoveTo(5); // "Exit Game": the program ends without the quit box
    headless::ClearShownBoxes();
    headless::SetKey(KeyEnter, true);
    Tick();
    EXPECT_FALSE(gameRunning);
    EXPECT_TRUE(headless::ShownBoxes().empty());
    headless::SetKey(KeyEnter, false);
}

TEST_F(DevMenuTest, ConfigurationPagesAreEmpty)
{
    struct Case {
        int row;
        u16 page;
    };
    for (const Case& c : {Case{1, 3}, Case{2, 4}}) {
        MoveTo(c.row);
        Enter();
        EXPECT_EQ(devMenuPage, c.page);
        EXPECT_EQ(devMenuCursor, 0);
        Press(KeyUp); // the main page's last row still bounds the cursor
        EXPECT_EQ(devMenuCursor, 5);
        Enter(); // nothing
        EXPECT_EQ(devMenuPage, c.page);
        Press(KeyBackspace);
        EXPECT_EQ(devMenuPage, 0);
        EXPECT_EQ(devMenuCursor, c.row); // back on the row that opened the page
    }
}

TEST_F(DevMenuTest, AGroupWithoutStagesOffersNothingToChoose)
{
    AddStageGroup(&emptyGroup, "Empty");
    Enter();
    Press(KeyUp); // the last group
    ASSERT_EQ(devMenuCursor, stageGroupCount - 1);
    Enter();
    ASSERT_EQ(devMenuPage, 2);
    EXPECT_EQ(devMenuLastRow, 255); // the byte wraps
    Press(KeyDown);
    Enter();
    EXPECT_EQ(devMenuVisible, 1);
    EXPECT_EQ(pendingStage, nullptr);
}

TEST_F(DevMenuTest, TheMenuIsDrawnOverTheFrozenFrame)
{
    for (u32 i = 0; i < frameBytes / 4; ++i)
        savedFrame[i] = 0x123456;
    Tick();
    EXPECT_EQ(frameBuffer[rowOffsets[230] + 400], 0x123456u); // the frozen picture around the text
    EXPECT_GT(TextPixels(1, 2, 10), 40);  // "Palvic Engine Dev Menu"
    EXPECT_GT(TextPixels(2, 20, 30), 10); // "Stages", under the cursor
    EXPECT_EQ(TextPixels(1, 20, 30), 0);
    EXPECT_GT(TextPixels(1, 40, 50), 40); // "Game Configuration"
    EXPECT_EQ(TextPixels(2, 40, 50), 0);
    EXPECT_GT(TextPixels(1, 120, 130), 10); // "Exit Game"

    // Page 1: the groups ten rows apart; the highlight is the cursor's before this tick's move.
    Enter();
    headless::SetKey(KeyDown, true);
    Tick();
    EXPECT_EQ(devMenuCursor, 1);
    EXPECT_GT(TextPixels(2, 20, 28), 10);
    EXPECT_EQ(TextPixels(2, 30, 38), 0);
    headless::SetKey(KeyDown, false);
    Tick();
    EXPECT_GT(TextPixels(2, 30, 38), 10);
    EXPECT_GT(TextPixels(1, 60, 68), 10); // the fifth group, "Debug"
    EXPECT_EQ(TextPixels(1, 74, 82), 0);

    // Only open, not visible: the freeze without the menu.
    devMenuVisible = 0;
    Tick();
    EXPECT_EQ(TextPixels(1, 0, screenHeight) + TextPixels(2, 0, screenHeight), 0);
}

TEST_F(DevMenuTest, EscapeClosesTheMenuFromAnyPage)
{
    Enter();
    MoveTo(2);
    TapKey(0x01);
    EXPECT_EQ(devMenuOpen, 0);
    EXPECT_EQ(devMenuVisible, 0);
    EXPECT_EQ(devMenuPage, 0);
    EXPECT_EQ(devMenuCursor, 0);
}

TEST_F(DevMenuTest, WithoutItsFontTheMenuWorksBlind)
{
    FreeDevFont();
    std::filesystem::remove("Data/PVDebug/DevFont.man");
    LoadDevFont();
    EXPECT_EQ(devFont.ready, 0);
    EXPECT_EQ(devFontNumbers.playing, 0);
    for (u32 i = 0; i < frameBytes / 4; ++i)
        savedFrame[i] = 0x123456;
    Enter();
    EXPECT_EQ(devMenuPage, 1);
    for (i32 y = 0; y < screenHeight; ++y)
        for (i32 x = 0; x < screenWidth; ++x)
            ASSERT_EQ(frameBuffer[rowOffsets[y] + x], 0x123456u) << x << ", " << y;
}

} // namespace
