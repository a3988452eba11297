// The Whip type: the tip's flight and its tile test, hooking flat tiles and struck actors, the hold
// on a struck actor, breaking into debris, and drawing the rope, its links and the hook. Throwing
// and the per-tick state step are in WhipFire.cpp; the rope's bends, swing and zip in Rope*.cpp.
#include "Game/Whip/Whip.h"

#include <cmath>
#include <cstring>

#include "Engine/Collision/AngleTables.h"
#include "Engine/Collision/Angles.h"
#include "Engine/Collision/Motion.h"
#include "Engine/Collision/TileQuery.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/Random.h"
#include "Engine/Common/Sound.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Render/AnimDraw.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Actors/Effects.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Player/Player.h"

ObjectType Whip;
WhipRecord** whipInstances;
AnimSet whipAnimSet;
ActorProperties whipProperties;
u32 whipHitSound, whipHookSound, whipAttackSound, whipAttack2Sound, whipAttackAirSound, whipFireSound,
    whipBungeeSound;

namespace {

// The hold on a struck actor runs on its hit-stop: set to 540, counted down once a tick (by the
// actor's own hit-stop or else by the whip), and the whip breaks when it falls to 60 (480 ticks).
constexpr i16 holdStart = 540;
constexpr i16 holdEnd = 60;
constexpr i16 zipHoldBase = 16;

// Rope colours of the whip set's palette.
constexpr u8 ropeColour = 9;
constexpr u8 ropeShadeColour = 10;

// Links and large debris along the rope: from pixel 10, one every 6 px plus the stretch drift.
constexpr i32 firstLinkPixel = 10;
constexpr i32 linkSpacing = 6;
constexpr i32 maxLinks = 64;
constexpr u16 linkAnimCount = 4;

// Debris pieces (spawn byte A of the Giblets type).
constexpr u8 debrisTip = 6;

constexpr u32 stepBlocked = 65535;

// Debris goes out only while the effects are loaded.
ObjectType* DebrisType()
{
    return Giblets.registered && Giblets.loadCount ? &Giblets : nullptr;
}

void SpawnDebris(ObjectType* type, f32 x, f32 y, u8 piece, f32 vx, f32 vy)
{
    if (!type)
        return;
    lastSpawnedInstance = nullptr;
    SpawnObject(type, x, y, piece, 0);
    if (!lastSpawnedInstance)
        return;
    ObjectHeader* header = HeaderOf(lastSpawnedInstance);
    header->vx = vx;
    header->vy = vy;
}

// How much further each link sits when the rope is stretched past its set length (8.8 pixels):
// spread over the links the set length holds. A set length of 16 px or less has no links to spread
// over, and the drift is then 0.
i32 LinkDrift(const PlayerRecord* player)
{
    const i32 divisor = (player->previousLineLength / 256 - firstLinkPixel) / linkSpacing;
    if (divisor < 1)
        return 0;
    i32 drift = (player->whipExtension - player->previousLineLength) / divisor;
    return drift < -512 ? -512 : drift;
}

// The rope as screen points: the tip, every joint, the player's hand.
u32 RopePoints(const WhipRecord* whip, const PlayerRecord* player, i32 (*points)[2])
{
    u32 count = 0;
    points[count][0] = (i32)whip->header->x - scrollX;
    points[count][1] = (i32)whip->header->y - scrollY;
    ++count;
    const u32 joints = whip->jointCount < ropeJointTotal ? whip->jointCount : ropeJointTotal;
    for (u32 i = 0; i < joints; ++i, ++count) {
        points[count][0] = whip->joints[i].x - scrollX;
        points[count][1] = whip->joints[i].y - scrollY;
    }
    points[count][0] = (i32)(player->header->x + (f32)player->handOffsetX) - scrollX;
    points[count][1] = (i32)(player->header->y + (f32)player->handOffsetY) - scrollY;
    return count + 1;
}

// Walks the pixels of a line (both ends included) in Bresenham order, calling visit(x, y); stops
// early when visit returns false. False when stopped.
template <typename Visit>
bool WalkLine(i32 x0, i32 y0, i32 x1, i32 y1, Visit visit)
{
    const i32 dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const i32 sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    i32 error = dx + dy;
    for (;;) {
        if (!visit(x0, y0))
            return false;
        if (x0 == x1 && y0 == y1)
            return true;
        const i32 twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += sx;
        }
        if (twice <= dx) {
            error += dx;
            y0 += sy;
        }
    }
}

