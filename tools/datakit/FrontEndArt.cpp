#include "tools/datakit/FrontEndArt.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "tools/datakit/BraktextWriter.h"
#include "tools/datakit/Bytes.h"
#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/Ogg.h"
#include "tools/datakit/SpriteCanvas.h"
#include "tools/datakit/TgaWriter.h"

namespace datakit {

namespace {

constexpr int screenW = 424, screenH = 240;
constexpr int halfW = 211; // the left half; the right half is the rest

struct Canvas : PixelCanvas {
    using PixelCanvas::PixelCanvas;
    void Rect(int x0, int y0, int x1, int y1, u8 c)
    {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                Set(x, y, c);
    }
    // A thick line from a to b.
    void Bar(Pt a, Pt b, double r, u8 c)
    {
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        for (double t = 0; t <= length; t += 0.5)
            Disc(a.x + (b.x - a.x) * t / length, a.y + (b.y - a.y) * t / length, r, c);
    }
    // Clear pixels within `reach` of a painted one become ink.
    void Rim(int reach, u8 ink)
    {
        const std::vector<u8> before = pixels;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                if (before[(size_t)y * width + x])
                    continue;
                bool near = false;
                for (int dy = -reach; dy <= reach && !near; ++dy)
                    for (int dx = -reach; dx <= reach && !near; ++dx) {
                        const int sx = x + dx, sy = y + dy;
                        near = dx * dx + dy * dy <= reach * reach + 1 && sx >= 0 && sy >= 0 && sx < width &&
                               sy < height && before[(size_t)sy * width + sx];
                    }
                if (near)
                    Set(x, y, ink);
            }
    }
};

// A cell of the canvas as a sheet of its own.
TgaImage SheetOf(const Canvas& canvas, const std::vector<Rgb>& colours)
{
    TgaImage sheet;
    sheet.width = (u16)canvas.width;
    sheet.height = (u16)canvas.height;
    sheet.pixels = canvas.pixels;
    sheet.colours = colours;
    return sheet;
}

ManFrame FrameOf(u8 sheet, int srcX, int width, int height, int offsetY)
{
    ManFrame frame;
    frame.sheetIndex = sheet;
    frame.srcX = (u16)srcX;
    frame.srcY = 0;
    frame.width = (u8)width;
    frame.height = (u8)height;
    frame.offsetX = 0;
    frame.offsetY = (i8)offsetY;
    frame.duration = 1;
    return frame;
}

// The two halves of a picture as one still animation.
ManAnimation Halves(u8 sheet, int width, int height, int offsetY)
{
    ManAnimation animation;
    animation.speed = 0;
    animation.playMode = 1;
    animation.frames = {FrameOf(sheet, 0, halfW, height, offsetY), FrameOf(sheet, halfW, width - halfW, height, offsetY)};
    return animation;
}

u32 Lcg(u32* seed)
{
    *seed = *seed * 1664525u + 1013904223u;
    return *seed >> 8;
}

// ---- Background: a moonlit graveyard under a night sky -------------------------------------------

enum : u8 {
    skyFirst = 1,  // 1-64 the sky from the top down
    moonFirst = 65, // 65-68 moon shades
    starColour = 70,
    farHill = 72,
    castle = 73,
    window = 74,
    nearGround = 76,
    stone = 77,
    stoneDark = 78,
    mist = 79,
};

std::vector<Rgb> BackgroundColours()
{
    std::vector<Rgb> colours(80, Rgb{0, 0, 0});
    for (int i = 0; i < 64; ++i) {
        const double t = i / 63.0;
        colours[skyFirst + i] = Rgb{(u8)(12 + 84 * t), (u8)(10 + 34 * t), (u8)(40 + 62 * t)};
    }
    colours[moonFirst + 0] = {255, 246, 214};
    colours[moonFirst + 1] = {236, 224, 184};
    colours[moonFirst + 2] = {206, 192, 150};
    colours[moonFirst + 3] = {170, 156, 120};
    colours[starColour] = {230, 230, 255};
    colours[farHill] = {40, 30, 64};
    colours[castle] = {26, 20, 44};
    colours[window] = {255, 200, 80};
    colours[nearGround] = {14, 12, 24};
    colours[stone] = {96, 92, 112};
    colours[stoneDark] = {60, 56, 76};
    colours[mist] = {120, 104, 150};
    return colours;
}

Canvas PaintBackground()
{
    Canvas c(screenW, screenH);
    for (int y = 0; y < screenH; ++y)
        for (int x = 0; x < screenW; ++x)
            c.Set(x, y, (u8)(skyFirst + y * 63 / (screenH - 1)));
    u32 seed = 7;
    for (int i = 0; i < 90; ++i) {
        const int x = (int)(Lcg(&seed) % screenW), y = (int)(Lcg(&seed) % 150);
        c.Set(x, y, starColour);
    }
    // The moon, shaded toward its lower right, with two craters.
    const double mx = 84, my = 112, mr = 30;
    for (int y = (int)(my - mr); y <= (int)(my + mr); ++y)
        for (int x = (int)(mx - mr); x <= (int)(mx + mr); ++x) {
            const double d = std::hypot(x + 0.5 - mx, y + 0.5 - my);
            if (d > mr)
                continue;
            const double shade = ((x - mx) + (y - my)) / (2 * mr) + 0.5;
            c.Set(x, y, (u8)(moonFirst + std::clamp((int)(shade * 3.2), 0, 3)));
        }
    c.Disc(mx - 9, my - 6, 5, moonFirst + 2);
    c.Disc(mx + 8, my + 9, 4, moonFirst + 3);

    // Far hills with a castle on the crest.
    for (int x = 0; x < screenW; ++x) {
        const int top = (int)(170 + 12 * std::sin(x / 40.0) + 6 * std::sin(x / 17.0));
        for (int y = top; y < screenH; ++y)
            c.Set(x, y, farHill);
    }
    c.Rect(196, 118, 276, 170, castle);
    c.Rect(186, 96, 206, 170, castle);
    c.Rect(266, 90, 286, 170, castle);
    c.Rect(226, 104, 244, 130, castle);
    for (int x = 186; x <= 286; x += 8)
        c.Rect(x, x < 207 || x > 265 ? (x > 265 ? 84 : 90) : 112, x + 3, 120, castle);
    for (int x = 226; x <= 244; x += 6)
        c.Rect(x, 98, x + 2, 104, castle);
    for (const int wx : {193, 233, 273, 212, 252})
        c.Rect(wx, 130, wx + 2, 135, window);
    c.Rect(232, 110, 237, 116, window);

    // The graveyard in front: dark ground, headstones and crosses, a band of mist.
    for (int x = 0; x < screenW; ++x) {
        const int top = (int)(204 + 5 * std::sin(x / 55.0 + 1.0));
        for (int y = top; y < screenH; ++y)
            c.Set(x, y, nearGround);
        if ((x / 3) % 5 != 0)
            c.Set(x, top - 14 + (int)(2 * std::sin(x / 9.0)), mist);
    }
    const int stones[] = {22, 60, 140, 178, 300};
    for (int i = 0; i < 5; ++i) {
        const int x = stones[i], base = (int)(204 + 5 * std::sin(x / 55.0 + 1.0));
        c.Rect(x, base - 16, x + 11, base + 2, stone);
        c.Disc(x + 6, base - 16, 6, stone);
        c.Rect(x + 9, base - 14, x + 11, base + 2, stoneDark);
        c.Rect(x + 3, base - 12, x + 8, base - 11, stoneDark);
    }
    for (const int x : {100, 222, 262}) {
        const int base = (int)(204 + 5 * std::sin(x / 55.0 + 1.0));
        c.Rect(x + 4, base - 22, x + 7, base + 2, stone);
        c.Rect(x, base - 16, x + 11, base - 13, stone);
    }
    return c;
}

// ---- Emblem: a shield with crossed bones --------------------------------------------------------

constexpr int emblemSize = 96;

std::vector<Rgb> EmblemColours()
{
    return {{0, 0, 0}, {24, 12, 16}, {150, 28, 36}, {196, 52, 52}, {232, 184, 72}, {246, 240, 222}, {120, 110, 100}};
}

Canvas PaintEmblem()
{
    Canvas c(emblemSize, emblemSize);
    // The shield: flat top, sides that narrow to a point at the bottom.
    for (int y = 6; y < 92; ++y) {
        const double t = (y - 6) / 86.0;
        const double half = t < 0.5 ? 40 : 40 * std::sqrt(std::max(0.0, 1 - (t - 0.5) / 0.5 * ((t - 0.5) / 0.5)));
        for (int x = 0; x < emblemSize; ++x) {
            const double dx = std::fabs(x + 0.5 - 48);
            if (dx <= half)
                c.Set(x, y, dx >= half - 4 || y < 10 ? 4 : (x < 48 ? 2 : 3));
        }
    }
    // Crossed bones behind a skull.
    for (const auto& [a, b] : {std::pair<Pt, Pt>{{24, 26}, {72, 74}}, {{72, 26}, {24, 74}}}) {
        c.Bar(a, b, 3.2, 5);
        for (const Pt& end : {a, b}) {
            const double sx = end.x < 48 ? 1 : -1, sy = end.y < 50 ? 1 : -1;
            c.Disc(end.x - 3 * sx, end.y + 2 * sy, 4.2, 5);
            c.Disc(end.x + 2 * sx, end.y - 3 * sy, 4.2, 5);
        }
    }
    c.Disc(48, 44, 14, 5);
    c.Rect(40, 52, 56, 62, 5);
    c.Disc(42, 44, 4, 1);
    c.Disc(54, 44, 4, 1);
    c.Rect(47, 50, 49, 53, 1);
    for (int x = 42; x <= 54; x += 4)
        c.Rect(x, 58, x, 62, 6);
    c.Rim(1, 1);
    return c;
}

// ---- Logo: the game's name in gold block letters ------------------------------------------------

constexpr int logoH = 84;
constexpr int logoOffsetY = 20; // the letters sit this far below the logo's position

std::vector<Rgb> LogoColours()
{
    std::vector<Rgb> colours(24, Rgb{0, 0, 0});
    for (int i = 0; i < 16; ++i) {
        const double t = i / 15.0;
        colours[1 + i] = Rgb{(u8)(255 - 24 * t), (u8)(236 - 120 * t), (u8)(150 - 134 * t)};
    }
    colours[20] = {64, 22, 10};  // rim
    colours[21] = {8, 4, 12};    // shadow
    colours[22] = {255, 252, 230}; // glint
    return colours;
}

const char* Glyph(char letter)
{
    switch (letter) {
    case 'B': return "11110" "10001" "10001" "11110" "10001" "10001" "11110";
    case 'R': return "11110" "10001" "10001" "11110" "10100" "10010" "10001";
    case 'A': return "01110" "10001" "10001" "11111" "10001" "10001" "10001";
    case 'K': return "10001" "10010" "10100" "11000" "10100" "10010" "10001";
    case 'E': return "11111" "10000" "10000" "11110" "10000" "10000" "11111";
    case 'N': return "10001" "11001" "10101" "10011" "10001" "10001" "10001";
    case 'F': return "11111" "10000" "10000" "11110" "10000" "10000" "10000";
    case 'L': return "10000" "10000" "10000" "10000" "10000" "10000" "11111";
    default: return "00000" "00000" "00000" "00000" "00000" "00000" "00000";
    }
}

Canvas PaintLogo()
{
    constexpr int cell = 6, advance = 36, top = 16;
    const char* name = "BRAKKENFELL";
    const int count = 11, width = count * advance - cell;
    const int left = (screenW - width) / 2;
    Canvas letters(screenW, logoH);
    for (int i = 0; i < count; ++i) {
        const char* glyph = Glyph(name[i]);
        for (int gy = 0; gy < 7; ++gy)
            for (int gx = 0; gx < 5; ++gx)
                if (glyph[gy * 5 + gx] == '1')
                    for (int y = 0; y < cell; ++y)
                        for (int x = 0; x < cell; ++x) {
                            const int py = top + gy * cell + y;
                            letters.Set(left + i * advance + gx * cell + x, py, (u8)(1 + (py - top) * 15 / (7 * cell - 1)));
                        }
    }
    // A glint along the top of every stroke.
    for (int y = logoH - 1; y > 0; --y)
        for (int x = 0; x < screenW; ++x)
            if (letters.Get(x, y) && !letters.Get(x, y - 1) && (x + y) % 3)
                letters.Set(x, y, 22);
    Canvas logo = letters;
    logo.Rim(2, 20);
    // The shadow: the rimmed letters again, down and to the right, under them.
    Canvas shaded(screenW, logoH);
    for (int y = 0; y < logoH; ++y)
        for (int x = 0; x < screenW; ++x) {
            if (logo.Get(x - 4, y - 4))
                shaded.Set(x, y, 21);
            if (logo.Get(x, y))
                shaded.Set(x, y, logo.Get(x, y));
        }
    return shaded;
}

// ---- Title music: a slow minor waltz -----------------------------------------------------------

std::vector<i16> TitleTune()
{
    const u32 rate = 44100;
    const int melody[] = {0, 3, 7, 12, 10, 7, 8, 7, 3, 5, 3, 2, 0, -99, 7, -99};
    const double noteSeconds = 0.36;
    const size_t noteLength = (size_t)(rate * noteSeconds);
    const size_t count = noteLength * std::size(melody) * 2;
    std::vector<i16> samples(count);
    for (size_t i = 0; i < count; ++i) {
        const size_t note = i / noteLength;
        const double t = (double)(i % noteLength) / rate;
        double value = 0;
        const int pitch = melody[note % std::size(melody)];
        if (pitch != -99) {
            const double f = 220.0 * std::pow(2.0, pitch / 12.0);
            value += (std::sin(2 * pi * f * t) + 0.3 * std::sin(4 * pi * f * t)) * std::exp(-t * 3);
        }
        const int bass = melody[(note / 4 * 4) % std::size(melody)];
        const double tb = (double)(i % (noteLength * 4)) / rate;
        if (bass != -99)
            value += 0.5 * std::sin(2 * pi * 110.0 * std::pow(2.0, (bass - 12) / 12.0) * tb) * std::exp(-tb);
        samples[i] = (i16)std::lround(std::clamp(value * 0.35, -1.0, 1.0) * 32767 * 0.5);
    }
    return samples;
}

// A blank line ends a Braktext text, so the gaps are lines of one space; lines break at the box's
// edge, not between words, so each line is short enough for the box.
const char* const wipText =
    "<align(1)>WORK IN PROGRESS\n"
    " \n"
    "This is an early preview of Brakkenfell.\n"
    "Art, sound, stages and controls are unfinished\n"
    "and will change; some things may not work yet.\n"
    " \n"
    "Thank you for trying it!\n";

} // namespace

