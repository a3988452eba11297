// Bitmap-font strings and numbers: alignment, the advance and spacing, palettes, world and screen
// positions, decimal and hexadecimal digits (ten-digit values included), and the player's frame.
#include "tests/unit/TextFixture.h"

namespace {

// Character widths of the test font: capitals 8, small letters 5, digits 6, the rest 3 to 6. Frame
// c is drawn in index c (frame 0 in 254); the last frame (127) is 7 wide.
u8 CharWidth(u32 c)
{
    if (c >= 'A' && c <= 'Z')
        return 8;
    if (c >= 'a' && c <= 'z')
        return 5;
    if (c >= '0' && c <= '9')
        return 6;
    return c == 127 ? 7 : (u8)(3 + c % 4);
}

class BitmapFontTest : public TextFixture {
protected:
    BitmapFont font{};
    AnimPlayer digits{};  // animation 1: digits 0-9, 6 wide, indices 200-209
    AnimPlayer uneven{};  // animation 2: digit d is 4 + d wide, indices 220-229

    void SetUp() override
    {
        TextFixture::SetUp();
        std::vector<TestGlyph> characters, evenDigits, unevenDigits;
        for (u32 c = 0; c < 128; ++c)
            characters.push_back({CharWidth(c), 10, (u8)(c ? c : 254)});
        for (u8 d = 0; d < 10; ++d) {
            evenDigits.push_back({6, 10, (u8)(200 + d)});
            unevenDigits.push_back({(u8)(4 + d), 10, (u8)(220 + d)});
        }
        WriteFont("Data/Test/Font.man", {characters, evenDigits, unevenDigits});
        LoadBitmapFont(&font, "Data/Test/Font.man", 0);
        ASSERT_TRUE(font.ready);
        digits.set = uneven.set = &font.set;
        StartAnim(&digits, 1);
        StartAnim(&uneven, 2);
        // Numbers draw in the palette their caller made current.
        SetCurrentPalette(font.set.palettes[0]);
    }

    void TearDown() override
    {
        FreeBitmapFont(&font);
        TextFixture::TearDown();
    }

