// HaystackKing: the boss of Village 1 and Boss Rush. The controller holds the camera on the arena
// and runs the ending once the body is beaten; the body jumps at the player, slams the ground to
// catch and throw a falling bale, and hurls a growing bale; dust puffs chain along the floor.
#include "Game/Enemies/HaystackKing.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "Engine/Collision/AngleTables.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/Random.h"
#include "Engine/Common/Sound.h"
#include "Engine/Platform/Config.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/AnimDraw.h"
#include "Engine/Render/LayerScroll.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Actors/Effects.h"
#include "Game/Actors/EnemyLibrary.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Display/Card.h"
#include "Game/Display/Fade.h"
#include "Game/Player/Player.h"
#include "Game/Whip/Whip.h"

ObjectType HaystackKing;
HaystackKingRecord** haystackKingInstances;
AnimSet haystackKingAnimSet;
ActorProperties haystackKingProperties;
u8 bossBeaten;
u32 bossReturnMusic = noReturnMusic;
i32 bossSavedRightLimit;
u32 hskHitSound, hskDeathSound, hskJumpSound, hskLandSound, hskHayCatchSound, hskHayRollSound, hskChargeSound,
    hskHaydoukenSound;

namespace {

u32 bossMusic;

constexpr EnemyTypeSettings settings{sizeof(HaystackKingRecord), 32, 0, 8, 192, 512};
constexpr i16 neverCulled = -1;

u32 LoadKingSound(const char* name)
{
    char path[128];
    snprintf(path, sizeof(path), "Data/SFX/Bosses/HaystackKing/%s.wav", name);
    return LoadSound(path);
}

// A spawn of one of the boss's roles, or null when the pool refused it.
HaystackKingRecord* SpawnRole(f32 x, f32 y, u8 role, u8 b)
{
    lastSpawnedInstance = nullptr;
    SpawnObject(&HaystackKing, x, y, role, b);
    return (HaystackKingRecord*)lastSpawnedInstance;
}

// The live instance at an index with the wanted role, or null (a link may outlive its instance).
HaystackKingRecord* LinkedRecord(u32 index, u8 role)
{
    if (!haystackKingInstances || !HaystackKing.pool || index >= HaystackKing.poolSize)
        return nullptr;
    HaystackKingRecord* record = haystackKingInstances[index];
    if (!record || !record->header || !record->header->alive || record->header->spawnA != role)
        return nullptr;
    return record;
}

u32 IndexOf(const HaystackKingRecord* record)
{
    return record && record->header ? record->header->index : 0xFFFFFFFFu;
}

bool EnteredFrame(const AnimPlayer& anim, u16 animation, u16 frame)
{
    return ShowsAnim(&anim, animation) && anim.frameIndex == frame && anim.prevFrameIndex != frame;
}

bool OnFrame(const AnimPlayer& anim, u16 animation, u16 frame)
{
    return ShowsAnim(&anim, animation) && anim.frameIndex == frame;
}

bool Dead(const HaystackKingRecord* king)
{
    return king->actor.hp <= 0.0f;
}

// A glow level from a pulse phase: 0 to 256 around 128.
f32 PulseLevel(f32 phase)
{
    const i32 step = ((TruncateToI32(phase) - 64) % 256 + 256) % 256;
    return (f32)cosTable[step] / 327.68f * 128.0f + 128.0f;
}

// A level as a blend byte; out-of-range levels clamp instead of wrapping.
u8 LevelByte(f32 level)
{
    if (!(level > 0.0f))
        return 0;
    return level >= 255.0f ? 255 : (u8)level;
}

void SetPalette()
{
    if (haystackKingAnimSet.loaded && haystackKingAnimSet.paletteCount && haystackKingAnimSet.palettes)
        SetCurrentPalette(haystackKingAnimSet.palettes[0]);
}

DrawSpriteFunction DrawFor(const ObjectHeader* header)
{
    return header->flipX ? (header->flipY ? rendererSlots.DrawSpriteFlipXY : rendererSlots.DrawSpriteFlipX)
                         : (header->flipY ? rendererSlots.DrawSpriteFlipY : rendererSlots.DrawSprite);
}

const SpriteImage* CurrentImage(const AnimPlayer& anim)
{
    if (!anim.set || !anim.animation || !anim.animation->frames || !anim.animation->frameCount)
        return nullptr;
    const u16 last = (u16)(anim.animation->frameCount - 1);
    return &anim.animation->frames[anim.frameIndex > last ? last : anim.frameIndex].image;
}

void DrawImageAt(const SpriteImage* image, const ObjectHeader* header, f32 x, f32 y)
{
    const DrawSpriteFunction draw = DrawFor(header);
    if (image && draw)
        draw(image, scrollX, scrollY, TruncateToI32(x), TruncateToI32(y));
}

// Spawns a puff of dust with the given flip, scale and layer; B puffs more follow along the floor.
void SpawnDust(f32 x, f32 y, u8 flipX, f32 scale, u8 layer, u8 chain)
{
    HaystackKingRecord* dust = SpawnRole(x, y, KingDust, chain);
    if (!dust)
        return;
    dust->header->flipX = flipX;
    dust->header->scaleX = dust->header->scaleY = scale;
    dust->header->drawLayer = layer;
}

PlayerRecord* PlayerOne()
{
    PlayerRecord* player = FirstPlayer();
    return player && player->header ? player : nullptr;
}

} // namespace

