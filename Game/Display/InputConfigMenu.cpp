// The input-configuration menu. It runs while paused, reads the raw input table for the device
// and for new codes, and player 1's pressed mask for its moves; bits it has used are cleared in
// place so nothing later in the tick takes them again.
#include "Game/Display/InputConfigMenu.h"

#include <cstdio>

#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Placement.h"
#include "Engine/Platform/Config.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/Input.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Display/KeyNames.h"
#include "Game/Display/PauseMenu.h"
#include "Game/Display/Rebinding.h"
#include "Game/Player/Player.h"

ObjectType InputConfigMenu;
InputConfigMenuRecord** inputConfigMenuInstances;

namespace {

constexpr u32 menuGrowth = 32;
constexpr u8 menuUpdatePass = 6;
constexpr u8 menuDrawLayer = 15;

constexpr int keyBackspace = 14;
constexpr int padButtonB = 139;
constexpr int lastDeviceSlot = 254;

constexpr u32 ButtonSelect = 0x200;
constexpr u32 ButtonSwipe = 0x20; // taken with Jump once a code is bound

// Binding slots of the binding rows; rows 7 and 8 exist only with the line adjustment split.
constexpr int rowSlots[9] = {BindUp, BindDown, BindLeft, BindRight, BindJump, BindAttack, BindGrapple,
                             BindLineIn, BindLineOut};
i32 Split()
{
    return lineAdjustmentSplit ? 1 : 0;
}

u32& MenuPressed()
{
    return playerControls[0].pressedMask;
}

bool Pressed(int slot)
{
    return ButtonState(PlanePressed, slot) != 0;
}

u8* BindingsOf(const InputConfigMenuRecord* menu)
{
    return menu->padMode ? playerControls[0].padBinding : playerControls[0].keyBinding;
}

PauseMenuRecord* OpeningMenu(const InputConfigMenuRecord* menu)
{
    if (!PauseMenu.registered || !PauseMenu.pool || !pauseMenuInstances || menu->pauseMenuIndex >= PauseMenu.poolSize)
        return nullptr;
    const ObjectHeader* header = PauseMenu.pool[menu->pauseMenuIndex];
    return header->alive && !header->free ? pauseMenuInstances[menu->pauseMenuIndex] : nullptr;
}

void Rebind(InputConfigMenuRecord* menu, u8 code)
{
    MenuPressed() &= ~(ButtonJump | ButtonSwipe);
    SwapBinding(BindingsOf(menu), InputConfigRowSlot(menu->rebindRow), code);
    menu->rebindRow = -1;
}

void Leave(InputConfigMenuRecord* menu)
{
    const i32 W = screenWidth;
    menu->closing = 1;
    menu->targetX = (f32)(2 * W);
    if (PauseMenuRecord* opener = OpeningMenu(menu)) {
        for (PauseMenuLine& target : opener->lineTarget)
            target.x += (f32)W;
        opener->inControls = 0;
    }
    // Written now as well as when the slide ends: a game closed during the slide keeps the bindings.
    SaveConfig();
}

void HandOverAndSave()
{
    if (PlayerRecord* player = FirstPlayer()) {
        player->grappleStyle = grappleStyle;
        player->lineAdjustmentSplit = lineAdjustmentSplit;
        player->lineInOutReversed = lineInOutReversed;
        player->lineInOutDelay = lineInOutDelay;
        player->tappleDelay = tappleDelay;
        player->advancedSettings = advancedSettings;
    }
    SaveConfig();
}

u8 Toggle(u8 flag)
{
    return flag ? 0 : 1;
}

void StepDelay(u8* delay, u32 pressed)
{
    if ((pressed & ButtonLeft) && *delay > 0)
        --*delay;
    if ((pressed & ButtonRight) && *delay < maxOptionDelay)
        ++*delay;
}

// Left or Right on the row under the cursor. False when the tick ends here.
bool SideStep(InputConfigMenuRecord* menu, u32 pressed)
{
    const i32 S = Split();
    const i32 row = menu->cursor;
    if (row == 8 + S) {
        advancedSettings = Toggle(advancedSettings);
        if (!advancedSettings) {
            // Without the advanced rows the line adjustment is joined again, on the same row.
            if (S == 1) {
                lineAdjustmentSplit = 0;
                menu->cursor = 8;
            }
            grappleStyle = 1;
            return false;
        }
    } else if (row == 9 + S) {
        grappleStyle = Toggle(grappleStyle);
    } else if (row == 10 + S) {
        lineAdjustmentSplit = Toggle(lineAdjustmentSplit);
        menu->cursor += lineAdjustmentSplit ? 1 : -1;
    } else if (row == 11 + S) {
        StepDelay(&tappleDelay, pressed);
    } else if (row == 12 + S) {
        StepDelay(&lineInOutDelay, pressed);
    }

    if (S == 0 && menu->cursor == 7) {
        lineInOutReversed = Toggle(lineInOutReversed);
        MenuPressed() &= ~(ButtonLeft | ButtonRight);
    } else if (S == 1 && menu->cursor == 8) {
        menu->cursor = 3; // Line Out sits below the left column's last row
        MenuPressed() &= ~(ButtonLeft | ButtonRight);
    }
    return true;
}

void Navigate(InputConfigMenuRecord* menu)
{
    const u32 pressed = MenuPressed();
    if ((pressed & ButtonStart) && menu->cursor < InputConfigBindingRows())
        menu->rebindRow = menu->cursor; // waits for a code from the next tick on
    else if (!(pressed & ButtonStart) && (pressed & ButtonSelect))
        SetDefaultBindings();

    if (pressed & ButtonUp)
        --menu->cursor;
    if (pressed & ButtonDown)
        ++menu->cursor;

    if ((pressed & (ButtonLeft | ButtonRight)) && !SideStep(menu, pressed))
        return;

    // The binding grid is two columns of four rows; Left and Right cross between them.
    if (menu->cursor < (advancedSettings ? 8 : 7)) {
        if (MenuPressed() & ButtonRight) {
            menu->cursor += 4;
            if (menu->cursor >= 8)
                menu->cursor -= 8;
            MenuPressed() &= ~(u32)ButtonRight;
        }
        if (MenuPressed() & ButtonLeft) {
            menu->cursor -= 4;
            if (menu->cursor < 0)
                menu->cursor += 8;
            MenuPressed() &= ~(u32)ButtonLeft;
        }
    }

    const i32 S = Split();
    if (pressed & ButtonDown) {
        if (menu->cursor == 4)
            menu->cursor = (i16)(8 + S); // down from the left column's foot
        else if (menu->cursor == 9 + S && !advancedSettings)
            menu->cursor = 0;
    }
    if (pressed & ButtonUp) {
        if (menu->cursor < 0)
            menu->cursor = (i16)InputConfigLastRow();
        else if (menu->cursor == 7 + S)
            menu->cursor = 3; // up from the settings lands on the left column's foot
        else if (menu->cursor == 3)
            menu->cursor = (i16)(8 + S);
    }
    if (menu->cursor < 0)
        menu->cursor = (i16)InputConfigLastRow();
    else if (menu->cursor > InputConfigLastRow())
        menu->cursor = 0;
}

void DrawLabel(const char* text, f32 x, f32 y, bool selected)
{
    DrawFontString(text, &menuFont, x, y, alignLeft, selected ? 1 : 0, 0);
}

struct HelpLines {
    const char* first;
    const char* second;
};

HelpLines HelpFor(i32 row, i32 S)
{
    static const HelpLines bindingHelp[7] = {
        {"Aim Up. Double-Tap to", "Pan the Camera."},   {"Aim Down. Double-Tap to", "Pan the Camera."},
        {"Move and Aim Left.", " "},                    {"Move and Aim Right.", " "},
        {"Jump! You can jump when", "Swinging too!"},   {"Swipe at your foes!", "Or, Zip when Grappling!"},
        {"Fire your Grapple!", " "},
    };
    static const HelpLines optionHelp[5] = {
        {"Toggles The Advanced Input Options.", " "},
        {"Determines how using the grapple.", "controls. 'Tap Zips' is reccomended."},
        {"Joined keeps Retract/Extend on Up/Down,", "Split allows you to map those elsewhere."},
        {"Tap-Zip's Leniency.", " "},
        {"Delay before Retracting/Extending will happen.", " "},
    };
    if (row >= 0 && row < 7)
        return bindingHelp[row];
    if (row == 7 && S == 0)
        return {"Extend or Retract the", "Grapple when Hanging."};
    if (row == 7)
        return {"Extend the Grapple when Hanging.", " "};
    if (row == 8 && S == 1)
        return {"Retract the Grapple when Hanging.", " "};
    if (row >= 8 + S && row <= 12 + S)
        return optionHelp[row - 8 - S];
    return {nullptr, nullptr};
}

} // namespace

