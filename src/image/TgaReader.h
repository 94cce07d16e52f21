// Reading uncompressed true-colour TGA files.
#pragma once

#include "image/ImageBuffer.h"

#include <memory>

// A colour picture from a TGA file of image type 2 (uncompressed true colour) with 15, 16 or 32
// bits a pixel; null when the file cannot be opened, is shorter than its 18-byte header or than
// the pixels its header promises, or has another image type or depth.
// - The pixels start at offset 18: the identification field and colour map are not skipped.
// - Rows are always taken as stored bottom-up, whatever the descriptor says, so a top-left
//   origin file comes out upside down.
// - 15 and 16 bits: the 5-bit fields of bits 10-14, 5-9 and 0-4 become the top five bits of red,
//   green and blue (low three bits 0); bit 15 is dropped and alpha is 0.
// - 32 bits: blue, green, red, alpha, kept as they are.
std::unique_ptr<ImageBuffer> LoadTga(const char* fileName);
