// Every use count the stages touch, by name, and the difference between two takes: a stage that
// gives back all it took leaves the same counts behind it as before it loaded. Shared by the stage
// tests and the soak.
#pragma once
#include <map>
#include <string>

#include "Engine/Common/Anim.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Sheets.h"
#include "Engine/Common/Sound.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Actors/Effects.h"
#include "Game/Display/Card.h"
#include "Game/Display/Hud.h"
#include "Game/Display/PauseMenu.h"
#include "Game/Display/ThanksPicture.h"
#include "Game/Display/TitleMenu.h"
#include "Game/Display/TitlePicture.h"
#include "Game/Enemies/Audrey.h"
#include "Game/Enemies/AudreyShot.h"
#include "Game/Enemies/BasicEnemy.h"
#include "Game/Enemies/Byu.h"
#include "Game/Enemies/CandleHead.h"
#include "Game/Enemies/Draven.h"
#include "Game/Enemies/Froacker.h"
#include "Game/Enemies/HaystackKing.h"
#include "Game/Enemies/Orb.h"
#include "Game/Enemies/Projectile.h"
#include "Game/Enemies/YardSlayer.h"
#include "Game/Player/Player.h"
#include "Game/Stages/ThanksStage.h"
#include "Game/Whip/Whip.h"
#include "Game/World/Bonus.h"
#include "Game/World/BreakWall.h"
#include "Game/World/Checkpoint.h"
#include "Game/World/Collect.h"
#include "Game/World/Corn.h"
#include "Game/World/ParaSprite.h"
#include "Game/World/Platform.h"
#include "Game/World/Signs.h"
#include "Game/World/Wagon.h"

struct UseCounts {
    std::map<std::string, u32> counts;
    bool operator==(const UseCounts&) const = default;
};

inline UseCounts TakeUseCounts()
{
    UseCounts use;
    for (u32 i = 0; i < soundSlotCount; ++i)
        if (soundSlots[i])
            use.counts[std::string("sound ") + (soundSlots[i]->name ? soundSlots[i]->name : "?")] = soundSlots[i]->useCount;
    for (u32 i = 0; i < musicSlotCount; ++i)
        if (musicSlots[i])
            use.counts[std::string("music ") + (musicSlots[i]->name ? musicSlots[i]->name : "?")] = musicSlots[i]->useCount;
    for (u32 i = 0; i < layoutSlotCount; ++i)
        if (layoutSlots[i])
            use.counts[std::string("layout ") + layoutSlots[i]->name] = layoutSlots[i]->useCount;
    for (u32 i = 0; i < sheetSlotCount; ++i)
        if (sheetSlots[i])
            use.counts[std::string("sheet ") + (sheetSlots[i]->name ? sheetSlots[i]->name : "?")] = sheetSlots[i]->useCount;
    // Palettes have no name, and a layout read afresh at a restart takes the lowest free slot:
    // they are counted by how many have each use count.
    for (u32 i = 0; i < paletteSlotCount; ++i)
        if (paletteSlots[i])
            ++use.counts["palettes used " + std::to_string(paletteSlots[i]->useCount) + " times"];
    for (u32 i = 0; objectTypes && i < objectTypeCapacity; ++i)
        if (objectTypes[i])
            use.counts["type " + std::to_string(i)] = objectTypes[i]->loadCount;
    static const struct {
        const char* name;
        const AnimSet* set;
    } animSets[] = {
        {"hazardAnimSet", &hazardAnimSet},
        {"explosionAnimSet", &explosionAnimSet},
        {"fxAnimSet", &fxAnimSet},
        {"gibletsAnimSet", &gibletsAnimSet},
        {"cardAnimSet", &cardAnimSet},
        {"hudAnimSet", &hudAnimSet},
        {"pauseMenuAnimSet", &pauseMenuAnimSet},
        {"thanksScreenAnimSet", &thanksScreenAnimSet},
        {"titleMenuAnimSet", &titleMenuAnimSet},
        {"titleScreenAnimSet", &titleScreenAnimSet},
        {"audreyAnimSet", &audreyAnimSet},
        {"audreyShotAnimSet", &audreyShotAnimSet},
        {"basicEnemyAnimSet", &basicEnemyAnimSet},
        {"byuAnimSet", &byuAnimSet},
        {"candleHeadAnimSet", &candleHeadAnimSet},
        {"dravenAnimSet", &dravenAnimSet},
        {"froackerAnimSet", &froackerAnimSet},
        {"haystackKingAnimSet", &haystackKingAnimSet},
        {"orbAnimSet", &orbAnimSet},
        {"projectileAnimSet", &projectileAnimSet},
        {"yardSlayerAnimSet", &yardSlayerAnimSet},
        {"playerAnimSet", &playerAnimSet},
        {"starSet", &starSet},
        {"whipAnimSet", &whipAnimSet},
        {"bonusAnimSet", &bonusAnimSet},
        {"breakWallAnimSet", &breakWallAnimSet},
        {"checkpointAnimSet", &checkpointAnimSet},
        {"collectAnimSet", &collectAnimSet},
        {"cornAnimSet", &cornAnimSet},
        {"paraSpriteAnimSet", &paraSpriteAnimSet},
        {"platformAnimSet", &platformAnimSet},
        {"tutorialAnimSet", &tutorialAnimSet},
        {"wagonAnimSet", &wagonAnimSet},
    };
    for (const auto& entry : animSets)
        use.counts[std::string("anim ") + entry.name] = entry.set->useCount;
    static const struct {
        const char* name;
        const ActorProperties* properties;
    } properties[] = {
        {"audreyProperties", &audreyProperties},
        {"audreyShotProperties", &audreyShotProperties},
        {"basicEnemyProperties", &basicEnemyProperties},
        {"byuProperties", &byuProperties},
        {"candleHeadProperties", &candleHeadProperties},
        {"dravenProperties", &dravenProperties},
        {"froackerPurpleProperties", &froackerPurpleProperties},
        {"froackerRedProperties", &froackerRedProperties},
        {"froackerBlueProperties", &froackerBlueProperties},
        {"froackerYellowProperties", &froackerYellowProperties},
        {"haystackKingProperties", &haystackKingProperties},
        {"orbProperties", &orbProperties},
        {"projectileProperties", &projectileProperties},
        {"yardSlayerProperties", &yardSlayerProperties},
        {"playerProperties", &playerProperties},
        {"whipProperties", &whipProperties},
        {"breakWallProperties", &breakWallProperties},
        {"cornProperties", &cornProperties},
        {"wagonProperties", &wagonProperties},
    };
    for (const auto& entry : properties)
        use.counts[std::string("properties ") + entry.name] = (u32)entry.properties->useCount;
    return use;
}

// One line for each count that differs, is gone or is new; empty when the takes are equal.
inline std::string DescribeDifference(const UseCounts& a, const UseCounts& b)
{
    std::string text;
    for (const auto& [name, count] : a.counts) {
        auto other = b.counts.find(name);
        if (other == b.counts.end())
            text += name + ": " + std::to_string(count) + " then gone\n";
        else if (other->second != count)
            text += name + ": " + std::to_string(count) + " then " + std::to_string(other->second) + "\n";
    }
    for (const auto& [name, count] : b.counts)
        if (!a.counts.count(name))
            text += name + ": new with " + std::to_string(count) + "\n";
    return text;
}
