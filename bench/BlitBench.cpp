// The sprite and tile blitters against SDL2's software blit of the same 8-bit images with a colour
// key onto a 32-bit surface, and against a memcpy of the frame (the bandwidth floor).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Render/BlendTables.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/SpriteBlit.h"
#include "Engine/Render/TileBlit.h"
#include "Engine/Render/VideoMode.h"
#include "bench/FrameAside.h"

#if PALVIC_BENCH_SDL2
#include <SDL.h>
#endif

namespace {

constexpr int W = 424, H = 240;
constexpr int spriteSize = 32, spriteCount = 500, rotatedCount = 50, imageKinds = 16;

// The shared picture: 16 sprite images of 32x32 (a quarter of their pixels transparent, the
// rest in a ring so that runs of both kinds occur), 16 tiles, a palette and 500 positions.
struct Scene {
    std::vector<u8> spritePixels[imageKinds];
    std::vector<u32> spriteRows[imageKinds];
    SpriteImage sprites[imageKinds];
    std::vector<u8> tilePixels[imageKinds];
    TileRecord tiles[imageKinds];
    std::vector<u32> palette = std::vector<u32>(256);
    struct Place {
        int x, y, kind;
    };
    std::vector<Place> places;
    std::vector<u32> block = std::vector<u32>((size_t)W * (H + 2));
    std::vector<u32> rows = std::vector<u32>(H);

    Scene()
    {
        std::mt19937 random(5);
        for (u32 i = 0; i < 256; ++i)
            palette[i] = 0xFF000000u | ((i * 2654435761u) >> 8);
        for (int k = 0; k < imageKinds; ++k) {
            spritePixels[k].resize(spriteSize * spriteSize);
            spriteRows[k].resize(spriteSize);
            for (int y = 0; y < spriteSize; ++y) {
                spriteRows[k][(size_t)y] = (u32)(y * spriteSize);
                for (int x = 0; x < spriteSize; ++x) {
                    const int dx = x - 16, dy = y - 16;
                    const bool inside = dx * dx + dy * dy < 300;
                    spritePixels[k][(size_t)(y * spriteSize + x)] = inside ? (u8)(1 + random() % 255) : 0;
                }
            }
            SpriteImage& image = sprites[k];
            image.width = image.height = spriteSize;
            image.pixels = spritePixels[k].data();
            image.offsetX = image.offsetY = -16;
            image.flippedOffsetX = image.flippedOffsetY = -16;
            image.rowStarts = spriteRows[k].data();
            tilePixels[k].resize(256);
            for (u8& p : tilePixels[k])
                p = (random() % 4 == 0) ? 0 : (u8)(1 + random() % 255);
            tiles[k] = TileRecord{tilePixels[k].data(), 0, 0};
        }
        for (int i = 0; i < spriteCount; ++i)
            places.push_back({(int)(random() % (W + 32)) - 16, (int)(random() % (H + 32)) - 16, (int)(random() % imageKinds)});
        for (int y = 0; y < H; ++y)
            rows[(size_t)y] = (u32)(y * W);
    }

