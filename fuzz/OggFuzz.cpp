// Ogg music: a damaged track played through the music stream, with its loop point. The first byte
// picks the image: 0 takes the input as it is; otherwise the input is a patch (offset, byte pairs)
// over a valid track made by the data kit (stereo for an odd byte, mono for an even one), which
// reaches far deeper into the decoder than random bytes do. The tracks are short and one refill is
// played, so the end and the loop back come round a few times in a quick run. What an open may
// allocate is lowered to 1 MiB, so hostile headers fail quickly too.
#include <cmath>
#include <vector>

#include "Engine/Common/Sound.h"
#include "Engine/Common/Vorbis.h"
#include "Engine/Platform/Audio.h"
#include "tools/datakit/Ogg.h"

namespace {

const std::vector<u8>& ValidTrack(u16 channels)
{
    static std::vector<u8> tracks[2];
    std::vector<u8>& track = tracks[channels - 1];
    if (track.empty()) {
        std::vector<i16> samples;
        for (int i = 0; i < 1200; ++i) {
            samples.push_back((i16)(9000 * std::sin(i * 0.0627)));
            if (channels == 2)
                samples.push_back((i16)(7000 * std::sin(i * 0.0411)));
        }
        // Low rates give small setup headers and blocks: the open and every frame stay cheap.
        datakit::MakeOgg(samples, channels, 8000, &track, -0.1f);
    }
    return track;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    // The kit's tracks need far less; a header that asks for more fails alike, only sooner.
    vorbisOpenLimit = 1u << 20;
    if (size < 5 || size > (1u << 20))
        return 0;
    const u32 loop = (u32)data[1] | (u32)data[2] << 8 | (u32)data[3] << 16 | (u32)(data[4] & 0x80 ? 0xFF : 0) << 24;
    std::vector<u8> image;
    if (data[0] == 0) {
        image.assign(data + 5, data + size);
    } else {
        image = ValidTrack(data[0] & 1 ? 2 : 1);
        for (size_t i = 5; i + 2 < size; i += 3) {
            const size_t at = ((size_t)data[i] << 8 | data[i + 1]) * 7 % image.size();
            image[at] ^= data[i + 2];
        }
    }
    AssetReader reader{};
    reader.data = image.data();
    reader.size = (u32)image.size();
    requestedMusic = requestedNextMusic = &reader;
    musicLoopSample = loop;
    musicChangeRequest = 1;
    musicStopRequest = 1;
    static i16 frames[streamHalfFrames * 2];
    FillAudioBlock(frames);
    FreeMusicStreams();
    return 0;
}
