// Properties files (.vep) from arbitrary bytes, read twice: once counted and once as a stage
// reloading itself, over the rows of the first read. The reads must stay inside the file, the
// row table must hold exactly the count it names, and the last free must give the rows back once.
#include <cstdlib>

#include "Engine/Common/ObjectType.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Headless/Headless.h"
#include "Game/Actors/ActorBlock.h"
#include "fuzz/FuzzMemory.h"

namespace {

ObjectType fuzzType;
ActorProperties properties;
Stage stage;

void CheckRows()
{
    if ((properties.attackRowCount != 0) != (properties.attackRows != nullptr))
        abort();
    // Every row is readable: the sanitizer sees a table shorter than its count.
    volatile u32 sum = 0;
    for (u32 i = 0; i < properties.attackRowCount; ++i)
        sum = sum + properties.attackRows[i].kind + properties.attackRows[i].angle;
    if (properties.attackRowCount && AttackRowAt(&properties, properties.attackRowCount - 1) == nullptr)
        abort();
    if (AttackRowAt(&properties, properties.attackRowCount) != nullptr)
        abort();
}

// The row count a file names, or 0 when it names none. Files ask for up to 65535 rows whatever
// their length and the rows past the end all read alike, so the target keeps to counts a little
// past the rows the file holds: the work per input stays small.
constexpr size_t rowTableAt = actorValueCount * 4 + 1 + actorFlagCount + actorAnimCount; // the skip length
u32 NamedRowCount(const u8* data, size_t size, size_t* rowsAt)
{
    if (size <= rowTableAt || data[rowTableAt] == 0)
        return 0;
    *rowsAt = rowTableAt + 1 + data[rowTableAt] + 2;
    if (size < *rowsAt)
        return 0;
    return (u32)data[*rowsAt - 2] << 8 | data[*rowsAt - 1];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    size_t rowsAt = 0;
    const u32 rowCount = NamedRowCount(data, size, &rowsAt);
    if (rowCount > 16 && rowCount > (size - rowsAt) / 13 + 16)
        return 0;
    headless::ClearShownBoxes();
    ServeFuzzFile("Fuzz.vep", data, size);

    ClearActorTypeList();
    properties = ActorProperties{};
    currentStage = &stage;
    previousStage = nullptr;
    LoadEnemyProperties(&fuzzType, &properties, "Fuzz.vep");
    CheckRows();
    previousStage = &stage;
    LoadEnemyProperties(&fuzzType, &properties, "Fuzz.vep");
    CheckRows();
    if (properties.useCount != 1 || actorTypeCount != 2)
        abort();

    FreeEnemyProperties(&properties);
    FreeEnemyProperties(&properties);
    if (properties.attackRows || properties.attackRowCount || properties.useCount != 0)
        abort();
    currentStage = previousStage = nullptr;
    return 0;
}
