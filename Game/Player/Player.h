// The player: its record, the type's handlers, the camera that follows it, and its state functions
// (movement, hit and defeat). The state function in the record is swapped by the states themselves.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/ObjectType.h"
#include "Game/Actors/ActorBlock.h"

struct PlayerProgress;
struct PlayerRecord;
struct WhipRecord;

typedef void (*PlayerState)(PlayerRecord* player);

// Buttons of the held and pressed masks that the player reads.
enum : u32 {
    ButtonUp = 0x1,
    ButtonDown = 0x2,
    ButtonLeft = 0x4,
    ButtonRight = 0x8,
    ButtonJump = 0x10,
    ButtonAttack = 0x40,
    ButtonStart = 0x100,
    ButtonGrapple = 0x2000,
};

struct PlayerRecord {
    ObjectHeader* header;
    ActorBlock actor; // actor.anim points at whichever cursor is active
    AnimPlayer anim;    // body
    AnimPlayer overlay; // attack and throw; animation 0 = none
    u8 player;          // index into playerControls
    u8 grappleStyle, lineAdjustmentSplit, lineInOutReversed, lineInOutDelay, tappleDelay, advancedSettings;
    u8 editing;
    u32 editorType;
    f32 maxRun, accel, friction, jumpSpeed, gravity;
    f32 spin;
    // The whip's side of the record.
    WhipRecord* whip; // the player's whip, or null when none could be spawned
    i32 whipExtension; // 8.8 length of a throw in progress; 0 = none
    i32 lineLength;
    i32 previousLineLength;
    i32 zipSpeed;
    u32 ropeAngle;
    i32 handOffsetX, handOffsetY;
    u8 throwAngle, throwDirection;
    u8 whipThrown;
    u8 holdTicks;
    u8 fireBuffered;
    u8 lineDelay;
    u8 attackState; // 0 none, 1 first swing (or an air swing), 2 second swing
    u8 deathTimer;
    u8 health;
    f32 collected; // bones carried
    PlayerProgress* progress;
    u8 healthFlash;
    u16 hangTimer;
    u16 invulnerable;
    u8 facing; // 0 right, 1 left; the header's flipX stays 0
    u8 jumping, jumpHeld;
    u8 swingRelease;
    u8 stageValue; // layer the whip reads tiles from
    u8 savedLayer; // collision layer to return to after a drop-through
    u8 basePlane;
    u8 lookCounter;
    f32 lookOffset;
    u32 bonesCollected;
    u32 damageCount;
    f32 cameraShakeX, cameraShakeY;
    i16 shakeTimer;
    u8 shakeQuiet;
    PlayerState state;
};

extern ObjectType Player;
extern PlayerRecord** playerInstances;
extern AnimSet playerAnimSet;
extern ActorProperties playerProperties;

// Sound ids of the player's own sounds.
extern u32 jumpSound, jump2Sound, landSound, deathSound, healthSound, lifeSound;

void PlayerLoad(const char* placementPath);
void PlayerUnload();
void PlayerInit(void* instance);
void PlayerReset(void* instance);
void PlayerUpdate(void* instance);
void PlayerLateUpdate(void* instance);
void PlayerDraw(void* instance);
void FollowPlayerCamera(ObjectHeader* followed);

// Player 1's record while one is spawned, else null.
PlayerRecord* FirstPlayer();

// The state of the player's whip; 0 while it has none.
u32 PlayerWhipState(const PlayerRecord* player);
void SetPlayerWhipState(PlayerRecord* player, u32 state);

// Movement states.
void PlayerStateNormal(PlayerRecord* player);
void PlayerStateAir(PlayerRecord* player);
void PlayerStateHanging(PlayerRecord* player);
void PlayerBounceOff(PlayerRecord* player);

// Hit and defeat. PlayerTakeHit is called by the hit resolution with the attacker's header, after
// it has set the facing.
void PlayerTakeHit(PlayerRecord* player, ObjectHeader* attacker);
void PlayerStateHurt(PlayerRecord* player);
void PlayerStateDefeated(PlayerRecord* player);
void PlayerStateDefeatedFall(PlayerRecord* player);

// Placement mode: free flight without collision, placing objects of placeableTypes. SetPlayerEditing
// turns it on or off (on leaving, the player falls); TogglePlayerEditor does so for player 1.
void PlayerStateEditor(PlayerRecord* player);
void SetPlayerEditing(PlayerRecord* player, u8 editing);
void TogglePlayerEditor();
