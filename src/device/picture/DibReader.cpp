// The utility layer's reader for device-independent bitmaps: a bitmap without its file header.
#include "device/picture/DibReader.h"

#include "device/picture/BmpReader.h"

namespace picture {

bool ReadDib(const std::uint8_t* data, std::size_t size, const ReadOptions&, Picture& out) {
    return ReadBitmapBody(data, size, 0, 0, D3DXIFF_DIB, out);
}

} // namespace picture
