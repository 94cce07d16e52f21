// Helpers of the picture-reader tests: a temporary folder for fixture files and byte edits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path; }
    // Writes `bytes` to the file `name` in the folder and gives its full path.
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;

private:
    std::string path;
};

// `bytes` with the bytes from `offset` on replaced by `replacement`.
std::vector<std::uint8_t> Patched(std::vector<std::uint8_t> bytes, std::size_t offset,
                                  std::initializer_list<std::uint8_t> replacement);

// The first `count` bytes of `bytes`.
std::vector<std::uint8_t> Truncated(const std::vector<std::uint8_t>& bytes, std::size_t count);