// Steps from a solid point toward a target coordinate until the collision flags fall below 2:
// the steps taken, or stepBlocked when the target is passed first.
u32 WalkToFree(i32 from, i32 to, i32 other, bool alongX, u8 layer)
{
    const i32 step = to >= from ? 1 : -1;
    i32 at = from;
    u32 steps = 0;
    for (;;) {
        const i32 flags = alongX ? GetTileCollisionFlags((f32)at, (f32)other, layer)
                                 : GetTileCollisionFlags((f32)other, (f32)at, layer);
        if (flags < 2)
            return steps;
        at += step;
        ++steps;
        if ((step > 0 && at > to) || (step < 0 && at < to))
            return stepBlocked;
    }
}

// The surface angle of the map cell under a point in a layer (wrap and bounds of the current
// camera); 0 off the map or for an empty cell.
u8 CellAngle(f32 x, f32 y, u8 layer)
{
    if (!currentLayout || !currentLayout->layers || layer >= currentLayout->layerCount)
        return 0;
    const TileLayer* tiles = &currentLayout->layers[layer];
    if (!tiles->map || !tiles->rowStarts || tiles->width <= 0 || tiles->height <= 0)
        return 0;
    if (!(x == x) || !(y == y))
        return 0;
    const i32 px = WrapWorldX(TruncateToI32(std::floor(x)));
    const i32 py = WrapWorldY(TruncateToI32(std::floor(y)));
    if (px < 0 || py < 0 || px >= tiles->width * 16 || py >= tiles->height * 16)
        return 0;
    const u16 entry = tiles->map[tiles->rowStarts[py >> 4] + (px >> 4)];
    const TileSheet* sheet = currentLayout->tileSheets ? LayerTileSheet(currentLayout, tiles) : currentTileSheet;
    const u32 tile = entry & 0xFFFu;
    if (!sheet || !sheet->tiles || tile >= sheet->recordCount)
        return 0;
    return sheet->tiles[tile].angle;
}

// The actor block of the hooked object when it is the actor the whip last struck.
ActorBlock* HeldActor(WhipRecord* whip)
{
    ActorBlock* struck = whip->actor.lastHitter;
    if (whip->hookedObject && struck && struck->header == whip->hookedObject)
        return struck;
    return nullptr;
}

u8 GrappleHeld(const PlayerRecord* player)
{
    return (playerControls[player->player & (playerCount - 1)].heldMask & ButtonGrapple) ? 1 : 0;
}

} // namespace

PlayerRecord* WhipPlayer(WhipRecord* whip)
{
    if (!whip || !whip->header || !playerInstances || !Player.registered)
        return nullptr;
    const u32 index = whip->header->index;
    if (index >= Player.poolSize)
        return nullptr;
    PlayerRecord* player = playerInstances[index];
    return player && player->whip == whip && player->header ? player : nullptr;
}

bool WhipTipCanCatch(WhipRecord* whip)
{
    const PlayerRecord* player = WhipPlayer(whip);
    return player && player->whipThrown && player->whipExtension > 0 && whip->state == WhipIdle &&
           !whip->hookedObject;
}

// ---- Load and Unload ----

