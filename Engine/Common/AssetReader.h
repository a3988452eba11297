// The asset reader: one whole data file held in memory, handed out byte by byte as big-endian
// integers and counted names. Opening reads the file through the file layer and closes it again
// at once, so readers never keep a file open.
//
// The one rule for running out of data: a read at or past the end yields 10 and does not advance,
// so every format read through a reader degrades to 10s instead of failing on a short file. A u16
// or u32 read with only part of its bytes left yields 10 too and does not advance.
#pragma once
#include "Engine/Common/Types.h"

struct AssetReader {
    u8* data;        // the file's bytes (heap, owned by the reader)
    u32 size;        // bytes in data
    u32 position;    // offset of the next byte to read
    char* name;      // heap copy of the path it was opened with
    char* directory; // heap copy of the directory it was opened in (informational)
};

// Reads the whole file into the reader: 1 on success, 0 when it was found nowhere (then only
// position is set, to 0). Records the working directory.
u8 OpenAssetReader(const char* path, AssetReader* reader);
// The same, for music: records the pack's current directory for a pack file, the working
// directory for a loose one.
u8 OpenAssetReaderWhole(const char* path, AssetReader* reader);
// Frees data, name and directory and clears the reader.
void CloseAssetReader(AssetReader* reader);

u8 ReadU8(AssetReader* reader);
u16 ReadU16BE(AssetReader* reader);
u32 ReadU32BE(AssetReader* reader);
// A signed byte of a format, widened.
i16 ReadI8As16(AssetReader* reader);
i32 ReadI8As32(AssetReader* reader);

// Reads at most count bytes into buffer, stopping after a line feed or a carriage return (a line
// feed right after a carriage return is consumed, not stored). The caller passes a zero-filled
// buffer of count + 1 bytes; nothing is added after the last byte stored. A count of 0 reads
// nothing.
void ReadCountedString(char* buffer, u32 count, AssetReader* reader);
