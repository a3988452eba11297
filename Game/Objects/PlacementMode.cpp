#include "Game/Objects/PlacementMode.h"

ObjectType* placeableTypes[128];
u32 placeableTypeCount;
