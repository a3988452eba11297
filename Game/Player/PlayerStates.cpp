// The player's movement states: Normal (standing, running on floors, walls and ceilings, jumping,
// falling, dropping through one-way floors, attacking), Air (sliding and flying without running
// control after a bounce or a release from the rope), the bounce itself, and Hanging on the whip.
// Each runs the shared move step first, then reads the move's outcome from the header and the
// motion scratch.
#include <cmath>

#include "Engine/Collision/AngleTables.h"
#include "Engine/Collision/Angles.h"
#include "Engine/Collision/Motion.h"
#include "Engine/Collision/MotionScratch.h"
#include "Engine/Collision/TileQuery.h"
#include "Engine/Common/Sound.h"
#include "Engine/Platform/Controls.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Player/Player.h"
#include "Game/Player/PlayerMotion.h"
#include "Game/Whip/Whip.h"

// ---- Shared with the hit and defeat states ----

// The angle tables take any angle: every index is wrapped to a byte first.
f32 PlayerSin(i32 angle)
{
    return (f32)sinTable[angle & 255];
}
f32 PlayerCos(i32 angle)
{
    return (f32)cosTable[angle & 255];
}

// The header's surface angle truncated to a byte.
i32 PlayerSurfaceByte(const ObjectHeader* header)
{
    return (i32)header->angle & 255;
}

void ShowPlayerBody(PlayerRecord* player, u16 right, u16 left)
{
    SetAnim(&player->anim, &playerAnimSet, player->facing ? left : right, 0, 0);
}

// Moves the body for the tick; false when a touch callback changed the state meanwhile, and the
// state must return at once.
bool PlayerMoveStep(PlayerRecord* player)
{
    const PlayerState before = player->state;
    ActorBlock& actor = player->actor;
    if (actor.hitlag > 0) {
        RunObjectCallbacks(&Player, player);
        if (!actor.moveDuringHitlag)
            return player->state == before;
    } else {
        actor.frozen = 0;
    }
    if (actor.useStepper)
        StepWithCallbacks(&Player, player);
    else
        MoveOnPlane(player, actor.anim);
    return player->state == before;
}

// The slope's pull on the ground speed, and the running limit it sets on the base plane.
f32 PlayerSlopeForce(PlayerRecord* player, f32 scale)
{
    ObjectHeader* header = player->header;
    const f32 sine = PlayerSin(PlayerSurfaceByte(header));
    const f32 s = sine * scale / 256.0f;
    if (header->plane == player->basePlane) {
        if (header->groundSpeed >= 0.0f) {
            player->maxRun = playerRunLimit + sine * 3.5f / 256.0f;
            if (header->groundSpeed < player->maxRun)
                header->groundSpeed += s;
        } else {
            player->maxRun = playerRunLimit - sine * 3.5f / 256.0f;
            if (header->groundSpeed > -player->maxRun)
                header->groundSpeed += s;
        }
    } else {
        header->groundSpeed += s;
    }
    return s;
}

// Running and braking on the ground: a held direction brakes a speed past the running limit and
// adds gain below it (turning the player that way when there is a gain); with neither held the
// speed falls toward 0 by friction, less where the slope pushes along the motion.
void PlayerGroundRun(PlayerRecord* player, u32 held, f32 s, f32 gain)
{
    ObjectHeader* header = player->header;
    f32 speed = header->groundSpeed;
    const f32 maxRun = player->maxRun;
    if (held & ButtonLeft) {
        if (speed < -maxRun) {
            speed += player->friction * 0.5f;
            if (speed > -maxRun)
                speed = -maxRun;
        }
        if (speed > -maxRun)
            speed -= gain;
        if (gain != 0.0f)
            player->facing = 1;
    }
    if (held & ButtonRight) {
        if (speed > maxRun) {
            speed -= player->friction * 0.5f;
            if (speed < maxRun)
                speed = maxRun;
        }
        if (speed < maxRun)
            speed += gain;
        if (gain != 0.0f)
            player->facing = 0;
    }
    if (!(held & (ButtonLeft | ButtonRight)) && speed != 0.0f) {
        f32 friction = player->friction;
        // Less grip where the slope pushes along the motion.
        if ((speed > 0.0f && s >= 0.1f) || (speed < 0.0f && s <= -0.1f))
            friction /= 1.5f;
        if (speed > 0.0f)
            speed = speed > friction ? speed - friction : 0.0f;
        else
            speed = speed < -friction ? speed + friction : 0.0f;
    }
    header->groundSpeed = speed;
}

