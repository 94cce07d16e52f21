// The BMP and device-independent bitmap readers on hand-written files.
#include "device/picture/BmpReader.h"
#include "PictureTestSupport.h"
#include "device/picture/DibReader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using picture::ReadBmp;
using picture::ReadDib;

// 3 x 2, 24 bits, bottom-up, rows padded from 9 to 12 bytes.
const Bytes kRgb24 = {
    'B',
    'M',
    78,
    0,
    0,
    0, // file size
    0,
    0,
    0,
    0, // reserved
    54,
    0,
    0,
    0, // pixels at 54
    40,
    0,
    0,
    0, // info header size
    3,
    0,
    0,
    0, // width
    2,
    0,
    0,
    0, // height (positive: bottom row first)
    1,
    0,
    24,
    0, // planes, bits per pixel
    0,
    0,
    0,
    0, // BI_RGB
    0,
    0,
    0,
    0, // image size
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0, // density
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0, // colours used, important
    // bottom row, B G R: red, green, blue, padding
    0x00,
    0x00,
    0xFF,
    0x00,
    0xFF,
    0x00,
    0xFF,
    0x00,
    0x00,
    0,
    0,
    0,
    // top row: three greys, padding
    0x10,
    0x20,
    0x30,
    0x40,
    0x50,
    0x60,
    0x70,
    0x80,
    0x90,
    0,
    0,
    0,
};

const std::vector<D3DCOLOR> kRgb24Pixels = {
    0xFF302010, 0xFF605040, 0xFF908070, // top row
    0xFFFF0000, 0xFF00FF00, 0xFF0000FF, // bottom row
};

TEST(BmpReaderTest, TwentyFourBitRowsArePaddedAndStoredBottomUp) {
    const auto p = ReadWith(ReadBmp, kRgb24);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->fileFormat, D3DXIFF_BMP);
    EXPECT_EQ(p->format, D3DFMT_R8G8B8);
    EXPECT_EQ(p->Width(), 3u);
    EXPECT_EQ(p->Height(), 2u);
    EXPECT_EQ(Argb(*p), kRgb24Pixels);
}

TEST(BmpReaderTest, BitmapWithoutFileHeaderIsReadAsDeviceIndependentBitmap) {
    const Bytes dib(kRgb24.begin() + 14, kRgb24.end());
    EXPECT_FALSE(ReadWith(ReadBmp, dib));
    const auto p = ReadWith(ReadDib, dib);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->fileFormat, D3DXIFF_DIB);
    EXPECT_EQ(Argb(*p), kRgb24Pixels);

    // The chain gets there only after every other reader has refused it.
    picture::Picture chained;
    ASSERT_TRUE(picture::DecodePicture(dib.data(), dib.size(), chained));
    EXPECT_EQ(chained.fileFormat, D3DXIFF_DIB);
}

TEST(BmpReaderTest, DamagedHeadersAndShortFilesAreRefused) {
    struct Case {
        const char* what;
        std::size_t offset; // byte to change, or the new size when `truncate`
        std::uint8_t value;
        bool truncate;
    } cases[] = {
        {"two planes", 26, 2, false},
        {"width 0", 18, 0, false},
        {"info header of 66 bytes", 14, 66, false},
        {"info header of 8 bytes", 14, 8, false},
        {"7 bits per pixel", 28, 7, false},
        {"BI_JPEG compression", 30, 4, false},
        {"more palette entries than the file has bytes", 49, 1, false},
        {"last row one byte short", kRgb24.size() - 4, 0, true},
        {"no pixels at all", 54, 0, true},
        {"wrong magic", 1, 'A', false},
    };
    for (const Case& c : cases) {
        Bytes bytes = kRgb24;
        if (c.truncate) {
            bytes.resize(c.offset);
        } else {
            bytes[c.offset] = c.value;
        }
        EXPECT_FALSE(ReadWith(ReadBmp, bytes)) << c.what;
    }
}

