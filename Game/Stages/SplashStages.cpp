// The studio and engine splash stages. Each frame handler clears the frame and draws its effect
// itself; the closing Fade is the only object, and its draw comes after the handler in the tick.
#include "Game/Stages/SplashStages.h"

#include <cmath>
#include <cstring>

#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Random.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Display/Fade.h"

StudioSplashState studioSplash;
EngineSplashState engineSplash;
u8 logoBuffer[logoBufferWidth * logoBufferHeight];
u8 noiseBuffer[noiseWidth * noiseHeight];

namespace {

constexpr u8 noiseColour = 63;
constexpr int noiseCellRows = 47, noiseCellColumns = 49, noiseCellSize = 3;
constexpr f32 startThreshold = 220.0f;
constexpr f32 thresholdStep = 2.3404255319148937f; // 110 / 47: from 220 to 0 in 94 steps
constexpr f32 overlayRise = 1.5f;
constexpr f32 overlayEase = 0.015625f;
constexpr f32 overlayFall = 10.625f;
constexpr u16 studioWaitTicks = 120;
constexpr u8 closingFadeStep = 16;

constexpr f32 rollStep = 42.5f; // a sixth of a turn: one face of the emblem
constexpr f32 startSpin = 8.0f;
constexpr f32 spinLoss = 0.0905f;
constexpr i32 rollScaleY = 486;
constexpr f32 spreadYEnd = 50.0f, spreadXEnd = 55.0f;
constexpr f32 spreadEase = 0.0625f;
constexpr f32 settleShift = 9.0f;
constexpr f32 crossfadeStep = 16.0f;
constexpr i16 engineWaitTicks = 120;

// Frame `frame` of animation `anim`, or null when the set lacks it: the stages still run (and
// leave) without their art.
const SpriteImage* FrameImage(const AnimSet& set, u16 anim, u16 frame)
{
    if (!set.loaded || !set.animations || anim >= set.animCount)
        return nullptr;
    const Animation& animation = set.animations[anim];
    if (frame >= animation.frameCount || !animation.frames)
        return nullptr;
    const SpriteImage* image = &animation.frames[frame].image;
    return image->pixels ? image : nullptr;
}

void UsePalette(const AnimSet& set, u8 index)
{
    if (set.loaded && index < set.paletteCount)
        SetCurrentPalette(set.palettes[index]);
}

void ClearFrame()
{
    if (frameBuffer && screenWidth > 0 && screenHeight > 0)
        memset(frameBuffer, 0, (size_t)screenWidth * (size_t)screenHeight * sizeof(u32));
}

void DrawAt(const SpriteImage* image, i32 scrollXArg, i32 scrollYArg, f64 x, f64 y)
{
    if (image && rendererSlots.DrawSprite)
        rendererSlots.DrawSprite(image, scrollXArg, scrollYArg, TruncateToI32(x), TruncateToI32(y));
}

// A picture of the set through the camera scroll.
void DrawFrameAt(const AnimSet& set, u16 anim, u16 frame, f64 x, f64 y)
{
    DrawAt(FrameImage(set, anim, frame), scrollX, scrollY, x, y);
}

u32 BlendLevelOf(f64 level)
{
    return (u32)TruncateToI32(level) & 255;
}

// The closing Fade, while its slot is live; a stale index names nothing.
const FadeRecord* LiveFade(u32 index)
{
    if (!Fade.registered || !Fade.pool || !fadeInstances || index >= Fade.poolSize)
        return nullptr;
    const ObjectHeader* header = Fade.pool[index];
    return header->alive && !header->free ? fadeInstances[index] : nullptr;
}

// Spawns the closing fade to black. False when the object system refused it.
bool SpawnClosingFade(u32* index)
{
    lastSpawnedInstance = nullptr;
    *index = SpawnObject(&Fade, 0.0f, 0.0f, FadeOutHold, closingFadeStep);
    return lastSpawnedInstance != nullptr;
}

// Black, or gone: a fade that no longer runs would hold the splash on screen for ever.
bool ClosingFadeDone(u32 index)
{
    const FadeRecord* fade = LiveFade(index);
    return !fade || fade->level >= 255;
}

} // namespace

// ---- "Orlenvast Splash" ---------------------------------------------------------------------------

