#include "tools/datakit/ThanksArt.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include <stb_truetype.h>

#include "tools/datakit/BraktextWriter.h"
#include "tools/datakit/FontWriter.h"
#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/SpriteCanvas.h"
#include "tools/datakit/TgaWriter.h"

namespace datakit {

namespace {

// ---- The thanks letters ---------------------------------------------------------------------------

// Palette 0: a gold gradient from the top of the letter down, a dark rim and a light edge on top.
enum : u8 {
    letterClear = 0,
    gradientFirst = 1, // 1-8 top to bottom
    gradientCount = 8,
    letterRim = 9,
    letterShine = 10,
};

std::vector<Rgb> LetterColours()
{
    std::vector<Rgb> colours(11, Rgb{0, 0, 0});
    for (int i = 0; i < gradientCount; ++i) {
        const double t = i / (double)(gradientCount - 1);
        colours[gradientFirst + i] = Rgb{(u8)std::lround(255 - 20 * t), (u8)std::lround(236 - 150 * t),
                                         (u8)std::lround(120 - 100 * t)};
    }
    colours[letterRim] = Rgb{40, 16, 48};
    colours[letterShine] = Rgb{255, 252, 232};
    return colours;
}

bool ReadFile(const std::string& path, std::vector<u8>* bytes)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return false;
    u8 block[65536];
    size_t got;
    while ((got = fread(block, 1, sizeof block, file)) > 0)
        bytes->insert(bytes->end(), block, block + got);
    fclose(file);
    return !bytes->empty();
}

// The pad on each side of a letter: the picture overlaps neighbouring frames by 10 pixels, so the
// glyphs stand an advance apart.
constexpr int letterPad = 5;
constexpr int letterRowLeft = 35, letterRowRoom = 424 - 2 * letterRowLeft + 20;

struct LetterCell {
    int width = 0, height = 0;
    std::vector<u8> pixels;
};

struct LetterFont {
    stbtt_fontinfo info{};
    std::vector<u8> ttf;
    float scale = 1.0f;
    int ascent = 0, descent = 0;

    bool Open(float pixelHeight)
    {
        const std::string path = std::string(dejavuFolder) + "/DejaVuSans-Bold.ttf";
        if (ttf.empty() && !ReadFile(path, &ttf))
            return false;
        if (!stbtt_InitFont(&info, ttf.data(), stbtt_GetFontOffsetForIndex(ttf.data(), 0)))
            return false;
        scale = stbtt_ScaleForPixelHeight(&info, pixelHeight);
        int a = 0, d = 0, gap = 0;
        stbtt_GetFontVMetrics(&info, &a, &d, &gap);
        ascent = (int)std::ceil(a * scale);
        descent = (int)std::ceil(-d * scale);
        return true;
    }

    int Advance(char c) const
    {
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(&info, c, &advance, &bearing);
        return (int)std::lround(advance * scale);
    }

    // The letter on a cell one advance wide plus the pads, its baseline at the same row in all.
    LetterCell Render(char c) const
    {
        LetterCell cell;
        cell.width = Advance(c) + 2 * letterPad;
        cell.height = ascent + descent + 2;
        cell.pixels.assign((size_t)cell.width * cell.height, letterClear);
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        stbtt_GetCodepointBitmapBox(&info, c, scale, scale, &x0, &y0, &x1, &y1);
        const int w = x1 - x0, h = y1 - y0;
        if (w > 0 && h > 0) {
            std::vector<u8> coverage((size_t)w * h);
            stbtt_MakeCodepointBitmap(&info, coverage.data(), w, h, w, scale, scale, c);
            const int baseline = 1 + ascent;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const int cx = letterPad + x0 + x, cy = baseline + y0 + y;
                    if (cx < 0 || cx >= cell.width || cy < 0 || cy >= cell.height || coverage[(size_t)y * w + x] < 110)
                        continue;
                    const int band = std::clamp((cy - (baseline + y0)) * gradientCount / std::max(1, h), 0, gradientCount - 1);
                    cell.pixels[(size_t)cy * cell.width + cx] = (u8)(gradientFirst + band);
                }
        }
        // A light edge along the tops of the strokes, then the dark rim all round.
        for (int y = 1; y < cell.height; ++y)
            for (int x = 0; x < cell.width; ++x) {
                u8& pixel = cell.pixels[(size_t)y * cell.width + x];
                if (pixel >= gradientFirst && pixel < gradientFirst + gradientCount &&
                    cell.pixels[(size_t)(y - 1) * cell.width + x] == letterClear)
                    pixel = letterShine;
            }
        OutlineShapes(cell.pixels, cell.width, cell.height, letterRim);
        return cell;
    }
};

