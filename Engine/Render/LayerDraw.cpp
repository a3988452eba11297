#include "Engine/Render/LayerDraw.h"

#include <algorithm>
#include <cstring>

#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Render/PaletteRows.h"
#include "Engine/Render/VideoMode.h"

Palette* sharedPalette;
u32 sharedPaletteCount;

namespace {

// ---- shared pieces ------------------------------------------------------------------------------

// A scroll's tile index reduced into [0, period): a floor modulo, so a scroll of any size costs the
// same as a small one.
inline u32 FloorMod(i64 value, u32 period)
{
    // Scrolls mostly lie within a period or two of the origin: no division then.
    if (value >= 0 && value < (i64)period)
        return (u32)value;
    if (value >= (i64)period && value < 2 * (i64)period)
        return (u32)(value - period);
    const i64 rest = value % (i64)period;
    return (u32)(rest < 0 ? rest + period : rest);
}

// A repeat count of the layer brought into [1, limit]; limit is at least 1.
inline u32 ClampPeriod(u32 value, i32 limit)
{
    if (value < 1)
        return 1;
    return value > (u32)limit ? (u32)limit : value;
}

// The scroll tables of a layer are sized by its own mode: a drawer of another mode would read
// past them. (Camera-locked drawing reads none and takes a layer of any mode.)
inline bool OfMode(const TileLayer* layer, u8 mode)
{
    return layer && layer->scrollMode == mode;
}

struct LayerContext {
    const TileRecord* tiles;
    u32 recordCount;
    const u32* palette;
};

// The first step of every drawer: the layer's sheet and palette become current (a layout without
// tile sheets keeps what is current). False when there is nothing that can be drawn: a frame of
// another size, no sheet or palette, or a layer without cells.
template <int W, int H>
bool BeginLayer(const TileLayer* layer, LayerContext* context)
{
    if (!layer || screenWidth != W || screenHeight != H || !frameBuffer || !rowOffsets)
        return false;
    if (currentLayout && currentLayout->tileSheets) {
        TileSheet* sheet = LayerTileSheet(currentLayout, layer);
        if (!sheet)
            return false;
        currentTileSheet = sheet;
        SetCurrentPalette(sheet->palette);
    }
    if (!currentTileSheet || !currentTileSheet->tiles || !currentTileSheet->recordCount || !currentPalette)
        return false;
    if (!layer->map || !layer->rowStarts || layer->width <= 0 || layer->height <= 0)
        return false;
    context->tiles = currentTileSheet->tiles;
    context->recordCount = currentTileSheet->recordCount;
    context->palette = currentPalette;
    return true;
}

// The record of a cell, or null when the cell draws nothing: an empty cell (unless the opaque
// twins draw record 0 there), or an entry past the sheet.
template <bool Twin>
inline const TileRecord* CellRecord(const LayerContext& context, u16 cell)
{
    if ((!Twin && cell == 0) || cell >= context.recordCount)
        return nullptr;
    const TileRecord* record = &context.tiles[cell];
    return record->pixels ? record : nullptr;
}

// An inline tile, wholly inside the screen.
template <int W, bool All>
inline void PutTile(u32* destination, const u8* pixels, const u32* palette)
{
    for (int row = 0; row < 16; ++row, destination += W, pixels += 16)
        palrows::PutRow<false, 0, !All>(pixels, destination, 16, palette, BlendRows{nullptr, nullptr});
}

// Part of one tile row, for the line drawers.
template <bool All>
inline void PutSpan(u32* destination, const u8* pixels, int count, const u32* palette)
{
    palrows::PutRow<false, 0, !All>(pixels, destination, count, palette, BlendRows{nullptr, nullptr});
}

// Part of one tile column, for the pixel-column drawers: a masked pixel is skipped.
template <int W, bool All>
inline void PutColumnSpan(u32* destination, const u8* pixels, int count, const u32* palette)
{
#if defined(__GNUC__)
#pragma GCC unroll 16
#endif
    for (int i = 0; i < count; ++i) {
        const u32 index = pixels[i * 16];
        if (All || index)
            destination[i * W] = palette[index];
    }
}

// One grid cell at screen (x, y). Edge cells may cross the screen border and go through the
// clipped blitters; they are handed the screen position with a zero scroll, which places them
// exactly where (world position, scroll) would without forming world positions that overflow.
template <int W, bool Twin>
inline void DrawCell(const LayerContext& context, u16 cell, i32 x, i32 y, bool edge)
{
    const TileRecord* record = CellRecord<Twin>(context, cell);
    if (!record)
        return;
    const bool all = Twin || record->opaque;
    if (edge) {
        const DrawTileFunction draw = all ? rendererSlots.DrawTile : rendererSlots.DrawTileMasked;
        if (draw)
            draw(record, 0, 0, x, y);
        return;
    }
    u32* destination = frameBuffer + rowOffsets[y] + x;
    if (all)
        PutTile<W, true>(destination, record->pixels, context.palette);
    else
        PutTile<W, false>(destination, record->pixels, context.palette);
}

// Grid columns across for a horizontal fine offset, and grid rows down.
template <int W>
constexpr int GridColumns(i32 fine)
{
    return (W + fine + 15) >> 4;
}
template <int H>
constexpr int GridRows()
{
    return H / 16 + 1;
}

// ---- mode 2: a horizontal scroll per tile row ------------------------------------------------------

template <int W, int H, bool Twin>
void RowScroll(const TileLayer* layer)
{
    LayerContext context;
    if (!OfMode(layer, ScrollRows) || !BeginLayer<W, H>(layer, &context) || !layer->scrollOffsets || !layer->wrapLengths)
        return;
    const u32 rows = ClampPeriod(layer->scrollCount, layer->height);
    const i32 fineY = layer->layerScroll & 15;
    u32 row = FloorMod(layer->layerScroll >> 4, rows);
    for (int j = 0; j < GridRows<H>(); ++j) {
        const i32 sx = layer->scrollOffsets[row];
        const u32 period = ClampPeriod(layer->wrapLengths[row], layer->width);
        const i32 fineX = sx & 15;
        const int columns = GridColumns<W>(fineX);
        const u16* cells = layer->map + layer->rowStarts[row];
        const bool edgeRow = j == 0 || j == GridRows<H>() - 1;
        const i32 y = 16 * j - fineY;
        u32 column = FloorMod(sx >> 4, period);
        for (int i = 0; i < columns; ++i) {
            DrawCell<W, Twin>(context, cells[column], 16 * i - fineX, y, edgeRow || i == 0 || i == columns - 1);
            if (++column == period)
                column = 0;
        }
        if (++row == rows)
            row = 0;
    }
}

// ---- mode 3: a vertical scroll per tile column -----------------------------------------------------

template <int W, int H, bool Twin>
void ColumnScroll(const TileLayer* layer)
{
    LayerContext context;
    if (!OfMode(layer, ScrollColumns) || !BeginLayer<W, H>(layer, &context) || !layer->scrollOffsets || !layer->wrapLengths)
        return;
    const u32 columnsInLayer = ClampPeriod(layer->scrollCount, layer->width);
    const i32 fineX = layer->layerScroll & 15;
    const int columns = GridColumns<W>(fineX);
    u32 column = FloorMod(layer->layerScroll >> 4, columnsInLayer);
    for (int i = 0; i < columns; ++i) {
        const i32 sy = layer->scrollOffsets[column];
        const u32 period = ClampPeriod(layer->wrapLengths[column], layer->height);
        const i32 fineY = sy & 15;
        const bool edgeColumn = i == 0 || i == columns - 1;
        const i32 x = 16 * i - fineX;
        u32 row = FloorMod(sy >> 4, period);
        for (int j = 0; j < GridRows<H>(); ++j) {
            const u16 cell = layer->map[layer->rowStarts[row] + column];
            DrawCell<W, Twin>(context, cell, x, 16 * j - fineY, edgeColumn || j == 0 || j == GridRows<H>() - 1);
            if (++row == period)
                row = 0;
        }
        if (++column == columnsInLayer)
            column = 0;
    }
}

// ---- modes 0 and 1: the whole layer by one scroll pair -------------------------------------------

// A grid over the screen whose columns repeat in [columnLow, columnHigh) and rows in
// [rowLow, rowHigh), edge cells as in mode 2.
template <int W, int H, bool Twin>
void DrawRepeatingGrid(const TileLayer* layer, const LayerContext& context, i32 sx, i32 sy, u32 columnLow,
                       u32 columnHigh, u32 rowLow, u32 rowHigh)
{
    const u32 repeatWidth = columnHigh - columnLow, repeatHeight = rowHigh - rowLow;
    const i32 fineX = sx & 15, fineY = sy & 15;
    const int columns = GridColumns<W>(fineX);
    const u32 firstColumn = columnLow + FloorMod((i64)(sx >> 4) - columnLow, repeatWidth);
    u32 row = rowLow + FloorMod((i64)(sy >> 4) - rowLow, repeatHeight);
    for (int j = 0; j < GridRows<H>(); ++j) {
        const u16* cells = layer->map + layer->rowStarts[row];
        const bool edgeRow = j == 0 || j == GridRows<H>() - 1;
        const i32 y = 16 * j - fineY;
        u32 column = firstColumn;
        for (int i = 0; i < columns; ++i) {
            DrawCell<W, Twin>(context, cells[column], 16 * i - fineX, y, edgeRow || i == 0 || i == columns - 1);
            if (++column == columnHigh)
                column = columnLow;
        }
        if (++row == rowHigh)
            row = rowLow;
    }
}

// Camera 0's bounds as a window of tile columns and rows, cut to the layer. False when the window
// is empty: bounds that cover no tile, or lie wholly outside the layer.
bool CameraWindow(const TileLayer* layer, u32* columnLow, u32* columnHigh, u32* rowLow, u32* rowHigh)
{
    const CameraLimits& limits = cameraLimits[0];
    const i64 left = std::max<i64>(limits.leftBound >> 4, 0);
    const i64 right = std::min<i64>(((i64)limits.rightBound + 15) >> 4, layer->width);
    const i64 top = std::max<i64>(limits.topBound >> 4, 0);
    const i64 bottom = std::min<i64>(((i64)limits.bottomBound + 15) >> 4, layer->height);
    if (right <= left || bottom <= top)
        return false;
    *columnLow = (u32)left;
    *columnHigh = (u32)right;
    *rowLow = (u32)top;
    *rowHigh = (u32)bottom;
    return true;
}

template <int W, int H, bool Twin>
void CameraLocked(const TileLayer* layer)
{
    LayerContext context;
    if (!BeginLayer<W, H>(layer, &context))
        return;
    u32 columnLow, columnHigh, rowLow, rowHigh;
    if (!CameraWindow(layer, &columnLow, &columnHigh, &rowLow, &rowHigh))
        return;
    DrawRepeatingGrid<W, H, Twin>(layer, context, scrollX, scrollY, columnLow, columnHigh, rowLow, rowHigh);
}

template <int W, int H, bool Twin>
void Scrolled(const TileLayer* layer)
{
    LayerContext context;
    if (!OfMode(layer, ScrollLayer) || !BeginLayer<W, H>(layer, &context) || !layer->scrollOffsets || !layer->wrapLengths)
        return;
    const u32 repeatWidth = ClampPeriod(layer->wrapLengths[0], layer->width);
    const u32 repeatHeight = ClampPeriod(layer->scrollCount, layer->height);
    DrawRepeatingGrid<W, H, Twin>(layer, context, layer->scrollOffsets[0], layer->layerScroll, 0, repeatWidth, 0,
                                  repeatHeight);
}

// ---- mode 4: a horizontal scroll per pixel line ----------------------------------------------------

template <int W, int H, bool Twin>
void LineScroll(const TileLayer* layer)
{
    LayerContext context;
    if (!OfMode(layer, ScrollLines) || !BeginLayer<W, H>(layer, &context) || !layer->scrollOffsets || !layer->wrapLengths)
        return;
    const u32 lines = ClampPeriod(layer->scrollCount, layer->height) * 16;
    u32 line = FloorMod(layer->layerScroll, lines);
    for (int y = 0; y < H; ++y) {
        const u16* cells = layer->map + layer->rowStarts[line >> 4];
        const u32 pixelRow = (line & 15) * 16;
        const i32 s = layer->scrollOffsets[line];
        const u32 period = ClampPeriod(layer->wrapLengths[line], layer->width);
        const i32 fine = s & 15;
        u32 column = FloorMod(s >> 4, period);
        u32* destination = frameBuffer + rowOffsets[y];
        // Leading partial tile: its pixels fine..15.
        if (const TileRecord* record = CellRecord<Twin>(context, cells[column]))
            PutSpan<Twin>(destination, record->pixels + pixelRow + fine, 16 - fine, context.palette);
        int x = 16 - fine;
        // Whole tiles.
        for (; x + 16 <= W; x += 16) {
            if (++column == period)
                column = 0;
            const TileRecord* record = CellRecord<Twin>(context, cells[column]);
            if (!record)
                continue;
            if (Twin || record->opaque)
                PutSpan<true>(destination + x, record->pixels + pixelRow, 16, context.palette);
            else
                PutSpan<false>(destination + x, record->pixels + pixelRow, 16, context.palette);
        }
        // Trailing partial tile: its first pixels up to the right edge.
        if (x < W) {
            if (++column == period)
                column = 0;
            if (const TileRecord* record = CellRecord<Twin>(context, cells[column]))
                PutSpan<Twin>(destination + x, record->pixels + pixelRow, W - x, context.palette);
        }
        if (++line == lines)
            line = 0;
    }
}

// ---- mode 5: a vertical scroll per pixel column ----------------------------------------------------

template <int W, int H, bool Twin>
void PixelColumnScroll(const TileLayer* layer)
{
    LayerContext context;
    if (!OfMode(layer, ScrollPixelColumns) || !BeginLayer<W, H>(layer, &context) || !layer->scrollOffsets || !layer->wrapLengths)
        return;
    const u32 pixelColumns = ClampPeriod(layer->scrollCount, layer->width) * 16;
    u32 pixelColumn = FloorMod(layer->layerScroll, pixelColumns);
    for (int x = 0; x < W; ++x) {
        const u32 tileColumn = pixelColumn >> 4;
        const u32 pixelInRow = pixelColumn & 15;
        const i32 s = layer->scrollOffsets[pixelColumn];
        const u32 period = ClampPeriod(layer->wrapLengths[pixelColumn], layer->height);
        const i32 fine = s & 15;
        u32 row = FloorMod(s >> 4, period);
        u32* destination = frameBuffer + x;
        // Leading partial tile: its rows fine..15.
        if (const TileRecord* record = CellRecord<Twin>(context, layer->map[layer->rowStarts[row] + tileColumn]))
            PutColumnSpan<W, Twin>(destination, record->pixels + fine * 16 + pixelInRow, 16 - fine, context.palette);
        int y = 16 - fine;
        // Whole tiles.
        for (int k = 0; k < H / 16 - 1; ++k, y += 16) {
            if (++row == period)
                row = 0;
            const TileRecord* record = CellRecord<Twin>(context, layer->map[layer->rowStarts[row] + tileColumn]);
            if (!record)
                continue;
            if (Twin || record->opaque)
                PutColumnSpan<W, true>(destination + rowOffsets[y], record->pixels + pixelInRow, 16, context.palette);
            else
                PutColumnSpan<W, false>(destination + rowOffsets[y], record->pixels + pixelInRow, 16, context.palette);
        }
        // Trailing partial tile: its rows 0..fine-1 at the bottom edge.
        if (fine) {
            if (++row == period)
                row = 0;
            if (const TileRecord* record = CellRecord<Twin>(context, layer->map[layer->rowStarts[row] + tileColumn]))
                PutColumnSpan<W, Twin>(destination + rowOffsets[y], record->pixels + pixelInRow, fine, context.palette);
        }
        if (++pixelColumn == pixelColumns)
            pixelColumn = 0;
    }
}

// ---- the palette-select drawer -------------------------------------------------------------------

// A palette-select cell: colour p + i of the shared palette for pixel index i, written where the
// tile is opaque or the index is not 0, and only where p + i lies inside the shared palette. The
// clip rectangle is the screen; the inner cells pass the whole tile.
template <int W, int H>
void PutPalettedTile(const TileRecord* record, u32 offset, i32 x, i32 y, const u32* colours, u32 colourCount)
{
    const i32 left = std::max(x, 0), right = std::min(x + 16, W);
    const i32 top = std::max(y, 0), bottom = std::min(y + 16, H);
    const bool all = record->opaque;
    for (i32 row = top; row < bottom; ++row) {
        const u8* pixels = record->pixels + (row - y) * 16;
        u32* destination = frameBuffer + rowOffsets[row];
        for (i32 column = left; column < right; ++column) {
            const u32 index = pixels[column - x];
            if ((all || index) && offset + index < colourCount)
                destination[column] = colours[offset + index];
        }
    }
}

template <int W, int H>
void CameraPaletted(const TileLayer* layer, u8 tileSheetIndex, const Layout* layout)
{
    (void)tileSheetIndex; // the layer's own index names the same sheet
    (void)layout;
    LayerContext context;
    if (!BeginLayer<W, H>(layer, &context))
        return;
    if (!sharedPalette || !sharedPalette->colours || !sharedPaletteCount)
        return;
    u32 columnLow, columnHigh, rowLow, rowHigh;
    if (!CameraWindow(layer, &columnLow, &columnHigh, &rowLow, &rowHigh))
        return;
    const u32* colours = sharedPalette->colours;
    const u32 repeatWidth = columnHigh - columnLow, repeatHeight = rowHigh - rowLow;
    const i32 fineX = scrollX & 15, fineY = scrollY & 15;
    constexpr int columns = (W + 31) / 16; // 28 at 424: room for any fine offset
    constexpr int rows = GridRows<H>();
    const u32 firstColumn = columnLow + FloorMod((i64)(scrollX >> 4) - columnLow, repeatWidth);
    u32 row = rowLow + FloorMod((i64)(scrollY >> 4) - rowLow, repeatHeight);
    for (int j = 0; j < rows; ++j) {
        const u16* cells = layer->map + layer->rowStarts[row];
        const bool edgeRow = j == 0 || j == rows - 1;
        const i32 y = 16 * j - fineY;
        u32 column = firstColumn;
        for (int i = 0; i < columns; ++i) {
            const u16 entry = cells[column];
            if (++column == columnHigh)
                column = columnLow;
            const u32 offset = entry >> 12, tile = entry & 0xFFF;
            const bool edge = edgeRow || i == 0 || i >= columns - 2;
            // An edge cell names its colour window before anything else, as the blitters draw
            // through it.
            if (edge)
                currentPalette = (u32*)colours + offset;
            if (tile == 0 || tile >= context.recordCount || !context.tiles[tile].pixels)
                continue;
            const TileRecord* record = &context.tiles[tile];
            const i32 x = 16 * i - fineX;
            // The clipped blitters read colours offset..offset + 255: they serve an edge cell only
            // when that whole window lies inside the shared palette.
            if (edge && offset + 256 <= sharedPaletteCount) {
                const DrawTileFunction draw = record->opaque ? rendererSlots.DrawTile : rendererSlots.DrawTileMasked;
                if (draw)
                    draw(record, 0, 0, x, y);
            } else if (offset + 256 <= sharedPaletteCount) {
                // An inner cell whose whole colour window is there: the plain tile loops serve.
                u32* destination = frameBuffer + rowOffsets[y] + x;
                if (record->opaque)
                    PutTile<W, true>(destination, record->pixels, colours + offset);
                else
                    PutTile<W, false>(destination, record->pixels, colours + offset);
            } else {
                PutPalettedTile<W, H>(record, offset, x, y, colours, sharedPaletteCount);
            }
        }
        if (++row == rowHigh)
            row = rowLow;
    }
}

} // namespace

