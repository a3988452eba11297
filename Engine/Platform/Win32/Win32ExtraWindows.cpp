// The auxiliary debug windows on Win32: a windowed DirectDraw 7 display for each, and the window
// procedure of their class. The windows belong to the thread that opens them (the game thread),
// which serves their messages one a tick.
#include "Engine/Platform/Win32/Win32ExtraWindows.h"

#include <cstdio>
#include <cstring>
#include <new>

#include <ddraw.h>

#include "Engine/Platform/ExtraWindows.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Platform/Shell.h"

namespace {

const DWORD extraWindowStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;

} // namespace

// The DirectDraw objects of one window.
class CDisplay final {
public:
    virtual HRESULT DestroyObjects();
    ~CDisplay() { DestroyObjects(); }

    HRESULT CreateWindowedDisplay(HWND window, DWORD width, DWORD height);
    HRESULT PresentDisplay();
    HRESULT UpdateDisplayBounds();
    HRESULT AttachDisplayClipper();

    IDirectDraw7* directDraw;
    IDirectDrawSurface7* frontSurface;
    IDirectDrawSurface7* backSurface;
    HWND window;
    RECT bounds; // the client area in screen coordinates
    BOOL windowed;
};

void ReportDirectDrawError(HRESULT result, HWND window);

