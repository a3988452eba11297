// The pause menu and the title main menu, driven tick by tick through the object update with a
// stand-in player: opening on Start and its guards, the glide of the lines, the cursor's moves and
// wrap, every item up to the stage request or the end it leads to, and the pad and key shortcuts.
#include <vector>

#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Config.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/Input.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Display/Fade.h"
#include "Game/Display/InputConfigMenu.h"
#include "Game/Display/PauseMenu.h"
#include "Game/Player/Player.h"
#include "tests/unit/FreshStage.h"
#include "tools/datakit/DisplayArt.h"
#include "tools/datakit/HudArt.h"

namespace {

// The input-configuration menu's type with handlers that do nothing: the pause menu's side alone.
void RegisterIdleControlsMenu()
{
    InputConfigMenu.runsWhilePaused = 1;
    InputConfigMenu.cullMarginX = InputConfigMenu.cullMarginY = -1;
    RegisterObjectType(nullptr, &InputConfigMenu, (void***)&inputConfigMenuInstances, sizeof(InputConfigMenuRecord),
                       ObjectNoOp, ObjectNoOp, ObjectNoOp, ObjectNoOp, ObjectNoOp, ObjectNoOp, ObjectNoOp, nullptr,
                       nullptr, NoUnload);
}

class PauseMenuTest : public FreshStage {
protected:
    PauseMenuTest() : FreshStage("palvic-pause-") {}

    PauseMenuRecord* menu = nullptr;

    void SetUp() override
    {
        FreshStage::SetUp();
        bossDefeated = 0;
        ClearControls();
        ASSERT_TRUE(datakit::WriteFadeData("."));
        ASSERT_TRUE(datakit::WriteHudData("."));
        // In the stages' order: the menu's type before the Fade's.
        PauseMenuLoad(nullptr);
        FadeLoad(nullptr);
        ASSERT_TRUE(PauseMenu.registered);
        EXPECT_TRUE(PauseMenu.runsWhilePaused);
        EXPECT_EQ(PauseMenu.updatePass, 6);
        EXPECT_EQ(PauseMenu.drawLayer, 15);

        // A stand-in player, alive and followed by camera 0.
        ASSERT_NO_FATAL_FAILURE(SpawnStandInPlayer(100.0f, 100.0f));
        player->player = 0;
        player->state = PlayerStateNormal;
        cameras[0].followed = player->header;
        for (PlayerProgress& progress : playerProgress)
            progress = PlayerProgress{2, 500, 255, 0.0f, 0.0f};
    }

    void TearDown() override
    {
        FreeObjectTypeRegistry();
        pauseMenuAnimSet = AnimSet{};
        ResetCameras();
        for (Camera& camera : cameras)
            camera = Camera{};
        ClearControls();
        for (PlayerProgress& progress : playerProgress)
            progress = PlayerProgress{3, 0, 255, 0.0f, 0.0f};
        pauseMenuOpen = 0;
        pendingStage = nullptr;
        quitRequested = 0;
        bossDefeated = 0;
        FreshStage::TearDown();
    }

    static void ClearControls()
    {
        for (PlayerControls& controls : playerControls)
            controls.heldMask = controls.pressedMask = 0;
        if (buttonStates)
            for (int slot : {14, 138, 139})
                buttonStates[PlanePressed * buttonSlotCount + slot] = 0;
    }

    void SpawnMenu(u8 mode)
    {
        lastSpawnedInstance = nullptr;
        SpawnObject(&PauseMenu, 0.0f, 0.0f, mode, 0);
        menu = (PauseMenuRecord*)lastSpawnedInstance;
        ASSERT_NE(menu, nullptr);
    }

    // One tick of the objects with player 1's pressed mask as the control mapping left it.
    u32 Tick(u32 pressed = 0)
    {
        playerControls[0].pressedMask = pressed;
        UpdateObjects();
        return playerControls[0].pressedMask;
    }

    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            Tick();
    }

    // Opens the pause menu with Start and lets the lines glide in.
    void OpenPauseMenu()
    {
        SpawnMenu(PauseMenuPauseMode);
        Tick(ButtonStart);
        ASSERT_EQ(pauseMenuOpen, 1);
        Ticks(30);
    }

