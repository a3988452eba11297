// The music stream through the real decoder: requests, the loop point and the end, muting, and
// damaged or missing tracks.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "tests/unit/AudioFixture.h"

namespace {

std::vector<i16> Tone(u32 frames, u16 channels)
{
    std::vector<i16> samples;
    for (u32 i = 0; i < frames; ++i) {
        samples.push_back((i16)(12000 * std::sin(i * 2 * M_PI * 440 / 44100)));
        if (channels == 2)
            samples.push_back((i16)(6000 * std::sin(i * 2 * M_PI * 660 / 44100) + 2000));
    }
    return samples;
}

// What the library itself decodes (its own 16-bit conversion), from the start or from a seek,
// brought to the mixer's 8 bits: two channels a frame.
std::vector<int> Decoded(const std::vector<u8>& ogg, int channels, i64 seekTo = -1)
{
    int error = 0;
    stb_vorbis* decoder = stb_vorbis_open_memory(ogg.data(), (int)ogg.size(), &error, nullptr);
    EXPECT_NE(decoder, nullptr) << error;
    if (!decoder)
        return {};
    if (seekTo >= 0) {
        EXPECT_TRUE(stb_vorbis_seek(decoder, (unsigned)seekTo));
    }
    std::vector<int> pairs;
    short buffer[2048];
    int got;
    while ((got = stb_vorbis_get_samples_short_interleaved(decoder, channels, buffer, 2048)) > 0) {
        for (int i = 0; i < got; ++i) {
            pairs.push_back(buffer[i * channels] >> 8);
            pairs.push_back(buffer[i * channels + channels - 1] >> 8);
        }
    }
    stb_vorbis_close(decoder);
    return pairs;
}

class MusicTest : public AudioFixture {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(datakit::MakeOgg(Tone(trackFrames, 2), 2, 44100, &stereo));
        ASSERT_TRUE(datakit::MakeOgg(Tone(trackFrames, 1), 1, 44100, &mono));
    }

    void SetUp() override
    {
        AudioFixture::SetUp();
        LoadSilent();
    }

    u32 Track(const char* name, const std::vector<u8>& ogg, u32 loopSample)
    {
        const std::string path = std::string("Data/Music/") + name + ".ogg";
        Write(path, ogg);
        return LoadMusic(path.c_str(), loopSample);
    }

    // The music pairs carried by mixed frames that hold no effects, at the volume of 64 a track
    // opens with: the left lane is the music x 64, the right lane gets the left lane's borrow.
    static std::vector<int> MusicOf(const std::vector<i16>& frames)
    {
        std::vector<int> pairs;
        for (size_t i = 0; i < frames.size(); i += 2) {
            const int left = frames[i] / 64;
            pairs.push_back(left);
            pairs.push_back((frames[i + 1] - (left < 0 ? 63 : 0)) / 64);
        }
        return pairs;
    }

    static std::vector<int> Play(int halves)
    {
        std::vector<int> pairs;
        for (int h = 0; h < halves; ++h) {
            const std::vector<int> half = MusicOf(Half());
            pairs.insert(pairs.end(), half.begin(), half.end());
        }
        return pairs;
    }

    static constexpr u32 trackFrames = 9000;
    static std::vector<u8> stereo, mono;
};
std::vector<u8> MusicTest::stereo, MusicTest::mono;

std::vector<int> Slice(const std::vector<int>& pairs, size_t fromFrame, size_t toFrame)
{
    return std::vector<int>(pairs.begin() + 2 * fromFrame, pairs.begin() + 2 * toFrame);
}

TEST_F(MusicTest, EndOfTheStreamLoopsToTheLoopSampleOrStops)
{
    const std::vector<int> whole = Decoded(stereo, 2);
    ASSERT_EQ(whole.size(), 2u * trackFrames);
    const u32 loopSample = 2500;
    const std::vector<int> fromLoop = Decoded(stereo, 2, loopSample);
    const std::vector<int> fromStart = Decoded(stereo, 2, 0);

    struct Case {
        const char* name;
        u32 loopSample;
        const std::vector<int>* afterEnd; // what follows the end each time round
    };
    const std::vector<int> silence(2 * trackFrames, 0);
    const Case cases[] = {
        {"loop sample", loopSample, &fromLoop},
        {"loop to the start", 0, &fromStart},
        {"play once", 0xFFFFFFFFu, &silence},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlayMusic(Track(c.name, stereo, c.loopSample));
        const std::vector<int> heard = Play(5); // 14700 frames: the track and more than once after
        std::vector<int> expected = whole;
        while (expected.size() < heard.size())
            expected.insert(expected.end(), c.afterEnd->begin(), c.afterEnd->end());
        expected.resize(heard.size());
        ASSERT_EQ(heard, expected);
        if (c.loopSample == 0xFFFFFFFFu) {
            EXPECT_EQ(musicDecoder, nullptr);
            EXPECT_NE(currentMusicDecoder, nullptr) << "an ended stream stays open until it is stopped";
        }
    }
    EXPECT_NE(whole, std::vector<int>(whole.size(), 0));
}

