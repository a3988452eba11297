#include "tools/datakit/GimmickArtA.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "tools/datakit/Bytes.h"
#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/PlacementWriter.h"
#include "tools/datakit/TgaWriter.h"

namespace datakit {

namespace {

enum : u8 { Clear = 0, Ink, Stone, StoneLight, Wood, WoodDark, HillFar, HillNear, paletteSize };

struct Picture {
    int left, top, w, h;
    std::vector<u8> pixels;
    Picture(int l, int t, int w_, int h_) : left(l), top(t), w(w_), h(h_), pixels((size_t)w_ * h_, Clear) {}
    void Rect(int x0, int y0, int x1, int y1, u8 c) // relative to the position, both corners included
    {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const int col = x - left, row = y - top;
                if (col >= 0 && col < w && row >= 0 && row < h)
                    pixels[(size_t)row * w + col] = c;
            }
    }
};

// Each picture one animation of one frame, side by side on one sheet; box i is picture i's.
bool WriteSet(const std::string& dir, const std::string& base, const std::vector<Rgb>& colours,
              const std::vector<Picture>& pictures, const std::vector<ManBox>& boxes)
{
    TgaImage sheet;
    sheet.colours = colours;
    int width = 0, height = 1;
    for (const Picture& p : pictures) {
        width += p.w;
        height = p.h > height ? p.h : height;
    }
    sheet.width = (u16)width;
    sheet.height = (u16)height;
    sheet.pixels.assign((size_t)width * height, Clear);
    Manifest manifest;
    const size_t slash = base.find_last_of('/');
    manifest.sheets = {{base.substr(slash + 1) + ".tga", true, (u8)colours.size()}};
    manifest.boxes = boxes;
    int x = 0;
    for (size_t i = 0; i < pictures.size(); ++i) {
        const Picture& p = pictures[i];
        for (int row = 0; row < p.h; ++row)
            for (int col = 0; col < p.w; ++col)
                sheet.pixels[(size_t)row * width + x + col] = p.pixels[(size_t)row * p.w + col];
        ManFrame frame;
        frame.srcX = (u16)x;
        frame.width = (u8)p.w;
        frame.height = (u8)p.h;
        frame.offsetX = (i8)p.left;
        frame.offsetY = (i8)p.top;
        frame.duration = 256;
        frame.boxIndex = (u16)(i < boxes.size() ? i : 0);
        ManAnimation animation;
        animation.speed = 1;
        animation.frames.push_back(frame);
        manifest.animations.push_back(animation);
        x += p.w;
    }
    if (WriteFile(dir + "/" + base + ".tga", MakeTga(sheet)) && WriteFile(dir + "/" + base + ".man", MakeManifest(manifest)))
        return true;
    fprintf(stderr, "datakit: cannot write %s/%s\n", dir.c_str(), base.c_str());
    return false;
}

ManBox BoxFrom(const i8 box[4])
{
    return ManBox{(u8)(box[1] - box[0]), (u8)(box[3] - box[2]), (u8)box[0], (u8)box[2]};
}

// A slab of stone (or planks) and a crate, tinted per stage.
bool WritePlatformSet(const std::string& dir, const std::string& folder, Rgb stone, Rgb wood)
{
    std::vector<Rgb> colours(paletteSize, Rgb{0, 0, 0});
    colours[Ink] = {24, 20, 28};
    colours[Stone] = stone;
    colours[StoneLight] = Rgb{(u8)std::min(255, stone[0] + 50), (u8)std::min(255, stone[1] + 50), (u8)std::min(255, stone[2] + 50)};
    colours[Wood] = wood;
    colours[WoodDark] = Rgb{(u8)(wood[0] / 2), (u8)(wood[1] / 2), (u8)(wood[2] / 2)};
    Picture slab(slabBox[0], slabBox[2], 32, 16);
    slab.Rect(-16, -8, 15, 7, Ink);
    slab.Rect(-15, -7, 14, 6, Stone);
    slab.Rect(-15, -7, 14, -6, StoneLight);
    for (int x : {-6, 5})
        slab.Rect(x, -5, x, 6, Ink);
    Picture crate(crateBox[0], crateBox[2], 32, 32);
    crate.Rect(-16, -16, 15, 15, Ink);
    crate.Rect(-14, -14, 13, 13, Wood);
    for (int i = -13; i <= 12; ++i) {
        crate.Rect(i, i, i + 1, i + 1, WoodDark);
        crate.Rect(i, -i - 1, i + 1, -i, WoodDark);
    }
    return WriteSet(dir, "Data/Sprites/Stages/" + folder + "/Platform", colours, {slab, crate},
                    {BoxFrom(slabBox), BoxFrom(crateBox)});
}

// Two rows of soft hills that join seamlessly across the picture's width.
bool WriteParaSpriteSet(const std::string& dir)
{
    std::vector<Rgb> colours(paletteSize, Rgb{0, 0, 0});
    colours[Ink] = {24, 20, 28};
    colours[HillFar] = {70, 64, 110};
    colours[HillNear] = {44, 40, 74};
    Picture hills(0, 0, paraHillsWidth, paraHillsHeight);
    const double turn = 6.283185307179586;
    for (int x = 0; x < paraHillsWidth; ++x) {
        const double t = turn * x / paraHillsWidth;
        const int far = (int)(30 + 10 * std::sin(t));
        const int near = (int)(56 + 8 * std::sin(2 * t + 1.0));
        hills.Rect(x, far, x, paraHillsHeight - 1, HillFar);
        hills.Rect(x, near, x, paraHillsHeight - 1, HillNear);
    }
    return WriteSet(dir, "Data/Sprites/Stages/BoneZone/ParaSprite", colours, {hills},
                    {ManBox{paraHillsWidth, paraHillsHeight, 0, 0}});
}

// One placed platform: type, amplitude x and y, speed, hasTension, frameID, collision, angle.
PlacedObject Placed(i32 x, i32 y, u8 type, i32 ampX, i32 ampY, u8 speed, u8 frame, u8 collision)
{
    PlacedObject object;
    ToDecimalFloat(x, 1, &object.x);
    ToDecimalFloat(y, 1, &object.y);
    PutPlacementKey(object.keys, 0, type);
    PutPlacementKey(object.keys, 10, (u32)ampX, (u32)ampY);
    PutPlacementKey(object.keys, 1, speed);
    PutPlacementKey(object.keys, 8, 0);
    PutPlacementKey(object.keys, 1, frame);
    PutPlacementKey(object.keys, 0, collision);
    DecimalFloat angle{0, 1};
    PutPlacementFloatKey(object.keys, 6, angle);
    return object;
}

} // namespace

