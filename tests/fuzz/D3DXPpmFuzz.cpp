// Fuzz target: the utility layer's PPM reader, which reads pictures from memory.
#include "PictureFuzz.h"

#include "device/picture/PpmReader.h"

int FuzzD3DXReadPpm(const std::uint8_t* data, std::size_t size) {
    return FuzzPictureReader(picture::ReadPpm, data, size);
}
