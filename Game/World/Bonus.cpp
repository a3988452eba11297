// The bonus text over a player: glyph by glyph, 8 ticks apart, each eases up to 30 px over the
// player, holds for 181 ticks and leaves upward while it fades; the object ends with its third.
#include "Game/World/Bonus.h"

#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Player/Player.h"

ObjectType Bonus;
BonusRecord** bonusInstances;
AnimSet bonusAnimSet;
u32 bonusStagger;

namespace {

constexpr u32 bonusGrowth = 8;
constexpr u8 bonusUpdatePass = 5;
constexpr u8 bonusDrawLayer = 15;

constexpr f32 riseHeight = 30.0f;
constexpr f32 leaveFrom = 29.0f;
constexpr u16 alphaStep = 32;
constexpr u32 holdTicks = 180;
constexpr u32 staggerTicks = 8;

} // namespace

// ---- Load and Unload ----

void BonusLoad(const char* placementPath)
{
    LoadAnim("Data/Sprites/Global/Bonus/Bonus.man", &bonusAnimSet);
    Bonus.growthStep = bonusGrowth;
    Bonus.updatePass = bonusUpdatePass;
    Bonus.drawLayer = bonusDrawLayer;
    Bonus.cullMarginX = -1;
    Bonus.cullMarginY = -1;
    RegisterObjectType(placementPath, &Bonus, (void***)&bonusInstances, sizeof(BonusRecord), BonusUpdate, ObjectNoOp,
                       BonusDraw, ObjectNoOp, ObjectNoOp, BonusReset, BonusInit, nullptr, BonusLoad, BonusUnload);
    if (placementPath)
        LoadObjectPlacements(&Bonus, placementPath);
}

void BonusUnload()
{
    FreeAnim(&bonusAnimSet);
    FreeObjectType(&Bonus);
}

// ---- Init and Reset ----

void BonusInit(void* instance)
{
    BonusRecord* bonus = (BonusRecord*)instance;
    bonus->playerIndex = bonus->header->spawnB;
    BonusReset(instance);
}

void BonusReset(void* instance)
{
    BonusRecord* bonus = (BonusRecord*)instance;
    for (int i = 0; i < 3; ++i) {
        BonusGlyph& glyph = bonus->glyphs[i];
        glyph.active = i == 0 ? 1 : 0;
        glyph.alpha = 0;
        glyph.phase = GlyphRising;
        glyph.rise = 0.0f;
        glyph.hold = holdTicks;
    }
    if (bonusAnimSet.loaded)
        SetAnim(&bonus->anim, &bonusAnimSet, 0, 0, 1);
}

// ---- Update ----

void BonusUpdate(void* instance)
{
    BonusRecord* bonus = (BonusRecord*)instance;
    // A glyph started during this update moves from the next one, so the three start 8 ticks apart.
    u8 wasActive[3];
    for (int i = 0; i < 3; ++i)
        wasActive[i] = bonus->glyphs[i].active;
    for (int i = 0; i < 3; ++i) {
        BonusGlyph& glyph = bonus->glyphs[i];
        if (!wasActive[i])
            continue;
        switch (glyph.phase) {
        case GlyphRising: {
            glyph.alpha = glyph.alpha >= 255 - alphaStep ? 255 : (u16)(glyph.alpha + alphaStep);
            const f32 before = glyph.rise;
            glyph.rise = glyph.rise + (riseHeight - glyph.rise) * 0.25f;
            if (riseHeight - before < 0.2f) {
                glyph.alpha = 255;
                glyph.phase = GlyphHolding;
            }
            break;
        }
        case GlyphHolding:
            if (glyph.hold == 0)
                glyph.phase = GlyphLeaving;
            --glyph.hold;
            break;
        case GlyphLeaving:
            if (glyph.alpha > 0) {
                glyph.alpha = glyph.alpha > alphaStep ? (u16)(glyph.alpha - alphaStep) : 0;
                glyph.rise = glyph.rise - (leaveFrom - glyph.rise) * 0.25f;
            } else if (i < 2) {
                glyph.rise = glyph.rise - (leaveFrom - glyph.rise) * 0.25f;
            } else {
                DespawnObject(bonus->header);
                return;
            }
            break;
        default:
            break;
        }
        // The next glyph follows 8 ticks behind.
        if (i < 2 && !bonus->glyphs[i + 1].active) {
            if (++bonusStagger >= staggerTicks) {
                bonus->glyphs[i + 1].active = 1;
                bonusStagger = 0;
            }
        }
    }
}

// ---- Draw ----

void BonusDraw(void* instance)
{
    BonusRecord* bonus = (BonusRecord*)instance;
    const ObjectHeader* header = bonus->header;
    if (!bonusAnimSet.loaded || !bonusAnimSet.animCount || !rendererSlots.DrawSprite)
        return;
    // The text follows its player; without one there is nothing to stand over.
    if (!Player.registered || !playerInstances || bonus->playerIndex >= Player.poolSize)
        return;
    const PlayerRecord* player = playerInstances[bonus->playerIndex];
    if (!player || !player->header)
        return;
    const u16 shown = header->spawnA < bonusAnimSet.animCount ? header->spawnA : (u16)(bonusAnimSet.animCount - 1);
    const Animation& animation = bonusAnimSet.animations[shown];
    if (!animation.frames)
        return;

    if (bonusAnimSet.paletteCount)
        SetCurrentPalette(bonusAnimSet.palettes[0]);
    u8 offset = 0; // the widths of the glyphs before, summed in a byte
    for (u32 i = 0; i < 3 && i < animation.frameCount; ++i) {
        const BonusGlyph& glyph = bonus->glyphs[i];
        const SpriteImage& image = animation.frames[i].image;
        if (glyph.active && glyph.alpha) {
            drawFlags = drawFlagRotateScale;
            spriteScaleX = spriteScaleY = 512;
            spriteAngle = 0;
            blendMode = 2;
            blendLevel = glyph.alpha & 0xFF;
            rendererSlots.DrawSprite(&image, scrollX, scrollY, TruncateToI32(player->header->x - 4.0f + (f32)offset),
                                     TruncateToI32(player->header->y - glyph.rise));
        }
        offset = (u8)(offset + image.width);
    }
    RestDrawState();
}
