// The pause menu and the title main menu. It runs while paused (it is what pauses), reads player
// 1's pressed mask and writes its Start bit in place, so that objects later in the tick see what
// the menu made of the press.
#include "Game/Display/PauseMenu.h"

#include <cmath>

#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Config.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Input.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Display/Fade.h"
#include "Game/Display/InputConfigMenu.h"
#include "Game/Player/Player.h"

ObjectType PauseMenu;
PauseMenuRecord** pauseMenuInstances;
AnimSet pauseMenuAnimSet;

namespace {

constexpr u32 menuGrowth = 16;
constexpr u8 menuUpdatePass = 6;
constexpr u8 menuDrawLayer = 15;
constexpr i16 dimLevel = 200;
constexpr f32 hiddenHeadingY = -13.0f;
constexpr f32 closedBelowY = -8.0f;

// Raw input slots of the shortcuts.
constexpr int keyBackspace = 14;
constexpr int padButtonA = 138;
constexpr int padButtonB = 139;

enum MenuItem {
    ItemNone,
    ItemResume,
    ItemControls,
    ItemRestart,
    ItemTitle,
    ItemStartGame,
    ItemBoneZone,
    ItemClose,
};

const char* const pauseLines[5] = {"PAUSED", "Resume", "Controls", "Restart", "Title"};
const MenuItem pauseItems[4] = {ItemResume, ItemControls, ItemRestart, ItemTitle};
const char* const titleLines[5] = {"Preview Demo", "Start Game", "Controls", "Close", nullptr};
const MenuItem titleItems[4] = {ItemStartGame, ItemControls, ItemClose, ItemNone};
const char* const titleBossLines[5] = {"Preview Demo", "Start Game", "Bone Zone", "Controls", "Close"};
const MenuItem titleBossItems[4] = {ItemStartGame, ItemBoneZone, ItemControls, ItemClose};

const char* const* LinesOf(u8 mode)
{
    if (mode == PauseMenuPauseMode)
        return pauseLines;
    return bossDefeated ? titleBossLines : titleLines;
}

const MenuItem* ItemsOf(u8 mode)
{
    if (mode == PauseMenuPauseMode)
        return pauseItems;
    return bossDefeated ? titleBossItems : titleItems;
}

i8 HighestCursor(u8 mode)
{
    return mode == PauseMenuPauseMode || bossDefeated ? 3 : 2;
}

u32& MenuPressed()
{
    return playerControls[0].pressedMask;
}

// A Fade of this menu's by pool index, while it is live.
FadeRecord* FadeAt(u32 index)
{
    if (!Fade.registered || !Fade.pool || !fadeInstances || index >= Fade.poolSize)
        return nullptr;
    const ObjectHeader* header = Fade.pool[index];
    return header->alive && !header->free ? fadeInstances[index] : nullptr;
}

void AimWatchedFade(const PauseMenuRecord* menu, i16 level, u8 down)
{
    if (FadeRecord* fade = FadeAt(menu->watchedFade)) {
        fade->targetLevel = level;
        fade->dimDown = down;
    }
}

bool WatchedFadeBlack(const PauseMenuRecord* menu)
{
    const FadeRecord* fade = FadeAt(menu->watchedFade);
    return fade && fade->level >= 255;
}

// Quarter of the way a tick, rounded toward minus infinity: lines moving down or right stop short.
f32 Glide(f32 position, f32 target)
{
    return (f32)((f64)position + std::floor(((f64)target - (f64)position) * 0.25));
}

// A Fade that covers the menu: the menu drops to layer 14 under it.
FadeRecord* SpawnCoveringFade(PauseMenuRecord* menu, u8 mode, u32* index)
{
    lastSpawnedInstance = nullptr;
    const u32 spawned = SpawnObject(&Fade, 0.0f, 0.0f, mode, 4);
    FadeRecord* fade = (FadeRecord*)lastSpawnedInstance;
    if (!fade)
        return nullptr;
    menu->header->drawLayer = 14;
    fade->header->drawLayer = 15;
    if (index)
        *index = spawned;
    return fade;
}

void OpenControls(PauseMenuRecord* menu, u8 mode)
{
    MenuPressed() &= ~(u32)ButtonStart;
    // Without the input-configuration menu loaded there is nothing to slide over to.
    lastSpawnedInstance = nullptr;
    const u32 index = SpawnObject(&InputConfigMenu, (f32)(2 * screenWidth), 0.0f, 0, 0);
    InputConfigMenuRecord* controls = (InputConfigMenuRecord*)lastSpawnedInstance;
    if (!controls)
        return;
    for (PauseMenuLine& target : menu->lineTarget)
        target.x -= (f32)screenWidth;
    menu->inControls = 1;
    menu->controlsMenuIndex = index;
    controls->pauseMenuIndex = menu->header->index; // the menu it hands back to
    if (mode == PauseMenuTitleMode)
        AimWatchedFade(menu, dimLevel, 0);
}

void ChooseItem(PauseMenuRecord* menu, u8 mode)
{
    const i8 cursor = menu->cursor;
    if (cursor < 0 || cursor > 3)
        return;
    u32 index = 0;
    switch (ItemsOf(mode)[cursor]) {
    case ItemResume:
        menu->closing = 1;
        MenuPressed() &= ~(u32)ButtonStart;
        break;
    case ItemControls:
        OpenControls(menu, mode);
        break;
    case ItemRestart:
        // The menu stays live: another Start before the restart makes another fade.
        SpawnCoveringFade(menu, FadeOutRestart, nullptr);
        break;
    case ItemTitle:
    case ItemStartGame:
        if (SpawnCoveringFade(menu, FadeOutHold, &index)) {
            menu->watchedFade = index;
            menu->leaving = 1;
        }
        break;
    case ItemBoneZone:
        if (FadeRecord* fade = SpawnCoveringFade(menu, FadeOutToStage, &index)) {
            fade->targetStage = &boneZoneStage;
            menu->watchedFade = index;
            menu->leaving = 1;
        }
        break;
    case ItemClose:
        SpawnCoveringFade(menu, FadeOutQuit, nullptr);
        break;
    default:
        break;
    }
}

void MoveCursor(PauseMenuRecord* menu)
{
    const u32 pressed = MenuPressed();
    if (pressed & ButtonUp)
        --menu->cursor;
    if (pressed & ButtonDown)
        ++menu->cursor;
}

void WrapCursor(PauseMenuRecord* menu, u8 mode)
{
    const i8 highest = HighestCursor(mode);
    if (menu->cursor < 0)
        menu->cursor = highest;
    else if (menu->cursor > highest)
        menu->cursor = 0;
}

void HideTargets(PauseMenuRecord* menu, f32 itemX)
{
    const f32 H = (f32)screenHeight;
    menu->lineTarget[0] = {(f32)(screenWidth >> 1), hiddenHeadingY};
    for (int i = 1; i < 5; ++i)
        menu->lineTarget[i] = {itemX, H + 13.0f};
}

void ShowTargetsY(PauseMenuRecord* menu, u8 mode)
{
    const f32 halfH = (f32)(screenHeight >> 1);
    if (mode == PauseMenuPauseMode) {
        menu->lineTarget[0].y = halfH;
        for (int i = 1; i < 5; ++i)
            menu->lineTarget[i].y = halfH + 64.0f + 13.0f * (f32)(i - 1);
    } else {
        menu->lineTarget[0].y = halfH - 14.0f;
        const f32 raise = bossDefeated ? 13.0f : 0.0f;
        for (int i = 1; i < 5; ++i)
            menu->lineTarget[i].y = halfH + 77.0f + 13.0f * (f32)(i - 1) - raise;
    }
}

void UpdatePauseMode(PauseMenuRecord* menu)
{
    const u8 mode = PauseMenuPauseMode;
    if (!pauseMenuOpen || menu->closing) {
        HideTargets(menu, (f32)(screenWidth >> 1));
        if (menu->closing && !menu->inControls)
            AimWatchedFade(menu, 0, 1);
        if (PauseRequested()) {
            pauseMenuOpen = 1;
            UpdateCameras();
        }
        if (menu->linePos[0].y < closedBelowY && menu->closing && !menu->inControls) {
            pauseMenuOpen = 0;
            menu->closing = 0;
        }
        return;
    }

    ShowTargetsY(menu, mode);
    AimWatchedFade(menu, dimLevel, 0);
    if (!menu->leaving && !menu->inControls)
        MoveCursor(menu);
    if (menu->leaving && WatchedFadeBlack(menu))
        pendingStage = &titleStage;
    WrapCursor(menu, mode);
    if ((MenuPressed() & ButtonStart) && !menu->inControls && !menu->leaving)
        ChooseItem(menu, mode);
}

void UpdateTitleMode(PauseMenuRecord* menu)
{
    const u8 mode = PauseMenuTitleMode;
    if (!pauseMenuOpen || menu->closing) {
        HideTargets(menu, (f32)(screenWidth >> 2));
        if (menu->closing && !menu->inControls)
            AimWatchedFade(menu, 0, 1);
        // The title menu opens on its first tick without a button.
        if (!pauseMenuOpen) {
            pauseMenuOpen = 1;
            UpdateCameras();
        }
        return;
    }

    ShowTargetsY(menu, mode);
    if (!menu->leaving && !menu->inControls) {
        MoveCursor(menu);
        AimWatchedFade(menu, 0, 1); // no dim behind the title menu
    }
    if (menu->leaving && WatchedFadeBlack(menu)) {
        pauseMenuOpen = 0;
        pendingStage = &graveyardStage;
        for (PlayerProgress& progress : playerProgress) {
            progress.lives = 3;
            progress.score = 0;
            progress.checkpoint = 0;
        }
    }
    WrapCursor(menu, mode);
    if ((MenuPressed() & ButtonStart) && !menu->inControls && !menu->leaving)
        ChooseItem(menu, mode);
}

} // namespace

