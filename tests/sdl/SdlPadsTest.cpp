// SDL pads through SDL itself: virtual joysticks stand in for a pad of the XInput kind and for a
// plain joystick, and their inputs must reach the pad slots of the raw input table.
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "Engine/Platform/Input.h"
#include "Engine/Platform/Pads.h"
#include "Engine/Platform/Sdl/SdlPads.h"

// This program links the pad code alone; the keyboard is not part of it.
void PollKeys(u8 active[128])
{
    memset(active, 0, 128);
}

namespace {

class SdlPadsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        ASSERT_EQ(SDL_Init(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
        buttonStates = (u8*)calloc(buttonPlaneBytes, 1);
    }
    void TearDown() override
    {
        for (SDL_Joystick* handle : handles_)
            SDL_JoystickClose(handle);
        SdlClosePads();
        for (int index : attached_)
            SDL_JoystickDetachVirtual(index);
        SDL_Quit();
        free(buttonStates);
        buttonStates = nullptr;
    }

    // Attaches a virtual device and opens a handle to drive it; returns the handle.
    SDL_Joystick* Attach(SDL_JoystickType type, int axes, int buttons, int hats, u16 vendor, u16 product)
    {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = (Uint16)type;
        desc.naxes = (Uint16)axes;
        desc.nbuttons = (Uint16)buttons;
        desc.nhats = (Uint16)hats;
        desc.vendor_id = vendor;
        desc.product_id = product;
        desc.name = "test pad";
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        EXPECT_GE(index, 0) << SDL_GetError();
        if (index < 0)
            return nullptr;
        attached_.push_back(index);
        SDL_Joystick* handle = SDL_JoystickOpen(index);
        EXPECT_NE(handle, nullptr) << SDL_GetError();
        handles_.push_back(handle);
        return handle;
    }

    // A controller of the XInput kind: its virtual buttons and axes follow SDL's controller order.
    SDL_Joystick* AttachXInputKind()
    {
        return Attach(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0, 0x045E,
                      0x028E);
    }
    SDL_Joystick* AttachPlainJoystick() { return Attach(SDL_JOYSTICK_TYPE_ARCADE_STICK, 5, 12, 1, 0x1234, 0x5678); }

    // What the main thread's pump and the game thread's poll do in one tick.
    static void Poll()
    {
        SdlPumpPads();
        PollPads();
    }
    static u64 HeldMask(int pad)
    {
        u64 mask = 0;
        for (int n = 0; n < padInputCount; ++n)
            if (ButtonState(PlaneHeld, PadSlot(pad, n)))
                mask |= 1ull << n;
        return mask;
    }

    std::vector<int> attached_;
    std::vector<SDL_Joystick*> handles_;
};

TEST_F(SdlPadsTest, XInputKindControllerIsAnXInputPad)
{
    SDL_Joystick* pad = AttachXInputKind();
    ASSERT_NE(pad, nullptr);
    SdlInitPads();
    EXPECT_EQ(XInputPadsExcluded(), 1);
    EXPECT_EQ(DirectPadCount(), 0);

    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, 1);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_START, 1);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 1);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, -32768); // pushed up
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_RIGHTX, 32767);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
    Poll();
    const u64 expected = 1ull << PadButtonA | 1ull << PadStart | 1ull << PadLeft | 1ull << PadUp |
                         1ull << PadAimRight | 1ull << PadLeftTrigger;
    EXPECT_EQ(HeldMask(0), expected);
    EXPECT_EQ(ButtonState(PlanePressed, PadSlot(0, PadButtonA)), 1);

    // Held on: no new press; released: cleared.
    Poll();
    EXPECT_EQ(ButtonState(PlanePressed, PadSlot(0, PadButtonA)), 0);
    EXPECT_EQ(ButtonState(PlaneHeld, PadSlot(0, PadButtonA)), 1);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, 0);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, 8000); // inside the dead zone
    Poll();
    EXPECT_EQ(HeldMask(0), expected & ~(1ull << PadButtonA | 1ull << PadUp));
}

TEST_F(SdlPadsTest, OtherJoysticksAreDirectInputPadsAfterTheXInputPads)
{
    AttachXInputKind();
    SDL_Joystick* stick = AttachPlainJoystick();
    ASSERT_NE(stick, nullptr);
    SdlInitPads();
    ASSERT_EQ(XInputPadsExcluded(), 1);
    ASSERT_EQ(DirectPadCount(), 1);

    SDL_JoystickSetVirtualHat(stick, 0, SDL_HAT_RIGHTUP);
    SDL_JoystickSetVirtualAxis(stick, 2, 32767); // Z
    SDL_JoystickSetVirtualAxis(stick, 4, -32768); // Y rotation
    SDL_JoystickSetVirtualButton(stick, 7, 1);
    Poll();
    EXPECT_EQ(HeldMask(1), 1ull << PadUp | 1ull << PadRight | 1ull << PadLeftTrigger | 1ull << PadAimUp |
                               1ull << (PadButtonA + 7));
    EXPECT_EQ(HeldMask(0), 0u);
}

TEST_F(SdlPadsTest, UnpluggedPadKeepsItsSlotsAndANewPadIsRead)
{
    SDL_Joystick* stick = AttachPlainJoystick();
    ASSERT_NE(stick, nullptr);
    SdlInitPads();
    SDL_JoystickSetVirtualButton(stick, 0, 1);
    Poll();
    ASSERT_EQ(ButtonState(PlaneHeld, PadSlot(0, PadButtonA)), 1);

    SDL_JoystickClose(stick);
    handles_.clear();
    SDL_JoystickDetachVirtual(attached_.back());
    attached_.clear();
    Poll();
    Poll();
    EXPECT_EQ(ButtonState(PlaneHeld, PadSlot(0, PadButtonA)), 1);

    // Plugged in later: it takes the free place, pad 0 again.
    SDL_Joystick* again = AttachPlainJoystick();
    ASSERT_NE(again, nullptr);
    SDL_JoystickSetVirtualButton(again, 1, 1);
    Poll();
    Poll();
    EXPECT_EQ(HeldMask(0), 1ull << PadButtonB);
}

} // namespace
