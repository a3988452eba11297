// The title stage's picture: a background in two halves, a fixed emblem, and the game's logo in two
// halves that eases down from above the screen and follows the title main menu sideways.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/ObjectType.h"

struct TitleScreenRecord {
    ObjectHeader* header;       // the logo's position and speed
    AnimPlayer logoPlayer;      // animation 0: the logo's halves
    AnimPlayer backgroundPlayer; // animation 1: the background's halves
    f32 targetY;                // where the logo comes to rest: spawn byte B as a signed byte
};

extern ObjectType TitleScreen;
extern TitleScreenRecord** titleScreenInstances;
extern AnimSet titleScreenAnimSet;

void TitleScreenLoad(const char* placementPath);
void TitleScreenUnload();
void TitleScreenInit(void* instance);
void TitleScreenReset(void* instance);
void TitleScreenUpdate(void* instance);
void TitleScreenDraw(void* instance);
