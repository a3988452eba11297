// How the player drives the whip: the direct-aim inputs, the throw in one of eight directions, and
// the whip's state step once a tick (extend, hold out, retract, swing, zip).
#include "Game/Whip/Whip.h"

#include "Engine/Collision/AngleTables.h"
#include "Engine/Platform/Controls.h"
#include "Game/Player/Player.h"

namespace {

// The direct-aim inputs (binding slots 20-23).
constexpr u32 aimUp = 1u << BindAimUp;
constexpr u32 aimDown = 1u << BindAimDown;
constexpr u32 aimLeft = 1u << BindAimLeft;
constexpr u32 aimRight = 1u << BindAimRight;
constexpr u32 aimAny = aimUp | aimDown | aimLeft | aimRight;

// The overlay frame before which a swing cannot be cut by a throw.
constexpr u16 throwCutFrame = 5;

// One direction of the throw.
struct ThrowRow {
    u8 throwAngle;     // mathematical, y up
    u8 throwDirection; // 4 level, 5 up diagonal, 6 up, 7 down, 8 down diagonal
    f32 tipAngle;      // screen, y down
    i32 handX, handY;
    u16 animation;
};

constexpr ThrowRow upLeft{32, 5, 160.0f, -26, -17, 25};
constexpr ThrowRow upRight{96, 5, 224.0f, 24, -17, 20};
constexpr ThrowRow upFacingRight{64, 6, 192.0f, 1, -29, 19};
constexpr ThrowRow upFacingLeft{64, 6, 192.0f, -3, -29, 24};
constexpr ThrowRow downLeft{160, 8, 96.0f, -24, 15, 27};
constexpr ThrowRow downRight{224, 8, 32.0f, 22, 15, 22};
constexpr ThrowRow downFacingRight{192, 7, 64.0f, 1, 25, 23};
constexpr ThrowRow downFacingLeft{192, 7, 64.0f, -3, 25, 28};
constexpr ThrowRow levelRight{0, 4, 0.0f, 31, 1, 21};
constexpr ThrowRow levelLeft{128, 4, 128.0f, -31, 1, 26};

PlayerControls& ControlsOf(const PlayerRecord* player)
{
    return playerControls[player->player & (playerCount - 1)];
}

// Picks the row from the held directions; a level throw turns the player first.
const ThrowRow& ChooseThrow(PlayerRecord* player, u32 held)
{
    if (held & ButtonUp) {
        if (held & ButtonLeft)
            return upLeft;
        if (held & ButtonRight)
            return upRight;
        return player->facing ? upFacingLeft : upFacingRight;
    }
    if (held & ButtonDown) {
        if (held & ButtonLeft)
            return downLeft;
        if (held & ButtonRight)
            return downRight;
        return player->facing ? downFacingLeft : downFacingRight;
    }
    if (held & ButtonLeft)
        player->facing = 1;
    if (held & ButtonRight)
        player->facing = 0;
    return player->facing ? levelLeft : levelRight;
}

// Sets the tip's speed so that it reaches the rope's end this tick.
void PlaceTip(PlayerRecord* player, WhipRecord* whip)
{
    ObjectHeader* tip = whip->header;
    ObjectHeader* body = player->header;
    const u8 a = (u8)((i32)tip->angle & 255);
    const i32 reach = player->whipExtension >> 8;
    tip->vx = ((f32)player->handOffsetX + body->x + (f32)((reach * cosTable[a]) / 256)) - tip->x;
    tip->vy = ((f32)player->handOffsetY + body->y + (f32)((reach * sinTable[a]) / 256)) - tip->y;
}

void EndRope(PlayerRecord* player, WhipRecord* whip)
{
    player->whipExtension = 0;
    whip->state = WhipIdle;
    whip->jointCount = 0;
    whip->header->vx = whip->header->vy = 0.0f;
}

} // namespace

void ApplyAimInput(PlayerRecord* player)
{
    PlayerControls& controls = ControlsOf(player);
    if (controls.pressedMask & aimAny) {
        controls.pressedMask |= ButtonGrapple;
        u32& held = controls.heldMask;
        if (held & aimUp)
            held = (held | ButtonUp) & ~ButtonDown;
        if (held & aimDown)
            held = (held | ButtonDown) & ~ButtonUp;
        if (held & aimLeft)
            held = (held | ButtonLeft) & ~ButtonRight;
        if (held & aimRight)
            held = (held | ButtonRight) & ~ButtonLeft;
    }
    // An aim input held counts as the grapple button held.
    if (controls.heldMask & aimAny)
        controls.heldMask |= ButtonGrapple;
}

void FireWhip(PlayerRecord* player)
{
    WhipRecord* whip = player->whip;
    if (!whip || !whip->header)
        return;
    if (player->attackState && player->overlay.frameIndex < throwCutFrame)
        return;
    player->attackState = 0;

    if (whip->state == WhipRetractFull || whip->state == WhipRetract) {
        player->fireBuffered = 1;
        return;
    }
    if (whip->state == WhipSwing) {
        // A throw while swinging lets go.
        whip->state = WhipRetract;
        whip->jointCount = 0;
        return;
    }
    if (player->whipExtension > 0)
        return;

    ReleaseWhipHook(whip);
    player->whipThrown = 1;
    const ThrowRow& row = ChooseThrow(player, ControlsOf(player).heldMask);
    player->throwAngle = row.throwAngle;
    player->throwDirection = row.throwDirection;
    whip->direction = row.throwAngle;
    ObjectHeader* tip = whip->header;
    tip->angle = row.tipAngle;
    player->handOffsetX = row.handX;
    player->handOffsetY = row.handY;

    SetAnim(&player->overlay, &playerAnimSet, row.animation, 0, 1);

    const u8 a = (u8)((i32)row.tipAngle & 255);
    player->ropeAngle = (u32)a << 8;
    tip->x = player->header->x;
    tip->y = player->header->y;
    tip->vx = (f32)((cosTable[a] * 5) / 256);
    tip->vy = (f32)((sinTable[a] * 5) / 256);
}

void UpdateWhip(PlayerRecord* player)
{
    WhipRecord* whip = player->whip;
    if (!whip || !whip->header)
        return;
    if (player->actor.hitlag > 0 || (player->whipExtension == 0 && whip->state == WhipIdle))
        return;

    switch (whip->state) {
    case WhipIdle:
        player->whipExtension += whipExtendStep;
        if (player->whipExtension >= whipReach) {
            whip->state = WhipRetractFull;
            player->zipSpeed = 0;
        }
        ExtendRope(player);
        PlaceTip(player, whip);
        break;
    case WhipHeldOut:
        PlaceTip(player, whip);
        break;
    case WhipRetractFull:
    case WhipRetract:
        RetractRope(player);
        if (whip->state == WhipIdle)
            break; // the rope broke while it came back
        player->whipExtension -= whipExtendStep;
        if (player->whipExtension > 0) {
            if (whip->state == WhipRetractFull)
                PlaceTip(player, whip);
            break;
        }
        EndRope(player, whip);
        if (player->fireBuffered) {
            player->fireBuffered = 0;
            ApplyAimInput(player);
            FireWhip(player);
        }
        break;
    case WhipSwing: {
        const u8 held = (ControlsOf(player).heldMask & ButtonGrapple) ? 1 : 0;
        if (held == player->grappleStyle && player->holdTicks < 255)
            ++player->holdTicks;
        SwingRope(player);
        break;
    }
    case WhipZip:
        SwingRope(player);
        break;
    default:
        break;
    }
}
