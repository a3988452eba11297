// "data.ch3" from arbitrary bytes: the input is the pack up to and including its trailer (the 4096
// bytes that follow the trailer are never read and are added as zeros). Opening the pack, looking
// paths up and reading what they find must stay inside the pack and never crash.
#include <cstdlib>
#include <vector>

#include "Engine/Common/AssetReader.h"
#include "Engine/Common/DataPack.h"
#include "Engine/Platform/Headless/Headless.h"
#include "fuzz/FuzzFolder.h"

namespace {

const char* const paths[] = {
    "Data/a.bin", "/Data/Sub/b.bin", "Data\\Sub\\..\\a.bin", "Data/./Sub/Inner/c.bin", "../x", "root.bin",
    "Data/Sub/Inner/../../a.bin",
};

void ReadAll()
{
    const u32 size = AssetFileSize();
    std::vector<u8> block(size < 65536 ? size : 65536);
    PackReadBytes(block.data(), block.size());
    for (u32 i = 0; i < 64; ++i)
        PackReadByte();
    SeekAssetFile(size / 2);
    PackReadByte();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    EnterFuzzFolder("pack");
    if (!WriteFuzzFile("data.ch3", data, size, 4096))
        abort();
    OpenDataPack();
    for (const char* path : paths) {
        if (!OpenAssetFile(path))
            continue;
        ReadAll();
        // A second file while the first is half read.
        if (OpenAssetFile("Data/a.bin")) {
            ReadAll();
            CloseAssetFile();
        }
        ReadAll();
        CloseAssetFile();
        AssetReader reader{};
        if (OpenAssetReader(path, &reader))
            CloseAssetReader(&reader);
    }
    if (packFileTable.openCount != 0)
        abort();
    CloseDataPack();
    headless::ClearShownBoxes();
    return 0;
}