// ---- the named drawers -----------------------------------------------------------------------------

template <int W, int H> void DrawLayerCamera(const TileLayer* layer) { CameraLocked<W, H, false>(layer); }
template <int W, int H> void DrawLayerScrolled(const TileLayer* layer) { Scrolled<W, H, false>(layer); }
template <int W, int H> void DrawLayerRowScroll(const TileLayer* layer) { RowScroll<W, H, false>(layer); }
template <int W, int H> void DrawLayerColumnScroll(const TileLayer* layer) { ColumnScroll<W, H, false>(layer); }
template <int W, int H> void DrawLayerLineScroll(const TileLayer* layer) { LineScroll<W, H, false>(layer); }
template <int W, int H> void DrawLayerPixelColumnScroll(const TileLayer* layer) { PixelColumnScroll<W, H, false>(layer); }
template <int W, int H> void DrawLayerCameraOpaque(const TileLayer* layer) { CameraLocked<W, H, true>(layer); }
template <int W, int H> void DrawLayerScrolledOpaque(const TileLayer* layer) { Scrolled<W, H, true>(layer); }
template <int W, int H> void DrawLayerRowScrollOpaque(const TileLayer* layer) { RowScroll<W, H, true>(layer); }
template <int W, int H> void DrawLayerColumnScrollOpaque(const TileLayer* layer) { ColumnScroll<W, H, true>(layer); }
template <int W, int H> void DrawLayerLineScrollOpaque(const TileLayer* layer) { LineScroll<W, H, true>(layer); }
template <int W, int H>
void DrawLayerPixelColumnScrollOpaque(const TileLayer* layer)
{
    PixelColumnScroll<W, H, true>(layer);
}

