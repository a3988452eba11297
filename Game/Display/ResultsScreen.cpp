// The results card. Init starts it one screen height down, rising at 8 px a tick, with its Fade
// rising to half darkness. Each Draw moves it: it brakes by 0.15 a tick while below its resting
// line, never slower than 0.2 px a tick upward, and once 40 px above the line it speeds away while
// the Fade clears; when the Fade is clear, both go.
#include "Game/Display/ResultsScreen.h"

#include "Engine/Collision/AngleTables.h"
#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Placement.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Display/Fade.h"
#include "Game/Player/Player.h"

ObjectType ResultsScreen;
ResultsScreenRecord** resultsScreenInstances;

namespace {

constexpr u32 resultsGrowth = 32;
constexpr u8 resultsUpdatePass = 6;
constexpr u8 resultsDrawLayer = 15;
constexpr u32 noFade = 0xFFFFFFFFu;

// The card's Fade while it is live and still the one the card spawned.
FadeRecord* CardFade(const ResultsScreenRecord* card)
{
    if (card->fadeIndex == noFade || !Fade.registered || !Fade.pool || !fadeInstances || card->fadeIndex >= Fade.poolSize)
        return nullptr;
    const ObjectHeader* header = Fade.pool[card->fadeIndex];
    return header->alive && !header->free ? fadeInstances[card->fadeIndex] : nullptr;
}

// A text drawn plainly, then again over itself as a glow that pulses once every 128 ticks.
void DrawGlowingText(const char* text, f32 x, f32 y)
{
    RestDrawState();
    DrawFontString(text, &menuFont, x, y, alignCentre, 0, 0);

    drawFlags = drawFlagRotateScale;
    spriteScaleX = spriteScaleY = 512;
    spriteAngle = 0;
    blendMode = 2;
    blendLevel = (u32)((127 + cosTable[(2 * demoSeed - 64) & 255] / 4) & 255);
    DrawFontString(text, &menuFont, x, y, alignCentre, 1, 0);
}

} // namespace

const char* ResultsHeading(u8 kind)
{
    switch (kind) {
    case ResultsAllBones:
        return "All Bones Collected!";
    case ResultsAllEnemies:
        return "All Enemies Vanquished!";
    case ResultsDied:
        return "You Died!";
    default:
        return nullptr;
    }
}

void ResultsScreenLoad(const char* placementPath)
{
    ResultsScreen.growthStep = resultsGrowth;
    ResultsScreen.updatePass = resultsUpdatePass;
    ResultsScreen.drawLayer = resultsDrawLayer;
    ResultsScreen.runsWhilePaused = 0;
    ResultsScreen.cullMarginX = -1;
    ResultsScreen.cullMarginY = -1;
    RegisterObjectType(placementPath, &ResultsScreen, (void***)&resultsScreenInstances, sizeof(ResultsScreenRecord),
                       ObjectNoOp, ObjectNoOp, ResultsScreenDraw, ObjectNoOp, ObjectNoOp, ObjectNoOp,
                       ResultsScreenInit, nullptr, ResultsScreenLoad, ResultsScreenUnload);
    if (placementPath)
        LoadObjectPlacements(&ResultsScreen, placementPath);
}

void ResultsScreenUnload()
{
    FreeObjectType(&ResultsScreen);
}

void ResultsScreenInit(void* instance)
{
    ResultsScreenRecord* card = (ResultsScreenRecord*)instance;
    card->header->y = (f32)screenHeight;
    card->header->vy = -8.0f;

    card->fadeIndex = noFade;
    lastSpawnedInstance = nullptr;
    const u32 index = SpawnObject(&Fade, 0.0f, 0.0f, FadeToLevel, 4);
    if (FadeRecord* fade = (FadeRecord*)lastSpawnedInstance) {
        card->fadeIndex = index;
        // Under the card, over the play.
        fade->targetLevel = 128;
        fade->header->drawLayer = 14;
    }
}

void ResultsScreenDraw(void* instance)
{
    ResultsScreenRecord* card = (ResultsScreenRecord*)instance;
    ObjectHeader* header = card->header;
    const i32 X = TruncateToI32((f32)(screenWidth / 2 - 13) + header->x);
    const i32 Y = TruncateToI32((f32)(screenHeight / 2) + header->y);

    header->y += header->vy;
    if (header->y > 0.0f) {
        header->vy += 0.15f;
    } else if (header->y < -40.0f) {
        header->vy -= 0.3f;
        FadeRecord* fade = CardFade(card);
        if (fade) {
            fade->targetLevel = 0;
            fade->dimDown = 1;
        }
        // A card that lost its Fade goes at once rather than flying on for ever.
        if (!fade || fade->level <= 0) {
            if (fade)
                DespawnObject(fade->header);
            DespawnObject(header);
        }
    }
    if (header->vy > -0.2f)
        header->vy = -0.2f;

    const f32 x = (f32)X, y = (f32)Y;
    if (const char* heading = ResultsHeading(header->spawnA))
        DrawGlowingText(heading, x, y - 32.0f);

    const PlayerRecord* player = FirstPlayer();
    const i32 damage = player ? (i32)player->damageCount : 0;
    FormatDebugText("Collected %d out of %d Bones", card->bonesCollected, card->bonesTotal);
    DrawGlowingText(debugText, x - 13.0f, y);
    FormatDebugText("Vanquished %d out of %d Enemies", card->enemiesVanquished, card->enemiesTotal);
    DrawGlowingText(debugText, x - 13.0f, y + 26.0f);
    FormatDebugText("Took Damage %d Times", damage);
    DrawGlowingText(debugText, x - 13.0f, y + 52.0f);
    if (card->seconds < 10)
        FormatDebugText("Total Time: %d:0%d", card->minutes, card->seconds);
    else
        FormatDebugText("Total Time: %d:%d", card->minutes, card->seconds);
    DrawGlowingText(debugText, x - 13.0f, y + 78.0f);

    RestDrawState();
}
