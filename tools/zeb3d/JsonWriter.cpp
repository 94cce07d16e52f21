#include "zeb3d/JsonWriter.h"

#include <cmath>
#include <cstdio>

void JsonWriter::BeforeValue() {
    if (afterKey) {
        afterKey = false;
        return;
    }
    if (!needComma.empty()) {
        if (needComma.back()) {
            out << ',';
        }
        needComma.back() = true;
    }
}

void JsonWriter::BeginObject() {
    BeforeValue();
    out << '{';
    needComma.push_back(false);
}

void JsonWriter::EndObject() {
    needComma.pop_back();
    out << '}';
}

void JsonWriter::BeginArray() {
    BeforeValue();
    out << '[';
    needComma.push_back(false);
}

void JsonWriter::EndArray() {
    needComma.pop_back();
    out << ']';
}

void JsonWriter::Key(std::string_view key) {
    String(key);
    out << ':';
    afterKey = true;
}

void JsonWriter::String(std::string_view value) {
    BeforeValue();
    out << '"';
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        switch (byte) {
        case '"':
            out << "\\\"";
            break;
        case '\\':
            out << "\\\\";
            break;
        case '\n':
            out << "\\n";
            break;
        case '\r':
            out << "\\r";
            break;
        case '\t':
            out << "\\t";
            break;
        default:
            if (byte < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                out << escaped;
            } else if (byte >= 0x80) {
                // U+0080..U+00FF in UTF-8.
                out << static_cast<char>(0xC0 | (byte >> 6))
                    << static_cast<char>(0x80 | (byte & 0x3F));
            } else {
                out << c;
            }
        }
    }
    out << '"';
}

void JsonWriter::Null() {
    BeforeValue();
    out << "null";
}

void JsonWriter::Bool(bool value) {
    BeforeValue();
    out << (value ? "true" : "false");
}

void JsonWriter::Integer(std::int64_t value) {
    BeforeValue();
    out << value;
}

void JsonWriter::Unsigned(std::uint64_t value) {
    BeforeValue();
    out << value;
}

void JsonWriter::Float(float value) {
    if (!std::isfinite(value)) {
        Null();
        return;
    }
    BeforeValue();
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    out << text;
}

void JsonWriter::Floats(const float* values, std::size_t count) {
    BeginArray();
    for (std::size_t i = 0; i < count; ++i) {
        Float(values[i]);
    }
    EndArray();
}
