// Reading JPEG files through the JPEG decoding layer.
#pragma once

#include "image/ImageBuffer.h"

#include <cstdint>
#include <memory>

// JPEG pictures with more pixels than this are refused before anything is allocated: unlike the
// other formats, a JPEG file's size does not bound its picture (a few bytes of coded data can
// describe a large flat picture).
constexpr std::uint64_t kMaxJpegPixels = std::uint64_t{1} << 26;

// A colour picture from a JPEG file with exactly 3 channels, decoded to red, green and blue with
// rows top-down: each pixel is red × 65536 + green × 256 + blue, alpha 0. Null when the file
// cannot be opened, the decoding layer reports a failure at any step (among them data that ends
// before the picture does), the picture has another channel count, or it has more than
// kMaxJpegPixels pixels.
std::unique_ptr<ImageBuffer> LoadJpg(const char* fileName);
