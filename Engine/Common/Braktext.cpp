#include "Engine/Common/Braktext.h"

#include <cmath>
#include <cstdlib>

#include "Engine/Common/Camera.h"
#include "Engine/Common/DataPack.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Random.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"

const TextTag textTags[textTagCount] = {{"shake", 0}, {"align", 1}, {"size", 2}, {"color", 3}, {"font", 1}};

u16 tagStack[textTagCount][textTagStackDepth][2];
u8 tagDepth[textTagCount];

f32 textScaleX = 1.0f, textScaleY = 1.0f;
u8 textFontIndex;
u8 textShake;
u8 textAlign;
f32 textLineX, textLineY;
AnimSet textFont;
u8 textFontUseCount;

namespace {

const char* const textFontPath = "Data/Sprites/Global/Talkbox/l.man";

constexpr u32 maxLineUnits = 256;
constexpr u16 lineFeed = 0x000A, carriageReturn = 0x000D;

// Units each tag with arguments writes, and what its closing tag writes with nothing to restore.
constexpr u8 tagUnits[textTagCount] = {1, 1, 2, 2, 1};
constexpr u16 tagDefaults[textTagCount][2] = {{0, 0}, {0xE100, 0}, {0xE210, 0x1000}, {0xE3FF, 0xFFFF}, {0xE400, 0}};

enum TagIndex : u32 { tagShake, tagAlign, tagSize, tagColor, tagFont };

// The tag a control unit belongs to, or textTagCount for any other unit.
u32 CodeTag(u16 unit)
{
    const u32 high = unit >> 8;
    return high >= 0xE0 && high <= 0xE4 ? high - 0xE0 : textTagCount;
}

// The text being built: never written past its capacity, which LoadBraktext sizes for the worst
// case (and at most what a u16 length can count).
struct TextOut {
    u16* units;
    u32 count;
    u32 capacity;

