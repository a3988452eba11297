#include "tools/datakit/SplashArt.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include <stb_truetype.h>

#include "tools/datakit/FontWriter.h"
#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/SpriteCanvas.h"
#include "tools/datakit/TgaWriter.h"

namespace datakit {

namespace {

struct Canvas : PixelCanvas {
    using PixelCanvas::PixelCanvas;
    // Fills the triangle a, b, c.
    void Triangle(Pt a, Pt b, Pt c, u8 colour)
    {
        const auto side = [](Pt p, Pt q, double x, double y) { return (q.x - p.x) * (y - p.y) - (q.y - p.y) * (x - p.x); };
        const int x0 = (int)std::min({a.x, b.x, c.x}), x1 = (int)std::max({a.x, b.x, c.x}) + 1;
        const int y0 = (int)std::min({a.y, b.y, c.y}), y1 = (int)std::max({a.y, b.y, c.y}) + 1;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const double px = x + 0.5, py = y + 0.5;
                const double d1 = side(a, b, px, py), d2 = side(b, c, px, py), d3 = side(c, a, px, py);
                const bool negative = d1 < 0 || d2 < 0 || d3 < 0, positive = d1 > 0 || d2 > 0 || d3 > 0;
                if (!(negative && positive))
                    Set(x, y, colour);
            }
    }
    // A regular hexagon with flat top and bottom, corner radius r.
    void Hexagon(double cx, double cy, double r, u8 c)
    {
        const double halfHeight = r * std::sqrt(3.0) / 2.0;
        for (int y = (int)(cy - halfHeight) - 1; y <= (int)(cy + halfHeight) + 1; ++y)
            for (int x = (int)(cx - r) - 1; x <= (int)(cx + r) + 1; ++x) {
                const double dx = std::fabs(x + 0.5 - cx), dy = std::fabs(y + 0.5 - cy);
                if (dy <= halfHeight && dx <= r - dy / std::sqrt(3.0))
                    Set(x, y, c);
            }
    }
    // Pastes another canvas's painted pixels at (x, y).
    void Paste(const Canvas& other, int x, int y)
    {
        for (int row = 0; row < other.height; ++row)
            for (int column = 0; column < other.width; ++column)
                if (u8 v = other.pixels[(size_t)row * other.width + column])
                    Set(x + column, y + row, v);
    }
};

// A line of text set in a DejaVu face, with a one-pixel outline of `ink` (0: none), as a canvas
// cropped to the line's height. Empty (0 x 0) when the font cannot be read.
Canvas SetText(const char* text, const char* face, float pixelHeight, u8 colour, u8 ink)
{
    std::vector<u8> ttf;
    const std::string path = std::string(dejavuFolder) + "/" + face;
    if (FILE* file = fopen(path.c_str(), "rb")) {
        u8 block[65536];
        size_t got;
        while ((got = fread(block, 1, sizeof block, file)) > 0)
            ttf.insert(ttf.end(), block, block + got);
        fclose(file);
    }
    stbtt_fontinfo info{};
    if (ttf.empty() || !stbtt_InitFont(&info, ttf.data(), stbtt_GetFontOffsetForIndex(ttf.data(), 0)))
        return Canvas(0, 0);
    const float scale = stbtt_ScaleForPixelHeight(&info, pixelHeight);
    int ascent = 0, descent = 0, gap = 0;
    stbtt_GetFontVMetrics(&info, &ascent, &descent, &gap);
    const int baseline = (int)std::ceil(ascent * scale) + 1;
    int advanceTotal = 2;
    for (const char* c = text; *c; ++c) {
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(&info, *c, &advance, &bearing);
        advanceTotal += (int)std::ceil(advance * scale);
    }
    Canvas line(advanceTotal + 2, baseline + (int)std::ceil(-descent * scale) + 2);
    int penX = 1;
    for (const char* c = text; *c; ++c) {
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        stbtt_GetCodepointBitmapBox(&info, *c, scale, scale, &x0, &y0, &x1, &y1);
        const int w = x1 - x0, h = y1 - y0;
        if (w > 0 && h > 0) {
            std::vector<u8> coverage((size_t)w * h);
            stbtt_MakeCodepointBitmap(&info, coverage.data(), w, h, w, scale, scale, *c);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    if (coverage[(size_t)y * w + x] >= 110)
                        line.Set(penX + x0 + x, baseline + y0 + y, colour);
        }
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(&info, *c, &advance, &bearing);
        penX += (int)std::ceil(advance * scale);
    }
    if (ink)
        OutlineShapes(line.pixels, line.width, line.height, ink);
    // Crop to the rows and columns in use.
    int top = line.height, bottom = -1, left = line.width, right = -1;
    for (int y = 0; y < line.height; ++y)
        for (int x = 0; x < line.width; ++x)
            if (line.Get(x, y)) {
                top = std::min(top, y), bottom = std::max(bottom, y);
                left = std::min(left, x), right = std::max(right, x);
            }
    if (bottom < 0)
        return Canvas(0, 0);
    Canvas cropped(right - left + 1, bottom - top + 1);
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            cropped.Set(x - left, y - top, line.Get(x, y));
    return cropped;
}

ManFrame FrameAt(int srcX, int srcY, int width, int height, int offsetX, int offsetY)
{
    ManFrame frame;
    frame.sheetIndex = 0;
    frame.srcX = (u16)srcX;
    frame.srcY = (u16)srcY;
    frame.width = (u8)width;
    frame.height = (u8)height;
    frame.offsetX = (i8)offsetX;
    frame.offsetY = (i8)offsetY;
    frame.duration = 1;
    return frame;
}

ManAnimation Still(std::vector<ManFrame> frames)
{
    ManAnimation animation;
    animation.speed = 0;
    animation.playMode = 1;
    animation.frames = std::move(frames);
    return animation;
}

// ---- The studio splash ---------------------------------------------------------------------------

enum : u8 {
    navy = 1, mountainBlue, iceBlue, snow, gold, darkGold, water, deepWater, ink, bezel, bezelLight, skyGlow,
    staticGrey = 63, // the colour the stage paints its static with
};

// The logo: a round badge (a sun behind a snowy peak over a lake) above the studio's name.
Canvas PaintStudioLogo(int width, int height)
{
    Canvas logo(width, height);
    const double cx = 73.0, cy = 50.0, r = 46.0;
    logo.Disc(cx, cy, r + 1.5, ink);
    logo.Disc(cx, cy, r, gold);
    logo.Disc(cx, cy, r - 3.5, navy);
    // Sky glow low on the horizon, the sun, then the mountains in front of it.
    Canvas badge(width, height);
    for (int y = 40; y < 64; ++y)
        for (int x = 0; x < width; ++x)
            if ((x + y) % 3 == 0 && y > 48)
                badge.Set(x, y, skyGlow);
    badge.Disc(98, 34, 9, gold);
    badge.Triangle({14, 64}, {52, 22}, {92, 64}, mountainBlue);
    badge.Triangle({48, 64}, {88, 30}, {132, 64}, iceBlue);
    badge.Triangle({41, 34}, {52, 22}, {63, 34}, snow);
    badge.Triangle({79, 38}, {88, 30}, {97, 38}, snow);
    for (int y = 64; y < 100; ++y)
        for (int x = 0; x < width; ++x)
            badge.Set(x, y, (y / 3 + x / 11) % 4 == 0 ? water : deepWater);
    // The badge's contents only inside its ring.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (badge.Get(x, y) && std::hypot(x + 0.5 - cx, y + 0.5 - cy) <= r - 3.5)
                logo.Set(x, y, badge.Get(x, y));

    const Canvas name = SetText("ORLENVAST", "DejaVuSans-Bold.ttf", 22.0f, snow, darkGold);
    logo.Paste(name, (146 - name.width) / 2, 103);
    const Canvas studio = SetText("S T U D I O", "DejaVuSans.ttf", 10.0f, iceBlue, 0);
    logo.Paste(studio, (146 - studio.width) / 2, 103 + name.height + 4);
    // A logo larger than the stage's buffer (for tests) carries a stripe past the usual edges, so
    // what the stage cuts off is plain to see.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((x >= 146 || y >= 142) && logo.Get(x, y) == 0)
                logo.Set(x, y, (x + y) % 2 ? bezelLight : gold);
    return logo;
}

// The bezel around the static: a grey screen edge a little larger than the 147 x 141 field.
Canvas PaintStaticFrame()
{
    Canvas frame(153, 147);
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x) {
            const int edge = std::min({x, y, frame.width - 1 - x, frame.height - 1 - y});
            if (edge == 0)
                frame.Set(x, y, ink);
            else if (edge < 3)
                frame.Set(x, y, edge == 1 ? bezelLight : bezel);
        }
    return frame;
}