    FadeRecord* WatchedFade() const { return fadeInstances[menu->watchedFade]; }
};

TEST_F(PauseMenuTest, StartOpensTheHiddenMenuAndItsLinesGlideIn)
{
    SpawnMenu(PauseMenuPauseMode);
    const f32 W = (f32)screenWidth, H = (f32)screenHeight;
    EXPECT_EQ(menu->linePos[0].y, -13.0f);
    EXPECT_EQ(menu->linePos[1].y, H + 13);
    FadeRecord* dim = WatchedFade();
    EXPECT_EQ(dim->header->spawnA, FadeToLevel);
    EXPECT_EQ(dim->step, 16);
    EXPECT_EQ(dim->header->drawLayer, 14);

    Ticks(20);
    EXPECT_EQ(pauseMenuOpen, 0); // waits hidden
    Tick(ButtonStart);
    EXPECT_EQ(pauseMenuOpen, 1);
    Ticks(40);
    // Gliding down the heading stops 1 to 3 pixels short; the items, gliding up, land exactly.
    EXPECT_GE(menu->linePos[0].y, H / 2 - 3);
    EXPECT_LT(menu->linePos[0].y, H / 2);
    EXPECT_EQ(menu->linePos[0].x, W / 2);
    for (int i = 1; i < 5; ++i)
        EXPECT_EQ(menu->linePos[i].y, H / 2 + 64 + 13 * (i - 1)) << i;
    EXPECT_EQ(dim->level, 200);
    EXPECT_EQ(dim->header->alive, 1);
}

TEST_F(PauseMenuTest, StartDoesNotPauseWhenTheGuardsSayNo)
{
    struct Case {
        const char* what;
        PlayerState state;
        bool followed, alive, alreadyOpen;
        u8 controls; // the controls named by the record
        u32 pressedOf; // whose mask carries Start
    };
    const Case cases[] = {
        {"normal", PlayerStateNormal, true, true, false, 0, 0},
        {"defeated", PlayerStateDefeated, true, true, false, 0, 0},
        {"falling defeated", PlayerStateDefeatedFall, true, true, false, 0, 0},
        {"camera elsewhere", PlayerStateNormal, false, true, false, 0, 0},
        {"player not alive", PlayerStateNormal, true, false, false, 0, 0},
        {"the record's own controls", PlayerStateNormal, true, true, false, 2, 2},
        {"another player's Start", PlayerStateNormal, true, true, false, 2, 0},
    };
    ObjectHeader other{};
    for (const Case& c : cases) {
        SpawnMenu(PauseMenuPauseMode);
        player->state = c.state;
        player->player = c.controls;
        cameras[0].followed = c.followed ? player->header : &other;
        player->header->alive = c.alive ? 1 : 0;
        playerControls[c.pressedOf].pressedMask = ButtonStart;
        if (c.pressedOf != 0)
            Tick(0);
        else
            Tick(ButtonStart);
        const bool opens = c.state == PlayerStateNormal && c.followed && c.alive && c.controls == c.pressedOf;
        EXPECT_EQ(pauseMenuOpen, opens ? 1 : 0) << c.what;
        EXPECT_EQ(PauseRequested(), false) << c.what; // open now, or refused
        player->header->alive = 1;
        pauseMenuOpen = 0;
        playerControls[c.pressedOf].pressedMask = 0;
        DespawnObject(menu->header);
    }
    // Already open: the test refuses a second opening.
    player->state = PlayerStateNormal;
    player->player = 0;
    cameras[0].followed = player->header;
    playerControls[0].pressedMask = ButtonStart;
    EXPECT_TRUE(PauseRequested());
    pauseMenuOpen = 1;
    EXPECT_FALSE(PauseRequested());
}

