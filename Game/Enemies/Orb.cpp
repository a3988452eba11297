// Orb: floats in place, bobbing up and down, with an overlay that spins; the spin also turns the
// knock-back of its attack box.
#include "Game/Enemies/Orb.h"

#include "Engine/Collision/AngleTables.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Render/AnimDraw.h"
#include "Engine/Render/DrawState.h"
#include "Game/Actors/AttackBoxes.h"

ObjectType Orb;
OrbRecord** orbInstances;
AnimSet orbAnimSet;
ActorProperties orbProperties;

namespace {

constexpr EnemyTypeSettings settings{sizeof(OrbRecord), 32, 2, 9, 128, 128};

// One bob a 256 ticks, 0.390625 px a tick at its fastest.
constexpr f32 bobScale = 0.5f;

} // namespace

// ---- Load and Unload ----

void OrbLoad(const char* placementPath)
{
    LoadAnim(orbManPath, &orbAnimSet);
    LoadEnemyProperties(&Orb, &orbProperties, orbVepPath);
    RegisterEnemyType(placementPath, &Orb, (void***)&orbInstances, settings, OrbUpdate, OrbLateUpdate, OrbDraw,
                      nullptr, OrbReset, OrbInit, OrbLoad, OrbUnload);
    if (Orb.loadCount < 2)
        Orb.reserved = ObjectNoOp;
    if (placementPath)
        LoadObjectPlacements(&Orb, placementPath);
}

void OrbUnload()
{
    UnloadEnemyType(&Orb, &orbAnimSet, &orbProperties);
}

// ---- Init and Reset ----

void OrbInit(void* instance)
{
    OrbRecord* orb = (OrbRecord*)instance;
    EnemyCommonInit((EnemyRecord*)orb, &orbProperties);
    OrbReset(orb);
}

void OrbReset(void* instance)
{
    OrbRecord* orb = (OrbRecord*)instance;
    SetAnim(&orb->anim, &orbAnimSet, orbBodyAnim, 0, 0);
    SetAnim(&orb->spin, &orbAnimSet, orbSpinAnim, 0, 0);
}

// ---- Update ----

void OrbUpdate(void* instance)
{
    OrbRecord* orb = (OrbRecord*)instance;
    ObjectHeader* header = orb->header;
    EnemyStep(&orb->actor);
    // In hit-stop the orb neither spins, bobs nor drifts.
    if (orb->actor.hitlag == 0) {
        header->phase += 1.0f;
        header->x += header->vx;
        header->y += header->vy;
        const i32 bob = TruncateToI32(header->rotation);
        header->rotation += 1.0f;
        header->vy = (f32)cosTable[(bob - 64) & 255] / 327.68f * bobScale;
    }
    if (header->phase > 256.0f)
        header->phase -= 256.0f;
}

void OrbLateUpdate(void* instance)
{
    OrbRecord* orb = (OrbRecord*)instance;
    const i32 index = EnemyLateUpdate(&Orb, instance, &orb->actor);
    // A dying orb (the call has marked it defeated) registered nothing.
    if (index < 0 || orb->actor.defeated)
        return;
    if (AttackBox* box = AttackBoxAt((u32)index))
        box->angle = (u8)TruncateToI32(orb->header->phase);
}

// ---- Draw ----

void OrbDraw(void* instance)
{
    OrbRecord* orb = (OrbRecord*)instance;
    const ObjectHeader* header = orb->header;
    if (orbAnimSet.loaded && orbAnimSet.paletteCount && orbAnimSet.palettes)
        SetCurrentPalette(orbAnimSet.palettes[0]);
    DrawAnimFrame(&orb->anim, header);

    drawFlags = drawFlagRotateScale;
    spriteScaleX = spriteScaleY = 512;
    blendLevel = 0;
    blendMode = 0;
    spriteAngle = TruncateToI32(header->phase);
    const AnimPlayer& spin = orb->spin;
    if (spin.set && spin.animation && spin.animation->frames && spin.playing && rendererSlots.DrawSprite) {
        const Animation& animation = *spin.animation;
        const u16 last = animation.frameCount ? (u16)(animation.frameCount - 1) : 0;
        const u16 frame = spin.frameIndex > last ? last : spin.frameIndex;
        rendererSlots.DrawSprite(&animation.frames[frame].image, scrollX, scrollY, TruncateToI32(header->x),
                                 TruncateToI32(header->y));
    }
    RestDrawState();
}
