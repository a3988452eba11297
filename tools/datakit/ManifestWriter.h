// The sprite manifest writer (".man") and raw palette files.
#pragma once
#include <string>
#include <vector>

#include "Engine/Common/Types.h"
#include "tools/datakit/TgaWriter.h"

namespace datakit {

struct ManSheet {
    std::string name;     // a TGA in the manifest's folder
    bool hasPalette = false;
    u8 colourCount = 0;   // colours of the sheet's map that make the set's palette
};

struct ManBox {
    u8 width = 0, height = 0, x = 0, y = 0;
};

struct ManPoint {
    i8 x = 0, y = 0;
};

struct ManHit {
    u16 hitSet = 0;
    i8 dx = 0, dy = 0;
};

struct ManFrame {
    u8 sheetIndex = 0;
    u16 srcX = 0, srcY = 0;
    u8 width = 0, height = 0;
    i8 offsetX = 0, offsetY = 0;
    u16 duration = 0;
    std::vector<ManPoint> points;
    u16 boxIndex = 0;
    std::vector<ManHit> hits;
};

struct ManAnimation {
    u16 speed = 1;
    i8 playMode = 0;
    i8 loopFrame = 0;
    std::vector<ManFrame> frames;
};

struct Manifest {
    std::vector<ManSheet> sheets;
    std::vector<std::string> extraPalettes; // raw palette files in the manifest's folder
    std::vector<ManBox> boxes;
    std::vector<std::vector<ManBox>> hitSets;
    std::vector<ManAnimation> animations;
};

std::vector<u8> MakeManifest(const Manifest& manifest);

// Colour triples red, green, blue.
std::vector<u8> MakeRawPalette(const std::vector<Rgb>& colours);

} // namespace datakit
