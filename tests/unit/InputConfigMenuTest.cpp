// The input-configuration menu opened from the pause menu, driven tick by tick through the object
// update with a stand-in player: the hand-over both ways, rebinding with its swaps and refused
// codes, the cursor's moves, the options, the device switch, "config.bfc" written on leaving and
// read back, the names of keys and pad buttons, and the columns and foot of the drawn menu in every
// screen size.
#include <vector>

#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Config.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/Input.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Display/Fade.h"
#include "Game/Display/InputConfigMenu.h"
#include "Game/Display/KeyNames.h"
#include "Game/Display/PauseMenu.h"
#include "Game/Player/Player.h"
#include "tests/unit/FreshStage.h"
#include "tests/unit/KitMenuFont.h"
#include "tests/unit/ScratchDir.h"
#include "tools/datakit/DisplayArt.h"

namespace {

constexpr u32 ButtonSelect = 0x200;
constexpr int keyBackspace = 14, keyTab = 15, keyEnter = 28, keyA = 30, keyS = 31, keyD = 32, keyE = 18;
constexpr int keyRight = 77, keyLeftShift = 42, keyW = 17;
constexpr int padA = 138, padB = 139, padX = 140, padStart = 145, padSelect = 144, padRBumper = 143;

struct Options {
    u8 advanced, reversed, grapple, split, tapple, lineDelay;
    bool operator==(const Options&) const = default;
};

Options CurrentOptions()
{
    return {advancedSettings, lineInOutReversed, grappleStyle, lineAdjustmentSplit, tappleDelay, lineInOutDelay};
}

void SetOptions(const Options& o)
{
    advancedSettings = o.advanced;
    lineInOutReversed = o.reversed;
    grappleStyle = o.grapple;
    lineAdjustmentSplit = o.split;
    tappleDelay = o.tapple;
    lineInOutDelay = o.lineDelay;
}

class InputConfigMenuTest : public FreshStage {
protected:
    InputConfigMenuTest() : FreshStage("palvic-inputcfg-") {}

    PauseMenuRecord* pause = nullptr;
    InputConfigMenuRecord* menu = nullptr;

    void SetUp() override
    {
        FreshStage::SetUp();
        bossDefeated = 0;
        SetOptions({});
        SetDefaultBindings();
        ClearInput();
        ASSERT_TRUE(datakit::WriteFadeData("."));
        // In the stages' order: the pause menu, then this menu, then the Fade.
        PauseMenuLoad(nullptr);
        InputConfigMenuLoad(nullptr);
        FadeLoad(nullptr);
        ASSERT_TRUE(InputConfigMenu.registered);
        EXPECT_TRUE(InputConfigMenu.runsWhilePaused);
        EXPECT_EQ(InputConfigMenu.updatePass, 6);
        EXPECT_EQ(InputConfigMenu.drawLayer, 15);

        ASSERT_NO_FATAL_FAILURE(SpawnStandInPlayer(100.0f, 100.0f));
        player->player = 0;
        player->state = PlayerStateNormal;
        cameras[0].followed = player->header;
    }

    void TearDown() override
    {
        FreeBitmapFont(&menuFont);
        menuFont = BitmapFont{};
        FreeObjectTypeRegistry();
        pauseMenuAnimSet = AnimSet{};
        ResetCameras();
        for (Camera& camera : cameras)
            camera = Camera{};
        ClearInput();
        SetDefaultBindings();
        SetOptions({});
        pauseMenuOpen = 0;
        pendingStage = nullptr;
        FreshStage::TearDown();
    }

    static void ClearInput()
    {
        for (PlayerControls& controls : playerControls)
            controls.heldMask = controls.pressedMask = 0;
        if (buttonStates)
            for (int slot = 0; slot < buttonSlotCount; ++slot)
                buttonStates[PlanePressed * buttonSlotCount + slot] = 0;
    }

    // One tick of the objects with player 1's pressed mask and these raw slots pressed.
    u32 Tick(u32 pressed = 0, std::vector<int> slots = {})
    {
        for (int slot : slots)
            buttonStates[PlanePressed * buttonSlotCount + slot] = 1;
        playerControls[0].pressedMask = pressed;
        UpdateObjects();
        for (int slot : slots)
            buttonStates[PlanePressed * buttonSlotCount + slot] = 0;
        return playerControls[0].pressedMask;
    }

    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            Tick();
    }

