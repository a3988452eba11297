// The player: the type's Load and Unload, Init and Reset, the per-tick update around the state
// function (animation, the throw release, bones into health), the late update that registers its
// boxes, and the camera that follows it. The state functions live in PlayerStates.cpp, the drawing
// in PlayerDraw.cpp.
#include "Game/Player/Player.h"

#include <cmath>

#include "Engine/Collision/AngleTables.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/DevMenu.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/Sound.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Config.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Actors/Effects.h"
#include "Game/Actors/HitResolution.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Display/Hud.h"
#include "Game/Whip/Whip.h"
#include "Game/World/Bonus.h"

ObjectType Player;
PlayerRecord** playerInstances;
AnimSet playerAnimSet;
ActorProperties playerProperties;
u32 jumpSound, jump2Sound, landSound, deathSound, healthSound, lifeSound;

namespace {

// Tuning set at Init.
constexpr f32 baseMaxRun = 2.65625f;
constexpr f32 baseAccel = 0.15625f;
constexpr f32 baseFriction = 0.140625f;
constexpr f32 baseJumpSpeed = 5.59375f;
constexpr f32 baseGravity = 0.28125f;

constexpr u8 startingHealth = 5;
constexpr f32 bonesPerHealth = 48.0f;

// Body animations the update picks (right, left), and the running animations that raise dust.
constexpr u16 fallRight = 55, fallLeft = 58;
constexpr u16 firstDustAnim = 39, lastDustAnim = 42;
constexpr u16 fastDustAnim = 4;
// The overlay frame at which a throw lets go of the whip.
constexpr u16 throwReleaseFrame = 5;

// Camera look up and down.
constexpr u8 lookPress = 30;
constexpr f32 lookStep = 2.0f;
constexpr f32 lookUpLimit = -98.0f;
constexpr f32 lookDownLimit = 82.0f;

// Spawns an instance of a type that may not be loaded; the instance, or null.
void* SpawnIfPossible(ObjectType* type, f32 x, f32 y, u8 spawnA, u8 spawnB)
{
    lastSpawnedInstance = nullptr;
    SpawnObject(type, x, y, spawnA, spawnB);
    return lastSpawnedInstance;
}

ActorBlock* WhipActor(PlayerRecord* player)
{
    return player->whip ? &player->whip->actor : nullptr;
}

} // namespace

u32 PlayerWhipState(const PlayerRecord* player)
{
    return player->whip ? player->whip->state : 0;
}

void SetPlayerWhipState(PlayerRecord* player, u32 state)
{
    if (player->whip)
        player->whip->state = state;
}

// ---- Load and Unload ----

void PlayerLoad(const char* placementPath)
{
    LoadAnim("Data/Sprites/Players/Player.man", &playerAnimSet);
    LoadEnemyProperties(&Player, &playerProperties, "Data/Sprites/Players/Player.vep");
    jumpSound = LoadSound("Data/SFX/Global/Jump.wav");
    jump2Sound = LoadSound("Data/SFX/Global/Jump2.wav");
    landSound = LoadSound("Data/SFX/Global/Land.wav");
    deathSound = LoadSound("Data/SFX/Global/Death.wav");
    healthSound = LoadSound("Data/SFX/Global/Health.wav");
    lifeSound = LoadSound("Data/SFX/Global/Life.wav");

    Player.growthStep = 32;
    Player.updatePass = 1;
    Player.drawLayer = 9;
    Player.cullMarginX = -1;
    Player.cullMarginY = -1;
    RegisterObjectType(placementPath, &Player, (void***)&playerInstances, sizeof(PlayerRecord), PlayerUpdate,
                       PlayerLateUpdate, PlayerDraw, nullptr, nullptr, PlayerReset, PlayerInit, nullptr, PlayerLoad,
                       PlayerUnload);
    if (Player.loadCount < 2)
        SetObjectTypeName(&Player, "Player");
    devMenuEditorToggle = TogglePlayerEditor;

    // A stage entered anew forgets the checkpoints of the last one; a restart keeps them. This comes
    // before the placed players spawn, since their Init reads the checkpoint.
    if (currentStage != previousStage)
        for (PlayerProgress& progress : playerProgress)
            progress.checkpoint = 255;

    if (placementPath)
        LoadObjectPlacements(&Player, placementPath);
}

