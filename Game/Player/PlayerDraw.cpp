// The player's drawing: the body animation the states chose, with the attack overlay or the
// upper-body, whip-hand and whip-arm layers on top, the blink while invulnerable, the glow of a
// health gain and the debug view.
#include <cmath>

#include "Engine/Collision/Angles.h"
#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/DevMenu.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Player/Player.h"

namespace {

// Animations of the player's set (right-facing, left-facing).
constexpr u16 armRight = 0, armLeft = 1;
constexpr u16 whipHandRight = 2, whipHandLeft = 3;
constexpr u16 standRight = 4, standLeft = 5;
constexpr u16 spinRight = 8, spinLeft = 9;
constexpr u16 hurtRight = 10, hurtLeft = 11;
constexpr u16 walkRight = 12, walkLeft = 15;
constexpr u16 whipArm = 18;
constexpr u16 airAttackRight = 44, airAttackLeft = 46;
constexpr u16 riseRight = 49, riseLeft = 52, fallRight = 55, fallLeft = 58;
constexpr u16 hangRight = 59, hangLeft = 60;

// Debug view colours of the hitbox outline.
constexpr u8 groundOutline = 65, airOutline = 66;

// Set while the player draws itself again for the glow, so the glow is stepped once a frame.
bool inGlowPass;

struct Layers {
    PlayerRecord* player;
    ObjectHeader* header;
    AnimSet* set;
    i32 x, y;
};

// The index of the animation a cursor shows, or -1 when it shows none of the set's.
i32 ShownAnimation(const AnimPlayer* cursor, const AnimSet* set)
{
    if (!cursor->animation || !set->animations || cursor->animation < set->animations ||
        cursor->animation >= set->animations + set->animCount)
        return -1;
    return (i32)(cursor->animation - set->animations);
}

// Draws one frame of one animation at the player's position, held inside the set: an index the
// set does not have names its last animation or frame.
void DrawLayer(const Layers& at, i32 animation, i32 frame)
{
    if (!at.set->animCount || animation < 0)
        return;
    if (animation >= at.set->animCount)
        animation = at.set->animCount - 1;
    const Animation& shown = at.set->animations[animation];
    const i32 lastFrame = shown.frameCount ? shown.frameCount - 1 : 0;
    if (frame > lastFrame)
        frame = lastFrame;
    if (frame < 0)
        frame = 0;
    const ObjectHeader* header = at.header;
    const DrawSpriteFunction draw =
        header->flipX ? (header->flipY ? rendererSlots.DrawSpriteFlipXY : rendererSlots.DrawSpriteFlipX)
                      : (header->flipY ? rendererSlots.DrawSpriteFlipY : rendererSlots.DrawSprite);
    if (draw)
        draw(&shown.frames[frame].image, scrollX, scrollY, at.x, at.y);
}

// The attack or throw overlay, with the layer before it while attacking.
void DrawOverlay(const Layers& at)
{
    const AnimPlayer& overlay = at.player->overlay;
    const i32 index = ShownAnimation(&overlay, at.set);
    DrawLayer(at, index, overlay.frameIndex);
    if (at.player->attackState && index > 0)
        DrawLayer(at, index - 1, overlay.frameIndex);
}

// The rope is out whenever the whip draws it: thrown, held, coming back, hooked or zipping.
bool RopeOut(const PlayerRecord* player)
{
    return player->whip && (player->whipExtension != 0 || PlayerWhipState(player) != 0);
}

// The whip arm reaches from the player's position to the hand where the whip's drawing starts the
// rope, in every pose: turned to the hand offset (screen terms, for a throw and on the rope alike)
// and its frame chosen by the offset's length (frame f reaches f px). The whip's own angle cannot
// serve: it is held y down in a throw and y up on the rope.
void DrawWhipArm(const Layers& at)
{
    const f32 hx = (f32)at.player->handOffsetX, hy = (f32)at.player->handOffsetY;
    spriteAngle = VectorToAngle(hx, hy);
    DrawLayer(at, whipArm, (i32)std::lround(std::sqrt(hx * hx + hy * hy)));
}

// The hang leans the way the rope swings it.
i32 HangRotation(const PlayerRecord* player, const ObjectHeader* header)
{
    if (std::fabs(header->vy) < 1.0f)
        return 0;
    const bool slow = std::fabs(header->vx) < 1.0f;
    const bool right = player->facing == 0;
    if (header->vy < 0.0f)
        return slow ? (right ? 192 : 64) : (header->vx >= 0.0f ? 224 : 32);
    return slow ? (right ? 64 : 192) : (header->vx >= 0.0f ? 32 : 224);
}

void DrawBody(PlayerRecord* player, ObjectHeader* header, AnimSet* set)
{
    AnimPlayer& body = player->anim;
    const i32 shown = ShownAnimation(&body, set);
    if (shown < 0)
        return;
    const Layers at{player, header, set, TruncateToI32(header->x), TruncateToI32(header->y)};
    const i32 frame = body.frameIndex;
    const bool overlay = player->overlay.animIndex != 0;
    const bool ropeOut = RopeOut(player);

    switch (shown) {
    case standRight:
    case standLeft:
        DrawLayer(at, shown, frame);
        if (overlay) {
            DrawOverlay(at);
        } else {
            DrawLayer(at, shown == standRight ? armRight : armLeft, 0);
            if (ropeOut)
                DrawWhipArm(at);
            else
                DrawLayer(at, shown == standRight ? whipHandRight : whipHandLeft, 0);
        }
        break;
    case spinRight:
    case spinLeft: {
        // The body hangs under the rope: a frame per 10 steps of the rope's angle (the rope's
        // angle from the player to its anchor, y up). A rope running down to its anchor, as to a
        // floor hook, shows the frame of the opposite angle turned over, the hands still toward
        // the anchor.
        i32 ropeAngle = player->whip ? (i32)((player->ropeAngle >> 8) & 0xFF) : 0;
        if (ropeAngle > 128) {
            ropeAngle -= 128;
            spriteAngle += 128;
        }
        DrawLayer(at, shown, player->facing ? 12 - ropeAngle / 10 : ropeAngle / 10);
        break;
    }
    case hurtRight:
    case hurtLeft: {
        const Layers shaken{player, header, set, TruncateToI32(header->x + player->actor.shakeX),
                            TruncateToI32(header->y + player->actor.shakeY)};
        DrawLayer(shaken, shown, frame);
        break;
    }
    case walkRight:
    case walkLeft:
        body.speed = (u16)TruncateToI32(std::fabs(header->groundSpeed) * 56.0f + 128.0f);
        DrawLayer(at, shown, frame);
        if (overlay) {
            DrawOverlay(at);
        } else {
            if (!inGlowPass)
                SteerAngle(header, 32, 224, 0.5f, 0.1f, 6.0f);
            spriteAngle = TruncateToI32(header->rotation);
            DrawLayer(at, shown + 1, frame);
            if (ropeOut)
                DrawWhipArm(at);
            else
                DrawLayer(at, shown + 2, frame);
        }
        break;
    case airAttackRight:
    case airAttackLeft:
        DrawLayer(at, shown, frame);
        DrawLayer(at, shown - 1, frame);
        break;
    case riseRight:
    case riseLeft:
    case fallRight:
    case fallLeft:
        DrawLayer(at, shown, frame);
        if (overlay) {
            DrawOverlay(at);
        } else {
            DrawLayer(at, shown - 2, frame);
            if (ropeOut)
                DrawWhipArm(at);
            else
                DrawLayer(at, shown - 1, frame);
        }
        break;
    case hangRight:
    case hangLeft: {
        // The hang's turns for a fast body take the body's flight for its facing: a body towed the
        // other way (a diagonal throw against the facing) shows the twin that faces its flight,
        // which the same turn points along it, rather than flying backwards.
        spriteAngle = HangRotation(player, header);
        const bool fast = std::fabs(header->vx) >= 1.0f;
        DrawLayer(at, fast ? (header->vx > 0.0f ? hangRight : hangLeft) : shown, frame);
        if (ropeOut)
            DrawWhipArm(at);
        break;
    }
    default:
        DrawLayer(at, shown, frame);
        if (ropeOut)
            DrawWhipArm(at);
        break;
    }
}

void OutlineEdge(i32 x0, i32 y0, i32 x1, i32 y1, u8 colour)
{
    if (!rendererSlots.ClipLine || !rendererSlots.ClipLine(&x0, &y0, &x1, &y1))
        return;
    // The span drawers leave out their last pixel; the outline's edges are inclusive.
    if (y0 == y1) {
        if (rendererSlots.DrawHLine)
            rendererSlots.DrawHLine(x0, y0, x1 + 1, colour);
    } else if (rendererSlots.DrawVLine) {
        rendererSlots.DrawVLine(x0, y0, y1 + 1, colour);
    }
}

void DrawDebugView(const ObjectHeader* header)
{
    const i32 x = TruncateToI32(header->x) - scrollX, y = TruncateToI32(header->y) - scrollY;
    const i32 left = x + (i32)header->hitboxLeft, right = x + (i32)header->hitboxRight;
    const i32 top = y + (i32)header->hitboxTop, bottom = y + (i32)header->hitboxBottom;
    const u8 colour = header->groundContact ? groundOutline : airOutline;
    OutlineEdge(left, top, right, top, colour);
    OutlineEdge(left, bottom, right, bottom, colour);
    OutlineEdge(left, top, left, bottom, colour);
    OutlineEdge(right, top, right, bottom, colour);
    DrawFontNumberPadded(TruncateToI32(header->angle), &devFontNumbers, header->x, header->y - 32.0f, alignCentre, 3);
}

} // namespace

