// fuzz_seeds DIR: writes a starting corpus for each of the file fuzz targets, made by the data kit,
// into DIR/pack_fuzz, DIR/tga_fuzz, DIR/man_fuzz, DIR/layout_fuzz, DIR/vep_fuzz, DIR/placement_fuzz,
// DIR/font_fuzz, DIR/pattern_fuzz and DIR/ogg_fuzz.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/datakit/Bytes.h"
#include "tools/datakit/LayoutWriter.h"
#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/Ogg.h"
#include "tools/datakit/PackWriter.h"
#include "tools/datakit/PlacementWriter.h"
#include "tools/datakit/TgaWriter.h"
#include "tools/datakit/VepWriter.h"

using namespace datakit;

namespace {

TgaImage Image(u16 w, u16 h)
{
    TgaImage image;
    image.width = w;
    image.height = h;
    for (u32 i = 0; i < (u32)w * h; ++i)
        image.pixels.push_back((u8)(i % 5 == 0 ? i % 9 : 3));
    for (u8 i = 0; i < 9; ++i)
        image.colours.push_back(Rgb{i, (u8)(i * 2), (u8)(i * 3)});
    return image;
}

Manifest SeedManifest()
{
    Manifest m;
    m.sheets = {{"sheet.tga", true, 7}};
    m.extraPalettes = {"extra.pal"};
    m.boxes = {{16, 16, 248, 240}, {4, 4, 0, 0}};
    m.hitSets = {{{4, 4, 0, 0}, {2, 2, 1, 1}}};
    for (i8 mode = 0; mode < 5; ++mode) {
        ManAnimation animation;
        animation.playMode = mode;
        animation.loopFrame = 1;
        animation.speed = (u16)(mode + 1);
        for (u16 f = 0; f < 3; ++f) {
            ManFrame frame;
            frame.srcX = (u16)(f * 8);
            frame.width = frame.height = 8;
            frame.offsetX = -4;
            frame.duration = 2;
            frame.boxIndex = f % 2;
            frame.points = {{1, 2}};
            frame.hits = {{0, 1, 1}};
            animation.frames.push_back(frame);
        }
        m.animations.push_back(animation);
    }
    return m;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: fuzz_seeds DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = true;

    std::vector<u8> pack;
    std::string error;
    if (MakePack({{"Data/a.bin", std::vector<u8>(40, 7)},
                  {"Data/Sub/b.bin", std::vector<u8>(9, 1)},
                  {"Data/Sub/Inner/c.bin", {1, 2, 3}},
                  {"Aaa/Deep/x.bin", {4}},
                  {"root.bin", {5, 6}}},
                 &pack, &error)) {
        pack.resize(pack.size() - 4096); // the target adds the unread tail itself
        ok &= WriteFile(dir + "/pack_fuzz/seed.ch3", pack);
    } else {
        fprintf(stderr, "fuzz_seeds: %s\n", error.c_str());
        ok = false;
    }

    int n = 0;
    for (u8 type : {1, 9})
        for (u8 bits : {16, 24, 32}) {
            TgaOptions options;
            options.type = type;
            options.entryBits = bits;
            options.topFirst = bits != 24;
            options.firstEntry = bits == 32 ? 16 : 0;
            ok &= WriteFile(dir + "/tga_fuzz/seed" + std::to_string(n++) + ".tga", MakeTga(Image(13, 6), options));
        }

    ok &= WriteFile(dir + "/man_fuzz/seed.man", MakeManifest(SeedManifest()));

    // Layouts of every version with a layer in every scroll mode, on both sheets the target
    // provides ("Tiles.tga", "Masks.tga").
    for (u8 version = 2; version <= 5; ++version) {
        LayoutFile layout;
        layout.version = version;
        if (version == 5)
            layout.sheets = {{0, "Tiles.tga"}, {1, "Masks.tga"}};
        for (u8 mode = 0; mode < 7; ++mode) {
            LayoutLayer layer = MakeLayoutLayer(mode, 3, 2);
            layer.cells = {1, 0x1002, 3, 0x2004, 0, 0xF006};
            layer.tileSheetIndex = mode % 2;
            layout.layers.push_back(layer);
        }
        ok &= WriteFile(dir + "/layout_fuzz/seed" + std::to_string(version) + ".bin", MakeLayout(layout));
    }
    // Properties files: one with attack rows, one that ends after the length byte (no row table).
    Vep vep;
    vep.values[0] = 2.5;
    vep.anims = {0, 1, 2, -1, 3, 0, 0, 0, 0, 0};
    vep.skipped = {1, 2, 3};
    vep.rows = {{1, 2, 4, 3.0, 1.5, 64}, {0x8001, 0, 0, 0.0, 0.0, 0}, {2, 1, 8, 6.25, 2.0, 192}};
    ok &= WriteFile(dir + "/vep_fuzz/rows.vep", MakeVep(vep));
    vep.skipped.clear();
    vep.rows.clear();
    ok &= WriteFile(dir + "/vep_fuzz/norows.vep", MakeVep(vep));

    // A placement file as the placement target takes it: the key count (3), a key each (kind,
    // offset), then three objects carrying those keys.
    std::vector<u8> placement = {3, 0, 8, 10, 12, 6, 24};
    std::vector<PlacedObject> objects;
    for (i32 i = 0; i < 3; ++i) {
        PlacedObject object;
        object.x = {16 * i, 125};
        object.y = {-8 * i, 1};
        object.spawnA = (u8)i;
        PutPlacementKey(object.keys, 0, (u32)i);
        PutPlacementKey(object.keys, 10, 3, 4);
        PutPlacementFloatKey(object.keys, 6, DecimalFloat{1, 15});
        objects.push_back(object);
    }
    const std::vector<u8> file = MakePlacementFile(objects);
    placement.insert(placement.end(), file.begin(), file.end());
    ok &= WriteFile(dir + "/placement_fuzz/seed.bin", placement);

    // A font: the screen byte, then a manifest whose animation 0 has a frame for each of the first
    // 128 character codes, narrow and wide ones.
    Manifest font;
    font.sheets = {{"sheet.tga", true, 5}};
    font.boxes = {ManBox{}};
    ManAnimation characters;
    for (u16 c = 0; c < 128; ++c) {
        ManFrame frame;
        frame.srcX = (u16)(c % 8 * 8);
        frame.srcY = (u16)(c / 8 % 4 * 8);
        frame.width = (u8)(2 + c % 7);
        frame.height = 8;
        characters.frames.push_back(frame);
    }
    font.animations = {characters};
    for (u8 screen : {0, 1, 2}) {
        std::vector<u8> seed = {screen};
        const std::vector<u8> manifest = MakeManifest(font);
        seed.insert(seed.end(), manifest.begin(), manifest.end());
        ok &= WriteFile(dir + "/font_fuzz/seed" + std::to_string(screen) + ".bin", seed);
    }

    // Patterns: the sheet pick, then a pattern file (a whole grid, and one shorter than its grid).
    for (u8 pick = 0; pick < 5; ++pick) {
        std::vector<u8> seed = {pick};
        std::vector<u8> pattern = MakeTilePattern(3, 2, {1, 0x1002, 0x2003, 0x3004, 0xF005, 0});
        if (pick == 4)
            pattern.resize(pattern.size() - 3);
        seed.insert(seed.end(), pattern.begin(), pattern.end());
        ok &= WriteFile(dir + "/pattern_fuzz/seed" + std::to_string(pick) + ".bin", seed);
    }

    // Ogg: the input that once made the decoder ask for near 2^64 bytes (a patch over the target's
    // first stereo track; it lands elsewhere on today's, but stays a start), and whole images in
    // the target's raw mode (first byte 0, four loop bytes): a track as the kit makes it, and the
    // same with a comment count far past its header (the near 2^64 request, on any track).
    ok &= WriteFile(dir + "/ogg_fuzz/huge-request.bin", {0x98, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x18, 0x38});
    // A patch over the target's mono track that gives a codebook thousands of dimensions (the
    // decoder once turned an infinite power of it into an int).
    ok &= WriteFile(dir + "/ogg_fuzz/dimensions.bin", {0x98, 0x00, 0xFE, 0x00, 0x2E, 0x00, 0xE2, 0x36});
    // A patch over the target's stereo track that gives a codebook a 31-bit codeword (its mask once
    // overflowed a signed int).
    ok &= WriteFile(dir + "/ogg_fuzz/wide-codeword.bin", {0x11, 0x21, 0x00, 0x2E, 0x2C, 0x4F, 0xEE, 0xDE, 0x36});
    std::vector<i16> samples;
    for (int i = 0; i < 1200; ++i)
        samples.push_back((i16)(9000 * std::sin(i * 0.0627)));
    std::vector<u8> track;
    if (MakeOgg(samples, 1, 8000, &track, -0.1f)) {
        std::vector<u8> seed = {0, 0x40, 0x01, 0x00, 0x00};
        seed.insert(seed.end(), track.begin(), track.end());
        ok &= WriteFile(dir + "/ogg_fuzz/track.bin", seed);
        const u8 tag[] = {3, 'v', 'o', 'r', 'b', 'i', 's'};
        const auto at = std::search(seed.begin(), seed.end(), std::begin(tag), std::end(tag));
        const size_t vendor = (size_t)(at - seed.begin()) + sizeof(tag);
        if (at != seed.end() && vendor + 8 < seed.size()) {
            const size_t count = vendor + 4 + (seed[vendor] | seed[vendor + 1] << 8);
            if (count + 4 <= seed.size()) {
                const u8 hostile[] = {0xE3, 0xDF, 0xDF, 0x1F};
                std::copy(std::begin(hostile), std::end(hostile), seed.begin() + (long)count);
                ok &= WriteFile(dir + "/ogg_fuzz/comment-count.bin", seed);
            }
        }
    }
    return ok ? 0 : 1;
}
