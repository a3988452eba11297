// A typical frame at 424x240 as the game draws it: the scene draw of a stage with four tile layers
// in parallax and 200 sprites of 32x32 in mixed blend modes and flips, then the doubled present
// copy into 848x480. Beside it a memcpy of the frame (the bandwidth floor) and SDL2's software blits
// of the same picture (8-bit tiles and sprites with a colour key onto a 32-bit surface, then its
// scaled blit to 848x480); and a whole tick of the game on the headless backend with that scene as
// its stage, against the frame alone.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "Engine/Common/Camera.h"
#include "Engine/Common/DevMenu.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Headless/Headless.h"
#include "Engine/Platform/Shell.h"
#include "Engine/Platform/Video.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/LayerScroll.h"
#include "Engine/Render/PresentCopy.h"
#include "Engine/Render/SpriteImage.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Actors/StageSettings.h"
#include "bench/DiscSprite.h"
#include "bench/OnStage.h"
#include "bench/SlotTablesAside.h"

#if PALVIC_BENCH_SDL2
#include <SDL.h>
#endif

namespace {

constexpr int W = 424, H = 240;
constexpr i32 layerWidth = 64, layerHeight = 32;
constexpr u32 recordCount = 48; // 1-15 opaque, 16-47 with holes; cell 0 is empty
constexpr u32 spriteKinds = 4, typeCount = 4, perType = 50;
constexpr u8 typeDepths[typeCount] = {4, 5, 7, 8}; // two below the ground layer, two above it
constexpr i32 cameraX = 300, cameraY = 140;

// One sprite of the scene: where it stands, what it shows and how.
struct Placement {
    i32 x, y;
    u32 kind, blend;
    u8 flipX, flipY;
    u32 type;
};

// The stage: a palette shared by the tiles and the sprites, a sheet of 48 tiles, four layers of
// 64 x 32 tiles (a scrolled sky at a quarter of the camera's speed, line-scrolled hills whose
// lines go slower toward the top and drifting clouds above them, row-scrolled trees, and the
// camera-locked ground with platforms), four sprite images and 200 placements around the view.
struct FrameScene {
    std::vector<u32> colours = std::vector<u32>(256);
    std::vector<u8> rgb = std::vector<u8>(256 * 3);
    Palette palette{};
    std::vector<u8> tilePixels = std::vector<u8>(recordCount * 256);
    TileRecord records[recordCount]{};
    TileSheet sheet{};
    TileSheet* sheetPointer = &sheet;
    u8 paletteSelect = 0;
    TileLayer layers[4]{};
    Layout layout{};
    std::vector<u8> spritePixels[spriteKinds];
    std::vector<u32> spriteRows[spriteKinds];
    SpriteImage sprites[spriteKinds]{};
    std::vector<Placement> placements;

