// The PNG reader on small files built chunk by chunk.
#include "device/picture/PngReader.h"
#include "PictureTestSupport.h"
#include "PngBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using picture::ReadPng;

using namespace png_builder;

Bytes Gama(std::uint32_t gammaTimes100000) {
    Bytes data;
    PutBe32(data, gammaTimes100000);
    return Chunk("gAMA", data);
}

TEST(PngReaderTest, StatedGammaIsCorrectedForDisplayGammaOnlyWhenAsked) {
    const Bytes samples = {0, 64, 128, 255};
    struct Case {
        std::uint32_t gamma; // gAMA × 100000
        double exponent;     // sample' = 255 · (sample / 255)^exponent
    } cases[] = {
        {100000, 1.0 / 2.2}, // linear samples, brightened for the display
        {45455, 1.0},        // already encoded for a 2.2 display: unchanged
    };
    for (const Case& c : cases) {
        const Bytes file =
            Png(Ihdr(4, 1, 8, kGrey), {Gama(c.gamma), Chunk("IDAT", Idat({samples}))});
        const auto stored = ReadWith(ReadPng, file, picture::ReadOptions{.applyGamma = false});
        const auto corrected = ReadWith(ReadPng, file, picture::ReadOptions{.applyGamma = true});
        ASSERT_TRUE(stored);
        ASSERT_TRUE(corrected);
        EXPECT_EQ(corrected->format, D3DFMT_X8R8G8B8);
        const std::vector<D3DCOLOR> s = Argb(*stored);
        const std::vector<D3DCOLOR> g = Argb(*corrected);
        for (int i = 0; i < 4; ++i) {
            const int v = samples[i];
            EXPECT_EQ(s[i], 0xFF000000u | (v << 16) | (v << 8) | v);
            const double expected = 255.0 * std::pow(v / 255.0, c.exponent);
            EXPECT_NEAR(static_cast<double>(g[i] & 0xFF), expected, 1.0) << c.gamma << " " << v;
            EXPECT_EQ(g[i] >> 24, 0xFFu);
            EXPECT_EQ((g[i] >> 16) & 0xFF, g[i] & 0xFF);
        }
    }
}

TEST(PngReaderTest, TransparencyChunkBecomesAlpha) {
    // Palette of three colours; tRNS gives the first two alphas, the third stays opaque.
    const Bytes palette = Png(Ihdr(3, 1, 8, kPalette),
                              {Chunk("PLTE", {0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF}),
                               Chunk("tRNS", {0x00, 0x80}), Chunk("IDAT", Idat({{0, 1, 2}}))});
    // Grey with a key: samples equal to 0x10 are transparent.
    const Bytes key = Png(Ihdr(2, 1, 8, kGrey),
                          {Chunk("tRNS", {0x00, 0x10}), Chunk("IDAT", Idat({{0x10, 0x20}}))});
    struct Case {
        const char* what;
        const Bytes* file;
        std::vector<D3DCOLOR> argb;
    } cases[] = {
        {"palette", &palette, {0x00FF0000, 0x8000FF00, 0xFF0000FF}},
        {"grey key", &key, {0x00101010, 0xFF202020}},
    };
    for (const Case& c : cases) {
        const auto p = ReadWith(ReadPng, *c.file);
        ASSERT_TRUE(p) << c.what;
        EXPECT_EQ(p->fileFormat, D3DXIFF_PNG);
        EXPECT_EQ(p->format, D3DFMT_A8R8G8B8) << c.what;
        EXPECT_EQ(Argb(*p), c.argb) << c.what;
    }
}

TEST(PngReaderTest, SixteenBitSamplesAreRoundedNotTruncated) {
    // R 0x01FF -> round(511 · 255 / 65535) = 2 (its high byte is 1); G 0xFF00 -> 254 (high
    // byte 255); B 0x8000 -> 128.
    const Bytes file =
        Png(Ihdr(1, 1, 16, kRgb), {Chunk("IDAT", Idat({{0x01, 0xFF, 0xFF, 0x00, 0x80, 0x00}}))});
    const auto p = ReadWith(ReadPng, file);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(Argb(*p), std::vector<D3DCOLOR>{0xFF02FE80});
}

TEST(PngReaderTest, DamagedFilesAreRefused) {
    const Bytes idat = Chunk("IDAT", Idat({{1, 2, 3, 4, 5, 6, 7, 8}, {8, 7, 6, 5, 4, 3, 2, 1}}));
    const Bytes good = Png(Ihdr(8, 2, 8, kGrey), {idat});
    ASSERT_TRUE(ReadWith(ReadPng, good));

    Bytes cutInData = good;
    cutInData.resize(8 + 25 + idat.size() / 2);
    Bytes badCrc = good;
    badCrc[8 + 25 + idat.size() - 1] ^= 1; // last byte of the IDAT CRC
    Bytes noEnd = good;
    noEnd.resize(good.size() - 12);
    const Bytes depth3 = Png(Ihdr(8, 2, 3, kGrey), {idat});
    const Bytes noData = Png(Ihdr(8, 2, 8, kGrey), {});
    const Bytes tooFewRows = Png(Ihdr(8, 3, 8, kGrey), {idat});
    // 4000 x 4000 RGBA is 64 MB of samples; 18 bytes of image data inflate to 19 KB at most.
    const Bytes tooBig = Png(Ihdr(4000, 4000, 8, kRgba), {Chunk("IDAT", Idat({Bytes(16, 0)}))});
    struct Case {
        const char* what;
        const Bytes* file;
    } cases[] = {
        {"cut inside the image data", &cutInData},
        {"image data CRC wrong", &badCrc},
        {"no IEND", &noEnd},
        {"bit depth 3", &depth3},
        {"no image data", &noData},
        {"fewer rows than the header says", &tooFewRows},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(ReadWith(ReadPng, *c.file)) << c.what;
    }
}

} // namespace
