// The plain enemies' grey-box data: the sprite sets and properties files of BasicEnemy ("Enemy"),
// Byu, CandleHead, Orb and Projectile under "Data/Sprites/Enemies/<folder>/", and the CandleHead
// placement files of the Test and Village stages. None of the five has sounds of its own: they use
// the shared hit, death and explosion sounds of the Hazard data.
#pragma once
#include <string>

#include "Engine/Common/Types.h"

namespace datakit {

// Where the placed CandleHeads stand (their position, the feet 16 pixels below it): on the Test
// stage on the flat top of the first rise, past the start's run; in Village 1 along the walk right.
constexpr f32 candleHeadFeet = 16.0f;
constexpr f32 testCandleHeadX = 512.0f, testCandleHeadY = 616.0f;

// Writes the files under dir/Data/. False (after printing why) on a write failure.
bool WriteEnemyData(const std::string& dir);

} // namespace datakit
