// The refill of the game loop: halves written as the play cursor leaves them, lock failures, and a
// game without a sound device.
#include "tests/unit/AudioFixture.h"

namespace {

class AudioRefillTest : public AudioFixture {
protected:
    // Brings the platform up again with what the sound device will report.
    void Restart(u32 openResult)
    {
        ShutdownPlatform();
        headless::ResetSound();
        headless::SetSoundOpenResult(openResult);
        headless::ClearShownBoxes();
        ASSERT_TRUE(InitPlatform());
        SetVideoMode(25);
        LoadSilent();
    }

    u16 LoadEffect(const char* name, int level, u32 samples)
    {
        const std::string path = std::string("Data/SFX/") + name + ".wav";
        Write(path, Effect(std::vector<int>(samples, level)));
        return (u16)LoadSound(path.c_str());
    }

    // What the voices and the queue are after each of some ticks, with plays queued on the way.
    std::vector<std::string> RunScript()
    {
        const u16 a = LoadEffect("A", 3, 30000);
        const u16 b = LoadEffect("B", 5, 9000);
        std::vector<std::string> states;
        for (int tick = 0; tick < 90; ++tick) {
            if (tick == 3)
                QueueSound(a);
            if (tick == 20)
                QueueSound(b);
            if (tick == 41)
                StopSound(a);
            Tick();
            std::string state = std::to_string(soundQueue.count) + ":" + std::to_string(nextStreamHalf);
            for (int v = 1; v < 4; ++v)
                state += " " + std::to_string(soundVoices[v].id) + "@" +
                         std::to_string(soundVoices[v].position ? soundVoices[v].position - soundSlots[soundVoices[v].id]->samples : -1);
            states.push_back(state);
        }
        return states;
    }
};

TEST_F(AudioRefillTest, HalvesAreWrittenAsThePlayCursorLeavesThem)
{
    LoadSilent();
    const u16 id = LoadEffect("Beep", 7, 100);
    ASSERT_TRUE(headless::SoundRingOpen());
    EXPECT_EQ(headless::SoundRingRate(), streamRate);
    EXPECT_EQ(headless::SoundRing().size(), streamBufferBytes);

    // At start the cursor is in the first half, so the second is written at once.
    GamePass();
    ASSERT_EQ(headless::SoundWrites().size(), 1u);
    EXPECT_EQ(headless::SoundWrites()[0].offset, streamHalfBytes);
    EXPECT_EQ(headless::SoundWrites()[0].bytes, streamHalfBytes);
    QueueSound(id);
    for (int tick = 0; tick < 60; ++tick)
        Tick();
    // One second at 44025 frames: 14.97 halves fall due, and they alternate.
    const auto& writes = headless::SoundWrites();
    ASSERT_EQ(writes.size(), 15u);
    for (size_t i = 0; i < writes.size(); ++i)
        EXPECT_EQ(writes[i].offset, i % 2 ? 0u : streamHalfBytes) << i;
    // The play queued after the first half sounds at the start of the second.
    const std::vector<i16>& stream = headless::SoundStream();
    EXPECT_EQ(stream[2 * streamHalfFrames - 2], 0);
    EXPECT_EQ(stream[2 * streamHalfFrames], 7 * 64);
    EXPECT_TRUE(headless::ShownBoxes().empty());
}

TEST_F(AudioRefillTest, LockFailuresShowTheirBoxAndSkipTheHalf)
{
    struct Case {
        SoundWrite result;
        const char* first; // the box of the first refill (the second half)
        const char* then;  // and of the next (the first half)
    };
    const Case cases[] = {
        {SoundWriteLockFailed, "Error locking streaming DS buffer 2", "Error locking streaming DS buffer 1"},
        {SoundWritePartial, "Unable to fully lock streaming DS buffer 2", "Unable to fully lock streaming DS buffer 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first);
        Restart(SoundRingOpened);
        headless::SetSoundWriteResult(c.result);
        QueueSound(0);
        GamePass();
        GamePass(); // the cursor has not moved: nothing is tried again
        for (int tick = 0; tick < 5; ++tick)
            Tick();
        const auto& boxes = headless::ShownBoxes();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[0].text, c.first);
        EXPECT_EQ(boxes[1].text, c.then);
        EXPECT_EQ(boxes[0].caption, "DirectSound Error");
        EXPECT_EQ(boxes[0].flags, BoxOk);
        EXPECT_TRUE(headless::SoundWrites().empty());
        EXPECT_EQ(audioRequestPending, 1) << "a skipped half leaves the requests for the next";
        headless::SetSoundWriteResult(SoundWriteOk);
        for (int tick = 0; tick < 4; ++tick)
            Tick();
        EXPECT_EQ(headless::SoundWrites().size(), 1u);
        EXPECT_EQ(audioRequestPending, 0);
    }
    // A cursor that cannot be read writes nothing and says nothing.
    Restart(SoundRingOpened);
    headless::SetSoundCursorReadable(false);
    for (int tick = 0; tick < 10; ++tick)
        Tick();
    EXPECT_TRUE(headless::SoundWrites().empty());
    EXPECT_TRUE(headless::ShownBoxes().empty());
}

// Without a device the game shows the box once, never calls the device again, and its sounds
// come and go on the same ticks as with one.
TEST_F(AudioRefillTest, WithoutADeviceTheGameRunsTheSameSilently)
{
    Restart(SoundRingOpened);
    const std::vector<std::string> withDevice = RunScript();
    EXPECT_GT(headless::SoundWrites().size(), 20u);

    Restart(SoundRingNoDevice);
    ASSERT_EQ(headless::ShownBoxes().size(), 1u);
    EXPECT_EQ(headless::ShownBoxes()[0].text, "DirectSoundCreate Error");
    EXPECT_EQ(headless::ShownBoxes()[0].caption, "DirectSound Error");
    EXPECT_EQ(soundDeviceOpen, 0);
    const std::vector<std::string> withoutDevice = RunScript();
    EXPECT_EQ(withoutDevice, withDevice);
    EXPECT_EQ(headless::SoundCallCount(), 1u) << "only the attempt to open it";
    EXPECT_EQ(headless::ShownBoxes().size(), 1u);

    // A device that refuses its cooperative level says so and plays all the same.
    Restart(SoundRingNoPriority);
    ASSERT_EQ(headless::ShownBoxes().size(), 1u);
    EXPECT_EQ(headless::ShownBoxes()[0].text, "SetCooperativeLevel Error");
    EXPECT_EQ(RunScript(), withDevice);
    EXPECT_GT(headless::SoundWrites().size(), 20u);

    // A missing device the platform has reported in its own words: no box, silent all the same.
    Restart(SoundRingNoDevice | SoundRingReported);
    EXPECT_TRUE(headless::ShownBoxes().empty());
    EXPECT_EQ(soundDeviceOpen, 0);
    EXPECT_EQ(RunScript(), withDevice);

    // A device without a ring: no box of its own, and silent.
    Restart(SoundRingNoBuffer);
    EXPECT_TRUE(headless::ShownBoxes().empty());
    EXPECT_EQ(RunScript(), withDevice);
    EXPECT_TRUE(headless::SoundWrites().empty());
}

} // namespace