    // Pause, choose "Controls" and let the menu glide in.
    void OpenMenu()
    {
        lastSpawnedInstance = nullptr;
        SpawnObject(&PauseMenu, 0.0f, 0.0f, PauseMenuPauseMode, 0);
        pause = (PauseMenuRecord*)lastSpawnedInstance;
        ASSERT_NE(pause, nullptr);
        Tick(ButtonStart);
        ASSERT_EQ(pauseMenuOpen, 1);
        Ticks(10);
        pause->cursor = 1;
        Tick(ButtonStart);
        ASSERT_EQ(pause->inControls, 1);
        ASSERT_EQ(InputConfigMenu.liveCount, 1u);
        menu = inputConfigMenuInstances[pause->controlsMenuIndex];
        Ticks(30);
    }

    const u8* Keys() const { return playerControls[0].keyBinding; }
    const u8* Pads() const { return playerControls[0].padBinding; }
};

TEST_F(InputConfigMenuTest, ControlsSlidesInAndLeavingHandsBackSavesAndEnds)
{
    const f32 W = (f32)screenWidth, H = (f32)screenHeight;
    lastSpawnedInstance = nullptr;
    SpawnObject(&PauseMenu, 0.0f, 0.0f, PauseMenuPauseMode, 0);
    pause = (PauseMenuRecord*)lastSpawnedInstance;
    Tick(ButtonStart);
    Ticks(10);
    pause->cursor = 1;
    Tick(ButtonStart);
    ASSERT_EQ(InputConfigMenu.liveCount, 1u);
    menu = inputConfigMenuInstances[pause->controlsMenuIndex];
    EXPECT_EQ(menu->pauseMenuIndex, pause->header->index);
    EXPECT_EQ(menu->header->y, H / 2);
    EXPECT_EQ(menu->rebindRow, -1);
    const f32 first = menu->header->x;
    EXPECT_LE(first, 2 * W); // enters from the right
    EXPECT_GT(first, W);
    Ticks(40);
    EXPECT_NEAR(menu->header->x, W / 2, 0.01f);

    // Backspace: the pause menu slides back and takes input again, and the file is written at once.
    player->grappleStyle = 7;
    tappleDelay = 9;
    Tick(0, {keyBackspace});
    EXPECT_EQ(menu->closing, 1);
    EXPECT_EQ(pause->inControls, 0);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(pause->lineTarget[i].x, W / 2) << i;
    std::vector<u8> saved = ScratchDir::Read("config.bfc");
    ASSERT_EQ(saved.size(), (size_t)configFileSize);
    EXPECT_EQ(saved[36], 9);
    EXPECT_EQ(player->grappleStyle, 7); // handed over only once the slide is done

    int ticks = 0;
    while (InputConfigMenu.liveCount && ticks < 60) {
        Tick();
        ++ticks;
    }
    EXPECT_EQ(InputConfigMenu.liveCount, 0u);
    EXPECT_GE(ticks, 10);
    EXPECT_LT(ticks, 20);
    EXPECT_EQ(player->grappleStyle, grappleStyle);
    EXPECT_EQ(player->tappleDelay, 9);
    EXPECT_EQ(pauseMenuOpen, 1); // still paused, the pause menu is back
    Tick(ButtonDown);
    EXPECT_EQ(pause->cursor, 2);
}

TEST_F(InputConfigMenuTest, PadBLeavesButNotWhileARowWaits)
{
    OpenMenu();
    menu->padMode = 1;
    Tick(ButtonStart); // "Up" waits for a code
    ASSERT_EQ(menu->rebindRow, 0);
    Tick(0, {padB}); // pad B is a code here
    EXPECT_EQ(menu->closing, 0);
    EXPECT_EQ(Pads()[BindUp], padB);
    Tick(0, {padB});
    EXPECT_EQ(menu->closing, 1);
}

