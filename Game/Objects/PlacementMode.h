// The object types the player's placement mode cycles through; a stage switch empties the list.
#pragma once
#include "Engine/Common/Types.h"

struct ObjectType;

extern ObjectType* placeableTypes[128];
extern u32 placeableTypeCount;
