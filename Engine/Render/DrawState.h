// The draw state that shapes a sprite draw: palette, blend mode and level, scale and rotation.
// State is sticky: a caller that changes blendMode, blendLevel, drawFlags, the scales or the angle
// puts the resting values back after its draw (drawFlags 0, blendMode 0, blendLevel 255, scales 512,
// angle 0), and every later draw relies on that. Only the game thread draws; no locks.
#pragma once
#include "Engine/Common/Types.h"

// The colour array (0xFFRRGGBB) every palette index is mapped through, and its companion, the same
// colours as red, green, blue bytes. Whoever makes a palette current sets both; the blitters read
// only the colours.
extern u32* currentPalette;
extern u8* currentPaletteRgb;

extern u32 blendMode;  // 0 copy, 1 add, 2 mix, 3 average; any other value draws nothing
extern u32 blendLevel; // 0-255, the blend-table row of modes 1 and 2
extern u32 drawFlags;  // drawFlagRotateScale selects the rotate/scale path of the sprite slots
extern i32 spriteScaleX, spriteScaleY; // 1/512 units, valid 1..65535
extern i32 spriteAngle;                // 256ths of a turn, used modulo 256, positive = clockwise

constexpr u32 drawFlagRotateScale = 0x2000;

// Puts the draw state back at rest, as every draw that changed it leaves it.
inline void RestDrawState()
{
    drawFlags = 0;
    blendMode = 0;
    blendLevel = 255;
    spriteScaleX = spriteScaleY = 512;
    spriteAngle = 0;
}

// Float to integer, truncated toward zero; values past the i32 range (and NaN, as 0) are clamped,
// since such a conversion is undefined in C++.
inline i32 TruncateToI32(f64 value)
{
    if (!(value == value))
        return 0;
    if (value >= 2147483647.0)
        return 2147483647;
    if (value <= -2147483648.0)
        return -2147483647 - 1;
    return (i32)value;
}

// Prepares a transformed draw of an object: rotate/scale on (every other flag cleared), the scales
// and angle from the header, the given blend mode and the header's flash as the level. Any record
// with f32 scaleX, scaleY, rotation and a u8 flash will do.
template <typename Header>
void SetSpriteTransform(const Header* header, u8 mode)
{
    if (!header)
        return;
    drawFlags = drawFlagRotateScale;
    spriteScaleX = TruncateToI32((f64)header->scaleX * 512.0);
    spriteScaleY = TruncateToI32((f64)header->scaleY * 512.0);
    spriteAngle = TruncateToI32((f64)header->rotation);
    blendMode = mode;
    blendLevel = header->flash;
}
