// Art of the two splash stages: the studio logo with its static frame and glow overlays, and the
// engine's rolling emblem with its pieces and final picture. The splashes load no sounds or music.
#pragma once
#include <string>

namespace datakit {

// "Data/Sprites/Splash/Orlenvast/Orlenvast.man": animation 0 frame 0 the studio logo (centred on
// its position), frame 1 the frame around the static; animation 1 frames 0 and 1 the left and right
// halves of the glow (palette 1), each drawn from its top-left corner. Palette 0 has the static's
// colour at 63. The logo is 146 x 140 unless a test asks for another size (at most 255 x 255).
bool WriteStudioSplashData(const std::string& dir, int logoWidth = 146, int logoHeight = 140);

// "Data/Sprites/Splash/PalvicSplash/PalvicSplash.man": animation 0 frame 0 the hexagonal emblem
// (80 x 69, centred), frame 1 its final picture with the engine's name beside it; animation 1
// frames 0-3 the pieces (a spark, then the chevrons below, left and above).
bool WriteEngineSplashData(const std::string& dir);

// Both. False (after printing why) on a write failure or a missing system font.
bool WriteSplashData(const std::string& dir);

} // namespace datakit
