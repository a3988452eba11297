// The shell on the headless backend with its sound ring, in a temporary working folder where the
// tests write the effect and music files they load.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>
#include <unistd.h>

#include "Engine/Common/Debug.h"
#include "Engine/Common/Sound.h"
#include "Engine/Common/Vorbis.h"
#include "Engine/Platform/Audio.h"
#include "Engine/Platform/Headless/HeadlessSound.h"
#include "tests/unit/HeadlessGame.h"
#include "tools/datakit/Bytes.h"
#include "tools/datakit/Ogg.h"
#include "tools/datakit/Wav.h"

class AudioFixture : public HeadlessGame {
protected:
    void SetUp() override
    {
        headless::ResetSound();
        previousDir_ = std::filesystem::current_path();
        dir_ = std::filesystem::temp_directory_path() /
               ("palvic-audio-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        std::filesystem::current_path(dir_);
        HeadlessGame::SetUp();
        currentStage = previousStage = nullptr;
        musicLoopSample = 0xFFFFFFFFu;
    }

    void TearDown() override
    {
        HeadlessGame::TearDown();
        musicMuted = sfxMuted = 0;
        headless::ResetSound();
        std::filesystem::current_path(previousDir_);
        std::error_code error;
        std::filesystem::remove_all(dir_, error);
    }

    static void Write(const std::string& path, const std::vector<u8>& bytes)
    {
        if (bytes.empty()) { // an empty file: the kit's writer hands fwrite no buffer for it
            std::filesystem::create_directories(std::filesystem::path(path).parent_path());
            FILE* file = fopen(path.c_str(), "wb");
            ASSERT_NE(file, nullptr) << path;
            fclose(file);
            return;
        }
        ASSERT_TRUE(datakit::WriteFile(path, bytes)) << path;
    }

    // An 8-bit mono effect whose signed samples are the given values.
    static std::vector<u8> Effect(const std::vector<int>& signedSamples, u32 rate = 44100)
    {
        std::vector<i16> unsignedSamples;
        for (int s : signedSamples)
            unsignedSamples.push_back((i16)(s + 128));
        return datakit::MakeWav(unsignedSamples, rate, 8, 1);
    }

    // Writes the silent sound and loads it into slot 0, as start-up does.
    void LoadSilent()
    {
        Write("Data/SFX/Global/Silent.wav", datakit::MakeWav(std::vector<i16>(64, 128), 22050, 8, 1));
        ASSERT_EQ(LoadSound("Data/SFX/Global/Silent.wav"), 0u);
    }

    // Loads an effect and returns its record (the table may move as it grows).
    static const Sound* Loaded(const std::string& path)
    {
        const u32 id = LoadSound(path.c_str());
        return soundSlots[id];
    }

    // One half of mixed frames (left, right, ...), straight from the mixer.
    static std::vector<i16> Half()
    {
        std::vector<i16> frames(streamHalfFrames * 2);
        FillAudioBlock(frames.data());
        return frames;
    }

private:
    std::filesystem::path previousDir_, dir_;
};
