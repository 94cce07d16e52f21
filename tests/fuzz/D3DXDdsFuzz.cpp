// Fuzz target: the utility layer's DDS reader, which reads pictures from memory.
#include "PictureFuzz.h"

#include "device/picture/DdsReader.h"

int FuzzD3DXReadDds(const std::uint8_t* data, std::size_t size) {
    return FuzzPictureReader(picture::ReadDds, data, size);
}
