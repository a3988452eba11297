#include "tools/datakit/GimmickArtB.h"

#include <cstdio>
#include <vector>

#include "tools/datakit/Bytes.h"
#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/PlacementWriter.h"
#include "tools/datakit/SpriteCanvas.h"
#include "tools/datakit/TgaWriter.h"
#include "tools/datakit/VepWriter.h"

namespace datakit {

namespace {

const char* const folder = "/Data/Sprites/Global/BreakWall/";

enum : u8 { Clear = 0, Edge, Stone, Crack, colourCount };

// The editor's picture: a 32 x 32 stone block with a crack across it.
TgaImage BlockPicture()
{
    TgaImage image;
    image.width = image.height = 32;
    image.pixels.assign(32 * 32, Stone);
    for (int i = 0; i < 32; ++i) {
        image.pixels[i] = image.pixels[31 * 32 + i] = Edge;
        image.pixels[i * 32] = image.pixels[i * 32 + 31] = Edge;
        image.pixels[i * 32 + 16] = Edge; // the seam between the tiles
        image.pixels[16 * 32 + i] = Edge;
    }
    for (int i = 4; i < 28; ++i)
        image.pixels[(size_t)(i * 32 + (i * 3 / 4 + 4))] = Crack;
    image.colours = {{0, 0, 0}, {40, 36, 44}, {128, 120, 112}, {220, 210, 120}};
    return image;
}

Manifest BreakWallManifest()
{
    Manifest m;
    m.sheets = {{"BreakWall.tga", true, colourCount}};
    const ManBox block = BoxOf(breakWallBoxLeft, breakWallBoxRight, breakWallBoxTop, breakWallBoxBottom);
    m.boxes = {block};
    m.hitSets = {{block}}; // row 0: the hurt box
    ManFrame frame;
    frame.width = frame.height = 32;
    frame.offsetX = breakWallBoxLeft;
    frame.offsetY = breakWallBoxTop;
    frame.duration = 256;
    frame.hits = {{0, 0, 0}};
    ManAnimation still;
    still.speed = 0;
    still.playMode = 1;
    still.frames = {frame};
    m.animations = {still};
    return m;
}

Vep BreakWallVep()
{
    Vep vep;
    vep.hp = 1;
    vep.anims = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    // A plain hurt box: every attack reaches it, the whip's included (the wall ignores the whip).
    vep.rows = {{0, 0, 0, 0.0, 0.0, 0}};
    return vep;
}

PlacedObject Placed(f32 x, f32 y)
{
    PlacedObject placed;
    ToDecimalFloat(x, 1, &placed.x);
    ToDecimalFloat(y, 1, &placed.y);
    return placed;
}

} // namespace

bool WriteGimmickDataB(const std::string& dir)
{
    const std::string base = dir + folder;
    if (!WriteFile(base + "BreakWall.tga", MakeTga(BlockPicture())) ||
        !WriteFile(base + "BreakWall.man", MakeManifest(BreakWallManifest())) ||
        !WriteFile(base + "BreakWall.vep", MakeVep(BreakWallVep()))) {
        fprintf(stderr, "datakit: cannot write the breakable wall's set under %s\n", base.c_str());
        return false;
    }
    struct StageWalls {
        const char* stage;
        std::vector<PlacedObject> walls;
    };
    const StageWalls stages[] = {
        {"Graveyard", {}},
        {"Village", {Placed(villageBreakWallX, villageBreakWallY)}},
        {"BossRush", {}},
        {"BoneZone", {}},
        {"Test", {Placed(testBreakWallX, testBreakWallY)}},
    };
    for (const StageWalls& s : stages) {
        const std::string path = dir + "/Data/Stages/" + s.stage + "/Objects/BreakWall.bin";
        if (!WritePlacementFile(path, s.walls)) {
            fprintf(stderr, "datakit: cannot write %s\n", path.c_str());
            return false;
        }
    }
    return true;
}

} // namespace datakit
