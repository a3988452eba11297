#include "Engine/Platform/ExtraWindows.h"

#include <cstdlib>
#include <cstring>

#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Input.h"
#include "Engine/Platform/Platform.h"

ExtraWindow** extraWindows;
u16 extraWindowCount;

namespace {

// No display surface goes beyond this, and width x height x 4 then fits a 32-bit size.
constexpr u32 largestSide = 16384;

// max(0, value) then min(limit); a NaN clips to 0.
f32 ClipTo(f32 value, f32 limit)
{
    const f32 low = value > 0.0f ? value : 0.0f;
    return low < limit ? low : limit;
}

void PointSurface(ExtraWindow* window)
{
    DrawSurface* surface = window->surface;
    surface->pixels = window->pixels;
    surface->width = (i32)window->width;
    surface->height = (i32)window->height;
    surface->pitch = (i32)(window->width * 4);
    SetClipRect(surface, 0.0f, 0.0f, (f32)window->width, (f32)window->height);
}

void FreeRecord(ExtraWindow* window)
{
    DestroyExtraWindow(window);
    free(window->pixels);
    free(window->surface);
    free(window);
}

// The index a new window takes: the first free entry, else one more at the end. -1 when the
// table cannot grow.
int ReserveEntry()
{
    for (int i = 0; i < extraWindowCount; ++i)
        if (!extraWindows[i])
            return i;
    if (extraWindowCount == 0xFFFF)
        return -1;
    ExtraWindow** grown = (ExtraWindow**)realloc(extraWindows, (extraWindowCount + 1) * sizeof(ExtraWindow*));
    if (!grown)
        return -1;
    extraWindows = grown;
    extraWindows[extraWindowCount] = nullptr;
    return extraWindowCount++;
}

u32 Limit(u32 value, u32 minimum, u32 maximum)
{
    return value < minimum ? minimum : value > maximum ? maximum : value;
}

} // namespace

void SetClipRect(DrawSurface* surface, f32 x, f32 y, f32 width, f32 height)
{
    if (!surface)
        return;
    const f32 surfaceWidth = (f32)surface->width, surfaceHeight = (f32)surface->height;
    surface->clipLeft = ClipTo(x, surfaceWidth);
    surface->clipTop = ClipTo(y, surfaceHeight);
    surface->clipRight = ClipTo(x + width, surfaceWidth);
    surface->clipBottom = ClipTo(y + height, surfaceHeight);
}

ExtraWindow* OpenExtraWindow(const char* title, u32 width, u32 height, u32 minWidth, u32 minHeight, u32 maxWidth,
                             u32 maxHeight, bool (*onClose)(ExtraWindow*), void (*drawInactive)(ExtraWindow*),
                             void (*drawActive)(ExtraWindow*))
{
    if (!drawInactive || !drawActive)
        return nullptr;
    maxWidth = maxWidth < largestSide ? maxWidth : largestSide;
    maxHeight = maxHeight < largestSide ? maxHeight : largestSide;
    if (minWidth > maxWidth || minHeight > maxHeight)
        return nullptr;
    width = Limit(width, minWidth, maxWidth);
    height = Limit(height, minHeight, maxHeight);
    if (!width || !height)
        return nullptr;

    const int entry = ReserveEntry();
    if (entry < 0)
        return nullptr;
    ExtraWindow* window = (ExtraWindow*)calloc(1, sizeof(ExtraWindow));
    DrawSurface* surface = (DrawSurface*)calloc(1, sizeof(DrawSurface));
    u32* pixels = (u32*)calloc((size_t)width * height, 4);
    if (!window || !surface || !pixels) {
        free(window);
        free(surface);
        free(pixels);
        return nullptr;
    }
    window->pixels = pixels;
    window->width = window->appliedWidth = width;
    window->height = window->appliedHeight = height;
    window->minWidth = minWidth;
    window->minHeight = minHeight;
    window->maxWidth = maxWidth;
    window->maxHeight = maxHeight;
    window->state = ExtraWindowInactive;
    window->onClose = onClose;
    window->drawInactive = drawInactive;
    window->drawActive = drawActive;
    window->surface = surface;
    PointSurface(window);

    if (!CreateExtraWindow(window, title ? title : "")) {
        free(pixels);
        free(surface);
        free(window);
        return nullptr;
    }
    extraWindows[entry] = window;
    return window;
}

