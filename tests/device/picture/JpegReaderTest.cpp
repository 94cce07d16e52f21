// The JPEG reader on pictures compressed here with libjpeg.
#include "device/picture/JpegReader.h"
#include "JpegBuilder.h"
#include "PictureTestSupport.h"

#include <gtest/gtest.h>

namespace {

using picture::ReadJpeg;

// 32 x 16: the left half red, the right half blue.
Bytes RedBlue() {
    Bytes samples;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 32; ++x) {
            samples.insert(samples.end(), {static_cast<std::uint8_t>(x < 16 ? 255 : 0), 0,
                                           static_cast<std::uint8_t>(x < 16 ? 0 : 255)});
        }
    }
    return CompressJpeg(32, 16, false, samples, 95);
}

void ExpectNear(D3DCOLOR actual, D3DCOLOR expected, int tolerance) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int a = static_cast<int>((actual >> shift) & 0xFF);
        const int e = static_cast<int>((expected >> shift) & 0xFF);
        EXPECT_NEAR(a, e, tolerance) << std::hex << actual << " vs " << expected;
    }
}

TEST(JpegReaderTest, ColourPictureComesOutAsR8G8B8) {
    const auto p = ReadWith(ReadJpeg, RedBlue());
    ASSERT_TRUE(p);
    EXPECT_EQ(p->fileFormat, D3DXIFF_JPG);
    EXPECT_EQ(p->format, D3DFMT_R8G8B8);
    ASSERT_EQ(p->Width(), 32u);
    ASSERT_EQ(p->Height(), 16u);
    const std::vector<D3DCOLOR> argb = Argb(*p);
    // Probes away from the edge between the halves, where the compression smears.
    for (int y : {2, 8, 13}) {
        ExpectNear(argb[y * 32 + 4], 0xFFFF0000, 12);
        ExpectNear(argb[y * 32 + 27], 0xFF0000FF, 12);
    }
}

TEST(JpegReaderTest, GreyPictureComesOutAsL8) {
    const auto p = ReadWith(ReadJpeg, CompressJpeg(16, 16, true, Bytes(256, 100), 95));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->format, D3DFMT_L8);
    for (BYTE v : p->levels[0].bits) {
        EXPECT_NEAR(v, 100, 2);
    }
}

TEST(JpegReaderTest, FilesCutShortOrNotJpegAreRefused) {
    const Bytes whole = RedBlue();
    // The scan starts after the start-of-scan marker FF DA; cut just before it.
    std::size_t scan = 0;
    for (std::size_t i = 0; i + 1 < whole.size(); ++i) {
        if (whole[i] == 0xFF && whole[i + 1] == 0xDA) {
            scan = i;
            break;
        }
    }
    ASSERT_GT(scan, 0u);
    struct Case {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"half the file", Bytes(whole.begin(), whole.begin() + whole.size() / 2)},
        {"headers only", Bytes(whole.begin(), whole.begin() + scan)},
        {"no end-of-image marker", Bytes(whole.begin(), whole.end() - 2)},
        {"start-of-image only", Bytes{0xFF, 0xD8, 0xFF}},
        {"no start-of-image", Bytes(whole.begin() + 2, whole.end())},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(ReadWith(ReadJpeg, c.bytes)) << c.what;
    }
}

} // namespace
