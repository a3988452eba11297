// Opening and reading a file from the data pack against reading the same bytes as a loose file,
// through the same calls, in the same run. The pack adds a directory walk to the open and a
// two-lookup unscramble to every byte.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Engine/Common/AssetReader.h"
#include "Engine/Common/DataPack.h"
#include "tools/datakit/Bytes.h"
#include "tools/datakit/PackWriter.h"

namespace {

namespace fs = std::filesystem;

// A folder with Data/Bench/<size>.bin loose and the same files in data.ch3, beside a few dozen
// other entries so the lookups walk real tables.
const fs::path& BenchFolder()
{
    static const fs::path folder = [] {
        const fs::path dir = fs::temp_directory_path() / "palvic-pack-bench";
        fs::remove_all(dir);
        std::vector<datakit::PackFile> files;
        for (u32 size : {4096u, 1u << 20}) {
            std::vector<u8> bytes(size);
            for (u32 i = 0; i < size; ++i)
                bytes[i] = (u8)(i * 2654435761u >> 24);
            const std::string path = "Data/Bench/" + std::to_string(size) + ".bin";
            datakit::WriteFile((dir / path).string(), bytes);
            files.push_back({path, bytes});
        }
        for (int d = 0; d < 6; ++d)
            for (int f = 0; f < 8; ++f)
                files.push_back({"Data/Other" + std::to_string(d) + "/file" + std::to_string(f) + ".bin",
                                 std::vector<u8>(100, (u8)f)});
        std::vector<u8> pack;
        std::string error;
        datakit::MakePack(files, &pack, &error);
        datakit::WriteFile((dir / "data.ch3").string(), pack);
        return dir;
    }();
    return folder;
}

// Works in the bench folder, with or without the pack, and puts things back afterwards.
struct InFolder {
    fs::path home = fs::current_path();
    explicit InFolder(bool withPack)
    {
        fs::current_path(BenchFolder());
        if (withPack)
            OpenDataPack();
        else
            CloseDataPack();
    }
    ~InFolder()
    {
        CloseDataPack();
        fs::current_path(home);
    }
};

void OpenAndRead(benchmark::State& state, bool withPack)
{
    InFolder in(withPack);
    const std::string path = "Data/Bench/" + std::to_string(state.range(0)) + ".bin";
    std::vector<u8> buffer((size_t)state.range(0));
    for (auto _ : state) {
        if (!OpenAssetFile(path.c_str())) {
            state.SkipWithError("file not found");
            break;
        }
        benchmark::DoNotOptimize(PackReadBytes(buffer.data(), buffer.size()));
        CloseAssetFile();
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((i64)state.iterations() * state.range(0));
}

void ReaderOpen(benchmark::State& state, bool withPack)
{
    InFolder in(withPack);
    const std::string path = "Data/Bench/" + std::to_string(state.range(0)) + ".bin";
    for (auto _ : state) {
        AssetReader reader{};
        if (!OpenAssetReader(path.c_str(), &reader)) {
            state.SkipWithError("file not found");
            break;
        }
        benchmark::DoNotOptimize(reader.data);
        CloseAssetReader(&reader);
    }
    state.SetBytesProcessed((i64)state.iterations() * state.range(0));
}

void BM_PackedOpenRead(benchmark::State& state) { OpenAndRead(state, true); }
void BM_LooseOpenRead(benchmark::State& state) { OpenAndRead(state, false); }
void BM_PackedReader(benchmark::State& state) { ReaderOpen(state, true); }
void BM_LooseReader(benchmark::State& state) { ReaderOpen(state, false); }

} // namespace

BENCHMARK(BM_PackedOpenRead)->Arg(4096)->Arg(1 << 20);
BENCHMARK(BM_LooseOpenRead)->Arg(4096)->Arg(1 << 20);
BENCHMARK(BM_PackedReader)->Arg(4096)->Arg(1 << 20);
BENCHMARK(BM_LooseReader)->Arg(4096)->Arg(1 << 20);
