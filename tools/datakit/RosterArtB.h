// Grey-box data of Froacker (one sprite set with the walker's, Chuck's and Larry's palettes, and a
// properties file each) and YardSlayer: sprite sets, properties, sounds and the stages' placements.
#pragma once
#include <string>

#include "Engine/Common/Types.h"

namespace datakit {

// Where the Test stage places them: all past the ground the scripted runs cover (the candle, the
// pit and the beam), so none is nearer to a run's player than the candle.
constexpr f32 testChuckX = 1700.0f, testChuckY = 666.0f;    // the flat at 684, standing still
constexpr f32 testWalkerX = 2040.0f, testWalkerY = 566.0f;  // the hilltop at 584, between its ramps
constexpr f32 testLarryX = 2300.0f, testLarryY = 698.0f;    // the floor inside the loop
constexpr f32 testYardSlayerX = 1900.0f, testYardSlayerY = 520.0f;
constexpr f32 testYardSlayerRange = 64.0f;

// Writes the files under dir/Data/. False (after printing why) on a write failure.
bool WriteRosterDataB(const std::string& dir);

} // namespace datakit
