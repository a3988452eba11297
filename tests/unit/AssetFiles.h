// A fixture for the file and asset tests: a fresh temporary folder as the working directory (data
// files are opened relative to it), the headless backend's box log cleared, no pack open, no
// stage current; and everything loaded freed again afterwards.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Engine/Common/Anim.h"
#include "Engine/Common/DataPack.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Sheets.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Headless/Headless.h"
#include "tests/unit/TestFolder.h"
#include "tools/datakit/Bytes.h"
#include "tools/datakit/PackWriter.h"

class AssetFiles : public ::testing::Test, protected TestFolder {
protected:
    void SetUp() override
    {
        headless::Reset();
        CloseDataPack();
        currentStage = previousStage = nullptr;
        forceFree = 0;
        EnterTestFolder("palvic-");
    }

    void TearDown() override
    {
        CloseDataPack();
        FreeSheetSlots();
        FreePaletteSlots();
        currentStage = previousStage = nullptr;
        forceFree = 0;
        LeaveTestFolder();
    }

    static void WriteText(const std::string& path, const std::string& text)
    {
        Write(path, std::vector<u8>(text.begin(), text.end()));
    }

    // Writes data.ch3 from the files and opens it.
    static void WritePack(const std::vector<datakit::PackFile>& files, datakit::PackLayout* layout = nullptr)
    {
        std::vector<u8> pack;
        std::string error;
        ASSERT_TRUE(datakit::MakePack(files, &pack, &error, datakit::defaultPackSeed, layout)) << error;
        Write("data.ch3", pack);
        ASSERT_NE(OpenDataPack(), 0u);
    }

    // The texts of the "Palvic Error" boxes shown so far.
    static std::vector<std::string> ErrorBoxes()
    {
        std::vector<std::string> texts;
        for (const headless::ShownBox& box : headless::ShownBoxes())
            if (box.caption == "Palvic Error")
                texts.push_back(box.text);
        return texts;
    }

    static std::vector<u8> Bytes(const std::string& text) { return std::vector<u8>(text.begin(), text.end()); }
};
