// Sprite-set fonts, rasterised from a TrueType font of the system's DejaVu package: a TGA sheet of
// glyph cells, the manifest with one frame a character (its width the advance) and the palettes.
//
// Pixel indices: 0 transparent, 1 the glyph, 2 its outline or shadow. Every frame of a font has the
// same height with the baseline at the same row, drawn from its top-left corner (a tight font's
// corner a few rows higher, the same for every frame), so the glyphs of a line stand on one baseline.
#pragma once
#include <string>
#include <vector>

#include "Engine/Common/Types.h"
#include "tools/datakit/PackWriter.h"
#include "tools/datakit/TgaWriter.h"

namespace datakit {

// Where the fonts are read from (fonts-dejavu-core).
extern const char* const dejavuFolder;

struct FontStyle {
    std::string ttf;          // file in dejavuFolder
    f32 pixelHeight = 10.0f;  // the font's ascent-to-descent height in pixels
    u8 padLeft = 0;           // transparent columns before the advance (room for the outline)
    u8 padRight = 0;          // and after it
    bool outline = false;     // index 2 around the glyph
    bool shadow = false;      // index 2 one pixel right and down
    u8 coverage = 100;        // the coverage (0-255) from which a pixel belongs to the glyph
    u8 advance = 0;           // 0: each glyph's own advance; else every glyph this wide, the
                              // outlines narrowed to the font's widest advance fitting it
    bool tight = false;       // the cell spans the glyphs' own rows, not the font's ascent and
                              // descent, and is drawn with its capitals' top at the text's y
};

// One animation of a font: the frame of each code point, in order (0: a blank frame).
struct FontAnimation {
    std::vector<u32> codes;
};

struct FontSetSpec {
    std::string folder;        // "Data/PVDebug"
    std::string name;          // "DevFont": DevFont.man and DevFont.tga
    FontStyle style;
    std::vector<FontAnimation> animations;
    std::vector<Rgb> sheetColours;                 // palette 0, from the sheet's colour map
    std::vector<std::vector<Rgb>> extraPalettes;   // palettes 1 and on, as raw palette files
};

// Rasterises the set. False with the reason when the TrueType file cannot be read.
bool MakeFontSet(const FontSetSpec& spec, std::vector<PackFile>* files, std::string* error);

// The three fonts the engine loads.
FontSetSpec DevFontSpec();  // "Data/PVDebug/DevFont.man": characters by code, digits, palettes 1 and 2
FontSetSpec MenuFontSpec(); // "Data/Sprites/Display/Title/MenuFont.man": spacing -4, palettes 0 and 1
FontSetSpec TextFontSpec(); // "Data/Sprites/Global/Talkbox/l.man": 0x20-0x7F and 0xA1-0xFF

// All three, for the data set and for tests.
bool MakeEngineFonts(std::vector<PackFile>* files, std::string* error);

} // namespace datakit
