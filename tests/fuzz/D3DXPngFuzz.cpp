// Fuzz target: the utility layer's PNG reader, which reads pictures from memory.
#include "PictureFuzz.h"

#include "device/picture/PngReader.h"

int FuzzD3DXReadPng(const std::uint8_t* data, std::size_t size) {
    return FuzzPictureReader(picture::ReadPng, data, size);
}
