#include "tools/datakit/BossArt.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
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

enum : u8 {
    Clear = 0,
    Ink = 1,
    Hay,
    HayDark,
    HayLight,
    Crown,
    CrownDark,
    Eye,
    Dust,
    DustDark,
    Marker,
    Glove,
    paletteSize = 72
};

// Cells reach from well over the crown (hands raised over it) to below the feet.
constexpr int cellWidth = 200, cellHeight = 200, cellLeft = -100, cellTop = -120;
constexpr u32 soundRate = 22050;

// A cell painted in the body's own coordinates: (0, 0) is the object's position.
struct Cell {
    PixelCanvas canvas{cellWidth, cellHeight};
    void Put(int x, int y, u8 c) { canvas.Set(x - cellLeft, y - cellTop, c); }
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
    void Disc(double cx, double cy, double r, u8 c) { canvas.Disc(cx - cellLeft, cy - cellTop, r, c); }
};

// A bale of hay: a block with straw bands, `s` its half size.
void PaintBale(Cell& c, int cx, int cy, int s, int frame)
{
    c.Rect(cx - s, cy - s, cx + s, cy + s, Hay);
    for (int band = -s + 2 + frame % 3; band < s; band += 6)
        c.Rect(cx - s, cy + band, cx + s, cy + band, HayDark);
    c.Rect(cx - s, cy - s, cx + s, cy - s + 1, HayLight);
}

// The king: a great bale body on stubby legs under a crown, its face on the right (the art faces
// right and is mirrored for flipX), with two straw arms in white gloves.
struct Hand {
    double x, y;
};
struct KingPose {
    double squash = 0.0; // 0 standing, 1 the deepest crouch
    int look = 0;        // the eyes moved toward the back, as the body turns
    Hand back{}, front{};
    bool frontArm = true; // false where the arm layer drawn over the body carries it
};

int KingTop(double squash)
{
    return kingFeet - 10 - (int)(96 * (1.0 - squash * 0.25));
}

Hand Shoulder(double squash, bool front)
{
    return {front ? 38.0 : -38.0, KingTop(squash) + 36.0};
}

// An arm from its shoulder to its hand, rimmed in ink so it reads over the body too.
void PaintArm(Cell& c, Hand shoulder, Hand hand)
{
    const double length = std::hypot(hand.x - shoulder.x, hand.y - shoulder.y);
    const int steps = std::max(1, (int)length);
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i <= steps; ++i) {
            const double t = (double)i / steps;
            c.Disc(shoulder.x + (hand.x - shoulder.x) * t, shoulder.y + (hand.y - shoulder.y) * t, pass ? 4.0 : 5.2,
                   pass ? HayLight : Ink);
        }
    c.Disc(hand.x, hand.y, 5.6, Ink);
    c.Disc(hand.x, hand.y, 4.6, Glove);
}

void PaintKing(Cell& c, const KingPose& pose, int frame)
{
    const int top = KingTop(pose.squash);
    // The far arm passes behind the body: only what reaches past it shows.
    PaintArm(c, Shoulder(pose.squash, false), pose.back);
    c.Rect(-30, kingFeet - 10, -14, kingFeet, HayDark);
    c.Rect(14, kingFeet - 10, 30, kingFeet, HayDark);
    c.Rect(-40, top, 40, kingFeet - 10, Hay);
    for (int band = top + 6 + frame % 2; band < kingFeet - 12; band += 10)
        c.Rect(-40, band, 40, band + 1, HayDark);
    // The face: frowning brows, red eyes looking ahead, a straight mouth.
    const int eyeY = top + 20;
    for (int eye : {12 - pose.look, 28 - pose.look}) {
        for (int i = 0; i < 8; ++i)
            c.Rect(eye - 4 + i, eyeY - 9 + i / 3, eye - 4 + i, eyeY - 8 + i / 3, Ink);
        c.Disc(eye, eyeY, 3.6, Eye);
        c.Rect(eye + 1, eyeY - 1, eye + 2, eyeY + 1, Ink);
    }
    c.Rect(10 - pose.look, eyeY + 13, 30 - pose.look, eyeY + 14, Ink);
    // The crown.
    c.Rect(-20, top - 14, 20, top - 2, Crown);
    for (int spike = -20; spike <= 20; spike += 10)
        c.Rect(spike - 2, top - 22, spike + 2, top - 14, CrownDark);
    if (pose.frontArm)
        PaintArm(c, Shoulder(pose.squash, true), pose.front);
}