TEST_F(InputConfigMenuTest, RebindingSwapsAndRefuses)
{
    // Default keys: S jump, D slot 5, A attack, E grapple, Enter start, Tab select. Default pad:
    // A jump, B slot 5, X attack, Start, Select, RBumper grapple.
    struct Case {
        const char* what;
        u8 padMode, split;
        i16 row;
        std::vector<std::vector<int>> presses; // raw slots, one tick each
        int slot;                                 // the row's binding slot
        int newCode;                              // -1: still waiting
        int partner, partnerCode;                 // a slot that must then hold partnerCode (-1: none)
    };
    const Case cases[] = {
        {"jump onto attack's key", 0, 0, 4, {{keyA}}, BindJump, keyA, BindAttack, keyS},
        {"attack onto slot 5's key", 0, 0, 5, {{keyD}}, BindAttack, keyD, 5, keyA},
        {"enter is refused", 0, 0, 4, {{keyEnter}}, BindJump, -1, BindStart, keyEnter},
        {"select's key: select keeps it", 0, 0, 4, {{keyTab}}, BindJump, keyTab, BindSelect, keyTab},
        {"arrow beats the letters", 0, 0, 6, {{keyS, keyRight}}, BindGrapple, keyRight, BindRight, keyE},
        {"highest scan code wins", 0, 0, 0, {{keyA, keyS}}, BindUp, keyS, BindJump, 72},
        {"pad grapple onto jump's button", 1, 0, 6, {{padA}}, BindGrapple, padA, BindJump, padRBumper},
        {"pad start refused", 1, 0, 4, {{padStart}}, BindJump, -1, BindStart, padStart},
        {"pad select refused, then X", 1, 0, 4, {{padSelect}, {padX}}, BindJump, padX, BindAttack, padA},
        {"split: line in onto W", 0, 1, 7, {{keyW}}, BindLineIn, keyW, 12, keyLeftShift},
        {"split: line out onto E", 0, 1, 8, {{keyE}}, BindLineOut, keyE, BindGrapple, 29},
    };
    for (const Case& c : cases) {
        SetDefaultBindings();
        lineAdjustmentSplit = c.split;
        advancedSettings = c.split;
        OpenMenu();
        menu->padMode = c.padMode;
        menu->cursor = c.row;
        Tick(ButtonStart);
        ASSERT_EQ(menu->rebindRow, c.row) << c.what;
        u32 left = 0;
        for (const std::vector<int>& press : c.presses)
            left = Tick(ButtonJump | 0x20 | ButtonAttack, press);
        const u8* bindings = c.padMode ? Pads() : Keys();
        if (c.newCode < 0) {
            EXPECT_EQ(menu->rebindRow, c.row) << c.what;
            EXPECT_EQ(left & (ButtonJump | 0x20), ButtonJump | 0x20) << c.what;
        } else {
            EXPECT_EQ(menu->rebindRow, -1) << c.what;
            EXPECT_EQ(bindings[c.slot], c.newCode) << c.what;
            EXPECT_EQ(left & (ButtonJump | 0x20), 0u) << c.what; // taken by the rebinding
            EXPECT_EQ(left & ButtonAttack, (u32)ButtonAttack) << c.what;
        }
        if (c.partner >= 0) {
            EXPECT_EQ(bindings[c.partner], c.partnerCode) << c.what;
        }
        EXPECT_EQ(menu->cursor, c.row) << c.what;
        pauseMenuOpen = 0;
        DespawnObject(menu->header);
        DespawnObject(pause->header);
    }
}

TEST_F(InputConfigMenuTest, BackspaceCancelsAWaitingRowAndIsNeverBound)
{
    OpenMenu();
    menu->cursor = 4;
    Tick(ButtonStart);
    Tick(0, {keyBackspace, keyA});
    EXPECT_EQ(menu->closing, 1);
    EXPECT_EQ(Keys()[BindJump], keyS);
    EXPECT_EQ(Keys()[BindAttack], keyA);
}