// ---- Load and Unload ----

void HaystackKingLoad(const char* placementPath)
{
    LoadAnim(haystackKingManPath, &haystackKingAnimSet);
    hskHitSound = LoadKingSound("HSKHit");
    hskDeathSound = LoadKingSound("HSKDeath");
    hskJumpSound = LoadKingSound("HSKJump");
    hskLandSound = LoadKingSound("HSKLand");
    hskHayCatchSound = LoadKingSound("HSKHayCatch");
    hskHayRollSound = LoadKingSound("HSKHayRoll");
    hskChargeSound = LoadKingSound("HSKCharge");
    hskHaydoukenSound = LoadKingSound("HSKHaydouken");
    bossMusic = LoadMusic(haystackKingMusicPath, 0, 0);
    LoadEnemyProperties(&HaystackKing, &haystackKingProperties, haystackKingVepPath);
    HaystackKing.updatePass = settings.updatePass;
    HaystackKing.growthStep = settings.growthStep;
    HaystackKing.drawLayer = settings.drawLayer;
    HaystackKing.cullMarginX = settings.cullMarginX;
    HaystackKing.cullMarginY = settings.cullMarginY;
    RegisterObjectType(nullptr, &HaystackKing, (void***)&haystackKingInstances, settings.recordBytes,
                       HaystackKingUpdate, HaystackKingLateUpdate, HaystackKingDraw, ObjectNoOp,
                       HaystackKingLeaveView, HaystackKingReset, HaystackKingInit, HaystackKingBind,
                       HaystackKingLoad, HaystackKingUnload);
    MoveObjectTypeToSlot(&HaystackKing, haystackKingRegistrySlot);
    HaystackKing.EditorPreview = HaystackKingEditorPreview;
    HaystackKing.EditorPlace = HaystackKingEditorPlace;
    HaystackKing.placeable = 1;
    AddPlaceableType(&HaystackKing);
    if (HaystackKing.loadCount < 2) {
        SetObjectTypeName(&HaystackKing, "HaystackKing");
        HaystackKing.reserved = ObjectNoOp;
    }
    if (placementPath)
        LoadObjectPlacements(&HaystackKing, placementPath);
}

void HaystackKingUnload()
{
    for (u32 id : {hskHitSound, hskDeathSound, hskJumpSound, hskLandSound, hskHayCatchSound, hskHayRollSound,
                   hskChargeSound, hskHaydoukenSound})
        FreeSound(id);
    FreeMusic(bossMusic);
    UnloadEnemyType(&HaystackKing, &haystackKingAnimSet, &haystackKingProperties);
}

void HaystackKingBind(void* instance, u32 index, ObjectHeader* header)
{
    (void)index;
    HaystackKingRecord* king = (HaystackKingRecord*)instance;
    king->actor.header = header ? header : king->header;
    king->actor.anim = &king->anim;
}

// ---- Init and Reset ----

void HaystackKingInit(void* instance)
{
    HaystackKingRecord* king = (HaystackKingRecord*)instance;
    ObjectHeader* header = king->header;
    if (header->spawnA == KingController) {
        bossBeaten = 0;
        king->arenaX = header->x;
        king->arenaY = header->y;
        king->arenaWidth = kingArenaWidth;
        king->arenaHeight = kingArenaHeight;
        king->timer = 120;
        king->endPending = 0;
        bossSavedRightLimit = cameraLimits[0].rightTarget;
        king->actor.sameTypeNoHit = 1;
        const f32 x = header->x, y = header->y;
        HaystackKingRecord* body = SpawnRole(x + kingBodyOffsetX, y + kingBodyOffsetY, KingBody, 0);
        // The spawn may have grown the pool and moved this record.
        king = (HaystackKingRecord*)instance;
        if (haystackKingInstances && header->index < HaystackKing.poolSize)
            king = haystackKingInstances[header->index];
        if (body) {
            body->arenaX = x;
            body->arenaY = y;
            body->arenaWidth = kingArenaWidth;
            body->arenaHeight = kingArenaHeight;
            king->pieceIndex = IndexOf(body);
        }
        HaystackKingReset(king);
        return;
    }
    InitEnemy(&king->actor, header, &king->anim);
    ApplyEnemyProperties(&haystackKingProperties, &king->actor);
    king->actor.sameTypeNoHit = 1;
    king->actor.keepStepping = 1;
    king->actor.whipNoHitlag = 1;
    if (header->spawnA == KingBody)
        king->actor.moveDuringHitlag = 1;
    // The bales roll and fly out past the camera's bounds (and leave the view) instead of piling up
    // against them.
    if (header->spawnA == KingFallingBale || header->spawnA == KingThrownBale)
        header->edgeFlags[2] = header->edgeFlags[3] = 0; // left, right
    header->flipX = 1;
    king->timer = 64;
    king->glowTimer = 0;
    king->flashTimer = king->glowLevel = 0.0f;
    king->attackStep = 0;
    king->side = king->started = king->freeFall = king->musicStarted = king->endPending = 0;
    king->jumpCount = king->turned = 0;
    king->dyingCountdown = 0;
    king->hookOffsetTaken = 0;
    king->pieceIndex = 0xFFFFFFFFu;
    HaystackKingReset(king);
}

