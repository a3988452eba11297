// The present copies against the bandwidth floor: a memcpy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "Engine/Render/PresentCopy.h"

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

} // namespace
