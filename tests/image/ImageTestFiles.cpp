// Temporary fixture files for the picture-reader tests.
#include "ImageTestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "demo-image-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    path = pattern;
}

TempFolder::~TempFolder() {
    std::error_code error;
    std::filesystem::remove_all(path, error);
}

std::string TempFolder::Write(const std::string& name,
                              const std::vector<std::uint8_t>& bytes) const {
    const std::string file = path + "/" + name;
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (f == nullptr) {
        throw std::runtime_error("cannot write " + file);
    }
    const std::size_t written = std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    if (written != bytes.size()) {
        throw std::runtime_error("cannot write " + file);
    }
    return file;
}

std::vector<std::uint8_t> Patched(std::vector<std::uint8_t> bytes, std::size_t offset,
                                  std::initializer_list<std::uint8_t> replacement) {
    for (std::uint8_t b : replacement) {
        bytes.at(offset++) = b;
    }
    return bytes;
}

std::vector<std::uint8_t> Truncated(const std::vector<std::uint8_t>& bytes, std::size_t count) {
    return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count)};
}
