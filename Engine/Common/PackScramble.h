// The scrambling of the data pack "data.ch3". The engine reads packs with it and the data kit
// writes them with it, so the generator constants live here and nowhere else.
#pragma once
#include "Engine/Common/Types.h"

// The 32-bit linear congruential generator that turns a pack's seed into its scramble table.
constexpr u32 packSeedMultiplier = 1664525u;
constexpr u32 packSeedIncrement = 1013904223u;

// Sixteen generator steps from the seed; each table byte is bits 16-23 of the new state.
inline void BuildScrambleTable(u32 seed, u8 table[16])
{
    u32 state = seed;
    for (int i = 0; i < 16; ++i) {
        state = state * packSeedMultiplier + packSeedIncrement;
        table[i] = (u8)(state >> 16);
    }
}

// The key byte of the pack byte at absolute offset p. It depends on the offset alone, never on the
// file the byte belongs to.
inline u8 ScrambleKey(const u8 table[16], u32 p)
{
    return (u8)(table[(table[((p >> 4) ^ p) & 15] & 15) ^ (p & 15)] ^ (p & 255));
}

// The key depends on the low byte of the offset alone, so a reader keeps the 256 keys of a pack
// in a table: one look-up and one XOR a byte.
inline void BuildKeyTable(const u8 table[16], u8 keys[256])
{
    for (u32 p = 0; p < 256; ++p)
        keys[p] = ScrambleKey(table, p);
}