    // Points the engine's frame and draw state at this scene, as a 424x240 mode would.
    void Use()
    {
        BuildBlendTables();
        frameBuffer = block.data() + W;
        rowOffsets = rows.data();
        screenWidth = W;
        screenHeight = H;
        currentPalette = palette.data();
        memset(cameraLimits, 0, sizeof(cameraLimits));
        drawFlags = 0;
        blendMode = 0;
        blendLevel = 255;
        spriteScaleX = spriteScaleY = 512;
        spriteAngle = 0;
    }
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

void BM_Blit_MemcpyFrame(benchmark::State& state)
{
    std::vector<u32> source((size_t)W * H, 0x123456), destination((size_t)W * H);
    for (auto _ : state) {
        memcpy(destination.data(), source.data(), (size_t)W * H * 4);
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Blit_MemcpyFrame);

// 500 sprites of 32x32 in one blend mode (0 copy, 1 add, 2 mix at level 128, 3 average).
void BM_Blit_Sprites500(benchmark::State& state)
{
    Scene& scene = TheScene();
    FrameAside aside;
    scene.Use();
    blendMode = (u32)state.range(0);
    blendLevel = 128;
    for (auto _ : state) {
        for (const Scene::Place& place : scene.places)
            DrawSpriteSized<W, H, false, false>(&scene.sprites[place.kind], 0, 0, place.x, place.y);
        benchmark::DoNotOptimize(frameBuffer);
        benchmark::ClobberMemory();
    }
    blendMode = 0;
    blendLevel = 255;
    state.SetItemsProcessed(state.iterations() * spriteCount);
}
BENCHMARK(BM_Blit_Sprites500)->Arg(0)->Arg(1)->Arg(2)->Arg(3);

// 50 sprites turned (each its own angle) and scaled by 1.5.
void BM_Blit_Rotated50(benchmark::State& state)
{
    Scene& scene = TheScene();
    FrameAside aside;
    scene.Use();
    drawFlags = drawFlagRotateScale;
    spriteScaleX = spriteScaleY = 768;
    for (auto _ : state) {
        for (int i = 0; i < rotatedCount; ++i) {
            const Scene::Place& place = scene.places[(size_t)i];
            spriteAngle = i * 5;
            DrawSpriteSized<W, H, false, false>(&scene.sprites[place.kind], 0, 0, place.x, place.y);
        }
        benchmark::DoNotOptimize(frameBuffer);
        benchmark::ClobberMemory();
    }
    drawFlags = 0;
    spriteScaleX = spriteScaleY = 512;
    spriteAngle = 0;
    state.SetItemsProcessed(state.iterations() * rotatedCount);
}
BENCHMARK(BM_Blit_Rotated50);

// 16x16 tiles over the whole 424x240 screen at a fine offset of (5, 7): 28 x 16 tiles, the edge
// ones clipped. Arg 0: DrawTile (opaque), 1: DrawTileMasked.
void BM_Blit_TilesFullScreen(benchmark::State& state)
{
    Scene& scene = TheScene();
    FrameAside aside;
    scene.Use();
    const bool masked = state.range(0) != 0;
    for (auto _ : state) {
        int k = 0;
        for (int y = -7; y < H; y += 16)
            for (int x = -5; x < W; x += 16, k = (k + 1) & (imageKinds - 1)) {
                if (masked)
                    DrawTileMaskedSized<W, H>(&scene.tiles[k], 0, 0, x, y);
                else
                    DrawTileSized<W, H>(&scene.tiles[k], 0, 0, x, y);
            }
        benchmark::DoNotOptimize(frameBuffer);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Blit_TilesFullScreen)->Arg(0)->Arg(1);

#if PALVIC_BENCH_SDL2

// The same images as 8-bit SDL surfaces with the palette, colour key 0 (when keyed), onto a
// 424x240 ARGB8888 surface.
struct SdlScene {
    SDL_Surface* frame = nullptr;
    SDL_Surface* sprites[imageKinds] = {};
    SDL_Surface* tiles[imageKinds] = {};
    SDL_Palette* palette = nullptr;

    static SDL_Surface* Indexed(const u8* pixels, int size, SDL_Palette* palette)
    {
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, size, size, 8, SDL_PIXELFORMAT_INDEX8);
        SDL_SetSurfacePalette(surface, palette);
        for (int y = 0; y < size; ++y)
            memcpy((u8*)surface->pixels + y * surface->pitch, pixels + y * size, (size_t)size);
        return surface;
    }

    SdlScene()
    {
        Scene& scene = TheScene();
        frame = SDL_CreateRGBSurfaceWithFormat(0, W, H, 32, SDL_PIXELFORMAT_ARGB8888);
        palette = SDL_AllocPalette(256);
        SDL_Color colours[256];
        for (int i = 0; i < 256; ++i)
            colours[i] = SDL_Color{(u8)(scene.palette[(size_t)i] >> 16), (u8)(scene.palette[(size_t)i] >> 8),
                                   (u8)scene.palette[(size_t)i], 255};
        SDL_SetPaletteColors(palette, colours, 0, 256);
        for (int k = 0; k < imageKinds; ++k) {
            sprites[k] = Indexed(scene.spritePixels[k].data(), spriteSize, palette);
            SDL_SetColorKey(sprites[k], SDL_TRUE, 0);
            tiles[k] = Indexed(scene.tilePixels[k].data(), 16, palette);
        }
    }
};

SdlScene& TheSdlScene()
{
    static SdlScene scene;
    return scene;
}

// The baseline is the same work only if it draws the same picture: the 500 sprites copied with
// their key, by SDL and by the blitters, onto cleared frames.
bool SdlDrawsTheSamePicture()
{
    Scene& scene = TheScene();
    SdlScene& sdl = TheSdlScene();
    FrameAside aside;
    scene.Use();
    std::fill(scene.block.begin(), scene.block.end(), 0u);
    SDL_FillRect(sdl.frame, nullptr, 0);
    for (const Scene::Place& place : scene.places) {
        DrawSpriteSized<W, H, false, false>(&scene.sprites[place.kind], 0, 0, place.x, place.y);
        SDL_Rect to{place.x - 16, place.y - 16, spriteSize, spriteSize};
        SDL_BlitSurface(sdl.sprites[place.kind], nullptr, sdl.frame, &to);
    }
    for (int y = 0; y < H; ++y)
        if (memcmp(frameBuffer + y * W, (const u8*)sdl.frame->pixels + y * sdl.frame->pitch, W * 4) != 0)
            return false;
    return true;
}

// Arg 0: keyed copy; 1: keyed additive at alpha 128; 2: keyed alpha blend at alpha 128 (SDL's
// nearest counterparts of blend modes 0, 1 and 2).
void BM_Sdl_Sprites500(benchmark::State& state)
{
    Scene& scene = TheScene();
    SdlScene& sdl = TheSdlScene();
    static const bool same = SdlDrawsTheSamePicture();
    if (!same) {
        state.SkipWithError("SDL's keyed blit draws another picture than the blitters");
        return;
    }
    const SDL_BlendMode modes[] = {SDL_BLENDMODE_NONE, SDL_BLENDMODE_ADD, SDL_BLENDMODE_BLEND};
    for (SDL_Surface* sprite : sdl.sprites) {
        SDL_SetSurfaceBlendMode(sprite, modes[state.range(0)]);
        SDL_SetSurfaceAlphaMod(sprite, state.range(0) ? 128 : 255);
    }
    for (auto _ : state) {
        for (const Scene::Place& place : scene.places) {
            SDL_Rect to{place.x - 16, place.y - 16, spriteSize, spriteSize};
            SDL_BlitSurface(sdl.sprites[place.kind], nullptr, sdl.frame, &to);
        }
        benchmark::DoNotOptimize(sdl.frame->pixels);
        benchmark::ClobberMemory();
    }
    for (SDL_Surface* sprite : sdl.sprites) {
        SDL_SetSurfaceBlendMode(sprite, SDL_BLENDMODE_NONE);
        SDL_SetSurfaceAlphaMod(sprite, 255);
    }
    state.SetItemsProcessed(state.iterations() * spriteCount);
}
BENCHMARK(BM_Sdl_Sprites500)->Arg(0)->Arg(1)->Arg(2);

// SDL2 has no rotating blit; its nearest-neighbour scaled blit of the same 50 sprites by 1.5 is
// the closest software counterpart (less work than turning them).
void BM_Sdl_Scaled50(benchmark::State& state)
{
    Scene& scene = TheScene();
    SdlScene& sdl = TheSdlScene();
    for (auto _ : state) {
        for (int i = 0; i < rotatedCount; ++i) {
            const Scene::Place& place = scene.places[(size_t)i];
            SDL_Rect to{place.x - 24, place.y - 24, 48, 48};
            SDL_BlitScaled(sdl.sprites[place.kind], nullptr, sdl.frame, &to);
        }
        benchmark::DoNotOptimize(sdl.frame->pixels);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * rotatedCount);
}
BENCHMARK(BM_Sdl_Scaled50);

// The tile grid of BM_Blit_TilesFullScreen by SDL, keyed on index 0 or not.
void SdlTileGrid(SdlScene& sdl)
{
    int k = 0;
    for (int y = -7; y < H; y += 16)
        for (int x = -5; x < W; x += 16, k = (k + 1) & (imageKinds - 1)) {
            SDL_Rect to{x, y, 16, 16};
            SDL_BlitSurface(sdl.tiles[k], nullptr, sdl.frame, &to);
        }
}

// The same check for the tiles: the grid drawn twice over a cleared frame (the second pass
// shows what the masked blit leaves beneath its holes), opaque or masked.
bool SdlDrawsTheSameTiles(bool masked)
{
    Scene& scene = TheScene();
    SdlScene& sdl = TheSdlScene();
    FrameAside aside;
    scene.Use();
    std::fill(scene.block.begin(), scene.block.end(), 0u);
    SDL_FillRect(sdl.frame, nullptr, 0);
    for (SDL_Surface* tile : sdl.tiles)
        SDL_SetColorKey(tile, masked ? SDL_TRUE : SDL_FALSE, 0);
    for (int pass = 0; pass < 2; ++pass) {
        int k = 0;
        for (int y = -7 + 3 * pass; y < H; y += 16)
            for (int x = -5 + 5 * pass; x < W; x += 16, k = (k + 1) & (imageKinds - 1)) {
                if (masked)
                    DrawTileMaskedSized<W, H>(&scene.tiles[k], 0, 0, x, y);
                else
                    DrawTileSized<W, H>(&scene.tiles[k], 0, 0, x, y);
                SDL_Rect to{x, y, 16, 16};
                SDL_BlitSurface(sdl.tiles[k], nullptr, sdl.frame, &to);
            }
    }
    for (int y = 0; y < H; ++y)
        if (memcmp(frameBuffer + y * W, (const u8*)sdl.frame->pixels + y * sdl.frame->pitch, W * 4) != 0)
            return false;
    return true;
}

// Arg 0: tiles without a key (opaque), 1: keyed on index 0 (masked).
void BM_Sdl_TilesFullScreen(benchmark::State& state)
{
    SdlScene& sdl = TheSdlScene();
    static const bool same[2] = {SdlDrawsTheSameTiles(false), SdlDrawsTheSameTiles(true)};
    if (!same[state.range(0)]) {
        state.SkipWithError("SDL's tile blits draw another picture than the tile blitters");
        return;
    }
    for (SDL_Surface* tile : sdl.tiles)
        SDL_SetColorKey(tile, state.range(0) ? SDL_TRUE : SDL_FALSE, 0);
    for (auto _ : state) {
        SdlTileGrid(sdl);
        benchmark::DoNotOptimize(sdl.frame->pixels);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Sdl_TilesFullScreen)->Arg(0)->Arg(1);

#endif

} // namespace
