// Explosion, FX and Giblets: one record, three types. Explosions and FX live as long as their
// animation; giblets fall until their life runs out or they leave the view.
#include "Game/Actors/Effects.h"

#include "Engine/Collision/AngleTables.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Render/AnimDraw.h"
#include "Engine/Render/DrawState.h"

ObjectType Explosion;
ObjectType FX;
ObjectType Giblets;
EffectRecord** explosionInstances;
EffectRecord** fxInstances;
EffectRecord** gibletsInstances;
AnimSet explosionAnimSet;
AnimSet fxAnimSet;
AnimSet gibletsAnimSet;

// The record is 40 bytes where pointers are 8.
static_assert(sizeof(void*) != 8 || sizeof(EffectRecord) == 40);

namespace {

constexpr u32 explosionGrowth = 32, fxGrowth = 32, gibletsGrowth = 128;
constexpr u8 effectUpdatePass = 5;
constexpr u8 explosionDrawLayer = 13, fxDrawLayer = 7, gibletsDrawLayer = 14;
constexpr i16 gibletsMargin = 64;

// Explosion motion.
constexpr f32 puffRise = -4.0f;
constexpr f32 puffSlowing = 0.1f;
constexpr u8 puffFadeStep = 3;
constexpr u8 puffLevel = 128, smokeLevel = 255, burstLevel = 200;
constexpr f32 smokeDrift = 0.5f;
constexpr f32 smokeRise = -1.0f;

// FX mode 0: the table's amplitude of 256 over 327.68 gives 0.78125 of the speed field.
constexpr f32 fxTableScale = 327.68f;

// Giblets.
constexpr f32 gibletsGravity = 0.28125f;
constexpr f32 gibletsSpinStep = 2.0f;
constexpr f32 fullTurn = 256.0f;
constexpr u8 firstSpinningGiblet = 2;

// Starts the animation at a frame, both held inside the set. Without a loaded set the cursor is
// emptied, so a reused slot does not play the last instance's animation.
void StartEffectAnim(EffectRecord* effect, AnimSet* set, u8 animation, u8 frame)
{
    if (!set->loaded || !set->animCount) {
        effect->anim = AnimPlayer{};
        return;
    }
    SetAnim(&effect->anim, set, animation, frame, 1);
    // Taken up here and now: a take-up left for the first update would restart at frame 0 and
    // make the life depend on what the slot played before.
    effect->anim.activeAnimIndex = effect->anim.animIndex;
}

// Whether the cursor has an animation it can finish. An effect without one (its set failed to
// load) has nothing to show and would otherwise never end, since Explosion and FX are never culled.
bool HasAnimation(const EffectRecord* effect)
{
    return effect->anim.set && effect->anim.set->loaded && effect->anim.animation;
}

void UseFirstPalette(const AnimSet* set)
{
    if (set && set->loaded && set->paletteCount && set->palettes)
        SetCurrentPalette(set->palettes[0]);
}

// The types are spawned by others only; a placement path is honoured all the same.
void LoadPlacements(ObjectType* type, const char* placementPath)
{
    if (placementPath)
        LoadObjectPlacements(type, placementPath);
}

} // namespace

// ---- Explosion ----------------------------------------------------------------------------------

void ExplosionLoad(const char* placementPath)
{
    LoadAnim("Data/Sprites/Global/Explosion/Explosion.man", &explosionAnimSet);
    Explosion.growthStep = explosionGrowth;
    Explosion.updatePass = effectUpdatePass;
    Explosion.drawLayer = explosionDrawLayer;
    Explosion.runsWhilePaused = 0;
    Explosion.cullMarginX = -1;
    Explosion.cullMarginY = -1;
    RegisterObjectType(placementPath, &Explosion, (void***)&explosionInstances, sizeof(EffectRecord),
                       ExplosionUpdate, ObjectNoOp, EffectDraw, ObjectNoOp, ObjectNoOp, ExplosionReset,
                       ExplosionInit, nullptr, ExplosionLoad, ExplosionUnload);
    LoadPlacements(&Explosion, placementPath);
}

void ExplosionUnload()
{
    FreeAnim(&explosionAnimSet);
    FreeObjectType(&Explosion);
}

void ExplosionInit(void* instance)
{
    EffectRecord* effect = (EffectRecord*)instance;
    ObjectHeader* header = effect->header;
    switch (header->spawnA) {
    case ExplosionPuff:
        header->vx = 0.0f;
        header->vy = puffRise;
        header->flash = puffLevel;
        break;
    case ExplosionSmoke:
        header->vx = header->vy = 0.0f;
        header->flash = smokeLevel;
        break;
    case ExplosionBurst:
    case ExplosionBurst2:
        header->vx = header->vy = 0.0f;
        header->flash = burstLevel;
        break;
    default:
        break; // as spawned
    }
    header->flipX = header->spawnB != 0 ? 1 : 0;
    ExplosionReset(instance);
}

void ExplosionReset(void* instance)
{
    EffectRecord* effect = (EffectRecord*)instance;
    StartEffectAnim(effect, &explosionAnimSet, effect->header->spawnA, 0);
}

void ExplosionUpdate(void* instance)
{
    EffectRecord* effect = (EffectRecord*)instance;
    ObjectHeader* header = effect->header;
    header->x += header->vx;
    header->y += header->vy;
    switch (header->spawnA) {
    case ExplosionPuff:
        // Rises, slows and stops while it fades.
        if (header->vy < 0.0f)
            header->vy += puffSlowing;
        if (header->vy > 0.0f)
            header->vy = 0.0f;
        header->flash = header->flash <= 2 ? 0 : (u8)(header->flash - puffFadeStep);
        break;
    case ExplosionSmoke:
        // Set every tick, taken up by the next tick's move.
        header->vx = header->spawnB != 0 ? smokeDrift : -smokeDrift;
        header->vy = smokeRise;
        break;
    default:
        break;
    }
    UpdateAnimPlayer(&effect->anim);
    if (effect->anim.finished || !HasAnimation(effect))
        DespawnObject(header);
}

