// Fuzz inputs written to a file, and checks of decoded pictures.
#include "FuzzInput.h"

#include "image/ImageBuffer.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

std::string& InputPath() {
    static std::string path;
    return path;
}

void RemoveInput() {
    std::error_code error;
    std::filesystem::remove(InputPath(), error);
}

} // namespace

const char* WriteFuzzInput(const std::uint8_t* data, std::size_t size) {
    std::string& path = InputPath();
    if (path.empty()) {
        std::error_code error;
        // Memory-backed where the system has it: the file is rewritten for every input.
        std::filesystem::path folder = "/dev/shm";
        if (!std::filesystem::is_directory(folder, error)) {
            folder = std::filesystem::temp_directory_path(error);
        }
        path = (folder / ("demo-fuzz-" + std::to_string(getpid()) + ".bin")).string();
        std::atexit(RemoveInput);
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return nullptr;
    }
    const std::size_t written = size == 0 ? 0 : std::fwrite(data, 1, size, file);
    if (std::fclose(file) != 0 || written != size) {
        return nullptr;
    }
    return path.c_str();
}

void FuzzCheck(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void TouchPixels(const ImageBuffer* image, std::size_t bytesPerPixel) {
    if (image == nullptr) {
        return;
    }
    FuzzCheck(image->pixels != nullptr);
    const std::size_t bytes = std::size_t{image->width} * image->height * bytesPerPixel;
    unsigned sum = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
        sum += image->pixels[i];
    }
    // Keeps the reads from being optimised away.
    volatile unsigned sink = sum;
    (void)sink;
}
