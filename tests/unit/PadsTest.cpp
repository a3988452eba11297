// Pads in the raw input table: the XInput and DirectInput tables, the hat, pad numbering and the
// combining of two sources that read one pad.
#include "Engine/Platform/Pads.h"
#include "tests/unit/HeadlessGame.h"
#include "tests/unit/PadCases.h"

namespace {

using namespace padcases;

class PadsTest : public HeadlessGame {
protected:
    // The held plane of one pad block as a mask.
    static u64 HeldMask(int pad)
    {
        u64 mask = 0;
        for (int n = 0; n < padInputCount; ++n)
            if (ButtonState(PlaneHeld, PadSlot(pad, n)))
                mask |= Bit(n);
        return mask;
    }
    // Whether any plane of any slot outside the pad's block is set.
    static bool AnythingOutside(int pad)
    {
        for (int plane = 0; plane < 4; ++plane)
            for (int slot = 0; slot < buttonSlotCount; ++slot)
                if ((slot < PadSlot(pad, 0) || slot >= PadSlot(pad + 1, 0)) && ButtonState(plane, slot))
                    return true;
        return false;
    }
};

TEST_F(PadsTest, XInputStatesGiveTheirInputs)
{
    for (const XCase& c : xcases) {
        headless::SetXPad(2, &c.state);
        PollPads();
        EXPECT_EQ(HeldMask(2), c.active) << c.name;
        EXPECT_FALSE(AnythingOutside(2)) << c.name;
    }
}

TEST_F(PadsTest, DirectInputStatesGiveTheirInputs)
{
    headless::SetDirectPads(1, 0);
    for (const DCase& c : dcases) {
        headless::SetDirectPad(0, MakeDState(c));
        PollPads();
        EXPECT_EQ(HeldMask(0), c.active) << c.name;
        EXPECT_FALSE(AnythingOutside(0)) << c.name;
    }
}

TEST_F(PadsTest, HatQuarters)
{
    for (const HatCase& c : hatcases)
        EXPECT_EQ(HatQuarters(c.pov), c.quarters) << std::hex << c.pov;
}

TEST_F(PadsTest, DirectInputPadsFollowTheSkippedXInputPads)
{
    DPadState pressed{};
    pressed.pov = 0xFFFFFFFF;
    pressed.buttons[0] = 0x80;
    headless::SetDirectPads(2, 2);
    headless::SetDirectPad(0, pressed);
    PollPads();
    EXPECT_EQ(PadSlot(2, 0), 244);
    EXPECT_EQ(ButtonState(PlanePressed, PadSlot(2, PadButtonA)), 1);
    EXPECT_FALSE(AnythingOutside(2));

    // Past the sixteenth pad block a device is not read into the table.
    headless::SetDirectPads(2, 15);
    headless::SetDirectPad(1, pressed);
    PollPads();
    EXPECT_EQ(ButtonState(PlanePressed, PadSlot(15, PadButtonA)), 1);
    EXPECT_EQ(ButtonState(PlaneHeld, PadSlot(2, PadButtonA)), 1); // not read: left as it was
    EXPECT_EQ(ButtonState(PlaneHeld, PadSlot(3, PadButtonA)), 0);
}

TEST_F(PadsTest, AFailedReadEndsThePollAndAnAbsentPadIsSkipped)
{
    DPadState pressed{};
    pressed.pov = 0xFFFFFFFF;
    pressed.buttons[0] = 0x80;
    headless::SetDirectPads(2, 0);
    headless::SetDirectPad(1, pressed);

    headless::SetDirectPadRead(0, DirectPadStop);
    PollPads();
    EXPECT_EQ(headless::DirectPadReadCount(1), 0);
    EXPECT_EQ(ButtonState(PlaneHeld, PadSlot(1, PadButtonA)), 0);

    headless::SetDirectPadRead(0, DirectPadAbsent);
    PollPads();
    EXPECT_EQ(headless::DirectPadReadCount(1), 1);
    EXPECT_EQ(ButtonState(PlaneHeld, PadSlot(1, PadButtonA)), 1);
}

TEST_F(PadsTest, UnpluggedPadKeepsItsSlots)
{
    XPadState state{};
    state.buttons = XPadStart;
    headless::SetXPad(0, &state);
    PollPads();
    headless::SetXPad(0, nullptr);
    PollPads();
    PollPads();
    EXPECT_EQ(ButtonState(PlaneHeld, PadSlot(0, PadStart)), 1);
    EXPECT_EQ(ButtonState(PlaneCountdown, PadSlot(0, PadStart)), 30);
}

// When the XInput pads cannot be told apart at start-up, one physical pad is read by both sources
// into pad 0. Each slot is still updated once a poll, so presses and repeats are not lost.
TEST_F(PadsTest, OnePadReadByBothSourcesKeepsThePressAndRepeats)
{
    struct Case {
        const char* name;
        bool fromXInput, fromDirectInput;
    };
    const Case cases[] = {{"both sources", true, true}, {"XInput only", true, false}, {"DirectInput only", false, true}};
    for (const Case& c : cases) {
        headless::Reset();
        for (int plane = 0; plane < 4; ++plane)
            for (int slot = 0; slot < buttonSlotCount; ++slot)
                buttonStates[plane * buttonSlotCount + slot] = 0;
        XPadState x{};
        x.buttons = c.fromXInput ? XPadA : 0;
        DPadState d{};
        d.pov = 0xFFFFFFFF;
        d.buttons[0] = c.fromDirectInput ? 0x80 : 0;
        headless::SetXPad(0, &x);
        headless::SetDirectPads(1, 0);
        headless::SetDirectPad(0, d);
        const int slot = PadSlot(0, PadButtonA);
        for (int poll = 0; poll < 45; ++poll) {
            PollPads();
            EXPECT_EQ(ButtonState(PlanePressed, slot), poll == 0) << c.name << " poll " << poll;
            EXPECT_EQ(ButtonState(PlaneHeld, slot), 1) << c.name << " poll " << poll;
            EXPECT_EQ(ButtonState(PlaneRepeat, slot), poll == 0 || poll == 30 || poll == 37 || poll == 44)
                << c.name << " poll " << poll;
        }
    }
}

} // namespace
