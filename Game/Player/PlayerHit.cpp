// The player's hit and defeat: taking a hit (knock-back, invulnerability, the bones shaken loose,
// one health point), the hurt flight until it lands, and at no health the defeat: the freeze of the
// fatal hit, the burst of bones, the tumbling body, the count-down, the fade, and the restart or
// the way back to the title.
#include <algorithm>
#include <cmath>

#include "Engine/Collision/AngleTables.h"
#include "Engine/Collision/Motion.h"
#include "Engine/Collision/MotionScratch.h"
#include "Engine/Common/Random.h"
#include "Engine/Common/Sound.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/GameThread.h"
#include "Game/Actors/HitResolution.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Display/Fade.h"
#include "Game/Player/Player.h"
#include "Game/Player/PlayerMotion.h"
#include "Game/Whip/Whip.h"
#include "Game/World/Collect.h"

namespace {

// Body animations (right, left).
constexpr u16 hurtRight = 10, hurtLeft = 11;
constexpr u16 tumbleRight = 37, tumbleLeft = 38;

// Frames of the hurt animation: the flight frames jump to their landing twins, and the landing
// ends on its last frames.
constexpr u16 hurtLandJump = 6;
constexpr u16 hurtFlightFirst = 10, hurtFlightLast = 16;
constexpr u16 hurtEndFrameA = 15, hurtEndFrameB = 21;
constexpr i16 lastTickOfFrame = 257; // a frame timer below this has one tick left

constexpr f32 knockSpeed = 2.5f;
constexpr f32 knockLift = 6.0f;
constexpr u16 invulnerableTicks = 35;
constexpr i16 hookedFreeze = 16;

// Bones kept through a hit: 48 for every health point above 2.
constexpr i32 bonesPerHealth = 48;
constexpr i32 bonesPerDrop = 5;
constexpr i32 maxDroppedBones = 16;
constexpr i32 defeatBones = 32;

constexpr f32 defeatLift = -8.0f;
constexpr f32 bounceDamping = 1.4f;
constexpr u8 deathWait = 240;
constexpr u8 fadeTick = 120; // the last ticks, which always run
constexpr f32 defeatMusicStep = 0.0075f;
constexpr f32 lyingTurn = 64.0f;  // a quarter turn back from upright: on its back
constexpr f32 layDownStep = 6.0f; // 256ths of a turn a tick

// A loose bone flung from the player. The random numbers are drawn whether or not the bone could
// be spawned, so a stage without bones plays out the same.
void FlingBone(f32 x, f32 y, f32 vx, f32 k)
{
    const f32 vy = -(f32)((GameRand() >> 13) + 5) * k / 327.68f;
    const f32 scale = (f32)(GameRand() / 170 + 64) / 256.0f;
    lastSpawnedInstance = nullptr;
    SpawnObject(&Collect, x, y, CollectLoose, 0);
    if (!lastSpawnedInstance)
        return;
    ObjectHeader* bone = HeaderOf(lastSpawnedInstance);
    bone->vx = vx;
    bone->vy = vy;
    bone->scaleX = scale;
    bone->scaleY = scale;
}

// The part of a turn, in [-128, 128), that brings angle a to angle b the short way round.
f32 ShortTurn(f32 a, f32 b)
{
    const f32 turn = b - a;
    return turn - 256.0f * std::floor((turn + 128.0f) / 256.0f);
}

// A body that stays on the ground turns, the short way round, to lie along the surface on the side
// it leans to, and faces the way that puts its back on the ground: the tumble's picture lies on its
// back a quarter turn back from upright. The spin alone leaves a body at rest at whatever angle its
// slides and bounces added up to, upright or on its head as often as lying, which no one picture
// can show as a fallen body.
void LayBodyDown(PlayerRecord* player)
{
    ObjectHeader* header = player->header;
    const f32 upright = (f32)PlayerSurfaceByte(header);
    const f32 lean = ShortTurn(upright, header->tiltAngle);
    player->facing = lean > 0.0f || (lean == 0.0f && player->facing) ? 1 : 0;
    const f32 lying = upright + (player->facing ? lyingTurn : -lyingTurn);
    header->tiltAngle += std::clamp(ShortTurn(header->tiltAngle, lying), -layDownStep, layDownStep);
}

} // namespace