void HaystackKingReset(void* instance)
{
    HaystackKingRecord* king = (HaystackKingRecord*)instance;
    ObjectHeader* header = king->header;
    king->anim.set = king->overlay.set = haystackKingAnimSet.loaded ? &haystackKingAnimSet : nullptr;
    u16 animation = KingMarkerAnim;
    switch (header->spawnA) {
    case KingController:
        header->cullMarginX = 256;
        header->cullMarginY = 512;
        break;
    case KingBody:
        animation = KingFirstPoseAnim;
        king->actor.hurtSound = (i32)hskHitSound;
        king->actor.deathSound = (i32)hskDeathSound;
        break;
    case KingDust:
        animation = KingDustAnim;
        header->cullMarginX = header->cullMarginY = neverCulled;
        break;
    case KingFallingBale:
        animation = KingFallingBaleAnim;
        break;
    default:
        animation = KingThrownBaleAnim;
        header->scaleX = header->scaleY = 0.2f;
        header->cullMarginX = header->cullMarginY = neverCulled;
        break;
    }
    if (king->anim.set)
        StartAnim(&king->anim, animation);
}

// ---- Update: the controller ----

namespace {

void ControllerUpdate(HaystackKingRecord* king)
{
    ObjectHeader* header = king->header;
    CameraLimits& limits = cameraLimits[0];
    if (!bossBeaten) {
        limits.leftTarget = cameras[0].x < header->x ? TruncateToI32(header->x - 640.0f) : TruncateToI32(header->x);
        limits.topTarget = TruncateToI32(header->y);
        limits.rightTarget = TruncateToI32(header->x + king->arenaWidth);
        limits.bottomTarget = TruncateToI32(header->y + king->arenaHeight + 16.0f + 9.0f);
        return;
    }
    PlayerRecord* player = PlayerOne();
    if (king->timer > 0) {
        --king->timer;
        if (king->timer == 0) {
            king->endPending = 1;
            musicStopRequest = 1;
            if (bossReturnMusic != noReturnMusic)
                PlayMusic(bossReturnMusic);
            limits.rightTarget = bossSavedRightLimit - 64;
            if (player)
                player->header->edgeFlags[3] = 0;
            SpawnObject(&Card, 0.0f, 0.0f, 4, 6);
        }
    }
    if (king->timer > 0)
        return;
    // Never below 0: the walk-out below waits for exactly 0.
    king->timer = 0;
    header->cullMarginX = header->cullMarginY = neverCulled;
    if (!player || player->header->x <= header->x + 1024.0f)
        return;
    playerControls[0].heldMask &= 0xFF000008u;
    playerControls[0].pressedMask &= 0xFF000000u;
    if (king->endPending) {
        musicVolumeTarget = 0.0f;
        musicFadeStep = 0.0025f;
        lastSpawnedInstance = nullptr;
        SpawnObject(&Fade, 0.0f, 0.0f, FadeOutToStage, 2);
        if (lastSpawnedInstance)
            ((FadeRecord*)lastSpawnedInstance)->targetStage = &thanksStage;
        bossDefeated = 1;
        king->endPending = 0;
        SaveConfig();
        controlModes[0] = 0;
    }
}

// ---- Update: the body ----

void HoldWhip(HaystackKingRecord* king)
{
    PlayerRecord* player = PlayerOne();
    WhipRecord* whip = player ? player->whip : nullptr;
    if (!whip || !whip->header)
        return;
    whip->header->drawLayer = (u8)(king->header->drawLayer + 5);
    if (whip->hookedObject == king->header && (whip->state == 4 || whip->state == 5)) {
        if (!king->hookOffsetTaken) {
            king->hookOffsetX = whip->header->x - king->header->x;
            king->hookOffsetY = whip->header->y - king->header->y;
            king->hookOffsetTaken = 1;
        } else {
            whip->header->x = king->header->x + king->hookOffsetX;
            whip->header->y = king->header->y + king->hookOffsetY;
        }
    } else if (whip->state > 2 && whip->hookedObject && whip->hookedObject->type == &HaystackKing) {
        whip->hookedObject = nullptr;
        king->hookOffsetTaken = 0;
    } else {
        king->hookOffsetTaken = 0;
    }
}

void TakeOff(HaystackKingRecord* king)
{
    ObjectHeader* header = king->header;
    PlayerRecord* player = PlayerOne();
    const f32 arenaBottom = king->arenaY + king->arenaHeight;
    if (Dead(king)) {
        king->jumpCount = kingDyingStep;
        king->targetX = king->arenaX + king->arenaWidth * 0.5f;
        king->targetY = arenaBottom;
    } else if (king->jumpCount < 3 && player) {
        king->targetX = player->header->x;
        king->targetY = player->header->y;
    } else {
        const f32 e = king->attackStep == 2 ? 24.0f : 0.0f;
        king->targetY = arenaBottom;
        king->targetX = king->side == 0 ? king->arenaX + king->arenaWidth - 56.0f - e : king->arenaX + 56.0f + e;
    }
    header->vx = (king->targetX - header->x) / 56.0f;
    const f32 drop = (header->y - king->targetY) / 48.0f;
    if (king->jumpCount < 3) {
        f32 vy = (std::fabs(header->vx) - 12.0f) - drop;
        header->vy = vy < -7.0f ? -7.0f : (vy > -4.0f ? -4.0f : vy);
    } else {
        header->vy = -7.0f - drop;
    }
    header->subState = 1;
    ++king->jumpCount;
    king->turned = 0;
    QueueSound((u16)hskJumpSound);
}

// Jumps 0-3 turn to face the player; the later ones face the arena's centre from where they land.
void TurnInAir(HaystackKingRecord* king)
{
    ObjectHeader* header = king->header;
    AnimPlayer& anim = king->anim;
    if (ShowsAnim(&anim, KingTurnAnim)) {
        if (EnteredFrame(anim, KingTurnAnim, 3))
            header->flipX = !header->flipX;
        if (anim.finished) {
            king->actor.animLock = 1;
            EnemyAnimate(&king->actor);
            // Back on the jump's last frame at once, held there until the landing.
            ContinueAnim(&anim, &haystackKingAnimSet, KingJumpAnim, 7);
        }
        return;
    }
    if (!OnFrame(anim, KingJumpAnim, 7) || header->vy >= 0.0f || king->turned)
        return;
    PlayerRecord* player = PlayerOne();
    bool wrongWay;
    if (king->jumpCount <= 4)
        wrongWay = player && ((player->header->x > header->x) == (header->flipX != 0));
    else
        wrongWay = (king->targetX > king->arenaX + king->arenaWidth * 0.5f) == (header->flipX == 0);
    if (wrongWay) {
        king->turned = 1;
        StartAnim(&anim, KingTurnAnim);
    }
}

void BodyStateMachine(HaystackKingRecord* king)
{
    ObjectHeader* header = king->header;
    ActorBlock& actor = king->actor;
    AnimPlayer& anim = king->anim;
    if (Dead(king) && (header->state == 2 || header->state == 3)) {
        header->state = 0;
        king->timer = 32;
    }
    switch (header->state) {
    case 0:
        if (!king->started)
            return;
        FormatDebugText("Value: %d", king->timer);
        if (header->groundContact && king->timer > 0)
            --king->timer;
        if (king->timer > 0)
            return;
        if (!king->musicStarted) {
            king->musicStarted = 1;
            musicFadeStep = 0.0f;
            musicStopRequest = 1;
            PlayMusic(bossMusic);
        }
        header->subState = 0;
        king->jumpCount = 0;
        switch (king->attackStep) {
        case 0: header->state = 1; break;
        case 1: header->state = 2; break;
        case 2: header->state = 1; king->side = !king->side; break;
        case 3: header->state = 3; break;
        default: header->state = 4; break;
        }
        return;
    case 1:
        // The take-off comes first: a turn started on its tick must not hide the frame it reads.
        if (header->subState == 0) {
            actor.input[InputJump] = 1;
            if (EnteredFrame(anim, KingJumpAnim, 7))
                TakeOff(king);
            TurnInAir(king);
            return;
        }
        TurnInAir(king);
        if (header->vy > 0.0f)
            actor.input[InputJump] = 0;
        if (header->groundContact && header->vy >= 0.0f && ShowsAnim(&anim, KingIdleAnim) && anim.finished) {
            header->subState = 0;
            if (Dead(king)) {
                header->state = 0;
            } else if (king->jumpCount >= 4) {
                header->state = 0;
                ++king->attackStep;
                king->timer = 32;
            }
        }
        return;
    case 2:
        if (header->subState == 0) {
            actor.animLock = 1;
            StartAnim(&anim, KingSlamAnim);
            header->subState = 1;
        } else if (header->subState == 1) {
            if (EnteredFrame(anim, KingSlamAnim, 8)) {
                QueueSound((u16)hskLandSound);
                if (PlayerRecord* player = PlayerOne())
                    player->shakeTimer = 16;
                const f32 x = header->x, y = header->y;
                const u8 flip = header->flipX, layer = (u8)(header->drawLayer + 5);
                const u32 self = header->index;
                SpawnDust(x - (flip ? 80.0f : -80.0f), y + 60.0f, flip, 1.0f, layer, 0);
                HaystackKingRecord* bale = SpawnRole(x - (flip ? 32.0f : -32.0f), y - 480.0f, KingFallingBale, 0);
                king = haystackKingInstances[self];
                header = king->header;
                if (bale) {
                    bale->header->flipX = flip;
                    bale->pieceIndex = self;
                    bale->arenaX = king->arenaX;
                    bale->arenaY = king->arenaY;
                    bale->arenaWidth = king->arenaWidth;
                    bale->arenaHeight = king->arenaHeight;
                    king->pieceIndex = IndexOf(bale);
                }
            }
            if (ShowsAnim(&king->anim, KingCatchAnim) && king->anim.finished) {
                StartAnim(&king->anim, KingThrowCaughtAnim);
                header->subState = 2;
                if (HaystackKingRecord* bale = LinkedRecord(king->pieceIndex, KingFallingBale))
                    ++bale->header->state;
            }
        } else if (ShowsAnim(&anim, KingThrowCaughtAnim) && anim.finished) {
            ++king->attackStep;
            king->timer = 110;
            header->state = 0;
            StartAnim(&anim, KingIdleAnim);
            actor.animLock = 0;
        }
        return;
    case 3:
        if (header->subState == 0) {
            actor.animLock = 1;
            StartAnim(&anim, KingBaleThrowAnim);
            QueueSound((u16)hskChargeSound);
            header->subState = 1;
        } else if (header->subState == 1) {
            if (EnteredFrame(anim, KingBaleThrowAnim, 4)) {
                header->flipX = !header->flipX;
                const AnimFramePoint point = GetAnimFramePoint(header, &anim, 0);
                header->flipX = !header->flipX;
                const u32 self = header->index;
                const u8 layer = (u8)(header->drawLayer + 5);
                HaystackKingRecord* bale = SpawnRole(point.x, point.y, KingThrownBale, 0);
                king = haystackKingInstances[self];
                header = king->header;
                if (bale) {
                    bale->pieceIndex = self;
                    bale->header->drawLayer = layer;
                    bale->header->flipX = header->flipX;
                    bale->arenaX = king->arenaX;
                    bale->arenaY = king->arenaY;
                    bale->arenaWidth = king->arenaWidth;
                    bale->arenaHeight = king->arenaHeight;
                    king->pieceIndex = IndexOf(bale);
                    AttachActor(&king->actor, &bale->actor);
                }
            }
            if (EnteredFrame(king->anim, KingBaleThrowAnim, 5)) {
                StopSound((u16)hskChargeSound);
                QueueSound((u16)hskHaydoukenSound);
                header->subState = 2;
            }
        } else if (anim.finished) {
            header->state = 0;
            king->timer = 32;
            king->attackStep = 0;
            actor.animLock = 0;
            StartAnim(&anim, KingIdleAnim);
        }
        return;
    case 4:
        header->edgeFlags[1] = header->edgeFlags[3] = 0;
        header->state = 1;
        header->subState = 0;
        actor.animLock = 0;
        return;
    default:
        return;
    }
}

void BodyUpdate(HaystackKingRecord* king)
{
    ObjectHeader* header = king->header;
    PlayerRecord* player = PlayerOne();
    if (player) {
        player->header->edgeFlags[3] = 1;
        HoldWhip(king);
        if (player->state == PlayerStateAir && player->actor.hitlag == 1 && !player->actor.hurt)
            player->header->vx += header->vx;
    }
    king->savedVy = header->vy;
    if (!king->started && cameras[0].x >= king->arenaX) {
        king->timer = 120;
        king->started = 1;
        header->cullMarginX = header->cullMarginY = 512;
        musicVolumeTarget = 0.0f;
        musicFadeStep = 0.0025f;
    }
    EnemyCommonStep(&king->actor);
    if (!header->alive)
        return;
    if (Dead(king)) {
        const i16 was = king->dyingCountdown--;
        if (was <= 0) {
            SpawnObject(&Explosion, header->x + (f32)GameRand() / 405.0f - 40.0f,
                        header->y + (f32)GameRand() / 325.0f - 40.0f, 1, 0);
            QueueSound((u16)enemyExplodeSound);
            king->dyingCountdown = 6;
        } else if (king->dyingCountdown == 3) {
            SpawnObject(&Explosion, header->x + (f32)GameRand() / 405.0f - 40.0f,
                        header->y + (f32)GameRand() / 325.0f - 40.0f, 1, 0);
        }
        king->attackStep = kingDyingStep;
    }
    BodyStateMachine(king);
}

void DustUpdate(HaystackKingRecord* dust)
{
    ObjectHeader* header = dust->header;
    UpdateAnimPlayer(&dust->anim);
    if (EnteredFrame(dust->anim, KingDustAnim, 2))
        QueueSoundAt((u16)whipAttackSound, 44100.0f + header->scaleX * 16000.0f);
    if (EnteredFrame(dust->anim, KingDustAnim, 3) && header->spawnB > 0) {
        const u32 self = header->index;
        const f32 x = header->x + (header->flipX ? -28.0f : 28.0f), y = header->y;
        const f32 scale = header->scaleX - 0.15f;
        const u8 flip = header->flipX, layer = header->drawLayer, chain = (u8)(header->spawnB - 1);
        lastSpawnedInstance = nullptr;
        SpawnObject(&HaystackKing, x, y, KingDust, chain);
        if (HaystackKingRecord* next = (HaystackKingRecord*)lastSpawnedInstance) {
            next->header->flipX = flip;
            next->header->scaleX = next->header->scaleY = scale;
            next->header->drawLayer = layer;
        }
        dust = haystackKingInstances[self];
        header = dust->header;
    }
    if (dust->anim.finished)
        DespawnObject(header);
}

} // namespace

