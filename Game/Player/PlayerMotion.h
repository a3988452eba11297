// What the player's movement states share with its hit and defeat states: the angle look-ups, the
// body animation by facing, the move step, the slope's pull and running on the ground.
#pragma once
#include "Engine/Common/Types.h"

struct ObjectHeader;
struct PlayerRecord;

// The running limit on flat ground, px a tick.
constexpr f32 playerRunLimit = 2.65625f;

// The angle tables at any angle: every index is wrapped to a byte first.
f32 PlayerSin(i32 angle);
f32 PlayerCos(i32 angle);
// The header's surface angle truncated to a byte.
i32 PlayerSurfaceByte(const ObjectHeader* header);
// The body animation for the player's facing.
void ShowPlayerBody(PlayerRecord* player, u16 right, u16 left);
// Moves the body for the tick; false when a touch callback changed the state meanwhile, and the
// state must return at once.
bool PlayerMoveStep(PlayerRecord* player);
// The slope's pull on the ground speed (returned), and the running limit it sets on the base plane.
f32 PlayerSlopeForce(PlayerRecord* player, f32 scale);
// Running and braking on the ground with the slope's pull s; gain 0 only brakes.
void PlayerGroundRun(PlayerRecord* player, u32 held, f32 s, f32 gain);
