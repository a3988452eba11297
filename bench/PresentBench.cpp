// The present copies against the bandwidth floor, a memcpy of the same bytes, and the doubled copy
// against SDL2's scaled blit of the same 424x240 picture to 848x480.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "Engine/Render/PresentCopy.h"

#if PALVIC_BENCH_SDL2
#include <SDL.h>
#endif

namespace {

constexpr int W = 424, H = 240;

void BM_MemcpyFrame(benchmark::State& state)
{
    std::vector<u32> source(W * H, 0x123456), destination(W * H);
    for (auto _ : state) {
        memcpy(destination.data(), source.data(), W * H * 4);
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * W * H * 4);
}
BENCHMARK(BM_MemcpyFrame);

// The floor for the doubled copy: a memcpy of the four times larger output.
void BM_MemcpyDoubledFrame(benchmark::State& state)
{
    std::vector<u32> source(4 * W * H, 0x123456), destination(4 * W * H);
    for (auto _ : state) {
        memcpy(destination.data(), source.data(), 4 * W * H * 4);
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 4 * W * H * 4);
}
BENCHMARK(BM_MemcpyDoubledFrame);

void BM_PresentCopy424(benchmark::State& state)
{
    std::vector<u32> source(W * H, 0x123456), destination(W * H);
    for (auto _ : state) {
        PresentCopySized<W, H>(source.data(), destination.data());
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * W * H * 4);
}
BENCHMARK(BM_PresentCopy424);

void BM_PresentDouble424(benchmark::State& state)
{
    std::vector<u32> source(W * H, 0x123456), destination(4 * W * H);
    for (auto _ : state) {
        PresentDoubleSized<W, H>(source.data(), destination.data(), destination.data() + 2 * W);
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 4 * W * H * 4);
}
BENCHMARK(BM_PresentDouble424);

#if PALVIC_BENCH_SDL2

// A 424x240 ARGB8888 surface of random colours, SDL's copy of it at 2x, and ours. The source is
// blitted without blending, so SDL takes its nearest-neighbour stretch.
struct SdlDoubled {
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormat(0, W, H, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Surface* destination = SDL_CreateRGBSurfaceWithFormat(0, 2 * W, 2 * H, 32, SDL_PIXELFORMAT_ARGB8888);
    std::vector<u32> picture = std::vector<u32>(W * H);

    SdlDoubled()
    {
        std::mt19937 random(17);
        for (u32& colour : picture)
            colour = 0xFF000000u | (u32)(random() & 0xFFFFFF);
        for (int y = 0; y < H; ++y)
            memcpy((u8*)source->pixels + y * source->pitch, picture.data() + y * W, W * 4);
        SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    }
};

SdlDoubled& TheSdlDoubled()
{
    static SdlDoubled doubled;
    return doubled;
}

// The baseline is the same work only if SDL's stretch writes our doubled picture, pixel for pixel.
bool SdlDoublesLikePresentDouble()
{
    SdlDoubled& sdl = TheSdlDoubled();
    std::vector<u32> ours(4 * W * H);
    PresentDoubleSized<W, H>(sdl.picture.data(), ours.data(), ours.data() + 2 * W);
    SDL_FillRect(sdl.destination, nullptr, 0);
    if (SDL_BlitScaled(sdl.source, nullptr, sdl.destination, nullptr) != 0)
        return false;
    for (int y = 0; y < 2 * H; ++y) {
        const u8* row = (const u8*)sdl.destination->pixels + y * sdl.destination->pitch;
        if (memcmp(ours.data() + y * 2 * W, row, 2 * W * 4) != 0)
            return false;
    }
    return true;
}

void BM_Sdl_ScaledBlit424(benchmark::State& state)
{
    static const bool same = SdlDoublesLikePresentDouble();
    if (!same) {
        state.SkipWithError("SDL's scaled blit makes another picture than the doubled copy");
        return;
    }
    SdlDoubled& sdl = TheSdlDoubled();
    for (auto _ : state) {
        SDL_BlitScaled(sdl.source, nullptr, sdl.destination, nullptr);
        benchmark::DoNotOptimize(sdl.destination->pixels);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 4 * W * H * 4);
}
BENCHMARK(BM_Sdl_ScaledBlit424);

#endif

} // namespace
