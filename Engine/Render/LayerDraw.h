// The tile-layer drawers: one per scroll mode and screen size, each with an opaque twin, and the
// palette-select drawer of the 424x240 size. Each covers the whole screen with a grid of 16x16
// tiles (modes 4 and 5 line by line and column by column); only the grid's border goes through the
// clipped tile blitters, inner tiles are written inline. They select the layer's tile sheet and
// its palette, and leave them current.
#pragma once
#include "Engine/Common/Types.h"

struct Layout;
struct Palette;
struct RendererSlots;
struct TileLayer;

// The palette the palette-select drawer takes its colours from, and how many colours it has:
// the colour of pixel index i in a cell with offset p is entry p + i. A layout with palette-select
// layers sets it to a palette of its own while it is loaded; while it is null, palette-select layers
// are not drawn, and colours past the count are never read (such pixels are left as they are).
extern Palette* sharedPalette;
extern u32 sharedPaletteCount;

// Drawers of one screen size, by scroll mode (0-5), and their opaque twins.
template <int W, int H> void DrawLayerCamera(const TileLayer* layer);
template <int W, int H> void DrawLayerScrolled(const TileLayer* layer);
template <int W, int H> void DrawLayerRowScroll(const TileLayer* layer);
template <int W, int H> void DrawLayerColumnScroll(const TileLayer* layer);
template <int W, int H> void DrawLayerLineScroll(const TileLayer* layer);
template <int W, int H> void DrawLayerPixelColumnScroll(const TileLayer* layer);
template <int W, int H> void DrawLayerCameraOpaque(const TileLayer* layer);
template <int W, int H> void DrawLayerScrolledOpaque(const TileLayer* layer);
template <int W, int H> void DrawLayerRowScrollOpaque(const TileLayer* layer);
template <int W, int H> void DrawLayerColumnScrollOpaque(const TileLayer* layer);
template <int W, int H> void DrawLayerLineScrollOpaque(const TileLayer* layer);
template <int W, int H> void DrawLayerPixelColumnScrollOpaque(const TileLayer* layer);

// The palette-select drawer (424x240 only): camera-locked, map entries carry a colour offset in
// bits 12-15. The sheet is taken from the layer's own index in currentLayout.
void DrawLayerCameraPaletted(const TileLayer* layer, u8 tileSheetIndex, const Layout* layout);

// Puts the layer drawers of a screen size into the renderer slots (the palette-select drawer only
// for 424x240; the other sizes leave that slot as it was).
template <int W, int H> void FillLayerSlots(RendererSlots& slots);

// Draws one layer of currentLayout the way the scene draw does: a layer on a palette-select sheet
// through DrawLayerCameraPaletted (skipped in modes that have none), any other through the drawer
// of its scroll mode; modes above 5 draw nothing. The visible flag and depth are the caller's.
void DrawTileLayer(const TileLayer* layer);
