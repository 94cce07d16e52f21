// A small streaming JSON writer: compact output, keys and values in the order they are written.
#pragma once

#include <cstdint>
#include <ostream>
#include <string_view>
#include <vector>

class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : out(out) {}

    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The key of the next value inside an object.
    void Key(std::string_view key);

    // Strings are escaped; bytes 0x80-0xFF are written as the code points U+0080-U+00FF, so any
    // name from a scene file gives valid JSON.
    void String(std::string_view value);
    void Null();
    void Bool(bool value);
    void Integer(std::int64_t value);
    void Unsigned(std::uint64_t value);
    // Nine significant digits (enough to give back the same f32); null when not finite, which
    // JSON cannot write.
    void Float(float value);
    // A float array, e.g. a vector's three components or a matrix's sixteen elements.
    void Floats(const float* values, std::size_t count);

private:
    void BeforeValue();

    std::ostream& out;
    // Per open container: whether the next element needs a comma.
    std::vector<bool> needComma;
    bool afterKey = false;
};
