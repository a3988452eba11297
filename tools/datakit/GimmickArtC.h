// The wagon's and the corn's grey-box data: their sprite sets and properties files under
// "Data/Sprites/Gimmicks/<Type>/", and where Village 1 places them.
#pragma once
#include <string>

#include "Engine/Common/Types.h"

namespace datakit {

// The wagon's wheels: their centres lie wagonWheelRadius over the ground they roll on.
constexpr i32 wagonWheelRadius = 12;
// Village 1: a wagon on the top of the first hill (ground 652, x 640-800), and a corn field at the
// foot of its far side (ground 716, stalks over x 1064-1176, short of the breakable wall): pushed
// off the top, the wagon rolls down through the corn.
constexpr f32 villageWagonX = 720.0f, villageWagonY = 596.0f;
constexpr f32 villageCornX = 1120.0f, villageCornY = 706.0f;
constexpr f32 villageGroundY = 716.0f;

// Writes the wagon's set (body, and hub, rim and spokes of each wheel) and properties.
bool WriteWagonData(const std::string& dir);
// Writes the corn's set and properties; the plant's frame carries plantPoints points (at most 8)
// where its stalks stand.
bool WriteCornData(const std::string& dir, int plantPoints = 8);
// Both sets and Village 1's placements of both.
bool WriteGimmickDataC(const std::string& dir);

} // namespace datakit
