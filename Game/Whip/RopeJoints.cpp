// The rope's bend points: the joint pass that adds a joint where the straight rope would cut
// through rock and drops it once the rope swings free of the corner, and the two rope steps of a
// throw, out (ExtendRope) and back through every joint (RetractRope).
#include <cmath>
#include <cstring>

#include "Engine/Collision/AngleTables.h"
#include "Engine/Collision/Angles.h"
#include "Engine/Collision/TileQuery.h"
#include "Engine/Common/Debug.h"
#include "Game/Actors/HitResolution.h"
#include "Game/Enemies/Audrey.h"
#include "Game/Player/Player.h"
#include "Game/Whip/Whip.h"
#include "Game/World/Platform.h"

namespace {

constexpr u32 walkBlocked = 65535;
constexpr i16 hookedFreeze = 16; // hit-stop of an object the retraction lets go

// A floor-only cell (flag 1) lets the rope through; ceiling and wall solidity stop it.
bool RopeSolid(i32 x, i32 y, u8 layer)
{
    return GetTileCollisionFlags((f32)x, (f32)y, layer) >= 2;
}

i32 Trunc(f32 value)
{
    return (i32)value; // toward zero, as the tables' products are
}

f32 Distance(f32 dx, f32 dy)
{
    return std::sqrt(dx * dx + dy * dy);
}

void InsertJoint(WhipRecord* whip, u32 index, i32 x, i32 y, u8 corner)
{
    RopeJoint* joints = whip->joints;
    memmove(&joints[index + 1], &joints[index], (whip->jointCount - index) * sizeof(RopeJoint));
    joints[index] = RopeJoint{x, y, corner, nullptr};
    ++whip->jointCount;
}

void RemoveJoint(WhipRecord* whip, u32 index)
{
    RopeJoint* joints = whip->joints;
    memmove(&joints[index], &joints[index + 1], (whip->jointCount - index - 1) * sizeof(RopeJoint));
    --whip->jointCount;
}

// Steps from a solid pixel toward a target coordinate while the rope is stopped there: the steps
// taken to the first free pixel, or walkBlocked when the target is passed first (or there is no
// way to go: the segment does not move along this axis).
u32 WalkOut(i32 from, i32 to, i32 other, bool alongX, bool still, u8 layer, i32* reached)
{
    if (still)
        return walkBlocked;
    const i32 step = to >= from ? 1 : -1;
    u32 steps = 0;
    for (i32 at = from;; at += step, ++steps) {
        if ((step > 0 && at > to) || (step < 0 && at < to))
            return walkBlocked;
        if (!(alongX ? RopeSolid(at, other, layer) : RopeSolid(other, at, layer))) {
            *reached = at;
            return steps;
        }
    }
}

// A joint stays while its own pixel is free and one of its diagonals is rock.
bool CornerHolds(const RopeJoint& joint, u8 layer)
{
    const i32 x = joint.x, y = joint.y;
    if (RopeSolid(x, y, layer))
        return false;
    return RopeSolid(x - 1, y - 1, layer) || RopeSolid(x - 1, y + 1, layer) || RopeSolid(x + 1, y + 1, layer) ||
           RopeSolid(x + 1, y - 1, layer);
}

// True when the straight line from (sx, sy) to (ex, ey) meets no rock between its ends.
bool LineClear(f32 sx, f32 sy, f32 ex, f32 ey, u8 layer)
{
    const i32 n = Trunc(Distance(ex - sx, ey - sy));
    const u8 a = VectorToAngle(ex - sx, ey - sy);
    for (i32 k = 1; k < n; ++k)
        if (RopeSolid(Trunc(sx + (f32)(cosTable[a] * k) / 256.0f), Trunc(sy + (f32)(sinTable[a] * k) / 256.0f), layer))
            return false;
    return true;
}

// Whether the rope has swung round far enough at the joint to be clear of its corner.
bool SwungOpen(const RopeJoint& joint, f32 sx, f32 sy, f32 nx, f32 ny)
{
    i32 a1 = VectorToAngle(sx - (f32)joint.x, sy - (f32)joint.y);
    i32 a2 = VectorToAngle(nx - (f32)joint.x, ny - (f32)joint.y);
    if ((joint.corner & 1) == 0) {
        if (a1 <= 128 && a2 <= 128 && a2 < a1)
            a2 += 256;
    } else if (a1 >= 128 && a2 >= 128 && a1 < a2) {
        a1 += 256;
    }
    const i32 d = a2 > a1 ? a2 - a1 : a1 - a2;
    return (joint.corner == 0 || joint.corner == 3) ? d >= 128 : d <= 128;
}

// Drops carrier links whose object is gone. Nothing in the game sets a carrier yet, so there is no
// carrier movement to follow.
void DropLostCarriers(WhipRecord* whip)
{
    for (u32 i = 0; i < whip->jointCount; ++i) {
        RopeJoint& joint = whip->joints[i];
        if (!joint.carrier)
            continue;
        ObjectHeader* header = HeaderOf(joint.carrier);
        if (!header || !header->alive || header->free)
            joint.carrier = nullptr;
    }
}

} // namespace

