// The current directory and bounded path formatting, as the sprite loader builds its file paths.
#pragma once

#include <cstddef>
#include <cstdint>

// Writes the process's current directory, with its terminating zero, into `buffer` of
// `bufferLength` characters and gives its length without the zero. When it does not fit, nothing
// is written and the length it needs, zero included, is given; 0 when the directory cannot be
// read or `buffer` is null.
std::uint32_t GetCurrentDirectoryA(std::uint32_t bufferLength, char* buffer);

// printf-style formatting into `buffer` of `size` characters (the Windows path formatting has no
// other conversions that the program uses). Gives the length written without the terminating
// zero, or -1 when the result, zero included, does not fit; `buffer` then holds an empty string.
int FormatToBuffer(char* buffer, std::size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
