// A 32x32 sprite of random colours inside a disc (squared radius below `radiusSquared`), centred on
// its drawing position: the benchmarks' stand-in for an object's frame.
#pragma once
#include <random>
#include <vector>

#include "Engine/Render/SpriteImage.h"

inline SpriteImage MakeDiscSprite(std::mt19937& random, int radiusSquared, std::vector<u8>* pixels, std::vector<u32>* rows)
{
    pixels->resize(32 * 32);
    rows->resize(32);
    for (int y = 0; y < 32; ++y) {
        (*rows)[(size_t)y] = (u32)(y * 32);
        for (int x = 0; x < 32; ++x) {
            const int dx = x - 16, dy = y - 16;
            (*pixels)[(size_t)(y * 32 + x)] = dx * dx + dy * dy < radiusSquared ? (u8)(1 + random() % 255) : 0;
        }
    }
    return SpriteImage{32, 32, pixels->data(), -16, -16, -16, -16, rows->data()};
}
