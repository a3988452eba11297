// Byte-order helpers and file output for the data kit's writers.
#pragma once
#include <string>
#include <vector>

#include "Engine/Common/Types.h"

namespace datakit {

inline void PutTag(std::vector<u8>& out, const char* tag)
{
    for (int i = 0; i < 4; ++i)
        out.push_back((u8)tag[i]);
}
inline void PutLe16(std::vector<u8>& out, u16 v)
{
    out.push_back((u8)v);
    out.push_back((u8)(v >> 8));
}
inline void PutLe32(std::vector<u8>& out, u32 v)
{
    PutLe16(out, (u16)v);
    PutLe16(out, (u16)(v >> 16));
}
inline void PutBe16(std::vector<u8>& out, u16 v)
{
    out.push_back((u8)(v >> 8));
    out.push_back((u8)v);
}
inline void PutBe32(std::vector<u8>& out, u32 v)
{
    PutBe16(out, (u16)(v >> 16));
    PutBe16(out, (u16)v);
}

// Writes a file, creating its folders; false on failure.
bool WriteFile(const std::string& path, const std::vector<u8>& bytes);

} // namespace datakit
