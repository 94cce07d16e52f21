#include "support/Json.h"

#include <charconv>
#include <cstdint>
#include <system_error>

namespace {

constexpr int kMaxDepth = 512;

const char* TypeName(JsonValue::Type type) {
    switch (type) {
    case JsonValue::Type::Null:
        return "null";
    case JsonValue::Type::Bool:
        return "boolean";
    case JsonValue::Type::Number:
        return "number";
    case JsonValue::Type::String:
        return "string";
    case JsonValue::Type::Array:
        return "array";
    case JsonValue::Type::Object:
        return "object";
    }
    return "value";
}

void AppendUtf8(std::string& out, std::uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

class Parser {
public:
    explicit Parser(std::string_view text) : text(text) {}

    JsonValue Document() {
        SkipWhitespace();
        JsonValue value = Value(0);
        SkipWhitespace();
        if (at != text.size()) {
            Fail(at, "unexpected content after the value");
        }
        return value;
    }

private:
    [[noreturn]] void Fail(std::size_t position, const std::string& message) const {
        throw JsonParseError(position, message);
    }

    bool AtEnd() const { return at >= text.size(); }
    unsigned char Peek() const { return static_cast<unsigned char>(text[at]); }

    void SkipWhitespace() {
        while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r')) {
            ++at;
        }
    }

    void ExpectChar(char wanted, const char* message) {
        if (AtEnd() || Peek() != static_cast<unsigned char>(wanted)) {
            Fail(at, message);
        }
        ++at;
    }

    JsonValue Value(int depth) {
        if (AtEnd()) {
            Fail(at, "a value was expected");
        }
        switch (Peek()) {
        case '{':
            return ObjectValue(depth + 1);
        case '[':
            return ArrayValue(depth + 1);
        case '"':
            return JsonValue::String(StringValue());
        case 't':
            Literal("true");
            return JsonValue::Bool(true);
        case 'f':
            Literal("false");
            return JsonValue::Bool(false);
        case 'n':
            Literal("null");
            return JsonValue();
        default:
            if (Peek() == '-' || (Peek() >= '0' && Peek() <= '9')) {
                return JsonValue::Number(NumberValue());
            }
            Fail(at, "a value was expected");
        }
    }

    void Literal(std::string_view word) {
        if (text.substr(at, word.size()) != word) {
            Fail(at, "invalid literal");
        }
        at += word.size();
    }

    JsonValue ObjectValue(int depth) {
        if (depth > kMaxDepth) {
            Fail(at, "nesting too deep");
        }
        ++at; // '{'
        std::vector<JsonValue::Member> members;
        SkipWhitespace();
        if (!AtEnd() && Peek() == '}') {
            ++at;
            return JsonValue::Object(std::move(members));
        }
        while (true) {
            SkipWhitespace();
            const std::size_t keyAt = at;
            if (AtEnd() || Peek() != '"') {
                Fail(at, "a member name was expected");
            }
            std::string key = StringValue();
            for (const JsonValue::Member& member : members) {
                if (member.first == key) {
                    Fail(keyAt, "duplicate member name");
                }
            }
            SkipWhitespace();
            ExpectChar(':', "':' was expected");
            SkipWhitespace();
            members.emplace_back(std::move(key), Value(depth));
            SkipWhitespace();
            if (!AtEnd() && Peek() == ',') {
                ++at;
                continue;
            }
            ExpectChar('}', "',' or '}' was expected");
            return JsonValue::Object(std::move(members));
        }
    }

    JsonValue ArrayValue(int depth) {
        if (depth > kMaxDepth) {
            Fail(at, "nesting too deep");
        }
        ++at; // '['
        std::vector<JsonValue> items;
        SkipWhitespace();
        if (!AtEnd() && Peek() == ']') {
            ++at;
            return JsonValue::Array(std::move(items));
        }
        while (true) {
            SkipWhitespace();
            items.push_back(Value(depth));
            SkipWhitespace();
            if (!AtEnd() && Peek() == ',') {
                ++at;
                continue;
            }
            ExpectChar(']', "',' or ']' was expected");
            return JsonValue::Array(std::move(items));
        }
    }

    std::uint32_t HexQuad() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            if (AtEnd()) {
                Fail(at, "four hexadecimal digits were expected");
            }
            const unsigned char c = Peek();
            std::uint32_t digit = 0;
            if (c >= '0' && c <= '9') {
                digit = c - '0';
            } else if (c >= 'a' && c <= 'f') {
                digit = c - 'a' + 10;
            } else if (c >= 'A' && c <= 'F') {
                digit = c - 'A' + 10;
            } else {
                Fail(at, "a hexadecimal digit was expected");
            }
            value = value * 16 + digit;
            ++at;
        }
        return value;
    }

    // A \uXXXX escape (the backslash already consumed, at on the 'u'), with the second half of
    // a surrogate pair when the first announces one.
    std::uint32_t UnicodeEscape(std::size_t escapeAt) {
        ++at; // 'u'
        const std::uint32_t first = HexQuad();
        if (first >= 0xDC00 && first <= 0xDFFF) {
            Fail(escapeAt, "lone low surrogate");
        }
        if (first < 0xD800 || first > 0xDBFF) {
            return first;
        }
        if (text.substr(at, 2) != "\\u") {
            Fail(escapeAt, "lone high surrogate");
        }
        at += 2;
        const std::uint32_t second = HexQuad();
        if (second < 0xDC00 || second > 0xDFFF) {
            Fail(escapeAt, "lone high surrogate");
        }
        return 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
    }

    // One UTF-8 sequence starting at a byte of 0x80 or more, copied to out; overlong forms,
    // surrogates and code points above U+10FFFF are refused.
    void Utf8Sequence(std::string& out) {
        const std::size_t start = at;
        const unsigned char lead = Peek();
        std::size_t length = 0;
        std::uint32_t codePoint = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            codePoint = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            codePoint = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            codePoint = lead & 0x07;
        } else {
            Fail(start, "invalid UTF-8");
        }
        for (std::size_t i = 1; i < length; ++i) {
            if (start + i >= text.size() ||
                (static_cast<unsigned char>(text[start + i]) & 0xC0) != 0x80) {
                Fail(start, "invalid UTF-8");
            }
            codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[start + i]) & 0x3F);
        }
        const std::uint32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (codePoint < smallest || (codePoint >= 0xD800 && codePoint <= 0xDFFF) ||
            codePoint > 0x10FFFF) {
            Fail(start, "invalid UTF-8");
        }
        out.append(text.substr(start, length));
        at += length;
    }

    std::string StringValue() {
        ++at; // '"'
        std::string out;
        while (true) {
            if (AtEnd()) {
                Fail(at, "unterminated string");
            }
            const unsigned char c = Peek();
            if (c == '"') {
                ++at;
                return out;
            }
            if (c < 0x20) {
                Fail(at, "control character in a string");
            }
            if (c >= 0x80) {
                Utf8Sequence(out);
                continue;
            }
            if (c != '\\') {
                out += static_cast<char>(c);
                ++at;
                continue;
            }
            const std::size_t escapeAt = at;
            ++at;
            if (AtEnd()) {
                Fail(at, "unterminated string");
            }
            switch (Peek()) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case '/':
                out += '/';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u':
                AppendUtf8(out, UnicodeEscape(escapeAt));
                continue;
            default:
                Fail(escapeAt, "invalid escape");
            }
            ++at;
        }
    }

    void Digits() {
        if (AtEnd() || Peek() < '0' || Peek() > '9') {
            Fail(at, "a digit was expected");
        }
        while (!AtEnd() && Peek() >= '0' && Peek() <= '9') {
            ++at;
        }
    }

    double NumberValue() {
        const std::size_t start = at;
        if (Peek() == '-') {
            ++at;
        }
        if (!AtEnd() && Peek() == '0') {
            ++at; // a leading zero stands alone; a following digit is left to the caller's check
        } else {
            Digits();
        }
        if (!AtEnd() && Peek() == '.') {
            ++at;
            Digits();
        }
        if (!AtEnd() && (Peek() == 'e' || Peek() == 'E')) {
            ++at;
            if (!AtEnd() && (Peek() == '+' || Peek() == '-')) {
                ++at;
            }
            Digits();
        }
        double value = 0.0;
        const char* first = text.data() + start;
        const char* last = text.data() + at;
        const std::from_chars_result result = std::from_chars(first, last, value);
        if (result.ec != std::errc() || result.ptr != last) {
            Fail(start, "number out of range");
        }
        return value;
    }

    std::string_view text;
    std::size_t at = 0;
};

} // namespace