i32 InputConfigBindingRows()
{
    return 7 + 2 * Split();
}

i32 InputConfigLastRow()
{
    return (advancedSettings ? 12 : 8) + Split();
}

int InputConfigRowSlot(i32 row)
{
    return row >= 0 && row < 9 ? rowSlots[row] : BindUp;
}

void InputConfigMenuLoad(const char* placementPath)
{
    InputConfigMenu.growthStep = menuGrowth;
    InputConfigMenu.updatePass = menuUpdatePass;
    InputConfigMenu.drawLayer = menuDrawLayer;
    InputConfigMenu.runsWhilePaused = 1;
    InputConfigMenu.cullMarginX = -1;
    InputConfigMenu.cullMarginY = -1;
    RegisterObjectType(placementPath, &InputConfigMenu, (void***)&inputConfigMenuInstances,
                       sizeof(InputConfigMenuRecord), InputConfigMenuUpdate, ObjectNoOp, InputConfigMenuDraw,
                       ObjectNoOp, ObjectNoOp, ObjectNoOp, InputConfigMenuInit, nullptr, InputConfigMenuLoad,
                       InputConfigMenuUnload);
    if (placementPath)
        LoadObjectPlacements(&InputConfigMenu, placementPath);
}

void InputConfigMenuUnload()
{
    FreeObjectType(&InputConfigMenu);
}

