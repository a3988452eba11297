// TGA images, sheets with their slot table and use counts, palettes, and cut-outs.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Engine/Common/Debug.h"
#include "Engine/Common/Tga.h"
#include "tests/unit/AssetFiles.h"
#include "tools/datakit/TgaWriter.h"

namespace {

using datakit::Rgb;

// Rows of runs beside rows of changing pixels, so a type-9 file holds both kinds of packet.
datakit::TgaImage TestImage(u16 w, u16 h, u32 colours)
{
    datakit::TgaImage image;
    image.width = w;
    image.height = h;
    for (u32 y = 0; y < h; ++y)
        for (u32 x = 0; x < w; ++x)
            image.pixels.push_back((u8)(y % 2 ? (x * 5 + y) % colours : (x / 4 + y) % colours));
    for (u32 i = 0; i < colours; ++i)
        image.colours.push_back(i == 0 ? Rgb{255, 255, 255} : Rgb{(u8)(i * 37), (u8)(i * 91), (u8)(i * 53)});
    return image;
}

u8 Channel(u8 value, u8 entryBits)
{
    return entryBits == 16 ? (u8)((value >> 3) * 2) : value;
}

// A palette of room entries whose colours all hold a sentinel, made current.
Palette* SentinelPalette(u32 room)
{
    Palette* palette = AllocPalette(room);
    for (u32 i = 0; i < room; ++i)
        palette->colours[i] = 0x12345678u;
    SetCurrentPalette(palette);
    return palette;
}

class TgaTest : public AssetFiles {};

TEST_F(TgaTest, EveryAcceptedVariantLoadsTheSamePixelsAndColours)
{
    const datakit::TgaImage image = TestImage(29, 7, 20);
    int variant = 0;
    for (const u8 type : {1, 9})
        for (const u8 entryBits : {16, 24, 32})
            for (const bool topFirst : {true, false})
                for (const u16 first : {0, 16}) {
                    datakit::TgaOptions options;
                    options.type = type;
                    options.entryBits = entryBits;
                    options.topFirst = topFirst;
                    options.firstEntry = first;
                    options.id = variant % 3 ? "" : "an image id";
                    const std::string path = "Data/v" + std::to_string(variant++) + ".tga";
                    const std::string what = path + " type " + std::to_string(type) + " bits " +
                                             std::to_string(entryBits) + (topFirst ? " top" : " bottom") +
                                             " first " + std::to_string(first);
                    Write(path, datakit::MakeTga(image, options));

                    Palette* palette = SentinelPalette(256);
                    Sheet* sheet = LoadSheet(path.c_str(), 1);
                    ASSERT_NE(sheet, nullptr) << what;
                    ASSERT_EQ(sheet->width, image.width) << what;
                    ASSERT_EQ(sheet->height, image.height) << what;
                    ASSERT_NE(sheet->pixels, nullptr) << what;
                    EXPECT_EQ(std::vector<u8>(sheet->pixels, sheet->pixels + image.pixels.size()), image.pixels)
                        << what;
                    for (u32 e = 0; e < 256; ++e) {
                        const bool inMap = e >= first && e < first + image.colours.size();
                        if (!inMap) {
                            EXPECT_EQ(palette->colours[e], 0x12345678u) << what << " entry " << e;
                            continue;
                        }
                        const Rgb& c = image.colours[e - first];
                        const u8 r = Channel(c[0], entryBits), g = Channel(c[1], entryBits),
                                 b = Channel(c[2], entryBits);
                        EXPECT_EQ(sheet->colourMap[e][0], r) << what << " entry " << e;
                        EXPECT_EQ(sheet->colourMap[e][1], g) << what << " entry " << e;
                        EXPECT_EQ(sheet->colourMap[e][2], b) << what << " entry " << e;
                        EXPECT_EQ(palette->colours[e], 0xFF000000u | r << 16 | g << 8 | b) << what << " entry " << e;
                        EXPECT_EQ(palette->rgb[3 * e], r) << what << " entry " << e;
                    }
                    // A 16-bit entry of all ones reads 62 in every channel (doubled, not scaled).
                    if (entryBits == 16) {
                        EXPECT_EQ(sheet->colourMap[first][0], 62) << what;
                    }
                    ReleaseSheet(sheet);
                    ReleasePalette(palette);
                }
}

TEST_F(TgaTest, EntriesPastTheColourMapTakeTheBytesThatFollowIt)
{
    datakit::TgaImage image;
    image.width = 3;
    image.height = 1;
    image.pixels = {0x11, 0x22, 0x33};
    image.colours = {Rgb{1, 2, 3}, Rgb{4, 5, 6}};
    Write("Data/short.tga", datakit::MakeTga(image));
    Sheet* sheet = LoadSheet("Data/short.tga", 0);
    // Entry 2 is read from the pixel data: blue, green, red.
    EXPECT_EQ(sheet->colourMap[2][0], 0x33);
    EXPECT_EQ(sheet->colourMap[2][1], 0x22);
    EXPECT_EQ(sheet->colourMap[2][2], 0x11);
    // Past the end of the file there is nothing to read.
    EXPECT_EQ(sheet->colourMap[3][0], 0);
}

TEST_F(TgaTest, DamagedAndRefusedImages)
{
    struct Case {
        const char* name;
        i32 result;        // of LoadTga
        bool pixels;       // the sheet keeps pixels
        const char* box;   // part of the one "Palvic Error" box expected, or null for none
    };
    const Case cases[] = {
        {"type 1 cut short", 0, false, "is cut short"},
        {"type 9 cut short", 0, false, "is cut short"},
        {"huge header in a small file", 0, false, "is cut short"},
        {"run past the last pixel", 1, true, "runs past its last pixel"},
        {"colour map past 256 entries", 1, true, "runs past 256 entries"},
        {"type 2", 0, false, nullptr},
        {"missing", 0, false, nullptr},
    };
    const datakit::TgaImage image = TestImage(16, 8, 8);
    for (const Case& c : cases) {
        headless::ClearShownBoxes();
        const std::string name = c.name;
        std::vector<u8> file;
        datakit::TgaOptions options;
        if (name == "type 1 cut short") {
            file = datakit::MakeTga(image);
            file.resize(file.size() - 1);
        } else if (name == "type 9 cut short") {
            options.type = 9;
            file = datakit::MakeTga(image, options);
            file.resize(file.size() - 2);
        } else if (name == "huge header in a small file") {
            file = datakit::MakeTga(image);
            file[12] = file[13] = file[14] = file[15] = 0xFF;
            file.resize(40);
        } else if (name == "run past the last pixel") {
            datakit::TgaImage tiny;
            tiny.width = 4;
            tiny.height = 1;
            tiny.colours = {Rgb{0, 0, 0}};
            options.type = 9;
            file = datakit::MakeTga(tiny, options);
            file.push_back(0xFF); // repeat the next byte 128 times
            file.push_back(5);
        } else if (name == "colour map past 256 entries") {
            datakit::TgaImage wide = image;
            wide.colours.assign(100, Rgb{9, 8, 7});
            options.firstEntry = 200;
            file = datakit::MakeTga(wide, options);
        } else if (name == "type 2") {
            file = datakit::MakeTga(image);
            file[2] = 2;
        }
        if (name != "missing")
            Write("Data/bad.tga", file);

        Palette* palette = SentinelPalette(300);
        Sheet sheet{};
        EXPECT_EQ(LoadTga("Data/bad.tga", &sheet, 1), c.result) << c.name;
        EXPECT_EQ(sheet.pixels != nullptr, c.pixels) << c.name;
        const std::vector<std::string> boxes = ErrorBoxes();
        if (c.box) {
            ASSERT_EQ(boxes.size(), 1u) << c.name;
            EXPECT_NE(boxes[0].find(c.box), std::string::npos) << c.name << ": " << boxes[0];
        } else {
            EXPECT_TRUE(boxes.empty()) << c.name;
        }
        if (name == "run past the last pixel") {
            EXPECT_EQ(std::vector<u8>(sheet.pixels, sheet.pixels + 4), std::vector<u8>(4, 5));
        }
        if (name == "colour map past 256 entries") {
            EXPECT_EQ(palette->colours[255], 0xFF090807u);
            EXPECT_EQ(palette->colours[256], 0x12345678u);
        }
        if (name == "type 2" || name == "type 1 cut short") {
            EXPECT_EQ(sheet.width, 16) << c.name; // the header's size is kept
        }
        free(sheet.pixels);
        ReleasePalette(palette);
    }
}

TEST_F(TgaTest, SheetsAreSharedByPathAndFreedAtTheirLastRelease)
{
    Write("Data/a.tga", datakit::MakeTga(TestImage(4, 4, 3)));
    Sheet* a = LoadSheet("Data/a.tga", 0);
    EXPECT_STREQ(debugText, "Sheet Data/a.tga loaded - 0");
    Sheet* again = LoadSheet("Data/a.tga", 0);
    EXPECT_EQ(again, a);
    EXPECT_EQ(a->useCount, 2u);
    EXPECT_STREQ(debugText, "Sheet Data/a.tga duplicate - 0");
    // A missing image is still registered under its name, without pixels and without a box.
    Sheet* missing = LoadSheet("Data/none.tga", 0);
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->slot, 1u);
    EXPECT_EQ(missing->pixels, nullptr);
    EXPECT_TRUE(ErrorBoxes().empty());
    // Only the exact path matches.
    Sheet* other = LoadSheet("Data/./a.tga", 0);
    EXPECT_NE(other, a);
    EXPECT_EQ(sheetSlotCount, 3u);

