// Fuzz target: the utility layer's BMP reader, which reads pictures from memory.
#include "PictureFuzz.h"

#include "device/picture/BmpReader.h"

int FuzzD3DXReadBmp(const std::uint8_t* data, std::size_t size) {
    return FuzzPictureReader(picture::ReadBmp, data, size);
}
