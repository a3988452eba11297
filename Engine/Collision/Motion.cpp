#include "Engine/Collision/Motion.h"

#include "Engine/Collision/MotionScratch.h"
#include "Engine/Collision/PlaneMovers.h"
#include "Engine/Collision/Whole.h"
#include "Engine/Common/Anim.h"
#include "Engine/Common/ObjectType.h"

namespace {

void RunPlaneMover(u8 plane, void* instance, AnimPlayer* animPlayer, u8 pass)
{
    switch (plane) {
    case PlaneFloor:
        MoveOnFloorPlane(instance, animPlayer, pass);
        break;
    case PlaneRightWall:
        MoveOnRightWallPlane(instance, animPlayer, pass);
        break;
    case PlaneCeiling:
        MoveOnCeilingPlane(instance, animPlayer, pass);
        break;
    case PlaneLeftWall:
        MoveOnLeftWallPlane(instance, animPlayer, pass);
        break;
    default:
        break; // no such plane: the body stays where it is
    }
}

i32 StepDirection(f32 velocity)
{
    return velocity < 0.0f ? -1 : 1;
}

} // namespace

i32 SplitAxisMove(f32* position, f32 velocity, f32* fraction)
{
    const f32 target = *position + velocity;
    const i64 whole = WholeOf(*position);
    const i64 wholeTarget = WholeOf(target);
    i64 steps = wholeTarget - whole;
    if (steps < 0)
        steps = -steps;
    *fraction = target - (f32)wholeTarget;
    *position = (f32)whole + *fraction;
    return steps > 0x7FFFFFFF ? 0x7FFFFFFF : (i32)steps;
}

void MoveOnPlane(void* instance, AnimPlayer* animPlayer)
{
    ObjectHeader* header = instance ? HeaderOf(instance) : nullptr;
    if (!header)
        return;
    // A body that was airborne may be handed to any plane.
    if (!header->lastGroundContact)
        header->prevPlane = header->plane;
    header->lastGroundContact = header->groundContact;
    moveStartVx = header->vx;
    moveStartVy = header->vy;
    moveStartGroundSpeed = header->groundSpeed;
    stoppedStepsX = stoppedStepsY = 0;
    RunPlaneMover(header->plane, instance, animPlayer, PassFresh);
}

ObjectHeader* TryMoveOnPlane(void* instance, AnimPlayer* animPlayer, f32 vx, f32 vy, f32 groundSpeed, bool keepGround,
                             ObjectHeader* ignored)
{
    ObjectHeader* header = instance ? HeaderOf(instance) : nullptr;
    if (!header)
        return nullptr;
    ignoredObject = ignored;
    if (!header->lastGroundContact)
        header->prevPlane = header->plane;
    // The speeds are kept here as well: a callback's own move may overwrite the scratch copies.
    const f32 savedVx = header->vx, savedVy = header->vy, savedGroundSpeed = header->groundSpeed;
    moveStartVx = savedVx;
    moveStartVy = savedVy;
    moveStartGroundSpeed = savedGroundSpeed;
    header->vx = vx;
    header->vy = vy;
    header->groundSpeed = groundSpeed;
    stoppedStepsX = stoppedStepsY = 0;
    if (keepGround) {
        RunPlaneMover(header->plane, instance, animPlayer, PassTrial);
    } else {
        const u64 ground = header->groundContact, lastGround = header->lastGroundContact;
        header->groundContact = header->lastGroundContact = 0;
        for (u64& contact : header->contacts)
            contact = 0;
        RunPlaneMover(header->plane, instance, animPlayer, PassTrial);
        if (ground)
            header->groundContact = ground;
        if (lastGround)
            header->lastGroundContact = lastGround;
    }
    ignoredObject = nullptr;
    header->vx = savedVx;
    header->vy = savedVy;
    header->groundSpeed = savedGroundSpeed;
    return header;
}

void StepWithCallbacks(ObjectType* type, void* instance)
{
    ObjectHeader* header = instance ? HeaderOf(instance) : nullptr;
    if (!header)
        return;
    moveStartVx = header->vx;
    moveStartVy = header->vy;
    stepsX = SplitAxisMove(&header->x, header->vx, &fracX);
    stepsY = SplitAxisMove(&header->y, header->vy, &fracY);
    for (;;) {
        runX = stepsX;
        runY = stepsY;
        errX = errY = 0;
        if (stepsX > stepsY) {
            while (stepsX >= 1) {
                header->x += (f32)StepDirection(header->vx);
                RunObjectCallbacks(type, instance);
                errX += runY;
                // An axis a callback stopped moves no further.
                if (errX >= runX && stepsY >= 1)
                    header->y += (f32)StepDirection(header->vy);
                RunObjectCallbacks(type, instance);
                if (errX >= runX) {
                    errX -= runX;
                    if (stepsY >= 1)
                        --stepsY;
                }
                if (stepsX < 1)
                    return;
                --stepsX;
            }
        } else {
            if ((stepsX == 0 && stepsY == 0) || stepsY < 1)
                return;
            while (stepsY >= 1) {
                header->y += (f32)StepDirection(header->vy);
                RunObjectCallbacks(type, instance);
                errY += runX;
                if (errY >= runY) {
                    if (stepsX >= 1) {
                        header->x += (f32)StepDirection(header->vx);
                        RunObjectCallbacks(type, instance);
                    }
                    errY -= runY;
                    if (stepsX >= 1)
                        --stepsX;
                }
                if (stepsY < 1)
                    return;
                --stepsY;
            }
        }
    }
}

void SetHitboxFromFrame(ObjectHeader* header, const AnimPlayer* animPlayer, u8 plane)
{
    const AnimFrame* frame = CurrentAnimFrame(animPlayer);
    if (!header || !frame || !frame->box)
        return;
    const i64 l = frame->box->left, r = frame->box->right, t = frame->box->top, b = frame->box->bottom;
    // On the wall planes the box lies on its side, so the flips swap axes too.
    const bool sideways = plane == PlaneRightWall || plane == PlaneLeftWall;
    const bool mirrorAcross = sideways ? header->flipY : header->flipX;
    const bool mirrorDown = sideways ? header->flipX : header->flipY;
    i64 left, right, top, bottom;
    switch (plane) {
    case PlaneRightWall:
        left = t, right = b, top = -r, bottom = -l;
        break;
    case PlaneCeiling:
        left = -r, right = -l, top = -b, bottom = -t;
        break;
    case PlaneLeftWall:
        left = -b, right = -t, top = l, bottom = r;
        break;
    default:
        left = l, right = r, top = t, bottom = b;
        break;
    }
    if (mirrorAcross) {
        const i64 oldLeft = left;
        left = -right;
        right = -oldLeft;
    }
    if (mirrorDown) {
        const i64 oldTop = top;
        top = -bottom;
        bottom = -oldTop;
    }
    header->hitboxLeft = left;
    header->hitboxRight = right;
    header->hitboxTop = top;
    header->hitboxBottom = bottom;
}