namespace {

// Body animations (right, left) and the ground attack overlays.
constexpr u16 standRight = 4, standLeft = 5;
constexpr u16 ropeSpinRight = 8, ropeSpinLeft = 9;
constexpr u16 walkRight = 12, walkLeft = 15;
constexpr u16 slideRight = 41, slideLeft = 42;
constexpr u16 airAttackRight = 44, airAttackLeft = 46;
constexpr u16 riseRight = 49, riseLeft = 52;
constexpr u16 fallRight = 55, fallLeft = 58;
constexpr u16 hangRight = 59, hangLeft = 60;
constexpr u16 swingRight = 30, swingLeft = 34;
constexpr u16 secondSwingRight = 32, secondSwingLeft = 36;

constexpr f32 airMaxRun = playerRunLimit;
constexpr f32 jumpCutSpeed = -0.9375f;
constexpr f32 landSoundSpeed = 1.5f;
constexpr f32 steepLandingLimit = 15.75f;
constexpr f32 landingDrag = 1.5f;
constexpr f32 letGoSpeed = 2.5f;
constexpr f32 bounceSpeed = -8.0f;
constexpr f32 tiltStep = 6.0f;

u16 Facing(const PlayerRecord* player, u16 right, u16 left)
{
    return player->facing ? left : right;
}

void EndOverlay(PlayerRecord* player)
{
    player->overlay.animIndex = 0;
    player->overlay.finished = 1;
}

bool ShowsBody(const PlayerRecord* player, u16 animation)
{
    return player->anim.animIndex == animation;
}

// The collision flags under the feet: at both inner foot columns and the middle of the box's
// bottom row, ORed together.
i32 FlagsUnderFeet(PlayerRecord* player, u8 layer)
{
    ObjectHeader* header = player->header;
    i64 box[4];
    GetAnimFrameBox(box, header, player->actor.anim);
    const f32 bottom = (f32)box[3];
    return GetTileCollisionFlags((f32)(box[1] - 1), bottom, layer) |
           GetTileCollisionFlags((f32)(box[0] + 1), bottom, layer) | GetTileCollisionFlags(header->x, bottom, layer);
}

// In the air: steering, the jump cut, the plane, the pass-through layer and gravity.
void AirSteer(PlayerRecord* player, u32 held)
{
    ObjectHeader* header = player->header;
    player->maxRun = airMaxRun;
    if ((held & ButtonLeft) && header->vx > -airMaxRun)
        header->vx -= player->accel;
    if ((held & ButtonRight) && header->vx < airMaxRun)
        header->vx += player->accel;
}

void AirFall(PlayerRecord* player, u32 held, bool stopJumpSound)
{
    ObjectHeader* header = player->header;
    if (player->jumpHeld && !(held & ButtonJump))
        player->jumpHeld = 0;
    if (player->jumping && !player->jumpHeld) {
        if (header->vy < jumpCutSpeed)
            header->vy = jumpCutSpeed;
        if (stopJumpSound && header->vy >= 0.0f)
            StopSound((u16)jumpSound);
    }

    header->plane = player->basePlane;

    // After a drop-through the player stays on the pass-through layer until its feet are clear of
    // the floor it fell through.
    const u8 passLayer = collisionLayerTable[1];
    if (header->collisionLayer == passLayer) {
        header->collisionLayer = player->savedLayer;
        if (FlagsUnderFeet(player, header->collisionLayer))
            header->collisionLayer = passLayer;
    }

    header->vy += player->gravity;
}

// The landing tick's drop through a one-way floor with down held; true when the player dropped.
bool DropThrough(PlayerRecord* player, u32 held)
{
    ObjectHeader* header = player->header;
    if (!(held & ButtonDown) || header->groundContact >= 255)
        return false;
    if (FlagsUnderFeet(player, header->collisionLayer) != TileFlagFloor)
        return false;
    header->y += (f32)stoppedStepsY;
    header->vy = moveStartVy;
    header->groundContact = 0;
    header->lastGroundContact = 0;
    header->contacts[3] = 0;
    player->savedLayer = header->collisionLayer;
    header->collisionLayer = collisionLayerTable[1];
    return true;
}

// The landing tick after the sound: the speed along the ground from the fall, the plane of the
// ground, and the velocity along it.
void Land(PlayerRecord* player)
{
    ObjectHeader* header = player->header;
    if (moveStartVy >= landSoundSpeed)
        QueueSound((u16)landSound);
    if (header->collisionLayer == collisionLayerTable[1])
        header->collisionLayer = player->savedLayer;

    const i32 t = PlayerSurfaceByte(header);
    const i32 fall = (VectorToAngle(moveStartVx, moveStartVy) - 32) & 0xC0;
    bool sloped = false;
    if (fall == 0) {
        if ((t + 32) & 64) {
            header->vx = 0.0f;
            header->groundSpeed = moveStartVy > steepLandingLimit ? steepLandingLimit : moveStartVy;
            sloped = true;
        } else if ((t + 16) & 32) {
            header->groundSpeed = moveStartVy * 0.5f;
            sloped = true;
        } else {
            header->vy = 0.0f;
            header->groundSpeed = moveStartVx;
        }
    } else if (fall == 0x80 && ((t + 32) & 64)) {
        header->groundSpeed = moveStartVy;
        sloped = true;
    }
    if (sloped && t >= 129)
        header->groundSpeed = -header->groundSpeed;

    header->groundSpeed /= landingDrag;
    header->plane = (u8)(((288 - t) >> 6) & 3);
    header->tiltAngle = header->angle;
    header->vx = PlayerCos(t) * header->groundSpeed / 256.0f;
    header->vy = PlayerSin(t) * header->groundSpeed / 256.0f;
    header->lastGroundContact = header->groundContact;
}

// A jump off the surface, perpendicular to it.
void Jump(PlayerRecord* player)
{
    ObjectHeader* header = player->header;
    const i32 t = PlayerSurfaceByte(header);
    header->vx += PlayerCos(t - 64) * player->jumpSpeed / 256.0f;
    header->vy += PlayerSin(t - 64) * player->jumpSpeed / 256.0f;
    header->groundContact = 0;
    player->jumping = 1;
    player->jumpHeld = 1;
    QueueSound((u16)jumpSound);
    if ((player->attackState == 1 || player->attackState == 2) && player->overlay.frameIndex > 1) {
        player->attackState = 0;
        EndOverlay(player);
    }
}

// Too slow on a wall or ceiling: the player lets go and falls.
void LetGoOfWalls(PlayerRecord* player)
{
    ObjectHeader* header = player->header;
    if (header->plane == player->basePlane || std::fabs(header->groundSpeed) >= letGoSpeed)
        return;
    bool off = false;
    switch (player->basePlane) {
    case 0:
        off = header->vy <= 0.0f && !header->contacts[3];
        break;
    case 1:
        off = header->vx < 0.0f && !header->contacts[1];
        break;
    case 2:
        off = header->vy >= 0.0f && !header->contacts[2];
        break;
    case 3:
        off = header->vx > 0.0f && !header->contacts[0];
        break;
    default:
        break;
    }
    if (off) {
        header->plane = player->basePlane;
        header->groundContact = 0;
        header->groundSpeed = 0.0f;
    }
}

// Aim, grapple and attack, on flat enough ground or in the air. True when grapple or attack was
// pressed.
bool Actions(PlayerRecord* player, u32 pressed)
{
    ObjectHeader* header = player->header;
    const bool inAir = !header->groundContact;
    const i32 t = PlayerSurfaceByte(header);
    if (!inAir && t > 32 && t < 224)
        return false;

    if (player->whip) {
        ApplyAimInput(player);
        // A direct-aim press presses the grapple button in the same tick.
        pressed |= playerControls[player->player & (playerCount - 1)].pressedMask & ButtonGrapple;
    }
    if ((pressed & ButtonGrapple) && player->whip)
        FireWhip(player);

    if ((pressed & ButtonAttack) && (player->overlay.animIndex == 0 || player->overlay.frameIndex > 4) &&
        player->whipExtension == 0) {
        if (inAir) {
            if (!ShowsBody(player, airAttackRight) && !ShowsBody(player, airAttackLeft)) {
                player->attackState = 1;
                SetAnim(&player->anim, &playerAnimSet, Facing(player, airAttackRight, airAttackLeft), 0, 1);
                if (whipAttackAirSound)
                    QueueSound((u16)whipAttackAirSound);
            }
        } else if (player->attackState == 1) {
            player->attackState = 2;
            SetAnim(&player->overlay, &playerAnimSet, Facing(player, secondSwingRight, secondSwingLeft), 0, 1);
            if (whipAttack2Sound)
                QueueSound((u16)whipAttack2Sound);
        } else {
            player->attackState = 1;
            SetAnim(&player->overlay, &playerAnimSet, Facing(player, swingRight, swingLeft), 0, 1);
            if (whipAttackSound)
                QueueSound((u16)whipAttackSound);
        }
    }
    return (pressed & (ButtonGrapple | ButtonAttack)) != 0;
}

// The airborne body: the tilt eases back upright the short way round, and the body shows the air
// attack, the spin on the rope, or rising and falling.
void AirAnimation(PlayerRecord* player)
{
    ObjectHeader* header = player->header;
    f32 tilt = (f32)(i8)(u8)(i32)header->tiltAngle;
    if (tilt > 0.0f)
        tilt = tilt > tiltStep ? tilt - tiltStep : 0.0f;
    else if (tilt < 0.0f)
        tilt = tilt < -tiltStep ? tilt + tiltStep : 0.0f;
    header->tiltAngle = tilt;

    const u32 whipState = PlayerWhipState(player);
    if (player->attackState)
        ShowPlayerBody(player, airAttackRight, airAttackLeft);
    else if ((whipState >= 4 && player->swingRelease) || whipState == 5)
        ShowPlayerBody(player, ropeSpinRight, ropeSpinLeft);
    else if (header->vy >= 0.0f)
        ShowPlayerBody(player, fallRight, fallLeft);
    else
        ShowPlayerBody(player, riseRight, riseLeft);

    const u16 shown = player->anim.animIndex;
    const bool risingOrFalling = shown == riseRight || shown == riseLeft || shown == fallRight || shown == fallLeft;
    if (!(risingOrFalling && player->whipExtension == 0 && whipState < 4))
        header->tiltAngle = 0.0f;
}

} // namespace