namespace {

struct ErrorName {
    HRESULT code;
    const char* name;
};
#define DD_ERROR(name) {name, #name}
// The DirectDraw result codes by their header names, the generic codes it reuses among them.
const ErrorName errorNames[] = {
    DD_ERROR(DDERR_ALREADYINITIALIZED), DD_ERROR(DDERR_CANNOTATTACHSURFACE), DD_ERROR(DDERR_CANNOTDETACHSURFACE),
    DD_ERROR(DDERR_CURRENTLYNOTAVAIL), DD_ERROR(DDERR_EXCEPTION), DD_ERROR(DDERR_GENERIC),
    DD_ERROR(DDERR_HEIGHTALIGN), DD_ERROR(DDERR_INCOMPATIBLEPRIMARY), DD_ERROR(DDERR_INVALIDCAPS),
    DD_ERROR(DDERR_INVALIDCLIPLIST), DD_ERROR(DDERR_INVALIDMODE), DD_ERROR(DDERR_INVALIDOBJECT),
    DD_ERROR(DDERR_INVALIDPARAMS), DD_ERROR(DDERR_INVALIDPIXELFORMAT), DD_ERROR(DDERR_INVALIDRECT),
    DD_ERROR(DDERR_LOCKEDSURFACES), DD_ERROR(DDERR_NO3D), DD_ERROR(DDERR_NOALPHAHW),
    DD_ERROR(DDERR_NOSTEREOHARDWARE), DD_ERROR(DDERR_NOSURFACELEFT), DD_ERROR(DDERR_NOCLIPLIST),
    DD_ERROR(DDERR_NOCOLORCONVHW), DD_ERROR(DDERR_NOCOOPERATIVELEVELSET), DD_ERROR(DDERR_NOCOLORKEY),
    DD_ERROR(DDERR_NOCOLORKEYHW), DD_ERROR(DDERR_NODIRECTDRAWSUPPORT), DD_ERROR(DDERR_NOEXCLUSIVEMODE),
    DD_ERROR(DDERR_NOFLIPHW), DD_ERROR(DDERR_NOGDI), DD_ERROR(DDERR_NOMIRRORHW), DD_ERROR(DDERR_NOTFOUND),
    DD_ERROR(DDERR_NOOVERLAYHW), DD_ERROR(DDERR_OVERLAPPINGRECTS), DD_ERROR(DDERR_NORASTEROPHW),
    DD_ERROR(DDERR_NOROTATIONHW), DD_ERROR(DDERR_NOSTRETCHHW), DD_ERROR(DDERR_NOT4BITCOLOR),
    DD_ERROR(DDERR_NOT4BITCOLORINDEX), DD_ERROR(DDERR_NOT8BITCOLOR), DD_ERROR(DDERR_NOTEXTUREHW),
    DD_ERROR(DDERR_NOVSYNCHW), DD_ERROR(DDERR_NOZBUFFERHW), DD_ERROR(DDERR_NOZOVERLAYHW),
    DD_ERROR(DDERR_OUTOFCAPS), DD_ERROR(DDERR_OUTOFMEMORY), DD_ERROR(DDERR_OUTOFVIDEOMEMORY),
    DD_ERROR(DDERR_OVERLAYCANTCLIP), DD_ERROR(DDERR_OVERLAYCOLORKEYONLYONEACTIVE), DD_ERROR(DDERR_PALETTEBUSY),
    DD_ERROR(DDERR_COLORKEYNOTSET), DD_ERROR(DDERR_SURFACEALREADYATTACHED), DD_ERROR(DDERR_SURFACEALREADYDEPENDENT),
    DD_ERROR(DDERR_SURFACEBUSY), DD_ERROR(DDERR_CANTLOCKSURFACE), DD_ERROR(DDERR_SURFACEISOBSCURED),
    DD_ERROR(DDERR_SURFACELOST), DD_ERROR(DDERR_SURFACENOTATTACHED), DD_ERROR(DDERR_TOOBIGHEIGHT),
    DD_ERROR(DDERR_TOOBIGSIZE), DD_ERROR(DDERR_TOOBIGWIDTH), DD_ERROR(DDERR_UNSUPPORTED),
    DD_ERROR(DDERR_UNSUPPORTEDFORMAT), DD_ERROR(DDERR_UNSUPPORTEDMASK), DD_ERROR(DDERR_INVALIDSTREAM),
    DD_ERROR(DDERR_VERTICALBLANKINPROGRESS), DD_ERROR(DDERR_WASSTILLDRAWING), DD_ERROR(DDERR_DDSCAPSCOMPLEXREQUIRED),
    DD_ERROR(DDERR_XALIGN), DD_ERROR(DDERR_INVALIDDIRECTDRAWGUID), DD_ERROR(DDERR_DIRECTDRAWALREADYCREATED),
    DD_ERROR(DDERR_NODIRECTDRAWHW), DD_ERROR(DDERR_PRIMARYSURFACEALREADYEXISTS), DD_ERROR(DDERR_NOEMULATION),
    DD_ERROR(DDERR_REGIONTOOSMALL), DD_ERROR(DDERR_CLIPPERISUSINGHWND), DD_ERROR(DDERR_NOCLIPPERATTACHED),
    DD_ERROR(DDERR_NOHWND), DD_ERROR(DDERR_HWNDSUBCLASSED), DD_ERROR(DDERR_HWNDALREADYSET),
    DD_ERROR(DDERR_NOPALETTEATTACHED), DD_ERROR(DDERR_NOPALETTEHW), DD_ERROR(DDERR_BLTFASTCANTCLIP),
    DD_ERROR(DDERR_NOBLTHW), DD_ERROR(DDERR_NODDROPSHW), DD_ERROR(DDERR_OVERLAYNOTVISIBLE),
    DD_ERROR(DDERR_NOOVERLAYDEST), DD_ERROR(DDERR_INVALIDPOSITION), DD_ERROR(DDERR_NOTAOVERLAYSURFACE),
    DD_ERROR(DDERR_EXCLUSIVEMODEALREADYSET), DD_ERROR(DDERR_NOTFLIPPABLE), DD_ERROR(DDERR_CANTDUPLICATE),
    DD_ERROR(DDERR_NOTLOCKED), DD_ERROR(DDERR_CANTCREATEDC), DD_ERROR(DDERR_NODC), DD_ERROR(DDERR_WRONGMODE),
    DD_ERROR(DDERR_IMPLICITLYCREATED), DD_ERROR(DDERR_NOTPALETTIZED), DD_ERROR(DDERR_UNSUPPORTEDMODE),
    DD_ERROR(DDERR_NOMIPMAPHW), DD_ERROR(DDERR_INVALIDSURFACETYPE), DD_ERROR(DDERR_NOOPTIMIZEHW),
    DD_ERROR(DDERR_NOTLOADED), DD_ERROR(DDERR_NOFOCUSWINDOW), DD_ERROR(DDERR_NOTONMIPMAPSUBLEVEL),
    DD_ERROR(DDERR_DCALREADYCREATED), DD_ERROR(DDERR_NONONLOCALVIDMEM), DD_ERROR(DDERR_CANTPAGELOCK),
    DD_ERROR(DDERR_CANTPAGEUNLOCK), DD_ERROR(DDERR_NOTPAGELOCKED), DD_ERROR(DDERR_MOREDATA),
    DD_ERROR(DDERR_EXPIRED), DD_ERROR(DDERR_TESTFINISHED), DD_ERROR(DDERR_NEWMODE),
    DD_ERROR(DDERR_D3DNOTINITIALIZED), DD_ERROR(DDERR_VIDEONOTACTIVE), DD_ERROR(DDERR_NOMONITORINFORMATION),
    DD_ERROR(DDERR_NODRIVERSUPPORT), DD_ERROR(DDERR_DEVICEDOESNTOWNSURFACE), DD_ERROR(DDERR_NOTINITIALIZED),
};
#undef DD_ERROR

template <typename T> void Release(T** object)
{
    if (*object) {
        (*object)->Release();
        *object = nullptr;
    }
}

CDisplay* DisplayOf(const ExtraWindow* record)
{
    return (CDisplay*)record->display;
}

// The back surface's memory stays valid only while locked: it is fetched at each lock and dropped
// when the lock fails, so nothing is ever written through an old pointer.
HRESULT LockBackSurface(CDisplay* display, DDSURFACEDESC2* description, void** backPixels)
{
    *description = DDSURFACEDESC2{};
    description->dwSize = sizeof(*description);
    const HRESULT result = display->backSurface->Lock(nullptr, description, DDLOCK_WAIT, nullptr);
    *backPixels = SUCCEEDED(result) ? description->lpSurface : nullptr;
    if (SUCCEEDED(result) && !description->lpSurface) {
        display->backSurface->Unlock(nullptr);
        return DDERR_CANTLOCKSURFACE;
    }
    return result;
}

// Copies the record's pixels into the back surface, row by row at the surface's pitch; only what
// both hold, and only into 32-bit pixels.
HRESULT CopyToBackSurface(ExtraWindow* record)
{
    CDisplay* display = DisplayOf(record);
    if (!display || !display->backSurface)
        return E_POINTER;
    DDSURFACEDESC2 description;
    const HRESULT locked = LockBackSurface(display, &description, &record->backPixels);
    if (FAILED(locked))
        return locked;
    HRESULT result = DD_OK;
    if (description.ddpfPixelFormat.dwRGBBitCount != 32 || description.lPitch < 0) {
        result = DDERR_INVALIDPIXELFORMAT;
    } else if (record->pixels) {
        const u32 rows = record->height < description.dwHeight ? record->height : description.dwHeight;
        const u32 columns = record->width < description.dwWidth ? record->width : description.dwWidth;
        const size_t rowBytes = (size_t)columns * 4;
        if ((size_t)description.lPitch >= rowBytes) {
            u8* destination = (u8*)record->backPixels;
            for (u32 y = 0; y < rows; ++y)
                memcpy(destination + (size_t)y * description.lPitch, record->pixels + (size_t)y * record->width,
                       rowBytes);
        }
    }
    display->backSurface->Unlock(nullptr);
    return result;
}

void UpdateWindowBounds(ExtraWindow* record)
{
    CDisplay* display = DisplayOf(record);
    display->UpdateDisplayBounds();
    display->bounds.right = display->bounds.left + (LONG)record->width;
    display->bounds.bottom = display->bounds.top + (LONG)record->height;
}

} // namespace

