// pad_check: the Win32 pad code against stand-in devices. XInput's query and the DirectInput
// devices are replaced by fakes that answer as each case scripts; their states go through the
// backend's own conversions and the portable pad tables into the raw input table. Runs under Wine.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Engine/Platform/Input.h"
#include "Engine/Platform/Pads.h"
#include "Engine/Platform/Win32/Win32PadsInternal.h"
#include "tests/programs/ExitLine.h"
#include "tests/unit/PadCases.h"

// This program links the pad code alone; the keyboard is not part of it.
void PollKeys(u8 active[128])
{
    memset(active, 0, 128);
}

namespace {

int checks, failures;

#define CHECK(condition, ...)                                                                           \
    do {                                                                                                \
        ++checks;                                                                                       \
        if (!(condition)) {                                                                             \
            printf("  FAILED at line %d: %s ", __LINE__, #condition);                                  \
            printf(__VA_ARGS__);                                                                        \
            printf("\n");                                                                               \
            ++failures;                                                                                 \
        }                                                                                               \
    } while (0)

// ---- the stand-ins -----------------------------------------------------------------------------

bool xconnected[4];
XINPUT_STATE xstates[4];

DWORD WINAPI FakeXInputGetState(DWORD user, XINPUT_STATE* state)
{
    if (user >= 4 || !xconnected[user])
        return ERROR_DEVICE_NOT_CONNECTED;
    *state = xstates[user];
    return ERROR_SUCCESS;
}

#define FAKE_METHOD(name, ...) \
    HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { return E_NOTIMPL; }

class FakeDevice : public IDirectInputDevice8A {
public:
    DIJOYSTATE2 joystate{};
    int pollFailures = 0;        // Poll fails this many more times
    std::vector<HRESULT> acquireResults; // answered in order, then DI_OK
    int acquireCalls = 0, stateCalls = 0;
    HRESULT setPropertyResult = DI_OK;
    std::vector<DIPROPRANGE> ranges;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Poll() override
    {
        if (pollFailures > 0) {
            --pollFailures;
            return DIERR_NOTACQUIRED;
        }
        return DI_OK;
    }
    HRESULT STDMETHODCALLTYPE Acquire() override
    {
        const size_t call = (size_t)acquireCalls++;
        return call < acquireResults.size() ? acquireResults[call] : DI_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD size, LPVOID data) override
    {
        ++stateCalls;
        if (size != sizeof(DIJOYSTATE2))
            return DIERR_INVALIDPARAM;
        memcpy(data, &joystate, sizeof(joystate));
        return DI_OK;
    }
    HRESULT STDMETHODCALLTYPE SetProperty(REFGUID property, LPCDIPROPHEADER header) override
    {
        if (&property == &DIPROP_RANGE && header->dwSize == sizeof(DIPROPRANGE))
            ranges.push_back(*(const DIPROPRANGE*)header);
        return setPropertyResult;
    }
    FAKE_METHOD(GetCapabilities, LPDIDEVCAPS)
    FAKE_METHOD(EnumObjects, LPDIENUMDEVICEOBJECTSCALLBACKA, LPVOID, DWORD)
    FAKE_METHOD(GetProperty, REFGUID, LPDIPROPHEADER)
    FAKE_METHOD(Unacquire)
    FAKE_METHOD(GetDeviceData, DWORD, LPDIDEVICEOBJECTDATA, LPDWORD, DWORD)
    FAKE_METHOD(SetDataFormat, LPCDIDATAFORMAT)
    FAKE_METHOD(SetEventNotification, HANDLE)
    FAKE_METHOD(SetCooperativeLevel, HWND, DWORD)
    FAKE_METHOD(GetObjectInfo, LPDIDEVICEOBJECTINSTANCEA, DWORD, DWORD)
    FAKE_METHOD(GetDeviceInfo, LPDIDEVICEINSTANCEA)
    FAKE_METHOD(RunControlPanel, HWND, DWORD)
    FAKE_METHOD(Initialize, HINSTANCE, DWORD, REFGUID)
    FAKE_METHOD(CreateEffect, REFGUID, LPCDIEFFECT, LPDIRECTINPUTEFFECT*, LPUNKNOWN)
    FAKE_METHOD(EnumEffects, LPDIENUMEFFECTSCALLBACKA, LPVOID, DWORD)
    FAKE_METHOD(GetEffectInfo, LPDIEFFECTINFOA, REFGUID)
    FAKE_METHOD(GetForceFeedbackState, LPDWORD)
    FAKE_METHOD(SendForceFeedbackCommand, DWORD)
    FAKE_METHOD(EnumCreatedEffectObjects, LPDIENUMCREATEDEFFECTOBJECTSCALLBACK, LPVOID, DWORD)
    FAKE_METHOD(Escape, LPDIEFFESCAPE)
    FAKE_METHOD(SendDeviceData, DWORD, LPCDIDEVICEOBJECTDATA, LPDWORD, DWORD)
    FAKE_METHOD(EnumEffectsInFile, LPCSTR, LPDIENUMEFFECTSINFILECALLBACK, LPVOID, DWORD)
    FAKE_METHOD(WriteEffectToFile, LPCSTR, DWORD, LPDIFILEEFFECT, DWORD)
    FAKE_METHOD(BuildActionMap, LPDIACTIONFORMATA, LPCSTR, DWORD)
    FAKE_METHOD(SetActionMap, LPDIACTIONFORMATA, LPCSTR, DWORD)
    FAKE_METHOD(GetImageInfo, LPDIDEVICEIMAGEINFOHEADERA)
};

// Hands out fake devices from CreateDevice.
class FakeDirectInput : public IDirectInput8A {
public:
    FakeDevice devices[20];
    int created = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateDevice(REFGUID, LPDIRECTINPUTDEVICE8A* device, LPUNKNOWN) override
    {
        if (created == 20)
            return E_OUTOFMEMORY;
        *device = &devices[created++];
        return DI_OK;
    }
    FAKE_METHOD(EnumDevices, DWORD, LPDIENUMDEVICESCALLBACKA, LPVOID, DWORD)
    FAKE_METHOD(GetDeviceStatus, REFGUID)
    FAKE_METHOD(RunControlPanel, HWND, DWORD)
    FAKE_METHOD(Initialize, HINSTANCE, DWORD)
    FAKE_METHOD(FindDevice, REFGUID, LPCSTR, LPGUID)
    FAKE_METHOD(EnumDevicesBySemantics, LPCSTR, LPDIACTIONFORMATA, LPDIENUMDEVICESBYSEMANTICSCBA, LPVOID, DWORD)
    FAKE_METHOD(ConfigureDevices, LPDICONFIGUREDEVICESCALLBACK, LPDICONFIGUREDEVICESPARAMSA, DWORD, LPVOID)
};

FakeDevice devices[4];

// Back to no pads, an empty table and the fakes installed.
void Fresh()
{
    memset(buttonStates, 0, buttonPlaneBytes);
    memset(xconnected, 0, sizeof(xconnected));
    memset(xstates, 0, sizeof(xstates));
    for (FakeDevice& device : devices) {
        device.joystate = DIJOYSTATE2{};
        device.joystate.rgdwPOV[0] = 0xFFFFFFFF;
        device.pollFailures = device.acquireCalls = device.stateCalls = 0;
        device.acquireResults.clear();
    }
    for (int i = 0; i < maxPadDevices; ++i)
        padDevices[i] = i < 4 ? &devices[i] : nullptr;
    padDeviceCount = 0;
    xinputPadCount = 0;
    xinputGetState = FakeXInputGetState;
}

u64 HeldMask(int pad)
{
    u64 mask = 0;
    for (int n = 0; n < padInputCount; ++n)
        if (ButtonState(PlaneHeld, PadSlot(pad, n)))
            mask |= 1ull << n;
    return mask;
}

// ---- the checks ----------------------------------------------------------------------------------

void XInputTable()
{
    Fresh();
    for (const padcases::XCase& c : padcases::xcases) {
        xconnected[1] = true;
        XINPUT_GAMEPAD& pad = xstates[1].Gamepad;
        pad.wButtons = c.state.buttons;
        pad.bLeftTrigger = c.state.leftTrigger;
        pad.bRightTrigger = c.state.rightTrigger;
        pad.sThumbLX = c.state.thumbLX;
        pad.sThumbLY = c.state.thumbLY;
        pad.sThumbRX = c.state.thumbRX;
        pad.sThumbRY = c.state.thumbRY;
        PollPads();
        CHECK(HeldMask(1) == c.active, "(%s)", c.name);
        CHECK(HeldMask(0) == 0 && HeldMask(2) == 0, "(%s)", c.name);
    }
    // Without the XInput DLL there are no XInput pads.
    xinputGetState = nullptr;
    XPadState state{};
    CHECK(!PollXPad(1, &state), "(no DLL)");
}

void DirectInputTable()
{
    Fresh();
    padDeviceCount = 1;
    for (const padcases::DCase& c : padcases::dcases) {
        DIJOYSTATE2& js = devices[0].joystate;
        js = DIJOYSTATE2{};
        js.lX = c.x;
        js.lY = c.y;
        js.lZ = c.z;
        js.lRx = c.rx;
        js.lRy = c.ry;
        js.rgdwPOV[0] = c.pov;
        if (c.button >= 0)
            js.rgbButtons[c.button] = c.buttonByte;
        js.rgbButtons[40] = 0x80; // past the 32 buttons read
        PollPads();
        CHECK(HeldMask(0) == c.active, "(%s)", c.name);
    }
}

void PadNumbersAndFailedPolls()
{
    Fresh();
    padDeviceCount = 2;
    xinputPadCount = 2;
    devices[0].joystate.rgbButtons[0] = 0x80;
    devices[1].joystate.rgbButtons[1] = 0x80;
    PollPads();
    CHECK(ButtonState(PlanePressed, 244 + PadButtonA) == 1, "(first DirectInput pad is pad 2)");
    CHECK(ButtonState(PlanePressed, PadSlot(3, PadButtonB)) == 1, "(second is pad 3)");

    // A failing poll acquires the device (again while input is lost) and ends the tick's poll.
    Fresh();
    padDeviceCount = 2;
    devices[0].pollFailures = 1;
    devices[0].acquireResults = {DIERR_INPUTLOST, DIERR_INPUTLOST, DI_OK};
    devices[1].joystate.rgbButtons[0] = 0x80;
    PollPads();
    CHECK(devices[0].acquireCalls == 3, "(acquired %d times)", devices[0].acquireCalls);
    CHECK(devices[1].stateCalls == 0, "(the next device waits a tick)");
    CHECK(HeldMask(1) == 0, "(nothing read)");
    PollPads();
    CHECK(HeldMask(1) == 1ull << PadButtonA, "(read on the next tick)");

    // A device that reports lost input for ever does not hold the game thread.
    Fresh();
    padDeviceCount = 1;
    devices[0].pollFailures = 1;
    devices[0].acquireResults.assign(1000, DIERR_INPUTLOST);
    PollPads();
    CHECK(devices[0].acquireCalls < 1000, "(acquired %d times)", devices[0].acquireCalls);
}

// When WMI cannot tell the XInput pads apart, one pad is read by XInput and by DirectInput into
// pad 0: its press still counts once and it repeats on schedule.
void OnePadTwoSources()
{
    Fresh();
    padDeviceCount = 1;
    xconnected[0] = true;
    xstates[0].Gamepad.wButtons = XINPUT_GAMEPAD_A;
    devices[0].joystate.rgbButtons[0] = 0x80;
    const int slot = PadSlot(0, PadButtonA);
    for (int poll = 0; poll < 38; ++poll) {
        PollPads();
        CHECK(ButtonState(PlanePressed, slot) == (poll == 0), "(poll %d)", poll);
        CHECK(ButtonState(PlaneRepeat, slot) == (poll == 0 || poll == 30 || poll == 37), "(poll %d)", poll);
    }
}

DIDEVICEINSTANCEA Instance(u32 productWord)
{
    DIDEVICEINSTANCEA instance{};
    instance.dwSize = sizeof(instance);
    instance.guidProduct.Data1 = productWord;
    return instance;
}

BOOL Enumerate(u32 productWord)
{
    const DIDEVICEINSTANCEA instance = Instance(productWord);
    return EnumPadCallback(&instance, nullptr);
}

void Enumeration()
{
    Fresh();
    FakeDirectInput fake;
    IDirectInput8A* saved = directInput;
    directInput = &fake;
    memset(padDevices, 0, sizeof(padDevices));
    u32 ids[2] = {0x028E045E, 0x02D1045E};
    xinputDeviceIds = ids;
    xinputDeviceIdCount = 2;

    CHECK(Enumerate(0x028E045E) == DIENUM_CONTINUE, "(skipped)");
    CHECK(Enumerate(0x00061234) == DIENUM_CONTINUE, "(created)");
    CHECK(Enumerate(0x02D1045E) == DIENUM_CONTINUE, "(skipped)");
    CHECK(xinputPadCount == 2 && padDeviceCount == 1, "(%d skipped, %d made)", xinputPadCount, padDeviceCount);
    for (int i = 0; i < 18; ++i)
        Enumerate(0x00070000 + i);
    CHECK(padDeviceCount == 16 && fake.created == 16, "(%d held, %d made)", padDeviceCount, fake.created);

    // Axes get the range -1000..1000 by their id; other objects are left alone.
    FakeDevice device;
    DIDEVICEOBJECTINSTANCEA axis{};
    axis.dwType = DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(3);
    DIDEVICEOBJECTINSTANCEA button{};
    button.dwType = DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(0);
    CHECK(EnumAxisCallback(&button, &device) == DIENUM_CONTINUE && device.ranges.empty(), "(button)");
    CHECK(EnumAxisCallback(&axis, &device) == DIENUM_CONTINUE, "(axis)");
    CHECK(device.ranges.size() == 1 && device.ranges[0].lMin == -1000 && device.ranges[0].lMax == 1000 &&
              device.ranges[0].diph.dwHow == DIPH_BYID && device.ranges[0].diph.dwObj == axis.dwType,
          "(range)");
    device.setPropertyResult = DIERR_UNSUPPORTED;
    CHECK(EnumAxisCallback(&axis, &device) == DIENUM_STOP, "(a range that cannot be set stops)");

    xinputDeviceIds = nullptr;
    xinputDeviceIdCount = 0;
    directInput = saved;
}

} // namespace

int main()
{
    buttonStates = (u8*)calloc(buttonPlaneBytes, 1);
    if (!buttonStates)
        return ReturnWithExitLine("pad_check", 2);
    printf("XInput table\n");
    XInputTable();
    printf("DirectInput table\n");
    DirectInputTable();
    printf("pad numbers and failed polls\n");
    PadNumbersAndFailedPolls();
    printf("one pad, two sources\n");
    OnePadTwoSources();
    printf("enumeration\n");
    Enumeration();
    printf("%d passed, %d failed\n", checks - failures, failures);
    fflush(stdout);
    free(buttonStates);
    return ReturnWithExitLine("pad_check", failures ? 1 : 0);
}
