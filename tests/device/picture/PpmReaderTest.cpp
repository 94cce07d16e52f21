// The PPM, PGM and PBM reader on hand-written files.
#include "device/picture/PpmReader.h"
#include "PictureTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using picture::ReadPpm;

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

TEST(PpmReaderTest, AsciiGreyScalesSamplesByMaxval) {
    // round(v · 255 / 10): 0, 3 -> 77 (76.5 rounds up), 5 -> 128 (127.5), 10 -> 255.
    const auto p =
        ReadWith(ReadPpm, Text("P2\n# a comment\n2 2 # after the height\n10\n0 3\n5 10\n"));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->fileFormat, D3DXIFF_PPM);
    EXPECT_EQ(p->format, D3DFMT_L8);
    EXPECT_EQ(p->levels[0].bits, (std::vector<BYTE>{0, 77, 128, 255}));
}

TEST(PpmReaderTest, BitmapsMakeOneBlackAndZeroWhite) {
    struct Case {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"P1", Text("P1 3 2\n1 0 1\n010")},
        {"P4",
         [] {
             Bytes b = Text("P4 3 2\n");
             b.insert(b.end(), {0xA0, 0x40}); // rows 101 and 010, padded to a byte
             return b;
         }()},
    };
    for (const Case& c : cases) {
        const auto p = ReadWith(ReadPpm, c.bytes);
        ASSERT_TRUE(p) << c.what;
        EXPECT_EQ(p->format, D3DFMT_L8);
        EXPECT_EQ(p->levels[0].bits, (std::vector<BYTE>{0, 255, 0, 255, 0, 255})) << c.what;
    }
}

TEST(PpmReaderTest, SixteenBitSamplesAreBigEndianAndScaled) {
    Bytes bytes = Text("P6 1 1 1000\n");
    // R = 1000, G = 500, B = 2: 255, round(127.5) = 128, round(0.51) = 1.
    bytes.insert(bytes.end(), {0x03, 0xE8, 0x01, 0xF4, 0x00, 0x02});
    const auto p = ReadWith(ReadPpm, bytes);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->format, D3DFMT_R8G8B8);
    EXPECT_EQ(Argb(*p), std::vector<D3DCOLOR>{0xFFFF8001});
}

TEST(PpmReaderTest, MalformedFilesAreRefused) {
    struct Case {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"sample above maxval (binary)",
         [] {
             Bytes b = Text("P5 1 1 100\n");
             b.push_back(101);
             return b;
         }()},
        {"sample above maxval (ASCII)", Text("P2 1 1 100\n101\n")},
        {"letter after the magic", Text("P6x 1 1 255\n\x01\x02\x03")},
        {"maxval 0", Text("P5 1 1 0\n")},
        {"maxval 65536", Text("P5 1 1 65536\n")},
        {"width beyond any picture", Text("P5 99999999999 1 255\n")},
        {"negative width", Text("P5 -1 1 255\n")},
        {"no white space before the samples", Text("P5 1 1 255")},
        {"too few ASCII samples", Text("P3 1 1 255\n1 2\n")},
        {"P7", Text("P7 1 1 255\n")},
        {"PBM digit other than 0 and 1", Text("P1 1 1\n2")},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(ReadWith(ReadPpm, c.bytes)) << c.what;
    }
}

} // namespace