bool RopeJointPass(PlayerRecord* player, u32* steps, u8* lastAngle)
{
    WhipRecord* whip = player->whip;
    if (!whip || !whip->header)
        return false;
    const u8 layer = player->header->collisionLayer;
    const f32 px = player->header->x, py = player->header->y;
    u32 counted = 0;
    DropLostCarriers(whip);

    f32 sx = whip->header->x, sy = whip->header->y;
    for (u32 i = 0;; ++i) {
        // Keep-tests of joint i; a joint that falls leaves its successor to end this segment
        // untested until the next pass.
        if (i < whip->jointCount) {
            const RopeJoint& joint = whip->joints[i];
            const f32 nx = i + 1 < whip->jointCount ? (f32)whip->joints[i + 1].x : px;
            const f32 ny = i + 1 < whip->jointCount ? (f32)whip->joints[i + 1].y : py;
            if (!CornerHolds(joint, layer)) {
                RemoveJoint(whip, i);
                FormatDebugText("Joint Remove: %d (CheckRemove Corner)", whip->jointCount);
            } else if (SwungOpen(joint, sx, sy, nx, ny) && LineClear(sx, sy, nx, ny, layer)) {
                RemoveJoint(whip, i);
                FormatDebugText("Joint Remove: %d (CheckRemove Crawl)", whip->jointCount);
            }
        }
        const bool last = i >= whip->jointCount;
        const f32 ex = last ? px : (f32)whip->joints[i].x;
        const f32 ey = last ? py : (f32)whip->joints[i].y;

        i32 n = Trunc(Distance(ex - sx, ey - sy));
        u8 a = VectorToAngle(ex - sx, ey - sy);
        for (i32 k = 1; k <= n - 2; ++k) {
            ++counted;
            const i32 x = Trunc((f32)((cosTable[a] * k) >> 8) + sx);
            const i32 y = Trunc((f32)((sinTable[a] * k) >> 8) + sy);
            if (!RopeSolid(x, y, layer))
                continue;

            // Out of the rock toward the segment's end, along the axis that frees it sooner.
            i32 freeX = x, freeY = y;
            const u32 walkX = WalkOut(x, Trunc(ex), y, true, Trunc(sx) == Trunc(ex), layer, &freeX);
            const u32 walkY = WalkOut(y, Trunc(ey), x, false, Trunc(sy) == Trunc(ey), layer, &freeY);
            if (walkX == walkBlocked && walkY == walkBlocked)
                return false;
            RopeJoint joint{};
            if (walkX < walkY) {
                joint.x = freeX;
                joint.y = ey > sy ? y - 1 : y + 1;
                const bool before = x <= freeX;
                joint.corner = before ? (ey <= sy ? 0 : 3) : (ey <= sy ? 1 : 2);
            } else {
                joint.x = ex > sx ? x - 1 : x + 1;
                joint.y = freeY;
                const bool before = y <= freeY;
                joint.corner = before ? (ex <= sx ? 0 : 1) : (ex <= sx ? 3 : 2);
            }
            auto same = [&](u32 j) {
                return j < whip->jointCount && whip->joints[j].x == joint.x && whip->joints[j].y == joint.y;
            };
            if (same(i) || (i > 0 && same(i - 1)))
                continue;
            FormatDebugText("Found Joint Collision - %d %d -> %d %d ~ %f %f | %f %f @ %d of %d", x, y, joint.x, joint.y,
                            (double)sx, (double)sy, (double)ex, (double)ey, k, n);
            if (whip->jointCount >= ropeJointTotal) {
                FormatDebugText("Joint Overflow (%d %d - Ang %X)", joint.x, joint.y, a);
                BreakWhip(whip);
                return false;
            }
            InsertJoint(whip, i, joint.x, joint.y, joint.corner);
            FormatDebugText("Joint Add: %d of %d - %d %d", i, whip->jointCount, joint.x, joint.y);
            // Trace on from the new joint; the segment's end now sits one index further up.
            ++i;
            sx = (f32)joint.x;
            sy = (f32)joint.y;
            n = Trunc(Distance(ex - sx, ey - sy));
            a = VectorToAngle(ex - sx, ey - sy);
            k = 1;
        }
        if (last) {
            if (steps)
                *steps = counted;
            if (lastAngle)
                *lastAngle = a;
            return true;
        }
        sx = ex;
        sy = ey;
    }
}

