// The utility layer's PNG reader, over libpng.
#include "device/picture/PngReader.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>

#include <png.h>

#include "device/picture/ByteReader.h"

namespace picture {

namespace {

// The display gamma that files stating their own gamma are corrected for.
constexpr double kDisplayGamma = 2.2;

// Deflate turns at most 258 bytes into one code of a few bits: no compressed stream expands
// beyond about 1032 times its size.
constexpr std::uint64_t kMostDeflateExpansion = 1032;

// The bytes of image data the file holds: the lengths of its IDAT chunks, found by walking the
// chunk headers after the signature (up to IEND or the end of the buffer).
std::uint64_t ImageDataBytes(const std::uint8_t* data, std::size_t size) {
    ByteReader r(data, size);
    r.Skip(8);
    std::uint64_t total = 0;
    while (r.Has(8)) {
        const std::uint32_t length = r.U32be();
        const std::uint8_t* type = r.Bytes(4);
        if (std::memcmp(type, "IEND", 4) == 0) {
            break;
        }
        if (std::memcmp(type, "IDAT", 4) == 0) {
            total += std::min<std::uint64_t>(length, r.Remaining());
        }
        if (!r.Skip(std::uint64_t{length} + 4)) {
            break;
        }
    }
    return total;
}

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position;
};

void ReadData(png_structp png, png_bytep out, png_size_t count) {
    Input* in = static_cast<Input*>(png_get_io_ptr(png));
    if (count > in->size - in->position) {
        png_error(png, "file cut short");
    }
    std::memcpy(out, in->data + in->position, count);
    in->position += count;
}

// libpng reports errors through this, which must not return; messages are never printed.
void Error(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void Warning(png_structp, png_const_charp) {}

// Everything the decoder changes after setjmp lives here, in the caller's frame.
struct Decoder {
    png_structp png = nullptr;
    png_infop info = nullptr;
    Input input{};
    std::uint64_t imageDataBytes = 0;
    Picture picture;
    std::vector<png_bytep> rows;
};

// Decodes into d.picture as A8R8G8B8 (X8R8G8B8 when the file has neither an alpha channel nor
// transparency): palettes are expanded, tRNS becomes alpha, 16-bit samples are scaled to 8 bits
// as round(v · 255 / 65535), grey is copied to red, green and blue, interlaced files are
// assembled from their passes.
bool Decode(Decoder& d, const ReadOptions& options) {
    if (setjmp(png_jmpbuf(d.png))) {
        return false;
    }
    png_set_read_fn(d.png, &d.input, ReadData);
    png_set_user_limits(d.png, kMaxPictureSide, kMaxPictureSide);
    png_read_info(d.png, d.info);

    const png_uint_32 width = png_get_image_width(d.png, d.info);
    const png_uint_32 height = png_get_image_height(d.png, d.info);
    const int colourType = png_get_color_type(d.png, d.info);
    // The samples, at the file's depth, must fit in what the image data can inflate to; this
    // refuses a header claiming far more pixels than the file holds before anything is allocated.
    const std::uint64_t sampleBits =
        std::uint64_t{png_get_channels(d.png, d.info)} * png_get_bit_depth(d.png, d.info);
    const std::uint64_t rawBytes = (std::uint64_t{width} * height * sampleBits + 7) / 8;
    if (!PictureSizeAllowed(width, height) ||
        rawBytes > kMostDeflateExpansion * d.imageDataBytes + 1024) {
        return false;
    }
    const bool alpha =
        (colourType & PNG_COLOR_MASK_ALPHA) || png_get_valid(d.png, d.info, PNG_INFO_tRNS);

    png_set_expand(d.png);
    png_set_scale_16(d.png);
    png_set_gray_to_rgb(d.png);
    double fileGamma = 0.0;
    if (options.applyGamma && png_get_gAMA(d.png, d.info, &fileGamma) && fileGamma > 0.0) {
        png_set_gamma(d.png, kDisplayGamma, fileGamma);
    }
    png_set_bgr(d.png);
    if (!alpha) {
        png_set_filler(d.png, 0xFF, PNG_FILLER_AFTER);
    }
    png_set_interlace_handling(d.png);
    png_read_update_info(d.png, d.info);
    if (png_get_rowbytes(d.png, d.info) != std::size_t{width} * 4) {
        return false;
    }

    PictureLevel& level = d.picture.levels.emplace_back();
    level.width = width;
    level.height = height;
    level.pitch = width * 4;
    level.bits.resize(std::size_t{level.pitch} * height);
    d.rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) {
        d.rows[y] = level.bits.data() + std::size_t{y} * level.pitch;
    }
    png_read_image(d.png, d.rows.data());
    png_read_end(d.png, nullptr);
    d.picture.fileFormat = D3DXIFF_PNG;
    d.picture.format = alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    return true;
}

} // namespace

bool ReadPng(const std::uint8_t* data, std::size_t size, const ReadOptions& options, Picture& out) {
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0) {
        return false;
    }
    Decoder decoder;
    decoder.input = {data, size, 0};
    decoder.imageDataBytes = ImageDataBytes(data, size);
    decoder.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Error, Warning);
    if (!decoder.png) {
        return false;
    }
    decoder.info = png_create_info_struct(decoder.png);
    const bool ok = decoder.info && Decode(decoder, options);
    png_destroy_read_struct(&decoder.png, &decoder.info, nullptr);
    if (!ok) {
        return false;
    }
    out = std::move(decoder.picture);
    return true;
}

} // namespace picture