void HaystackKingUpdate(void* instance)
{
    HaystackKingRecord* king = (HaystackKingRecord*)instance;
    ObjectHeader* header = king->header;
    if (header->spawnA == KingController) {
        ControllerUpdate(king);
        return;
    }
    header->objectFlag = 0;
    if (Dead(king))
        StopSound((u16)hskChargeSound);
    switch (header->spawnA) {
    case KingBody: BodyUpdate(king); break;
    case KingDust: DustUpdate(king); break;
    case KingFallingBale: HaystackKingStateStep(king); break;
    default: HaystackKingHopStep(king); break;
    }
}

void HaystackKingStateStep(HaystackKingRecord* bale)
{
    ObjectHeader* header = bale->header;
    bale->actor.hitlag = 0;
    HaystackKingRecord* body = LinkedRecord(bale->pieceIndex, KingBody);
    if (!body || Dead(body)) {
        // Without its body the bale just drops to the floor and stays.
        if (header->state != 69) {
            header->vy += 0.2f;
            if (header->groundContact) {
                header->vx = header->vy = 0.0f;
                header->state = 69;
                if (PlayerRecord* player = PlayerOne())
                    player->shakeTimer = 8;
                QueueSound((u16)hskLandSound);
            }
        }
    } else {
        const AnimFramePoint point = GetAnimFramePoint(body->header, &body->anim, 0);
        switch (header->state) {
        case 0:
            header->vy += 0.1f;
            if (body->anim.finished && point.y - header->y >= 0.0f && point.y - header->y <= 20.0f) {
                header->x = point.x;
                header->y = point.y - 10.0f;
                header->vx = header->vy = 0.0f;
                header->state = 1;
                body->actor.animLock = 1;
                StartAnim(&body->anim, KingCatchAnim);
                QueueSound((u16)hskHayCatchSound);
            }
            break;
        case 1:
            if (ShowsAnim(&body->anim, KingCatchAnim) && body->anim.animation &&
                body->anim.frameIndex + 1 < body->anim.animation->frameCount) {
                header->x = point.x;
                header->y = point.y - 10.0f;
            }
            break;
        case 2:
            if (body->anim.frameIndex < 4) {
                body->header->flipX = !body->header->flipX;
                const AnimFramePoint reversed = GetAnimFramePoint(body->header, &body->anim, 0);
                body->header->flipX = !body->header->flipX;
                header->y = reversed.y - 4.0f;
                header->x = reversed.x + (body->header->flipX ? 32.0f : -32.0f);
            } else {
                header->vx = header->flipX ? -1.8f : 1.8f;
                header->vy = -2.0f;
                header->state = 3;
            }
            break;
        case 3:
            if (!header->groundContact) {
                header->vy += 0.2f;
            } else {
                header->state = 4;
                if (PlayerRecord* player = PlayerOne())
                    player->shakeTimer = 8;
                QueueSound((u16)hskHayRollSound);
            }
            break;
        case 4:
            header->groundSpeed = header->vx = header->flipX ? -2.65f : 2.65f;
            if (header->groundContact) {
                const f32 speed = std::fabs(header->groundSpeed);
                bale->anim.speed = (u16)(speed * 10.0f);
                header->scaleX -= speed / 900.0f;
                header->scaleY -= speed / 900.0f;
                UpdateAnimPlayer(&bale->anim);
            } else {
                header->vy += 0.2f;
            }
            break;
        default:
            break;
        }
    }
    if (header->y > bale->arenaY + bale->arenaHeight + 512.0f)
        DespawnObject(header);
}

