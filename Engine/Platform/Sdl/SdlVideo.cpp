// The main window's placement and the picture: an SDL renderer with one streaming texture.
//
// The game thread hands each presented picture to a mailbox and goes on; the main thread uploads
// the newest one to the texture and draws it over the whole window, or in full screen into a box of
// the game's own shape with black bars round it. Presenting never waits for the display: the
// renderer is made without vsync and the 60 Hz pace comes from the tick clock.
#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Engine/Common/Debug.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Platform/Sdl/SdlPlatform.h"
#include "Engine/Render/VideoMode.h"

namespace {

// Main thread only.
SDL_Renderer* renderer;
SDL_Texture* texture;
u32 textureWidth, textureHeight;
bool fitToDisplay;           // full screen: the picture goes into FullscreenPictureBox
i32 frameWidth, frameHeight; // the game's frame, the grain of the full-screen multiples
bool textureHasPicture;
SDL_Rect fullscreenRect; // where the last full-screen placement put the window

struct Picture {
    u32* pixels;
    u32 width, height;
    size_t capacity; // in pixels
};

// The mailbox: the game thread writes `incoming` under the lock and marks it fresh; the main thread
// swaps it with `shown` under the lock and uploads `shown` without it, so neither thread copies a
// picture while the other waits.
SDL_mutex* pictureLock;
Picture incoming, shown;
bool incomingFresh;

// Set when the main thread could not bring the renderer back; the next present reports it.
std::atomic<bool> presentFatal{false};

SDL_Renderer* MakeRenderer()
{
    // No SDL_RENDERER_PRESENTVSYNC: a present must never wait for the vertical blank.
    SDL_Renderer* made = SDL_CreateRenderer(sdlWindow, -1, 0);
    if (!made)
        fprintf(stderr, "SDL_CreateRenderer: %s\n", SDL_GetError());
    return made;
}

bool MakeTexture()
{
    if (texture) {
        SDL_DestroyTexture(texture);
        texture = nullptr;
    }
    textureHasPicture = false;
    if (!renderer || !textureWidth || !textureHeight)
        return false;
    // 0x00RRGGBB pixels, the top byte ignored.
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, (int)textureWidth,
                                (int)textureHeight);
    if (!texture) {
        fprintf(stderr, "SDL_CreateTexture: %s\n", SDL_GetError());
        return false;
    }
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
    return true;
}

bool UploadShown()
{
    if (!texture || !shown.pixels || shown.width != textureWidth || shown.height != textureHeight)
        return false;
    if (SDL_UpdateTexture(texture, nullptr, shown.pixels, (int)(shown.width * 4)) < 0)
        return false;
    textureHasPicture = true;
    return true;
}

