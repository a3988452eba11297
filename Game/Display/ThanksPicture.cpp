// The thanks picture. The set and the text belong to the type, so every instance draws the same
// picture at the same place; the stage spawns one.
#include "Game/Display/ThanksPicture.h"

#include <cmath>

#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/PortableMath.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"

ObjectType ThanksScreen;
ThanksScreenRecord** thanksScreenInstances;
AnimSet thanksScreenAnimSet;
TextBlock thanksScreenText;

namespace {

constexpr u32 thanksGrowth = 8;
constexpr u8 thanksUpdatePass = 6;
constexpr u8 thanksDrawLayer = 15; // the stage moves its instance to 14, under the fade-out
constexpr f32 letterRowLeft = 35.0f;
constexpr f32 letterOverlap = 10.0f;
constexpr f32 wordGap = 10.0f;

// Walks the letters in drawing order, giving each its frame, running number and x.
template <typename Visit>
void ForEachLetter(const AnimSet* set, Visit visit)
{
    if (!set->loaded || !set->animations)
        return;
    u32 k = 0;
    f32 a = 0.0f;
    for (u16 word = 0; word < set->animCount; ++word) {
        const Animation& animation = set->animations[word];
        for (u16 f = 0; f < animation.frameCount; ++f) {
            const AnimFrame& frame = animation.frames[f];
            if (!visit(frame, k, TruncateToI32(a + letterRowLeft)))
                return;
            a += (f32)frame.image.width - letterOverlap;
            ++k;
        }
        a += wordGap;
    }
}

} // namespace

void ThanksScreenLoad(const char* placementPath)
{
    LoadAnim("Data/Sprites/Display/Thanks/Thanks.man", &thanksScreenAnimSet);
    LoadBraktext("Data/Text/English/ThanksForPlaying.btx", &thanksScreenText);
    ThanksScreen.updatePass = thanksUpdatePass;
    ThanksScreen.growthStep = thanksGrowth;
    ThanksScreen.drawLayer = thanksDrawLayer;
    ThanksScreen.runsWhilePaused = 1;
    ThanksScreen.cullMarginX = -1;
    ThanksScreen.cullMarginY = -1;
    RegisterObjectType(placementPath, &ThanksScreen, (void***)&thanksScreenInstances, sizeof(ThanksScreenRecord),
                       ObjectNoOp, ObjectNoOp, ThanksScreenDraw, ObjectNoOp, ObjectNoOp, ObjectNoOp, ObjectNoOp,
                       nullptr, ThanksScreenLoad, ThanksScreenUnload);
    if (placementPath)
        LoadObjectPlacements(&ThanksScreen, placementPath);
}

void ThanksScreenUnload()
{
    FreeAnim(&thanksScreenAnimSet);
    if (thanksScreenText.loaded)
        FreeBraktext(&thanksScreenText);
    FreeObjectType(&ThanksScreen);
}

i32 ThanksTextBoxWidth(i32 width)
{
    return TruncateToI32((f64)width / 1.2);
}

f32 ThanksTextBoxLeft(i32 width)
{
    return (f32)width * 0.5f - (f32)ThanksTextBoxWidth(width) * 0.5f;
}

f32 ThanksLetterScale(u32 seed, u32 letter)
{
    const f32 t = (f32)(seed + 4u * letter) / 10.0f;
    return (f32)PortableSin(t) / 5.0f + 1.0f;
}

i32 ThanksLetterX(const AnimSet* set, u32 letter)
{
    i32 found = -1;
    ForEachLetter(set, [&](const AnimFrame&, u32 k, i32 x) {
        if (k != letter)
            return true;
        found = x;
        return false;
    });
    return found;
}

void ThanksScreenDraw(void*)
{
    const i32 boxWidth = ThanksTextBoxWidth(screenWidth);
    if (thanksScreenText.loaded)
        DrawText(&thanksScreenText, thanksScreenText.length, ThanksTextBoxLeft(screenWidth), thanksTextTop, boxWidth);

    // Without the set there are no letters to breathe; the text stands alone.
    if (!thanksScreenAnimSet.loaded || !thanksScreenAnimSet.paletteCount || !rendererSlots.DrawSprite)
        return;
    SetCurrentPalette(thanksScreenAnimSet.palettes[0]);
    ForEachLetter(&thanksScreenAnimSet, [](const AnimFrame& frame, u32 k, i32 x) {
        const f32 s = ThanksLetterScale(demoSeed, k);
        drawFlags = drawFlagRotateScale;
        spriteAngle = 0;
        blendLevel = 255;
        blendMode = 0;
        spriteScaleY = TruncateToI32((f64)s * 512.0);
        spriteScaleX = TruncateToI32((f64)(s / 1.2f) * 512.0);
        rendererSlots.DrawSprite(&frame.image, scrollX, scrollY, x, thanksLetterY);
        return true;
    });
    RestDrawState();
}
