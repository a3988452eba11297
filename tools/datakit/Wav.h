// Writes RIFF WAVE files: PCM, 8-bit unsigned or 16-bit signed, mono or stereo.
#pragma once
#include <string>
#include <vector>

#include "Engine/Common/Types.h"

namespace datakit {

// Samples are interleaved by channel; 8-bit data is written as given (unsigned, 128 = silence),
// 16-bit data as little-endian signed words.
std::vector<u8> MakeWav(const std::vector<i16>& samples, u32 sampleRate, u16 bitsPerSample, u16 channels);

} // namespace datakit
