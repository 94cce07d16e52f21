// Reading uncompressed BMP files: colour pictures and 8-bit alpha masks.
#pragma once

#include "image/ImageBuffer.h"

#include <memory>

// A colour picture from a BMP file of 1, 4, 8 or 24 bits a pixel with the 54-byte file and
// information header, uncompressed, rows stored bottom-up; null when the file cannot be opened
// or read whole, or is none of these.
// - The palette (1, 4 and 8 bits) is always 2^bits entries read from offset 54, whatever the
//   header's sizes and colour counts say; each entry's four bytes (blue, green, red, fourth)
//   read little-endian are the pixel, so palette pixels carry the fourth byte as alpha. Palette
//   bytes past the end of the file read as 0.
// - 24-bit pixels are red × 65536 + green × 256 + blue, alpha 0.
// - Rows start at the header's pixel data offset, each padded to a multiple of 4 bytes; packed
//   pixels come most significant bits first, and bits beyond the width are ignored.
// Also null: a negative width or height (top-down rows are not read), and pixel rows that the
// file does not hold whole.
std::unique_ptr<ImageBuffer> LoadBmp(const char* fileName);

// An alpha mask from an 8-bit BMP file (the same header checks as LoadBmp): the pixel bytes
// themselves are the alpha values and no palette is read. Null where LoadBmp would be, and for
// any other bit count.
std::unique_ptr<ImageBuffer> LoadAlphaBmp(const char* fileName);
