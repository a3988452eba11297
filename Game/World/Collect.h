// Collectible bones: placed bones that spin in step, loose bones flung out by defeats and hits that
// bounce and fade, and picked-up bones that fly across the screen into the HUD's bone bar. A
// pickup adds the bone's worth (value + 1) to the player's collected amount.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/ObjectType.h"

struct PlayerRecord;

// Modes (spawn byte A).
enum : u8 {
    CollectPlaced = 0,
    CollectLoose = 1,
    CollectFlying = 2,
};

struct CollectRecord {
    ObjectHeader* header;
    AnimPlayer anim;
    u8 bounceCount; // landings of a loose bone
    u8 fadeLevel;   // 0: not fading; else the blend level of a fading loose bone
    f32 spin;       // added to the rotation each tick while loose
    u8 value;       // placement key "value", 0-4: worth value + 1, drawn at (value + 1) / 4 size
    f32 targetX, targetY; // screen point in the bone bar a flyer heads for
    f32 flyAlpha;
};

extern ObjectType Collect;
extern CollectRecord** collectInstances;
extern AnimSet collectAnimSet;
extern u32 collectSound;

void CollectLoad(const char* placementPath);
void CollectUnload();
void CollectInit(void* instance);
void CollectReset(void* instance);
void CollectUpdate(void* instance);
void CollectLateUpdate(void* instance);
void CollectLeaveView(void* instance);
void CollectDraw(void* instance);
void CollectEditorPreview(void* cursor);
void CollectEditorPlace(void* cursor);
void CollectValueChanged(void* instance);
bool CollectTouch(void* bone, void* player);

// The screen point where the bone bar starts: HUD instance 0's while one is live, else where the
// bar comes to rest.
void BoneBarOrigin(i32* x, i32* y);