    // The glyphs of a string as runs on row y: x and index, in palette p.
    static std::vector<GlyphRun> Expect(std::initializer_list<std::pair<int, int>> glyphs, int p = 0)
    {
        std::vector<GlyphRun> runs;
        for (const auto& [x, index] : glyphs)
            runs.push_back({x, p, index});
        return runs;
    }
};

TEST_F(BitmapFontTest, StringsAreAlignedByTheAdvancesOfAllButTheLastCharacter)
{
    struct Case {
        const char* text;
        f32 x;
        u8 align;
        i8 spacing;
        std::vector<GlyphRun> glyphs;
    };
    const Case cases[] = {
        {"AB", 100.0f, 1, 0, Expect({{92, 'A'}, {100, 'B'}})}, // the last character starts at x
        {"AB", 100.0f, 0, 0, Expect({{100, 'A'}, {108, 'B'}})},
        {"AB", 100.0f, 2, 0, Expect({{96, 'A'}, {104, 'B'}})},
        {"aB", 100.0f, 2, 0, Expect({{98, 'a'}, {103, 'B'}})},   // half of 5, rounded down
        {"A", 100.0f, 0, 0, Expect({{100, 'A'}})},
        {"A", 100.0f, 1, 0, Expect({{100, 'A'}})},
        {"A", 100.0f, 2, 0, Expect({{100, 'A'}})},
        {"Abc", 100.9f, 1, -2, Expect({{91, 'A'}, {97, 'b'}, {100, 'c'}})}, // x truncated; spacing in the shift
        {"Abc", 100.0f, 0, 3, Expect({{100, 'A'}, {111, 'b'}, {119, 'c'}})},
        {"Abc", 100.0f, 7, 0, Expect({{100, 'A'}, {108, 'b'}, {113, 'c'}})}, // unknown alignment: left
        // Bytes past 127 draw the last frame, 7 wide.
        {"A\xC9z", 100.0f, 0, 0, Expect({{100, 'A'}, {108, 127}, {115, 'z'}})},
    };
    for (const Case& c : cases) {
        ClearFrame();
        font.spacing = c.spacing;
        DrawFontString(c.text, &font, c.x, 30.0f, c.align, 0, 0);
        EXPECT_EQ(Runs(35), c.glyphs) << c.text << " align " << (int)c.align << " at " << c.x;
        EXPECT_TRUE(Runs(29).empty() && !Runs(39).empty() && Runs(40).empty()) << c.text;
    }
}

TEST_F(BitmapFontTest, ScreenAndWorldPositionsAndThePalette)
{
    scrollX = 30;
    scrollY = 10;
    DrawFontString("AB", &font, 100.0f, 30.0f, 0, 2, 0); // screen coordinates
    EXPECT_EQ(Runs(30), Expect({{100, 'A'}, {108, 'B'}}, 2));
    ClearFrame();
    DrawFontString("AB", &font, 100.5f, 30.7f, 0, 1, 1); // world coordinates: less the scroll
    EXPECT_EQ(Runs(20), Expect({{70, 'A'}, {78, 'B'}}, 1));
    EXPECT_TRUE(Runs(19).empty());
}

TEST_F(BitmapFontTest, PaletteIsTakenUpEvenWhenNothingIsDrawn)
{
    u32 other[256] = {};
    const auto palette = [&](u8 p) { return font.set.palettes[p]->colours; };

    currentPalette = other;
    font.hidden = 1;
    DrawFontString("AB", &font, 100.0f, 30.0f, 0, 2, 0);
    EXPECT_EQ(currentPalette, palette(2));
    EXPECT_EQ(DrawnPixels(), 0);
    font.hidden = 0;

    currentPalette = other;
    DrawFontString("", &font, 100.0f, 30.0f, 0, 1, 0);
    EXPECT_EQ(currentPalette, palette(1));

    // A palette the set lacks, a font that is not ready or no text: the palette stays.
    currentPalette = other;
    DrawFontString("AB", &font, 100.0f, 30.0f, 0, 3, 0);
    EXPECT_EQ(currentPalette, other);
    ClearFrame();
    font.ready = 0;
    DrawFontString("AB", &font, 100.0f, 30.0f, 0, 1, 0);
    font.ready = 1;
    DrawFontString(nullptr, &font, 100.0f, 30.0f, 0, 1, 0);
    DrawFontString("AB", nullptr, 100.0f, 30.0f, 0, 1, 0);
    EXPECT_EQ(currentPalette, other);
    EXPECT_EQ(DrawnPixels(), 0);
    currentPalette = nullptr;
}

TEST_F(BitmapFontTest, PlayerIsLeftOnTheLastCharacter)
{
    font.player.frameIndex = 3;
    DrawFontString("AZq", &font, 10.0f, 10.0f, 0, 0, 0);
    EXPECT_EQ(font.player.frameIndex, 'q');
    EXPECT_EQ(font.player.prevFrameIndex, 'Z');
    EXPECT_EQ(font.player.timer, 'q' + 1000); // the frame's duration

    // A player that is not playing draws nothing, and its frame stays; the pen still advances.
    ClearFrame();
    font.player.playing = 0;
    DrawFontString("AZq", &font, 10.0f, 10.0f, 0, 0, 0);
    EXPECT_EQ(DrawnPixels(), 0);
    EXPECT_EQ(font.player.frameIndex, 'q');
}

TEST_F(BitmapFontTest, DecimalNumbers)
{
    struct Case {
        i32 value;
        u8 align;
        std::vector<GlyphRun> glyphs; // digit d in index 200 + d, 6 wide, about x = 100
    };
    const auto D = [](std::initializer_list<std::pair<int, int>> digitsAt) {
        std::vector<GlyphRun> runs;
        for (const auto& [x, d] : digitsAt)
            runs.push_back({x, 0, 200 + d});
        return runs;
    };
    const Case cases[] = {
        {0, 0, D({{100, 0}})},
        {-5, 2, D({{100, 0}})}, // below 1: a single 0 at x, whatever the alignment
        {-2147483647 - 1, 1, D({{100, 0}})},
        {7, 2, D({{101, 7}})},
        {123, 0, D({{100, 1}, {106, 2}, {112, 3}})},
        {123, 1, D({{88, 1}, {94, 2}, {100, 3}})},
        {123, 2, D({{95, 1}, {101, 2}, {107, 3}})}, // about x + 1 + w / 2
        {1000000000, 0, D({{100, 1}, {106, 0}})}, // ten digits: the place values pass 32 bits
        {2147483647, 1, D({{46, 2}, {52, 1}, {58, 4}, {64, 7}, {70, 4}, {76, 8}, {82, 3}, {88, 6}, {94, 4}, {100, 7}})},
        {123, 3, {}}, // no such alignment: nothing
    };
    for (const Case& c : cases) {
        ClearFrame();
        DrawFontNumber(c.value, &digits, 100.0f, 30.0f, c.align);
        EXPECT_EQ(Runs(30), c.glyphs) << c.value << " align " << (int)c.align;
    }
}

TEST_F(BitmapFontTest, DigitsTakeTheWidthOfTheirOwnFrame)
{
    // 19 in digits 5 and 13 wide: the second digit at x + 1 x 13, not right after the first.
    DrawFontNumber(19, &uneven, 100.0f, 30.0f, 0);
    EXPECT_EQ(Runs(30), (std::vector<GlyphRun>{{100, 0, 221}, {113, 0, 229}}));
}

TEST_F(BitmapFontTest, PaddedNumbersKeepTheirWidth)
{
    struct Case {
        i32 value;
        u8 digitCount;
        u8 align;
        std::vector<int> digitsShown;
        int firstX;
    };
    const Case cases[] = {
        {7, 3, 0, {0, 0, 7}, 100},
        {7, 3, 1, {0, 0, 7}, 88},
        {-3, 3, 0, {0, 0, 0}, 100},
        {12345, 3, 0, {1, 2, 3, 4, 5}, 100}, // never cut
        {42, 0, 1, {4, 2}, 94},
        {0, 1, 2, {0}, 100}, // as DrawFontNumber
    };
    for (const Case& c : cases) {
        ClearFrame();
        DrawFontNumberPadded(c.value, &digits, 100.0f, 30.0f, c.align, c.digitCount);
        std::vector<GlyphRun> expected;
        for (size_t i = 0; i < c.digitsShown.size(); ++i)
            expected.push_back({c.firstX + 6 * (int)i, 0, 200 + c.digitsShown[i]});
        // Equal neighbours merge into one run on the row.
        std::vector<GlyphRun> merged;
        for (const GlyphRun& run : expected)
            if (merged.empty() || merged.back().index != run.index)
                merged.push_back(run);
        EXPECT_EQ(Runs(30), merged) << c.value << " in " << (int)c.digitCount;
    }
}

TEST_F(BitmapFontTest, HexadecimalNumbersAreCentred)
{
    struct Case {
        i32 value;
        std::vector<GlyphRun> glyphs; // frames by character code in the character animation
    };
    const Case cases[] = {
        {255, {{95, 0, 'F'}}},             // "FF": two 8-wide Fs from x + 1 - (16 - 4) + 8
        {0, {{98, 0, '0'}}},               // a single 0 at x (the digit is 6 wide, no shift)
        {-1, {{98, 0, '0'}}},
        {0x1A, {{96, 0, '1'}, {103, 0, 'A'}}},
    };
    for (const Case& c : cases) {
        ClearFrame();
        DrawFontHexNumber(c.value, &font.player, 98.0f, 30.0f);
        EXPECT_EQ(Runs(30), c.glyphs) << c.value;
    }
    // Eight hexadecimal digits: 16^8 passes 32 bits.
    ClearFrame();
    DrawFontHexNumber(0x7FFFFFFF, &font.player, 200.0f, 30.0f);
    // The 6-wide 7 at 200 + 1 - (48 - 3) + 24; each 8-wide F by its own width from 181 on, the
    // first over all but one column of the 7.
    EXPECT_EQ(Runs(30), (std::vector<GlyphRun>{{180, 0, '7'}, {181, 0, 'F'}}));
    EXPECT_EQ(Identify(frameBuffer[rowOffsets[30] + 236]).second, 'F');
    EXPECT_EQ(Identify(frameBuffer[rowOffsets[30] + 237]).second, -1);
}

TEST_F(BitmapFontTest, NumbersPutThePlayersFrameBack)
{
    struct Case {
        u16 before;
        u16 after;
    };
    const Case cases[] = {{4, 4}, {0, 0}, {50, 9}}; // past the frames: the last one
    for (const Case& c : cases) {
        digits.frameIndex = c.before;
        digits.timer = -7;
        DrawFontNumber(381, &digits, 100.0f, 30.0f, 0);
        EXPECT_EQ(digits.frameIndex, c.after);
        EXPECT_EQ(digits.timer, 200 + c.after + 1000);
    }
    font.player.frameIndex = 'k';
    DrawFontHexNumber(0xBEEF, &font.player, 100.0f, 30.0f);
    EXPECT_EQ(font.player.frameIndex, 'k');

    // Not playing: nothing is drawn and nothing changes.
    ClearFrame();
    digits.playing = 0;
    digits.frameIndex = 2;
    DrawFontNumber(381, &digits, 100.0f, 30.0f, 0);
    EXPECT_EQ(DrawnPixels(), 0);
    EXPECT_EQ(digits.frameIndex, 2);
}

} // namespace
