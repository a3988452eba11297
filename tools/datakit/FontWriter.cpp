#include "tools/datakit/FontWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/datakit/ManifestWriter.h"

#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>

namespace datakit {

const char* const dejavuFolder = "/usr/share/fonts/truetype/dejavu";

namespace {

struct Cell {
    u16 width = 0;
    std::vector<u8> pixels; // width x height
};

bool ReadWhole(const std::string& path, std::vector<u8>* bytes)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return false;
    u8 block[65536];
    size_t got;
    while ((got = fread(block, 1, sizeof(block), file)) > 0)
        bytes->insert(bytes->end(), block, block + got);
    fclose(file);
    return !bytes->empty();
}

class Rasteriser {
public:
    // Opens the font and finds the cell height: from the highest glyph top to the lowest glyph
    // bottom of the codes the set holds (accented capitals reach above the font's ascent), and at
    // least the font's ascent and descent unless the style is tight.
    bool Open(const FontStyle& style, const std::vector<u32>& codes, std::string* error)
    {
        style_ = style;
        const std::string path = std::string(dejavuFolder) + "/" + style.ttf;
        if (!ReadWhole(path, &ttf_) || !stbtt_InitFont(&info_, ttf_.data(), stbtt_GetFontOffsetForIndex(ttf_.data(), 0))) {
            *error = "cannot read the font " + path + " (fonts-dejavu-core)";
            return false;
        }
        scale_ = scaleX_ = stbtt_ScaleForPixelHeight(&info_, style.pixelHeight);
        if (style.advance) {
            int widest = 0;
            for (u32 code : codes) {
                int advance = 0, bearing = 0;
                if (code >= 0x20 && stbtt_FindGlyphIndex(&info_, (int)code))
                    stbtt_GetCodepointHMetrics(&info_, (int)code, &advance, &bearing);
                widest = std::max(widest, advance);
            }
            if (widest > 0)
                scaleX_ = std::min(scale_, (f32)style.advance / (f32)widest);
        }
        int ascent = 0, descent = 0, gap = 0;
        stbtt_GetFontVMetrics(&info_, &ascent, &descent, &gap);
        int above = (int)std::ceil(ascent * scale_), below = (int)std::ceil(-descent * scale_);
        if (style.tight)
            above = below = 0;
        for (u32 code : codes) {
            int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
            if (code >= 0x20 && stbtt_FindGlyphIndex(&info_, (int)code)) {
                stbtt_GetCodepointBitmapBox(&info_, (int)code, scaleX_, scale_, &x0, &y0, &x1, &y1);
                above = std::max(above, -y0);
                below = std::max(below, y1);
            }
        }
        margin_ = style.outline ? 1 : 0;
        baseline_ = margin_ + above;
        height_ = baseline_ + below + margin_ + (style.shadow ? 1 : 0);
        return true;
    }

    u16 Height() const { return (u16)height_; }

    // The cell of a code point; 0 and the other control codes are blank cells as wide as a space,
    // and a character the font lacks is drawn as '?'.
    Cell Render(u32 code) const
    {
        const bool blank = code < 0x20;
        if (!blank && !stbtt_FindGlyphIndex(&info_, (int)code))
            code = '?';
        if (blank)
            code = ' ';
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(&info_, (int)code, &advance, &bearing);
        Cell cell;
        const int pen = style_.advance ? style_.advance : (int)std::lround(advance * scaleX_);
        cell.width = (u16)(style_.padLeft + pen + style_.padRight);
        cell.pixels.assign((size_t)cell.width * height_, 0);
        if (blank || code == ' ')
            return cell;

        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        stbtt_GetCodepointBitmapBox(&info_, (int)code, scaleX_, scale_, &x0, &y0, &x1, &y1);
        const int w = x1 - x0, h = y1 - y0;
        if (w <= 0 || h <= 0)
            return cell;
        std::vector<u8> coverage((size_t)w * h);
        stbtt_MakeCodepointBitmap(&info_, coverage.data(), w, h, w, scaleX_, scale_, (int)code);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int cx = style_.padLeft + x0 + x, cy = baseline_ + y0 + y;
                if (cx >= 0 && cx < cell.width && cy >= 0 && cy < height_ && coverage[(size_t)y * w + x] >= style_.coverage)
                    cell.pixels[(size_t)cy * cell.width + cx] = 1;
            }
        Edge(&cell);
        return cell;
    }

private:
    // The outline ring or the drop shadow, in index 2, on transparent pixels only.
    void Edge(Cell* cell) const
    {
        const int w = cell->width;
        std::vector<u8> body = cell->pixels;
        const auto isBody = [&](int x, int y) { return x >= 0 && x < w && y >= 0 && y < height_ && body[(size_t)y * w + x] == 1; };
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < w; ++x) {
                u8& pixel = cell->pixels[(size_t)y * w + x];
                if (pixel)
                    continue;
                bool edge = false;
                if (style_.outline)
                    for (int dy = -1; dy <= 1 && !edge; ++dy)
                        for (int dx = -1; dx <= 1 && !edge; ++dx)
                            edge = isBody(x + dx, y + dy);
                if (style_.shadow && isBody(x - 1, y - 1))
                    edge = true;
                if (edge)
                    pixel = 2;
            }
    }

    FontStyle style_;
    std::vector<u8> ttf_;
    stbtt_fontinfo info_{};
    f32 scale_ = 1.0f, scaleX_ = 1.0f; // the font's scale, and its narrower one across
    int margin_ = 0, baseline_ = 0, height_ = 0;
};