    ReleaseSheet(a);
    EXPECT_EQ(sheetSlots[0], a);
    ReleaseSheet(a);
    EXPECT_EQ(sheetSlots[0], nullptr);
    // A new sheet takes the first free entry; the table grows only when there is none.
    Sheet* b = LoadSheet("Data/b.tga", 0);
    EXPECT_EQ(b->slot, 0u);
    EXPECT_EQ(sheetSlotCount, 3u);
    LoadSheet("Data/c.tga", 0);
    EXPECT_EQ(sheetSlotCount, 4u);
}

TEST_F(TgaTest, PalettesTakeFreeSlotsAndDrawingFallsBackToBlack)
{
    Palette* first = AllocPalette(4);
    Palette* second = AllocPalette(0);
    EXPECT_EQ(first->slot, 0u);
    EXPECT_EQ(second->slot, 1u);
    SetCurrentPalette(second);
    SetCurrentPaletteColour(255, 1, 2, 3); // room for any 8-bit index, whatever the count
    EXPECT_EQ(second->colours[255], 0xFF010203u);
    ReleasePalette(first);
    EXPECT_EQ(paletteSlots[0], nullptr);
    EXPECT_EQ(AllocPalette(2)->slot, 0u);
    ReleasePalette(second);
    ASSERT_NE(currentPalette, nullptr);
    EXPECT_EQ(currentPalette[0], 0xFF000000u);
    EXPECT_EQ(currentPalette[255], 0xFF000000u);
}

