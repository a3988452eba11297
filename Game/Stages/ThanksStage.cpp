#include "Game/Stages/ThanksStage.h"

#include <cstdlib>
#include <cstring>

#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Random.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Display/Fade.h"
#include "Game/Display/ThanksPicture.h"

Star stars[starCount];
f32 starDepths[starCount];
u8 starDrawn[starCount];
AnimSet starSet;
u8 starPalette;
AnimPlayer starPlayer;
u32 thanksFadeIndex;
u8 thanksLeaving;

namespace {

constexpr u16 starAnimation = 3;
constexpr i16 starSpeed = 75;
constexpr f32 starStep = 0.0075f;
constexpr f32 starEnd = 0.2f;
constexpr i16 dimLevel = 160;
constexpr u8 dimDrawLayer = 13;
constexpr u8 pictureDrawLayer = 14;

f32 RandomSpread()
{
    return (f32)(GameRand() / 35 - 480);
}

u16 FrameCount(const Animation* animation)
{
    return animation && animation->frameCount ? animation->frameCount : 1;
}

// The frames of the animation the stars are drawn from: the set's last.
const Animation* DrawnAnimation()
{
    if (!starSet.loaded || !starSet.animCount || !starSet.animations)
        return nullptr;
    return &starSet.animations[starSet.animCount - 1];
}

FadeRecord* LiveFade(u32 index)
{
    if (!Fade.registered || !Fade.pool || !fadeInstances || index >= Fade.poolSize)
        return nullptr;
    const ObjectHeader* header = Fade.pool[index];
    return header->alive && !header->free ? fadeInstances[index] : nullptr;
}

void ClearFrame()
{
    if (frameBuffer && screenWidth > 0 && screenHeight > 0)
        memset(frameBuffer, 0, (size_t)screenWidth * (size_t)screenHeight * sizeof(u32));
}

void DrawStar(const Star& star)
{
    const f32 sx = star.x / star.z + (f32)(screenWidth >> 1);
    const f32 sy = star.y / star.z + (f32)(screenHeight >> 1);
    // Only the right edge is tested; the blitter clips the rest.
    if (!(sx < (f32)screenWidth) || screenWidth <= 0)
        return;
    const Animation* animation = DrawnAnimation();
    if (!animation || !animation->frames || !rendererSlots.DrawSprite)
        return;
    const StarLook look = StarLookAt(star.z);
    drawFlags = drawFlagRotateScale;
    spriteAngle = 0;
    spriteScaleX = spriteScaleY = look.scale;
    blendMode = look.blendMode;
    blendLevel = look.blendLevel;
    // The phase runs over the player's animation; the frame is taken within the one drawn.
    const u32 frame = ((u32)star.phase + starPlayer.frameIndex) % FrameCount(animation);
    rendererSlots.DrawSprite(&animation->frames[frame].image, scrollX, scrollY, TruncateToI32(sx),
                             TruncateToI32(sy));
}

void DrawStars()
{
    for (int k = starCount - 1; k >= 0; --k) {
        for (int i = 0; i < starCount; ++i) {
            if (starDrawn[i] || stars[i].z != starDepths[k])
                continue;
            DrawStar(stars[i]);
            starDrawn[i] = 1;
            break;
        }
    }
}

void MoveStars()
{
    for (int i = 0; i < starCount; ++i) {
        Star& star = stars[i];
        starDrawn[i] = 0;
        star.z = (f32)((f64)star.z - (f64)starStep);
        if (star.z <= starEnd) {
            star.x = RandomSpread();
            star.y = RandomSpread();
            star.z = (f32)((GameRand() / 586 + 15) / 10.0);
        }
        starDepths[i] = star.z;
    }
}

} // namespace

StarLook StarLookAt(f32 z)
{
    const f32 nearness = 1.0f / z;
    StarLook look{TruncateToI32((f64)nearness * 512.0), 0, 255};
    if (z < 1.0f) {
        look.blendMode = 2;
        look.blendLevel = (u32)TruncateToI32(255.0 / (f64)nearness) & 0xFF;
    }
    return look;
}

