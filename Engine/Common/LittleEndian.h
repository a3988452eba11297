// Little-endian fields of the file formats read in memory (wave headers, Ogg packets).
#pragma once
#include "Engine/Common/Types.h"

inline u16 Le16(const u8* p)
{
    return (u16)(p[0] | p[1] << 8);
}

inline u32 Le32(const u8* p)
{
    return (u32)p[0] | (u32)p[1] << 8 | (u32)p[2] << 16 | (u32)p[3] << 24;
}
