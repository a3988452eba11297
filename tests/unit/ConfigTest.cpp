// "config.bfc": the byte order, the round trip, and files that are short, empty or out of range.
#include <cstring>

#include "Engine/Platform/Config.h"
#include "Engine/Platform/Controls.h"
#include "tests/unit/ScratchDir.h"
#include "tools/datakit/InputFiles.h"

#include <gtest/gtest.h>

namespace {

// Distinct bindings (by binding slot) and in-range options.
datakit::ConfigSettings DistinctSettings()
{
    datakit::ConfigSettings s{};
    for (int b = 0; b < 16; ++b) {
        s.padBinding[b] = (u8)(130 + b);
        s.keyBinding[b] = (u8)(2 + b);
    }
    s.advancedSettings = 1;
    s.lineInOutReversed = 0;
    s.grappleStyle = 1;
    s.lineAdjustmentSplit = 1;
    s.tappleDelay = 17;
    s.lineInOutDelay = 32;
    s.bossDefeated = 1;
    return s;
}

struct Options {
    u8 advanced, reversed, grapple, split, tapple, lineDelay, boss;
    bool operator==(const Options&) const = default;
};

Options CurrentOptions()
{
    return {advancedSettings, lineInOutReversed, grappleStyle, lineAdjustmentSplit, tappleDelay, lineInOutDelay,
            bossDefeated};
}

void SetOptions(const Options& o)
{
    advancedSettings = o.advanced;
    lineInOutReversed = o.reversed;
    grappleStyle = o.grapple;
    lineAdjustmentSplit = o.split;
    tappleDelay = o.tapple;
    lineInOutDelay = o.lineDelay;
    bossDefeated = o.boss;
}

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetDefaultBindings();
        SetOptions({});
    }
    void TearDown() override
    {
        SetDefaultBindings();
        SetOptions({});
    }
    ScratchDir dir_;
};

TEST_F(ConfigTest, LoadReadsEveryByteIntoItsField)
{
    const datakit::ConfigSettings s = DistinctSettings();
    ASSERT_TRUE(ScratchDir::Write("config.bfc", datakit::ConfigFile(s)));
    LoadConfig();
    for (int b = 0; b < 16; ++b) {
        EXPECT_EQ(playerControls[0].padBinding[b], s.padBinding[b]) << b;
        EXPECT_EQ(playerControls[0].keyBinding[b], s.keyBinding[b]) << b;
    }
    EXPECT_EQ(CurrentOptions(), (Options{1, 0, 1, 1, 17, 32, 1}));
    // Bindings 16-23 and the other players are not stored.
    EXPECT_EQ(playerControls[0].padBinding[BindAimUp], 128 + 4);
    EXPECT_EQ(playerControls[1].keyBinding[BindUp], 23);
}

TEST_F(ConfigTest, SaveWritesTheFileOrderAndLoadsBack)
{
    const datakit::ConfigSettings s = DistinctSettings();
    for (int b = 0; b < 16; ++b) {
        playerControls[0].padBinding[b] = s.padBinding[b];
        playerControls[0].keyBinding[b] = s.keyBinding[b];
    }
    SetOptions({1, 0, 1, 1, 17, 32, 1});
    ASSERT_TRUE(SaveConfig());
    EXPECT_EQ(ScratchDir::Read("config.bfc"), datakit::ConfigFile(s));
    EXPECT_FALSE(std::filesystem::exists("config.bfc.tmp"));

    SetDefaultBindings();
    SetOptions({});
    LoadConfig();
    for (int b = 0; b < 16; ++b) {
        EXPECT_EQ(playerControls[0].padBinding[b], s.padBinding[b]) << b;
        EXPECT_EQ(playerControls[0].keyBinding[b], s.keyBinding[b]) << b;
    }
    EXPECT_EQ(CurrentOptions(), (Options{1, 0, 1, 1, 17, 32, 1}));
}

// A file that holds fewer bytes keeps the current value of every field it does not hold, and each
// option is clamped to its range.
TEST_F(ConfigTest, ShortEmptyAndOutOfRangeFiles)
{
    const std::vector<u8> full = datakit::ConfigFile(DistinctSettings());
    const Options before{0, 1, 0, 0, 5, 6, 0};
    struct Case {
        const char* name;
        std::vector<u8> bytes;
        u8 padBinding9, keyBinding15; // slot 9 is stored at offset 8, key 15 at offset 31
        Options options;
    };
    std::vector<u8> outOfRange = full;
    const u8 wild[7] = {2, 255, 7, 9, 33, 200, 128};
    memcpy(outOfRange.data() + 32, wild, 7);
    std::vector<u8> longer = full;
    longer.resize(60, 0xEE);

    const Case cases[] = {
        {"empty", {}, 144, 47, before},
        {"eight bytes", {full.begin(), full.begin() + 8}, 144, 47, before},
        {"nine bytes", {full.begin(), full.begin() + 9}, 139, 47, before},
        {"bindings only", {full.begin(), full.begin() + 32}, 139, 17, before},
        {"three options", {full.begin(), full.begin() + 35}, 139, 17, {1, 0, 1, 0, 5, 6, 0}},
        {"one byte short", {full.begin(), full.begin() + 38}, 139, 17, {1, 0, 1, 1, 17, 32, 0}},
        {"options out of range", outOfRange, 139, 17, {1, 1, 1, 1, 32, 32, 1}},
        {"longer than the format", longer, 139, 17, {1, 0, 1, 1, 17, 32, 1}},
    };
    for (const Case& c : cases) {
        SetDefaultBindings();
        playerControls[0].padBinding[9] = 144;
        playerControls[0].keyBinding[15] = 47;
        SetOptions(before);
        ASSERT_TRUE(ScratchDir::Write("config.bfc", c.bytes));
        LoadConfig();
        EXPECT_EQ(playerControls[0].padBinding[9], c.padBinding9) << c.name;
        EXPECT_EQ(playerControls[0].keyBinding[15], c.keyBinding15) << c.name;
        EXPECT_EQ(CurrentOptions(), c.options) << c.name;
        for (int b = 0; b < 16; ++b)
            EXPECT_NE(playerControls[0].padBinding[b], 255) << c.name << " binding " << b;
    }

    std::filesystem::remove("config.bfc");
    SetOptions(before);
    LoadConfig(); // missing: nothing changes
    EXPECT_EQ(CurrentOptions(), before);
}

TEST_F(ConfigTest, AFailedSaveLeavesTheOldFile)
{
    const std::vector<u8> old = datakit::ConfigFile(DistinctSettings());
    ASSERT_TRUE(ScratchDir::Write("config.bfc", old));
    std::filesystem::create_directory("config.bfc.tmp"); // the temporary file cannot be made
    bossDefeated = 1;
    EXPECT_FALSE(SaveConfig());
    EXPECT_EQ(ScratchDir::Read("config.bfc"), old);
}

} // namespace
