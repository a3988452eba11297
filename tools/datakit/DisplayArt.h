// Art of the display types that frame the play.
#pragma once
#include <string>

namespace datakit {

// "Data/Sprites/Display/Fade/Fade.man" with its sheet: one 48 x 64 black picture whose top-left is
// its position, so that stretched 14 x 8 from the screen origin it covers the screen in every video
// mode, up to 640 x 480.
// False (after printing why) on a write failure.
bool WriteFadeData(const std::string& dir);

} // namespace datakit
