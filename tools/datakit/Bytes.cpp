#include "tools/datakit/Bytes.h"

#include <cstdio>
#include <filesystem>

namespace datakit {

bool WriteFile(const std::string& path, const std::vector<u8>& bytes)
{
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty())
        std::filesystem::create_directories(parent, error);
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

} // namespace datakit
