// The tests' own SHA-256 and corpus listing.
#include "support/Corpus.h"
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

} // namespace
