// Placement files from arbitrary bytes. The first byte picks how many keys the type declares and
// the pause state, the next two a key each (kind, offset, some of them outside the instance data);
// the rest is the file. Placing must read nothing past the file, write nothing past an instance,
// leave every instance linked to its header, and freeing must give everything back.
#include <cstdlib>

#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Headless/Headless.h"
#include "fuzz/FuzzMemory.h"

namespace {

struct Record {
    ObjectHeader* header;
    u8 values[56];
};

ObjectType fuzzType;
void** fuzzInstances;

void Nothing(void*) {}
// Counted in the header, which no key can reach.
void CountReset(void* instance)
{
    ++HeaderOf(instance)->state;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    headless::ClearShownBoxes();
    if (size < 1)
        return 0;
    const u32 keyCount = data[0] % 8;
    if (size < 1 + 2 * (size_t)keyCount)
        return 0;
    ServeFuzzFile("Objects/Fuzz.bin", data + 1 + 2 * keyCount, size - 1 - 2 * keyCount);

    currentStage = previousStage = nullptr;
    fuzzType = ObjectType{};
    for (u32 k = 0; k < keyCount; ++k)
        AddPlacementProperty(&fuzzType, "key", (u8)(data[1 + 2 * k] % 20), data[2 + 2 * k]);
    fuzzType.growthStep = 1 + (data[0] >> 4);
    fuzzType.cullMarginX = fuzzType.cullMarginY = -1;
    RegisterObjectType("Objects/Fuzz.bin", &fuzzType, &fuzzInstances, sizeof(Record), Nothing, Nothing, Nothing,
                       Nothing, Nothing, CountReset, Nothing, nullptr, nullptr, nullptr);
    pauseMenuOpen = (data[0] & 8) ? 1 : 0;
    LoadObjectPlacements(&fuzzType, "Objects/Fuzz.bin");
    pauseMenuOpen = 0;

    for (u32 i = 0; i < fuzzType.poolSize; ++i) {
        if (HeaderOf(fuzzInstances[i]) != fuzzType.pool[i])
            abort();
        const ObjectHeader* header = fuzzType.pool[i];
        if (header->alive && header->state != 1)
            abort();
    }
    UpdateObjects();
    FreeObjectType(&fuzzType);
    if (fuzzType.pool || fuzzType.properties || objectTypeCount != 0)
        abort();
    FreeObjectTypeRegistry();
    return 0;
}
