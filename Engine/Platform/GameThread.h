// The game thread: set-up, the loop with its fixed 60 Hz tick, and one tick.
#pragma once
#include "Engine/Common/Types.h"

extern u8 pendingTicks;
extern u8 windowScaleRequest, windowScale, windowedScale;
extern u8 fullscreenRequest, fullscreen;
extern u8 escapeQuitPending;
extern u8 runWhenInactive;

extern u8 musicMuted, sfxMuted;
extern i16 musicVolume;       // 64 = full
extern f32 musicVolumeTarget; // 1.0 = full
extern f32 musicFadeStep;     // 0: no fade

extern u32 tickCount;
extern u32 demoSeed;
extern u32 frameCounter;

struct PlayerProgress {
    u8 lives;
    u32 score;
    u8 checkpoint; // 255: none
    f32 checkpointX, checkpointY;
};
extern PlayerProgress playerProgress[4];

// The thread procedure: GameSetup, then GamePass while gameRunning is set.
int GameThread(void* argument);

// Set-up before the loop: bindings and configuration, the fonts, the stage registry, the player
// progress records, the first stage.
void GameSetup();

// One pass of the loop: window scale and full-screen switches, the tick clock, at most one tick,
// the quit request.
void GamePass();

// One tick: input, the hotkeys, the stage switch and frame, the music fade, presentation.
void RunTick();

// Moves musicVolume one step toward musicVolumeTarget while a fade runs; the last step lands on
// the target exactly and ends the fade.
void StepMusicFade();