void PlayerUnload()
{
    FreeAnim(&playerAnimSet);
    FormatDebugText("Value: %d", playerProperties.useCount);
    FreeEnemyProperties(&playerProperties);
    FreeSound(jumpSound);
    FreeSound(jump2Sound);
    FreeSound(landSound);
    FreeSound(deathSound);
    FreeSound(healthSound);
    FreeSound(lifeSound);
    FreeObjectType(&Player);
    if (Player.loadCount == 0)
        devMenuEditorToggle = nullptr;
}

// ---- Init and Reset ----

void PlayerInit(void* instance)
{
    PlayerRecord* player = (PlayerRecord*)instance;
    ObjectHeader* header = player->header;
    // A reused slot still holds the last player's values; every field not set below starts at 0.
    *player = PlayerRecord{};
    player->header = header;

    InitEnemy(&player->actor, header, &player->anim);
    ApplyEnemyProperties(&playerProperties, &player->actor);
    player->actor.spawnX = header->x;
    player->actor.spawnY = header->y;

    // The whip: attached only when it really spawned, so a type not loaded leaves the slots alone.
    if (void* whip = SpawnIfPossible(&Whip, header->x, header->y, 0, 0)) {
        player->whip = (WhipRecord*)whip;
        AttachActor(&player->actor, &player->whip->actor);
    }

    player->grappleStyle = grappleStyle;
    player->lineAdjustmentSplit = lineAdjustmentSplit;
    player->lineInOutReversed = lineInOutReversed;
    player->lineInOutDelay = lineInOutDelay;
    player->tappleDelay = tappleDelay;
    player->advancedSettings = advancedSettings;
    player->progress = &playerProgress[0];
    player->editorType = 0;
    player->actor.anims[HurtAnim] = -1;
    player->player = 0;
    player->maxRun = baseMaxRun;
    player->accel = baseAccel;
    player->friction = baseFriction;
    player->jumpSpeed = baseJumpSpeed;
    player->gravity = baseGravity;
    player->editing = 0;
    header->plane = 0;
    header->flash = 0;
    player->health = startingHealth;
    // Only the left camera bound stops the player.
    header->edgeFlags[0] = 0;
    header->edgeFlags[1] = 0;
    header->edgeFlags[2] = 1;
    header->edgeFlags[3] = 0;

    PlayerReset(player);

    if (player->progress->checkpoint != 255) {
        header->x = player->progress->checkpointX;
        header->y = player->progress->checkpointY;
    }

    Camera& camera = cameras[0];
    camera.followed = header;
    camera.follow = FollowPlayerCamera;
    camera.x = header->x - (f32)(screenWidth / 2) + 4.0f;
    camera.y = header->y - (f32)(screenHeight / 2) + 16.0f;
}

void PlayerReset(void* instance)
{
    PlayerRecord* player = (PlayerRecord*)instance;
    ObjectHeader* header = player->header;
    PutOnStageCollisionLayer(header);
    if (currentLayout && currentLayout->layers && header->collisionLayer < currentLayout->layerCount) {
        TileLayer* layer = &currentLayout->layers[header->collisionLayer];
        TileSheet* sheet = currentLayout->tileSheets ? LayerTileSheet(currentLayout, layer) : currentTileSheet;
        header->collisionTileLayer = layer;
        header->collisionTiles = sheet ? sheet->tiles : nullptr;
    }
    player->stageValue = playerStageSetting;
    player->state = PlayerStateNormal;
    player->anim.set = &playerAnimSet;
    StartAnim(&player->anim, 0);
    player->overlay.animIndex = 0;
}

// ---- Update ----