int CompareThanksEntries(const void* a, const void* b)
{
    const f32 first = *(const f32*)a, second = *(const f32*)b;
    if (second > first)
        return -1;
    if (first > second)
        return 1;
    return 0;
}

void ThanksStageLoad()
{
    // Jump held as the stage loads swaps the stars for bats.
    if (playerControls[0].heldMask & (1u << BindJump)) {
        LoadAnim("Data/Sprites/Enemies/Draven/Draven.man", &starSet);
        starPalette = 0;
    } else {
        LoadAnim("Data/Sprites/Display/Title/Title.man", &starSet);
        starPalette = 3;
    }
    if (starSet.loaded && starSet.animCount) {
        starPlayer.set = &starSet;
        StartAnim(&starPlayer, starSet.animCount - 1 < starAnimation ? (u16)(starSet.animCount - 1) : starAnimation);
    }
    starPlayer.speed = starSpeed;
    FadeLoad(nullptr);
    ThanksScreenLoad(nullptr);
    thanksStage.loaded = 1;
}

void ThanksStageUnload()
{
    FreeAnim(&starSet);
    starPlayer.playing = 0;
    FadeUnload();
    ThanksScreenUnload();
    thanksStage.started = 0;
    thanksStage.loaded = 0;
}

void ThanksStageStart()
{
    const u32 phases = (u32)FrameCount(starPlayer.playing ? starPlayer.animation : nullptr) + 1;
    for (int i = 0; i < starCount; ++i) {
        Star& star = stars[i];
        star.x = RandomSpread();
        star.y = RandomSpread();
        star.z = (f32)((GameRand() / 2185 + 6) / 10.0);
        starDepths[i] = star.z;
        starDrawn[i] = 0;
        star.phase = (u8)(GameRand() / (gameRandMax / (i32)phases + 1));
    }

    // The dim that rises behind the picture.
    lastSpawnedInstance = nullptr;
    SpawnObject(&Fade, 212.0f, 120.0f, FadeToLevel, 2);
    if (FadeRecord* dim = (FadeRecord*)lastSpawnedInstance) {
        dim->targetLevel = dimLevel;
        dim->header->drawLayer = dimDrawLayer;
    }
    thanksFadeIndex = SpawnObject(&Fade, 0.0f, 0.0f, FadeIn, 8);

    lastSpawnedInstance = nullptr;
    SpawnObject(&ThanksScreen, 0.0f, 0.0f, 0, 0);
    if (ThanksScreenRecord* picture = (ThanksScreenRecord*)lastSpawnedInstance)
        picture->header->drawLayer = pictureDrawLayer;

    thanksLeaving = 0;
    for (int c = 0; c < cameraCount; ++c) {
        cameraScrollX[c] = cameraScrollY[c] = 0;
        cameras[c].followed = nullptr;
        cameras[c].follow = nullptr;
    }
    scrollX = scrollY = 0;
    thanksStage.started = 1;
    controlModes[0] = ControlLive;
}

void ThanksStageFrame()
{
    ClearFrame();
    if (starSet.loaded && starPalette < starSet.paletteCount)
        SetCurrentPalette(starSet.palettes[starPalette]);
    qsort(starDepths, starCount, sizeof(f32), CompareThanksEntries);
    DrawStars();
    MoveStars();
    UpdateAnimPlayer(&starPlayer);
    RestDrawState();
    UpdateObjects();

    if (thanksLeaving) {
        const FadeRecord* fade = LiveFade(thanksFadeIndex);
        if (fade && fade->level >= 255) {
            GoToStage(&boneZoneStage);
            ClearFrame();
            // A press in this tick belongs to The Bone Zone now; a fade spawned for it would
            // leave that stage black.
            return;
        }
    }

    if (playerControls[0].pressedMask & thanksLeaveMask) {
        lastSpawnedInstance = nullptr;
        const u32 index = SpawnObject(&Fade, 0.0f, 0.0f, FadeOutHold, 3);
        if (lastSpawnedInstance) {
            thanksFadeIndex = index;
            thanksLeaving = 1;
        }
    }
}
