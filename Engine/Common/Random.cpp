#include "Engine/Common/Random.h"

namespace {

// A program that never seeds draws the sequence of seed 1, as the C runtime does.
u32 randState = 1;

} // namespace

void GameSrand(u32 seed)
{
    randState = seed;
}

i32 GameRand()
{
    randState = randState * 214013u + 2531011u;
    return (i32)((randState >> 16) & 0x7FFF);
}