void HaystackKingHopStep(HaystackKingRecord* bale)
{
    ObjectHeader* header = bale->header;
    HaystackKingRecord* body = LinkedRecord(bale->pieceIndex, KingBody);
    if (body)
        header->flipX = body->header->flipX;
    bale->actor.hitlag = 0;
    // While the body still plays its throw the bale grows, is thrown and keeps its full speed.
    if (body && !Dead(body) && ShowsAnim(&body->anim, KingBaleThrowAnim)) {
        if (body->anim.frameIndex < 5) {
            header->scaleX = header->scaleX + 0.015f > 1.0f ? 1.0f : header->scaleX + 0.015f;
            header->scaleY = header->scaleY + 0.015f > 1.0f ? 1.0f : header->scaleY + 0.015f;
        } else if (body->anim.frameIndex == 5) {
            header->vx = header->flipX ? -17.0f : 17.0f;
        }
    } else if (std::fabs(header->vx) <= 2.0f) {
        header->vy += 0.2f;
    } else {
        const f32 size = std::fabs(header->vx) - 0.4f;
        header->vx = header->vx < 0.0f ? -(size < 0.4f ? 0.4f : size) : (size < 0.4f ? 0.4f : size);
    }
    FormatDebugText("Value: %f", (double)header->vx);
    if (header->state == 0 && header->groundContact) {
        header->y -= 2.0f;
        header->vy = -4.0f;
        header->state = 1;
        bale->freeFall = 1;
        if (PlayerRecord* player = PlayerOne())
            player->shakeTimer = 12;
        QueueSound((u16)hskLandSound);
    }
    UpdateAnimPlayer(&bale->anim);
    // Never culled, so it goes once it has fallen well out of the arena.
    if (header->y > bale->arenaY + bale->arenaHeight + 512.0f)
        DespawnObject(header);
}

