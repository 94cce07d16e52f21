// Fuzz target: the utility layer's JPEG reader, which reads pictures from memory.
#include "PictureFuzz.h"

#include "device/picture/JpegReader.h"

int FuzzD3DXReadJpeg(const std::uint8_t* data, std::size_t size) {
    return FuzzPictureReader(picture::ReadJpeg, data, size);
}
