// Reading the conformance corpus listing and hashing decoded pictures the way it lists them.
#include "support/Corpus.h"

#include "support/Sha256.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#ifndef DEMO_SOURCE_DIR
#error "DEMO_SOURCE_DIR must name the source tree"
#endif

namespace {

std::vector<std::string> Split(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream stream(line);
    while (std::getline(stream, field, separator)) {
        fields.push_back(field);
    }
    if (!line.empty() && line.back() == separator) {
        fields.emplace_back();
    }
    return fields;
}

} // namespace

std::string CorpusDirectory() {
    if (const char* dir = std::getenv("DEMO_CORPUS_DIR"); dir != nullptr && *dir != '\0') {
        return dir;
    }
    return std::string(DEMO_SOURCE_DIR) + "/../shared/corpus";
}

std::vector<CorpusEntry> LoadCorpus() {
    std::vector<CorpusEntry> entries;
    std::ifstream file(CorpusDirectory() + "/expected.tsv");
    std::string line;
    if (!std::getline(file, line)) {
        return entries;
    }
    while (std::getline(file, line)) {
        const std::vector<std::string> f = Split(line, '\t');
        if (f.size() < 3) {
            continue;
        }
        CorpusEntry entry;
        entry.path = f[0];
        entry.format = f[1];
        entry.expect = f[2];
        entry.width = f.size() > 3 && !f[3].empty() ? std::atoi(f[3].c_str()) : 0;
        entry.height = f.size() > 4 && !f[4].empty() ? std::atoi(f[4].c_str()) : 0;
        entry.note = f.size() > 5 ? f[5] : "";
        if (f.size() > 6 && !f[6].empty()) {
            entry.hashes.push_back(f[6]);
        }
        if (f.size() > 8) {
            for (const std::string& alternative : Split(f[8], ';')) {
                const std::size_t colon = alternative.find(':');
                if (colon != std::string::npos && colon + 1 < alternative.size()) {
                    entry.hashes.push_back(alternative.substr(colon + 1));
                }
            }
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<std::uint8_t> ReadCorpusFile(const CorpusEntry& entry) {
    std::ifstream file(CorpusDirectory() + "/" + entry.path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string HashArgbPixels(const std::uint32_t* pixels, int width, int height) {
    std::vector<std::uint8_t> rgba;
    rgba.reserve(static_cast<std::size_t>(width) * height * 4);
    for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i) {
        const std::uint32_t p = pixels[i];
        rgba.push_back(static_cast<std::uint8_t>(p >> 16));
        rgba.push_back(static_cast<std::uint8_t>(p >> 8));
        rgba.push_back(static_cast<std::uint8_t>(p));
        rgba.push_back(static_cast<std::uint8_t>(p >> 24));
    }
    return Sha256Hex(rgba.data(), rgba.size());
}

bool MatchesListedHash(const CorpusEntry& entry, const std::string& hash) {
    return std::find(entry.hashes.begin(), entry.hashes.end(), hash) != entry.hashes.end();
}