TEST_F(InputConfigMenuTest, CursorMoves)
{
    struct Case {
        u8 advanced, split;
        i16 from;
        u32 pressed;
        i16 to;
    };
    const Case cases[] = {
        {1, 0, 4, ButtonUp, 8},     // up on Jump: Advanced Settings
        {1, 1, 4, ButtonUp, 9},
        {0, 0, 3, ButtonDown, 8},   // down on Right: Advanced Settings
        {1, 1, 3, ButtonDown, 9},
        {1, 0, 8, ButtonUp, 3},     // up on Advanced Settings: Right
        {1, 1, 9, ButtonUp, 3},
        {1, 1, 8, ButtonRight, 3},  // right on Line Out: Right
        {1, 0, 0, ButtonRight, 4},  // the two columns
        {1, 0, 0, ButtonLeft, 4},
        {1, 0, 5, ButtonRight, 1},
        {1, 1, 7, ButtonRight, 3},
        {1, 0, 2, ButtonUp | ButtonDown, 2},
        {1, 0, 0, ButtonUp, 12},    // wrap to the last row
        {1, 1, 0, ButtonUp, 13},
        {0, 0, 0, ButtonUp, 8},
        {1, 0, 12, ButtonDown, 0},
        {0, 0, 8, ButtonDown, 0},   // down from Advanced Settings, off
        {1, 0, 8, ButtonDown, 9},   // and on
        {1, 0, 6, ButtonDown, 7},
        {1, 0, 7, ButtonDown, 8},
        {1, 0, 9, ButtonRight, 9},  // an option row: no column move
    };
    for (const Case& c : cases) {
        SetOptions({c.advanced, 0, 1, c.split, 5, 5});
        OpenMenu();
        menu->cursor = c.from;
        Tick(c.pressed);
        EXPECT_EQ(menu->cursor, c.to) << "advanced " << (int)c.advanced << " split " << (int)c.split << " from "
                                      << c.from << " pressed " << c.pressed;
        pauseMenuOpen = 0;
        DespawnObject(menu->header);
        DespawnObject(pause->header);
    }
}

TEST_F(InputConfigMenuTest, OptionRows)
{
    struct Case {
        const char* what;
        Options before;
        i16 from;
        u32 pressed;
        Options after;
        i16 to;
    };
    const Case cases[] = {
        {"advanced off joins the split", {1, 0, 0, 1, 5, 5}, 9, ButtonLeft, {0, 0, 1, 0, 5, 5}, 8},
        {"advanced off, joined", {1, 1, 0, 0, 5, 5}, 8, ButtonRight, {0, 1, 1, 0, 5, 5}, 8},
        {"advanced on", {0, 0, 0, 0, 5, 5}, 8, ButtonRight, {1, 0, 0, 0, 5, 5}, 8},
        {"grapple style", {1, 0, 1, 0, 5, 5}, 9, ButtonLeft, {1, 0, 0, 0, 5, 5}, 9},
        {"join to split", {1, 0, 1, 0, 5, 5}, 10, ButtonRight, {1, 0, 1, 1, 5, 5}, 11},
        {"split to join", {1, 0, 1, 1, 5, 5}, 11, ButtonLeft, {1, 0, 1, 0, 5, 5}, 10},
        {"tapple at 0", {1, 0, 1, 0, 0, 5}, 11, ButtonLeft, {1, 0, 1, 0, 0, 5}, 11},
        {"tapple at 32", {1, 0, 1, 0, 32, 5}, 11, ButtonRight, {1, 0, 1, 0, 32, 5}, 11},
        {"tapple up", {1, 0, 1, 0, 31, 5}, 11, ButtonRight, {1, 0, 1, 0, 32, 5}, 11},
        {"line delay at 0", {1, 0, 1, 1, 5, 0}, 13, ButtonLeft, {1, 0, 1, 1, 5, 0}, 13},
        {"line delay at 32", {1, 0, 1, 0, 5, 32}, 12, ButtonRight, {1, 0, 1, 0, 5, 32}, 12},
        {"line delay down", {1, 0, 1, 0, 5, 1}, 12, ButtonLeft, {1, 0, 1, 0, 5, 0}, 12},
        {"line in/out reversed", {1, 0, 1, 0, 5, 5}, 7, ButtonLeft, {1, 1, 1, 0, 5, 5}, 7},
        {"line in/out back", {0, 1, 1, 0, 5, 5}, 7, ButtonRight, {0, 0, 1, 0, 5, 5}, 7},
    };
    for (const Case& c : cases) {
        SetOptions(c.before);
        OpenMenu();
        menu->cursor = c.from;
        Tick(c.pressed);
        EXPECT_EQ(CurrentOptions(), c.after) << c.what;
        EXPECT_EQ(menu->cursor, c.to) << c.what;
        pauseMenuOpen = 0;
        DespawnObject(menu->header);
        DespawnObject(pause->header);
    }
}

