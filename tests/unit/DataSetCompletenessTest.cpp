// Every registered stage, visited in turn on the data kit's whole data set, loose and packed: no stage
// may ask for a file the data set lacks, nor show a box.
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "Engine/Common/DataPack.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/StageSwitch.h"
#include "tests/unit/DataSetGame.h"

namespace {

std::set<std::string> missingFiles;

void NoteMissing(const char* path)
{
    missingFiles.insert(path);
}

std::vector<Stage*> RegisteredStages()
{
    std::vector<Stage*> stages;
    for (u16 g = 0; g < stageGroupCount; ++g)
        for (u16 s = 0; s < stageGroups[g]->stageCount; ++s)
            stages.push_back(stageGroups[g]->stages[s]);
    return stages;
}

// The sheets the stage has loaded whose pattern is not the 32 x 32 grid of tiles 0-1023: the data
// set's pattern files carry the grid the engine would take without them.
std::string SheetsOffTheIdentityPattern()
{
    std::string text;
    for (u16 s = 0; s < tileSheetSlotCount; ++s) {
        const TileSheet* sheet = tileSheetSlots[s];
        if (!sheet)
            continue;
        bool identity = sheet->pattern && sheet->patternWidth == 32 && sheet->patternHeight == 32;
        for (u16 i = 0; identity && i < 1024; ++i)
            identity = sheet->pattern[i] == i;
        if (!identity)
            text += std::string("\n  ") + sheet->name;
    }
    return text;
}

std::string Listed(const std::set<std::string>& paths)
{
    std::string text;
    for (const std::string& path : paths)
        text += "\n  " + path;
    return text;
}

// Loose (false): the data set's folder with no pack open. Packed (true): a folder that holds only
// data.ch3, opened before the game's set-up as the shell does, so every file must be in the pack.
class DataSetCompletenessTest : public DataSetGame, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        missingFiles.clear();
        assetMissingHook = NoteMissing; // before the set-up, whose fonts count too
        ASSERT_TRUE(dataBuilt);
        home_ = std::filesystem::current_path();
        if (GetParam()) {
            packOnly_ = dataFolder.string() + "-pack";
            std::filesystem::remove_all(packOnly_);
            std::filesystem::create_directories(packOnly_);
            std::filesystem::copy_file(dataFolder / "data.ch3", packOnly_ / "data.ch3");
            std::filesystem::current_path(packOnly_);
        } else {
            std::filesystem::current_path(dataFolder);
        }
        HeadlessGame::SetUp();
        if (GetParam())
            ASSERT_NE(OpenDataPack(), 0u);
        else
            ASSERT_EQ(packAbsent, 1) << "no pack open: every file is read loose";
        StartGame();
    }

    void TearDown() override
    {
        DataSetGame::TearDown();
        CloseDataPack();
        assetMissingHook = nullptr;
        if (!packOnly_.empty())
            std::filesystem::remove_all(packOnly_);
    }

    std::filesystem::path packOnly_;
};

// Goes to every stage for two seconds; fails on what each one could not open or showed.
TEST_P(DataSetCompletenessTest, EveryStageFindsItsFilesAndShowsNoBox)
{
    EXPECT_EQ(Listed(missingFiles), "") << "files missing at start-up";
    const std::vector<Stage*> stages = RegisteredStages();
    EXPECT_EQ(stages.size(), 11u) << "six presentation stages and five gameplay stages";
    Stage* home = currentStage;
    for (Stage* stage : stages) {
        missingFiles.clear();
        headless::ClearShownBoxes();
        GoToStage(stage);
        for (int i = 0; i < 120; ++i)
            Tick();
        EXPECT_EQ(Listed(missingFiles), "") << stage->name << ": files it could not open";
        EXPECT_EQ(SheetsOffTheIdentityPattern(), "") << stage->name;
        for (const headless::ShownBox& box : headless::ShownBoxes())
            ADD_FAILURE() << stage->name << " showed \"" << box.caption << "\": " << box.text;
    }
    GoToStage(home);
}

INSTANTIATE_TEST_SUITE_P(LooseAndPacked, DataSetCompletenessTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Packed" : "Loose"; });

} // namespace