// Drops the rows at the top and the bottom that no cell paints: a glyph's box counts the edge pixels
// its coverage left out.
void TrimRows(std::vector<std::vector<Cell>>* cells, u16* height)
{
    int first = *height, last = -1;
    for (const std::vector<Cell>& animation : *cells)
        for (const Cell& cell : animation)
            for (int row = 0; row < *height; ++row)
                for (int column = 0; column < cell.width; ++column)
                    if (cell.pixels[(size_t)row * cell.width + column]) {
                        first = std::min(first, row);
                        last = std::max(last, row);
                    }
    if (last < first)
        return;
    for (std::vector<Cell>& animation : *cells)
        for (Cell& cell : animation)
            cell.pixels = std::vector<u8>(cell.pixels.begin() + (ptrdiff_t)first * cell.width,
                                          cell.pixels.begin() + (ptrdiff_t)(last + 1) * cell.width);
    *height = (u16)(last - first + 1);
}

// The first row that holds the glyph itself (not its outline or shadow).
int BodyTop(const Cell& cell)
{
    for (size_t i = 0; i < cell.pixels.size(); ++i)
        if (cell.pixels[i] == 1)
            return (int)(i / cell.width);
    return 0;
}

std::vector<u32> Range(u32 first, u32 last)
{
    std::vector<u32> codes;
    for (u32 c = first; c <= last; ++c)
        codes.push_back(c);
    return codes;
}

} // namespace

bool MakeFontSet(const FontSetSpec& spec, std::vector<PackFile>* files, std::string* error)
{
    std::vector<u32> allCodes;
    for (const FontAnimation& animation : spec.animations)
        allCodes.insert(allCodes.end(), animation.codes.begin(), animation.codes.end());
    Rasteriser rasteriser;
    if (!rasteriser.Open(spec.style, allCodes, error))
        return false;
    u16 height = rasteriser.Height();
    std::vector<std::vector<Cell>> cells;
    for (const FontAnimation& animation : spec.animations) {
        cells.emplace_back();
        for (u32 code : animation.codes)
            cells.back().push_back(rasteriser.Render(code));
    }
    // A tight font is drawn with the top of its capitals at the text's position, so its lines sit
    // where a caller places them without the rows above the capitals that only accents and dots use.
    i8 originY = 0;
    if (spec.style.tight) {
        TrimRows(&cells, &height);
        for (size_t a = 0; a < spec.animations.size(); ++a)
            for (size_t c = 0; c < spec.animations[a].codes.size(); ++c)
                if (spec.animations[a].codes[c] == 'H')
                    originY = (i8)-BodyTop(cells[a][c]);
    }

    // Cells go left to right in rows of a 256-pixel sheet.
    constexpr u16 sheetWidth = 256;
    Manifest manifest;
    u16 x = 0, y = 0;
    std::vector<std::pair<u16, u16>> places;
    for (const std::vector<Cell>& animationCells : cells)
        for (const Cell& cell : animationCells) {
            if (x + cell.width > sheetWidth) {
                x = 0;
                y = (u16)(y + height);
            }
            places.push_back({x, y});
            x = (u16)(x + cell.width);
        }
    TgaImage sheet;
    sheet.width = sheetWidth;
    sheet.height = (u16)(y + height);
    sheet.pixels.assign((size_t)sheet.width * sheet.height, 0);
    sheet.colours = spec.sheetColours;

    size_t placed = 0;
    for (const std::vector<Cell>& animationCells : cells) {
        ManAnimation animation;
        // Fonts never animate: a held frame whose timer does not run down.
        animation.speed = 0;
        animation.playMode = 1;
        for (const Cell& cell : animationCells) {
            const auto [cx, cy] = places[placed++];
            for (u16 row = 0; row < height; ++row)
                for (u16 column = 0; column < cell.width; ++column)
                    sheet.pixels[(size_t)(cy + row) * sheet.width + cx + column] = cell.pixels[(size_t)row * cell.width + column];
            ManFrame frame;
            frame.srcX = cx;
            frame.srcY = cy;
            frame.width = (u8)cell.width;
            frame.height = (u8)height;
            frame.offsetY = originY;
            frame.duration = 1;
            animation.frames.push_back(frame);
        }
        manifest.animations.push_back(animation);
    }
    manifest.sheets = {{spec.name + ".tga", true, (u8)spec.sheetColours.size()}};
    manifest.boxes = {ManBox{}};
    files->push_back({spec.folder + "/" + spec.name + ".tga", MakeTga(sheet)});
    for (size_t p = 0; p < spec.extraPalettes.size(); ++p) {
        const std::string name = spec.name + std::to_string(p + 1) + ".pal";
        manifest.extraPalettes.push_back(name);
        files->push_back({spec.folder + "/" + name, MakeRawPalette(spec.extraPalettes[p])});
    }
    files->push_back({spec.folder + "/" + spec.name + ".man", MakeManifest(manifest)});
    return true;
}

