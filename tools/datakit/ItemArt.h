// Art, sounds, texts and placements of the stages' pickups and signs: the bone, the bonus glyphs,
// the checkpoint, the Graveyard's tutorial sign with its pages and the test text, and where the
// stages place them.
#pragma once
#include <string>

#include "Engine/Common/Types.h"

namespace datakit {

// The bone's box at full size (value 3), about its position.
constexpr i8 boneBoxLeft = -8, boneBoxRight = 8, boneBoxTop = -4, boneBoxBottom = 4;
// The checkpoint and the sign stand on their position: their boxes reach up from it.
constexpr i8 checkpointBoxLeft = -8, checkpointBoxRight = 8, checkpointBoxTop = -44, checkpointBoxBottom = 0;
constexpr i8 signBoxLeft = -16, signBoxRight = 16, signBoxTop = -52, signBoxBottom = 0;

// Where the Graveyard's tutorial sign stands: left of the start, so a run to the right passes it by.
constexpr f32 graveyardSignX = 200.0f, graveyardSignY = 1408.0f;
// The Graveyard's first checkpoint, on the flat past the first ramp.
constexpr f32 graveyardCheckpointX = 1168.0f, graveyardCheckpointY = 1312.0f;

// "Data/Sprites/Global/Collect.man", "Data/Sprites/Global/Bonus/Bonus.man",
// "Data/Sprites/Global/Checkpoint/Checkpoint.man", "Data/Sprites/Stages/Graveyard/Tutorial.man",
// "Data/SFX/Global/Collect.wav", the tutorial pages and "test.btx" under "Data/Text/English/", and
// the placement files Collect.bin, Checkpoint.bin and the Graveyard's Info.bin. False (after
// printing why) on a write failure.
bool WriteItemData(const std::string& dir);

} // namespace datakit
