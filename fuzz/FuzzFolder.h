// A private working folder for a fuzz target: the engine opens its data files relative to the
// working directory, so each target works in a temporary folder of its own.
#pragma once
#include <cstdio>
#include <filesystem>
#include <string>

#include "Engine/Common/Types.h"

inline void EnterFuzzFolder(const char* name)
{
    static bool entered = false;
    if (entered)
        return;
    entered = true;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / (std::string("palvic-") + name + "-" + std::to_string(rand()));
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
}

inline bool WriteFuzzFile(const char* path, const u8* data, size_t size, size_t zeroTail = 0)
{
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty())
        std::filesystem::create_directories(parent, error);
    FILE* file = fopen(path, "wb");
    if (!file)
        return false;
    bool ok = fwrite(data, 1, size, file) == size;
    static const u8 zeros[4096] = {};
    for (size_t left = zeroTail; left && ok;) {
        const size_t count = left < sizeof(zeros) ? left : sizeof(zeros);
        ok = fwrite(zeros, 1, count, file) == count;
        left -= count;
    }
    return fclose(file) == 0 && ok;
}
