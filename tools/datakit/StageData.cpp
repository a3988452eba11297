#include "tools/datakit/StageData.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <numbers>

#include "tools/datakit/Bytes.h"
#include "tools/datakit/CollisionKit.h"
#include "tools/datakit/LayoutWriter.h"
#include "tools/datakit/Ogg.h"
#include "tools/datakit/RosterArtA.h"

namespace datakit {

namespace {

// ---- palette and fixed tiles ------------------------------------------------------------------------

// Colour ranges of a stage's tile palette; each stage fills them with its own colours.
enum Shade : u8 {
    SkyShade = 1,     // 1-16, top of the screen to the horizon
    FarShade = 17,    // 17-24
    NearShade = 25,   // 25-32
    DirtShade = 33,   // 33-48, dark to light
    GrassShade = 49,  // 49-64
    BankShade = 65,   // 65-72, the darker rock behind the ground
    WoodShade = 73,   // 73-80
    StoneShade = 81,  // 81-88
    LeafShade = 89,   // 89-96
    WallShade = 97,   // 97-104
    RoofShade = 105,  // 105-112
    WindowShade = 113 // 113-116
};

struct Theme {
    Rgb skyTop, skyHorizon;
    Rgb farDark, farLight;
    Rgb nearDark, nearLight;
    Rgb dirtDark, dirtLight;
    Rgb grassDark, grassLight;
    Rgb bankDark, bankLight;
};

const Theme graveyardTheme{{20, 14, 48},   {120, 90, 140}, {40, 36, 70},  {70, 64, 100}, {28, 34, 44},
                           {52, 62, 70},   {40, 28, 22},   {112, 86, 64}, {40, 70, 40},  {120, 150, 90},
                           {34, 30, 40},   {80, 74, 90}};
const Theme villageTheme{{70, 130, 220},  {190, 220, 250}, {110, 150, 170}, {150, 190, 200}, {60, 120, 70},
                         {110, 170, 100}, {70, 44, 24},    {170, 120, 70},  {40, 120, 30},   {150, 230, 80},
                         {80, 64, 50},    {140, 118, 96}};
const Theme arenaTheme{{140, 40, 30},  {250, 170, 90}, {90, 40, 50}, {140, 70, 70}, {60, 30, 40}, {110, 60, 60},
                       {60, 40, 30},   {150, 110, 80}, {70, 90, 40}, {170, 190, 90}, {70, 50, 50}, {130, 100, 90}};
const Theme boneZoneTheme{{10, 4, 20},    {90, 30, 80},  {50, 20, 50}, {90, 40, 80}, {30, 20, 40},
                          {60, 40, 70},   {46, 30, 30},  {120, 90, 80}, {60, 60, 50}, {170, 160, 120},
                          {36, 26, 40},   {90, 70, 100}};
const Theme testTheme{{90, 100, 120},  {180, 190, 200}, {100, 110, 120}, {140, 150, 160}, {80, 90, 100},
                      {120, 130, 140}, {70, 60, 50},    {160, 150, 130}, {60, 110, 90},   {140, 210, 170},
                      {70, 70, 80},    {130, 130, 140}};

std::vector<Rgb> ThemeColours(const Theme& theme)
{
    std::vector<Rgb> colours(256, Rgb{0, 0, 0});
    auto ramp = [&](u8 first, int count, Rgb dark, Rgb light) {
        for (int i = 0; i < count; ++i)
            for (int k = 0; k < 3; ++k)
                colours[first + i][k] = (u8)(dark[k] + (light[k] - dark[k]) * i / (count - 1));
    };
    ramp(SkyShade, 16, theme.skyTop, theme.skyHorizon);
    ramp(FarShade, 8, theme.farDark, theme.farLight);
    ramp(NearShade, 8, theme.nearDark, theme.nearLight);
    ramp(DirtShade, 16, theme.dirtDark, theme.dirtLight);
    ramp(GrassShade, 16, theme.grassDark, theme.grassLight);
    ramp(BankShade, 8, theme.bankDark, theme.bankLight);
    ramp(WoodShade, 8, Rgb{70, 40, 20}, Rgb{200, 150, 90});
    ramp(StoneShade, 8, Rgb{60, 60, 70}, Rgb{190, 190, 200});
    ramp(LeafShade, 8, Rgb{20, 70, 20}, Rgb{100, 180, 70});
    ramp(WallShade, 8, Rgb{140, 110, 80}, Rgb{240, 220, 180});
    ramp(RoofShade, 8, Rgb{100, 30, 20}, Rgb{210, 80, 50});
    ramp(WindowShade, 4, Rgb{40, 40, 60}, Rgb{250, 230, 120});
    return colours;
}

// Fixed tiles of every stage's sheet; the ground tiles cut from the collision world follow them.
enum FixedTile : u16 {
    SkyBand = 1, // 1-15, one a row of the 15-row sky
    FarTop = 16,
    FarBody = 17,
    NearTop = 18,
    NearBody = 19,
    BankTop = 20,
    BankBody = 21,
    GraveTop = 22,
    GraveBase = 23,
    CrossTop = 24,
    CrossBase = 25,
    Fence = 26,
    Trunk = 27,
    Canopy = 28,
    CanopyTop = 29,
    HouseWall = 30,
    HouseWindow = 31,
    RoofLeft = 32,
    RoofRight = 33,
    firstGroundTile = 64,
};

// A small fixed texture: 0-3 by position, the same in every tile so that tiles stay shared.
u32 Grain(u32 x, u32 y)
{
    return ((x * 7 + y * 13 + (x * y) % 5) >> 1) % 4;
}

u8 FixedPixel(u32 t, u32 x, u32 y)
{
    const f64 fx = x + 0.5, fy = y + 0.5;
    if (t >= SkyBand && t < SkyBand + 15)
        return (u8)(SkyShade + std::min<u32>(15, ((t - SkyBand) * 16 + y) / 15));
    switch (t) {
    case FarTop: {
        const f64 h = 4 + 10 * (1 - std::fabs(fx - 8) / 8);
        return fy >= 16 - h ? (u8)(FarShade + 1 + Grain(x, y) % 2) : 0;
    }
    case FarBody: return (u8)(FarShade + 1 + Grain(x, y) % 2);
    case NearTop: {
        const f64 h = 8 + 6 * std::sin(fx / 16 * std::numbers::pi);
        return fy >= 16 - h ? (u8)(NearShade + 3 + Grain(x, y)) : 0;
    }
    case NearBody: return (u8)(NearShade + 2 + Grain(x, y));
    case BankTop: {
        const f64 h = 10 + 3 * std::sin(fx / 16 * 2 * std::numbers::pi);
        return fy >= 16 - h ? (u8)(BankShade + 2 + Grain(x, y)) : 0;
    }
    case BankBody: return (u8)(BankShade + 1 + Grain(x, y));
    case GraveTop: {
        const f64 dx = fx - 8, dy = fy - 10;
        if (x < 2 || x > 13 || (fy < 10 && dx * dx + dy * dy > 36))
            return 0;
        return (u8)(StoneShade + (x < 4 ? 2 : 5) + (y == 9 && x > 5 && x < 11 ? -3 : 0));
    }
    case GraveBase: return x < 2 || x > 13 ? 0 : (u8)(StoneShade + (x < 4 ? 2 : 4) + Grain(x, y) % 2);
    case CrossTop: return (x >= 7 && x <= 9 && y >= 4) || (y >= 8 && y <= 10 && x >= 3 && x <= 13) ? (u8)(StoneShade + 6) : 0;
    case CrossBase: return x >= 7 && x <= 9 ? (u8)(StoneShade + 5) : (y >= 13 && x >= 4 && x <= 12 ? (u8)(StoneShade + 3) : 0);
    case Fence:
        if ((x % 8 == 2 || x % 8 == 3) && y >= 2)
            return (u8)(WoodShade + 3);
        return y == 5 || y == 6 || y == 11 || y == 12 ? (u8)(WoodShade + 5) : 0;
    case Trunk: return x >= 5 && x <= 10 ? (u8)(WoodShade + 1 + (x == 5 ? 0 : Grain(x, y) % 2)) : 0;
    case Canopy: {
        const f64 dx = fx - 8, dy = fy - 4;
        return dx * dx + dy * dy < 100 ? (u8)(LeafShade + 2 + Grain(x, y)) : 0;
    }
    case CanopyTop: {
        const f64 dx = fx - 8, dy = fy - 16;
        return dx * dx + dy * dy < 64 ? (u8)(LeafShade + 4 + Grain(x, y)) : 0;
    }
    case HouseWall: return (u8)(WallShade + (y % 8 == 0 ? 1 : 4 + Grain(x, y) % 2));
    case HouseWindow:
        if (x >= 4 && x <= 11 && y >= 4 && y <= 11)
            return x == 7 || x == 8 || y == 7 || y == 8 ? (u8)(WoodShade + 2) : (u8)(WindowShade + 3);
        return (u8)(WallShade + 4);
    case RoofLeft: return x + y >= 15 ? (u8)(RoofShade + 2 + (y % 4 == 0 ? 3 : Grain(x, y))) : 0;
    case RoofRight: return y >= x ? (u8)(RoofShade + 2 + (y % 4 == 0 ? 3 : Grain(x, y))) : 0;
    default: return 0;
    }
}

// ---- a stage under construction ---------------------------------------------------------------------

// A perched Draven's talons, as drawn, end on the row this far under its position.
constexpr i32 dravenPerchBelow = 15;

// One run of the ground profile: flat when y0 == y1, else a ramp; everything under it is solid.
struct GroundRun {
    i32 x0, x1, y0, y1;
};

struct StageWorld {
    StageWorld(u32 widthTiles, u32 heightTiles)
        : world(widthTiles, heightTiles), decor((size_t)widthTiles * heightTiles, 0)
    {
    }