HRESULT CDisplay::DestroyObjects()
{
    Release(&backSurface);
    Release(&frontSurface);
    if (directDraw)
        directDraw->SetCooperativeLevel(window, DDSCL_NORMAL);
    Release(&directDraw);
    return 0;
}

HRESULT CDisplay::CreateWindowedDisplay(HWND newWindow, DWORD width, DWORD height)
{
    DestroyObjects();
    HRESULT result = DirectDrawCreateEx(nullptr, (void**)&directDraw, IID_IDirectDraw7, nullptr);
    if (FAILED(result)) {
        directDraw = nullptr;
        ReportDirectDrawError(result, newWindow);
        return E_FAIL;
    }
    result = directDraw->SetCooperativeLevel(newWindow, DDSCL_NORMAL);
    if (FAILED(result)) {
        ReportDirectDrawError(result, newWindow);
        return E_FAIL;
    }

    LONG_PTR style = GetWindowLongPtrA(newWindow, GWL_STYLE);
    style &= ~(LONG_PTR)(WS_POPUP | WS_BORDER | WS_DLGFRAME | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX);
    style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
    SetWindowLongPtrA(newWindow, GWL_STYLE, style);

    DDSURFACEDESC2 description{};
    description.dwSize = sizeof(description);
    description.dwFlags = DDSD_CAPS;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    result = directDraw->CreateSurface(&description, &frontSurface, nullptr);
    if (FAILED(result)) {
        frontSurface = nullptr;
        ReportDirectDrawError(result, newWindow);
        return E_FAIL;
    }

    description = DDSURFACEDESC2{};
    description.dwSize = sizeof(description);
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
    description.dwWidth = width;
    description.dwHeight = height;
    result = directDraw->CreateSurface(&description, &backSurface, nullptr);
    if (FAILED(result)) {
        backSurface = nullptr;
        ReportDirectDrawError(result, newWindow);
        return E_FAIL;
    }

    window = newWindow;
    windowed = TRUE;
    AttachDisplayClipper();
    UpdateDisplayBounds();
    return 0;
}