// The arm layers the boss draws over the body during the slam, the catch and the throw of the
// caught bale, and where it draws them for a body facing right (the code's offsets).
struct Layer {
    int anim, bodyAnim, dx, dy;
};
constexpr Layer armLayers[] = {{5, 4, -24, 0}, {7, 6, -26, -6}, {9, 8, 0, -6}};

const Layer* LayerOver(int bodyAnim)
{
    for (const Layer& layer : armLayers)
        if (layer.bodyAnim == bodyAnim)
            return &layer;
    return nullptr;
}

// Where the caught bale sits (its bottom's centre) in each frame of the catch and of the throw
// that follows: caught ahead over the crown, dipping with the weight, drawn back and heaved.
constexpr Hand catchBale[6] = {{32, -80}, {32, -76}, {30, -80}, {26, -86}, {22, -88}, {22, -88}};
constexpr Hand heaveBale[4] = {{22, -88}, {14, -86}, {8, -84}, {16, -90}};
// The hurled bale appears between the hands thrust ahead at the chest.
constexpr Hand hurledBale = {50, kingFeet - 60};

Hand Lerp(Hand a, Hand b, double t)
{
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

// The gloves under a held bale's corners.
KingPose Holding(Hand bale)
{
    KingPose pose;
    pose.back = {bale.x - 18, bale.y + 1};
    pose.front = {bale.x + 16, bale.y + 1};
    return pose;
}

// The pose of frame f of a body animation, and its point 0 (where the code puts a bale).
KingPose PoseOf(int anim, int f, int frames, ManPoint* point)
{
    const double t = frames > 1 ? (double)f / (frames - 1) : 0.0;
    KingPose pose;
    const auto hanging = [&](double squash, double sway) {
        const int top = KingTop(squash);
        pose.squash = squash;
        pose.back = {-48, top + 58 + sway};
        pose.front = {48, top + 58 + sway};
    };
    hanging(0.0, f % 4 == 2 ? 2 : f % 2);
    // Over the crown where no bale is held. The boss sets a caught bale's bottom 10 px over the
    // point, a bale held for the throw 4 px over it taken mirrored and 32 px further back, and a
    // hurled bale at it taken mirrored: the points below are worked out from where the bale is.
    *point = {0, (i8)(kingFeet - 132)};
    switch (anim) {
    case 1: // the jump: a crouch, then arms out in the flight
        if (f < 7) {
            hanging(t, 0);
        } else {
            pose.back = {-50, KingTop(0) + 4.0};
            pose.front = {50, KingTop(0) + 4.0};
        }
        break;
    case 4: { // the slam: arms raised over the crown, fists to the ground ahead, then up to catch
        const double top = KingTop(0);
        if (f < 8) {
            const double u = f / 7.0;
            const Hand side{49, top + 58}, up{50, top - 18}, over{16, top - 36};
            const Hand front = u < 0.6 ? Lerp(side, up, u / 0.6) : Lerp(up, over, (u - 0.6) / 0.4);
            pose.front = front;
            pose.back = {-front.x, front.y};
        } else if (f == 8) {
            pose.squash = 0.4;
            pose.front = {50, kingFeet - 5};
            pose.back = {38, kingFeet - 5};
        } else {
            pose = Holding(catchBale[0]);
            *point = {(i8)catchBale[0].x, (i8)(catchBale[0].y + 10)};
        }
        break;
    }
    case 6:
        pose = Holding(catchBale[f]);
        *point = {(i8)catchBale[f].x, (i8)(catchBale[f].y + 10)};
        break;
    case 8: {
        const Hand bale = heaveBale[std::min(f, 3)];
        *point = {(i8)(-bale.x - 32), (i8)(bale.y + 4)};
        if (f < 4) {
            pose = Holding(bale);
        } else {
            // Let go: the arms follow through ahead and down.
            const double u = (f - 4) / 3.0;
            pose.front = Lerp({46, -70}, {48, 0}, u);
            pose.back = Lerp({30, -70}, {36, 0}, u);
        }
        break;
    }
    case 10: // the bale throw: hands drawn back to the hip, thrust ahead, held out
        *point = {(i8)-hurledBale.x, (i8)hurledBale.y};
        if (f < 4) {
            pose.front = Lerp({10, 10}, {-16, 6}, f / 3.0);
            pose.back = {-46, 8};
        } else {
            // Palms behind the bale as it appears, then held out after it.
            const double reach = f == 4 ? 0.0 : 6.0;
            pose.front = {hurledBale.x - 14 + reach, hurledBale.y - 8};
            pose.back = {hurledBale.x - 14 + reach, hurledBale.y + 2};
        }
        break;
    case 11: { // the turn: the face swings round to the middle, the body flips, and back
        const int looks[5] = {0, 9, 18, 9, 0};
        pose.look = looks[std::min(f, 4)];
        break;
    }
    default:
        break;
    }
    return pose;
}

// A puff on the floor, swelling a little as it goes: the boss scales the landing's puffs by its fall
// (up to about 1.5), so they stay under its face.
void PaintDust(Cell& c, int frame)
{
    const double grow = 1.0 + frame * 0.15;
    c.Ellipse(-10, -14 * grow, 14 * grow, 12 * grow, frame > 3 ? DustDark : Dust);
    c.Ellipse(12, -10 * grow, 10 * grow, 9 * grow, Dust);
}

// The frame of the jump at which the enemy library takes the body off the ground.
constexpr i8 kingTakeoffFrame = 6;

struct AnimPlan {
    int frames;
    u16 ticks;
    i8 playMode; // 0 loops, 1 holds
    int kind;    // 0 body, 1 arm layer, 2 dust, 3 bale, 4 marker
};

// By animation number: 0 idle, 1 jump (leaves at 7), 2 first pose, 3 spare, 4 slam (impact at 8),
// 5/7/9 arm layers, 6 catch, 8 throw of the caught bale, 10 bale throw (out at 4, flies at 5),
// 11 turn (flips at 3), 12 dust, 13 falling bale, 14 thrown bale, 15 the arena marker.
const AnimPlan plans[16] = {
    {4, 4, 1, 0}, {8, 3, 1, 0}, {1, 6, 0, 0}, {1, 6, 0, 0}, {10, 4, 1, 0}, {10, 4, 1, 1}, {6, 4, 1, 0},
    {6, 4, 1, 1}, {8, 4, 1, 0}, {8, 4, 1, 1}, {8, 8, 1, 0}, {5, 3, 1, 0}, {6, 4, 1, 2}, {4, 4, 0, 3},
    {4, 3, 0, 3}, {1, 6, 0, 4},
};

bool WriteSprites(const std::string& dir)
{
    const std::string folder = "Data/Sprites/Bosses/HaystackKing/";
    Manifest manifest;
    // The body's box, as wide as the drawn arms with their rim: the arena's bounds, which stop the
    // box, then keep the whole body on the screen. The bales' and the dust's box: their position is
    // their bottom, so they rest on the floor.
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
    sheet.colours[Glove] = {244, 244, 236};
    SetDebugBoxColours(sheet.colours);
    ShelfPacker packer(sheet);

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
            switch (plan.kind) {
            case 0: {
                ManPoint point;
                KingPose pose = PoseOf(a, f, plan.frames, &point);
                // Where an arm layer is drawn over the body, the near arm is on that layer.
                pose.frontArm = !LayerOver(a);
                PaintKing(c, pose, f);
                hits = {0, 1};
                points = {point};
                break;
            }
            case 1: {
                const Layer& layer = *std::find_if(std::begin(armLayers), std::end(armLayers),
                                                   [&](const Layer& l) { return l.anim == a; });
                ManPoint point;
                const KingPose pose = PoseOf(layer.bodyAnim, f, plans[layer.bodyAnim].frames, &point);
                const Hand shoulder = Shoulder(pose.squash, true);
                PaintArm(c, {shoulder.x - layer.dx, shoulder.y - layer.dy},
                         {pose.front.x - layer.dx, pose.front.y - layer.dy});
                break;
            }
            case 2:
                PaintDust(c, f);
                hits = {2};
                box = 1; // sits on the floor it is raised from
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
            OutlineShapes(c.canvas.pixels, cellWidth, cellHeight, Ink);
            ManFrame frame = packer.Add(Crop(c.canvas.pixels, cellLeft, cellTop, cellWidth, cellHeight));
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
    packer.Finish();
    manifest.sheets = {{"HaystackKing.tga", true, (u8)paletteSize}};

    Vep vep;
    // Jumps are set by the boss itself: no air drag, a fall of 0.25 a tick, a quick stop on landing.
    vep.values = {1.0, 0.2, 0.5, 2.0, 0.0, 0.0, 0.0, 20.0, 10.0, 6.0, 1.0, 0.25, 0.25, 2.0, 2.0};
    vep.hp = 60;
    // No flag turns the picture: the art faces right and is mirrored by flipX alone, as the boss's
    // glow and arm layers are, so the face, the glow and the arms agree.
    vep.flags = {0, 0, 0, 0, 0};
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
    return Synth8(count, 0.6 * 127.0, [&](size_t i) {
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
