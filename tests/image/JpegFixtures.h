// Hand-written JPEG files shared by the picture-reader tests.
#pragma once

#include <cstdint>
#include <vector>

// 16 × 16, three channels, baseline: four flat 8 × 8 units, level 128 throughout; the top-left
// unit has Cr + 64, the bottom-right unit Cb + 64, the other two are grey.
extern const std::vector<std::uint8_t> kJpeg;

// 8 × 8, one channel, level 128.
extern const std::vector<std::uint8_t> kGreyJpeg;
