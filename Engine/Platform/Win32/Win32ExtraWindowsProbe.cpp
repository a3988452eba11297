#include "Engine/Platform/Win32/Win32ExtraWindowsProbe.h"

#include "Engine/Platform/ExtraWindows.h"
#include "Engine/Platform/Shell.h"
#include "Engine/Platform/Win32/Win32ExtraWindows.h"

namespace {

HWND Handle(const ExtraWindow* window)
{
    return (HWND)window->window;
}

} // namespace

bool ExtraWindowClientArea(const ExtraWindow* window, i32* left, i32* top, i32* width, i32* height)
{
    RECT client;
    POINT origin = {0, 0};
    if (!Handle(window) || !GetClientRect(Handle(window), &client) || !ClientToScreen(Handle(window), &origin))
        return false;
    *left = origin.x;
    *top = origin.y;
    *width = client.right - client.left;
    *height = client.bottom - client.top;
    return true;
}

bool ExtraWindowHandleAlive(void* handle)
{
    return handle && IsWindow((HWND)handle);
}

void PostExtraWindowClose(const ExtraWindow* window)
{
    PostMessageA(Handle(window), WM_CLOSE, 0, 0);
}

void MoveExtraWindow(const ExtraWindow* window, i32 x, i32 y)
{
    SetWindowPos(Handle(window), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ResizeExtraWindowClient(const ExtraWindow* window, u32 width, u32 height)
{
    const DWORD style = (DWORD)GetWindowLongPtrA(Handle(window), GWL_STYLE);
    RECT outer = {0, 0, (LONG)width, (LONG)height};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    SetWindowPos(Handle(window), nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MinimizeExtraWindow(const ExtraWindow* window, bool minimize)
{
    ShowWindow(Handle(window), minimize ? SW_MINIMIZE : SW_SHOWNOACTIVATE);
}

void PostExtraWindowWheel(const ExtraWindow* window, i32 delta)
{
    PostMessageA(Handle(window), WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(i16)delta), 0);
}

void SendExtraWindowSizing(const ExtraWindow* window, int edge, i32 rect[4])
{
    RECT dragged = {rect[0], rect[1], rect[2], rect[3]};
    SendMessageA(Handle(window), WM_SIZING, (WPARAM)edge, (LPARAM)&dragged);
    rect[0] = dragged.left;
    rect[1] = dragged.top;
    rect[2] = dragged.right;
    rect[3] = dragged.bottom;
}

void ExtraWindowMetrics(i32* frameWidth, i32* frameHeight, i32* caption)
{
    *frameWidth = frameWidthMetric;
    *frameHeight = frameHeightMetric;
    *caption = captionHeight;
}

void DirectDrawErrorText(u32 code, char* text, size_t size)
{
    FormatDirectDrawError((HRESULT)code, text, size);
}