void WhipLoad(const char* placementPath)
{
    LoadAnim("Data/Sprites/Global/Whip.man", &whipAnimSet);
    LoadEnemyProperties(&Whip, &whipProperties, "Data/Sprites/Global/Whip.vep");
    whipHitSound = LoadSound("Data/SFX/Global/Whip/Hit.wav");
    whipHookSound = LoadSound("Data/SFX/Global/Whip/Hook.wav");
    whipAttackSound = LoadSound("Data/SFX/Global/Whip/Attack.wav");
    whipAttack2Sound = LoadSound("Data/SFX/Global/Whip/Attack2.wav");
    whipAttackAirSound = LoadSound("Data/SFX/Global/Whip/AttackAir.wav");
    whipFireSound = LoadSound("Data/SFX/Global/Whip/Fire.wav");
    whipBungeeSound = LoadSound("Data/SFX/Global/Whip/Bungee.wav");

    Whip.growthStep = 32;
    Whip.updatePass = 5;
    Whip.drawLayer = 9;
    Whip.cullMarginX = -1;
    Whip.cullMarginY = -1;
    RegisterObjectType(placementPath, &Whip, (void***)&whipInstances, sizeof(WhipRecord), WhipUpdate, WhipLateUpdate,
                       WhipDraw, nullptr, nullptr, WhipReset, WhipInit, nullptr, WhipLoad, WhipUnload);
    if (Whip.loadCount < 2)
        SetObjectTypeName(&Whip, "Whip");

    if (placementPath)
        LoadObjectPlacements(&Whip, placementPath);
}

void WhipUnload()
{
    FreeAnim(&whipAnimSet);
    FreeEnemyProperties(&whipProperties);
    FreeSound(whipHitSound);
    FreeSound(whipHookSound);
    FreeSound(whipAttackSound);
    FreeSound(whipAttack2Sound);
    FreeSound(whipAttackAirSound);
    FreeSound(whipFireSound);
    FreeSound(whipBungeeSound);
    FreeObjectType(&Whip);
    // The player plays the throw and swing sounds only while a stage holds the whip: the ids read 0
    // once the last one has let it go (a stage switch loads the next stage before unloading this).
    if (!Whip.registered)
        whipHitSound = whipHookSound = whipAttackSound = whipAttack2Sound = whipAttackAirSound = whipFireSound =
            whipBungeeSound = 0;
}

// ---- Init and Reset ----

void WhipInit(void* instance)
{
    WhipRecord* whip = (WhipRecord*)instance;
    ObjectHeader* header = whip->header;
    // A reused slot still holds the last whip's rope.
    memset((void*)whip, 0, sizeof(*whip));
    whip->header = header;
    InitEnemy(&whip->actor, header, &whip->anim);
    ApplyEnemyProperties(&whipProperties, &whip->actor);
    whip->jointCount = 0;
    whip->state = WhipIdle;
    SetAnim(&whip->anim, &whipAnimSet, 0, 0, 1);
}

void WhipReset(void* instance)
{
    WhipRecord* whip = (WhipRecord*)instance;
    SetAnim(&whip->anim, &whipAnimSet, 0, 0, 1);
}

// ---- Hooking ----

bool WhipHookTouch(void* argument, void* instance)
{
    // Every whip's test sits on the list; each looks only at its own tip.
    WhipRecord* whip = (WhipRecord*)argument;
    if (argument != instance)
        return true;
    PlayerRecord* player = WhipPlayer(whip);
    if (!player)
        return true;
    ObjectHeader* tip = whip->header;
    if (player->whipExtension == 0 && whip->state == WhipIdle)
        return true;
    if (whip->state <= WhipRetractFull && GetTilePixel(tip->x, tip->y, (u8)stageCollisionLayer) != 0) {
        if (player->whipExtension == 0) {
            tip->vx = tip->vy = 0.0f;
            return true;
        }
        // A slope will not hold the hook.
        if (CellAngle(tip->x, tip->y, player->stageValue) != 0) {
            whip->state = WhipRetract;
            if (tileStrikeHandler)
                tileStrikeHandler(whip);
            return true;
        }
        whip->hookPointX = tip->x;
        whip->hookPointY = tip->y;
        // Back out of the rock toward the player, along whichever axis frees the tip sooner.
        const u8 layer = player->header->collisionLayer;
        const i32 tx = (i32)tip->x, ty = (i32)tip->y;
        const i32 px = (i32)player->header->x, py = (i32)player->header->y;
        const u32 stepsX = WalkToFree(tx, px, ty, true, layer);
        const u32 stepsY = WalkToFree(ty, py, tx, false, layer);
        if (stepsX != stepBlocked || stepsY != stepBlocked) {
            if (stepsX < stepsY)
                tip->x += (f32)(px >= tx ? (i32)stepsX : -(i32)stepsX);
            else
                tip->y += (f32)(py >= ty ? (i32)stepsY : -(i32)stepsY);
        }
        AttachWhipHook(whip);
        return true;
    }
    WhipLateUpdate(whip);
    return true;
}

