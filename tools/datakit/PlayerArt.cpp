#include "tools/datakit/PlayerArt.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/SpriteCanvas.h"
#include "tools/datakit/TgaWriter.h"
#include "tools/datakit/VepWriter.h"
#include "tools/datakit/Wav.h"

namespace datakit {

namespace {

// Palette entries. One hero in one set of colours: the animations differ by pose, and only the
// drawing's blink and glow change how the hero looks. 65 and 66 are the
// debug view's hitbox outlines (on the ground, in the air).
enum : u8 {
    Clear = 0,
    Ink,
    Skin,
    Hat,
    Shirt,
    Sleeve, // a shade darker, so an arm reads across the body
    Pants,
    Boots,
    Handle, // the whip's handle
    SlashWhite,
    SlashGold,
    Dust,
    Glove, // the hands have a colour of their own, so the grip on the rope reads
    paletteSize = 72,
};

std::vector<Rgb> PlayerColours()
{
    std::vector<Rgb> colours(paletteSize, Rgb{0, 0, 0});
    colours[Ink] = {24, 20, 36};
    colours[Skin] = {240, 196, 150};
    colours[Hat] = {118, 66, 26};
    colours[Shirt] = {56, 100, 224};
    colours[Sleeve] = {38, 70, 168};
    colours[Pants] = {56, 52, 104};
    colours[Boots] = {78, 44, 20};
    colours[Handle] = {128, 80, 44};
    colours[SlashWhite] = {255, 255, 255};
    colours[SlashGold] = {255, 226, 80};
    colours[Dust] = {186, 176, 156};
    colours[Glove] = {232, 176, 96};
    SetDebugBoxColours(colours);
    return colours;
}

// The whip arm's frames: frame f reaches f px from the player's position.
constexpr int whipArmFrames = 41;

// A frame is painted on a cell around the player's position, then cropped to what it covers.
constexpr int cellLeft = -48, cellTop = -44, cellWidth = 96, cellHeight = 80;

// A paint surface in right-facing coordinates: mirror turns the picture to face left, and a
// rotation turns it about the player's position (256ths of a turn, clockwise on screen).
struct Canvas {
    std::vector<u8> pixels = std::vector<u8>((size_t)cellWidth * cellHeight, Clear);
    bool mirror = false;
    double cosA = 1.0, sinA = 0.0;

