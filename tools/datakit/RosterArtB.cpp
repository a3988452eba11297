#include "tools/datakit/RosterArtB.h"

#include <algorithm>
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

constexpr double pi = 3.14159265358979323846;

enum : u8 { Clear = 0, Ink = 1, paletteSize = 32 };

// A painted frame: a cell around the object's position, shapes filled in right-facing coordinates.
constexpr int cellLeft = -32, cellTop = -40, cellSize = 64;

struct Cell {
    std::vector<u8> pixels = std::vector<u8>((size_t)cellSize * cellSize, Clear);
    void Fill(const std::function<bool(double, double)>& inside, u8 colour)
    {
        for (int row = 0; row < cellSize; ++row)
            for (int column = 0; column < cellSize; ++column)
                if (inside(column + cellLeft + 0.5, row + cellTop + 0.5))
                    pixels[(size_t)row * cellSize + column] = colour;
    }
    void Ellipse(double cx, double cy, double rx, double ry, u8 colour)
    {
        Fill([=](double x, double y) {
            const double dx = (x - cx) / rx, dy = (y - cy) / ry;
            return dx * dx + dy * dy <= 1.0;
        }, colour);
    }
    void Line(double ax, double ay, double bx, double by, double r, u8 colour)
    {
        Fill([=](double x, double y) {
            const double dx = bx - ax, dy = by - ay, length2 = dx * dx + dy * dy;
            const double t = length2 > 0 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / length2, 0.0, 1.0) : 0.0;
            const double ex = ax + dx * t - x, ey = ay + dy * t - y;
            return ex * ex + ey * ey <= r * r;
        }, colour);
    }
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
                    if (c >= 0 && c < cellSize && r >= 0 && r < cellSize && before[(size_t)r * cellSize + c] > Ink) {
                        pixels[(size_t)row * cellSize + column] = Ink;
                        break;
                    }
                }
            }
    }
};

struct Frame {
    Cell cell;
    std::vector<u16> hitSets;
    std::vector<ManPoint> points;
};

struct Anim {
    int frames = 1;
    u16 ticks = 6;
    i8 playMode = 0; // 0 loops, 1 holds its last frame
    std::function<void(Frame&, int)> paint;
};

ManBox BoxOf(int left, int right, int top, int bottom)
{
    return ManBox{(u8)(right - left), (u8)(bottom - top), (u8)(i8)left, (u8)(i8)top};
}

bool Put(const std::string& dir, const std::string& path, const std::vector<u8>& bytes)
{
    if (WriteFile(dir + "/" + path, bytes))
        return true;
    fprintf(stderr, "datakit: cannot write %s/%s\n", dir.c_str(), path.c_str());
    return false;
}

