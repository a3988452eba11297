// Froacker and its variants. The variant lives in spawn byte A after Init, so Bind and Draw can pick
// its state function, properties and palette from the header alone.
#include "Game/Enemies/Froacker.h"

#include <cmath>
#include <cstddef>

#include "Engine/Collision/AngleTables.h"
#include "Engine/Collision/Angles.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/Random.h"
#include "Engine/Common/Sound.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Enemies/Projectile.h"
#include "Game/Player/Player.h"

ObjectType Froacker;
FroackerRecord** froackerInstances;
AnimSet froackerAnimSet;
ActorProperties froackerPurpleProperties, froackerRedProperties, froackerBlueProperties, froackerYellowProperties;
u8 froackerEditorVariant;

namespace {

u32 froackerHitSound, froackerDeathSound;

constexpr f32 chuckDistance = 136.0f; // Chuck stands this far from its target
constexpr f32 chuckSlack = 24.0f;     // and lets it come or go this much before it walks
constexpr f32 larryLeapRange = 88.0f;

ActorProperties* VariantProperties(u8 variant)
{
    return variant == VariantChuck ? &froackerRedProperties
           : variant == VariantLarry ? &froackerBlueProperties
                                      : &froackerPurpleProperties;
}

FroackerState VariantState(u8 variant)
{
    return variant == VariantChuck ? FroackerChuck : variant == VariantLarry ? FroackerLarry : FroackerWalker;
}

void Walk(ActorBlock& actor, u8 direction)
{
    actor.input[InputLeft] = direction == DirectionLeft;
    actor.input[InputRight] = direction == DirectionRight;
}

void Stand(ActorBlock& actor)
{
    actor.input[InputLeft] = actor.input[InputRight] = 0;
}

bool Hurt(const ActorBlock& actor)
{
    return actor.hitlag >= 1 && actor.hurt;
}

void Show(FroackerRecord* froacker, u16 animation)
{
    SetAnim(&froacker->anim, &froackerAnimSet, animation, 0, 0);
}

// Shown right away, animation lock or not: the hurt pose and a chase's first frame.
void ShowHurt(FroackerRecord* froacker)
{
    froacker->actor.animLock = 0;
    Show(froacker, froackerHurtAnim);
    EnemyAnimate(&froacker->actor);
}

f32 SlopeSine(const ObjectHeader* header)
{
    return (f32)sinTable[(u8)(i32)std::floor(header->angle)];
}

// A provoking hit comes from the player itself.
bool ProvokedByPlayer(const ActorBlock& actor)
{
    return actor.touched && actor.lastHitterType == &Player && actor.lastHitter;
}

// The hop both provoked variants start with.
void StartHop(FroackerRecord* froacker, ObjectHeader* target, u16 animation)
{
    ObjectHeader* header = froacker->header;
    ActorBlock& actor = froacker->actor;
    froacker->target = target;
    froacker->chasing = 1;
    header->state = 1;
    Show(froacker, animation);
    actor.animLock = 1;
    header->groundContact = 0;
    actor.input[InputJump] = 1;
    header->y -= 1.0f;
    header->vy = -1.5f;
}

// The hop: the jump input goes once it falls; the landing starts the variant's next state.
bool Hopped(FroackerRecord* froacker, u16 nextAnim)
{
    ObjectHeader* header = froacker->header;
    ActorBlock& actor = froacker->actor;
    if (header->vy > 0.0f)
        actor.input[InputJump] = 0;
    if (!actor.landed && !(header->groundContact && !header->lastGroundContact))
        return false;
    actor.input[InputJump] = 0;
    header->state = 2;
    froacker->timer = 60;
    Show(froacker, nextAnim);
    return true;
}

f32 TargetX(const FroackerRecord* froacker)
{
    return froacker->target ? froacker->target->x : froacker->header->x;
}

f32 TargetY(const FroackerRecord* froacker)
{
    return froacker->target ? froacker->target->y : froacker->header->y;
}

// The Projectile Chuck holds, while it is still the live shot attached to this Chuck (or flying
// free after all slots were taken); null once it is gone.
EnemyRecord* HeldShot(FroackerRecord* froacker)
{
    const i32 index = froacker->heldProjectile;
    if (index < 0 || !Projectile.registered || !projectileInstances || (u32)index >= Projectile.poolSize)
        return nullptr;
    EnemyRecord* shot = projectileInstances[index];
    if (!shot || !shot->header->alive || shot->header->free)
        return nullptr;
    if (shot->actor.parent && shot->actor.parent != &froacker->actor)
        return nullptr;
    return shot;
}

void PlaceAtHand(FroackerRecord* froacker, EnemyRecord* shot)
{
    const AnimFramePoint hand = GetAnimFramePoint(froacker->header, &froacker->anim, 0);
    shot->header->x = hand.x;
    shot->header->y = hand.y;
}

void Throw(FroackerRecord* froacker)
{
    ObjectHeader* header = froacker->header;
    if (froacker->anim.frameIndex == 0 && froacker->heldProjectile < 0 && !froacker->shotPending) {
        const AnimFramePoint hand = GetAnimFramePoint(header, &froacker->anim, 0);
        lastSpawnedInstance = nullptr;
        const u32 index = SpawnObject(&Projectile, hand.x, hand.y, 0, 0);
        if (EnemyRecord* shot = (EnemyRecord*)lastSpawnedInstance) {
            froacker->heldProjectile = (i32)index;
            froacker->shotPending = 1;
            AttachActor(&froacker->actor, &shot->actor); // with every slot taken it flies unattached
        }
        return;
    }
    EnemyRecord* shot = HeldShot(froacker);
    if (!shot) {
        froacker->heldProjectile = -1;
        return;
    }
    const u16 frame = froacker->anim.frameIndex;
    if (frame >= 1 && frame < froackerThrowFrame) {
        PlaceAtHand(froacker, shot);
    } else if (frame == froackerThrowFrame) {
        PlaceAtHand(froacker, shot);
        shot->header->vx = (f32)(GameRand() / 10923 - 1) - (header->x - TargetX(froacker)) / 32.0f;
        shot->header->vy = -4.0f - (header->y - TargetY(froacker)) / 40.0f;
        froacker->heldProjectile = -1;
    }
}

// Chuck stands chuckDistance from its target on the side where it is.
void KeepDistance(FroackerRecord* froacker)
{
    ObjectHeader* header = froacker->header;
    ActorBlock& actor = froacker->actor;
    const f32 targetX = TargetX(froacker);
    Stand(actor);
    if (targetX >= header->x) {
        header->flipX = 0;
        const f32 spot = targetX - chuckDistance;
        if (header->x > spot + chuckSlack)
            Walk(actor, DirectionLeft);
        else if (header->x < spot - chuckSlack)
            Walk(actor, DirectionRight);
    } else {
        header->flipX = 1;
        const f32 spot = targetX + chuckDistance;
        if (header->x < spot - chuckSlack)
            Walk(actor, DirectionRight);
        else if (header->x > spot + chuckSlack)
            Walk(actor, DirectionLeft);
    }
}

// Walls bounce it back, edges stop it; slopes pull it down.
void GuardEdges(FroackerRecord* froacker)
{
    ObjectHeader* header = froacker->header;
    const ActorBlock& actor = froacker->actor;
    if (header->groundSpeed <= 0.0f) {
        if (actor.edgeLeft)
            header->groundSpeed = 0.0f;
        if (actor.wallLeft)
            header->groundSpeed = header->vx = 4.0f;
    } else {
        if (actor.edgeRight)
            header->groundSpeed = 0.0f;
        if (actor.wallRight)
            header->groundSpeed = header->vx = -4.0f;
    }
    header->groundSpeed += SlopeSine(header) * 0.2f / 256.0f;
}

void ChuckShoot(FroackerRecord* froacker)
{
    ObjectHeader* header = froacker->header;
    ActorBlock& actor = froacker->actor;
    if (Hurt(actor)) {
        actor.animLock = 0;
        Show(froacker, froackerHurtAnim);
        EnemyAnimate(&actor);
        return;
    }
    actor.animLock = 1;
    if (froacker->timer)
        Show(froacker, froackerAimAnim);
    if (!header->groundContact) {
        actor.animLock = 0;
        Stand(actor);
        return;
    }
    if (!froacker->timer) {
        Stand(actor);
        Show(froacker, froackerThrowAnim);
        if (ShowsAnim(&froacker->anim, froackerThrowAnim))
            Throw(froacker);
        if (froacker->anim.finished && ShowsAnim(&froacker->anim, froackerThrowAnim)) {
            froacker->timer = 80;
            froacker->shotPending = 0;
        }
    } else {
        --froacker->timer;
        KeepDistance(froacker);
    }
    GuardEdges(froacker);
}

void LarrySlopePush(ObjectHeader* header, f32 base)
{
    header->groundSpeed +=
        (base - (std::fabs(header->vx) - header->vy * 0.25f) / 12.0f) * SlopeSine(header) / 256.0f;
}

void LarryRun(FroackerRecord* froacker)
{
    ObjectHeader* header = froacker->header;
    ActorBlock& actor = froacker->actor;
    actor.animLock = 1;
    Show(froacker, froackerRunAnim);
    if (!header->groundContact) {
        actor.animLock = 0;
        Stand(actor);
        return;
    }
    const f32 targetX = TargetX(froacker);
    if (header->x > targetX + 24.0f) {
        header->flipX = 1;
        Walk(actor, DirectionLeft);
    } else if (header->x < targetX - 24.0f) {
        header->flipX = 0;
        Walk(actor, DirectionRight);
    }
    SteerAngle(header, 32, 224, 0.5f, 0.2f, actor.values[MaxGroundSpeed]);
    actor.values[MaxGroundSpeed] = std::fabs(header->vy) * 0.5f + froackerBlueProperties.values[MaxGroundSpeed];
    if (std::fabs(header->x - targetX) < larryLeapRange) {
        // Off the ground along the surface's normal.
        const u8 a = (u8)(i32)std::floor(header->angle);
        header->plane = 0;
        header->rotation = 0.0f;
        header->state = 3;
        Show(froacker, froackerLeapAnim);
        Stand(actor);
        actor.animLock = 1;
        header->groundContact = 0;
        header->y -= 1.0f;
        header->vx -= (f32)sinTable[a] / 327.68f * 6.0f; // 4.6875 at full tilt
        header->vy -= (f32)cosTable[a] / 327.68f * 6.0f;
        return;
    }
    LarrySlopePush(header, 0.3f);
}

void LarryChase(FroackerRecord* froacker)
{
    ObjectHeader* header = froacker->header;
    ActorBlock& actor = froacker->actor;
    actor.animLock = 1;
    ContinueAnim(&froacker->anim, &froackerAnimSet, froackerChaseAnim, 3);
    actor.values[GroundFriction] = 0.1f;
    actor.values[GroundAccel] = 0.2f;
    actor.values[GroundBrake] = 0.025f;
    actor.values[MaxGroundSpeed] = 4.0f;
    if (actor.landed && froacker->savedVy > 4.0f) {
        header->vy = froacker->savedVy * -0.5f;
        header->groundContact = 0;
    }
    const f32 targetX = TargetX(froacker);
    if (header->x > targetX + 32.0f)
        Walk(actor, DirectionLeft);
    else if (header->x < targetX - 32.0f || !header->flipX)
        Walk(actor, DirectionRight);
    else
        Walk(actor, DirectionLeft);
    if (!froacker->timer) {
        header->state = 5;
        froacker->timer = 120;
        Stand(actor);
        const f32 hp = actor.hp;
        ApplyEnemyProperties(&froackerBlueProperties, &actor);
        actor.hp = hp;
        Show(froacker, froackerSlowAnim);
        return;
    }
    --froacker->timer;
    LarrySlopePush(header, 0.4f);
}

} // namespace

