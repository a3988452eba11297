// Writes Ogg Vorbis files with libvorbisenc (native builds; the Windows builds of the kit have no
// encoder and say so).
#pragma once
#include <vector>

#include "Engine/Common/Types.h"

namespace datakit {

// Encodes interleaved 16-bit samples of the given channel count (1 or 2) and rate at a VBR quality
// of -0.1 to 1.0. Returns false with nothing written when the encoder refuses or is not built in.
bool MakeOgg(const std::vector<i16>& samples, u16 channels, u32 sampleRate, std::vector<u8>* out,
             float quality = 0.4f);

} // namespace datakit
