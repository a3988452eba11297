#include "tools/datakit/ItemArt.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "tools/datakit/BraktextWriter.h"
#include "tools/datakit/Bytes.h"
#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/PlacementWriter.h"
#include "tools/datakit/SpriteCanvas.h"
#include "tools/datakit/TgaWriter.h"
#include "tools/datakit/Wav.h"

namespace datakit {

namespace {

// One palette for all four sets; each set carries its own copy.
enum : u8 {
    Clear = 0,
    Ink,
    BoneWhite,
    BoneShade,
    Glint,
    Gold,
    GoldDark,
    HeartRed,
    PlusGreen,
    Wood,
    WoodDark,
    Iron,
    LampOff,
    Flame,
    FlameCore,
    Paper,
    Writing,
    Bubble,
    paletteSize,
};

std::vector<Rgb> ItemColours()
{
    std::vector<Rgb> colours(paletteSize, Rgb{0, 0, 0});
    colours[Ink] = {30, 22, 34};
    colours[BoneWhite] = {244, 238, 214};
    colours[BoneShade] = {190, 178, 146};
    colours[Glint] = {255, 255, 255};
    colours[Gold] = {255, 212, 64};
    colours[GoldDark] = {200, 140, 30};
    colours[HeartRed] = {230, 46, 70};
    colours[PlusGreen] = {96, 226, 120};
    colours[Wood] = {150, 98, 50};
    colours[WoodDark] = {92, 58, 28};
    colours[Iron] = {96, 100, 112};
    colours[LampOff] = {70, 74, 92};
    colours[Flame] = {255, 150, 40};
    colours[FlameCore] = {255, 240, 150};
    colours[Paper] = {232, 216, 170};
    colours[Writing] = {90, 60, 40};
    colours[Bubble] = {250, 250, 240};
    return colours;
}

// A paint cell of w x h pixels whose pixel (0, 0) lies at (left, top) from the object's position.
struct Cell {
    int left, top, w, h;
    std::vector<u8> pixels;

    Cell(int left_, int top_, int w_, int h_) : left(left_), top(top_), w(w_), h(h_), pixels((size_t)w_ * h_, Clear) {}

