#include "Engine/Render/BlendTables.h"

u8 mulBlendTable[256 * 256];
u8 invBlendTable[256 * 256];

void BuildBlendTables()
{
    for (u32 level = 0; level < 256; ++level)
        for (u32 v = 0; v < 256; ++v) {
            mulBlendTable[level * 256 + v] = (u8)((level * v) >> 8);
            invBlendTable[level * 256 + v] = (u8)((v * (255 - level)) >> 8);
        }
}
