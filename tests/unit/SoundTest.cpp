// Sound effects: WAV loading and conversion, the slot table, the queue and the stop list.
#include <cstring>

#include "tests/unit/AudioFixture.h"

namespace {

class SoundTest : public AudioFixture {};

std::vector<int> Samples(const Sound* sound)
{
    std::vector<int> values;
    if (sound && sound->samples)
        for (const i8* p = sound->samples; p < sound->end; ++p)
            values.push_back(*p);
    return values;
}

struct WavCase {
    const char* name;
    u16 bits, channels;
    std::vector<i16> fileSamples; // as written: 8-bit unsigned, 16-bit signed, interleaved
    std::vector<int> converted;
};

TEST_F(SoundTest, ConvertsTheFourWaveVariantsToSigned8BitMono)
{
    const WavCase cases[] = {
        {"8-bit mono", 8, 1, {0, 128, 255, 200}, {-128, 0, 127, 72}},
        // the high byte of each sample
        {"16-bit mono", 16, 1, {0x1234, -2, 0x7FFF, -32768, 0x00FF}, {0x12, -1, 127, -128, 0}},
        // the halved sum of both sides, shifted arithmetically
        {"8-bit stereo", 8, 2, {0, 255, 200, 100, 0, 0, 129, 128}, {-1, 22, -128, 0}},
        {"16-bit stereo", 16, 2, {0x7F00, 0x7F00, -256, 0x0100, -32768, -32768, 0x0300, -0x0500}, {127, 0, -128, -1}},
    };
    for (const WavCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = std::string("Data/SFX/") + c.name + ".wav";
        Write(path, datakit::MakeWav(c.fileSamples, 11025, c.bits, c.channels));
        const Sound* sound = Loaded(path);
        EXPECT_EQ(Samples(sound), c.converted);
        EXPECT_EQ(sound->length, c.converted.size());
        EXPECT_EQ(sound->loopStart, sound->samples);
        EXPECT_EQ(sound->sampleRate, 11025u);
        EXPECT_EQ(sound->bitsPerSample, c.bits);
        EXPECT_EQ(sound->channels, c.channels);
    }
    // 4000 data bytes of 16-bit stereo are 1000 sample frames.
    Write("Data/SFX/Long.wav", datakit::MakeWav(std::vector<i16>(2000, 0), 44100, 16, 2));
    EXPECT_EQ(Loaded("Data/SFX/Long.wav")->length, 1000u);
}

TEST_F(SoundTest, MissingEffectLoadsAsSilenceUnderItsOwnNameAndCountsItsUsers)
{
    LoadSilent();
    const u32 id = LoadSound("Data/SFX/Missing.wav");
    ASSERT_NE(id, 0u);
    EXPECT_STREQ(soundSlots[id]->name, "Data/SFX/Missing.wav");
    EXPECT_EQ(Samples(soundSlots[id]), Samples(soundSlots[0]));
    EXPECT_STREQ(debugText, "Sound Data/SFX/Missing.wav loaded - 1");

    EXPECT_EQ(LoadSound("Data/SFX/Missing.wav"), id);
    EXPECT_EQ(soundSlots[id]->useCount, 2u);
    EXPECT_STREQ(debugText, "Sound Data/SFX/Missing.wav duplicate - 1");

    // A stage restarting itself loads again without taking a reference.
    Stage stage{};
    currentStage = previousStage = &stage;
    EXPECT_EQ(LoadSound("Data/SFX/Missing.wav"), id);
    EXPECT_EQ(soundSlots[id]->useCount, 2u);
    currentStage = previousStage = nullptr;

    FreeSound(id);
    ASSERT_NE(soundSlots[id], nullptr);
    FreeSound(id);
    EXPECT_EQ(soundSlots[id], nullptr);
    // The freed slot is the first free entry: the next new sound takes it.
    Write("Data/SFX/New.wav", Effect({1, 2}));
    EXPECT_EQ(LoadSound("Data/SFX/New.wav"), id);
    FreeSound(999); // beyond the table: nothing happens
}

TEST_F(SoundTest, WithoutTheSilentSoundAMissingEffectShowsTheBoxAndPlaysNothing)
{
    const u32 id = LoadSound("Data/SFX/Missing.wav");
    ASSERT_EQ(headless::ShownBoxes().size(), 1u);
    EXPECT_EQ(headless::ShownBoxes()[0].text, "Couldn't open default silent sound effect");
    EXPECT_EQ(headless::ShownBoxes()[0].caption, "Palvic Error");
    EXPECT_EQ(soundSlots[id]->samples, nullptr);
    QueueSound((u16)id);
    Half();
    for (int v = 0; v < 16; ++v)
        EXPECT_EQ(soundVoices[v].id, 0u);
}

// Damaged files: each loads as a sound that plays nothing or only what the file holds, without a
// read outside it and without hanging.
TEST_F(SoundTest, DamagedWaveFilesNeverReadOutsideTheFile)
{
    const std::vector<u8> good = datakit::MakeWav({10, 20, 30, 40, 50, 60}, 22050, 8, 1); // 44 + 6 bytes
    struct Damaged {
        const char* name;
        std::vector<u8> bytes;
        u32 samples; // what is left to play
    };
    std::vector<Damaged> cases;
    for (u32 cut : {0u, 4u, 11u, 12u, 20u, 30u, 36u, 40u, 43u, 44u, 47u})
        cases.push_back({"cut", std::vector<u8>(good.begin(), good.begin() + cut), cut > 44 ? cut - 44 : 0});
    std::vector<u8> notWave = good;
    memcpy(notWave.data() + 8, "WAVF", 4);
    cases.push_back({"not a wave", notWave, 0});
    std::vector<u8> noData = good;
    memcpy(noData.data() + 36, "dat!", 4);
    cases.push_back({"no data chunk", noData, 0});
    std::vector<u8> huge = good;
    huge[40] = huge[41] = huge[42] = huge[43] = 0xFF; // a data size far past the end
    cases.push_back({"data size past the end", huge, 6});
    std::vector<u8> hugeFormat = good;
    hugeFormat[16] = hugeFormat[17] = hugeFormat[18] = hugeFormat[19] = 0xFF;
    cases.push_back({"format size past the end", hugeFormat, 6});
    std::vector<u8> empty = datakit::MakeWav({}, 22050, 16, 2);
    cases.push_back({"no samples", empty, 0});

    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].name + std::string(" ") + std::to_string(cases[i].bytes.size()));
        const std::string path = "Data/SFX/Damaged" + std::to_string(i) + ".wav";
        Write(path, cases[i].bytes);
        const Sound* sound = Loaded(path);
        ASSERT_NE(sound, nullptr);
        EXPECT_EQ(Samples(sound).size(), cases[i].samples);
        QueueSound((u16)sound->slot);
    }
    Half(); // playing all of them reads nothing outside their blocks
    for (int v = 1; v < 16; ++v)
        EXPECT_EQ(soundVoices[v].id, 0u) << "only sounds of a few samples were played";
}

