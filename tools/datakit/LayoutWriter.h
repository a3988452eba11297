// Writers for stage layouts: "layout1.bin" of every version, the 512-wide tile-sheet images with
// their angle rows, and the ".tpl" pattern files beside them.
#pragma once
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Engine/Common/Types.h"
#include "tools/datakit/TgaWriter.h"

namespace datakit {

// One layer as the file holds it. Every field is written as given, so a test can write any value,
// sizes and counts that do not agree with each other included.
struct LayoutLayer {
    u8 scrollMode = 0;
    u32 width = 0, height = 0;
    std::vector<u16> wrapLengths;   // one per scroll entry, each followed by its parallax factor
    std::vector<u8> parallaxFactors;
    u16 scrollCount = 0;            // the layer pair (modes 1-5)
    u8 layerFactor = 64;
    u16 reserved1 = 0;
    u8 depth = 0;
    std::vector<u16> cells;                     // row by row, in the file's bit form
    std::vector<std::pair<u16, u16>> runs;      // versions 3-5: written instead of runs made from cells
    u8 tileSheetIndex = 0;                      // version 5
    u16 reserved2 = 0;                          // versions 4 and 5
};

struct LayoutSheet {
    u8 paletteSelect = 0;
    std::string name; // file name beside the layout, "Tiles.tga"
};

struct LayoutFile {
    u8 version = 5;
    std::vector<LayoutSheet> sheets; // version 5
    std::vector<LayoutLayer> layers;
};

// A layer with the scroll entries of its mode set as a fresh layer has them: every wrap length the
// layer's width (rows, lines) or height (columns), every factor 64, the repeat count the height or
// width; cells all 0.
LayoutLayer MakeLayoutLayer(u8 scrollMode, u16 width, u16 height);

// Runs of (count, value) for cells, at most 65535 a run.
std::vector<std::pair<u16, u16>> EncodeRuns(const std::vector<u16>& cells);

std::vector<u8> MakeLayout(const LayoutFile& layout);

// A map or pattern entry of an ordinary sheet: base tile (0-4095) with its mirror bits.
constexpr u16 TileEntry(u16 baseTile, bool mirrorX = false, bool mirrorY = false)
{
    return (u16)((baseTile & 0xFFF) | (mirrorX ? 0x1000 : 0) | (mirrorY ? 0x2000 : 0));
}

// A ".tpl" pattern file: width, height, then the entries.
std::vector<u8> MakeTilePattern(u16 width, u16 height, const std::vector<u16>& entries);

// A tile-sheet image: 512 pixels wide, 1024 << sizeCode base tiles in the top 512 << sizeCode rows,
// then (with angles) 2 << sizeCode rows holding one angle byte per base tile. pixel(tile, x, y)
// gives each tile's pixels, angle(tile) its angle.
TgaImage MakeTileSheetImage(u8 sizeCode, bool withAngles, const std::function<u8(u32, u32, u32)>& pixel,
                            const std::function<u8(u32)>& angle, const std::vector<Rgb>& colours);

// The layer showcase: "Data/Stages/LayerTest/layout1.bin" with its tile sheets and pattern, one
// layer in every scroll mode plus a collision layer on a palette-select sheet, for the runner to
// load and draw. False (after printing why) on a write failure.
bool WriteLayerShowcase(const std::string& dir);

} // namespace datakit
