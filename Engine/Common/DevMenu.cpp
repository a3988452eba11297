#include "Engine/Common/DevMenu.h"

#include "Engine/Platform/Input.h"
#include "Engine/Platform/Shell.h"
#include "Engine/Common/StageSwitch.h"

u8 devMenuOpen;
u8 devMenuVisible;

BitmapFont devFont;
AnimPlayer devFontNumbers;
AnimPlayer devFontCodes;

u16 devMenuPage;
i16 devMenuCursor;
u8 devMenuGroup;
u8 devMenuLastRow;
void (*devMenuEditorToggle)();

namespace {

enum : int { KeyBackspace = 0x0E, KeyEnter = 0x1C, KeyF = 0x21, KeyUp = 0x48, KeyDown = 0x50 };

constexpr u8 paletteText = 1, paletteCursor = 2;

bool Pressed(int slot)
{
    return ButtonState(PlanePressed, slot) != 0;
}

void SetPage(u16 page)
{
    devMenuPage = page;
    devMenuCursor = 0;
}

void DrawRow(const char* text, i32 row, f32 y)
{
    DrawFontString(text, &devFont, 8.0f, y, alignLeft, row == devMenuCursor ? paletteCursor : paletteText, 0);
}

// Names are fixed-size fields: drawn from a terminated copy, so a full field never reads past it.
template <size_t N>
void DrawName(const char (&name)[N], i32 row)
{
    char copy[N + 1];
    for (size_t i = 0; i < N; ++i)
        copy[i] = name[i];
    copy[N] = 0;
    DrawRow(copy, row, 20.0f + 10.0f * (f32)row);
}

void RunMainPage()
{
    static const char* const rows[] = {"Stages",       "Game Configuration", "Debug Configuration",
                                       "Restart Game", "Restart Stage",      "Exit Game"};
    for (i32 row = 0; row < 6; ++row)
        DrawRow(rows[row], row, 20.0f + 20.0f * (f32)row);
    devMenuLastRow = 5;
    if (!Pressed(KeyEnter))
        return;
    switch (devMenuCursor) {
    case 0: SetPage(1); break;
    case 1: SetPage(3); break;
    case 2: SetPage(4); break;
    case 4: {
        Stage* stage = currentStage;
        CloseDevMenu();
        if (stage)
            pendingStage = stage;
        break;
    }
    case 5: gameRunning = 0; break;
    default: break;
    }
}

void RunGroupsPage()
{
    for (i32 g = 0; g < stageGroupCount; ++g)
        if (stageGroups[g])
            DrawName(stageGroups[g]->name, g);
    devMenuLastRow = (u8)(stageGroupCount - 1);
    if (Pressed(KeyEnter) && devMenuCursor >= 0 && devMenuCursor < stageGroupCount) {
        devMenuGroup = (u8)devMenuCursor;
        SetPage(2);
    } else if (Pressed(KeyBackspace)) {
        SetPage(0);
    }
}

void RunStagesPage()
{
    const StageGroup* group = devMenuGroup < stageGroupCount ? stageGroups[devMenuGroup] : nullptr;
    const u16 count = group ? group->stageCount : 0;
    for (i32 s = 0; s < count; ++s)
        if (group->stages[s])
            DrawName(group->stages[s]->name, s);
    // A group without stages wraps this to 255; Enter finds no stage there.
    devMenuLastRow = (u8)(count - 1);
    if (Pressed(KeyBackspace)) {
        SetPage(1);
        devMenuCursor = devMenuGroup;
    } else if (Pressed(KeyEnter) && devMenuCursor >= 0 && devMenuCursor < count && group->stages[devMenuCursor]) {
        buttonStates[PlanePressed * buttonSlotCount + KeyEnter] = 0;
        pendingStage = group->stages[devMenuCursor];
        CloseDevMenu();
    }
}

void RunEmptyPage()
{
    DrawFontString("Nothing here yet :(", &devFont, 8.0f, 20.0f, alignLeft, paletteText, 0);
    // Back to the main page with the cursor on the row that opened this page.
    if (Pressed(KeyBackspace)) {
        const i16 row = devMenuPage == 3 ? 1 : 2;
        SetPage(0);
        devMenuCursor = row;
    }
}

void MoveCursor()
{
    if (ButtonState(PlaneRepeat, KeyUp)) {
        if (--devMenuCursor < 0)
            devMenuCursor = devMenuLastRow;
    }
    if (ButtonState(PlaneRepeat, KeyDown)) {
        if (++devMenuCursor > devMenuLastRow)
            devMenuCursor = 0;
    }
}

} // namespace

void LoadDevFont()
{
    LoadBitmapFont(&devFont, "Data/PVDebug/DevFont.man", 0);
    if (devFont.ready) {
        devFontNumbers.set = devFontCodes.set = &devFont.set;
        StartAnim(&devFontNumbers, 1);
        StartAnim(&devFontCodes, 0);
    }
    devMenuPage = 0;
    devMenuCursor = 0;
}

void FreeDevFont()
{
    FreeBitmapFont(&devFont);
    devFontNumbers = AnimPlayer{};
    devFontCodes = AnimPlayer{};
}

void CloseDevMenu()
{
    devMenuVisible = 0;
    devMenuOpen = 0;
    devMenuPage = 0;
    devMenuCursor = 0;
}

void RunDevMenu()
{
    if (!devMenuVisible)
        return;
    if (devMenuEditorToggle && Pressed(KeyF))
        devMenuEditorToggle();
    DrawFontString("Palvic Engine Dev Menu", &devFont, 8.0f, 2.0f, alignLeft, paletteText, 0);
    DrawFontString("----------------------", &devFont, 6.0f, 10.0f, alignLeft, paletteText, 0);
    switch (devMenuPage) {
    case 0: RunMainPage(); break;
    case 1: RunGroupsPage(); break;
    case 2: RunStagesPage(); break;
    case 3:
    case 4: RunEmptyPage(); break;
    default: break;
    }
    // A menu closed by this tick's choice keeps its cursor at 0 for the next opening.
    if (devMenuVisible)
        MoveCursor();
}
