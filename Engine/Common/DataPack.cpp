#include "Engine/Common/DataPack.h"

#include <cstring>
#include <filesystem>

#include "Engine/Common/AssetError.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/PackScramble.h"

PackFileTable packFileTable;
u8 looseFileMode = 1;
u8 packAbsent = 1;
void (*assetMissingHook)(const char* path);
bool (*assetMemoryHook)(const char* path, const u8** data, u32* size);

namespace {

constexpr u32 trailerDistance = 4108; // the trailer starts this far before the pack's end
constexpr u32 maxNameLength = 511;
constexpr u32 maxPathLength = 255;

PackFileTable& pack = packFileTable;

constexpr u8 memoryKind = 2;

// The open memory files, innermost last.
struct MemoryFile {
    const u8* data;
    u32 size, position;
};
MemoryFile memoryStack[looseStackLevels];
u32 memoryDepth;

MemoryFile* CurrentMemoryFile()
{
    if (pack.openCount == 0 || pack.openKinds[pack.openCount - 1] != memoryKind)
        return nullptr;
    return &memoryStack[memoryDepth - 1];
}

const char* lookupPath = ""; // the path being looked up, for damage reports

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

// Reads count bytes of the pack at an absolute offset through the directory stream, unscrambled.
// False when any of them lies outside the pack.
bool ReadDirectory(u32 offset, u8* out, u32 count)
{
    if ((u64)offset + count > pack.packLength)
        return false;
    if (fseek(pack.directoryStream, (long)offset, SEEK_SET) != 0)
        return false;
    if (fread(out, 1, count, pack.directoryStream) != count)
        return false;
    for (u32 i = 0; i < count; ++i)
        out[i] ^= pack.keys[(offset + i) & 255];
    return true;
}

bool ReadDirectoryU24(u32 offset, u32* value)
{
    u8 b[3];
    if (!ReadDirectory(offset, b, 3))
        return false;
    *value = (u32)b[0] << 16 | (u32)b[1] << 8 | b[2];
    return true;
}

bool ReadDirectoryU32(u32 offset, u32* value)
{
    u8 b[4];
    if (!ReadDirectory(offset, b, 4))
        return false;
    *value = (u32)b[0] << 24 | (u32)b[1] << 16 | (u32)b[2] << 8 | b[3];
    return true;
}

// Reads a zero-terminated name of at most maxNameLength bytes. False when it has no terminator
// within that length or inside the pack.
bool ReadDirectoryName(u32 offset, char name[maxNameLength + 1], u32* length)
{
    if (offset >= pack.packLength)
        return false;
    u32 count = maxNameLength + 1;
    if (pack.packLength - offset < count)
        count = pack.packLength - offset;
    u8 bytes[maxNameLength + 1];
    if (!ReadDirectory(offset, bytes, count))
        return false;
    for (u32 i = 0; i < count; ++i) {
        name[i] = (char)bytes[i];
        if (bytes[i] == 0) {
            *length = i;
            return true;
        }
    }
    return false;
}

bool Damaged(const char* what, u32 offset)
{
    ReportAssetError("Data pack data.ch3 is damaged\n%s at offset %u\nLooking up %s", what, offset, lookupPath);
    return false;
}

// Makes the node at an absolute offset the current directory.
bool EnterNode(u32 node)
{
    u8 head[4];
    if ((u64)node + 9 > pack.packLength || !ReadDirectory(node, head, 4))
        return Damaged("A directory node lies outside the pack", node);
    const u32 filesOffset = (u32)head[0] << 16 | (u32)head[1] << 8 | head[2];
    pack.dirFileTable = pack.tableBase + filesOffset;
    pack.dirFileCount = head[3];
    pack.dirParentField = node + 4;
    return true;
}

void AppendDirPath(const char* name)
{
    const size_t used = strlen(pack.dirPath);
    const bool root = strcmp(pack.dirPath, "/") == 0;
    snprintf(pack.dirPath + used, sizeof(pack.dirPath) - used, "%s%s", root ? "" : "/", name);
}

void CutDirPath()
{
    char* cut = nullptr;
    for (char* c = pack.dirPath; *c; ++c)
        if (IsSeparator(*c))
            cut = c;
    if (cut)
        *cut = 0;
    if (pack.dirPath[0] == 0)
        strcpy(pack.dirPath, "/");
}

void PushKind(u8 kind)
{
    pack.openKinds[pack.openCount++] = kind;
    looseFileMode = kind != 0;
}

bool OpenKindRoom()
{
    return pack.openCount < sizeof(pack.openKinds);
}

bool LookUpInPack(const char* path)
{
    if (strlen(path) > maxPathLength)
        return false;
    const char* p = path;
    if (IsSeparator(*p)) {
        if (!PackChangeDir("/"))
            return false;
        ++p;
    }
    char component[maxNameLength + 1];
    for (;;) {
        const char* stop = p;
        while (*stop && !IsSeparator(*stop))
            ++stop;
        const size_t length = (size_t)(stop - p);
        if (length > maxNameLength)
            return false;
        memcpy(component, p, length);
        component[length] = 0;
        if (*stop == 0)
            return PackFindFile(component) != 0;
        // An empty component ("a//b") stays where it is, as the file system does.
        if (length && !PackChangeDir(component))
            return false;
        p = stop + 1;
    }
}

} // namespace