// ---- Normal ----

void PlayerStateNormal(PlayerRecord* player)
{
    if (!PlayerMoveStep(player))
        return;
    ObjectHeader* header = player->header;
    const PlayerControls& controls = playerControls[player->player & (playerCount - 1)];
    const u32 held = controls.heldMask;
    const u32 pressed = controls.pressedMask;

    if (!header->groundContact) {
        AirSteer(player, held);
        AirFall(player, held, true);
    } else if (!header->lastGroundContact) {
        if (DropThrough(player, held)) {
            AirFall(player, held, true);
        } else {
            Land(player);
            player->jumping = 0;
            // A swing begun in the air goes on as the first ground swing.
            if ((player->attackState == 1 || player->attackState == 2) && player->anim.frameIndex < 3) {
                player->attackState = 1;
                SetAnim(&player->overlay, &playerAnimSet, Facing(player, swingRight, swingLeft),
                        player->anim.frameIndex, 1);
            } else {
                player->attackState = 0;
            }
        }
    }

    // On the ground, the landing tick included.
    if (header->groundContact && header->lastGroundContact) {
        player->swingRelease = 0;
        if (pressed & ButtonJump)
            Jump(player);

        const f32 s = PlayerSlopeForce(player, 0.2f);
        PlayerGroundRun(player, held, s, player->accel);
        LetGoOfWalls(player);
    }

    Actions(player, pressed);

    if (player->invulnerable)
        --player->invulnerable;
    if (header->groundContact) {
        header->tiltAngle = header->angle;
        if (header->groundSpeed == 0.0f) {
            // Standing holds the first frame.
            ShowPlayerBody(player, standRight, standLeft);
            player->anim.frameIndex = 0;
            player->anim.speed = 0;
        } else {
            ShowPlayerBody(player, walkRight, walkLeft);
        }
    } else {
        AirAnimation(player);
    }
}