FontSetSpec DevFontSpec()
{
    FontSetSpec spec;
    spec.folder = "Data/PVDebug";
    spec.name = "DevFont";
    spec.style.ttf = "DejaVuSansMono-Bold.ttf";
    spec.style.pixelHeight = 11.0f;
    spec.style.coverage = 150;
    spec.style.padRight = 1;
    spec.style.shadow = true;
    std::vector<u32> characters = Range(0, 127);
    characters[127] = '?'; // bytes past the font draw its last frame
    spec.animations = {FontAnimation{characters}, FontAnimation{Range('0', '9')}};
    spec.sheetColours = {{0, 0, 0}, {255, 255, 255}, {0, 0, 0}};
    spec.extraPalettes = {{{0, 0, 0}, {224, 228, 236}, {8, 8, 16}}, {{0, 0, 0}, {255, 214, 64}, {56, 32, 0}}};
    return spec;
}

FontSetSpec MenuFontSpec()
{
    FontSetSpec spec;
    spec.folder = "Data/Sprites/Display/Title";
    spec.name = "MenuFont";
    // The menus lay their texts out in columns with blanks ("Jump      ", leader dots, option values
    // lined up at '<'), so every character takes one advance: 7 pixels keeps the longest help line
    // and the key help on a 424-pixel screen. Tight rows keep lines 13 pixels apart clear of each
    // other and the key help at 226 clear of the bottom edge.
    spec.style.ttf = "DejaVuSansMono-Bold.ttf";
    spec.style.pixelHeight = 13.0f;
    spec.style.advance = 7;
    spec.style.tight = true;
    spec.style.coverage = 150;
    spec.style.padLeft = 2; // with the padding on the right, the 4 pixels the spacing of -4 takes back
    spec.style.padRight = 2;
    spec.style.outline = true;
    std::vector<u32> characters = Range(0, 127);
    characters[127] = '?';
    spec.animations = {FontAnimation{characters}};
    spec.sheetColours = {{0, 0, 0}, {244, 240, 228}, {24, 20, 48}};
    spec.extraPalettes = {{{0, 0, 0}, {255, 204, 56}, {72, 28, 8}}};
    return spec;
}

FontSetSpec TextFontSpec()
{
    FontSetSpec spec;
    spec.folder = "Data/Sprites/Global/Talkbox";
    spec.name = "l";
    spec.style.ttf = "DejaVuSans.ttf";
    spec.style.pixelHeight = 15.0f;
    spec.style.shadow = true;
    spec.style.coverage = 90;
    std::vector<u32> ascii = Range(0x20, 0x7F);
    ascii.back() = '?';
    spec.animations = {FontAnimation{ascii}, FontAnimation{Range(0xA1, 0xFF)}};
    // Colour 1 is made white by the text drawer; colour 2 is the shadow and the talk box's fill.
    spec.sheetColours = {{0, 0, 0}, {255, 255, 255}, {16, 24, 48}};
    return spec;
}

bool MakeEngineFonts(std::vector<PackFile>* files, std::string* error)
{
    return MakeFontSet(DevFontSpec(), files, error) && MakeFontSet(MenuFontSpec(), files, error) &&
           MakeFontSet(TextFontSpec(), files, error);
}

} // namespace datakit