// ---- The hit ----

void PlayerTakeHit(PlayerRecord* player, ObjectHeader* attacker)
{
    if (player->editing || player->invulnerable)
        return;
    ObjectHeader* header = player->header;
    ++player->damageCount;

    // Whatever the whip holds is frozen a moment and let go; a platform holds no actor.
    WhipRecord* whip = player->whip;
    if (whip && whip->hookedObject) {
        if (ActorBlock* held = ActorOfHeader(whip->hookedObject)) {
            held->hitlag = hookedFreeze;
            ReleaseWhipHook(whip);
        }
    }

    player->hangTimer = 0;
    player->state = PlayerStateHurt;
    player->attackState = 0;
    player->overlay.animIndex = 0;
    player->overlay.finished = 1;
    if (whip)
        BreakWhip(whip);

    // Knocked away from the attacker, facing it.
    const bool fromLeft = !attacker || attacker->x <= header->x;
    header->vx = fromLeft ? knockSpeed : -knockSpeed;
    header->groundSpeed = header->vx;
    player->facing = fromLeft ? 1 : 0;
    header->y -= 1.0f;
    header->vy = -knockLift;
    header->groundContact = 0;
    header->plane = player->basePlane;

    player->invulnerable = invulnerableTicks;

    // Bones above what the health keeps are lost; a few of them fly, at least one while any are
    // left.
    const i32 keep = ((i32)player->health - 2) * bonesPerHealth;
    const i32 carried = (i32)std::trunc(player->collected);
    const i32 excess = carried > keep ? carried - keep : 0;
    player->collected = (f32)(carried - excess);
    i32 count = excess / bonesPerDrop;
    if (count > maxDroppedBones)
        count = maxDroppedBones;
    if (count == 0 && player->collected > 0.0f)
        count = 1;
    i32 side = GameRand() >> 14;
    i32 a = 2;
    for (i32 i = 0; i < count; ++i) {
        f32 vx, k;
        if (side == 0) {
            vx = PlayerCos(64 - a) / 327.68f * 10.0f;
            k = PlayerCos(-a);
        } else {
            vx = PlayerCos(a + 64) / 327.68f * 10.0f;
            k = PlayerCos(a);
        }
        FlingBone(header->x, header->y, vx, k);
        side ^= 1;
        if (i & 1)
            a += 4;
    }

    if (player->health)
        --player->health;
    if (player->health == 0) {
        player->state = PlayerStateDefeated;
        // A defeated player is past being hit: no attack box meets it any more, so nothing around
        // the body can knock it back into a fresh defeat and the count-down always runs out.
        player->actor.defeated = 1;
    }
}

// ---- Hurt ----

void PlayerStateHurt(PlayerRecord* player)
{
    if (!PlayerMoveStep(player))
        return;
    ObjectHeader* header = player->header;
    AnimPlayer& body = player->anim;

    if (!header->groundContact) {
        header->vy += player->gravity;
    } else if (PlayerSurfaceByte(header) == 0) {
        header->vx = header->vy = header->groundSpeed = 0.0f;
        // Landed: the flight frames give way to their landing twins, inside the animation.
        const u16 frame = body.frameIndex;
        if ((frame > hurtFlightFirst && frame <= hurtFlightLast) ||
            (frame == hurtFlightFirst && body.timer < lastTickOfFrame)) {
            u16 landed = (u16)(frame + hurtLandJump);
            if (body.animation && body.animation->frameCount && landed >= body.animation->frameCount)
                landed = (u16)(body.animation->frameCount - 1);
            body.frameIndex = landed;
        }
    } else {
        // Landed on a slope: back on its feet at once, standing along it.
        const i32 t = PlayerSurfaceByte(header);
        header->plane = (u8)(((288 - t) >> 6) & 3);
        header->tiltAngle = header->angle;
        header->lastGroundContact = header->groundContact;
        header->vx = header->vy = header->groundSpeed = 0.0f;
        player->state = PlayerStateNormal;
        return;
    }

    ShowPlayerBody(player, hurtRight, hurtLeft);
    if ((body.frameIndex == hurtEndFrameA || body.frameIndex == hurtEndFrameB) && body.timer < lastTickOfFrame)
        player->state = PlayerStateNormal;
}