void AttachWhipHook(WhipRecord* whip)
{
    PlayerRecord* player = WhipPlayer(whip);
    if (!player)
        return;
    ObjectHeader* tip = whip->header;
    tip->vx = tip->vy = 0.0f;
    player->holdTicks = 0;
    player->overlay.animIndex = 0;
    player->overlay.finished = 1;

    if (GrappleHeld(player) != player->grappleStyle) {
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
    } else {
        whip->state = WhipSwing;
        player->zipSpeed = 0;
        player->swingRelease = 0;
    }

    if (playerControls[player->player & (playerCount - 1)].heldMask & (ButtonUp | ButtonDown))
        player->lineDelay = player->lineInOutDelay;

    player->whipExtension += hookSlack;
    player->jumping = 0;
    player->ropeAngle = (u32)((((i32)whip->direction << 8) - 16384) & 0xFFFF);
    player->whipThrown = 0;
    player->lineLength = player->whipExtension > minLineLength ? player->whipExtension : minLineLength;

    if (whip->hookedObject) {
        whip->hookPointX = whip->hookedObject->x - tip->x;
        whip->hookPointY = whip->hookedObject->y - tip->y;
    }

    SwingRope(player);
    if (whipHookSound)
        QueueSound((u16)whipHookSound);
}

void ReleaseWhipHook(WhipRecord* whip)
{
    if (!whip)
        return;
    if (ActorBlock* held = HeldActor(whip))
        held->whipHeld = 0;
    whip->hookedObject = nullptr;
}

// ---- Update and LateUpdate ----

void WhipUpdate(void* instance)
{
    WhipRecord* whip = (WhipRecord*)instance;
    whip->lateCount = 0;
    whip->attackDue = 0;
    PlayerRecord* player = WhipPlayer(whip);
    if (!player)
        return;
    if (whip->actor.hitlag > 0) {
        player->actor.hitlag = whip->actor.hitlag;
        whip->actor.hitlag = 0;
    }
    if (player->actor.hitlag > 0)
        return;

    if (Whip.registered)
        AddObjectCallback(&Whip, WhipHookTouch, whip);
    StepWithCallbacks(&Whip, whip);

    if (whip->state == WhipSwing || whip->state == WhipZip) {
        for (u8(&cell)[2] : whip->flashCells) {
            if (cell[0] != 0) {
                ++cell[0];
                if (cell[0] > 10 && cell[0] < 255)
                    cell[0] = 0;
            } else {
                if (cell[1] > 0)
                    --cell[1];
                if (cell[1] == 0) {
                    cell[0] = 1;
                    cell[1] = (u8)(GameRand() / 182);
                }
            }
        }
        // The tile under the hook was taken away.
        if (!whip->hookedObject && GetTilePixel(whip->hookPointX, whip->hookPointY, (u8)stageCollisionLayer) == 0)
            whip->state = WhipRetract;
    }

    WhipHookTouch(whip, whip);
    whip->attackDue = 1;
}

