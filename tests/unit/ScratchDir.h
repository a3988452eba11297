// A fresh temporary folder made the working directory for one test, for the files the game reads
// and writes there ("config.bfc", "test.dem").
#pragma once
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Engine/Common/Types.h"

class ScratchDir {
public:
    ScratchDir()
    {
        previous_ = std::filesystem::current_path();
        std::string pattern = (std::filesystem::temp_directory_path() / "palvic-input-XXXXXX").string();
        const char* made = mkdtemp(pattern.data());
        path_ = made ? made : std::filesystem::temp_directory_path();
        made_ = made != nullptr;
        std::filesystem::current_path(path_);
    }
    ~ScratchDir()
    {
        std::filesystem::current_path(previous_);
        std::error_code error;
        if (made_)
            std::filesystem::remove_all(path_, error);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // The bytes of a file in the folder (empty when it is missing).
    static std::vector<u8> Read(const char* name)
    {
        std::vector<u8> bytes;
        if (FILE* file = fopen(name, "rb")) {
            int c;
            while ((c = fgetc(file)) != EOF)
                bytes.push_back((u8)c);
            fclose(file);
        }
        return bytes;
    }

    // Writes a file in the folder (an empty one too); false on failure.
    static bool Write(const char* name, const std::vector<u8>& bytes)
    {
        FILE* file = fopen(name, "wb");
        if (!file)
            return false;
        const bool written = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        return fclose(file) == 0 && written;
    }

private:
    std::filesystem::path previous_, path_;
    bool made_ = false;
};