// ---- LateUpdate and LeaveView ----

void HaystackKingLateUpdate(void* instance)
{
    HaystackKingRecord* king = (HaystackKingRecord*)instance;
    ObjectHeader* header = king->header;
    const u8 role = header->spawnA;
    if (role == KingController)
        return;
    ActorBlock& actor = king->actor;
    if (king->freeFall)
        actor.useStepper = 1;
    if (actor.hitlag > 0 && actor.hurt && king->flashTimer == 0.0f)
        king->flashTimer = 20.0f;
    if (!Dead(king)) {
        if (role == KingBody) {
            king->flashTimer = king->flashTimer > 1.0f ? king->flashTimer - 1.0f : 0.0f;
            actor.noBoxes = king->flashTimer > 0.0f;
        } else {
            actor.noBoxes = 0;
        }
    } else {
        musicVolumeTarget = 0.0f;
        musicFadeStep = 0.01f;
        actor.noBoxes = 1;
        king->attackStep = kingDyingStep;
        if (king->jumpCount > 68 && header->vy > 0.0f)
            actor.useStepper = 1;
    }
    const i32 last = EnemyLateUpdate(&HaystackKing, instance, &actor);
    if (!header->alive)
        return;
    if (last >= 0 && hazardInstances && (u32)last < attackBoxCount) {
        AttackBox* box = hazardInstances[last];
        const f32 scale = std::fabs(header->scaleX);
        if (role == KingFallingBale && header->state != 69) {
            box->left = (i64)(header->x - scale * 36.0f);
            box->right = (i64)(header->x + scale * 36.0f);
            box->top = (i64)(header->y - scale * 58.0f);
        } else if (role == KingDust) {
            box->top = (i64)(header->y - header->scaleX * 70.0f + (1.0f - header->scaleX) * 10.0f);
            box->bottom = box->top + 60;
        }
    }
    if (role == KingBody && header->groundContact && !header->lastGroundContact) {
        const f32 vy = king->savedVy;
        if (PlayerRecord* player = PlayerOne())
            player->shakeTimer = (i16)(vy * 1.5f);
        actor.animLock = 0;
        // A soft landing raises no chain: the count stops at 0 instead of wrapping.
        const f32 chain = vy - 3.0f;
        const u8 count = chain <= 0.0f ? 0 : (chain >= 255.0f ? 255 : (u8)chain);
        const f32 scale = vy / 10.0f + 0.4f;
        const f32 x = header->x, y = header->y;
        const u8 layer = (u8)(header->drawLayer + 5);
        SpawnDust(x - 48.0f, y + 60.0f, 1, scale, layer, count);
        SpawnDust(x + 48.0f, y + 60.0f, 0, scale, layer, count);
        QueueSound((u16)hskLandSound);
    }
}

