// The wagon's and the corn's grey-box data: their sprite sets and properties files under
// "Data/Sprites/Gimmicks/<Type>/", and where Village 1 places them.
#pragma once
#include <string>

#include "Engine/Common/Types.h"

namespace datakit {

// The wagon's wheels: their centres lie wagonWheelRadius over the ground they roll on.
constexpr i32 wagonWheelRadius = 12;
// Village 1: a wagon on the flat after the third hill (ground 716), and a corn field on the flat
// before the last hills; both east of the start and west of the boss arena (x 3968 on).
constexpr f32 villageWagonX = 2030.0f, villageWagonY = 660.0f;
constexpr f32 villageCornX = 3260.0f, villageCornY = 706.0f;
constexpr f32 villageGroundY = 716.0f;

// Writes the wagon's set (body, and hub, rim and spokes of each wheel) and properties.
bool WriteWagonData(const std::string& dir);
// Writes the corn's set and properties; the plant's frame carries plantPoints points (at most 8)
// where its stalks stand.
bool WriteCornData(const std::string& dir, int plantPoints = 8);
// Both sets and Village 1's placements of both.
bool WriteGimmickDataC(const std::string& dir);

} // namespace datakit
