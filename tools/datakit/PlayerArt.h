// The player's grey-box art and data: "Data/Sprites/Players/Player.man" with its sheet, every
// animation the player plays (body, overlays, upper-body and whip-hand layers), hurt and attack
// boxes, the properties file "Data/Sprites/Players/Player.vep", and the player's six sounds.
#pragma once
#include <string>

#include "Engine/Common/Types.h"

namespace datakit {

// The body box of every player frame, relative to the player's position (its centre): 14 pixels
// wide and 32 tall, the feet 16 pixels below the position.
constexpr i8 playerBoxLeft = -7, playerBoxRight = 7, playerBoxTop = -16, playerBoxBottom = 16;

// The animations of the player's set run from 0 to this one (the hang facing left).
constexpr u16 playerLastAnimation = 60;

// Writes the player's files under dir/Data/. False (after printing why) on a write failure.
bool WritePlayerData(const std::string& dir);

} // namespace datakit
