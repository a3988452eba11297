// The title menu of a stage's world: "Start Demo", "Configure Input" and "Exit Game", with a second
// page to its right for rebinding player 1's controls. It owns camera 0 while it is shown; "Start
// Demo" lets the view fall away, shows the title card, settles the camera on the player and hands
// the game over to the player, the HUD and the player camera.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/ObjectType.h"

// Intro phases, kept in the header's state byte.
enum : u8 {
    TitleMenuShowing = 0,
    TitleMenuFalling = 1,
    TitleMenuSettling = 2,
};

struct TitleMenuRecord {
    ObjectHeader* header; // x, y: the title; vx, vy: camera 0's velocity; state: the intro phase
    AnimPlayer anim;
    i8 cursor;            // item (page 0: 0-2) or row (page 1: 0-11)
    i8 page;              // 0 main page, 1 configuration page
    f32 cursorOffset[2];  // the cursor sprite, relative to the header, gliding to cursorTarget
    f32 cursorTarget[2];
    f32 cameraTarget[2];  // where camera 0 eases to while the menu shows
    u8 blink;
    i16 rebindRow;        // row waiting for a new code, -1 none
    u8 padMode;           // 1 pad names and codes, 0 keyboard
};

constexpr int titleMenuRows = 12;
constexpr i8 titleMenuDefaultsRow = 11;

extern ObjectType TitleMenu;
extern TitleMenuRecord** titleMenuInstances;
extern AnimSet titleMenuAnimSet;
extern u32 configFadeIndex;

// The binding slot each configuration row edits (rows 0-10).
extern const u8 titleMenuRowSlots[titleMenuRows - 1];

void TitleMenuLoad(const char* placementPath);
void TitleMenuUnload();
void TitleMenuInit(void* instance);
void TitleMenuReset(void* instance);
void TitleMenuUpdate(void* instance);
void TitleMenuDraw(void* instance);
void TitleMenuCamera(ObjectHeader* header);

// Draws the name of a binding code beside a configuration row, in the world.
void GetTitleMenuBindingName(const TitleMenuRecord* menu, i32 row, u8 code, i32 x, i32 y);
