// The rope while hooked: reeling the line in and out, the pull of a taut rope that swings the
// player, the zip to the anchor, and letting go by the grapple button or a jump.
#include "Engine/Collision/AngleTables.h"
#include "Engine/Collision/Angles.h"
#include "Engine/Collision/Motion.h"
#include "Engine/Common/Sound.h"
#include "Engine/Platform/Controls.h"
#include "Game/Player/Player.h"
#include "Game/Whip/Whip.h"

namespace {

// Line in and out when the options split them off the directions.
constexpr u32 ButtonLineIn = 0x400;
constexpr u32 ButtonLineOut = 0x800;

constexpr f32 zipTopRise = -10.0f;
constexpr f32 zipJumpBoost = 2.0f;

// Diagonal throws downward: a zip along them that lands the player leaves it in the air state.
constexpr u8 throwDownLeft = 160, throwDownRight = 224;

PlayerControls& ControlsOf(const PlayerRecord* player)
{
    return playerControls[player->player & (playerCount - 1)];
}

void ReelLine(PlayerRecord* player, u32 held)
{
    u32 in = ButtonUp, out = ButtonDown;
    if (player->lineAdjustmentSplit) {
        in = ButtonLineIn;
        out = ButtonLineOut;
    } else if (player->lineInOutReversed) {
        in = ButtonDown;
        out = ButtonUp;
    }
    // The direction held while hooking does not reel until both have been let go for a while.
    if (player->lineDelay) {
        if (!(held & (in | out)))
            --player->lineDelay;
        return;
    }
    if ((held & in) && player->lineLength > minLineLength) {
        player->lineLength -= 256;
        if (player->lineLength < minLineLength)
            player->lineLength = minLineLength;
        player->whipExtension = player->lineLength;
    }
    if ((held & out) && player->lineLength < maxLineLength) {
        player->lineLength += 256;
        if (player->lineLength > maxLineLength)
            player->lineLength = maxLineLength;
        player->whipExtension = player->lineLength;
    }
}

// The anchor: the bend nearest the player, or the hook.
void Anchor(const WhipRecord* whip, f32* x, f32* y)
{
    if (whip->jointCount) {
        *x = (f32)whip->joints[whip->jointCount - 1].x;
        *y = (f32)whip->joints[whip->jointCount - 1].y;
    } else {
        *x = whip->header->x;
        *y = whip->header->y;
    }
}

void StartZip(PlayerRecord* player, WhipRecord* whip)
{
    if (player->whipExtension < player->lineLength)
        player->lineLength = player->whipExtension;
    player->zipSpeed = zipStartSpeed;
    whip->state = WhipZip;
    if (whip->hookedObject) {
        ObjectHeader* body = player->header;
        body->vx = body->vy = body->groundSpeed = 0.0f;
        body->groundContact = 0;
        body->contacts[3] = 0;
        player->state = PlayerStateHanging;
    }
}

// A taut rope pulls the player toward the anchor; a player walking on the ground is dragged along
// its floor instead of being thrown by the speed.
void PullPlayer(PlayerRecord* player, WhipRecord* whip, u32 steps, u8 a, u32 held)
{
    ObjectHeader* body = player->header;
    const i32 set = player->lineLength & ~255;
    if (set >= (i32)(256 * steps)) {
        whip->groundPullX = 0.0f;
        return;
    }
    // A rope measured at no length has nothing to pull along.
    if (steps == 0)
        return;
    const f32 f = (f32)(((set - (i32)(256 * steps)) / (i32)steps) >> 1) / 256.0f;
    f32 anchorX, anchorY;
    Anchor(whip, &anchorX, &anchorY);
    const f32 ax = ((f32)cosTable[a] * f - (f32)player->handOffsetX + anchorX - body->x) / 128.0f;
    const f32 ay = ((f32)sinTable[a] * f - (f32)player->handOffsetY + anchorY - body->y) / 128.0f;

    const f32 limit = 1.5f * player->maxRun;
    const bool walking = body->groundContact &&
                         (((held & ButtonLeft) && body->groundSpeed >= -limit && body->groundSpeed <= 0.0f) ||
                          ((held & ButtonRight) && body->groundSpeed >= 0.0f && body->groundSpeed <= limit));
    if (!walking || whip->state == WhipZip) {
        body->vx += ax;
        body->groundSpeed = body->vx;
        body->vy += ay;
    } else {
        TryMoveOnPlane(player, player->actor.anim, 2.0f * ax, 2.0f * ay, body->groundSpeed, true, nullptr);
        whip->groundPullX = 2.0f * ax;
        whip->groundPullY = 2.0f * ay;
    }

    if (whip->header->y < body->y)
        player->swingRelease = 1;
    player->jumping = 0;
    if (ay < 0.0f && player->ropeAngle > 4096 && player->ropeAngle < 28672)
        body->groundContact = 0;
    if (!body->groundContact && !(held & (ButtonLeft | ButtonRight)))
        body->vx -= body->vx / 64.0f;
}

// The zip has reached the anchor: the rope is gone and the player carries on from there.
void ArriveZip(PlayerRecord* player, WhipRecord* whip, u32 pressed)
{
    ObjectHeader* body = player->header;
    player->whipExtension = 0;
    whip->state = WhipIdle;
    whip->header->vx = whip->header->vy = 0.0f;
    player->zipSpeed = 0;
    if (body->vy < zipTopRise) {
        body->vy = zipTopRise;
    } else if (body->groundContact &&
               (player->throwAngle == throwDownLeft || player->throwAngle == throwDownRight)) {
        player->state = PlayerStateAir;
        whip->jointCount = 0;
        return;
    }
    if (player->state != PlayerStateHanging)
        player->state = PlayerStateNormal;
    if (pressed & ButtonJump)
        body->vy -= zipJumpBoost;
    whip->jointCount = 0;
}

} // namespace

