#include "Engine/Common/BitmapFont.h"

#include "Engine/Common/Camera.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"

BitmapFont menuFont;

namespace {

// Index of the last frame; an animation of no frames keeps one blank frame.
u16 LastFrameOf(const Animation* animation)
{
    return animation->frameCount ? (u16)(animation->frameCount - 1) : 0;
}

// The frame that stands for character or digit code c: frame c, or the last one past the end.
u16 FrameFor(const Animation* animation, u32 c)
{
    return c < animation->frameCount ? (u16)c : LastFrameOf(animation);
}

i32 Advance(const Animation* animation, u16 frame)
{
    return animation->frames[frame].image.width;
}

// What the player can draw with: a loaded set and an animation with its frames.
bool PlayerUsable(const AnimPlayer* player)
{
    return player && player->set && player->set->loaded && player->animation && player->animation->frames;
}

// Moves the player to a frame as the font draws it: the old frame becomes the previous one and the
// timer restarts at the frame's duration.
void ShowFrame(AnimPlayer* player, u16 frame)
{
    player->prevFrameIndex = player->frameIndex;
    player->frameIndex = frame;
    player->timer = (i16)player->animation->frames[frame].duration;
}

void DrawPlayerFrame(const AnimPlayer* player, i32 worldX, i32 worldY)
{
    if (!rendererSlots.DrawSprite)
        return;
    rendererSlots.DrawSprite(&player->animation->frames[player->frameIndex].image, scrollX, scrollY, worldX, worldY);
}

// Decimal and hexadecimal numbers share one layout: digit i of n (from the most significant) at
// x + i w (left), x - (n - 1 - i) w (right, the last digit starting at x) or the centring formula,
// w the advance of that digit's own frame. Place values are 64-bit: ten decimal digits and eight
// hexadecimal ones overflow 32 bits.
void DrawDigits(i32 value, AnimPlayer* player, f32 x, f32 y, u8 align, u32 base, u32 minDigits)
{
    if (!PlayerUsable(player) || !player->playing)
        return;
    const Animation* animation = player->animation;
    const u16 before = player->frameIndex;
    const auto digitFrame = [&](u32 d) {
        const u32 code = base == 16 ? (d < 10 ? '0' + d : 'A' + d - 10) : d;
        return FrameFor(animation, code);
    };

    if (value < 1 && minDigits <= 1) {
        ShowFrame(player, digitFrame(0));
        DrawPlayerFrame(player, TruncateToI32(x), TruncateToI32(y));
    } else {
        i64 rest = value < 1 ? 0 : value;
        u32 count = 1;
        i64 place = base;
        for (; place <= rest; place *= base)
            ++count;
        const u32 n = count < minDigits ? minDigits : count;
        for (u32 i = 0; i < n; ++i) {
            u32 d = 0;
            if (i >= n - count) {
                place /= base;
                d = (u32)(rest / place);
                rest %= place;
            }
            const u16 frame = digitFrame(d);
            const i64 w = Advance(animation, frame);
            f32 position;
            if (align == alignLeft)
                position = x + (f32)((i64)i * w);
            else if (align == alignRight)
                position = x - (f32)((i64)(n - 1 - i) * w);
            else if (align == alignCentre)
                position = x + (f32)(1 - ((i64)(n - i) * w - w / 2) + (w * (i64)n) / 2);
            else
                continue;
            ShowFrame(player, frame);
            DrawPlayerFrame(player, TruncateToI32(position), TruncateToI32(y));
        }
    }

    const u16 restored = before > LastFrameOf(animation) ? LastFrameOf(animation) : before;
    player->frameIndex = restored;
    player->timer = (i16)animation->frames[restored].duration;
}

} // namespace

void LoadBitmapFont(BitmapFont* font, const char* path, i8 spacing)
{
    if (!font)
        return;
    LoadAnim(path, &font->set);
    if (!font->set.loaded)
        return;
    font->player.set = &font->set;
    StartAnim(&font->player, 0);
    font->hidden = 0;
    font->spacing = spacing;
    font->ready = 1;
}

void FreeBitmapFont(BitmapFont* font)
{
    if (!font)
        return;
    FreeAnim(&font->set);
    font->ready = 0;
    font->player = AnimPlayer{};
}

void DrawFontString(const char* text, BitmapFont* font, f32 x, f32 y, u8 align, u8 palette, u8 worldPosition)
{
    if (!text || !font || !font->ready || !PlayerUsable(&font->player))
        return;
    AnimPlayer* player = &font->player;
    const Animation* animation = player->animation;

    i64 x0 = TruncateToI32(x);
    if (align == alignRight || align == alignCentre) {
        i64 span = 0;
        for (const char* c = text; c[0] && c[1]; ++c)
            span += Advance(animation, FrameFor(animation, (u8)*c < 128 ? (u8)*c : 0xFFFFu)) + font->spacing;
        x0 -= align == alignRight ? span : span >> 1;
    }

    // The palette is taken up even when nothing is drawn: callers rely on it for what follows.
    AnimSet* set = player->set;
    if (palette < set->paletteCount)
        SetCurrentPalette(set->palettes[palette]);
    if (font->hidden || !*text)
        return;

    const i32 offsetX = worldPosition ? 0 : scrollX;
    const i32 offsetY = worldPosition ? 0 : scrollY;
    for (const char* c = text; *c; ++c) {
        const u16 frame = FrameFor(animation, (u8)*c < 128 ? (u8)*c : 0xFFFFu);
        if (player->playing) {
            ShowFrame(player, frame);
            DrawPlayerFrame(player, (i32)(x0 + offsetX), TruncateToI32(y + (f32)offsetY));
        }
        x0 += Advance(animation, frame) + font->spacing;
    }
}

void DrawFontNumber(i32 value, AnimPlayer* player, f32 x, f32 y, u8 align)
{
    DrawDigits(value, player, x, y, align, 10, 1);
}

void DrawFontNumberPadded(i32 value, AnimPlayer* player, f32 x, f32 y, u8 align, u8 digits)
{
    DrawDigits(value, player, x, y, align, 10, digits);
}

void DrawFontHexNumber(i32 value, AnimPlayer* player, f32 x, f32 y)
{
    DrawDigits(value, player, x, y, alignCentre, 16, 1);
}