// ---- Air ----

void PlayerStateAir(PlayerRecord* player)
{
    ObjectHeader* header = player->header;
    if (header->groundContact && header->plane == player->basePlane &&
        std::fabs(header->groundSpeed) < player->maxRun * 0.5f) {
        player->state = PlayerStateNormal;
        PlayerStateNormal(player);
        return;
    }

    if (!PlayerMoveStep(player))
        return;
    const PlayerControls& controls = playerControls[player->player & (playerCount - 1)];
    const u32 held = controls.heldMask;
    const u32 pressed = controls.pressedMask;

    if (!header->groundContact) {
        AirSteer(player, held);
        AirFall(player, held, false);
    } else if (!header->lastGroundContact) {
        if (DropThrough(player, held)) {
            player->state = PlayerStateNormal;
            AirFall(player, held, false);
        } else {
            Land(player);
            player->state = PlayerStateNormal;
            PlayerStateNormal(player);
            return;
        }
    } else {
        const f32 s = PlayerSlopeForce(player, 0.25f);
        f32 speed = header->groundSpeed;
        // No running here: only friction, and only where the slope does not push; full friction
        // when the opposite way is held.
        if (speed > 0.0f && s <= 0.0f) {
            const f32 friction = (held & ButtonLeft) ? player->friction : player->friction * 0.5f;
            speed = speed > friction ? speed - friction : 0.0f;
        } else if (speed < 0.0f && s >= 0.0f) {
            const f32 friction = (held & ButtonRight) ? player->friction : player->friction * 0.5f;
            speed = speed < -friction ? speed + friction : 0.0f;
        }
        header->groundSpeed = speed;
        if (pressed & ButtonJump)
            Jump(player);
        LetGoOfWalls(player);
    }

    if (Actions(player, pressed))
        player->state = PlayerStateNormal;

    if (player->invulnerable)
        --player->invulnerable;
    header->tiltAngle = header->angle;
    if (header->groundContact) {
        ShowPlayerBody(player, slideRight, slideLeft);
        player->anim.speed = (u16)(i32)(std::fabs(header->groundSpeed) * 68.0f + 1.0f);
    } else {
        AirAnimation(player);
    }
}

