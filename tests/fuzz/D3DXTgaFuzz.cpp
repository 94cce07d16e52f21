// Fuzz target: the utility layer's TGA reader, which reads pictures from memory.
#include "PictureFuzz.h"

#include "device/picture/TgaReader.h"

int FuzzD3DXReadTga(const std::uint8_t* data, std::size_t size) {
    return FuzzPictureReader(picture::ReadTga, data, size);
}
