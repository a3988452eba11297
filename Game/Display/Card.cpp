// The title card: a fixed script of 200 ticks. The bars ease in at once, the first word's letters
// follow from tick 13 and the second word's from tick 41; from tick 160 the bars leave, from 169 the
// second word drops out and from 173 the first word leaves to the left; at 201 the card is gone.
// Everything is laid out on the current screen size, so the card is centred in every video mode.
#include "Game/Display/Card.h"

#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"

ObjectType Card;
CardRecord** cardInstances;
AnimSet cardAnimSet;

namespace {

constexpr u32 cardGrowth = 16;
constexpr u8 cardUpdatePass = 6;
constexpr u8 cardDrawLayer = 14;
constexpr f32 letterGap = 4.0f;
constexpr u16 firstWordIn = 12, secondWordIn = 40;
constexpr u16 barsOut = 160, secondWordOut = 168, firstWordOut = 172;

// The animation a spawn byte names, clamped to the set.
u16 ClampAnim(i32 anim)
{
    const i32 last = cardAnimSet.animCount ? cardAnimSet.animCount - 1 : 0;
    return (u16)(anim < 0 ? 0 : (anim > last ? last : anim));
}

const Animation* AnimationOf(const AnimPlayer* player)
{
    return player->set && player->set->loaded ? player->animation : nullptr;
}

// Letters of a word: its frames, cut to what the record holds.
u8 LetterCount(const AnimPlayer* player)
{
    const Animation* animation = AnimationOf(player);
    if (!animation)
        return 0;
    return (u8)(animation->frameCount > cardMaxLetters ? cardMaxLetters : animation->frameCount);
}

f32 FrameWidth(const Animation* animation, u32 frame)
{
    return animation && frame < animation->frameCount ? (f32)animation->frames[frame].image.width : 0.0f;
}

f32 FrameHeight(const Animation* animation, u32 frame)
{
    return animation && frame < animation->frameCount ? (f32)animation->frames[frame].image.height : 0.0f;
}

CardSprite Placed(f32 x, f32 y)
{
    CardSprite sprite{};
    sprite.x = sprite.homeX = sprite.targetX = x;
    sprite.y = sprite.homeY = sprite.targetY = y;
    sprite.scaleX = sprite.scaleY = 1.0f;
    return sprite;
}

void Move(CardSprite* sprite)
{
    sprite->x += sprite->vx;
    sprite->y += sprite->vy;
}

// A sixth of the way to the target a tick, fading in at the given rate.
void EaseIn(CardSprite* sprite, f32 alphaStep)
{
    sprite->vx = (sprite->targetX - sprite->x) / 6.0f;
    sprite->vy = (sprite->targetY - sprite->y) / 6.0f;
    sprite->alpha += alphaStep;
    if (sprite->alpha > 255.0f)
        sprite->alpha = 255.0f;
}

void DrawCardSprite(const CardSprite& sprite, const Animation* animation, u32 frame)
{
    if (!animation || frame >= animation->frameCount || !rendererSlots.DrawSprite)
        return;
    spriteScaleX = TruncateToI32((f64)sprite.scaleX * 512.0);
    spriteScaleY = TruncateToI32((f64)sprite.scaleY * 512.0);
    blendLevel = (u32)TruncateToI32(sprite.alpha) & 255;
    rendererSlots.DrawSprite(&animation->frames[frame].image, scrollX, scrollY, TruncateToI32(sprite.x) + scrollX,
                             TruncateToI32(sprite.y) + scrollY);
}

} // namespace

void CardLoad(const char* placementPath)
{
    LoadAnim("Data/Sprites/Display/Card/Card.man", &cardAnimSet);
    Card.growthStep = cardGrowth;
    Card.updatePass = cardUpdatePass;
    Card.drawLayer = cardDrawLayer;
    Card.runsWhilePaused = 0;
    Card.cullMarginX = -1;
    Card.cullMarginY = -1;
    RegisterObjectType(placementPath, &Card, (void***)&cardInstances, sizeof(CardRecord), CardUpdate, ObjectNoOp,
                       CardDraw, ObjectNoOp, ObjectNoOp, CardReset, CardInit, nullptr, CardLoad, CardUnload);
    if (placementPath)
        LoadObjectPlacements(&Card, placementPath);
}

void CardUnload()
{
    FreeAnim(&cardAnimSet);
    FreeObjectType(&Card);
}

void CardReset(void* instance)
{
    CardRecord* card = (CardRecord*)instance;
    const ObjectHeader* header = card->header;
    if (!cardAnimSet.loaded)
        return;
    SetAnim(&card->barAnim, &cardAnimSet, 0, 0, 1);
    SetAnim(&card->firstAnim, &cardAnimSet, ClampAnim(header->spawnA + 1), 0, 1);
    // Spawn byte B is read as signed.
    SetAnim(&card->secondAnim, &cardAnimSet, ClampAnim((i8)header->spawnB + 1), 0, 1);
}

