// Start-up of the system pieces, the main window with its procedure, the main thread's pump and
// the release of the video objects at shutdown.
#include "Engine/Platform/Platform.h"
#include "Engine/Platform/Shell.h"
#include "Engine/Platform/Win32/Win32ExtraWindows.h"
#include "Engine/Platform/Win32/Win32Internal.h"
#include "Engine/Platform/Win32/Win32Pads.h"
#include "Engine/Platform/Win32/Win32Platform.h"

HINSTANCE mainInstance;
int mainShowCommand = SW_SHOWDEFAULT;
HWND mainWindow;
RECT desktopRect;
RECT clientRect;
MONITORINFO monitorInfo;
int frameWidthMetric, frameHeightMetric;

namespace {

const char mainClassName[] = "PALVIC WINDOW CLASS";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        OnMainWindowDestroy();
    case WM_ACTIVATE:
        // The low word: minimising sends WA_INACTIVE with the minimised flag in the high word.
        OnMainWindowActivate(LOWORD(wParam) != WA_INACTIVE);
        break;
    case WM_CLOSE:
        // Only the quit box ends the program; the window is never destroyed here.
        OnMainWindowClose();
        return 0;
    case WM_GETMINMAXINFO:
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterWindowClass(const char* name, WNDPROC procedure)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = mainInstance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = name;
    return RegisterClassExA(&windowClass) != 0;
}

} // namespace

void SetStartupArguments(void* instance, int showCommand)
{
    mainInstance = (HINSTANCE)instance;
    mainShowCommand = showCommand;
}

bool MainWindowClientArea(i32* left, i32* top, i32* width, i32* height)
{
    RECT client;
    POINT origin = {0, 0};
    if (!mainWindow || !GetClientRect(mainWindow, &client) || !ClientToScreen(mainWindow, &origin))
        return false;
    *left = origin.x;
    *top = origin.y;
    *width = client.right - client.left;
    *height = client.bottom - client.top;
    return true;
}

bool PlatformInit()
{
    if (!mainInstance)
        mainInstance = GetModuleHandleA(nullptr);
    if (!CreateDirect3D())
        return false;
    GetWindowRect(GetDesktopWindow(), &desktopRect);

    if (!RegisterWindowClass(mainClassName, WindowProc)) {
        MessageBoxA(nullptr, "Could not register main window class", "Fatal Error!", MB_ICONERROR);
        return false;
    }
    // The debug windows' class.
    if (!RegisterWindowClass("EXTRAWINDOW", ExtraWindowProc)) {
        MessageBoxA(nullptr, "Cannot register class!", "", MB_ICONERROR);
        return false;
    }
    frameWidthMetric = GetSystemMetrics(SM_CXFRAME);
    frameHeightMetric = GetSystemMetrics(SM_CYFRAME);

    const LONG desktopWidth = desktopRect.right - desktopRect.left;
    const LONG desktopHeight = desktopRect.bottom - desktopRect.top;
    mainWindow = CreateWindowExA(0, mainClassName, windowTitle, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                 (desktopWidth >> 1) - 212, (desktopHeight >> 1) - 120, 424, 240, nullptr, nullptr,
                                 mainInstance, nullptr);
    if (!mainWindow) {
        MessageBoxA(nullptr, "Could not create hWnd", "Fatal Error!", MB_ICONERROR);
        return false;
    }
    ShowWindow(mainWindow, mainShowCommand);
    GetClientRect(mainWindow, &clientRect);

    // The pads XInput serves are always left out of DirectInput.
    if (InitDirectInput(mainWindow) < 0) {
        MessageBoxA(nullptr, "Error Initializing DirectInput", "DirectInput Error", MB_ICONERROR);
        return false;
    }

    monitorInfo.cbSize = sizeof(monitorInfo);
    GetMonitorInfoA(MonitorFromWindow(mainWindow, MONITOR_DEFAULTTOPRIMARY), &monitorInfo);
    return true;
}

void PlatformShutdown()
{
    ReleaseVideoDevice();
    ReleaseDirect3D();
}

bool PumpMainThread(int* exitCode)
{
    MSG message;
    while (gameRunning) {
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE))
            continue;
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            *exitCode = (int)message.wParam;
            return true;
        }
        if (got < 0)
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return false;
}
