// CPU conversions for texture formats that OpenGL 3.3 cannot take as they are: A8R3G3B2 and, on
// drivers without S3TC, the DXT block formats. Everything is written as 32-bit 0xAARRGGBB pixels
// (bytes B, G, R, A in memory), the layout OpenGL uploads as GL_BGRA / GL_UNSIGNED_BYTE.
#pragma once

#include <cstdint>

// 3-bit and 2-bit channels widen by repeating their bits: v3 → (v << 5) | (v << 2) | (v >> 1),
// v2 → v · 85, which equals round(v · 255 / (2^bits − 1)) for every v.
std::uint8_t Widen3To8(unsigned v);
std::uint8_t Widen2To8(unsigned v);

// One row of `width` A8R3G3B2 texels (16 bits each: alpha in bits 15–8, red 7–5, green 4–2,
// blue 1–0) to 0xAARRGGBB.
void ExpandA8R3G3B2Row(const std::uint8_t* source, std::uint8_t* destination, int width);

enum class DxtKind : std::uint8_t {
    Dxt1, // colour block with one-bit alpha
    Dxt3, // explicit four-bit alpha, then a colour block (DXT2 too)
    Dxt5, // interpolated alpha, then a colour block (DXT4 too)
};

// Decodes a width × height level stored as 4×4 blocks, rows of blocks `sourcePitch` bytes apart
// (8 bytes a block for DXT1, 16 for the others). Texels of partial edge blocks beyond the level
// are dropped. Destination rows are destinationPitch bytes apart.
//
// Colour blocks hold c0, c1 as R5G6B5 (each channel widened by bit repetition) and 2-bit
// indices, texel (x, y) at bit 2 · (4y + x): index 0 → c0, 1 → c1; when c0 > c1 as numbers, or
// always outside DXT1, 2 → (2 c0 + c1 + 1) / 3 and 3 → (c0 + 2 c1 + 1) / 3 per channel;
// otherwise 2 → (c0 + c1) / 2 and 3 → transparent black (alpha 255 for every other index).
// DXT3 alpha: 4 bits a texel at bit 4 · (4y + x), widened as v · 17.
// DXT5 alpha: a0, a1 then 3-bit indices; index 0 → a0, 1 → a1; when a0 > a1, index i in 2..7 →
// ((8 − i) a0 + (i − 1) a1 + 3) / 7, else index i in 2..5 → ((6 − i) a0 + (i − 1) a1 + 2) / 5,
// 6 → 0 and 7 → 255.
void DecodeDxt(DxtKind kind, const std::uint8_t* source, int sourcePitch, int width, int height,
               std::uint8_t* destination, int destinationPitch);
