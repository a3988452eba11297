// "test.dem" from arbitrary bytes: a playback either refuses to start or replays exactly the whole
// ticks the file holds and then ends, handing player 1 back to the devices.
#include <cstdlib>

#include "Engine/Platform/Controls.h"
#include "Engine/Platform/Demo.h"
#include "Engine/Platform/GameThread.h"

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    SetDefaultBindings();
    controlModes[0] = ControlLive;
    if (!StartDemoPlaybackFromBytes(data, size)) {
        if (size >= 4 || controlModes[0] != ControlLive)
            abort();
        return 0;
    }
    const u32 seed = (u32)data[0] << 24 | (u32)data[1] << 16 | (u32)data[2] << 8 | data[3];
    if (demoSeed != seed || controlModes[0] != ControlPlayback)
        abort();
    const size_t ticks = (size - 4) / 8;
    for (size_t t = 0; t < ticks; ++t) {
        MapControls();
        const u8* pair = data + 4 + 8 * t;
        const u32 held = (u32)pair[0] << 24 | (u32)pair[1] << 16 | (u32)pair[2] << 8 | pair[3];
        if (controlModes[0] != ControlPlayback || playerControls[0].heldMask != held)
            abort();
    }
    MapControls();
    if (controlModes[0] != ControlLive || DemoPlaying())
        abort();
    return 0;
}
