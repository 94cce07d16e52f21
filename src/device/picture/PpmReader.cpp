// The utility layer's PPM, PGM and PBM reader.
#include "device/picture/PpmReader.h"

#include "device/picture/ByteReader.h"

namespace picture {

namespace {

bool IsSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Skips white space and '#' comments, which run to the end of their line.
void SkipSpace(ByteReader& r) {
    for (;;) {
        const int c = r.Peek();
        if (IsSpace(c)) {
            r.U8();
        } else if (c == '#') {
            while (r.Peek() != -1 && r.Peek() != '\n' && r.Peek() != '\r') {
                r.U8();
            }
        } else {
            return;
        }
    }
}

// A decimal number after white space and comments; false when there is none or it exceeds
// `limit`.
bool ReadNumber(ByteReader& r, std::uint32_t limit, std::uint32_t& value) {
    SkipSpace(r);
    if (r.Peek() < '0' || r.Peek() > '9') {
        return false;
    }
    std::uint64_t v = 0;
    while (r.Peek() >= '0' && r.Peek() <= '9') {
        v = v * 10 + static_cast<std::uint32_t>(r.U8() - '0');
        if (v > limit) {
            return false;
        }
    }
    value = static_cast<std::uint32_t>(v);
    return true;
}

} // namespace

bool ReadPpm(const std::uint8_t* data, std::size_t size, const ReadOptions&, Picture& out) {
    ByteReader r(data, size);
    if (r.U8() != 'P') {
        return false;
    }
    const int kind = r.U8() - '0';
    if (!r.Ok() || kind < 1 || kind > 6) {
        return false;
    }
    const bool ascii = kind <= 3;
    const bool bitmap = kind == 1 || kind == 4;
    const std::uint32_t channels = (kind == 3 || kind == 6) ? 3 : 1;
    // The magic must be followed by white space or a comment.
    if (!IsSpace(r.Peek()) && r.Peek() != '#') {
        return false;
    }
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t maxval = 1;
    if (!ReadNumber(r, kMaxPictureSide, width) || !ReadNumber(r, kMaxPictureSide, height) ||
        (!bitmap && !ReadNumber(r, 65535, maxval)) || maxval == 0 ||
        !PictureSizeAllowed(width, height)) {
        return false;
    }
    // Binary samples start after exactly one white-space byte.
    if (!ascii && !IsSpace(r.U8())) {
        return false;
    }
    const std::uint64_t samples = std::uint64_t{width} * height * channels;
    const std::uint32_t sampleBytes = maxval > 255 ? 2 : 1;
    const std::uint64_t needed = ascii       ? samples
                                 : kind == 4 ? std::uint64_t{(width + 7) / 8} * height
                                             : samples * sampleBytes;
    if (needed > r.Remaining()) {
        return false;
    }

    Picture picture;
    picture.fileFormat = D3DXIFF_PPM;
    picture.format = channels == 3 ? D3DFMT_R8G8B8 : D3DFMT_L8;
    PictureLevel level;
    level.width = width;
    level.height = height;
    level.pitch = width * channels;
    level.bits.resize(std::size_t{level.pitch} * height);

    // Samples scale to 0..255 as round(v · 255 / maxval); PBM's 1 is black.
    auto scale = [&](std::uint32_t v) -> BYTE {
        if (bitmap) {
            return v ? 0 : 255;
        }
        return static_cast<BYTE>((std::uint64_t{v} * 510 + maxval) / (2 * maxval));
    };
    auto sample = [&](std::uint32_t& v) -> bool {
        if (kind == 1) {
            SkipSpace(r);
            const int c = r.U8();
            v = static_cast<std::uint32_t>(c - '0');
            return c == '0' || c == '1';
        }
        if (ascii) {
            return ReadNumber(r, maxval, v);
        }
        v = sampleBytes == 2 ? r.U16be() : r.U8();
        return v <= maxval;
    };
    for (std::uint32_t y = 0; y < height; ++y) {
        BYTE* row = level.bits.data() + std::size_t{y} * level.pitch;
        if (kind == 4) {
            const std::uint8_t* packed = r.Bytes((width + 7) / 8);
            if (!packed) {
                return false;
            }
            for (std::uint32_t x = 0; x < width; ++x) {
                row[x] = scale((packed[x / 8] >> (7 - x % 8)) & 1);
            }
            continue;
        }
        for (std::uint32_t x = 0; x < width; ++x) {
            // Stored R, G, B; the device's R8G8B8 keeps B, G, R in memory.
            for (std::uint32_t c = 0; c < channels; ++c) {
                std::uint32_t v = 0;
                if (!sample(v)) {
                    return false;
                }
                row[std::size_t{x} * channels + (channels - 1 - c)] = scale(v);
            }
        }
    }
    if (!r.Ok()) {
        return false;
    }
    picture.levels.push_back(std::move(level));
    out = std::move(picture);
    return true;
}

} // namespace picture
