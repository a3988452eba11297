// DirectInput 8 and XInput pads on Win32.
#pragma once
#include "Engine/Common/Types.h"

// Start-up, on the main thread, with the main window (an HWND): loads XInput, creates DirectInput,
// leaves the pads that XInput serves out of it (told apart through WMI), and sets up every other
// attached game controller. 0 on success; otherwise the failing result code, after its box.
i32 InitDirectInput(void* mainWindow);
