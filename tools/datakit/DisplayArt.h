// Art of the display types that frame the play.
#pragma once
#include <string>

namespace datakit {

// "Data/Sprites/Display/Fade/Fade.man" with its sheet: one 32 x 32 black picture whose top-left is
// its position, so that stretched 14 x 8 from the screen origin it covers a 424 x 240 screen.
// False (after printing why) on a write failure.
bool WriteFadeData(const std::string& dir);

} // namespace datakit
