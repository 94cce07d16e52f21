// The picture-reader conformance corpus beside the checkout: its listing of files with the
// outcome a correct reader gives and the hashes of the decoded pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CorpusEntry {
    std::string path;   // relative to the corpus folder
    std::string format; // png, bmp, tga, jpeg, ppm or dds
    std::string expect; // decode, reject or either
    int width = 0;      // 0 for reject rows
    int height = 0;
    std::string note;
    std::vector<std::string>
        hashes; // SHA-256 of RGBA rows top-down: the primary, then the alternatives
};

// The corpus folder: $DEMO_CORPUS_DIR when set, otherwise ../shared/corpus beside the source tree.
std::string CorpusDirectory();

// Every row of expected.tsv; empty when the listing cannot be read.
std::vector<CorpusEntry> LoadCorpus();

// The file's bytes; empty when it cannot be read.
std::vector<std::uint8_t> ReadCorpusFile(const CorpusEntry& entry);

// Hex SHA-256 of width × height pixels given as 0xAARRGGBB words, hashed as R, G, B, A bytes.
std::string HashArgbPixels(const std::uint32_t* pixels, int width, int height);

// Whether hash is one of the entry's listed hashes.
bool MatchesListedHash(const CorpusEntry& entry, const std::string& hash);
