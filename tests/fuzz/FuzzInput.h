// What the fuzz entry functions share: handing an input to readers that open files by name, and
// checking what they give back.
#pragma once

#include <cstddef>
#include <cstdint>

struct ImageBuffer;

// The path of a file holding exactly `size` bytes of `data`: one file per process, rewritten on
// each call and removed at exit. Null when it cannot be written.
const char* WriteFuzzInput(const std::uint8_t* data, std::size_t size);

// Stops the process (a finding for the fuzzer) when `condition` is false.
void FuzzCheck(bool condition);

// Reads every byte of the picture's width × height × bytesPerPixel pixel array, so that the
// sanitizers see one that is too small. Nothing for null.
void TouchPixels(const ImageBuffer* image, std::size_t bytesPerPixel);
