// The placement mode's state function on a player record of its own: the selection steps and
// wraps, placing runs the chosen type's EditorPlace, an empty list places nothing, the flight
// builds speed while held and stops on release, and both buttons together leave the selection.
#include <gtest/gtest.h>

#include "Engine/Common/DevMenu.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Platform/Controls.h"
#include "Game/Player/Player.h"

namespace {

constexpr u32 ButtonPlace = 0x20;

int placedA, placedB;
void PlaceA(void*) { ++placedA; }
void PlaceB(void*) { ++placedB; }

class PlacementModeTest : public ::testing::Test {
protected:
    ObjectHeader header{};
    PlayerRecord player{};
    ObjectType typeA{}, typeB{};
    ObjectType* savedTypes[128]{};
    u32 savedCount = 0;
    PlayerControls savedControls{};

    void SetUp() override
    {
        for (int i = 0; i < 128; ++i)
            savedTypes[i] = placeableTypes[i];
        savedCount = placeableTypeCount;
        savedControls = playerControls[0];
        placeableTypeCount = 0;
        typeA.EditorPlace = PlaceA;
        typeB.EditorPlace = PlaceB;
        placedA = placedB = 0;
        player.header = &header;
        player.accel = 0.15625f;
        header.x = 100.0f;
        header.y = 50.0f;
    }

    void TearDown() override
    {
        for (int i = 0; i < 128; ++i)
            placeableTypes[i] = savedTypes[i];
        placeableTypeCount = savedCount;
        playerControls[0] = savedControls;
    }

    void UseTypes(std::initializer_list<ObjectType*> types)
    {
        placeableTypeCount = 0;
        for (ObjectType* t : types)
            placeableTypes[placeableTypeCount++] = t;
    }

    void Tick(u32 held, u32 pressed)
    {
        playerControls[0].heldMask = held;
        playerControls[0].pressedMask = pressed;
        PlayerStateEditor(&player);
    }
};

TEST_F(PlacementModeTest, AnEmptyListStepsToZeroAndPlacesNothing)
{
    player.editorType = 3;
    Tick(ButtonAttack, ButtonAttack);
    EXPECT_EQ(player.editorType, 0u);
    Tick(0, ButtonPlace);
    Tick(ButtonAttack, ButtonPlace); // back from 0 in an empty list
    EXPECT_LT(player.editorType, 1u);
    Tick(0, ButtonPlace);
    EXPECT_EQ(placedA + placedB, 0);
}

TEST_F(PlacementModeTest, StepsWrapBothWaysAndPlaceTheSelectedType)
{
    UseTypes({&typeA, &typeB});
    Tick(0, ButtonPlace);
    EXPECT_EQ(placedA, 1);
    Tick(ButtonAttack, ButtonAttack);
    EXPECT_EQ(player.editorType, 1u);
    Tick(0, ButtonPlace);
    EXPECT_EQ(placedB, 1);
    Tick(ButtonAttack, ButtonAttack); // past the last: back to 0
    EXPECT_EQ(player.editorType, 0u);
    Tick(ButtonAttack, ButtonPlace); // back from 0: the last
    EXPECT_EQ(player.editorType, 1u);
    EXPECT_EQ(placedA, 1);
    EXPECT_EQ(placedB, 1);
    // An index past the list (the list shrank) places nothing.
    player.editorType = 5;
    Tick(0, ButtonPlace);
    EXPECT_EQ(placedA + placedB, 2);
}

TEST_F(PlacementModeTest, BothButtonsTogetherLeaveTheSelectionAndPlaceNothing)
{
    UseTypes({&typeA, &typeB, &typeA});
    for (u32 start = 0; start < 3; ++start) {
        player.editorType = start;
        Tick(ButtonAttack, ButtonAttack | ButtonPlace);
        EXPECT_EQ(player.editorType, start);
    }
    EXPECT_EQ(placedA + placedB, 0);
}

TEST_F(PlacementModeTest, SpeedBuildsWhileHeldAndStopsOnRelease)
{
    struct Case {
        u32 held;
        f32 dirX, dirY;
    };
    const Case cases[] = {{ButtonRight, 1, 0}, {ButtonLeft, -1, 0}, {ButtonDown, 0, 1}, {ButtonUp, 0, -1},
                          {ButtonUp | ButtonDown, 0, -1}, {ButtonLeft | ButtonRight, -1, 0}};
    for (const Case& c : cases) {
        header.x = 100.0f;
        header.y = 50.0f;
        header.vx = header.vy = 0.0f;
        for (int tick = 1; tick <= 3; ++tick) {
            Tick(c.held, 0);
            EXPECT_FLOAT_EQ(header.vx, c.dirX * 0.15625f * tick) << c.held;
            EXPECT_FLOAT_EQ(header.vy, c.dirY * 0.15625f * tick) << c.held;
        }
        // 1 + 2 + 3 steps of speed.
        EXPECT_FLOAT_EQ(header.x, 100.0f + c.dirX * 0.15625f * 6);
        EXPECT_FLOAT_EQ(header.y, 50.0f + c.dirY * 0.15625f * 6);
        Tick(0, 0);
        EXPECT_EQ(header.vx, 0.0f);
        EXPECT_EQ(header.vy, 0.0f);
    }
}

TEST_F(PlacementModeTest, EnteringAndLeavingSwapsTheState)
{
    header.vx = 3.0f;
    SetPlayerEditing(&player, 1);
    EXPECT_EQ(player.editing, 1);
    EXPECT_EQ(player.state, PlayerStateEditor);
    EXPECT_EQ(header.vx, 0.0f);
    SetPlayerEditing(&player, 0);
    EXPECT_EQ(player.editing, 0);
    EXPECT_EQ(player.state, PlayerStateAir);
}

} // namespace
