// The title picture. Its players are pointed at their animations once and never advanced: the draw
// picks the halves by frame number.
#include "Game/Display/TitlePicture.h"

#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Display/PauseMenu.h"

ObjectType TitleScreen;
TitleScreenRecord** titleScreenInstances;
AnimSet titleScreenAnimSet;

namespace {

constexpr u32 titleGrowth = 32;
constexpr u8 titleUpdatePass = 6;
constexpr u8 titleDrawLayer = 7;
constexpr u16 logoAnim = 0, backgroundAnim = 1, emblemAnim = 2;
constexpr u8 logoPalette = 0, backgroundPalette = 1, emblemPalette = 2;
constexpr i32 halfSpacing = 211; // the right half starts this far right of the left one
constexpr i32 emblemX = 317, emblemY = 136;
constexpr f32 easeShare = 0.0625f; // a sixteenth of the remaining drop a tick

// Frame n of an animation, the last one when there are fewer.
const SpriteImage* FrameImage(const Animation* animation, u16 n)
{
    if (!animation || !animation->frames)
        return nullptr;
    const u16 last = animation->frameCount ? (u16)(animation->frameCount - 1) : 0;
    return &animation->frames[n < last ? n : last].image;
}

void UsePalette(u8 index)
{
    if (index < titleScreenAnimSet.paletteCount)
        SetCurrentPalette(titleScreenAnimSet.palettes[index]);
}

void DrawImage(const SpriteImage* image, i32 scrollXArg, i32 scrollYArg, i32 x, i32 y)
{
    if (image && rendererSlots.DrawSprite)
        rendererSlots.DrawSprite(image, scrollXArg, scrollYArg, x, y);
}

// Both halves of a player's animation, the left one at (x, y).
void DrawHalves(const AnimPlayer* player, i32 x, i32 rightX, i32 y)
{
    if (!player->playing)
        return;
    DrawImage(FrameImage(player->animation, 0), scrollX, scrollY, x, y);
    DrawImage(FrameImage(player->animation, 1), scrollX, scrollY, rightX, y);
}

} // namespace

void TitleScreenLoad(const char* placementPath)
{
    LoadAnim("Data/Sprites/Display/Title/Title.man", &titleScreenAnimSet);
    TitleScreen.updatePass = titleUpdatePass;
    TitleScreen.growthStep = titleGrowth;
    TitleScreen.drawLayer = titleDrawLayer;
    TitleScreen.runsWhilePaused = 1;
    TitleScreen.cullMarginX = -1;
    TitleScreen.cullMarginY = -1;
    RegisterObjectType(placementPath, &TitleScreen, (void***)&titleScreenInstances, sizeof(TitleScreenRecord),
                       TitleScreenUpdate, ObjectNoOp, TitleScreenDraw, ObjectNoOp, ObjectNoOp, TitleScreenReset,
                       TitleScreenInit, nullptr, TitleScreenLoad, TitleScreenUnload);
    if (placementPath)
        LoadObjectPlacements(&TitleScreen, placementPath);
}

void TitleScreenUnload()
{
    FreeAnim(&titleScreenAnimSet);
    FreeObjectType(&TitleScreen);
}

void TitleScreenInit(void* instance)
{
    TitleScreenRecord* title = (TitleScreenRecord*)instance;
    title->targetY = (f32)(i8)title->header->spawnB;
    TitleScreenReset(instance);
}

void TitleScreenReset(void* instance)
{
    TitleScreenRecord* title = (TitleScreenRecord*)instance;
    if (!titleScreenAnimSet.loaded)
        return;
    SetAnim(&title->logoPlayer, &titleScreenAnimSet, logoAnim, 0, 1);
    SetAnim(&title->backgroundPlayer, &titleScreenAnimSet, backgroundAnim, 0, 1);
}

void TitleScreenUpdate(void* instance)
{
    TitleScreenRecord* title = (TitleScreenRecord*)instance;
    ObjectHeader* header = title->header;
    header->x += header->vx;
    header->y += header->vy;
    // The speed found now moves the logo on the next tick, so it never quite reaches its rest.
    if (title->targetY > header->y)
        header->vy = (title->targetY - header->y) * easeShare;
    // The logo rides on the title main menu's heading, centred while the heading is.
    if (PauseMenu.registered && PauseMenu.pool && pauseMenuInstances && PauseMenu.poolSize) {
        const ObjectHeader* menu = PauseMenu.pool[0];
        if (menu->alive && !menu->free)
            header->x = pauseMenuInstances[0]->linePos[0].x - (f32)(screenWidth >> 1);
    }
}

void TitleScreenDraw(void* instance)
{
    const TitleScreenRecord* title = (const TitleScreenRecord*)instance;
    // Without the set there is nothing to show; the stage's black frame stays.
    if (!titleScreenAnimSet.loaded)
        return;

    UsePalette(backgroundPalette);
    DrawHalves(&title->backgroundPlayer, 0, halfSpacing, 0);

    UsePalette(emblemPalette);
    if (emblemAnim < titleScreenAnimSet.animCount)
        DrawImage(FrameImage(&titleScreenAnimSet.animations[emblemAnim], 0), 0, 0, emblemX, emblemY);

    UsePalette(logoPalette);
    const ObjectHeader* header = title->header;
    DrawHalves(&title->logoPlayer, TruncateToI32(header->x), TruncateToI32(header->x + (f32)halfSpacing),
               TruncateToI32(header->y));
}
