// The chain of picture readers.
#include "device/picture/Picture.h"

#include <array>

#include "device/picture/BmpReader.h"
#include "device/picture/DdsReader.h"
#include "device/picture/DibReader.h"
#include "device/picture/JpegReader.h"
#include "device/picture/PngReader.h"
#include "device/picture/PpmReader.h"
#include "device/picture/TgaReader.h"

namespace picture {

bool DecodePicture(const void* data, std::size_t size, Picture& out, const ReadOptions& options) {
    if (!data || size == 0) {
        return false;
    }
    constexpr std::array<PictureReader, 7> readers = {ReadBmp, ReadPpm, ReadDds, ReadJpeg,
                                                      ReadPng, ReadTga, ReadDib};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (PictureReader read : readers) {
        if (read(bytes, size, options, out)) {
            return true;
        }
    }
    return false;
}

} // namespace picture