TEST_F(TgaTest, CutOutsCopyTheirRectangleAndReportOneOutside)
{
    const datakit::TgaImage source = TestImage(12, 6, 50);
    Write("Data/cut.tga", datakit::MakeTga(source));
    Sheet* sheet = LoadSheet("Data/cut.tga", 0);
    struct Case {
        i32 x, y;
        u16 w, h;
        const char* box; // the whole box text, or null
    };
    const Case cases[] = {
        {0, 0, 12, 6, nullptr},
        {3, 2, 5, 3, nullptr},
        {1, 0, 12, 6,
         "Sprite load attempted to read beyond the bounds of the loaded image\nImage - 12 x 6\nLoad Offsets - "
         "1,0-13,6\nSize - 12 x 6"},
        {-2, -1, 4, 3,
         "Sprite load attempted to read beyond the bounds of the loaded image\nImage - 12 x 6\nLoad Offsets - "
         "-2,-1-2,2\nSize - 4 x 3"},
        {10, 5, 4, 4,
         "Sprite load attempted to read beyond the bounds of the loaded image\nImage - 12 x 6\nLoad Offsets - "
         "10,5-14,9\nSize - 4 x 4"},
    };
    for (const Case& c : cases) {
        headless::ClearShownBoxes();
        SpriteImage image{};
        image.width = c.w;
        image.height = c.h;
        CutSprite(sheet, &image, c.x, c.y);
        for (i32 r = 0; r < c.h; ++r) {
            EXPECT_EQ(image.rowStarts[r], (u32)(r * c.w));
            for (i32 col = 0; col < c.w; ++col) {
                const i32 sx = c.x + col, sy = c.y + r;
                const bool inside = sx >= 0 && sy >= 0 && sx < 12 && sy < 6;
                EXPECT_EQ(image.pixels[image.rowStarts[r] + col], inside ? source.pixels[sy * 12 + sx] : 0)
                    << c.x << "," << c.y << " pixel " << col << "," << r;
            }
        }
        const std::vector<std::string> boxes = ErrorBoxes();
        if (c.box) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0], c.box);
            EXPECT_EQ(headless::ShownBoxes()[0].flags, (u32)BoxOk);
        } else {
            EXPECT_TRUE(boxes.empty());
        }
        free(image.pixels);
        free(image.rowStarts);
    }

    // A sheet registered without pixels gives a transparent cut-out and the bounds box.
    headless::ClearShownBoxes();
    Sheet* missing = LoadSheet("Data/missing.tga", 0);
    SpriteImage image{};
    image.width = image.height = 2;
    CutSprite(missing, &image, 0, 0);
    EXPECT_EQ(image.pixels[0] | image.pixels[1] | image.pixels[2] | image.pixels[3], 0);
    EXPECT_EQ(ErrorBoxes().size(), 1u);
    free(image.pixels);
    free(image.rowStarts);
}

