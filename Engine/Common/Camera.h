// The four cameras, the global scroll taken from camera 0, and the per-camera scroll bounds with
// their easing and the wrap settings. Game thread only.
#pragma once
#include "Engine/Common/Types.h"

struct ObjectHeader;

typedef void (*CameraFollowFunction)(ObjectHeader* followed);

struct Camera {
    f32 x; // world position of the view's top-left corner
    f32 y;
    ObjectHeader* followed;     // handed to follow
    CameraFollowFunction follow; // moves the camera once a tick; null: the camera stands
};

// Scroll bounds of one camera (pixels), the targets they are eased toward, and the wrap settings.
// Where an axis wraps, the bounds are also the window that tile queries and movers wrap through.
struct CameraLimits {
    i32 leftBound, rightBound, topBound, bottomBound;
    i32 leftTarget, rightTarget, topTarget, bottomTarget;
    i32 wrapX, wrapY; // non-zero: the world wraps on that axis
    i32 wrapWidth, wrapHeight;
};

constexpr int cameraCount = 4;

extern Camera cameras[cameraCount];
extern i32 cameraScrollX[cameraCount]; // integer scroll of each camera that has a follow function
extern i32 cameraScrollY[cameraCount];
extern i32 scrollX, scrollY;           // the global scroll, from camera 0
extern u8 currentCamera;               // the camera whose follow function runs; 0 otherwise
extern CameraLimits cameraLimits[cameraCount];

// The camera pass: runs each camera's follow function with currentCamera set to its slot and keeps
// its integer scroll, then takes the global scroll from camera 0 (also without a follow function).
void UpdateCameras();

// Moves every camera's bounds toward their targets: 2 px a tick near the view, else at once.
void EaseCameraBounds();

// Clears every camera's follow function and followed object, every integer scroll and the global
// scroll. Positions stay.
void ResetCameras();

// The wrap rule of the current camera, for tile queries and movers: on a wrapping axis a position
// left of (above) the low bound moves on by the wrap size, one at or past the high bound moves back
// by it, once. Positions on an axis that does not wrap come back unchanged.
i32 WrapWorldX(i32 x);
i32 WrapWorldY(i32 y);
