// The audio refill: FillAudioBlock with 15 voices and music, as a share of the real-time budget of
// one half (2940 frames at 44025 Hz, 66.8 ms); and stb_vorbis decoding against libvorbisfile
// decoding the same file in the same run.
#include <benchmark/benchmark.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Engine/Common/Sound.h"
#include "Engine/Common/Vorbis.h"
#include "Engine/Platform/Audio.h"
#include "tools/datakit/Ogg.h"
#include "tools/datakit/Wav.h"

namespace {

// Ten seconds of a stereo chord: enough for a decoder to settle into its steady state.
const std::vector<u8>& Track()
{
    static std::vector<u8> track;
    if (track.empty()) {
        std::vector<i16> samples;
        for (int i = 0; i < 441000; ++i) {
            const double t = i / 44100.0;
            samples.push_back((i16)(6000 * std::sin(2 * M_PI * 220 * t) + 4000 * std::sin(2 * M_PI * 331 * t)));
            samples.push_back((i16)(6000 * std::sin(2 * M_PI * 277 * t) + 3000 * std::sin(2 * M_PI * 440 * t)));
        }
        if (!datakit::MakeOgg(samples, 2, 44100, &track))
            abort();
    }
    return track;
}

const double halfSeconds = (double)streamHalfFrames / streamRate;

void FillAudioBlockWithFifteenVoicesAndMusic(benchmark::State& state)
{
    // Fifteen looping effects at assorted rates, in the sound table.
    std::vector<Sound> sounds(16);
    std::vector<Sound*> slots(16);
    for (int i = 0; i < 16; ++i) {
        std::vector<i16> wave;
        for (int s = 0; s < 20000; ++s)
            wave.push_back((i16)(128 + 60 * std::sin(s * (0.01 + i * 0.003))));
        const std::vector<u8> wav = datakit::MakeWav(wave, 11025 + i * 2205, 8, 1);
        ParseWav("bench.wav", wav.data(), (u32)wav.size(), &sounds[i]);
        slots[i] = &sounds[i];
    }
    soundSlots = slots.data();
    soundSlotCount = 16;
    for (u16 id = 1; id < 16; ++id) {
        soundQueue.id[soundQueue.count] = id;
        soundQueue.loop[soundQueue.count] = 1;
        soundQueue.frequency[soundQueue.count] = 0;
        ++soundQueue.count;
    }
    AssetReader image{};
    image.data = const_cast<u8*>(Track().data());
    image.size = (u32)Track().size();
    requestedMusic = requestedNextMusic = &image;
    musicLoopSample = 0;
    musicChangeRequest = 1;
    audioRequestPending = 1;

    std::vector<i16> frames(streamHalfFrames * 2);
    FillAudioBlock(frames.data());
    int busy = 0;
    for (int v = 1; v < 16; ++v)
        busy += soundVoices[v].id != 0;
    if (busy != 15 || !musicDecoder) {
        state.SkipWithError("the voices or the music did not start");
        return;
    }
    for (auto _ : state) {
        FillAudioBlock(frames.data());
        benchmark::DoNotOptimize(frames.data());
    }
    // Time per half over the half's playing time: 0.01 means 1% of the budget.
    state.counters["budget_share"] =
        benchmark::Counter((double)state.iterations() * halfSeconds, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetItemsProcessed(state.iterations() * streamHalfFrames);

    musicStopRequest = 1;
    FillAudioBlock(frames.data());
    for (SoundVoice& voice : soundVoices)
        voice = SoundVoice{};
    for (Sound& sound : sounds)
        free(sound.samples);
    soundSlots = nullptr;
    soundSlotCount = 0;
}
BENCHMARK(FillAudioBlockWithFifteenVoicesAndMusic)->Unit(benchmark::kMicrosecond);

// The whole track, frame by frame, as the music stream takes it.
void DecodeWithStbVorbis(benchmark::State& state)
{
    const std::vector<u8>& track = Track();
    i64 samples = 0;
    for (auto _ : state) {
        int error = 0;
        stb_vorbis* decoder = stb_vorbis_open_memory(track.data(), (int)track.size(), &error, nullptr);
        float** channels;
        int got, channelCount;
        while ((got = stb_vorbis_get_frame_float(decoder, &channelCount, &channels)) > 0) {
            benchmark::DoNotOptimize(channels[0][got - 1]);
            samples += got;
        }
        stb_vorbis_close(decoder);
    }
    state.SetItemsProcessed(samples);
}
BENCHMARK(DecodeWithStbVorbis)->Unit(benchmark::kMillisecond);

struct MemoryFile {
    const std::vector<u8>* bytes;
    size_t at;
};

size_t ReadMemory(void* out, size_t size, size_t count, void* source)
{
    MemoryFile* file = (MemoryFile*)source;
    size_t bytes = size * count;
    if (bytes > file->bytes->size() - file->at)
        bytes = file->bytes->size() - file->at;
    memcpy(out, file->bytes->data() + file->at, bytes);
    file->at += bytes;
    return size ? bytes / size : 0;
}

// The baseline: the reference decoder on the same file, also as floats.
void DecodeWithVorbisfile(benchmark::State& state)
{
    const std::vector<u8>& track = Track();
    i64 samples = 0;
    const ov_callbacks callbacks = {ReadMemory, nullptr, nullptr, nullptr};
    for (auto _ : state) {
        MemoryFile file = {&track, 0};
        OggVorbis_File vorbis;
        if (ov_open_callbacks(&file, &vorbis, nullptr, 0, callbacks) != 0) {
            state.SkipWithError("libvorbisfile could not open the track");
            return;
        }
        float** channels;
        int section = 0;
        long got;
        while ((got = ov_read_float(&vorbis, &channels, 4096, &section)) > 0) {
            benchmark::DoNotOptimize(channels[0][got - 1]);
            samples += got;
        }
        ov_clear(&vorbis);
    }
    state.SetItemsProcessed(samples);
}
BENCHMARK(DecodeWithVorbisfile)->Unit(benchmark::kMillisecond);

} // namespace
