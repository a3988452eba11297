// Parallax scenery: the world position follows a share of the camera scroll, and a repeated sprite
// is wrapped to the screen's top-left corner and laid out as a row, a column or a grid.
#include "Game/World/ParaSprite.h"

#include <cmath>

#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Actors/StageSettings.h"

ObjectType ParaSprite;
ParaSpriteRecord** paraSpriteInstances;
AnimSet paraSpriteAnimSet;

namespace {

constexpr u32 paraSpriteGrowth = 32;
constexpr u8 paraSpriteUpdatePass = 5;
constexpr u8 paraSpriteDrawLayer = 7;
constexpr const char* paraSpriteSetPath = "Data/Sprites/Stages/BoneZone/ParaSprite.man";

void StartSpriteAnimation(ParaSpriteRecord* sprite)
{
    if (!paraSpriteAnimSet.loaded || !paraSpriteAnimSet.animCount)
        return;
    i32 animation = (i8)sprite->header->spawnB;
    const i32 last = (i32)paraSpriteAnimSet.animCount - 1;
    if (animation < 0)
        animation = 0;
    if (animation > last)
        animation = last;
    SetAnim(&sprite->anim, &paraSpriteAnimSet, (u16)animation, 0, 1);
    StartAnim(&sprite->anim, (u16)animation);
}

} // namespace

// ---- Load and Unload ----

void ParaSpriteLoad(const char* placementPath)
{
    if (currentStage != previousStage && paraSpriteAnimSet.loaded)
        FreeAnim(&paraSpriteAnimSet);
    if (CurrentStageIs(graveyardStage) || CurrentStageIs(boneZoneStage))
        LoadAnim(paraSpriteSetPath, &paraSpriteAnimSet);

    ParaSprite.growthStep = paraSpriteGrowth;
    ParaSprite.updatePass = paraSpriteUpdatePass;
    ParaSprite.drawLayer = paraSpriteDrawLayer;
    ParaSprite.cullMarginX = -1;
    ParaSprite.cullMarginY = -1;
    RegisterObjectType(placementPath, &ParaSprite, (void***)&paraSpriteInstances, sizeof(ParaSpriteRecord),
                       ParaSpriteUpdate, ObjectNoOp, ParaSpriteDraw, nullptr, nullptr, ParaSpriteReset,
                       ParaSpriteInit, nullptr, ParaSpriteLoad, ParaSpriteUnload);
    ParaSprite.reserved = ObjectNoOp;
    if (ParaSprite.loadCount < 2)
        SetObjectTypeName(&ParaSprite, "ParaSprite");
    if (placementPath)
        LoadObjectPlacements(&ParaSprite, placementPath);
}

void ParaSpriteUnload()
{
    if (ParaSprite.loadCount < 2 && paraSpriteAnimSet.loaded)
        FreeAnim(&paraSpriteAnimSet);
    FreeObjectType(&ParaSprite);
}

// ---- Init and Reset ----

void ParaSpriteInit(void* instance)
{
    ParaSpriteRecord* sprite = (ParaSpriteRecord*)instance;
    sprite->repeatX = 1;
    sprite->repeatY = 0;
    sprite->parallaxX = sprite->parallaxY = 0.0;
    sprite->vx = sprite->vy = 0.0;
    sprite->header->drawLayer = sprite->header->spawnA;
    StartSpriteAnimation(sprite);
}

void ParaSpriteReset(void* instance)
{
    StartSpriteAnimation((ParaSpriteRecord*)instance);
}

// ---- Update ----

void ParaSpriteUpdate(void* instance)
{
    ParaSpriteRecord* sprite = (ParaSpriteRecord*)instance;
    sprite->header->x = (f32)((f64)sprite->header->x + sprite->vx);
    sprite->header->y = (f32)((f64)sprite->header->y + sprite->vy);
    UpdateAnimPlayer(&sprite->anim);
}

// ---- Draw ----

ParaSpriteTiling ParaSpriteLayout(const ParaSpriteRecord* sprite, i32 width, i32 scrollX, i32 scrollY, i32 screenW,
                                  i32 screenH)
{
    ParaSpriteTiling tiling{0.0, 0.0, 0, 0};
    // A sprite of no width would never step across the screen.
    if (!sprite || !sprite->header || width < 1)
        return tiling;
    const f64 w = (f64)width;
    const f64 worldX = (f64)scrollX * sprite->parallaxX + sprite->header->x;
    const f64 worldY = (f64)scrollY * sprite->parallaxY + sprite->header->y;
    f64 sx = worldX - scrollX, sy = worldY - scrollY;
    if (sprite->repeatX) {
        if (sx <= -w)
            sx += w * (f64)(i64)((-sx) / w);
        while (sx <= -w)
            sx += w;
        if (sx > 0.0)
            sx -= w * (f64)(i64)(sx / w);
        while (sx > 0.0)
            sx -= w;
    }
    if (sprite->repeatY) {
        if (sy <= -w)
            sy += w * (f64)(i64)((-sy) / w);
        while (sy <= -w)
            sy += w;
        if (sy > 0.0)
            sy -= w * (f64)(i64)(sy / w);
        while (sy > 0.0)
            sy -= w;
    }
    tiling.x = sx;
    tiling.y = sy;
    // Copies w apart while they start inside the screen; a single row or column when only one
    // direction repeats.
    auto countTo = [w](f64 start, i32 edge) -> u32 {
        if (start >= (f64)edge)
            return 0;
        return (u32)std::ceil(((f64)edge - start) / w);
    };
    const u32 across = countTo(sx, screenW);
    const u32 down = countTo(sy, screenH);
    if (sprite->repeatX && !sprite->repeatY) {
        tiling.across = across;
        tiling.down = across ? 1 : 0;
    } else if (sprite->repeatY && !sprite->repeatX) {
        tiling.down = down;
        tiling.across = down ? 1 : 0;
    } else {
        tiling.across = down ? across : 0;
        tiling.down = across ? down : 0;
    }
    return tiling;
}

void ParaSpriteDraw(void* instance)
{
    ParaSpriteRecord* sprite = (ParaSpriteRecord*)instance;
    const AnimFrame* frame = CurrentAnimFrame(&sprite->anim);
    if (!paraSpriteAnimSet.loaded || !frame)
        return;
    if (paraSpriteAnimSet.paletteCount)
        SetCurrentPalette(paraSpriteAnimSet.palettes[0]);
    const ObjectHeader* header = sprite->header;
    const ParaSpriteTiling tiling =
        ParaSpriteLayout(sprite, frame->image.width, scrollX, scrollY, screenWidth, screenHeight);
    const DrawSpriteFunction draw =
        header->flipX ? (header->flipY ? rendererSlots.DrawSpriteFlipXY : rendererSlots.DrawSpriteFlipX)
                      : (header->flipY ? rendererSlots.DrawSpriteFlipY : rendererSlots.DrawSprite);
    if (!draw || !tiling.across || !tiling.down)
        return;
    SetSpriteTransform(header, 2);
    const i32 w = frame->image.width;
    for (u32 row = 0; row < tiling.down; ++row)
        for (u32 column = 0; column < tiling.across; ++column)
            draw(&frame->image, 0, 0, TruncateToI32(tiling.x) + (i32)column * w, TruncateToI32(tiling.y) + (i32)row * w);
    RestDrawState();
}
