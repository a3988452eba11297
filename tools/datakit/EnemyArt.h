// The plain enemies' grey-box data: the sprite sets and properties files of BasicEnemy ("Enemy"),
// Byu, CandleHead, Orb and Projectile under "Data/Sprites/Enemies/<folder>/", and the CandleHead
// placement files of the Test and Village stages. None of the five has sounds of its own: they use
// the shared hit, death and explosion sounds of the Hazard data.
#pragma once
#include <string>

#include "Engine/Common/Types.h"

namespace datakit {

// Where the placed CandleHeads stand (their position, the feet 16 pixels below it): on the Test
// stage on the one-way floor over the flat before the pit, so that a run along the ground passes
// under it and a player meets it by jumping up there; in Village 1 along the walk right.
constexpr f32 candleHeadFeet = 16.0f;
constexpr f32 testCandleHeadX = 1000.0f, testCandleHeadY = 656.0f;

// Writes the files under dir/Data/. False (after printing why) on a write failure.
bool WriteEnemyData(const std::string& dir);

} // namespace datakit
