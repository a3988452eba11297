// Placement keys and placement files: a stage places the objects of a type from the type's
// Objects/<Type>.bin, and each type declares which values of a record go where in its instances.
#pragma once
#include "Engine/Common/Types.h"

struct ObjectType;

typedef void (*PlacementHandler)(void* instance);

struct PlacementProperty {
    char* name;   // owned copy of the key ("faceRight")
    u8 kind;      // 0-16: how the value is stored in the file and in the instance
    u64 offset;   // byte offset of the value in the instance data
    u16 labelCount;
    char** labels; // owned names of an enumerated key's values
    PlacementHandler handler; // the placement mode's change handler, or null
};

// The key declared last, and whether that declaration was skipped (keys are declared once).
extern PlacementProperty* lastProperty;
extern u8 lastPropertySkipped;

// Declares a key while the type has no load yet; on later loads only sets lastPropertySkipped.
void AddPlacementProperty(ObjectType* type, const char* name, u8 kind, u64 offset);
// Adds a value name to lastProperty unless its declaration was skipped.
void AddPlacementLabel(const char* label);
// Frees a type's keys with their names and labels.
void FreePlacementProperties(ObjectType* type);

// Bytes a key of this kind takes in a placement file, and in the instance data.
u32 PlacementFileBytes(u8 kind);
u32 PlacementStoredBytes(u8 kind);

// The number a decimal float stands for: integer printed in 10 characters, then fraction, with the
// first character of the fraction read as the point ("%10d%d", index 10 becomes '.'). The text is
// built in debugText.
f32 DecimalFloatValue(i32 integer, i32 fraction);
// Reads the next 8 bytes of the current file as a decimal float.
f32 ReadDecimalFloat();

// Spawns the objects of a placement file: each without Init, then its keys are written, then Init
// and Reset run and the instance is marked spawned. A file whose count runs past its end places the
// records it holds whole and is reported; a spawn that fails ends the placing.
void LoadObjectPlacements(ObjectType* type, const char* path);