    void Put(int x, int y, u8 colour)
    {
        const int column = x - left, row = y - top;
        if (column >= 0 && column < w && row >= 0 && row < h)
            pixels[(size_t)row * w + column] = colour;
    }
    void Rect(int x0, int y0, int x1, int y1, u8 colour) // both corners included
    {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                Put(x, y, colour);
    }
    void Disc(double cx, double cy, double r, u8 colour)
    {
        for (int y = (int)std::floor(cy - r); y <= (int)std::ceil(cy + r); ++y)
            for (int x = (int)std::floor(cx - r); x <= (int)std::ceil(cx + r); ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r + 0.25)
                    Put(x, y, colour);
    }
    // A 5 x 7 glyph from rows of '#', each dot drawn as a scale x scale block.
    void Glyph(const char* const rows[7], int x0, int y0, int scale, u8 colour)
    {
        for (int row = 0; row < 7; ++row)
            for (int column = 0; column < 5 && rows[row][column]; ++column)
                if (rows[row][column] == '#')
                    Rect(x0 + column * scale, y0 + row * scale, x0 + column * scale + scale - 1,
                         y0 + row * scale + scale - 1, colour);
    }
    // A dark rim round everything painted, so the shapes read on any background.
    void Outline() { OutlineShapes(pixels, w, h, Ink); }
};

struct CellFrame {
    Cell cell;
    u16 ticks;
    u16 boxIndex;
};

struct CellAnimation {
    i8 playMode = 0;
    i8 loopFrame = 0;
    std::vector<CellFrame> frames;
};

// Packs every frame side by side on one sheet and writes the sheet and the manifest.
bool WriteSet(const std::string& dir, const std::string& folder, const std::string& name,
              const std::vector<ManBox>& boxes, const std::vector<CellAnimation>& animations)
{
    TgaImage sheet;
    sheet.colours = ItemColours();
    int width = 0;
    for (const CellAnimation& a : animations)
        for (const CellFrame& f : a.frames)
            width += f.cell.w;
    sheet.width = (u16)width; // one shelf
    ShelfPacker packer(sheet);

    Manifest manifest;
    manifest.sheets = {{name + ".tga", true, (u8)paletteSize}};
    manifest.boxes = boxes;
    for (const CellAnimation& a : animations) {
        ManAnimation animation;
        animation.speed = 256;
        animation.playMode = a.playMode;
        animation.loopFrame = a.loopFrame;
        for (const CellFrame& f : a.frames) {
            ManFrame frame = packer.Add(Cropped{f.cell.w, f.cell.h, f.cell.left, f.cell.top, f.cell.pixels});
            frame.duration = (u16)(f.ticks * 256);
            frame.boxIndex = f.boxIndex;
            animation.frames.push_back(frame);
        }
        manifest.animations.push_back(animation);
    }
    packer.Finish();
    return PutFile(dir, folder + name + ".tga", MakeTga(sheet)) &&
           PutFile(dir, folder + name + ".man", MakeManifest(manifest));
}

// ---- the bone ----

// A bone lying across its position: a shaft with two knobs at each end. The glint runs along the
// shaft from frame to frame, so even a still bone shimmers.
Cell BoneFrame(int frame)
{
    Cell c(-10, -6, 20, 12);
    for (int end : {-1, 1}) {
        c.Disc(end * 6.5, -1.6, 2.3, BoneWhite);
        c.Disc(end * 6.5, 1.6, 2.3, BoneWhite);
    }
    c.Rect(-6, -1, 6, 1, BoneWhite);
    c.Rect(-5, 1, 5, 1, BoneShade);
    for (int end : {-1, 1})
        c.Put(end * 7, 2, BoneShade), c.Put(end * 8, 2, BoneShade);
    const int glint = -5 + frame * 3;
    c.Put(glint, -1, Glint);
    c.Put(glint + 1, -1, Glint);
    c.Outline();
    return c;
}

bool WriteCollectSet(const std::string& dir)
{
    CellAnimation spin;
    for (int f = 0; f < 4; ++f)
        spin.frames.push_back({BoneFrame(f), 8, 0});
    return WriteSet(dir, "Data/Sprites/Global/", "Collect", {BoxOf(boneBoxLeft, boneBoxRight, boneBoxTop, boneBoxBottom)},
                    {spin});
}

// ---- the bonus glyphs ----

const char* const glyphOne[7] = {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."};
const char* const glyphU[7] = {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."};
const char* const glyphP[7] = {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."};
const char* const glyphPlus[7] = {".....", "..#..", "..#..", "#####", "..#..", "..#..", "....."};
const char* const glyphHeart[7] = {".#.#.", "#####", "#####", "#####", ".###.", "..#..", "....."};

// One glyph, 5 x 7 dots at 2 px, outlined. The text is centred over the player: the drawing starts
// 4 px left of the player and the glyphs together are 36 px wide.
Cell GlyphFrame(const char* const rows[7], u8 colour)
{
    Cell c(-14, 0, 12, 16);
    c.Glyph(rows, -13, 1, 2, colour);
    c.Outline();
    return c;
}

bool WriteBonusSet(const std::string& dir)
{
    CellAnimation life, health;
    life.frames = {{GlyphFrame(glyphOne, Gold), 1, 0}, {GlyphFrame(glyphU, Gold), 1, 0}, {GlyphFrame(glyphP, Gold), 1, 0}};
    health.frames = {{GlyphFrame(glyphPlus, PlusGreen), 1, 0},
                     {GlyphFrame(glyphOne, PlusGreen), 1, 0},
                     {GlyphFrame(glyphHeart, HeartRed), 1, 0}};
    life.playMode = health.playMode = 1;
    return WriteSet(dir, "Data/Sprites/Global/Bonus/", "Bonus", {BoxOf(-14, -2, 0, 16)}, {life, health});
}

// ---- the checkpoint ----

// A lantern post standing on its position. Frame 0: the lantern cold; then the lit lantern, its
// flame flickering and its glow breathing, looping without going back to the cold frame.
Cell CheckpointFrame(int frame)
{
    Cell c(-14, -52, 28, 53);
    c.Rect(-2, -40, 1, 0, Wood);       // the post
    c.Rect(1, -40, 1, 0, WoodDark);
    c.Rect(-6, 0, 5, 0, WoodDark);     // its foot
    c.Rect(-2, -42, 9, -40, Wood);     // the arm
    c.Rect(7, -39, 7, -37, Iron);      // the hook
    if (frame > 0) {
        const double glow = 7.0 + (frame % 2) * 1.5;
        c.Disc(7, -29, glow, GoldDark);
    }
    c.Rect(3, -36, 11, -36, Iron);     // lantern cap
    c.Rect(3, -22, 11, -22, Iron);     // and base
    c.Rect(4, -35, 10, -23, frame > 0 ? Gold : LampOff);
    c.Rect(3, -35, 3, -23, Iron);
    c.Rect(11, -35, 11, -23, Iron);
    if (frame > 0) {
        const int lean = frame % 3 - 1;
        c.Disc(7 + lean * 0.5, -29, 2.5, Flame);
        c.Rect(7 + lean, -33, 7 + lean, -31, Flame);
        c.Disc(7, -28, 1.2, FlameCore);
    }
    c.Outline();
    return c;
}

bool WriteCheckpointSet(const std::string& dir)
{
    CellAnimation lantern;
    lantern.playMode = 0;
    lantern.loopFrame = 1;
    lantern.frames.push_back({CheckpointFrame(0), 2, 0});
    for (int f = 1; f <= 4; ++f)
        lantern.frames.push_back({CheckpointFrame(f), 6, 0});
    return WriteSet(dir, "Data/Sprites/Global/Checkpoint/", "Checkpoint",
                    {BoxOf(checkpointBoxLeft, checkpointBoxRight, checkpointBoxTop, checkpointBoxBottom)}, {lantern});
}

// ---- the tutorial sign ----

// Animation 0: the board on its post, standing on its position. Animation 1: a bubble with an
// exclamation mark bobbing over it; its frames carry the box the player walks into.
Cell SignBoard()
{
    Cell c(-16, -34, 32, 35);
    c.Rect(-2, -16, 1, 0, Wood);
    c.Rect(1, -16, 1, 0, WoodDark);
    c.Rect(-14, -33, 13, -15, Wood);
    c.Rect(-12, -31, 11, -17, Paper);
    for (int row : {-28, -24, -20})
        c.Rect(-10, row, row == -20 ? 3 : 9, row, Writing);
    c.Outline();
    return c;
}

Cell SignBubble(int frame)
{
    Cell c(-8, -56, 16, 20);
    const int bob = frame == 1 || frame == 2 ? -2 : 0;
    c.Disc(0, -46 + bob, 6.0, Bubble);
    c.Rect(-1, -50 + bob, 0, -45 + bob, HeartRed);
    c.Rect(-1, -43 + bob, 0, -42 + bob, HeartRed);
    c.Outline();
    return c;
}

bool WriteSignSet(const std::string& dir)
{
    CellAnimation board, bubble;
    board.playMode = 1;
    board.frames = {{SignBoard(), 1, 0}};
    for (int f = 0; f < 4; ++f)
        bubble.frames.push_back({SignBubble(f), 10, 1});
    return WriteSet(dir, "Data/Sprites/Stages/Graveyard/", "Tutorial",
                    {BoxOf(-14, 14, -34, 0), BoxOf(signBoxLeft, signBoxRight, signBoxTop, signBoxBottom)}, {board, bubble});
}

// ---- sounds and texts ----

// Two bright square blips, the second a fourth higher.
std::vector<i16> CollectChime()
{
    constexpr u32 rate = 22050;
    std::vector<i16> out;
    for (double f : {1318.5, 1760.0}) {
        const size_t n = (size_t)(0.06 * rate);
        const std::vector<i16> blip = Synth8(n, 70.0, [&](size_t i) {
            const double p = (double)i / n;
            return (std::fmod(f * i / rate, 1.0) < 0.5 ? 1.0 : -1.0) * (1.0 - p);
        });
        out.insert(out.end(), blip.begin(), blip.end());
    }
    return out;
}

struct TextFile {
    const char* name;
    const char* text;
};

// The tutorial pages. The grapple style decides the zip and swing pages: style 1 zips on a tap and
// hangs on a hold ("-1"), style 0 the other way round ("-2"). The sign's box breaks a line only at its
// edge, wherever that falls, so every line here is broken by hand to fit the box with the text font:
// a heading and at most three lines of about thirty characters.
const TextFile tutorialTexts[] = {
    {"Bones.btx", "BONES\nPick up every bone you find.\nEnough bones heal you, and at\nfull health they earn a life."},
    {"Slopes.btx", "SLOPES\nRun downhill to build speed.\nFast enough, you can run up\nwalls and right round a loop."},
    {"Zip1-1.btx", "ZIP\nTAP the grapple button (E) to\nthrow the whip. Where it hooks,\nit pulls you straight there."},
    {"Zip1-2.btx", "ZIP\nHOLD the grapple button (E) to\nthrow the whip. Where it hooks,\nit pulls you straight there."},
    {"Zip2.btx", "ZIP\nAim with the arrow keys as you\nthrow: up and ahead reaches\nthe ledges above you."},
    {"Swing1-1.btx", "SWING\nHOLD the grapple button (E) to\nhang from the whip and swing.\nShift reels in, Ctrl lets out."},
    {"Swing1-2.btx", "SWING\nTAP the grapple button (E) to\nhang from the whip and swing.\nShift reels in, Ctrl lets out."},
    {"Hidden.btx", "SECRETS\nSome walls are weaker than\nthey look. Lash them with the\nwhip (A) to break through."},
    {"Escape.btx", "LET GO\nJump (S) while you swing to let\ngo of the rope and fly off with\nall of your speed."},
    {"Downhill.btx", "DOWNHILL\nLean into the slope and let it\ncarry you. Keep holding the\nway you are going."},
    {"Swing2.btx", "SWING HIGHER\nPush left and right in time\nwith the swing to widen it."},
    {"Zip3.btx", "ZIP AGAIN\nYou can throw the whip in the\nair too: zip from hook to hook\nacross the gaps."},
};

// Broken by hand for the test text's width limit of 150 pixels.
const char* const testText = "TEST TEXT\nThe quick brown fox\njumps over the lazy\ndog. 0123456789";

bool WriteTexts(const std::string& dir)
{
    const std::string folder = dir + "/Data/Text/English/";
    for (const TextFile& file : tutorialTexts)
        if (!WriteFile(folder + "Tutorial/" + file.name, MakeBraktext(file.text))) {
            fprintf(stderr, "datakit: cannot write %sTutorial/%s\n", folder.c_str(), file.name);
            return false;
        }
    if (!WriteFile(folder + "test.btx", MakeBraktext(testText))) {
        fprintf(stderr, "datakit: cannot write %stest.btx\n", folder.c_str());
        return false;
    }
    return true;
}

// ---- placements ----

// A stage's ground along its route, as StageData.cpp lays it: runs from x0 to x1 whose top goes
// from y0 to y1.
struct Run {
    int x0, x1, y0, y1;
};

// The top of the ground at x, or -1 off the runs.
double GroundAt(const std::vector<Run>& runs, double x)
{
    for (const Run& r : runs)
        if (x >= r.x0 && x <= r.x1)
            return r.y0 + (r.y1 - r.y0) * (x - r.x0) / (double)(r.x1 - r.x0);
    return -1.0;
}

PlacedObject Placed(double x, double y, std::vector<u8> keys = {})
{
    PlacedObject object;
    ToDecimalFloat(x, 2, &object.x);
    ToDecimalFloat(y, 2, &object.y);
    object.keys = std::move(keys);
    return object;
}

// A bone key: its value (0-4).
std::vector<u8> BoneValue(u32 value)
{
    std::vector<u8> keys;
    PutPlacementKey(keys, 0, value);
    return keys;
}

// Bones every `step` px from x0 to x1, 12 px over the ground (at the height of the running
// player's body); every fifth bone is a big one.
void BonesAlong(std::vector<PlacedObject>& bones, const std::vector<Run>& runs, int x0, int x1, int step)
{
    for (int x = x0; x <= x1; x += step) {
        const double ground = GroundAt(runs, x);
        if (ground < 0)
            continue;
        bones.push_back(Placed(x, ground - 12.0, BoneValue(bones.size() % 5 == 4 ? 3 : 1)));
    }
}

// A row of bones over a one-way floor or a ledge at height y.
void BonesOver(std::vector<PlacedObject>& bones, int x0, int x1, int step, double y)
{
    for (int x = x0; x <= x1; x += step)
        bones.push_back(Placed(x, y - 12.0, BoneValue(bones.size() % 5 == 4 ? 3 : 1)));
}

struct StagePlacements {
    const char* folder;
    std::vector<PlacedObject> bones, checkpoints;
};

std::vector<StagePlacements> Placements()
{
    std::vector<StagePlacements> stages;

    // The Graveyard: bones over the flats and ramps of the climb, checkpoints on the flat past the
    // first ramp and on the cliff top past the one-way floors.
    const std::vector<Run> graveyard = {{16, 704, 1408, 1408},   {704, 1088, 1408, 1312},  {1088, 1216, 1312, 1312},
                                        {1216, 1248, 1312, 1280}, {1248, 1472, 1280, 1280}, {1472, 2048, 1248, 1248},
                                        {2048, 2240, 1152, 1152}, {2240, 2432, 1152, 1072}, {2432, 2560, 1072, 1072},
                                        {2560, 2720, 1040, 1040}, {2720, 3056, 1040, 872}};
    StagePlacements g{"Graveyard", {}, {}};
    BonesAlong(g.bones, graveyard, 320, 1080, 40);
    BonesAlong(g.bones, graveyard, 1280, 1400, 40);
    BonesAlong(g.bones, graveyard, 1490, 1580, 30);
    BonesOver(g.bones, 1660, 1750, 30, 1216);
    BonesAlong(g.bones, graveyard, 2080, 2500, 40);
    BonesAlong(g.bones, graveyard, 2600, 2960, 40);
    g.checkpoints = {Placed(graveyardCheckpointX, graveyardCheckpointY), Placed(2144, 1152)};
    stages.push_back(g);

    // Village 1: bones along the road over its hills, checkpoints halfway and before the arena, each
    // a little before a CandleHead (at 1616 and 3400): far enough that the candle's flame does not
    // reach a player restarted there, and touched on the way before the candle is met.
    const std::vector<Run> village = {{16, 384, 716, 716},     {384, 640, 716, 652},   {640, 800, 652, 652},
                                      {800, 1056, 652, 716},   {1056, 1344, 716, 716}, {1344, 1536, 716, 636},
                                      {1536, 1696, 636, 636},  {1696, 1888, 636, 716}, {1888, 2176, 716, 716},
                                      {2176, 2432, 716, 652},  {2432, 2496, 652, 652}, {2496, 2688, 652, 572},
                                      {2688, 2880, 572, 572},  {2880, 3136, 572, 668}, {3136, 3200, 668, 716},
                                      {3200, 3584, 716, 716},  {3584, 3776, 716, 684}, {3776, 3968, 684, 716}};
    StagePlacements v{"Village", {}, {}};
    BonesAlong(v.bones, village, 160, 3900, 64);
    BonesOver(v.bones, 1120, 1216, 32, 664);
    BonesOver(v.bones, 2960, 3056, 32, 536);
    v.checkpoints = {Placed(1552, 636), Placed(3296, 716)};
    stages.push_back(v);

    // The Bone Zone: bones all over the arena floor, the one-way floors and both ramps.
    const std::vector<Run> boneZone = {{16, 96, 1312, 1312},   {96, 224, 1312, 1440}, {360, 800, 1440, 1440},
                                       {800, 928, 1440, 1312}, {928, 1008, 1312, 1312}};
    StagePlacements b{"BoneZone", {}, {}};
    BonesAlong(b.bones, boneZone, 40, 200, 32);
    BonesAlong(b.bones, boneZone, 368, 980, 32);
    BonesOver(b.bones, 368, 464, 32, 1392);
    BonesOver(b.bones, 560, 656, 32, 1360);
    BonesOver(b.bones, 416, 528, 32, 1312);
    BonesOver(b.bones, 688, 784, 32, 1312);
    stages.push_back(b);

    // Test: a few bones on the flat by the start and on the first slope, one checkpoint on the flat
    // past the slopes.
    const std::vector<Run> test = {{16, 256, 716, 716}, {256, 448, 716, 636}, {448, 576, 636, 636},
                                   {576, 768, 636, 716}, {768, 1184, 716, 716}};
    StagePlacements t{"Test", {}, {}};
    BonesAlong(t.bones, test, 128, 720, 48);
    t.checkpoints = {Placed(840, 716)};
    stages.push_back(t);

    // Boss Rush places none; its files are there, empty.
    stages.push_back({"BossRush", {}, {}});
    return stages;
}

bool WritePlacements(const std::string& dir)
{
    for (const StagePlacements& stage : Placements()) {
        const std::string folder = dir + "/Data/Stages/" + stage.folder + "/Objects/";
        if (!WritePlacementFile(folder + "Collect.bin", stage.bones) ||
            !WritePlacementFile(folder + "Checkpoint.bin", stage.checkpoints)) {
            fprintf(stderr, "datakit: cannot write the placements under %s\n", folder.c_str());
            return false;
        }
    }
    // The Graveyard's tutorial sign ("start", then "end"): the first three pages.
    std::vector<u8> keys;
    PutPlacementKey(keys, 0, 0);
    PutPlacementKey(keys, 0, 2);
    const std::string info = dir + "/Data/Stages/Graveyard/Objects/Info.bin";
    if (!WritePlacementFile(info, {Placed(graveyardSignX, graveyardSignY, keys)})) {
        fprintf(stderr, "datakit: cannot write %s\n", info.c_str());
        return false;
    }
    return true;
}

} // namespace

bool WriteItemData(const std::string& dir)
{
    if (!WriteCollectSet(dir) || !WriteBonusSet(dir) || !WriteCheckpointSet(dir) || !WriteSignSet(dir))
        return false;
    if (!PutFile(dir, "Data/SFX/Global/Collect.wav", MakeWav(CollectChime(), 22050, 8, 1)))
        return false;
    return WriteTexts(dir) && WritePlacements(dir);
}

} // namespace datakit