TEST_F(MusicTest, MutePausesTheMusicWhereItIs)
{
    const std::vector<int> whole = Decoded(stereo, 2);
    PlayMusic(Track("Track", stereo, 0xFFFFFFFFu));
    EXPECT_EQ(Play(1), Slice(whole, 0, streamHalfFrames));
    musicMuted = 1;
    EXPECT_EQ(Play(1), std::vector<int>(2 * streamHalfFrames, 0));
    musicMuted = 0;
    EXPECT_EQ(Play(1), Slice(whole, streamHalfFrames, 2 * streamHalfFrames));
}

TEST_F(MusicTest, StopAndChangeInOneRefillSwitchTracks)
{
    const std::vector<int> stereoWhole = Decoded(stereo, 2);
    const std::vector<int> monoWhole = Decoded(mono, 1);
    const u32 first = Track("First", stereo, 0);
    EXPECT_EQ(Track("First", stereo, 0), first);
    const u32 second = Track("Second", mono, 0);
    PlayMusic(first);
    Play(1);
    // A stage change: the old stage's unload frees its track, the new one's start requests its own.
    FreeMusic(first);
    EXPECT_NE(musicSlots[first], nullptr) << "still held once";
    PlayMusic(second);
    // A mono track gives its one channel on both sides.
    EXPECT_EQ(Play(1), Slice(monoWhole, 0, streamHalfFrames));

    // Freeing a track that is still held elsewhere stops the music all the same.
    PlayMusic(first);
    EXPECT_EQ(Play(1), Slice(stereoWhole, 0, streamHalfFrames));
    FreeMusic(first);
    EXPECT_EQ(Play(1), std::vector<int>(2 * streamHalfFrames, 0));
    EXPECT_EQ(musicSlots[first], nullptr);
    EXPECT_EQ(currentMusicDecoder, nullptr);
    // Another stop finds nothing left to close (a decoder closed twice is a double free).
    musicStopRequest = 1;
    Play(1);
    FreeMusic(second);
    EXPECT_EQ(voice0Request, soundSlots[0]);
    Play(1);
    EXPECT_EQ(soundVoices[0].position, soundSlots[0]->samples) << "the silent sound goes to voice 0";
}

TEST_F(MusicTest, BrokenTracksAreSilent)
{
    const std::vector<int> silence(2 * streamHalfFrames, 0);
    // A missing file gives an empty record that opens nothing and frees nothing.
    const u32 missing = LoadMusic("Data/Music/Missing.ogg", 0);
    EXPECT_EQ(musicSlots[missing]->image.data, nullptr);
    PlayMusic(missing);
    EXPECT_EQ(Play(1), silence);
    EXPECT_EQ(std::string(debugText).rfind("vorbis_open_memory error: ", 0), 0u) << debugText;

    std::vector<u8> damaged = stereo;
    for (size_t i = 0; i < damaged.size(); i += 7)
        damaged[i] ^= 0x5A;
    PlayMusic(Track("Damaged", damaged, 0));
    Play(2);
    PlayMusic(Track("Truncated", std::vector<u8>(stereo.begin(), stereo.begin() + stereo.size() / 2), 0));
    Play(4);

    // A loop sample past the end cannot be sought to: the track plays once and ends there rather
    // than trying again on every frame.
    const std::vector<int> whole = Decoded(stereo, 2);
    PlayMusic(Track("PastTheEnd", stereo, trackFrames * 4));
    std::vector<int> heard = Play(4);
    EXPECT_EQ(Slice(heard, 0, trackFrames), whole);
    EXPECT_EQ(Slice(heard, trackFrames, 4 * streamHalfFrames), std::vector<int>(2 * (4 * streamHalfFrames - trackFrames), 0));
    EXPECT_EQ(musicDecoder, nullptr);
    FreeMusic(missing);
}

