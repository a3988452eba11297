// The companions of the sprite-manifest targets: a 64 x 32 sheet and a two-colour raw palette that
// the manifests under test may name, made once and served from memory.
#pragma once
#include <string>

#include "fuzz/FuzzMemory.h"
#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/TgaWriter.h"

// FOLDER/sheet.tga (pixel i of index i % colours) and FOLDER/extra.pal.
inline void ServeFuzzSheet(const std::string& folder, u8 colours)
{
    datakit::TgaImage sheet;
    sheet.width = 64;
    sheet.height = 32;
    for (u32 i = 0; i < 64u * 32u; ++i)
        sheet.pixels.push_back((u8)(i % colours));
    sheet.colours.assign(colours, datakit::Rgb{1, 2, 3});
    ServeFuzzCompanion((folder + "/sheet.tga").c_str(), datakit::MakeTga(sheet));
    ServeFuzzCompanion((folder + "/extra.pal").c_str(), datakit::MakeRawPalette({{1, 2, 3}, {4, 5, 6}}));
}
