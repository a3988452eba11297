#include "tools/datakit/LayoutWriter.h"

#include <cmath>
#include <cstdio>

#include "tools/datakit/Bytes.h"

namespace datakit {

LayoutLayer MakeLayoutLayer(u8 scrollMode, u16 width, u16 height)
{
    LayoutLayer layer;
    layer.scrollMode = scrollMode;
    layer.width = width;
    layer.height = height;
    const bool columns = scrollMode == 3 || scrollMode == 5;
    size_t entries = 0;
    switch (scrollMode) {
    case 0: entries = 0; break;
    case 1: entries = 1; break;
    case 2: entries = height; break;
    case 3: entries = width; break;
    case 4: entries = (size_t)height * 16; break;
    case 5: entries = (size_t)width * 16; break;
    default: break;
    }
    layer.wrapLengths.assign(entries, columns ? height : width);
    layer.parallaxFactors.assign(entries, 64);
    layer.scrollCount = columns ? width : height;
    layer.cells.assign((size_t)width * height, 0);
    return layer;
}

std::vector<std::pair<u16, u16>> EncodeRuns(const std::vector<u16>& cells)
{
    std::vector<std::pair<u16, u16>> runs;
    for (size_t i = 0; i < cells.size();) {
        size_t count = 1;
        while (i + count < cells.size() && cells[i + count] == cells[i] && count < 0xFFFF)
            ++count;
        runs.push_back({(u16)count, cells[i]});
        i += count;
    }
    return runs;
}

std::vector<u8> MakeLayout(const LayoutFile& layout)
{
    std::vector<u8> out;
    PutTag(out, "SLEV");
    out.push_back(layout.version);
    if (layout.version == 5) {
        out.push_back((u8)layout.sheets.size());
        for (const LayoutSheet& sheet : layout.sheets) {
            out.push_back(sheet.paletteSelect);
            out.push_back((u8)(sheet.name.size() + 1));
            out.insert(out.end(), sheet.name.begin(), sheet.name.end());
        }
    }
    out.push_back((u8)layout.layers.size());
    for (const LayoutLayer& layer : layout.layers) {
        out.push_back(layer.scrollMode);
        PutBe32(out, layer.width);
        PutBe32(out, layer.height);
        if (layer.scrollMode <= 5) {
            if (layer.scrollMode != 0) {
                for (size_t i = 0; i < layer.wrapLengths.size(); ++i) {
                    PutBe16(out, layer.wrapLengths[i]);
                    out.push_back(i < layer.parallaxFactors.size() ? layer.parallaxFactors[i] : 64);
                }
                PutBe16(out, layer.scrollCount);
                out.push_back(layer.layerFactor);
            }
        }
        PutBe16(out, layer.reserved1);
        out.push_back(layer.depth);
        if (layout.version == 2) {
            for (u16 cell : layer.cells)
                PutBe16(out, cell);
        } else {
            const std::vector<std::pair<u16, u16>> runs = layer.runs.empty() ? EncodeRuns(layer.cells) : layer.runs;
            for (const auto& run : runs) {
                PutBe16(out, run.first);
                PutBe16(out, run.second);
            }
        }
        if (layout.version == 5)
            out.push_back(layer.tileSheetIndex);
        if (layout.version >= 4)
            PutBe16(out, layer.reserved2);
    }
    return out;
}

std::vector<u8> MakeTilePattern(u16 width, u16 height, const std::vector<u16>& entries)
{
    std::vector<u8> out;
    PutBe16(out, width);
    PutBe16(out, height);
    for (u16 entry : entries)
        PutBe16(out, entry);
    return out;
}

TgaImage MakeTileSheetImage(u8 sizeCode, bool withAngles, const std::function<u8(u32, u32, u32)>& pixel,
                            const std::function<u8(u32)>& angle, const std::vector<Rgb>& colours)
{
    TgaImage image;
    const u32 tileRows = 512u << sizeCode, baseTiles = 1024u << sizeCode;
    image.width = 512;
    image.height = (u16)(tileRows + (withAngles ? 2u << sizeCode : 0));
    image.pixels.assign((size_t)image.width * image.height, 0);
    image.colours = colours;
    for (u32 t = 0; t < baseTiles; ++t)
        for (u32 y = 0; y < 16; ++y)
            for (u32 x = 0; x < 16; ++x)
                image.pixels[((t / 32) * 16 + y) * 512 + (t % 32) * 16 + x] = pixel(t, x, y);
    if (withAngles)
        for (u32 t = 0; t < baseTiles; ++t)
            image.pixels[(size_t)tileRows * 512 + t] = angle(t);
    return image;
}

// ---- the layer showcase ----------------------------------------------------------------------------

namespace {

// Colour ranges of the showcase palette, 16 shades each from dark to light.
enum Shade : u8 {
    Sky = 1,      // 1-32: night blue to pale
    Hills = 33,   // greens
    Water = 49,   // blues and cyans
    Dirt = 65,    // browns
    Grass = 81,   // greens, brighter
    Banner = 97,  // reds to yellows
    Vine = 113,   // dark greens
    Stone = 129,  // greys
};

std::vector<Rgb> ShowcaseColours()
{
    std::vector<Rgb> colours(256, Rgb{0, 0, 0});
    auto ramp = [&](u8 first, int count, Rgb dark, Rgb light) {
        for (int i = 0; i < count; ++i) {
            Rgb c;
            for (int k = 0; k < 3; ++k)
                c[k] = (u8)(dark[k] + (light[k] - dark[k]) * i / (count - 1));
            colours[first + i] = c;
        }
    };
    ramp(Sky, 32, Rgb{16, 24, 72}, Rgb{200, 220, 255});
    ramp(Hills, 16, Rgb{20, 60, 40}, Rgb{90, 150, 100});
    ramp(Water, 16, Rgb{10, 40, 120}, Rgb{120, 220, 255});
    ramp(Dirt, 16, Rgb{60, 36, 20}, Rgb{170, 120, 70});
    ramp(Grass, 16, Rgb{30, 110, 30}, Rgb{150, 230, 90});
    ramp(Banner, 16, Rgb{150, 20, 20}, Rgb{255, 230, 60});
    ramp(Vine, 16, Rgb{10, 50, 10}, Rgb{80, 160, 60});
    ramp(Stone, 16, Rgb{50, 50, 60}, Rgb{200, 200, 210});
    // The shared palette the runner shows the collision layer with: colour 1 + solidity bits.
    for (int i = 0; i < 16; ++i)
        colours[240 + i] = Rgb{(u8)(i & 1 ? 255 : 60), (u8)(i & 2 ? 255 : 60), (u8)(i & 4 ? 255 : 60)};
    return colours;
}

// Showcase tiles (base tile numbers of the ordinary sheet).
enum Tile : u16 {
    SkyBand = 1,      // 1-15: one band a tile row
    HillTop = 20,     // masked: a rounded top
    HillBody = 21,
    FarTop = 22,
    FarBody = 23,
    WaterTile = 30,   // 30-33
    VineTile = 40,
    VineEnd = 41,
    BannerTile = 50,  // 50-51
    GrassTop = 60,
    DirtTile = 61,
    Slope = 62,       // masked, rising to the right
    Brick = 63,
};

u8 ShowcasePixel(u32 t, u32 x, u32 y)
{
    const double fx = x, fy = y;
    if (t >= SkyBand && t < SkyBand + 15)
        return (u8)(Sky + std::min<u32>(31, (t - SkyBand) * 2 + y / 8));
    switch (t) {
    case HillTop: {
        const double h = 9 + 5 * std::sin((fx + 0.5) / 16 * 3.14159);
        return fy >= 16 - h ? (u8)(Hills + 8 + (x * 7 + y * 3) % 5) : 0;
    }
    case HillBody: return (u8)(Hills + 6 + (x * 7 + y * 3) % 5);
    case FarTop: {
        const double h = 4 + 10 * (1 - std::fabs(fx - 7.5) / 8);
        return fy >= 16 - h ? (u8)(Hills + 1 + (x + y) % 3) : 0;
    }
    case FarBody: return (u8)(Hills + 1 + (x + y) % 3);
    case WaterTile:
    case WaterTile + 1:
    case WaterTile + 2:
    case WaterTile + 3: {
        const u32 phase = (x + (t - WaterTile) * 4) % 16;
        return (u8)(Water + 4 + (t - WaterTile) * 2 + (y % 4 == 0 && phase < 6 ? 6 : 0));
    }
    case VineTile:
    case VineEnd: {
        const int centre = 8 + (int)std::lround(2 * std::sin(fy / 16 * 6.283));
        if (std::abs((int)x - centre) <= 1 && (t == VineTile || y < 10))
            return (u8)(Vine + 6 + y % 4);
        if ((y % 8 == 3) && (int)x > centre && (int)x < centre + 5)
            return (u8)(Vine + 10);
        return 0;
    }
    case BannerTile:
    case BannerTile + 1: return (u8)(Banner + (((x + y + (t - BannerTile) * 8) / 4) % 2 ? 12 : 3));
    case GrassTop: return y < 4 ? (u8)(Grass + 10 - y + x % 3) : (u8)(Dirt + 8 + (x * 5 + y * 3) % 4);
    case DirtTile: return (u8)(Dirt + 6 + (x * 5 + y * 3) % 4);
    case Slope: return y >= 15 - x ? (u8)(y < 19 - x ? Grass + 10 : Dirt + 8) : 0;
    case Brick: return (y % 8 == 7 || (x + (y / 8) * 8) % 16 == 0) ? (u8)(Stone + 3) : (u8)(Stone + 9);
    default: return 0;
    }
}

// The collision mask sheet (palette-select 1): tile 1 solid, tile 2 a slope rising to the right.
u8 MaskPixel(u32 t, u32 x, u32 y)
{
    if (t == 1)
        return 1;
    if (t == 2)
        return y >= 15 - x ? 1 : 0;
    return 0;
}

} // namespace

bool WriteLayerShowcase(const std::string& dir)
{
    const std::string folder = dir + "/Data/Stages/LayerTest/";
    const std::vector<Rgb> colours = ShowcaseColours();
    const TgaImage tiles = MakeTileSheetImage(0, true, ShowcasePixel, [](u32 t) { return t == Slope ? (u8)32 : (u8)0; },
                                              colours);
    const TgaImage masks = MakeTileSheetImage(0, true, MaskPixel, [](u32 t) { return t == 2 ? (u8)32 : (u8)0; },
                                              colours);

    LayoutFile layout;
    layout.sheets = {{0, "Tiles.tga"}, {1, "Masks.tga"}};
    const u16 worldWidth = 60, worldHeight = 18;

    // Depth 0, scroll mode 1: the sky, slow and repeating every 8 columns.
    LayoutLayer sky = MakeLayoutLayer(1, 8, 18);
    for (u16 r = 0; r < 18; ++r)
        for (u16 c = 0; c < 8; ++c)
            sky.cells[r * 8 + c] = TileEntry((u16)(SkyBand + std::min<u16>(r, 14)), c % 2 == 1);
    sky.parallaxFactors[0] = 8;
    sky.layerFactor = 16;
    sky.depth = 0;

    // Depth 1, scroll mode 2: far mountains and near hills, each tile row at its own rate.
    LayoutLayer hills = MakeLayoutLayer(2, 24, 18);
    for (u16 c = 0; c < 24; ++c) {
        const bool peak = c % 6 < 3;
        hills.cells[6 * 24 + c] = peak ? TileEntry(FarTop) : 0;
        hills.cells[7 * 24 + c] = TileEntry(peak ? FarBody : FarTop);
        hills.cells[8 * 24 + c] = c % 4 == 1 ? TileEntry(HillTop, c % 8 == 5) : TileEntry(FarBody);
        hills.cells[9 * 24 + c] = TileEntry(c % 4 == 1 ? HillBody : HillTop);
        hills.cells[10 * 24 + c] = TileEntry(HillBody);
    }
    for (u16 r = 0; r < 18; ++r)
        hills.parallaxFactors[r] = r < 8 ? 16 : r < 10 ? 28 : 36;
    hills.layerFactor = 32;
    hills.depth = 1;

    // Depth 2, scroll mode 4: water whose pixel lines drift at their own speeds.
    LayoutLayer water = MakeLayoutLayer(4, 16, 18);
    for (u16 r = 11; r < 18; ++r)
        for (u16 c = 0; c < 16; ++c)
            water.cells[r * 16 + c] = TileEntry((u16)(WaterTile + (r + c) % 4), c % 3 == 0);
    for (u32 l = 0; l < 18 * 16; ++l)
        water.parallaxFactors[l] = (u8)(l < 11 * 16 ? 64 : 129 + (l * 7) % 9);
    water.layerFactor = 64;
    water.depth = 2;

    // Depth 3, scroll mode 3: vines hanging from the top, every column at its own vertical rate,
    // drawn over the banner.
    LayoutLayer vines = MakeLayoutLayer(3, 30, 18);
    for (u16 c = 0; c < 30; c += 5) {
        const u16 length = (u16)(3 + (c / 5 * 3) % 5);
        for (u16 r = 0; r < length; ++r)
            vines.cells[r * 30 + c] = TileEntry(r + 1 == length ? VineEnd : VineTile);
    }
    for (u16 c = 0; c < 30; ++c)
        vines.parallaxFactors[c] = (u8)(40 + (c * 13) % 48);
    vines.layerFactor = 64;
    vines.depth = 3;

    // Depth 3, scroll mode 5: a banner whose pixel columns each move at their own vertical rate, so
    // it ripples as the view rises and falls.
    LayoutLayer banner = MakeLayoutLayer(5, 4, 18);
    for (u16 r = 3; r < 5; ++r)
        for (u16 c = 0; c < 4; ++c)
            banner.cells[r * 4 + c] = TileEntry((u16)(BannerTile + (r + c) % 2));
    for (u32 p = 0; p < 4 * 16; ++p)
        banner.parallaxFactors[p] = (u8)(64 + std::lround(24 * std::sin(p / 64.0 * 6.283)));
    banner.layerFactor = 48;
    banner.depth = 3;

    // Depth 4, scroll mode 0: the ground, which also gives the world its size.
    LayoutLayer ground = MakeLayoutLayer(0, worldWidth, worldHeight);
    LayoutLayer collision = MakeLayoutLayer(0, worldWidth, worldHeight);
    // The collision layer covers the last third of the world only, so that a camera panning
    // across shows the ground's tiles first and then the collision view drawn over them.
    auto setGround = [&](u16 r, u16 c, u16 tile, bool mirror, u16 mask, u16 solidity) {
        ground.cells[r * worldWidth + c] = TileEntry(tile, mirror);
        if (c >= 40)
            collision.cells[r * worldWidth + c] = (u16)(mask | solidity);
    };
    for (u16 c = 0; c < worldWidth; ++c) {
        const u16 top = (u16)(c % 20 < 10 ? 15 : 14);
        for (u16 r = top; r < worldHeight; ++r)
            setGround(r, c, r == top ? GrassTop : DirtTile, false, 1, r == top ? 0x1000 : 0xF000);
        if (c % 20 == 9)
            setGround(14, c, Slope, false, 2, 0x1000);
        if (c % 20 == 19) // the mirrored mask is record 2 + 1024 of a size-0 sheet
            setGround(14, c, Slope, true, 2 + 1024, 0x1000 | 0x8000);
    }
    for (u16 c : {24, 25, 26, 27, 28, 29, 44, 45, 46, 47, 48, 49}) {
        const bool left = c == 24 || c == 44, right = c == 29 || c == 49;
        setGround(10, c, Brick, false, 1, 0x1000 | 0x2000 | (left ? 0x8000 : 0) | (right ? 0x4000 : 0));
    }
    ground.depth = 4;
    collision.depth = 5;
    collision.tileSheetIndex = 1;

    layout.layers = {sky, hills, water, banner, vines, ground, collision};

    // A small pattern: the showcase tiles laid out as a designer's palette.
    const std::vector<u16> pattern = {TileEntry(GrassTop), TileEntry(DirtTile), TileEntry(Slope),
                                      TileEntry(Slope, true), TileEntry(Brick), TileEntry(HillTop),
                                      TileEntry(HillBody), TileEntry(VineTile)};

    const bool ok = WriteFile(folder + "layout1.bin", MakeLayout(layout)) &&
                    WriteFile(folder + "Tiles.tga", MakeTga(tiles)) && WriteFile(folder + "Masks.tga", MakeTga(masks)) &&
                    WriteFile(folder + "Tiles.tpl", MakeTilePattern(4, 2, pattern));
    if (!ok)
        fprintf(stderr, "datakit: cannot write the layer showcase under %s\n", folder.c_str());
    return ok;
}

} // namespace datakit