JsonValue JsonValue::Bool(bool value) {
    JsonValue v;
    v.type = Type::Bool;
    v.boolean = value;
    return v;
}

JsonValue JsonValue::Number(double value) {
    JsonValue v;
    v.type = Type::Number;
    v.number = value;
    return v;
}

JsonValue JsonValue::String(std::string value) {
    JsonValue v;
    v.type = Type::String;
    v.text = std::move(value);
    return v;
}

JsonValue JsonValue::Array(std::vector<JsonValue> values) {
    JsonValue v;
    v.type = Type::Array;
    v.items = std::move(values);
    return v;
}

JsonValue JsonValue::Object(std::vector<Member> values) {
    JsonValue v;
    v.type = Type::Object;
    v.members = std::move(values);
    return v;
}

void JsonValue::Expect(Type wanted) const {
    if (type != wanted) {
        throw std::logic_error(std::string("JSON ") + TypeName(wanted) + " expected, found " +
                               TypeName(type));
    }
}

bool JsonValue::AsBool() const {
    Expect(Type::Bool);
    return boolean;
}

double JsonValue::AsNumber() const {
    Expect(Type::Number);
    return number;
}

const std::string& JsonValue::AsString() const {
    Expect(Type::String);
    return text;
}

const std::vector<JsonValue>& JsonValue::Items() const {
    Expect(Type::Array);
    return items;
}

const std::vector<JsonValue::Member>& JsonValue::Members() const {
    Expect(Type::Object);
    return members;
}

std::size_t JsonValue::Size() const {
    if (type == Type::Object) {
        return members.size();
    }
    Expect(Type::Array);
    return items.size();
}

std::vector<std::string> JsonValue::Keys() const {
    std::vector<std::string> keys;
    for (const Member& member : Members()) {
        keys.push_back(member.first);
    }
    return keys;
}

const JsonValue* JsonValue::Find(std::string_view key) const {
    for (const Member& member : Members()) {
        if (member.first == key) {
            return &member.second;
        }
    }
    return nullptr;
}

const JsonValue& JsonValue::operator[](std::string_view key) const {
    if (const JsonValue* found = Find(key)) {
        return *found;
    }
    throw std::out_of_range("JSON object has no member \"" + std::string(key) + "\"");
}

const JsonValue& JsonValue::operator[](std::size_t index) const {
    const std::vector<JsonValue>& values = Items();
    if (index >= values.size()) {
        throw std::out_of_range("JSON array index " + std::to_string(index) + " past its " +
                                std::to_string(values.size()) + " items");
    }
    return values[index];
}

JsonParseError::JsonParseError(std::size_t position, const std::string& message)
    : std::runtime_error("JSON error at byte " + std::to_string(position) + ": " + message),
      position(position) {}

JsonValue ParseJson(std::string_view text) {
    return Parser(text).Document();
}
