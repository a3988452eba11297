// The title menu, driven tick by tick through the object update and the camera pass with a
// stand-in player: the cursor's moves and wraps on both pages, the main page's choices, "Back" only
// through its own action, rebinding with swaps and the defaults, and the camera intro that hands
// the game over to the player.
#include <vector>

#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/Input.h"
#include "Game/Display/Card.h"
#include "Game/Display/Fade.h"
#include "Game/Display/Hud.h"
#include "Game/Display/TitleMenu.h"
#include "Game/Player/Player.h"
#include "tests/unit/FreshStage.h"
#include "tools/datakit/DisplayArt.h"
#include "tools/datakit/HudArt.h"

namespace {

constexpr u32 up = 0x1, down = 0x2, left = 0x4, right = 0x8, jump = 0x10, back = 0x20, start = 0x100;
constexpr int keyBackspace = 14, keyA = 30, keyS = 31, padButtonA = 138, padStart = 145;

class TitleMenuTest : public FreshStage {
protected:
    TitleMenuTest() : FreshStage("palvic-title-menu-") {}

    TitleMenuRecord* menu = nullptr;
    PlayerControls savedControls[playerCount];
    std::vector<int> rawPressed;

    void SetUp() override
    {
        FreshStage::SetUp();
        for (int p = 0; p < playerCount; ++p)
            savedControls[p] = playerControls[p];
        SetDefaultBindings();
        ASSERT_TRUE(datakit::WriteFadeData("."));
        ASSERT_TRUE(datakit::WriteHudData("."));
        // The Bone Zone's order: the menu's type first.
        TitleMenuLoad(nullptr);
        HUDLoad(nullptr);
        CardLoad(nullptr);
        FadeLoad(nullptr);
        ASSERT_TRUE(TitleMenu.registered);
        EXPECT_FALSE(TitleMenu.runsWhilePaused);
        EXPECT_EQ(TitleMenu.updatePass, 6);
        EXPECT_EQ(TitleMenu.drawLayer, 8);

        // A stand-in player whose start position lies well below the title.
        ASSERT_NO_FATAL_FAILURE(SpawnStandInPlayer(300.0f, 700.0f));
        player->actor.spawnX = 300.0f;
        player->actor.spawnY = 700.0f;

        lastSpawnedInstance = nullptr;
        SpawnObject(&TitleMenu, 0.0f, 0.0f, 0, 0);
        menu = (TitleMenuRecord*)lastSpawnedInstance;
        ASSERT_NE(menu, nullptr);
    }

    void TearDown() override
    {
        ReleaseRaw();
        FreeObjectTypeRegistry();
        titleMenuAnimSet = AnimSet{};
        ResetCameras();
        for (Camera& camera : cameras)
            camera = Camera{};
        for (int p = 0; p < playerCount; ++p)
            playerControls[p] = savedControls[p];
        pauseMenuOpen = 0;
        pendingStage = nullptr;
        quitRequested = 0;
        FreshStage::TearDown();
    }

    void PressRaw(int slot)
    {
        buttonStates[PlanePressed * buttonSlotCount + slot] = 1;
        rawPressed.push_back(slot);
    }

    void ReleaseRaw()
    {
        for (int slot : rawPressed)
            buttonStates[PlanePressed * buttonSlotCount + slot] = 0;
        rawPressed.clear();
    }

    // One tick of the objects and the cameras, with player 1's pressed mask as the mapping left it.
    u32 Tick(u32 pressed = 0)
    {
        playerControls[0].pressedMask = pressed;
        UpdateObjects();
        UpdateCameras();
        ReleaseRaw();
        return playerControls[0].pressedMask;
    }