// ---- Load and Unload ----

void FroackerLoad(const char* placementPath)
{
    LoadAnim(froackerManPath, &froackerAnimSet);
    froackerHitSound = LoadSound(froackerHitPath);
    froackerDeathSound = LoadSound(froackerDeathPath);
    LoadEnemyProperties(&Froacker, &froackerPurpleProperties, froackerPurpleVepPath);
    LoadEnemyProperties(&Froacker, &froackerRedProperties, froackerRedVepPath);
    LoadEnemyProperties(&Froacker, &froackerBlueProperties, froackerBlueVepPath);
    LoadEnemyProperties(&Froacker, &froackerYellowProperties, froackerYellowVepPath);
    AddPlacementProperty(&Froacker, "type", 0, offsetof(FroackerRecord, type));
    AddPlacementLabel("Froacker");
    AddPlacementLabel("Chuck");
    AddPlacementLabel("Larry");
    AddPlacementProperty(&Froacker, "faceRight", 8, offsetof(FroackerRecord, faceRight));
    Froacker.updatePass = 2;
    Froacker.growthStep = 64;
    Froacker.drawLayer = 9;
    Froacker.cullMarginX = 128;
    Froacker.cullMarginY = 256;
    RegisterObjectType(placementPath, &Froacker, (void***)&froackerInstances, sizeof(FroackerRecord),
                       FroackerUpdate, FroackerLateUpdate, FroackerDraw, ObjectNoOp, FroackerLeaveView,
                       FroackerReset, FroackerInit, FroackerBind, FroackerLoad, FroackerUnload);
    Froacker.EditorPreview = FroackerEditorPreview;
    Froacker.EditorPlace = FroackerEditorPlace;
    Froacker.placeable = 1;
    AddPlaceableType(&Froacker);
    if (Froacker.loadCount < 2) {
        SetObjectTypeName(&Froacker, "Froacker");
        Froacker.reserved = ObjectNoOp;
    }
    if (placementPath)
        LoadObjectPlacements(&Froacker, placementPath);
}

