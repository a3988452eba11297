// Braktext texts (".btx"): big-endian UTF-16 with a byte-order mark, lines ended by CR LF or LF,
// and markup tags in angle brackets. Loading turns every tag into one or two control units of the
// private-use range, so drawing never parses; drawing breaks lines at line feeds, at the box edge
// and where the alignment changes. The glyphs come from one sprite set, the text font, loaded with
// the first text block and freed with the last.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/Types.h"

struct TextBlock {
    u8 loaded;
    u16* text;     // characters and control units, lines joined by one line feed, no terminator
    u16 length;    // units in text
    u8 lineCount;  // lines read (stays at 255 past that)
};

// Control units: the high byte names the tag, the low byte (and for two-unit codes the next unit)
// carries its arguments.
constexpr u16 textCodeShake = 0xE000; // low byte 0: shake on, 0xFF: off
constexpr u16 textCodeAlign = 0xE100; // low byte: 0 left, 1 centre, 2 right
constexpr u16 textCodeSize = 0xE200;  // low byte: x scale 4.4; next unit's high byte: y scale 4.4
constexpr u16 textCodeColor = 0xE300; // low byte: red; next unit: green, blue (not applied)
constexpr u16 textCodeFont = 0xE400;  // low byte: font number (not applied)

constexpr u32 textTagCount = 5;
constexpr u32 textTagStackDepth = 8;

struct TextTag {
    const char* name;
    u8 argumentCount;
};
extern const TextTag textTags[textTagCount];

// The open tags with arguments: per tag, the units each open level wrote, and the depth. They carry
// over from line to line and from one file to the next; nothing resets them.
extern u16 tagStack[textTagCount][textTagStackDepth][2];
extern u8 tagDepth[textTagCount];

// The drawing state.
extern f32 textScaleX, textScaleY;
extern u8 textFontIndex; // always 0: font codes are not applied
extern u8 textShake;
extern u8 textAlign;
extern f32 textLineX, textLineY; // the pen inside the box
extern AnimSet textFont;         // "Data/Sprites/Global/Talkbox/l.man"
extern u8 textFontUseCount;      // loaded blocks

struct LineMetrics {
    u32 glyphCount;
    u32 consumed; // units
    f32 width;
    f32 height;
};

// Loads the file into the block unless it is loaded already. On return the block is loaded
// whatever happened: a missing file or a wrong byte-order mark leaves an empty text (the mark case
// says so in debugText). Every loaded block holds a use of the text font.
void LoadBraktext(const char* path, TextBlock* block);
// Drops the block's use of the text font (freed with the last) and its text.
void FreeBraktext(TextBlock* block);

// Converts one tag, the tagLength units after its '<' (the rest of the line: a tag's arguments may
// be looked for past its '>'), into control units appended at out[*outCount]. Writes at most two
// units. An unknown tag, one with too few arguments or one nested too deep writes nothing.
void ParseTextTag(const u16* tag, u32 tagLength, u16* out, u32* outCount);

// Measures the line that starts at text, at most count units, for a box maxWidth pixels wide.
// Changes no global. A glyph that is wider than the whole box is taken alone on its line, so every
// line makes progress.
LineMetrics MeasureTextLine(const u16* text, u32 count, u32 maxWidth);

// Draws the first visibleCount units of the block (at most its length) in a box of boxWidth pixels
// whose top-left corner is at screen (x, y). Nothing is drawn without the text font. The sprite
// draw state is left at its resting values.
void DrawText(const TextBlock* block, u32 visibleCount, f32 x, f32 y, i32 boxWidth);