void PlayerDraw(void* instance)
{
    PlayerRecord* player = (PlayerRecord*)instance;
    ObjectHeader* header = player->header;
    if (!header)
        return;
    if (!header->groundContact)
        header->rotation = 0.0f;

    if (player->editing && player->editorType < placeableTypeCount) {
        ObjectType* type = placeableTypes[player->editorType];
        if (type && type->EditorPreview)
            type->EditorPreview(instance);
        return;
    }

    // Four frames out of every eight.
    if (player->invulnerable & 4)
        return;

    AnimSet* set = player->anim.set;
    if (set && set->loaded) {
        if (set->paletteCount)
            SetCurrentPalette(set->palettes[0]);
        drawFlags = drawFlagRotateScale;
        spriteScaleX = spriteScaleY = 512;
        spriteAngle = TruncateToI32(header->tiltAngle);
        blendMode = inGlowPass ? 1 : 0;
        blendLevel = inGlowPass ? header->flash : 255;
        DrawBody(player, header, set);
        RestDrawState();
    }

    if (inGlowPass)
        return;

    // The glow of a health gain: up by 3 a frame until the level wraps, then down by 1 to 0.
    if (player->healthFlash == 1) {
        header->flash = (u8)(header->flash + 3);
        if (header->flash < 3) {
            header->flash = 255;
            player->healthFlash = 2;
        }
    } else if (player->healthFlash == 2) {
        if (header->flash > 0)
            --header->flash;
        if (header->flash == 0)
            player->healthFlash = 0;
    }
    if (player->healthFlash) {
        inGlowPass = true;
        PlayerDraw(instance);
        PlayerDraw(instance);
        inGlowPass = false;
    }

    if (debugView)
        DrawDebugView(header);
}
