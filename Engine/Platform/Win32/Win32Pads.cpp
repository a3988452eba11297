#include "Engine/Platform/Win32/Win32Pads.h"

#include "Engine/Platform/Win32/Win32PadsInternal.h"

#include <dinputd.h>
#include <oleauto.h>
#include <wbemidl.h>

#include <cstdlib>
#include <cwchar>

#include "Engine/Common/Debug.h"

IDirectInput8A* directInput;
IDirectInputDevice8A* padDevices[maxPadDevices];
u8 padDeviceCount;
u8 xinputPadCount;
u32* xinputDeviceIds;
u32 xinputDeviceIdCount;
XInputGetStateProc xinputGetState;

namespace {

// A device that keeps reporting lost input is given up on for this tick rather than spun on.
constexpr int maxAcquireTries = 64;

void ShowInputError(const char* text)
{
    MessageBoxA(nullptr, text, "DirectInput Error", MB_ICONERROR);
}

// XInput 1.3 (by its ordinal), else the versions a stock Windows ships (by name).
void LoadXInput()
{
    if (xinputGetState)
        return;
    if (HMODULE library = LoadLibraryA("xinput1_3.dll"))
        xinputGetState = (XInputGetStateProc)(void*)GetProcAddress(library, (LPCSTR)(ULONG_PTR)2);
    static const char* const fallbacks[] = {"xinput1_4.dll", "xinput9_1_0.dll"};
    for (const char* name : fallbacks) {
        if (xinputGetState)
            return;
        if (HMODULE library = LoadLibraryA(name))
            xinputGetState = (XInputGetStateProc)(void*)GetProcAddress(library, "XInputGetState");
    }
}

void AddXInputDeviceId(u32 id)
{
    u32* grown = (u32*)realloc(xinputDeviceIds, (xinputDeviceIdCount + 1) * sizeof(u32));
    if (!grown)
        return;
    xinputDeviceIds = grown;
    xinputDeviceIds[xinputDeviceIdCount++] = id;
}

// The hexadecimal number after a marker such as "VID_" in a device id; 0 without one.
u32 HexAfter(const wchar_t* text, const wchar_t* marker, const wchar_t* format)
{
    const wchar_t* at = wcsstr(text, marker);
    unsigned int value = 0;
    if (!at || swscanf(at, format, &value) != 1)
        return 0;
    return value;
}

// Lists the XInput devices by their "IG_" device ids, through WMI. Silent on failure (apart from
// the connect text): the list is then empty and XInput pads also show up as DirectInput pads.
HRESULT FindXInputDevices()
{
    const HRESULT comResult = CoInitialize(nullptr);
    const bool comStarted = SUCCEEDED(comResult);
    IWbemLocator* locator = nullptr;
    IWbemServices* services = nullptr;
    IEnumWbemClassObject* enumerator = nullptr;
    BSTR nameSpace = SysAllocString(L"\\\\.\\root\\cimv2");
    BSTR className = SysAllocString(L"Win32_PNPEntity");
    BSTR deviceIdName = SysAllocString(L"DeviceID");

    HRESULT result = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                      (void**)&locator);
    if (SUCCEEDED(result) && locator && nameSpace && className && deviceIdName) {
        result = locator->ConnectServer(nameSpace, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services);
        if (FAILED(result) || !services) {
            FormatDebugText("WMI CONNECT FAIL %llX %llX", (unsigned long long)(long long)result,
                            (unsigned long long)(ULONG_PTR)services);
        } else {
            CoSetProxyBlanket(services, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                              RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
            result = services->CreateInstanceEnum(className, 0, nullptr, &enumerator);
            while (SUCCEEDED(result) && enumerator) {
                IWbemClassObject* objects[20] = {};
                ULONG returned = 0;
                result = enumerator->Next(10000, 20, objects, &returned);
                if (FAILED(result) || returned == 0)
                    break;
                for (ULONG i = 0; i < returned && i < 20; ++i) {
                    VARIANT value;
                    VariantInit(&value);
                    if (SUCCEEDED(objects[i]->Get(deviceIdName, 0, &value, nullptr, nullptr)) &&
                        value.vt == VT_BSTR && value.bstrVal && wcsstr(value.bstrVal, L"IG_")) {
                        const u32 vid = HexAfter(value.bstrVal, L"VID_", L"VID_%4X");
                        const u32 pid = HexAfter(value.bstrVal, L"PID_", L"PID_%4X");
                        AddXInputDeviceId(pid << 16 | (vid & 0xFFFF));
                    }
                    VariantClear(&value);
                    objects[i]->Release();
                }
            }
        }
    }

    if (enumerator)
        enumerator->Release();
    if (locator)
        locator->Release();
    if (services)
        services->Release();
    SysFreeString(nameSpace);
    SysFreeString(className);
    SysFreeString(deviceIdName);
    if (comStarted)
        CoUninitialize();
    return result;
}

} // namespace