bool WriteGimmickArtA(const std::string& dir)
{
    if (!WritePlatformSet(dir, "Test", Rgb{120, 124, 140}, Rgb{150, 98, 50}) ||
        !WritePlatformSet(dir, "Village1", Rgb{140, 120, 96}, Rgb{160, 104, 56}) ||
        !WritePlatformSet(dir, "BoneZone", Rgb{110, 100, 120}, Rgb{120, 84, 60}) || !WriteParaSpriteSet(dir))
        return false;
    // High over the ground (716 at the starts), out of a jump's and a throw's reach from it.
    const std::vector<PlacedObject> test = {
        Placed(160, 560, 0, 0, 0, 0, 0, 3),   // a still slab over the start
        Placed(640, 440, 2, 64, 0, 2, 0, 3),  // a slab swinging over the 22.5-degree hill
        Placed(1440, 520, 2, 0, 32, 3, 0, 3), // one going up and down past the pit
    };
    const std::vector<PlacedObject> village = {
        Placed(240, 560, 0, 0, 0, 0, 0, 3),
        Placed(720, 480, 2, 48, 0, 2, 0, 3),
        Placed(1600, 460, 2, 0, 24, 3, 0, 3),
    };
    // The Bone Zone: a slab gliding over the middle and a still one over the right ramp, each a
    // jump up from the one-way floors at 1312. The Graveyard and Boss Rush place none, but every
    // gameplay stage opens its Platform.bin.
    const std::vector<PlacedObject> boneZone = {
        Placed(608, 1248, 2, 48, 0, 2, 0, 3),
        Placed(880, 1232, 0, 0, 0, 0, 0, 3),
    };
    if (!WritePlacementFile(dir + "/Data/Stages/Test/Objects/Platform.bin", test) ||
        !WritePlacementFile(dir + "/Data/Stages/Village/Objects/Platform.bin", village) ||
        !WritePlacementFile(dir + "/Data/Stages/BoneZone/Objects/Platform.bin", boneZone) ||
        !WritePlacementFile(dir + "/Data/Stages/Graveyard/Objects/Platform.bin", {}) ||
        !WritePlacementFile(dir + "/Data/Stages/BossRush/Objects/Platform.bin", {})) {
        fprintf(stderr, "datakit: cannot write the platform placements under %s\n", dir.c_str());
        return false;
    }
    return true;
}

} // namespace datakit