// The glow: warm light spreading from the screen's centre with soft rays, as palette-1 intensities.
Canvas PaintGlow()
{
    Canvas glow(424, 240);
    for (int y = 0; y < glow.height; ++y)
        for (int x = 0; x < glow.width; ++x) {
            const double dx = x + 0.5 - 212.0, dy = (y + 0.5 - 120.0) * 1.3;
            const double d = std::hypot(dx, dy);
            const double ray = 0.75 + 0.25 * std::cos(std::atan2(dy, dx) * 12.0);
            const double fall = std::max(0.0, 1.0 - d / 230.0);
            const int level = (int)(63.0 * fall * fall * ray);
            glow.Set(x, y, (u8)std::clamp(level, 0, 63));
        }
    return glow;
}

} // namespace

bool WriteStudioSplashData(const std::string& dir, int logoWidth, int logoHeight)
{
    if (logoWidth < 1 || logoHeight < 1 || logoWidth > 255 || logoHeight > 255)
        return false;
    const Canvas logo = PaintStudioLogo(logoWidth, logoHeight);
    const Canvas bezelFrame = PaintStaticFrame();
    const Canvas glow = PaintGlow();
    if (SetText("O", "DejaVuSans-Bold.ttf", 22.0f, snow, 0).width == 0) {
        fprintf(stderr, "datakit: the studio logo's name could not be set (fonts-dejavu-core)\n");
        return false;
    }

    // Sheet: the glow along the top, the logo and the bezel below it.
    const int logoTop = glow.height, bezelX = std::max(260, logo.width);
    Canvas sheet(std::max(424, bezelX + bezelFrame.width), logoTop + std::max(logo.height, bezelFrame.height));
    sheet.Paste(glow, 0, 0);
    sheet.Paste(logo, 0, logoTop);
    sheet.Paste(bezelFrame, bezelX, logoTop);

    TgaImage image;
    image.width = (u16)sheet.width;
    image.height = (u16)sheet.height;
    image.pixels = sheet.pixels;
    image.colours.assign(64, Rgb{0, 0, 0});
    image.colours[navy] = {18, 28, 64};
    image.colours[mountainBlue] = {52, 84, 150};
    image.colours[iceBlue] = {128, 170, 220};
    image.colours[snow] = {244, 248, 255};
    image.colours[gold] = {236, 180, 56};
    image.colours[darkGold] = {120, 72, 16};
    image.colours[water] = {60, 130, 170};
    image.colours[deepWater] = {24, 60, 104};
    image.colours[ink] = {8, 8, 14};
    image.colours[bezel] = {92, 96, 104};
    image.colours[bezelLight] = {170, 176, 184};
    image.colours[skyGlow] = {170, 96, 70};
    image.colours[staticGrey] = {210, 214, 220};

    std::vector<Rgb> glowColours(64);
    for (int i = 0; i < 64; ++i)
        glowColours[i] = {(u8)(i * 3), (u8)(i * 5 / 2), (u8)i};

    Manifest manifest;
    manifest.sheets = {{"Orlenvast.tga", true, 64}};
    manifest.extraPalettes = {"Glow.pal"};
    manifest.boxes = {ManBox{1, 1, 0, 0}};
    manifest.animations = {
        Still({FrameAt(0, logoTop, logo.width, logo.height, -73, -70),
               FrameAt(bezelX, logoTop, bezelFrame.width, bezelFrame.height, -76, -73)}),
        Still({FrameAt(0, 0, 212, glow.height, 0, 0), FrameAt(212, 0, 212, glow.height, 0, 0)}),
    };

    const std::string folder = "Data/Sprites/Splash/Orlenvast/";
    return PutFile(dir, folder + "Orlenvast.tga", MakeTga(image)) &&
           PutFile(dir, folder + "Glow.pal", MakeRawPalette(glowColours)) &&
           PutFile(dir, folder + "Orlenvast.man", MakeManifest(manifest));
}