namespace {

// The buffer's stride is the copied width, so a logo narrower than the buffer is not sheared.
void CopyLogoRows(i32 first, i32 last)
{
    StudioSplashState& s = studioSplash;
    const i32 width = s.logoCopy.width;
    if (first < 0)
        first = 0;
    if (last > s.logoCopy.height - 1)
        last = s.logoCopy.height - 1;
    if (!s.logoPixels)
        return;
    for (i32 row = first; row <= last; ++row)
        memcpy(logoBuffer + row * width, s.logoPixels + row * s.logoSourceWidth, (size_t)width);
}

void CopyWholeLogo()
{
    CopyLogoRows(0, studioSplash.logoCopy.height - 1);
}

// The two overlay pictures, added over the frame at the given level.
void DrawStudioOverlays(u32 level)
{
    drawFlags = drawFlagRotateScale;
    spriteScaleX = spriteScaleY = 512;
    spriteAngle = 0;
    blendLevel = level;
    blendMode = 1;
    UsePalette(studioSplash.set, 1);
    DrawFrameAt(studioSplash.set, 1, 0, 0.0, 0.0);
    DrawFrameAt(studioSplash.set, 1, 1, screenWidth / 2, 0.0);
    RestDrawState();
}

// Static over the rows the noise field has uncovered, thinning as the threshold falls.
void SprinkleFineNoise(i32 rows)
{
    StudioSplashState& s = studioSplash;
    const i32 width = s.logoCopy.width;
    const i32 threshold = TruncateToI32(s.noiseThreshold);
    const i32 bufferRows = width ? (i32)sizeof logoBuffer / width : 0;
    if (rows > bufferRows)
        rows = bufferRows;
    for (i32 row = 0; row < rows; ++row)
        for (i32 column = 0; column < width; ++column)
            if (GameRand() / 128 < threshold)
                logoBuffer[row * width + column] = noiseColour;
}

} // namespace

void StudioSplashStageLoad()
{
    LoadAnim("Data/Sprites/Splash/Orlenvast/Orlenvast.man", &studioSplash.set);
    FadeLoad(nullptr);
    studioSplashStage.loaded = 1;
}

void StudioSplashStageStart()
{
    StudioSplashState& s = studioSplash;
    s.noisePicture = SpriteImage{};
    s.noisePicture.width = noiseWidth;
    s.noisePicture.height = noiseHeight;
    s.noisePicture.offsetX = -73;
    s.noisePicture.offsetY = -70;
    s.noisePicture.pixels = noiseBuffer;

    s.waitTicks = studioWaitTicks;
    s.noiseThreshold = startThreshold;
    s.overlayLevel = 0.0f;
    s.revealRow = 0;
    s.phase = 0;
    s.fadeIndex = 0;

    // Only what fits the buffer is ever copied: a larger logo is cut at its right and bottom.
    s.logoCopy = SpriteImage{};
    s.logoPixels = nullptr;
    s.logoSourceWidth = 0;
    if (const SpriteImage* logo = FrameImage(s.set, 0, 0)) {
        s.logoCopy = *logo;
        s.logoPixels = logo->pixels;
        s.logoSourceWidth = logo->width;
        if (s.logoCopy.width > logoBufferWidth)
            s.logoCopy.width = logoBufferWidth;
        if (s.logoCopy.height > logoMaxHeight)
            s.logoCopy.height = logoMaxHeight;
        s.logoCopy.rowStarts = nullptr; // always drawn unrotated
    }
    s.logoCopy.pixels = logoBuffer;
    memset(logoBuffer, 0, sizeof logoBuffer);

    ResetCameras();
    studioSplashStage.started = 1;
}

void DrawSplashNoise()
{
    const i32 threshold = TruncateToI32(studioSplash.noiseThreshold);
    for (int r = 0; r < noiseCellRows; ++r)
        for (int q = 0; q < noiseCellColumns; ++q) {
            const u8 value = GameRand() / 128 < threshold ? noiseColour : 0;
            for (int dy = 0; dy < noiseCellSize; ++dy)
                memset(noiseBuffer + (r * noiseCellSize + dy) * noiseWidth + q * noiseCellSize, value,
                       noiseCellSize);
        }
}

