// What the Win32 entry points (the game's WinMain and the test programs' own) hand to the backend,
// and what they may ask of it. Plain types only: callers outside the backend include no system
// header.
#pragma once
#include "Engine/Common/Types.h"

// The instance handle and show command given to WinMain; PlatformInit uses them for the window
// classes and ShowWindow.
void SetStartupArguments(void* instance, int showCommand);

// The main window's client area in screen coordinates; false while there is no window.
bool MainWindowClientArea(i32* left, i32* top, i32* width, i32* height);

// Where the picture texture comes from: the name of the D3DX 9 library whose D3DXCreateTexture made
// it, or "device" when no D3DX 9 is installed and the device's own CreateTexture made it. Empty
// before the first texture.
const char* TextureMaker();
