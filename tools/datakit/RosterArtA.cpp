#include "tools/datakit/RosterArtA.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "tools/datakit/EnemySprites.h"
#include "tools/datakit/PlacementWriter.h"
#include "tools/datakit/Wav.h"

namespace datakit {

namespace {

constexpr u32 soundRate = 22050;

// The library picks no animation for these types: their own Updates choose them.
constexpr std::array<i8, 10> ownAnims{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

// ---- Audrey: a potted snapping plant with a wide red mouth ---------------------------------------------

enum : u8 { Stem = 2, StemDark, Pod, PodDark, Lip, Gullet, Tooth, Pot, PotDark, Seed, SeedGlow };

// The mouth, on the right-facing picture. The shot's point 0 is read on the mirrored frame, so the
// point is written on the other side: mirrored, it lands in the mouth.
constexpr int mouthX = 12, mouthY = -8;

void PaintAudrey(EnemyFrame& info, double open, double lean)
{
    EnemyCanvas& c = info.canvas;
    c.Ellipse({0, 10}, 9, 5, PotDark);
    c.Ellipse({0, 9}, 8, 4, Pot);
    c.Line({0, 6}, {lean * 0.5, -2}, 2.2, StemDark);
    c.Line({-1, 6}, {-7, 0}, 1.5, Stem);
    c.Ellipse({-8, -1}, 4, 2, Stem);
    const Pt head{lean, -8};
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

EnemySet AudreySet()
{
    EnemySet set;
    set.folder = "Audrey";
    set.name = "Audrey";
    set.sheetWidth = 256;
    set.colours = EnemyPalette();
    set.colours[Stem] = {84, 168, 64};
    set.colours[StemDark] = {40, 104, 40};
    set.colours[Pod] = {112, 196, 72};
    set.colours[PodDark] = {56, 128, 48};
    set.colours[Lip] = {208, 40, 64};
    set.colours[Gullet] = {96, 16, 40};
    set.colours[Tooth] = {248, 244, 220};
    set.colours[Pot] = {184, 104, 56};
    set.colours[PotDark] = {120, 64, 36};
    set.body = BoxOf(-10, 10, -14, 14);
    // The pod and pot can be struck; the bite reaches ahead while the attack lunges.
    set.hitSets = {{BoxOf(-10, 10, -16, 14)}, {BoxOf(4, 24, -16, 0)}};
    set.animations.resize(2);
    // 0 idle: one frame of one tick, so the animation has run out on every tick and hits count.
    set.animations[0] = {1, 1, 0, [](EnemyFrame& info, int) {
                             PaintAudrey(info, 0.2, 0.0);
                             info.hitSets = {0};
                         }};
    // 1 the attack: it rears back, lunges and spits on frame 12, then settles; holds its last frame.
    set.animations[1] = {16, 4, 1, [](EnemyFrame& info, int f) {
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
    set.vep.rows = {enemyHurtRow, enemyContactRow};
    return set;
}

// ---- AudreyShot: a glowing green seed ----------------------------------------------------------------

EnemySet AudreyShotSet()
{
    EnemySet set;
    set.folder = "Audrey";
    set.name = "AudreyShot";
    set.sheetWidth = 256;
    set.colours = EnemyPalette();
    set.colours[Seed] = {160, 232, 64};
    set.colours[SeedGlow] = {240, 255, 176};
    set.colours[PodDark] = {56, 128, 48};
    set.body = BoxOf(-5, 5, -5, 5);
    // It can be struck down (it then shrinks away) and it hits what it flies into.
    set.hitSets = {{BoxOf(-5, 5, -5, 5)}, {BoxOf(-4, 4, -4, 4)}};
    set.animations.resize(1);
    set.animations[0] = {2, 3, 0, [](EnemyFrame& info, int f) {
                             EnemyCanvas& c = info.canvas;
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
    set.vep.rows = {enemyHurtRow, VepRow{0x4, 2, 6, 3.0, 1.0, 224}};
    return set;
}

// ---- Draven: a black crow with a yellow beak ----------------------------------------------------------

enum : u8 { Feather = 2, FeatherDark, FeatherSheen, Beak, Eye, Talon };

void PaintCrow(EnemyFrame& info, double wing, bool perched)
{
    EnemyCanvas& c = info.canvas;
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
    const Pt shoulder{0, -2};
    const Pt tip{-4 - std::cos(wing) * 4, -2 - std::sin(wing) * 14};
    if (perched) {
        c.Ellipse({-2, 1}, 6, 3.5, FeatherSheen);
    } else {
        c.Triangle(shoulder, {shoulder.x - 7, shoulder.y}, tip, FeatherSheen);
        c.Line(shoulder, tip, 1.2, FeatherDark);
    }
}

EnemySet DravenSet()
{
    EnemySet set;
    set.folder = "Draven";
    set.name = "Draven";
    set.sheetWidth = 256;
    set.colours = EnemyPalette();
    set.colours[Feather] = {56, 52, 72};
    set.colours[FeatherDark] = {30, 28, 44};
    set.colours[FeatherSheen] = {88, 92, 136};
    set.colours[Beak] = {240, 196, 48};
    set.colours[Eye] = {255, 64, 48};
    set.colours[Talon] = {200, 160, 64};
    set.body = BoxOf(-10, 10, -10, 10);
    // Struck on the body; in flight its talons hit what they meet, on the perch it is harmless.
    set.hitSets = {{BoxOf(-9, 9, -9, 9)}, {BoxOf(-8, 8, -4, 12)}};
    const auto flight = [](EnemyFrame& info, int f) {
        PaintCrow(info, -pi / 2 + f * pi / 5, false);
        info.hitSets = {0, 1};
    };
    set.animations.resize(3);
    set.animations[0] = {2, 30, 0, [](EnemyFrame& info, int f) {
                             PaintCrow(info, 0, true);
                             if (f)
                                 info.canvas.Disc({7, -6}, 1.2, FeatherDark); // a blink
                             info.hitSets = {0};
                         }};
    // 1 hover and 2 return: six wing beats at speed 30 (the dive sets its own speed); the flap is
    // heard on frame 4.
    set.animations[1] = {6, 4, 0, flight, true, 30};
    set.animations[2] = {6, 4, 0, flight, true, 30};
    // It flies head first: the dive and the climb home turn it to where it flies (the hover turns it
    // to the player itself).
    set.vep.values = {0.2, 0.1, 0.15, 1.0, 0.05, 0.05, 0.05, 1.5, 2.5, 4.0, 1.0, 0.0, 0.1, 2.0, 2.0};
    set.vep.hp = 5;
    set.vep.flags = {1, 0, 0, 0, 1};
    set.vep.anims = ownAnims;
    set.vep.rows = {enemyHurtRow, enemyContactRow};
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
        return (1.0 - noise) * std::sin(2.0 * pi * phase) + noise * n;
    };
}

bool WriteSounds(const std::string& dir)
{
    const std::string audrey = "Data/SFX/Enemies/Audrey/", draven = "Data/SFX/Enemies/Draven/";
    return PutFile(dir, audrey + "AudreyHit.wav", Sound(0.15, Glide(0.15, 300, 180, 0.3))) &&
           PutFile(dir, audrey + "AudreyDeath.wav", Sound(0.5, Glide(0.5, 260, 60, 0.2))) &&
           PutFile(dir, audrey + "AudreyShot.wav", Sound(0.12, Glide(0.12, 900, 400, 0.4))) &&
           PutFile(dir, draven + "DravenHit.wav", Sound(0.12, Glide(0.12, 700, 500, 0.5))) &&
           PutFile(dir, draven + "DravenDeath.wav", Sound(0.45, Glide(0.45, 600, 150, 0.4))) &&
           PutFile(dir, draven + "DravenCaw.wav", Sound(0.35, Glide(0.35, 520, 380, 0.6))) &&
           PutFile(dir, draven + "DravenFlap.wav", Sound(0.08, Glide(0.08, 120, 80, 0.8)));
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
    for (const EnemySet& set : {AudreySet(), AudreyShotSet(), DravenSet()})
        if (!WriteEnemySet(dir, set))
            return false;
    if (!WriteSounds(dir))
        return false;
    // The Bone Zone: Audrey on the flat past the right ramp, Draven over the middle plank.
    // Village 1: Audrey on the second plank (top 664), facing back; Draven high over the first plank.
    return WritePlacements(dir, "Graveyard", "Audrey", {AudreyAt(graveyardAudreyX, graveyardAudreyFeetY, true)}) &&
           WritePlacements(dir, "Graveyard", "Draven", {{graveyardDravenX, graveyardDravenY, false}}) &&
           WritePlacements(dir, "Village", "Audrey", {AudreyAt(2064, 664, false)}) &&
           WritePlacements(dir, "Village", "Draven", {{villageDravenX, villageDravenY, false}}) &&
           WritePlacements(dir, "BoneZone", "Audrey", {AudreyAt(968, 1312, false)}) &&
           WritePlacements(dir, "BoneZone", "Draven", {{boneZoneDravenX, boneZoneDravenY, false}}) &&
           WritePlacements(dir, "Test", "Audrey", {AudreyAt(testAudreyX, testAudreyFeetY, true)}) &&
           WritePlacements(dir, "Test", "Draven", {{testDravenX, testDravenY, true}});
}

} // namespace datakit