void FroackerUnload()
{
    FreeSound(froackerHitSound);
    FreeSound(froackerDeathSound);
    FreeEnemyProperties(&froackerPurpleProperties);
    FreeEnemyProperties(&froackerRedProperties);
    FreeEnemyProperties(&froackerBlueProperties);
    UnloadEnemyType(&Froacker, &froackerAnimSet, &froackerYellowProperties);
}

// ---- Bind, Init and Reset ----

void FroackerBind(void* instance, u32 index, ObjectHeader* header)
{
    EnemyBind(instance, index, header);
    FroackerRecord* froacker = (FroackerRecord*)instance;
    const u8 variant = froacker->header ? froacker->header->spawnA : 0;
    froacker->state = VariantState(variant);
    froacker->actor.properties = VariantProperties(variant);
}

void FroackerInit(void* instance)
{
    FroackerRecord* froacker = (FroackerRecord*)instance;
    ObjectHeader* header = froacker->header;
    ActorBlock& actor = froacker->actor;
    InitEnemy(&actor, header, &froacker->anim);
    if (froacker->type < 0 || froacker->type > 2)
        froacker->type = 0;
    const u8 variant = (u8)froacker->type;
    header->spawnA = variant;
    ApplyEnemyProperties(VariantProperties(variant), &actor);
    froacker->state = VariantState(variant);
    if (variant == VariantChuck)
        froacker->timer = 32;
    header->flipX = (u8)!froacker->faceRight;
    froacker->target = nullptr;
    froacker->chasing = 0;
    froacker->heldProjectile = -1;
    froacker->shotPending = 0;
    actor.direction = header->flipX ? DirectionLeft : DirectionRight;
    actor.hurtSound = (i32)froackerHitSound;
    actor.deathSound = (i32)froackerDeathSound;
    FroackerReset(froacker);
}