u32 OpenDataPack()
{
    CloseDataPack();
    pack.dataStream = fopen("data.ch3", "rb");
    pack.directoryStream = pack.dataStream ? fopen("data.ch3", "rb") : nullptr;
    if (!pack.dataStream || !pack.directoryStream) {
        CloseDataPack();
        return 0;
    }
    strcpy(pack.dirPath, "/");

    long length = -1;
    if (fseek(pack.directoryStream, 0, SEEK_END) == 0)
        length = ftell(pack.directoryStream);
    if (length < (long)trailerDistance) {
        ReportAssetError("Data pack data.ch3 is damaged\nIt is too short to hold its trailer (%ld bytes)", length);
        CloseDataPack();
        return 0;
    }
    pack.packLength = (u32)length;

    // The seed's four bytes are stored plain, every third byte from the trailer's start; the root
    // offset and the table base are interleaved with them, scrambled by their own offsets.
    const u32 trailer = pack.packLength - trailerDistance;
    u8 bytes[12];
    if (fseek(pack.directoryStream, (long)trailer, SEEK_SET) != 0 || fread(bytes, 1, 12, pack.directoryStream) != 12) {
        CloseDataPack();
        return 0;
    }
    u32 seed = 0;
    for (u32 k = 0; k < 4; ++k)
        seed = seed << 8 | bytes[3 * k];
    BuildScrambleTable(seed, pack.table);
    BuildKeyTable(pack.table, pack.keys);
    u32 root = 0, base = 0;
    for (u32 k = 0; k < 4; ++k) {
        root = root << 8 | (u8)(bytes[3 * k + 1] ^ pack.keys[(trailer + 3 * k + 1) & 255]);
        base = base << 8 | (u8)(bytes[3 * k + 2] ^ pack.keys[(trailer + 3 * k + 2) & 255]);
    }
    pack.rootOffset = root;
    pack.tableBase = base;

    rewind(pack.dataStream);
    lookupPath = "the root directory";
    if (!EnterNode(pack.rootOffset)) {
        CloseDataPack();
        return 0;
    }
    looseFileMode = 0;
    packAbsent = 0;
    return 1;
}

void CloseDataPack()
{
    while (pack.openCount)
        CloseAssetFile();
    if (pack.dataStream)
        fclose(pack.dataStream);
    if (pack.directoryStream)
        fclose(pack.directoryStream);
    pack = PackFileTable{};
    looseFileMode = 1;
    packAbsent = 1;
}

