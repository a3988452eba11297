#include "Engine/Common/Placement.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

#include "Engine/Common/AssetError.h"
#include "Engine/Common/CopyText.h"
#include "Engine/Common/DataPack.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/ObjectType.h"

PlacementProperty* lastProperty;
u8 lastPropertySkipped;

namespace {

u8 ReadFileU8()
{
    return (u8)PackReadByte();
}

u16 ReadFileU16()
{
    const u16 high = ReadFileU8();
    return (u16)((high << 8) | ReadFileU8());
}

u32 ReadFileU32()
{
    const u32 high = ReadFileU16();
    return (high << 16) | ReadFileU16();
}

// Writes a value into the instance unless it would reach past the instance data or over its
// header pointer: a key declared at a wrong offset must not corrupt memory.
void Store(void* instance, const ObjectType* type, u64 offset, const void* value, u32 bytes)
{
    if (offset < sizeof(void*) || offset > type->instanceSize || bytes > type->instanceSize - offset)
        return;
    memcpy((u8*)instance + offset, value, bytes);
}

// Reads one key's file form and stores it in the instance.
void ReadKey(const PlacementProperty& key, const ObjectType* type, void* instance)
{
    switch (key.kind) {
    case 0:
    case 1: {
        const u8 value = ReadFileU8();
        Store(instance, type, key.offset, &value, 1);
        break;
    }
    case 2:
    case 3: {
        const u16 value = ReadFileU16();
        Store(instance, type, key.offset, &value, 2);
        break;
    }
    case 4:
    case 5: {
        const u32 value = ReadFileU32();
        Store(instance, type, key.offset, &value, 4);
        break;
    }
    case 6: {
        const f32 value = ReadDecimalFloat();
        Store(instance, type, key.offset, &value, 4);
        break;
    }
    case 8: {
        const u8 value = ReadFileU8() ? 1 : 0;
        Store(instance, type, key.offset, &value, 1);
        break;
    }
    case 9: {
        f32 values[2];
        values[0] = ReadDecimalFloat();
        values[1] = ReadDecimalFloat();
        Store(instance, type, key.offset, values, 8);
        break;
    }
    case 10:
    case 11: {
        u32 values[2];
        values[0] = ReadFileU32();
        values[1] = ReadFileU32();
        Store(instance, type, key.offset, values, 8);
        break;
    }
    case 12:
    case 13: {
        u16 values[2];
        values[0] = ReadFileU16();
        values[1] = ReadFileU16();
        Store(instance, type, key.offset, values, 4);
        break;
    }
    case 14:
    case 15: {
        u8 values[2];
        values[0] = (u8)ReadFileU16();
        values[1] = (u8)ReadFileU16();
        Store(instance, type, key.offset, values, 2);
        break;
    }
    case 16: {
        u8 values[2];
        values[0] = ReadFileU8() ? 1 : 0;
        values[1] = ReadFileU8() ? 1 : 0;
        Store(instance, type, key.offset, values, 2);
        break;
    }
    default: // 7 and kinds above 16 take no bytes
        break;
    }
}

} // namespace

void AddPlacementProperty(ObjectType* type, const char* name, u8 kind, u64 offset)
{
    if (!type || type->loadCount) {
        lastPropertySkipped = 1;
        return;
    }
    // A key that cannot be stored is skipped whole, so labels meant for it go nowhere else.
    lastPropertySkipped = 1;
    if (type->propertyCount == 0xFFFF)
        return;
    char* copy = CopyText(name ? name : "");
    if (!copy)
        return;
    PlacementProperty* grown =
        (PlacementProperty*)realloc(type->properties, sizeof(PlacementProperty) * ((size_t)type->propertyCount + 1));
    if (!grown) {
        free(copy);
        return;
    }
    type->properties = grown;
    PlacementProperty& key = grown[type->propertyCount++];
    key = PlacementProperty{copy, kind, offset, 0, nullptr, nullptr};
    lastProperty = &key;
    lastPropertySkipped = 0;
}

