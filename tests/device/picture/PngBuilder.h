// Small PNG files for tests, built chunk by chunk: fields written out, image data compressed
// with zlib, CRCs computed.
#pragma once

#include "PictureTestSupport.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

namespace png_builder {

inline void PutBe32(Bytes& b, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        b.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}

// A chunk: length, type, data, CRC-32 of type and data.
inline Bytes Chunk(const std::string& type, const Bytes& data) {
    Bytes chunk;
    chunk.reserve(12 + data.size());
    PutBe32(chunk, static_cast<std::uint32_t>(data.size()));
    for (char c : type) {
        chunk.push_back(static_cast<std::uint8_t>(c));
    }
    for (std::uint8_t b : data) {
        chunk.push_back(b);
    }
    const uLong crc = crc32(0, chunk.data() + 4, static_cast<uInt>(chunk.size() - 4));
    PutBe32(chunk, static_cast<std::uint32_t>(crc));
    return chunk;
}

inline Bytes Ihdr(std::uint32_t width, std::uint32_t height, std::uint8_t depth,
                  std::uint8_t colour) {
    Bytes data;
    PutBe32(data, width);
    PutBe32(data, height);
    data.insert(data.end(), {depth, colour, 0, 0, 0}); // deflate, adaptive filters, no interlace
    return data;
}

// Rows of samples, each given a filter byte of 0 (none), compressed.
inline Bytes Idat(const std::vector<Bytes>& rows) {
    Bytes raw;
    for (const Bytes& row : rows) {
        raw.push_back(0);
        raw.insert(raw.end(), row.begin(), row.end());
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(size);
    EXPECT_EQ(compress(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size())), Z_OK);
    packed.resize(size);
    return packed;
}

// Signature, IHDR, the chunks given, then IEND.
inline Bytes Png(const Bytes& ihdr, const std::vector<Bytes>& chunks) {
    Bytes file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const Bytes header = Chunk("IHDR", ihdr);
    file.insert(file.end(), header.begin(), header.end());
    for (const Bytes& c : chunks) {
        file.insert(file.end(), c.begin(), c.end());
    }
    const Bytes end = Chunk("IEND", {});
    file.insert(file.end(), end.begin(), end.end());
    return file;
}

constexpr std::uint8_t kGrey = 0;
constexpr std::uint8_t kRgb = 2;
constexpr std::uint8_t kPalette = 3;
constexpr std::uint8_t kRgba = 6;

} // namespace png_builder
