// Hit resolution: what happens when two attack boxes of one frame overlap (nothing, a touch, a solid
// stand, a clash, or a hit with its damage, hit-stop, knock-back, sparks, sounds and score), and
// the hit-stop shake that both sides of a hit then run.
#pragma once
#include "Engine/Common/ObjectType.h"

struct ActorBlock;

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