void AddPlacementLabel(const char* label)
{
    if (lastPropertySkipped || !lastProperty || lastProperty->labelCount == 0xFFFF)
        return;
    char* copy = CopyText(label ? label : "");
    if (!copy)
        return;
    char** grown = (char**)realloc(lastProperty->labels, sizeof(char*) * ((size_t)lastProperty->labelCount + 1));
    if (!grown) {
        free(copy);
        return;
    }
    lastProperty->labels = grown;
    grown[lastProperty->labelCount++] = copy;
}

void FreePlacementProperties(ObjectType* type)
{
    if (!type)
        return;
    for (u16 i = 0; i < type->propertyCount; ++i) {
        PlacementProperty& key = type->properties[i];
        for (u16 l = 0; l < key.labelCount; ++l)
            free(key.labels[l]);
        free(key.labels);
        free(key.name);
        if (lastProperty == &key)
            lastProperty = nullptr;
    }
    free(type->properties);
    type->properties = nullptr;
    type->propertyCount = 0;
}

u32 PlacementFileBytes(u8 kind)
{
    static constexpr u8 bytes[17] = {1, 1, 2, 2, 4, 4, 8, 0, 1, 16, 8, 8, 4, 4, 4, 4, 2};
    return kind < 17 ? bytes[kind] : 0;
}

u32 PlacementStoredBytes(u8 kind)
{
    static constexpr u8 bytes[17] = {1, 1, 2, 2, 4, 4, 4, 0, 1, 8, 8, 8, 4, 4, 2, 2, 2};
    return kind < 17 ? bytes[kind] : 0;
}

f32 DecimalFloatValue(i32 integer, i32 fraction)
{
    FormatDebugText("%10d%d", integer, fraction);
    debugText[10] = '.'; // "%10d%d" prints at least 11 characters
    const char* text = debugText;
    while (*text == ' ')
        ++text;
    // from_chars reads like the C library's conversion in the "C" locale, and the same on every
    // platform, so every build places its objects at the same positions.
    double value = 0.0;
    std::from_chars(text, debugText + strlen(debugText), value);
    return (f32)value;
}

f32 ReadDecimalFloat()
{
    const i32 integer = (i32)ReadFileU32();
    const i32 fraction = (i32)ReadFileU32();
    return DecimalFloatValue(integer, fraction);
}

void LoadObjectPlacements(ObjectType* type, const char* path)
{
    if (!type || !path)
        return;
    if (!OpenAssetFile(path)) {
        FormatDebugText("Could not open %s", path);
        return;
    }
    const u32 size = AssetFileSize();
    u32 count = size >= 4 ? ReadFileU32() : 0;
    u64 recordBytes = 18;
    for (u16 i = 0; i < type->propertyCount; ++i)
        recordBytes += PlacementFileBytes(type->properties[i].kind);
    // Only whole records are placed: a count that runs past the end of the file would otherwise
    // place objects from whatever reading past the end yields.
    const u64 wholeRecords = size >= 4 ? (size - 4) / recordBytes : 0;
    if (size < 4 || count > wholeRecords) {
        ReportAssetError("Placement file %s is damaged\nIts count %u runs past the end of the file", path, count);
        count = (u32)wholeRecords;
    }

    for (u32 n = 0; n < count; ++n) {
        const f32 x = ReadDecimalFloat();
        const f32 y = ReadDecimalFloat();
        const u8 spawnA = ReadFileU8();
        const u8 spawnB = ReadFileU8();
        // A refused spawn leaves lastSpawnedInstance alone; its keys must not land in the instance
        // spawned before it.
        void* previous = lastSpawnedInstance;
        lastSpawnedInstance = nullptr;
        placingObjects = 1;
        SpawnObject(type, x, y, spawnA, spawnB);
        placingObjects = 0;
        void* instance = lastSpawnedInstance;
        if (!instance) {
            lastSpawnedInstance = previous;
            break;
        }
        for (u16 i = 0; i < type->propertyCount; ++i)
            ReadKey(type->properties[i], type, instance);
        if (type->Init)
            type->Init(instance);
        if (type->Reset)
            type->Reset(instance);
        HeaderOf(instance)->spawned = 1;
    }
    CloseAssetFile();
    FormatDebugText("Loaded Objects %s", path);
}
