// Choosing a picture reader by the file's extension.
#pragma once

#include "image/ImageBuffer.h"

#include <memory>

// The part of `name` after its last '.': a position inside the same string, or its terminating
// character when there is no '.'. The search does not stop at folder separators, so the only
// dot of "old.set\wood" gives "set\wood". A null name gives an empty string.
const char* GetFileExtension(const char* name);

// The colour picture of LoadBmp, LoadJpg or LoadTga, chosen by an extension equal to "bmp",
// "jpg" or "tga" with the letters A-Z compared without regard to case; null, without opening the
// file, for any other extension (jpeg, png, none) and for a null name.
std::unique_ptr<ImageBuffer> LoadImage(const char* fileName);
