// The tests' own SHA-256, corpus listing and JSON reader.
#include "support/Corpus.h"
#include "support/Json.h"
#include "support/Sha256.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Sha256Test, KnownDigests) {
    struct Case {
        std::string message;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000, 'a'),
         "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Sha256Hex(c.message.data(), c.message.size()), c.digest) << c.message.size();
    }
}

TEST(CorpusTest, ListingIsReadWithHashesAndAlternatives) {
    const std::vector<CorpusEntry> entries = LoadCorpus();
    ASSERT_FALSE(entries.empty()) << "corpus not found at " << CorpusDirectory();
    bool sawAlternative = false;
    for (const CorpusEntry& entry : entries) {
        if (entry.expect == "decode") {
            EXPECT_GT(entry.width, 0) << entry.path;
            EXPECT_GT(entry.height, 0) << entry.path;
        }
        for (const std::string& hash : entry.hashes) {
            EXPECT_EQ(hash.size(), 64u) << entry.path;
        }
        sawAlternative = sawAlternative || entry.hashes.size() > 1;
    }
    EXPECT_TRUE(sawAlternative);
}

TEST(JsonTest, ObjectsKeepMemberOrderAndValuesKeepTheirTypes) {
    const JsonValue doc =
        ParseJson(" {\"b\": 1, \"a\": [true, false, null, \"x\"], \"c\": {\"d\": -2.5e1}}\n");
    EXPECT_EQ(doc.Keys(), (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_EQ(doc["b"].AsNumber(), 1.0);
    ASSERT_EQ(doc["a"].Size(), 4u);
    EXPECT_TRUE(doc["a"][0].AsBool());
    EXPECT_FALSE(doc["a"][1].AsBool());
    EXPECT_TRUE(doc["a"][2].IsNull());
    EXPECT_EQ(doc["a"][3].AsString(), "x");
    EXPECT_EQ(doc["c"]["d"].AsNumber(), -25.0);
    EXPECT_EQ(doc.Find("missing"), nullptr);
    EXPECT_THROW(doc["missing"], std::out_of_range);
    EXPECT_THROW(doc["b"].AsString(), std::logic_error);
}

TEST(JsonTest, StringEscapesDecodeToUtf8) {
    struct Case {
        const char* json;
        std::string expected;
    } cases[] = {
        {R"("\"\\\/\b\f\n\r\t")", "\"\\/\b\f\n\r\t"},
        {R"("\u0041\u00e9")", "A\xC3\xA9"},
        {R"("\u20AC")", "\xE2\x82\xAC"},
        {R"("\ud83d\ude00")", "\xF0\x9F\x98\x80"},
        {"\"\xC3\xA9\"", "\xC3\xA9"}, // UTF-8 as is
        {R"("a\u0000b")", std::string("a\0b", 3)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseJson(c.json).AsString(), c.expected) << c.json;
    }
}

TEST(JsonTest, InvalidDocumentsAreRejectedWithTheirPosition) {
    struct Case {
        std::string json;
        std::size_t position;
    } cases[] = {
        {"", 0},
        {"[1,]", 3},      // trailing comma
        {"{\"a\" 1}", 5}, // missing colon
        {"01", 1},        // leading zero
        {"+1", 0},
        {"1.", 2}, // no fraction digits
        {"-", 1},
        {"tru", 0},
        {"[1] x", 4},             // content after the value
        {"\"a\x01\"", 2},         // raw control character
        {"\"\xC3\"", 1},          // truncated UTF-8 sequence
        {"\"\xC0\xAF\"", 1},      // overlong UTF-8
        {"\"\\ud800\"", 1},       // lone high surrogate
        {"\"\\x\"", 1},           // unknown escape
        {"{\"a\":1,\"a\":2}", 7}, // duplicate member
        {"1e999", 0},             // beyond a double
        {"\"abc", 4},             // unterminated
        {std::string(600, '['), 512},
    };
    for (const Case& c : cases) {
        try {
            ParseJson(c.json);
            ADD_FAILURE() << "accepted: " << c.json;
        } catch (const JsonParseError& error) {
            EXPECT_EQ(error.Position(), c.position) << c.json << ": " << error.what();
        }
    }
}

} // namespace
