// The game's random numbers: one generator with a fixed sequence on every build, so a demo draws
// the same numbers under Windows and Linux alike. Named apart from the C library's rand and srand,
// whose sequences differ between runtimes.
#pragma once
#include "Engine/Common/Types.h"

constexpr i32 gameRandMax = 0x7FFF;

// Seeds the generator (a demo seeds it with demoSeed when it starts).
void GameSrand(u32 seed);

// The next number, 0..gameRandMax: state = state x 214013 + 2531011, bits 16-30 of the new state.
i32 GameRand();
