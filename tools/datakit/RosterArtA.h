// Grey-box data of Audrey (with its shot) and Draven: sprite sets, properties files and sounds under
// "Data/Sprites/Enemies/<folder>/" and "Data/SFX/Enemies/<folder>/", and their placement files.
#pragma once
#include <string>

#include "Engine/Common/Types.h"

namespace datakit {

// Audrey's position stands this far over its feet; the shot leaves its mouth from point 0.
constexpr f32 audreyFeet = 14.0f;

// Where they are placed (Audrey by its feet, Draven by its perch): clear of the scripted runs, which
// all go right from the start. Graveyard: Audrey behind the start; Draven over the first ramp, out
// of reach of a run that does not jump there. Test: both past the pit the scripted runs end at,
// Audrey under the sloped underside and Draven over the top of the run down from the hilltop.
// Only the player's own attack provokes Draven: each perch is low enough (its body within 58 px, a
// jump's height, plus the air swing's 22 px over the ground under it) for a jump attack to reach.
constexpr f32 graveyardAudreyX = 120.0f, graveyardAudreyFeetY = 1408.0f;
constexpr f32 graveyardDravenX = 1100.0f, graveyardDravenY = 1224.0f;
constexpr f32 testAudreyX = 1480.0f, testAudreyFeetY = 716.0f;
constexpr f32 testDravenX = 2100.0f, testDravenY = 500.0f;
// Village 1: Draven high over the first plank. The Bone Zone: Draven over the middle plank.
constexpr f32 villageDravenX = 1168.0f, villageDravenY = 580.0f;
constexpr f32 boneZoneDravenX = 608.0f, boneZoneDravenY = 1272.0f;

// Writes the files under dir/Data/. False (after printing why) on a write failure.
bool WriteRosterDataA(const std::string& dir);

} // namespace datakit
