// exit_probe MODE: the least a Windows program does before it ends, one step more each mode, so a
// crash at exit can be laid at the door of the step that brings it (run under Wine by
// tests/windows/exit_probe.sh):
//   none          returns at once
//   window        a window shown and pumped for a moment, then destroyed
//   device        the window with a Direct3D 9 device that clears and presents a few frames,
//                 everything released and destroyed in order before returning
//   device-kept   the same, but nothing released or destroyed: the process's end does it
//   thread        the device made, presented and released on a second thread, joined before
//                 returning (the game's own shape)
//   crash-at-exit nothing made; returns 0, then faults in its own code during the exit that
//                 follows (as a static destructor of a program could): a crash of the program's
//                 after its exit line, which the scripts must not take for Wine's
// The last line written is "exit_probe: exit code N".
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <windows.h>

#include <d3d9.h>

#include "tests/programs/ExitLine.h"

namespace {

HWND window;

LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void Pump(int milliseconds)
{
    const DWORD end = GetTickCount() + (DWORD)milliseconds;
    while ((LONG)(end - GetTickCount()) > 0) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    }
}

bool MakeWindow()
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "EXIT PROBE";
    if (!RegisterClassExA(&windowClass))
        return false;
    window = CreateWindowExA(0, "EXIT PROBE", "exit_probe", WS_OVERLAPPEDWINDOW, 40, 40, 320, 200, nullptr, nullptr,
                             windowClass.hInstance, nullptr);
    if (!window)
        return false;
    ShowWindow(window, SW_SHOW);
    Pump(100);
    return true;
}

struct Video {
    IDirect3D9* direct3D;
    IDirect3DDevice9* device;
};

// Makes the device on the window and presents a few cleared frames; false when any step fails.
bool MakeDevice(Video* video)
{
    video->direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!video->direct3D)
        return false;
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferCount = 1;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = window;
    parameters.Windowed = TRUE;
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    if (FAILED(video->direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                             D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &video->device)))
        return false;
    for (int frame = 0; frame < 10; ++frame) {
        video->device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(frame * 20, 80, 160), 1.0f, 0);
        if (FAILED(video->device->Present(nullptr, nullptr, nullptr, nullptr)))
            return false;
        Sleep(10);
    }
    return true;
}

void ReleaseDevice(Video* video)
{
    if (video->device)
        video->device->Release();
    if (video->direct3D)
        video->direct3D->Release();
    *video = Video{};
}

DWORD WINAPI DeviceThread(LPVOID result)
{
    Video video = {};
    *(bool*)result = MakeDevice(&video);
    ReleaseDevice(&video);
    return 0;
}

volatile int* nowhere;

void FaultAtExit()
{
    *nowhere = 1;
}

int Run(const char* mode)
{
    if (strcmp(mode, "none") == 0)
        return 0;
    if (strcmp(mode, "crash-at-exit") == 0) {
        atexit(FaultAtExit);
        return 0;
    }
    if (!MakeWindow()) {
        fprintf(stderr, "exit_probe: no window\n");
        return 1;
    }
    if (strcmp(mode, "window") == 0) {
        DestroyWindow(window);
        return 0;
    }
    if (strcmp(mode, "device") == 0 || strcmp(mode, "device-kept") == 0) {
        Video video = {};
        const bool made = MakeDevice(&video);
        Pump(50);
        if (strcmp(mode, "device-kept") == 0)
            return made ? 0 : 1;
        ReleaseDevice(&video);
        DestroyWindow(window);
        return made ? 0 : 1;
    }
    if (strcmp(mode, "thread") == 0) {
        bool made = false;
        HANDLE thread = CreateThread(nullptr, 0, DeviceThread, &made, 0, nullptr);
        if (!thread)
            return 1;
        // Serve the window's messages while the thread works, as the game's main thread does.
        while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
            Pump(0);
        CloseHandle(thread);
        DestroyWindow(window);
        return made ? 0 : 1;
    }
    fprintf(stderr, "exit_probe: unknown mode \"%s\"\n", mode);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    return ReturnWithExitLine("exit_probe", Run(argc > 1 ? argv[1] : "none"));
}