// The path of ImageMagick's convert, or empty.
std::string FindConvert()
{
    for (const char* path : {"/usr/bin/convert", "/usr/local/bin/convert"})
        if (std::filesystem::exists(path))
            return path;
    return std::system("command -v convert >/dev/null 2>&1") == 0 ? "convert" : "";
}

TEST_F(TgaTest, ImageMagickColourMappedFilesLoadWithItsOwnPixels)
{
    const std::string convert = FindConvert();
    if (convert.empty())
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    for (const char* compress : {"None", "RLE"}) {
        const std::string tga = std::string("im-") + compress + ".tga";
        // ImageMagick keeps a TGA's rows as stored and records their order as the image's orientation;
        // -auto-orient applies it, which gives the picture ImageMagick shows for the file.
        const std::string make = convert + " -size 37x23 -seed 7 plasma:fractal -colors 40 -type Palette -compress " +
                                 compress + " " + tga + " && " + convert + " " + tga +
                                 " -auto-orient -depth 8 rgb:im.rgb";
        ASSERT_EQ(std::system(make.c_str()), 0) << make;
        std::ifstream tgaFile(tga, std::ios::binary), rgbFile("im.rgb", std::ios::binary);
        const std::vector<u8> header((std::istreambuf_iterator<char>(tgaFile)), std::istreambuf_iterator<char>());
        const std::vector<u8> rgb((std::istreambuf_iterator<char>(rgbFile)), std::istreambuf_iterator<char>());
        ASSERT_GE(header.size(), 18u);
        // The variant under test: colour-mapped, plain or run-length encoded.
        EXPECT_EQ(header[2], std::string(compress) == "RLE" ? 9 : 1);
        ASSERT_EQ(rgb.size(), 37u * 23u * 3u);

        Sheet* sheet = LoadSheet(tga.c_str(), 0);
        ASSERT_NE(sheet->pixels, nullptr) << compress;
        ASSERT_EQ(sheet->width, 37);
        ASSERT_EQ(sheet->height, 23);
        u32 wrong = 0;
        for (u32 i = 0; i < 37u * 23u; ++i) {
            const u8* c = sheet->colourMap[sheet->pixels[i]];
            wrong += c[0] != rgb[3 * i] || c[1] != rgb[3 * i + 1] || c[2] != rgb[3 * i + 2];
        }
        EXPECT_EQ(wrong, 0u) << compress;
    }
}

} // namespace
