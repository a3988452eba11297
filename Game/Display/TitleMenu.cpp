// The title menu. Its header's speed fields carry camera 0's velocity: the camera function moves
// the camera by them and the Update reads them to refuse a choice while the view still pans.
#include "Game/Display/TitleMenu.h"

#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Input.h"
#include "Engine/Platform/Shell.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Display/Card.h"
#include "Game/Display/Fade.h"
#include "Game/Display/Hud.h"
#include "Game/Display/KeyNames.h"
#include "Game/Display/Rebinding.h"
#include "Game/Player/Player.h"
#include "Game/Whip/Whip.h"

ObjectType TitleMenu;
TitleMenuRecord** titleMenuInstances;
AnimSet titleMenuAnimSet;
u32 configFadeIndex;

const u8 titleMenuRowSlots[titleMenuRows - 1] = {0, 1, 2, 3, 4, 5, 6, 13, 12, 10, 11};

namespace {

constexpr u32 menuGrowth = 32;
constexpr u8 menuUpdatePass = 6;
constexpr u8 menuDrawLayer = 8;
constexpr f32 pageWidth = 636.0f; // the camera's pan to the configuration page
constexpr f32 pageTextLeft = 648.0f;
constexpr i16 configDim = 128;
constexpr u8 configFadeLayer = 4;
constexpr f32 cursorStepX = 12.0f, cursorStepY = 6.0f;
constexpr f32 fallGravity = 0.2f;
constexpr f32 fastestFall = 16.0f;
constexpr f32 leftmostCamera = 64.0f;

// Pressed-mask bits the menu reads (binding slots).
constexpr u32 pressUp = 1u << BindUp, pressDown = 1u << BindDown, pressLeft = 1u << BindLeft,
              pressRight = 1u << BindRight, pressJump = 1u << BindJump, pressBack = 1u << 5,
              pressStart = 1u << BindStart;
constexpr u32 pressChoose = pressStart | pressJump;

const char* const mainItems[3] = {"Start Demo", "Configure Input", "Exit Game"};

const char* const rowLabels[titleMenuRows] = {"Up     ...", "Down   ...", "Left   ...", "Right  ...",
                                              "Jump   ...", "Back   ...", "Attack ...", "Grapple...",
                                              "Zip    ...", "Extend ...", "Retract...", "Set Defaults"};

const char* const rowHelp[titleMenuRows][3] = {
    {"Aim Whip Up", "Double-tap to pan the Camera Up", nullptr},
    {"Aim Whip Down", "Double-tap to pan the Camera Down", nullptr},
    {"Move and Aim Left", nullptr, nullptr},
    {"Move and Aim Right", nullptr, nullptr},
    {"Jump!", "Jump from a Grapple-Swing", "for an extra boost!"},
    {"Backs out of this menu.", "Thrilling, I know.", nullptr},
    {"Slash your Whip to combat Foes!", "Follow up with a Combo!", nullptr},
    {"Fire off your Whip", "Tap to Auto-Zip to your target,", "Hold to Hook and Swing!"},
    {"Zip to your hook at high speed!", nullptr, nullptr},
    {"While hanging, hold", "to shorten the line", nullptr},
    {"While hanging, hold", "to lengthen the line", nullptr},
    {"Reverts all mappings", "to the Defaults", nullptr},
};

u32& Pressed()
{
    return playerControls[0].pressedMask;
}

TitleMenuRecord* MenuOf(const ObjectHeader* header)
{
    if (!header || header->type != &TitleMenu || !TitleMenu.pool || !titleMenuInstances ||
        header->index >= TitleMenu.poolSize || TitleMenu.pool[header->index] != header)
        return nullptr;
    return titleMenuInstances[header->index];
}

// Player 1's header: the Player type's first instance, alive or not.
ObjectHeader* FirstPlayerHeader()
{
    if (!Player.registered || !Player.pool || !Player.poolSize || !playerInstances)
        return nullptr;
    ObjectHeader* header = Player.pool[0];
    return header->free ? nullptr : header;
}

FadeRecord* LiveFade(u32 index)
{
    if (!Fade.registered || !Fade.pool || !fadeInstances || index >= Fade.poolSize)
        return nullptr;
    const ObjectHeader* header = Fade.pool[index];
    return header->alive && !header->free ? fadeInstances[index] : nullptr;
}

f32 Approach(f32 value, f32 target, f32 step)
{
    if (value < target)
        return value + step >= target ? target : value + step;
    if (value > target)
        return value - step <= target ? target : value - step;
    return value;
}

// Gives the row's slot the code; whichever action held it gets the row's old code.
void Rebind(TitleMenuRecord* menu, u8 code)
{
    u8* bindings = menu->padMode ? playerControls[0].padBinding : playerControls[0].keyBinding;
    SwapBinding(bindings, titleMenuRowSlots[menu->rebindRow], code);
    menu->rebindRow = -1;
}

void OpenConfigPage(TitleMenuRecord* menu)
{
    lastSpawnedInstance = nullptr;
    const u32 index = SpawnObject(&Fade, 0.0f, 0.0f, FadeToLevel, 4);
    if (FadeRecord* fade = (FadeRecord*)lastSpawnedInstance) {
        configFadeIndex = index;
        fade->targetLevel = configDim;
        fade->header->drawLayer = configFadeLayer;
    }
    menu->cursor = 0;
    menu->page = 1;
}

void UpdateMainPage(TitleMenuRecord* menu)
{
    if (menu->header->state != TitleMenuShowing)
        return;
    const u32 pressed = Pressed();
    if (pressed & pressUp)
        --menu->cursor;
    if (pressed & pressDown)
        ++menu->cursor;
    if (menu->cursor < 0)
        menu->cursor = 2;
    else if (menu->cursor > 2)
        menu->cursor = 0;
    // Not while the camera still pans back from the configuration page.
    if (!(pressed & pressChoose) || !(menu->header->vx > -1.0f))
        return;
    switch (menu->cursor) {
    case 0:
        menu->header->state = TitleMenuFalling;
        break;
    case 1:
        OpenConfigPage(menu);
        break;
    default:
        quitRequested = 1;
        break;
    }
}

void LeaveConfigPage(TitleMenuRecord* menu)
{
    menu->cursor = 0;
    menu->page = 0;
    Pressed() &= ~pressBack;
    if (FadeRecord* fade = LiveFade(configFadeIndex)) {
        fade->targetLevel = 0;
        fade->dimDown = 1;
        if (fade->level < 1)
            DespawnObject(fade->header);
    }
}

// Returns false when the tick ends here.
bool UpdateConfigPage(TitleMenuRecord* menu)
{
    if (menu->rebindRow < 0) {
        const u32 pressed = Pressed();
        if (pressed & pressUp)
            menu->cursor = (i8)(menu->cursor - 1);
        if (pressed & pressDown)
            menu->cursor = (i8)(menu->cursor + 1);
        if (pressed & pressLeft)
            menu->cursor = (i8)(menu->cursor - 6);
        if (pressed & pressRight)
            menu->cursor = (i8)(menu->cursor + 6);
    } else {
        const int code = menu->rebindRow < titleMenuRows - 1 ? PressedBindingCode(menu->padMode) : -1;
        if (code >= 0) {
            Pressed() &= ~(pressJump | pressBack);
            Rebind(menu, (u8)code);
        }
        if (menu->padMode)
            return false;
    }

    if (menu->cursor < 0)
        menu->cursor = (i8)(menu->cursor + titleMenuRows);
    else if (menu->cursor > titleMenuRows - 1)
        menu->cursor = (i8)(menu->cursor - titleMenuRows);

    const u32 pressed = Pressed();
    if (!(pressed & pressChoose)) {
        // Back only through its own action, and not while the camera still pans to this page.
        if ((pressed & pressBack) && menu->rebindRow < 0 && menu->header->vx < 1.0f)
            LeaveConfigPage(menu);
    } else if (menu->cursor < titleMenuDefaultsRow) {
        menu->rebindRow = menu->cursor;
    } else {
        SetDefaultBindings();
    }
    return true;
}

void DrawObjectSprite(const AnimFrame* frame, f32 x, f32 y)
{
    if (frame && rendererSlots.DrawSprite)
        rendererSlots.DrawSprite(&frame->image, scrollX, scrollY, TruncateToI32(x), TruncateToI32(y));
}

const AnimFrame* FrameOf(const AnimSet* set, u16 animation, u16 frame)
{
    if (!set->loaded || !set->animCount || !set->animations)
        return nullptr;
    const Animation& chosen = set->animations[animation < set->animCount ? animation : set->animCount - 1];
    if (!chosen.frames)
        return nullptr;
    const u16 count = chosen.frameCount ? chosen.frameCount : 1;
    return &chosen.frames[frame < count ? frame : count - 1];
}

} // namespace

