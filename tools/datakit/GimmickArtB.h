// Art, properties and placements of the breakable wall: its editor picture with the hurt box that
// covers the 2 x 2 block, the properties file, and where Test and Village 1 place walls.
#pragma once
#include <string>

#include "Engine/Common/Types.h"

namespace datakit {

// The wall stands at the centre of its block; its hurt box covers the block.
constexpr i8 breakWallBoxLeft = -16, breakWallBoxRight = 16, breakWallBoxTop = -16, breakWallBoxBottom = 16;

// Where the walls stand: a block of the floor at the far right end of Test's flat, and one in the
// dip between Village 1's first hills. Block centres, on tile corners.
constexpr f32 testBreakWallX = 1168.0f, testBreakWallY = 720.0f;
constexpr f32 villageBreakWallX = 1200.0f, villageBreakWallY = 720.0f;

// "Data/Sprites/Global/BreakWall/BreakWall.man" with its sheet, "BreakWall.vep" beside it, and the
// BreakWall.bin placement files of the five gameplay stages (empty but for Test and Village 1).
// False (after printing why) on a write failure.
bool WriteGimmickDataB(const std::string& dir);

} // namespace datakit
