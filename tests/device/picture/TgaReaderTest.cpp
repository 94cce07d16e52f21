// The TGA reader on hand-written files.
#include "device/picture/TgaReader.h"
#include "PictureTestSupport.h"

#include <gtest/gtest.h>

namespace {

using picture::ReadTga;

// 2 x 2 true colour, 24 bits, origin bottom right: rows bottom-up, pixels right to left.
const Bytes kRightToLeft = {
    0,    0,    2,                      // no ID, no colour map, true colour
    0,    0,    0,    0,    0,          // colour map: first, length, entry bits
    0,    0,    0,    0,                // screen origin
    2,    0,    2,    0,                // 2 x 2
    24,   0x10,                         // 24 bits, right to left
    0x01, 0x02, 0x03, 0x04, 0x05, 0x06, // bottom row, right pixel first (B G R)
    0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, // top row, right pixel first
};

TEST(TgaReaderTest, RightToLeftBottomUpOriginIsTurnedToTopLeft) {
    const auto p = ReadWith(ReadTga, kRightToLeft);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->fileFormat, D3DXIFF_TGA);
    EXPECT_EQ(p->format, D3DFMT_R8G8B8);
    EXPECT_EQ(Argb(*p), (std::vector<D3DCOLOR>{0xFF0C0B0A, 0xFF090807, 0xFF060504, 0xFF030201}));
}

TEST(TgaReaderTest, AttributeBitsDecideWhetherTheFormatHasAlpha) {
    struct Case {
        std::uint8_t depth;
        std::uint8_t descriptor; // top-left origin plus the count of alpha bits
        Bytes pixels;
        D3DFORMAT format;
        std::vector<D3DCOLOR> argb;
    } cases[] = {
        // 16 bits: 0xFC00 is attribute 1 with full red, 0x001F attribute 0 with full blue.
        {16, 0x21, {0x00, 0xFC, 0x1F, 0x00}, D3DFMT_A1R5G5B5, {0xFFFF0000, 0x000000FF}},
        {16, 0x20, {0x00, 0xFC, 0x1F, 0x00}, D3DFMT_X1R5G5B5, {0xFFFF0000, 0xFF0000FF}},
        {32, 0x28, {0x10, 0x20, 0x30, 0x40, 1, 2, 3, 0}, D3DFMT_A8R8G8B8, {0x40302010, 0x00030201}},
        {32, 0x20, {0x10, 0x20, 0x30, 0x40, 1, 2, 3, 0}, D3DFMT_X8R8G8B8, {0xFF302010, 0xFF030201}},
    };
    for (const Case& c : cases) {
        Bytes bytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, c.depth, c.descriptor};
        bytes.insert(bytes.end(), c.pixels.begin(), c.pixels.end());
        const auto p = ReadWith(ReadTga, bytes);
        ASSERT_TRUE(p) << int{c.depth} << " " << int{c.descriptor};
        EXPECT_EQ(p->format, c.format);
        EXPECT_EQ(Argb(*p), c.argb);
    }
}

// 3 x 1 run-length colour-mapped: a map of two 16-bit entries starting at index 1.
const Bytes kMappedRle = {
    0,    1,    9,        // no ID, colour map, run-length colour-mapped
    1,    0,    2, 0, 16, // map starts at index 1, 2 entries of 16 bits
    0,    0,    0, 0,     // screen origin
    3,    0,    1, 0,     // 3 x 1
    8,    0x20,           // 8-bit indices, top-left
    0x00, 0x7C,           // entry 1: red (A1R5G5B5)
    0xE0, 0x03,           // entry 2: green
    0x81, 1,              // run packet: 2 pixels of index 1
    0x00, 2,              // raw packet: 1 pixel, index 2
};

TEST(TgaReaderTest, ColourMapEntriesStartAtTheFirstIndexGiven) {
    const auto p = ReadWith(ReadTga, kMappedRle);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->format, D3DFMT_P8);
    EXPECT_EQ(Argb(*p), (std::vector<D3DCOLOR>{0xFFFF0000, 0xFFFF0000, 0xFF00FF00}));
    EXPECT_EQ(p->palette[0], 0xFF000000u);
}

TEST(TgaReaderTest, InvalidHeadersAndShortDataAreRefused) {
    struct Case {
        const char* what;
        const Bytes* base;
        std::size_t offset;
        std::uint8_t value;
    } cases[] = {
        {"image type 0 (no picture)", &kRightToLeft, 2, 0},
        {"image type 32", &kRightToLeft, 2, 32},
        {"colour map type 2", &kRightToLeft, 1, 2},
        {"interleaved rows", &kRightToLeft, 17, 0x50},
        {"8-bit true colour", &kRightToLeft, 16, 8},
        {"width 0", &kRightToLeft, 12, 0},
        {"colour-mapped without a colour map", &kMappedRle, 1, 0},
        {"colour map entries of 12 bits", &kMappedRle, 7, 12},
    };
    for (const Case& c : cases) {
        Bytes bytes = *c.base;
        bytes[c.offset] = c.value;
        EXPECT_FALSE(ReadWith(ReadTga, bytes)) << c.what;
    }
    Bytes shortRaw = kRightToLeft;
    shortRaw.pop_back();
    EXPECT_FALSE(ReadWith(ReadTga, shortRaw)) << "raw pixels one byte short";
    Bytes shortRle = kMappedRle;
    shortRle.pop_back();
    EXPECT_FALSE(ReadWith(ReadTga, shortRle)) << "run-length packets end early";
}

TEST(TgaReaderTest, SizeTheDataCannotHoldIsRefused) {
    struct Case {
        std::uint8_t type;
        std::uint16_t width;
        std::uint16_t height;
    } cases[] = {
        {2, 65535, 65535}, // beyond the largest picture taken
        {2, 4000, 4000},   // allowed size, but 48 MB of pixels in a 24-byte file
        {10, 4000, 4000},  // run-length: needs at least 125,000 packets
    };
    for (const Case& c : cases) {
        Bytes bytes = {0, 0, c.type, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        PutLe16(bytes, c.width);
        PutLe16(bytes, c.height);
        bytes.insert(bytes.end(), {24, 0x20, 0xFF, 1, 2, 3});
        EXPECT_FALSE(ReadWith(ReadTga, bytes)) << c.width << "x" << c.height;
    }
}

} // namespace