HRESULT CDisplay::PresentDisplay()
{
    // Either surface missing leaves nothing to blit from or to.
    if (!frontSurface || !backSurface)
        return E_POINTER;
    HRESULT result;
    do {
        directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
        result = frontSurface->Blt(&bounds, backSurface, nullptr, DDBLT_WAIT, nullptr);
        if (result == DDERR_SURFACELOST) {
            frontSurface->Restore();
            backSurface->Restore();
            return result;
        }
    } while (result == DDERR_WASSTILLDRAWING);
    return result;
}

HRESULT CDisplay::UpdateDisplayBounds()
{
    if (windowed) {
        GetClientRect(window, &bounds);
        ClientToScreen(window, (POINT*)&bounds.left);
        ClientToScreen(window, (POINT*)&bounds.right);
    } else {
        SetRect(&bounds, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    }
    return 0;
}

HRESULT CDisplay::AttachDisplayClipper()
{
    IDirectDrawClipper* clipper = nullptr;
    HRESULT result = directDraw->CreateClipper(0, &clipper, nullptr);
    if (FAILED(result))
        return result;
    result = clipper->SetHWnd(0, window);
    if (SUCCEEDED(result))
        result = frontSurface->SetClipper(clipper);
    clipper->Release();
    return result;
}

void FormatDirectDrawError(HRESULT result, char* text, size_t size)
{
    for (const ErrorName& error : errorNames)
        if (error.code == result) {
            snprintf(text, size, "DirectDraw Error %s", error.name);
            return;
        }
    char unknown[32];
    snprintf(unknown, sizeof(unknown), "Unknown Error: %X", (unsigned)result);
    snprintf(text, size, "DirectDraw Error %s", unknown);
}

void ReportDirectDrawError(HRESULT result, HWND window)
{
    char text[128];
    FormatDirectDrawError(result, text, sizeof(text));
    MessageBoxA(window, text, "Error", MB_OK);
    PostQuitMessage(0);
}

HRESULT CreateExtraWindowDisplay(HWND window, u32 width, u32 height, CDisplay** display, void** backPixels)
{
    *backPixels = nullptr;
    if (!*display) {
        *display = new (std::nothrow) CDisplay();
        if (!*display)
            return E_OUTOFMEMORY;
    }
    const HRESULT result = (*display)->CreateWindowedDisplay(window, width, height);
    if (FAILED(result)) {
        MessageBoxA(window, "DirectDraw returned an error creating the windowed screen surface.", "Error!",
                    MB_ICONERROR);
        return result;
    }
    DDSURFACEDESC2 description;
    const HRESULT locked = LockBackSurface(*display, &description, backPixels);
    if (FAILED(locked)) {
        MessageBoxA(window, "DirectDraw returned an error locking the windowed screen surface.", "Error!",
                    MB_ICONERROR);
        // A display whose surface cannot be locked cannot show anything: reported, not hidden.
        return locked;
    }
    (*display)->backSurface->Unlock(nullptr);
    return 0;
}

HRESULT RestoreExtraWindowSurfaces(CDisplay** display, void** backPixels)
{
    *backPixels = nullptr;
    if (!*display || !(*display)->directDraw || !(*display)->backSurface)
        return E_POINTER;
    const HRESULT result = (*display)->directDraw->RestoreAllSurfaces();
    if (FAILED(result))
        return result;
    DDSURFACEDESC2 description;
    const HRESULT locked = LockBackSurface(*display, &description, backPixels);
    if (FAILED(locked))
        return locked;
    (*display)->backSurface->Unlock(nullptr);
    return 0;
}

namespace {

HRESULT RestoreRecord(ExtraWindow* record)
{
    CDisplay* display = DisplayOf(record);
    return RestoreExtraWindowSurfaces(&display, &record->backPixels);
}

// Copy and present; a surface lost on the way is restored and the picture presented once more.
HRESULT CopyAndPresent(ExtraWindow* record)
{
    HRESULT result = CopyToBackSurface(record);
    if (result == DDERR_SURFACELOST && SUCCEEDED(RestoreRecord(record)))
        result = CopyToBackSurface(record);
    if (FAILED(result))
        return result;
    result = DisplayOf(record)->PresentDisplay();
    if (result == DDERR_SURFACELOST) {
        result = RestoreRecord(record);
        if (SUCCEEDED(result))
            result = CopyToBackSurface(record);
        if (SUCCEEDED(result))
            result = DisplayOf(record)->PresentDisplay();
    }
    return result;
}

void ServeSize(HWND window, ExtraWindow* record, WPARAM kind, LPARAM size)
{
    if (!BeginExtraWindowResize(record, LOWORD(size), HIWORD(size), kind == SIZE_MINIMIZED))
        return;
    CDisplay* display = DisplayOf(record);
    const HRESULT result = CreateExtraWindowDisplay(window, record->appliedWidth, record->appliedHeight, &display,
                                                    &record->backPixels);
    record->display = display;
    if (FAILED(result)) {
        MessageBoxA(nullptr, "DD Init 2 Failed", "DD ERROR", MB_OK);
        ExitProcessNow(0);
    }
    const bool drawn = FinishExtraWindowResize(record);
    UpdateWindowBounds(record);
    if (drawn)
        CopyAndPresent(record);
}

} // namespace

LRESULT CALLBACK ExtraWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        // The record comes with the creation, so the limits hold from the first size on.
        const CREATESTRUCTA* creation = (const CREATESTRUCTA*)lParam;
        SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)creation->lpCreateParams);
    }
    ExtraWindow* record = (ExtraWindow*)GetWindowLongPtrA(window, GWLP_USERDATA);
    if (!record)
        return DefWindowProcA(window, message, wParam, lParam);

    switch (message) {
    case WM_DESTROY:
        return 0;
    case WM_MOVE:
        if (record->display)
            UpdateWindowBounds(record);
        return 0;
    case WM_SIZE:
        if (record->display)
            ServeSize(window, record, wParam, lParam);
        break;
    case WM_ACTIVATE:
        SetExtraWindowState(record, (u8)LOWORD(wParam));
        break;
    case WM_CLOSE:
        if (!AcceptExtraWindowClose(record))
            return 0;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break; // the default processing destroys the window
    case WM_GETMINMAXINFO: {
        MINMAXINFO* limits = (MINMAXINFO*)lParam;
        const LONG borderWidth = 2 * frameWidthMetric, borderHeight = 2 * frameHeightMetric + captionHeight;
        limits->ptMinTrackSize.x = (LONG)record->minWidth + borderWidth;
        limits->ptMinTrackSize.y = (LONG)record->minHeight + borderHeight;
        limits->ptMaxTrackSize.x = (LONG)record->maxWidth + borderWidth;
        limits->ptMaxTrackSize.y = (LONG)record->maxHeight + borderHeight;
        return 0;
    }
    case WM_MOUSEWHEEL:
        ExtraWindowWheel(GET_WHEEL_DELTA_WPARAM(wParam));
        break;
    case WM_SIZING: {
        RECT* dragged = (RECT*)lParam;
        ExtraRect rect{dragged->left, dragged->top, dragged->right, dragged->bottom};
        SnapSizingRect(record, (int)wParam, &rect, frameWidthMetric, frameHeightMetric, captionHeight);
        SetRect(dragged, rect.left, rect.top, rect.right, rect.bottom);
        break;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// ---- the seam ------------------------------------------------------------------------------------

bool CreateExtraWindow(ExtraWindow* record, const char* title)
{
    RECT outer = {0, 0, (LONG)record->width, (LONG)record->height};
    AdjustWindowRectEx(&outer, extraWindowStyle, FALSE, 0);
    HWND window = CreateWindowExA(0, "EXTRAWINDOW", title, extraWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                  outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, mainInstance,
                                  record);
    if (!window)
        return false;
    record->window = window;
    CDisplay* display = nullptr;
    if (FAILED(CreateExtraWindowDisplay(window, record->width, record->height, &display, &record->backPixels))) {
        delete display;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
        record->window = nullptr;
        record->backPixels = nullptr;
        return false;
    }
    record->display = display;
    UpdateWindowBounds(record);
    // A debug window does not take the focus from the game.
    ShowWindow(window, SW_SHOWNA);
    return true;
}

bool PresentExtraWindow(ExtraWindow* record)
{
    return record->display && SUCCEEDED(CopyAndPresent(record));
}

void DestroyExtraWindow(ExtraWindow* record)
{
    HWND window = (HWND)record->window;
    if (window && IsWindow(window)) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        // Only the thread that made a window may destroy it; the other closes it through its
        // owner, whose default processing destroys it.
        if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
            DestroyWindow(window);
        else
            PostMessageA(window, WM_CLOSE, 0, 0);
    }
    record->window = nullptr;
    delete DisplayOf(record);
    record->display = nullptr;
    record->backPixels = nullptr;
}

void PumpGameThreadMessage()
{
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE))
        return;
    // A quit message (0) has nothing to dispatch.
    if (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}