TEST_F(PauseMenuTest, CursorMovesAndWraps)
{
    struct Case {
        u8 mode, boss;
        i8 from;
        u32 pressed;
        i8 to;
    };
    const Case cases[] = {
        {PauseMenuPauseMode, 0, 0, ButtonUp | ButtonDown, 0}, // both in one tick: no move
        {PauseMenuPauseMode, 0, 0, ButtonUp, 3},
        {PauseMenuPauseMode, 0, 3, ButtonDown, 0},
        {PauseMenuPauseMode, 0, 1, ButtonDown, 2},
        {PauseMenuPauseMode, 0, 2, ButtonUp, 1},
        {PauseMenuTitleMode, 0, 0, ButtonUp, 2},
        {PauseMenuTitleMode, 0, 2, ButtonDown, 0},
        {PauseMenuTitleMode, 1, 0, ButtonUp, 3},
        {PauseMenuTitleMode, 1, 3, ButtonDown, 0},
        {PauseMenuTitleMode, 1, 1, ButtonUp | ButtonDown, 1},
    };
    for (const Case& c : cases) {
        bossDefeated = c.boss;
        pauseMenuOpen = 0;
        SpawnMenu(c.mode);
        if (c.mode == PauseMenuPauseMode)
            Tick(ButtonStart);
        else
            Tick(); // the title menu opens by itself
        ASSERT_EQ(pauseMenuOpen, 1);
        Ticks(2);
        menu->cursor = c.from;
        Tick(c.pressed);
        EXPECT_EQ(menu->cursor, c.to) << "mode " << (int)c.mode << " boss " << (int)c.boss << " from " << (int)c.from;
        DespawnObject(menu->header);
    }
}

TEST_F(PauseMenuTest, ResumeClosesOnceTheHeadingHasLeftThenStartOpensAgain)
{
    OpenPauseMenu();
    FadeRecord* dim = WatchedFade();
    const u32 left = Tick(ButtonStart); // "Resume" under the cursor
    EXPECT_EQ(menu->closing, 1);
    EXPECT_EQ(left & ButtonStart, 0u); // taken, so nothing later in the tick sees it
    int ticks = 0;
    while (pauseMenuOpen && ticks < 100) {
        EXPECT_EQ(menu->closing, 1);
        Tick();
        ++ticks;
    }
    EXPECT_EQ(pauseMenuOpen, 0);
    EXPECT_EQ(menu->closing, 0);
    EXPECT_LT(menu->linePos[0].y, -8.0f);
    EXPECT_LT(ticks, 20);
    Ticks(20);
    EXPECT_EQ(dim->level, 0); // the dim lifted
    EXPECT_EQ(pendingStage, nullptr);

    // The same hidden instance opens again.
    Tick(ButtonStart);
    EXPECT_EQ(pauseMenuOpen, 1);
    EXPECT_EQ(PauseMenu.liveCount, 1u);
}

TEST_F(PauseMenuTest, RestartFadesOutThenAsksForTheStageAgain)
{
    OpenPauseMenu();
    menu->cursor = 2;
    const u32 left = Tick(ButtonStart);
    EXPECT_NE(left & ButtonStart, 0u); // only Resume and Controls take the bit
    EXPECT_EQ(menu->header->drawLayer, 14);
    EXPECT_EQ(Fade.liveCount, 2u);
    EXPECT_EQ(menu->leaving, 0);
    // Still live: another Start before the restart makes a second fade.
    Tick(ButtonStart);
    EXPECT_EQ(Fade.liveCount, 3u);
    int ticks = 1;
    while (!pendingStage && ticks < 100) {
        Tick();
        ++ticks;
    }
    EXPECT_EQ(pendingStage, &stage);
    EXPECT_EQ(ticks, 63); // at 4 a tick, the first fade is black on its 64th tick
    EXPECT_EQ(pauseMenuOpen, 0);
    EXPECT_EQ(playerProgress[0].lives, 2);
    EXPECT_EQ(playerProgress[0].score, 500u);
}

TEST_F(PauseMenuTest, TitleFadesOutThenAsksForTheTitleScreen)
{
    OpenPauseMenu();
    menu->cursor = 3;
    Tick(ButtonStart);
    EXPECT_EQ(menu->leaving, 1);
    FadeRecord* fade = WatchedFade();
    EXPECT_EQ(fade->header->spawnA, FadeOutHold);
    EXPECT_EQ(fade->header->drawLayer, 15);
    Tick(ButtonUp); // input is ignored while leaving
    EXPECT_EQ(menu->cursor, 3);
    while (fade->level < 255)
        Tick();
    EXPECT_EQ(pendingStage, nullptr); // seen by the menu on the next tick
    Tick();
    EXPECT_EQ(pendingStage, &titleStage);
    EXPECT_EQ(playerProgress[0].lives, 2);
}

