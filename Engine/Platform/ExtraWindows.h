// The auxiliary debug windows: resizable windows of the class "EXTRAWINDOW", each showing a 32-bit
// pixel buffer of its own, redrawn every tick by its owner's callbacks. Nothing in the game opens
// one; tests and tools do, through OpenExtraWindow.
//
// The records and the per-tick update are portable; the window, its display and its messages
// belong to the backend (CreateExtraWindow, PresentExtraWindow, DestroyExtraWindow and
// PumpGameThreadMessage in Platform.h), which calls the helpers below from its window procedure.
#pragma once
#include "Engine/Common/Types.h"

// The drawing target an owner's callbacks draw into.
struct DrawSurface {
    f32 clipLeft, clipTop, clipRight, clipBottom;
    u32* pixels;
    i32 width, height;
    i32 pitch; // bytes
};

constexpr u8 ExtraWindowInactive = 0, ExtraWindowActive = 1, ExtraWindowClickActive = 2,
             ExtraWindowClosed = 255;

struct ExtraWindow {
    void* window;  // the backend's window; null once the window is closed
    void* display; // the backend's display objects; size messages are served only once it exists
    u32* pixels;   // width x height, drawn by the callbacks, copied unchanged to the screen
    void* backPixels; // memory of the display's back surface, refetched at each lock
    u32 width, height;               // client size
    u32 appliedWidth, appliedHeight; // size for which the display and buffer were last built
    u32 minWidth, minHeight, maxWidth, maxHeight; // client size limits for tracking
    u8 state;                                     // ExtraWindowInactive ... ExtraWindowClosed
    bool (*onClose)(ExtraWindow* window);         // optional; true refuses the close
    void (*drawInactive)(ExtraWindow* window);    // draws while inactive, and after a resize
    void (*drawActive)(ExtraWindow* window);      // draws while active
    DrawSurface* surface;
};

// The open windows; a closed window's entry becomes null and is freed by the next update. The
// count is the table's length, not the number of open windows.
extern ExtraWindow** extraWindows;
extern u16 extraWindowCount;

// Clips the surface's rectangle to (x, y, width, height) within the surface.
void SetClipRect(DrawSurface* surface, f32 x, f32 y, f32 width, f32 height);

// Opens a window of width x height client pixels (kept within the limits) titled `title`, with
// the given callbacks (drawInactive and drawActive are required; onClose may be null). The record
// goes into extraWindows. Null when the arguments are unusable or the window cannot be made.
ExtraWindow* OpenExtraWindow(const char* title, u32 width, u32 height, u32 minWidth, u32 minHeight, u32 maxWidth,
                             u32 maxHeight, bool (*onClose)(ExtraWindow*), void (*drawInactive)(ExtraWindow*),
                             void (*drawActive)(ExtraWindow*));

// Once a tick, after the frame is presented (game thread): frees the closed windows' records,
// redraws and presents every open window (not in full screen), then dispatches at most one of the
// game thread's pending window messages.
void UpdateExtraWindows();

// Shutdown: destroys every window still in the table and frees the table.
void CloseExtraWindows();

// ---- for the backends' window procedures -----------------------------------------------------------

// The close button: false when onClose refuses (the window and its record stay as they are);
// otherwise the record is marked closed, its window cleared, and the backend destroys the window.
bool AcceptExtraWindowClose(ExtraWindow* window);

// Activation, unless the window is closed.
void SetExtraWindowState(ExtraWindow* window, u8 state);

// A wheel turn over an auxiliary window: zero or more forward, negative backward.
void ExtraWindowWheel(i32 delta);

// A size message. True when the display and the buffer must be rebuilt for the new size (which
// then becomes the applied size); false when nothing changes: the size is unchanged, or the window
// was minimised (its size then reads 0 x 0, and the buffer it had stays for its return).
bool BeginExtraWindowResize(ExtraWindow* window, u32 width, u32 height, bool minimized);

// After the backend rebuilt its display for the applied size: a new cleared buffer, the surface
// over it with the clip rectangle covering it, and drawInactive. False when the buffer could not
// be allocated (the window then shows nothing until the next size).
bool FinishExtraWindowResize(ExtraWindow* window);

// The client size a drag asks for, in steps of 16 rounded up, kept within the limits (at the step
// below the maximum when rounding up would pass it).
u32 SnapClientSize(i32 client, u32 minimum, u32 maximum);

// The dragged edge of a sizing rectangle (the values of the Windows sizing message).
enum : int {
    SizingLeft = 1,
    SizingRight = 2,
    SizingTop = 3,
    SizingTopLeft = 4,
    SizingTopRight = 5,
    SizingBottom = 6,
    SizingBottomLeft = 7,
    SizingBottomRight = 8,
};
struct ExtraRect {
    i32 left, top, right, bottom;
};

// Moves the dragged edges of an outer window rectangle so that the client area (the rectangle less
// twice the frame and the caption) gets a snapped size.
void SnapSizingRect(const ExtraWindow* window, int edge, ExtraRect* rect, i32 frameWidth, i32 frameHeight,
                    i32 captionHeight);
