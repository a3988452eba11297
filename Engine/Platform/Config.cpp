#include "Engine/Platform/Config.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "Engine/Platform/Controls.h"

u8 advancedSettings;
u8 lineInOutReversed;
u8 grappleStyle;
u8 lineAdjustmentSplit;
u8 tappleDelay;
u8 lineInOutDelay;
u8 bossDefeated;

namespace {

const char configPath[] = "config.bfc";
const char configTempPath[] = "config.bfc.tmp";

// The binding slot stored at each of the first 16 offsets (pads), then again for keys: slots 8/9
// and 10-13 are stored in swapped pairs.
constexpr u8 storedBindingOrder[16] = {0, 1, 2, 3, 4, 5, 6, 7, 9, 8, 12, 13, 10, 11, 14, 15};

struct StoredOption {
    u8* value;
    u8 max;
};
// Offsets 32-38, in file order.
const StoredOption storedOptions[7] = {
    {&advancedSettings, 1}, {&lineInOutReversed, 1}, {&grappleStyle, 1}, {&lineAdjustmentSplit, 1},
    {&tappleDelay, maxOptionDelay}, {&lineInOutDelay, maxOptionDelay}, {&bossDefeated, 1},
};

} // namespace

void ApplyConfigBytes(const u8* bytes, size_t count)
{
    if (!bytes)
        return;
    if (count > (size_t)configFileSize)
        count = configFileSize;
    PlayerControls& controls = playerControls[0];
    for (size_t offset = 0; offset < count; ++offset) {
        const u8 byte = bytes[offset];
        if (offset < 16) {
            controls.padBinding[storedBindingOrder[offset]] = byte;
        } else if (offset < 32) {
            controls.keyBinding[storedBindingOrder[offset - 16]] = byte;
        } else {
            const StoredOption& option = storedOptions[offset - 32];
            // A flag reads as 1 when non-zero; a number past its range reads as the range's end.
            *option.value = byte > option.max ? option.max : byte;
        }
    }
}

void BuildConfigBytes(u8 bytes[configFileSize])
{
    const PlayerControls& controls = playerControls[0];
    for (int i = 0; i < 16; ++i) {
        bytes[i] = controls.padBinding[storedBindingOrder[i]];
        bytes[16 + i] = controls.keyBinding[storedBindingOrder[i]];
    }
    for (int i = 0; i < 7; ++i)
        bytes[32 + i] = *storedOptions[i].value;
}

void LoadConfig()
{
    FILE* file = fopen(configPath, "rb");
    if (!file)
        return;
    u8 bytes[configFileSize];
    const size_t count = fread(bytes, 1, sizeof(bytes), file);
    fclose(file);
    ApplyConfigBytes(bytes, count);
}

bool SaveConfig()
{
    u8 bytes[configFileSize];
    BuildConfigBytes(bytes);
    FILE* file = fopen(configTempPath, "wb");
    if (!file)
        return false;
    bool written = fwrite(bytes, 1, sizeof(bytes), file) == sizeof(bytes);
    written = fflush(file) == 0 && written;
    written = fclose(file) == 0 && written;
    std::error_code error;
    if (written)
        std::filesystem::rename(configTempPath, configPath, error); // replaces the old file in one step
    if (!written || error) {
        remove(configTempPath);
        return false;
    }
    return true;
}
