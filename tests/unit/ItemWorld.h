// An item type with the player on a flat ground of the data kit's collision world: the item data
// written, the player's type loaded first (sound id 0 is the silent sound in the game), then the
// suite's item type, then the bonus text; and a frame as the stage runs it.
#pragma once
#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Game/Player/Player.h"
#include "Game/World/Bonus.h"
#include "tests/unit/PlayerWorld.h"
#include "tools/datakit/CollisionKit.h"
#include "tools/datakit/ItemArt.h"

class ItemWorld : public PlayerWorld {
protected:
    static constexpr f32 groundY = 192.0f;

    ItemWorld(const char* folderPrefix, void (*loadItem)(const char*))
        : PlayerWorld(folderPrefix), loadItem(loadItem)
    {
    }

    void SetUp() override
    {
        PlayerWorld::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(datakit::WriteItemData("."));
        bonusStagger = 0;
        LoadWorld(Flat(48, 16, (i32)groundY));
        if (HasFatalFailure())
            return;
        PlayerLoad(nullptr);
        loadItem(nullptr);
        BonusLoad(nullptr);
    }

    void TearDown() override
    {
        PlayerWorld::TearDown();
        bonusAnimSet = AnimSet{};
        bonusStagger = 0;
    }

    // A frame as the stage runs it: the update passes, the cameras, then the late updates and the
    // draw.
    static void Frame()
    {
        UpdateObjects();
        UpdateCameras();
        DrawScene();
    }

private:
    void (*loadItem)(const char*);
};
