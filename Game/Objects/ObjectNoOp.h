// The handler of every slot a type has no use for.
#pragma once

void ObjectNoOp(void* instance);