bool PauseRequested()
{
    PlayerRecord* player = FirstPlayer();
    if (!player || !player->header || !player->header->alive)
        return false;
    if (cameras[0].followed != player->header)
        return false;
    if (!(playerControls[player->player & (playerCount - 1)].pressedMask & ButtonStart))
        return false;
    if (pauseMenuOpen)
        return false;
    return player->state != PlayerStateDefeated && player->state != PlayerStateDefeatedFall;
}

void PauseMenuLoad(const char* placementPath)
{
    LoadAnim("Data/Sprites/Display/Pause/Pause.man", &pauseMenuAnimSet);
    PauseMenu.growthStep = menuGrowth;
    PauseMenu.updatePass = menuUpdatePass;
    PauseMenu.drawLayer = menuDrawLayer;
    PauseMenu.runsWhilePaused = 1;
    PauseMenu.cullMarginX = -1;
    PauseMenu.cullMarginY = -1;
    RegisterObjectType(placementPath, &PauseMenu, (void***)&pauseMenuInstances, sizeof(PauseMenuRecord),
                       PauseMenuUpdate, ObjectNoOp, PauseMenuDraw, ObjectNoOp, ObjectNoOp, PauseMenuReset,
                       PauseMenuInit, nullptr, PauseMenuLoad, PauseMenuUnload);
    if (placementPath)
        LoadObjectPlacements(&PauseMenu, placementPath);
}

