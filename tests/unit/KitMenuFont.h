// The data kit's menu font, written into the working folder and loaded into menuFont the way the
// game loads it (spacing -4).
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Engine/Common/BitmapFont.h"
#include "tests/unit/TestFolder.h"
#include "tools/datakit/FontWriter.h"

inline void LoadKitMenuFont()
{
    std::vector<datakit::PackFile> fonts;
    std::string error;
    ASSERT_TRUE(datakit::MakeFontSet(datakit::MenuFontSpec(), &fonts, &error)) << error;
    for (const datakit::PackFile& file : fonts)
        TestFolder::Write(file.path, file.bytes);
    // A test that ran the game's set-up leaves this font marked loaded over sheets and palettes
    // that the shell's shutdown freed: start from none.
    menuFont = BitmapFont{};
    LoadBitmapFont(&menuFont, "Data/Sprites/Display/Title/MenuFont.man", -4);
    ASSERT_TRUE(menuFont.ready);
}
