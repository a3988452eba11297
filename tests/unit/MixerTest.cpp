// The effect mixer: voice stepping, allocation, the queue and stop list as the refill applies
// them, the mute flags and the packed mix.
#include <cmath>

#include "tests/unit/AudioFixture.h"

namespace {

class MixerTest : public AudioFixture {
protected:
    void SetUp() override
    {
        AudioFixture::SetUp();
        LoadSilent();
    }

    u16 LoadEffect(const char* name, const std::vector<int>& samples, u32 rate = 44100)
    {
        const std::string path = std::string("Data/SFX/") + name + ".wav";
        Write(path, Effect(samples, rate));
        return (u16)LoadSound(path.c_str());
    }

    static void Queue(u16 id, u32 frequency, u8 loop = 0)
    {
        soundQueue.id[soundQueue.count] = id;
        soundQueue.loop[soundQueue.count] = loop;
        soundQueue.frequency[soundQueue.count] = frequency;
        ++soundQueue.count;
        audioRequestPending = 1;
    }

    // The effect level of each frame's left side, in sample units (effects are mixed at 64).
    static std::vector<int> Levels(const std::vector<i16>& frames, size_t count)
    {
        std::vector<int> levels;
        for (size_t i = 0; i < count; ++i)
            levels.push_back(frames[2 * i] / 64);
        return levels;
    }

    static int BusyVoices()
    {
        int busy = 0;
        for (int v = 1; v < 16; ++v)
            busy += soundVoices[v].id != 0;
        return busy;
    }
};

TEST_F(MixerTest, VoiceStepsAgainstTheMixClock)
{
    struct Case {
        const char* name;
        u32 frequency; // 0: the sound's own rate, 11025 Hz
        u8 loop;
        std::vector<int> levels;
    };
    // The first sample sounds for one frame; from then on a voice moves rate / 44100 samples a
    // frame, and its phase starts at 44100.
    const Case cases[] = {
        {"22050 Hz", 22050, 0, {1, 2, 3, 3, 4, 4, 5, 5, 6, 6, 0, 0}},
        {"44100 Hz", 44100, 0, {1, 3, 4, 5, 6, 0, 0}},
        {"44100 Hz looping", 44100, 1, {1, 3, 4, 5, 6, 1, 2, 3, 4, 5, 6, 1}},
        {"own rate", 0, 0, {1, 2, 2, 2, 3, 3, 3, 3, 4}},
    };
    const u16 id = LoadEffect("Steps", {1, 2, 3, 4, 5, 6}, 11025);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Queue(id, c.frequency, c.loop);
        const std::vector<i16> frames = Half();
        EXPECT_EQ(Levels(frames, c.levels.size()), c.levels);
        for (size_t i = 0; i < c.levels.size(); ++i)
            EXPECT_EQ(frames[2 * i + 1], frames[2 * i]) << "effects are the same on both sides";
        StopSound(id);
        Half();
    }
}

TEST_F(MixerTest, FifteenVoicesRestartsAndSkippedPlays)
{
    std::vector<u16> ids;
    for (int i = 0; i < 16; ++i)
        ids.push_back(LoadEffect(("Voice" + std::to_string(i)).c_str(), std::vector<int>(20000, 1)));
    for (int i = 0; i < 16; ++i)
        QueueSound(ids[i]);
    Half();
    EXPECT_EQ(BusyVoices(), 15);
    for (int v = 1; v < 16; ++v)
        EXPECT_EQ(soundVoices[v].id, ids[v - 1]) << "voices are taken in order";
    EXPECT_EQ(soundQueue.count, 0);

    // A second play of a sounding id restarts its own voice; one in the middle of the table stays
    // where it is.
    QueueSound(ids[6]);
    Half();
    EXPECT_EQ(soundVoices[7].id, ids[6]);
    // The first frame moves two samples at 44100 Hz, every other frame one.
    EXPECT_EQ(soundVoices[7].position - soundSlots[ids[6]]->samples, streamHalfFrames + 1);
    EXPECT_EQ(soundVoices[6].position - soundSlots[ids[5]]->samples, 2 * streamHalfFrames + 1);

    // Id 0 (a cancelled entry) and ids naming no loaded sound are skipped; the next play still starts.
    StopSound(ids[0]);
    Half();
    EXPECT_EQ(soundVoices[1].id, 0u);
    Queue(0, 0);
    Queue(500, 0);
    Queue(ids[15], 0);
    Half();
    EXPECT_EQ(soundVoices[1].id, ids[15]);
    EXPECT_EQ(BusyVoices(), 15);
}

TEST_F(MixerTest, MuteDropsNewPlaysAndLetsSoundingOnesFinish)
{
    const u16 sounding = LoadEffect("Sounding", std::vector<int>(20000, 3));
    const u16 late = LoadEffect("Late", std::vector<int>(4000, 5));
    QueueSound(sounding);
    Half();
    sfxMuted = 1;
    QueueSound(late);
    const std::vector<i16> frames = Half();
    EXPECT_EQ(frames[0], 3 * 64);
    EXPECT_EQ(soundVoices[1].id, sounding);
    EXPECT_EQ(BusyVoices(), 1);
    sfxMuted = 0;
    QueueSound(late);
    Half();
    EXPECT_EQ(soundVoices[2].id, late);
}

