// Hand-written JPEG files shared by the picture-reader tests.
#include "JpegFixtures.h"

#include <initializer_list>

namespace {

std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> all;
    for (const std::vector<std::uint8_t>& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// Quantisation table 0: every value 8, so a DC coefficient c shifts its 8 × 8 block by c.
const std::vector<std::uint8_t> kQuantisation = Concat({
    {0xFF, 0xDB, 0x00, 0x43, // quantisation table, 67 bytes
     0x00},                  // 8-bit values, table 0
    std::vector<std::uint8_t>(64, 8),
});

// DC table 0: code 00 = difference 0, code 01 = a difference of 7 bits (64..127 or -127..-64).
// AC table 0: code 0 = end of block. Every block is flat.
const std::vector<std::uint8_t> kHuffman = {
    0xFF, 0xC4, 0x00, 0x15,                                     // Huffman table, 21 bytes
    0x00,                                                       // DC table 0
    0,    2,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, // two codes of 2 bits
    0x00, 0x07,                                                 // their symbols (difference sizes)
    0xFF, 0xC4, 0x00, 0x14,                                     // Huffman table, 20 bytes
    0x10,                                                       // AC table 0
    1,    0,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, // one code of 1 bit
    0x00,                                                       // its symbol: end of block
};

} // namespace

// 16 × 16, three components sampled 1 × 1 (luminance and two chrominance channels), four 8 × 8
// units left to right, top to bottom. Luminance stays 0 (level 128); Cr of the top-left unit is
// +64 and Cb of the bottom-right unit is +64; the rest is grey.
const std::vector<std::uint8_t> kJpeg = Concat({
    {0xFF, 0xD8}, // start of image
    kQuantisation,
    {
        0xFF, 0xC0, 0x00, 0x11, // baseline frame, 17 bytes
        8,                      // sample precision
        0x00, 0x10,             // height 16
        0x00, 0x10,             // width 16
        3,                      // components
        1,    0x11, 0,          // Y: sampling 1 × 1, quantisation table 0
        2,    0x11, 0,          // Cb
        3,    0x11, 0,          // Cr
    },
    kHuffman,
    {
        0xFF, 0xDA, 0x00, 0x0C,       // start of scan, 12 bytes
        3, 1, 0x00, 2, 0x00, 3, 0x00, // components with DC and AC tables 0
        0, 63, 0,                     // spectral selection, approximation
        // unit 1: Y 00 0, Cb 00 0, Cr 01 1000000 0 (+64)  -> 0000 0001 1000 0000
        0x01, 0x80,
        // unit 2: Y 00 0, Cb 00 0, Cr 01 0111111 0 (-64) -> 0000 0001 0111 1110
        0x01, 0x7E,
        // unit 3: all 00 0; unit 4: Y 00 0, Cb 01 1000000 0 (+64), Cr 00 0; seven 1s of padding
        0x00, 0x06, 0x00, 0x7F, 0xFF, 0xD9, // end of image
    },
});

// 8 × 8, one component, level 128.
const std::vector<std::uint8_t> kGreyJpeg = Concat({
    {0xFF, 0xD8},
    kQuantisation,
    {
        0xFF, 0xC0, 0x00, 0x0B, // baseline frame, 11 bytes
        8, 0x00, 0x08, 0x00, 0x08,
        1,          // one component
        1, 0x11, 0, //
    },
    kHuffman,
    {
        0xFF, 0xDA, 0x00, 0x08, // start of scan, 8 bytes
        1, 1, 0x00, 0, 63, 0,   //
        0x1F,                   // Y 00 0, five 1s of padding
        0xFF, 0xD9,             //
    },
});