// 2 x 2, 16 bits with 5-6-5 masks after a 40-byte header.
const Bytes kRgb565 = {
    'B',  'M',  74,   0,    0, 0, 0,    0,    0, 0, 66, 0, 0, 0, // file header, pixels at 66
    40,   0,    0,    0,    2, 0, 0,    0,    2, 0, 0,  0,       // header size, 2 x 2
    1,    0,    16,   0,    3, 0, 0,    0,                       // planes, 16 bits, BI_BITFIELDS
    0,    0,    0,    0,    0, 0, 0,    0,    0, 0, 0,  0, 0, 0,
    0,    0,    0,    0,    0, 0, 0x00, 0xF8, 0, 0, // red mask 0xF800
    0xE0, 0x07, 0,    0,                            // green mask 0x07E0
    0x1F, 0x00, 0,    0,                            // blue mask 0x001F
    0x00, 0xF8, 0xE0, 0x07,                         // bottom row: pure red, pure green
    0x1F, 0x00, 0x41, 0x08,                         // top row: pure blue, r=1 g=2 b=1
};

TEST(BmpReaderTest, SixteenBitsWithDeviceMasksKeepTheirFormat) {
    const auto p = ReadWith(ReadBmp, kRgb565);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->format, D3DFMT_R5G6B5);
    // 5- and 6-bit channels widen by repeating their bits: 1 -> 8, 2 (6 bits) -> 8.
    EXPECT_EQ(Argb(*p), (std::vector<D3DCOLOR>{0xFF0000FF, 0xFF080808, 0xFFFF0000, 0xFF00FF00}));
}

TEST(BmpReaderTest, MasksThatAreNotOneRunOrOverlapAreRefused) {
    Bytes split = kRgb565;
    split[54] = 0x0F; // red mask 0xF80F: two runs
    EXPECT_FALSE(ReadWith(ReadBmp, split));
    Bytes overlap = kRgb565;
    overlap[59] = 0xFF; // green mask 0xFFE0 overlaps red
    EXPECT_FALSE(ReadWith(ReadBmp, overlap));
}

TEST(BmpReaderTest, MasksWithoutDeviceFormatAreWidenedWithRounding) {
    // 1 x 1, 16 bits, masks R 0x000F, G 0x00F0, B 0x0F00: no device format has this order.
    const Bytes bytes = {
        'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 66, 0, 0, 0,               // file header
        40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 16, 0, 3, 0, 0, 0, // 1 x 1,
                                                                      // BI_BITFIELDS
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x0F, 0, 0, 0, 0xF0, 0, 0, 0,
        0x00, 0x0F, 0, 0, // masks
        0x08, 0x0F, 0, 0, // r=8 g=0 b=15, padding
    };
    const auto p = ReadWith(ReadBmp, bytes);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->format, D3DFMT_X8R8G8B8);
    // round(8 · 255 / 15) = 136
    EXPECT_EQ(Argb(*p), std::vector<D3DCOLOR>{0xFF8800FF});
}

TEST(BmpReaderTest, AlphaMaskInVersion3HeaderKeepsAlpha) {
    const Bytes bytes = {
        'B', 'M', 74, 0, 0, 0, 0, 0, 0, 0, 70, 0, 0, 0,               // file header, pixels at 70
        56, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 32, 0, 3, 0, 0, 0, // 56-byte
                                                                      // header
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0,
        0xFF, 0, 0, 0, 0, 0, 0, 0xFF, // masks R G B A
        0x20, 0x40, 0xFF, 0x80,       // B G R A
    };
    const auto p = ReadWith(ReadBmp, bytes);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(Argb(*p), std::vector<D3DCOLOR>{0x80FF4020});
}

TEST(BmpReaderTest, PaletteShorterThanItsBitsGivesBlackForMissingEntries) {
    // 3 x 1, 4 bits, two palette entries; the third pixel uses index 5.
    const Bytes bytes = {
        'B',  'M',  66,   0, 0,    0,    0,    0, 0, 0, 62, 0, 0, 0, // file header, pixels at 62
        40,   0,    0,    0, 3,    0,    0,    0, 1, 0, 0,  0, 1, 0,
        4,    0,    0,    0, 0,    0, // 3 x 1, 4 bits
        0,    0,    0,    0, 0,    0,    0,    0, 0, 0, 0,  0, 2, 0,
        0,    0,    0,    0, 0,    0,             // two colours used
        0x11, 0x22, 0x33, 0, 0xFF, 0xFF, 0xFF, 0, // palette B G R x
        0x01, 0x50, 0,    0,                      // indices 0, 1, 5, padding
    };
    const auto p = ReadWith(ReadBmp, bytes);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->format, D3DFMT_P8);
    ASSERT_EQ(p->palette.size(), 256u);
    EXPECT_EQ(Argb(*p), (std::vector<D3DCOLOR>{0xFF332211, 0xFFFFFFFF, 0xFF000000}));
}

