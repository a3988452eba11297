// The tile-layer drawers, one full-screen layer at 424x240 in each scroll mode, against the floor
// of a memcpy of the frame and against SDL2's software blit of the same 8-bit tiles with a colour
// key onto a 32-bit surface (the picture of a scroll-mode-1 layer, tile by tile).
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Render/LayerDraw.h"
#include "Engine/Render/TileBlit.h"
#include "Engine/Render/VideoMode.h"
#include "bench/FrameAside.h"

#if PALVIC_BENCH_SDL2
#include <SDL.h>
#endif

namespace {

constexpr int W = 424, H = 240;
constexpr u32 recordCount = 64;
constexpr i32 layerWidth = 64, layerHeight = 32;

// A sheet of 64 tiles (even ones opaque, odd ones with a quarter of their pixels transparent), a
// palette, and one layer in every scroll mode whose cells are all tiles, never empty.
struct LayerScene {
    std::vector<u8> pixels = std::vector<u8>(recordCount * 256);
    TileRecord records[recordCount];
    std::vector<u32> colours = std::vector<u32>(256);
    Palette palette{1, 0, nullptr, nullptr};
    TileSheet sheet{};
    TileSheet* sheets[1] = {&sheet};
    u8 flags[1] = {0};
    Layout layout{};
    TileLayer layers[6];
    TileLayer paletted;
    std::vector<u32> shared = std::vector<u32>(272);
    Palette sharedRecord{1, 0, nullptr, nullptr};
    std::vector<u32> block = std::vector<u32>((size_t)W * (H + 2));
    std::vector<u32> rows = std::vector<u32>(H);

    LayerScene()
    {
        std::mt19937 random(11);
        for (u32 i = 0; i < 256; ++i)
            colours[i] = 0xFF000000u | ((i * 2654435761u) >> 8);
        for (u32& colour : shared)
            colour = 0xFF000000u | (u32)(random() & 0xFFFFFF);
        for (u32 t = 0; t < recordCount; ++t) {
            bool opaque = true;
            for (u32 p = 0; p < 256; ++p) {
                const u8 index = (t & 1) && random() % 4 == 0 ? 0 : (u8)(1 + random() % 255);
                pixels[t * 256 + p] = index;
                opaque = opaque && index;
            }
            records[t] = TileRecord{&pixels[t * 256], (u8)(opaque ? 1 : 0), 0};
        }
        palette.colours = colours.data();
        sharedRecord.colours = shared.data();
        sheet.useCount = 1;
        sheet.recordCount = recordCount;
        sheet.tiles = records;
        sheet.palette = &palette;
        layout.tileSheetCount = 1;
        layout.tileSheets = sheets;
        layout.paletteSelect = flags;
        for (u8 mode = 0; mode < 6; ++mode) {
            TileLayer& layer = layers[mode];
            CreateLayer(&layer, mode, layerWidth, layerHeight);
            for (i32 i = 0; i < layerWidth * layerHeight; ++i)
                layer.map[i] = (u16)(1 + random() % (recordCount - 1));
            const u32 entries = LayerScrollEntryCount(mode, layerWidth, layerHeight);
            for (u32 e = 0; e < entries; ++e)
                layer.scrollOffsets[e] = 1000 + (i32)(random() % 64); // every fine offset occurs
            layer.layerScroll = 2000 + 7;
        }
        layers[ScrollLayer].scrollOffsets[0] = 1000 + 5;
        CreateLayer(&paletted, ScrollCamera, layerWidth, layerHeight);
        for (i32 i = 0; i < layerWidth * layerHeight; ++i)
            paletted.map[i] = (u16)((random() % 16) << 12 | (1 + random() % (recordCount - 1)));
        for (int y = 0; y < H; ++y)
            rows[(size_t)y] = (u32)(y * W);
    }

