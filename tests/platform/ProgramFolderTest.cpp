// The program's folder as its current directory.
#include "platform/ProgramFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

TEST(ProgramFolder, IsTheFolderHoldingThisTestProgram) {
    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(fs::is_regular_file(fs::path(folder) / "platform_tests"));
}

TEST(ProgramFolder, EnteringItWorksFromAnywhere) {
    const fs::path before = fs::current_path();
    ASSERT_EQ(chdir("/"), 0);
    const bool entered = EnterProgramFolder();
    const fs::path after = fs::current_path();
    fs::current_path(before);
    ASSERT_TRUE(entered);
    EXPECT_TRUE(fs::equivalent(after, ProgramFolder()));
    EXPECT_TRUE(fs::is_regular_file(after / "platform_tests"));
}

} // namespace