void HaystackKingLeaveView(void* instance)
{
    HaystackKingRecord* king = (HaystackKingRecord*)instance;
    ObjectHeader* header = king->header;
    switch (header->spawnA) {
    case KingController:
        return;
    case KingBody:
        if (!Dead(king))
            return;
        DespawnObject(header);
        musicFadeStep = 0.0f;
        bossBeaten = 1;
        QueueSound((u16)hskDeathSound);
        return;
    default:
        DespawnObject(header);
        return;
    }
}

// ---- Draw ----

namespace {

void DrawBodyOverlay(HaystackKingRecord* king)
{
    ObjectHeader* header = king->header;
    u16 overlay;
    f32 dx = 0.0f, dy = 0.0f;
    if (ShowsAnim(&king->anim, KingSlamAnim)) {
        overlay = KingSlamOverlayAnim;
        dx = header->flipX ? 24.0f : -24.0f;
    } else if (ShowsAnim(&king->anim, KingCatchAnim)) {
        overlay = KingCatchOverlayAnim;
        dx = header->flipX ? 26.0f : -26.0f;
        dy = -6.0f;
    } else if (ShowsAnim(&king->anim, KingThrowCaughtAnim)) {
        overlay = KingThrowCaughtOverlayAnim;
        dy = -6.0f;
    } else {
        return;
    }
    king->overlay.set = &haystackKingAnimSet;
    SetAnim(&king->overlay, &haystackKingAnimSet, overlay, king->anim.frameIndex, 1);
    const SpriteImage* image = CurrentImage(king->overlay);
    const f32 x = header->x + dx + king->actor.shakeX, y = header->y + dy + king->actor.shakeY;
    DrawImageAt(image, header, x, y);
    blendMode = 2;
    blendLevel = LevelByte(king->glowLevel);
    DrawImageAt(image, header, x + (header->flipX ? 0.0f : 1.0f), y);
    RestDrawState();
}

void DrawBody(HaystackKingRecord* king)
{
    ObjectHeader* header = king->header;
    ActorBlock& actor = king->actor;
    const bool dead = Dead(king);
    king->glowLevel = dead ? 255.0f : 255.0f - actor.hp * 3.1875f;
    if (actor.hitlag > 0 && actor.hurt && header->phase == 0.0f)
        header->phase = 1.0f;
    if (header->phase > 0.0f && header->phase < 768.0f) {
        king->glowLevel = PulseLevel(header->phase);
        // A growth of at least 1 a tick, so that a body with many hit points still ends its pulse.
        const f32 growth = 40.0f - actor.hp * 0.25f;
        header->phase += growth < 1.0f ? 1.0f : growth;
    } else if (header->phase >= 768.0f) {
        header->phase = 0.0f;
        king->glowLevel = 0.0f;
    }
    const u32 overlayLayer = header->drawLayer + 5u > 15u ? 15u : header->drawLayer + 5u;
    if (currentDrawLayer != header->drawLayer && currentDrawLayer == overlayLayer) {
        DrawBodyOverlay(king);
        return;
    }
    DrawEnemySprite(&actor);
    blendMode = 2;
    blendLevel = LevelByte(king->glowLevel);
    DrawImageAt(CurrentImage(king->anim), header, header->x + actor.shakeX + (header->flipX ? 0.0f : 1.0f),
                header->y + actor.shakeY);
    RestDrawState();
    const bool overlaid = ShowsAnim(&king->anim, KingSlamAnim) || ShowsAnim(&king->anim, KingCatchAnim) ||
                          ShowsAnim(&king->anim, KingThrowCaughtAnim);
    if (overlaid && currentDrawLayer < overlayLayer)
        QueueObjectDraw(overlayLayer, &HaystackKing, king);
}

void DrawThrownBale(HaystackKingRecord* bale)
{
    ObjectHeader* header = bale->header;
    header->phase += 1.0f;
    const f32 glow = PulseLevel(header->phase);
    const SpriteImage* image = CurrentImage(bale->anim);
    drawFlags = 0x2000;
    spriteScaleX = (i32)((glow / 1000.0f + header->scaleX) * 512.0f);
    spriteScaleY = (i32)((glow / 1000.0f + header->scaleY) * 512.0f);
    DrawImageAt(image, header, header->x, header->y);
    blendMode = 1;
    blendLevel = LevelByte(glow);
    DrawImageAt(image, header, header->x, header->y);
    RestDrawState();
}

} // namespace