bool WriteTitlePicture(const std::string& dir)
{
    const Canvas logo = PaintLogo(), background = PaintBackground(), emblem = PaintEmblem();
    const std::vector<Rgb> logoColours = LogoColours(), backgroundColours = BackgroundColours(),
                           emblemColours = EmblemColours();
    Manifest manifest;
    // One sheet a palette, in palette order: the logo, the background, the emblem.
    manifest.sheets = {{"TitleLogo.tga", true, (u8)logoColours.size()},
                       {"TitleBack.tga", true, (u8)backgroundColours.size()},
                       {"TitleEmblem.tga", true, (u8)emblemColours.size()}};
    manifest.boxes = {ManBox{}};
    ManAnimation emblemAnimation;
    emblemAnimation.speed = 0;
    emblemAnimation.playMode = 1;
    emblemAnimation.frames = {FrameOf(2, 0, emblemSize, emblemSize, 0)};
    manifest.animations = {Halves(0, screenW, logoH, logoOffsetY), Halves(1, screenW, screenH, 0), emblemAnimation};
    const std::string folder = "Data/Sprites/Display/Title/";
    return PutFile(dir, folder + "TitleLogo.tga", MakeTga(SheetOf(logo, logoColours))) &&
           PutFile(dir, folder + "TitleBack.tga", MakeTga(SheetOf(background, backgroundColours))) &&
           PutFile(dir, folder + "TitleEmblem.tga", MakeTga(SheetOf(emblem, emblemColours))) &&
           PutFile(dir, folder + "Title.man", MakeManifest(manifest));
}

bool WriteFrontEndData(const std::string& dir)
{
    if (!WriteTitlePicture(dir) || !PutFile(dir, "Data/Text/English/WIP.btx", MakeBraktext(wipText)))
        return false;
    std::vector<u8> ogg;
    if (!MakeOgg(TitleTune(), 1, 44100, &ogg, -0.1f)) {
        fprintf(stderr, "datakit: no Ogg encoder, Data/Music/Title.ogg not written\n");
        return true;
    }
    return PutFile(dir, "Data/Music/Title.ogg", ogg);
}

} // namespace datakit
