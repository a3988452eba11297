// Properties files (.vep) from arbitrary bytes, read twice: once counted and once as a stage
// reloading itself, over the rows of the first read. The reads must stay inside the file, the
// row table must hold exactly the count it names, and the last free must give the rows back once.
#include <cstdlib>

#include "Engine/Common/ObjectType.h"
#include "Engine/Platform/Headless/Headless.h"
#include "Game/Actors/ActorBlock.h"
#include "Game/Stages/StageRegistry.h"
#include "fuzz/FuzzFolder.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    EnterFuzzFolder("vep");
    headless::ClearShownBoxes();
    if (!WriteFuzzFile("Fuzz.vep", data, size))
        abort();

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
