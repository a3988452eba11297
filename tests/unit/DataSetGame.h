// The headless game started in a folder that holds the data kit's whole data set, built once for each
// suite that uses it (one folder a process: ctest runs suites side by side).
#pragma once
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/unit/HeadlessGame.h"
#include "tools/datakit/DataSet.h"

class DataSetGame : public HeadlessGame {
protected:
    inline static std::filesystem::path dataFolder;
    inline static bool dataBuilt;

    static void SetUpTestSuite()
    {
        dataFolder = std::filesystem::temp_directory_path() / ("palvic-data-set-" + std::to_string(getpid()));
        std::filesystem::remove_all(dataFolder);
        dataBuilt = datakit::BuildDataSet(dataFolder.string());
    }

    static void TearDownTestSuite() { std::filesystem::remove_all(dataFolder); }

    void SetUp() override
    {
        ASSERT_TRUE(dataBuilt);
        home_ = std::filesystem::current_path();
        std::filesystem::current_path(dataFolder);
        HeadlessGame::SetUp();
        StartGame();
    }

    void TearDown() override
    {
        HeadlessGame::TearDown();
        std::filesystem::current_path(home_);
    }

    std::filesystem::path home_;
};
