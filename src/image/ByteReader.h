// The bounds-checked reader through which the picture readers take every byte of a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Reads little-endian values from bytes held in memory, never past their end. A value read past
// the end reads as zero and marks the reader as overrun; the position then stays at the end.
// Does not own the bytes.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes(bytes) {}

    std::size_t Size() const { return bytes.size(); }
    std::size_t Position() const { return position; }
    std::size_t Remaining() const { return bytes.size() - position; }
    // Whether a read has asked for more bytes than remained.
    bool Overrun() const { return overrun; }

    // Moves to `offset` bytes from the start; false, leaving the position, when that is past the
    // end (the end itself is a valid position).
    bool Seek(std::size_t offset);
    // Moves `count` bytes forward; false, leaving the position, when fewer remain.
    bool Skip(std::size_t count);
    // The next `count` bytes, moving past them; false, leaving `out` and the position, when fewer
    // remain.
    bool Take(std::size_t count, std::span<const std::uint8_t>& out);

    std::uint8_t U8();
    std::uint16_t U16();
    std::uint32_t U32();
    std::int32_t I32();

private:
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
    bool overrun = false;
};