u32 PackChangeDir(const char* component)
{
    if (strcmp(component, ".") == 0)
        return 1;
    if (strcmp(component, "/") == 0 || strcmp(component, "\\") == 0) {
        strcpy(pack.dirPath, "/");
        return EnterNode(pack.rootOffset);
    }
    if (strcmp(component, "..") == 0) {
        u32 parent;
        if (!ReadDirectoryU32(pack.dirParentField, &parent))
            return Damaged("A parent offset lies outside the pack", pack.dirParentField);
        CutDirPath();
        return EnterNode(pack.rootOffset + parent);
    }

    u8 subdirCount;
    if (!ReadDirectory(pack.dirParentField + 4, &subdirCount, 1))
        return Damaged("A directory node lies outside the pack", pack.dirParentField - 4);
    u32 entry = pack.dirParentField + 5;
    for (u32 i = 0; i < subdirCount; ++i) {
        u32 entrySize, nameLength;
        char name[maxNameLength + 1];
        if (!ReadDirectoryU24(entry, &entrySize) || !ReadDirectoryName(entry + 3, name, &nameLength))
            return Damaged("A directory entry lies outside the pack", entry);
        if (strcmp(name, component) == 0) {
            if (!EnterNode(entry + 3 + nameLength + 1))
                return 0;
            AppendDirPath(name);
            return 1;
        }
        // Skipping an entry skips its whole subtree.
        if (entrySize < 3 + nameLength + 1 || (u64)entry + entrySize > pack.packLength)
            return Damaged("A directory entry's size is out of range", entry);
        entry += entrySize;
    }
    return 0;
}

u32 PackFindFile(const char* name)
{
    u32 entry = pack.dirFileTable;
    for (u32 i = 0; i < pack.dirFileCount; ++i) {
        u8 entrySize;
        u32 nameLength;
        char entryName[maxNameLength + 1];
        if (!ReadDirectory(entry, &entrySize, 1) || !ReadDirectoryName(entry + 1, entryName, &nameLength))
            return Damaged("A file entry lies outside the pack", entry);
        if (strcmp(entryName, name) == 0) {
            u32 dataOffset, dataSize;
            const u32 fields = entry + 1 + nameLength + 1;
            if (!ReadDirectoryU32(fields, &dataOffset) || !ReadDirectoryU24(fields + 4, &dataSize))
                return Damaged("A file entry lies outside the pack", entry);
            if ((u64)dataOffset + dataSize > pack.packLength)
                return Damaged("A file's data lies outside the pack", entry);
            if (pack.packDepth == packStackLevels || !OpenKindRoom()) {
                FormatDebugText("Too many nested pack files opening %s", lookupPath);
                return 0;
            }
            u32* saved = pack.packStack[pack.packDepth++];
            saved[0] = pack.start;
            saved[1] = pack.position;
            saved[2] = pack.end;
            saved[3] = pack.size;
            pack.start = pack.position = dataOffset;
            pack.size = dataSize;
            pack.end = dataOffset + dataSize;
            fseek(pack.dataStream, (long)pack.start, SEEK_SET);
            return 1;
        }
        if (entrySize < 1 + nameLength + 1)
            return Damaged("A file entry's size is out of range", entry);
        entry += entrySize;
    }
    return 0;
}

u32 OpenAssetFile(const char* path)
{
    if (!path)
        return 0;
    const u8* memoryData = nullptr;
    u32 memorySize = 0;
    if (assetMemoryHook && assetMemoryHook(path, &memoryData, &memorySize)) {
        if (memoryDepth == looseStackLevels || !OpenKindRoom()) {
            FormatDebugText("Too many nested memory files opening %s", path);
            return 0;
        }
        memoryStack[memoryDepth++] = MemoryFile{memoryData, memorySize, 0};
        PushKind(memoryKind);
        return 1;
    }
    if (!packAbsent) {
        // Every lookup starts from the current directory (the root between opens) and leaves it as
        // it was, whatever the outcome.
        const u32 savedTable = pack.dirFileTable;
        const u8 savedCount = pack.dirFileCount;
        const u32 savedParent = pack.dirParentField;
        char savedPath[sizeof(pack.dirPath)];
        memcpy(savedPath, pack.dirPath, sizeof(savedPath));
        lookupPath = path;
        const bool found = LookUpInPack(path);
        pack.dirFileTable = savedTable;
        pack.dirFileCount = savedCount;
        pack.dirParentField = savedParent;
        memcpy(pack.dirPath, savedPath, sizeof(savedPath));
        if (found) {
            PushKind(0);
            return 1;
        }
    }

    if ((pack.looseFile && pack.looseDepth == looseStackLevels) || !OpenKindRoom()) {
        FormatDebugText("Too many nested loose files opening %s", path);
        return 0;
    }
    // Some C libraries open a folder for reading; it is never a data file.
    std::error_code error;
    FILE* file = std::filesystem::is_directory(path, error) ? nullptr : fopen(path, "rb");
    if (!file) {
        if (assetMissingHook)
            assetMissingHook(path);
        return 0;
    }
    if (pack.looseFile)
        pack.looseStack[pack.looseDepth++] = pack.looseFile;
    pack.looseFile = file;
    PushKind(1);
    return 1;
}