// ---- FX -----------------------------------------------------------------------------------------

void FXLoad(const char* placementPath)
{
    LoadAnim("Data/Sprites/Global/FX/FX.man", &fxAnimSet);
    FX.growthStep = fxGrowth;
    FX.updatePass = effectUpdatePass;
    FX.drawLayer = fxDrawLayer;
    FX.runsWhilePaused = 0;
    FX.cullMarginX = -1;
    FX.cullMarginY = -1;
    RegisterObjectType(placementPath, &FX, (void***)&fxInstances, sizeof(EffectRecord), FXUpdate, ObjectNoOp,
                       EffectDraw, ObjectNoOp, ObjectNoOp, FXReset, FXInit, nullptr, FXLoad, FXUnload);
    LoadPlacements(&FX, placementPath);
}

void FXUnload()
{
    FreeAnim(&fxAnimSet);
    FreeObjectType(&FX);
}

void FXInit(void* instance)
{
    FXReset(instance);
}

void FXReset(void* instance)
{
    EffectRecord* effect = (EffectRecord*)instance;
    const ObjectHeader* header = effect->header;
    const u8 frame = header->spawnA == FXDirected ? header->spawnB : 0;
    StartEffectAnim(effect, &fxAnimSet, header->spawnA, frame);
}

void FXUpdate(void* instance)
{
    EffectRecord* effect = (EffectRecord*)instance;
    ObjectHeader* header = effect->header;
    UpdateAnimPlayer(&effect->anim);
    header->x += header->vx;
    header->y += header->vy;
    switch (header->spawnA) {
    case FXDirected: {
        // Against the direction of its rotation, at its speed field.
        const i32 a = TruncateToI32((f64)header->rotation) & 255;
        const f32 speed = header->groundSpeed;
        header->vx = -((f32)cosTable[a] / fxTableScale) * speed;
        header->vy = -((f32)cosTable[(a - 64) & 255] / fxTableScale) * speed;
        if (effect->anim.finished || !HasAnimation(effect))
            DespawnObject(header);
        break;
    }
    case FXPlain:
        if (effect->anim.finished || !HasAnimation(effect))
            DespawnObject(header);
        break;
    default:
        break; // not ended here
    }
}

// ---- Explosion and FX drawing ------------------------------------------------------------------

void EffectDraw(void* instance)
{
    EffectRecord* effect = (EffectRecord*)instance;
    ObjectHeader* header = effect->header;
    UseFirstPalette(effect->anim.set);
    // The header's scale, rotation and level shape the picture.
    SetSpriteTransform(header, 2);
    DrawAnimFrame(&effect->anim, header);
    RestDrawState();
}

// ---- Giblets ------------------------------------------------------------------------------------

void GibletsLoad(const char* placementPath)
{
    LoadAnim("Data/Sprites/Global/Giblets.man", &gibletsAnimSet);
    Giblets.growthStep = gibletsGrowth;
    Giblets.updatePass = effectUpdatePass;
    Giblets.drawLayer = gibletsDrawLayer;
    Giblets.runsWhilePaused = 0;
    Giblets.cullMarginX = gibletsMargin;
    Giblets.cullMarginY = gibletsMargin;
    RegisterObjectType(placementPath, &Giblets, (void***)&gibletsInstances, sizeof(EffectRecord), GibletsUpdate,
                       ObjectNoOp, GibletsDraw, ObjectNoOp, GibletsLeaveView, GibletsReset, GibletsInit, nullptr,
                       GibletsLoad, GibletsUnload);
    LoadPlacements(&Giblets, placementPath);
}

void GibletsUnload()
{
    FreeAnim(&gibletsAnimSet);
    FreeObjectType(&Giblets);
}

void GibletsInit(void* instance)
{
    GibletsReset(instance);
}

void GibletsReset(void* instance)
{
    EffectRecord* effect = (EffectRecord*)instance;
    StartEffectAnim(effect, &gibletsAnimSet, effect->header->spawnA, 0);
}

void GibletsUpdate(void* instance)
{
    EffectRecord* effect = (EffectRecord*)instance;
    ObjectHeader* header = effect->header;
    UpdateAnimPlayer(&effect->anim);
    // A positive life counts down; the last tick's step still runs.
    const i8 life = (i8)header->spawnB;
    if (life > 0) {
        header->spawnB = (u8)(life - 1);
        if (header->spawnB == 0)
            DespawnObject(header);
    }
    // tiltAngle carries the spin.
    header->tiltAngle += gibletsSpinStep;
    if (header->tiltAngle >= fullTurn)
        header->tiltAngle = 0.0f;
    header->x += header->vx;
    header->y += header->vy;
    header->vy += gibletsGravity;
}

void GibletsDraw(void* instance)
{
    EffectRecord* effect = (EffectRecord*)instance;
    ObjectHeader* header = effect->header;
    const bool spins = header->spawnA >= firstSpinningGiblet;
    if (spins) {
        // Turned only; the scale stays at rest.
        drawFlags = drawFlagRotateScale;
        spriteAngle = TruncateToI32((f64)header->tiltAngle);
    }
    UseFirstPalette(effect->anim.set);
    DrawAnimFrame(&effect->anim, header);
    if (spins) {
        drawFlags = 0;
        spriteAngle = 0;
    }
}

void GibletsLeaveView(void* instance)
{
    DespawnObject(((EffectRecord*)instance)->header);
}
