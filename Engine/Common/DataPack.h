// File access: every data file is opened by path, first in the scrambled data pack "data.ch3" and
// otherwise as a loose file relative to the working directory. One file is current at a time;
// opening another pushes it, closing returns to it, so a reader can open a second file while it is
// in the middle of the first (a manifest opens its sheets).
#pragma once
#include <cstdio>

#include "Engine/Common/Types.h"

// Nesting room: enclosing pack files and enclosing loose files.
constexpr u32 packStackLevels = 5;
constexpr u32 looseStackLevels = 20;

struct PackFileTable {
    FILE* dataStream;      // file contents
    FILE* directoryStream; // directory walks, so a lookup never moves the data stream
    u32 packLength;        // bytes in data.ch3: no offset of the pack may point past it
    u8 table[16];          // the scramble table built from the trailer's seed
    u8 keys[256];          // the key of every offset, by its low byte
    u32 rootOffset;
    u32 tableBase;

    // The current directory.
    u32 dirFileTable;   // absolute offset of its file table
    u8 dirFileCount;
    u32 dirParentField; // absolute offset of its parentOffset field
    char dirPath[512];

    // The current pack file.
    u32 start, position, end, size;
    u32 packStack[packStackLevels][4]; // start, position, end, size of each enclosing pack file
    u32 packDepth;

    FILE* looseFile; // the current loose file
    FILE* looseStack[looseStackLevels];
    u32 looseDepth;

    // Which kind (1 loose, 0 pack, 2 memory) each open file is, innermost last. The reading mode is one
    // flag; this keeps it right when pack and loose files are opened inside one another.
    u8 openKinds[1 + packStackLevels + looseStackLevels];
    u32 openCount;
};

extern PackFileTable packFileTable;
extern u8 looseFileMode; // reads go to the current loose (or memory) file (1) or the current pack file (0)
extern u8 packAbsent;    // no pack in use: every open is loose

// Opens "data.ch3" at start-up. Non-zero when the pack is in use, 0 when it is absent or damaged
// (a damaged trailer is reported in debugText); every open is loose then.
u32 OpenDataPack();

// Closes the pack streams and any open files and returns to loose-only state, as before
// OpenDataPack. The game never calls it (the pack stays open for the life of the process); tests,
// tools and benchmarks that open packs one after another do.
void CloseDataPack();

// Makes the file current: 1 when it was found in the pack or loose, 0 when it was found nowhere
// (the enclosing file, if any, is current again).
u32 OpenAssetFile(const char* path);

// Called with the path of every open that found the file nowhere; null (the default) calls
// nothing. Tests set it to list the files a stage asks for and the data set lacks.
extern void (*assetMissingHook)(const char* path);

// Asked first by every open when set: a path it answers true for is read from the bytes it gives
// (they must outlive the open file) instead of the pack or the disk. Null (the default) asks
// nothing. Fuzz targets and tests set it to hand a loader its input without writing a file.
extern bool (*assetMemoryHook)(const char* path, const u8** data, u32* size);

// Closes the current file; the enclosing one becomes current and reads on where it stopped.
void CloseAssetFile();

// The next byte of the current file (unscrambled from the pack); -1 past the end of a loose file
// or of the pack itself.
i32 PackReadByte();

// Reads count bytes of the current file into buffer and returns how many the stream delivered;
// the position advances by count. Bytes the stream could not deliver are zeroed.
u64 PackReadBytes(void* buffer, u64 count);

// Moves the current file to offset o from its start.
void SeekAssetFile(u32 offset);

// The size of the current file in bytes (0 when no file is current).
u32 AssetFileSize();

// The two steps of a pack lookup, used by OpenAssetFile: change the current directory by one path
// component ("." , "..", a separator for the root, or a name), and find a file in it, making it
// the current pack file.
u32 PackChangeDir(const char* component);
u32 PackFindFile(const char* name);