void PlayerUpdate(void* instance)
{
    PlayerRecord* player = (PlayerRecord*)instance;
    ObjectHeader* header = player->header;
    if (!header)
        return;
    const PlayerState ran = player->state;
    // A stage that takes the player's control away (the Graveyard's exit) clears the state.
    if (player->state)
        player->state(player);

    // The hanging state runs the whip itself: once a tick either way.
    if (ran != PlayerStateHanging && player->actor.hitlag == 0 && player->whip)
        UpdateWhip(player);

    if (!player->editing && player->actor.hitlag == 0) {
        UpdateAnimPlayer(&player->anim);
        if (player->overlay.animIndex == 0) {
            player->actor.anim = &player->anim;
            // An air swing ends in the fall.
            if (player->attackState && player->anim.finished) {
                player->attackState = 0;
                SetAnim(&player->anim, &playerAnimSet, player->facing ? fallLeft : fallRight, 0, 0);
            }
        } else {
            player->actor.anim = &player->overlay;
            UpdateAnimPlayer(&player->overlay);
            if (!player->attackState) {
                // A throw: the whip leaves the hand at the release frame.
                if (player->overlay.frameIndex == throwReleaseFrame) {
                    if (whipFireSound)
                        QueueSound((u16)whipFireSound);
                    player->whipExtension = 1;
                    SetPlayerWhipState(player, 0);
                } else if (player->overlay.finished) {
                    player->overlay.animIndex = 0;
                }
            } else if (player->overlay.finished) {
                player->overlay.animIndex = 0;
                player->attackState = 0;
            }
        }
    }

    // Bones into health, or into a life once health is full.
    const f32 price = (f32)player->health * bonesPerHealth;
    if (player->collected >= price) {
        player->collected -= price;
        u8 forHealth = 0;
        if (player->health > 4) {
            if (player->progress && player->progress->lives < 255)
                ++player->progress->lives;
            HUDLifeFlash(header->index);
            QueueSound((u16)lifeSound);
        } else {
            ++player->health;
            player->healthFlash = 1;
            header->flash = 0; // the glow starts from here
            QueueSound((u16)healthSound);
            forHealth = 1;
        }
        SpawnIfPossible(&Bonus, header->x, header->y, forHealth, (u8)header->index);
    }

    // Running dust, once a cycle of the run.
    const u16 shown = player->anim.animIndex;
    if (shown >= firstDustAnim && shown <= lastDustAnim && header->groundContact && player->anim.frameIndex == 0 &&
        player->anim.prevFrameIndex != 0) {
        const i32 t = (i32)header->angle & 255;
        const f32 x = header->x - (f32)cosTable[(t - 64) & 255] * 12.0f / 327.68f;
        const f32 y = header->y + (f32)cosTable[t] * 16.0f / 327.68f;
        if (void* dust = SpawnIfPossible(&FX, x, y, 0, 0)) {
            ObjectHeader* dustHeader = HeaderOf(dust);
            dustHeader->drawLayer = header->drawLayer;
            dustHeader->rotation = header->angle;
            dustHeader->flipX = header->groundSpeed < 0.0f ? 1 : 0;
            dustHeader->groundSpeed = header->groundSpeed * 0.25f;
            if (player->anim.prevFrameIndex != 0xFFFF) {
                const f32 speed = std::fabs(header->groundSpeed);
                AnimPlayer* cursor = &((EffectRecord*)dust)->anim;
                if (speed < 8.0f)
                    DespawnObject(dustHeader);
                else if (speed < 12.0f && cursor->playing && cursor->set)
                    SetAnim(cursor, cursor->set, fastDustAnim, 0, 0);
            }
        }
    }
}

void PlayerLateUpdate(void* instance)
{
    PlayerRecord* player = (PlayerRecord*)instance;
    ObjectHeader* header = player->header;
    if (player->actor.hitlag < 1) {
        player->actor.hurt = 0;
        player->actor.hitId = -1;
        if (ActorBlock* whipActor = WhipActor(player)) {
            whipActor->hurt = 0;
            whipActor->hitId = -1;
        }
        if (player->whipExtension < 1 && PlayerWhipState(player) == 3)
            SetPlayerWhipState(player, 0);
    } else {
        ApplyHitlagShake(&player->actor);
    }

    if (player->editing)
        return;
    // The boxes mirror with the facing; the header itself never flips.
    header->flipX = player->facing;
    RegisterAttackBoxes(&player->actor);
    header->flipX = 0;
}

// ---- Camera ----

