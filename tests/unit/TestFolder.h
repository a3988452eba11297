// A fresh temporary folder named after the running test and the process, made the working
// directory (the engine opens its data files relative to it) and removed again when the test is
// done. The process id keeps two runs of the same test at once (two test commands on one machine)
// out of each other's folders.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tools/datakit/Bytes.h"

class TestFolder {
public:
    // Enters <temp>/<prefix><suite>-<test>-<process id>; the slashes of parameterised names become
    // dashes.
    void EnterTestFolder(const std::string& prefix)
    {
        home_ = std::filesystem::current_path();
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name =
            prefix + info->test_suite_name() + "-" + info->name() + "-" + std::to_string(getpid());
        for (char& c : name)
            if (c == '/')
                c = '-';
        folder_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        std::filesystem::current_path(folder_);
    }

    void LeaveTestFolder()
    {
        std::filesystem::current_path(home_);
        std::filesystem::remove_all(folder_);
    }

    // Writes a file through the data kit, making its folders.
    static void Write(const std::string& path, const std::vector<u8>& bytes)
    {
        ASSERT_TRUE(datakit::WriteFile(path, bytes)) << path;
    }

private:
    std::filesystem::path home_, folder_;
};
