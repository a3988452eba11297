#include "tools/datakit/EffectArt.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/SpriteCanvas.h"
#include "tools/datakit/TgaWriter.h"

namespace datakit {

namespace {

// One palette for the three sheets.
enum : u8 {
    Clear = 0,
    Ink,
    WhiteHot,
    PaleYellow,
    Yellow,
    Orange,
    RedOrange,
    DarkRed,
    SmokeLight,
    SmokeMid,
    SmokeDark,
    DustLight,
    DustMid,
    DustDark,
    Steel,
    SteelLight,
    LinkBrown,
    LinkDark,
    Husk,
    HuskDark,
    Kernel,
    Sparkle,
    paletteSize,
};

std::vector<Rgb> EffectColours()
{
    std::vector<Rgb> c(paletteSize, Rgb{0, 0, 0});
    c[Ink] = {24, 20, 36};
    c[WhiteHot] = {255, 255, 240};
    c[PaleYellow] = {255, 244, 160};
    c[Yellow] = {255, 214, 60};
    c[Orange] = {250, 140, 30};
    c[RedOrange] = {220, 70, 24};
    c[DarkRed] = {130, 30, 20};
    c[SmokeLight] = {190, 186, 182};
    c[SmokeMid] = {128, 124, 122};
    c[SmokeDark] = {78, 74, 76};
    c[DustLight] = {222, 206, 170};
    c[DustMid] = {186, 164, 124};
    c[DustDark] = {134, 112, 80};
    c[Steel] = {150, 156, 172};
    c[SteelLight] = {222, 228, 240};
    c[LinkBrown] = {160, 96, 40};
    c[LinkDark] = {100, 56, 20};
    c[Husk] = {120, 176, 60};
    c[HuskDark] = {70, 118, 36};
    c[Kernel] = {250, 214, 70};
    c[Sparkle] = {170, 240, 255};
    return c;
}

// A square cell painted about its centre, the object's position.
struct Cell {
    int size;
    std::vector<u8> pixels;
    double cosA = 1.0, sinA = 0.0; // turns shapes painted through Map

    explicit Cell(int s) : size(s), pixels((size_t)s * s, Clear) {}

