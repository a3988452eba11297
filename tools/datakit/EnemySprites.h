// The enemies' sprite sets, one writer for all of them: every frame painted by code on a cell
// around the object's position, cropped, packed in shelves on one sheet, and written out with its
// manifest (and the properties file where the set has one) under "Data/Sprites/Enemies/<folder>/".
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/SpriteCanvas.h"
#include "tools/datakit/TgaWriter.h"
#include "tools/datakit/VepWriter.h"

namespace datakit {

// Palette entries of every enemy set: 0 clear, 1 the dark rim; from 2 on each set's own colours.
enum : u8 { EnemyClear = 0, EnemyInk = 1 };

// The palette most sets start from: 72 entries, the rim's colour, and the debug outline colours
// at 64-69.
std::vector<Rgb> EnemyPalette();

// The hurt row and a contact attack. A contact attack takes a fresh id every frame but hits once
// per animation of the attacker: without the once-only flag a body that stays in the box would be
// taken every frame, and as the launch of a hit comes before the check of the player's blink, the
// player's own knock-back would be replaced by the box's frame after frame while it blinks inside.
inline constexpr VepRow enemyHurtRow{0, 0, 0, 0.0, 0.0, 0};
inline constexpr VepRow enemyContactRow{0x4, 2, 8, 2.0, 1.0, 224};

// A paint surface in right-facing coordinates, cellLeft..cellLeft + cellWidth across the position.
// Shapes are tests on a point of the picture; every pixel of the cell is taken back through the
// frame's squash and turn (about the position) and painted when the shape holds there, so turned
// and squashed frames stay solid.
struct EnemyCanvas {
    static constexpr int cellLeft = -48, cellTop = -56, cellWidth = 96, cellHeight = 96;

    std::vector<u8> pixels = std::vector<u8>((size_t)cellWidth * cellHeight, EnemyClear);
    double cosA = 1.0, sinA = 0.0, scaleX = 1.0, scaleY = 1.0;

    // Turns the picture by steps 256ths of a turn.
    void Rotate(double steps);
    void Squash(double sx, double sy);
    // Picture point for the centre of cell pixel (x, y): undo the turn, then the squash.
    Pt Source(int x, int y) const;
    void Fill(const std::function<bool(Pt)>& inside, u8 colour);
    void Ellipse(Pt c, double rx, double ry, u8 colour);
    void Disc(Pt c, double r, u8 colour) { Ellipse(c, r, r, colour); }
    // A thick line with round ends.
    void Line(Pt a, Pt b, double r, u8 colour);
    void Rect(double left, double top, double right, double bottom, u8 colour);
    void Triangle(Pt a, Pt b, Pt c, u8 colour);
    void Ring(Pt c, double r0, double r1, u8 colour);
    // A dark rim around every painted shape, so the figure reads on any background.
    void Outline() { OutlineShapes(pixels, cellWidth, cellHeight, EnemyInk); }
};

// What a frame holds besides its picture: the hit sets it lists (hurt boxes and attacks) and its
// points.
struct EnemyFrame {
    EnemyCanvas canvas;
    std::vector<u16> hitSets;
    std::vector<ManPoint> points;
};

typedef std::function<void(EnemyFrame&, int)> EnemyPainter;

struct EnemyAnimation {
    int frames = 1;
    u16 ticks = 6; // a frame lasts
    i8 playMode = 0; // 0 loops, 1 holds its last frame
    EnemyPainter paint;
    bool outline = true; // glowing pictures (a flame) go without the dark rim
    u16 speed = 256;
};

// One set: where it goes, its sheet's width and colours (and the palettes beside it), its body
// box, hit sets and animations.
struct EnemySprites {
    std::string folder; // under Data/Sprites/Enemies
    std::string name;   // of the .man and .tga
    int sheetWidth = 512;
    std::vector<Rgb> colours;
    std::vector<std::string> extraPalettes;
    ManBox body;
    std::vector<std::vector<ManBox>> hitSets;
    std::vector<EnemyAnimation> animations;
};

// A set with its properties file, of the same name.
struct EnemySet : EnemySprites {
    Vep vep;
};

// Paints every frame and writes the sheet and the manifest (and the properties file). False
// (after printing why) on a write failure.
bool WriteEnemySprites(const std::string& dir, const EnemySprites& set);
bool WriteEnemySet(const std::string& dir, const EnemySet& set);

} // namespace datakit