void StudioSplashStageFrame()
{
    StudioSplashState& s = studioSplash;
    UsePalette(s.set, 0);
    ClearFrame();
    const i32 centreX = screenWidth / 2, centreY = screenHeight / 2;
    const i32 height = s.logoCopy.height;

    switch (s.phase) {
    case 0: {
        // Five rows a tick from the bottom; the first tick's rows all lie below the logo.
        const i32 c = s.revealRow;
        CopyLogoRows(height - 5 * c, height - 5 * c + 4);
        s.revealRow = (u16)(c + 1);
        if (c >= height / 5) {
            s.phase = 1;
            CopyWholeLogo();
            s.revealRow = 0;
        }
        DrawSplashNoise();
        DrawAt(&s.logoCopy, 0, 0, centreX, centreY);
        DrawAt(&s.noisePicture, 0, 0, centreX, centreY);
        DrawFrameAt(s.set, 0, 1, centreX, centreY);
        const u32 level = BlendLevelOf(s.overlayLevel);
        s.overlayLevel += overlayRise;
        DrawStudioOverlays(level);
        break;
    }
    case 1: {
        const i32 c = s.revealRow;
        CopyWholeLogo();
        const i32 k = (c / 2) * 3;
        s.revealRow = (u16)(c + 1);
        if (k > height)
            s.phase = 2;
        SprinkleFineNoise(k);
        DrawSplashNoise();
        DrawAt(&s.logoCopy, 0, 0, centreX, centreY);
        DrawAt(&s.noisePicture, 0, 0, centreX, centreY + k);
        DrawFrameAt(s.set, 0, 1, centreX, centreY + k);
        const u32 level = BlendLevelOf(s.overlayLevel);
        s.overlayLevel += (255.0f - s.overlayLevel) * overlayEase;
        DrawStudioOverlays(level);
        if (s.noiseThreshold > 0.0f)
            s.noiseThreshold -= thresholdStep;
        break;
    }
    case 2:
        DrawAt(&s.logoCopy, 0, 0, centreX, centreY);
        DrawStudioOverlays(BlendLevelOf(s.overlayLevel));
        s.overlayLevel -= overlayFall;
        if (s.overlayLevel <= 0.0f)
            s.phase = 3;
        break;
    default:
        UpdateObjects();
        if (playerControls[0].heldMask)
            s.waitTicks = 1;
        if (s.phase == 3) {
            if (--s.waitTicks == 0) {
                if (!SpawnClosingFade(&s.fadeIndex)) {
                    // Without a fade there is nothing to wait for.
                    pendingStage = &engineSplashStage;
                    return;
                }
                s.phase = 4;
            }
        } else if (ClosingFadeDone(s.fadeIndex)) {
            pendingStage = &engineSplashStage;
            ClearFrame();
            return;
        }
        DrawAt(&s.logoCopy, 0, 0, centreX, centreY);
        break;
    }
}

void StudioSplashStageUnload()
{
    FreeAnim(&studioSplash.set);
    FadeUnload();
    studioSplashStage.started = 0;
    studioSplashStage.loaded = 0;
}

// ---- "Palvic Splash" ------------------------------------------------------------------------------

namespace {

// The six pieces around the emblem, spreadY above and below it and spreadX to its left.
void DrawEmblemPieces(f32 x, f32 y, f32 spreadY, f32 spreadX)
{
    const AnimSet& set = engineSplash.set;
    DrawFrameAt(set, 1, 1, x, y + spreadY);
    DrawFrameAt(set, 1, 0, x, y + spreadY / 1.225);
    DrawFrameAt(set, 1, 2, x - spreadX, y);
    DrawFrameAt(set, 1, 0, x - spreadX / 1.25, y);
    DrawFrameAt(set, 1, 3, x, y - spreadY);
    DrawFrameAt(set, 1, 0, x, y - spreadY / 1.225);
}

// Two copies of the emblem, each turning about a point of its bottom edge, blended across the
// roll step so the face that comes up takes over from the face that goes down.
void DrawRollingEmblem(const SpriteImage* emblem)
{
    EngineSplashState& s = engineSplash;
    const i32 share = TruncateToI32(std::fabs(s.angle) * 255.0 / 42.5);
    drawFlags = drawFlagRotateScale;
    spriteScaleX = 512;
    spriteScaleY = rollScaleY;
    blendMode = 1;
    if (emblem) {
        const i32 w = emblem->width, h = emblem->height;
        SpriteImage copy = *emblem;
        copy.offsetX = (i16)-(w / 4);
        copy.offsetY = (i16)-h;
        spriteAngle = TruncateToI32(s.angle);
        blendLevel = 255 - ((u32)share & 255);
        DrawAt(&copy, 0, 0, s.x, s.y);
        copy.offsetX = (i16)((-3 * w) / 4);
        spriteAngle = TruncateToI32(s.angle + rollStep);
        blendLevel = (u32)share & 255;
        DrawAt(&copy, 0, 0, s.x, s.y);
    }
}

} // namespace