void ExtendRope(PlayerRecord* player)
{
    player->previousLineLength = player->whipExtension;
    RopeJointPass(player, nullptr, nullptr);
}

void RetractRope(PlayerRecord* player)
{
    WhipRecord* whip = player->whip;
    if (!whip || !whip->header)
        return;
    ObjectHeader* tip = whip->header;
    tip->vx = tip->vy = 0.0f;

    // 16 px a tick along the rope toward the first joint, or the player once none is left.
    const bool toJoint = whip->jointCount > 0;
    const f32 tx = toJoint ? (f32)whip->joints[0].x : player->header->x;
    const f32 ty = toJoint ? (f32)whip->joints[0].y : player->header->y;
    const i32 d = Trunc(Distance(tip->x - tx, tip->y - ty));
    const u8 a = VectorToAngle(tip->x - tx, tip->y - ty);
    if (d - 16 >= 1) {
        tip->x = tx + (f32)(cosTable[a] * (d - 16)) / 256.0f;
        tip->y = ty + (f32)(sinTable[a] * (d - 16)) / 256.0f;
    } else {
        tip->x = tx;
        tip->y = ty;
        if (toJoint) {
            RemoveJoint(whip, 0);
            FormatDebugText("Joint Remove: %d (MoveRetract)", whip->jointCount);
        }
    }

    // A hooked object comes along for a while: a platform stays put, an Audrey lets go at once,
    // anything else is dragged until the last 32 px and then frozen a moment as it is let go.
    if (ObjectHeader* hooked = whip->hookedObject) {
        ActorBlock* held = ActorOfHeader(hooked);
        if (hooked->type == &Platform) {
            ReleaseWhipHook(whip);
        } else if (hooked->type == &Audrey) {
            if (held)
                held->hitlag = hookedFreeze;
            ReleaseWhipHook(whip);
        } else if (player->whipExtension > hookSlack) {
            hooked->x = tip->x + whip->hookPointX;
            hooked->y = tip->y + whip->hookPointY;
        } else {
            if (held)
                held->hitlag = hookedFreeze;
            ReleaseWhipHook(whip);
        }
    }

    if (player->whipExtension > 0) {
        player->lineLength -= 256;
        if (player->lineLength < 1) {
            player->lineLength = 0;
            return;
        }
    }
    RopeJointPass(player, nullptr, nullptr);
}
