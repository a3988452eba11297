// Art of the HUD, the title card and the pause menu.
#pragma once
#include <string>

namespace datakit {

// The title card's words by animation (1 on; animation 0 holds the two bars).
extern const char* const cardWords[8];

// "Data/Sprites/Display/HUD/HUD.man" (bone bar, hearts, bone unit, digits, the "SCORE" label, the
// lives banner), "Data/Sprites/Display/Card/Card.man" (bars and the words' letters) and
// "Data/Sprites/Display/Pause/Pause.man" (the title menu's cursor), with their sheets. The results
// card draws with the menu font and has no art of its own. False (after printing why) when a font
// cannot be read or a file cannot be written.
bool WriteHudData(const std::string& dir);

} // namespace datakit