// ---- Defeat ----

void PlayerStateDefeated(PlayerRecord* player)
{
    ObjectHeader* header = player->header;
    if (player->actor.hitlag < 1) {
        // Every bone bursts out in a fan, and the body is thrown up.
        for (i32 i = 0, a = 96; i < defeatBones; ++i, a -= 2)
            FlingBone(header->x, header->y, PlayerCos(a) / 327.68f * 10.0f, PlayerCos((a - 64) & 255));
        header->vx *= 0.5f;
        header->vy = defeatLift;
        header->x -= 2.0f;
        header->y -= 11.0f;
        player->state = PlayerStateDefeatedFall;
        player->deathTimer = deathWait;
        QueueSound((u16)deathSound);
    }
    ShowPlayerBody(player, hurtRight, hurtLeft);
}

void PlayerStateDefeatedFall(PlayerRecord* player)
{
    ObjectHeader* header = player->header;
    MoveOnPlane(player, &player->anim);
    const PlayerControls& controls = playerControls[player->player & (playerCount - 1)];

    if (!header->groundContact) {
        header->vy += player->gravity;
        if ((header->contacts[0] && moveStartVx < 0.0f) || (header->contacts[1] && moveStartVx > 0.0f))
            header->vx = -moveStartVx / bounceDamping;
        if (header->contacts[2] && moveStartVy < 0.0f)
            header->vy = -moveStartVy / bounceDamping;
    } else {
        player->anim.speed = player->anim.speed > 4 ? (u16)(player->anim.speed - 4) : 0;
        if ((header->contacts[0] && moveStartGroundSpeed < 0.0f) ||
            (header->contacts[1] && moveStartGroundSpeed > 0.0f))
            header->groundSpeed = -moveStartGroundSpeed / bounceDamping;
        // The fall's speed bounces back off the surface.
        const i32 t = PlayerSurfaceByte(header);
        const f32 bounce = moveStartVy * 0.5f / 256.0f;
        header->vx += PlayerCos(t - 64) * bounce;
        header->vy += PlayerSin(t - 64) * bounce;
        player->spin = header->groundSpeed;
        if (header->vy >= -1.0f) {
            // The slope and the friction of running, whatever is held: a held direction would keep
            // the friction off and a slow slide going for ever, and the wait only starts at rest.
            PlayerGroundRun(player, 0, PlayerSlopeForce(player, 0.2f), 0.0f);
        } else {
            header->groundContact = 0;
            player->spin *= 4.0f;
        }
    }

    header->tiltAngle += player->spin;
    if (header->groundContact)
        LayBodyDown(player);
    ShowPlayerBody(player, tumbleRight, tumbleLeft);

    // The wait runs once the body rests; start skips to the last stretch, which always runs.
    const u8 before = player->deathTimer;
    if (player->deathTimer && ((header->vx == 0.0f && header->vy == 0.0f) || player->deathTimer < fadeTick + 1))
        --player->deathTimer;
    if ((controls.pressedMask & ButtonStart) && player->deathTimer >= fadeTick + 1)
        player->deathTimer = fadeTick;
    if (player->deathTimer == fadeTick && before != fadeTick) {
        SpawnObject(&Fade, 212.0f, 120.0f, FadeOutHold, 6);
        musicVolumeTarget = 0.0f;
        musicFadeStep = defeatMusicStep;
    }
    // One request a defeat: the timer rests at 0 until the stage goes.
    if (player->deathTimer == 0 && before != 0) {
        PlayerProgress* progress = player->progress;
        if (progress && progress->lives > 0) {
            pendingStage = StageRestart();
            --progress->lives;
        } else {
            pendingStage = &titleStage;
        }
    }
}
