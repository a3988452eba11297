#include "tools/datakit/Wav.h"

#include "tools/datakit/Bytes.h"

namespace datakit {

std::vector<u8> MakeWav(const std::vector<i16>& samples, u32 sampleRate, u16 bitsPerSample, u16 channels)
{
    const u32 bytesPerSample = bitsPerSample / 8;
    const u32 dataBytes = (u32)samples.size() * bytesPerSample;
    std::vector<u8> out;
    PutTag(out, "RIFF");
    PutLe32(out, 36 + dataBytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutLe32(out, 16);
    PutLe16(out, 1); // PCM
    PutLe16(out, channels);
    PutLe32(out, sampleRate);
    PutLe32(out, sampleRate * channels * bytesPerSample);
    PutLe16(out, (u16)(channels * bytesPerSample));
    PutLe16(out, bitsPerSample);
    PutTag(out, "data");
    PutLe32(out, dataBytes);
    for (i16 sample : samples) {
        if (bitsPerSample == 8)
            out.push_back((u8)sample);
        else
            PutLe16(out, (u16)sample);
    }
    return out;
}

} // namespace datakit
