// Art and placements of the platforms and the parallax scenery: the platform sets of Test (also
// Boss Rush), Village 1 and The Bone Zone, the ParaSprite set, and a few platforms on Test and in
// Village 1, high over the ground the scripted runs walk.
#pragma once
#include <string>

#include "Engine/Common/Types.h"

namespace datakit {

// Animation 0: a slab of 32 x 16 about its position; animation 1: a crate of 32 x 32.
constexpr i8 slabBox[4] = {-16, 16, -8, 8};
constexpr i8 crateBox[4] = {-16, 16, -16, 16};
// The ParaSprite picture: a band of far hills, as wide as its repetition step.
constexpr int paraHillsWidth = 64, paraHillsHeight = 96;

// "Data/Sprites/Stages/{Test,Village1,BoneZone}/Platform.man", "Data/Sprites/Stages/BoneZone/
// ParaSprite.man", and Platform.bin of every gameplay stage (the Graveyard's and Boss Rush's empty).
// False (after printing why) on a failure.
bool WriteGimmickArtA(const std::string& dir);

} // namespace datakit
