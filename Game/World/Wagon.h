// Wagon: a two-wheeled cart. The placed body spawns its two wheels, which roll on the collision
// layer; the body sits between them, turns to the line joining them and keeps them apart. Players
// push it, ride its deck and pull it along with the whip's hook.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/ObjectType.h"
#include "Game/Actors/ActorBlock.h"

constexpr const char wagonManPath[] = "Data/Sprites/Gimmicks/Wagon/Wagon.man";
constexpr const char wagonVepPath[] = "Data/Sprites/Gimmicks/Wagon/Wagon.vep";

// Roles by spawn byte A.
enum : u8 {
    WagonBody = 0,
    WagonLeftWheel = 1,
    WagonRightWheel = 2,
};

struct WagonRecord {
    ObjectHeader* header;
    ActorBlock actor;
    AnimPlayer bodyAnim;
    AnimPlayer hubAnim;
    AnimPlayer wheelAnim;
    AnimPlayer spokeAnim;
    i64 deckBox[4];  // left, right, top, bottom: against players
    i64 hookBox[4];  // against the whip's hook
    u32 leftWheel, rightWheel;
    f32 moveX; // the body's whole-pixel move of this tick
    f32 hookX, hookY; // where the hook holds the body, in the body's turned frame
};

// Speeds of the cart's motion.
constexpr f32 wagonMaxSpeed = 12.0f;
constexpr f32 wagonFriction = 0.01f;
constexpr f32 wagonPushStep = 0.075f;
constexpr f32 wagonPushLimit = 1.5f;
constexpr f32 wagonPullStep = 0.15625f;

extern ObjectType Wagon;
extern WagonRecord** wagonInstances;
extern AnimSet wagonAnimSet;
extern ActorProperties wagonProperties;

void WagonLoad(const char* placementPath);
void WagonUnload();
void WagonInit(void* instance);
void WagonReset(void* instance);
void WagonLateUpdate(void* instance);
void WagonDraw(void* instance);
void WagonSlot10(void* instance);
void WagonEditorPreview(void* cursor);
void WagonEditorPlace(void* cursor);

// Touch callbacks on the Player and Whip lists; both always return true.
bool WagonTouch(void* body, void* player);
bool WagonHookTouch(void* body, void* whip);
