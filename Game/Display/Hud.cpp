// The HUD. Every position is a screen position: the draws add the camera scroll and hand the same
// scroll to the blitter, so the HUD stays put while the stage scrolls under it.
#include "Game/Display/Hud.h"

#include <cmath>

#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/PortableMath.h"
#include "Engine/Common/Random.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Player/Player.h"

ObjectType HUD;
HUDRecord** hudInstances;
AnimSet hudAnimSet;

namespace {

constexpr u32 hudGrowth = 32;
constexpr u8 hudUpdatePass = 5;
constexpr u8 hudDrawLayer = 14;
constexpr i32 barRestX = 12;
constexpr f32 bonesPerHeart = 48.0f;

// Scale y of the bone bar through a 32-tick cycle.
constexpr f32 pulseTable[16] = {1.0f,   1.0f,   1.0f,   1.182f, 1.273f, 1.364f, 1.364f, 1.364f,
                                1.364f, 1.364f, 1.364f, 1.364f, 1.364f, 1.364f, 1.273f, 1.182f};

// The digits every HUD draws its numbers with.
AnimPlayer hudFont;

const AnimFrame* HudFrame(u16 anim, u16 frame)
{
    if (!hudAnimSet.loaded || anim >= hudAnimSet.animCount)
        return nullptr;
    const Animation& animation = hudAnimSet.animations[anim];
    if (frame >= animation.frameCount || !animation.frames)
        return nullptr;
    return &animation.frames[frame];
}

i32 HudFrameWidth(u16 anim, u16 frame)
{
    const AnimFrame* f = HudFrame(anim, frame);
    return f ? f->image.width : 0;
}

// Draws a frame at a screen position.
void DrawHudFrame(u16 anim, u16 frame, f32 x, f32 y)
{
    const AnimFrame* f = HudFrame(anim, frame);
    if (!f || !rendererSlots.DrawSprite)
        return;
    rendererSlots.DrawSprite(&f->image, scrollX, scrollY, TruncateToI32(x) + scrollX, TruncateToI32(y) + scrollY);
}

// The player this HUD shows: player record i, while it lives.
PlayerRecord* ShownPlayer(const HUDRecord* hud)
{
    const u32 i = hud->header->index;
    if (!Player.registered || !Player.pool || !playerInstances || i >= Player.poolSize)
        return nullptr;
    const ObjectHeader* header = Player.pool[i];
    return header->alive && !header->free ? playerInstances[i] : nullptr;
}

PlayerProgress* ShownProgress(const HUDRecord* hud)
{
    const u32 i = hud->header->index;
    return i < 4 ? &playerProgress[i] : nullptr;
}

void UpdateHeart(HUDHeart* heart, u32 i, i32 health)
{
    switch (heart->state) {
    case HeartEmpty:
        heart->scale = 1.0f;
        if (health - 1 > (i32)i) {
            heart->state = HeartPopping;
            heart->bounce = 5.0f;
        }
        break;
    case HeartPopping:
        // A heart coming back grows while still empty, then snaps full at its rest size.
        if (heart->blink == 0 && heart->scale < 1.5f) {
            heart->scale += 0.05f;
        } else {
            heart->blink = 1;
            heart->scale = 1.0f;
        }
        // Portable sine: the picture must not hang on the C library (a seed is a large angle).
        heart->offsetY = (f32)PortableSin((f64)demoSeed) * heart->bounce;
        if (heart->bounce > 0.0f) {
            heart->bounce -= 0.2f;
        } else {
            heart->state = HeartShown;
            heart->bounce = 0.0f;
        }
        break;
    case HeartShown:
        if (heart->blink >= 2) {
            if (heart->blink > 7) {
                heart->blink = 1;
                heart->blinkWait = (u8)(GameRand() / 182);
            } else {
                ++heart->blink;
            }
        }
        heart->blinkWait = (u8)(heart->blinkWait - 1);
        if (heart->blinkWait == 0)
            heart->blink = 2;
        if (health - 1 <= (i32)i)
            heart->state = HeartLost;
        break;
    case HeartLost:
        heart->blink = 0;
        heart->state = HeartEmpty;
        break;
    default:
        break;
    }
}

} // namespace

