// The utility layer's JPEG reader, over libjpeg.
#include "device/picture/JpegReader.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace picture {

namespace {

// libjpeg's own memory (coefficient buffers of progressive files, row buffers) is held to this;
// beyond it decoding fails instead of allocating.
constexpr long kJpegMemoryLimit = 256L * 1024 * 1024;

// Error handling: libjpeg reports fatal errors by calling error_exit, which must not return;
// it jumps back to the decoder, which then gives up. Messages are never printed.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void ErrorExit(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void OutputMessage(j_common_ptr) {}

// Reads from the caller's buffer. Running out of bytes before the end of the picture is noted
// (the file is cut short) and an end-of-image marker is supplied so that libjpeg stops.
struct Source {
    jpeg_source_mgr base;
    bool truncated;
};

const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr info) {
    Source* source = reinterpret_cast<Source*>(info->src);
    source->truncated = true;
    source->base.next_input_byte = kEndOfImage;
    source->base.bytes_in_buffer = 2;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count) {
    Source* source = reinterpret_cast<Source*>(info->src);
    if (count <= 0) {
        return;
    }
    if (static_cast<unsigned long>(count) > source->base.bytes_in_buffer) {
        FillInputBuffer(info);
        return;
    }
    source->base.next_input_byte += count;
    source->base.bytes_in_buffer -= static_cast<std::size_t>(count);
}

void TermSource(j_decompress_ptr) {}

// Everything the decoder touches between setjmp and a possible longjmp lives here, in the
// caller's frame, so that nothing in the jumping frame changes after setjmp.
struct Decoder {
    jpeg_decompress_struct info;
    ErrorManager error;
    Source source;
    Picture picture;
};

// Decodes into decoder.picture; false on any libjpeg error or a file cut short.
bool Decode(Decoder& d, const std::uint8_t* data, std::size_t size) {
    if (setjmp(d.error.jump)) {
        return false;
    }
    jpeg_create_decompress(&d.info);
    d.info.mem->max_memory_to_use = kJpegMemoryLimit;
    d.source.base.next_input_byte = data;
    d.source.base.bytes_in_buffer = size;
    d.source.base.init_source = InitSource;
    d.source.base.fill_input_buffer = FillInputBuffer;
    d.source.base.skip_input_data = SkipInputData;
    d.source.base.resync_to_restart = jpeg_resync_to_restart;
    d.source.base.term_source = TermSource;
    d.info.src = &d.source.base;

    if (jpeg_read_header(&d.info, TRUE) != JPEG_HEADER_OK || d.source.truncated ||
        !PictureSizeAllowed(d.info.image_width, d.info.image_height)) {
        return false;
    }
    const bool cmyk = d.info.jpeg_color_space == JCS_CMYK || d.info.jpeg_color_space == JCS_YCCK;
    const bool grey = d.info.jpeg_color_space == JCS_GRAYSCALE;
    d.info.out_color_space = cmyk ? JCS_CMYK : grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&d.info);

    const UINT width = d.info.output_width;
    const UINT height = d.info.output_height;
    const int components = d.info.output_components;
    const UINT outBytes = grey ? 1 : 3;
    if (components != (cmyk ? 4 : grey ? 1 : 3)) {
        return false;
    }
    PictureLevel& level = d.picture.levels.emplace_back();
    level.width = width;
    level.height = height;
    level.pitch = width * outBytes;
    JSAMPARRAY row = (*d.info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&d.info),
                                                 JPOOL_IMAGE, width * components, 1);
    // Rows are added as they are decoded, so a file cut short stops before the whole picture
    // is allocated.
    while (d.info.output_scanline < height) {
        if (jpeg_read_scanlines(&d.info, row, 1) != 1 || d.source.truncated) {
            return false;
        }
        const JSAMPLE* s = row[0];
        const std::size_t start = level.bits.size();
        level.bits.resize(start + level.pitch);
        BYTE* o = level.bits.data() + start;
        for (UINT x = 0; x < width; ++x) {
            if (grey) {
                o[x] = s[x];
            } else if (cmyk) {
                // Adobe files store inverted CMYK, so each sample is already 255 − ink:
                // channel = round(sample · key / 255).
                const unsigned k = s[4 * x + 3];
                o[3 * x + 2] = static_cast<BYTE>((s[4 * x] * k + 127) / 255);
                o[3 * x + 1] = static_cast<BYTE>((s[4 * x + 1] * k + 127) / 255);
                o[3 * x + 0] = static_cast<BYTE>((s[4 * x + 2] * k + 127) / 255);
            } else {
                o[3 * x + 2] = s[3 * x];
                o[3 * x + 1] = s[3 * x + 1];
                o[3 * x + 0] = s[3 * x + 2];
            }
        }
    }
    jpeg_finish_decompress(&d.info);
    if (d.source.truncated) {
        return false;
    }
    d.picture.fileFormat = D3DXIFF_JPG;
    d.picture.format = grey ? D3DFMT_L8 : D3DFMT_R8G8B8;
    return true;
}

} // namespace

bool ReadJpeg(const std::uint8_t* data, std::size_t size, const ReadOptions&, Picture& out) {
    // Start-of-image marker, then the next marker.
    if (size < 3 || data[0] != 0xFF || data[1] != 0xD8 || data[2] != 0xFF) {
        return false;
    }
    Decoder decoder{};
    decoder.info.err = jpeg_std_error(&decoder.error.base);
    decoder.error.base.error_exit = ErrorExit;
    decoder.error.base.output_message = OutputMessage;
    const bool ok = Decode(decoder, data, size);
    jpeg_destroy_decompress(&decoder.info);
    if (!ok) {
        return false;
    }
    out = std::move(decoder.picture);
    return true;
}

} // namespace picture