TEST_F(InputConfigMenuTest, SelectResetsTheBindingsAndTheLastDeviceChoosesTheMode)
{
    OpenMenu();
    const u8 thirdAttack = playerControls[2].padBinding[BindAttack];
    playerControls[0].keyBinding[BindJump] = 50;
    playerControls[2].padBinding[BindAttack] = 131;
    SetOptions({1, 1, 0, 1, 3, 4});
    Tick(ButtonStart | ButtonSelect); // with Start: no reset (and row 0 waits)
    EXPECT_EQ(Keys()[BindJump], 50);
    Tick(0, {keyBackspace - 1}); // a key: "Up" takes it
    Tick(ButtonSelect);
    EXPECT_EQ(Keys()[BindJump], keyS);
    EXPECT_EQ(playerControls[2].padBinding[BindAttack], thirdAttack); // every player's
    EXPECT_EQ(CurrentOptions(), (Options{1, 1, 0, 1, 3, 4})); // options stay

    EXPECT_EQ(menu->padMode, 0);
    Tick(0, {padX});
    EXPECT_EQ(menu->padMode, 1);
    Tick(0, {keyA});
    EXPECT_EQ(menu->padMode, 0);
    Tick(0, {keyA, padX}); // the highest slot decides
    EXPECT_EQ(menu->padMode, 1);
}

TEST_F(InputConfigMenuTest, SavedFileReadsBackTheNewBinding)
{
    OpenMenu();
    menu->cursor = 4;
    Tick(ButtonStart);
    Tick(0, {keyA});
    Tick(ButtonDown); // Attack/Zip
    Tick(ButtonStart);
    Tick(0, {keyD});
    Tick(0, {keyBackspace});
    ASSERT_EQ(Keys()[BindJump], keyA);
    ASSERT_EQ(Keys()[BindAttack], keyD);
    ASSERT_EQ(Keys()[5], keyS);
    const std::vector<u8> expected = [] {
        std::vector<u8> bytes(configFileSize);
        BuildConfigBytes(bytes.data());
        return bytes;
    }();
    EXPECT_EQ(ScratchDir::Read("config.bfc"), expected);
    Ticks(30); // the slide ends and writes again
    EXPECT_EQ(ScratchDir::Read("config.bfc"), expected);

    SetDefaultBindings();
    LoadConfig();
    EXPECT_EQ(Keys()[BindJump], keyA);
    EXPECT_EQ(Keys()[BindAttack], keyD);
    EXPECT_EQ(Keys()[5], keyS);
}

TEST_F(InputConfigMenuTest, ControlsStillOpensWhileAnotherStageHoldsTheType)
{
    InputConfigMenuLoad(nullptr); // the next stage loads before the old one unloads
    InputConfigMenuUnload();
    EXPECT_TRUE(InputConfigMenu.registered);
    OpenMenu();
}

