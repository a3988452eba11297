#include "tools/datakit/RosterArtB.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "tools/datakit/EnemySprites.h"
#include "tools/datakit/PlacementWriter.h"
#include "tools/datakit/Wav.h"

namespace datakit {

namespace {

// These sets keep 32 colours: no debug outline colours.
constexpr size_t paletteSize = 32;

// ---- Froacker: a squat frog on bent legs; the variants differ in colour only ---------------------------

enum : u8 { FrogSkin = 2, FrogShade, FrogBelly, FrogEye, FrogMouth };

struct FrogPose {
    double crouch = 0; // the body sunk toward the feet
    double stretch = 0; // legs out behind, as in a leap
    double arm = 0;     // the throwing arm's raise, 0 down to 1 overhead
    bool hurt = false;
};

void PaintFrog(EnemyFrame& frame, const FrogPose& p)
{
    EnemyCanvas& c = frame.canvas;
    const double y = p.crouch;
    // Hind legs: folded under, or thrown out behind.
    if (p.stretch > 0) {
        c.Line({-6, y + 4}, {-14 - p.stretch * 4, y + 10}, 2.0, FrogShade);
    } else {
        c.Ellipse({-6, y + 8 - y * 0.3}, 6, 4, FrogShade);
        c.Line({-10, 14}, {-2, 14}, 1.2, FrogShade);
    }
    c.Ellipse({0, y + 3}, 11, 9 - p.crouch * 0.5, p.hurt ? FrogBelly : FrogSkin);
    c.Ellipse({3, y + 6}, 6, 4, FrogBelly);
    // The eyes on top of the head, the wide mouth at the front.
    c.Ellipse({2, y - 6}, 3.2, 3.2, FrogSkin);
    c.Ellipse({8, y - 5}, 3.2, 3.2, FrogSkin);
    if (p.hurt) {
        c.Line({7, y - 7}, {10, y - 4}, 0.6, EnemyInk);
        c.Line({7, y - 4}, {10, y - 7}, 0.6, EnemyInk);
    } else {
        c.Ellipse({8.5, y - 5.5}, 1.8, 1.8, FrogEye);
        c.Ellipse({9.2, y - 5.5}, 0.9, 0.9, EnemyInk);
    }
    c.Line({5, y + 1}, {11, y + 1}, 0.6, FrogMouth);
    // The front arm, swung to throw; the hand is point 0. A lob: from down at the feet forward and
    // up, letting go over the head, where the throw's aim (taken from the body's x) starts it.
    const double angle = (0.25 - p.arm * 0.55) * 2 * pi;
    const double hx = 5 + std::cos(angle) * 9, hy = y + 4 + std::sin(angle) * 9;
    c.Line({5, y + 4}, {hx, hy}, 1.4, FrogShade);
    frame.points = {ManPoint{(i8)std::lround(hx), (i8)std::lround(hy)}};
    frame.hitSets = p.hurt ? std::vector<u16>{0} : std::vector<u16>{0, 1};
}

EnemyPainter Frog(std::function<FrogPose(int)> pose)
{
    return [=](EnemyFrame& frame, int f) { PaintFrog(frame, pose(f)); };
}

std::vector<Rgb> FrogColours(Rgb skin, Rgb shade)
{
    std::vector<Rgb> colours(paletteSize, Rgb{0, 0, 0});
    colours[EnemyInk] = {20, 24, 18};
    colours[FrogSkin] = skin;
    colours[FrogShade] = shade;
    colours[FrogBelly] = {236, 226, 170};
    colours[FrogEye] = {250, 250, 240};
    colours[FrogMouth] = {120, 30, 40};
    return colours;
}

// faceMotion: the ground speed turns it. Chuck turns itself toward its target while it keeps its
// distance, and backs away facing it: the speed left from backing would turn its back on the target.
Vep FrogVep(double accel, double maxRun, u8 hp, bool faceMotion)
{
    Vep vep;
    vep.values = {0.15, accel, 0.15, maxRun, 0.2, 0.2, 0.2, 2.0, 8.0, 4.0, 1.0, 0.21875, 0.21875, 2.0, 3.0};
    vep.hp = hp;
    vep.flags = {1, 1, 0, faceMotion, 0};
    // Take-off frame 1; idle 0, walk 1, jump 2, fall 3, land 4, hurt 6, tumble 5, bounces 7, 8.
    vep.anims = {1, 0, 1, 2, 3, 4, 6, 5, 7, 8};
    vep.rows = {enemyHurtRow, enemyContactRow};
    return vep;
}

bool WriteFroacker(const std::string& dir)
{
    const std::vector<Rgb> purple = FrogColours({150, 80, 200}, {96, 44, 140});
    const std::vector<Rgb> red = FrogColours({214, 64, 52}, {140, 32, 30});
    const std::vector<Rgb> blue = FrogColours({60, 120, 220}, {30, 64, 150});

    EnemySprites set;
    set.folder = set.name = "Froacker";
    set.colours = purple;
    set.extraPalettes = {"FroackerRed.pal", "FroackerBlue.pal"};
    set.body = BoxOf(-11, 11, -10, 14);
    set.hitSets = {{BoxOf(-11, 11, -10, 12)}, {BoxOf(-10, 12, -6, 12)}};
    std::vector<EnemyAnimation>& anims = set.animations;
    anims.resize(18);
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
    // The throw: the arm swings up over frames 0-5 and lets go at frame 6.
    anims[12] = {8, 4, 1, Frog([](int f) { return FrogPose{1, 0, std::min(f, 6) / 6.0}; })};
    anims[13] = {2, 6, 1, Frog([](int f) { return FrogPose{2.0 - f * 2, f * 1.0}; })};         // Larry's hop
    anims[14] = {4, 4, 0, Frog([](int f) { return FrogPose{(f % 2) * 1.5, f % 2 ? 2.0 : 0.5}; })}; // run
    anims[15] = {1, 6, 0, Frog([](int) { return FrogPose{0, 3}; })};                            // leap
    anims[16] = {6, 3, 0, Frog([](int f) { return FrogPose{(f % 3) * 1.0, f % 2 ? 3.0 : 1.0}; })}; // chase
    anims[17] = {2, 8, 0, Frog([](int f) { return FrogPose{1.0 + f, 0}; })};                   // slow down

    if (!WriteEnemySprites(dir, set))
        return false;
    // Palette 1 Chuck's red, 2 Larry's blue (palette 0, the walker's purple, is the sheet's).
    const std::string folder = "Data/Sprites/Enemies/Froacker/";
    return PutFile(dir, folder + "FroackerRed.pal", MakeRawPalette(red)) &&
           PutFile(dir, folder + "FroackerBlue.pal", MakeRawPalette(blue)) &&
           PutFile(dir, folder + "FroackerPurple.vep", MakeVep(FrogVep(0.06, 0.8, 3, true))) &&
           PutFile(dir, folder + "FroackerRed.vep", MakeVep(FrogVep(0.1, 1.5, 3, false))) &&
           PutFile(dir, folder + "FroackerBlue.vep", MakeVep(FrogVep(0.12, 2.0, 4, true))) &&
           PutFile(dir, folder + "FroackerYellow.vep", MakeVep(FrogVep(0.06, 0.8, 3, true)));
}

// ---- YardSlayer: a hooded ghost with a scythe-like claw ------------------------------------------------

enum : u8 { GhostSheet = 2, GhostShade, GhostEye, GhostMouth, GhostClaw };

void PaintGhost(EnemyFrame& frame, double sway, double mouth, double reach)
{
    EnemyCanvas& c = frame.canvas;
    // The trailing tail, the body and the hood.
    c.Line({-4 + sway, 12}, {-10 - sway, 20}, 3.0, GhostShade);
    c.Ellipse({0, 2}, 10, 13, GhostSheet);
    c.Ellipse({-2, -8}, 8, 7, GhostShade);
    c.Ellipse({2, -6}, 6, 6, GhostSheet);
    c.Ellipse({4, -7}, 1.5, 2, GhostEye);
    c.Ellipse({7, -7}, 1.5, 2, GhostEye);
    c.Ellipse({5.5, -1}, 2.5, 1 + mouth, GhostMouth);
    // The clawed arm: reaching out while it attacks.
    c.Line({2, 4}, {10 + reach * 10, 2 - reach * 4}, 1.8, GhostSheet);
    c.Line({10 + reach * 10, 2 - reach * 4}, {14 + reach * 10, 6 - reach * 2}, 1.0, GhostClaw);
    frame.hitSets = reach > 0.4 ? std::vector<u16>{0, 1, 2} : std::vector<u16>{0, 1};
}

bool WriteYardSlayer(const std::string& dir)
{
    EnemySet set;
    set.folder = set.name = "YardSlayer";
    set.colours.assign(paletteSize, Rgb{0, 0, 0});
    set.colours[EnemyInk] = {30, 26, 46};
    set.colours[GhostSheet] = {214, 222, 236};
    set.colours[GhostShade] = {140, 150, 180};
    set.colours[GhostEye] = {80, 255, 140};
    set.colours[GhostMouth] = {40, 20, 50};
    set.colours[GhostClaw] = {250, 250, 200};
    set.body = BoxOf(-10, 10, -14, 16);
    set.hitSets = {{BoxOf(-9, 9, -12, 14)}, {BoxOf(-8, 8, -10, 12)}, {BoxOf(8, 26, -6, 10)}};
    set.animations = {
        {4, 8, 0, [](EnemyFrame& f, int n) { PaintGhost(f, n % 2 ? 1.5 : -1.5, 0.5, 0); }},
        {4, 6, 1, [](EnemyFrame& f, int n) { PaintGhost(f, 0, 1.0 + (n % 2) * 2.0, 0); }}, // the laugh
        {5, 5, 1, [](EnemyFrame& f, int n) { PaintGhost(f, 0, 2.0, n / 4.0); }},           // the attack
    };
    // Floats without gravity, so it is always in the air: it turns to its drift there. The library
    // leaves its animations to it.
    set.vep.values = {0.1, 0.1, 0.1, 1.0, 0.05, 0.05, 0.1, 0.6, 4.0, 0.0, 0.0, 0.0, 0.0, 2.0, 3.0};
    set.vep.hp = 5;
    set.vep.flags = {0, 1, 0, 0, 1};
    set.vep.anims = {0, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    set.vep.rows = {enemyHurtRow, enemyContactRow, VepRow{0x4, 2, 10, 4.0, 1.0, 224}};
    return WriteEnemySet(dir, set);
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
        if (!PutFile(dir, sound.path, MakeWav(sound.samples, 22050, 8, 1)))
            return false;
    return true;
}

// ---- placements ----------------------------------------------------------------------------------------

struct Placed {
    f64 x, y;
    u8 variant;   // Froacker's "type"
    f64 range;    // YardSlayer's "roamRange"
    bool faceRight = false; // toward the way the player comes in
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
        PutPlacementKey(object.keys, 8, p.faceRight);
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
    // ground at 1408 until whipped, facing the start; the ghost floats high over them.
    // Elsewhere the player comes in from the left, and they face left.
    // Village 1: along the far half of the walk, past where the runs that reach it stop.
    // The Bone Zone: the arena floor at 1440 and over it.
    // Test: past the candle, the pit and the beam (see the header).
    return WritePlacements(dir, "Graveyard", {{72, 1390, 1, 0, true}, {150, 1390, 2, 0, true}}, {{120, 1300, 0, 48}}) &&
           WritePlacements(dir, "Village", {{1900, 698, 0, 0}, {2300, 660, 1, 0}, {2800, 554, 2, 0}},
                           {{3300, 620, 0, 0}}) &&
           WritePlacements(dir, "BoneZone", {{600, 1422, 0, 0}, {880, 1340, 1, 0}}, {{520, 1330, 0, 96}}) &&
           WritePlacements(dir, "Test",
                           {{testChuckX, testChuckY, 1, 0}, {testWalkerX, testWalkerY, 0, 0},
                            {testLarryX, testLarryY, 2, 0}},
                           {{testYardSlayerX, testYardSlayerY, 0, testYardSlayerRange}});
}

} // namespace datakit