    CollisionWorld world;
    std::vector<u16> decor; // the decoration layer's cells

    bool OneWayCell(i32 cx, i32 cy) const
    {
        return cx >= 0 && cy >= 0 && cx < (i32)world.widthTiles && cy < (i32)world.heightTiles &&
               world.bits[(size_t)cy * world.widthTiles + cx] == SolidFloor;
    }

    // Flats first, so that the ramps' surface cells see the ground they meet.
    void Ground(const std::vector<GroundRun>& runs)
    {
        for (const GroundRun& run : runs)
            if (run.y0 == run.y1)
                world.Box(run.x0, run.y0, run.x1, world.Height());
        for (const GroundRun& run : runs)
            if (run.y0 != run.y1)
                world.Ramp(run.x0, run.y0, run.x1, run.y1, world.Height());
    }

    // A one-way floor: an 8-pixel plank whose top is y; y % 16 must be at most 8, so that the plank
    // lies in one row of cells.
    void Plank(i32 x0, i32 x1, i32 y)
    {
        world.Box(x0, y, x1, y + 8);
        world.CellBits(x0, y, x1, y + 8, SolidFloor);
    }

    void Wall(i32 x0, i32 x1) { world.Box(x0, 0, x1, world.Height()); }

    // The top of the ground at x (one-way floors left out), or -1.
    i32 SurfaceAt(i32 x) const
    {
        for (i32 y = 0; y < world.Height(); ++y)
            if (world.Solid(x, y) && !OneWayCell(x / 16, y / 16))
                return y;
        return -1;
    }

