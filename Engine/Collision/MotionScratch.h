// The movers' per-axis step counts that a touch handler can stop (RunObjectCallbacks latches them).
#pragma once
#include "Engine/Common/Types.h"

extern i32 stepsX, stepsY;               // whole-pixel steps still to go on each axis
extern i32 stoppedStepsX, stoppedStepsY; // the steps left when a callback first stopped that axis