TEST_F(PauseMenuTest, ControlsWithoutTheConfigurationMenuChangesNothing)
{
    OpenPauseMenu();
    menu->cursor = 1;
    const PauseMenuRecord before = *menu;
    const u32 left = Tick(ButtonStart);
    EXPECT_EQ(left & ButtonStart, 0u);
    EXPECT_EQ(menu->inControls, 0);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(menu->lineTarget[i].x, before.lineTarget[i].x) << i;
    EXPECT_EQ(pauseMenuOpen, 1);
    EXPECT_EQ(menu->closing, 0);
}

TEST_F(PauseMenuTest, ControlsSlidesTheMenuOutForTheConfigurationMenu)
{
    RegisterIdleControlsMenu();
    OpenPauseMenu();
    menu->cursor = 1;
    const f32 W = (f32)screenWidth;
    Tick(ButtonStart);
    EXPECT_EQ(menu->inControls, 1);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(menu->lineTarget[i].x, W / 2 - W) << i;
    ASSERT_EQ(InputConfigMenu.liveCount, 1u);
    const InputConfigMenuRecord* controls = inputConfigMenuInstances[menu->controlsMenuIndex];
    EXPECT_EQ(controls->header->x, 2 * W);
    EXPECT_EQ(controls->pauseMenuIndex, menu->header->index);
    // The menu takes no input while the other one is open, and the dim stays.
    Tick(ButtonDown);
    EXPECT_EQ(menu->cursor, 1);
    Tick(ButtonStart);
    EXPECT_EQ(InputConfigMenu.liveCount, 1u);
    EXPECT_EQ(pauseMenuOpen, 1);
}

TEST_F(PauseMenuTest, TitleMenuStartGameAndClose)
{
    // "Start Game": fade out, then the Graveyard with fresh progress.
    SpawnMenu(PauseMenuTitleMode);
    Tick();
    EXPECT_EQ(pauseMenuOpen, 1);
    Ticks(5);
    EXPECT_EQ(WatchedFade()->level, 0); // no dim behind the title menu
    Tick(ButtonStart);
    EXPECT_EQ(menu->leaving, 1);
    int ticks = 0;
    while (!pendingStage && ticks < 100) {
        Tick();
        ++ticks;
    }
    EXPECT_EQ(pendingStage, &graveyardStage);
    EXPECT_EQ(pauseMenuOpen, 0);
    for (const PlayerProgress& progress : playerProgress) {
        EXPECT_EQ(progress.lives, 3);
        EXPECT_EQ(progress.score, 0u);
    }
    DespawnObject(menu->header);

    // "Close" ends the program through its fade.
    pendingStage = nullptr;
    SpawnMenu(PauseMenuTitleMode);
    Ticks(3);
    menu->cursor = 2;
    Tick(ButtonStart);
    EXPECT_EQ(menu->leaving, 0);
    ticks = 0;
    while (!quitRequested.load() && ticks < 100) {
        Tick();
        ++ticks;
    }
    EXPECT_EQ(quitRequested.load(), 1);
}