// ---- Bounce ----

void PlayerBounceOff(PlayerRecord* player)
{
    ObjectHeader* header = player->header;
    player->whipExtension = 0;
    SetPlayerWhipState(player, 0);
    if (header->vx != 0.0f) {
        const f32 back = header->vx > 0.0f ? -1.0f : 1.0f;
        header->vx = back;
        header->groundSpeed = back;
    }
    header->vy = bounceSpeed;
    player->state = PlayerStateAir;
    header->groundContact = 0;
    player->actor.lastHitter = nullptr;
}

// ---- Hanging ----

void PlayerStateHanging(PlayerRecord* player)
{
    if (player->actor.hitlag == 0 && player->whip)
        UpdateWhip(player);

    if (player->hangTimer)
        --player->hangTimer;
    if (player->hangTimer == 0 && player->whipExtension == 0) {
        player->state = PlayerStateAir;
        PlayerStateAir(player);
        return;
    }

    if (!PlayerMoveStep(player))
        return;
    if (player->state != PlayerStateHanging)
        return;
    ObjectHeader* header = player->header;
    if (player->whipExtension)
        player->hangTimer = 2;
    EndOverlay(player);
    header->groundContact = 0;
    header->lastGroundContact = 0;
    ShowPlayerBody(player, hangRight, hangLeft);
}
