#include "Game/Objects/ObjectNoOp.h"

void ObjectNoOp(void*) {}
