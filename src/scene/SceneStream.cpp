// The scene file's primitive reads over the file's bytes, with the end-of-file rule kept here once.
#include "scene/SceneStream.h"

#include <algorithm>
#include <cstring>

bool SceneStream::Take(void* out, std::size_t size) {
    if (size > Remaining()) {
        std::memset(out, 0, size);
        position = bytes.size();
        endOfFile = true;
        return false;
    }
    std::memcpy(out, bytes.data() + position, size);
    position += size;
    return true;
}

std::uint32_t SceneStream::ReadU32() {
    if (endOfFile) {
        return 0;
    }
    return ReadRawU32();
}

std::uint16_t SceneStream::ReadU16() {
    if (endOfFile) {
        return 0;
    }
    std::uint8_t raw[2];
    Take(raw, sizeof raw);
    return static_cast<std::uint16_t>(raw[0] | (raw[1] << 8));
}

float SceneStream::ReadF32() {
    if (endOfFile) {
        return 0.0f;
    }
    return ReadRawF32();
}

Vector3 SceneStream::ReadVector3() {
    const float x = ReadF32();
    const float y = ReadF32();
    const float z = ReadF32();
    return Vector3(x, y, z);
}

std::optional<std::string> SceneStream::ReadString() {
    if (endOfFile) {
        return std::nullopt;
    }
    const std::uint8_t* start = bytes.data() + position;
    const std::uint8_t* end = bytes.data() + bytes.size();
    const std::uint8_t* nul = std::find(start, end, std::uint8_t{0});
    if (nul == end) {
        // The end of the file came before the NUL: the bytes are consumed, no string results.
        position = bytes.size();
        endOfFile = true;
        return std::nullopt;
    }
    std::string text(reinterpret_cast<const char*>(start), static_cast<std::size_t>(nul - start));
    position += text.size() + 1;
    return text;
}

std::uint32_t SceneStream::ReadRawU32() {
    std::uint8_t raw[4];
    Take(raw, sizeof raw);
    return static_cast<std::uint32_t>(raw[0]) | (static_cast<std::uint32_t>(raw[1]) << 8) |
           (static_cast<std::uint32_t>(raw[2]) << 16) | (static_cast<std::uint32_t>(raw[3]) << 24);
}

std::int32_t SceneStream::ReadRawI32() {
    // Two's complement: the conversion of an unsigned value to a signed type is modular.
    return static_cast<std::int32_t>(ReadRawU32());
}

float SceneStream::ReadRawF32() {
    const std::uint32_t raw = ReadRawU32();
    float value;
    std::memcpy(&value, &raw, sizeof value);
    return value;
}

bool SceneStream::CanHold(std::uint64_t count, std::uint64_t minRecordBytes) {
    if (count == 0 || minRecordBytes == 0) {
        return true;
    }
    // Division keeps the comparison free of overflow for any count.
    if (count <= Remaining() / minRecordBytes) {
        return true;
    }
    EndHere();
    return false;
}

void SceneStream::EndHere() {
    position = bytes.size();
    endOfFile = true;
}
