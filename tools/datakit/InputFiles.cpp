#include "tools/datakit/InputFiles.h"

#include "tools/datakit/Bytes.h"

namespace datakit {

std::vector<u8> ConfigFile(const ConfigSettings& settings)
{
    static const int order[16] = {0, 1, 2, 3, 4, 5, 6, 7, 9, 8, 12, 13, 10, 11, 14, 15};
    std::vector<u8> out;
    for (int slot : order)
        out.push_back(settings.padBinding[slot]);
    for (int slot : order)
        out.push_back(settings.keyBinding[slot]);
    out.push_back(settings.advancedSettings);
    out.push_back(settings.lineInOutReversed);
    out.push_back(settings.grappleStyle);
    out.push_back(settings.lineAdjustmentSplit);
    out.push_back(settings.tappleDelay);
    out.push_back(settings.lineInOutDelay);
    out.push_back(settings.bossDefeated);
    return out;
}

std::vector<u8> DemoFile(u32 seed, const std::vector<DemoTick>& ticks)
{
    std::vector<u8> out;
    PutBe32(out, seed);
    for (const DemoTick& tick : ticks) {
        PutBe32(out, tick.held);
        PutBe32(out, tick.pressed);
    }
    return out;
}

} // namespace datakit
