// The current directory over POSIX getcwd, and bounded formatting over vsnprintf.
#include "platform/CurrentDirectory.h"

#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

std::uint32_t GetCurrentDirectoryA(std::uint32_t bufferLength, char* buffer) {
    if (!buffer) {
        return 0;
    }
    // getcwd cannot report the size it would need, so grow a buffer of our own until it fits.
    std::vector<char> path(256);
    while (!getcwd(path.data(), path.size())) {
        if (errno != ERANGE || path.size() > (1u << 20)) {
            return 0;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t length = std::strlen(path.data());
    if (length + 1 > bufferLength) {
        return static_cast<std::uint32_t>(length + 1);
    }
    std::memcpy(buffer, path.data(), length + 1);
    return static_cast<std::uint32_t>(length);
}

int FormatToBuffer(char* buffer, std::size_t size, const char* format, ...) {
    if (!buffer || size == 0) {
        return -1;
    }
    std::va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(buffer, size, format, args);
    va_end(args);
    if (written < 0 || static_cast<std::size_t>(written) >= size) {
        buffer[0] = '\0';
        return -1;
    }
    return written;
}
