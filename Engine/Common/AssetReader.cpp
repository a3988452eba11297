#include "Engine/Common/AssetReader.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "Engine/Common/CopyText.h"
#include "Engine/Common/DataPack.h"

namespace {

constexpr u8 pastEnd = 10;

std::string WorkingDirectory()
{
    std::error_code error;
    const std::filesystem::path here = std::filesystem::current_path(error);
    return error ? std::string(".") : here.string();
}

u8 OpenReader(const char* path, AssetReader* reader, bool whole)
{
    reader->position = 0;
    if (!OpenAssetFile(path))
        return 0;
    const bool fromPack = !looseFileMode;
    const u32 size = AssetFileSize();
    // One spare byte keeps an empty file's block a real allocation.
    u8* data = (u8*)malloc((size_t)size + 1);
    if (!data) {
        CloseAssetFile();
        return 0;
    }
    PackReadBytes(data, size);
    CloseAssetFile();

    reader->data = data;
    reader->size = size;
    reader->name = CopyText(path, strlen(path));
    if (whole && fromPack)
        reader->directory = CopyText(packFileTable.dirPath, 511);
    else
        reader->directory = CopyText(WorkingDirectory().c_str(), whole ? 511 : 255);
    return 1;
}

} // namespace

u8 OpenAssetReader(const char* path, AssetReader* reader)
{
    return OpenReader(path, reader, false);
}

u8 OpenAssetReaderWhole(const char* path, AssetReader* reader)
{
    return OpenReader(path, reader, true);
}

void CloseAssetReader(AssetReader* reader)
{
    free(reader->data);
    free(reader->name);
    free(reader->directory);
    *reader = AssetReader{};
}

u8 ReadU8(AssetReader* reader)
{
    if (reader->position >= reader->size)
        return pastEnd;
    return reader->data[reader->position++];
}

u16 ReadU16BE(AssetReader* reader)
{
    if (reader->position >= reader->size || reader->size - reader->position < 2)
        return pastEnd;
    const u8* b = reader->data + reader->position;
    reader->position += 2;
    return (u16)(b[0] << 8 | b[1]);
}

u32 ReadU32BE(AssetReader* reader)
{
    if (reader->position >= reader->size || reader->size - reader->position < 4)
        return pastEnd;
    const u8* b = reader->data + reader->position;
    reader->position += 4;
    return (u32)b[0] << 24 | (u32)b[1] << 16 | (u32)b[2] << 8 | b[3];
}

i16 ReadI8As16(AssetReader* reader)
{
    return (i8)ReadU8(reader);
}

i32 ReadI8As32(AssetReader* reader)
{
    return (i8)ReadU8(reader);
}

void ReadCountedString(char* buffer, u32 count, AssetReader* reader)
{
    // A count of 0 has no room for even the first byte.
    if (count == 0 || reader->position >= reader->size)
        return;
    u32 index = 0;
    buffer[0] = (char)reader->data[reader->position++];
    while (buffer[index] != '\n') {
        if (buffer[index] == '\r') {
            // A line feed after the carriage return is consumed; any other byte is read again
            // later.
            if (reader->position < reader->size && reader->data[reader->position] == '\n')
                ++reader->position;
            return;
        }
        ++index;
        if (index == count || reader->position >= reader->size)
            return;
        buffer[index] = (char)reader->data[reader->position++];
    }
}