    FrameScene()
    {
        std::mt19937 random(21);
        for (u32 i = 0; i < 256; ++i) {
            colours[i] = 0xFF000000u | (u32)(random() & 0xFFFFFF);
            rgb[i * 3] = (u8)(colours[i] >> 16);
            rgb[i * 3 + 1] = (u8)(colours[i] >> 8);
            rgb[i * 3 + 2] = (u8)colours[i];
        }
        palette = Palette{1, 0, colours.data(), rgb.data()};
        for (u32 t = 0; t < recordCount; ++t) {
            bool opaque = true;
            for (u32 p = 0; p < 256; ++p) {
                const u8 index = t >= 16 && random() % 4 == 0 ? 0 : (u8)(1 + random() % 255);
                tilePixels[t * 256 + p] = index;
                opaque = opaque && index;
            }
            records[t] = TileRecord{&tilePixels[t * 256], (u8)(opaque ? 1 : 0), 0};
        }
        sheet.useCount = 1;
        sheet.recordCount = recordCount;
        sheet.tiles = records;
        sheet.palette = &palette;

        const auto opaqueTile = [&] { return (u16)(1 + random() % 15); };
        const auto maskedTile = [&] { return (u16)(16 + random() % 32); };
        TileLayer& sky = layers[0];
        CreateLayer(&sky, ScrollLayer, layerWidth, layerHeight);
        for (i32 i = 0; i < layerWidth * layerHeight; ++i)
            sky.map[i] = opaqueTile();
        sky.parallaxFactor[0] = 16;
        sky.layerFactor = 16;
        sky.depth = 1;

        TileLayer& hills = layers[1];
        CreateLayer(&hills, ScrollLines, layerWidth, layerHeight);
        i32 top = 11;
        for (i32 c = 0; c < layerWidth; ++c) {
            top = std::min(13, std::max(9, top + (i32)(random() % 3) - 1));
            for (i32 r = 0; r < layerHeight; ++r) {
                u16 cell = 0;
                if (r >= 2 && r <= 6)
                    cell = random() % 5 == 0 ? maskedTile() : 0;
                else if (r == top)
                    cell = maskedTile();
                else if (r > top)
                    cell = opaqueTile();
                hills.map[r * layerWidth + c] = cell;
            }
        }
        for (u32 line = 0; line < (u32)layerHeight * 16; ++line)
            hills.parallaxFactor[line] = line < 112 ? (u8)(129 + line / 56) : (u8)(20 + (line - 112) / 16);
        hills.layerFactor = 16;
        hills.depth = 2;

        TileLayer& trees = layers[2];
        CreateLayer(&trees, ScrollRows, layerWidth, layerHeight);
        for (i32 r = 7; r < layerHeight; ++r)
            for (i32 c = 0; c < layerWidth; ++c)
                trees.map[r * layerWidth + c] = random() % 3 == 0 ? maskedTile() : 0;
        for (i32 r = 0; r < layerHeight; ++r)
            trees.parallaxFactor[r] = (u8)(40 + r / 2);
        trees.layerFactor = 48;
        trees.depth = 3;

        TileLayer& ground = layers[3];
        CreateLayer(&ground, ScrollCamera, layerWidth, layerHeight);
        for (i32 r = 9; r < layerHeight; ++r)
            for (i32 c = 0; c < layerWidth; ++c) {
                u16 cell = 0;
                if (r == 19)
                    cell = maskedTile();
                else if (r > 19)
                    cell = opaqueTile();
                else if (random() % 16 == 0)
                    cell = maskedTile();
                ground.map[r * layerWidth + c] = cell;
            }
        ground.depth = 6;

        for (TileLayer& layer : layers) {
            layer.visible = 1;
            layer.tileSheetIndex = 0;
        }
        layout.layers = layers;
        layout.layerCount = 4;
        layout.tileSheetCount = 1;
        layout.tileSheets = &sheetPointer;
        layout.paletteSelect = &paletteSelect;

        for (u32 k = 0; k < spriteKinds; ++k)
            sprites[k] = MakeDiscSprite(random, 250, &spritePixels[k], &spriteRows[k]);
        for (u32 t = 0; t < typeCount; ++t)
            for (u32 i = 0; i < perType; ++i) {
                Placement place{};
                place.x = cameraX - 16 + (i32)(random() % (W + 32));
                place.y = cameraY - 16 + (i32)(random() % (H + 32));
                place.kind = (u32)(random() % spriteKinds);
                place.blend = (u32)(random() % 4);
                place.flipX = (u8)(random() % 2);
                place.flipY = (u8)(random() % 2);
                place.type = t;
                placements.push_back(place);
            }
    }

    ~FrameScene()
    {
        for (TileLayer& layer : layers)
            FreeLayer(&layer);
    }