void InputConfigMenuInit(void* instance)
{
    InputConfigMenuRecord* menu = (InputConfigMenuRecord*)instance;
    menu->targetX = (f32)(screenWidth >> 1);
    menu->targetY = (f32)(screenHeight >> 1);
    menu->header->y = (f32)(screenHeight >> 1); // x stays where it was spawned: it enters from the right
    menu->cursor = 0;
    menu->padMode = 0;
    menu->rebindRow = -1;
    menu->closing = 0;
    menu->pauseMenuIndex = 0xFFFFFFFFu; // until the opening menu says
}

void InputConfigMenuUpdate(void* instance)
{
    InputConfigMenuRecord* menu = (InputConfigMenuRecord*)instance;
    ObjectHeader* header = menu->header;
    const i32 W = screenWidth;

    // The device used last decides which bindings are shown.
    if (menu->rebindRow < 0)
        for (int slot = 0; slot <= lastDeviceSlot; ++slot)
            if (Pressed(slot))
                menu->padMode = slot > 127 ? 1 : 0;

    const f32 d = menu->closing ? 12.0f : 4.0f;
    header->x += (menu->targetX - header->x) / d;
    header->y += (menu->targetY - header->y) / d;

    if (menu->closing) {
        if (header->x > (f32)((W >> 1) + W)) {
            DespawnObject(header);
            HandOverAndSave();
        }
        return;
    }

    // Backspace leaves (and so can never be bound); pad B leaves unless it is being bound.
    if (Pressed(keyBackspace) || (Pressed(padButtonB) && menu->rebindRow < 0)) {
        Leave(menu);
        return;
    }

    if (menu->rebindRow >= 0) {
        const int code = PressedBindingCode(menu->padMode);
        if (code >= 0)
            Rebind(menu, (u8)code);
        return;
    }
    Navigate(menu);
}

