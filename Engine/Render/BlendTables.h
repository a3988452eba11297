// The blend tables and the blend of one pixel. Blending goes through two 64 KB tables instead of
// multiplications; both are built once at start-up and read-only afterwards.
#pragma once
#include "Engine/Common/Types.h"

// Indexed [level * 256 + v]:
//   mulBlendTable: (level * v) >> 8           the source share at a level
//   invBlendTable: (v * (255 - level)) >> 8   the frame's share at a level
extern u8 mulBlendTable[256 * 256];
extern u8 invBlendTable[256 * 256];

void BuildBlendTables();

// The table rows of one blend level.
struct BlendRows {
    const u8* mul;
    const u8* inv;
};

// Levels above 255 draw as 255: the tables have 256 rows and nothing may index past them.
inline BlendRows BlendRowsAt(u32 level)
{
    const u32 row = (level > 255 ? 255u : level) * 256u;
    return BlendRows{mulBlendTable + row, invBlendTable + row};
}

// The blend modes: 0 copy, 1 add, 2 mix, 3 average. Any other mode draws nothing.
constexpr u32 blendModeCount = 4;

// The source share of modes 1 and 2, mulBlendTable[level][c] for each channel c of s.
inline u32 ScaleColour(u32 s, BlendRows rows)
{
    return (u32)rows.mul[s & 0xFF] | ((u32)rows.mul[(s >> 8) & 0xFF] << 8) |
           ((u32)rows.mul[(s >> 16) & 0xFF] << 16);
}

// Every palette entry's source share at once, for drawers that blend many pixels of one palette:
// 256 entries cost less than taking the share at every pixel of a large image.
inline void ScalePalette(const u32* palette, BlendRows rows, u32* scaled)
{
    for (int i = 0; i < 256; ++i)
        scaled[i] = ScaleColour(palette[i], rows);
}

// Blend modes 1 and 2 on a source share already taken (ScaleColour), for drawers that scale
// their palette once per draw.
constexpr u32 blendAddScaled = 5, blendMixScaled = 6;

// Saturating add of the colour channels of s and d, one pixel in a u32 or two in a u64 (each in
// its own half): the low seven bits of each channel are added apart from the top bits, so nothing
// carries between channels, and a channel's carry out of its top bit saturates it. The top byte
// of each pixel comes out 0.
template <typename Word>
inline Word AddSaturated(Word s, Word d)
{
    constexpr Word pixels = sizeof(Word) == 8 ? (Word)0x0000000100000001ull : (Word)1;
    constexpr Word low7 = (Word)0x7F7F7F * pixels, top = (Word)0x808080 * pixels;
    constexpr Word channels = (Word)0xFFFFFF * pixels;
    const Word low = (d & low7) + (s & low7);
    const Word carries = ((d & s) | ((d | s) & low)) & top;
    return ((low ^ ((d ^ s) & top)) | ((carries << 1) - (carries >> 7))) & channels;
}

// s is a palette colour (for blendAddScaled and blendMixScaled its source share), d the frame
// pixel; channels blue (bits 0-7), green (8-15), red (16-23). Copy keeps the whole 32-bit entry;
// the other modes leave the top byte 0.
template <u32 Mode>
inline u32 BlendPixel(u32 s, u32 d, BlendRows rows)
{
    if constexpr (Mode == 0) {
        (void)d;
        (void)rows;
        return s;
    } else if constexpr (Mode == 1) {
        return BlendPixel<blendAddScaled>(ScaleColour(s, rows), d, rows);
    } else if constexpr (Mode == 2) {
        return BlendPixel<blendMixScaled>(ScaleColour(s, rows), d, rows);
    } else if constexpr (Mode == 3) {
        (void)rows;
        return ((s >> 1) & 0x7F7F7F) + ((d >> 1) & 0x7F7F7F);
    } else if constexpr (Mode == blendAddScaled) {
        (void)rows;
        return AddSaturated<u32>(s, d);
    } else {
        static_assert(Mode == blendMixScaled, "blend modes are 0-3");
        // The two shares of a channel add up to at most 254, so no channel carries.
        return s + ((u32)rows.inv[d & 0xFF] | ((u32)rows.inv[(d >> 8) & 0xFF] << 8) |
                    ((u32)rows.inv[(d >> 16) & 0xFF] << 16));
    }
}