void FroackerReset(void* instance)
{
    EnemyCommonReset((EnemyRecord*)instance, &froackerAnimSet);
}

// ---- the variants ----

// Walks and turns at walls and edges; a hit stops it where it stands.
void FroackerWalker(FroackerRecord* froacker)
{
    ObjectHeader* header = froacker->header;
    ActorBlock& actor = froacker->actor;
    if (actor.hitlag) {
        header->groundSpeed = 0.0f;
        actor.direction = header->flipX ? DirectionLeft : DirectionRight;
    }
    Walk(actor, ChooseSlopeDirection(&actor, TurnAtWallsAndEdges));
    if (!header->groundContact)
        Stand(actor);
}

void FroackerChuck(FroackerRecord* froacker)
{
    ObjectHeader* header = froacker->header;
    ActorBlock& actor = froacker->actor;
    switch (header->state) {
    case 0:
        // As Larry: the player's hit is kept through its hit-stop, and provokes it after.
        if (ProvokedByPlayer(actor) && !froacker->chasing)
            froacker->target = actor.lastHitter->header;
        if (Hurt(actor)) {
            ShowHurt(froacker);
            break;
        }
        if (!ShowsAnim(&froacker->anim, 0)) {
            froacker->anim.set = &froackerAnimSet;
            StartAnim(&froacker->anim, 0);
        }
        if (froacker->target && !froacker->chasing)
            StartHop(froacker, froacker->target, froackerHopAnim);
        break;
    case 1:
        Hopped(froacker, froackerAimAnim);
        break;
    case 2:
        ChuckShoot(froacker);
        break;
    default:
        break;
    }
}

