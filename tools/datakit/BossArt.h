// The boss's data: the HaystackKing sprite set (body, overlays, dust, bales and the arena marker)
// with its boxes and properties under "Data/Sprites/Bosses/HaystackKing/", its eight sounds, the
// boss music, and the arena placed at the far end of Village 1.
#pragma once
#include <string>

#include "Engine/Common/Types.h"

namespace datakit {

// The Village 1 arena: the controller's position. The arena (636 wide) lies on the flat stretch
// after x 3968, and the ground at 716 is 480 under the controller: the camera, held from y to
// y + 497 during the fight, shows the floor 17 px over the bottom of a 240-high screen, with the
// standing boss and the player whole above it. The body (564, 240 from the controller) drops onto
// that floor. After the fight the player walks out past x + 1024 (5008), short of the stage's end
// wall at 5104.
constexpr f32 villageArenaX = 3984.0f, villageArenaY = 236.0f;
// The body's feet lie this far below its position, which sits inside the body: the boss puts its
// landing and slam dust 60 px under its position (on the floor) and its dying explosions from 40 px
// over it to 60 px under it (over the body, crown to feet).
constexpr int kingFeet = 60;

// Writes the files under dir/Data/. False (after printing why) on a write failure.
bool WriteBossData(const std::string& dir);

} // namespace datakit
