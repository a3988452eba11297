// The two splash stages between the disclaimer and the title. "Orlenvast Splash" builds the studio
// logo up out of static, slides the static off and leaves through a Fade to the engine splash;
// "Palvic Splash" rolls the engine's emblem in face by face, spreads its pieces, turns it into its
// final picture and leaves through a Fade to "Title Screen". Both draw straight into the frame and
// use the object system only for the closing Fade.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/Types.h"
#include "Engine/Render/SpriteImage.h"

// The logo buffer the revealed logo is drawn from. A logo frame wider or taller than this is cut to
// what fits; the rows under the tallest logo hold the noise that runs past its bottom.
constexpr u16 logoBufferWidth = 146;
constexpr u16 logoBufferHeight = 145;
constexpr u16 logoMaxHeight = 142;
constexpr u16 noiseWidth = 147, noiseHeight = 141;

struct StudioSplashState {
    AnimSet set;
    u8 phase;           // 0 reveal, 1 noise slides off, 2 overlays fade, 3 wait, 4 fade out
    u16 revealRow;      // tick counter of phases 0 and 1
    f32 noiseThreshold; // noise cells drawn when rand() / 128 falls below it
    f32 overlayLevel;
    u16 waitTicks;
    u32 fadeIndex;
    SpriteImage logoCopy;    // the logo frame's picture over the logo buffer
    const u8* logoPixels;    // the logo frame's own pixels, the source of every copy
    u16 logoSourceWidth;     // the frame's row stride
    SpriteImage noisePicture;
};

struct EngineSplashState {
    AnimSet set;
    u8 phase; // 0 roll, 1 pieces spread, 2 crossfade, 3 wait, 4 fade out, 5 leave
    f32 x, y; // the emblem's anchor: bottom edge while rolling, its centre afterwards
    f32 angle;
    f32 spin;
    f32 spreadY, spreadX;
    f32 crossfade;
    f32 targetX;
    i16 waitTicks;
    u32 fadeIndex;
};

extern StudioSplashState studioSplash;
extern EngineSplashState engineSplash;
extern u8 logoBuffer[logoBufferWidth * logoBufferHeight];
extern u8 noiseBuffer[noiseWidth * noiseHeight];

void StudioSplashStageLoad();
void StudioSplashStageStart();
void StudioSplashStageFrame();
void StudioSplashStageUnload();
void DrawSplashNoise();

void EngineSplashStageLoad();
void EngineSplashStageStart();
void EngineSplashStageFrame();
void EngineSplashStageUnload();