// The menu font keeps the layout's columns apart in every screen size: each binding label ends,
// with a clear column, before the leader dots drawn after it, the dots stand apart, and the key help
// at the foot leaves the bottom row clear. Read from the frame the menu draws, in both layouts.
TEST_F(InputConfigMenuTest, LabelsEndBeforeTheirDotsAndTheFooterClearsTheBottomInEveryMode)
{
    LoadKitMenuFont();
    ASSERT_FALSE(HasFatalFailure());
    const i32 cellHeight = menuFont.set.animations[0].frames['A'].image.height;

    struct Row {
        bool right; // the right column (dots 11 blanks on) or the left (10)
        f32 y;
    };
    const std::vector<Row> joined = {{false, 64.0f}, {false, 83.5f}, {false, 103.0f}, {false, 122.5f},
                                     {true, 64.0f},  {true, 83.5f},  {true, 103.0f}};
    const std::vector<Row> split = {{false, 64.0f}, {false, 83.5f}, {false, 103.0f}, {false, 122.5f}, {true, 64.0f},
                                    {true, 78.95f}, {true, 93.9f},  {true, 108.85f}, {true, 122.5f}};
    pauseMenuOpen = 1;
    for (u8 mode : {20, 25, 24}) {
        SetVideoMode(mode);
        const i32 W = screenWidth, H = screenHeight;
        lastSpawnedInstance = nullptr;
        SpawnObject(&InputConfigMenu, (f32)(2 * W), 0.0f, 0, 0);
        menu = (InputConfigMenuRecord*)lastSpawnedInstance;
        ASSERT_NE(menu, nullptr);
        Ticks(60);
        ASSERT_NEAR(menu->header->x, (f32)(W / 2), 0.01f);
        ASSERT_EQ(menu->header->y, (f32)(H / 2));
        const auto ink = [&](i32 x, i32 y) { return (frameBuffer[rowOffsets[y] + x] & 0xFFFFFF) != 0; };

        for (u8 S : {0, 1}) {
            SetOptions({1, 0, 1, S, 0, 0});
            for (i32 y = 0; y < H; ++y)
                for (i32 x = 0; x < W; ++x)
                    frameBuffer[rowOffsets[y] + x] = 0;
            InputConfigMenuDraw(menu);

            // The labels start at L (13 in from the menu's left) and R (the middle); the binding
            // names start 106 past L and 115 past R.
            const i32 L = 13, R = W / 2;
            for (const Row& row : S ? split : joined) {
                const i32 x0 = row.right ? R : L, x1 = row.right ? R + 115 : L + 106, top = (i32)row.y;
                std::vector<std::pair<i32, i32>> runs; // columns with ink in the row's band
                for (i32 x = x0; x < x1; ++x) {
                    bool any = false;
                    for (i32 y = top; y < top + cellHeight && !any; ++y)
                        any = ink(x, y);
                    if (any && !runs.empty() && runs.back().second == x - 1)
                        runs.back().second = x;
                    else if (any)
                        runs.push_back({x, x});
                }
                const std::string where = "mode " + std::to_string(mode) + ", layout " + std::to_string(S) +
                                          (row.right ? ", right" : ", left") + " row at " + std::to_string(row.y);
                ASSERT_GE(runs.size(), 4u) << where << ": a label and three dots apart";
                const size_t firstDot = runs.size() - 3;
                for (size_t d = firstDot; d < runs.size(); ++d)
                    EXPECT_LE(runs[d].second - runs[d].first + 1, 4) << where << ": dot " << d - firstDot;
                EXPECT_GE(runs[firstDot].first - runs[firstDot - 1].second, 2) << where << ": the label runs into its dots";
                EXPECT_LT(runs[0].first, x0 + 4) << where << ": the label starts at its column";
            }

            // The key help: drawn, and its lowest ink above the last row.
            i32 lowest = -1;
            for (i32 y = 0; y < H; ++y)
                for (i32 x = 0; x < W; ++x)
                    if (ink(x, y))
                        lowest = y;
            EXPECT_GT(lowest, 226) << "mode " << (int)mode;
            EXPECT_LT(lowest, H - 1) << "mode " << (int)mode << ": the key help touches the bottom edge";
        }
        DespawnObject(menu->header);
    }
    SetVideoMode(25);
}

TEST(KeyNames, CodesInBothModes)
{
    struct Case {
        u8 code, padMode;
        const char* name;
    };
    const Case cases[] = {
        {16, 0, "Q"},         {25, 0, "P"},         {30, 0, "A"},     {38, 0, "L"},       {44, 0, "Z"},
        {50, 0, "M"},         {29, 0, "Control"},   {42, 0, "Shift"}, {56, 0, "Alt"},     {57, 0, "Space"},
        {72, 0, "Up"},        {75, 0, "Left"},      {77, 0, "Right"}, {80, 0, "Down"},    {15, 0, "Key 15"},
        {28, 0, "Key 28"},    {26, 0, "Key 26"},    {43, 0, "Key 43"}, {138, 0, "Key 138"}, {0, 0, "Key 0"},
        {128, 1, "D-Up"},     {131, 1, "D-Right"},  {136, 1, "LTrigger"}, {137, 1, "RTrigger"}, {138, 1, "Btn. A"},
        {141, 1, "Btn. Y"},   {142, 1, "LBumper"},  {143, 1, "RBumper"}, {144, 1, "Select"}, {145, 1, "Start"},
        {146, 1, "LStick"},   {147, 1, "RStick"},   {132, 1, "Key 132"}, {148, 1, "Key 148"}, {31, 1, "Key 31"},
    };
    for (const Case& c : cases) {
        char buffer[16] = "unused";
        EXPECT_STREQ(BindingCodeName(c.code, c.padMode, buffer, sizeof(buffer)), c.name)
            << (int)c.code << " pad " << (int)c.padMode;
    }
}

} // namespace
