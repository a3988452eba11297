#include "Engine/Collision/MotionScratch.h"

i32 stepsX, stepsY;
i32 stoppedStepsX, stoppedStepsY;