void InputConfigMenuDraw(void* instance)
{
    const InputConfigMenuRecord* menu = (const InputConfigMenuRecord*)instance;
    const ObjectHeader* header = menu->header;
    const i32 S = Split();
    const i32 cursor = menu->cursor;
    const f32 dy = header->y - (f32)(screenHeight >> 1);
    const i32 L = (i32)(header->x - (f32)(screenWidth >> 1) + 13.0f);
    const i32 R = (screenWidth >> 1) - 13 + L;
    const f32 left = (f32)L, right = (f32)R;

    const HelpLines help = HelpFor(cursor, S);
    DrawFontString(help.first, &menuFont, header->x, dy + 28.25f, alignCentre, 0, 0);
    DrawFontString(help.second, &menuFont, header->x, dy + 41.25f, alignCentre, 0, 0);

    // The binding labels, each followed by its leader dots.
    static const char* const leftLabels[4] = {"Up   ", "Down ", "Left ", "Right"};
    static const f32 leftY[4] = {64.0f, 83.5f, 103.0f, 122.5f};
    for (int r = 0; r < 4; ++r) {
        DrawLabel(leftLabels[r], left, dy + leftY[r], cursor == r);
        DrawLabel("          ...", left, dy + leftY[r], cursor == r);
    }
    struct RightLabel {
        i32 row;
        const char* text;
        f32 y;
    };
    const RightLabel joined[3] = {{4, "Jump      ", 64.0f}, {5, "Attack/Zip", 83.5f}, {6, "Grapple   ", 103.0f}};
    const RightLabel split[5] = {{4, "Jump      ", 64.0f}, {5, "Attack/Zip", 78.95f}, {6, "Grapple   ", 93.9f},
                                 {7, "Line In  ", 108.85f}, {8, "Line Out ", 122.5f}};
    const RightLabel* labels = S ? split : joined;
    for (int i = 0; i < (S ? 5 : 3); ++i) {
        DrawLabel(labels[i].text, right, dy + labels[i].y, cursor == labels[i].row);
        DrawLabel("           ...", right, dy + labels[i].y, cursor == labels[i].row);
    }
    if (!S)
        DrawLabel(lineInOutReversed ? "Line In/Out <Down/Up>" : "Line In/Out <Up/Down>", right, dy + 122.5f,
                  cursor == 7);

    // The options.
    DrawLabel(advancedSettings ? "Advanced Settings <On>" : "Advanced Settings <Off>", left, dy + 148.5f,
              cursor == 8 + S);
    if (advancedSettings) {
        DrawLabel(grappleStyle ? "Graple Style      <Tap Zips, Hold Grapples>"
                               : "Graple Style      <Hold Zips, Tap Grapples>",
                  left, dy + 161.5f, cursor == 9 + S);
        DrawLabel(lineAdjustmentSplit ? "Line Adjustment   <Split>" : "Line Adjustment   <Joined>", left,
                  dy + 174.5f, cursor == 10 + S);
        char text[48];
        snprintf(text, sizeof(text), "Tapple Delay      <%d>", tappleDelay);
        DrawLabel(text, left, dy + 187.5f, cursor == 11 + S);
        snprintf(text, sizeof(text), "Line In/Out Delay <%d>", lineInOutDelay);
        DrawLabel(text, left, dy + 200.5f, cursor == 12 + S);
    }

    DrawFontString(menu->padMode ? "Start: Choose | Btn. B: Return | Select: Reset "
                                 : "Enter: Choose | Backspace: Return | Tab: Reset ",
                   &menuFont, header->x + 2.0f, dy + 226.5f, alignCentre, 1, 0);

    const u8* bindings = menu->padMode ? playerControls[0].padBinding : playerControls[0].keyBinding;
    for (i32 r = 0; r < InputConfigBindingRows(); ++r) {
        const f32 k = r < 4 ? 1.5f * (f32)r : (f32)(r - 4) * (S ? 1.15f : 1.5f);
        const i32 x = r < 4 ? L : R + 9;
        const i32 y = (i32)(13.0f * (k + 4.0f) + 12.0f + dy);
        GetBindingName(menu, r, bindings[InputConfigRowSlot(r)], x, y);
    }
}
