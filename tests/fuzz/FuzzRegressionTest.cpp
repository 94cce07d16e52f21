// Replays every input kept in tests/fuzz/regressions/<target>/ through the target's entry
// function, and a few degenerate inputs through every target.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#ifndef DEMO_FUZZ_REGRESSIONS
#error "DEMO_FUZZ_REGRESSIONS must name the folder of kept inputs"
#endif

// The entry functions of the targets the build lists (generated from tests/fuzz/CMakeLists.txt).
#define DEMO_FUZZ_TARGET(name, entry) int entry(const std::uint8_t* data, std::size_t size);
#include "FuzzTargets.inc"
#undef DEMO_FUZZ_TARGET

namespace {

namespace fs = std::filesystem;

struct FuzzTarget {
    const char* name;
    int (*entry)(const std::uint8_t* data, std::size_t size);
};

const FuzzTarget kFuzzTargets[] = {
#define DEMO_FUZZ_TARGET(name, entry) {#name, entry},
#include "FuzzTargets.inc"
#undef DEMO_FUZZ_TARGET
};

void PrintTo(const FuzzTarget& target, std::ostream* out) {
    *out << target.name;
}

std::vector<fs::path> KeptInputs(const std::string& target) {
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::directory_iterator it(fs::path(DEMO_FUZZ_REGRESSIONS) / target, error);
         !error && it != fs::directory_iterator(); it.increment(error)) {
        if (it->is_regular_file()) {
            files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class FuzzRegressionTest : public testing::TestWithParam<FuzzTarget> {};

TEST_P(FuzzRegressionTest, EveryKeptInputReplaysCleanly) {
    for (const fs::path& path : KeptInputs(GetParam().name)) {
        const std::vector<std::uint8_t> bytes = ReadBytes(path);
        EXPECT_EQ(GetParam().entry(bytes.data(), bytes.size()), 0) << path;
    }
}

TEST_P(FuzzRegressionTest, DegenerateInputsReplayCleanly) {
    const std::vector<std::vector<std::uint8_t>> inputs = {
        {},
        {0},
        std::vector<std::uint8_t>(64, 0x00),
        std::vector<std::uint8_t>(64, 0xFF),
        {'B', 'M'},
        {0xFF, 0xD8, 0xFF},
    };
    for (const std::vector<std::uint8_t>& input : inputs) {
        EXPECT_EQ(GetParam().entry(input.data(), input.size()), 0) << input.size() << " bytes";
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzRegressionTest, testing::ValuesIn(kFuzzTargets),
                         [](const testing::TestParamInfo<FuzzTarget>& info) {
                             return std::string(info.param.name);
                         });

// A folder of kept inputs whose name is no target's would never be replayed.
TEST(FuzzRegressionFoldersTest, EveryFolderBelongsToATarget) {
    std::error_code error;
    for (fs::directory_iterator it(DEMO_FUZZ_REGRESSIONS, error);
         !error && it != fs::directory_iterator(); it.increment(error)) {
        if (!it->is_directory()) {
            continue;
        }
        const std::string name = it->path().filename().string();
        const bool known = std::any_of(std::begin(kFuzzTargets), std::end(kFuzzTargets),
                                       [&](const FuzzTarget& t) { return name == t.name; });
        EXPECT_TRUE(known) << "regressions/" << name << " belongs to no fuzz target";
    }
}

} // namespace