// The row's length as the picture lays it out: every letter width - 10 on, 10 more between words.
int RowLength(const LetterFont& font)
{
    int length = 0;
    for (const char* word : thanksWords) {
        for (const char* c = word; *c; ++c)
            length += font.Advance(*c) + 2 * letterPad - 10;
        length += 10;
    }
    return length;
}

// ---- The star ---------------------------------------------------------------------------------------

enum : u8 {
    starClear = 0,
    starCore = 1,
    starInner = 2,
    starOuter = 3,
    starGlow = 4,
};

std::vector<Rgb> StarColours()
{
    return {Rgb{0, 0, 0}, Rgb{255, 255, 255}, Rgb{255, 244, 176}, Rgb{150, 190, 255}, Rgb{70, 80, 160}};
}

constexpr int starSize = 15;
constexpr int starFrames = 6;

// A four-pointed sparkle whose rays grow and shrink through the frames.
std::vector<u8> PaintStar(int frame)
{
    std::vector<u8> pixels((size_t)starSize * starSize, starClear);
    const int centre = starSize / 2;
    static constexpr int rays[starFrames] = {3, 5, 7, 5, 3, 2};
    const int ray = rays[frame];
    for (int y = 0; y < starSize; ++y)
        for (int x = 0; x < starSize; ++x) {
            const int dx = std::abs(x - centre), dy = std::abs(y - centre);
            u8 colour = starClear;
            if ((dx == 0 && dy <= ray) || (dy == 0 && dx <= ray))
                colour = std::max(dx, dy) <= ray / 2 ? starInner : starOuter;
            else if (dx + dy <= 2 && ray >= 5)
                colour = starGlow;
            if (dx <= 1 && dy <= 1 && dx + dy <= 1)
                colour = dx + dy == 0 ? starCore : starInner;
            pixels[(size_t)y * starSize + x] = colour;
        }
    return pixels;
}

// The bytes of a name field of a manifest.
void PutName(std::vector<u8>& out, const std::string& name)
{
    out.push_back((u8)name.size());
    out.insert(out.end(), name.begin(), name.end());
}

} // namespace

bool WriteThanksPicture(const std::string& dir)
{
    // The largest size whose row fits the screen with the same margin on both sides.
    LetterFont font;
    float pixelHeight = 60.0f;
    for (; pixelHeight > 10.0f; pixelHeight -= 1.0f) {
        if (!font.Open(pixelHeight)) {
            fprintf(stderr, "datakit: cannot read the font %s/DejaVuSans-Bold.ttf (fonts-dejavu-core)\n", dejavuFolder);
            return false;
        }
        if (RowLength(font) <= letterRowRoom)
            break;
    }

    std::vector<std::vector<LetterCell>> words;
    int sheetWidth = 0, sheetHeight = 0;
    for (const char* word : thanksWords) {
        words.emplace_back();
        for (const char* c = word; *c; ++c) {
            words.back().push_back(font.Render(*c));
            sheetWidth += words.back().back().width;
            sheetHeight = std::max(sheetHeight, words.back().back().height);
        }
    }

    TgaImage sheet;
    sheet.width = (u16)sheetWidth;
    sheet.height = (u16)sheetHeight;
    sheet.pixels.assign((size_t)sheetWidth * sheetHeight, letterClear);
    sheet.colours = LetterColours();
    Manifest manifest;
    manifest.sheets = {{"Thanks.tga", true, (u8)sheet.colours.size()}};
    manifest.boxes = {ManBox{}};
    int x = 0;
    for (const std::vector<LetterCell>& cells : words) {
        ManAnimation animation;
        animation.speed = 0; // the picture picks letters by number
        animation.playMode = 1;
        for (const LetterCell& cell : cells) {
            for (int row = 0; row < cell.height; ++row)
                std::copy_n(&cell.pixels[(size_t)row * cell.width], cell.width,
                            &sheet.pixels[(size_t)row * sheetWidth + x]);
            ManFrame frame;
            frame.srcX = (u16)x;
            frame.width = (u8)cell.width;
            frame.height = (u8)cell.height;
            // Scaled about the letter's middle, so it swells in place.
            frame.offsetX = (i8)(-cell.width / 2);
            frame.offsetY = (i8)(-cell.height / 2);
            frame.duration = 1;
            animation.frames.push_back(frame);
            x += cell.width;
        }
        manifest.animations.push_back(animation);
    }
    const std::string folder = "Data/Sprites/Display/Thanks/";
    return PutFile(dir, folder + "Thanks.tga", MakeTga(sheet)) && PutFile(dir, folder + "Thanks.man", MakeManifest(manifest));
}

