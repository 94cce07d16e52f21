// Reading a scene file's primitive fields from its bytes, with the end-of-file rule: once a read
// has run into the end of the file every later read yields zero or no string.
#pragma once

#include "anim/Vector3.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

// A read cursor over the whole content of a scene file. Multi-byte values are little-endian.
// The end-of-file indicator is set only by a read that wanted more bytes than were left (as with
// a buffered C file), so a read that ends exactly at the last byte leaves it clear. A field cut
// off by the end of the file reads as 0 and its remaining bytes are consumed.
class SceneStream {
public:
    explicit SceneStream(std::span<const std::uint8_t> bytes) : bytes(bytes) {}

    // 0 once the end-of-file indicator is set.
    std::uint32_t ReadU32();
    std::uint16_t ReadU16();
    float ReadF32();
    // Three ReadF32 in the order x, y, z.
    Vector3 ReadVector3();
    // Bytes up to a NUL, which is consumed and not kept; no string once the indicator is set or
    // when the end of the file comes before the NUL. Longer strings than 255 characters are kept
    // whole.
    std::optional<std::string> ReadString();

    // Reads of the flare block: plain 4-byte reads that do not look at the indicator first. A
    // read that finds fewer than 4 bytes yields 0 and sets the indicator.
    std::uint32_t ReadRawU32();
    std::int32_t ReadRawI32();
    float ReadRawF32();

    // The end-of-file indicator.
    bool AtEnd() const { return endOfFile; }
    std::size_t Remaining() const { return bytes.size() - position; }
    std::size_t Position() const { return position; }

    // Whether count records of at least minRecordBytes each can fit in the remaining bytes. When
    // they cannot, the file is treated as ending here: the rest is skipped and the indicator
    // set, so the section ends as if the file had ended, and nothing is sized by the count.
    bool CanHold(std::uint64_t count, std::uint64_t minRecordBytes);

    // Treats the file as ending at the current position (the rest is never read).
    void EndHere();

private:
    // Copies size bytes into out and advances; on a short read consumes the rest, zero-fills
    // out, sets the indicator and returns false.
    bool Take(void* out, std::size_t size);

    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
    bool endOfFile = false;
};
