// The pad state of the Win32 backend, shared with the Windows checks that put fake devices and a
// fake XInput query in place of the real ones.
#pragma once
#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif
#include <windows.h>
#include <dinput.h>
#include <xinput.h>

#include "Engine/Common/Types.h"
#include "Engine/Platform/Platform.h"

constexpr int maxPadDevices = 16;

extern IDirectInput8A* directInput;
extern IDirectInputDevice8A* padDevices[maxPadDevices];
extern u8 padDeviceCount;
// Enumerated game controllers left out because XInput serves them.
extern u8 xinputPadCount;
// (product id << 16) | vendor id of each XInput device WMI found; only during InitDirectInput.
extern u32* xinputDeviceIds;
extern u32 xinputDeviceIdCount;

// XInputGetState, imported by ordinal 2; null when the DLL is absent (then no XInput pads).
typedef DWORD(WINAPI* XInputGetStateProc)(DWORD user, XINPUT_STATE* state);
extern XInputGetStateProc xinputGetState;

BOOL CALLBACK EnumPadCallback(const DIDEVICEINSTANCEA* instance, void* context);
BOOL CALLBACK EnumAxisCallback(const DIDEVICEOBJECTINSTANCEA* object, void* device);

// The device records as the portable pad tables read them.
void XPadStateFromXInput(const XINPUT_GAMEPAD& pad, XPadState* state);
void DPadStateFromJoystate(const DIJOYSTATE2& joystate, DPadState* state);