TEST_F(PauseMenuTest, TitleMenuHasFourItemsOnceTheBossIsBeatenAndThreeBefore)
{
    RegisterIdleControlsMenu();
    enum Effect { StartGame, BoneZone, Controls, Close };
    struct Case {
        u8 boss;
        i8 cursor;
        Effect effect;
    };
    const Case cases[] = {
        {0, 0, StartGame}, {0, 1, Controls}, {0, 2, Close},
        {1, 0, StartGame}, {1, 1, BoneZone}, {1, 2, Controls}, {1, 3, Close},
    };
    const f32 halfH = (f32)(screenHeight >> 1);
    for (const Case& c : cases) {
        bossDefeated = c.boss;
        pauseMenuOpen = 0;
        pendingStage = nullptr;
        SpawnMenu(PauseMenuTitleMode);
        Ticks(3);
        // The items sit 13 pixels higher when there are four of them.
        for (int line = 1; line < 5; ++line)
            EXPECT_EQ(menu->lineTarget[line].y, halfH + 77.0f + 13.0f * (f32)(line - 1) - (c.boss ? 13.0f : 0.0f));
        menu->cursor = c.cursor;
        const u32 fadesBefore = Fade.liveCount;
        Tick(ButtonStart);
        const char* what = c.boss ? "boss beaten" : "boss standing";
        switch (c.effect) {
        case StartGame:
        case BoneZone: {
            EXPECT_EQ(menu->leaving, 1) << what << " " << (int)c.cursor;
            const FadeRecord* fade = WatchedFade();
            EXPECT_EQ(fade->header->spawnA, c.effect == StartGame ? FadeOutHold : FadeOutToStage);
            int ticks = 0;
            while (!pendingStage && ticks++ < 100)
                Tick();
            EXPECT_EQ(pendingStage, c.effect == StartGame ? &graveyardStage : &boneZoneStage) << what;
            break;
        }
        case Controls:
            EXPECT_EQ(menu->inControls, 1) << what;
            EXPECT_EQ(menu->leaving, 0) << what;
            break;
        case Close: {
            EXPECT_EQ(menu->leaving, 0) << what;
            EXPECT_EQ(Fade.liveCount, fadesBefore + 1) << what;
            int ticks = 0;
            while (!quitRequested.load() && ticks++ < 100)
                Tick();
            EXPECT_EQ(quitRequested.load(), 1) << what;
            EXPECT_EQ(pendingStage, nullptr) << what;
            quitRequested = 0;
            break;
        }
        }
        DespawnObject(menu->header);
        for (u32 i = 0; i < Fade.poolSize; ++i)
            if (Fade.pool[i]->alive)
                DespawnObject(Fade.pool[i]);
        for (u32 i = 0; i < InputConfigMenu.poolSize; ++i)
            if (InputConfigMenu.pool[i]->alive)
                DespawnObject(InputConfigMenu.pool[i]);
    }
}

TEST_F(PauseMenuTest, PadAndKeyShortcuts)
{
    struct Case {
        u8 mode;
        int slot;
        i8 cursor;      // before
        bool chooses;   // the first item is chosen
    };
    const Case cases[] = {
        {PauseMenuPauseMode, 139, 2, true},  // pad B: the first item
        {PauseMenuPauseMode, 14, 3, true},   // Backspace in the pause menu
        {PauseMenuTitleMode, 139, 1, true},  // pad B: "Start Game"
        {PauseMenuTitleMode, 14, 1, false},  // Backspace does nothing on the title menu
    };
    for (const Case& c : cases) {
        pauseMenuOpen = 0;
        SpawnMenu(c.mode);
        Tick(c.mode == PauseMenuPauseMode ? (u32)ButtonStart : 0u);
        Ticks(3);
        menu->cursor = c.cursor;
        buttonStates[PlanePressed * buttonSlotCount + c.slot] = 1;
        Tick();
        buttonStates[PlanePressed * buttonSlotCount + c.slot] = 0;
        if (c.mode == PauseMenuPauseMode) {
            EXPECT_EQ(menu->closing, c.chooses ? 1 : 0) << c.slot;
        } else {
            EXPECT_EQ(menu->leaving, c.chooses ? 1 : 0) << c.slot;
            EXPECT_EQ(menu->cursor, c.chooses ? 0 : c.cursor) << c.slot;
        }
        DespawnObject(menu->header);
    }

    // Pad A presses Start on the item under the cursor.
    pauseMenuOpen = 0;
    SpawnMenu(PauseMenuPauseMode);
    Tick(ButtonStart);
    Ticks(3);
    menu->cursor = 3;
    buttonStates[PlanePressed * buttonSlotCount + 138] = 1;
    Tick();
    buttonStates[PlanePressed * buttonSlotCount + 138] = 0;
    EXPECT_EQ(menu->leaving, 1); // "Title"
}

} // namespace