void DrawLayerCameraPaletted(const TileLayer* layer, u8 tileSheetIndex, const Layout* layout)
{
    CameraPaletted<424, 240>(layer, tileSheetIndex, layout);
}

template <int W, int H>
void FillLayerSlots(RendererSlots& slots)
{
    slots.DrawLayer[ScrollCamera] = DrawLayerCamera<W, H>;
    slots.DrawLayer[ScrollLayer] = DrawLayerScrolled<W, H>;
    slots.DrawLayer[ScrollRows] = DrawLayerRowScroll<W, H>;
    slots.DrawLayer[ScrollColumns] = DrawLayerColumnScroll<W, H>;
    slots.DrawLayer[ScrollLines] = DrawLayerLineScroll<W, H>;
    slots.DrawLayer[ScrollPixelColumns] = DrawLayerPixelColumnScroll<W, H>;
    slots.DrawLayerOpaque[ScrollCamera] = DrawLayerCameraOpaque<W, H>;
    slots.DrawLayerOpaque[ScrollLayer] = DrawLayerScrolledOpaque<W, H>;
    slots.DrawLayerOpaque[ScrollRows] = DrawLayerRowScrollOpaque<W, H>;
    slots.DrawLayerOpaque[ScrollColumns] = DrawLayerColumnScrollOpaque<W, H>;
    slots.DrawLayerOpaque[ScrollLines] = DrawLayerLineScrollOpaque<W, H>;
    slots.DrawLayerOpaque[ScrollPixelColumns] = DrawLayerPixelColumnScrollOpaque<W, H>;
    if (W == 424 && H == 240)
        slots.DrawLayerCameraPaletted = DrawLayerCameraPaletted;
}

