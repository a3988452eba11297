// What the SDL backend's files share: the main window, the main thread's request queue, and the
// picture's hooks into the pump.
#pragma once
#include "Engine/Common/Types.h"
#include "Engine/Platform/Sdl/SdlRequests.h"

struct SDL_Window;

extern SDL_Window* sdlWindow;
extern MainRequestQueue mainRequests;

// The desktop rectangle read at start-up (the primary display); windowed modes centre on it.
extern i32 desktopX, desktopY, desktopWidth, desktopHeight;

// The window's caption and bottom frame heights, read while it is windowed (0 without a window
// manager that decorates it).
i32 SdlCaptionMetric();
i32 SdlFrameMetric();

// Where the full-screen picture goes on a display: a box of the frame's shape, centred, at the
// largest whole multiple of the frame that fits (whole set), or on a display smaller than the frame
// the largest box of its shape that fits (whole clear). The rest of the display stays black.
struct PictureBox {
    i32 x, y, width, height;
    bool whole;
};
PictureBox FullscreenPictureBox(i32 displayWidth, i32 displayHeight, i32 frameWidth, i32 frameHeight);

// Main thread: the renderer lost its targets (false) or its whole device (true).
void SdlVideoReset(bool device);
// Main thread: puts the newest presented picture on the screen; with redraw set, shows the last
// one again even when nothing new came (the window was exposed).
void SdlShowNewestPicture(bool redraw);
// Main thread: destroys the texture and the renderer.
void SdlDestroyVideo();
