// Bounds-checked reading of a picture file held in memory; every picture reader goes through it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace picture {

// Reads fields of either byte order from [data, data + size). A read past the end touches
// nothing outside the range: it gives 0 (or null) and marks the reader failed, so a reader can
// read a whole header and check Ok() once.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t Size() const { return size_; }
    std::size_t Position() const { return position_; }
    std::size_t Remaining() const { return size_ - position_; }
    bool Ok() const { return ok_; }
    // Whether `count` more bytes can be read.
    bool Has(std::uint64_t count) const { return count <= Remaining(); }

    // Moves to an absolute position; a position past the end fails and leaves the reader at
    // the end.
    bool Seek(std::uint64_t position) {
        if (position > size_) {
            return Fail();
        }
        position_ = static_cast<std::size_t>(position);
        return true;
    }
    bool Skip(std::uint64_t count) {
        if (!Has(count)) {
            return Fail();
        }
        position_ += static_cast<std::size_t>(count);
        return true;
    }

    // The next byte without moving; -1 at the end (not a failure).
    int Peek() const { return position_ < size_ ? data_[position_] : -1; }

    std::uint8_t U8() {
        if (!Has(1)) {
            Fail();
            return 0;
        }
        return data_[position_++];
    }
    std::uint16_t U16le() {
        const std::uint8_t* p = Bytes(2);
        return p ? static_cast<std::uint16_t>(p[0] | (p[1] << 8)) : 0;
    }
    std::uint32_t U32le() {
        const std::uint8_t* p = Bytes(4);
        return p ? static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                       (static_cast<std::uint32_t>(p[2]) << 16) |
                       (static_cast<std::uint32_t>(p[3]) << 24)
                 : 0;
    }
    std::int32_t S32le() { return static_cast<std::int32_t>(U32le()); }
    std::uint16_t U16be() {
        const std::uint8_t* p = Bytes(2);
        return p ? static_cast<std::uint16_t>((p[0] << 8) | p[1]) : 0;
    }

    std::uint32_t U32be() {
        const std::uint8_t* p = Bytes(4);
        return p ? (static_cast<std::uint32_t>(p[0]) << 24) |
                       (static_cast<std::uint32_t>(p[1]) << 16) |
                       (static_cast<std::uint32_t>(p[2]) << 8) | p[3]
                 : 0;
    }

    // The next `count` bytes, moving past them; null (and failed) when fewer remain.
    const std::uint8_t* Bytes(std::uint64_t count) {
        if (!Has(count)) {
            Fail();
            return nullptr;
        }
        const std::uint8_t* p = data_ + position_;
        position_ += static_cast<std::size_t>(count);
        return p;
    }

private:
    bool Fail() {
        ok_ = false;
        position_ = size_;
        return false;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    bool ok_ = true;
};

} // namespace picture
