#include "tools/datakit/RosterArtA.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "tools/datakit/Bytes.h"
#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/PlacementWriter.h"
#include "tools/datakit/TgaWriter.h"
#include "tools/datakit/VepWriter.h"
#include "tools/datakit/Wav.h"

namespace datakit {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr u32 soundRate = 22050;

// Palette entries: 0 clear, 1 the dark rim, 2-31 each set's own colours, 64-69 the debug outlines.
enum : u8 { Clear = 0, Ink = 1, paletteSize = 72 };

std::vector<Rgb> BasePalette()
{
    std::vector<Rgb> colours(paletteSize, Rgb{0, 0, 0});
    colours[Ink] = {22, 16, 30};
    colours[64] = {160, 160, 160};
    colours[65] = {0, 255, 0};
    colours[66] = {255, 40, 40};
    colours[67] = {255, 255, 0};
    colours[69] = {255, 0, 255};
    return colours;
}

struct Point2 {
    double x, y;
};

// A frame is painted on a cell around the object's position, then cropped to what it covers.
constexpr int cellLeft = -40, cellTop = -40, cellSize = 80;

struct Cell {
    std::vector<u8> pixels = std::vector<u8>((size_t)cellSize * cellSize, Clear);

    void Fill(const std::function<bool(double, double)>& inside, u8 colour)
    {
        for (int row = 0; row < cellSize; ++row)
            for (int column = 0; column < cellSize; ++column)
                if (inside(column + cellLeft + 0.5, row + cellTop + 0.5))
                    pixels[(size_t)row * cellSize + column] = colour;
    }
    void Ellipse(Point2 c, double rx, double ry, u8 colour)
    {
        Fill([=](double x, double y) {
            const double dx = (x - c.x) / rx, dy = (y - c.y) / ry;
            return dx * dx + dy * dy <= 1.0;
        }, colour);
    }
    void Disc(Point2 c, double r, u8 colour) { Ellipse(c, r, r, colour); }
    void Line(Point2 a, Point2 b, double r, u8 colour)
    {
        Fill([=](double x, double y) {
            const double dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
            const double t = length2 > 0 ? std::clamp(((x - a.x) * dx + (y - a.y) * dy) / length2, 0.0, 1.0) : 0.0;
            const double ex = a.x + dx * t - x, ey = a.y + dy * t - y;
            return ex * ex + ey * ey <= r * r;
        }, colour);
    }
    void Triangle(Point2 a, Point2 b, Point2 c, u8 colour)
    {
        Fill([=](double x, double y) {
            const auto side = [&](Point2 u, Point2 v) { return (v.x - u.x) * (y - u.y) - (v.y - u.y) * (x - u.x); };
            const double s0 = side(a, b), s1 = side(b, c), s2 = side(c, a);
            return (s0 >= 0 && s1 >= 0 && s2 >= 0) || (s0 <= 0 && s1 <= 0 && s2 <= 0);
        }, colour);
    }
    // A dark rim around the painted shapes, so the figure reads on any background.
    void Outline()
    {
        const std::vector<u8> before = pixels;
        for (int row = 0; row < cellSize; ++row)
            for (int column = 0; column < cellSize; ++column) {
                if (before[(size_t)row * cellSize + column] != Clear)
                    continue;
                const int near[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
                for (const auto& n : near) {
                    const int c = column + n[0], r = row + n[1];
                    if (c < 0 || c >= cellSize || r < 0 || r >= cellSize)
                        continue;
                    const u8 v = before[(size_t)r * cellSize + c];
                    if (v != Clear && v != Ink) {
                        pixels[(size_t)row * cellSize + column] = Ink;
                        break;
                    }
                }
            }
    }
};

ManBox Box(int left, int right, int top, int bottom)
{
    return ManBox{(u8)(right - left), (u8)(bottom - top), (u8)(i8)left, (u8)(i8)top};
}

// What one frame holds besides its picture: its hit sets and its points.
struct FrameInfo {
    Cell cell;
    std::vector<u16> hitSets;
    std::vector<ManPoint> points;
};

struct AnimSpec {
    int frames = 1;
    u16 duration = 256; // per frame, in the animation's speed units (speed 256: ticks x 256)
    u16 speed = 256;
    i8 playMode = 0; // 0 loops, 1 holds its last frame
    std::function<void(FrameInfo&, int)> paint;
};

struct SpriteSet {
    std::string folder, name;
    std::vector<Rgb> colours;
    ManBox body;
    std::vector<std::vector<ManBox>> hitSets;
    std::vector<AnimSpec> animations;
    Vep vep;
};

bool Put(const std::string& dir, const std::string& path, const std::vector<u8>& bytes)
{
    if (WriteFile(dir + "/" + path, bytes))
        return true;
    fprintf(stderr, "datakit: cannot write %s/%s\n", dir.c_str(), path.c_str());
    return false;
}

// Paints, crops and packs every frame on one sheet, then writes the sheet, manifest and properties.
bool WriteSpriteSet(const std::string& dir, const SpriteSet& set)
{
    const std::string folder = "Data/Sprites/Enemies/" + set.folder + "/";
    Manifest manifest;
    manifest.boxes = {set.body};
    manifest.hitSets = set.hitSets;
    constexpr int sheetWidth = 256;
    TgaImage sheet;
    sheet.width = sheetWidth;
    sheet.colours = set.colours;
    int shelfX = 0, shelfY = 0, shelfHeight = 0;
    for (const AnimSpec& spec : set.animations) {
        ManAnimation animation;
        animation.speed = spec.speed;
        animation.playMode = spec.playMode;
        for (int f = 0; f < spec.frames; ++f) {
            FrameInfo info;
            spec.paint(info, f);
            info.cell.Outline();
            int left = cellSize, right = -1, top = cellSize, bottom = -1;
            for (int row = 0; row < cellSize; ++row)
                for (int column = 0; column < cellSize; ++column)
                    if (info.cell.pixels[(size_t)row * cellSize + column] != Clear) {
                        left = std::min(left, column);
                        right = std::max(right, column);
                        top = std::min(top, row);
                        bottom = std::max(bottom, row);
                    }
            if (right < 0)
                left = right = top = bottom = 0;
            const int width = right - left + 1, height = bottom - top + 1;
            if (shelfX + width > sheetWidth) {
                shelfX = 0;
                shelfY += shelfHeight;
                shelfHeight = 0;
            }
            const int sheetRows = shelfY + std::max(shelfHeight, height);
            if ((int)sheet.pixels.size() < sheetRows * sheetWidth)
                sheet.pixels.resize((size_t)sheetRows * sheetWidth, Clear);
            for (int row = 0; row < height; ++row)
                for (int column = 0; column < width; ++column)
                    sheet.pixels[(size_t)(shelfY + row) * sheetWidth + shelfX + column] =
                        info.cell.pixels[(size_t)(row + top) * cellSize + column + left];
            ManFrame frame;
            frame.srcX = (u16)shelfX;
            frame.srcY = (u16)shelfY;
            frame.width = (u8)width;
            frame.height = (u8)height;
            frame.offsetX = (i8)(left + cellLeft);
            frame.offsetY = (i8)(top + cellTop);
            frame.duration = spec.duration;
            frame.points = info.points;
            for (u16 hitSet : info.hitSets)
                frame.hits.push_back({hitSet, 0, 0});
            animation.frames.push_back(frame);
            shelfX += width;
            shelfHeight = std::max(shelfHeight, height);
        }
        manifest.animations.push_back(animation);
    }
    sheet.height = (u16)(sheet.pixels.size() / sheetWidth);
    manifest.sheets = {{set.name + ".tga", true, (u8)paletteSize}};
    return Put(dir, folder + set.name + ".tga", MakeTga(sheet)) &&
           Put(dir, folder + set.name + ".man", MakeManifest(manifest)) &&
           Put(dir, folder + set.name + ".vep", MakeVep(set.vep));
}

constexpr VepRow hurtRow{0, 0, 0, 0.0, 0.0, 0};
// Contact attacks hit once per animation of the attacker (a body that stays in the box is not
// taken again frame after frame).
constexpr VepRow contactRow{0x4, 2, 8, 2.0, 1.0, 224};
// The library picks no animation for these types: their own Updates choose them.
constexpr std::array<i8, 10> ownAnims{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

// ---- Audrey: a potted snapping plant with a wide red mouth ---------------------------------------------

enum : u8 { Stem = 2, StemDark, Pod, PodDark, Lip, Gullet, Tooth, Pot, PotDark, Seed, SeedGlow };

// The mouth, on the right-facing picture. The shot's point 0 is read on the mirrored frame, so the
// point is written on the other side: mirrored, it lands in the mouth.
constexpr int mouthX = 12, mouthY = -8;

void PaintAudrey(FrameInfo& info, double open, double lean)
{
    Cell& c = info.cell;
    c.Ellipse({0, 10}, 9, 5, PotDark);
    c.Ellipse({0, 9}, 8, 4, Pot);
    c.Line({0, 6}, {lean * 0.5, -2}, 2.2, StemDark);
    c.Line({-1, 6}, {-7, 0}, 1.5, Stem);
    c.Ellipse({-8, -1}, 4, 2, Stem);
    const Point2 head{lean, -8};
    c.Ellipse(head, 11, 9, PodDark);
    c.Ellipse({head.x - 1, head.y - 1}, 9.5, 7.5, Pod);
    // The mouth opens as a wedge toward the front.
    const double gape = 2.0 + 7.0 * open;
    c.Triangle({head.x + 1, head.y}, {head.x + 13, head.y - gape}, {head.x + 13, head.y + gape}, Lip);
    c.Triangle({head.x + 3, head.y}, {head.x + 13, head.y - gape + 2}, {head.x + 13, head.y + gape - 2}, Gullet);
    for (int k = 0; k < 3; ++k) {
        const double tx = head.x + 6 + k * 2.5;
        c.Triangle({tx, head.y - gape * 0.6}, {tx + 1.6, head.y - gape * 0.6}, {tx + 0.8, head.y - gape * 0.2}, Tooth);
        c.Triangle({tx, head.y + gape * 0.6}, {tx + 1.6, head.y + gape * 0.6}, {tx + 0.8, head.y + gape * 0.2}, Tooth);
    }
    info.points = {ManPoint{(i8)-(mouthX + (int)lean), (i8)mouthY}};
}

SpriteSet AudreySet()
{
    SpriteSet set;
    set.folder = "Audrey";
    set.name = "Audrey";
    set.colours = BasePalette();
    set.colours[Stem] = {84, 168, 64};
    set.colours[StemDark] = {40, 104, 40};
    set.colours[Pod] = {112, 196, 72};
    set.colours[PodDark] = {56, 128, 48};
    set.colours[Lip] = {208, 40, 64};
    set.colours[Gullet] = {96, 16, 40};
    set.colours[Tooth] = {248, 244, 220};
    set.colours[Pot] = {184, 104, 56};
    set.colours[PotDark] = {120, 64, 36};
    set.body = Box(-10, 10, -14, 14);
    // The pod and pot can be struck; the bite reaches ahead while the attack lunges.
    set.hitSets = {{Box(-10, 10, -16, 14)}, {Box(4, 24, -16, 0)}};
    set.animations.resize(2);
    // 0 idle: one frame of one tick, so the animation has run out on every tick and hits count.
    set.animations[0] = {1, 256, 256, 0, [](FrameInfo& info, int) {
                             PaintAudrey(info, 0.2, 0.0);
                             info.hitSets = {0};
                         }};
    // 1 the attack: it rears back, lunges and spits on frame 12, then settles; holds its last frame.
    set.animations[1] = {16, 4 * 256, 256, 1, [](FrameInfo& info, int f) {
                             const double lean = f < 8 ? -f * 0.6 : (f < 13 ? (f - 8) * 1.5 - 4.8 : 2.7 - (f - 12) * 0.7);
                             const double open = f < 10 ? f / 10.0 : (f < 14 ? 1.0 : 0.5);
                             PaintAudrey(info, open, lean);
                             info.hitSets = {0};
                             if (f >= 10 && f <= 13)
                                 info.hitSets.push_back(1);
                         }};
    set.vep.values = {0.2, 0.1, 0.15, 1.0, 0.2, 0.2, 0.2, 2.0, 8.0, 4.0, 1.0, 0.21875, 0.21875, 2.0, 2.0};
    set.vep.hp = 6;
    set.vep.flags = {1, 1, 0, 0, 0};
    set.vep.anims = ownAnims;
    set.vep.rows = {hurtRow, contactRow};
    return set;
}

// ---- AudreyShot: a glowing green seed ----------------------------------------------------------------

SpriteSet AudreyShotSet()
{
    SpriteSet set;
    set.folder = "Audrey";
    set.name = "AudreyShot";
    set.colours = BasePalette();
    set.colours[Seed] = {160, 232, 64};
    set.colours[SeedGlow] = {240, 255, 176};
    set.colours[PodDark] = {56, 128, 48};
    set.body = Box(-5, 5, -5, 5);
    // It can be struck down (it then shrinks away) and it hits what it flies into.
    set.hitSets = {{Box(-5, 5, -5, 5)}, {Box(-4, 4, -4, 4)}};
    set.animations.resize(1);
    set.animations[0] = {2, 3 * 256, 256, 0, [](FrameInfo& info, int f) {
                             Cell& c = info.cell;
                             c.Ellipse({0, 0}, 5.5, 4.5, PodDark);
                             c.Ellipse({-0.5, -0.5}, 4.5, 3.5, Seed);
                             c.Disc({f ? 1.5 : -1.5, -1.5}, 1.4, SeedGlow);
                             info.hitSets = {0, 1};
                         }};
    // Flies straight at up to 2.5 px a tick, no gravity; never killed, only shrunk.
    set.vep.values = {0.0, 0.0, 0.0, 0.0, 0.0, 0.25, 0.25, 2.5, 2.5, 0.0, 0.0, 0.0, 0.0, 2.0, 3.0};
    set.vep.hp = 255;
    set.vep.flags = {0, 0, 0, 0, 0};
    set.vep.anims = ownAnims;
    set.vep.rows = {hurtRow, VepRow{0x4, 2, 6, 3.0, 1.0, 224}};
    return set;
}

// ---- Draven: a black crow with a yellow beak ----------------------------------------------------------

enum : u8 { Feather = 2, FeatherDark, FeatherSheen, Beak, Eye, Talon };

void PaintCrow(FrameInfo& info, double wing, bool perched)
{
    Cell& c = info.cell;
    if (perched) {
        c.Line({-2, 8}, {-3, 13}, 0.8, Talon);
        c.Line({2, 8}, {3, 13}, 0.8, Talon);
    } else {
        c.Line({-2, 7}, {-5, 11}, 0.8, Talon);
        c.Line({1, 7}, {-1, 12}, 0.8, Talon);
    }
    c.Triangle({-7, 0}, {-16, -3 + wing * 0.3}, {-15, 5}, FeatherDark); // tail
    c.Ellipse({0, 1}, 8, 7, FeatherDark);
    c.Ellipse({-0.5, 0.5}, 6.5, 5.5, Feather);
    c.Disc({6, -5}, 4.5, Feather);
    c.Triangle({9, -7}, {16, -4}, {9, -3}, Beak);
    c.Disc({7, -6}, 1.2, Eye);
    // The wing: folded when perched, sweeping from up to down in flight.
    const Point2 shoulder{0, -2};
    const Point2 tip{-4 - std::cos(wing) * 4, -2 - std::sin(wing) * 14};
    if (perched) {
        c.Ellipse({-2, 1}, 6, 3.5, FeatherSheen);
    } else {
        c.Triangle(shoulder, {shoulder.x - 7, shoulder.y}, tip, FeatherSheen);
        c.Line(shoulder, tip, 1.2, FeatherDark);
    }
}

SpriteSet DravenSet()
{
    SpriteSet set;
    set.folder = "Draven";
    set.name = "Draven";
    set.colours = BasePalette();
    set.colours[Feather] = {56, 52, 72};
    set.colours[FeatherDark] = {30, 28, 44};
    set.colours[FeatherSheen] = {88, 92, 136};
    set.colours[Beak] = {240, 196, 48};
    set.colours[Eye] = {255, 64, 48};
    set.colours[Talon] = {200, 160, 64};
    set.body = Box(-10, 10, -10, 10);
    // Struck on the body; in flight its talons hit what they meet, on the perch it is harmless.
    set.hitSets = {{Box(-9, 9, -9, 9)}, {Box(-8, 8, -4, 12)}};
    const auto flight = [](FrameInfo& info, int f) {
        PaintCrow(info, -kPi / 2 + f * kPi / 5, false);
        info.hitSets = {0, 1};
    };
    set.animations.resize(3);
    set.animations[0] = {2, 30 * 256, 256, 0, [](FrameInfo& info, int f) {
                             PaintCrow(info, 0, true);
                             if (f)
                                 info.cell.Disc({7, -6}, 1.2, FeatherDark); // a blink
                             info.hitSets = {0};
                         }};
    // 1 hover and 2 return: six wing beats at speed 30 (the dive sets its own speed); the flap is
    // heard on frame 4.
    set.animations[1] = {6, 120, 30, 0, flight};
    set.animations[2] = {6, 120, 30, 0, flight};
    set.vep.values = {0.2, 0.1, 0.15, 1.0, 0.05, 0.05, 0.05, 1.5, 2.5, 4.0, 1.0, 0.0, 0.1, 2.0, 2.0};
    set.vep.hp = 5;
    set.vep.flags = {1, 0, 0, 0, 0};
    set.vep.anims = ownAnims;
    set.vep.rows = {hurtRow, contactRow};
    return set;
}

// ---- sounds -------------------------------------------------------------------------------------------

std::vector<u8> Sound(double seconds, const std::function<double(double t, double p)>& wave)
{
    const size_t count = (size_t)(soundRate * seconds);
    std::vector<i16> samples(count);
    u32 noise = 0x2468ACEu;
    for (size_t i = 0; i < count; ++i) {
        noise = noise * 1664525u + 1013904223u;
        const double n = (double)(noise >> 8) / (double)(1u << 23) - 1.0;
        const double t = (double)i / (double)count;
        const double v = std::clamp(wave(t, n) * (1.0 - t), -1.0, 1.0);
        samples[i] = (i16)std::lround(128.0 + v * 120.0);
    }
    return MakeWav(samples, soundRate, 8, 1);
}

// A tone whose pitch glides from f0 to f1 Hz over the sound, with some noise.
std::function<double(double, double)> Glide(double seconds, double f0, double f1, double noise)
{
    return [=](double t, double n) {
        const double phase = (f0 * t + (f1 - f0) * t * t / 2.0) * seconds;
        return (1.0 - noise) * std::sin(2.0 * kPi * phase) + noise * n;
    };
}

bool WriteSounds(const std::string& dir)
{
    const std::string audrey = "Data/SFX/Enemies/Audrey/", draven = "Data/SFX/Enemies/Draven/";
    return Put(dir, audrey + "AudreyHit.wav", Sound(0.15, Glide(0.15, 300, 180, 0.3))) &&
           Put(dir, audrey + "AudreyDeath.wav", Sound(0.5, Glide(0.5, 260, 60, 0.2))) &&
           Put(dir, audrey + "AudreyShot.wav", Sound(0.12, Glide(0.12, 900, 400, 0.4))) &&
           Put(dir, draven + "DravenHit.wav", Sound(0.12, Glide(0.12, 700, 500, 0.5))) &&
           Put(dir, draven + "DravenDeath.wav", Sound(0.45, Glide(0.45, 600, 150, 0.4))) &&
           Put(dir, draven + "DravenCaw.wav", Sound(0.35, Glide(0.35, 520, 380, 0.6))) &&
           Put(dir, draven + "DravenFlap.wav", Sound(0.08, Glide(0.08, 120, 80, 0.8)));
}

// ---- placements ---------------------------------------------------------------------------------------

struct Placed {
    f64 x, y;
    bool faceRight;
};

// Both types declare one key, "faceRight".
bool WritePlacements(const std::string& dir, const std::string& stage, const std::string& type,
                     const std::vector<Placed>& placed)
{
    std::vector<PlacedObject> objects;
    for (const Placed& at : placed) {
        PlacedObject object;
        if (!ToDecimalFloat(at.x, 1, &object.x) || !ToDecimalFloat(at.y, 1, &object.y) ||
            !PutPlacementKey(object.keys, 8, at.faceRight ? 1 : 0))
            return false;
        objects.push_back(object);
    }
    const std::string path = dir + "/Data/Stages/" + stage + "/Objects/" + type + ".bin";
    if (WritePlacementFile(path, objects))
        return true;
    fprintf(stderr, "datakit: cannot write %s\n", path.c_str());
    return false;
}

// Audrey is placed by its feet, dropped a little over the ground.
Placed AudreyAt(f64 x, f64 feetY, bool faceRight)
{
    return {x, feetY - audreyFeet - 2.0, faceRight};
}

} // namespace

bool WriteRosterDataA(const std::string& dir)
{
    for (const SpriteSet& set : {AudreySet(), AudreyShotSet(), DravenSet()})
        if (!WriteSpriteSet(dir, set))
            return false;
    if (!WriteSounds(dir))
        return false;
    // The Bone Zone: Audrey on the flat past the right ramp, Draven over the middle plank.
    // Village 1: Audrey on the second plank (top 664), facing back; Draven high over the first plank.
    return WritePlacements(dir, "Graveyard", "Audrey", {AudreyAt(graveyardAudreyX, graveyardAudreyFeetY, true)}) &&
           WritePlacements(dir, "Graveyard", "Draven", {{graveyardDravenX, graveyardDravenY, false}}) &&
           WritePlacements(dir, "Village", "Audrey", {AudreyAt(2064, 664, false)}) &&
           WritePlacements(dir, "Village", "Draven", {{1168, 580, false}}) &&
           WritePlacements(dir, "BoneZone", "Audrey", {AudreyAt(968, 1312, false)}) &&
           WritePlacements(dir, "BoneZone", "Draven", {{608, 1272, false}}) &&
           WritePlacements(dir, "Test", "Audrey", {AudreyAt(testAudreyX, testAudreyFeetY, true)}) &&
           WritePlacements(dir, "Test", "Draven", {{testDravenX, testDravenY, true}});
}

} // namespace datakit
