// The disclaimer, title and credits stages. The disclaimer and the credits switch stage straight
// from their frame handlers once their fade-out is black, then clear the frame the switch left.
#include "Game/Stages/FrontEndStages.h"

#include <cstring>

#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/DevMenu.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/Sound.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Display/Fade.h"
#include "Game/Display/InputConfigMenu.h"
#include "Game/Display/PauseMenu.h"
#include "Game/Display/TitlePicture.h"

TextBlock wipText;
u16 wipTimer;
u32 wipFadeIndex;
u32 titleTicks;
u32 titleMusic;
i16 creditsTimer;
u32 creditsFadeIndex;

namespace {

constexpr u16 wipHeldTimer = 359;   // a held button keeps the count one short of leaving
constexpr u16 wipLastTick = 360;
constexpr f32 wipTextY = 85.0f;
constexpr u8 leavingFadeStep = 3;
constexpr u32 titleMenuTick = 30;   // the 31st frame after the start
constexpr i16 creditsTicks = 180;
const char* const creditsLine = "TEMPORARY CREDITS SCREEN!";

void ClearFrame()
{
    if (frameBuffer && screenWidth > 0 && screenHeight > 0)
        memset(frameBuffer, 0, (size_t)screenWidth * (size_t)screenHeight * sizeof(u32));
}

// The Fade at a pool index, while it is live; a stale index names nothing.
const FadeRecord* LiveFade(u32 index)
{
    if (!Fade.registered || !Fade.pool || !fadeInstances || index >= Fade.poolSize)
        return nullptr;
    const ObjectHeader* header = Fade.pool[index];
    return header->alive && !header->free ? fadeInstances[index] : nullptr;
}

bool FadeBlack(u32 index)
{
    const FadeRecord* fade = LiveFade(index);
    return fade && fade->level >= 255;
}

// The cameras stand at the origin: these stages draw in screen space.
void ResetView()
{
    ResetCameras();
    for (Camera& camera : cameras) {
        camera.followed = nullptr;
        camera.follow = nullptr;
    }
    scrollX = scrollY = 0;
}

} // namespace

// ---- "WIP Disclaimer" -----------------------------------------------------------------------------

void WipStageLoad()
{
    LoadBraktext("Data/Text/English/WIP.btx", &wipText);
    FadeLoad(nullptr);
    wipStage.loaded = 1;
}

void WipStageStart()
{
    ResetView();
    wipTimer = 0;
    wipStage.started = 1;
    controlModes[0] = ControlLive;
}

void WipStageFrame()
{
    ClearFrame();
    const i32 boxWidth = (i32)((f64)screenWidth / 1.2);
    const f64 boxX = (f64)screenWidth * 0.5 - (f64)boxWidth * 0.5;
    if (wipText.loaded)
        DrawText(&wipText, wipText.length, (f32)boxX, wipTextY, boxWidth);
    UpdateObjects();
    if (playerControls[0].heldMask)
        wipTimer = wipHeldTimer;
    if (Fade.registered && Fade.liveCount > 0) {
        if (FadeBlack(wipFadeIndex)) {
            GoToStage(&studioSplashStage);
            ClearFrame();
        }
        return;
    }
    if (++wipTimer > wipLastTick)
        wipFadeIndex = SpawnObject(&Fade, 0.0f, 0.0f, FadeOutHold, leavingFadeStep);
}

void WipStageUnload()
{
    if (wipText.loaded)
        FreeBraktext(&wipText);
    FadeUnload();
    wipStage.started = 0;
    wipStage.loaded = 0;
}

// ---- "Title Screen" -------------------------------------------------------------------------------

void TitleStageLoad()
{
    FadeLoad(nullptr);
    TitleScreenLoad(nullptr);
    PauseMenuLoad(nullptr);
    InputConfigMenuLoad(nullptr); // what the menu's "Controls" opens
    titleMusic = LoadMusic("Data/Music/Title.ogg", 0, 0);
    titleStage.loaded = 1;
}

void TitleStageStart()
{
    titleTicks = 0;
    // Spawn byte B 0xF4 is -12 as a signed byte: where the logo comes to rest.
    SpawnObject(&TitleScreen, 0.0f, -140.0f, 0, 0xF4);
    lastSpawnedInstance = nullptr;
    SpawnObject(&Fade, 0.0f, 0.0f, FadeIn, 8);
    if (FadeRecord* fade = (FadeRecord*)lastSpawnedInstance)
        fade->level = 255;
    ResetView();
    PlayMusic(titleMusic);
    titleStage.started = 1;
}

void TitleStageFrame()
{
    const u32 t = titleTicks++;
    if (t == titleMenuTick)
        SpawnObject(&PauseMenu, -106.0f, 0.0f, PauseMenuTitleMode, 0);
    UpdateObjects();
}

void TitleStageUnload()
{
    FadeUnload();
    TitleScreenUnload();
    PauseMenuUnload();
    InputConfigMenuUnload();
    FreeMusic(titleMusic);
    titleStage.started = 0;
    titleStage.loaded = 0;
}

// ---- "Credits" ------------------------------------------------------------------------------------

void CreditsStageLoad()
{
    FadeLoad(nullptr);
    creditsStage.loaded = 1;
}

void CreditsStageStart()
{
    creditsTimer = creditsTicks;
    SpawnObject(&Fade, 212.0f, 120.0f, FadeIn, 4);
    creditsStage.started = 1;
}

void CreditsStageFrame()
{
    DrawFontString(creditsLine, &devFont, 212.0f, 8.0f, alignCentre, 0, 0);
    DrawFontString(creditsLine, &devFont, 212.0f, (f32)(screenHeight - 16), alignCentre, 0, 0);
    UpdateObjects();
    if (--creditsTimer == 0)
        creditsFadeIndex = SpawnObject(&Fade, 0.0f, 0.0f, FadeOutHold, leavingFadeStep);
    if (Fade.registered && FadeBlack(creditsFadeIndex)) {
        GoToStage(&studioSplashStage);
        ClearFrame();
    }
}

void CreditsStageUnload()
{
    FadeUnload();
    creditsStage.started = 0;
    creditsStage.loaded = 0;
}