void WhipLateUpdate(void* instance)
{
    WhipRecord* whip = (WhipRecord*)instance;
    PlayerRecord* player = WhipPlayer(whip);
    if (!player)
        return;
    if (player->whipExtension == 0)
        whip->actor.lastHitter = nullptr;
    whip->actor.whipNoHook = whip->state > WhipRetractFull ? 1 : 0;

    ActorBlock* struck = whip->actor.lastHitter;
    if (struck && struck->header && struck->header->type != &Player && struck->hurt) {
        if (whip->hookedObject && struck->header == whip->hookedObject) {
            struck->whipHeld = 1;
            if (whip->state != WhipZip) {
                // Counted once a tick: on the first late update only (the tip test runs one at every
                // pixel of the tip's move), and not when the actor's own hit-stop already counted
                // it down since the last look.
                if (whip->lateCount == 0) {
                    if (struck->hitlag >= holdEnd) {
                        if (struck->hitlag >= whip->holdLeft)
                            --struck->hitlag;
                        whip->holdLeft = struck->hitlag;
                        if (struck->hitlag < holdEnd + 1) {
                            struck->hitlag = 0;
                            BreakWhip(whip);
                            player->whipExtension = 0;
                            whip->state = WhipIdle;
                        }
                    } else {
                        struck->hitlag = holdStart;
                        whip->holdLeft = holdStart;
                    }
                }
            } else {
                struck->hitlag = (i16)(zipHoldBase + (i16)(demoSeed % 3));
            }
        } else if (whip->state < WhipRetract && !struck->whipNoHook) {
            whip->hookedObject = struck->header;
            AttachWhipHook(whip);
        }
    }

    whip->header->collisionLayer = player->header->collisionLayer;
    if (player->whipExtension >= 1 && whip->state != WhipRetract && whip->attackDue) {
        RegisterAttackBoxes(&whip->actor);
        whip->attackDue = 0;
    }
    ++whip->lateCount;
}

// ---- Breaking ----

void BreakWhip(WhipRecord* whip)
{
    PlayerRecord* player = WhipPlayer(whip);
    if (!player)
        return;
    if (player->whipExtension == 0 && whip->state == WhipIdle)
        return;
    if (player->whipExtension >= 256)
        (void)GameRand();

    ObjectType* debris = DebrisType();
    i32 points[ropeJointTotal + 2][2];
    const u32 count = RopePoints(whip, player, points);
    const i32 drift = LinkDrift(player);
    i32 pixel = 0;
    i32 nextLink = firstLinkPixel * 256;
    i32 links = 0;
    for (u32 s = 0; s + 1 < count; ++s) {
        WalkLine(points[s][0], points[s][1], points[s + 1][0], points[s + 1][1], [&](i32 x, i32 y) {
            const f32 wx = (f32)(x + scrollX), wy = (f32)(y + scrollY);
            for (int i = 0; i < 3; ++i) {
                const u8 piece = (u8)(GameRand() >> 14);
                const f32 vx = (f32)(GameRand() / 19 - 896) / 256.0f;
                const f32 vy = (f32)(GameRand() / 37 - 896) / 256.0f;
                SpawnDebris(debris, wx, wy, piece, vx, vy);
            }
            if (links < maxLinks && pixel * 256 >= nextLink) {
                const u8 piece = (u8)(2 + links % 4);
                const f32 vx = (f32)(GameRand() / 19 - 896) / 256.0f;
                const f32 vy = (f32)((GameRand() >> 4) - 1408) / 256.0f;
                SpawnDebris(debris, wx, wy, piece, vx, vy);
                ++links;
                nextLink += linkSpacing * 256 + drift;
            }
            ++pixel;
            return true;
        });
    }
    {
        const f32 vx = (f32)(GameRand() / 19 - 896) / 256.0f;
        const f32 vy = (f32)((GameRand() >> 4) - 1408) / 256.0f;
        SpawnDebris(debris, whip->header->x, whip->header->y, debrisTip, vx, vy);
    }

    ReleaseWhipHook(whip);
    player->whipExtension = 0;
    whip->state = WhipIdle;
    whip->jointCount = 0;
    whip->header->vx = whip->header->vy = 0.0f;
}

// ---- Draw ----