    // Points the engine at this scene as a 424x240 mode would, with camera 0 bounded by the layer.
    void Use()
    {
        frameBuffer = block.data() + W;
        rowOffsets = rows.data();
        screenWidth = W;
        screenHeight = H;
        rendererSlots.DrawTile = DrawTileSized<W, H>;
        rendererSlots.DrawTileMasked = DrawTileMaskedSized<W, H>;
        FillLayerSlots<W, H>(rendererSlots);
        currentLayout = &layout;
        memset(cameraLimits, 0, sizeof(cameraLimits));
        cameraLimits[0].rightBound = layerWidth * 16;
        cameraLimits[0].bottomBound = layerHeight * 16;
        scrollX = 1000 + 5;
        scrollY = 2000 + 7;
        sharedPalette = &sharedRecord;
        sharedPaletteCount = (u32)shared.size();
    }
};

LayerScene& TheLayerScene()
{
    static LayerScene scene;
    return scene;
}

const char* const modeNames[] = {"Camera", "Scrolled", "RowScroll", "ColumnScroll", "LineScroll", "PixelColumnScroll"};

void BM_Layer_MemcpyFrame(benchmark::State& state)
{
    std::vector<u32> source((size_t)W * H, 0x123456), destination((size_t)W * H);
    for (auto _ : state) {
        memcpy(destination.data(), source.data(), (size_t)W * H * 4);
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Layer_MemcpyFrame);

// Arg 0: the scroll mode; arg 1: 0 the drawer, 1 its opaque twin.
void BM_Layer_Draw(benchmark::State& state)
{
    LayerScene& scene = TheLayerScene();
    FrameAside aside;
    scene.Use();
    const int mode = (int)state.range(0);
    const DrawLayerFunction draw =
        state.range(1) ? rendererSlots.DrawLayerOpaque[mode] : rendererSlots.DrawLayer[mode];
    state.SetLabel(modeNames[mode]);
    for (auto _ : state) {
        draw(&scene.layers[mode]);
        benchmark::DoNotOptimize(frameBuffer);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Layer_Draw)->ArgsProduct({{0, 1, 2, 3, 4, 5}, {0, 1}});

void BM_Layer_CameraPaletted(benchmark::State& state)
{
    LayerScene& scene = TheLayerScene();
    FrameAside aside;
    scene.Use();
    for (auto _ : state) {
        DrawLayerCameraPaletted(&scene.paletted, 0, &scene.layout);
        benchmark::DoNotOptimize(frameBuffer);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Layer_CameraPaletted);

#if PALVIC_BENCH_SDL2

// The same tiles as 8-bit SDL surfaces with the palette; the masked ones keyed on index 0.
struct SdlLayerScene {
    SDL_Surface* frame = nullptr;
    SDL_Surface* tiles[recordCount] = {};
    SDL_Palette* palette = nullptr;

    SdlLayerScene()
    {
        LayerScene& scene = TheLayerScene();
        frame = SDL_CreateRGBSurfaceWithFormat(0, W, H, 32, SDL_PIXELFORMAT_ARGB8888);
        palette = SDL_AllocPalette(256);
        SDL_Color colours[256];
        for (int i = 0; i < 256; ++i)
            colours[i] = SDL_Color{(u8)(scene.colours[(size_t)i] >> 16), (u8)(scene.colours[(size_t)i] >> 8),
                                   (u8)scene.colours[(size_t)i], 255};
        SDL_SetPaletteColors(palette, colours, 0, 256);
        for (u32 t = 0; t < recordCount; ++t) {
            tiles[t] = SDL_CreateRGBSurfaceWithFormat(0, 16, 16, 8, SDL_PIXELFORMAT_INDEX8);
            SDL_SetSurfacePalette(tiles[t], palette);
            for (int y = 0; y < 16; ++y)
                memcpy((u8*)tiles[t]->pixels + y * tiles[t]->pitch, scene.records[t].pixels + y * 16, 16);
            if (!scene.records[t].opaque)
                SDL_SetColorKey(tiles[t], SDL_TRUE, 0);
        }
    }

    // The mode-1 layer tile by tile: 28 x 16 blits at its fine offset, clipped by SDL.
    void DrawScrolledLayer(const TileLayer& layer)
    {
        const i32 sx = layer.scrollOffsets[0], sy = layer.layerScroll;
        for (int j = 0; j < 16; ++j) {
            const i32 row = ((sy >> 4) + j) % layerHeight;
            for (int i = 0; i < 28; ++i) {
                const i32 column = ((sx >> 4) + i) % layerWidth;
                SDL_Rect to{16 * i - (sx & 15), 16 * j - (sy & 15), 16, 16};
                SDL_BlitSurface(tiles[layer.map[row * layerWidth + column]], nullptr, frame, &to);
            }
        }
    }
};

SdlLayerScene& TheSdlLayerScene()
{
    static SdlLayerScene scene;
    return scene;
}

// The baseline is the same work only if it draws the same picture as the mode-1 drawer.
bool SdlDrawsTheSameLayer()
{
    LayerScene& scene = TheLayerScene();
    SdlLayerScene& sdl = TheSdlLayerScene();
    FrameAside aside;
    scene.Use();
    std::fill(scene.block.begin(), scene.block.end(), 0u);
    SDL_FillRect(sdl.frame, nullptr, 0);
    rendererSlots.DrawLayer[ScrollLayer](&scene.layers[ScrollLayer]);
    sdl.DrawScrolledLayer(scene.layers[ScrollLayer]);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            if ((frameBuffer[y * W + x] & 0xFFFFFF) != (((const u32*)((const u8*)sdl.frame->pixels + y * sdl.frame->pitch))[x] & 0xFFFFFF))
                return false;
    return true;
}

void BM_Sdl_LayerTiles(benchmark::State& state)
{
    LayerScene& scene = TheLayerScene();
    SdlLayerScene& sdl = TheSdlLayerScene();
    static const bool same = SdlDrawsTheSameLayer();
    if (!same) {
        state.SkipWithError("SDL's keyed blits draw another picture than the layer drawer");
        return;
    }
    for (auto _ : state) {
        sdl.DrawScrolledLayer(scene.layers[ScrollLayer]);
        benchmark::DoNotOptimize(sdl.frame->pixels);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Sdl_LayerTiles);

#endif

} // namespace
