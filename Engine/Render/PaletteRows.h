// The inner loops every blitter and layer drawer shares: a stretch of palette indices onto the
// frame through a palette, four pixels a step. A row is taken sixteen indices at a time; one compare
// tells a stretch wholly empty (skipped), wholly opaque (written through the palette without a
// test) or mixed (each four pixels written through a mask of their zero indices). The frame is read
// only where the blend or the mask needs it. Blends that go through the tables at every pixel, and
// the masked copy of a sprite (whose holes come in runs a branch learns), go a pixel at a time.
//
// The stretch is classified where it is drawn rather than from tables kept with the image: one
// 16-byte compare costs about what reading such a table does, and it can never disagree with
// pixels changed after the image was cut, nor with an image record copied onto other pixels.
#pragma once
#include <cstring>

#include "Engine/Common/Types.h"
#include "Engine/Render/BlendTables.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define PALVIC_PALETTE_ROWS_SSE2 1
#else
#define PALVIC_PALETTE_ROWS_SSE2 0
#endif

// The loops are small and run per row: a call per row would cost as much as the row.
#if defined(__GNUC__)
#define PALVIC_ROW_INLINE [[gnu::always_inline]] inline
#else
#define PALVIC_ROW_INLINE inline
#endif

namespace palrows {

// Four indices in drawing order from `from` on (read backwards from `from` down for a mirrored
// row), the first in the low byte.
template <bool Backwards>
PALVIC_ROW_INLINE u32 FourIndices(const u8* from)
{
    u32 four;
    if constexpr (Backwards) {
        memcpy(&four, from - 3, 4);
        return (four >> 24) | ((four >> 8) & 0xFF00u) | ((four << 8) & 0xFF0000u) | (four << 24);
    } else {
        memcpy(&four, from, 4);
        return four;
    }
}

// The modes the four-pixel loops blend; the others (those that take the source share through the
// tables at every pixel, and the mix that reads the frame's share from them) go a pixel at a time.
template <u32 Mode>
constexpr bool FourAtATime = Mode == 0 || Mode == 3 || Mode == blendAddScaled;

#if PALVIC_PALETTE_ROWS_SSE2

PALVIC_ROW_INLINE __m128i FourColours(const u32* palette, u32 four)
{
    const __m128i a = _mm_cvtsi32_si128((int)palette[four & 255]);
    const __m128i b = _mm_cvtsi32_si128((int)palette[(four >> 8) & 255]);
    const __m128i c = _mm_cvtsi32_si128((int)palette[(four >> 16) & 255]);
    const __m128i d = _mm_cvtsi32_si128((int)palette[four >> 24]);
    return _mm_unpacklo_epi64(_mm_unpacklo_epi32(a, b), _mm_unpacklo_epi32(c, d));
}

// All ones in the lanes whose index is 0.
PALVIC_ROW_INLINE __m128i ZeroLanes(u32 four)
{
    __m128i zero = _mm_cmpeq_epi8(_mm_cvtsi32_si128((int)four), _mm_setzero_si128());
    zero = _mm_unpacklo_epi8(zero, zero);
    return _mm_unpacklo_epi16(zero, zero);
}

// The same arithmetic as BlendPixel, four pixels at once: a saturating byte add is the channel add
// of AddSaturated, and the halves of the average never carry between channels.
template <u32 Mode>
PALVIC_ROW_INLINE __m128i BlendFour(__m128i s, __m128i d)
{
    if constexpr (Mode == 0) {
        (void)d;
        return s;
    } else if constexpr (Mode == 3) {
        const __m128i half = _mm_set1_epi32(0x7F7F7F);
        return _mm_add_epi32(_mm_and_si128(_mm_srli_epi32(s, 1), half), _mm_and_si128(_mm_srli_epi32(d, 1), half));
    } else {
        static_assert(Mode == blendAddScaled, "four at a time: copy, average and the scaled add");
        return _mm_and_si128(_mm_adds_epu8(s, d), _mm_set1_epi32(0xFFFFFF));
    }
}

// Four pixels; Masked leaves those of index 0 as they were.
template <bool Backwards, u32 Mode, bool Masked>
PALVIC_ROW_INLINE void PutFour(const u8* from, u32* to, const u32* palette)
{
    const u32 four = FourIndices<Backwards>(from);
    const __m128i colours = FourColours(palette, four);
    if constexpr (Mode == 0 && !Masked) {
        _mm_storeu_si128((__m128i*)to, colours);
    } else {
        const __m128i d = _mm_loadu_si128((const __m128i*)to);
        __m128i out = BlendFour<Mode>(colours, d);
        if constexpr (Masked) {
            const __m128i keep = ZeroLanes(four);
            out = _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, out));
        }
        _mm_storeu_si128((__m128i*)to, out);
    }
}

