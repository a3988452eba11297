#include "Engine/Common/Camera.h"

#include <algorithm>

#include "Engine/Render/VideoMode.h"

Camera cameras[cameraCount];
i32 cameraScrollX[cameraCount];
i32 cameraScrollY[cameraCount];
i32 scrollX, scrollY;
u8 currentCamera;
CameraLimits cameraLimits[cameraCount];

namespace {

// Truncation toward zero. A follow function may leave a camera anywhere, NaN included; the
// conversion of a value outside i32 is undefined, so it is clamped first.
i32 TruncatePosition(f32 value)
{
    if (!(value == value))
        return 0;
    if (value >= 2147483647.0f)
        return 2147483647;
    if (value <= -2147483648.0f)
        return -2147483647 - 1;
    return (i32)value;
}

// The low bound (left or top) with its target and the view's scroll on that axis. Worked in 64 bits
// so that bounds and scrolls near the ends of the i32 range cannot overflow.
i32 EaseLowBound(i64 bound, i64 target, i64 scroll)
{
    if (bound > target) { // opening
        if (bound > scroll - 16)
            bound = std::max(bound - 2, target);
        else
            bound = target;
    }
    if (bound < target) { // closing in on the view
        if (target > scroll) {
            bound = std::max(bound + 2, scroll);
            if (bound > target)
                bound = target;
        } else {
            bound = target;
        }
    }
    return (i32)bound;
}

// The high bound (right or bottom); size is the screen width or height.
i32 EaseHighBound(i64 bound, i64 target, i64 scroll, i64 size)
{
    if (bound < target) { // opening
        if (bound < scroll + size + 16)
            bound = std::min(bound + 2, target);
        else
            bound = target;
    }
    if (bound > target) { // closing in on the view
        if (target < scroll + size) {
            bound = std::min(bound - 2, scroll + size);
            if (bound < target)
                bound = target;
        } else {
            bound = target;
        }
    }
    return (i32)bound;
}

} // namespace

void UpdateCameras()
{
    for (int slot = 0; slot < cameraCount; ++slot) {
        currentCamera = (u8)slot;
        Camera& camera = cameras[slot];
        if (camera.follow) {
            camera.follow(camera.followed);
            cameraScrollX[slot] = TruncatePosition(camera.x);
            cameraScrollY[slot] = TruncatePosition(camera.y);
        }
    }
    currentCamera = 0;
    scrollX = TruncatePosition(cameras[0].x);
    scrollY = TruncatePosition(cameras[0].y);
}

void EaseCameraBounds()
{
    for (int slot = 0; slot < cameraCount; ++slot) {
        CameraLimits& limits = cameraLimits[slot];
        const i64 sx = cameraScrollX[slot], sy = cameraScrollY[slot];
        limits.leftBound = EaseLowBound(limits.leftBound, limits.leftTarget, sx);
        limits.rightBound = EaseHighBound(limits.rightBound, limits.rightTarget, sx, screenWidth);
        limits.topBound = EaseLowBound(limits.topBound, limits.topTarget, sy);
        limits.bottomBound = EaseHighBound(limits.bottomBound, limits.bottomTarget, sy, screenHeight);
    }
    currentCamera = 0;
}

void ResetCameras()
{
    for (int slot = 0; slot < cameraCount; ++slot) {
        cameras[slot].followed = nullptr;
        cameras[slot].follow = nullptr;
        cameraScrollX[slot] = 0;
        cameraScrollY[slot] = 0;
    }
    scrollX = 0;
    scrollY = 0;
}

i32 WrapWorldX(i32 x)
{
    const CameraLimits& limits = cameraLimits[currentCamera & (cameraCount - 1)];
    if (!limits.wrapX)
        return x;
    if (x < limits.leftBound)
        return (i32)((u32)x + (u32)limits.wrapWidth);
    if (x >= limits.rightBound)
        return (i32)((u32)x - (u32)limits.wrapWidth);
    return x;
}

i32 WrapWorldY(i32 y)
{
    const CameraLimits& limits = cameraLimits[currentCamera & (cameraCount - 1)];
    if (!limits.wrapY)
        return y;
    if (y < limits.topBound)
        return (i32)((u32)y + (u32)limits.wrapHeight);
    if (y >= limits.bottomBound)
        return (i32)((u32)y - (u32)limits.wrapHeight);
    return y;
}
