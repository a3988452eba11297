// What the "Thanks For Playing!" stage loads: the breathing letters of the thanks picture, its text
// and the twinkling star the starfield is drawn from.
#pragma once
#include <string>

namespace datakit {

// The words of the thanks picture, one animation each, one frame a letter.
inline constexpr const char* thanksWords[] = {"THANKS", "FOR", "PLAYING!"};

// "Data/Sprites/Display/Thanks/Thanks.man" with its sheet: capitals rasterised from a bold DejaVu
// face, each frame's origin at the letter's centre so it breathes in place. False (after printing
// why) when the font cannot be read or a file cannot be written.
bool WriteThanksPicture(const std::string& dir);

// "Data/Text/English/ThanksForPlaying.btx".
bool WriteThanksText(const std::string& dir);

// Adds the star to the title picture written before: a sheet with its own palette (palette 3) and
// a twinkling animation (animation 3) appended to "Data/Sprites/Display/Title/Title.man". A set
// that already has a fourth animation is left as it is.
bool AddTitleStars(const std::string& dir);

// All three; runs after the title picture is written.
bool WriteThanksData(const std::string& dir);

} // namespace datakit
