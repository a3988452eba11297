#include "Engine/Collision/Angles.h"

#include <cmath>
#include <cstdlib>

#include "Engine/Collision/Whole.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/StageSwitch.h"

const u8 arctangentTable[257] = {
    0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2,
    3, 3, 3, 3, 3, 3, 3, 4, 4, 4, 4, 4, 4, 5, 5, 5,
    5, 5, 5, 6, 6, 6, 6, 6, 6, 6, 7, 7, 7, 7, 7, 7,
    8, 8, 8, 8, 8, 8, 8, 9, 9, 9, 9, 9, 9, 10, 10, 10,
    10, 10, 10, 10, 11, 11, 11, 11, 11, 11, 11, 12, 12, 12, 12, 12,
    12, 12, 13, 13, 13, 13, 13, 13, 13, 14, 14, 14, 14, 14, 14, 14,
    15, 15, 15, 15, 15, 15, 15, 16, 16, 16, 16, 16, 16, 16, 17, 17,
    17, 17, 17, 17, 17, 17, 18, 18, 18, 18, 18, 18, 18, 19, 19, 19,
    19, 19, 19, 19, 19, 20, 20, 20, 20, 20, 20, 20, 20, 21, 21, 21,
    21, 21, 21, 21, 21, 21, 22, 22, 22, 22, 22, 22, 22, 22, 23, 23,
    23, 23, 23, 23, 23, 23, 23, 24, 24, 24, 24, 24, 24, 24, 24, 24,
    25, 25, 25, 25, 25, 25, 25, 25, 25, 25, 26, 26, 26, 26, 26, 26,
    26, 26, 26, 27, 27, 27, 27, 27, 27, 27, 27, 27, 27, 28, 28, 28,
    28, 28, 28, 28, 28, 28, 28, 28, 29, 29, 29, 29, 29, 29, 29, 29,
    29, 29, 29, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 31, 31,
    31, 31, 31, 31, 31, 31, 31, 31, 31, 31, 32, 32, 32, 32, 32, 32,
    32,
};

u8 VectorToAngle(f32 x, f32 y)
{
    const i64 ax = std::llabs(WholeOf(x));
    const i64 ay = std::llabs(WholeOf(y));
    if (ax == 0 && ay == 0)
        return 64;
    i32 a;
    if (ax <= ay)
        a = 64 - arctangentTable[(ax * 256) / ay];
    else
        a = arctangentTable[(ay * 256) / ax];
    if (x < 0)
        a = (128 - a) & 255;
    if (y < 0)
        a = (-a) & 255;
    return (u8)a;
}

namespace {

// The signed shortest difference of an angle, -128..127 for the values in use; the remainder keeps
// the sign of the dividend, as the easing has always computed it.
i32 AngleDifference(f32 value)
{
    return (i32)(WholeOf((f64)value + 384.0) % 256) - 128;
}

} // namespace

i32 SteerAngle(ObjectHeader* header, u8 lowLimit, u8 highLimit, f32 rate, f32 minSpeed, f32 fullSpeed)
{
    if (!header)
        return 0;
    if (pauseMenuOpen && header->type && !header->type->runsWhilePaused)
        return 0;
    // The header's rotation is the drawn angle that is eased here.
    f32& drawAngle = header->rotation;
    f32 s = header->angle;
    if (s < -128.0f)
        s += 256.0f;
    else if (s >= 128.0f)
        s -= 256.0f;
    const i64 wholeS = WholeOf(s);
    const i64 absS = wholeS < 0 ? -wholeS : wholeS;
    // A full speed of 0 would divide by zero and leave a rotation no one can draw: no easing then.
    const f32 speed = std::fabs(header->groundSpeed);
    const f32 factor = fullSpeed != 0.0f ? (speed > minSpeed ? speed : minSpeed) / fullSpeed * rate : 0.0f;

    if (AngleDifference(std::fabs(s) - drawAngle) < highLimit && absS >= lowLimit)
        drawAngle = (f32)(WholeOf(drawAngle) % 256) + (f32)AngleDifference(s - drawAngle) * factor;
    const i32 e = AngleDifference(std::fabs(s) - drawAngle);
    if (e >= highLimit)
        return e;
    if (absS >= lowLimit)
        return (i32)-wholeS;
    // Too flat to lean into: ease back toward upright.
    const i32 r0 = (i32)(WholeOf(drawAngle) % 256);
    drawAngle = (f32)r0 + (f32)AngleDifference(0.0f - drawAngle) * factor;
    return r0;
}