void TitleMenuLoad(const char* placementPath)
{
    LoadAnim("Data/Sprites/Display/Title/Title.man", &titleMenuAnimSet);
    TitleMenu.growthStep = menuGrowth;
    TitleMenu.updatePass = menuUpdatePass;
    TitleMenu.drawLayer = menuDrawLayer;
    TitleMenu.runsWhilePaused = 0;
    TitleMenu.cullMarginX = -1;
    TitleMenu.cullMarginY = -1;
    RegisterObjectType(placementPath, &TitleMenu, (void***)&titleMenuInstances, sizeof(TitleMenuRecord),
                       TitleMenuUpdate, ObjectNoOp, TitleMenuDraw, ObjectNoOp, ObjectNoOp, TitleMenuReset,
                       TitleMenuInit, nullptr, TitleMenuLoad, TitleMenuUnload);
    if (placementPath)
        LoadObjectPlacements(&TitleMenu, placementPath);
}

void TitleMenuUnload()
{
    FreeAnim(&titleMenuAnimSet);
    FreeObjectType(&TitleMenu);
    // A camera must not go on following a header whose pool is gone.
    if (!TitleMenu.registered) {
        for (Camera& camera : cameras) {
            if (camera.follow == TitleMenuCamera) {
                camera.follow = nullptr;
                camera.followed = nullptr;
            }
        }
    }
}