    void Put(u16 unit)
    {
        if (count < capacity)
            units[count++] = unit;
    }
    void Copy(const u16* from, u32 n)
    {
        for (u32 i = 0; i < n; ++i)
            Put(from[i]);
    }
};

bool IsBlank(u16 unit)
{
    return unit == ' ' || unit == '\t';
}

// One argument as the C library would read it: a token of at most 255 ASCII characters.
void TokenText(const u16* token, u32 length, char out[257])
{
    u32 n = 0;
    for (; n < length && n < 256; ++n)
        out[n] = token[n] < 0x80 ? (char)token[n] : '?';
    out[n] = 0;
}

// A size argument: 4.4 fixed point, the byte of trunc(f x 16).
u8 SizeArgument(const char* text)
{
    const double scaled = strtod(text, nullptr) * 16.0;
    if (!(scaled == scaled))
        return 0;
    const double bounded = scaled > 1e15 ? 1e15 : scaled < -1e15 ? -1e15 : scaled;
    return (u8)(i64)bounded;
}

// Any other argument: decimal, 0x hexadecimal or leading-zero octal; past a byte (negative values
// too, as the unsigned numbers they read as) it is 255.
u8 ByteArgument(const char* text)
{
    const long value = strtol(text, nullptr, 0);
    return value < 0 || value > 255 ? 255 : (u8)value;
}

void WriteUnits(const u16* units, u32 count, u16* out, u32* outCount)
{
    for (u32 i = 0; i < count; ++i)
        out[(*outCount)++] = units[i];
}

// The glyph of a unit in the text font, or null for a unit that is not a character (or a font that
// lacks it).
const SpriteImage* TextGlyph(u16 unit)
{
    if (!textFont.loaded || !textFont.animations)
        return nullptr;
    u32 animation, frame;
    if (unit >= 0x20 && unit <= 0x7F) {
        animation = 0;
        frame = unit - 0x20u;
    } else if (unit >= 0xA1 && unit <= 0xFF) {
        animation = 1;
        frame = unit - 0xA1u;
    } else {
        return nullptr;
    }
    if (animation >= textFont.animCount || frame >= textFont.animations[animation].frameCount)
        return nullptr;
    return &textFont.animations[animation].frames[frame].image;
}

void UnsupportedCharacter(u16 unit)
{
    FormatDebugText("[ERROR] %04x is an unsupported character!", unit);
}

// Copies one line into the text, turning its tags into control units.
void ConvertLine(const u16* line, u32 length, TextOut* out)
{
    u32 i = 0;
    while (i < length) {
        u32 open = i;
        while (open < length && line[open] != '<' && line[open] != '>')
            ++open;
        if (open == length || line[open] == '>') {
            out->Copy(line + i, length - i);
            return;
        }
        u32 close = open + 1;
        while (close < length && line[close] != '<' && line[close] != '>')
            ++close;
        if (close == length || line[close] == '<') {
            // An unclosed '<' is text, as is everything before it.
            out->Copy(line + i, length - i);
            return;
        }
        out->Copy(line + i, open - i);
        u16 units[2];
        u32 written = 0;
        ParseTextTag(line + open + 1, length - open - 1, units, &written);
        out->Copy(units, written);
        i = close + 1;
    }
}

// Turns the file's units (after the byte-order mark) into the block's text.
void ConvertText(const u8* bytes, u32 unitCount, TextBlock* block)
{
    // Tags never write more units than they take, and each line end becomes at most one line
    // feed, except that a line split at 256 units gains one the file lacks.
    u32 capacity = unitCount + unitCount / maxLineUnits + 2;
    if (capacity > 0xFFFF)
        capacity = 0xFFFF;
    TextOut out{(u16*)malloc(sizeof(u16) * capacity), 0, capacity};
    if (!out.units)
        return;

    u32 position = 0;
    bool splitBefore = false; // the last line stopped at 256 units inside a physical line
    bool first = true;
    while (position < unitCount) {
        u16 line[maxLineUnits];
        u32 read = 0;
        bool sawLineFeed = false;
        while (read < maxLineUnits && position < unitCount) {
            const u16 unit = (u16)(bytes[2 * position] << 8 | bytes[2 * position + 1]);
            ++position;
            line[read++] = unit;
            if (unit == lineFeed) {
                sawLineFeed = true;
                break;
            }
        }
        u32 length = 0;
        while (length < read && line[length] != carriageReturn && line[length] != lineFeed)
            ++length;
        if (length == 0) {
            // A physical line that ended exactly where it was split leaves only its line end here:
            // that is not the blank line that ends a text.
            if (splitBefore) {
                splitBefore = false;
                continue;
            }
            break;
        }
        splitBefore = read == maxLineUnits && !sawLineFeed;

        if (block->lineCount < 255)
            ++block->lineCount;
        if (!first)
            out.Put(lineFeed);
        first = false;
        ConvertLine(line, length, &out);
    }

    block->length = (u16)out.count;
    if (out.count == 0) {
        free(out.units);
        return;
    }
    u16* shrunk = (u16*)realloc(out.units, sizeof(u16) * out.count);
    block->text = shrunk ? shrunk : out.units;
}

} // namespace