// ---- The engine splash ---------------------------------------------------------------------------

namespace {

enum : u8 { steelInk = 1, darkSteel, steel, lightSteel, ember, flame, white, deepEmber };

constexpr int emblemRadius = 40; // a hexagon rolls a face, half its width, a sixth of a turn
constexpr int emblemW = 80, emblemH = 69;

// The emblem: a steel hexagon with an ember "P" in its heart.
Canvas PaintEmblem(bool finalPicture)
{
    Canvas emblem(emblemW, emblemH);
    const double cx = emblemW / 2.0, cy = emblemH / 2.0;
    emblem.Hexagon(cx, cy, emblemRadius, finalPicture ? flame : lightSteel);
    emblem.Hexagon(cx, cy, emblemRadius - 3, finalPicture ? deepEmber : steel);
    emblem.Hexagon(cx, cy, emblemRadius - 9, darkSteel);
    const Canvas letter = SetText("P", "DejaVuSans-Bold.ttf", 44.0f, finalPicture ? white : ember, steelInk);
    emblem.Paste(letter, (emblemW - letter.width) / 2 + 1, (emblemH - letter.height) / 2);
    return emblem;
}

// A chevron pointing down (turned for the other sides by the caller's choice of axes).
Canvas PaintChevron(int dirX, int dirY)
{
    const int size = 25;
    Canvas c(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            // u runs along the pointing direction, v across it.
            const int u = dirX ? (dirX > 0 ? x : size - 1 - x) : (dirY > 0 ? y : size - 1 - y);
            const int v = dirX ? y : x;
            const int across = std::abs(v - size / 2);
            const int ridge = size / 2 - across; // the chevron's spine advances toward the middle
            if (u >= ridge && u < ridge + 6 && across <= 11)
                c.Set(x, y, u < ridge + 2 ? flame : ember);
        }
    OutlineShapes(c.pixels, c.width, c.height, steelInk);
    return c;
}

} // namespace

