// The pause menu of the gameplay stages ("Resume", "Controls", "Restart", "Title"), and with spawn
// byte A = 1 the title screen's main menu. It owns pauseMenuOpen while it is on screen, glides its
// lines in and out, dims the play through a Fade, and leaves the stage through further Fades.
// After closing it stays alive, hidden, and opens again on the next Start.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/ObjectType.h"

struct PauseMenuLine {
    f32 x, y;
};

struct PauseMenuRecord {
    ObjectHeader* header; // spawn byte A: the mode; its flips flip the cursor sprite
    AnimPlayer anim;      // the cursor of the title menu
    PauseMenuLine linePos[5]; // 0 the heading, 1-4 the items
    PauseMenuLine lineTarget[5];
    i8 cursor;       // 0 = the first item
    u32 watchedFade; // pool index of the Fade this menu waits on
    u8 closing;      // from "Resume" until the heading is off the screen
    u8 inControls;   // while the input-configuration menu is over this one; that menu clears it
    u32 controlsMenuIndex;
    u8 leaving;      // a leaving fade runs: input is ignored
};

enum : u8 {
    PauseMenuPauseMode = 0,
    PauseMenuTitleMode = 1,
};

extern ObjectType PauseMenu;
extern PauseMenuRecord** pauseMenuInstances;
extern AnimSet pauseMenuAnimSet;

void PauseMenuLoad(const char* placementPath);
void PauseMenuUnload();
void PauseMenuInit(void* instance);
void PauseMenuReset(void* instance);
void PauseMenuUpdate(void* instance);
void PauseMenuDraw(void* instance);

// The test that the pause menu and the Graveyard share before they pause: player 1 alive and
// followed by camera 0, Start in its controls' pressed mask, not paused yet, not defeated.
bool PauseRequested();