TEST(BmpReaderTest, Os2HeaderHasThreeBytePaletteEntries) {
    const Bytes bytes = {
        'B', 'M', 36, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0, 0, // file header, pixels at 32
        12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 1, 0,            // 12-byte header: 2 x 1, 1 plane, 1
                                                        // bit
        0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00,             // palette B G R: red, blue
        0x80, 0, 0, 0,                                  // pixels 1, 0
    };
    const auto p = ReadWith(ReadBmp, bytes);
    ASSERT_TRUE(p);
    EXPECT_EQ(Argb(*p), (std::vector<D3DCOLOR>{0xFF0000FF, 0xFFFF0000}));
}

// 5 x 3, RLE8, four palette entries, pixels at 70.
const Bytes kRle8 = {
    'B', 'M', 90, 0, 0,    0, 0, 0, 0, 0,    70, 0, 0, 0, // file header
    40,  0,   0,  0, 5,    0, 0, 0, 3, 0,    0,  0, 1, 0, 8,    0,
    1,   0,   0,  0, // 5 x 3, 8 bits, BI_RLE8
    0,   0,   0,  0, 0,    0, 0, 0, 0, 0,    0,  0, 4, 0, 0,    0,
    0,   0,   0,  0,                                               // four colours used
    0,   0,   0,  0, 0xFF, 0, 0, 0, 0, 0xFF, 0,  0, 0, 0, 0xFF, 0, // black, blue, green, red
    2,   1,                                                        // 70: bottom row: two of index 1
    0,   3,   2,  3, 2, // 72: three literal pixels 2, 3, 2
    0,                  // 77: padding to an even count
    0,   0,             // 78: end of line
    1,   3,             // 80: middle row: one of index 3
    0,   2,   2,  1,    // 82: delta: 2 right, 1 up (skips the rest of this row and 3 of the next)
    2,   2,             // 86: top row: two of index 2
    0,   1,             // 88: end of bitmap
};

TEST(BmpReaderTest, RunLengthCodesFillPalettePictureAndSkippedPixelsAreIndexZero) {
    const auto p = ReadWith(ReadBmp, kRle8);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->format, D3DFMT_P8);
    const std::vector<BYTE> expected = {
        0, 0, 0, 2, 2, // top row
        3, 0, 0, 0, 0, // middle row
        1, 1, 2, 3, 2, // bottom row
    };
    EXPECT_EQ(p->levels[0].bits, expected);
}

TEST(BmpReaderTest, RunLengthCodesThatLeaveThePictureAreRefused) {
    struct Case {
        const char* what;
        std::size_t offset;
        std::uint8_t value;
    } cases[] = {
        {"run past the end of the row", 70, 6}, {"literal pixels past the end of the row", 73, 4},
        {"delta past the right edge", 84, 5},   {"delta past the top row", 85, 3},
        {"stored top-down", 25, 0xFF},
    };
    for (const Case& c : cases) {
        Bytes bytes = kRle8;
        bytes[c.offset] = c.value;
        if (c.offset == 25) {
            bytes[22] = 0xFD; // height -3
            bytes[23] = bytes[24] = 0xFF;
        }
        EXPECT_FALSE(ReadWith(ReadBmp, bytes)) << c.what;
    }
    Bytes cut = kRle8;
    cut.resize(86); // ends after the delta, before the top row is written
    EXPECT_FALSE(ReadWith(ReadBmp, cut)) << "codes end before the last row";
}

TEST(BmpReaderTest, Rle4AlternatesTheTwoIndicesOfARun) {
    // 5 x 1, RLE4: a run of 5 with indices 1 and 2, then end of bitmap.
    const Bytes bytes = {
        'B', 'M',  62, 0, 0, 0, 0, 0, 0, 0, 58, 0, 0, 0,                   // file header
        40,  0,    0,  0, 5, 0, 0, 0, 1, 0, 0,  0, 1, 0, 4, 0, 2, 0, 0, 0, // 5 x 1, 4 bits, BI_RLE4
        0,   0,    0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 1, 0, 0, 0, 0, 0, 0, 0, // one colour used
        0,   0,    0,  0,                                                  // palette
        5,   0x12, 0,  1,                                                  // run, end of bitmap
    };
    const auto p = ReadWith(ReadBmp, bytes);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->levels[0].bits, (std::vector<BYTE>{1, 2, 1, 2, 1}));
}

} // namespace
