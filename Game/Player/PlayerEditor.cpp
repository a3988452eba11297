// The placement mode: the player flies freely through the stage without collision and places
// objects of the placeable types. The dev menu's F key turns it on and off for player 1.
#include "Engine/Common/DevMenu.h"
#include "Engine/Platform/Controls.h"
#include "Game/Player/Player.h"

namespace {

constexpr u32 ButtonPlace = 0x20;

} // namespace

void PlayerStateEditor(PlayerRecord* player)
{
    ObjectHeader* header = player->header;
    const PlayerControls& controls = playerControls[player->player & (playerCount - 1)];
    const u32 held = controls.heldMask;
    const u32 pressed = controls.pressedMask;

    if (held & ButtonUp)
        header->vy -= player->accel;
    else if (held & ButtonDown)
        header->vy += player->accel;
    else
        header->vy = 0.0f;
    if (held & ButtonLeft)
        header->vx -= player->accel;
    else if (held & ButtonRight)
        header->vx += player->accel;
    else
        header->vx = 0.0f;

    if (pressed & ButtonAttack)
        player->editorType = player->editorType + 1 < placeableTypeCount ? player->editorType + 1 : 0;
    if (pressed & ButtonPlace) {
        if (held & ButtonAttack) {
            player->editorType = player->editorType > 0 ? player->editorType - 1
                                 : placeableTypeCount ? placeableTypeCount - 1
                                                      : 0;
        } else if (player->editorType < placeableTypeCount) {
            ObjectType* type = placeableTypes[player->editorType];
            if (type && type->EditorPlace)
                type->EditorPlace(player);
        }
    }

    header->x += header->vx;
    header->y += header->vy;
}

void SetPlayerEditing(PlayerRecord* player, u8 editing)
{
    if (!player || !player->header)
        return;
    player->editing = editing ? 1 : 0;
    player->header->vx = player->header->vy = 0.0f;
    player->header->groundSpeed = 0.0f;
    player->state = editing ? PlayerStateEditor : PlayerStateAir;
}

void TogglePlayerEditor()
{
    PlayerRecord* player = FirstPlayer();
    if (player)
        SetPlayerEditing(player, player->editing ? 0 : 1);
}
