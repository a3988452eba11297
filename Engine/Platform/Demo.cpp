#include "Engine/Platform/Demo.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Engine/Common/AssetReader.h"
#include "Engine/Common/Random.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Input.h"

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
    demoSeed = ReadU32BE();
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
