// What the runner's scenes share: each is a stage of its own, made of four handlers and asked for
// at the next tick, that clears the frame itself before it draws.
#pragma once
#include "Engine/Common/StageSwitch.h"
#include "Engine/Common/Types.h"

// Makes stage a stage of these handlers alone and asks for it at the next tick.
void StartSceneStage(Stage* stage, StageHandler frame, StageHandler start, StageHandler load, StageHandler unload);

// Fills the whole frame with one colour; nothing happens before there is a frame.
void FillFrame(u32 colour);