void UpdateExtraWindows()
{
    if (!fullscreen) {
        bool cursorShown = false;
        // A callback may open a window: the table is read afresh at every entry.
        for (int i = 0; i < extraWindowCount; ++i) {
            ExtraWindow* window = extraWindows[i];
            if (!window)
                continue;
            if (window->state == ExtraWindowClosed) {
                FreeRecord(window);
                extraWindows[i] = nullptr;
                continue;
            }
            if (!cursorShown) {
                ShowMouseCursor(true);
                cursorShown = true;
            }
            if (window->pixels)
                memset(window->pixels, 0, (size_t)window->width * window->height * 4);
            if (window->state != ExtraWindowInactive)
                window->drawActive(window);
            else
                window->drawInactive(window);
            if (window->state != ExtraWindowClosed)
                PresentExtraWindow(window);
        }
    }
    PumpGameThreadMessage();
}

void CloseExtraWindows()
{
    // Entries already freed are null; only the records still there are destroyed.
    for (int i = 0; i < extraWindowCount; ++i) {
        if (extraWindows[i])
            FreeRecord(extraWindows[i]);
        extraWindows[i] = nullptr;
    }
    free(extraWindows);
    extraWindows = nullptr;
    extraWindowCount = 0;
}

bool AcceptExtraWindowClose(ExtraWindow* window)
{
    if (window->onClose && window->onClose(window))
        return false;
    window->state = ExtraWindowClosed;
    window->window = nullptr;
    return true;
}

void SetExtraWindowState(ExtraWindow* window, u8 state)
{
    if (window->state != ExtraWindowClosed)
        window->state = state;
}

void ExtraWindowWheel(i32 delta)
{
    if (delta >= 0)
        wheelForward = 1;
    else
        wheelBackward = 1;
}

bool BeginExtraWindowResize(ExtraWindow* window, u32 width, u32 height, bool minimized)
{
    // A minimised window reports 0 x 0: there is nothing to build for that, and the window comes
    // back at the size it had.
    if (minimized || !width || !height)
        return false;
    if (width == window->appliedWidth && height == window->appliedHeight)
        return false;
    window->appliedWidth = width;
    window->appliedHeight = height;
    return true;
}

bool FinishExtraWindowResize(ExtraWindow* window)
{
    // The size and the buffer change together, so the update never clears past the buffer.
    free(window->pixels);
    window->pixels = nullptr;
    window->width = window->height = 0;
    if (window->appliedWidth <= largestSide && window->appliedHeight <= largestSide)
        window->pixels = (u32*)calloc((size_t)window->appliedWidth * window->appliedHeight, 4);
    if (window->pixels) {
        window->width = window->appliedWidth;
        window->height = window->appliedHeight;
    }
    PointSurface(window);
    if (!window->pixels)
        return false;
    window->drawInactive(window);
    return true;
}

u32 SnapClientSize(i32 client, u32 minimum, u32 maximum)
{
    u32 size = client > 0 ? (u32)client : 0;
    if (size < minimum)
        size = minimum;
    size = (size + 15) & ~15u;
    if (maximum >= minimum && size > maximum) {
        size = maximum & ~15u;
        if (size < minimum)
            size = maximum;
    }
    return size;
}

void SnapSizingRect(const ExtraWindow* window, int edge, ExtraRect* rect, i32 frameWidth, i32 frameHeight,
                    i32 captionHeight)
{
    const i32 borderWidth = 2 * frameWidth, borderHeight = 2 * frameHeight + captionHeight;
    const i32 outerWidth =
        (i32)SnapClientSize(rect->right - rect->left - borderWidth, window->minWidth, window->maxWidth) + borderWidth;
    const i32 outerHeight =
        (i32)SnapClientSize(rect->bottom - rect->top - borderHeight, window->minHeight, window->maxHeight) +
        borderHeight;
    const bool left = edge == SizingLeft || edge == SizingTopLeft || edge == SizingBottomLeft;
    const bool right = edge == SizingRight || edge == SizingTopRight || edge == SizingBottomRight;
    const bool top = edge == SizingTop || edge == SizingTopLeft || edge == SizingTopRight;
    const bool bottom = edge == SizingBottom || edge == SizingBottomLeft || edge == SizingBottomRight;
    if (left)
        rect->left = rect->right - outerWidth;
    if (right)
        rect->right = rect->left + outerWidth;
    if (top)
        rect->top = rect->bottom - outerHeight;
    if (bottom)
        rect->bottom = rect->top + outerHeight;
}
