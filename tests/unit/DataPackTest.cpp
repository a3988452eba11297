// File access through the data pack and loose files, and the asset reader over them.
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Engine/Common/AssetReader.h"
#include "Engine/Common/Debug.h"
#include "tests/unit/AssetFiles.h"
#include "tools/datakit/DataSet.h"

namespace {

// A file's bytes that differ at every offset, so a wrong key or a wrong position shows.
std::vector<u8> Pattern(u32 size, u8 salt)
{
    std::vector<u8> bytes(size);
    for (u32 i = 0; i < size; ++i)
        bytes[i] = (u8)(i * 7 + salt);
    return bytes;
}

std::string ReadWhole()
{
    std::string text;
    const u32 size = AssetFileSize();
    for (u32 i = 0; i < size; ++i)
        text.push_back((char)PackReadByte());
    return text;
}

std::string ReadBytes(u32 count)
{
    std::string text(count, '\0');
    PackReadBytes(text.data(), count);
    return text;
}

class DataPackTest : public AssetFiles {
protected:
    // The same tree for every lookup case: a directory that sorts before "Data" with nested
    // subdirectories (skipped whole by lookups into Data), files at several depths, one file also
    // present loose with other contents, and one loose file only.
    void WriteTree(bool withPack)
    {
        WriteText("Data/both.txt", "loose both");
        WriteText("Data/looseonly.txt", "loose only");
        if (!withPack)
            return;
        WritePack({
            {"Aaa/Deep/Deeper/a.txt", Bytes("deep a")},
            {"Aaa/Deep/b.txt", Bytes("deep b")},
            {"Data/a.txt", Bytes("pack a")},
            {"Data/both.txt", Bytes("pack both")},
            {"Data/Sub/b.txt", Bytes("pack sub b")},
            {"Data/Sub/Inner/c.txt", Bytes("pack inner c")},
            {"root.txt", Bytes("pack root")},
        });
    }
};

TEST_F(DataPackTest, LookupsFindPackFilesBeforeLooseOnes)
{
    struct Case {
        const char* path;
        const char* withPack; // contents read with the pack open; null: not found
        const char* without;  // with no pack at all
    };
    const Case cases[] = {
        {"Data/a.txt", "pack a", nullptr},
        {"/Data/a.txt", "pack a", nullptr},
        {"\\Data\\a.txt", "pack a", nullptr},
        {"Data/./a.txt", "pack a", nullptr},
        {"./Data/a.txt", "pack a", nullptr},
        {"Data//a.txt", "pack a", nullptr},
        {"Data/Sub/../a.txt", "pack a", nullptr},
        {"Data/Sub/Inner/../../Sub/b.txt", "pack sub b", nullptr},
        {"Data\\Sub/Inner\\c.txt", "pack inner c", nullptr},
        {"Aaa/Deep/Deeper/a.txt", "deep a", nullptr},
        {"Aaa/Deep/b.txt", "deep b", nullptr},
        {"root.txt", "pack root", nullptr},
        {"Data/both.txt", "pack both", "loose both"},
        {"Data/looseonly.txt", "loose only", "loose only"},
        {"Data/a.txt/", nullptr, nullptr},
        {"Data/Sub/a.txt", nullptr, nullptr},
        {"Data/Inner/c.txt", nullptr, nullptr},
        {"data/a.txt", nullptr, nullptr},
        {"Data/missing.txt", nullptr, nullptr},
        {"", nullptr, nullptr},
    };
    for (const bool withPack : {true, false}) {
        CloseDataPack();
        WriteTree(withPack);
        for (const Case& c : cases) {
            const char* expected = withPack ? c.withPack : c.without;
            const u32 opened = OpenAssetFile(c.path);
            EXPECT_EQ(opened, expected ? 1u : 0u) << c.path << (withPack ? " (pack)" : " (no pack)");
            if (!opened)
                continue;
            EXPECT_EQ(ReadWhole(), expected) << c.path;
            CloseAssetFile();
            // Every lookup leaves the root current.
            EXPECT_STREQ(packFileTable.dirPath, withPack ? "/" : "");
        }
        EXPECT_EQ(packFileTable.openCount, 0u);
    }
}

TEST_F(DataPackTest, PackBytesUnscrambleByAbsoluteOffset)
{
    // Files of odd sizes, so their bytes start and end at every offset within a 16-byte block.
    std::vector<datakit::PackFile> files;
    for (u32 i = 0; i < 5; ++i)
        files.push_back({"Data/f" + std::to_string(i), Pattern(37 + 16 * i, (u8)i)});
    WritePack(files);
    for (const datakit::PackFile& file : files) {
        ASSERT_EQ(OpenAssetFile(file.path.c_str()), 1u);
        EXPECT_EQ(AssetFileSize(), file.bytes.size());
        std::vector<u8> block(file.bytes.size());
        EXPECT_EQ(PackReadBytes(block.data(), block.size()), block.size());
        EXPECT_EQ(block, file.bytes) << file.path;
        // Seek back into the middle and read byte by byte.
        SeekAssetFile(13);
        for (size_t i = 13; i < file.bytes.size(); ++i)
            ASSERT_EQ(PackReadByte(), file.bytes[i]) << file.path << " byte " << i;
        CloseAssetFile();
    }
}

TEST_F(DataPackTest, NestedOpensReadOnWhereTheyStopped)
{
    const std::vector<u8> a = Pattern(100, 1), b = Pattern(60, 2);
    WriteText("Data/loose.txt", "loose inner");
    WriteText("Data/outer.txt", "loose outer");
    WritePack({{"Data/a.bin", a}, {"Data/b.bin", b}});

    // Pack inside pack, loose inside pack, a failed open inside pack.
    ASSERT_EQ(OpenAssetFile("Data/a.bin"), 1u);
    std::vector<u8> got(100);
    PackReadBytes(got.data(), 40);
    ASSERT_EQ(OpenAssetFile("Data/b.bin"), 1u);
    std::vector<u8> inner(60);
    PackReadBytes(inner.data(), 60);
    EXPECT_EQ(inner, b);
    CloseAssetFile();
    for (u32 i = 40; i < 70; ++i)
        got[i] = (u8)PackReadByte();
    ASSERT_EQ(OpenAssetFile("Data/loose.txt"), 1u);
    EXPECT_EQ(ReadWhole(), "loose inner");
    CloseAssetFile();
    EXPECT_EQ(OpenAssetFile("Data/nowhere.bin"), 0u);
    PackReadBytes(got.data() + 70, 30);
    EXPECT_EQ(got, a);
    CloseAssetFile();

    // A pack file inside a loose file, with the pack present: each reads its own bytes.
    ASSERT_EQ(OpenAssetFile("Data/outer.txt"), 1u);
    EXPECT_EQ(ReadBytes(5), "loose");
    ASSERT_EQ(OpenAssetFile("Data/b.bin"), 1u);
    std::vector<u8> again(60);
    PackReadBytes(again.data(), 60);
    EXPECT_EQ(again, b);
    CloseAssetFile();
    EXPECT_EQ(ReadBytes(6), " outer");
    CloseAssetFile();
    EXPECT_EQ(looseFileMode, 0);
    EXPECT_EQ(packFileTable.openCount, 0u);
}

TEST_F(DataPackTest, LooseFilesNestWithoutAPack)
{
    WriteText("one.txt", "first file");
    WriteText("two.txt", "second");
    ASSERT_EQ(OpenAssetFile("one.txt"), 1u);
    EXPECT_EQ(ReadBytes(6), "first ");
    ASSERT_EQ(OpenAssetFile("two.txt"), 1u);
    EXPECT_EQ(ReadWhole(), "second");
    // Past its end a loose file reads -1 (255 in the low byte).
    EXPECT_EQ(PackReadByte(), -1);
    CloseAssetFile();
    EXPECT_EQ(OpenAssetFile("three.txt"), 0u);
    EXPECT_EQ(ReadBytes(4), "file");
    CloseAssetFile();
    EXPECT_EQ(looseFileMode, 1);
    // A folder is never opened as a file.
    std::filesystem::create_directories("Data/Folder");
    EXPECT_EQ(OpenAssetFile("Data/Folder"), 0u);
}

// The memory hook answers before the pack and the disk; its files nest with both kinds, read,
// seek and end like a loose file, and the enclosing file reads on where it stopped.
TEST_F(DataPackTest, MemoryFilesComeBeforeThePackAndNestWithIt)
{
    const std::vector<u8> a = Pattern(100, 1);
    WritePack({{"Data/a.bin", a}, {"Data/both.txt", Bytes("pack both")}});
    WriteText("Data/loose.txt", "loose file");
    static const u8 memory[] = {'m', 'e', 'm', 'o', 'r', 'y'};
    struct ClearHook {
        ~ClearHook() { assetMemoryHook = nullptr; }
    } clearHook; // also when an assertion returns early
    assetMemoryHook = [](const char* path, const u8** data, u32* size) {
        if (strcmp(path, "Data/both.txt") != 0 && strcmp(path, "Mem/m.bin") != 0)
            return false;
        *data = memory;
        *size = sizeof(memory);
        return true;
    };

    ASSERT_EQ(OpenAssetFile("Data/a.bin"), 1u);
    std::vector<u8> got(100);
    PackReadBytes(got.data(), 30);
    ASSERT_EQ(OpenAssetFile("Data/both.txt"), 1u); // served from memory, not the pack
    EXPECT_EQ(looseFileMode, 1);
    EXPECT_EQ(AssetFileSize(), 6u);
    EXPECT_EQ(ReadBytes(3), "mem");
    ASSERT_EQ(OpenAssetFile("Data/loose.txt"), 1u);
    EXPECT_EQ(ReadWhole(), "loose file");
    CloseAssetFile();
    EXPECT_EQ(PackReadByte(), 'o');
    // Past its end: -1 byte by byte, zeros for a block, and the position stays at the end.
    EXPECT_EQ(ReadBytes(4), std::string("ry\0\0", 4));
    EXPECT_EQ(PackReadByte(), -1);
    SeekAssetFile(1);
    EXPECT_EQ(ReadBytes(2), "em");
    CloseAssetFile();
    EXPECT_EQ(looseFileMode, 0);
    PackReadBytes(got.data() + 30, 70);
    EXPECT_EQ(got, a);
    CloseAssetFile();

    AssetReader reader{};
    ASSERT_EQ(OpenAssetReader("Mem/m.bin", &reader), 1u);
    EXPECT_EQ(std::string((const char*)reader.data, reader.size), "memory");
    CloseAssetReader(&reader);
    EXPECT_EQ(packFileTable.openCount, 0u);
}

TEST_F(DataPackTest, NestingDeeperThanTheStacksIsRefused)
{
    std::vector<datakit::PackFile> files;
    for (int i = 0; i < 8; ++i)
        files.push_back({"p" + std::to_string(i), Bytes("x")});
    WritePack(files);
    u32 opened = 0;
    for (int i = 0; i < 8; ++i)
        opened += OpenAssetFile(("p" + std::to_string(i)).c_str());
    EXPECT_EQ(opened, packStackLevels);
    for (u32 i = 0; i < opened; ++i)
        CloseAssetFile();

    CloseDataPack();
    for (int i = 0; i < 25; ++i)
        WriteText("l" + std::to_string(i), "y");
    opened = 0;
    for (int i = 0; i < 25; ++i)
        opened += OpenAssetFile(("l" + std::to_string(i)).c_str());
    EXPECT_EQ(opened, looseStackLevels + 1); // the current file and 20 enclosing ones
    for (u32 i = 0; i < opened; ++i)
        CloseAssetFile();
    EXPECT_EQ(packFileTable.openCount, 0u);
}

TEST_F(DataPackTest, DamagedPacksAreReportedAndLooseFilesStillOpen)
{
    struct Case {
        const char* name;
        const char* lookup;    // path looked up after the damage
        bool packStillOpens;   // OpenDataPack accepts the pack
        const char* boxText;   // part of the "Palvic Error" box
    };
    const Case cases[] = {
        {"data offset past the end", "Data/a.txt", true, "A file's data lies outside the pack"},
        {"data size past the end", "Data/a.txt", true, "A file's data lies outside the pack"},
        {"file entry size too small", "Data/z.txt", true, "A file entry's size is out of range"},
        {"file table outside", "Data/a.txt", true, "A file entry lies outside the pack"},
        {"subdirectory entry size too small", "Data/a.txt", true, "A directory entry's size is out of range"},
        {"parent offset outside", "Data/Sub/../a.txt", true, "A directory node lies outside the pack"},
        {"root offset outside", "Data/a.txt", false, "A directory node lies outside the pack"},
        {"too short", "Data/a.txt", false, "too short"},
    };
    for (const Case& c : cases) {
        CloseDataPack();
        headless::ClearShownBoxes();
        std::vector<u8> pack;
        std::string error;
        datakit::PackLayout layout;
        ASSERT_TRUE(datakit::MakePack({{"Aaa/x.txt", Bytes("x")},
                                       {"Data/a.txt", Bytes("pack a")},
                                       {"Data/Sub/s.txt", Bytes("s")},
                                       {"Data/z.txt", Bytes("pack z")}},
                                      &pack, &error, datakit::defaultPackSeed, &layout));
        const std::string name = c.name;
        const u32 entry = layout.fileEntries["Data/a.txt"];
        const u32 fields = entry + 1 + 5 + 1; // size byte, "a.txt", terminator
        if (name == "data offset past the end") {
            for (int k = 0; k < 4; ++k)
                datakit::PokePackByte(pack, fields + k, 0x7F);
        } else if (name == "data size past the end") {
            for (int k = 0; k < 3; ++k)
                datakit::PokePackByte(pack, fields + 4 + k, 0xFF);
        } else if (name == "file entry size too small") {
            datakit::PokePackByte(pack, entry, 3); // "a.txt" is skipped on the way to "z.txt"
        } else if (name == "file table outside") {
            // The Data node's filesOffset: root node (9 bytes), "Aaa" entry, then Data's entry.
            const u32 aaa = layout.rootOffset + 9;
            const u32 dataEntry = aaa + 3 + 4 + 9; // Aaa's node has no subdirectories
            datakit::PokePackByte(pack, dataEntry + 3 + 5, 0xFF);
        } else if (name == "subdirectory entry size too small") {
            const u32 aaa = layout.rootOffset + 9;
            for (int k = 0; k < 3; ++k)
                datakit::PokePackByte(pack, aaa + k, k == 2 ? 2 : 0);
        } else if (name == "parent offset outside") {
            // Sub's node: in Data's node after Data's 9 node bytes, Sub's size and name.
            const u32 aaa = layout.rootOffset + 9;
            const u32 dataNode = aaa + 3 + 4 + 9 + 3 + 5;
            const u32 subNode = dataNode + 9 + 3 + 4;
            for (int k = 0; k < 4; ++k)
                datakit::PokePackByte(pack, subNode + 4 + k, 0x7F);
        } else if (name == "root offset outside") {
            const u32 trailer = (u32)pack.size() - 4108;
            datakit::PokePackByte(pack, trailer + 1, 0x7F);
        } else if (name == "too short") {
            pack.resize(4000);
        }
        Write("data.ch3", pack);
        WriteText("Data/a.txt", "loose a");
        WriteText("Data/Sub/../a.txt", "loose a");
        WriteText("Data/z.txt", "loose z");

        EXPECT_EQ(OpenDataPack() != 0, c.packStillOpens) << c.name;
        if (c.packStillOpens) {
            // The damage is met on the lookup, which falls back to the loose file.
            ASSERT_EQ(OpenAssetFile(c.lookup), 1u) << c.name;
            EXPECT_EQ(ReadWhole().substr(0, 5), "loose") << c.name;
            CloseAssetFile();
        }
        const std::vector<std::string> boxes = ErrorBoxes();
        ASSERT_EQ(boxes.size(), 1u) << c.name;
        EXPECT_NE(boxes[0].find(c.boxText), std::string::npos) << c.name << ": " << boxes[0];
        // Loose files open either way.
        ASSERT_EQ(OpenAssetFile("Data/a.txt"), 1u) << c.name;
        CloseAssetFile();
    }
}

TEST_F(DataPackTest, TheDataSetIsPackedWhole)
{
    ASSERT_TRUE(datakit::BuildDataSet("."));
    ASSERT_NE(OpenDataPack(), 0u);
    u32 files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator("Data")) {
        if (!entry.is_regular_file())
            continue;
        const std::string path = entry.path().generic_string();
        std::ifstream in(path, std::ios::binary);
        const std::string loose((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_EQ(OpenAssetFile(path.c_str()), 1u) << path;
        EXPECT_EQ(looseFileMode, 0) << path << " was not found in the pack";
        std::string packed(AssetFileSize(), '\0');
        PackReadBytes(packed.data(), packed.size());
        CloseAssetFile();
        EXPECT_EQ(packed, loose) << path;
        ++files;
    }
    EXPECT_GT(files, 0u);
}

TEST_F(DataPackTest, ReaderYieldsTenAtTheEndWithoutAdvancing)
{
    WritePack({{"Data/six.bin", {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}}, {"Data/empty.bin", {}}});
    AssetReader reader{};
    ASSERT_EQ(OpenAssetReader("Data/six.bin", &reader), 1);
    EXPECT_EQ(reader.size, 6u);
    EXPECT_STREQ(reader.name, "Data/six.bin");
    EXPECT_EQ(ReadU32BE(&reader), 0x12345678u);
    // Two bytes left: a u32 does not fit, yields 10 and leaves them to be read.
    EXPECT_EQ(ReadU32BE(&reader), 10u);
    EXPECT_EQ(reader.position, 4u);
    EXPECT_EQ(ReadI8As16(&reader), (i16)(i8)0x9A);
    EXPECT_EQ(ReadU16BE(&reader), 10u);
    EXPECT_EQ(ReadU8(&reader), 0xBC);
    EXPECT_EQ(reader.position, 6u);
    EXPECT_EQ(ReadU8(&reader), 10);
    EXPECT_EQ(ReadU16BE(&reader), 10u);
    EXPECT_EQ(ReadU32BE(&reader), 10u);
    EXPECT_EQ(ReadI8As32(&reader), 10);
    EXPECT_EQ(reader.position, 6u);
    CloseAssetReader(&reader);
    EXPECT_EQ(reader.data, nullptr);

    ASSERT_EQ(OpenAssetReader("Data/empty.bin", &reader), 1);
    EXPECT_EQ(reader.size, 0u);
    EXPECT_EQ(ReadU8(&reader), 10);
    EXPECT_EQ(ReadU32BE(&reader), 10u);
    EXPECT_EQ(reader.position, 0u);
    CloseAssetReader(&reader);

    reader.position = 99;
    EXPECT_EQ(OpenAssetReader("Data/missing.bin", &reader), 0);
    EXPECT_EQ(reader.position, 0u);
    EXPECT_EQ(reader.data, nullptr);
}

TEST_F(DataPackTest, ReaderWholeRecordsThePackDirectory)
{
    WriteText("loose.bin", "abc");
    WritePack({{"Data/m.bin", Bytes("music")}});
    AssetReader reader{};
    ASSERT_EQ(OpenAssetReaderWhole("Data/m.bin", &reader), 1);
    EXPECT_EQ(std::string((const char*)reader.data, reader.size), "music");
    EXPECT_STREQ(reader.directory, "/");
    CloseAssetReader(&reader);
    ASSERT_EQ(OpenAssetReaderWhole("loose.bin", &reader), 1);
    EXPECT_EQ(std::filesystem::path(reader.directory), std::filesystem::current_path());
    CloseAssetReader(&reader);
}

TEST_F(DataPackTest, CountedStrings)
{
    struct Case {
        const char* bytes;
        u32 count;
        const char* stored;
        u32 position; // after the read
    };
    const Case cases[] = {
        {"ab\r\ncd", 5, "ab\r", 4},
        {"\rx", 5, "\r", 1},
        {"ab\ncd", 5, "ab\n", 3},
        {"abcdef", 3, "abc", 3},
        {"ab", 5, "ab", 2},
        {"ab\r", 5, "ab\r", 3},
        {"abc", 0, "", 0},
        {"", 4, "", 0},
    };
    for (const Case& c : cases) {
        AssetReader reader{};
        std::vector<u8> data(c.bytes, c.bytes + strlen(c.bytes));
        reader.data = data.data();
        reader.size = (u32)data.size();
        // count + 1 zero bytes, then a guard that must stay untouched.
        std::vector<char> buffer(c.count + 1 + 4, 0);
        for (u32 g = c.count + 1; g < buffer.size(); ++g)
            buffer[g] = '#';
        ReadCountedString(buffer.data(), c.count, &reader);
        EXPECT_STREQ(buffer.data(), c.stored) << c.bytes;
        EXPECT_EQ(reader.position, c.position) << c.bytes;
        EXPECT_EQ(std::string(buffer.data() + c.count + 1, 4), "####") << c.bytes;
    }
}

} // namespace
