#include "Engine/Render/TileBlit.h"

#include "Engine/Common/Layout.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/PaletteRows.h"
#include "Engine/Render/VideoMode.h"

template <int W, int H, bool Masked>
void DrawTilePixels(const u8* pixels, i32 scrollX, i32 scrollY, i32 x, i32 y)
{
    const u32* palette = currentPalette;
    u32* frame = frameBuffer;
    if (!pixels || !palette || !frame)
        return;
    // Positions are formed wide: a far-off tile must not overflow on its way to being rejected.
    const i64 sx = (i64)x - scrollX, sy = (i64)y - scrollY;
    if (sx <= -16 || sx >= W || sy <= -16 || sy >= H)
        return;
    const int left = (int)sx, top = (int)sy;
    const int c0 = left < 0 ? -left : 0, c1 = left > W - 16 ? W - left : 16;
    const int r0 = top < 0 ? -top : 0, r1 = top > H - 16 ? H - top : 16;
    const u8* src = pixels + r0 * 16;
    u32* dst = frame + (top + r0) * W + left;
    const BlendRows rows{nullptr, nullptr}; // tiles only copy
    if (c0 == 0 && c1 == 16) {
        for (int r = r0; r < r1; ++r, src += 16, dst += W)
            palrows::PutRow<false, 0, Masked>(src, dst, 16, palette, rows);
        return;
    }
    for (int r = r0; r < r1; ++r, src += 16, dst += W)
        palrows::PutRow<false, 0, Masked>(src + c0, dst + c0, c1 - c0, palette, rows);
}

template <int W, int H>
void DrawTileSized(const TileRecord* tile, i32 scrollX, i32 scrollY, i32 x, i32 y)
{
    DrawTilePixels<W, H, false>(tile ? tile->pixels : nullptr, scrollX, scrollY, x, y);
}

template <int W, int H>
void DrawTileMaskedSized(const TileRecord* tile, i32 scrollX, i32 scrollY, i32 x, i32 y)
{
    DrawTilePixels<W, H, true>(tile ? tile->pixels : nullptr, scrollX, scrollY, x, y);
}

#define PALVIC_TILE_FAMILY(W, H)                                                                   \
    template void DrawTilePixels<W, H, false>(const u8*, i32, i32, i32, i32);                      \
    template void DrawTilePixels<W, H, true>(const u8*, i32, i32, i32, i32);                       \
    template void DrawTileSized<W, H>(const TileRecord*, i32, i32, i32, i32);                      \
    template void DrawTileMaskedSized<W, H>(const TileRecord*, i32, i32, i32, i32);
PALVIC_TILE_FAMILY(320, 240)
PALVIC_TILE_FAMILY(640, 480)
PALVIC_TILE_FAMILY(424, 240)
