// Hit resolution: what happens when two attack boxes of one frame overlap (nothing, a touch, a solid
// stand, a clash, or a hit with its damage, hit-stop, knock-back, sparks, sounds and score), and
// the hit-stop shake that both sides of a hit then run.
#pragma once
#include "Engine/Common/ObjectType.h"

struct ActorBlock;

// Types the exchange treats apart that live in other files. Each owner fills in its part in its
// Load and empties it in its Unload; a part left empty means no object of that kind is in play.
struct HitLinks {
    ObjectType* cornType;      // corn takes no sparks, is never hit by a sliding player, and stops
                               // a player's hit for two ticks of hit-stop
    ObjectType* breakWallType; // breaking a wall gives no score
};
extern HitLinks hitLinks;

// The exchange of registered box A (the potential victim) with box B (whose late update runs the
// Hazard list): true keeps A's entry for the rest of the frame, false clears it (after a hit, or a
// repeat).
bool ResolveAttackHit(void* registered, void* attacking);

// One tick of an actor's hit-stop: the shake while it lasts, then the hit-stun count-down. Returns
// the actor's stepped flag when it moves during hit-stop, else 0.
u8 ApplyHitlagShake(ActorBlock* actor);

// The ActorBlock of an object given its header, or null when the object keeps none (its instance
// data does not hold a block whose header is this one).
ActorBlock* ActorOfHeader(ObjectHeader* header);