void TitleMenuInit(void* instance)
{
    TitleMenuRecord* menu = (TitleMenuRecord*)instance;
    ObjectHeader* header = menu->header;
    header->state = TitleMenuShowing;
    menu->cursor = 0;
    menu->page = 0;
    menu->blink = 0;
    menu->padMode = 0;
    menu->rebindRow = -1;
    menu->cursorOffset[0] = (f32)(screenWidth / 2 - 144);
    menu->cursorOffset[1] = (f32)(screenHeight / 2 + 30);
    menu->cursorTarget[0] = menu->cursorOffset[0];
    menu->cursorTarget[1] = menu->cursorOffset[1];
    Camera& camera = cameras[0];
    camera.x = header->x;
    camera.y = header->y;
    camera.followed = header;
    camera.follow = TitleMenuCamera;
    menu->cameraTarget[0] = header->x;
    menu->cameraTarget[1] = header->y;
    TitleMenuReset(instance);
}

void TitleMenuReset(void* instance)
{
    TitleMenuRecord* menu = (TitleMenuRecord*)instance;
    if (titleMenuAnimSet.loaded)
        SetAnim(&menu->anim, &titleMenuAnimSet, 0, 0, 1);
}

void TitleMenuUpdate(void* instance)
{
    TitleMenuRecord* menu = (TitleMenuRecord*)instance;
    // The names follow the device used last, also while a row waits.
    for (int slot = 0; slot <= 254; ++slot)
        if (ButtonState(PlanePressed, slot))
            menu->padMode = slot > 127 ? 1 : 0;

    // The page the tick started on acts, so a choice that switches page is not read twice.
    if (menu->page == 0)
        UpdateMainPage(menu);
    else if (!UpdateConfigPage(menu))
        return;

    menu->cursorOffset[0] = Approach(menu->cursorOffset[0], menu->cursorTarget[0], cursorStepX);
    menu->cursorOffset[1] = Approach(menu->cursorOffset[1], menu->cursorTarget[1], cursorStepY);
}