    void OpenConfigPage()
    {
        menu->cursor = 1;
        Tick(start);
        ASSERT_EQ(menu->page, 1);
        ASSERT_EQ(menu->cursor, 0);
    }
};

TEST_F(TitleMenuTest, TheCursorMovesAndWrapsOnBothPages)
{
    struct Case {
        i8 page, from;
        u32 pressed;
        i8 to;
    };
    const Case cases[] = {
        {0, 0, up, 2},     // "Start Demo" up to "Exit Game"
        {0, 2, down, 0},   // and back down
        {0, 1, up, 0},
        {0, 1, down, 2},
        {1, 8, right, 2},  // "Zip" + 6 = 14 wraps to "Left"
        {1, 0, left, 6},   // "Up" - 6 wraps to "Attack"
        {1, 0, up, 11},
        {1, 11, down, 0},
        {1, 5, down, 6},   // down the first column into the second
        {1, 3, right, 9},
    };
    for (const Case& c : cases) {
        menu->page = c.page;
        menu->cursor = c.from;
        Tick(c.pressed);
        EXPECT_EQ(menu->cursor, c.to) << "page " << (int)c.page << " from " << (int)c.from;
        EXPECT_EQ(menu->page, c.page);
        EXPECT_EQ(menu->rebindRow, -1);
    }
}

TEST_F(TitleMenuTest, TheMainPageChoices)
{
    // "Configure Input" dims the picture with a fade of its own and opens the page.
    OpenConfigPage();
    const FadeRecord* dim = fadeInstances[configFadeIndex];
    EXPECT_EQ(dim->header->alive, 1);
    EXPECT_EQ(dim->header->spawnA, FadeToLevel);
    EXPECT_EQ(dim->step, 4);
    EXPECT_EQ(dim->targetLevel, 128);
    EXPECT_EQ(dim->header->drawLayer, 4);
    EXPECT_EQ(menu->rebindRow, -1); // the Start that opened the page does not also start a rebinding

    // The camera pans to the page; "Back" there pans it home again.
    TitleMenuDraw(menu);
    for (int t = 0; t < 150; ++t)
        Tick();
    EXPECT_NEAR(cameras[0].x, 637.0f, 1.0f);
    Tick(back);
    EXPECT_EQ(menu->page, 0);
    TitleMenuDraw(menu);
    Tick();
    // While the camera still pans fast, a choice is refused.
    ASSERT_LE(menu->header->vx, -1.0f);
    menu->cursor = 2;
    Tick(start);
    EXPECT_EQ(quitRequested, 0);
    for (int t = 0; t < 150; ++t)
        Tick();

    // "Exit Game" ends the program.
    Tick(jump);
    EXPECT_EQ(quitRequested, 1);
    quitRequested = 0;

    // "Start Demo" starts the intro; from then on the page takes no input.
    menu->cursor = 0;
    Tick(start);
    EXPECT_EQ(menu->header->state, TitleMenuFalling);
    Tick(down);
    EXPECT_EQ(menu->cursor, 0);
}

TEST_F(TitleMenuTest, BackLeavesTheConfigurationPageOnlyThroughItsAction)
{
    struct Case {
        const char* what;
        bool backspace;
        u32 pressed;
        i16 rebindRow;
        f32 vx;
        i8 page;
    };
    const Case cases[] = {
        {"the Back action", false, back, -1, 0.0f, 0},
        {"Backspace", true, 0, -1, 0.0f, 1},
        {"Back with Start", false, back | start, -1, 0.0f, 1},
        {"Back while a row waits", false, back, 3, 0.0f, 1},
        {"Back while the camera pans in", false, back, -1, 2.0f, 1},
    };
    for (const Case& c : cases) {
        menu->page = 1;
        menu->cursor = 3;
        menu->rebindRow = c.rebindRow;
        menu->header->vx = c.vx;
        if (c.backspace)
            PressRaw(keyBackspace);
        const u32 after = Tick(c.pressed);
        EXPECT_EQ(menu->page, c.page) << c.what;
        if (c.page == 0) {
            EXPECT_EQ(menu->cursor, 0) << c.what;
            EXPECT_EQ(after & back, 0u) << c.what;
        }
        menu->rebindRow = -1;
    }
}

TEST_F(TitleMenuTest, RebindingSwapsWithTheSlotThatHeldTheCode)
{
    PlayerControls& controls = playerControls[0];
    ASSERT_EQ(controls.keyBinding[4], keyS);
    ASSERT_EQ(controls.keyBinding[6], keyA);
    menu->page = 1;

    // Keyboard: "Jump" takes A, and "Attack" gets S.
    menu->cursor = 4;
    Tick(start);
    ASSERT_EQ(menu->rebindRow, 4);
    PressRaw(keyA);
    const u32 after = Tick(jump | back);
    EXPECT_EQ(menu->rebindRow, -1);
    EXPECT_EQ(controls.keyBinding[4], keyA);
    EXPECT_EQ(controls.keyBinding[6], keyS);
    EXPECT_EQ(after & (jump | back), 0u);
    EXPECT_EQ(menu->page, 1);

    // Pad: Start is refused while pressed; "Up" takes Btn. A from "Jump".
    menu->cursor = 0;
    Tick(start);
    ASSERT_EQ(menu->rebindRow, 0);
    PressRaw(padStart);
    Tick();
    EXPECT_EQ(menu->padMode, 1);
    EXPECT_EQ(menu->rebindRow, 0);
    const u8 oldUp = controls.padBinding[0];
    PressRaw(padButtonA);
    Tick();
    EXPECT_EQ(menu->rebindRow, -1);
    EXPECT_EQ(controls.padBinding[0], padButtonA);
    EXPECT_EQ(controls.padBinding[4], oldUp);

    // "Set Defaults" puts every binding back.
    menu->cursor = titleMenuDefaultsRow;
    Tick(start);
    EXPECT_EQ(menu->rebindRow, -1);
    EXPECT_EQ(controls.keyBinding[4], keyS);
    EXPECT_EQ(controls.padBinding[0], 128);
}

TEST_F(TitleMenuTest, TheCameraIntroHandsTheGameOverToThePlayer)
{
    Tick();
    EXPECT_EQ(player->header->alive, 0); // held inactive while the menu shows
    EXPECT_EQ(cameras[0].follow, TitleMenuCamera);

    Tick(start);
    ASSERT_EQ(menu->header->state, TitleMenuFalling);
    ObjectHeader* header = menu->header;
    f32 lastY = cameras[0].y;
    bool fellPastTheScreen = false;
    int ticks = 0;
    while (header->alive && ticks < 600) {
        Tick();
        ++ticks;
        EXPECT_LE(header->vy, 16.0f);
        if (header->state == TitleMenuFalling) {
            EXPECT_GE(cameras[0].y, lastY);
        }
        fellPastTheScreen |= cameras[0].y > (f32)screenHeight;
        lastY = cameras[0].y;
    }
    ASSERT_FALSE(header->alive) << "the menu never let go";
    EXPECT_TRUE(fellPastTheScreen);
    EXPECT_EQ(Card.liveCount, 1u);
    EXPECT_EQ(HUD.liveCount, 1u);
    EXPECT_EQ(player->header->alive, 1);
    EXPECT_EQ(cameras[0].followed, player->header);
    EXPECT_EQ(cameras[0].follow, FollowPlayerCamera);
    // The player stands at its start, in the middle of the view.
    EXPECT_FLOAT_EQ(player->header->x, 300.0f);
    EXPECT_FLOAT_EQ(player->header->y, 700.0f);
    EXPECT_FLOAT_EQ(cameras[0].x, 300.0f - (f32)(screenWidth / 2) + 4.0f);
    EXPECT_FLOAT_EQ(cameras[0].y, 700.0f - (f32)(screenHeight / 2) + 16.0f);
}

} // namespace
