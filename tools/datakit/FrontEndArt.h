// What the disclaimer, title and credits stages load: the title picture (background, emblem and
// logo, each in its own palette), the disclaimer's text and the title music.
#pragma once
#include <string>

namespace datakit {

// "Data/Sprites/Display/Title/Title.man": animation 0 the logo's halves (palette 0), animation 1
// the background's halves (palette 1), animation 2 the emblem (palette 2). The halves are 211
// pixels apart, the background's left half at the screen origin.
bool WriteTitlePicture(const std::string& dir);

// The title picture, "Data/Text/English/WIP.btx" and "Data/Music/Title.ogg" (left out, with a note,
// where the kit has no Ogg encoder). False (after printing why) on a write failure.
bool WriteFrontEndData(const std::string& dir);

} // namespace datakit
