// Writers for the input files: "config.bfc" and "test.dem".
#pragma once
#include <vector>

#include "Engine/Common/Types.h"

namespace datakit {

// Player 1's bindings 0-15 (by binding slot) and the seven options, as "config.bfc" stores them.
struct ConfigSettings {
    u8 padBinding[16];
    u8 keyBinding[16];
    u8 advancedSettings, lineInOutReversed, grappleStyle, lineAdjustmentSplit;
    u8 tappleDelay, lineInOutDelay, bossDefeated;
};

// The 39 bytes: pad bindings, then key bindings, each in the order 0-7, 9, 8, 12, 13, 10, 11, 14,
// 15; then the options in the order declared above.
std::vector<u8> ConfigFile(const ConfigSettings& settings);

// One tick of a demo: the recording player's masks.
struct DemoTick {
    u32 held, pressed;
};

// The seed, then held and pressed of every tick, big-endian.
std::vector<u8> DemoFile(u32 seed, const std::vector<DemoTick>& ticks);

} // namespace datakit
