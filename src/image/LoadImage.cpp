// The reader chosen by extension.
#include "image/LoadImage.h"

#include "image/BmpReader.h"
#include "image/JpegReader.h"
#include "image/TgaReader.h"

#include <cstring>

namespace {

char FoldAsciiLetter(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// `text` equals the lower-case `lower` when A-Z are compared without regard to case.
bool EqualsIgnoringCase(const char* text, const char* lower) {
    for (; *text != '\0' && *lower != '\0'; ++text, ++lower) {
        if (FoldAsciiLetter(*text) != *lower) {
            return false;
        }
    }
    return *text == *lower;
}

} // namespace

const char* GetFileExtension(const char* name) {
    if (name == nullptr) {
        return "";
    }
    const char* end = name + std::strlen(name);
    for (const char* p = end; p != name;) {
        --p;
        if (*p == '.') {
            return p + 1;
        }
    }
    return end;
}

std::unique_ptr<ImageBuffer> LoadImage(const char* fileName) {
    if (fileName == nullptr) {
        return nullptr;
    }
    const char* extension = GetFileExtension(fileName);
    if (EqualsIgnoringCase(extension, "bmp")) {
        return LoadBmp(fileName);
    }
    if (EqualsIgnoringCase(extension, "jpg")) {
        return LoadJpg(fileName);
    }
    if (EqualsIgnoringCase(extension, "tga")) {
        return LoadTga(fileName);
    }
    return nullptr;
}
