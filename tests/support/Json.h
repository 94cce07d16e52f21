// A small strict JSON reader for tests that check the output of the tools.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One parsed JSON value. Objects keep their members in document order; numbers are doubles;
// strings hold UTF-8 bytes (\uXXXX escapes decoded, surrogate pairs joined). The accessors throw
// std::logic_error when the value is of another type and std::out_of_range for a missing member
// or an index past the end, so a test that reads an unexpected document fails instead of
// crashing.
class JsonValue {
public:
    enum class Type { Null, Bool, Number, String, Array, Object };
    using Member = std::pair<std::string, JsonValue>;

    JsonValue() = default; // null
    static JsonValue Bool(bool value);
    static JsonValue Number(double value);
    static JsonValue String(std::string value);
    static JsonValue Array(std::vector<JsonValue> items);
    static JsonValue Object(std::vector<Member> members);

    Type GetType() const { return type; }
    bool IsNull() const { return type == Type::Null; }
    bool IsNumber() const { return type == Type::Number; }
    bool IsString() const { return type == Type::String; }
    bool IsArray() const { return type == Type::Array; }
    bool IsObject() const { return type == Type::Object; }

    bool AsBool() const;
    double AsNumber() const;
    // The number narrowed to f32: exact for any number the tools print with nine significant
    // digits from an f32.
    float AsFloat() const { return static_cast<float>(AsNumber()); }
    const std::string& AsString() const;
    const std::vector<JsonValue>& Items() const;       // arrays
    const std::vector<Member>& Members() const;        // objects, in document order
    std::size_t Size() const;                          // items of an array, members of an object
    std::vector<std::string> Keys() const;             // member names, in document order
    const JsonValue* Find(std::string_view key) const; // null when there is no such member

    const JsonValue& operator[](std::string_view key) const;
    const JsonValue& operator[](std::size_t index) const;

private:
    void Expect(Type wanted) const;

    Type type = Type::Null;
    bool boolean = false;
    double number = 0.0;
    std::string text;
    std::vector<JsonValue> items;
    std::vector<Member> members;
};

// A document that is not strict JSON (RFC 8259): position is the byte offset at which the
// reader found the fault (the text's length when the text ended too early).
class JsonParseError : public std::runtime_error {
public:
    JsonParseError(std::size_t position, const std::string& message);
    std::size_t Position() const { return position; }

private:
    std::size_t position;
};

// Parses one JSON value with optional surrounding whitespace. Strict: no comments, no trailing
// commas, no leading zeros or '+', no raw control characters or invalid UTF-8 in strings, no
// lone surrogates, no duplicate member names, no number outside the range of a double, and at
// most 512 levels of nesting. Throws JsonParseError.
JsonValue ParseJson(std::string_view text);