    void Rotate(double steps)
    {
        const double a = steps * 2.0 * pi / 256.0;
        cosA = std::cos(a);
        sinA = std::sin(a);
    }
    Pt Map(Pt p) const
    {
        Pt q{p.x * cosA - p.y * sinA, p.x * sinA + p.y * cosA};
        if (mirror)
            q.x = -q.x;
        return q;
    }
    void Put(int x, int y, u8 colour)
    {
        const int column = x - cellLeft, row = y - cellTop;
        if (column >= 0 && column < cellWidth && row >= 0 && row < cellHeight)
            pixels[(size_t)row * cellWidth + column] = colour;
    }
    void DiscAt(Pt c, double r, u8 colour)
    {
        for (int y = (int)std::floor(c.y - r); y <= (int)std::ceil(c.y + r); ++y)
            for (int x = (int)std::floor(c.x - r); x <= (int)std::ceil(c.x + r); ++x)
                if ((x - c.x) * (x - c.x) + (y - c.y) * (y - c.y) <= r * r + 0.25)
                    Put(x, y, colour);
    }
    void Disc(Pt c, double r, u8 colour) { DiscAt(Map(c), r, colour); }
    void Dot(Pt p, u8 colour)
    {
        const Pt q = Map(p);
        Put((int)std::lround(q.x), (int)std::lround(q.y), colour);
    }
    // A thick line: discs stamped along it.
    void Line(Pt a, Pt b, double r, u8 colour)
    {
        const Pt p = Map(a), q = Map(b);
        const double length = std::hypot(q.x - p.x, q.y - p.y);
        const int steps = std::max(1, (int)std::ceil(length * 2.0));
        for (int i = 0; i <= steps; ++i) {
            const double t = (double)i / steps;
            DiscAt({p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t}, r, colour);
        }
    }
    // An arc of a ring about the position, from angle a0 to a1 (256ths).
    void Arc(double radius, double a0, double a1, double r, u8 colour)
    {
        const int steps = std::max(2, (int)(std::fabs(a1 - a0) * radius / 20.0));
        for (int i = 0; i <= steps; ++i)
            Disc(Along({0, 0}, a0 + (a1 - a0) * i / steps, radius), r, colour);
    }
    // A dark rim around every painted shape, so the figure reads on any background.
    void Outline() { OutlineShapes(pixels, cellWidth, cellHeight, Ink); }
};

// The figure's joints, right-facing, relative to the player's position (feet at y = 15).
struct Figure {
    Pt head{1, -9};
    Pt neck{0, -5}, hip{0, 4};
    Pt knee[2] = {{-2, 9}, {2, 9}}, foot[2] = {{-2, 14}, {2, 14}}; // back leg, front leg
    Pt shoulder{0, -3};
    Pt elbow[2] = {{-2, 1}, {3, 1}}, hand[2] = {{-2, 5}, {5, 4}}; // back arm, whip arm
    double handleAngle = 72; // the whip's handle in the front hand
    double whipLength = 4;   // handle only; longer while a lash is out
};

enum : u8 {
    Legs = 1,
    Upper = 2, // torso and head
    BackArm = 4,
    FrontArm = 8, // the whip hand and its handle
    Whole = Legs | Upper | BackArm | FrontArm,
};

void DrawHead(Canvas& c, Pt at)
{
    c.Disc(at, 4.0, Skin);
    c.Line({at.x - 2.0, at.y - 5.5}, {at.x + 1.5, at.y - 5.5}, 2.0, Hat); // crown
    c.Line({at.x - 4.5, at.y - 3.5}, {at.x + 6.0, at.y - 3.5}, 0.7, Hat); // brim, longer in front
    c.Dot({at.x + 2.0, at.y - 1.0}, Ink);                  // eye
    c.Dot({at.x + 4.5, at.y + 0.5}, Skin);                                // nose
}

void DrawArm(Canvas& c, const Figure& f, int i)
{
    c.Line(f.shoulder, f.elbow[i], 1.4, Sleeve);
    c.Line(f.elbow[i], f.hand[i], 1.3, Sleeve);
    if (i == 1) {
        // The handle: a grip, then thinner where a long one reaches out to the rope.
        const double grip = std::min(f.whipLength, 6.0);
        c.Line(f.hand[1], Along(f.hand[1], f.handleAngle, f.whipLength), 0.6, Handle);
        c.Line(f.hand[1], Along(f.hand[1], f.handleAngle, grip), 1.0, Handle);
    }
    c.Disc(f.hand[i], 1.5, Glove);
}

void DrawLeg(Canvas& c, const Figure& f, int i)
{
    c.Line(f.hip, f.knee[i], 1.8, Pants);
    c.Line(f.knee[i], f.foot[i], 1.7, Pants);
    c.Line(f.foot[i], {f.foot[i].x + 2.5, f.foot[i].y}, 1.3, Boots);
}

void DrawFigure(Canvas& c, const Figure& f, u8 parts)
{
    if (parts & BackArm)
        DrawArm(c, f, 0);
    if (parts & Legs) {
        DrawLeg(c, f, 0);
        DrawLeg(c, f, 1);
    }
    if (parts & Upper) {
        c.Line(f.neck, f.hip, 3.3, Shirt);
        c.Line({f.hip.x - 3.0, f.hip.y}, {f.hip.x + 3.0, f.hip.y}, 0.9, Pants); // belt
        DrawHead(c, f.head);
    } else if (parts & Legs) {
        c.Line(f.hip, {f.hip.x, f.hip.y - 2}, 2.6, Pants); // the seat the upper body stands on
    }
    if (parts & FrontArm)
        DrawArm(c, f, 1);
}

// Moves the whole upper body (head, torso, arms) by (dx, dy).
void ShiftUpper(Figure& f, double dx, double dy)
{
    for (Pt* p : {&f.head, &f.neck, &f.shoulder, &f.elbow[0], &f.elbow[1], &f.hand[0], &f.hand[1]}) {
        p->x += dx;
        p->y += dy;
    }
}

// Points an arm along an angle from the shoulder, with a slight bend at the elbow.
void AimArm(Figure& f, int i, double angle, double length = 10)
{
    f.elbow[i] = Along(f.shoulder, angle - 6, length * 0.5);
    f.hand[i] = Along(f.elbow[i], angle + 6, length * 0.5);
    if (i == 1)
        f.handleAngle = angle;
}

// The walk: legs swing on a cycle of 8, each arm with the other side's leg, the body bobs on the
// passing frames. A foot's stride runs forward while its phase is past half a turn, and that is
// when it is lifted: the planted foot slides back under the body as the ground goes by.
Figure WalkFigure(int frame)
{
    Figure f;
    const double p = 2.0 * pi * frame / 8.0;
    const double bob = -std::fabs(std::cos(p)) * 1.0 + 1.0;
    f.hip.y += bob - 1;
    ShiftUpper(f, 1.5, bob - 1); // leaning into the run
    f.hip.x = 0;
    for (int i = 0; i < 2; ++i) {
        const double q = p + i * pi;
        const double lift = std::max(0.0, -std::sin(q)) * 3.0;
        f.foot[i] = {6.0 * std::cos(q), 14.0 - lift};
        f.knee[i] = {(f.hip.x + f.foot[i].x) / 2 + 2.0, 9.0 - lift * 0.7 + bob - 1};
        // The arm of the other side swings forward with this leg.
        const double swing = 5.0 * std::cos(q);
        f.hand[1 - i] = {f.shoulder.x + swing, f.shoulder.y + 7.0};
        f.elbow[1 - i] = {f.shoulder.x + swing * 0.5 - 0.5, f.shoulder.y + 4.0};
    }
    f.handleAngle = 64 + 20.0 * std::cos(p);
    return f;
}

Figure RisingFigure(int frame)
{
    Figure f;
    f.knee[0] = {-1, 6};
    f.foot[0] = {-4, 11};
    f.knee[1] = {4, 7};
    f.foot[1] = {2, 12.0 - frame};
    AimArm(f, 0, 200 + frame * 6, 9);
    AimArm(f, 1, 220 - frame * 6, 9);
    return f;
}

Figure FallingFigure(int frame)
{
    Figure f;
    f.knee[0] = {-3, 9};
    f.foot[0] = {-5.0 - frame, 14};
    f.knee[1] = {3, 9};
    f.foot[1] = {5.0 + frame, 13};
    AimArm(f, 0, 150 - frame * 8, 10);
    AimArm(f, 1, 234 + frame * 8, 10);
    return f;
}

// Puts arm i's hand at `hand`: two bones of `bone` px from the shoulder, the elbow bent out to the
// side `bend` (1 or -1) names, straight when the hand is as far as the arm reaches or further.
void ReachTo(Figure& f, int i, Pt hand, double bend, double bone = 6.5)
{
    const double dx = hand.x - f.shoulder.x, dy = hand.y - f.shoulder.y;
    const double d = std::max(std::hypot(dx, dy), 0.01);
    const double out = d < 2 * bone ? std::sqrt(bone * bone - d * d / 4) * bend : 0.0;
    f.elbow[i] = {f.shoulder.x + dx / 2 - dy / d * out, f.shoulder.y + dy / 2 + dx / d * out};
    f.hand[i] = hand;
}

// Holds the whip out along `direction` with its handle's end at `grip`, where the rope starts: the
// hand as near the grip as the arm reaches, the handle making up the rest (at least 4 px of it shows).
void HoldWhipAt(Figure& f, double direction, Pt grip, double bone = 6.5)
{
    const Pt u = Along({0, 0}, direction, 1.0);
    const double gx = grip.x - f.shoulder.x, gy = grip.y - f.shoulder.y;
    const double along = gx * u.x + gy * u.y, reach = 2 * bone;
    const double square = along * along - (gx * gx + gy * gy) + reach * reach;
    double handle = square >= 0 ? along - std::sqrt(square) : along;
    handle = std::max(handle, 4.0);
    ReachTo(f, 1, {grip.x - u.x * handle, grip.y - u.y * handle}, direction > 128 ? 1 : -1, bone);
    f.handleAngle = direction;
    f.whipLength = handle;
}

// The hang: towed through the air by the rope while zipping to what the whip holds. The drawing
// turns it to the way the body flies, so it is painted flying forward: stretched out level with
// the shoulder at the position, the back hand on the handle ahead (the whip arm brings the front
// hand and the rest of the handle), the legs trailing and kicking.
Figure TowedFigure(int frame)
{
    Figure f;
    const double kick = frame ? 1.5 : -1.5;
    f.shoulder = {0, 0};
    f.neck = {1, -1};
    f.head = {4, -4};
    f.hip = {-9, 1};
    f.knee[0] = {-14, 1.5 + kick};
    f.foot[0] = {-19.5, 2.5 + kick};
    f.knee[1] = {-14.5, 0 - kick};
    f.foot[1] = {-20, 0.5 - kick * 1.5};
    ReachTo(f, 0, {15, 0.5}, 1, 7.5);
    return f;
}

// The two swings of the ground combo and the air swing: the arm's angle and the lash's length.
struct Swing {
    double armAngle;
    double lash;
};
const Swing firstSwing[8] = {{160, 4}, {176, 4}, {208, 14}, {244, 22}, {20, 18}, {40, 8}, {48, 4}, {48, 4}};
const Swing secondSwing[8] = {{48, 4}, {40, 4}, {24, 14}, {252, 22}, {220, 18}, {200, 8}, {192, 4}, {192, 4}};

Figure SwingFigure(const Swing& s, bool air)
{
    Figure f;
    if (air) {
        f.knee[0] = {0, 6};
        f.foot[0] = {-3, 11};
        f.knee[1] = {5, 5};
        f.foot[1] = {3, 11};
    }
    AimArm(f, 1, s.armAngle, 10);
    f.whipLength = s.lash;
    AimArm(f, 0, 120, 8);
    return f;
}

// The slash trail drawn beside a swing: the arc the lash has swept up to this frame.
void DrawSlash(Canvas& c, const Swing* swings, int frame, u8 colour)
{
    if (frame < 2 || frame > 5)
        return;
    const double from = swings[frame - 1].armAngle, to = swings[frame].armAngle;
    double delta = std::fmod(to - from + 384.0, 256.0) - 128.0; // the short way round
    const double radius = 10 + std::max(swings[frame].lash, swings[frame - 1].lash);
    const double width = frame == 5 ? 0.6 : 1.2;
    c.Arc(radius, from, from + delta, width, colour);
    c.Arc(radius - 3, from + delta * 0.4, from + delta, width * 0.6, colour);
}

// Throws: the arm winds up behind (frames 0-4); from the release at frame 5 the rope is out and the
// arm holds the whip out along the throw, the end of its handle where the throw starts the rope
// (`grip`, right-facing); the back arm swings through. The overlay lies over the standing body's
// own head and torso, so the upper body stays put: the arm reaches from a shoulder thrust forward.
Figure ThrowFigure(double direction, Pt grip, int frame)
{
    Figure f;
    if (frame < 5) {
        AimArm(f, 1, direction - 100 + frame * 18, 11);
        f.whipLength = 5;
        AimArm(f, 0, 100, 8);
        return f;
    }
    AimArm(f, 0, 110 + (frame - 5) * 12, 8);
    f.shoulder = Along(f.shoulder, direction, 2.0);
    HoldWhipAt(f, direction, grip);
    return f;
}

// Hanging from the rope by both hands, upright: the fists one over the other on the handle, the
// upper one 20 px over the position, where the drawing ends the rope when the anchor is straight
// above. The rope spin turns this figure to the rope's angle.
Figure RopeHangFigure()
{
    Figure f;
    f.neck = {0.5, -7.5};
    f.hip = {0, 2};
    f.head = {3.5, -10};
    f.shoulder = {-0.5, -7};
    ReachTo(f, 0, {-1, -16.5}, -1, 5.5);
    ReachTo(f, 1, {0, -20}, -1, 7);
    f.handleAngle = 64;
    f.whipLength = 6;
    f.knee[0] = {-1.5, 7};
    f.foot[0] = {-2.5, 12};
    f.knee[1] = {1.5, 7.5};
    f.foot[1] = {0.5, 12.5};
    return f;
}

Figure HurtFigure(int frame)
{
    Figure f;
    if (frame <= 15) {
        // Knocked back: limbs flung forward, flailing.
        const double flail = (frame / 2) % 2 ? 10 : -10;
        f.knee[0] = {2, 8};
        f.foot[0] = {5, 12};
        f.knee[1] = {5, 7};
        f.foot[1] = {8, 10};
        AimArm(f, 0, 176 + flail, 10);
        AimArm(f, 1, 224 - flail, 10);
        f.head = {-1, -9};
    } else {
        // Landing: crouched at first, back up by the last frame.
        const double crouch = std::max(0.0, 4.0 - (frame - 16) * 0.8);
        f.hip.y += crouch;
        ShiftUpper(f, 0, crouch);
        f.knee[0] = {-3 + crouch * 0.5, 9 + crouch * 0.3};
        f.knee[1] = {3 + crouch * 0.5, 9 + crouch * 0.3};
        f.foot[0] = {-3, 14};
        f.foot[1] = {3, 14};
    }
    return f;
}

// The defeated tumble: stretched out with its limbs flailing, drawn upright and turned by the
// body's tilt alone. A body that stays on the ground turns to lie on its back along it, a quarter
// turn back from upright about the player's position, which is 16 px over the ground: so the figure
// stands that far behind the position, its back on the ground when it lies, and no limb reaches
// behind its back. Every frame is a pose a body at rest may keep.
Figure TumbleFigure(int frame)
{
    Figure f;
    const double flail[4][4] = {
        // arms (back, front), knee raised forward (back, front)
        {70, 236, 0, 3},
        {20, 0, 3, 0},
        {64, 56, 0, 1},
        {76, 30, 4, 1},
    };
    const double* pose = flail[frame % 4];
    const double back = -11.0; // the spine's line: the back of the body and head 16 px behind
    AimArm(f, 0, pose[0], 10);
    AimArm(f, 1, pose[1], 10);
    for (int i = 0; i < 2; ++i) {
        f.knee[i] = {1.0 + pose[2 + i], 9.5 - pose[2 + i] * 0.4};
        f.foot[i] = {i * 1.5 + pose[2 + i] * 0.5, 14.5 - pose[2 + i] * 0.6};
    }
    ShiftUpper(f, back, 0);
    for (Pt* p : {&f.hip, &f.knee[0], &f.knee[1], &f.foot[0], &f.foot[1]})
        p->x += back;
    return f;
}

Figure SlideFigure(int frame, bool skid)
{
    Figure f;
    f.hip = {-2, 8};
    ShiftUpper(f, skid ? -3 : -4, skid ? 3 : 6);
    f.knee[1] = {3, 10};
    f.foot[1] = {8, 14};
    f.knee[0] = {-4, 13};
    f.foot[0] = {-7, 14.0 - (frame % 2)};
    AimArm(f, 0, 150, 9);
    AimArm(f, 1, skid ? 20 : 120, 9);
    return f;
}

// Puffs of dust thrown up behind the feet.
void DrawDust(Canvas& c, int frame, double size)
{
    for (int k = 0; k < 3; ++k) {
        const double age = (frame + k * 1.3);
        const double r = 1.0 + std::fmod(age, 4.0) * 0.6 * size;
        c.Disc({-9.0 - std::fmod(age, 4.0) * 3.0, 13.0 - std::fmod(age, 4.0) * 1.2 - k}, r, Dust);
    }
}

// What one frame holds besides its picture.
struct FrameInfo {
    Canvas canvas;
    Pt hand{5, 4}; // the front hand, right-facing, unrotated
    Pt handMapped{5, 4};
    u16 attackSet = 0; // 0: only the hurt box
    u16 duration = 256;
};

typedef std::function<void(FrameInfo&, int)> Painter;

struct AnimSpec {
    int frames = 1;
    u16 ticks = 4; // per frame, at speed 256
    i8 playMode = 0;
    Painter paint;
    std::vector<u16> tickList; // per-frame durations in ticks, when they differ
};

// The hurt box is hit set 0; the attack sets follow.
enum : u16 {
    HurtSet = 0,
    FirstSwingSet = 1,
    SecondSwingSet = 2,
    AirSwingSet = 3,
};

void Paint(FrameInfo& info, const Figure& f, u8 parts)
{
    DrawFigure(info.canvas, f, parts);
    info.hand = f.hand[1];
}

Painter FigurePainter(std::function<Figure(int)> make, u8 parts)
{
    return [make, parts](FrameInfo& info, int frame) { Paint(info, make(frame), parts); };
}

std::vector<AnimSpec> PlayerAnimations()
{
    std::vector<AnimSpec> a(playerLastAnimation + 1);
    // Every index gets a plain standing figure first, so every animation the code may name has a
    // frame; the named ones are replaced below.
    for (AnimSpec& spec : a)
        spec.paint = FigurePainter([](int) { return Figure{}; }, Whole);

    const auto stand = [](int frame) {
        Figure f;
        ShiftUpper(f, 0, frame); // breathing
        return f;
    };
    a[0] = {1, 8, 0, FigurePainter(stand, BackArm), {}};
    a[2] = {1, 8, 0, FigurePainter(stand, FrontArm), {}};
    a[4] = {2, 30, 0, FigurePainter(stand, Legs | Upper), {}};

    // The rope spin: the drawing shows frame i for a rope at 10i to 10i + 9 from the player to its
    // anchor (256 a turn, y up, 64 straight above), so frame i hangs the figure under a rope at the
    // middle of those, 10i + 4.5: frame 6 upright, frame 0 swung out left with the hands reaching
    // right, frame 12 the other way.
    a[8] = {13, 4, 0, [](FrameInfo& info, int frame) {
                info.canvas.Rotate(64.0 - (frame * 10.0 + 4.5));
                Paint(info, RopeHangFigure(), Whole);
            }, {}};

    a[10] = {23, 3, 1, FigurePainter(HurtFigure, Whole), {}};
    for (int f = 0; f < 23; ++f)
        a[10].tickList.push_back(f < 10 ? 2 : f < 16 ? 4 : 3);

    // The walk's frame speed is set from the ground speed by the drawing (128 standing, about 276
    // at full run), so 5 ticks at speed 256 make about 4.6 ticks a frame when running.
    a[12] = {8, 5, 0, FigurePainter(WalkFigure, Legs), {}};
    a[13] = {8, 5, 0, FigurePainter(WalkFigure, Upper | BackArm), {}};
    a[14] = {8, 5, 0, FigurePainter(WalkFigure, FrontArm), {}};

    // The whip arm, turned by the drawing about the player's position toward the hand where the rope
    // starts: frame f reaches f px along x, the arm out and the handle making up the rest.
    a[18] = {whipArmFrames, 8, 0, [](FrameInfo& info, int reach) {
                 Figure f;
                 f.shoulder = {0, 0};
                 HoldWhipAt(f, 0, {std::max(reach, 6) * 1.0, 0});
                 DrawArm(info.canvas, f, 1);
                 info.hand = f.hand[1];
             }, {}};

    // Throws, right-facing: up, up-right, right, down-right, down, with the grip where the throw
    // starts the rope; 24-28 are their mirrors, painted for the grips of the left-facing throws.
    struct ThrowArt {
        double direction;
        Pt right, left;
    };
    const ThrowArt throws[5] = {{192, {1, -29}, {-3, -29}},
                                {224, {24, -17}, {-26, -17}},
                                {0, {31, 1}, {-31, 1}},
                                {32, {22, 15}, {-24, 15}},
                                {64, {1, 25}, {-3, 25}}};
    for (int t = 0; t < 5; ++t) {
        const ThrowArt art = throws[t];
        a[19 + t] = {8, 1, 1, [art](FrameInfo& info, int frame) {
                         // The twin paints through the mirror, so its grip is mirrored back first.
                         const Pt grip = info.canvas.mirror ? Pt{-art.left.x, art.left.y} : art.right;
                         Paint(info, ThrowFigure(art.direction, grip, frame), Upper | BackArm | FrontArm);
                     }, {1, 1, 1, 1, 1, 1, 3, 3}};
    }

    // Ground combo: the overlay (upper body and swinging arm) and, one index before, its trail.
    a[29] = {8, 2, 1, [](FrameInfo& info, int frame) {
                 DrawSlash(info.canvas, firstSwing, frame, SlashWhite);
                 info.hand = SwingFigure(firstSwing[frame], false).hand[1];
             }, {}};
    a[30] = {8, 2, 1, [](FrameInfo& info, int frame) {
                 Paint(info, SwingFigure(firstSwing[frame], false), Upper | BackArm | FrontArm);
                 if (frame >= 2 && frame <= 4)
                     info.attackSet = FirstSwingSet;
             }, {}};
    a[31] = {8, 2, 1, [](FrameInfo& info, int frame) {
                 DrawSlash(info.canvas, secondSwing, frame, SlashGold);
                 info.hand = SwingFigure(secondSwing[frame], false).hand[1];
             }, {}};
    a[32] = {8, 2, 1, [](FrameInfo& info, int frame) {
                 Paint(info, SwingFigure(secondSwing[frame], false), Upper | BackArm | FrontArm);
                 if (frame >= 2 && frame <= 4)
                     info.attackSet = SecondSwingSet;
             }, {}};

    a[37] = {4, 4, 0, [](FrameInfo& info, int frame) {
                 const Figure f = TumbleFigure(frame);
                 Paint(info, f, Whole);
                 // Knocked out: a cross for the eye.
                 const Pt eye{f.head.x + 2.0, f.head.y - 1.0};
                 for (int d = -1; d <= 1; ++d) {
                     info.canvas.Dot({eye.x + d, eye.y + d}, Ink);
                     info.canvas.Dot({eye.x + d, eye.y - d}, Ink);
                 }
             }, {}};

    a[39] = {4, 4, 0, [](FrameInfo& info, int frame) {
                 Paint(info, SlideFigure(frame, true), Whole);
                 DrawDust(info.canvas, frame, 1.4);
             }, {}};
    a[41] = {4, 4, 0, [](FrameInfo& info, int frame) {
                 Paint(info, SlideFigure(frame, false), Whole);
                 DrawDust(info.canvas, frame, 1.0);
             }, {}};

    a[43] = {8, 2, 1, [](FrameInfo& info, int frame) {
                 DrawSlash(info.canvas, firstSwing, frame, SlashWhite);
                 info.hand = SwingFigure(firstSwing[frame], true).hand[1];
             }, {}};
    a[44] = {8, 2, 1, [](FrameInfo& info, int frame) {
                 Paint(info, SwingFigure(firstSwing[frame], true), Whole);
                 if (frame >= 2 && frame <= 4)
                     info.attackSet = AirSwingSet;
             }, {}};

    a[47] = {2, 6, 0, FigurePainter(RisingFigure, Upper | BackArm), {}};
    a[48] = {2, 6, 0, FigurePainter(RisingFigure, FrontArm), {}};
    a[49] = {2, 6, 0, FigurePainter(RisingFigure, Legs), {}};
    a[53] = {2, 6, 0, FigurePainter(FallingFigure, Upper | BackArm), {}};
    a[54] = {2, 6, 0, FigurePainter(FallingFigure, FrontArm), {}};
    a[55] = {2, 6, 0, FigurePainter(FallingFigure, Legs), {}};

    a[59] = {2, 12, 0, FigurePainter(TowedFigure, Legs | Upper | BackArm), {}};

    // The left-facing twins: the same art, mirrored by the painter.
    const std::pair<int, int> twins[] = {{0, 1},   {2, 3},   {4, 5},   {8, 9},   {10, 11}, {12, 15}, {13, 16},
                                         {14, 17}, {19, 24}, {20, 25}, {21, 26}, {22, 27}, {23, 28}, {29, 33},
                                         {30, 34}, {31, 35}, {32, 36}, {37, 38}, {39, 40}, {41, 42}, {43, 45},
                                         {44, 46}, {47, 50}, {48, 51}, {49, 52}, {53, 56}, {54, 57}, {55, 58},
                                         {59, 60}};
    for (const auto& [right, left] : twins) {
        a[left] = a[right];
        const Painter paint = a[right].paint;
        a[left].paint = [paint](FrameInfo& info, int frame) {
            info.canvas.mirror = true;
            paint(info, frame);
        };
    }
    return a;
}

std::vector<i16> Synth(double seconds, const std::function<double(double t, double p)>& wave)
{
    constexpr u32 rate = 22050;
    return Synth8((size_t)(seconds * rate), 110.0, [&](size_t i) {
        const double t = (double)i / rate, p = t / seconds;
        return wave(t, p);
    });
}

// A square wave whose pitch glides from f0 to f1, fading out.
std::vector<i16> Sweep(double seconds, double f0, double f1, double volume)
{
    double phase = 0.0;
    return Synth(seconds, [=](double, double p) mutable {
        phase += (f0 + (f1 - f0) * p) / 22050.0;
        return (std::fmod(phase, 1.0) < 0.5 ? volume : -volume) * (1.0 - p);
    });
}

// Notes one after another, each a short square blip.
std::vector<i16> Arpeggio(const std::vector<double>& notes, double noteSeconds, double volume)
{
    std::vector<i16> out;
    for (double note : notes) {
        const std::vector<i16> blip = Sweep(noteSeconds, note, note, volume);
        out.insert(out.end(), blip.begin(), blip.end());
    }
    return out;
}

std::vector<i16> Thud()
{
    u32 noise = 12345;
    double phase = 0.0;
    return Synth(0.09, [=](double, double p) mutable {
        noise = noise * 1103515245u + 12345u;
        phase += (140.0 - 80.0 * p) / 22050.0;
        const double hiss = ((noise >> 16) & 0xFF) / 127.5 - 1.0;
        return (0.5 * hiss + 0.6 * (std::fmod(phase, 1.0) < 0.5 ? 1 : -1)) * (1.0 - p);
    });
}

Vep PlayerProperties()
{
    Vep vep;
    // The library's defaults; the player's own states use the tuning of its record.
    vep.values = {0.2, 0.1, 0.15, 6.0, 0.2, 0.4, 0.4, 8.0, 16.0, 4.0, 1.0, 0.21875, 0.21875, 2.0, 3.0};
    vep.hp = 5;
    vep.flags = {1, 1, 0, 0, 0}; // knockable, turns to face its attacker, boxes mirror with the sprite
    vep.anims = {0, -1, -1, -1, -1, -1, -1, -1, -1, -1}; // the states choose every animation
    vep.skipped = {0};
    // Rows in the order of the manifest's hit boxes: the hurt box, then one box per attack set.
    vep.rows = {
        {0, 0, 0, 0.0, 0.0, 0},                    // hurt
        {0x4, 1, 6, 3.0, 1.0, 240},                // first swing: a low arc forward
        {0x4, 1, 9, 5.0, 2.0, 224},                // second swing: harder, up and away
        {0x4, 1, 6, 3.5, 1.0, 240},                // air swing
    };
    return vep;
}

} // namespace

bool WritePlayerData(const std::string& dir)
{
    const std::string folder = "Data/Sprites/Players/";
    Manifest manifest;
    manifest.boxes = {BoxOf(playerBoxLeft, playerBoxRight, playerBoxTop, playerBoxBottom)};
    manifest.hitSets = {
        {BoxOf(playerBoxLeft, playerBoxRight, playerBoxTop, playerBoxBottom)}, // hurt box
        {BoxOf(6, 38, -24, 6)},                                               // first swing
        {BoxOf(4, 36, -30, 4)},                                               // second swing
        {BoxOf(4, 34, -22, 14)},                                              // air swing
    };

    // Frames are packed in shelves on one sheet.
    TgaImage sheet;
    sheet.width = 1024;
    sheet.colours = PlayerColours();
    ShelfPacker packer(sheet);

    for (const AnimSpec& spec : PlayerAnimations()) {
        ManAnimation animation;
        animation.speed = 256;
        animation.playMode = spec.playMode;
        animation.loopFrame = 0;
        for (int f = 0; f < spec.frames; ++f) {
            FrameInfo info;
            spec.paint(info, f);
            info.canvas.Outline();
            ManFrame frame = packer.Add(Crop(info.canvas.pixels, cellLeft, cellTop, cellWidth, cellHeight));
            const u16 ticks = spec.tickList.empty() ? spec.ticks : spec.tickList[(size_t)f];
            frame.duration = (u16)(ticks * 256);
            // Point 0 the whip hand, point 1 the feet; both as drawn (mirrored and turned).
            const Pt hand = info.canvas.Map(info.hand), feet = info.canvas.Map({0, 15});
            frame.points = {{(i8)std::lround(hand.x), (i8)std::lround(hand.y)},
                            {(i8)std::lround(feet.x), (i8)std::lround(feet.y)}};
            frame.boxIndex = 0;
            frame.hits = {{HurtSet, 0, 0}};
            if (info.attackSet)
                frame.hits.push_back({info.attackSet, 0, 0});
            animation.frames.push_back(frame);
        }
        manifest.animations.push_back(animation);
    }
    packer.Finish();
    manifest.sheets = {{"Player.tga", true, (u8)paletteSize}};

    const double c4 = 261.63, e4 = 329.63, g4 = 392.0, c5 = 523.25, e5 = 659.25, g5 = 783.99, c6 = 1046.5;
    return PutFile(dir, folder + "Player.tga", MakeTga(sheet)) && PutFile(dir, folder + "Player.man", MakeManifest(manifest)) &&
           PutFile(dir, folder + "Player.vep", MakeVep(PlayerProperties())) &&
           PutFile(dir, "Data/SFX/Global/Jump.wav", MakeWav(Sweep(0.16, 300, 720, 0.7), 22050, 8, 1)) &&
           PutFile(dir, "Data/SFX/Global/Jump2.wav", MakeWav(Sweep(0.16, 420, 980, 0.7), 22050, 8, 1)) &&
           PutFile(dir, "Data/SFX/Global/Land.wav", MakeWav(Thud(), 22050, 8, 1)) &&
           PutFile(dir, "Data/SFX/Global/Death.wav", MakeWav(Sweep(0.7, 700, 90, 0.8), 22050, 8, 1)) &&
           PutFile(dir, "Data/SFX/Global/Health.wav", MakeWav(Arpeggio({c5, e5, g5}, 0.07, 0.6), 22050, 8, 1)) &&
           PutFile(dir, "Data/SFX/Global/Life.wav", MakeWav(Arpeggio({c4, e4, g4, c5, g5, c6}, 0.08, 0.6), 22050, 8, 1));
}

} // namespace datakit