BOOL CALLBACK EnumPadCallback(const DIDEVICEINSTANCEA* instance, void*)
{
    const u32 productId = (u32)instance->guidProduct.Data1;
    for (u32 i = 0; i < xinputDeviceIdCount; ++i) {
        if (xinputDeviceIds[i] == productId) {
            ++xinputPadCount;
            return DIENUM_CONTINUE;
        }
    }
    if (padDeviceCount < maxPadDevices && directInput &&
        SUCCEEDED(directInput->CreateDevice(instance->guidInstance, &padDevices[padDeviceCount], nullptr)) &&
        padDevices[padDeviceCount])
        ++padDeviceCount;
    return DIENUM_CONTINUE;
}

BOOL CALLBACK EnumAxisCallback(const DIDEVICEOBJECTINSTANCEA* object, void* device)
{
    if (!(object->dwType & DIDFT_AXIS))
        return DIENUM_CONTINUE;
    DIPROPRANGE range{};
    range.diph.dwSize = sizeof(DIPROPRANGE);
    range.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    range.diph.dwHow = DIPH_BYID;
    range.diph.dwObj = object->dwType;
    range.lMin = -1000;
    range.lMax = 1000;
    if (FAILED(((IDirectInputDevice8A*)device)->SetProperty(DIPROP_RANGE, &range.diph)))
        return DIENUM_STOP;
    return DIENUM_CONTINUE;
}

i32 InitDirectInput(void* mainWindow)
{
    LoadXInput();

    HRESULT result = DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                        (void**)&directInput, nullptr);
    if (FAILED(result)) {
        ShowInputError("DirectInput8Create Failed");
        return result;
    }

    // Without XInput the pads it would read stay with DirectInput, or no one would read them.
    if (xinputGetState)
        FindXInputDevices();

    IDirectInputJoyConfig8* joyConfig = nullptr;
    result = directInput->QueryInterface(IID_IDirectInputJoyConfig8, (void**)&joyConfig);
    if (FAILED(result)) {
        ShowInputError("QueryInterface Failed");
        return result;
    }
    joyConfig->Release();

    result = directInput->EnumDevices(DI8DEVCLASS_GAMECTRL, EnumPadCallback, nullptr, DIEDFL_ATTACHEDONLY);
    if (FAILED(result)) {
        ShowInputError("EnumDevices Failed");
        return result;
    }

    free(xinputDeviceIds);
    xinputDeviceIds = nullptr;
    xinputDeviceIdCount = 0;

    for (int i = 0; i < padDeviceCount; ++i) {
        IDirectInputDevice8A* device = padDevices[i];
        result = device->SetDataFormat(&c_dfDIJoystick2);
        if (FAILED(result)) {
            ShowInputError("SetDataFormat Failed");
            return result;
        }
        result = device->SetCooperativeLevel((HWND)mainWindow, DISCL_EXCLUSIVE | DISCL_FOREGROUND);
        if (FAILED(result)) {
            FormatDebugText("Error Code %x %d", (unsigned)result, (int)result);
            MessageBoxA(nullptr, debugText, "SetCooperativeLevel", MB_ICONERROR);
            return result;
        }
        result = device->EnumObjects(EnumAxisCallback, device, DIDFT_ALL);
        if (FAILED(result)) {
            ShowInputError("EnumObjects Failed");
            return result;
        }
    }
    return 0;
}

void XPadStateFromXInput(const XINPUT_GAMEPAD& pad, XPadState* state)
{
    state->buttons = pad.wButtons;
    state->leftTrigger = pad.bLeftTrigger;
    state->rightTrigger = pad.bRightTrigger;
    state->thumbLX = pad.sThumbLX;
    state->thumbLY = pad.sThumbLY;
    state->thumbRX = pad.sThumbRX;
    state->thumbRY = pad.sThumbRY;
}

void DPadStateFromJoystate(const DIJOYSTATE2& joystate, DPadState* state)
{
    state->x = joystate.lX;
    state->y = joystate.lY;
    state->z = joystate.lZ;
    state->rx = joystate.lRx;
    state->ry = joystate.lRy;
    state->pov = joystate.rgdwPOV[0];
    for (int b = 0; b < 32; ++b)
        state->buttons[b] = joystate.rgbButtons[b];
}

bool PollXPad(int user, XPadState* state)
{
    if (!xinputGetState || user < 0 || user >= 4)
        return false;
    XINPUT_STATE read{};
    if (xinputGetState((DWORD)user, &read) != ERROR_SUCCESS)
        return false;
    XPadStateFromXInput(read.Gamepad, state);
    return true;
}

int DirectPadCount()
{
    return padDeviceCount;
}

DirectPadRead PollDirectPad(int index, DPadState* state)
{
    if (index < 0 || index >= padDeviceCount || !padDevices[index])
        return DirectPadStop;
    IDirectInputDevice8A* device = padDevices[index];
    if (FAILED(device->Poll())) {
        // Devices are acquired here, on their first failing poll; the pads after it wait a tick.
        int tries = 0;
        while (device->Acquire() == DIERR_INPUTLOST && ++tries < maxAcquireTries) {
        }
        return DirectPadStop;
    }
    DIJOYSTATE2 joystate;
    if (FAILED(device->GetDeviceState(sizeof(joystate), &joystate)))
        return DirectPadStop;
    DPadStateFromJoystate(joystate, state);
    return DirectPadOk;
}

int XInputPadsExcluded()
{
    return xinputPadCount;
}