void EngineSplashStageLoad()
{
    LoadAnim("Data/Sprites/Splash/PalvicSplash/PalvicSplash.man", &engineSplash.set);
    FadeLoad(nullptr);
    engineSplashStage.loaded = 1;
}

void EngineSplashStageStart()
{
    EngineSplashState& s = engineSplash;
    const SpriteImage* emblem = FrameImage(s.set, 0, 0);
    const i32 h = emblem ? emblem->height : 0;
    s.phase = 0;
    s.x = (f32)(screenWidth + 50);
    s.y = (f32)(screenHeight / 2 + h / 2);
    s.angle = 0.0f;
    s.spin = startSpin;
    s.spreadY = s.spreadX = 0.0f;
    s.crossfade = 0.0f;
    s.targetX = 0.0f;
    s.waitTicks = engineWaitTicks;
    s.fadeIndex = 0;
    ResetCameras();
    engineSplashStage.started = 1;
}

void EngineSplashStageFrame()
{
    EngineSplashState& s = engineSplash;
    UsePalette(s.set, 0);
    ClearFrame();
    const SpriteImage* emblem = FrameImage(s.set, 0, 0);
    const i32 w = emblem ? emblem->width : 0, h = emblem ? emblem->height : 0;

    switch (s.phase) {
    case 0:
        DrawRollingEmblem(emblem);
        s.angle -= s.spin;
        RestDrawState();
        s.spin -= spinLoss;
        if (s.angle < -rollStep) {
            s.angle += rollStep;
            s.x -= (f32)(w / 2);
        }
        // Slowed, turned back and rocked onto a face: from here the anchor is the emblem's centre.
        if (s.spin < 0.0f && s.angle >= 0.0f) {
            s.phase = 1;
            s.x += (f32)(w / 4);
            s.y -= (f32)(h / 2);
        }
        break;
    case 1:
        DrawEmblemPieces(s.x, s.y, s.spreadY, s.spreadX);
        s.spreadY += (spreadYEnd - s.spreadY) * spreadEase;
        s.spreadX += (spreadXEnd - s.spreadX) * spreadEase;
        DrawFrameAt(s.set, 0, 0, s.x, s.y);
        if ((i32)std::ceil(s.spreadY) == 50) {
            s.targetX = s.x - settleShift;
            s.phase = 2;
        }
        break;
    case 2:
        DrawEmblemPieces(s.x, s.y, spreadYEnd, spreadXEnd);
        drawFlags = drawFlagRotateScale;
        spriteScaleX = spriteScaleY = 512;
        spriteAngle = 0;
        blendMode = 1;
        blendLevel = BlendLevelOf(255.0f - s.crossfade);
        DrawFrameAt(s.set, 0, 0, s.x, s.y);
        blendLevel = BlendLevelOf(s.crossfade);
        DrawFrameAt(s.set, 0, 1, s.x, s.y);
        RestDrawState();
        s.crossfade += crossfadeStep;
        s.x += (f32)(TruncateToI32(s.targetX - s.x) / 20.0);
        if (s.crossfade > 255.0f) {
            s.crossfade = 255.0f;
            s.phase = 3;
        }
        break;
    case 3:
    case 4:
        DrawEmblemPieces(s.x, s.y, spreadYEnd, spreadXEnd);
        DrawFrameAt(s.set, 0, 1, s.x, s.y);
        if (playerControls[0].heldMask)
            s.waitTicks = 0;
        if (s.phase == 3) {
            if (s.waitTicks-- > 0)
                return;
            // Without a fade there is nothing to wait for.
            s.phase = SpawnClosingFade(&s.fadeIndex) ? 4 : 5;
        } else {
            UpdateObjects();
            if (ClosingFadeDone(s.fadeIndex))
                s.phase = 5;
        }
        break;
    default:
        pendingStage = &titleStage;
        ClearFrame();
        break;
    }
}

void EngineSplashStageUnload()
{
    FreeAnim(&engineSplash.set);
    FadeUnload();
    engineSplashStage.started = 0;
    engineSplashStage.loaded = 0;
}