void HUDLoad(const char* placementPath)
{
    LoadAnim("Data/Sprites/Display/HUD/HUD.man", &hudAnimSet);
    HUD.growthStep = hudGrowth;
    HUD.updatePass = hudUpdatePass;
    HUD.drawLayer = hudDrawLayer;
    HUD.runsWhilePaused = 0;
    HUD.cullMarginX = -1;
    HUD.cullMarginY = -1;
    RegisterObjectType(placementPath, &HUD, (void***)&hudInstances, sizeof(HUDRecord), HUDUpdate, ObjectNoOp,
                       HUDDraw, ObjectNoOp, ObjectNoOp, HUDReset, HUDInit, nullptr, HUDLoad, HUDUnload);
    if (placementPath)
        LoadObjectPlacements(&HUD, placementPath);
}

void HUDUnload()
{
    FreeAnim(&hudAnimSet);
    FreeObjectType(&HUD);
    if (!hudAnimSet.loaded)
        hudFont = AnimPlayer{};
}

void HUDInit(void* instance)
{
    HUDRecord* hud = (HUDRecord*)instance;
    ObjectHeader* header = hud->header;
    header->x += 12.0f;
    header->y += 12.0f;
    hud->barX = TruncateToI32(header->x - 120.0f);
    hud->barY = TruncateToI32(header->y + 12.0f);
    hud->introDone = 0;

    hud->bannerTimer = hudBannerTicks;
    hud->bannerX = header->x - 72.0f;
    const PlayerProgress* progress = ShownProgress(hud);
    hud->shownLives = progress ? progress->lives : 0;
    hud->shownScore = progress ? progress->score : 0;
    header->flash = 0;

    for (u16 i = 0; i < 5; ++i) {
        HUDLabelGlyph& glyph = hud->labelGlyphs[i];
        glyph.x = (f32)((HudFrameWidth(HudLabelAnim, i) + 16) * i - 260);
        glyph.y = 12.0f;
        glyph.vx = 9.25f;
        glyph.vy = 0.0f;
    }
    // A reused slot must not bring the last HUD's bounce along.
    for (HUDHeart& heart : hud->hearts) {
        heart.offsetY = 0.0f;
        heart.bounce = 0.0f;
    }
    HUDReset(instance);
}

void HUDReset(void* instance)
{
    HUDRecord* hud = (HUDRecord*)instance;
    for (HUDHeart& heart : hud->hearts) {
        heart.scale = 1.0f;
        heart.blink = 1;
        heart.state = HeartEmpty;
        heart.blinkWait = (u8)(GameRand() / 182);
    }
    if (hudAnimSet.loaded)
        SetAnim(&hudFont, &hudAnimSet, HudDigitAnim, 0, 1);
}

void HUDUpdate(void* instance)
{
    HUDRecord* hud = (HUDRecord*)instance;
    ObjectHeader* header = hud->header;

    // The label glides in, each glyph braking until it passes its place.
    for (u16 i = 0; i < 5; ++i) {
        HUDLabelGlyph& glyph = hud->labelGlyphs[i];
        glyph.x += glyph.vx;
        glyph.y += glyph.vy;
        const f32 target = (f32)(HudFrameWidth(HudLabelAnim, i) * i + 12);
        if (glyph.x > target)
            glyph.x = target;
        else
            glyph.vx -= 0.1f;
    }

    header->flash = header->flash < 255 - 8 ? (u8)(header->flash + 8) : 255;

    if (!hud->introDone) {
        hud->barX += (barRestX - hud->barX) / 4;
        if (hud->barX >= barRestX - 1) {
            hud->barX = barRestX;
            hud->introDone = 1;
        }
    }

    // The lives banner: in while its timer runs, then off to the left, speeding up.
    const f32 bannerRest = header->x - 72.0f;
    if (hud->bannerTimer > 0) {
        --hud->bannerTimer;
        hud->bannerX += (12.0f - hud->bannerX) * 0.25f;
        if (hud->bannerX >= 12.0f)
            hud->bannerX = 12.0f;
    } else if (hud->bannerX > bannerRest) {
        hud->bannerX -= (13.0f - hud->bannerX) * 0.25f;
        if (hud->bannerX < bannerRest)
            hud->bannerX = bannerRest;
    }

    const PlayerProgress* progress = ShownProgress(hud);
    hud->shownLives = progress ? progress->lives : 0;

    const PlayerRecord* player = ShownPlayer(hud);
    const i32 health = player ? player->health : 0;
    for (u32 i = 0; i < 5; ++i)
        UpdateHeart(&hud->hearts[i], i, health);

    if (progress && hud->shownScore < progress->score)
        ++hud->shownScore;
}