void PauseMenuUnload()
{
    FreeAnim(&pauseMenuAnimSet);
    FreeObjectType(&PauseMenu);
}

void PauseMenuInit(void* instance)
{
    PauseMenuRecord* menu = (PauseMenuRecord*)instance;
    menu->cursor = 0;
    menu->leaving = 0;
    // A reused slot starts afresh.
    menu->closing = 0;
    menu->inControls = 0;
    menu->controlsMenuIndex = 0;

    // The dim: a Fade held at a level the menu moves.
    menu->watchedFade = 0xFFFFFFFFu;
    lastSpawnedInstance = nullptr;
    const u32 index = SpawnObject(&Fade, 0.0f, 0.0f, FadeToLevel, 0);
    if (FadeRecord* fade = (FadeRecord*)lastSpawnedInstance) {
        fade->level = 0;
        fade->targetLevel = 0;
        fade->dimDown = 1;
        fade->header->drawLayer = 14;
        menu->watchedFade = index;
    }

    const f32 H = (f32)screenHeight;
    const f32 halfW = (f32)(screenWidth >> 1), halfH = (f32)(screenHeight >> 1);
    const f32 itemX = menu->header->spawnA ? (f32)(screenWidth >> 2) : halfW;
    menu->linePos[0] = {halfW, hiddenHeadingY};
    menu->lineTarget[0] = {halfW, halfH};
    for (int i = 1; i < 5; ++i) {
        menu->linePos[i] = {itemX, H + 13.0f};
        menu->lineTarget[i] = {itemX, halfH + 64.0f + 13.0f * (f32)(i - 1)};
    }
    PauseMenuReset(instance);
}

