// The picture readers over the conformance corpus: the BMP, TGA and JPEG variants they read
// decode to the listed size and pixels, everything else gives null, and nothing crashes.
#include "image/BmpReader.h"
#include "image/JpegReader.h"
#include "image/TgaReader.h"

#include "support/Corpus.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::uint32_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b.size() < at + 2 ? 0 : b[at] | b[at + 1] << 8;
}

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b.size() < at + 4 ? 0
                             : (b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// Uncompressed BMP of 1, 4, 8 or 24 bits, one plane, positive width and height, as the header
// fields at the offsets of the 40-byte information header say.
bool IsReadBmpVariant(const std::vector<std::uint8_t>& b) {
    const std::uint32_t bits = Le16(b, 28);
    return b.size() >= 54 && b[0] == 'B' && b[1] == 'M' && Le32(b, 30) == 0 && Le16(b, 26) <= 1 &&
           (bits == 1 || bits == 4 || bits == 8 || bits == 24) &&
           static_cast<std::int32_t>(Le32(b, 18)) > 0 && static_cast<std::int32_t>(Le32(b, 22)) > 0;
}

// Uncompressed true-colour TGA of 15, 16 or 32 bits.
bool IsReadTgaVariant(const std::vector<std::uint8_t>& b) {
    return b.size() >= 18 && b[2] == 2 && (b[16] == 15 || b[16] == 16 || b[16] == 32);
}

// The pixels as the hash defines them: alpha forced to 255 unless `keepAlpha`, rows flipped when
// `flip`.
std::string Hash(const ImageBuffer& image, bool keepAlpha, bool flip) {
    std::vector<std::uint32_t> pixels;
    for (std::uint32_t y = 0; y < image.height; ++y) {
        const std::uint32_t row = flip ? image.height - 1 - y : y;
        for (std::uint32_t x = 0; x < image.width; ++x) {
            const std::uint32_t p = image.ColorAt(std::size_t{row} * image.width + x);
            pixels.push_back(keepAlpha ? p : (p | 0xFF000000u));
        }
    }
    return HashArgbPixels(pixels.data(), static_cast<int>(image.width),
                          static_cast<int>(image.height));
}

std::string PathOf(const CorpusEntry& entry) {
    return CorpusDirectory() + "/" + entry.path;
}

struct Tally {
    int files = 0, decoded = 0, compared = 0, matched = 0, rejected = 0;
};

void Report(const char* format, const Tally& t) {
    std::cout << format << ": " << t.files << " files, " << t.decoded << " decoded, " << t.matched
              << " of " << t.compared << " compared match the listed pixels, " << t.rejected
              << " give null\n";
}

TEST(ImageCorpusTest, BmpVariantsDecodeToTheListedSizeAndPixels) {
    const std::vector<CorpusEntry> entries = LoadCorpus();
    ASSERT_FALSE(entries.empty()) << "corpus not found at " << CorpusDirectory();
    Tally t;
    for (const CorpusEntry& entry : entries) {
        if (entry.format != "bmp") {
            continue;
        }
        ++t.files;
        const std::vector<std::uint8_t> bytes = ReadCorpusFile(entry);
        const std::unique_ptr<ImageBuffer> image = LoadBmp(PathOf(entry).c_str());
        const bool read = IsReadBmpVariant(bytes) && entry.expect != "reject";
        if (!read) {
            EXPECT_EQ(image, nullptr) << entry.path;
            t.rejected += image == nullptr;
            continue;
        }
        ASSERT_NE(image, nullptr) << entry.path;
        ++t.decoded;
        EXPECT_EQ(image->width, static_cast<std::uint32_t>(entry.width)) << entry.path;
        EXPECT_EQ(image->height, static_cast<std::uint32_t>(entry.height)) << entry.path;
        // The palette is read at offset 54, where only the 40-byte information header puts it;
        // 24-bit files have no palette to misplace.
        const bool paletteInPlace = Le32(bytes, 14) == 40 || Le16(bytes, 28) == 24;
        if (paletteInPlace && !entry.hashes.empty()) {
            ++t.compared;
            const bool match = MatchesListedHash(entry, Hash(*image, false, false));
            EXPECT_TRUE(match) << entry.path;
            t.matched += match;
        }
    }
    Report("bmp", t);
    EXPECT_EQ(t.decoded, 34);
    EXPECT_EQ(t.matched, 25);
}

TEST(ImageCorpusTest, EightBitBmpVariantsDecodeAsAlphaMasksOfTheListedSize) {
    int masks = 0;
    for (const CorpusEntry& entry : LoadCorpus()) {
        if (entry.format != "bmp") {
            continue;
        }
        const std::vector<std::uint8_t> bytes = ReadCorpusFile(entry);
        const std::unique_ptr<ImageBuffer> mask = LoadAlphaBmp(PathOf(entry).c_str());
        if (!IsReadBmpVariant(bytes) || Le16(bytes, 28) != 8 || entry.expect == "reject") {
            EXPECT_EQ(mask, nullptr) << entry.path;
            continue;
        }
        ASSERT_NE(mask, nullptr) << entry.path;
        ++masks;
        EXPECT_EQ(mask->width, static_cast<std::uint32_t>(entry.width)) << entry.path;
        EXPECT_EQ(mask->height, static_cast<std::uint32_t>(entry.height)) << entry.path;
    }
    EXPECT_EQ(masks, 17);
}

TEST(ImageCorpusTest, TgaVariantsDecodeToTheListedSizeAndPixels) {
    Tally t;
    for (const CorpusEntry& entry : LoadCorpus()) {
        if (entry.format != "tga") {
            continue;
        }
        ++t.files;
        const std::vector<std::uint8_t> bytes = ReadCorpusFile(entry);
        const std::unique_ptr<ImageBuffer> image = LoadTga(PathOf(entry).c_str());
        if (!IsReadTgaVariant(bytes) || entry.expect == "reject") {
            EXPECT_EQ(image, nullptr) << entry.path;
            t.rejected += image == nullptr;
            continue;
        }
        ASSERT_NE(image, nullptr) << entry.path;
        ++t.decoded;
        EXPECT_EQ(image->width, static_cast<std::uint32_t>(entry.width)) << entry.path;
        EXPECT_EQ(image->height, static_cast<std::uint32_t>(entry.height)) << entry.path;
        // Rows are always taken bottom-up, so a top-left origin file (descriptor bit 5) comes out
        // upside down; 32-bit files keep their alpha, 16-bit ones have alpha 0.
        const bool topLeft = (bytes[17] & 0x20) != 0;
        const bool keepAlpha = bytes[16] == 32;
        ++t.compared;
        const bool match = MatchesListedHash(entry, Hash(*image, keepAlpha, topLeft));
        EXPECT_TRUE(match) << entry.path;
        t.matched += match;
    }
    Report("tga", t);
    EXPECT_EQ(t.decoded, 4);
}

TEST(ImageCorpusTest, ThreeChannelJpegDecodesToTheListedSizeAndPixels) {
    struct Case {
        const char* path;
        bool decodes;
    } cases[] = {
        {"jpeg/testorig.jpg", true},
        {"jpeg/testimgint.jpg", true},
        {"jpeg/testimgari.jpg", true}, // arithmetic coding, which the system libjpeg decodes
        {"jpeg/testorig_422_optimized.jpg", true},
        {"jpeg/testorig_444_restart.jpg", true},
        {"jpeg/testorig_progressive.jpg", true},
        {"jpeg/testorig_cmyk.jpg", false},             // 4 channels
        {"jpeg/testorig_gray.jpg", false},             // 1 channel
        {"jpeg/monkey12.jpg", false},                  // 12-bit samples
        {"jpeg/testorig_truncated_half.jpg", false},   // data ends before the picture
        {"jpeg/testorig_truncated_header.jpg", false}, // no scan
    };
    Tally t;
    const std::vector<CorpusEntry> entries = LoadCorpus();
    for (const CorpusEntry& entry : entries) {
        if (entry.format != "jpeg") {
            continue;
        }
        ++t.files;
        const Case* c = nullptr;
        for (const Case& candidate : cases) {
            if (entry.path == candidate.path) {
                c = &candidate;
            }
        }
        ASSERT_NE(c, nullptr) << "no expectation for " << entry.path;
        const std::unique_ptr<ImageBuffer> image = LoadJpg(PathOf(entry).c_str());
        if (!c->decodes) {
            EXPECT_EQ(image, nullptr) << entry.path;
            t.rejected += image == nullptr;
            continue;
        }
        ASSERT_NE(image, nullptr) << entry.path;
        ++t.decoded;
        EXPECT_EQ(image->width, static_cast<std::uint32_t>(entry.width)) << entry.path;
        EXPECT_EQ(image->height, static_cast<std::uint32_t>(entry.height)) << entry.path;
        ++t.compared;
        const bool match = MatchesListedHash(entry, Hash(*image, false, false));
        EXPECT_TRUE(match) << entry.path;
        t.matched += match;
    }
    Report("jpeg", t);
    EXPECT_EQ(t.files, static_cast<int>(std::size(cases)));
}

// Every reader over every corpus file, whatever its format. Whatever comes back has a pixel
// array of its full size (every byte is read here, which the sanitizer build checks), and a BMP
// or TGA picture never has more pixels than its file could describe at 1 bit a pixel.
TEST(ImageCorpusTest, EveryReaderSurvivesEveryCorpusFile) {
    struct Reader {
        const char* name;
        std::unique_ptr<ImageBuffer> (*load)(const char*);
        std::size_t bytesPerPixel;
        bool boundedByFile;
    } readers[] = {
        {"LoadBmp", LoadBmp, 4, true},
        {"LoadTga", LoadTga, 4, true},
        {"LoadJpg", LoadJpg, 4, false},
        {"LoadAlphaBmp", LoadAlphaBmp, 1, true},
    };
    int files = 0;
    for (const CorpusEntry& entry : LoadCorpus()) {
        const std::string path = PathOf(entry);
        const std::size_t fileBytes = ReadCorpusFile(entry).size();
        for (const Reader& reader : readers) {
            const std::unique_ptr<ImageBuffer> image = reader.load(path.c_str());
            if (!image) {
                continue;
            }
            const std::size_t pixels = std::size_t{image->width} * image->height;
            unsigned sum = 0;
            for (std::size_t i = 0; i < pixels * reader.bytesPerPixel; ++i) {
                sum += image->pixels[i];
            }
            EXPECT_LE(sum, 255u * pixels * reader.bytesPerPixel);
            if (reader.boundedByFile) {
                EXPECT_LE(pixels, fileBytes * 8) << reader.name << " " << entry.path;
            } else {
                EXPECT_LE(pixels, kMaxJpegPixels) << reader.name << " " << entry.path;
            }
        }
        ++files;
    }
    EXPECT_GT(files, 300);
}

} // namespace
