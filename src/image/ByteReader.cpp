// Bounds-checked little-endian reading.
#include "image/ByteReader.h"

bool ByteReader::Seek(std::size_t offset) {
    if (offset > bytes.size()) {
        return false;
    }
    position = offset;
    return true;
}

bool ByteReader::Skip(std::size_t count) {
    if (count > Remaining()) {
        return false;
    }
    position += count;
    return true;
}

bool ByteReader::Take(std::size_t count, std::span<const std::uint8_t>& out) {
    if (count > Remaining()) {
        overrun = true;
        return false;
    }
    out = bytes.subspan(position, count);
    position += count;
    return true;
}

std::uint8_t ByteReader::U8() {
    std::span<const std::uint8_t> b;
    if (!Take(1, b)) {
        position = bytes.size();
        return 0;
    }
    return b[0];
}

std::uint16_t ByteReader::U16() {
    std::span<const std::uint8_t> b;
    if (!Take(2, b)) {
        position = bytes.size();
        return 0;
    }
    return static_cast<std::uint16_t>(b[0] | b[1] << 8);
}

std::uint32_t ByteReader::U32() {
    std::span<const std::uint8_t> b;
    if (!Take(4, b)) {
        position = bytes.size();
        return 0;
    }
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

std::int32_t ByteReader::I32() {
    return static_cast<std::int32_t>(U32());
}
