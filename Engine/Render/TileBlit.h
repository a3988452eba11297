// The 16x16 tile blitters, built once per screen size (W x H) so the stride and the clip bounds are
// constants. Tiles take no wrap and ignore the blend mode.
#pragma once
#include "Engine/Common/Types.h"

struct TileRecord;

// Draws the tile's 256 pixels with the top-left corner at (x - scrollX, y - scrollY), clipped to
// the screen: DrawTile writes every pixel through currentPalette (index 0 too), DrawTileMasked
// skips index 0.
template <int W, int H>
void DrawTileSized(const TileRecord* tile, i32 scrollX, i32 scrollY, i32 x, i32 y);
template <int W, int H>
void DrawTileMaskedSized(const TileRecord* tile, i32 scrollX, i32 scrollY, i32 x, i32 y);

// The same from bare tile pixels (16 rows of 16 indices).
template <int W, int H, bool Masked>
void DrawTilePixels(const u8* pixels, i32 scrollX, i32 scrollY, i32 x, i32 y);