// A comment header that counts 0x1FDFDFE3 comments: the decoder asks for that many pointers, a
// size that wraps through an int to near 2^64. The open fails as out of memory, the track is silent, and nothing is kept.
TEST_F(MusicTest, AHeaderAskingForAbsurdMemoryFailsToOpen)
{
    std::vector<u8> hostile = stereo;
    const u8 tag[] = {3, 'v', 'o', 'r', 'b', 'i', 's'};
    const auto at = std::search(hostile.begin(), hostile.end(), std::begin(tag), std::end(tag));
    ASSERT_NE(at, hostile.end());
    const size_t vendor = (size_t)(at - hostile.begin()) + sizeof(tag);
    const u32 vendorLength = hostile[vendor] | hostile[vendor + 1] << 8 | hostile[vendor + 2] << 16 | (u32)hostile[vendor + 3] << 24;
    ASSERT_LT(vendor + 8 + vendorLength, hostile.size());
    // The page's checksum is not checked when a stream is opened from memory.
    const u8 count[] = {0xE3, 0xDF, 0xDF, 0x1F};
    std::copy(std::begin(count), std::end(count), hostile.begin() + (long)(vendor + 4 + vendorLength));

    int error = 0;
    EXPECT_EQ(VorbisOpen(hostile.data(), (u32)hostile.size(), &error), nullptr);
    EXPECT_EQ(error, VORBIS_invalid_setup);
    const u32 slot = Track("Hostile", hostile, 0);
    PlayMusic(slot);
    EXPECT_EQ(Play(1), std::vector<int>(2 * streamHalfFrames, 0));
    EXPECT_EQ(std::string(debugText), "vorbis_open_memory error: " + std::to_string(VORBIS_invalid_setup));
    EXPECT_EQ(musicDecoder, nullptr);
    // The same track whole still opens and plays.
    const u32 whole = Track("Whole", stereo, 0);
    PlayMusic(whole);
    EXPECT_NE(Play(1), std::vector<int>(2 * streamHalfFrames, 0));
    EXPECT_NE(musicDecoder, nullptr);
    FreeMusic(whole);
    FreeMusic(slot);
}

// The limit on what an open may ask for: the test tracks need well under a MiB, and one that needs
// more than the limit fails as out of memory, leaving nothing behind.
TEST_F(MusicTest, AnOpenPastItsMemoryLimitFails)
{
    struct RestoreLimit {
        ~RestoreLimit() { vorbisOpenLimit = defaultVorbisOpenLimit; }
    } restore;
    int error = 0;
    vorbisOpenLimit = 1u << 20;
    stb_vorbis* decoder = VorbisOpen(stereo.data(), (u32)stereo.size(), &error);
    EXPECT_NE(decoder, nullptr) << error;
    if (decoder)
        stb_vorbis_close(decoder);
    vorbisOpenLimit = 16u << 10;
    EXPECT_EQ(VorbisOpen(stereo.data(), (u32)stereo.size(), &error), nullptr);
    EXPECT_EQ(error, VORBIS_outofmem);
}

// One flipped byte of a setup header gives a codebook a 31-bit codeword; decoding with it takes
// (1 << 31) - 1 as the codeword's mask, which wraps a signed int. The decoder is built to wrap it
// (the sanitizer build otherwise stops here), and the track plays on.
TEST_F(MusicTest, AThirtyOneBitCodewordDecodes)
{
    std::vector<i16> samples;
    for (int i = 0; i < 1200; ++i) {
        samples.push_back((i16)(9000 * std::sin(i * 0.0627)));
        samples.push_back((i16)(7000 * std::sin(i * 0.0411)));
    }
    std::vector<u8> track;
    ASSERT_TRUE(datakit::MakeOgg(samples, 2, 8000, &track, -0.1f));
    track[143234 % track.size()] ^= 0xDE;
    const u32 slot = Track("Wide", track, 0x2E0021);
    PlayMusic(slot);
    const std::vector<int> heard = Play(1);
    EXPECT_GT(std::count_if(heard.begin(), heard.end(), [](int v) { return v != 0; }), 0);
    FreeMusic(slot);
}

TEST_F(MusicTest, OggFilesWrittenByOggencPlay)
{
    if (std::system("oggenc --version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "oggenc (vorbis-tools) is not installed";
    const std::vector<i16> tone = Tone(30000, 2);
    Write("tone.wav", datakit::MakeWav(tone, 44100, 16, 2));
    ASSERT_EQ(std::system("oggenc -Q -q 6 -o Tone.ogg tone.wav"), 0);
    std::filesystem::create_directories("Data/Music");
    std::filesystem::rename("Tone.ogg", "Data/Music/Tone.ogg");
    PlayMusic(LoadMusic("Data/Music/Tone.ogg", 0xFFFFFFFFu));
    const std::vector<int> heard = Play(11);
    // Lossy, so compared with the tone itself at the mixer's 8 bits: close everywhere, then silent.
    double error = 0, level = 0;
    for (u32 i = 0; i < 30000 * 2; ++i) {
        const double expected = tone[i] / 256.0;
        error += (heard[i] - expected) * (heard[i] - expected);
        level += expected * expected;
    }
    EXPECT_LT(std::sqrt(error / 60000), 1.5);
    EXPECT_GT(std::sqrt(level / 60000), 15.0);
    EXPECT_EQ(Slice(heard, 30000, 11 * streamHalfFrames), std::vector<int>(2 * (11 * streamHalfFrames - 30000), 0));
}

} // namespace
