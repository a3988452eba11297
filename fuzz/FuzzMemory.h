// Files a fuzz target hands the engine from memory: the file layer's memory hook answers these
// paths, so an input is read where libFuzzer keeps it instead of being written out and opened,
// and companion files (sheets, fonts) are made once and served from their bytes.
#pragma once
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Engine/Common/DataPack.h"
#include "Engine/Common/Types.h"

struct FuzzFile {
    std::string path;
    const u8* data;
    u32 size;
};

inline std::vector<FuzzFile>& FuzzFiles()
{
    static std::vector<FuzzFile> files;
    return files;
}

inline bool AnswerFuzzFile(const char* path, const u8** data, u32* size)
{
    for (const FuzzFile& file : FuzzFiles())
        if (file.path == path) {
            *data = file.data;
            *size = file.size;
            return true;
        }
    return false;
}

// Serves the bytes at path from now on (replacing what was served there); they must stay valid
// while the engine may open the file.
inline void ServeFuzzFile(const char* path, const u8* data, size_t size)
{
    assetMemoryHook = AnswerFuzzFile;
    for (FuzzFile& file : FuzzFiles())
        if (file.path == path) {
            file.data = data;
            file.size = (u32)size;
            return;
        }
    FuzzFiles().push_back(FuzzFile{path, data, (u32)size});
}

// A companion made once: its bytes are kept for the life of the process.
inline void ServeFuzzCompanion(const char* path, std::vector<u8> bytes)
{
    // Room made once, so the bytes already served never move.
    static std::vector<std::vector<u8>> kept;
    kept.reserve(64);
    if (kept.size() == kept.capacity())
        abort();
    kept.push_back(std::move(bytes));
    ServeFuzzFile(path, kept.back().data(), kept.back().size());
}