void WhipDraw(void* instance)
{
    WhipRecord* whip = (WhipRecord*)instance;
    PlayerRecord* player = WhipPlayer(whip);
    if (!player)
        return;
    if (player->whipExtension == 0 && whip->state == WhipIdle)
        return;

    drawFlags = drawFlagRotateScale;
    if (whipAnimSet.loaded && whipAnimSet.paletteCount && whipAnimSet.palettes)
        SetCurrentPalette(whipAnimSet.palettes[0]);

    i32 points[ropeJointTotal + 2][2];
    const u32 count = RopePoints(whip, player, points);

    // One pixel of the rope sheds a crumb this frame. A zip that overshoots its hook leaves the
    // extension below 0 for a tick, which must not make the rate's divisor 0.
    const i32 extension = player->whipExtension > 0 ? player->whipExtension : 0;
    const i32 shedAt = GameRand() / (gameRandMax / (extension / 256 + 1) + 1);
    const bool shed = !pauseMenuOpen;
    ObjectType* debris = shed ? DebrisType() : nullptr;
    const i32 drift = LinkDrift(player);
    i32 pixel = 0;
    i32 nextLink = firstLinkPixel * 256;
    i32 links = 0;

    for (u32 s = 0; s + 1 < count; ++s) {
        const i32 x0 = points[s][0], y0 = points[s][1];
        const i32 x1 = points[s + 1][0], y1 = points[s + 1][1];
        const u8 angle = VectorToAngle((f32)(x1 - x0), (f32)(y1 - y0));
        if (rendererSlots.ClipLine && rendererSlots.DrawLine) {
            i32 cx0 = x0, cy0 = y0, cx1 = x1, cy1 = y1;
            if (rendererSlots.ClipLine(&cx0, &cy0, &cx1, &cy1))
                rendererSlots.DrawLine(cx0, cy0, cx1, cy1, ropeColour);
            // The shade beside it: across the rope, so in x for a rope near upright.
            const bool upright = (u8)(angle - 64 + 32) <= 64 || (u8)(angle - 192 + 32) <= 64;
            const i32 ox = upright ? 1 : 0, oy = upright ? 0 : 1;
            cx0 = x0 + ox, cy0 = y0 + oy, cx1 = x1 + ox, cy1 = y1 + oy;
            if (rendererSlots.ClipLine(&cx0, &cy0, &cx1, &cy1))
                rendererSlots.DrawLine(cx0, cy0, cx1, cy1, ropeShadeColour);
        }
        WalkLine(x0, y0, x1, y1, [&](i32 x, i32 y) {
            if (pixel == shedAt && debris) {
                const f32 vx = (f32)(GameRand() / 64 - 256) / 256.0f;
                const f32 vy = (f32)(GameRand() / 37 - 896) / 256.0f;
                SpawnDebris(debris, (f32)(x + scrollX), (f32)(y + scrollY), 0, vx, vy);
            }
            if (links < maxLinks && pixel * 256 >= nextLink) {
                const u16 animIndex = (u16)(1 + links % linkAnimCount);
                if (whipAnimSet.loaded && animIndex < whipAnimSet.animCount && rendererSlots.DrawSprite) {
                    const Animation& animation = whipAnimSet.animations[animIndex];
                    // A sparkling cell plays the link's frames; held inside the animation.
                    u16 frame = whip->flashCells[links % flashCellCount][0];
                    const u16 frames = animation.frameCount ? animation.frameCount : 1;
                    if (frame >= frames)
                        frame = (u16)(frames - 1);
                    if (animation.frames) {
                        spriteAngle = angle;
                        spriteScaleX = spriteScaleY = 512;
                        rendererSlots.DrawSprite(&animation.frames[frame].image, 0, 0, x, y);
                    }
                }
                ++links;
                nextLink += linkSpacing * 256 + drift;
            }
            ++pixel;
            return true;
        });
    }

    // The hook at the tip, turned to the tip's angle.
    ObjectHeader* tip = whip->header;
    const u8 flipX = tip->flipX;
    tip->flipX = 0;
    spriteAngle = (i32)tip->angle & 255;
    spriteScaleX = spriteScaleY = 512;
    if (whip->anim.animation && whip->anim.animation->frames) {
        // Held inside the animation.
        const u16 frames = whip->anim.animation->frameCount ? whip->anim.animation->frameCount : 1;
        if (whip->anim.frameIndex >= frames)
            whip->anim.frameIndex = (u16)(frames - 1);
    }
    DrawAnimFrame(&whip->anim, tip);
    tip->flipX = flipX;

    RestDrawState();
}