void DrawTexture()
{
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    if (texture && textureHasPicture) {
        int outputWidth = 0, outputHeight = 0;
        if (fitToDisplay && SDL_GetRendererOutputSize(renderer, &outputWidth, &outputHeight) == 0) {
            const PictureBox box = FullscreenPictureBox(outputWidth, outputHeight, frameWidth, frameHeight);
            // Whole multiples stay sharp; only a display smaller than the frame is scaled smoothly.
            SDL_SetTextureScaleMode(texture, box.whole ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
            const SDL_Rect to{box.x, box.y, box.width, box.height};
            SDL_RenderCopy(renderer, texture, nullptr, &to);
        } else {
            SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        }
    }
    SDL_RenderPresent(renderer);
}

struct PlaceRequest {
    u32 width, height;
    bool fullscreen;
    u32 quadWidth, quadHeight;
};

void ServePlace(void* data)
{
    PlaceRequest* place = (PlaceRequest*)data;
    place->quadWidth = place->width;
    place->quadHeight = place->height;
    if (!sdlWindow)
        return;
    if (place->fullscreen) {
        // A borderless window over the display that holds the window, not topmost.
        int display = SDL_GetWindowDisplayIndex(sdlWindow);
        SDL_Rect bounds;
        if (display < 0 || SDL_GetDisplayBounds(display, &bounds) < 0)
            bounds = SDL_Rect{desktopX, desktopY, desktopWidth, desktopHeight};
        fullscreenRect = bounds;
        SDL_SetWindowSize(sdlWindow, bounds.w, bounds.h);
        SDL_SetWindowPosition(sdlWindow, bounds.x, bounds.y);
        const i32 lowered = bounds.h - SdlCaptionMetric() - SdlFrameMetric();
        place->quadWidth = (u32)bounds.w;
        place->quadHeight = (u32)(lowered > 0 ? lowered : bounds.h);
    } else {
        SDL_SetWindowSize(sdlWindow, (int)place->width, (int)place->height);
        SDL_SetWindowPosition(sdlWindow, desktopX + (desktopWidth >> 1) - (int)(place->width >> 1),
                              desktopY + (desktopHeight >> 1) - (int)(place->height >> 1));
    }
}

void CancelPlace(void* data)
{
    PlaceRequest* place = (PlaceRequest*)data;
    place->quadWidth = place->width;
    place->quadHeight = place->height;
}

void ServeStyle(void* data)
{
    const bool fullscreen = *(bool*)data;
    if (!sdlWindow)
        return;
    SDL_SetWindowBordered(sdlWindow, fullscreen ? SDL_FALSE : SDL_TRUE);
    // A window manager may move the window when its frame goes; put it back over the display.
    if (fullscreen && fullscreenRect.w > 0) {
        SDL_SetWindowSize(sdlWindow, fullscreenRect.w, fullscreenRect.h);
        SDL_SetWindowPosition(sdlWindow, fullscreenRect.x, fullscreenRect.y);
    }
}

void ServeCursor(void* data)
{
    const bool show = *(bool*)data;
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
    SDL_SetCursor(SDL_GetDefaultCursor());
}

struct DeviceRequest {
    u32 width, height;
    bool fit;
    i32 frameWidth, frameHeight;
};

void ServeDevice(void* data)
{
    const DeviceRequest* device = (const DeviceRequest*)data;
    if (!pictureLock)
        pictureLock = SDL_CreateMutex();
    if (!renderer) {
        renderer = MakeRenderer();
        if (!renderer) {
            // No device result code exists here; the generic failure code stands in for it.
            FormatDebugText("Error Initializing D3D Device: %08X", 0x80004005u);
            ShowMessageBox(debugText, "DX Error", BoxOk);
            ExitProcessNow(0);
        }
    }
    textureWidth = device->width;
    textureHeight = device->height;
    fitToDisplay = device->fit;
    frameWidth = device->frameWidth;
    frameHeight = device->frameHeight;
    if (!MakeTexture()) {
        ShowMessageBox("Failed to Initialize Texture", "D3D Error", BoxOk);
        ShowMessageBox("Error Initializing D3D Backbuffer Texture", "DX Error", BoxOk);
        ExitProcessNow(0);
    }
    presentFatal = false;
    DrawTexture();
}

void ServeRecover(void* data)
{
    SdlVideoReset(true);
    *(bool*)data = !presentFatal;
}

void CancelRecover(void* data)
{
    *(bool*)data = false;
}

} // namespace

PictureBox FullscreenPictureBox(i32 displayWidth, i32 displayHeight, i32 frameWidth, i32 frameHeight)
{
    if (displayWidth <= 0 || displayHeight <= 0 || frameWidth <= 0 || frameHeight <= 0)
        return PictureBox{0, 0, displayWidth > 0 ? displayWidth : 0, displayHeight > 0 ? displayHeight : 0, false};
    const i32 multiple = displayWidth / frameWidth < displayHeight / frameHeight ? displayWidth / frameWidth
                                                                                 : displayHeight / frameHeight;
    i32 width, height;
    if (multiple >= 1) {
        width = frameWidth * multiple;
        height = frameHeight * multiple;
    } else if ((i64)displayWidth * frameHeight <= (i64)displayHeight * frameWidth) {
        // Narrower than the frame's shape: full width, bars above and below.
        width = displayWidth;
        height = (i32)(((i64)displayWidth * frameHeight * 2 + frameWidth) / (2 * (i64)frameWidth));
    } else {
        height = displayHeight;
        width = (i32)(((i64)displayHeight * frameWidth * 2 + frameHeight) / (2 * (i64)frameHeight));
    }
    if (width < 1)
        width = 1;
    if (height < 1)
        height = 1;
    return PictureBox{(displayWidth - width) / 2, (displayHeight - height) / 2, width, height, multiple >= 1};
}

// ---- main thread ---------------------------------------------------------------------------------