    // Camera 0 stands at (300, 140) inside bounds that span the layers.
    void Use()
    {
        currentLayout = &layout;
        currentTileSheet = &sheet;
        SetCurrentPalette(&palette);
        CameraLimits& limits = cameraLimits[0];
        limits = CameraLimits{};
        limits.rightBound = limits.rightTarget = layerWidth * 16;
        limits.bottomBound = limits.bottomTarget = layerHeight * 16;
        for (Camera& camera : cameras)
            camera = Camera{};
        cameras[0].x = (f32)cameraX;
        cameras[0].y = (f32)cameraY;
        cameraScrollX[0] = scrollX = cameraX;
        cameraScrollY[0] = scrollY = cameraY;
    }
};

FrameScene& TheFrameScene()
{
    static FrameScene scene;
    return scene;
}

// ---- the stage's object type ----------------------------------------------------------------------

struct Critter {
    ObjectHeader* header;
    u32 kind;
    u32 blend;
    u32 steps;
};

ObjectType critterTypes[typeCount];
void** critterInstances[typeCount];
// The SDL check compares keyed copies only: SDL's blends round otherwise than ours.
bool drawAllAsCopy = false;

void CritterUpdate(void* instance)
{
    Critter* critter = (Critter*)instance;
    ObjectHeader* header = critter->header;
    // Back and forth by half a pixel: work every tick, and the same picture every tick.
    header->x += header->vx;
    header->vx = -header->vx;
    ++critter->steps;
}

void CritterNothing(void*) {}

void CritterDraw(void* instance)
{
    const Critter* critter = (const Critter*)instance;
    const ObjectHeader* header = critter->header;
    const DrawSpriteFunction draw =
        header->flipX ? (header->flipY ? rendererSlots.DrawSpriteFlipXY : rendererSlots.DrawSpriteFlipX)
                      : (header->flipY ? rendererSlots.DrawSpriteFlipY : rendererSlots.DrawSprite);
    blendMode = drawAllAsCopy ? 0 : critter->blend;
    blendLevel = blendMode ? 128 : 255;
    draw(&TheFrameScene().sprites[critter->kind], scrollX, scrollY, (i32)header->x, (i32)header->y);
    blendMode = 0;
    blendLevel = 255;
}

void FrameStageLoad()
{
    FrameScene& scene = TheFrameScene();
    scene.Use();
    for (u32 t = 0; t < typeCount; ++t) {
        ObjectType& type = critterTypes[t];
        type = ObjectType{};
        type.growthStep = perType;
        type.updatePass = (u8)(1 + t);
        type.drawLayer = typeDepths[t];
        type.cullMarginX = type.cullMarginY = 64;
        RegisterObjectType(nullptr, &type, &critterInstances[t], sizeof(Critter), CritterUpdate, CritterNothing,
                           CritterDraw, CritterNothing, CritterNothing, CritterNothing, CritterNothing, nullptr,
                           nullptr, nullptr);
    }
    for (const Placement& place : scene.placements) {
        SpawnObject(&critterTypes[place.type], (f32)place.x, (f32)place.y, 0, 0);
        Critter* critter = (Critter*)lastSpawnedInstance;
        ObjectHeader* header = HeaderOf(lastSpawnedInstance);
        critter->kind = place.kind;
        critter->blend = place.blend;
        header->vx = 0.5f;
        header->flipX = place.flipX;
        header->flipY = place.flipY;
    }
}

void FrameStageUnload()
{
    for (ObjectType& type : critterTypes) {
        FreeObjectType(&type);
        type = ObjectType{};
    }
    currentLayout = nullptr;
}

void FrameStageFrame()
{
    UpdateObjects();
}

Stage frameStage{FrameStageFrame, nullptr, FrameStageLoad, FrameStageUnload, 0, "Frame bench", 0, 0, 0, 0, -1};

// The headless shell in 424x240; false when it cannot come up. The mode is set afresh every time:
// other benchmarks point the frame and the slots at buffers of their own.
bool UseShell()
{
    return benchplay::UseShell() && frameBuffer == doubleBuffer + W;
}

// The frame: the scene draw, then the doubled copy.
void DrawTypicalFrame(u32* present)
{
    DrawScene();
    presentDouble(frameBuffer, present, present + 2 * W);
}

void BM_Frame_MemcpyFrame(benchmark::State& state)
{
    std::vector<u32> source((size_t)W * H, 0x123456), destination((size_t)W * H);
    for (auto _ : state) {
        memcpy(destination.data(), source.data(), (size_t)W * H * 4);
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Frame_MemcpyFrame);

void BM_Frame_Typical(benchmark::State& state)
{
    if (!UseShell()) {
        state.SkipWithError("the headless shell did not come up in 424x240");
        return;
    }
    SlotTablesAside aside;
    currentStage = previousStage = nullptr;
    pauseMenuOpen = stageSwitching = 0;
    FrameStageLoad();
    // Marks everything updated, as the stage's frame does before the draw.
    UpdateObjects();
    std::vector<u32> present((size_t)4 * W * H);
    for (auto _ : state) {
        DrawTypicalFrame(present.data());
        benchmark::DoNotOptimize(present.data());
        benchmark::ClobberMemory();
    }
    FrameStageUnload();
}
BENCHMARK(BM_Frame_Typical);

// A whole tick with the scene as the current stage, presented at 2x: input, hotkeys, the stage's
// frame (the object update), cameras, the scene draw, the doubled copy and the headless present
// (which keeps a copy of the 848x480 picture).
void BM_Frame_Tick(benchmark::State& state)
{
    if (!UseShell()) {
        state.SkipWithError("the headless shell did not come up in 424x240");
        return;
    }
    static const bool gameSetUp = [] {
        GameSetup();
        return true;
    }();
    benchmark::DoNotOptimize(gameSetUp);
    SlotTablesAside aside;
    benchplay::EnterPlay();
    GoToStage(&frameStage);

    // The tick is measured against the frame only if it draws and presents the same picture.
    pendingTicks = 1;
    RunTick();
    std::vector<u32> present((size_t)4 * W * H);
    DrawTypicalFrame(present.data());
    const bool same = headless::LastPresented() == present;

    if (!same) {
        state.SkipWithError("the tick presents another picture than the typical frame");
    } else {
        for (auto _ : state) {
            pendingTicks = 1;
            RunTick();
            benchmark::ClobberMemory();
        }
    }
    // Leaving the stage unloads it; then no stage is current and no switch pending, as the other
    // benchmarks expect.
    GoToStage(&wipStage);
    benchplay::LeavePlay();
}
BENCHMARK(BM_Frame_Tick);

#if PALVIC_BENCH_SDL2

inline u32 FloorMod(i64 value, u32 period)
{
    const i64 rest = value % (i64)period;
    return (u32)(rest < 0 ? rest + period : rest);
}

// The same picture through SDL2: tiles and sprites as 8-bit surfaces with the palette (masked
// tiles and every sprite keyed on index 0; each sprite pre-mirrored four ways and made once per
// blend, so no blit changes a surface's settings), blitted onto a 424x240 ARGB8888 surface in the
// scene's depth order, then scaled to 848x480.
struct SdlFrame {
    SDL_Surface* frame = nullptr;
    SDL_Surface* doubled = nullptr;
    SDL_Palette* palette = nullptr;
    SDL_Surface* tiles[recordCount] = {};
    // [kind][flipX + 2 flipY][0 copy, 1 add, 2 mix]
    SDL_Surface* sprites[spriteKinds][4][3] = {};

    SdlFrame()
    {
        FrameScene& scene = TheFrameScene();
        frame = SDL_CreateRGBSurfaceWithFormat(0, W, H, 32, SDL_PIXELFORMAT_ARGB8888);
        doubled = SDL_CreateRGBSurfaceWithFormat(0, 2 * W, 2 * H, 32, SDL_PIXELFORMAT_ARGB8888);
        // A plain copy: blending the frame onto the doubled surface would leave SDL's stretch path.
        SDL_SetSurfaceBlendMode(frame, SDL_BLENDMODE_NONE);
        palette = SDL_AllocPalette(256);
        SDL_Color colours[256];
        for (int i = 0; i < 256; ++i)
            colours[i] = SDL_Color{scene.rgb[(size_t)i * 3], scene.rgb[(size_t)i * 3 + 1],
                                   scene.rgb[(size_t)i * 3 + 2], 255};
        SDL_SetPaletteColors(palette, colours, 0, 256);
        for (u32 t = 0; t < recordCount; ++t) {
            tiles[t] = Indexed(16, [&](int x, int y) { return scene.records[t].pixels[y * 16 + x]; });
            if (!scene.records[t].opaque)
                SDL_SetColorKey(tiles[t], SDL_TRUE, 0);
        }
        const SDL_BlendMode modes[3] = {SDL_BLENDMODE_NONE, SDL_BLENDMODE_ADD, SDL_BLENDMODE_BLEND};
        for (u32 k = 0; k < spriteKinds; ++k)
            for (int flip = 0; flip < 4; ++flip)
                for (int m = 0; m < 3; ++m) {
                    const u8* pixels = scene.spritePixels[k].data();
                    SDL_Surface* surface = Indexed(32, [&](int x, int y) {
                        return pixels[(flip & 2 ? 31 - y : y) * 32 + (flip & 1 ? 31 - x : x)];
                    });
                    SDL_SetColorKey(surface, SDL_TRUE, 0);
                    SDL_SetSurfaceBlendMode(surface, modes[m]);
                    SDL_SetSurfaceAlphaMod(surface, m ? 128 : 255);
                    sprites[k][flip][m] = surface;
                }
    }

    template <typename Pixel>
    SDL_Surface* Indexed(int size, Pixel pixel)
    {
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, size, size, 8, SDL_PIXELFORMAT_INDEX8);
        SDL_SetSurfacePalette(surface, palette);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                ((u8*)surface->pixels)[y * surface->pitch + x] = pixel(x, y);
        return surface;
    }

    void Tile(u16 cell, SDL_Rect* from, i32 x, i32 y)
    {
        if (!cell)
            return;
        SDL_Rect to{x, y, 16, 16};
        SDL_BlitSurface(tiles[cell], from, frame, &to);
    }

    // Modes 0 and 1: a grid of 28 x 16 tiles from one scroll pair, repeating over the layer;
    // SDL clips the border.
    void Grid(const TileLayer& layer, i32 sx, i32 sy, u32 columns, u32 rows)
    {
        u32 row = FloorMod(sy >> 4, rows);
        for (int j = 0; j < 16; ++j) {
            u32 column = FloorMod(sx >> 4, columns);
            for (int i = 0; i < 28; ++i) {
                Tile(layer.map[layer.rowStarts[row] + column], nullptr, 16 * i - (sx & 15), 16 * j - (sy & 15));
                column = column + 1 == columns ? 0 : column + 1;
            }
            row = row + 1 == rows ? 0 : row + 1;
        }
    }

    // Mode 2: each grid row at the scroll of its tile row.
    void Rows(const TileLayer& layer)
    {
        const i32 fineY = layer.layerScroll & 15;
        u32 row = FloorMod(layer.layerScroll >> 4, layer.scrollCount);
        for (int j = 0; j < 16; ++j) {
            const i32 sx = layer.scrollOffsets[row];
            const u32 period = layer.wrapLengths[row];
            u32 column = FloorMod(sx >> 4, period);
            for (int i = 0; i < 28; ++i) {
                Tile(layer.map[layer.rowStarts[row] + column], nullptr, 16 * i - (sx & 15), 16 * j - fineY);
                column = column + 1 == period ? 0 : column + 1;
            }
            row = row + 1 == layer.scrollCount ? 0 : row + 1;
        }
    }

    // Mode 4: each screen line at the scroll of its pixel line, one tile line a blit.
    void Lines(const TileLayer& layer)
    {
        const u32 lines = layer.scrollCount * 16;
        u32 line = FloorMod(layer.layerScroll, lines);
        for (int y = 0; y < H; ++y) {
            const i32 s = layer.scrollOffsets[line];
            const u32 period = layer.wrapLengths[line];
            const u16* cells = layer.map + layer.rowStarts[line >> 4];
            SDL_Rect from{0, (int)(line & 15), 16, 1};
            u32 column = FloorMod(s >> 4, period);
            for (int i = 0; i < 28; ++i) {
                if (const u16 cell = cells[column]) {
                    SDL_Rect source = from, to{16 * i - (s & 15), y, 16, 1};
                    SDL_BlitSurface(tiles[cell], &source, frame, &to);
                }
                column = column + 1 == period ? 0 : column + 1;
            }
            line = line + 1 == lines ? 0 : line + 1;
        }
    }

    void Layer(const TileLayer& layer)
    {
        switch (layer.scrollMode) {
        case ScrollCamera: Grid(layer, cameraX, cameraY, (u32)layer.width, (u32)layer.height); break;
        case ScrollLayer:
            Grid(layer, layer.scrollOffsets[0], layer.layerScroll, layer.wrapLengths[0], layer.scrollCount);
            break;
        case ScrollRows: Rows(layer); break;
        case ScrollLines: Lines(layer); break;
        default: break;
        }
    }

    // Depth by depth as the scene draw goes: the sprites of a depth, then its layers.
    void Draw(bool copyOnly)
    {
        FrameScene& scene = TheFrameScene();
        for (u32 depth = 0; depth < drawLayerCount; ++depth) {
            for (const Placement& place : scene.placements) {
                if (typeDepths[place.type] != depth)
                    continue;
                const int blend = copyOnly ? 0 : place.blend == 0 ? 0 : place.blend == 1 ? 1 : 2;
                SDL_Rect to{place.x - cameraX - 16, place.y - cameraY - 16, 32, 32};
                SDL_BlitSurface(sprites[place.kind][place.flipX + 2 * place.flipY][blend], nullptr, frame, &to);
            }
            for (const TileLayer& layer : scene.layers)
                if (layer.depth == depth)
                    Layer(layer);
        }
        SDL_BlitScaled(frame, nullptr, doubled, nullptr);
    }
};

SdlFrame& TheSdlFrame()
{
    static SdlFrame frame;
    return frame;
}

// The baseline is the same work only if it makes the same picture: the whole 848x480 output, with
// every sprite a keyed copy on both sides.
bool SdlDrawsTheSameFrame()
{
    if (!UseShell())
        return false;
    SdlFrame& sdl = TheSdlFrame();
    SlotTablesAside aside;
    currentStage = previousStage = nullptr;
    pauseMenuOpen = stageSwitching = 0;
    FrameStageLoad();
    UpdateObjects();
    std::vector<u32> present((size_t)4 * W * H);
    drawAllAsCopy = true;
    DrawTypicalFrame(present.data());
    drawAllAsCopy = false;
    sdl.Draw(true);
    FrameStageUnload();
    for (int y = 0; y < 2 * H; ++y) {
        const u32* row = (const u32*)((const u8*)sdl.doubled->pixels + y * sdl.doubled->pitch);
        for (int x = 0; x < 2 * W; ++x)
            if ((present[(size_t)(y * 2 * W + x)] & 0xFFFFFF) != (row[x] & 0xFFFFFF))
                return false;
    }
    return true;
}

void BM_Sdl_TypicalFrame(benchmark::State& state)
{
    static const bool same = SdlDrawsTheSameFrame();
    if (!same) {
        state.SkipWithError("SDL's blits draw another frame than the scene draw");
        return;
    }
    SdlFrame& sdl = TheSdlFrame();
    // The layers' offsets as the scene draw leaves them for this camera.
    TheFrameScene().Use();
    UpdateLayerScroll();
    for (auto _ : state) {
        sdl.Draw(false);
        benchmark::DoNotOptimize(sdl.doubled->pixels);
        benchmark::ClobberMemory();
    }
    currentLayout = nullptr;
}
BENCHMARK(BM_Sdl_TypicalFrame);

#endif

} // namespace
