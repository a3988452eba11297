#include "Engine/Platform/Video.h"

#include <cstdlib>

#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Platform/Shell.h"
#include "Engine/Render/PresentCopy.h"
#include "Engine/Render/VideoMode.h"

u16 presentedWidth, presentedHeight;
u32 quadWidth, quadHeight;
u8 presentScale;
u32* presentBuffer;
u32* savedFrame;

void PresentedSize(u8 mode, u8 scale, u16* width, u16* height)
{
    switch (mode) {
    case 20:
        *width = scale ? 640 : 320;
        *height = scale ? 480 : 240;
        break;
    case 24:
        *width = 640;
        *height = 480;
        break;
    default:
        *width = scale ? 848 : 424;
        *height = scale ? 480 : 240;
        break;
    }
}

namespace {

u32 picturePixels[2]; // the sizes of presentBuffer and savedFrame

// Resizes one of the two picture buffers, keeping its contents where the size allows and clearing
// what is new, so the freeze never shows memory nothing drew. On failure the old block stays.
bool ResizePicture(u32** buffer, u32* pixels, u32 newPixels)
{
    u32* resized = (u32*)realloc(*buffer, sizeof(u32) * newPixels);
    if (!resized)
        return false;
    for (u32 i = *pixels; i < newPixels; ++i)
        resized[i] = 0;
    *buffer = resized;
    *pixels = newPixels;
    return true;
}

void ResetVideoDevice(u32 width, u32 height)
{
    presentedWidth = (u16)width;
    presentedHeight = (u16)height;
    if (!ResizePicture(&savedFrame, &picturePixels[1], width * height) ||
        !ResizePicture(&presentBuffer, &picturePixels[0], width * height)) {
        ShowMessageBox("Failed to allocate present buffer", "DX Error", BoxOk);
        ExitProcessNow(0);
    }
    CreateVideoDevice(width, height, quadWidth, quadHeight, fullscreen != 0);
}

} // namespace

void ApplyVideoMode()
{
    u16 width, height;
    PresentedSize(videoMode, windowScale, &width, &height);
    // The 640x480 mode presents 640x480 at both scales, so it always takes the 1:1 copy: the
    // doubled copy would write four times the present buffer.
    presentScale = videoMode == 24 ? 0 : windowScale;
    PlaceMainWindow(width, height, fullscreen != 0, &quadWidth, &quadHeight);
    ResetVideoDevice(width, height);
}

void PresentFrame()
{
    // The copy runs only when the frame and the presented picture agree in size (they disagree only
    // after a failed mode switch), so no write leaves the present buffer.
    if (presentBuffer && frameBuffer && (i32)presentedWidth == screenWidth << presentScale &&
        (i32)presentedHeight == screenHeight << presentScale) {
        if (presentScale == 1)
            presentDouble(frameBuffer, presentBuffer, presentBuffer + 2 * screenWidth);
        else
            presentCopy(frameBuffer, presentBuffer);
    }
    switch (PresentPixels(presentBuffer, presentedWidth, presentedHeight)) {
    case PresentOk:
        break;
    case PresentLost:
        SleepMs(500);
        break;
    case PresentNotReset:
        RecoverVideoDevice();
        break;
    case PresentFatal:
        gameRunning = 0;
        break;
    }
}

void FreePresentBuffers()
{
    free(presentBuffer);
    free(savedFrame);
    presentBuffer = savedFrame = nullptr;
    picturePixels[0] = picturePixels[1] = 0;
}