bool WriteThanksText(const std::string& dir)
{
    // A blank line would end the text, so the gaps hold one space; every line fits the box.
    static const char* const text = "<align(1)>You beat the Haystack King!\n"
                                    " \n"
                                    "That is the end of this preview of Brakkenfell.\n"
                                    "Thank you for playing it through.\n"
                                    " \n"
                                    "There is more to climb in The Bone Zone:\n"
                                    "press Jump or Start to go there.\n";
    return PutFile(dir, "Data/Text/English/ThanksForPlaying.btx", MakeBraktext(text));
}

bool AddTitleStars(const std::string& dir)
{
    const std::string folder = "Data/Sprites/Display/Title/";
    std::vector<u8> man;
    if (!ReadFile(dir + "/" + folder + "Title.man", &man) || man.size() < 3) {
        // The starfield then runs without stars, as it does with any set that fails to load.
        fprintf(stderr, "datakit: no %sTitle.man written before its stars: the stars are left out\n", folder.c_str());
        return true;
    }
    const u16 animationCount = (u16)(man[0] << 8 | man[1]);
    if (animationCount >= 4)
        return true;

    // Past the sheet list, where a new sheet entry goes (its palette comes after the others').
    size_t at = 3;
    const u8 sheetCount = man[2];
    for (u8 s = 0; s < sheetCount; ++s) {
        if (at >= man.size())
            return false;
        at += 1 + man[at];
        if (at >= man.size())
            return false;
        at += man[at] ? 2 : 1;
    }
    if (at > man.size() || sheetCount < 3) {
        fprintf(stderr, "datakit: %sTitle.man does not hold the title picture's three sheets\n", folder.c_str());
        return false;
    }

    TgaImage sheet;
    sheet.width = (u16)(starSize * starFrames);
    sheet.height = (u16)starSize;
    sheet.pixels.assign((size_t)sheet.width * sheet.height, starClear);
    sheet.colours = StarColours();
    Manifest stars; // only its animation is taken
    ManAnimation twinkle;
    // The starfield asks for speed 75; the set says so too, since the player takes up the
    // animation's own speed when it first switches to it.
    twinkle.speed = 75;
    twinkle.playMode = 0;
    for (int f = 0; f < starFrames; ++f) {
        const std::vector<u8> pixels = PaintStar(f);
        for (int row = 0; row < starSize; ++row)
            std::copy_n(&pixels[(size_t)row * starSize], starSize, &sheet.pixels[(size_t)row * sheet.width + f * starSize]);
        ManFrame frame;
        frame.sheetIndex = sheetCount;
        frame.srcX = (u16)(f * starSize);
        frame.width = frame.height = (u8)starSize;
        frame.offsetX = frame.offsetY = (i8)(-starSize / 2);
        frame.duration = 600; // 8 ticks at the starfield's speed of 75
        twinkle.frames.push_back(frame);
    }
    stars.animations = {twinkle};
    const std::vector<u8> tail = MakeManifest(stars);
    constexpr size_t emptyHead = 2 + 1 + 1 + 2 + 2; // counts of animations, sheets, palettes, boxes, hit sets

    std::vector<u8> entry;
    PutName(entry, "TitleStar.tga");
    entry.push_back(1);
    entry.push_back((u8)sheet.colours.size());
    man.insert(man.begin() + (std::ptrdiff_t)at, entry.begin(), entry.end());
    man.insert(man.end(), tail.begin() + emptyHead, tail.end());
    man[0] = (u8)((animationCount + 1) >> 8);
    man[1] = (u8)(animationCount + 1);
    man[2] = (u8)(sheetCount + 1);
    return PutFile(dir, folder + "TitleStar.tga", MakeTga(sheet)) && PutFile(dir, folder + "Title.man", man);
}

bool WriteThanksData(const std::string& dir)
{
    return WriteThanksPicture(dir) && WriteThanksText(dir) && AddTitleStars(dir);
}

} // namespace datakit
