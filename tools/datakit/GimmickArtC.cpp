#include "tools/datakit/GimmickArtC.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "tools/datakit/Bytes.h"
#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/PlacementWriter.h"
#include "tools/datakit/SpriteCanvas.h"
#include "tools/datakit/TgaWriter.h"
#include "tools/datakit/VepWriter.h"

namespace datakit {

namespace {

constexpr int sheetWidth = 256;

// One frame painted by a test on each pixel, relative to the object's position, inside the given
// rectangle; packed onto a shared sheet in shelves.
struct Sheet {
    TgaImage image;
    int shelfX = 0, shelfY = 0, shelfHeight = 0;

    Sheet() { image.width = sheetWidth; }

    ManFrame Add(int left, int top, int width, int height, const std::function<u8(int, int)>& paint)
    {
        if (shelfX + width > sheetWidth) {
            shelfX = 0;
            shelfY += shelfHeight;
            shelfHeight = 0;
        }
        const int rows = shelfY + std::max(shelfHeight, height);
        if ((int)image.pixels.size() < rows * sheetWidth)
            image.pixels.resize((size_t)rows * sheetWidth, 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.pixels[(size_t)(shelfY + y) * sheetWidth + shelfX + x] = paint(left + x, top + y);
        ManFrame frame;
        frame.srcX = (u16)shelfX;
        frame.srcY = (u16)shelfY;
        frame.width = (u8)width;
        frame.height = (u8)height;
        frame.offsetX = (i8)left;
        frame.offsetY = (i8)top;
        frame.duration = 6 * 256;
        shelfX += width;
        shelfHeight = std::max(shelfHeight, height);
        return frame;
    }

    std::vector<u8> Bytes()
    {
        image.height = (u16)(image.pixels.size() / sheetWidth);
        return MakeTga(image);
    }
};

ManAnimation Animation(std::vector<ManFrame> frames, u16 speed = 256)
{
    ManAnimation animation;
    animation.speed = speed;
    animation.playMode = 0;
    animation.frames = std::move(frames);
    return animation;
}

// ---- Wagon ----

enum : u8 { WagonInk = 1, Plank, PlankDark, Iron, Hub, Spoke, SpokeLight };

} // namespace

bool WriteWagonData(const std::string& dir)
{
    Sheet sheet;
    sheet.image.colours = {{0, 0, 0},      {30, 20, 16},   {150, 96, 50},  {104, 64, 32},
                           {90, 90, 100},  {60, 60, 64},   {176, 130, 80}, {214, 170, 110}};
    Manifest manifest;
    manifest.boxes = {BoxOf(-64, 64, -26, 0), BoxOf(-wagonWheelRadius, wagonWheelRadius, -wagonWheelRadius,
                                                    wagonWheelRadius)};
    // The wheels' box: it touches what they run into (a hurt box, so it harms nothing by itself).
    manifest.hitSets = {{BoxOf(-wagonWheelRadius, wagonWheelRadius, -wagonWheelRadius, wagonWheelRadius)}};

    // The body: a plank bed over the axles, its deck at 26 over the body's position.
    ManFrame body = sheet.Add(-64, -26, 128, 22, [](int x, int y) -> u8 {
        if (y == -26 || y == -5 || x == -64 || x == 63)
            return WagonInk;
        if (y < -18 && (x < -58 || x > 57))
            return PlankDark;
        return ((y + 26) / 5) % 2 ? PlankDark : Plank;
    });
    manifest.animations.push_back(Animation({body}, 0));

    const double r = wagonWheelRadius;
    for (int wheel = 0; wheel < 2; ++wheel) {
        ManFrame hub = sheet.Add(-4, -4, 8, 8, [](int x, int y) -> u8 {
            const double d = std::hypot(x + 0.5, y + 0.5);
            return d <= 3.0 ? Hub : d <= 4.0 ? WagonInk : 0;
        });
        hub.boxIndex = 1;
        hub.hits = {{0, 0, 0}};
        ManFrame rim = sheet.Add(-12, -12, 24, 24, [r](int x, int y) -> u8 {
            const double d = std::hypot(x + 0.5, y + 0.5);
            return d <= r && d > r - 2.0 ? Iron : d <= r - 2.0 && d > r - 3.0 ? WagonInk : 0;
        });
        rim.boxIndex = 1;
        std::vector<ManFrame> spokes;
        // A spoke pointing right; its shade follows the angle it is drawn at.
        for (int shade = 0; shade < 6; ++shade)
            spokes.push_back(sheet.Add(0, -1, 10, 2, [shade](int, int) -> u8 {
                return shade % 3 == 0 ? SpokeLight : Spoke;
            }));
        manifest.animations.push_back(Animation({hub}));
        manifest.animations.push_back(Animation({rim}));
        manifest.animations.push_back(Animation(spokes, 0));
    }
    manifest.sheets = {{"Wagon.tga", true, (u8)sheet.image.colours.size()}};

    Vep vep;
    vep.hp = 255;
    vep.anims = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    vep.rows = {VepRow{0, 0, 0, 0.0, 0.0, 0}};

    const std::string folder = "Data/Sprites/Gimmicks/Wagon/";
    return PutFile(dir, folder + "Wagon.tga", sheet.Bytes()) && PutFile(dir, folder + "Wagon.man", MakeManifest(manifest)) &&
           PutFile(dir, folder + "Wagon.vep", MakeVep(vep));
}

namespace {

enum : u8 { CornInk = 1, Stalk, StalkDark, Leaf, Cob, Stubble };

// A stalk 40 px tall leaning by lean (-5..5) from its foot; cut, only its lowest 10 px stand.
u8 PaintStalk(int x, int y, int lean, bool back, bool cut)
{
    const int height = cut ? 10 : 40;
    if (y > 0 || y < -height)
        return 0;
    const double t = -y / 40.0;
    const double centre = lean * 3.0 * t * t;
    const double dx = x + 0.5 - centre;
    if (std::fabs(dx) <= 1.5)
        return cut && y == -height ? Stubble : back ? StalkDark : Stalk;
    if (!cut && std::fabs(dx) <= 4.0 && (y == -14 || y == -24) && (dx > 0) == (y == -14))
        return Leaf;
    if (!cut && y < -30 && std::fabs(dx - 2.0) <= 1.5)
        return Cob;
    return 0;
}

} // namespace

bool WriteCornData(const std::string& dir, int plantPoints)
{
    Sheet sheet;
    sheet.image.colours = {{0, 0, 0}, {24, 30, 10}, {120, 170, 60}, {80, 120, 40}, {90, 150, 50}, {230, 200, 80},
                           {170, 150, 80}};
    Manifest manifest;
    manifest.boxes = {BoxOf(-4, 4, -40, 0)};
    manifest.hitSets = {{BoxOf(-5, 5, -36, 0)}};

    // The plant: one blank frame whose points are where the stalks stand.
    ManFrame plant = sheet.Add(0, 0, 1, 1, [](int, int) -> u8 { return 0; });
    for (int n = 0; n < std::clamp(plantPoints, 0, 8); ++n)
        plant.points.push_back(ManPoint{(i8)(-56 + 16 * n), 0});
    manifest.animations.push_back(Animation({plant}, 0));

    // Front and back stalks, then their cut pictures: eleven frames of bend, 5 upright.
    for (int cut = 0; cut < 2; ++cut)
        for (int back = 0; back < 2; ++back) {
            std::vector<ManFrame> frames;
            for (int f = 0; f <= 10; ++f) {
                ManFrame frame = sheet.Add(-18, -40, 36, 41, [=](int x, int y) -> u8 {
                    return PaintStalk(x, y, f - 5, back != 0, cut != 0);
                });
                frame.hits = {{0, 0, 0}};
                frames.push_back(frame);
            }
            manifest.animations.push_back(Animation(frames, 0));
        }
    manifest.sheets = {{"Corn.tga", true, (u8)sheet.image.colours.size()}};

    Vep vep;
    vep.hp = 200; // cut by a hit, not felled
    vep.anims = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    vep.rows = {VepRow{0, 0, 0, 0.0, 0.0, 0}};

    const std::string folder = "Data/Sprites/Gimmicks/Corn/";
    return PutFile(dir, folder + "Corn.tga", sheet.Bytes()) && PutFile(dir, folder + "Corn.man", MakeManifest(manifest)) &&
           PutFile(dir, folder + "Corn.vep", MakeVep(vep));
}

bool WriteGimmickDataC(const std::string& dir)
{
    if (!WriteWagonData(dir) || !WriteCornData(dir))
        return false;
    const std::string objects = dir + "/Data/Stages/Village/Objects/";
    PlacedObject wagon, corn;
    if (!ToDecimalFloat(villageWagonX, 1, &wagon.x) || !ToDecimalFloat(villageWagonY, 1, &wagon.y) ||
        !ToDecimalFloat(villageCornX, 1, &corn.x) || !ToDecimalFloat(villageCornY, 1, &corn.y))
        return false;
    for (const auto& [path, object] : {std::pair{objects + "Wagon.bin", wagon}, std::pair{objects + "Corn.bin", corn}})
        if (!WritePlacementFile(path, {object})) {
            fprintf(stderr, "datakit: cannot write %s\n", path.c_str());
            return false;
        }
    return true;
}

} // namespace datakit
