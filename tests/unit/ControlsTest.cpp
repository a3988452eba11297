// Player controls: the default bindings and the mapping of the raw table into each player's masks.
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/Demo.h"
#include "Engine/Platform/Pads.h"
#include "tests/unit/HeadlessGame.h"
#include "tools/datakit/InputFiles.h"

namespace {

constexpr int keyS = 31, keyReturn = 28;
constexpr u32 jumpBit = 1u << BindJump;

class ControlsTest : public HeadlessGame {
protected:
    void SetUp() override
    {
        HeadlessGame::SetUp();
        SetDefaultBindings();
        for (PlayerControls& live : liveControls)
            live.heldMask = live.pressedMask = 0;
    }
    void TearDown() override
    {
        StopDemo();
        HeadlessGame::TearDown();
    }
    static void Set(int slot, bool active) { UpdateButtonSlot(slot, active); }
};

TEST_F(ControlsTest, DefaultBindings)
{
    const PlayerControls& one = playerControls[0];
    const PlayerControls& two = playerControls[1];
    const PlayerControls& four = playerControls[3];
    struct Row {
        int slot, padInput, firstKey, secondKey;
    };
    const Row rows[] = {{BindUp, 0, 72, 23}, {BindJump, 10, 31, 49}, {BindStart, 17, 28, 24}, {BindSelect, 16, 15, 25},
                        {BindLineIn, 8, 42, 19}, {BindLineOut, 9, 29, 20}, {BindGrapple, 15, 18, 22},
                        {15, 19, 47, 27}, {17, 1, 0, 0}, {BindAimRight, 7, 0, 0}};
    for (const Row& row : rows) {
        EXPECT_EQ(one.padBinding[row.slot], PadSlot(0, row.padInput)) << row.slot;
        EXPECT_EQ(two.padBinding[row.slot], PadSlot(1, row.padInput)) << row.slot;
        EXPECT_EQ(one.keyBinding[row.slot], row.firstKey) << row.slot;
        EXPECT_EQ(two.keyBinding[row.slot], row.secondKey) << row.slot;
        EXPECT_EQ(four.keyBinding[row.slot], row.firstKey) << row.slot;
    }
    // Player 3's pad block reaches past what a binding byte holds from input 12 on, player 4's
    // entirely: those bindings bind nothing instead of wrapping onto keys.
    EXPECT_EQ(playerControls[2].padBinding[BindJump], PadSlot(2, PadButtonA));
    EXPECT_EQ(playerControls[2].padBinding[BindAttack], 0);
    for (int b = 0; b < bindingSlotCount; ++b)
        EXPECT_EQ(four.padBinding[b], 0) << b;
}

TEST_F(ControlsTest, EitherBindingHoldsAndPressedPlanesCombine)
{
    Set(PadSlot(0, PadButtonA), true);
    MapControls();
    EXPECT_EQ(playerControls[0].heldMask, jumpBit);
    EXPECT_EQ(playerControls[0].pressedMask, jumpBit);

    // The key pressed while the pad button is still held is a new press of the binding.
    Set(PadSlot(0, PadButtonA), true);
    Set(keyS, true);
    MapControls();
    EXPECT_EQ(playerControls[0].heldMask, jumpBit);
    EXPECT_EQ(playerControls[0].pressedMask, jumpBit);

    Set(PadSlot(0, PadButtonA), true);
    Set(keyS, true);
    MapControls();
    EXPECT_EQ(playerControls[0].pressedMask, 0u);
    EXPECT_EQ(playerControls[1].heldMask, 0u); // player 2 has other keys and pad 1
}

TEST_F(ControlsTest, BindingOfSlotZeroIsInert)
{
    Set(0, true); // forced active: no device reports slot 0, but a binding of 0 must not care
    playerControls[0].keyBinding[BindJump] = 0;
    playerControls[0].padBinding[BindJump] = 0;
    MapControls();
    EXPECT_EQ(playerControls[0].heldMask & jumpBit, 0u);
    EXPECT_EQ(liveControls[0].pressedMask & jumpBit, 0u);
}

TEST_F(ControlsTest, BitsSixteenToNineteenAreNeverMapped)
{
    // Bindings 16-19 name pad inputs 0-3, which are held here; the game's own bits there survive.
    for (int n = 0; n < 4; ++n)
        Set(PadSlot(0, n), true);
    playerControls[0].heldMask = 0x000A0000;
    playerControls[0].pressedMask = 0x00050000;
    liveControls[0].heldMask = 0x00030000;
    MapControls();
    EXPECT_EQ(playerControls[0].heldMask, 0x000A000Fu);
    EXPECT_EQ(playerControls[0].pressedMask, 0x0005000Fu);
    EXPECT_EQ(liveControls[0].heldMask, 0x0003000Fu);
}

TEST_F(ControlsTest, EveryControlMode)
{
    struct Case {
        u32 mode;
        u32 expectedHeld; // player 1's heldMask after the tick
    };
    constexpr u32 gameSet = 0x00800002; // what the game last wrote
    constexpr u32 demoHeld = 0x00000101;
    const Case cases[] = {
        {ControlLive, jumpBit},       {ControlRecord, jumpBit}, {ControlUntouched, gameSet},
        {ControlPlayback, demoHeld}, {7, jumpBit},
    };
    const std::vector<u8> demo = datakit::DemoFile(99, {{demoHeld, 0x100}});
    for (const Case& c : cases) {
        if (c.mode == ControlPlayback) {
            ASSERT_TRUE(StartDemoPlaybackFromBytes(demo.data(), demo.size()));
        }
        controlModes[0] = c.mode;
        playerControls[0].heldMask = playerControls[0].pressedMask = gameSet;
        Set(keyS, true);
        Set(keyReturn, false);
        MapControls();
        EXPECT_EQ(playerControls[0].heldMask, c.expectedHeld) << c.mode;
        EXPECT_EQ(liveControls[0].heldMask, jumpBit) << c.mode; // the devices, whatever the mode
        StopDemo();
        Set(keyS, false);
    }
}

} // namespace