void SwingRope(PlayerRecord* player)
{
    WhipRecord* whip = player ? player->whip : nullptr;
    if (!whip || !whip->header)
        return;
    ObjectHeader* body = player->header;
    const PlayerControls& controls = ControlsOf(player);
    const u32 held = controls.heldMask, pressed = controls.pressedMask;

    // In placement mode the player flies where it is steered: the rope neither reels nor pulls.
    const bool placing = player->state == PlayerStateEditor;
    if (!placing)
        ReelLine(player, held);

    if (whip->state == WhipSwing || whip->state == WhipZip) {
        f32 anchorX, anchorY;
        Anchor(whip, &anchorX, &anchorY);
        u8 b = VectorToAngle(anchorX - body->x, anchorY - body->y);
        if (player->facing == 1)
            b = (u8)(b + 128);
        const i32 r = player->facing == 1 ? -21 : 21;
        player->handOffsetX = (cosTable[b] * r) / 256;
        player->handOffsetY = (sinTable[b] * r) / 256;
    }

    u32 steps = 0;
    u8 a = 0;
    if (!RopeJointPass(player, &steps, &a))
        return;
    player->whipExtension = (i32)(256 * steps);
    player->ropeAngle = (u32)((-(i32)a * 256 - 32768) & 0xFF00);

    if (!placing)
        PullPlayer(player, whip, steps, a, held);

    if (whip->state != WhipZip)
        player->previousLineLength = player->lineLength;

    if (pressed & ButtonAttack)
        StartZip(player, whip);

    if (whip->state == WhipZip) {
        player->lineLength -= player->zipSpeed;
        player->whipExtension -= player->zipSpeed;
        player->zipSpeed += zipSpeedGain;
        if (player->lineLength <= 0) {
            // Kept at 0: a negative set length would pull the next tick with no rope to measure.
            player->lineLength = 0;
            if (player->whipExtension <= 0) {
                ArriveZip(player, whip, pressed);
                return;
            }
        }
    }

    if (whip->state != WhipSwing && whip->state != WhipZip)
        return;
    if (((held & ButtonGrapple) ? 1 : 0) != player->grappleStyle) {
        if (player->holdTicks > player->tappleDelay) {
            whip->state = WhipRetract;
            return;
        }
        if (whip->state == WhipZip)
            return;
        StartZip(player, whip);
        return;
    }
    if ((pressed & ButtonJump) && player->swingRelease && !body->contacts[3]) {
        body->vy -= player->jumpSpeed;
        body->vx *= 1.5f;
        if (player->state != PlayerStateHanging)
            player->state = PlayerStateAir;
        whip->state = WhipRetract;
        if (jump2Sound)
            QueueSound((u16)jump2Sound);
    }
}