void ParseTextTag(const u16* tag, u32 tagLength, u16* out, u32* outCount)
{
    if (!tag || !out || !outCount)
        return;
    const bool closing = tagLength > 0 && tag[0] == '/';
    const u16* name = closing ? tag + 1 : tag;
    const u32 nameRoom = closing ? tagLength - 1 : tagLength;

    u32 t = 0;
    u32 nameLength = 0;
    for (; t < textTagCount; ++t) {
        const char* candidate = textTags[t].name;
        u32 n = 0;
        while (candidate[n] && n < nameRoom && name[n] == (u8)candidate[n])
            ++n;
        if (!candidate[n]) {
            nameLength = n;
            break;
        }
    }
    if (t == textTagCount)
        return;

    if (textTags[t].argumentCount == 0) {
        out[(*outCount)++] = closing ? 0xE0FF : textCodeShake;
        return;
    }

    const u32 units = tagUnits[t];
    if (closing) {
        const u8 depth = tagDepth[t];
        WriteUnits(depth >= 2 ? tagStack[t][depth - 2] : tagDefaults[t], units, out, outCount);
        if (depth)
            tagDepth[t] = depth - 1;
        return;
    }

    // The arguments sit between the first '(' after the name and the first ')'; the search runs on
    // to the end of the line.
    const u16* rest = name + nameLength;
    const u32 restLength = nameRoom - nameLength;
    u32 open = 0, close = 0;
    while (open < restLength && rest[open] != '(')
        ++open;
    while (close < restLength && rest[close] != ')')
        ++close;
    if (open == restLength || close == restLength || close < open)
        return;

    u8 arguments[3] = {0, 0, 0};
    u32 found = 0;
    u32 i = open + 1;
    while (i < close && found < textTags[t].argumentCount) {
        while (i < close && (rest[i] == ',' || IsBlank(rest[i])))
            ++i;
        if (i == close)
            break;
        const u32 start = i;
        while (i < close && rest[i] != ',' && !IsBlank(rest[i]))
            ++i;
        char text[257];
        TokenText(rest + start, i - start, text);
        arguments[found++] = t == tagSize ? SizeArgument(text) : ByteArgument(text);
    }
    if (found < textTags[t].argumentCount)
        return;

    const u16 code = (u16)(0xE000 + (t << 8));
    const u16 written[2] = {(u16)(code | arguments[0]), (u16)(arguments[1] << 8 | arguments[2])};
    const u8 depth = tagDepth[t];
    if (depth >= textTagStackDepth)
        return;
    // An opening tag is one unit, or two when it carries more than one argument.
    WriteUnits(written, units == 2 ? 2 : 1, out, outCount);
    tagStack[t][depth][0] = written[0];
    tagStack[t][depth][1] = units == 2 ? written[1] : 0;
    tagDepth[t] = depth + 1;
}

void LoadBraktext(const char* path, TextBlock* block)
{
    if (!block || block->loaded)
        return;
    block->text = nullptr;
    block->length = 0;
    block->lineCount = 0;

    if (path && OpenAssetFile(path)) {
        const u32 size = AssetFileSize();
        u8* bytes = (u8*)malloc(size ? size : 1);
        if (bytes)
            PackReadBytes(bytes, size);
        CloseAssetFile();
        if (bytes) {
            if (size < 2 || bytes[0] != 0xFE || bytes[1] != 0xFF)
                FormatDebugText("[BRAKTEXT] %s: Unexpected BOM", path);
            else
                ConvertText(bytes + 2, (size - 2) / 2, block);
            free(bytes);
        }
    }

    block->loaded = 1;
    if (textFontUseCount++ == 0)
        LoadAnim(textFontPath, &textFont);
}

void FreeBraktext(TextBlock* block)
{
    if (!block || !block->loaded)
        return;
    if (textFontUseCount && --textFontUseCount == 0)
        FreeAnim(&textFont);
    free(block->text);
    block->text = nullptr;
    block->length = 0;
    block->loaded = 0;
}

LineMetrics MeasureTextLine(const u16* text, u32 count, u32 maxWidth)
{
    LineMetrics metrics{};
    if (!text)
        return metrics;
    f32 scaleX = textScaleX, scaleY = textScaleY;
    const f32 limit = (f32)maxWidth;
    while (metrics.consumed < count) {
        const u16 unit = text[metrics.consumed];
        const u32 left = count - metrics.consumed;
        const u32 tag = CodeTag(unit);
        if (tag == tagSize) {
            // A code cut off by the end of the text counts only what is there.
            if (left < 2) {
                metrics.consumed = count;
                break;
            }
            scaleX = (f32)(unit & 0xFF) / 16.0f;
            scaleY = (f32)(text[metrics.consumed + 1] >> 8) / 16.0f;
            metrics.consumed += 2;
        } else if (tag == tagAlign) {
            ++metrics.consumed;
            if ((unit & 0xFF) != textAlign)
                break;
        } else if (tag == tagShake || tag == tagFont) {
            ++metrics.consumed;
        } else if (tag == tagColor) {
            metrics.consumed += left < 2 ? left : 2;
        } else if (unit == lineFeed) {
            ++metrics.consumed;
            break;
        } else if (const SpriteImage* glyph = TextGlyph(unit)) {
            const f32 width = metrics.width + (f32)glyph->width * scaleX;
            const bool fits = width < limit;
            if (!fits && metrics.glyphCount)
                break;
            metrics.width = width;
            const f32 height = (f32)glyph->height * scaleY;
            if (height > metrics.height)
                metrics.height = height;
            ++metrics.glyphCount;
            ++metrics.consumed;
            if (!fits)
                break; // a glyph wider than the box, alone on its line
        } else {
            UnsupportedCharacter(unit);
            ++metrics.consumed;
        }
    }
    return metrics;
}

