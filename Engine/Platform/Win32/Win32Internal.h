// State shared by the files of the Win32 backend. Only the backend includes this header.
#pragma once
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

extern HINSTANCE mainInstance;
extern int mainShowCommand;
extern HWND mainWindow;
extern RECT desktopRect;       // the desktop window's rectangle at start-up: windows centre on it
extern RECT clientRect;        // the main window's client rectangle
extern MONITORINFO monitorInfo; // the monitor that holds the main window
extern int frameWidthMetric, frameHeightMetric;

// Makes the Direct3D object (the first step of start-up); false after its failure box.
bool CreateDirect3D();
// Releases the Direct3D object, if any (the last step of shutdown).
void ReleaseDirect3D();
// Releases the picture texture, the quad's vertex buffer and the device, each only if present.
void ReleaseVideoDevice();