void CloseAssetFile()
{
    if (pack.openCount == 0)
        return;
    const u8 kind = pack.openKinds[--pack.openCount];
    if (kind == memoryKind) {
        --memoryDepth;
    } else if (kind == 0) {
        if (pack.packDepth) {
            const u32* saved = pack.packStack[--pack.packDepth];
            pack.size = saved[3];
            pack.end = saved[2];
            pack.position = saved[1];
            pack.start = saved[0];
        }
        if (pack.dataStream)
            fseek(pack.dataStream, (long)pack.position, SEEK_SET);
    } else {
        if (pack.looseFile)
            fclose(pack.looseFile);
        pack.looseFile = pack.looseDepth ? pack.looseStack[--pack.looseDepth] : nullptr;
    }
    looseFileMode = pack.openCount ? pack.openKinds[pack.openCount - 1] != 0 : packAbsent;
}

i32 PackReadByte()
{
    if (MemoryFile* file = CurrentMemoryFile())
        return file->position < file->size ? file->data[file->position++] : -1;
    if (looseFileMode)
        return pack.looseFile ? fgetc(pack.looseFile) : -1;
    if (!pack.dataStream)
        return -1;
    const int c = fgetc(pack.dataStream);
    const u32 p = pack.position++;
    if (c == EOF)
        return -1;
    return (u8)c ^ pack.keys[p & 255];
}

u64 PackReadBytes(void* buffer, u64 count)
{
    u8* bytes = (u8*)buffer;
    if (count == 0)
        return 0;
    if (MemoryFile* file = CurrentMemoryFile()) {
        const u64 left = file->position < file->size ? file->size - file->position : 0;
        const u64 got = count < left ? count : left;
        if (got)
            memcpy(bytes, file->data + file->position, got);
        memset(bytes + got, 0, count - got);
        file->position += (u32)got;
        return got;
    }
    if (looseFileMode) {
        const u64 got = pack.looseFile ? fread(bytes, 1, count, pack.looseFile) : 0;
        memset(bytes + got, 0, count - got);
        return got;
    }
    if (!pack.dataStream) {
        memset(bytes, 0, count);
        return 0;
    }
    const u64 got = fread(bytes, 1, count, pack.dataStream);
    const u32 p = pack.position;
    // The keys repeat every 256 bytes: line them up with the block once, then XOR whole runs.
    u8 keys[256];
    for (u32 j = 0; j < 256; ++j)
        keys[j] = pack.keys[(p + j) & 255];
    u64 i = 0;
    for (; i + 256 <= got; i += 256)
        for (u32 j = 0; j < 256; ++j)
            bytes[i + j] ^= keys[j];
    for (u32 j = 0; i < got; ++i, ++j)
        bytes[i] ^= keys[j];
    memset(bytes + got, 0, count - got);
    pack.position = p + (u32)count;
    if (got < count)
        fseek(pack.dataStream, (long)pack.position, SEEK_SET);
    return got;
}

void SeekAssetFile(u32 offset)
{
    if (pack.openCount == 0)
        return;
    if (MemoryFile* file = CurrentMemoryFile()) {
        file->position = offset;
        return;
    }
    if (looseFileMode) {
        if (pack.looseFile)
            fseek(pack.looseFile, (long)offset, SEEK_SET);
        return;
    }
    pack.position = pack.start + offset;
    fseek(pack.dataStream, (long)pack.position, SEEK_SET);
}

u32 AssetFileSize()
{
    if (pack.openCount == 0)
        return 0;
    if (const MemoryFile* file = CurrentMemoryFile())
        return file->size;
    if (!looseFileMode)
        return pack.size;
    if (!pack.looseFile)
        return 0;
    const long here = ftell(pack.looseFile);
    long size = 0;
    if (fseek(pack.looseFile, 0, SEEK_END) == 0)
        size = ftell(pack.looseFile);
    fseek(pack.looseFile, here < 0 ? 0 : here, SEEK_SET);
    if (size < 0)
        return 0;
    return (unsigned long)size > 0xFFFFFFFFul ? 0xFFFFFFFFu : (u32)size;
}
