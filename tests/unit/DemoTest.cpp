// Input demos: recording player 1's masks into "test.dem", playing them back tick for tick with the
// same random numbers, and the ends of a demo.
#include "Engine/Common/DataPack.h"
#include "Engine/Common/Random.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/Demo.h"
#include "tests/unit/HeadlessGame.h"
#include "tests/unit/ScratchDir.h"
#include "tools/datakit/InputFiles.h"
#include "tools/datakit/PackWriter.h"

namespace {

constexpr int keyS = 31, keyA = 30, keyRight = 77, keyReturn = 28, keyI = 23;
constexpr u32 startBit = 1u << BindStart;

struct TickRecord {
    u32 held, pressed;
    i32 random;
    u32 seed;
    bool operator==(const TickRecord&) const = default;
};

class DemoTest : public HeadlessGame {
protected:
    void SetUp() override
    {
        HeadlessGame::SetUp();
        SetDefaultBindings();
        for (int p = 0; p < playerCount; ++p)
            playerControls[p].heldMask = playerControls[p].pressedMask = liveControls[p].heldMask =
                liveControls[p].pressedMask = 0;
    }
    void TearDown() override
    {
        StopDemo();
        HeadlessGame::TearDown();
    }

    // One tick with these keys down, then what gameplay would see: player 1's masks, a random draw
    // and the tick counter.
    TickRecord TickWith(std::initializer_list<int> keys)
    {
        headless::ReleaseAllKeys();
        for (int key : keys)
            headless::SetKey(key, true);
        Tick();
        return {playerControls[0].heldMask, playerControls[0].pressedMask, GameRand(), demoSeed};
    }

    // A scripted stretch of play: a different set of keys each tick.
    std::vector<TickRecord> Play(int ticks, int salt)
    {
        static const int keys[] = {keyS, keyA, keyRight, keyI};
        std::vector<TickRecord> out;
        for (int t = 0; t < ticks; ++t) {
            const int k = (t * 7 + salt) % 5;
            if (k == 4)
                out.push_back(TickWith({}));
            else
                out.push_back(TickWith({keys[k], keys[(k + t) % 4]}));
        }
        return out;
    }