// Four pixels with the lanes to keep given.
template <bool Backwards, u32 Mode>
PALVIC_ROW_INLINE void PutFourKept(const u8* from, u32* to, const u32* palette, __m128i keep)
{
    const __m128i colours = FourColours(palette, FourIndices<Backwards>(from));
    const __m128i d = _mm_loadu_si128((const __m128i*)to);
    const __m128i out = BlendFour<Mode>(colours, d);
    _mm_storeu_si128((__m128i*)to, _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, out)));
}

// Sixteen masked pixels: skipped when all their indices are 0, written without a mask when none is.
// Otherwise each four goes through a mask of its zero indices.
template <bool Backwards, u32 Mode>
PALVIC_ROW_INLINE void PutSixteenMasked(const u8* from, u32* to, const u32* palette)
{
    constexpr int step = Backwards ? -1 : 1;
    __m128i zeros =
        _mm_cmpeq_epi8(_mm_loadu_si128((const __m128i*)(Backwards ? from - 15 : from)), _mm_setzero_si128());
    const int which = _mm_movemask_epi8(zeros);
    if (which == 0xFFFF)
        return;
    if (which == 0) {
        for (int k = 0; k < 16; k += 4)
            PutFour<Backwards, Mode, false>(from + k * step, to + k, palette);
        return;
    }
    if constexpr (Backwards) {
        // Into drawing order: the dwords reversed, then the bytes inside each.
        zeros = _mm_shuffle_epi32(zeros, 0x1B);
        zeros = _mm_shufflehi_epi16(_mm_shufflelo_epi16(zeros, 0xB1), 0xB1);
        zeros = _mm_or_si128(_mm_slli_epi16(zeros, 8), _mm_srli_epi16(zeros, 8));
    }
    const __m128i low = _mm_unpacklo_epi8(zeros, zeros), high = _mm_unpackhi_epi8(zeros, zeros);
    PutFourKept<Backwards, Mode>(from, to, palette, _mm_unpacklo_epi16(low, low));
    PutFourKept<Backwards, Mode>(from + 4 * step, to + 4, palette, _mm_unpackhi_epi16(low, low));
    PutFourKept<Backwards, Mode>(from + 8 * step, to + 8, palette, _mm_unpacklo_epi16(high, high));
    PutFourKept<Backwards, Mode>(from + 12 * step, to + 12, palette, _mm_unpackhi_epi16(high, high));
}

#else

template <bool Backwards, u32 Mode, bool Masked>
PALVIC_ROW_INLINE void PutFour(const u8* from, u32* to, const u32* palette)
{
    const u32 four = FourIndices<Backwards>(from);
    if (Masked && four == 0)
        return;
    const BlendRows rows{nullptr, nullptr};
    for (int k = 0; k < 4; ++k) {
        const u32 index = (four >> (8 * k)) & 255;
        if (!Masked || index)
            to[k] = BlendPixel<Mode>(palette[index], to[k], rows);
    }
}

template <bool Backwards, u32 Mode>
PALVIC_ROW_INLINE void PutSixteenMasked(const u8* from, u32* to, const u32* palette)
{
    constexpr int step = Backwards ? -1 : 1;
    for (int k = 0; k < 16; k += 4)
        PutFour<Backwards, Mode, true>(from + k * step, to + k, palette);
}

#endif

// `count` pixels from `to` on: to[i] takes index from[i] (from[-i] when Backwards) through the
// palette, blended by Mode; Masked skips index 0. `rows` serves the modes taken a pixel at a time.
// Branchy takes a masked copy a pixel at a time: where the holes come in runs, as at the edges of
// a sprite's shape, a branch learns them and beats the masked fours.
template <bool Backwards, u32 Mode, bool Masked, bool Branchy = false>
PALVIC_ROW_INLINE void PutRow(const u8* from, u32* to, int count, const u32* palette, BlendRows rows)
{
    constexpr int step = Backwards ? -1 : 1;
    int i = 0;
    if constexpr (FourAtATime<Mode> && !(Branchy && Masked && Mode == 0)) {
        (void)rows;
        for (; i + 16 <= count; i += 16, from += 16 * step, to += 16) {
            if constexpr (Masked) {
                PutSixteenMasked<Backwards, Mode>(from, to, palette);
            } else {
                for (int k = 0; k < 16; k += 4)
                    PutFour<Backwards, Mode, false>(from + k * step, to + k, palette);
            }
        }
        for (; i + 4 <= count; i += 4, from += 4 * step, to += 4)
            PutFour<Backwards, Mode, Masked>(from, to, palette);
    }
#if defined(__GNUC__)
#pragma GCC unroll 4
#endif
    for (; i < count; ++i, from += step, ++to) {
        const u8 index = *from;
        if (!Masked || index)
            *to = BlendPixel<Mode>(palette[index], *to, rows);
    }
}

} // namespace palrows