// Paints the frames, packs them on one sheet and writes the sheet and the manifest.
bool WriteSet(const std::string& dir, const std::string& folder, const std::string& name,
              const std::vector<Rgb>& colours, const std::vector<std::string>& extraPalettes, ManBox body,
              const std::vector<std::vector<ManBox>>& hitSets, const std::vector<Anim>& anims)
{
    Manifest manifest;
    manifest.boxes = {body};
    manifest.hitSets = hitSets;
    manifest.extraPalettes = extraPalettes;
    constexpr int sheetWidth = 512;
    TgaImage sheet;
    sheet.width = sheetWidth;
    sheet.colours = colours;
    int shelfX = 0, shelfY = 0, shelfHeight = 0;
    for (const Anim& spec : anims) {
        ManAnimation animation;
        animation.speed = 256;
        animation.playMode = spec.playMode;
        for (int f = 0; f < spec.frames; ++f) {
            Frame info;
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
                left = right = top = bottom = cellSize / 2;
            const int width = right - left + 1, height = bottom - top + 1;
            if (shelfX + width > sheetWidth) {
                shelfX = 0;
                shelfY += shelfHeight;
                shelfHeight = 0;
            }
            const int needed = shelfY + std::max(shelfHeight, height);
            if ((int)sheet.pixels.size() < needed * sheetWidth)
                sheet.pixels.resize((size_t)needed * sheetWidth, Clear);
            for (int row = 0; row < height; ++row)
                std::copy_n(&info.cell.pixels[(size_t)(row + top) * cellSize + left], width,
                            &sheet.pixels[(size_t)(shelfY + row) * sheetWidth + shelfX]);
            ManFrame frame;
            frame.srcX = (u16)shelfX;
            frame.srcY = (u16)shelfY;
            frame.width = (u8)width;
            frame.height = (u8)height;
            frame.offsetX = (i8)(left + cellLeft);
            frame.offsetY = (i8)(top + cellTop);
            frame.duration = (u16)(spec.ticks * 256);
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
    manifest.sheets = {{name + ".tga", true, (u8)paletteSize}};
    const std::string path = "Data/Sprites/Enemies/" + folder + "/";
    return Put(dir, path + name + ".tga", MakeTga(sheet)) && Put(dir, path + name + ".man", MakeManifest(manifest));
}

// A contact attack, once per animation of the attacker; the hurt row.
constexpr VepRow hurtRow{0, 0, 0, 0.0, 0.0, 0};
constexpr VepRow contactRow{0x4, 2, 8, 2.0, 1.0, 224};

// ---- Froacker: a squat frog on bent legs; the variants differ in colour only ---------------------------

enum : u8 { FrogSkin = 2, FrogShade, FrogBelly, FrogEye, FrogMouth };

struct FrogPose {
    double crouch = 0; // the body sunk toward the feet
    double stretch = 0; // legs out behind, as in a leap
    double arm = 0;     // the throwing arm's raise, 0 down to 1 overhead
    bool hurt = false;
};

void PaintFrog(Frame& frame, const FrogPose& p)
{
    Cell& c = frame.cell;
    const double y = p.crouch;
    // Hind legs: folded under, or thrown out behind.
    if (p.stretch > 0) {
        c.Line(-6, y + 4, -14 - p.stretch * 4, y + 10, 2.0, FrogShade);
    } else {
        c.Ellipse(-6, y + 8 - y * 0.3, 6, 4, FrogShade);
        c.Line(-10, 14, -2, 14, 1.2, FrogShade);
    }
    c.Ellipse(0, y + 3, 11, 9 - p.crouch * 0.5, p.hurt ? FrogBelly : FrogSkin);
    c.Ellipse(3, y + 6, 6, 4, FrogBelly);
    // The eyes on top of the head, the wide mouth at the front.
    c.Ellipse(2, y - 6, 3.2, 3.2, FrogSkin);
    c.Ellipse(8, y - 5, 3.2, 3.2, FrogSkin);
    if (p.hurt) {
        c.Line(7, y - 7, 10, y - 4, 0.6, Ink);
        c.Line(7, y - 4, 10, y - 7, 0.6, Ink);
    } else {
        c.Ellipse(8.5, y - 5.5, 1.8, 1.8, FrogEye);
        c.Ellipse(9.2, y - 5.5, 0.9, 0.9, Ink);
    }
    c.Line(5, y + 1, 11, y + 1, 0.6, FrogMouth);
    // The front arm, raised to throw; the hand is point 0.
    const double angle = (0.25 - p.arm * 0.6) * 2 * pi; // down, round to up and back
    const double hx = 5 + std::cos(angle) * 9, hy = y + 4 + std::sin(angle) * 9;
    c.Line(5, y + 4, hx, hy, 1.4, FrogShade);
    frame.points = {ManPoint{(i8)std::lround(hx), (i8)std::lround(hy)}};
    frame.hitSets = p.hurt ? std::vector<u16>{0} : std::vector<u16>{0, 1};
}

std::function<void(Frame&, int)> Frog(std::function<FrogPose(int)> pose)
{
    return [=](Frame& frame, int f) { PaintFrog(frame, pose(f)); };
}

std::vector<Rgb> FrogColours(Rgb skin, Rgb shade)
{
    std::vector<Rgb> colours(paletteSize, Rgb{0, 0, 0});
    colours[Ink] = {20, 24, 18};
    colours[FrogSkin] = skin;
    colours[FrogShade] = shade;
    colours[FrogBelly] = {236, 226, 170};
    colours[FrogEye] = {250, 250, 240};
    colours[FrogMouth] = {120, 30, 40};
    return colours;
}

Vep FrogVep(double accel, double maxRun, u8 hp)
{
    Vep vep;
    vep.values = {0.15, accel, 0.15, maxRun, 0.2, 0.2, 0.2, 2.0, 8.0, 4.0, 1.0, 0.21875, 0.21875, 2.0, 3.0};
    vep.hp = hp;
    vep.flags = {1, 1, 0, 1, 0};
    // Take-off frame 1; idle 0, walk 1, jump 2, fall 3, land 4, hurt 6, tumble 5, bounces 7, 8.
    vep.anims = {1, 0, 1, 2, 3, 4, 6, 5, 7, 8};
    vep.rows = {hurtRow, contactRow};
    return vep;
}

bool WriteFroacker(const std::string& dir)
{
    const std::vector<Rgb> purple = FrogColours({150, 80, 200}, {96, 44, 140});
    const std::vector<Rgb> red = FrogColours({214, 64, 52}, {140, 32, 30});
    const std::vector<Rgb> blue = FrogColours({60, 120, 220}, {30, 64, 150});

    std::vector<Anim> anims(18);
    anims[0] = {2, 12, 0, Frog([](int f) { return FrogPose{f * 0.8, 0, 0, false}; })};          // idle
    anims[1] = {4, 6, 0, Frog([](int f) { return FrogPose{(f % 2) * 2.0, f == 2 ? 1.0 : 0.0}; })}; // walk
    anims[2] = {2, 4, 1, Frog([](int f) { return FrogPose{3.0 - f * 3, f * 1.0}; })};          // jump
    anims[3] = {1, 8, 0, Frog([](int) { return FrogPose{0, 2}; })};                             // fall
    anims[4] = {2, 4, 1, Frog([](int f) { return FrogPose{3.0 - f * 2, 0}; })};                 // land
    anims[5] = {2, 4, 0, Frog([](int f) { return FrogPose{f * 1.0, 1, 0, true}; })};            // tumble
    anims[6] = {2, 4, 1, Frog([](int f) { return FrogPose{f * 1.0, 0, 0, true}; })};            // hurt
    anims[7] = {1, 5, 1, Frog([](int) { return FrogPose{3, 0, 0, true}; })};                    // floor bounce
    anims[8] = {1, 5, 1, Frog([](int) { return FrogPose{0, 1, 0, true}; })};                    // wall bounce
    anims[9] = {1, 12, 0, Frog([](int) { return FrogPose{}; })};                                // spare
    anims[10] = {2, 6, 1, Frog([](int f) { return FrogPose{2.0 - f * 2, f * 1.0}; })};         // Chuck's hop
    anims[11] = {2, 10, 0, Frog([](int f) { return FrogPose{f * 0.6, 0, 0.2}; })};             // aim
    // The throw: the arm comes up over frames 0-5 and lets go at frame 6.
    anims[12] = {8, 4, 1, Frog([](int f) { return FrogPose{1, 0, std::min(f, 6) / 6.0}; })};
    anims[13] = {2, 6, 1, Frog([](int f) { return FrogPose{2.0 - f * 2, f * 1.0}; })};         // Larry's hop
    anims[14] = {4, 4, 0, Frog([](int f) { return FrogPose{(f % 2) * 1.5, f % 2 ? 2.0 : 0.5}; })}; // run
    anims[15] = {1, 6, 0, Frog([](int) { return FrogPose{0, 3}; })};                            // leap
    anims[16] = {6, 3, 0, Frog([](int f) { return FrogPose{(f % 3) * 1.0, f % 2 ? 3.0 : 1.0}; })}; // chase
    anims[17] = {2, 8, 0, Frog([](int f) { return FrogPose{1.0 + f, 0}; })};                   // slow down

    const std::string folder = "Data/Sprites/Enemies/Froacker/";
    if (!WriteSet(dir, "Froacker", "Froacker", purple, {"FroackerRed.pal", "FroackerBlue.pal"}, BoxOf(-11, 11, -10, 14),
                  {{BoxOf(-11, 11, -10, 12)}, {BoxOf(-10, 12, -6, 12)}}, anims))
        return false;
    // Palette 1 Chuck's red, 2 Larry's blue (palette 0, the walker's purple, is the sheet's).
    return Put(dir, folder + "FroackerRed.pal", MakeRawPalette(red)) &&
           Put(dir, folder + "FroackerBlue.pal", MakeRawPalette(blue)) &&
           Put(dir, folder + "FroackerPurple.vep", MakeVep(FrogVep(0.06, 0.8, 3))) &&
           Put(dir, folder + "FroackerRed.vep", MakeVep(FrogVep(0.1, 1.5, 3))) &&
           Put(dir, folder + "FroackerBlue.vep", MakeVep(FrogVep(0.12, 2.0, 4))) &&
           Put(dir, folder + "FroackerYellow.vep", MakeVep(FrogVep(0.06, 0.8, 3)));
}

// ---- YardSlayer: a hooded ghost with a scythe-like claw ------------------------------------------------

enum : u8 { GhostSheet = 2, GhostShade, GhostEye, GhostMouth, GhostClaw };

void PaintGhost(Frame& frame, double sway, double mouth, double reach)
{
    Cell& c = frame.cell;
    // The trailing tail, the body and the hood.
    c.Line(-4 + sway, 12, -10 - sway, 20, 3.0, GhostShade);
    c.Ellipse(0, 2, 10, 13, GhostSheet);
    c.Ellipse(-2, -8, 8, 7, GhostShade);
    c.Ellipse(2, -6, 6, 6, GhostSheet);
    c.Ellipse(4, -7, 1.5, 2, GhostEye);
    c.Ellipse(7, -7, 1.5, 2, GhostEye);
    c.Ellipse(5.5, -1, 2.5, 1 + mouth, GhostMouth);
    // The clawed arm: reaching out while it attacks.
    c.Line(2, 4, 10 + reach * 10, 2 - reach * 4, 1.8, GhostSheet);
    c.Line(10 + reach * 10, 2 - reach * 4, 14 + reach * 10, 6 - reach * 2, 1.0, GhostClaw);
    frame.hitSets = reach > 0.4 ? std::vector<u16>{0, 1, 2} : std::vector<u16>{0, 1};
}

bool WriteYardSlayer(const std::string& dir)
{
    std::vector<Rgb> colours(paletteSize, Rgb{0, 0, 0});
    colours[Ink] = {30, 26, 46};
    colours[GhostSheet] = {214, 222, 236};
    colours[GhostShade] = {140, 150, 180};
    colours[GhostEye] = {80, 255, 140};
    colours[GhostMouth] = {40, 20, 50};
    colours[GhostClaw] = {250, 250, 200};
    std::vector<Anim> anims(3);
    anims[0] = {4, 8, 0, [](Frame& f, int n) { PaintGhost(f, n % 2 ? 1.5 : -1.5, 0.5, 0); }};
    anims[1] = {4, 6, 1, [](Frame& f, int n) { PaintGhost(f, 0, 1.0 + (n % 2) * 2.0, 0); }}; // the laugh
    anims[2] = {5, 5, 1, [](Frame& f, int n) { PaintGhost(f, 0, 2.0, n / 4.0); }};           // the attack
    const std::string folder = "Data/Sprites/Enemies/YardSlayer/";
    if (!WriteSet(dir, "YardSlayer", "YardSlayer", colours, {}, BoxOf(-10, 10, -14, 16),
                  {{BoxOf(-9, 9, -12, 14)}, {BoxOf(-8, 8, -10, 12)}, {BoxOf(8, 26, -6, 10)}}, anims))
        return false;
    // Floats without gravity; the library leaves its animations to it.
    Vep vep;
    vep.values = {0.1, 0.1, 0.1, 1.0, 0.05, 0.05, 0.1, 0.6, 4.0, 0.0, 0.0, 0.0, 0.0, 2.0, 3.0};
    vep.hp = 5;
    vep.flags = {0, 1, 0, 0, 0};
    vep.anims = {0, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    vep.rows = {hurtRow, contactRow, VepRow{0x4, 2, 10, 4.0, 1.0, 224}};
    return Put(dir, folder + "YardSlayer.vep", MakeVep(vep));
}

// ---- sounds ------------------------------------------------------------------------------------------

// A tone gliding from one pitch to another, with a wobble, as 8-bit unsigned samples.
std::vector<i16> Glide(double from, double to, double seconds, double wobble)
{
    constexpr u32 rate = 22050;
    const size_t count = (size_t)(seconds * rate);
    std::vector<i16> samples(count);
    double phase = 0;
    for (size_t i = 0; i < count; ++i) {
        const double t = (double)i / (double)count;
        const double pitch = from + (to - from) * t + std::sin(t * 40.0) * wobble;
        phase += pitch / rate;
        const double fade = 1.0 - t;
        samples[i] = (i16)std::lround(128.0 + std::sin(phase * 2 * pi) * 90.0 * fade);
    }
    return samples;
}

bool WriteSounds(const std::string& dir)
{
    struct Sound {
        const char* path;
        std::vector<i16> samples;
    };
    const Sound sounds[] = {
        {"Data/SFX/Enemies/Froacker/FroackerHit.wav", Glide(300, 180, 0.12, 30)},
        {"Data/SFX/Enemies/Froacker/FroackerDeath.wav", Glide(260, 60, 0.4, 40)},
        {"Data/SFX/Enemies/YardSlayer/YardSlayerHit.wav", Glide(700, 400, 0.15, 0)},
        {"Data/SFX/Enemies/YardSlayer/YardSlayerDeath.wav", Glide(600, 90, 0.6, 20)},
        {"Data/SFX/Enemies/YardSlayer/YardSlayerLaugh.wav", Glide(420, 380, 0.5, 120)},
    };
    for (const Sound& sound : sounds)
        if (!Put(dir, sound.path, MakeWav(sound.samples, 22050, 8, 1)))
            return false;
    return true;
}

// ---- placements ----------------------------------------------------------------------------------------

struct Placed {
    f64 x, y;
    u8 variant;   // Froacker's "type"
    f64 range;    // YardSlayer's "roamRange"
};

bool WritePlacements(const std::string& dir, const std::string& stage, const std::vector<Placed>& froackers,
                     const std::vector<Placed>& slayers)
{
    std::vector<PlacedObject> frogs, ghosts;
    for (const Placed& p : froackers) {
        PlacedObject object;
        if (!ToDecimalFloat(p.x, 1, &object.x) || !ToDecimalFloat(p.y, 1, &object.y))
            return false;
        PutPlacementKey(object.keys, 0, p.variant);
        PutPlacementKey(object.keys, 8, 0); // facing left, toward the way in
        frogs.push_back(object);
    }
    for (const Placed& p : slayers) {
        PlacedObject object;
        DecimalFloat range;
        if (!ToDecimalFloat(p.x, 1, &object.x) || !ToDecimalFloat(p.y, 1, &object.y) ||
            !ToDecimalFloat(p.range, 1, &range))
            return false;
        PutPlacementKey(object.keys, 8, 0);
        PutPlacementFloatKey(object.keys, 6, range);
        ghosts.push_back(object);
    }
    const std::string folder = dir + "/Data/Stages/" + stage + "/Objects/";
    if (WritePlacementFile(folder + "Froacker.bin", frogs) && WritePlacementFile(folder + "YardSlayer.bin", ghosts))
        return true;
    fprintf(stderr, "datakit: cannot write the Froacker and YardSlayer placements under %s\n", folder.c_str());
    return false;
}

} // namespace

bool WriteRosterDataB(const std::string& dir)
{
    if (!WriteFroacker(dir) || !WriteYardSlayer(dir) || !WriteSounds(dir))
        return false;
    // Graveyard: behind the start (the runs all go right from x 272): Chuck and Larry wait on the
    // ground at 1408 until whipped; the ghost floats high over them.
    // Village 1: along the far half of the walk, past where the runs that reach it stop.
    // The Bone Zone: the arena floor at 1440 and over it.
    // Test: past the candle, the pit and the beam (see the header).
    return WritePlacements(dir, "Graveyard", {{72, 1390, 1, 0}, {150, 1390, 2, 0}}, {{120, 1300, 0, 48}}) &&
           WritePlacements(dir, "Village", {{1900, 698, 0, 0}, {2300, 660, 1, 0}, {2800, 554, 2, 0}},
                           {{3300, 620, 0, 0}}) &&
           WritePlacements(dir, "BoneZone", {{600, 1422, 0, 0}, {880, 1340, 1, 0}}, {{520, 1330, 0, 96}}) &&
           WritePlacements(dir, "Test",
                           {{testChuckX, testChuckY, 1, 0}, {testWalkerX, testWalkerY, 0, 0},
                            {testLarryX, testLarryY, 2, 0}},
                           {{testYardSlayerX, testYardSlayerY, 0, testYardSlayerRange}});
}

} // namespace datakit
