#include "Engine/Platform/Demo.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Engine/Common/Random.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Input.h"

namespace {

// The playback held whole in memory. Read from the loose file for now; the data pack's lookup
// comes with the engine's asset reader.
struct AssetReader {
    u8* data;
    u32 size;
    u32 position;
    char* name;
    char* directory;
};

u8 OpenAssetReader(const char* path, AssetReader* reader)
{
    reader->position = 0;
    FILE* file = fopen(path, "rb");
    if (!file)
        return 0;
    u8* data = nullptr;
    u32 size = 0;
    u8 chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof(chunk), file)) > 0) {
        u8* grown = (u8*)realloc(data, size + got);
        if (!grown)
            break;
        data = grown;
        memcpy(data + size, chunk, got);
        size += (u32)got;
    }
    fclose(file);
    reader->data = data;
    reader->size = size;
    reader->name = reader->directory = nullptr;
    return 1;
}

void CloseAssetReader(AssetReader* reader)
{
    free(reader->data);
    free(reader->name);
    free(reader->directory);
    *reader = AssetReader{};
}

u32 ReadU32BE(AssetReader* reader)
{
    if (reader->position >= reader->size || reader->size - reader->position < 4)
        return 10;
    const u8* p = reader->data + reader->position;
    reader->position += 4;
    return (u32)p[0] << 24 | (u32)p[1] << 16 | (u32)p[2] << 8 | p[3];
}

} // namespace

FILE* demoFile;
AssetReader demoReader;

namespace {

const char demoPath[] = "test.dem";

void WriteU32BE(u32 value)
{
    const u8 bytes[4] = {(u8)(value >> 24), (u8)(value >> 16), (u8)(value >> 8), (u8)value};
    fwrite(bytes, 1, 4, demoFile);
}

u32 DemoBytesLeft()
{
    return demoReader.data && demoReader.position <= demoReader.size ? demoReader.size - demoReader.position : 0;
}

// Takes a loaded reader over as the running playback, or releases it when it cannot even hold the
// seed.
bool BeginPlayback(AssetReader* reader)
{
    demoReader = *reader;
    demoReader.position = 0;
    if (DemoBytesLeft() < 4) {
        CloseAssetReader(&demoReader);
        return false;
    }
    controlModes[0] = ControlPlayback;
    demoSeed = ::ReadU32BE();
    GameSrand(demoSeed);
    return true;
}

} // namespace

u32 ReadU32BE()
{
    return ReadU32BE(&demoReader);
}

bool DemoRecording()
{
    return demoFile != nullptr;
}

bool DemoPlaying()
{
    return demoReader.data != nullptr;
}

bool StartDemoRecording()
{
    if (DemoRecording() || DemoPlaying())
        StopDemo();
    FILE* file = fopen(demoPath, "wb");
    if (!file)
        return false;
    demoFile = file;
    controlModes[0] = ControlRecord;
    WriteU32BE(demoSeed);
    GameSrand(demoSeed);
    return true;
}

bool StartDemoPlayback()
{
    if (DemoRecording() || DemoPlaying())
        StopDemo();
    AssetReader reader{};
    if (!OpenAssetReader(demoPath, &reader))
        return false;
    return BeginPlayback(&reader);
}

bool StartDemoPlaybackFromBytes(const u8* bytes, size_t size)
{
    if (DemoRecording() || DemoPlaying())
        StopDemo();
    if (!bytes || size < 4 || size > 0xFFFFFFFFu)
        return false;
    AssetReader reader{};
    reader.data = (u8*)malloc(size);
    if (!reader.data)
        return false;
    memcpy(reader.data, bytes, size);
    reader.size = (u32)size;
    return BeginPlayback(&reader);
}

void StopDemo()
{
    controlModes[0] = ControlLive;
    if (demoFile) {
        fclose(demoFile);
        demoFile = nullptr;
    }
    if (demoReader.data || demoReader.name || demoReader.directory)
        CloseAssetReader(&demoReader);
    demoReader = AssetReader{};
}

bool DemoReadMasks(u32* held, u32* pressed)
{
    // A trailing part of a tick is not a tick: the playback ends where the whole ticks end.
    if (DemoBytesLeft() < 8) {
        StopDemo();
        return false;
    }
    *held = ReadU32BE();
    *pressed = ReadU32BE();
    return true;
}

void DemoWriteMasks(u32 held, u32 pressed)
{
    if (!demoFile)
        return;
    WriteU32BE(held);
    WriteU32BE(pressed);
}

void ServeDemoKeys()
{
    if (ButtonState(PlanePressed, KeyF10)) {
        if (ButtonState(PlaneHeld, KeyControl))
            StartDemoRecording();
        else
            StartDemoPlayback();
    }
    if (ButtonState(PlanePressed, KeyF11) ||
        (controlModes[0] == ControlPlayback && (liveControls[0].pressedMask & (1u << BindStart))))
        StopDemo();
}
