// The slot update rule of the raw input table and the keyboard poll.
#include "tests/unit/HeadlessGame.h"

namespace {

class ButtonStatesTest : public HeadlessGame {};

TEST_F(ButtonStatesTest, HeldKeyRepeatsOnThePressThenAfter30ThenEvery7)
{
    headless::SetKey(0x1E, true);
    for (int poll = 0; poll < 45; ++poll) {
        PollKeyboard();
        EXPECT_EQ(ButtonState(PlanePressed, 0x1E), poll == 0) << poll;
        EXPECT_EQ(ButtonState(PlaneHeld, 0x1E), 1) << poll;
        EXPECT_EQ(ButtonState(PlaneRepeat, 0x1E), poll == 0 || poll == 30 || poll == 37 || poll == 44) << poll;
    }
    headless::SetKey(0x1E, false);
    PollKeyboard();
    EXPECT_EQ(ButtonState(PlanePressed, 0x1E) + ButtonState(PlaneHeld, 0x1E) + ButtonState(PlaneRepeat, 0x1E), 0);
    headless::SetKey(0x1E, true);
    PollKeyboard();
    EXPECT_EQ(ButtonState(PlaneCountdown, 0x1E), 30); // a new press restarts the countdown
}

TEST_F(ButtonStatesTest, WheelFlagsCountOnceAndOnlyKeyboardSlotsChange)
{
    wheelForward = 1;
    PollKeyboard();
    EXPECT_EQ(ButtonState(PlanePressed, 126), 1);
    EXPECT_EQ(ButtonState(PlanePressed, 127), 0);
    PollKeyboard();
    EXPECT_EQ(ButtonState(PlaneHeld, 126), 0);
    for (int slot = 128; slot < buttonSlotCount; ++slot)
        ASSERT_EQ(ButtonState(PlaneHeld, slot), 0);
}

} // namespace