void FroackerLarry(FroackerRecord* froacker)
{
    ObjectHeader* header = froacker->header;
    ActorBlock& actor = froacker->actor;
    actor.flags[FlagFaceGroundMotion] = header->state != 0;
    if (!header->groundContact)
        Stand(actor);
    switch (header->state) {
    case 0:
        // The player's hit is seen on the tick it lands, in its hit-stop: the target is kept until
        // the hit-stop is over, and the chase starts then.
        if (ProvokedByPlayer(actor) && !froacker->chasing)
            froacker->target = actor.lastHitter->header;
        if (Hurt(actor))
            break;
        header->plane = 0;
        if (actor.wallLeft || actor.wallRight)
            header->groundSpeed = -header->groundSpeed;
        actor.animLock = 0;
        if (froacker->target && !froacker->chasing && actor.hitlag == 0)
            StartHop(froacker, froacker->target, froackerLarryHopAnim);
        break;
    case 1:
        header->plane = 0;
        if (Hurt(actor))
            Show(froacker, froackerHurtAnim);
        Hopped(froacker, froackerRunAnim);
        break;
    case 2:
        LarryRun(froacker);
        break;
    case 3:
        if (Hurt(actor)) {
            ShowHurt(froacker);
            break;
        }
        if (header->vy > 1.0f)
            Show(froacker, froackerChaseAnim);
        else if (header->vy < 0.0f)
            Show(froacker, froackerLeapAnim);
        if (header->flipX && header->vx > -1.0f)
            header->vx = -1.0f;
        else if (!header->flipX && header->vx < 1.0f)
            header->vx = 1.0f;
        if (actor.landed || (header->groundContact && !header->lastGroundContact)) {
            header->state = 4;
            froacker->timer = 160;
            ContinueAnim(&froacker->anim, &froackerAnimSet, froackerChaseAnim, 3);
            Walk(actor, header->vx < 0.0f ? DirectionLeft : DirectionRight);
            LarryChase(froacker);
        }
        break;
    case 4:
        if (Hurt(actor)) {
            ShowHurt(froacker);
            break;
        }
        LarryChase(froacker);
        break;
    case 5:
        header->plane = 0;
        if (!Hurt(actor)) {
            header->groundSpeed += SlopeSine(header) * 0.5f / 256.0f;
            SteerAngle(header, 8, 248, 0.5f, 0.2f, actor.values[MaxGroundSpeed]);
        }
        if (froacker->timer) {
            --froacker->timer;
        } else {
            header->rotation = 0.0f;
            header->state = 0;
            froacker->chasing = 0;
            froacker->target = nullptr; // only a new hit starts another chase
            Show(froacker, 0);
        }
        break;
    default:
        break;
    }
}