void PauseMenuReset(void* instance)
{
    PauseMenuRecord* menu = (PauseMenuRecord*)instance;
    if (pauseMenuAnimSet.loaded)
        SetAnim(&menu->anim, &pauseMenuAnimSet, 0, 0, 1);
}

void PauseMenuUpdate(void* instance)
{
    PauseMenuRecord* menu = (PauseMenuRecord*)instance;
    const u8 mode = menu->header->spawnA;

    for (int i = 0; i < 5; ++i) {
        menu->linePos[i].x = Glide(menu->linePos[i].x, menu->lineTarget[i].x);
        menu->linePos[i].y = Glide(menu->linePos[i].y, menu->lineTarget[i].y);
    }

    if (!menu->inControls && pauseMenuOpen && !menu->closing) {
        if (ButtonState(PlanePressed, padButtonA))
            MenuPressed() |= ButtonStart;
        if (ButtonState(PlanePressed, padButtonB) ||
            (ButtonState(PlanePressed, keyBackspace) && mode == PauseMenuPauseMode)) {
            menu->cursor = 0;
            MenuPressed() |= ButtonStart;
        }
    }

    if (mode == PauseMenuPauseMode)
        UpdatePauseMode(menu);
    else if (mode == PauseMenuTitleMode)
        UpdateTitleMode(menu);

    UpdateAnimPlayer(&menu->anim);
}

void PauseMenuDraw(void* instance)
{
    PauseMenuRecord* menu = (PauseMenuRecord*)instance;
    const u8 mode = menu->header->spawnA;
    if (!pauseMenuOpen || (mode != PauseMenuPauseMode && mode != PauseMenuTitleMode))
        return;

    const char* const* lines = LinesOf(mode);
    DrawFontString(lines[0], &menuFont, menu->linePos[0].x, menu->linePos[0].y, alignCentre, 0, 0);
    for (int i = 4; i >= 1; --i) {
        if (!lines[i])
            continue;
        const u8 palette = i == menu->cursor + 1 ? 1 : 0;
        DrawFontString(lines[i], &menuFont, menu->linePos[i].x, menu->linePos[i].y, alignCentre, palette, 0);
    }

    if (mode != PauseMenuTitleMode || !pauseMenuAnimSet.loaded || !menu->anim.playing)
        return;
    const i32 line = menu->cursor + 1;
    if (line < 1 || line > 4)
        return;
    const AnimFrame* frame = CurrentAnimFrame(&menu->anim);
    const ObjectHeader* header = menu->header;
    const DrawSpriteFunction draw =
        header->flipX ? (header->flipY ? rendererSlots.DrawSpriteFlipXY : rendererSlots.DrawSpriteFlipX)
                      : (header->flipY ? rendererSlots.DrawSpriteFlipY : rendererSlots.DrawSprite);
    if (!frame || !draw)
        return;
    if (pauseMenuAnimSet.paletteCount)
        SetCurrentPalette(pauseMenuAnimSet.palettes[0]);
    draw(&frame->image, scrollX, scrollY, TruncateToI32(menu->linePos[line].x - 64.0f),
         TruncateToI32(menu->linePos[line].y));
}
