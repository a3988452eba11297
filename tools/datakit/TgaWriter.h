// The TGA writer: 8-bit colour-mapped images as the engine reads them.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "Engine/Common/Types.h"

namespace datakit {

typedef std::array<u8, 3> Rgb; // red, green, blue

struct TgaImage {
    u16 width = 0;
    u16 height = 0;
    std::vector<u8> pixels;  // width x height palette indices, rows top to bottom
    std::vector<Rgb> colours; // the colour map, written from entry firstEntry on
};

// The canonical form is the default: type 1, 24-bit entries, rows stored top first, colour map from
// entry 0, no image ID. The other accepted forms: type 9 (run-length packets, raw and repeated,
// that may cross rows but never the image's end), 16- and 32-bit entries (16 bits keep the top five
// bits of each channel), rows stored bottom first, a colour map starting past entry 0, an image ID.
struct TgaOptions {
    u8 type = 1;
    u8 entryBits = 24;
    bool topFirst = true;
    u16 firstEntry = 0;
    std::string id;
};

std::vector<u8> MakeTga(const TgaImage& image, const TgaOptions& options = {});

} // namespace datakit
