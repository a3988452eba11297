#include "tools/datakit/EnemyArt.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <type_traits>
#include <vector>

#include "tools/datakit/EnemySprites.h"
#include "tools/datakit/PlacementWriter.h"

namespace datakit {

namespace {

// The animation choices of the walkers: idle 0, move 1, jump 2 (leaving the ground at its frame
// 2), fall 3, land 4, hurt 5, tumble 6, bounces 7 and 8 (-1 where a set has none).
constexpr u8 idleIndex = 0, walkIndex = 1, jumpIndex = 2, fallIndex = 3, landIndex = 4, hurtIndex = 5,
             tumbleIndex = 6, floorBounceIndex = 7, wallBounceIndex = 8;

// A walker's frames: each frame's pose painted (after the frame's turn or squash, if any), with
// the hurt box on every frame and the body's attack where it attacks.
template <typename Pose>
EnemyPainter PosePainter(void (*paint)(EnemyCanvas&, const Pose&),
                         std::type_identity_t<std::function<Pose(int)>> pose, bool attacks,
                         std::function<void(EnemyCanvas&, int)> turn = {})
{
    return [=](EnemyFrame& info, int frame) {
        if (turn)
            turn(info.canvas, frame);
        paint(info.canvas, pose(frame));
        info.hitSets = {0};
        if (attacks)
            info.hitSets.push_back(1);
    };
}

// ---- BasicEnemy: a hunched green ghoul, reaching ahead with its claws ------------------------------

enum : u8 { GhoulSkin = 2, GhoulShade, GhoulPale, GhoulRags, GhoulRagsDark, GhoulEye, GhoulTeeth, GhoulClaw };

struct GhoulPose {
    Pt head{5, -8};
    Pt shoulder{2, -4}, hip{0, 4};
    Pt elbow[2] = {{7, -3}, {8, -2}}, hand[2] = {{12, -4}, {14, -2}}; // back arm, front arm
    Pt knee[2] = {{-2, 9}, {2, 9}}, foot[2] = {{-3, 14}, {3, 14}};
    double mouth = 1.0; // jaw drop
    bool hurt = false;
};

void PaintGhoul(EnemyCanvas& c, const GhoulPose& g)
{
    const u8 skin = g.hurt ? GhoulPale : GhoulSkin;
    // Back limbs first, in the darker shade.
    c.Line(g.shoulder, g.elbow[0], 1.5, GhoulShade);
    c.Line(g.elbow[0], g.hand[0], 1.3, GhoulShade);
    c.Line(g.hip, g.knee[0], 1.8, GhoulRagsDark);
    c.Line(g.knee[0], g.foot[0], 1.6, GhoulShade);
    c.Line(g.hip, g.knee[1], 1.8, GhoulRags);
    c.Line(g.knee[1], g.foot[1], 1.6, skin);
    c.Line(g.foot[1], {g.foot[1].x + 2.5, g.foot[1].y}, 1.0, skin);
    // The hunched body, torn rags at the hem.
    c.Ellipse({g.hip.x * 0.5 + g.shoulder.x * 0.5 - 1, (g.hip.y + g.shoulder.y) * 0.5}, 6.5, 7.0, GhoulRags);
    c.Triangle({-5, 4}, {-2, 4}, {-4, 8}, GhoulRags);
    c.Triangle({1, 4}, {4, 4}, {2, 8}, GhoulRags);
    c.Line({g.shoulder.x - 6, g.shoulder.y + 3}, {g.hip.x + 4, g.hip.y - 3}, 0.8, GhoulRagsDark);
    // The head thrust forward: skull, jaw, one glaring eye.
    c.Disc(g.head, 5.0, skin);
    c.Ellipse({g.head.x + 2.5, g.head.y + 4 + g.mouth}, 3.5, 2.0, skin);
    c.Line({g.head.x + 1, g.head.y + 2.5 + g.mouth * 0.5}, {g.head.x + 6, g.head.y + 2.5 + g.mouth * 0.5}, 0.6,
           EnemyInk);
    c.Triangle({g.head.x + 2.5, g.head.y + 2.2}, {g.head.x + 4, g.head.y + 2.2}, {g.head.x + 3.2, g.head.y + 3.6},
               GhoulTeeth);
    c.Triangle({g.head.x + 4.6, g.head.y + 2.2}, {g.head.x + 6, g.head.y + 2.2}, {g.head.x + 5.3, g.head.y + 3.6},
               GhoulTeeth);
    if (g.hurt) {
        c.Line({g.head.x + 1.5, g.head.y - 3}, {g.head.x + 4.5, g.head.y}, 0.6, EnemyInk);
        c.Line({g.head.x + 1.5, g.head.y}, {g.head.x + 4.5, g.head.y - 3}, 0.6, EnemyInk);
    } else {
        c.Disc({g.head.x + 2.5, g.head.y - 1.5}, 1.8, GhoulEye);
        c.Disc({g.head.x + 3.2, g.head.y - 1.5}, 0.7, EnemyInk);
    }
    // The front arm reaching out, three claws at the hand.
    c.Line(g.shoulder, g.elbow[1], 1.6, skin);
    c.Line(g.elbow[1], g.hand[1], 1.4, skin);
    const double reach = std::atan2(g.hand[1].y - g.elbow[1].y, g.hand[1].x - g.elbow[1].x) * 128.0 / pi;
    for (int k = -1; k <= 1; ++k)
        c.Line(g.hand[1], Along(g.hand[1], reach + k * 14, 3.5), 0.5, GhoulClaw);
}

GhoulPose GhoulIdle(int frame)
{
    GhoulPose g;
    const double sway = frame == 0 ? 0 : frame == 2 ? 2 : 1;
    g.head.y += sway * 0.5;
    for (int i = 0; i < 2; ++i) {
        g.hand[i].y += sway * (i ? 1.0 : -1.0);
        g.elbow[i].y += sway * 0.5;
    }
    g.mouth = frame == 2 ? 2.0 : 1.0;
    return g;
}

GhoulPose GhoulWalk(int frame)
{
    GhoulPose g;
    const double p = 2.0 * pi * frame / 6.0;
    const double bob = std::fabs(std::sin(p)) * 1.5;
    for (Pt* q : {&g.head, &g.shoulder, &g.hip, &g.elbow[0], &g.elbow[1], &g.hand[0], &g.hand[1]})
        q->y -= bob;
    for (int i = 0; i < 2; ++i) {
        const double q = p + i * pi;
        const double lift = std::max(0.0, std::sin(q)) * 3.0;
        g.foot[i] = {5.0 * std::cos(q), 14.0 - lift};
        g.knee[i] = {(g.hip.x + g.foot[i].x) * 0.5 + 1.5, 9.0 - lift * 0.6 - bob * 0.5};
        g.hand[i].x += 2.0 * std::cos(q + pi);
    }
    return g;
}

// Crouched by depth pixels, arms drawn back (gathering for a jump or taking a landing).
GhoulPose GhoulCrouch(double depth)
{
    GhoulPose g;
    for (Pt* q : {&g.head, &g.shoulder, &g.hip, &g.elbow[0], &g.elbow[1], &g.hand[0], &g.hand[1]})
        q->y += depth;
    g.knee[0] = {-4, 10 + depth * 0.3};
    g.knee[1] = {4, 10 + depth * 0.3};
    g.hand[0] = {-4, 2 + depth};
    g.hand[1] = {-2, 3 + depth};
    g.elbow[0] = {-2, -1 + depth};
    g.elbow[1] = {0, 0 + depth};
    return g;
}

GhoulPose GhoulFall(int frame)
{
    GhoulPose g;
    g.elbow[0] = {0, -10};
    g.hand[0] = {-3.0, -15.0 - frame};
    g.elbow[1] = {6, -10};
    g.hand[1] = {8.0, -16.0 + frame};
    g.knee[0] = {-2, 8};
    g.foot[0] = {-5.0 - frame, 13.0};
    g.knee[1] = {3, 8};
    g.foot[1] = {5.0 + frame, 12.0};
    g.mouth = 3.0;
    return g;
}

GhoulPose GhoulHurt(int frame)
{
    GhoulPose g;
    g.hurt = true;
    g.head = {2.0 - frame, -9};
    g.elbow[0] = {-4, -8};
    g.hand[0] = {-8.0, -12.0 + frame * 2};
    g.elbow[1] = {-2, -9};
    g.hand[1] = {-5.0, -14.0 - frame};
    g.foot[1] = {6, 12};
    g.knee[1] = {4, 8};
    g.mouth = 2.5;
    return g;
}

EnemySet BasicEnemySet()
{
    EnemySet set;
    set.folder = "Enemy";
    set.name = "Enemy";
    set.colours = EnemyPalette();
    set.colours[GhoulSkin] = {112, 168, 64};
    set.colours[GhoulShade] = {70, 112, 44};
    set.colours[GhoulPale] = {206, 220, 170};
    set.colours[GhoulRags] = {138, 62, 52};
    set.colours[GhoulRagsDark] = {88, 38, 40};
    set.colours[GhoulEye] = {255, 228, 48};
    set.colours[GhoulTeeth] = {246, 240, 220};
    set.colours[GhoulClaw] = {236, 226, 190};
    set.body = BoxOf(-8, 8, -14, 14);
    set.hitSets = {{BoxOf(-8, 8, -14, 14)}, {BoxOf(-6, 17, -12, 6)}}; // hurt; body and claws
    set.animations.resize(9);
    set.animations[idleIndex] = {4, 10, 0, PosePainter(PaintGhoul, GhoulIdle, true)};
    set.animations[walkIndex] = {6, 7, 0, PosePainter(PaintGhoul, GhoulWalk, true)};
    set.animations[jumpIndex] = {3, 4, 1,
                                 PosePainter(PaintGhoul, [](int f) { return GhoulCrouch(1.5 * (f + 1)); }, true)};
    set.animations[fallIndex] = {2, 8, 0, PosePainter(PaintGhoul, GhoulFall, true)};
    set.animations[landIndex] = {3, 4, 1, PosePainter(PaintGhoul, [](int f) { return GhoulCrouch(3.0 - f); }, true)};
    set.animations[hurtIndex] = {2, 4, 1, PosePainter(PaintGhoul, GhoulHurt, false)};
    set.animations[tumbleIndex] = {4, 4, 0, PosePainter(PaintGhoul, GhoulHurt, false, [](EnemyCanvas& c, int f) {
                                       c.Rotate(-f * 64.0); // head over heels, backward
                                   })};
    set.animations[floorBounceIndex] = {2, 5, 1,
                                        PosePainter(PaintGhoul, GhoulHurt, false, [](EnemyCanvas& c, int f) {
                                            c.Squash(1.3 - f * 0.15, 0.7 + f * 0.15);
                                        })};
    set.animations[wallBounceIndex] = {2, 5, 1,
                                       PosePainter(PaintGhoul, GhoulHurt, false, [](EnemyCanvas& c, int f) {
                                           c.Squash(0.7 + f * 0.15, 1.2 - f * 0.1);
                                           c.Rotate(-20);
                                       })};

    // Slow on its feet, a short hop; knocked about by hits and turning to face them.
    set.vep.values = {0.2, 0.08, 0.15, 1.2, 0.2, 0.2, 0.2, 2.0, 8.0, 4.0, 1.0, 0.21875, 0.21875, 2.0, 3.0};
    set.vep.hp = 4;
    set.vep.flags = {1, 1, 0, 1, 0};
    set.vep.anims = {2, idleIndex, walkIndex, jumpIndex, fallIndex, landIndex, hurtIndex, tumbleIndex,
                     floorBounceIndex, wallBounceIndex};
    set.vep.rows = {enemyHurtRow, enemyContactRow};
    return set;
}

// ---- Byu: a round purple bird that waddles and hops ----------------------------------------------

enum : u8 { ByuBody = 2, ByuShade, ByuBelly, ByuBeak, ByuEyeWhite, ByuPale };

struct ByuPose {
    double lift = 0;      // the body over its feet
    double wing = 96;     // the wing's angle from its root (256ths, 64 = down)
    double footSwing = 0; // the feet apart
    bool blink = false, hurt = false;
};

void PaintByu(EnemyCanvas& c, const ByuPose& b)
{
    const u8 body = b.hurt ? ByuPale : ByuBody;
    const double y = -b.lift;
    // Feet under the body, spread by the walk.
    for (int i = 0; i < 2; ++i) {
        const double side = i ? 1 : -1;
        const Pt hip{side * 3.0, y + 6}, foot{side * 3.0 + (i ? b.footSwing : -b.footSwing), 10};
        c.Line(hip, foot, 0.8, ByuBeak);
        c.Line(foot, {foot.x + 2.5, foot.y}, 0.7, ByuBeak);
    }
    // The round body with its pale belly, and a tuft on top.
    c.Line({-1, y - 8}, {-4, y - 13}, 0.9, ByuShade);
    c.Line({1, y - 8}, {0, y - 14}, 0.9, ByuShade);
    c.Ellipse({0, y - 1}, 9.0, 8.0, body);
    c.Ellipse({2.5, y + 2}, 5.0, 4.0, ByuBelly);
    // Eye and beak, to the front.
    if (b.blink) {
        c.Line({2.5, y - 4}, {6, y - 4}, 0.6, EnemyInk);
    } else if (b.hurt) {
        c.Line({2.5, y - 6}, {6, y - 2.5}, 0.6, EnemyInk);
        c.Line({2.5, y - 2.5}, {6, y - 6}, 0.6, EnemyInk);
    } else {
        c.Disc({4.2, y - 4}, 2.6, ByuEyeWhite);
        c.Disc({5.2, y - 4}, 1.2, EnemyInk);
    }
    c.Triangle({7.5, y - 3}, {14, y - 0.5}, {7.5, y + 1.5}, ByuBeak);
    // The wing on the near side, at its flap angle.
    const Pt root{-3, y - 1};
    c.Line(root, Along(root, b.wing, 7.0), 2.3, ByuShade);
}

EnemySet ByuSet()
{
    EnemySet set;
    set.folder = "Byu";
    set.name = "Byu";
    set.colours = EnemyPalette();
    set.colours[ByuBody] = {146, 74, 204};
    set.colours[ByuShade] = {92, 40, 140};
    set.colours[ByuBelly] = {214, 186, 244};
    set.colours[ByuBeak] = {252, 156, 28};
    set.colours[ByuEyeWhite] = {250, 250, 250};
    set.colours[ByuPale] = {230, 200, 240};
    set.body = BoxOf(-9, 9, -10, 10);
    set.hitSets = {{BoxOf(-9, 9, -10, 10)}, {BoxOf(-8, 14, -8, 8)}}; // hurt; body and beak
    set.animations.resize(7);
    set.animations[idleIndex] = {4, 10, 0, PosePainter(PaintByu, [](int f) {
                                      ByuPose b;
                                      b.wing = 96 + (f % 2) * 10;
                                      b.blink = f == 3;
                                      return b;
                                  }, true)};
    set.animations[walkIndex] = {4, 6, 0, PosePainter(PaintByu, [](int f) {
                                      ByuPose b;
                                      const double hops[4] = {0, 2, 3, 1};
                                      b.lift = hops[f];
                                      b.footSwing = f < 2 ? 2 : -2;
                                      b.wing = 100 - hops[f] * 6;
                                      return b;
                                  }, true)};
    set.animations[jumpIndex] = {3, 4, 1, PosePainter(PaintByu, [](int f) {
                                      ByuPose b;
                                      b.wing = 120 - f * 20;
                                      return b;
                                  }, true, [](EnemyCanvas& c, int f) { c.Squash(1.0 + f * 0.08, 1.0 - f * 0.1); })};
    set.animations[fallIndex] = {2, 5, 0, PosePainter(PaintByu, [](int f) {
                                      ByuPose b;
                                      b.wing = f ? 200 : 150; // flapping hard
                                      b.footSwing = 1;
                                      return b;
                                  }, true)};
    set.animations[landIndex] = {2, 4, 1, PosePainter(PaintByu, [](int) { return ByuPose{}; }, true,
                                                      [](EnemyCanvas& c, int f) {
                                                          c.Squash(1.25 - f * 0.12, 0.8 + f * 0.1);
                                                      })};
    set.animations[hurtIndex] = {2, 4, 1, PosePainter(PaintByu, [](int f) {
                                      ByuPose b;
                                      b.hurt = true;
                                      b.wing = f ? 170 : 200;
                                      return b;
                                  }, false)};
    set.animations[tumbleIndex] = {4, 4, 0, PosePainter(PaintByu, [](int) {
                                        ByuPose b;
                                        b.hurt = true;
                                        b.wing = 180;
                                        return b;
                                    }, false, [](EnemyCanvas& c, int f) { c.Rotate(-f * 64.0); })};

    // Hops higher than the ghoul; the test keys make it jump.
    set.vep.values = {0.2, 0.1, 0.15, 1.5, 0.2, 0.3, 0.3, 2.5, 8.0, 5.0, 1.0, 0.21875, 0.21875, 2.0, 3.0};
    set.vep.hp = 4;
    set.vep.flags = {1, 1, 0, 1, 0};
    set.vep.anims = {2, idleIndex, walkIndex, jumpIndex, fallIndex, landIndex, hurtIndex, tumbleIndex, -1, -1};
    set.vep.rows = {enemyHurtRow, enemyContactRow};
    return set;
}

// ---- CandleHead: a wax candle on a brass dish; the flame on its wick is drawn over it --------------

enum : u8 {
    Wax = 2,
    WaxShade,
    WaxLight,
    Brass,
    BrassDark,
    Wick,
    Smoke,
    EyeGlow,
    EyeCore,
    FlameRed,
    FlameOrange,
    FlameYellow,
    FlameWhite,
};

constexpr double wickTop = -18;

void PaintCandle(EnemyCanvas& c, bool lit, int frame)
{
    // The dish and its foot, then the wax with a shaded side and a rounded top.
    c.Rect(-8, 13, 8, 16, Brass);
    c.Rect(-5, 11, 5, 13, BrassDark);
    c.Ellipse({0, 12}, 9, 2, Brass);
    c.Rect(-6, -14, 6, 11, Wax);
    c.Rect(-6, -14, -4, 11, WaxShade);
    c.Ellipse({0, -14}, 6, 1.6, WaxLight);
    // Drips down the wax; while lit one creeps lower each frame.
    c.Line({-3, -14}, {-3, -11}, 1.0, WaxLight);
    c.Line({5, -14}, {5, -12}, 1.0, WaxLight);
    if (lit)
        c.Line({-1, -14}, {-1, -12 + frame * 3.0}, 1.0, WaxLight);
    // The wick.
    c.Line({0, -14}, {0.5, wickTop}, 0.6, Wick);
    // The face looks ahead: sleepy slits while dark, glaring while lit.
    if (lit) {
        const double glow = frame % 2 ? 1.9 : 1.5;
        c.Ellipse({1.0, -6}, 1.1, glow, EyeGlow);
        c.Ellipse({4.2, -6}, 1.1, glow, EyeGlow);
        c.Disc({1.2, -6}, 0.5, EyeCore);
        c.Disc({4.4, -6}, 0.5, EyeCore);
        if (frame % 2)
            c.Ellipse({2.8, 0}, 2.0, 1.7, EnemyInk);
        else
            c.Line({1, 0}, {4.5, -0.5}, 0.6, EnemyInk);
    } else {
        c.Line({0, -5}, {1.6, -5}, 0.5, EnemyInk);
        c.Line({3.4, -5}, {5, -5}, 0.5, EnemyInk);
        c.Line({1.5, 0.5}, {4, 0.5}, 0.5, EnemyInk);
        // A thread of smoke from the snuffed wick.
        c.Disc({1.0 + frame, wickTop - 3 - frame * 2}, 1.3, Smoke);
        c.Disc({-0.5 + frame, wickTop - 7 - frame * 2}, 1.0, Smoke);
    }
}

// The flame, standing on the wick: a tongue that leans and stretches frame by frame.
void PaintFlame(EnemyCanvas& c, int frame)
{
    const double lean[4] = {0, 1.5, 0.5, -1.2}, stretch[4] = {0, 2, 3.5, 1};
    const double sway = lean[frame], tall = stretch[frame];
    const Pt base{0.5, wickTop - 4};
    c.Ellipse(base, 4.5, 5.5, FlameRed);
    c.Triangle({base.x - 4.3, base.y - 1}, {base.x + 4.3, base.y - 1}, {base.x + sway * 2, base.y - 11 - tall},
               FlameRed);
    c.Ellipse({base.x, base.y + 0.5}, 3.5, 4.5, FlameOrange);
    c.Triangle({base.x - 3.3, base.y}, {base.x + 3.3, base.y}, {base.x + sway * 1.6, base.y - 9 - tall},
               FlameOrange);
    c.Ellipse({base.x + sway * 0.3, base.y + 1}, 2.2, 3.2, FlameYellow);
    c.Triangle({base.x - 2, base.y + 0.5}, {base.x + 2, base.y + 0.5}, {base.x + sway, base.y - 5 - tall * 0.6},
               FlameYellow);
    c.Ellipse({base.x, base.y + 2}, 1.1, 1.8, FlameWhite);
}

EnemySet CandleHeadSet()
{
    EnemySet set;
    set.folder = "CandleHead";
    set.name = "CandleHead";
    set.colours = EnemyPalette();
    set.colours[Wax] = {240, 232, 204};
    set.colours[WaxShade] = {196, 180, 150};
    set.colours[WaxLight] = {255, 252, 236};
    set.colours[Brass] = {196, 150, 48};
    set.colours[BrassDark] = {128, 92, 30};
    set.colours[Wick] = {40, 30, 26};
    set.colours[Smoke] = {150, 150, 160};
    set.colours[EyeGlow] = {255, 120, 20};
    set.colours[EyeCore] = {255, 240, 150};
    set.colours[FlameRed] = {226, 60, 20};
    set.colours[FlameOrange] = {255, 146, 28};
    set.colours[FlameYellow] = {255, 226, 80};
    set.colours[FlameWhite] = {255, 252, 230};
    set.body = BoxOf(-7, 7, -16, 16);
    // Hurt box; the hot wax burns to the touch; the flame over the wick, out while lit.
    set.hitSets = {{BoxOf(-7, 7, -16, 16)}, {BoxOf(-6, 6, -14, 12)}, {BoxOf(-5, 6, -36, -16)}};
    set.animations.resize(3);
    // 0 unlit (it stands on its first frame), 1 lit, 2 the flame.
    set.animations[0] = {2, 12, 0, [](EnemyFrame& info, int f) {
                             PaintCandle(info.canvas, false, f);
                             info.hitSets = {0, 1};
                         }};
    set.animations[1] = {4, 6, 0, [](EnemyFrame& info, int f) {
                             PaintCandle(info.canvas, true, f);
                             info.hitSets = {0, 1, 2};
                         }};
    set.animations[2] = {4, 3, 0, [](EnemyFrame& info, int f) { PaintFlame(info.canvas, f); }, false};

    // It stands where it is placed; hits knock it back a little.
    set.vep.values = {0.2, 0.1, 0.15, 1.0, 0.2, 0.2, 0.2, 2.0, 8.0, 4.0, 1.0, 0.21875, 0.21875, 2.0, 2.0};
    set.vep.hp = 4;
    set.vep.flags = {1, 1, 0, 0, 0};
    // No choices for the library: its Update shows 0 or 1 by the blink, and a library choice on top
    // would switch the animation (and so the attack) every tick.
    set.vep.anims = {0, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    set.vep.rows = {enemyHurtRow, enemyContactRow, VepRow{0x4, 2, 10, 3.0, 1.0, 208}};
    return set;
}

// ---- Orb: a floating eye in a cyan shell, ringed by magenta spikes that spin --------------------------

enum : u8 { OrbShell = 2, OrbShellDark, OrbGlow, OrbWhite, OrbSpike, OrbSpikeTip, OrbIris };

EnemySet OrbSet()
{
    EnemySet set;
    set.folder = "Orb";
    set.name = "Orb";
    set.colours = EnemyPalette();
    set.colours[OrbShell] = {56, 196, 232};
    set.colours[OrbShellDark] = {24, 96, 168};
    set.colours[OrbGlow] = {170, 240, 255};
    set.colours[OrbWhite] = {255, 255, 255};
    set.colours[OrbSpike] = {224, 48, 160};
    set.colours[OrbSpikeTip] = {255, 150, 220};
    set.colours[OrbIris] = {236, 40, 40};
    set.body = BoxOf(-10, 10, -10, 10);
    // Hurt box on the shell; the spikes around it (listed last: the box whose direction turns).
    set.hitSets = {{BoxOf(-8, 8, -8, 8)}, {BoxOf(-15, 15, -15, 15)}};
    set.animations.resize(2);
    // 0 the body: the shell pulses and the eye looks about.
    set.animations[0] = {4, 8, 0, [](EnemyFrame& info, int f) {
                             EnemyCanvas& c = info.canvas;
                             const double pulse[4] = {9.0, 9.6, 10.0, 9.6}, look[4] = {3.0, 3.5, 3.0, 2.0};
                             c.Disc({0, 0}, pulse[f], OrbShellDark);
                             c.Disc({-0.5, -0.5}, pulse[f] - 1.5, OrbShell);
                             c.Disc({-3.5, -4}, 1.8, OrbGlow);
                             c.Disc({look[f], 0}, 3.6, OrbWhite);
                             c.Disc({look[f] + 1.0, 0}, 2.0, OrbIris);
                             c.Disc({look[f] + 1.4, 0}, 0.9, EnemyInk);
                             info.hitSets = {0, 1};
                         }};
    // 1 the spike ring, turned by the orb's spin when drawn.
    set.animations[1] = {2, 6, 0, [](EnemyFrame& info, int f) {
                             EnemyCanvas& c = info.canvas;
                             c.Ring({0, 0}, 11, 12.5, OrbSpike);
                             for (int k = 0; k < 6; ++k) {
                                 const double a = k * 256.0 / 6.0, length = (k + f) % 2 ? 17.0 : 15.5;
                                 const Pt tip = Along({0, 0}, a, length);
                                 c.Triangle(Along({0, 0}, a - 8, 12), Along({0, 0}, a + 8, 12), tip, OrbSpike);
                                 c.Disc(Along({0, 0}, a, length - 1.5), 1.0, OrbSpikeTip);
                             }
                         }};

    // Floats where it is: no gravity, not knocked about, does not turn to face a hit.
    set.vep.values = {0.2, 0.1, 0.15, 1.0, 0.2, 0.2, 0.2, 2.0, 8.0, 4.0, 1.0, 0.0, 0.0, 2.0, 3.0};
    set.vep.hp = 3;
    set.vep.flags = {0, 0, 0, 0, 0};
    set.vep.anims = {0, 0, -1, -1, -1, -1, -1, -1, -1, -1};
    // The spikes hit on every frame they touch (the body never changes animation, so a once-per-
    // animation attack would hit only once), pushing a blinking player along the spin.
    set.vep.rows = {enemyHurtRow, VepRow{0, 2, 8, 4.0, 1.0, 0}};
    return set;
}

// ---- Projectile: a spiky red seed, spinning as it flies ------------------------------------------------

enum : u8 { SeedRed = 2, SeedSpike, SeedShine, SeedLeaf };

EnemySet ProjectileSet()
{
    EnemySet set;
    set.folder = "Projectile";
    set.name = "Projectile";
    set.colours = EnemyPalette();
    set.colours[SeedRed] = {220, 48, 36};
    set.colours[SeedSpike] = {255, 176, 56};
    set.colours[SeedShine] = {255, 190, 160};
    set.colours[SeedLeaf] = {72, 186, 60};
    set.body = BoxOf(-5, 5, -5, 5);
    set.hitSets = {{BoxOf(-5, 5, -5, 5)}}; // it only hits: nothing can strike it down
    set.animations.resize(1);
    set.animations[0] = {4, 3, 0, [](EnemyFrame& info, int f) {
                             EnemyCanvas& c = info.canvas;
                             c.Rotate(f * 32.0); // an eighth of a turn a frame
                             for (int k = 0; k < 4; ++k) {
                                 const double a = k * 64.0 + 32.0;
                                 c.Triangle(Along({0, 0}, a - 16, 3.5), Along({0, 0}, a + 16, 3.5),
                                            Along({0, 0}, a, 8.5), SeedSpike);
                             }
                             c.Disc({0, 0}, 4.2, SeedRed);
                             c.Disc({-1.3, -1.3}, 1.2, SeedShine);
                             c.Triangle({0, -3.5}, {3, -8}, {-1, -6.5}, SeedLeaf);
                             info.hitSets = {0};
                         }};

    // Lobbed: it falls by gravity and flies through the ground; one hit of the player ends nothing.
    set.vep.values = {0.0, 0.0, 0.0, 8.0, 0.0, 0.0, 0.0, 8.0, 8.0, 0.0, 0.0, 0.21875, 0.21875, 2.0, 3.0};
    set.vep.hp = 1;
    set.vep.flags = {0, 0, 0, 0, 0};
    set.vep.anims = {0, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    set.vep.rows = {VepRow{0x4, 2, 6, 3.0, 1.0, 224}}; // once: it is spent on what it hits
    return set;
}

// ---- placements ---------------------------------------------------------------------------------------

// CandleHead declares no keys: a placement is its position alone, dropped a little over the ground.
bool WriteCandleHeadPlacements(const std::string& dir, const std::string& stage, const std::vector<Pt>& feet)
{
    std::vector<PlacedObject> objects;
    for (const Pt& at : feet) {
        PlacedObject object;
        if (!ToDecimalFloat(at.x, 1, &object.x) || !ToDecimalFloat(at.y - candleHeadFeet - 4.0, 1, &object.y))
            return false;
        objects.push_back(object);
    }
    const std::string path = dir + "/Data/Stages/" + stage + "/Objects/CandleHead.bin";
    if (WritePlacementFile(path, objects))
        return true;
    fprintf(stderr, "datakit: cannot write %s\n", path.c_str());
    return false;
}

} // namespace

bool WriteEnemyData(const std::string& dir)
{
    for (const EnemySet& set : {BasicEnemySet(), ByuSet(), CandleHeadSet(), OrbSet(), ProjectileSet()})
        if (!WriteEnemySet(dir, set))
            return false;
    // Test: one on the one-way floor over the ground (its top at 676), clear of a run underneath.
    // Village 1: along the walk right, on the flats between the hills (grounds 716, 636, 572).
    return WriteCandleHeadPlacements(dir, "Test", {{testCandleHeadX, testCandleHeadY + candleHeadFeet + 4.0}}) &&
           WriteCandleHeadPlacements(dir, "Village", {{300, 716}, {1300, 716}, {1616, 636}, {2784, 572}, {3400, 716}});
}

} // namespace datakit
