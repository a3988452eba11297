// The Fade: a full-screen black overlay whose opacity moves by a fixed step each tick. It fades a
// stage in, fades it out, dims to a level, or fades out and then restarts the stage, goes to another
// stage or ends the program.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/ObjectType.h"

struct Stage;

// Modes (spawn byte A).
enum : u8 {
    FadeIn = 0,
    FadeOutHold = 1,
    FadeToLevel = 2,
    FadeOutRestart = 3,
    FadeOutToStage = 4,
    FadeOutQuit = 5,
};

struct FadeRecord {
    ObjectHeader* header;
    AnimPlayer anim;
    i16 level; // 0 clear to 255 black
    i16 step;
    i16 targetLevel; // mode 2
    u8 dimDown;      // mode 2: 1 moves down to targetLevel
    Stage* targetStage; // mode 4
};

extern ObjectType Fade;
extern FadeRecord** fadeInstances;

void FadeLoad(const char* placementPath);
void FadeUnload();
void FadeInit(void* instance);
void FadeReset(void* instance);
void FadeUpdate(void* instance);
void FadeDraw(void* instance);