void SdlVideoReset(bool device)
{
    if (!renderer)
        return;
    if (device) {
        // Everything the old renderer made is gone with it.
        if (texture)
            SDL_DestroyTexture(texture);
        texture = nullptr;
        SDL_DestroyRenderer(renderer);
        renderer = MakeRenderer();
        if (!renderer) {
            presentFatal = true;
            return;
        }
    }
    if (!MakeTexture()) {
        presentFatal = true;
        return;
    }
    // The last picture goes back on the screen without waiting for the game's next present.
    UploadShown();
    DrawTexture();
}

void SdlShowNewestPicture(bool redraw)
{
    if (!renderer)
        return;
    bool fresh = false;
    if (pictureLock) {
        SDL_LockMutex(pictureLock);
        if (incomingFresh) {
            const Picture newest = incoming;
            incoming = shown;
            shown = newest;
            incomingFresh = false;
            fresh = true;
        }
        SDL_UnlockMutex(pictureLock);
    }
    // A picture of another size was presented before the last mode switch: it is dropped.
    if (fresh && shown.width == textureWidth && shown.height == textureHeight && !UploadShown()) {
        // The texture went bad under us: make it again once, else the game ends.
        SdlVideoReset(false);
        if (!textureHasPicture)
            presentFatal = true;
    }
    if (fresh || redraw)
        DrawTexture();
}

void SdlDestroyVideo()
{
    if (texture)
        SDL_DestroyTexture(texture);
    texture = nullptr;
    if (renderer)
        SDL_DestroyRenderer(renderer);
    renderer = nullptr;
    textureWidth = textureHeight = 0;
    textureHasPicture = false;
    if (pictureLock)
        SDL_DestroyMutex(pictureLock);
    pictureLock = nullptr;
    free(incoming.pixels);
    free(shown.pixels);
    incoming = shown = Picture{};
    incomingFresh = false;
    presentFatal = false;
}

// ---- the seam ------------------------------------------------------------------------------------

void PlaceMainWindow(u32 width, u32 height, bool fullscreen, u32* quadWidth, u32* quadHeight)
{
    PlaceRequest place{width, height, fullscreen, width, height};
    RunOnMainThread(&mainRequests, ServePlace, CancelPlace, &place);
    *quadWidth = place.quadWidth;
    *quadHeight = place.quadHeight;
}

void SetMainWindowStyle(bool fullscreen)
{
    RunOnMainThread(&mainRequests, ServeStyle, nullptr, &fullscreen);
}

void ShowMouseCursor(bool show)
{
    RunOnMainThread(&mainRequests, ServeCursor, nullptr, &show);
}

void CreateVideoDevice(u32 width, u32 height, u32, u32, bool linear)
{
    // A linear picture is the full-screen one. Stretched over the whole display as the quad is on
    // Windows it would be soft and out of shape on most screens; here it keeps the frame's shape at
    // the largest whole multiple of the frame that fits, and the rest of the display stays black.
    DeviceRequest device{width, height, linear, screenWidth, screenHeight};
    RunOnMainThread(&mainRequests, ServeDevice, nullptr, &device);
}

PresentResult PresentPixels(const u32* pixels, u32 width, u32 height)
{
    if (presentFatal)
        return PresentFatal;
    if (!pixels || !width || !height || !pictureLock)
        return PresentOk;
    const size_t count = (size_t)width * height;
    SDL_LockMutex(pictureLock);
    if (incoming.capacity < count) {
        u32* grown = (u32*)realloc(incoming.pixels, count * sizeof(u32));
        if (!grown) {
            // Skipped: the last picture stays on the screen.
            SDL_UnlockMutex(pictureLock);
            return PresentOk;
        }
        incoming.pixels = grown;
        incoming.capacity = count;
    }
    memcpy(incoming.pixels, pixels, count * sizeof(u32));
    incoming.width = width;
    incoming.height = height;
    incomingFresh = true;
    SDL_UnlockMutex(pictureLock);

    if (OnServingThread(&mainRequests))
        SdlShowNewestPicture(false);
    else if (mainRequests.wake)
        mainRequests.wake();
    return PresentOk;
}

bool RecoverVideoDevice()
{
    bool recovered = false;
    RunOnMainThread(&mainRequests, ServeRecover, CancelRecover, &recovered);
    return recovered;
}
