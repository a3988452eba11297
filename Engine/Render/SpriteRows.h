// The row loops of the sprite blitters' blends (copies keep the shared loops of PaletteRows.h). A
// row goes sixteen indices at a time: one compare tells a stretch wholly empty (skipped), wholly
// opaque (four pixels a step without a mask) or mixed (a mask per four). Every blend mode goes
// four pixels at a time: the table blends of the add and the mix are the same products worked out
// in 16-bit lanes, ((level or 255 - level) x channel) >> 8, which is exactly what the tables hold.
//
// Without SSE2 the rows fall back on the shared loops of PaletteRows.h.
#pragma once
#include "Engine/Render/PaletteRows.h"

namespace spriterows {

#if PALVIC_PALETTE_ROWS_SSE2

// The two factors of the table blends at one level, in every 16-bit lane: the source's share
// (level) and the frame's share (255 - level).
struct Shares {
    __m128i source;
    __m128i frame;
};

inline Shares SharesAt(u32 level)
{
    const u32 clamped = level > 255 ? 255u : level;
    return Shares{_mm_set1_epi16((short)clamped), _mm_set1_epi16((short)(255 - clamped))};
}

// (channel x factor) >> 8 for the three colour channels of four pixels, the top byte 0: the
// products reach at most 255 x 255, so the low 16 bits of the lane hold them whole.
PALVIC_ROW_INLINE __m128i ScaleChannels(__m128i pixels, __m128i factor)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(pixels, zero), factor), 8);
    const __m128i high = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(pixels, zero), factor), 8);
    return _mm_and_si128(_mm_packus_epi16(low, high), _mm_set1_epi32(0xFFFFFF));
}

// Every palette entry's source share, as ScalePalette takes it, four entries a step.
inline void ScalePaletteFour(const u32* palette, u32 level, u32* scaled)
{
    const __m128i factor = SharesAt(level).source;
    for (int i = 0; i < 256; i += 4)
        _mm_storeu_si128((__m128i*)(scaled + i),
                         ScaleChannels(_mm_loadu_si128((const __m128i*)(palette + i)), factor));
}

// BlendPixel for four pixels in every mode.
template <u32 Mode>
PALVIC_ROW_INLINE __m128i BlendFour(__m128i s, __m128i d, const Shares& shares)
{
    if constexpr (Mode == 0 || Mode == 3 || Mode == blendAddScaled) {
        (void)shares;
        return palrows::BlendFour<Mode>(s, d);
    } else if constexpr (Mode == 1) {
        return palrows::BlendFour<blendAddScaled>(ScaleChannels(s, shares.source), d);
    } else if constexpr (Mode == 2) {
        // The two shares of a channel add up to at most 254: no channel carries.
        return _mm_add_epi32(ScaleChannels(s, shares.source), ScaleChannels(d, shares.frame));
    } else {
        static_assert(Mode == blendMixScaled, "blend modes are 0-3");
        return _mm_add_epi32(s, ScaleChannels(d, shares.frame));
    }
}

// Four pixels from `from` on in drawing order; Masked leaves those of index 0 as they were.
template <bool Backwards, u32 Mode, bool Masked>
PALVIC_ROW_INLINE void PutFour(const u8* from, u32* to, const u32* palette, const Shares& shares)
{
    const u32 four = palrows::FourIndices<Backwards>(from);
    const __m128i colours = palrows::FourColours(palette, four);
    if constexpr (Mode == 0 && !Masked) {
        (void)shares;
        _mm_storeu_si128((__m128i*)to, colours);
    } else {
        const __m128i d = _mm_loadu_si128((const __m128i*)to);
        __m128i out = BlendFour<Mode>(colours, d, shares);
        if constexpr (Masked) {
            const __m128i keep = palrows::ZeroLanes(four);
            out = _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, out));
        }
        _mm_storeu_si128((__m128i*)to, out);
    }
}

// Sixteen pixels in drawing order from `from` on.
template <bool Backwards, u32 Mode>
PALVIC_ROW_INLINE void PutSixteen(const u8* from, u32* to, const u32* palette, const Shares& shares)
{
    constexpr int step = Backwards ? -1 : 1;
    const __m128i indices = _mm_loadu_si128((const __m128i*)(Backwards ? from - 15 : from));
    // Bit i: index i of the sixteen in memory order is opaque.
    const u32 opaque = (u32)_mm_movemask_epi8(_mm_cmpeq_epi8(indices, _mm_setzero_si128())) ^ 0xFFFFu;
    if (opaque == 0)
        return;
    if (opaque == 0xFFFF) {
        for (int k = 0; k < 16; k += 4)
            PutFour<Backwards, Mode, false>(from + k * step, to + k, palette, shares);
        return;
    }
    for (int k = 0; k < 16; k += 4)
        PutFour<Backwards, Mode, true>(from + k * step, to + k, palette, shares);
}

// `count` pixels from `to` on: to[i] takes index from[i] (from[-i] when Backwards) through the
// palette, blended by Mode; index 0 leaves the frame as it was.
template <bool Backwards, u32 Mode>
PALVIC_ROW_INLINE void PutRow(const u8* from, u32* to, int count, const u32* palette, const Shares& shares,
                              BlendRows rows)
{
    constexpr int step = Backwards ? -1 : 1;
    int i = 0;
    for (; i + 16 <= count; i += 16, from += 16 * step, to += 16)
        PutSixteen<Backwards, Mode>(from, to, palette, shares);
    for (; i + 4 <= count; i += 4, from += 4 * step, to += 4)
        PutFour<Backwards, Mode, true>(from, to, palette, shares);
    for (; i < count; ++i, from += step, ++to) {
        const u8 index = *from;
        if (index)
            *to = BlendPixel<Mode>(palette[index], *to, rows);
    }
}

#else

struct Shares {};

inline Shares SharesAt(u32) { return Shares{}; }

template <bool Backwards, u32 Mode>
inline void PutRow(const u8* from, u32* to, int count, const u32* palette, const Shares&, BlendRows rows)
{
    palrows::PutRow<Backwards, Mode, true, true>(from, to, count, palette, rows);
}

#endif

} // namespace spriterows
