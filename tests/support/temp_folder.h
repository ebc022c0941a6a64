// A fresh empty folder for one test, named after the test (and the run's
// random seed, so parallel runs do not meet), removed again afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace lumo::testing {

class TempFolder {
public:
    explicit TempFolder(const std::string& prefix)
        : path_(std::filesystem::temp_directory_path() /
                (prefix + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of `name` inside the folder.
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace lumo::testing