void TitleMenuCamera(ObjectHeader* header)
{
    TitleMenuRecord* menu = MenuOf(header);
    if (!menu)
        return;
    Camera& camera = cameras[0];
    const f32 H = (f32)screenHeight;
    const f32 halfW = (f32)(screenWidth / 2), halfH = (f32)(screenHeight / 2);
    ObjectHeader* player = FirstPlayerHeader();

    camera.x += header->vx;
    camera.y += header->vy;
    if (header->state == TitleMenuShowing) {
        if (player)
            player->alive = 0;
        header->vx = (menu->cameraTarget[0] + 1.0f - camera.x) * 0.0625f;
        return;
    }

    if (header->state == TitleMenuFalling) {
        header->vy += fallGravity;
        if (camera.y > H) {
            header->state = TitleMenuSettling;
            lastSpawnedInstance = nullptr;
            SpawnObject(&Card, 0.0f, 0.0f, 0, 0);
        }
        if (player && playerInstances) {
            const PlayerRecord* record = playerInstances[player->index];
            player->x = record->actor.spawnX;
            player->y = record->actor.spawnY;
        }
        if (camera.x < leftmostCamera)
            camera.x = leftmostCamera;
        if (player)
            header->vx = (player->x + 4.0f - (halfW + camera.x)) * 0.125f;
    }

    if (header->state == TitleMenuSettling) {
        const f32 px = player ? player->x : 0.0f, py = player ? player->y : 0.0f;
        header->vx = (px + 4.0f - (halfW + camera.x)) * 0.125f;
        header->vy = (py + 16.0f - (halfH + camera.y)) * 0.125f;
        if (camera.x < leftmostCamera)
            camera.x = leftmostCamera;
        if (player && player->updated)
            player->alive = 0;
        if (header->vy <= 0.1f) {
            if (Player.registered && Player.pool && Player.poolSize && Player.pool[0]->free) {
                lastSpawnedInstance = nullptr;
                SpawnObject(&Player, 0.0f, 0.0f, 0, 0);
                player = FirstPlayerHeader();
            }
            for (int c = 0; c < cameraCount; ++c) {
                cameras[c].followed = nullptr;
                cameras[c].follow = nullptr;
                cameraScrollX[c] = cameraScrollY[c] = 0;
            }
            scrollX = scrollY = 0;
            if (player) {
                camera.followed = player;
                camera.follow = FollowPlayerCamera;
                camera.x = player->x - halfW + 4.0f;
                camera.y = player->y - halfH + 16.0f;
            }
            lastSpawnedInstance = nullptr;
            SpawnObject(&HUD, 0.0f, 0.0f, 0, 0);
            if (player)
                player->alive = 1;
            DespawnObject(header);
            return;
        }
    }

    if (header->vy > fastestFall)
        header->vy = fastestFall;
}

void GetTitleMenuBindingName(const TitleMenuRecord* menu, i32 row, u8 code, i32 x, i32 y)
{
    DrawBindingRowName(row, menu->cursor, menu->rebindRow, menu->padMode, code, (f32)(x + 124), (f32)y, 1);
}

