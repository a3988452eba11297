// The game options and "config.bfc": player 1's bindings 0-15 and seven options in 39 bytes,
// written byte by byte in a fixed order without header or checksum.
#pragma once
#include <cstddef>

#include "Engine/Common/Types.h"

// Game options, 0 until "config.bfc" is read.
extern u8 advancedSettings;    // flag
extern u8 lineInOutReversed;   // flag
extern u8 grappleStyle;        // 1: tap zips and hold grapples; 0: hold zips and tap grapples
extern u8 lineAdjustmentSplit; // 1: split, 0: joined
extern u8 tappleDelay;         // 0-32
extern u8 lineInOutDelay;      // 0-32
extern u8 bossDefeated;        // flag

constexpr int configFileSize = 39;
constexpr u8 maxOptionDelay = 32;

// Reads "config.bfc" over the current bindings and options. A missing file changes nothing; bytes
// a short file does not hold keep their current values.
void LoadConfig();

// Writes "config.bfc" through a temporary file that replaces it only once complete, so an
// interrupted save never leaves a short file. False (silently) when it could not be written.
bool SaveConfig();

// The file's bytes in memory: count bytes (at most 39 are used) applied in file order, each option
// clamped to its range; and the 39 bytes of the current settings.
void ApplyConfigBytes(const u8* bytes, size_t count);
void BuildConfigBytes(u8 bytes[configFileSize]);