TEST_F(MixerTest, PlayAndStopInOnePeriodAreNeverHeard)
{
    const u16 id = LoadEffect("Brief", std::vector<int>(4000, 9));
    QueueSound(id);
    QueueSound(id);
    StopSound(id);
    const std::vector<i16> frames = Half();
    for (size_t i = 0; i < frames.size(); ++i)
        ASSERT_EQ(frames[i], 0) << i;
    EXPECT_EQ(BusyVoices(), 0);
}

// Both pairs are scaled as the lanes of one 32-bit integer: the left lane's borrow lowers nothing
// but raises the right lane by 63 at a gain of 64, and nothing is clamped.
TEST_F(MixerTest, PackedMixCarriesBetweenTheLanes)
{
    struct Case {
        std::vector<int> voiceSamples; // one sample per voice, all sounding in the same frame
        i16 sfxGain;
        i16 left, right;
    };
    const Case cases[] = {
        {{5}, 64, 320, 320},
        {{-1}, 64, -64, -1},
        {{-128}, 64, -8192, -8129},
        {{-1}, 1, -1, -1},
        {{-3}, 0, 0, 0},
        {{127, 127, 127, 127, 127}, 64, -24896, -24896}, // 635 x 64 wraps, short of a carry
        {{127, 127, 127, 127, 127, 127, 127, 127, 127}, 64, 7616, 7617}, // 1143 x 64 carries one
        {{100, -20}, 64, 5120, 5120},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        std::vector<u16> ids;
        for (size_t v = 0; v < c.voiceSamples.size(); ++v)
            ids.push_back(LoadEffect(("Lane" + std::to_string(n) + "_" + std::to_string(v)).c_str(),
                                     std::vector<int>(200, c.voiceSamples[v])));
        for (u16 id : ids)
            QueueSound(id);
        sfxVolume = c.sfxGain;
        const std::vector<i16> frames = Half();
        EXPECT_EQ(frames[0], c.left);
        EXPECT_EQ(frames[1], c.right);
        sfxVolume = 64;
        ++n;
    }
}

TEST_F(MixerTest, PlaysAtAPitchAreQueuedByTheQueuesRule)
{
    struct Case {
        const char* name;
        f32 pitch;
        u32 frequency;
    };
    // A pitch worked out in floating point is cut to whole Hz; one that no u32 above 0 holds plays
    // at the sound's own rate.
    const Case cases[] = {
        {"a pitch in Hz", 22050.7f, 22050}, {"zero", 0.0f, 0},          {"below zero", -5.0f, 0},
        {"past a u32", 5.0e9f, 0},           {"not a number", NAN, 0},
    };
    for (const Case& c : cases) {
        soundQueue = SoundQueue{};
        audioRequestPending = 0;
        QueueSoundAt(7, c.pitch);
        ASSERT_EQ(soundQueue.count, 1) << c.name;
        EXPECT_EQ(soundQueue.id[0], 7) << c.name;
        EXPECT_EQ(soundQueue.loop[0], 0) << c.name;
        EXPECT_EQ(soundQueue.frequency[0], c.frequency) << c.name;
        EXPECT_EQ(audioRequestPending, 1) << c.name;
    }

    // Whole Hz go in as they are, the plain play at the sound's own rate, in the order queued.
    soundQueue = SoundQueue{};
    QueueSound(3);
    QueueSoundAt(4, 4294967000u);
    ASSERT_EQ(soundQueue.count, 2);
    EXPECT_EQ(soundQueue.id[0], 3);
    EXPECT_EQ(soundQueue.frequency[0], 0u);
    EXPECT_EQ(soundQueue.id[1], 4);
    EXPECT_EQ(soundQueue.frequency[1], 4294967000u);

    // A full queue drops every kind of play and asks the mixer for nothing.
    while (soundQueue.count < 16)
        QueueSoundAt(5, 11025u);
    audioRequestPending = 0;
    QueueSound(6);
    QueueSoundAt(6, 11025u);
    QueueSoundAt(6, 11025.0f);
    EXPECT_EQ(soundQueue.count, 16);
    EXPECT_EQ(audioRequestPending, 0);
    for (int i = 0; i < 16; ++i)
        EXPECT_NE(soundQueue.id[i], 6) << i;
    soundQueue = SoundQueue{};
    audioRequestPending = 0;
}

TEST_F(MixerTest, SoundOfNoSamplesIsNotPlayed)
{
    Write("Data/SFX/Empty.wav", datakit::MakeWav({}, 22050, 8, 1));
    const u16 id = (u16)LoadSound("Data/SFX/Empty.wav");
    Sound* sound = soundSlots[id];
    ASSERT_EQ(sound->length, 0u);
    // The byte after an empty block: a mixer that reads it is heard.
    static i8 block[2] = {0, 77};
    i8* const own = sound->samples;
    sound->samples = sound->loopStart = sound->end = &block[1];
    Queue(id, 0, 1);
    QueueSound(id);
    const std::vector<i16> frames = Half();
    EXPECT_EQ(frames[0], 0);
    EXPECT_EQ(BusyVoices(), 0);
    sound->samples = sound->loopStart = sound->end = own;
}

} // namespace
