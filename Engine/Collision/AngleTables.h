// The angle tables: 256 steps a turn, amplitude 256 (velocity = table value x speed / 256).
#pragma once
#include "Engine/Common/Types.h"

extern const i16 sinTable[256];
extern const i16 cosTable[256]; // cosTable[i] = sinTable[(i + 64) & 255]