// A data chunk found by its header even after other chunks, whatever bytes they hold.
TEST_F(SoundTest, FindsTheDataChunkAfterOtherChunks)
{
    std::vector<u8> wav = datakit::MakeWav({0, 64, 255}, 8000, 8, 1);
    std::vector<u8> list = {'L', 'I', 'S', 'T', 5, 0, 0, 0, 'd', 'a', 'd', 'd', 'y', 0}; // odd size, padded
    wav.insert(wav.begin() + 36, list.begin(), list.end());
    Write("Data/SFX/List.wav", wav);
    EXPECT_EQ(Samples(Loaded("Data/SFX/List.wav")), (std::vector<int>{-128, -64, 127}));
}

// The same samples through sox's WAV writer load exactly as through ours.
TEST_F(SoundTest, WaveFilesWrittenBySoxLoadTheSameSamples)
{
    if (std::system("sox --version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "sox is not installed";
    std::vector<i16> wide;
    for (int i = 0; i < 600; ++i)
        wide.push_back((i16)((i * 9973) % 65536 - 32768));
    std::vector<i16> narrow;
    for (i16 s : wide)
        narrow.push_back((i16)((u16)s >> 8));
    struct Variant {
        u16 bits, channels;
        const char* encoding;
    };
    for (const Variant& v : {Variant{8, 1, "unsigned-integer"}, Variant{8, 2, "unsigned-integer"},
                             Variant{16, 1, "signed-integer"}, Variant{16, 2, "signed-integer"}}) {
        SCOPED_TRACE(std::to_string(v.bits) + " bits, " + std::to_string(v.channels) + " channels");
        const std::vector<i16>& samples = v.bits == 8 ? narrow : wide;
        std::vector<u8> raw;
        for (i16 s : samples) {
            if (v.bits == 8)
                raw.push_back((u8)s);
            else
                datakit::PutLe16(raw, (u16)s);
        }
        Write("in.raw", raw);
        const std::string name = "Data/SFX/Sox" + std::to_string(v.bits) + "x" + std::to_string(v.channels);
        const std::string command = "sox -t raw -r 22050 -e " + std::string(v.encoding) + " -b " +
                                    std::to_string(v.bits) + " -c " + std::to_string(v.channels) + " in.raw " +
                                    name + ".wav";
        Write(name + "Ours.wav", datakit::MakeWav(samples, 22050, v.bits, v.channels));
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const Sound* sox = Loaded(name + ".wav");
        const Sound* ours = Loaded(name + "Ours.wav");
        EXPECT_EQ(sox->length, 600u / v.channels);
        EXPECT_EQ(Samples(sox), Samples(ours));
        EXPECT_EQ(sox->sampleRate, 22050u);
    }
}

TEST_F(SoundTest, QueueTakesSixteenPlaysAndStopCancelsPendingOnes)
{
    for (u16 i = 1; i <= 17; ++i)
        QueueSound(i);
    EXPECT_EQ(soundQueue.count, 16);
    EXPECT_EQ(soundQueue.id[15], 16);
    EXPECT_EQ(audioRequestPending, 1);

    soundQueue = SoundQueue{};
    soundStopList = SoundStopList{};
    QueueSound(5);
    QueueSound(7);
    QueueSound(5);
    StopSound(5);
    // Entry 0 keeps its id and the stop list silences what it starts; later entries are cancelled.
    EXPECT_EQ(soundQueue.id[0], 5);
    EXPECT_EQ(soundQueue.id[1], 7);
    EXPECT_EQ(soundQueue.id[2], 0);
    ASSERT_EQ(soundStopList.count, 1);
    EXPECT_EQ(soundStopList.ids[0], 5);
    StopSound(5);
    EXPECT_EQ(soundStopList.count, 1) << "an id is listed once";
    StopSound(9); // neither queued nor playing: nothing to stop
    EXPECT_EQ(soundStopList.count, 1);
}

// Freeing an effect while it sounds stops it, even when the stop list is full and the refill could
// not silence it: its samples are gone and must not be read (the sanitizer build checks this).
TEST_F(SoundTest, FreedEffectIsNeverMixedEvenWithAFullStopList)
{
    LoadSilent();
    Write("Data/SFX/Long.wav", Effect(std::vector<int>(20000, 50)));
    const u32 id = LoadSound("Data/SFX/Long.wav");
    QueueSound((u16)id);
    Half();
    ASSERT_EQ(soundVoices[1].id, id);

    for (u16 other = 100; other < 116; ++other) {
        soundQueue.id[0] = other;
        StopSound(other);
    }
    soundQueue = SoundQueue{};
    ASSERT_EQ(soundStopList.count, 16);
    voice0Request = soundSlots[id];
    FreeSound(id);
    EXPECT_EQ(soundVoices[1].id, 0u);
    EXPECT_EQ(voice0Request, nullptr);
    const std::vector<i16> frames = Half();
    for (size_t i = 0; i < frames.size(); ++i)
        ASSERT_EQ(frames[i], 0) << i;
}

} // namespace
