// The shell on the headless backend in a fresh temporary working folder, for the font, Braktext and
// dev-menu tests: fonts written by the data kit (glyphs of known widths, each frame in a colour
// index of its own, so a drawn row tells which glyph landed where), and a reading of the frame.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "Engine/Common/BitmapFont.h"
#include "Engine/Common/Braktext.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/DevMenu.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Render/DrawState.h"
#include "tests/unit/HeadlessGame.h"
#include "tests/unit/TestFolder.h"
#include "tools/datakit/Bytes.h"
#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/TgaWriter.h"

// One frame of a test font: a solid block.
struct TestGlyph {
    u8 width, height, index;
};

// Colour `index` of palette p of every test font: distinct within a palette and between palettes.
inline datakit::Rgb TestColour(u32 p, u32 index)
{
    return {(u8)index, (u8)(index ^ (0x5A + 16 * p)), (u8)(255 - index - 40 * p)};
}

// A run of equal pixels on a row: where it starts, which palette and index drew it.
struct GlyphRun {
    int x;
    int palette;
    int index;
    bool operator==(const GlyphRun& other) const
    {
        return x == other.x && palette == other.palette && index == other.index;
    }
};

inline std::ostream& operator<<(std::ostream& out, const GlyphRun& run)
{
    return out << "{x " << run.x << ", palette " << run.palette << ", index " << run.index << "}";
}

class TextFixture : public HeadlessGame, protected TestFolder {
protected:
    u32 paletteCount = 3;

    void SetUp() override
    {
        HeadlessGame::SetUp();
        EnterTestFolder("palvic-text-");
        scrollX = scrollY = 0;
        for (u8& depth : tagDepth)
            depth = 0;
        ClearFrame();
    }

    void TearDown() override
    {
        // Everything that holds palettes goes before the shell frees the palette table.
        forceFree = 1;
        FreeAnim(&textFont);
        textFontUseCount = 0;
        FreeBitmapFont(&menuFont);
        forceFree = 0;
        scrollX = scrollY = 0;
        HeadlessGame::TearDown();
        LeaveTestFolder();
    }

    // A font set at manPath: animation a, frame f is the block animations[a][f], cut from one
    // sheet whose colour map is palette 0; paletteCount - 1 raw palettes follow.
    void WriteFont(const std::string& manPath, const std::vector<std::vector<TestGlyph>>& animations)
    {
        const std::string dir = std::filesystem::path(manPath).parent_path().string();
        datakit::TgaImage sheet;
        sheet.width = 256;
        datakit::Manifest manifest;
        std::vector<std::pair<u16, u16>> places;
        u16 x = 0, y = 0, rowHeight = 0;
        for (const auto& glyphs : animations)
            for (const TestGlyph& glyph : glyphs) {
                if (x + glyph.width > sheet.width) {
                    x = 0;
                    y = (u16)(y + rowHeight);
                    rowHeight = 0;
                }
                places.push_back({x, y});
                x = (u16)(x + glyph.width);
                if (glyph.height > rowHeight)
                    rowHeight = glyph.height;
            }
        sheet.height = (u16)(y + rowHeight);
        sheet.pixels.assign((size_t)sheet.width * sheet.height, 0);
        size_t next = 0;
        for (const auto& glyphs : animations) {
            datakit::ManAnimation animation;
            animation.speed = 0;
            animation.playMode = 1;
            for (const TestGlyph& glyph : glyphs) {
                const auto [gx, gy] = places[next++];
                for (u32 r = 0; r < glyph.height; ++r)
                    for (u32 c = 0; c < glyph.width; ++c)
                        sheet.pixels[(size_t)(gy + r) * sheet.width + gx + c] = glyph.index;
                datakit::ManFrame frame;
                frame.srcX = gx;
                frame.srcY = gy;
                frame.width = glyph.width;
                frame.height = glyph.height;
                frame.duration = (u16)(glyph.index + 1000);
                animation.frames.push_back(frame);
            }
            manifest.animations.push_back(animation);
        }
        for (u32 i = 0; i < 256; ++i)
            sheet.colours.push_back(TestColour(0, i));
        manifest.sheets = {{"font.tga", true, 255}};
        manifest.boxes = {datakit::ManBox{}};
        Write(dir + "/font.tga", datakit::MakeTga(sheet));
        for (u32 p = 1; p < paletteCount; ++p) {
            std::vector<datakit::Rgb> colours;
            for (u32 i = 0; i < 256; ++i)
                colours.push_back(TestColour(p, i));
            const std::string name = "palette" + std::to_string(p) + ".pal";
            manifest.extraPalettes.push_back(name);
            Write(dir + "/" + name, datakit::MakeRawPalette(colours));
        }
        Write(manPath, datakit::MakeManifest(manifest));
    }

    static void ClearFrame()
    {
        for (i32 y = 0; y < screenHeight; ++y)
            for (i32 x = 0; x < screenWidth; ++x)
                frameBuffer[rowOffsets[y] + x] = 0;
    }

    // Which palette and index a frame pixel shows: {-1, -1} for the cleared background or a
    // colour of no test palette.
    std::pair<int, int> Identify(u32 pixel) const
    {
        pixel &= 0xFFFFFF;
        if (pixel == 0)
            return {-1, -1};
        for (u32 p = 0; p < paletteCount; ++p)
            for (u32 i = 0; i < 256; ++i) {
                const datakit::Rgb c = TestColour(p, i);
                if (pixel == ((u32)c[0] << 16 | (u32)c[1] << 8 | c[2]))
                    return {(int)p, (int)i};
            }
        return {-1, (int)pixel}; // a colour of no test palette (the text font's white, say)
    }

    // The runs of drawn pixels on row y, left to right.
    std::vector<GlyphRun> Runs(int y) const
    {
        std::vector<GlyphRun> runs;
        std::pair<int, int> last{-1, -1};
        for (int x = 0; x < screenWidth; ++x) {
            const u32 pixel = frameBuffer[rowOffsets[y] + x];
            const std::pair<int, int> seen = (pixel & 0xFFFFFF) ? Identify(pixel) : std::pair<int, int>{-1, -1};
            if (seen != last && (pixel & 0xFFFFFF))
                runs.push_back({x, seen.first, seen.second});
            last = (pixel & 0xFFFFFF) ? seen : std::pair<int, int>{-1, -1};
        }
        return runs;
    }

    // Every pixel drawn, as a count.
    static int DrawnPixels()
    {
        int count = 0;
        for (i32 y = 0; y < screenHeight; ++y)
            for (i32 x = 0; x < screenWidth; ++x)
                count += (frameBuffer[rowOffsets[y] + x] & 0xFFFFFF) != 0;
        return count;
    }
};