    ScratchDir dir_;
};

TEST_F(DemoTest, RecordingThenPlaybackRepeatsMasksAndRandomNumbers)
{
    for (int t = 0; t < 5; ++t)
        Tick();
    TickWith({KeyControl, KeyF10});
    ASSERT_TRUE(DemoRecording());
    EXPECT_EQ(controlModes[0], ControlRecord);
    const u32 seed = demoSeed;
    const std::vector<TickRecord> recorded = Play(20, 0);
    TickWith({KeyF11}); // this tick's masks are written before the stop is served
    EXPECT_FALSE(DemoRecording());
    EXPECT_EQ(controlModes[0], ControlLive);

    const std::vector<u8> file = ScratchDir::Read("test.dem");
    ASSERT_EQ(file.size(), 4u + 8u * 21u);
    EXPECT_EQ((u32)file[0] << 24 | file[1] << 16 | file[2] << 8 | file[3], seed);

    // Later, with other keys down and the counter elsewhere, the playback repeats the recording.
    for (int t = 0; t < 9; ++t)
        Tick();
    GameSrand(12345);
    TickWith({KeyF10});
    ASSERT_TRUE(DemoPlaying());
    EXPECT_EQ(demoSeed, seed);
    const std::vector<TickRecord> replayed = Play(20, 3);
    EXPECT_EQ(replayed, recorded);
    // The last recorded tick held nothing (only F11, which binds nothing): player 1 ignores its own
    // S now, while player 2 stays live (I is its Up).
    TickWith({keyS, keyI});
    EXPECT_EQ(playerControls[0].heldMask, 0u);
    EXPECT_EQ(liveControls[0].heldMask, 1u << BindJump);
    EXPECT_EQ(playerControls[1].heldMask, 1u << BindUp);
}

TEST_F(DemoTest, PlaybackStopsAtTheEndOfTheFile)
{
    struct Case {
        const char* name;
        size_t extraBytes; // a trailing part of a tick
    };
    const Case cases[] = {{"whole ticks", 0}, {"cut inside a tick", 5}};
    for (const Case& c : cases) {
        std::vector<u8> bytes = datakit::DemoFile(77, {{0x11, 0x1}, {0x22, 0x2}, {0x44, 0x4}});
        bytes.resize(bytes.size() + c.extraBytes, 0xAB);
        ASSERT_TRUE(ScratchDir::Write("test.dem", bytes));
        TickWith({KeyF10});
        ASSERT_EQ(controlModes[0], ControlPlayback) << c.name;
        EXPECT_EQ(TickWith({keyS}).held, 0x11u) << c.name;
        EXPECT_EQ(TickWith({keyS}).held, 0x22u) << c.name;
        EXPECT_EQ(TickWith({keyS}).held, 0x44u) << c.name;
        // No whole tick is left: the devices take over at once.
        EXPECT_EQ(TickWith({keyS}).held, 1u << BindJump) << c.name;
        EXPECT_EQ(controlModes[0], ControlLive) << c.name;
        EXPECT_FALSE(DemoPlaying()) << c.name;
    }
}

TEST_F(DemoTest, PlaybackReadsTheDataPackBeforeTheLooseFile)
{
    std::vector<u8> pack;
    std::string error;
    ASSERT_TRUE(datakit::MakePack({{"test.dem", datakit::DemoFile(31, {{0x5, 0}})}}, &pack, &error)) << error;
    ASSERT_TRUE(ScratchDir::Write("data.ch3", pack));
    ASSERT_TRUE(ScratchDir::Write("test.dem", datakit::DemoFile(32, {{0x6, 0}})));
    ASSERT_NE(OpenDataPack(), 0u);
    TickWith({KeyF10});
    EXPECT_EQ(demoSeed, 31u);
    EXPECT_EQ(TickWith({}).held, 0x5u);
    CloseDataPack();
}

TEST_F(DemoTest, PlaybackRefusesAMissingOrSeedlessFile)
{
    const std::vector<std::vector<u8>> files = {{}, {1, 2, 3}};
    TickWith({KeyF10}); // no file at all
    EXPECT_EQ(controlModes[0], ControlLive);
    EXPECT_FALSE(DemoPlaying());
    for (const std::vector<u8>& bytes : files) {
        ASSERT_TRUE(ScratchDir::Write("test.dem", bytes));
        const u32 seed = demoSeed;
        TickWith({KeyF10});
        EXPECT_EQ(controlModes[0], ControlLive) << bytes.size();
        EXPECT_EQ(demoSeed, seed + 1) << bytes.size();
        EXPECT_EQ(TickWith({keyS}).held, 1u << BindJump) << bytes.size();
    }
}

TEST_F(DemoTest, StopKeys)
{
    // The demo's own Start does not stop the playback; the devices' Start does.
    ASSERT_TRUE(ScratchDir::Write("test.dem", datakit::DemoFile(5, {{startBit, startBit}, {0, 0}, {0, 0}, {0, 0}})));
    TickWith({KeyF10});
    EXPECT_EQ(TickWith({}).pressed, startBit);
    EXPECT_TRUE(DemoPlaying());
    TickWith({keyReturn});
    EXPECT_FALSE(DemoPlaying());
    EXPECT_EQ(controlModes[0], ControlLive);

    // F11 with no demo running only puts player 1 back on the devices.
    controlModes[0] = ControlUntouched;
    controlModes[1] = ControlUntouched;
    const u32 seed = demoSeed;
    TickWith({KeyF11});
    EXPECT_EQ(controlModes[0], ControlLive);
    EXPECT_EQ(controlModes[1], ControlUntouched);
    EXPECT_EQ(demoSeed, seed + 1);
}

TEST_F(DemoTest, StartingADemoEndsTheRunningOne)
{
    TickWith({KeyControl, KeyF10});
    Play(3, 1);
    // A second recording closes the first and starts a fresh file.
    TickWith({KeyControl, KeyF10});
    Play(2, 2);
    // Playback ends the recording; the file holds the second recording whole.
    TickWith({KeyF10});
    EXPECT_FALSE(DemoRecording());
    ASSERT_TRUE(DemoPlaying());
    const size_t size = ScratchDir::Read("test.dem").size();
    EXPECT_EQ(size, 4u + 8u * 3u); // two ticks, and the tick of the key
    // Another playback while one runs starts over from the seed.
    const u32 seed = demoSeed;
    TickWith({});
    TickWith({KeyF10});
    EXPECT_EQ(demoSeed, seed);
}

} // namespace
