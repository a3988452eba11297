// The Direct3D side of presentation: placing the main window for a picture size, the device with
// its square picture texture and the quad that shows it, the per-tick present, and bringing a lost
// device back. Every Direct3D call goes through direct3DCalls.
#include <cstring>

#include <d3d9.h>

#include "Engine/Common/Debug.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Platform/Win32/Direct3DCalls.h"
#include "Engine/Platform/Win32/Win32Internal.h"

namespace {

struct QuadVertex {
    f32 x, y, z, rhw, u, v;
};
constexpr u32 quadFormat = D3DFVF_XYZRHW | D3DFVF_TEX1;

void* device;
void* texture;
void* vertexBuffer;
DWORD deviceThread; // the thread that created the device: only it may Reset it

// What the device was made for, kept so a recovered device is made the same.
u32 pictureWidth, pictureHeight;
u32 textureSize;
u32 quadW, quadH;
bool linearFilter;

void ReleaseObject(void** object)
{
    if (*object) {
        direct3DCalls->release(*object);
        *object = nullptr;
    }
}

void SetSamplerStates()
{
    const u32 filter = linearFilter ? D3DTEXF_LINEAR : D3DTEXF_POINT;
    direct3DCalls->setSamplerState(device, 0, D3DSAMP_MAGFILTER, filter);
    direct3DCalls->setSamplerState(device, 0, D3DSAMP_MINFILTER, filter);
    direct3DCalls->setSamplerState(device, 0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
}

void SetTextureStates()
{
    direct3DCalls->setTextureStageState(device, 0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    direct3DCalls->setTextureStageState(device, 0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    direct3DCalls->setTextureStageState(device, 0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    direct3DCalls->setTexture(device, 0, texture);
}

u32 PowerOfTwoAtLeast(u32 value)
{
    u32 size = 1;
    while (size < value)
        size <<= 1;
    return size;
}

void Report(bool show, const char* text, const char* caption)
{
    if (show)
        ShowMessageBox(text, caption, BoxOk);
}

// The quad, its vertex buffer and the picture texture. Failures show their boxes when asked (a
// recovery retries quietly on the next tick instead).
i32 CreateBackbufferTexture(bool showFailures)
{
    textureSize = PowerOfTwoAtLeast(pictureWidth);
    if (PowerOfTwoAtLeast(pictureHeight) > textureSize)
        textureSize = PowerOfTwoAtLeast(pictureHeight);

    // Direct3D 9 samples a pixel at its integer position: with the corners half a pixel up and to
    // the left, every pixel takes the centre of its own texel and the picture stays whole, edges
    // included. (Texture coordinates nudged by half a quad pixel instead would move it by a texel.)
    const f32 left = -0.5f, top = -0.5f, right = (f32)quadW - 0.5f, bottom = (f32)quadH - 0.5f;
    const f32 uLeft = 0.0f, uRight = (f32)pictureWidth / (f32)textureSize;
    const f32 vTop = 0.0f, vBottom = (f32)pictureHeight / (f32)textureSize;
    const QuadVertex quad[6] = {
        {left, bottom, 1.0f, 1.0f, uLeft, vBottom}, {left, top, 1.0f, 1.0f, uLeft, vTop},
        {right, top, 1.0f, 1.0f, uRight, vTop},     {left, bottom, 1.0f, 1.0f, uLeft, vBottom},
        {right, top, 1.0f, 1.0f, uRight, vTop},     {right, bottom, 1.0f, 1.0f, uRight, vBottom},
    };

    i32 result = direct3DCalls->createVertexBuffer(device, sizeof(quad), D3DUSAGE_WRITEONLY, quadFormat,
                                                   D3DPOOL_MANAGED, &vertexBuffer);
    if (result < 0) {
        vertexBuffer = nullptr;
        Report(showFailures, "Error Creating vertex buffer", "DXError");
        Report(showFailures, "Failed to Initialize Vertex Buffer", "D3D Error");
        return result;
    }
    void* vertices = nullptr;
    result = direct3DCalls->lockVertexBuffer(vertexBuffer, 0, 0, &vertices, 0);
    if (result < 0) {
        Report(showFailures, "Error Locking vertex buffer", "DXError");
        Report(showFailures, "Failed to Initialize Vertex Buffer", "D3D Error");
        return result;
    }
    memcpy(vertices, quad, sizeof(quad));
    direct3DCalls->unlockVertexBuffer(vertexBuffer);

    result = direct3DCalls->createTexture(device, textureSize, textureSize, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED,
                                          &texture);
    if (result < 0) {
        texture = nullptr;
        Report(showFailures, "Failed to Initialize Texture", "D3D Error");
        return result;
    }
    SetTextureStates();
    return result;
}

PresentResult Classify(i32 result)
{
    if (result >= 0)
        return PresentOk;
    if (result == d3dDeviceLost)
        return PresentLost;
    if (result == d3dDeviceNotReset)
        return PresentNotReset;
    return PresentFatal;
}

// Device, texture and quad anew on the calling thread, without boxes. False leaves no device.
bool RecreateDevice()
{
    ReleaseObject(&texture);
    ReleaseObject(&vertexBuffer);
    ReleaseObject(&device);
    if (direct3DCalls->createDevice(mainWindow, &device) < 0) {
        device = nullptr;
        return false;
    }
    deviceThread = GetCurrentThreadId();
    SetSamplerStates();
    if (CreateBackbufferTexture(false) < 0) {
        ReleaseObject(&texture);
        ReleaseObject(&vertexBuffer);
        ReleaseObject(&device);
        return false;
    }
    return true;
}

} // namespace

void PlaceMainWindow(u32 width, u32 height, bool fullscreen, u32* quadWidth, u32* quadHeight)
{
    if (!fullscreen) {
        RECT outer = {0, 0, (LONG)width, (LONG)height};
        AdjustWindowRectEx(&outer, (DWORD)GetWindowLongA(mainWindow, GWL_STYLE), GetMenu(mainWindow) != nullptr,
                           (DWORD)GetWindowLongA(mainWindow, GWL_EXSTYLE));
        clientRect = RECT{0, 0, (LONG)width, (LONG)height};
        SetWindowPos(mainWindow, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOCOPYBITS);
        const LONG desktopWidth = desktopRect.right - desktopRect.left;
        const LONG desktopHeight = desktopRect.bottom - desktopRect.top;
        SetWindowPos(mainWindow, HWND_TOP, (desktopWidth >> 1) - (LONG)(width >> 1),
                     (desktopHeight >> 1) - (LONG)(height >> 1), 0, 0, SWP_NOSIZE);
        *quadWidth = width;
        *quadHeight = height;
        return;
    }
    monitorInfo.cbSize = sizeof(monitorInfo);
    GetMonitorInfoA(MonitorFromWindow(mainWindow, MONITOR_DEFAULTTONEAREST), &monitorInfo);
    const RECT& monitor = monitorInfo.rcMonitor;
    SetWindowPos(mainWindow, nullptr, 0, 0, monitor.right - monitor.left, monitor.bottom - monitor.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(mainWindow, HWND_TOP, monitor.left, monitor.top, 0, 0, SWP_NOSIZE);
    // The quad stops short of the bottom by a caption and a frame.
    monitorInfo.rcMonitor.bottom -= GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
    *quadWidth = (u32)(monitor.right - monitor.left);
    *quadHeight = (u32)(monitor.bottom - monitor.top);
}

void SetMainWindowStyle(bool fullscreen)
{
    SetWindowLongA(mainWindow, GWL_STYLE,
                   fullscreen ? (LONG)(WS_POPUP | WS_VISIBLE)
                              : (LONG)(WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
}

i32 CaptionHeightMetric()
{
    return GetSystemMetrics(SM_CYCAPTION);
}

void ShowMouseCursor(bool show)
{
    if (show) {
        while (ShowCursor(TRUE) < 0) {
        }
    } else {
        while (ShowCursor(FALSE) >= 0) {
        }
    }
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

void CreateVideoDevice(u32 width, u32 height, u32 quadWidth, u32 quadHeight, bool linear)
{
    ReleaseObject(&texture);
    ReleaseObject(&vertexBuffer);
    pictureWidth = width;
    pictureHeight = height;
    quadW = quadWidth;
    quadH = quadHeight;
    linearFilter = linear;
    ReleaseObject(&device);

    const i32 result = direct3DCalls->createDevice(mainWindow, &device);
    if (result < 0) {
        device = nullptr;
        FormatDebugText("Error Initializing D3D Device: %08X", (u32)result);
        ShowMessageBox(debugText, "DX Error", BoxOk);
        ExitProcessNow(0);
    }
    deviceThread = GetCurrentThreadId();
    SetSamplerStates();
    if (CreateBackbufferTexture(true) < 0) {
        ShowMessageBox("Error Initializing D3D Backbuffer Texture", "DX Error", BoxOk);
        ExitProcessNow(0);
    }
}

PresentResult PresentPixels(const u32* pixels, u32 width, u32 height)
{
    if (!device)
        return PresentNotReset; // an earlier recovery could not make one: try again
    // A lost device is left alone until it can be reset; drawing into it only fails.
    i32 result = direct3DCalls->testCooperativeLevel(device);
    if (result < 0)
        return Classify(result);

    if (texture && pixels && width <= textureSize && height <= textureSize) {
        const D3dRect area = {0, 0, (i32)width, (i32)height};
        D3dLockedRect locked = {};
        if (direct3DCalls->lockRect(texture, 0, &locked, &area, 0) >= 0) {
            u8* row = (u8*)locked.bits;
            for (u32 y = 0; y < height; ++y, row += locked.pitch)
                memcpy(row, pixels + (size_t)y * width, (size_t)width * 4);
            direct3DCalls->unlockRect(texture, 0);
        }
    }

    result = direct3DCalls->clear(device, D3DCLEAR_TARGET, 0, 1.0f, 0);
    if (result >= 0)
        result = direct3DCalls->beginScene(device);
    if (result >= 0) {
        direct3DCalls->setFVF(device, quadFormat);
        direct3DCalls->setStreamSource(device, 0, vertexBuffer, 0, sizeof(QuadVertex));
        direct3DCalls->drawPrimitive(device, D3DPT_TRIANGLELIST, 0, 2);
        direct3DCalls->endScene(device);
        result = direct3DCalls->present(device);
    }
    return Classify(result);
}

bool RecoverVideoDevice()
{
    // Reset belongs to the thread that made the device; any other thread (and a failed Reset)
    // makes the device anew. The managed texture and quad survive a Reset; the states do not.
    if (device && deviceThread == GetCurrentThreadId() && direct3DCalls->reset(device) >= 0) {
        SetTextureStates();
        SetSamplerStates();
        return true;
    }
    if (RecreateDevice())
        return true;
    // Nothing can be shown yet: keep to the pace of a lost device.
    SleepMs(500);
    return false;
}

void ReleaseVideoDevice()
{
    ReleaseObject(&texture);
    ReleaseObject(&vertexBuffer);
    ReleaseObject(&device);
}
