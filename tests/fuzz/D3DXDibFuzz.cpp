// Fuzz target: the utility layer's device-independent bitmap reader, which reads pictures from
// memory.
#include "PictureFuzz.h"

#include "device/picture/DibReader.h"

int FuzzD3DXReadDib(const std::uint8_t* data, std::size_t size) {
    return FuzzPictureReader(picture::ReadDib, data, size);
}
