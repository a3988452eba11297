// Art of the effect types: "Data/Sprites/Global/Explosion/Explosion.man" (0 a rising fireball that
// turns to smoke and fades, 1 a drifting smoke puff, 2 a star of sparks, 3 a ring burst),
// "Data/Sprites/Global/FX/FX.man" (0 a big dust cloud, 1 a small puff, 2 skid smoke, 3 a sparkle,
// 4 a smaller dust cloud) and "Data/Sprites/Global/Giblets.man" (0 a speck of grit, 1 a loose
// fibre, 2-5 pieces of the whip's rope and links, 6 its hook, 7 corn husk), each with its sheet.
// Explosions and FX play once and hold their last frame; giblets loop.
#pragma once
#include <string>

#include "Engine/Common/Types.h"

namespace datakit {

// Frames and ticks a frame (at speed 256) of the animations the tests time.
constexpr u16 explosionPuffFrames = 8, explosionPuffTicks = 5;
constexpr u16 explosionSmokeFrames = 6, explosionSmokeTicks = 6;
constexpr u16 explosionBurstFrames = 5, explosionBurstTicks = 3;
constexpr u16 fxBigDustFrames = 6, fxPlainFrames = 4, fxSmallDustFrames = 5, fxTicks = 4;
constexpr u16 effectAnimationCounts[3] = {4, 5, 8}; // Explosion, FX, Giblets

// Writes the three sets under dir/Data/. False (after printing why) on a write failure.
bool WriteEffectData(const std::string& dir);

} // namespace datakit
