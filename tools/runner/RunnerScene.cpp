#include "tools/runner/RunnerScene.h"

#include "Engine/Render/VideoMode.h"

void StartSceneStage(Stage* stage, StageHandler frame, StageHandler start, StageHandler load, StageHandler unload)
{
    *stage = Stage{};
    stage->frame = frame;
    stage->start = start;
    stage->load = load;
    stage->unload = unload;
    pendingStage = stage;
}

void FillFrame(u32 colour)
{
    if (!frameBuffer)
        return;
    for (i32 y = 0; y < screenHeight; ++y)
        for (i32 x = 0; x < screenWidth; ++x)
            frameBuffer[rowOffsets[y] + x] = colour;
}