void CardInit(void* instance)
{
    CardRecord* card = (CardRecord*)instance;
    // Without the set the words are empty: the card still runs its script.
    card->barAnim = card->firstAnim = card->secondAnim = AnimPlayer{};
    CardReset(instance);
    card->timer = 0;
    card->firstCount = LetterCount(&card->firstAnim);
    card->secondCount = LetterCount(&card->secondAnim);

    const f32 W = (f32)screenWidth, H = (f32)screenHeight;
    const f32 halfW = (f32)(screenWidth / 2), halfH = (f32)(screenHeight / 2);

    CardSprite& across = card->bars[0];
    across = Placed(W + 4.0f, halfH);
    across.alpha = 255.0f;
    across.targetX = halfW - 88.0f;
    across.targetY = halfH;

    CardSprite& drop = card->bars[1];
    drop = Placed(halfW - 6.0f, 0.0f);
    drop.alpha = 255.0f;
    drop.targetX = halfW - 6.0f;
    drop.targetY = halfH + 24.0f;

    // First word: staggered off the right edge, letter k at k times its offset in the word.
    const Animation* first = AnimationOf(&card->firstAnim);
    f32 a = 0.0f;
    for (u32 k = 0; k < card->firstCount; ++k) {
        CardSprite& letter = card->firstWord[k];
        letter = Placed((f32)k * a + W, halfH);
        letter.targetX = halfW - 80.0f + a;
        letter.targetY = halfH + 8.0f;
        letter.alpha = 128.0f;
        a += FrameWidth(first, k) + letterGap;
    }

    // Second word: in place across, stacked below the screen.
    const Animation* second = AnimationOf(&card->secondAnim);
    const f32 rowHeight = FrameHeight(second, 0);
    f32 b = 0.0f;
    for (u32 k = 0; k < card->secondCount; ++k) {
        CardSprite& letter = card->secondWord[k];
        letter = Placed(halfW - 80.0f + b, H + 24.0f + (f32)k * rowHeight);
        letter.targetY = halfH + 38.0f;
        letter.alpha = 128.0f;
        b += FrameWidth(second, k) + letterGap;
    }
}

void CardUpdate(void* instance)
{
    CardRecord* card = (CardRecord*)instance;
    const u16 t = card->timer;

    CardSprite& across = card->bars[0];
    CardSprite& drop = card->bars[1];
    for (CardSprite& bar : card->bars) {
        Move(&bar);
        bar.vx = (bar.targetX - bar.x) / 6.0f;
        bar.vy = (bar.targetY - bar.y) / 6.0f;
    }
    if (t < barsOut) {
        across.scaleY = across.vx / 30.0f + 2.0f;
        drop.scaleX = 3.4f - drop.vy / 10.0f;
    } else {
        across.targetX = -32.0f;
        across.scaleY -= 0.2f;
        drop.targetY = (f32)screenHeight + 32.0f;
        drop.scaleX -= 0.1f;
    }

    for (u32 k = 0; k < card->firstCount; ++k) {
        CardSprite& letter = card->firstWord[k];
        Move(&letter);
        if (t > firstWordIn)
            EaseIn(&letter, 4.0f);
        if (t > firstWordOut) {
            // They leave to the left in mirrored order.
            letter.targetY = letter.homeY;
            letter.targetX = 256.0f - card->firstWord[card->firstCount - 1 - k].homeX + 104.0f;
        }
    }

    for (u32 k = 0; k < card->secondCount; ++k) {
        CardSprite& letter = card->secondWord[k];
        Move(&letter);
        if (t > secondWordIn)
            EaseIn(&letter, 8.0f);
        if (t > secondWordOut) {
            letter.targetY = letter.homeY + 32.0f;
            letter.targetX = letter.homeX;
        }
    }

    card->timer = (u16)(t + 1);
    if (card->timer >= cardLifeTicks)
        DespawnObject(card->header);
}

void CardDraw(void* instance)
{
    CardRecord* card = (CardRecord*)instance;
    if (!cardAnimSet.loaded)
        return;
    if (cardAnimSet.paletteCount)
        SetCurrentPalette(cardAnimSet.palettes[0]);
    drawFlags = drawFlagRotateScale;
    spriteAngle = 0;
    blendMode = 2;

    const Animation* bars = AnimationOf(&card->barAnim);
    for (u32 i = 0; i < 2; ++i)
        DrawCardSprite(card->bars[i], bars, i);
    const Animation* first = AnimationOf(&card->firstAnim);
    for (u32 k = 0; k < card->firstCount; ++k)
        DrawCardSprite(card->firstWord[k], first, k);
    const Animation* second = AnimationOf(&card->secondAnim);
    for (u32 k = 0; k < card->secondCount; ++k)
        DrawCardSprite(card->secondWord[k], second, k);

    RestDrawState();
}
