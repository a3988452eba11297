// The Fade: a black picture stretched over the screen, blended in at the record's level.
#include "Game/Display/Fade.h"

#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Shell.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"

ObjectType Fade;
FadeRecord** fadeInstances;
AnimSet fadeAnimSet;

namespace {

constexpr u32 fadeGrowth = 32;
constexpr u8 fadeUpdatePass = 6; // after everything it covers
constexpr u8 fadeDrawLayer = 15;
constexpr i16 defaultStep = 16;
constexpr i16 black = 255;
constexpr i16 fadeInStart = 256; // drawn fully black on the first frame
// The 32 x 32 picture at 14 x 8 covers 448 x 256 pixels from the screen origin.
constexpr i32 fadeScaleX = 7168, fadeScaleY = 4096;

// Modes 3-5: once black, the end action is repeated every tick until the stage changes.
void FadeOutAndAct(FadeRecord* fade, u8 mode)
{
    fade->level = (i16)(fade->level + fade->step);
    if (fade->level < black)
        return;
    fade->level = black;
    switch (mode) {
    case FadeOutRestart:
        pendingStage = currentStage;
        pauseMenuOpen = 0;
        break;
    case FadeOutToStage:
        pendingStage = fade->targetStage;
        pauseMenuOpen = 0;
        break;
    default:
        quitRequested = 1;
        break;
    }
}

} // namespace

void FadeLoad(const char* placementPath)
{
    LoadAnim("Data/Sprites/Display/Fade/Fade.man", &fadeAnimSet);
    Fade.growthStep = fadeGrowth;
    Fade.updatePass = fadeUpdatePass;
    Fade.drawLayer = fadeDrawLayer;
    Fade.runsWhilePaused = 1;
    Fade.cullMarginX = -1;
    Fade.cullMarginY = -1;
    RegisterObjectType(placementPath, &Fade, (void***)&fadeInstances, sizeof(FadeRecord), FadeUpdate, ObjectNoOp,
                       FadeDraw, ObjectNoOp, ObjectNoOp, FadeReset, FadeInit, nullptr, FadeLoad, FadeUnload);
    if (placementPath)
        LoadObjectPlacements(&Fade, placementPath);
}

void FadeUnload()
{
    FreeAnim(&fadeAnimSet);
    FreeObjectType(&Fade);
}

void FadeInit(void* instance)
{
    FadeRecord* fade = (FadeRecord*)instance;
    const ObjectHeader* header = fade->header;
    fade->step = header->spawnB ? (i16)header->spawnB : defaultStep;
    fade->dimDown = 0;
    fade->level = header->spawnA == FadeIn ? fadeInStart : 0;
    // A reused slot must not carry the last fade's target into this one; spawners write their own.
    fade->targetLevel = 0;
    fade->targetStage = nullptr;
    FadeReset(instance);
}

void FadeReset(void* instance)
{
    FadeRecord* fade = (FadeRecord*)instance;
    if (fadeAnimSet.loaded)
        SetAnim(&fade->anim, &fadeAnimSet, 0, 0, 1);
}

void FadeUpdate(void* instance)
{
    FadeRecord* fade = (FadeRecord*)instance;
    const u8 mode = fade->header->spawnA;
    switch (mode) {
    case FadeIn:
        fade->level = (i16)(fade->level - fade->step);
        if (fade->level <= 0) {
            fade->level = 0;
            DespawnObject(fade->header);
        }
        break;
    case FadeOutHold:
        fade->level = (i16)(fade->level + fade->step);
        if (fade->level > black)
            fade->level = black;
        break;
    case FadeToLevel:
        // A step past the target lands on it; a level already on the far side stays.
        if (fade->dimDown) {
            if (fade->level > fade->targetLevel) {
                fade->level = (i16)(fade->level - fade->step);
                if (fade->level < fade->targetLevel)
                    fade->level = fade->targetLevel;
            }
        } else if (fade->level < fade->targetLevel) {
            fade->level = (i16)(fade->level + fade->step);
            if (fade->level > fade->targetLevel)
                fade->level = fade->targetLevel;
        }
        break;
    case FadeOutRestart:
    case FadeOutToStage:
    case FadeOutQuit:
        FadeOutAndAct(fade, mode);
        break;
    default:
        break;
    }
}

void FadeDraw(void* instance)
{
    FadeRecord* fade = (FadeRecord*)instance;
    ObjectHeader* header = fade->header;
    const u8 mode = header->spawnA;
    if (fadeAnimSet.loaded && fadeAnimSet.paletteCount)
        SetCurrentPalette(fadeAnimSet.palettes[0]);
    header->flash = fade->level < 0 ? 0 : (fade->level > 255 ? 255 : (u8)fade->level);
    if (mode == FadeOutRestart || mode == FadeOutToStage || mode == FadeOutQuit) {
        musicVolumeTarget = 0.0f;
        musicFadeStep = fade->step * 0.00390625f;
    }

    const AnimFrame* frame = CurrentAnimFrame(&fade->anim);
    if (frame && rendererSlots.DrawSprite) {
        drawFlags = drawFlagRotateScale;
        spriteScaleX = fadeScaleX;
        spriteScaleY = fadeScaleY;
        spriteAngle = 0;
        blendMode = 2;
        blendLevel = header->flash;
        rendererSlots.DrawSprite(&frame->image, scrollX, scrollY, scrollX, scrollY);
    }
    RestDrawState();
}