void HaystackKingDraw(void* instance)
{
    HaystackKingRecord* king = (HaystackKingRecord*)instance;
    ObjectHeader* header = king->header;
    if (!haystackKingAnimSet.loaded)
        return;
    SetPalette();
    switch (header->spawnA) {
    case KingController:
        if (layerScrollFrozen || debugView) {
            const f32 x = header->x, y = header->y;
            DrawAnimFrame(&king->anim, header);
            header->x = x;
            header->y = y;
        }
        return;
    case KingBody:
        DrawBody(king);
        return;
    case KingThrownBale:
        DrawThrownBale(king);
        return;
    default:
        header->flash = 255;
        SetSpriteTransform(header, 0);
        DrawEnemySprite(&king->actor);
        RestDrawState();
        return;
    }
}

void HaystackKingEditorPreview(void* cursor)
{
    if (!haystackKingAnimSet.loaded || haystackKingAnimSet.animCount <= KingMarkerAnim || !cursor)
        return;
    SetPalette();
    const ObjectHeader* header = HeaderOf(cursor);
    const Animation& marker = haystackKingAnimSet.animations[KingMarkerAnim];
    if (header && marker.frames && marker.frameCount && rendererSlots.DrawSprite)
        rendererSlots.DrawSprite(&marker.frames[0].image, scrollX, scrollY, TruncateToI32(header->x),
                                 TruncateToI32(header->y));
}

void HaystackKingEditorPlace(void* cursor)
{
    const ObjectHeader* header = HeaderOf(cursor);
    SpawnObject(&HaystackKing, header->x, header->y, KingController, 0);
}
