// The SDL sound ring on SDL's own drivers: the "disk" driver writes what the callback plays to a
// file, so the ring's bytes must come out in cursor order, round and round.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <SDL.h>
#include <unistd.h>

#include "Engine/Platform/Platform.h"

namespace {

constexpr u32 ringBytes = 23520, halfBytes = 11760;

void FillFirst(i16* frames)
{
    for (u32 i = 0; i < halfBytes / 2; ++i)
        frames[i] = (i16)(i * 7 + 1);
}
void FillSecond(i16* frames)
{
    for (u32 i = 0; i < halfBytes / 2; ++i)
        frames[i] = (i16)(-(i16)(i * 3) - 2);
}

TEST(SdlSoundTest, RingPlaysRoundAndRoundFromItsCursor)
{
    const std::filesystem::path file = std::filesystem::temp_directory_path() / ("palvic-sdl-ring-" + std::to_string(getpid()) + ".raw");
    std::filesystem::remove(file);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    ASSERT_EQ(OpenSoundRing(ringBytes, 44025), (u32)SoundRingOpened);
    EXPECT_EQ(WriteSoundRegion(0, halfBytes, FillFirst), SoundWriteOk);
    EXPECT_EQ(WriteSoundRegion(halfBytes, halfBytes, FillSecond), SoundWriteOk);
    EXPECT_EQ(WriteSoundRegion(halfBytes, halfBytes + 4, FillSecond), SoundWriteLockFailed);

    // Three trips round the ring, bounded so that a ring that never moves still ends the test.
    int wraps = 0;
    u32 last = 0;
    for (int i = 0; i < 5000 && wraps < 3; ++i) {
        u32 cursor = 0;
        ASSERT_TRUE(SoundPlayCursor(&cursor));
        ASSERT_LT(cursor, ringBytes);
        ASSERT_EQ(cursor % 4, 0u);
        wraps += cursor < last;
        last = cursor;
        SDL_Delay(1);
    }
    CloseSoundRing();
    u32 cursor;
    EXPECT_FALSE(SoundPlayCursor(&cursor));
    ASSERT_EQ(wraps, 3);

    std::vector<u8> ring(ringBytes);
    FillFirst((i16*)ring.data());
    FillSecond((i16*)(ring.data() + halfBytes));
    std::vector<u8> played;
    if (FILE* in = fopen(file.c_str(), "rb")) {
        int c;
        while ((c = fgetc(in)) != EOF)
            played.push_back((u8)c);
        fclose(in);
    }
    std::filesystem::remove(file);
    ASSERT_GE(played.size(), 3u * ringBytes);
    // The output is the ring in order, round and round, once the ring was written (silence
    // before). Where in the file the ring's byte 0 falls is not fixed: until the device is
    // unpaused SDL's thread writes silence of its own, as much as the machine's load lets it, so
    // the ring's start is looked for (the one offset at which every byte heard is the ring's).
    auto heardFrom = [&](size_t start) {
        size_t heard = 0;
        for (size_t p = 0; p < played.size(); ++p) {
            if (played[p] == 0)
                continue;
            if (played[p] != ring[(p + ringBytes - start) % ringBytes])
                return (size_t)0;
            ++heard;
        }
        return heard;
    };
    size_t heard = 0;
    for (size_t start = 0; start < ringBytes && !heard; start += 4)
        heard = heardFrom(start);
    // Whole frames of silence: the ring starts on a frame's first byte or not at all.
    EXPECT_GT(heard, 2u * ringBytes) << "the output is not the ring in order from any frame's start";
}

TEST(SdlSoundTest, NoDeviceOpensNothing)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    // Reported on standard error by SDL's own words, so the shell shows no box.
    EXPECT_EQ(OpenSoundRing(ringBytes, 44025), (u32)(SoundRingNoDevice | SoundRingReported));
    u32 cursor;
    EXPECT_FALSE(SoundPlayCursor(&cursor));
    EXPECT_EQ(WriteSoundRegion(0, halfBytes, FillFirst), SoundWriteLockFailed);
    CloseSoundRing();
}

} // namespace
