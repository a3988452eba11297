#include "Engine/Collision/BoxTests.h"

#include "Engine/Collision/Motion.h"
#include "Engine/Collision/Whole.h"
#include "Engine/Common/ObjectType.h"

namespace {

enum : int { Left = 0, Right = 1, Top = 2, Bottom = 3 };

bool OverlapX(const i64 a[4], const i64 b[4])
{
    return a[Right] > b[Left] && a[Left] < b[Right];
}

bool OverlapY(const i64 a[4], const i64 b[4])
{
    return a[Bottom] > b[Top] && a[Top] < b[Bottom];
}

} // namespace

bool BoxInsideTest(const i64 a[4], const i64 b[4], u8 mode)
{
    const i64 halfWidth = (b[Right] - b[Left]) / 2;
    const i64 halfHeight = (b[Bottom] - b[Top]) / 2;
    switch (mode) {
    case 0:
        return b[Left] <= a[Right] && a[Right] <= b[Right] - halfWidth && OverlapY(a, b);
    case 1:
        return b[Left] + halfWidth <= a[Left] && a[Left] <= b[Right] && OverlapY(a, b);
    case 2:
        return b[Top] <= a[Bottom] && a[Bottom] <= b[Bottom] - halfHeight && OverlapX(a, b);
    case 3:
        return b[Top] + halfHeight <= a[Top] && a[Top] <= b[Bottom] && OverlapX(a, b);
    default:
        return false;
    }
}

i8 BoxOverlapResolve(const i64 a[4], const i64 b[4], void* instance, ObjectHeader* other, AnimPlayer* animPlayer)
{
    if (!OverlapX(a, b) || !OverlapY(a, b) || !instance || !HeaderOf(instance) || !other)
        return -1;
    ObjectHeader* body = HeaderOf(instance);
    const i64 dx = WholeOf((f64)body->x - other->x);
    const i64 dy = WholeOf((f64)body->y - other->y);
    const bool keepGround = body->groundContact != 0;
    f32 pushX = 0.0f, pushY = 0.0f;
    i8 side;
    if ((dx < 0 ? -dx : dx) <= (dy < 0 ? -dy : dy)) {
        if (dy >= 0) {
            pushY = (f32)(b[Bottom] - a[Top]);
            side = 3;
        } else {
            pushY = (f32)(b[Top] - a[Bottom]);
            side = 2;
        }
    } else if (dx < 0) {
        pushX = (f32)(b[Left] - a[Right]);
        side = 0;
    } else {
        pushX = (f32)(b[Right] - a[Left]);
        side = 1;
    }
    TryMoveOnPlane(instance, animPlayer, pushX, pushY, 0.0f, keepGround, other);
    return side;
}
