// The SDL keyboard: every key the game reads lands on its set-1 slot, and a press is never lost
// between two polls.
#include <SDL.h>
#include <gtest/gtest.h>

#include <set>

#include "Engine/Platform/Platform.h"
#include "Engine/Platform/Sdl/SdlKeys.h"

namespace {

TEST(SdlKeysTest, KeysLandOnTheirScanCodeSlots)
{
    // The rows that are easy to get wrong: extended keys without their prefix, both modifier keys
    // on the left key's slot, F11 and F12 after F10.
    const struct {
        int scancode;
        int slot;
    } rows[] = {
        {SDL_SCANCODE_ESCAPE, 1},   {SDL_SCANCODE_RETURN, 28},  {SDL_SCANCODE_LCTRL, 29},
        {SDL_SCANCODE_RCTRL, 29},   {SDL_SCANCODE_LSHIFT, 42},  {SDL_SCANCODE_RSHIFT, 42},
        {SDL_SCANCODE_LALT, 56},    {SDL_SCANCODE_RALT, 56},    {SDL_SCANCODE_SPACE, 57},
        {SDL_SCANCODE_F1, 59},      {SDL_SCANCODE_F10, 68},     {SDL_SCANCODE_F11, 69},
        {SDL_SCANCODE_F12, 70},     {SDL_SCANCODE_HOME, 71},    {SDL_SCANCODE_UP, 72},
        {SDL_SCANCODE_PAGEUP, 73},  {SDL_SCANCODE_LEFT, 75},    {SDL_SCANCODE_RIGHT, 77},
        {SDL_SCANCODE_END, 79},     {SDL_SCANCODE_DOWN, 80},    {SDL_SCANCODE_PAGEDOWN, 81},
        {SDL_SCANCODE_INSERT, 82},  {SDL_SCANCODE_DELETE, 83},  {SDL_SCANCODE_A, 30},
        {SDL_SCANCODE_Z, 44},       {SDL_SCANCODE_Q, 16},       {SDL_SCANCODE_1, 2},
        {SDL_SCANCODE_0, 11},       {SDL_SCANCODE_GRAVE, 41},   {SDL_SCANCODE_BACKSLASH, 43},
        {SDL_SCANCODE_SLASH, 53},   {SDL_SCANCODE_BACKSPACE, 14}, {SDL_SCANCODE_TAB, 15},
        // Keys the game does not read.
        {SDL_SCANCODE_CAPSLOCK, -1}, {SDL_SCANCODE_NUMLOCKCLEAR, -1}, {SDL_SCANCODE_KP_8, -1},
        {SDL_SCANCODE_LGUI, -1},    {9999, -1}, {-1, -1},
    };
    for (const auto& row : rows)
        EXPECT_EQ(SdlKeySlot(row.scancode), row.slot) << "scancode " << row.scancode;
}

TEST(SdlKeysTest, SeventySevenKeysEachOnItsOwnSlot)
{
    std::set<int> slots;
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
        const int slot = SdlKeySlot(scancode);
        if (slot >= 0) {
            EXPECT_LT(slot, 125) << SDL_GetScancodeName((SDL_Scancode)scancode);
            slots.insert(slot);
        }
    }
    EXPECT_EQ(slots.size(), 77u);
}

TEST(SdlKeysTest, PressReleasedBetweenPollsCountsOnce)
{
    SdlResetKeys();
    u8 active[128];
    SdlKeyEvent(SDL_SCANCODE_SPACE, true);
    SdlKeyEvent(SDL_SCANCODE_SPACE, false);
    PollKeys(active);
    EXPECT_EQ(active[57], 1);
    PollKeys(active);
    EXPECT_EQ(active[57], 0);

    // Held across polls: down every time until released.
    SdlKeyEvent(SDL_SCANCODE_X, true);
    PollKeys(active);
    PollKeys(active);
    EXPECT_EQ(active[45], 1);
    SdlKeyEvent(SDL_SCANCODE_X, false);
    PollKeys(active);
    EXPECT_EQ(active[45], 0);
}

TEST(SdlKeysTest, EitherControlKeyHoldsTheSlotUntilBothAreUp)
{
    SdlResetKeys();
    u8 active[128];
    SdlKeyEvent(SDL_SCANCODE_LCTRL, true);
    SdlKeyEvent(SDL_SCANCODE_RCTRL, true);
    SdlKeyEvent(SDL_SCANCODE_LCTRL, false);
    PollKeys(active);
    PollKeys(active); // the latch is spent: what remains is the right key still held
    EXPECT_EQ(active[29], 1);
    SdlKeyEvent(SDL_SCANCODE_RCTRL, false);
    PollKeys(active);
    EXPECT_EQ(active[29], 0);
}

TEST(SdlKeysTest, CapsLockReportsItsToggleAndTheWheelSlotsAreLeftAlone)
{
    SdlResetKeys();
    u8 active[128];
    active[126] = active[127] = 0xAA;
    SdlSetCapsLock(true);
    PollKeys(active);
    PollKeys(active);
    EXPECT_EQ(active[125], 1);
    EXPECT_EQ(active[126], 0xAA);
    EXPECT_EQ(active[127], 0xAA);
    SdlSetCapsLock(false);
    PollKeys(active);
    EXPECT_EQ(active[125], 0);
}

} // namespace
