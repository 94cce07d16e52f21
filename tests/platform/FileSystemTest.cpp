// Tests of file opening: backslashes and case-insensitive resolution of names.
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A temporary tree; each file holds its own path relative to the root.
//   Data/Wood.JPG
//   Data/Textures/Stone.bmp
//   Data/Textures/Data        (a file named like the folder above it)
//   both/Foo.bmp, both/FOO.BMP, both/foo.BMP
//   Mixed/a.txt, mixed/b.txt  (two folders that differ only in case)
//   exact.txt, EXACT.TXT
//   café.txt                  (é is not an A-Z letter)
//   file/                     (a folder) and FILE (a file)
class FileSystemTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "demo-files-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        for (const char* folder : {"Data/Textures", "both", "Mixed", "mixed", "file"}) {
            fs::create_directories(root + "/" + folder);
        }
        for (const char* file : {"Data/Wood.JPG", "Data/Textures/Stone.bmp", "Data/Textures/Data",
                                 "both/Foo.bmp", "both/FOO.BMP", "both/foo.BMP", "Mixed/a.txt",
                                 "mixed/b.txt", "exact.txt", "EXACT.TXT", "café.txt", "FILE"}) {
            std::ofstream(root + "/" + file) << file;
        }
    }
    void TearDown() override { fs::remove_all(root); }

    // The content of the file OpenFile gives for `name`, or "(none)".
    static std::string ContentOf(const std::string& name) {
        std::FILE* file = OpenFile(name.c_str(), "rb");
        if (file == nullptr) {
            return "(none)";
        }
        char buffer[256];
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
        std::fclose(file);
        return std::string(buffer, got);
    }

    std::string root;
};

TEST_F(FileSystemTest, NamesResolveCaseInsensitivelyComponentByComponent) {
    struct Case {
        const char* name;
        const char* resolved; // relative to the root; null when nothing is found
    } cases[] = {
        {"Data/Wood.JPG", "Data/Wood.JPG"}, // exact
        {"data/wood.jpg", "Data/Wood.JPG"}, // case of folder and file
        {"DATA/WOOD.jpg", "Data/Wood.JPG"},
        {"data\\textures\\STONE.BMP", "Data/Textures/Stone.bmp"}, // backslashes
        {"Data\\Wood.JPG", "Data/Wood.JPG"},
        {"data/textures/data", "Data/Textures/Data"}, // a file named like a folder
        {"exact.txt", "exact.txt"},                   // exact wins over other cases
        {"EXACT.TXT", "EXACT.TXT"},
        {"Exact.Txt", "EXACT.TXT"},       // first by byte value
        {"both/foo.bmp", "both/FOO.BMP"}, // of FOO.BMP, Foo.bmp, foo.BMP
        {"MIXED/a.txt", "Mixed/a.txt"},   // Mixed sorts before mixed
        {"CAFé.TXT", "café.txt"},         // A-Z fold, é compared as is
        {"file/", "file/"},               // folders only match folders
        {"File/", "file/"},
        {"./data/../DATA/wood.jpg", "./Data/../Data/Wood.JPG"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResolvePath(root + "/" + c.name), root + "/" + c.resolved) << c.name;
    }
}

TEST_F(FileSystemTest, OpenFileOpensTheResolvedFile) {
    struct Case {
        const char* name;
        const char* content; // the file's own path, or "(none)"
    } cases[] = {
        {"data\\WOOD.JPG", "Data/Wood.JPG"},
        {"DATA/textures/stone.BMP", "Data/Textures/Stone.bmp"},
        {"BOTH\\Foo.Bmp", "both/FOO.BMP"},
        {"exact.txt", "exact.txt"},
        {"fILE", "FILE"},          // FILE sorts before the folder file
        {"mixed/A.TXT", "(none)"}, // the first matching folder is taken, with no retry
        {"mixed/b.txt", "mixed/b.txt"},
        {"CAFÉ.TXT", "(none)"}, // É and é differ
        {"missing.txt", "(none)"},
        {"data/missing/stone.bmp", "(none)"},
        {"Data/Wood.JPG/x", "(none)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ContentOf(root + "/" + c.name), c.content) << c.name;
    }
    EXPECT_EQ(OpenFile(nullptr, "rb"), nullptr);
    EXPECT_EQ(OpenFile((root + "/exact.txt").c_str(), nullptr), nullptr);
}

TEST_F(FileSystemTest, UnresolvedRestOfANameIsKeptAsWritten) {
    EXPECT_EQ(ResolvePath(root + "/data\\Missing/Stone.BMP"), root + "/Data/Missing/Stone.BMP");
    EXPECT_EQ(ResolvePath(""), "");
}

TEST_F(FileSystemTest, RelativeNamesResolveFromTheCurrentDirectory) {
    const fs::path previous = fs::current_path();
    fs::current_path(root);
    const std::string resolved = ResolvePath("DATA\\textures\\stone.bmp");
    const std::string content = ContentOf("data/wood.jpg");
    fs::current_path(previous);
    EXPECT_EQ(resolved, "Data/Textures/Stone.bmp");
    EXPECT_EQ(content, "Data/Wood.JPG");
}

TEST_F(FileSystemTest, WritingCreatesTheFileInTheResolvedFolder) {
    std::FILE* file = OpenFile((root + "/DATA\\new.txt").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    EXPECT_TRUE(fs::exists(root + "/Data/new.txt"));
}

TEST_F(FileSystemTest, ReadWholeFileGivesEveryByte) {
    std::vector<std::uint8_t> big(200000);
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<std::uint8_t>(i * 7);
    }
    {
        std::ofstream out(root + "/Data/big.bin", std::ios::binary);
        out.write(reinterpret_cast<const char*>(big.data()),
                  static_cast<std::streamsize>(big.size()));
    }
    EXPECT_EQ(ReadWholeFile((root + "/data/BIG.bin").c_str()), big);
    EXPECT_EQ(ReadWholeFile((root + "/both").c_str()), std::nullopt); // a folder
    EXPECT_EQ(ReadWholeFile((root + "/missing").c_str()), std::nullopt);
    const std::optional<std::vector<std::uint8_t>> viaFolder =
        ReadWholeFile((root + "/file/../FILE").c_str());
    ASSERT_TRUE(viaFolder.has_value());
    EXPECT_EQ(viaFolder->size(), 4u);
}

} // namespace