void DrawTileLayer(const TileLayer* layer)
{
    if (!layer)
        return;
    // Layouts without tile sheets (versions 2-4) have no flags: their layers draw by scroll mode.
    if (LayerPaletteSelect(currentLayout, layer)) {
        if (rendererSlots.DrawLayerCameraPaletted && screenWidth == 424 && screenHeight == 240)
            rendererSlots.DrawLayerCameraPaletted(layer, layer->tileSheetIndex, currentLayout);
        return;
    }
    if (layer->scrollMode <= ScrollPixelColumns && rendererSlots.DrawLayer[layer->scrollMode])
        rendererSlots.DrawLayer[layer->scrollMode](layer);
}

#define PALVIC_LAYER_DRAWERS(W, H)                                                                   \
    template void DrawLayerCamera<W, H>(const TileLayer*);                                          \
    template void DrawLayerScrolled<W, H>(const TileLayer*);                                        \
    template void DrawLayerRowScroll<W, H>(const TileLayer*);                                       \
    template void DrawLayerColumnScroll<W, H>(const TileLayer*);                                    \
    template void DrawLayerLineScroll<W, H>(const TileLayer*);                                      \
    template void DrawLayerPixelColumnScroll<W, H>(const TileLayer*);                               \
    template void DrawLayerCameraOpaque<W, H>(const TileLayer*);                                    \
    template void DrawLayerScrolledOpaque<W, H>(const TileLayer*);                                  \
    template void DrawLayerRowScrollOpaque<W, H>(const TileLayer*);                                 \
    template void DrawLayerColumnScrollOpaque<W, H>(const TileLayer*);                              \
    template void DrawLayerLineScrollOpaque<W, H>(const TileLayer*);                                \
    template void DrawLayerPixelColumnScrollOpaque<W, H>(const TileLayer*);                         \
    template void FillLayerSlots<W, H>(RendererSlots&);

PALVIC_LAYER_DRAWERS(320, 240)
PALVIC_LAYER_DRAWERS(424, 240)
PALVIC_LAYER_DRAWERS(640, 480)