bool WriteEngineSplashData(const std::string& dir)
{
    const Canvas emblem = PaintEmblem(false);
    Canvas finalPicture(230, emblemH);
    finalPicture.Paste(PaintEmblem(true), 0, 0);
    const Canvas name = SetText("PALVIC", "DejaVuSans-Bold.ttf", 34.0f, white, deepEmber);
    const Canvas subtitle = SetText("E N G I N E", "DejaVuSans-Bold.ttf", 12.0f, flame, 0);
    if (name.width == 0 || subtitle.width == 0) {
        fprintf(stderr, "datakit: the engine's name could not be set (fonts-dejavu-core)\n");
        return false;
    }
    finalPicture.Paste(name, emblemW + 10, 12);
    finalPicture.Paste(subtitle, emblemW + 10 + (name.width - subtitle.width) / 2, 12 + name.height + 5);

    Canvas spark(9, 9);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x)
            if (std::abs(x - 4) + std::abs(y - 4) <= 4)
                spark.Set(x, y, std::abs(x - 4) + std::abs(y - 4) <= 1 ? white : flame);
    const Canvas below = PaintChevron(0, 1), left = PaintChevron(-1, 0), above = PaintChevron(0, -1);

    // Sheet: emblem, final picture, then the pieces along one row.
    Canvas sheet(emblemW + finalPicture.width + spark.width + 3 * below.width, emblemH);
    int x = 0;
    const int emblemX = x;
    sheet.Paste(emblem, x, 0), x += emblemW;
    const int finalX = x;
    sheet.Paste(finalPicture, x, 0), x += finalPicture.width;
    const int sparkX = x;
    sheet.Paste(spark, x, 0), x += spark.width;
    const int belowX = x;
    sheet.Paste(below, x, 0), x += below.width;
    const int leftX = x;
    sheet.Paste(left, x, 0), x += left.width;
    const int aboveX = x;
    sheet.Paste(above, x, 0);

    TgaImage image;
    image.width = (u16)sheet.width;
    image.height = (u16)sheet.height;
    image.pixels = sheet.pixels;
    image.colours.assign(16, Rgb{0, 0, 0});
    image.colours[steelInk] = {10, 10, 16};
    image.colours[darkSteel] = {40, 44, 56};
    image.colours[steel] = {96, 104, 122};
    image.colours[lightSteel] = {176, 184, 200};
    image.colours[ember] = {232, 112, 24};
    image.colours[flame] = {255, 196, 64};
    image.colours[white] = {255, 255, 255};
    image.colours[deepEmber] = {140, 48, 8};

    const int half = below.width / 2;
    Manifest manifest;
    manifest.sheets = {{"PalvicSplash.tga", true, 16}};
    manifest.boxes = {ManBox{1, 1, 0, 0}};
    manifest.animations = {
        Still({FrameAt(emblemX, 0, emblemW, emblemH, -emblemW / 2, -emblemH / 2),
               FrameAt(finalX, 0, finalPicture.width, emblemH, -emblemW / 2, -emblemH / 2)}),
        Still({FrameAt(sparkX, 0, spark.width, spark.height, -4, -4),
               FrameAt(belowX, 0, below.width, below.height, -half, -half),
               FrameAt(leftX, 0, left.width, left.height, -half, -half),
               FrameAt(aboveX, 0, above.width, above.height, -half, -half)}),
    };

    const std::string folder = "Data/Sprites/Splash/PalvicSplash/";
    return PutFile(dir, folder + "PalvicSplash.tga", MakeTga(image)) &&
           PutFile(dir, folder + "PalvicSplash.man", MakeManifest(manifest));
}

bool WriteSplashData(const std::string& dir)
{
    return WriteStudioSplashData(dir) && WriteEngineSplashData(dir);
}

} // namespace datakit
