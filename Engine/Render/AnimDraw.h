// Drawing an object's current animation frame.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/Camera.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"

// Draws the current frame of `player` at the object's position (x and y truncated toward zero)
// less the global scroll, through the sprite slot of the header's flips. Nothing is drawn without a
// player or header, or while the player is not playing. The draw state is left alone, so a
// SetSpriteTransform or a palette chosen before applies. Any header record with f32 x, y and u8
// flipX, flipY will do.
template <typename Header>
void DrawAnimFrame(const AnimPlayer* player, const Header* header)
{
    if (!player || !header || !player->playing || !player->animation || !player->animation->frames)
        return;
    const Animation& animation = *player->animation;
    // An animation of no frames keeps one blank frame; an index past the frames names nothing.
    if (player->frameIndex >= (animation.frameCount ? animation.frameCount : 1))
        return;
    const DrawSpriteFunction draw =
        header->flipX ? (header->flipY ? rendererSlots.DrawSpriteFlipXY : rendererSlots.DrawSpriteFlipX)
                      : (header->flipY ? rendererSlots.DrawSpriteFlipY : rendererSlots.DrawSprite);
    if (!draw)
        return;
    draw(&animation.frames[player->frameIndex].image, scrollX, scrollY, TruncateToI32(header->x),
         TruncateToI32(header->y));
}
