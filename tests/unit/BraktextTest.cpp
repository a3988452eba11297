// Braktext: reading lines (joining, the blank line that ends a text, the 256-unit split), the
// byte-order mark, the tags with their nesting, and measuring and drawing in a box.
#include <string>
#include <vector>

#include "tests/unit/TextFixture.h"
#include "tools/datakit/BraktextWriter.h"

namespace {

using Units = std::vector<u16>;

Units U(const std::string& text)
{
    return datakit::Utf16FromUtf8(text);
}

Units Repeat(u16 unit, size_t count)
{
    return Units(count, unit);
}

Units operator+(Units a, const Units& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The text font of these tests: units 0x20-0x7F are 6 x 8 blocks in index unit - 0x20 + 3 ('W' is
// 10 wide), units 0xA1-0xFF are 7 x 12 blocks in index 100 + (unit - 0xA1). Indices 1 and 2 are
// left alone: the drawer makes colour 1 white.
class BraktextTest : public TextFixture {
protected:
    const char* path = "Data/Text/English/test.btx";
    TextBlock block{};

    void SetUp() override
    {
        TextFixture::SetUp();
        paletteCount = 1;
        std::vector<TestGlyph> ascii, latin;
        for (u32 u = 0x20; u <= 0x7F; ++u)
            ascii.push_back({(u8)(u == 'W' ? 10 : 6), 8, (u8)(u - 0x20 + 3)});
        for (u32 u = 0xA1; u <= 0xFF; ++u)
            latin.push_back({7, 12, (u8)(100 + u - 0xA1)});
        WriteFont("Data/Sprites/Global/Talkbox/l.man", {ascii, latin});
    }

    void TearDown() override
    {
        FreeBraktext(&block);
        TextFixture::TearDown();
    }

    // Writes the units (after the mark) as the test file and loads it into a fresh block.
    void Load(const Units& units)
    {
        FreeBraktext(&block);
        Write(path, datakit::MakeBraktextUnits(units));
        LoadBraktext(path, &block);
    }

    Units Text() const { return block.text ? Units(block.text, block.text + block.length) : Units{}; }

    static int GlyphIndex(u16 unit) { return unit >= 0xA1 ? 100 + unit - 0xA1 : unit - 0x20 + 3; }
};

TEST_F(BraktextTest, LinesAreJoinedByOneLineFeedAndABlankLineEndsTheText)
{
    const u16 cr = '\r', lf = '\n';
    const Units lineOf256 = Repeat('a', 256), lineOf255 = Repeat('b', 255);
    struct Case {
        const char* what;
        Units file;
        Units text;
        u8 lines;
    };
    const Case cases[] = {
        {"CR LF ends", U("Hi\r\nthere\r\n\r\n"), U("Hi\nthere"), 2},
        {"LF ends", U("a\nb\n"), U("a\nb"), 2},
        {"no last line end", U("abc"), U("abc"), 1},
        {"blank line ends the text", U("a\r\n\r\nb\r\n"), U("a"), 1},
        {"a lone CR cuts its line", U("ab\rcd\r\nef"), U("ab\nef"), 2},
        {"nothing after the mark", {}, {}, 0},
        {"a blank first line", U("\r\nabc"), {}, 0},
        {"300 units without a line end", Repeat('x', 300), Repeat('x', 256) + Units{lf} + Repeat('x', 44), 2},
        // A physical line that ends where it is split is not followed by a blank line.
        {"256 units and LF", lineOf256 + Units{lf} + U("next\n"), lineOf256 + Units{lf} + U("next"), 2},
        {"255 units and CR LF", lineOf255 + Units{cr, lf} + U("next"), lineOf255 + Units{lf} + U("next"), 2},
        {"256 units and CR LF", lineOf256 + Units{cr, lf} + U("next"), lineOf256 + Units{lf} + U("next"), 2},
        {"512 units and LF", Repeat('c', 512) + Units{lf} + U("z"),
         Repeat('c', 256) + Units{lf} + Repeat('c', 256) + Units{lf} + U("z"), 3},
        {"a blank line after a split still ends", lineOf256 + Units{lf, lf} + U("hidden"), lineOf256, 1},
        {"split at 256 after a lone CR", Repeat('d', 10) + Units{cr} + Repeat('e', 245) + U("f\ng"),
         Repeat('d', 10) + Units{lf} + U("f\ng"), 3},
    };
    for (const Case& c : cases) {
        Load(c.file);
        EXPECT_EQ(block.loaded, 1) << c.what;
        EXPECT_EQ(Text(), c.text) << c.what;
        EXPECT_EQ(block.length, c.text.size()) << c.what;
        EXPECT_EQ(block.lineCount, c.lines) << c.what;
    }
}

TEST_F(BraktextTest, TheByteOrderMarkAndMissingFiles)
{
    struct Case {
        const char* what;
        std::vector<u8> bytes;
        bool badMark;
    };
    const Case cases[] = {
        {"little-endian mark", {0xFF, 0xFE, 'H', 0, 'i', 0}, true},
        {"no mark", {0, 'H', 0, 'i'}, true},
        {"one byte", {0xFE}, true},
        {"empty file", {}, true},
        {"a trailing odd byte is no unit", {0xFE, 0xFF, 0, 'H', 0, 'i', 0}, false},
    };
    // Another block keeps the font loaded, so that its load-time lines do not cover the message.
    TextBlock keeper{};
    LoadBraktext("Data/Text/English/none.btx", &keeper);
    for (const Case& c : cases) {
        FreeBraktext(&block);
        debugText[0] = 0;
        Write(path, c.bytes);
        LoadBraktext(path, &block);
        EXPECT_EQ(block.loaded, 1) << c.what;
        EXPECT_EQ(textFontUseCount, 2) << c.what; // the empty text holds a use of the font too
        if (c.badMark) {
            EXPECT_EQ(block.text, nullptr) << c.what;
            EXPECT_EQ(block.length, 0) << c.what;
            EXPECT_STREQ(debugText, "[BRAKTEXT] Data/Text/English/test.btx: Unexpected BOM") << c.what;
        } else {
            EXPECT_EQ(Text(), U("Hi")) << c.what;
        }
    }
    FreeBraktext(&block);
    debugText[0] = 0;
    LoadBraktext("Data/Text/English/missing.btx", &block);
    EXPECT_EQ(block.loaded, 1);
    EXPECT_EQ(block.length, 0);
    EXPECT_STREQ(debugText, "");

    // A loaded block is not loaded again.
    Write(path, datakit::MakeBraktext("new"));
    LoadBraktext(path, &block);
    EXPECT_EQ(block.length, 0);
    EXPECT_EQ(textFontUseCount, 2);
    FreeBraktext(&keeper);
}

TEST_F(BraktextTest, TagsBecomeControlUnits)
{
    struct Case {
        const char* line;
        Units text;
    };
    const Case cases[] = {
        {"<size(2, 0.5)>", {0xE220, 0x0800}},
        {"<color(255,128,0)>", {0xE3FF, 0x8000}},
        {"<align(1)>", {0xE101}},
        {"<shake>a</shake>", {0xE000, 'a', 0xE0FF}},
        {"<font(0x10)>", {0xE410}},
        {"<align(010)>", {0xE108}},                // leading zero: octal
        {"<align(300)><align(-1)>", {0xE1FF, 0xE1FF}}, // past a byte, and negative, give 255
        {"<align(zz)>", {0xE100}},                 // unreadable: 0
        {"<size(-0.5 1)>", {0xE2F8, 0x1000}},      // blanks split too; -8 as a byte
        {"<size(1,,1.99)>", {0xE210, 0x1F00}},     // empty arguments are skipped; 31.84 truncated
        {"<sizeable(1,1)>", {0xE210, 0x1000}},     // a name that begins with a tag's is that tag
        {"<color(1,2,3,4)>", {0xE301, 0x0203}},    // further arguments are ignored
        {"<color(1,2)>x<blink>y", U("xy")},        // too few arguments, no such tag: gone
        {"<align 1>a", U("a")},                    // no brackets
        {"<align)1(>a", U("a")},                   // ')' before '('
        {"<size>(2,2) on", {0xE220, 0x2000, '(', '2', ',', '2', ')', ' ', 'o', 'n'}}, // found past the '>'
        {"3 > 2<shake>", U("3 > 2<shake>")},       // a '>' first: the line stays text
        {"a<b<shake>c", U("a<b<shake>c")},         // '<' again before a '>': the rest is text
        {"tail <align(1)", U("tail <align(1)")},
        {"x<>y", U("xy")},
        {"</nothing>z", U("z")},
    };
    for (const Case& c : cases) {
        for (u8& depth : tagDepth)
            depth = 0;
        Load(U(c.line));
        EXPECT_EQ(Text(), c.text) << c.line;
    }
}

TEST_F(BraktextTest, NestedTagsRestoreWhatWasInForce)
{
    struct Case {
        const char* line;
        Units text;
        u8 alignDepth, sizeDepth;
    };
    const Case cases[] = {
        {"<align(1)>a<align(2)>b</align>c</align>", {0xE101, 'a', 0xE102, 'b', 0xE101, 'c', 0xE100}, 0, 0},
        {"</size>", {0xE210, 0x1000}, 0, 0}, // nothing open: the default, depth stays 0
        {"<size(2,2)><size(3,3)></size>", {0xE220, 0x2000, 0xE230, 0x3000, 0xE220, 0x2000}, 0, 1},
        {"<align(1)><align(2)><align(3)><align(4)><align(5)><align(6)><align(7)><align(8)><align(9)>",
         {0xE101, 0xE102, 0xE103, 0xE104, 0xE105, 0xE106, 0xE107, 0xE108}, 8, 0}, // the ninth is dropped
    };
    for (const Case& c : cases) {
        for (u8& depth : tagDepth)
            depth = 0;
        Load(U(c.line));
        EXPECT_EQ(Text(), c.text) << c.line;
        EXPECT_EQ(tagDepth[1], c.alignDepth) << c.line;
        EXPECT_EQ(tagDepth[2], c.sizeDepth) << c.line;
    }
    // The stacks carry over from one line and one file to the next; the dropped ninth still pops.
    Load(U("</align>\n</align>"));
    EXPECT_EQ(Text(), (Units{0xE107, '\n', 0xE106}));
    EXPECT_EQ(tagDepth[1], 6);
}

TEST_F(BraktextTest, LinesBreakAtTheBoxWidthAndAreAligned)
{
    struct Case {
        const char* line;
        i32 boxWidth;
        std::vector<std::vector<int>> rows; // the x of each glyph, line by line
    };
    const Case cases[] = {
        {"abcd", 20, {{10, 16, 22}, {10}}},         // a fourth glyph would reach 24
        {"abc", 18, {{10, 16}, {10}}},              // reaching the width exactly does not fit
        {"abc", 19, {{10, 16, 22}}},
        {"ab\ncd", 100, {{10, 16}, {10, 16}}},      // line feeds break
        {"<align(1)>abc", 100, {{51, 57, 63}}},     // x + 100 / 2 - 18 / 2
        {"<align(2)>abc", 100, {{91, 97, 103}}},    // x + 100 - 18 - 1
        {"ab<align(2)>cd", 100, {{10, 16}, {97, 103}}}, // a change of alignment starts a line
        {"<align(1)>abcde", 21, {{11, 17, 23}, {14, 20}}}, // each line centred by its own width
        {"Wa", 16, {{10}, {10}}},                   // 'W' is 10 wide: 10 + 6 reaches 16
    };
    for (const Case& c : cases) {
        ClearFrame();
        Load(U(c.line));
        DrawText(&block, block.length, 10.0f, 20.0f, c.boxWidth);
        for (size_t row = 0; row < c.rows.size() + 1; ++row) {
            std::vector<int> xs;
            for (const GlyphRun& run : Runs(20 + 8 * (int)row))
                xs.push_back(run.x);
            EXPECT_EQ(xs, row < c.rows.size() ? c.rows[row] : std::vector<int>{}) << c.line << ", line " << row;
        }
    }
}

TEST_F(BraktextTest, DrawingRevealsCountsAndScales)
{
    // The first five of "Hello world".
    Load(U("Hello world"));
    DrawText(&block, 5, 0.0f, 0.0f, 400);
    // The two l's make one run.
    EXPECT_EQ(Runs(0), (std::vector<GlyphRun>{
                           {0, 0, GlyphIndex('H')}, {6, 0, GlyphIndex('e')}, {12, 0, GlyphIndex('l')}, {24, 0, GlyphIndex('o')}}));

    // A size code doubles the advance and the line height; control units are not counted as
    // drawn, and a count past the length is held at it.
    ClearFrame();
    Load(U("<size(2,2)>ab\ncd"));
    DrawText(&block, 1000, 0.0f, 0.0f, 400);
    EXPECT_EQ(Runs(0), (std::vector<GlyphRun>{{0, 0, GlyphIndex('a')}, {12, 0, GlyphIndex('b')}}));
    EXPECT_EQ(Runs(16), (std::vector<GlyphRun>{{0, 0, GlyphIndex('c')}, {12, 0, GlyphIndex('d')}}));
    ClearFrame();
    Load(U("<size(2,2)>abcd"));
    DrawText(&block, 3, 0.0f, 0.0f, 400); // three glyphs: the size code is not counted
    EXPECT_EQ(Runs(0).size(), 3u);

    // Lines are as high as their tallest glyph, scaled: 12 for Latin-1.
    ClearFrame();
    Load(U("a\xC3\xA9\nb")); // a, e acute, line feed, b
    DrawText(&block, block.length, 0.0f, 0.0f, 400);
    EXPECT_EQ(Runs(12), (std::vector<GlyphRun>{{0, 0, GlyphIndex('b')}}));

    // The draw state is left at rest, with the font's palette and its colour 1 white.
    EXPECT_EQ(drawFlags, 0u);
    EXPECT_EQ(spriteScaleX, 512);
    EXPECT_EQ(spriteScaleY, 512);
    EXPECT_EQ(blendLevel, 255u);
    EXPECT_EQ(currentPalette, textFont.palettes[0]->colours);
    EXPECT_EQ(currentPalette[1] & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(BraktextTest, ShakeStaysWithinOneScaledPixel)
{
    Load(U("<shake>aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"));
    for (int round = 0; round < 4; ++round) {
        ClearFrame();
        DrawText(&block, block.length, 20.0f, 20.0f, 400);
        // Every glyph lands within a pixel of its place: rows 19-28 only, columns 19-332.
        int minX = 1000, maxX = -1, minY = 1000, maxY = -1;
        for (i32 y = 0; y < screenHeight; ++y)
            for (i32 x = 0; x < screenWidth; ++x)
                if (frameBuffer[rowOffsets[y] + x] & 0xFFFFFF) {
                    minX = std::min(minX, x), maxX = std::max(maxX, x);
                    minY = std::min(minY, y), maxY = std::max(maxY, y);
                }
        EXPECT_GE(minX, 19);
        EXPECT_LE(maxX, 20 + 52 * 6);
        EXPECT_GE(minY, 19);
        EXPECT_LE(maxY, 28);
        EXPECT_TRUE(minY == 19 || maxY == 28) << "some glyph moves up or down";
    }
}

TEST_F(BraktextTest, UnsupportedUnitsAndCodesCutShortStayInsideTheText)
{
    // A unit outside the glyph ranges is reported and takes no room.
    Load(Units{'a', 0x0100, 'b'});
    debugText[0] = 0;
    DrawText(&block, block.length, 0.0f, 0.0f, 400);
    EXPECT_STREQ(debugText, "[ERROR] 0100 is an unsupported character!");
    EXPECT_EQ(Runs(0), (std::vector<GlyphRun>{{0, 0, GlyphIndex('a')}, {6, 0, GlyphIndex('b')}}));

    // Control units typed into the file: a size code with no second unit at the end of the text,
    // and a colour code likewise. The measurer and drawer stop at the end (the sanitizers watch).
    for (const Units& file : {Units{'a', 0xE210}, Units{'a', 0xE3FF}, Units{0xE210}}) {
        Load(file);
        const LineMetrics metrics = MeasureTextLine(block.text, block.length, 400);
        EXPECT_EQ(metrics.consumed, block.length);
        DrawText(&block, block.length, 0.0f, 0.0f, 400);
        EXPECT_EQ(drawFlags, 0u);
    }
}

TEST_F(BraktextTest, AGlyphWiderThanTheBoxTakesALineOfItsOwn)
{
    // At four times the size an 'a' is 24 wide: it can never fit a 20-pixel box.
    Load(U("<size(4,1)>aa<size(1,1)>bc"));
    textScaleX = textScaleY = 1.0f;
    const LineMetrics first = MeasureTextLine(block.text, block.length, 20);
    EXPECT_EQ(first.glyphCount, 1u);
    EXPECT_EQ(first.consumed, 3u);
    EXPECT_EQ(first.width, 24.0f);
    ClearFrame();
    DrawText(&block, block.length, 0.0f, 0.0f, 20);
    EXPECT_EQ(Runs(0), (std::vector<GlyphRun>{{0, 0, GlyphIndex('a')}}));
    EXPECT_EQ(Runs(8), (std::vector<GlyphRun>{{0, 0, GlyphIndex('a')}}));
    EXPECT_EQ(Runs(16), (std::vector<GlyphRun>{{0, 0, GlyphIndex('b')}, {6, 0, GlyphIndex('c')}}));
    // A box of no width at all: one glyph a line, and the drawing ends.
    ClearFrame();
    Load(U("abc"));
    DrawText(&block, block.length, 0.0f, 0.0f, 0);
    EXPECT_EQ(Runs(16), (std::vector<GlyphRun>{{0, 0, GlyphIndex('c')}}));
}

TEST_F(BraktextTest, TheTextFontLivesAsLongAsItsBlocks)
{
    TextBlock other{};
    Load(U("a"));
    LoadBraktext(path, &other);
    EXPECT_EQ(textFontUseCount, 2);
    EXPECT_EQ(textFont.loaded, 1);
    FreeBraktext(&other);
    EXPECT_EQ(textFont.loaded, 1);
    EXPECT_EQ(other.loaded, 0);
    FreeBraktext(&block);
    EXPECT_EQ(textFontUseCount, 0);
    EXPECT_EQ(textFont.loaded, 0);
    EXPECT_EQ(block.text, nullptr);
    FreeBraktext(&block); // not loaded: nothing happens
    EXPECT_EQ(textFontUseCount, 0);

    // Without the font nothing is drawn and no palette is touched.
    std::filesystem::remove("Data/Sprites/Global/Talkbox/l.man");
    headless::ClearShownBoxes();
    Load(U("abc"));
    EXPECT_EQ(textFont.loaded, 0);
    u32 mine[256] = {};
    currentPalette = mine;
    drawFlags = drawFlagRotateScale;
    DrawText(&block, block.length, 0.0f, 0.0f, 100);
    EXPECT_EQ(DrawnPixels(), 0);
    EXPECT_EQ(currentPalette, mine);
    EXPECT_EQ(mine[1], 0u);
    EXPECT_EQ(drawFlags, 0u);
    currentPalette = nullptr;
}

TEST(BraktextWriter, LinesEndInCrLfAndTextIsUtf16)
{
    EXPECT_EQ(datakit::MakeBraktext("Hi\nthere"),
              (std::vector<u8>{0xFE, 0xFF, 0, 'H', 0, 'i', 0, '\r', 0, '\n', 0, 't', 0, 'h', 0, 'e', 0, 'r', 0, 'e', 0,
                               '\r', 0, '\n'}));
    EXPECT_EQ(datakit::Utf16FromUtf8("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xFF"),
              (std::vector<u16>{0xE9, 0x20AC, 0xD83D, 0xDE00, 0xFFFD}));
}

} // namespace
