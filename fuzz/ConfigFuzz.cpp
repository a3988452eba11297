// "config.bfc" from arbitrary bytes: every option ends inside its range, and what is saved from the
// result reads back to the same settings.
#include <cstdlib>
#include <cstring>

#include "Engine/Platform/Config.h"
#include "Engine/Platform/Controls.h"

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    SetDefaultBindings();
    advancedSettings = lineInOutReversed = grappleStyle = lineAdjustmentSplit = 0;
    tappleDelay = lineInOutDelay = bossDefeated = 0;
    ApplyConfigBytes(data, size);
    if (advancedSettings > 1 || lineInOutReversed > 1 || grappleStyle > 1 || lineAdjustmentSplit > 1 ||
        tappleDelay > maxOptionDelay || lineInOutDelay > maxOptionDelay || bossDefeated > 1)
        abort();

    u8 saved[configFileSize], again[configFileSize];
    BuildConfigBytes(saved);
    ApplyConfigBytes(saved, sizeof(saved));
    BuildConfigBytes(again);
    if (memcmp(saved, again, sizeof(saved)) != 0)
        abort();
    return 0;
}