    // Stacks fixed tiles upward from the ground at column cx (bottom tile first). The bottom tile
    // takes the cell over the surface; on ground that is not cell-aligned it sinks a little into
    // the grass, which is drawn over it.
    void Stack(i32 cx, std::initializer_list<u16> tiles)
    {
        const i32 surface = SurfaceAt(cx * 16 + 8);
        if (surface < 16)
            return;
        i32 cy = (surface - 1) / 16;
        for (u16 tile : tiles) {
            if (cy < 0)
                return;
            decor[(size_t)cy * world.widthTiles + cx] = TileEntry(tile);
            --cy;
        }
    }

    // A perch for a Draven placed at (x, y): a short one-way plank under its talons, on a post of
    // trunk tiles from under the plank down to the ground, behind the ground and the planks.
    void Perch(i32 x, i32 y)
    {
        const i32 top = y + dravenPerchBelow;
        Plank(x - 12, x + 12, top);
        const i32 cx = x / 16;
        for (i32 cy = top / 16 + 1, ground = SurfaceAt(cx * 16 + 8); cy * 16 < ground; ++cy)
            decor[(size_t)cy * world.widthTiles + cx] = TileEntry(Trunk);
    }
};

// ---- the drawn ground, cut from the collision world -------------------------------------------------

// A drawn tile's 256 pixels and, last, the surface angle of its cell in the collision world: the
// whip reads slopes in the drawn ground layer, so the drawn tiles carry the same angles.
typedef std::array<u8, 257> TilePixels;

// The drawn look of one pixel of the world: grass on the surface, dirt under it with a dark rim at
// the sides and underneath, planks for the one-way floors.
u8 GroundPixel(const StageWorld& stage, i32 x, i32 y)
{
    const CollisionWorld& w = stage.world;
    if (!w.Solid(x, y))
        return 0;
    i32 depth = 0;
    while (depth < 8 && (y - depth - 1 < 0 || w.Solid(x, y - depth - 1)))
        ++depth;
    if (y - depth - 1 < 0)
        depth = 8; // the world's top edge is not a surface
    if (stage.OneWayCell(x / 16, y / 16)) {
        if (x % 16 == 0)
            return WoodShade;
        return (u8)(depth == 0 ? WoodShade + 7 : depth >= 6 ? WoodShade + 1 : WoodShade + 4);
    }
    const bool side = !w.Solid(x - 1, y) || !w.Solid(x + 1, y);
    const bool under = y + 1 < w.Height() && !w.Solid(x, y + 1);
    if (depth < 3)
        return (u8)(GrassShade + 15 - depth * 3 - Grain((u32)x, (u32)y) % 2);
    if (depth < 5)
        return (u8)(GrassShade + 4 + Grain((u32)x, (u32)y) % 2);
    if (side || under)
        return (u8)(DirtShade + 1);
    if (depth < 6)
        return (u8)(DirtShade + 3);
    const u32 gx = (u32)x % 16, gy = (u32)y % 16;
    const bool pebble = (gx - 3) * (gx - 3) + (gy - 11) * (gy - 11) < 5 || (gx - 12) * (gx - 12) + (gy - 4) * (gy - 4) < 3;
    return (u8)(DirtShade + (pebble ? 11 : 5 + Grain(gx, gy)));
}

// The stage's tile sheet (fixed tiles, then every different ground tile) and the ground layer.
struct DrawnGround {
    std::vector<TilePixels> tiles; // from firstGroundTile on
    std::vector<u16> cells;
    u8 sizeCode = 0;
};

bool CutGround(const StageWorld& stage, DrawnGround* out)
{
    const CollisionWorld& w = stage.world;
    std::map<TilePixels, u16> known;
    out->cells.assign((size_t)w.widthTiles * w.heightTiles, 0);
    for (u32 cy = 0; cy < w.heightTiles; ++cy)
        for (u32 cx = 0; cx < w.widthTiles; ++cx) {
            TilePixels pixels{};
            bool any = false;
            for (u32 y = 0; y < 16; ++y)
                for (u32 x = 0; x < 16; ++x) {
                    pixels[y * 16 + x] = GroundPixel(stage, (i32)(cx * 16 + x), (i32)(cy * 16 + y));
                    any = any || pixels[y * 16 + x] != 0;
                }
            if (!any)
                continue;
            pixels[256] = w.angles[(size_t)cy * w.widthTiles + cx];
            auto found = known.find(pixels);
            u16 tile;
            if (found != known.end()) {
                tile = found->second;
            } else {
                tile = (u16)(firstGroundTile + out->tiles.size());
                if (tile >= 4096) {
                    fprintf(stderr, "datakit: a stage needs more than 4096 ground tiles\n");
                    return false;
                }
                known[pixels] = tile;
                out->tiles.push_back(pixels);
            }
            out->cells[(size_t)cy * w.widthTiles + cx] = TileEntry(tile);
        }
    const size_t total = firstGroundTile + out->tiles.size();
    out->sizeCode = total <= 1024 ? 0 : total <= 2048 ? 1 : 2;
    return true;
}

// ---- layers -----------------------------------------------------------------------------------------

// Where a stage's layers go; -1 for a picture the stage has no layer for.
struct LayerPlan {
    u8 layerCount;
    i32 sky, farHills, nearHills, back, decor, ground, collision, passThrough;
};

constexpr LayerPlan bigPlan{13, 0, 1, 2, 3, 4, 10, 11, 12};     // Graveyard, The Bone Zone
constexpr LayerPlan villagePlan{10, 0, 1, 2, 3, 4, 7, 8, 9};    // Village
constexpr LayerPlan smallPlan{6, 0, -1, -1, 2, -1, 3, 4, 5};    // Boss Rush, Test

// Depths: the sky and the hills behind everything, the ground just under the player (9).
enum : u8 { skyDepth = 0, farDepth = 1, nearDepth = 2, backDepth = 3, decorDepth = 4, groundDepth = 8 };

LayoutLayer EmptyLayer()
{
    LayoutLayer layer = MakeLayoutLayer(0, 1, 1);
    layer.depth = 0;
    return layer;
}

// Fifteen rows, one screen tall, fixed vertically and drifting slowly sideways.
LayoutLayer SkyLayer()
{
    LayoutLayer sky = MakeLayoutLayer(1, 8, 15);
    for (u16 r = 0; r < 15; ++r)
        for (u16 c = 0; c < 8; ++c)
            sky.cells[r * 8 + c] = TileEntry((u16)(SkyBand + r), c % 2 == 1);
    sky.parallaxFactors[0] = 6;
    sky.layerFactor = 0;
    sky.depth = skyDepth;
    return sky;
}

// A band of hills near the bottom of the screen, each row at its own rate.
LayoutLayer HillLayer(u16 top, u16 body, u16 firstRow, u8 rate, u8 depth, u16 period)
{
    LayoutLayer hills = MakeLayoutLayer(2, 24, 15);
    for (u16 c = 0; c < 24; ++c) {
        const bool peak = c % period < period / 2;
        hills.cells[firstRow * 24 + c] = peak ? TileEntry(top, c % 3 == 0) : 0;
        hills.cells[(firstRow + 1) * 24 + c] = TileEntry(peak ? body : top, c % 5 == 0);
        for (u16 r = (u16)(firstRow + 2); r < 15; ++r)
            hills.cells[r * 24 + c] = TileEntry(body);
    }
    for (u16 r = 0; r < 15; ++r)
        hills.parallaxFactors[r] = rate;
    hills.layerFactor = 0;
    hills.depth = depth;
    return hills;
}

// The darker rock behind the ground: it rises two tiles over the solid ground, one-way floors left out.
LayoutLayer BackLayer(const StageWorld& stage)
{
    const CollisionWorld& w = stage.world;
    LayoutLayer back = MakeLayoutLayer(0, (u16)w.widthTiles, (u16)w.heightTiles);
    auto groundCell = [&](i32 cx, i32 cy) {
        if (cy >= (i32)w.heightTiles)
            return true;
        if (stage.OneWayCell(cx, cy))
            return false;
        for (i32 y = 0; y < 16; ++y)
            for (i32 x = 0; x < 16; ++x)
                if (w.Solid(cx * 16 + x, cy * 16 + y))
                    return true;
        return false;
    };
    for (i32 cx = 0; cx < (i32)w.widthTiles; ++cx) {
        bool above = false;
        for (i32 cy = 0; cy < (i32)w.heightTiles; ++cy) {
            const bool filled = groundCell(cx, cy) || groundCell(cx, cy + 1) || groundCell(cx, cy + 2);
            if (filled)
                back.cells[(size_t)cy * w.widthTiles + cx] = TileEntry(above ? BankBody : BankTop);
            above = filled;
        }
    }
    back.depth = backDepth;
    return back;
}

LayoutLayer WorldLayer(const std::vector<u16>& cells, u32 widthTiles, u32 heightTiles, u8 depth, u8 sheet)
{
    LayoutLayer layer = MakeLayoutLayer(0, (u16)widthTiles, (u16)heightTiles);
    layer.cells = cells;
    layer.depth = depth;
    layer.tileSheetIndex = sheet;
    return layer;
}

// The pattern both sheets carry: the 32 x 32 grid of tiles 0-1023 in order, the same one the engine
// takes when a sheet has no pattern file.
std::vector<u8> IdentityTilePattern()
{
    std::vector<u16> entries(1024);
    for (u16 i = 0; i < 1024; ++i)
        entries[i] = TileEntry(i);
    return MakeTilePattern(32, 32, entries);
}

// Writes "layout1.bin", "Tiles.tga" (drawn layers) and "Collision.tga" (the collision and
// pass-through layers) into the stage's folder, each sheet with its ".tpl" pattern.
bool WriteStageLayout(const std::string& folder, const StageWorld& stage, const LayerPlan& plan, const Theme& theme)
{
    const CollisionWorld& w = stage.world;
    TgaImage collisionSheet;
    std::vector<u16> collisionCells;
    if (!CutCollisionWorld(w, &collisionSheet, &collisionCells))
        return false;
    // The pass-through layer: the same world without its one-way floors.
    std::vector<u16> passCells = collisionCells;
    for (size_t i = 0; i < passCells.size(); ++i)
        if (w.bits[i] == SolidFloor)
            passCells[i] = 0;

    DrawnGround ground;
    if (!CutGround(stage, &ground))
        return false;
    const TgaImage tiles = MakeTileSheetImage(
        ground.sizeCode, true,
        [&ground](u32 t, u32 x, u32 y) {
            if (t < firstGroundTile)
                return FixedPixel(t, x, y);
            return t - firstGroundTile < ground.tiles.size() ? ground.tiles[t - firstGroundTile][y * 16 + x] : (u8)0;
        },
        [&ground](u32 t) {
            return t >= firstGroundTile && t - firstGroundTile < ground.tiles.size() ? ground.tiles[t - firstGroundTile][256]
                                                                                      : (u8)0;
        },
        ThemeColours(theme));

    LayoutFile layout;
    layout.sheets = {{0, "Tiles.tga"}, {1, "Collision.tga"}};
    layout.layers.assign(plan.layerCount, EmptyLayer());
    layout.layers[plan.sky] = SkyLayer();
    if (plan.farHills >= 0)
        layout.layers[plan.farHills] = HillLayer(FarTop, FarBody, 4, 10, farDepth, 6);
    if (plan.nearHills >= 0)
        layout.layers[plan.nearHills] = HillLayer(NearTop, NearBody, 6, 20, nearDepth, 4);
    layout.layers[plan.back] = BackLayer(stage);
    if (plan.decor >= 0)
        layout.layers[plan.decor] = WorldLayer(stage.decor, w.widthTiles, w.heightTiles, decorDepth, 0);
    layout.layers[plan.ground] = WorldLayer(ground.cells, w.widthTiles, w.heightTiles, groundDepth, 0);
    layout.layers[plan.collision] = WorldLayer(collisionCells, w.widthTiles, w.heightTiles, groundDepth, 1);
    layout.layers[plan.passThrough] = WorldLayer(passCells, w.widthTiles, w.heightTiles, groundDepth, 1);

    const bool ok = WriteFile(folder + "layout1.bin", MakeLayout(layout)) &&
                    WriteFile(folder + "Tiles.tga", MakeTga(tiles)) &&
                    WriteFile(folder + "Collision.tga", MakeTga(collisionSheet)) &&
                    WriteFile(folder + "Tiles.tpl", IdentityTilePattern()) &&
                    WriteFile(folder + "Collision.tpl", IdentityTilePattern());
    if (!ok)
        fprintf(stderr, "datakit: cannot write the stage layout under %s\n", folder.c_str());
    return ok;
}

// ---- the stages -------------------------------------------------------------------------------------

// The Graveyard: a climb from the start at (272, 1392) to the exit off the top of the view. The camera
// stops at y 896 and the exit fires once the player's y is above 880, so the last ramp runs on up
// past the view. The route, holding right all the way (the player stands 16 px over its feet; the
// jump points were found by running it, holding jump for about 18 ticks each time):
//   x 16-704     flat ground at 1408 (start at x 272), but for a pit at x 400-592, 48 px deep and
//                too wide to jump: a runner drops in and runs out up its 26.5-degree far side
//                (x 592-688); a beam over it (x 432-560, flat underside at 1296, in the whip's
//                reach from a jump off the pit's edge) swings the player across, with a tooth
//                under it at x 496-544 for the rope to bend round and, over the way out, a sloped
//                underside at x 592-688 that the hook will not hold
//   x 704-1088   a gentle ramp up to 1312 (about 14 degrees)
//   x 1216-1248  a short 45-degree ramp to 1280: climbed on the speed of the run-up
//   x 1472       a 32-px step to 1248: JUMP at about x 1430
//   x 1632-1776  one-way floor at 1216: JUMP at about x 1590 (from the ground at 1248)
//   x 1776-1920  one-way floor at 1184: JUMP at about x 1740 (from the first floor)
//   x 1920-2048  one-way floor at 1152: JUMP at about x 1880 (from the second floor)
//   x 2048       the cliff top at 1152; walk on
//   x 2240-2432  a 22.5-degree ramp up to 1072
//   x 2560       a 32-px step to 1040: JUMP at about x 2520
//   x 2720-3056  a 26.5-degree ramp up to 872: the exit fires near x 2995
// Held right from tick 0 of the stage, through the pit, with jumps pressed at ticks 582, 649, 700, 755
// and 1072, the player reaches the exit at about tick 1425. A player who misses a floor falls back to the ground
// under it and can jump again.
StageWorld GraveyardWorld()
{
    StageWorld stage(192, 96);
    stage.Ground({{16, 400, 1408, 1408},
                  {400, 592, 1456, 1456}, // the pit
                  {592, 688, 1456, 1408},
                  {688, 704, 1408, 1408},
                  {704, 1088, 1408, 1312},
                  {1088, 1216, 1312, 1312},
                  {1216, 1248, 1312, 1280},
                  {1248, 1472, 1280, 1280},
                  {1472, 2048, 1248, 1248},
                  {2048, 2240, 1152, 1152},
                  {2240, 2432, 1152, 1072},
                  {2432, 2560, 1072, 1072},
                  {2560, 2720, 1040, 1040},
                  {2720, 3056, 1040, 872}});
    stage.world.Box(432, 1280, 560, 1296);
    stage.world.Box(496, 1296, 544, 1320);
    stage.world.CeilingRamp(592, 1280, 688, 1328, 1264);
    stage.Plank(1632, 1776, 1216);
    stage.Plank(1776, 1920, 1184);
    stage.Plank(1920, 2048, 1152);
    stage.Wall(0, 16);
    stage.Wall(3056, 3072);
    // Graves and fences along the flats.
    for (i32 cx : {6, 9, 24, 31, 35, 40, 70, 75, 80, 89, 96, 131, 134, 138, 155, 163})
        stage.Stack(cx, {cx % 2 == 0 ? CrossBase : GraveBase, cx % 2 == 0 ? CrossTop : GraveTop});
    for (i32 cx : {12, 13, 14, 26, 27, 84, 85, 86, 141, 142, 143})
        stage.Stack(cx, {Fence});
    stage.Perch((i32)graveyardDravenX, (i32)graveyardDravenY);
    return stage;
}

// The Bone Zone: an arena like the Graveyard's start, start at (272, 1416) over ground at 1432, with
// one-way floors to jump between and a ramp on either side.
StageWorld BoneZoneWorld()
{
    StageWorld stage(64, 96);
    stage.Ground({{16, 96, 1312, 1312},
                  {96, 224, 1312, 1440},
                  {224, 800, 1440, 1440},
                  {800, 928, 1440, 1312},
                  {928, 1008, 1312, 1312}});
    // The start stands on a raised block 8 px over the floor.
    stage.world.Box(224, 1432, 352, 1440);
    stage.Plank(352, 480, 1392);
    stage.Plank(544, 672, 1360);
    stage.Plank(400, 544, 1312);
    stage.Plank(672, 800, 1312);
    stage.Wall(0, 16);
    stage.Wall(1008, 1024);
    for (i32 cx : {3, 23, 26, 29, 40, 44, 48, 60})
        stage.Stack(cx, {cx % 2 == 0 ? CrossBase : GraveBase, cx % 2 == 0 ? CrossTop : GraveTop});
    stage.Perch((i32)boneZoneDravenX, (i32)boneZoneDravenY);
    return stage;
}

// Village 1: a long walk right over hills from the start at (64, 700), ground at 716; its far end is
// a flat stretch left free for the boss arena.
StageWorld VillageWorld()
{
    StageWorld stage(320, 56);
    stage.Ground({{16, 384, 716, 716},        {384, 640, 716, 652},     {640, 800, 652, 652},
                  {800, 1056, 652, 716},      {1056, 1344, 716, 716},   {1344, 1536, 716, 636},
                  {1536, 1696, 636, 636},     {1696, 1888, 636, 716},   {1888, 2176, 716, 716},
                  {2176, 2432, 716, 652},     {2432, 2496, 652, 652},   {2496, 2688, 652, 572},
                  {2688, 2880, 572, 572},     {2880, 3136, 572, 668},   {3136, 3200, 668, 716},
                  {3200, 3584, 716, 716},     {3584, 3776, 716, 684},   {3776, 3968, 684, 716},
                  {3968, 5104, 716, 716}});
    stage.Plank(1104, 1232, 664);
    stage.Plank(2000, 2128, 664);
    stage.Plank(2944, 3072, 536);
    stage.Wall(0, 16);
    stage.Wall(5104, 5120);
    // Houses and trees along the road; nothing past x 3968, where the boss arena goes.
    for (i32 cx : {10, 50, 74, 120, 160, 214, 228})
        stage.Stack(cx, {HouseWall, HouseWall, RoofLeft}), stage.Stack(cx + 1, {HouseWall, HouseWindow, RoofRight});
    for (i32 cx : {6, 20, 44, 60, 90, 108, 140, 176, 190, 204, 236, 246})
        stage.Stack(cx, {Trunk, Canopy, CanopyTop});
    for (i32 cx : {14, 15, 16, 66, 67, 68, 220, 221, 222})
        stage.Stack(cx, {Fence});
    stage.Perch((i32)villageDravenX, (i32)villageDravenY);
    return stage;
}

// Boss Rush: a flat arena, the start at (340, 240) over ground at 480. The camera keeps to x 32-668
// and y 0-497 during the fight (the start handler's limit and the boss's arena, whose controller
// stands at (32, 0)): the floor, 480 under the controller as in Village 1, lies 17 px over the bottom
// of a 240-high screen, with the standing boss and the player whole above it. The ground runs the
// stage's whole width with no end walls: once the boss is beaten the player walks out past x 1056 in
// view, and a bale rolling left goes on out of the view and is gone (the map wraps sideways, so a
// wall at either end would stop it at x 0, still in sight at the arena's edge with its box live).
StageWorld BossRushWorld()
{
    StageWorld stage(80, 32);
    stage.Ground({{0, 1280, 480, 480}});
    return stage;
}

// Test: one of every surface in a row from the start at (64, 700), ground at 716: flat; 22.5 degrees
// up and down; a one-way floor over the ground (walked under, or jumped onto); a pit 48 px deep and
// 192 px wide (too wide to jump; jump out of it) with a beam over it to swing across; a sloped
// underside; 45 degrees up, a 22.5-degree climb and a 45-degree run down straight into a loop, whose
// walls and ceiling can be run on (its lower left quarter is open: that is the way in).
// The beam (x 1152-1280) has a flat underside at 604, 112 px over the ground: out of the whip's
// 96 px from the ground, in reach from a jump off the pit's left edge, thrown up and right. A tooth
// hangs 24 px under it at x 1216-1264, a corner for the rope to bend round on a swing to the right.
StageWorld TestWorld()
{
    StageWorld stage(150, 56);
    const i32 g = 716;
    stage.Ground({{16, 256, g, g},
                  {256, 448, g, g - 80},
                  {448, 576, g - 80, g - 80},
                  {576, 768, g - 80, g},
                  {768, 1120, g, g},
                  {1120, 1312, g + 48, g + 48}, // the pit
                  {1312, 1600, g, g},
                  {1600, 1632, g, g - 32},
                  {1632, 1760, g - 32, g - 32},
                  {1760, 2000, g - 32, g - 132},
                  {2000, 2080, g - 132, g - 132},
                  {2080, 2212, g - 132, g},
                  {2212, 2400, g, g}});
    stage.Plank(880, 1040, g - 40);
    // The beam to hook over the pit, and the tooth under it.
    stage.world.Box(1152, g - 128, 1280, g - 112);
    stage.world.Box(1216, g - 112, 1264, g - 88);
    // The underside: rock whose bottom slopes down to the right, 96 then 48 px over the ground; the
    // hook does not hold on it. It starts a little past the pit, clear of a jump off the rope.
    stage.world.CeilingRamp(1392, g - 96, 1568, g - 48, g - 176);
    // The loop, right at the foot of the run down so that the player comes in fast: radius 64, its
    // top half and its lower right quarter.
    const f64 cx = 2292, r = 64, cy = g - r;
    stage.world.Ring(cx, cy, r, (i32)(cx - r - 16), (i32)(cy - r - 16), (i32)(cx + r + 16), (i32)cy);
    stage.world.Ring(cx, cy, r, (i32)cx, (i32)cy, (i32)(cx + r + 16), g);
    stage.Wall(0, 16);
    stage.Wall(2368, 2400);
    stage.Perch((i32)testDravenX, (i32)testDravenY);
    return stage;
}

// ---- music ------------------------------------------------------------------------------------------

// A short tune: a plucked square-ish lead over a bass an octave and a fifth down, looped to fill
// the length. Semitones from A 220 Hz; -99 is a rest.
std::vector<i16> Tune(const std::vector<int>& melody, f64 noteSeconds, f64 seconds, f64 volume)
{
    const u32 rate = 44100;
    const size_t total = (size_t)(seconds * rate);
    const size_t noteLength = (size_t)(noteSeconds * rate);
    std::vector<i16> samples(total, 0);
    for (size_t i = 0; i < total; ++i) {
        const size_t note = i / noteLength;
        const f64 t = (f64)(i % noteLength) / rate;
        const int pitch = melody[note % melody.size()];
        f64 value = 0;
        if (pitch != -99) {
            const f64 f = 220.0 * std::pow(2.0, pitch / 12.0);
            const f64 phase = 2 * std::numbers::pi * f * t;
            value += (std::sin(phase) + std::sin(3 * phase) / 3 + std::sin(5 * phase) / 5) * std::exp(-t * 5);
        }
        const int bassPitch = melody[(note / 4 * 4) % melody.size()];
        if (bassPitch != -99) {
            const f64 f = 220.0 * std::pow(2.0, (bassPitch - 19) / 12.0);
            const f64 tb = (f64)(i % (noteLength * 4)) / rate;
            value += 0.6 * std::sin(2 * std::numbers::pi * f * tb) * std::exp(-tb * 1.5);
        }
        samples[i] = (i16)std::lround(std::clamp(value * volume, -1.0, 1.0) * 32767 * 0.5);
    }
    return samples;
}

struct MusicFile {
    const char* path;
    std::vector<int> melody;
    f64 noteSeconds, seconds, volume;
};

} // namespace

bool WriteStageData(const std::string& dir)
{
    struct StageFiles {
        const char* folder;
        StageWorld (*build)();
        const LayerPlan* plan;
        const Theme* theme;
    };
    const StageFiles stages[] = {
        {"Graveyard", GraveyardWorld, &bigPlan, &graveyardTheme},
        {"BoneZone", BoneZoneWorld, &bigPlan, &boneZoneTheme},
        {"Village", VillageWorld, &villagePlan, &villageTheme},
        {"BossRush", BossRushWorld, &smallPlan, &arenaTheme},
        {"Test", TestWorld, &smallPlan, &testTheme},
    };
    for (const StageFiles& files : stages)
        if (!WriteStageLayout(dir + "/Data/Stages/" + files.folder + "/", files.build(), *files.plan, *files.theme))
            return false;

    // Each track runs past its loop sample: the Graveyard's and the Bone Zone's 769565 (17.45 s at
    // 44.1 kHz), Village 1's 183397 (4.16 s).
    const MusicFile music[] = {
        {"Data/Music/Graveyard.ogg", {0, 3, 7, 3, 12, 10, 7, 3, 5, 8, 12, 8, 7, -99, 3, -99}, 0.25, 18.5, 0.8},
        {"Data/Music/BoneZone.ogg", {0, 7, 3, 10, 8, 7, 3, 2, 0, -99, 0, 12, 10, 7, 5, 3}, 0.2, 18.5, 0.8},
        {"Data/Music/Village1.ogg", {0, 4, 7, 12, 7, 4, 5, 9, 12, 9, 7, 4, 2, 5, 7, -99}, 0.18, 5.0, 0.8},
        {"Data/Music/Test.ogg", {0, 2, 4, 5, 7, 9, 11, 12}, 0.2, 3.2, 0.7},
        {"Data/Music/Blank.ogg", {-99}, 1.0, 1.0, 0.0},
    };
    for (const MusicFile& track : music) {
        std::vector<u8> ogg;
        if (!MakeOgg(Tune(track.melody, track.noteSeconds, track.seconds, track.volume), 1, 44100, &ogg, -0.1f)) {
            // The Windows builds of the kit have no encoder: the stages then play without music.
            fprintf(stderr, "datakit: no Ogg encoder, %s not written\n", track.path);
            continue;
        }
        if (!WriteFile(dir + "/" + track.path, ogg)) {
            fprintf(stderr, "datakit: cannot write %s/%s\n", dir.c_str(), track.path);
            return false;
        }
    }
    return true;
}

} // namespace datakit
