// The picture readers over the conformance corpus: every file is decoded or refused as listed.
#include "device/picture/Picture.h"
#include "device/picture/PixelCodec.h"
#include "support/Corpus.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

const std::map<std::string, D3DXIMAGE_FILEFORMAT> kFileFormats = {
    {"bmp", D3DXIFF_BMP}, {"jpeg", D3DXIFF_JPG}, {"tga", D3DXIFF_TGA},
    {"png", D3DXIFF_PNG}, {"dds", D3DXIFF_DDS},  {"ppm", D3DXIFF_PPM},
};

// Samples as stored: the listed hashes apply no gamma.
const picture::ReadOptions kAsStored{.applyGamma = false};

struct Outcome {
    bool decoded = false;
    picture::Picture picture;
    std::string hash;
};

Outcome Decode(const CorpusEntry& entry, const picture::ReadOptions& options = kAsStored) {
    Outcome outcome;
    const std::vector<std::uint8_t> bytes = ReadCorpusFile(entry);
    EXPECT_FALSE(bytes.empty()) << entry.path;
    outcome.decoded = picture::DecodePicture(bytes.data(), bytes.size(), outcome.picture, options);
    if (outcome.decoded) {
        const std::vector<D3DCOLOR> argb = picture::LevelToArgb(outcome.picture, 0);
        outcome.hash = HashArgbPixels(argb.data(), static_cast<int>(outcome.picture.Width()),
                                      static_cast<int>(outcome.picture.Height()));
    }
    return outcome;
}

std::vector<CorpusEntry> Entries(const std::string& expect) {
    std::vector<CorpusEntry> selected;
    for (const CorpusEntry& entry : LoadCorpus()) {
        if (entry.expect == expect) {
            selected.push_back(entry);
        }
    }
    return selected;
}

TEST(PictureCorpusTest, DecodeFilesGiveListedSizeFormatAndPixels) {
    const std::vector<CorpusEntry> entries = Entries("decode");
    ASSERT_FALSE(entries.empty()) << "corpus not found at " << CorpusDirectory();
    int matched = 0;
    for (const CorpusEntry& entry : entries) {
        SCOPED_TRACE(entry.path);
        const Outcome o = Decode(entry);
        ASSERT_TRUE(o.decoded);
        EXPECT_EQ(o.picture.fileFormat, kFileFormats.at(entry.format));
        EXPECT_EQ(o.picture.Width(), static_cast<UINT>(entry.width));
        EXPECT_EQ(o.picture.Height(), static_cast<UINT>(entry.height));
        EXPECT_TRUE(MatchesListedHash(entry, o.hash)) << o.hash;
        matched += MatchesListedHash(entry, o.hash) ? 1 : 0;
    }
    std::printf("decode: %d files, %d match a listed hash\n", static_cast<int>(entries.size()),
                matched);
}

TEST(PictureCorpusTest, EitherFilesDecodeToListedSizeOrAreRefused) {
    const std::vector<CorpusEntry> entries = Entries("either");
    ASSERT_FALSE(entries.empty()) << "corpus not found at " << CorpusDirectory();
    int decoded = 0;
    int matched = 0;
    for (const CorpusEntry& entry : entries) {
        SCOPED_TRACE(entry.path);
        const Outcome o = Decode(entry);
        if (!o.decoded) {
            std::printf("either: refused %s\n", entry.path.c_str());
            continue;
        }
        ++decoded;
        EXPECT_EQ(o.picture.fileFormat, kFileFormats.at(entry.format));
        EXPECT_EQ(o.picture.Width(), static_cast<UINT>(entry.width));
        EXPECT_EQ(o.picture.Height(), static_cast<UINT>(entry.height));
        if (!entry.hashes.empty()) {
            EXPECT_TRUE(MatchesListedHash(entry, o.hash)) << o.hash;
            matched += MatchesListedHash(entry, o.hash) ? 1 : 0;
        }
    }
    std::printf("either: %d files, %d decoded, %d matching a listed hash\n",
                static_cast<int>(entries.size()), decoded, matched);
}

TEST(PictureCorpusTest, GammaCorrectionChangesOnlyPngPixels) {
    const std::vector<CorpusEntry> entries = Entries("decode");
    ASSERT_FALSE(entries.empty()) << "corpus not found at " << CorpusDirectory();
    bool someChanged = false;
    for (const CorpusEntry& entry : entries) {
        SCOPED_TRACE(entry.path);
        const Outcome stored = Decode(entry);
        const Outcome corrected = Decode(entry, picture::ReadOptions{.applyGamma = true});
        ASSERT_TRUE(corrected.decoded);
        EXPECT_EQ(corrected.picture.Width(), stored.picture.Width());
        EXPECT_EQ(corrected.picture.Height(), stored.picture.Height());
        EXPECT_EQ(corrected.picture.format, stored.picture.format);
        if (entry.format != "png") {
            EXPECT_EQ(corrected.hash, stored.hash);
        }
        someChanged = someChanged || corrected.hash != stored.hash;
    }
    // Most of the PNG files state a gamma of 1.0, which a 2.2 display brightens.
    EXPECT_TRUE(someChanged);
}

TEST(PictureCorpusTest, RejectFilesAreRefusedByEveryReader) {
    const std::vector<CorpusEntry> entries = Entries("reject");
    ASSERT_FALSE(entries.empty()) << "corpus not found at " << CorpusDirectory();
    for (const CorpusEntry& entry : entries) {
        SCOPED_TRACE(entry.path);
        const Outcome o = Decode(entry);
        EXPECT_FALSE(o.decoded) << "taken as file format " << o.picture.fileFormat;
    }
    std::printf("reject: %d files\n", static_cast<int>(entries.size()));
}

} // namespace
