// The presentation stages without a layout: "WIP Disclaimer" (a text on black that fades out to the
// studio splash), "Title Screen" (the title picture and, half a second in, the title main menu) and
// "Credits" (a placeholder line that fades out to the studio splash).
#pragma once
#include "Engine/Common/Braktext.h"
#include "Engine/Common/Types.h"

void WipStageFrame();
void WipStageStart();
void WipStageLoad();
void WipStageUnload();

void TitleStageFrame();
void TitleStageStart();
void TitleStageLoad();
void TitleStageUnload();

void CreditsStageFrame();
void CreditsStageStart();
void CreditsStageLoad();
void CreditsStageUnload();

// Kept across visits.
extern TextBlock wipText;
extern u16 wipTimer;       // ticks of the disclaimer; held at 360 while a button is down
extern u32 wipFadeIndex;   // the disclaimer's leaving Fade
extern u32 titleTicks;     // ticks since the title stage started
extern u32 titleMusic;
extern i16 creditsTimer;   // counts down to the credits' fade-out
extern u32 creditsFadeIndex;