void DrawText(const TextBlock* block, u32 visibleCount, f32 x, f32 y, i32 boxWidth)
{
    textScaleX = textScaleY = 1.0f;
    textFontIndex = 0;
    textShake = 0;
    textAlign = 0;
    textLineX = textLineY = 0.0f;
    // Without the font there is nothing to draw with, nor a palette to colour.
    if (!block || !block->text || !textFont.loaded || !textFont.paletteCount || !rendererSlots.DrawSprite) {
        RestDrawState();
        return;
    }

    drawFlags = drawFlagRotateScale;
    spriteAngle = 0;
    spriteScaleX = spriteScaleY = 512;
    SetCurrentPalette(textFont.palettes[0]);
    SetCurrentPaletteColour(1, 255, 255, 255);

    const u16* text = block->text;
    const u32 length = block->length;
    const u32 visible = visibleCount < length ? visibleCount : length;
    u32 start = 0;
    while (start < visible) {
        const LineMetrics line = MeasureTextLine(text + start, length - start, (u32)boxWidth);
        if (line.glyphCount) {
            if (textAlign == 1)
                textLineX = (f32)(boxWidth / 2) - line.width * 0.5f;
            else if (textAlign == 2)
                textLineX = (f32)boxWidth - line.width - 1.0f;
            else
                textLineX = 0.0f;
        }
        u32 walked = 0, drawn = 0;
        while (walked < line.consumed && drawn < visible - start) {
            const u16 unit = text[start + walked];
            if (unit >= 0xE000 && unit <= 0xF8FF) {
                const u32 tag = CodeTag(unit);
                const u32 left = line.consumed - walked;
                if (tag == tagShake) {
                    textShake = (unit & 0xFF) == 0;
                    ++walked;
                } else if (tag == tagAlign) {
                    textAlign = (u8)unit;
                    ++walked;
                } else if (tag == tagSize) {
                    if (left >= 2) {
                        textScaleX = (f32)(unit & 0xFF) / 16.0f;
                        textScaleY = (f32)(text[start + walked + 1] >> 8) / 16.0f;
                        spriteScaleX = TruncateToI32(textScaleX * 512.0);
                        spriteScaleY = TruncateToI32(textScaleY * 512.0);
                        spriteAngle = 0;
                        drawFlags = drawFlagRotateScale;
                    }
                    walked += left < 2 ? left : 2;
                } else if (tag == tagColor) {
                    walked += left < 2 ? left : 2;
                } else {
                    ++walked;
                }
                continue;
            }
            ++walked;
            if (unit < 0x20)
                continue;
            ++drawn;
            const SpriteImage* glyph = TextGlyph(unit);
            if (!glyph) {
                UnsupportedCharacter(unit);
                continue;
            }
            i32 dx = 0, dy = 0;
            if (textShake) {
                const i32 lowX = TruncateToI32(-textScaleX), highX = TruncateToI32(textScaleX);
                const i32 lowY = TruncateToI32(-textScaleY), highY = TruncateToI32(textScaleY);
                dx = GameRand() / (gameRandMax / (highX - lowX + 1) + 1) + lowX;
                dy = GameRand() / (gameRandMax / (highY - lowY + 1) + 1) + lowY;
            }
            rendererSlots.DrawSprite(glyph, scrollX, scrollY,
                                     TruncateToI32((f32)scrollX + x + textLineX + (f32)dx),
                                     TruncateToI32((f32)scrollY + y + textLineY + (f32)dy));
            textLineX += (f32)glyph->width * textScaleX;
        }
        start += line.consumed;
        if (line.glyphCount)
            textLineY += line.height;
    }
    RestDrawState();
}
