// The HUD: one player's status over the stage in screen space. A label that slides in, the score
// counting up to its true value, the bone bar filled with the bones carried, up to four hearts for
// the health, and the lives banner that slides in at the start (and again on a new life).
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/ObjectType.h"

struct HUDHeart {
    f32 offsetY; // bounce offset
    u32 state;   // HeartEmpty ... HeartLost
    f32 bounce;  // amplitude
    f32 scale;
    u8 blink;     // frame of the heart animation: 0 empty, 1 at rest, 2-8 a blink
    u8 blinkWait; // ticks to the next blink
};

enum : u32 {
    HeartEmpty = 0,
    HeartPopping = 1,
    HeartShown = 2,
    HeartLost = 3,
};

struct HUDLabelGlyph {
    f32 x, y, vx, vy; // screen position of one glyph of the label
};

struct HUDRecord {
    ObjectHeader* header; // position: the anchor on the screen; flash fades it in; scaleY pulses the bar
    AnimPlayer anim;
    i32 barX, barY; // the bone bar's origin; barX eases in from the left
    u8 introDone;
    HUDHeart hearts[5];
    HUDLabelGlyph labelGlyphs[5];
    u32 shownScore;
    i16 bannerTimer; // ticks the lives banner stays in
    f32 bannerX;
    u8 shownLives;
};

// Animations of "HUD.man".
enum : u16 {
    HudBarAnim = 0,    // 0 left cap, 1 middle piece, 2 right cap
    HudHeartAnim = 1,  // by blink step
    HudBoneAnim = 2,   // one bone unit
    HudDigitAnim = 3,  // the digits, frames 0-9
    HudLabelAnim = 4,  // the five label glyphs
    HudBannerAnim = 6, // the lives banner
};

constexpr i16 hudBannerTicks = 180;

extern ObjectType HUD;
extern HUDRecord** hudInstances;
extern AnimSet hudAnimSet;

void HUDLoad(const char* placementPath);
void HUDUnload();
void HUDInit(void* instance);
void HUDReset(void* instance);
void HUDUpdate(void* instance);
void HUDDraw(void* instance);

// A life was gained: the HUD of that player brings its lives banner in again. Nothing happens
// without a live HUD instance of that index.
void HUDLifeFlash(u32 playerIndex);

// The live HUD instance of an index, or null.
HUDRecord* HUDInstance(u32 index);