// ---- Update ----

void FroackerUpdate(void* instance)
{
    FroackerRecord* froacker = (FroackerRecord*)instance;
    ObjectHeader* header = froacker->header;
    ActorBlock& actor = froacker->actor;
    EnemyStep(&actor);
    if (froacker->state)
        froacker->state(froacker);
    // No walking while a jump is wanted on the ground.
    if (actor.input[InputJump] && header->groundContact)
        Stand(actor);
    EnemyAnimate(&actor);
    froacker->savedVx = header->vx;
    froacker->savedVy = header->vy;
}

void FroackerLateUpdate(void* instance)
{
    EnemyLateUpdate(&Froacker, instance, &((FroackerRecord*)instance)->actor);
}

// Chuck forgets the player once it is out of sight.
void FroackerLeaveView(void* instance)
{
    FroackerRecord* froacker = (FroackerRecord*)instance;
    if (froacker->header->spawnA != VariantChuck)
        return;
    froacker->header->state = 0;
    froacker->target = nullptr;
    froacker->chasing = 0;
}

// ---- Draw ----

void FroackerDraw(void* instance)
{
    FroackerRecord* froacker = (FroackerRecord*)instance;
    const u8 variant = froacker->header->spawnA;
    if (froackerAnimSet.loaded && froackerAnimSet.palettes && variant < froackerAnimSet.paletteCount)
        SetCurrentPalette(froackerAnimSet.palettes[variant]);
    else if (froackerAnimSet.loaded && froackerAnimSet.palettes && froackerAnimSet.paletteCount)
        SetCurrentPalette(froackerAnimSet.palettes[0]);
    DrawEnemySprite(&froacker->actor);
}

void FroackerEditorPreview(void* cursor)
{
    if (playerControls[0].pressedMask & ButtonJump)
        froackerEditorVariant = (u8)((froackerEditorVariant + 1) % 3);
    const AnimSet& set = froackerAnimSet;
    if (!set.loaded || !set.animCount || !set.animations || !set.animations[0].frames || !cursor)
        return;
    if (set.palettes && set.paletteCount)
        SetCurrentPalette(set.palettes[froackerEditorVariant < set.paletteCount ? froackerEditorVariant : 0]);
    const ObjectHeader* header = HeaderOf(cursor);
    if (header && rendererSlots.DrawSprite)
        rendererSlots.DrawSprite(&set.animations[0].frames[0].image, scrollX, scrollY, TruncateToI32(header->x),
                                 TruncateToI32(header->y));
}

void FroackerEditorPlace(void* cursor)
{
    const ObjectHeader* header = HeaderOf(cursor);
    lastSpawnedInstance = nullptr;
    SpawnObject(&Froacker, header->x, header->y, froackerEditorVariant, 0);
    FroackerRecord* froacker = (FroackerRecord*)lastSpawnedInstance;
    if (!froacker)
        return;
    froacker->faceRight = 0;
    froacker->header->flipX = 1;
    froacker->type = (i8)froackerEditorVariant;
    FroackerInit(froacker);
}
