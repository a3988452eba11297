// The data pack writer: "data.ch3", a scrambled big-endian archive with a directory tree.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "Engine/Common/Types.h"

namespace datakit {

struct PackFile {
    std::string path; // inside the pack, components separated by '/': "Data/SFX/Global/Silent.wav"
    std::vector<u8> bytes;
};

// Where things landed in a pack, for tests that damage one on purpose.
struct PackLayout {
    u32 rootOffset = 0;
    u32 tableBase = 0;
    std::map<std::string, u32> fileEntries; // path -> absolute offset of its file-table entry
    std::map<std::string, u32> fileData;    // path -> absolute offset of its first data byte
};

constexpr u32 defaultPackSeed = 0x5EED2B7Au;

// Builds a pack of the files (directories follow from the paths; entries are sorted by name).
// False with a reason when a limit of the format is passed: a file of 16 MiB or more, more than
// 255 files or subdirectories in one directory, a file name over 246 bytes or a directory name
// over 511.
bool MakePack(const std::vector<PackFile>& files, std::vector<u8>* pack, std::string* error,
              u32 seed = defaultPackSeed, PackLayout* layout = nullptr);

// Writes the byte at an absolute offset of a built pack as the engine will read it (scrambled
// with the pack's seed). Tests use it to damage a pack.
void PokePackByte(std::vector<u8>& pack, u32 offset, u8 plain);

// Packs every file under folder, its path in the pack being prefix + its path below folder
// ("Data/" + "SFX/Global/Silent.wav"), and writes the pack to outPath. False (after printing why)
// on failure.
bool PackFolder(const std::string& folder, const std::string& prefix, const std::string& outPath);

} // namespace datakit