void FollowPlayerCamera(ObjectHeader* followed)
{
    if (pauseMenuOpen || Player.loadCount == 0 || !followed || !playerInstances || followed->index >= Player.poolSize)
        return;
    PlayerRecord* player = playerInstances[followed->index];
    if (!player)
        return;
    const PlayerControls& controls = playerControls[player->player & (playerCount - 1)];
    const u32 held = controls.heldMask;
    const u32 pressed = controls.pressedMask;
    const i32 width = screenWidth, height = screenHeight;
    const CameraLimits& limits = cameraLimits[0];
    Camera& camera = cameras[0];

    player->cameraShakeX = 0.0f;
    player->cameraShakeY = 0.0f;

    // Looking up or down takes a second press while the first still counts down.
    if (followed->groundContact) {
        if (!(held & (ButtonLeft | ButtonRight)) && player->lookCounter < lookPress) {
            if (pressed & ButtonUp)
                player->lookCounter += lookPress;
            if (pressed & ButtonDown)
                player->lookCounter += lookPress;
        }
        if (player->lookCounter > lookPress) {
            if ((held & ButtonUp) && player->lookOffset > lookUpLimit)
                player->lookOffset -= lookStep;
            if ((held & ButtonDown) && player->lookOffset < lookDownLimit)
                player->lookOffset += lookStep;
        }
        if (!(held & (ButtonUp | ButtonDown))) {
            if (player->lookCounter) {
                --player->lookCounter;
            } else if (player->lookOffset > 0.0f) {
                player->lookOffset = player->lookOffset > lookStep ? player->lookOffset - lookStep : 0.0f;
            } else if (player->lookOffset < 0.0f) {
                player->lookOffset = player->lookOffset < -lookStep ? player->lookOffset + lookStep : 0.0f;
            }
        }
    } else if (player->lookCounter > 1) {
        --player->lookCounter;
    }

    // Horizontal: a dead zone of 8 pixels either side of the middle.
    const i32 d = (i32)(followed->x - camera.x);
    if (d > width / 2 + 8) {
        i32 move = d - (width / 2 + 8);
        camera.x += (f32)(move > 16 ? 16 : move);
        if (camera.x > (f32)limits.rightBound)
            camera.x = (f32)limits.rightBound;
    } else if (d < width / 2 - 8) {
        i32 move = (width / 2 - 8) - d;
        camera.x -= (f32)(move > 16 ? 16 : move);
        if (camera.x < (f32)limits.leftBound)
            camera.x = (f32)limits.leftBound;
    }

    // Vertical: tight on the ground, a band of 32 pixels either way in the air.
    const i32 e = (i32)(followed->y - camera.y + player->lookOffset);
    const i32 target = height / 2 - 16;
    if (followed->groundContact) {
        const i32 limit = std::fabs(followed->groundSpeed) >= 8.0f ? 16 : 6;
        i32 move = e - target;
        if (move > limit)
            move = limit;
        if (move < -limit)
            move = -limit;
        camera.y += (f32)move;
    } else if (e < target - 32) {
        const i32 move = e - (target - 32);
        camera.y += (f32)(move < -16 ? -16 : move);
    } else if (e > target + 32) {
        const i32 move = e - (target + 32);
        camera.y += (f32)(move > 16 ? 16 : move);
    }

    if (player->shakeTimer > 0) {
        if (!player->shakeQuiet)
            player->cameraShakeY = (f32)((player->shakeTimer & 1) ? -player->shakeTimer : player->shakeTimer);
        --player->shakeTimer;
    }

    camera.x += player->cameraShakeX;
    camera.y += player->cameraShakeY;
    if (camera.x > (f32)(limits.rightBound - width))
        camera.x = (f32)(limits.rightBound - width);
    if (camera.x < (f32)limits.leftBound)
        camera.x = (f32)limits.leftBound;
    if (camera.y < (f32)limits.topBound)
        camera.y = (f32)limits.topBound;
    if (camera.y > (f32)(limits.bottomBound - height) + player->cameraShakeY)
        camera.y = (f32)(limits.bottomBound - height) + player->cameraShakeY;
}

PlayerRecord* FirstPlayer()
{
    if (!Player.registered || !Player.pool || !playerInstances)
        return nullptr;
    for (u32 i = 0; i < Player.poolSize; ++i)
        if (Player.pool[i]->alive && !Player.pool[i]->free)
            return playerInstances[i];
    return nullptr;
}