    void Turn(double degrees)
    {
        cosA = std::cos(degrees * pi / 180.0);
        sinA = std::sin(degrees * pi / 180.0);
    }
    void Map(double& x, double& y) const
    {
        const double mx = x * cosA - y * sinA, my = x * sinA + y * cosA;
        x = mx;
        y = my;
    }
    u8& At(int x, int y) { return pixels[(size_t)(y + size / 2) * size + (x + size / 2)]; }
    bool Inside(int x, int y) const { return x >= -size / 2 && x < size / 2 && y >= -size / 2 && y < size / 2; }
    void Put(int x, int y, u8 colour)
    {
        if (Inside(x, y))
            At(x, y) = colour;
    }
    // Pixels whose centre lies within r of (cx, cy) (after the turn).
    void Disc(double cx, double cy, double r, u8 colour)
    {
        Map(cx, cy);
        for (int y = (int)std::floor(cy - r) - 1; y <= (int)std::ceil(cy + r) + 1; ++y)
            for (int x = (int)std::floor(cx - r) - 1; x <= (int)std::ceil(cx + r) + 1; ++x) {
                const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
                if (dx * dx + dy * dy <= r * r)
                    Put(x, y, colour);
            }
    }
    // Pixels between radii r0 and r1 of the centre, within the angular gaps given (segments of
    // `pieces` with a gap fraction; 0 pieces = whole ring).
    void Ring(double r0, double r1, u8 colour, int pieces = 0, double gap = 0.0)
    {
        for (int y = -size / 2; y < size / 2; ++y)
            for (int x = -size / 2; x < size / 2; ++x) {
                const double dx = x + 0.5, dy = y + 0.5;
                const double d = std::sqrt(dx * dx + dy * dy);
                if (d < r0 || d > r1)
                    continue;
                if (pieces) {
                    const double a = (std::atan2(dy, dx) / (2.0 * pi) + 1.0) * pieces;
                    if (a - std::floor(a) < gap)
                        continue;
                }
                Put(x, y, colour);
            }
    }
    // A thick line of discs.
    void Line(double x0, double y0, double x1, double y1, double r, u8 colour)
    {
        const int steps = std::max(1, (int)std::ceil(std::hypot(x1 - x0, y1 - y0) * 2.0));
        for (int i = 0; i <= steps; ++i) {
            const double t = (double)i / steps;
            Disc(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, r, colour);
        }
    }
    // A dark rim round everything painted, so the shape reads on any background.
    void Outline(u8 colour) { OutlineShapes(pixels, size, size, colour); }
    // Knocks out a fixed scatter of the painted pixels (smoke thinning out): fraction 0-1.
    void Thin(double fraction, u32 seed)
    {
        u32 state = seed * 2654435761u + 1u;
        for (u8& p : pixels) {
            state = state * 1664525u + 1013904223u;
            if (p != Clear && (double)(state >> 8) / (double)(1u << 24) < fraction)
                p = Clear;
        }
    }
};

typedef std::function<void(Cell&, int frame, int frames)> Painter;

struct AnimDef {
    int frames;
    u16 ticks;     // per frame, at speed 256
    i8 playMode;   // 1: once, holding the last frame; 0: loop
    Painter paint;
};

// A cloud of lobes about (cx, cy): a shadow ring, a body, a lit cap.
void Cloud(Cell& c, double cx, double cy, double r, double spin, u8 shadow, u8 body, u8 light)
{
    for (int k = 0; k < 5; ++k) {
        const double a = (spin + k * 72.0) * pi / 180.0;
        c.Disc(cx + std::cos(a) * r * 0.5, cy + std::sin(a) * r * 0.45, r * 0.55, shadow);
    }
    c.Disc(cx, cy, r * 0.62, shadow);
    for (int k = 0; k < 5; ++k) {
        const double a = (spin + k * 72.0) * pi / 180.0;
        c.Disc(cx + std::cos(a) * r * 0.42 - r * 0.06, cy + std::sin(a) * r * 0.38 - r * 0.08, r * 0.45, body);
    }
    c.Disc(cx - r * 0.22, cy - r * 0.28, r * 0.3, light);
}

// ---- Explosion ----

// Starts as a white-hot fireball, cools through orange to grey smoke that grows and thins away.
void PaintPuff(Cell& c, int f, int frames)
{
    const double t = (double)f / (frames - 1);
    const double r = 6.0 + 13.0 * t;
    if (t < 0.3) {
        Cloud(c, 0, 0, r, f * 11.0, RedOrange, Orange, Yellow);
        c.Disc(0, 0, r * 0.3, WhiteHot);
        c.Outline(DarkRed);
    } else if (t < 0.6) {
        Cloud(c, 0, 0, r, f * 11.0, SmokeDark, RedOrange, Orange);
        c.Disc(r * 0.1, r * 0.1, r * 0.18, Yellow);
        c.Outline(Ink);
    } else {
        Cloud(c, 0, 0, r, f * 11.0, SmokeDark, SmokeMid, SmokeLight);
        c.Thin((t - 0.6) * 1.4, (u32)f);
    }
}

void PaintSmoke(Cell& c, int f, int frames)
{
    const double t = (double)f / (frames - 1);
    const double r = 5.0 + 8.0 * t;
    Cloud(c, 0, 2.0 - 6.0 * t, r, 30.0 + f * 17.0, SmokeDark, SmokeMid, SmokeLight);
    Cloud(c, r * 0.6, -r * 0.7 - 2.0 * t, r * 0.55, f * 23.0, SmokeMid, SmokeMid, SmokeLight);
    if (f >= 2)
        c.Thin((t - 0.3) * 0.9, (u32)(f + 40));
}

// A star of rays that shoots out and breaks into sparks.
void PaintStar(Cell& c, int f, int)
{
    switch (f) {
    case 0:
        c.Disc(0, 0, 3.0, Yellow);
        c.Disc(0, 0, 1.8, WhiteHot);
        for (int k = 0; k < 4; ++k)
            c.Line(0, 0, std::cos(k * pi / 2) * 7.0, std::sin(k * pi / 2) * 7.0, 0.7, PaleYellow);
        break;
    case 1:
        for (int k = 0; k < 8; ++k) {
            const double a = k * pi / 4;
            const double len = k % 2 ? 9.0 : 14.0;
            c.Line(0, 0, std::cos(a) * len, std::sin(a) * len, 1.0, k % 2 ? Yellow : PaleYellow);
        }
        c.Disc(0, 0, 4.0, WhiteHot);
        break;
    case 2:
        for (int k = 0; k < 8; ++k) {
            const double a = k * pi / 4 + pi / 8;
            c.Line(std::cos(a) * 6.0, std::sin(a) * 6.0, std::cos(a) * 17.0, std::sin(a) * 17.0, 0.8, Yellow);
        }
        c.Disc(0, 0, 2.5, PaleYellow);
        break;
    case 3:
        for (int k = 0; k < 8; ++k) {
            const double a = k * pi / 4 + pi / 8;
            c.Line(std::cos(a) * 14.0, std::sin(a) * 14.0, std::cos(a) * 19.0, std::sin(a) * 19.0, 0.8, Orange);
        }
        break;
    default:
        for (int k = 0; k < 8; ++k) {
            const double a = k * pi / 4 + pi / 8;
            c.Disc(std::cos(a) * 21.0, std::sin(a) * 21.0, 1.0, RedOrange);
        }
        break;
    }
}

// A flash that blows out into a ring, which breaks into fragments.
void PaintRing(Cell& c, int f, int)
{
    switch (f) {
    case 0:
        c.Disc(0, 0, 5.0, Orange);
        c.Disc(0, 0, 3.5, Yellow);
        c.Disc(0, 0, 2.0, WhiteHot);
        break;
    case 1:
        c.Ring(5.0, 9.0, Orange);
        c.Ring(3.0, 5.0, Yellow);
        c.Disc(0, 0, 3.0, WhiteHot);
        break;
    case 2:
        c.Ring(10.0, 13.0, RedOrange, 8, 0.2);
        c.Ring(8.0, 10.0, Orange, 8, 0.2);
        break;
    case 3:
        c.Ring(14.0, 16.5, RedOrange, 8, 0.55);
        break;
    default:
        c.Ring(18.0, 19.5, DarkRed, 8, 0.75);
        break;
    }
    c.Outline(Ink);
}

// ---- FX ----

// Dust kicked up by the feet: the position is on the ground, the cloud grows above it.
void PaintDust(Cell& c, int f, int frames, double size)
{
    const double t = (double)f / (frames - 1);
    const double r = size * (0.4 + 0.6 * t);
    Cloud(c, -r * 0.3, -r * 0.6, r, f * 29.0, DustDark, DustMid, DustLight);
    Cloud(c, r * 0.5, -r * 0.4 - t * 2.0, r * 0.6, 40.0 + f * 31.0, DustMid, DustMid, DustLight);
    if (t > 0.5)
        c.Thin((t - 0.5) * 1.2, (u32)(f + 90));
}

void PaintPlain(Cell& c, int f, int frames)
{
    const double t = (double)f / (frames - 1);
    c.Ring(1.5 + 4.0 * t, 3.0 + 4.5 * t, f < 2 ? DustLight : DustMid, f < 2 ? 0 : 6, f < 2 ? 0.0 : 0.35);
}

void PaintSkid(Cell& c, int f, int frames)
{
    const double t = (double)f / (frames - 1);
    for (int k = 0; k < 3; ++k) {
        const double r = 2.0 + 2.5 * t + k * 0.6;
        c.Disc(-4.0 - k * (4.0 + 3.0 * t), -r + 1.0, r, k == 0 ? SmokeLight : SmokeMid);
    }
    if (f >= 3)
        c.Thin(0.35 * (f - 2), (u32)(f + 7));
}

void PaintSparkle(Cell& c, int f, int)
{
    const double arms[4] = {2.0, 5.0, 7.0, 3.0};
    const double len = arms[f & 3];
    c.Line(-len, 0, len, 0, 0.6, Sparkle);
    c.Line(0, -len, 0, len, 0.6, Sparkle);
    if (f == 1 || f == 2) {
        c.Line(-len * 0.5, -len * 0.5, len * 0.5, len * 0.5, 0.5, WhiteHot);
        c.Line(-len * 0.5, len * 0.5, len * 0.5, -len * 0.5, 0.5, WhiteHot);
    }
    c.Disc(0, 0, 1.2, WhiteHot);
}

// ---- Giblets ----

// The small pieces serve the rope's shed bits, a snapped whip and an enemy's burst alike, so they
// stay neutral and tiny: a speck of grit and a loose fibre, dark and light together so they read
// against the sky and against the ground. No rim: a rim would double their size.

// A grain of two or three pixels that tumbles through eight poses.
void PaintSpeck(Cell& c, int f, int)
{
    static const int poses[8][3][2] = {
        {{0, 0}, {1, 0}, {0, 1}}, {{0, 0}, {1, 0}, {1, 0}}, {{0, 0}, {1, 1}, {1, 1}}, {{0, 0}, {0, 1}, {1, 1}},
        {{0, 0}, {0, 1}, {0, 1}}, {{1, 0}, {0, 1}, {0, 1}}, {{0, 0}, {1, 0}, {1, 1}}, {{1, 0}, {0, 0}, {0, 0}},
    };
    const u8 colours[3] = {DustMid, DustDark, DustLight};
    for (int k = 2; k >= 0; --k)
        c.Put(poses[f][k][0], poses[f][k][1], colours[k]);
}

// A short curled fibre, one pixel thick, turning an eighth of a turn each frame.
void PaintFibre(Cell& c, int f, int)
{
    const double a = f * 45.0 * pi / 180.0, ca = std::cos(a), sa = std::sin(a);
    const double along[5] = {-2.0, -1.0, 0.0, 1.0, 2.0}, bend[5] = {0.6, 0.1, 0.0, 0.1, 0.6};
    for (int k = 0; k < 5; ++k) {
        const double x = along[k] * ca - bend[k] * sa, y = along[k] * sa + bend[k] * ca;
        c.Put((int)std::lround(x), (int)std::lround(y), k == 0 || k == 4 ? DustDark : DustMid);
    }
}

// The whip's rope and links in pieces; the glint moves between the two frames.
void PaintRopePiece(Cell& c, int f, int piece)
{
    switch (piece) {
    case 0: // one link
        c.Ring(2.5, 4.5, LinkBrown);
        c.Ring(2.5, 3.2, LinkDark);
        break;
    case 1: // a frayed rope end
        c.Line(-5.0, 0, 2.0, 0, 1.2, LinkBrown);
        c.Line(2.0, 0, 5.0, -2.5, 0.5, LinkDark);
        c.Line(2.0, 0, 5.5, 0.5, 0.5, LinkDark);
        c.Line(2.0, 0, 4.5, 3.0, 0.5, LinkDark);
        break;
    case 2: // two links still joined
        c.Disc(-2.5, 0, 3.0, LinkBrown);
        c.Disc(-2.5, 0, 1.5, Clear);
        c.Disc(2.5, 0, 3.0, LinkDark);
        c.Disc(2.5, 0, 1.5, Clear);
        break;
    default: // a link snapped open
        c.Ring(2.5, 4.5, LinkBrown, 1, 0.25);
        break;
    }
    const double glintX = f == 0 ? -2.0 : 2.0, glintY = f == 0 ? -2.5 : 2.5;
    if (c.Inside((int)glintX, (int)glintY) && c.At((int)glintX, (int)glintY) != Clear)
        c.Put((int)glintX, (int)glintY, DustLight);
    c.Outline(Ink);
}

void PaintHook(Cell& c, int f, int)
{
    c.Line(-6.0, 0, 2.0, 0, 1.0, Steel);
    c.Disc(-6.5, 0, 1.8, Steel);
    c.Disc(-6.5, 0, 0.7, Clear); // the eye the rope was tied to
    // The bend from the shank round to the point, then the barb back down.
    for (int k = 0; k <= 8; ++k) {
        const double a = (90.0 - k * 22.5) * pi / 180.0;
        c.Disc(2.0 + std::cos(a) * 3.5, -3.5 + std::sin(a) * 3.5, 1.0, Steel);
    }
    c.Line(2.0, -7.0, -0.5, -4.5, 0.8, Steel);
    c.Disc(f == 0 ? -3.0 : 5.0, f == 0 ? 0.0 : -3.5, 0.8, SteelLight);
    c.Outline(Ink);
}

void PaintHusk(Cell& c, int f, int)
{
    c.Turn(f * 45.0 + 10.0);
    for (int k = -5; k <= 5; ++k) {
        const double w = 1.8 * (1.0 - (k * k) / 30.0);
        c.Disc(k, 0, w, Husk);
    }
    c.Line(-5.0, 0, 5.0, 0, 0.4, HuskDark);
    c.Disc(2.0, 2.2, 1.2, Kernel);
    c.Outline(Ink);
}

// One animation a row of the sheet, one frame a cell, every frame centred on the position.
bool WriteEffectSet(const std::string& dir, const std::string& folder, const std::string& name, int cell,
                    const std::vector<AnimDef>& animations)
{
    int widest = 1;
    for (const AnimDef& a : animations)
        widest = std::max(widest, a.frames);
    TgaImage sheet;
    sheet.width = (u16)(widest * cell);
    sheet.height = (u16)(animations.size() * cell);
    sheet.colours = EffectColours();
    sheet.pixels.assign((size_t)sheet.width * sheet.height, Clear);

    Manifest manifest;
    manifest.sheets = {{name + ".tga", true, (u8)sheet.colours.size()}};
    manifest.boxes = {ManBox{(u8)cell, (u8)cell, (u8)(i8)(-cell / 2), (u8)(i8)(-cell / 2)}};
    for (size_t row = 0; row < animations.size(); ++row) {
        const AnimDef& def = animations[row];
        ManAnimation animation;
        animation.speed = 256;
        animation.playMode = def.playMode;
        animation.loopFrame = 0;
        for (int f = 0; f < def.frames; ++f) {
            Cell painted(cell);
            def.paint(painted, f, def.frames);
            for (int y = 0; y < cell; ++y)
                for (int x = 0; x < cell; ++x)
                    sheet.pixels[(size_t)(row * cell + y) * sheet.width + (size_t)(f * cell + x)] =
                        painted.pixels[(size_t)y * cell + x];
            ManFrame frame;
            frame.srcX = (u16)(f * cell);
            frame.srcY = (u16)(row * cell);
            frame.width = frame.height = (u8)cell;
            frame.offsetX = frame.offsetY = (i8)(-cell / 2);
            frame.duration = (u16)(def.ticks * 256);
            animation.frames.push_back(frame);
        }
        manifest.animations.push_back(animation);
    }
    return PutFile(dir, folder + name + ".tga", MakeTga(sheet)) &&
           PutFile(dir, folder + name + ".man", MakeManifest(manifest));
}

} // namespace

bool WriteEffectData(const std::string& dir)
{
    const std::vector<AnimDef> explosion = {
        {explosionPuffFrames, explosionPuffTicks, 1, PaintPuff},
        {explosionSmokeFrames, explosionSmokeTicks, 1, PaintSmoke},
        {explosionBurstFrames, explosionBurstTicks, 1, PaintStar},
        {explosionBurstFrames, explosionBurstTicks, 1, PaintRing},
    };
    const std::vector<AnimDef> fx = {
        {fxBigDustFrames, fxTicks, 1, [](Cell& c, int f, int n) { PaintDust(c, f, n, 11.0); }},
        {fxPlainFrames, fxTicks, 1, PaintPlain},
        {5, fxTicks, 1, PaintSkid},
        {4, fxTicks, 1, PaintSparkle},
        {fxSmallDustFrames, fxTicks, 1, [](Cell& c, int f, int n) { PaintDust(c, f, n, 7.0); }},
    };
    std::vector<AnimDef> giblets = {
        {8, 3, 0, PaintSpeck},
        {4, 4, 0, PaintFibre},
    };
    for (int piece = 0; piece < 4; ++piece)
        giblets.push_back({2, 8, 0, [piece](Cell& c, int f, int) { PaintRopePiece(c, f, piece); }});
    giblets.push_back({2, 8, 0, PaintHook});
    giblets.push_back({8, 3, 0, PaintHusk});

    return WriteEffectSet(dir, "Data/Sprites/Global/Explosion/", "Explosion", 48, explosion) &&
           WriteEffectSet(dir, "Data/Sprites/Global/FX/", "FX", 32, fx) &&
           WriteEffectSet(dir, "Data/Sprites/Global/", "Giblets", 16, giblets);
}

} // namespace datakit