void HUDDraw(void* instance)
{
    HUDRecord* hud = (HUDRecord*)instance;
    ObjectHeader* header = hud->header;
    if (!hudAnimSet.loaded)
        return;
    if (hudAnimSet.paletteCount)
        SetCurrentPalette(hudAnimSet.palettes[0]);

    for (u16 i = 0; i < 5; ++i)
        DrawHudFrame(HudLabelAnim, i, hud->labelGlyphs[i].x, hud->labelGlyphs[i].y);

    // The score fades in with the HUD.
    drawFlags = drawFlagRotateScale;
    spriteScaleX = TruncateToI32((f64)header->scaleX * 512.0);
    spriteScaleY = 512;
    spriteAngle = TruncateToI32((f64)header->rotation);
    blendMode = 2;
    blendLevel = header->flash;
    DrawFontNumber((i32)hud->shownScore, &hudFont, header->x + 100.0f + (f32)scrollX, header->y + (f32)scrollY,
                   alignLeft);

    // The bar pulses, but holds still while the game is paused.
    if (!pauseMenuOpen)
        header->scaleY = pulseTable[(demoSeed >> 1) & 15];
    SetSpriteTransform(header, 0);
    const f32 barX = (f32)hud->barX, barY = (f32)hud->barY;

    // Middle pieces: a set without a usable piece draws none rather than dividing by its width.
    const i32 pieceWidth = HudFrameWidth(HudBarAnim, 1);
    const i32 pieces = pieceWidth > 0 ? 56 / pieceWidth : 0;
    for (i32 k = 0; k < pieces; ++k)
        DrawHudFrame(HudBarAnim, 1, barX + 14.0f + 16.0f * (f32)k, barY - (header->scaleY * 7.0f - 7.0f) / 2.0f + 8.0f);

    // Four units a heart's worth of bones, with a gap after every four.
    const PlayerRecord* player = ShownPlayer(hud);
    const f32 units = player ? player->collected / bonesPerHeart * 4.0f : 0.0f;
    const i32 unitWidth = HudFrameWidth(HudBoneAnim, 0);
    for (i32 k = 0; (f32)k < units; ++k)
        DrawHudFrame(HudBoneAnim, 0, (f32)(unitWidth * k + 4 * (k / 4)) + barX, barY + 4.0f);

    DrawHudFrame(HudBarAnim, 0, barX, barY);
    DrawHudFrame(HudBarAnim, 2, barX + 70.0f, barY);

    for (u32 i = 0; i < 4; ++i) {
        const HUDHeart& heart = hud->hearts[i];
        spriteScaleY = TruncateToI32((f64)heart.scale * 512.0);
        DrawHudFrame(HudHeartAnim, heart.blink, barX + 22.0f + 12.0f * (f32)i,
                     barY + heart.offsetY - 10.0f * heart.scale + 17.0f);
    }
    RestDrawState();

    const f32 bannerX = (f32)TruncateToI32(hud->bannerX);
    DrawHudFrame(HudBannerAnim, 0, bannerX, barY + 24.0f);
    if (hudAnimSet.paletteCount)
        SetCurrentPalette(hudAnimSet.palettes[0]);
    DrawFontNumber(hud->shownLives, &hudFont, bannerX + 46.0f + (f32)scrollX, barY + 24.0f + (f32)scrollY, alignLeft);
}

HUDRecord* HUDInstance(u32 index)
{
    if (!HUD.registered || !HUD.pool || !hudInstances || index >= HUD.poolSize)
        return nullptr;
    const ObjectHeader* header = HUD.pool[index];
    return header->alive && !header->free ? hudInstances[index] : nullptr;
}

void HUDLifeFlash(u32 playerIndex)
{
    if (HUDRecord* hud = HUDInstance(playerIndex))
        hud->bannerTimer = hudBannerTicks;
}
