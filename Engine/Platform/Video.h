// Presentation of the software frame: the presented size, the present buffer and the saved frame
// of the dev-menu freeze, and the per-tick present.
#pragma once
#include "Engine/Common/Types.h"

extern u16 presentedWidth, presentedHeight; // the picture that goes to the screen
extern u32 quadWidth, quadHeight;           // where it is drawn, in device pixels
extern u8 presentScale;                     // 0: presentCopy, 1: presentDouble
extern u32* presentBuffer;                  // presentedWidth x presentedHeight
extern u32* savedFrame;                     // the frozen picture of the dev menu

// The presented size for a video mode at a window scale (0 = 1x, 1 = 2x).
void PresentedSize(u8 mode, u8 scale, u16* width, u16* height);

// Sizes and places the window for videoMode, windowScale and fullscreen, and re-creates the video
// device, its texture and quad. Runs on the main thread once at start-up, on the game thread after.
void ApplyVideoMode();

// Copies the frame through the present copy and puts it on the screen; waits out a lost device,
// recovers it when the system allows, and ends the game on any other failure.
void PresentFrame();

// Frees the present buffer and the saved frame (shutdown).
void FreePresentBuffers();
