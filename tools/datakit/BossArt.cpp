#include "tools/datakit/BossArt.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "tools/datakit/Bytes.h"
#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/Ogg.h"
#include "tools/datakit/PlacementWriter.h"
#include "tools/datakit/TgaWriter.h"
#include "tools/datakit/VepWriter.h"
#include "tools/datakit/SpriteCanvas.h"
#include "tools/datakit/Wav.h"

namespace datakit {

namespace {

constexpr double pi = 3.14159265358979323846;

// 8-bit unsigned samples around 128 of a wave in -1..1.
std::vector<i16> Synth8(size_t count, double amplitude, const std::function<double(size_t)>& wave)
{
    std::vector<i16> out(count);
    for (size_t i = 0; i < count; ++i)
        out[i] = (i16)std::clamp(128.0 + 127.0 * amplitude * wave(i), 0.0, 255.0);
    return out;
}

enum : u8 { Clear = 0, Ink = 1, Hay, HayDark, HayLight, Crown, CrownDark, Eye, Dust, DustDark, Marker, paletteSize = 72 };

constexpr int cellWidth = 200, cellHeight = 200, cellLeft = -100, cellTop = -170;
constexpr u32 soundRate = 22050;

struct Cell {
    std::vector<u8> pixels = std::vector<u8>((size_t)cellWidth * cellHeight, Clear);
    void Put(int x, int y, u8 c)
    {
        const int cx = x - cellLeft, cy = y - cellTop;
        if (cx >= 0 && cy >= 0 && cx < cellWidth && cy < cellHeight)
            pixels[(size_t)cy * cellWidth + cx] = c;
    }
    void Rect(int l, int t, int r, int b, u8 c)
    {
        for (int y = t; y <= b; ++y)
            for (int x = l; x <= r; ++x)
                Put(x, y, c);
    }
    void Ellipse(double cx, double cy, double rx, double ry, u8 c)
    {
        for (int y = (int)(cy - ry); y <= (int)(cy + ry); ++y)
            for (int x = (int)(cx - rx); x <= (int)(cx + rx); ++x) {
                const double dx = (x - cx) / rx, dy = (y - cy) / ry;
                if (dx * dx + dy * dy <= 1.0)
                    Put(x, y, c);
            }
    }
};

// A bale of hay: a block with straw bands, `s` its half size.
void PaintBale(Cell& c, int cx, int cy, int s, int frame)
{
    c.Rect(cx - s, cy - s, cx + s, cy + s, Hay);
    for (int band = -s + 2 + frame % 3; band < s; band += 6)
        c.Rect(cx - s, cy + band, cx + s, cy + band, HayDark);
    c.Rect(cx - s, cy - s, cx + s, cy - s + 1, HayLight);
}

// The king: a great bale body on stubby legs, a crowned hay head; `squash` flattens it, `arm`
// raises the arms (0 down to 1 overhead).
void PaintKing(Cell& c, double squash, double arm, int frame)
{
    const int h = (int)(96 * (1.0 - squash * 0.25));
    const int top = kingFeet - 10 - h;
    c.Rect(-30, kingFeet - 10, -14, kingFeet, HayDark);
    c.Rect(14, kingFeet - 10, 30, kingFeet, HayDark);
    c.Rect(-40, top, 40, kingFeet - 10, Hay);
    for (int band = top + 6 + frame % 2; band < kingFeet - 12; band += 10)
        c.Rect(-40, band, 40, band + 1, HayDark);
    c.Ellipse(8, top + 20, 7, 6, Clear);
    c.Ellipse(10, top + 20, 3, 3, Eye);
    c.Ellipse(24, top + 20, 3, 3, Eye);
    // The crown.
    c.Rect(-20, top - 14, 20, top - 2, Crown);
    for (int spike = -20; spike <= 20; spike += 10)
        c.Rect(spike - 2, top - 22, spike + 2, top - 14, CrownDark);
    // The arms.
    const int armY = (int)(top + 40 - arm * 50);
    c.Rect(-54, armY, -40, armY + 10, HayLight);
    c.Rect(40, armY, 54, armY + 10, HayLight);
}

void PaintDust(Cell& c, int frame)
{
    const double grow = 1.0 + frame * 0.35;
    c.Ellipse(-10, -14 * grow, 14 * grow, 12 * grow, frame > 3 ? DustDark : Dust);
    c.Ellipse(12, -10 * grow, 10 * grow, 9 * grow, Dust);
}

// The frame of the jump at which the enemy library takes the body off the ground.
constexpr i8 kingTakeoffFrame = 6;

struct AnimPlan {
    int frames;
    u16 ticks;
    i8 playMode; // 0 loops, 1 holds
    int kind;    // 0 body, 1 overlay, 2 dust, 3 bale, 4 marker
};

// By animation number: 0 idle, 1 jump (leaves at 7), 2 first pose, 3 spare, 4 slam (impact at 8),
// 5/7/9 overlays, 6 catch, 8 throw of the caught bale, 10 bale throw (out at 4, flies at 5),
// 11 turn (flips at 3), 12 dust, 13 falling bale, 14 thrown bale, 15 the arena marker.
const AnimPlan plans[16] = {
    {4, 4, 1, 0}, {8, 3, 1, 0}, {1, 6, 0, 0}, {1, 6, 0, 0}, {10, 4, 1, 0}, {10, 4, 1, 1}, {6, 4, 1, 0},
    {6, 4, 1, 1}, {8, 4, 1, 0}, {8, 4, 1, 1}, {8, 8, 1, 0}, {5, 3, 1, 0}, {6, 4, 1, 2}, {4, 4, 0, 3},
    {4, 3, 0, 3}, {1, 6, 0, 4},
};

// Frames go left to right in shelves on the sheet, each cropped to its pixels and rimmed in ink.
struct Shelf {
    int x = 0, y = 0, height = 0;
};

ManFrame Pack(TgaImage& sheet, Shelf& shelf, Cell& c)
{
    std::vector<u8> rimmed = c.pixels;
    for (int y = 0; y < cellHeight; ++y)
        for (int x = 0; x < cellWidth; ++x) {
            if (c.pixels[(size_t)y * cellWidth + x] != Clear)
                continue;
            bool beside = false;
            for (int d = 0; d < 4 && !beside; ++d) {
                const int nx = x + (d == 0) - (d == 1), ny = y + (d == 2) - (d == 3);
                if (nx >= 0 && ny >= 0 && nx < cellWidth && ny < cellHeight) {
                    const u8 n = c.pixels[(size_t)ny * cellWidth + nx];
                    beside = n != Clear && n != Ink;
                }
            }
            if (beside)
                rimmed[(size_t)y * cellWidth + x] = Ink;
        }
    int left = cellWidth, right = -1, top = cellHeight, bottom = -1;
    for (int y = 0; y < cellHeight; ++y)
        for (int x = 0; x < cellWidth; ++x)
            if (rimmed[(size_t)y * cellWidth + x] != Clear) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0)
        left = right = top = bottom = 0;
    const int width = right - left + 1, height = bottom - top + 1;
    if (shelf.x + width > (int)sheet.width) {
        shelf.x = 0;
        shelf.y += shelf.height;
        shelf.height = 0;
    }
    const size_t rows = (size_t)(shelf.y + std::max(shelf.height, height));
    if (sheet.pixels.size() < rows * sheet.width)
        sheet.pixels.resize(rows * sheet.width, Clear);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            sheet.pixels[(size_t)(shelf.y + y) * sheet.width + shelf.x + x] =
                rimmed[(size_t)(top + y) * cellWidth + left + x];
    ManFrame frame;
    frame.srcX = (u16)shelf.x;
    frame.srcY = (u16)shelf.y;
    frame.width = (u8)width;
    frame.height = (u8)height;
    frame.offsetX = (i8)(left + cellLeft);
    frame.offsetY = (i8)(top + cellTop);
    shelf.x += width;
    shelf.height = std::max(shelf.height, height);
    return frame;
}

bool WriteSprites(const std::string& dir)
{
    const std::string folder = "Data/Sprites/Bosses/HaystackKing/";
    Manifest manifest;
    // The body's box, as wide as the drawn arms with their rim: the arena's bounds, which stop the
    // box, then keep the whole body on the screen. The bales' box: their position is their bottom,
    // so they rest on the floor.
    manifest.boxes = {BoxOf(-55, 55, kingFeet - 120, kingFeet), BoxOf(-24, 24, -48, 0)};
    // 0 the body's hurt box, 1 its contact attack, 2 the dust's and bales' touch.
    manifest.hitSets = {{BoxOf(-38, 38, kingFeet - 116, kingFeet)},
                        {BoxOf(-34, 34, kingFeet - 110, kingFeet - 2)},
                        {BoxOf(-30, 30, -60, 0)}};
    TgaImage sheet;
    sheet.width = 1024;
    sheet.colours.assign(paletteSize, Rgb{0, 0, 0});
    sheet.colours[Ink] = {30, 20, 10};
    sheet.colours[Hay] = {222, 184, 74};
    sheet.colours[HayDark] = {160, 120, 40};
    sheet.colours[HayLight] = {250, 226, 130};
    sheet.colours[Crown] = {250, 200, 30};
    sheet.colours[CrownDark] = {190, 120, 10};
    sheet.colours[Eye] = {200, 30, 20};
    sheet.colours[Dust] = {200, 186, 150};
    sheet.colours[DustDark] = {150, 136, 110};
    sheet.colours[Marker] = {255, 0, 255};
    sheet.colours[64] = {160, 160, 160};
    sheet.colours[65] = {0, 255, 0};
    sheet.colours[66] = {255, 40, 40};
    sheet.colours[67] = {255, 255, 0};
    sheet.colours[69] = {255, 0, 255};
    Shelf packer;

    for (int a = 0; a < 16; ++a) {
        const AnimPlan& plan = plans[a];
        ManAnimation animation;
        animation.speed = 256;
        animation.playMode = plan.playMode;
        for (int f = 0; f < plan.frames; ++f) {
            Cell c;
            std::vector<u16> hits;
            std::vector<ManPoint> points;
            u16 box = 0;
            const double t = plan.frames > 1 ? (double)f / (plan.frames - 1) : 0.0;
            switch (plan.kind) {
            case 0: {
                double squash = 0.0, arm = 0.0;
                if (a == 1)
                    squash = f < 7 ? t : 0.0;
                else if (a == 4)
                    arm = f < 8 ? t : 0.0, squash = f >= 8 ? 0.4 : 0.0;
                else if (a == 6 || a == 8)
                    arm = a == 6 ? 1.0 : 1.0 - t;
                else if (a == 10)
                    arm = f < 5 ? 0.6 + t * 0.4 : 0.2;
                PaintKing(c, squash, arm, f);
                hits = {0, 1};
                // Point 0: over the head where a bale is caught; ahead of the chest for the throw.
                points = {a == 10 ? ManPoint{-40, (i8)(kingFeet - 60)} : ManPoint{0, (i8)(kingFeet - 130)}};
                break;
            }
            case 1:
                c.Rect(-12, kingFeet - 90 + f, 12, kingFeet - 80 + f, HayLight);
                break;
            case 2:
                PaintDust(c, f);
                hits = {2};
                break;
            case 3:
                PaintBale(c, 0, -24, 24, f);
                hits = {2};
                box = 1;
                break;
            default:
                c.Rect(-8, -8, 8, 8, Marker);
                break;
            }
            ManFrame frame = Pack(sheet, packer, c);
            frame.duration = (u16)(plan.ticks * 256);
            // The jump's last crouch lasts one tick: the library lifts the body off the ground as
            // that frame is seen (the take-off frame below) and the boss's own take-off comes as the
            // next frame is entered, so both fall on the same tick and the flight starts from the
            // ground with the boss's speeds.
            if (a == 1 && f == kingTakeoffFrame)
                frame.duration = 256;
            frame.boxIndex = box;
            frame.points = points;
            for (u16 hit : hits)
                frame.hits.push_back({hit, 0, 0});
            animation.frames.push_back(frame);
        }
        manifest.animations.push_back(animation);
    }
    sheet.height = (u16)(sheet.pixels.size() / sheet.width);
    manifest.sheets = {{"HaystackKing.tga", true, (u8)paletteSize}};

    Vep vep;
    // Jumps are set by the boss itself: no air drag, a fall of 0.25 a tick, a quick stop on landing.
    vep.values = {1.0, 0.2, 0.5, 2.0, 0.0, 0.0, 0.0, 20.0, 10.0, 6.0, 1.0, 0.25, 0.25, 2.0, 2.0};
    vep.hp = 60;
    vep.flags = {0, 0, 1, 0, 0};
    vep.anims = {kingTakeoffFrame, 0, -1, 1, -1, -1, -1, -1, -1, -1};
    vep.rows = {VepRow{0, 0, 0, 0.0, 0.0, 0}, VepRow{0x4, 2, 8, 3.0, 1.0, 224}, VepRow{0x4, 2, 6, 2.5, 1.0, 216}};
    return PutFile(dir, folder + "HaystackKing.tga", MakeTga(sheet)) &&
           PutFile(dir, folder + "HaystackKing.man", MakeManifest(manifest)) &&
           PutFile(dir, folder + "HaystackKing.vep", MakeVep(vep));
}

// A falling or rising tone with a noisy edge, `seconds` long.
std::vector<i16> Tone(double seconds, double from, double to, double noise)
{
    const size_t count = (size_t)(seconds * soundRate);
    u32 seed = 12345;
    return Synth8(count, 0.6, [&](size_t i) {
        const double t = (double)i / (double)count;
        const double f = from + (to - from) * t;
        seed = seed * 1103515245u + 12345u;
        const double n = ((seed >> 16) & 0x7FFF) / 16384.0 - 1.0;
        return ((1.0 - noise) * std::sin(2.0 * pi * f * (double)i / soundRate) + noise * n) * (1.0 - t);
    });
}

bool WriteSounds(const std::string& dir)
{
    struct Named {
        const char* name;
        std::vector<i16> samples;
    };
    const Named sounds[] = {
        {"HSKHit", Tone(0.15, 400, 200, 0.4)},      {"HSKDeath", Tone(0.9, 300, 60, 0.5)},
        {"HSKJump", Tone(0.2, 200, 500, 0.1)},      {"HSKLand", Tone(0.3, 90, 40, 0.7)},
        {"HSKHayCatch", Tone(0.15, 300, 300, 0.6)}, {"HSKHayRoll", Tone(0.4, 120, 80, 0.8)},
        {"HSKCharge", Tone(0.8, 150, 700, 0.2)},    {"HSKHaydouken", Tone(0.5, 700, 200, 0.3)},
    };
    for (const Named& sound : sounds)
        if (!PutFile(dir, std::string("Data/SFX/Bosses/HaystackKing/") + sound.name + ".wav",
                     MakeWav(sound.samples, soundRate, 8, 1)))
            return false;
    // The boss music: a short looping bass line.
    const int notes[] = {45, 45, 48, 45, 52, 50, 48, 47};
    std::vector<i16> music;
    for (int note : notes) {
        const double f = 440.0 * std::pow(2.0, (note - 69) / 12.0);
        for (int i = 0; i < 44100 / 4; ++i)
            music.push_back((i16)(6000.0 * std::sin(2.0 * pi * f * i / 44100.0) * (1.0 - i / 11025.0 * 0.5)));
    }
    std::vector<u8> ogg;
    if (!MakeOgg(music, 1, 44100, &ogg, -0.1f)) {
        fprintf(stderr, "datakit: cannot encode Data/Music/Boss.ogg\n");
        return false;
    }
    return PutFile(dir, "Data/Music/Boss.ogg", ogg);
}

// Village 1's one controller, at the far end of the road.
bool WriteVillageArena(const std::string& dir)
{
    PlacedObject controller;
    if (!ToDecimalFloat(villageArenaX, 1, &controller.x) || !ToDecimalFloat(villageArenaY, 1, &controller.y))
        return false;
    const std::string path = dir + "/Data/Stages/Village/Objects/HaystackKing.bin";
    if (WritePlacementFile(path, {controller}))
        return true;
    fprintf(stderr, "datakit: cannot write %s\n", path.c_str());
    return false;
}

} // namespace

bool WriteBossData(const std::string& dir)
{
    return WriteSprites(dir) && WriteSounds(dir) && WriteVillageArena(dir);
}

} // namespace datakit
