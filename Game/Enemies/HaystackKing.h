// HaystackKing: the boss. One type carries five roles, chosen by spawn byte A: the arena controller
// (the placed object), the body, a dust puff, the bale that falls into the body's hands and rolls,
// and the bale it hurls. Beating the body ends the demo: the camera opens, a card shows, the player
// walks out right and a fade leads to "Thanks For Playing!", with bossDefeated set and saved.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/ObjectType.h"
#include "Game/Actors/ActorBlock.h"

constexpr const char haystackKingManPath[] = "Data/Sprites/Bosses/HaystackKing/HaystackKing.man";
constexpr const char haystackKingVepPath[] = "Data/Sprites/Bosses/HaystackKing/HaystackKing.vep";
constexpr const char haystackKingMusicPath[] = "Data/Music/Boss.ogg";
constexpr u32 haystackKingRegistrySlot = 68;

// Roles (spawn byte A).
enum : u8 {
    KingController = 0,
    KingBody = 1,
    KingDust = 2,
    KingFallingBale = 3,
    KingThrownBale = 4,
};

// Animations of the set.
enum : u16 {
    KingIdleAnim = 0,
    KingJumpAnim = 1, // leaves the ground at frame 7
    KingFirstPoseAnim = 2,
    KingSlamAnim = 4, // impact at frame 8
    KingSlamOverlayAnim = 5,
    KingCatchAnim = 6,
    KingCatchOverlayAnim = 7,
    KingThrowCaughtAnim = 8,
    KingThrowCaughtOverlayAnim = 9,
    KingBaleThrowAnim = 10, // the bale appears at frame 4 and flies at frame 5
    KingTurnAnim = 11,      // flips at frame 3
    KingDustAnim = 12,
    KingFallingBaleAnim = 13,
    KingThrownBaleAnim = 14,
    KingMarkerAnim = 15,
    kingAnimCount
};

// The arena, measured from the controller.
constexpr f32 kingArenaWidth = 636.0f, kingArenaHeight = 472.0f;
constexpr f32 kingBodyOffsetX = 564.0f, kingBodyOffsetY = 240.0f;
constexpr u8 kingDyingStep = 69;

struct HaystackKingRecord {
    ObjectHeader* header;
    AnimPlayer anim;
    AnimPlayer overlay; // animations 5, 7 and 9 drawn in front of the body
    ActorBlock actor;
    f32 arenaX, arenaY, arenaWidth, arenaHeight;
    f32 targetX, targetY;
    i16 timer; // idle countdown of the body, end countdown of the controller
    u8 attackStep; // 0 jumps, 1 slam, 2 jumps from the other side, 3 bale throw; 69 dying
    f32 savedVy;
    f32 hookOffsetX, hookOffsetY;
    u8 hookOffsetTaken;
    u32 pieceIndex; // the body: its piece; a piece: its body
    u8 side, started;
    u8 freeFall;
    i16 glowTimer;
    f32 flashTimer, glowLevel;
    i16 dyingCountdown;
    u8 musicStarted, endPending;
    u8 jumpCount; // jumps of the current attack; 69 for the death jump
    u8 turned;    // turned already during this jump
};

extern ObjectType HaystackKing;
extern HaystackKingRecord** haystackKingInstances;
extern AnimSet haystackKingAnimSet;
extern ActorProperties haystackKingProperties;
extern u8 bossBeaten;
// The stage's music slot asked for again once the boss is beaten (set by the stage that has one).
constexpr u32 noReturnMusic = 0xFFFFFFFFu;
extern u32 bossReturnMusic;
extern i32 bossSavedRightLimit;
extern u32 hskHitSound, hskDeathSound, hskJumpSound, hskLandSound, hskHayCatchSound, hskHayRollSound,
    hskChargeSound, hskHaydoukenSound;

void HaystackKingLoad(const char* placementPath);
void HaystackKingUnload();
void HaystackKingBind(void* instance, u32 index, ObjectHeader* header);
void HaystackKingInit(void* instance);
void HaystackKingReset(void* instance);
void HaystackKingUpdate(void* instance);
void HaystackKingStateStep(HaystackKingRecord* bale);
void HaystackKingHopStep(HaystackKingRecord* bale);
void HaystackKingLateUpdate(void* instance);
void HaystackKingLeaveView(void* instance);
void HaystackKingDraw(void* instance);
void HaystackKingEditorPreview(void* cursor);
void HaystackKingEditorPlace(void* cursor);
