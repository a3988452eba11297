// The player's object-placement mode. The list of types it cycles through, placeableTypes with
// placeableTypeCount, lives with the object type registry.
#pragma once
#include "Engine/Common/ObjectType.h"
