// CandleHead: a walker on the common step that is lit while the boxes' blink is set. Lit, it plays
// its lit animation and draws a flickering flame over itself; unlit, it stands on its first frame.
#include "Game/Enemies/CandleHead.h"

#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Actors/AttackBoxes.h"

ObjectType CandleHead;
CandleHeadRecord** candleHeadInstances;
AnimSet candleHeadAnimSet;
ActorProperties candleHeadProperties;

namespace {

constexpr EnemyTypeSettings settings{sizeof(CandleHeadRecord), 32, 2, 9, 128, 128};

void DrawFlame(const CandleHeadRecord* candle)
{
    const ObjectHeader* header = candle->header;
    const AnimPlayer& flame = candle->flame;
    if (!flame.set || !flame.animation || !flame.animation->frames || !flame.playing)
        return;
    const Animation& animation = *flame.animation;
    const u16 last = animation.frameCount ? (u16)(animation.frameCount - 1) : 0;
    const u16 frame = flame.frameIndex > last ? last : flame.frameIndex;
    const DrawSpriteFunction draw =
        header->flipX ? (header->flipY ? rendererSlots.DrawSpriteFlipXY : rendererSlots.DrawSpriteFlipX)
                      : (header->flipY ? rendererSlots.DrawSpriteFlipY : rendererSlots.DrawSprite);
    if (draw)
        draw(&animation.frames[frame].image, scrollX, scrollY, TruncateToI32(header->x), TruncateToI32(header->y));
}

} // namespace

// ---- Load and Unload ----

void CandleHeadLoad(const char* placementPath)
{
    LoadAnim(candleHeadManPath, &candleHeadAnimSet);
    LoadEnemyProperties(&CandleHead, &candleHeadProperties, candleHeadVepPath);
    RegisterEnemyType(placementPath, &CandleHead, (void***)&candleHeadInstances, settings, CandleHeadUpdate,
                      CandleHeadLateUpdate, CandleHeadDraw, nullptr, CandleHeadReset, CandleHeadInit, CandleHeadLoad,
                      CandleHeadUnload);
    CandleHead.EditorPreview = CandleHeadEditorPreview;
    CandleHead.EditorPlace = CandleHeadEditorPlace;
    CandleHead.placeable = 1;
    AddPlaceableType(&CandleHead);
    if (CandleHead.loadCount < 2) {
        SetObjectTypeName(&CandleHead, "CandleHead");
        CandleHead.reserved = ObjectNoOp;
    }
    if (placementPath)
        LoadObjectPlacements(&CandleHead, placementPath);
}

void CandleHeadUnload()
{
    UnloadEnemyType(&CandleHead, &candleHeadAnimSet, &candleHeadProperties);
}

// ---- Init and Reset ----

void CandleHeadInit(void* instance)
{
    CandleHeadRecord* candle = (CandleHeadRecord*)instance;
    EnemyCommonInit((EnemyRecord*)candle, &candleHeadProperties);
    // Candles in a row do not knock each other about.
    candle->actor.sameTypeNoHit = 1;
    CandleHeadReset(candle);
}

void CandleHeadReset(void* instance)
{
    CandleHeadRecord* candle = (CandleHeadRecord*)instance;
    if (!candleHeadAnimSet.loaded)
        return;
    candle->anim.set = &candleHeadAnimSet;
    StartAnim(&candle->anim, candleUnlitAnim);
    candle->flame.set = &candleHeadAnimSet;
    StartAnim(&candle->flame, candleFlameAnim);
}

// ---- Update ----

void CandleHeadUpdate(void* instance)
{
    CandleHeadRecord* candle = (CandleHeadRecord*)instance;
    EnemyCommonStep(&candle->actor);
    if (!candleHeadAnimSet.loaded)
        return;
    if (boxBlink) {
        SetAnim(&candle->anim, &candleHeadAnimSet, candleLitAnim, 0, 0);
    } else {
        candle->anim.set = &candleHeadAnimSet;
        StartAnim(&candle->anim, candleUnlitAnim);
    }
}

void CandleHeadLateUpdate(void* instance)
{
    EnemyLateUpdate(&CandleHead, instance, &((CandleHeadRecord*)instance)->actor);
}

// ---- Draw ----

void CandleHeadDraw(void* instance)
{
    CandleHeadRecord* candle = (CandleHeadRecord*)instance;
    ObjectHeader* header = candle->header;
    if (candleHeadAnimSet.loaded && candleHeadAnimSet.paletteCount && candleHeadAnimSet.palettes)
        SetCurrentPalette(candleHeadAnimSet.palettes[0]);
    header->flash = 255;
    SetSpriteTransform(header, 0);
    DrawEnemySprite(&candle->actor);
    RestDrawState();
    if (!boxBlink)
        return;
    // The flame flickers every tick: opaque on odd counts of the blink timer, half on even ones.
    header->flash = (u8)(((u32)boxBlinkTimer << 7) | 127);
    // A candle in hit-stop shows no flame.
    if (candle->actor.hitlag < 1) {
        SetSpriteTransform(header, 2);
        DrawFlame(candle);
        RestDrawState();
    }
}

void CandleHeadEditorPreview(void* cursor)
{
    DrawEnemyEditorPreview(&candleHeadAnimSet, cursor);
}

void CandleHeadEditorPlace(void* cursor)
{
    const ObjectHeader* header = HeaderOf(cursor);
    SpawnObject(&CandleHead, header->x, header->y, 0, 0);
}
