// The data kit's fonts, loaded through the engine: the frames and palettes the fonts' users rely
// on, and real glyphs (every printable character drawn, no two alike, a space left blank).
#include <map>

#include "tests/unit/TextFixture.h"
#include "tools/datakit/FontWriter.h"

namespace {

class FontSetTest : public TextFixture {
protected:
    AnimSet set{};

    void SetUp() override
    {
        TextFixture::SetUp();
        std::vector<datakit::PackFile> files;
        std::string error;
        ASSERT_TRUE(datakit::MakeEngineFonts(&files, &error)) << error;
        for (const datakit::PackFile& file : files)
            Write(file.path, file.bytes);
    }

    void TearDown() override
    {
        FreeAnim(&set);
        TextFixture::TearDown();
    }

    static std::vector<u8> Pixels(const SpriteImage& image)
    {
        return std::vector<u8>(image.pixels, image.pixels + image.width * image.height);
    }

    static int Count(const SpriteImage& image, u8 index)
    {
        int count = 0;
        for (u8 pixel : Pixels(image))
            count += pixel == index;
        return count;
    }

    // Frames first .. first + count - 1 of an animation hold characters: each has glyph pixels,
    // no two are the same picture, and all share one height.
    void ExpectGlyphs(const Animation& animation, u32 first, u32 count, const char* what)
    {
        std::map<std::vector<u8>, u32> seen;
        for (u32 f = first; f < first + count; ++f) {
            const SpriteImage& image = animation.frames[f].image;
            EXPECT_GT(Count(image, 1), 0) << what << " frame " << f;
            EXPECT_EQ(image.height, animation.frames[first].image.height) << what << " frame " << f;
            EXPECT_EQ(image.offsetX, 0);
            EXPECT_EQ(image.offsetY, animation.frames[first].image.offsetY) << what << " frame " << f;
            const auto [where, added] = seen.insert({Pixels(image), f});
            EXPECT_TRUE(added) << what << ": frames " << where->second << " and " << f << " look alike";
        }
    }
};

TEST_F(FontSetTest, DevFont)
{
    LoadAnim("Data/PVDebug/DevFont.man", &set);
    ASSERT_EQ(set.loaded, 1);
    ASSERT_EQ(set.animCount, 2);
    ASSERT_EQ(set.animations[0].frameCount, 128); // by character code
    ASSERT_EQ(set.animations[1].frameCount, 10);  // the digits of the number readouts
    ASSERT_GE(set.paletteCount, 3);
    // Palette 1 for text, palette 2 for the row under the cursor.
    EXPECT_NE(set.palettes[1]->colours[1], set.palettes[2]->colours[1]);
    ExpectGlyphs(set.animations[0], 0x21, 94, "dev font");
    ExpectGlyphs(set.animations[1], 0, 10, "dev font digits");
    EXPECT_EQ(Count(set.animations[0].frames[' '].image, 1), 0);
    // One advance for every character, so the dashes under the title line up with it.
    for (u32 c = 0; c < 128; ++c)
        EXPECT_EQ(set.animations[0].frames[c].image.width, set.animations[0].frames['W'].image.width) << c;
    EXPECT_EQ(Pixels(set.animations[1].frames[7].image), Pixels(set.animations[0].frames['7'].image));
}

TEST_F(FontSetTest, MenuFont)
{
    LoadAnim("Data/Sprites/Display/Title/MenuFont.man", &set);
    ASSERT_EQ(set.loaded, 1);
    ASSERT_EQ(set.animations[0].frameCount, 128);
    ASSERT_GE(set.paletteCount, 2); // palette 1 highlights
    EXPECT_NE(set.palettes[0]->colours[1], set.palettes[1]->colours[1]);
    ExpectGlyphs(set.animations[0], 0x21, 94, "menu font");
    // One advance for every character, so the menus' columns laid out with blanks line up; the
    // capitals' top at the text's position.
    const SpriteImage& h = set.animations[0].frames['H'].image;
    for (u32 c = 0; c < 128; ++c)
        EXPECT_EQ(set.animations[0].frames[c].image.width, h.width) << c;
    int capTop = h.height;
    for (int i = h.width * h.height - 1; i >= 0; --i)
        if (h.pixels[i] == 1)
            capTop = i / h.width;
    EXPECT_EQ(h.offsetY, -capTop);
    // The outline is room the spacing of -4 takes back: two columns each side stay clear of the
    // glyph itself, and the outline surrounds it.
    for (u32 c = 0x21; c < 0x7F; ++c) {
        const SpriteImage& image = set.animations[0].frames[c].image;
        EXPECT_GT(Count(image, 2), Count(image, 1) / 2) << c;
        for (u32 y = 0; y < image.height; ++y) {
            EXPECT_NE(image.pixels[y * image.width], 1) << c;
            EXPECT_NE(image.pixels[y * image.width + image.width - 1], 1) << c;
        }
    }
}

TEST_F(FontSetTest, TextFont)
{
    LoadAnim("Data/Sprites/Global/Talkbox/l.man", &set);
    ASSERT_EQ(set.loaded, 1);
    ASSERT_EQ(set.animCount, 2);
    ASSERT_EQ(set.animations[0].frameCount, 96); // 0x20-0x7F
    ASSERT_EQ(set.animations[1].frameCount, 95); // 0xA1-0xFF
    ASSERT_GE(set.paletteCount, 1);
    EXPECT_NE(set.palettes[0]->colours[2] & 0xFFFFFF, 0u); // the talk box's fill
    ExpectGlyphs(set.animations[0], 1, 94, "text font");
    ExpectGlyphs(set.animations[1], 0, 95, "text font, Latin-1");
    // A proportional font: 'i' is narrower than 'm'.
    EXPECT_LT(set.animations[0].frames['i' - 0x20].image.width, set.animations[0].frames['m' - 0x20].image.width);
}

} // namespace