void TitleMenuDraw(void* instance)
{
    TitleMenuRecord* menu = (TitleMenuRecord*)instance;
    ObjectHeader* header = menu->header;
    const i32 halfW = screenWidth / 2, halfH = screenHeight / 2;
    const f32 hx = header->x, hy = header->y;

    // The title picture in its two halves.
    if (titleMenuAnimSet.loaded && titleMenuAnimSet.paletteCount)
        SetCurrentPalette(titleMenuAnimSet.palettes[0]);
    DrawObjectSprite(FrameOf(&titleMenuAnimSet, 0, 0), hx, hy);
    DrawObjectSprite(FrameOf(&titleMenuAnimSet, 0, 1), hx + 211.0f, hy);

    // The main page.
    const f32 itemX = (f32)halfW + hx - 13.0f;
    DrawFontString("Technical Preview", &menuFont, itemX, (f32)halfH, alignCentre, 0, 1);
    static constexpr f32 itemDy[3] = {40.0f, 56.0f, 72.0f};
    for (int i = 0; i < 3; ++i) {
        const f32 x = i == 1 ? (f32)halfW + hx - 11.0f : itemX;
        DrawFontString(mainItems[i], &menuFont, x, (f32)halfH + itemDy[i], alignCentre, menu->cursor == i ? 1 : 0, 1);
    }
    const f32 hintY = (f32)halfH + 109.0f;
    DrawFontString("ESC:Exit}", &menuFont, hx + 13.0f, hintY, alignLeft, 0, 1);
    DrawFontString("F4:Fullscreen }", &menuFont, hx + 121.0f, hintY, alignLeft, 0, 1);
    DrawFontString("F5:2x Window", &menuFont, hx + 288.0f, hintY, alignLeft, 0, 1);

    // The configuration page, always drawn to the right of the main page.
    const i32 P = TruncateToI32(hx + pageTextLeft);
    RestDrawState();
    DrawFontString("Press 'Back' To Return To DaruVoruv", &menuFont, (f32)(P + 172), (f32)(halfH + 88), alignCentre, 0, 1);
    if (menu->cursor >= 0 && menu->cursor < titleMenuRows) {
        const char* const* help = rowHelp[menu->cursor];
        int lines = 0;
        while (lines < 3 && help[lines])
            ++lines;
        // Centred in the band from H/2 - 72 to H/2 - 40.
        const f32 top = (f32)(halfH - 72) + (f32)(3 - lines) * 6.5f;
        for (int i = 0; i < lines; ++i)
            DrawFontString(help[i], &menuFont, (f32)(P + 198), top + 13.0f * (f32)i, alignCentre, 1, 1);
    }
    const PlayerControls& controls = playerControls[0];
    for (int row = 0; row < titleMenuRows; ++row) {
        const i32 x = row < 6 ? P + 14 : P + 214;
        const i32 y = halfH - 13 + 13 * (row % 6);
        DrawFontString(rowLabels[row], &menuFont, (f32)x, (f32)y, alignLeft, row == menu->cursor ? 1 : 0, 1);
        if (row < titleMenuDefaultsRow) {
            const u8 slot = titleMenuRowSlots[row];
            GetTitleMenuBindingName(menu, row, menu->padMode ? controls.padBinding[slot] : controls.keyBinding[slot], x, y);
        }
    }

    // Where the camera and the cursor go.
    if (menu->page == 0) {
        menu->cameraTarget[0] = hx;
        menu->cameraTarget[1] = hy;
        static constexpr i32 itemCursor[3][2] = {{-72, 40}, {-102, 56}, {-68, 72}};
        const int item = menu->cursor >= 0 && menu->cursor < 3 ? menu->cursor : 0;
        menu->cursorTarget[0] = (f32)(halfW + itemCursor[item][0]);
        menu->cursorTarget[1] = (f32)(halfH + itemCursor[item][1]);
    } else {
        menu->cameraTarget[0] = hx + pageWidth;
        menu->cameraTarget[1] = hy;
        const int row = menu->cursor >= 0 && menu->cursor < titleMenuRows ? menu->cursor : 0;
        const f32 rowY = (f32)(halfH - 13 + 13 * (row % 6));
        menu->cursorTarget[0] = (f32)(row < 6 ? P : P + 200) - hx;
        menu->cursorTarget[1] = rowY;
    }

    // The cursor: the whip's first frame, blinking once the intro runs.
    if (header->state > TitleMenuShowing && demoSeed % 4 == 0)
        menu->blink ^= 1;
    const AnimFrame* cursor = FrameOf(&whipAnimSet, 0, 0);
    if (cursor) {
        if (whipAnimSet.paletteCount)
            SetCurrentPalette(whipAnimSet.palettes[0]);
        if (menu->blink) {
            blendMode = 2;
            blendLevel = 128;
        }
        DrawObjectSprite(cursor, hx + menu->cursorOffset[0], hy + menu->cursorOffset[1]);
    }
    RestDrawState();
}
