// The auxiliary windows' DirectDraw display and window procedure, shared by the Win32 backend's
// files. Only the backend includes this header.
#pragma once
#include "Engine/Platform/Win32/Win32Internal.h"

// The procedure of the class "EXTRAWINDOW"; the record is the window's user data.
LRESULT CALLBACK ExtraWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The text the DirectDraw error reporter shows for a result code ("DirectDraw Error DDERR_...").
void FormatDirectDrawError(HRESULT result, char* text, size_t size);
