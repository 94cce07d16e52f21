// The JPEG decoding layer over libjpeg.
#include "image/JpegLibrary.h"

#include "platform/FileSystem.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

// libjpeg's headers expect <cstdio> first.
#include <jerror.h>
#include <jpeglib.h>

// The file bytes of the record's last read, kept between the parameter and the image read.
struct JpegSession {
    std::string fileName;
    bool loaded = false;
    std::vector<std::uint8_t> bytes;
};

namespace {

// libjpeg's error manager with the place to return to on a fatal error.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf returnPoint;
};

[[noreturn]] void ExitOnError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->returnPoint, 1);
}

// Warnings that mean the data ended before the picture did are failures; other corrupt-data
// warnings are counted and decoding goes on. Nothing is printed.
void EmitMessage(j_common_ptr info, int level) {
    if (level >= 0) {
        return;
    }
    const int code = info->err->msg_code;
    if (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER) {
        ExitOnError(info);
    }
    info->err->num_warnings++;
}

void OutputNothing(j_common_ptr) {}

// Loads the record's file into its session unless the session already holds it.
int LoadFile(JpegProperties& properties) {
    if (properties.fileName == nullptr) {
        return kJpegCannotOpen;
    }
    JpegSession& session = *properties.session;
    if (session.loaded && session.fileName == properties.fileName) {
        return kJpegOk;
    }
    session.loaded = false;
    std::optional<std::vector<std::uint8_t>> bytes = ReadWholeFile(properties.fileName);
    if (!bytes) {
        return kJpegCannotOpen;
    }
    session.bytes = std::move(*bytes);
    session.fileName = properties.fileName;
    session.loaded = true;
    return kJpegOk;
}

bool OutputFits(const JpegProperties& p) {
    return p.outputPixels != nullptr && p.outputChannels == 3 && p.outputColor == kJpegColorRgb &&
           p.outputPadding >= 0 && p.color == kJpegColorYcbcr;
}

// Decodes the header, and with `wholePicture` the picture into the record's output. Only plain
// data lives in this frame, since a libjpeg error returns to it through longjmp.
int Decode(const std::vector<std::uint8_t>& bytes, JpegProperties& p, bool wholePicture) {
    jpeg_decompress_struct info{};
    ErrorManager error{};
    info.err = jpeg_std_error(&error.base);
    error.base.error_exit = ExitOnError;
    error.base.emit_message = EmitMessage;
    error.base.output_message = OutputNothing;
    if (setjmp(error.returnPoint) != 0) {
        jpeg_destroy_decompress(&info);
        return kJpegBadData;
    }
    jpeg_create_decompress(&info);
    // libjpeg reads through a non-const pointer but does not write.
    jpeg_mem_src(&info, const_cast<unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    if (!wholePicture) {
        p.width = static_cast<std::int32_t>(info.image_width);
        p.height = static_cast<std::int32_t>(info.image_height);
        p.channels = info.num_components;
        jpeg_destroy_decompress(&info);
        return kJpegOk;
    }
    if (info.num_components != 3 || info.image_width != static_cast<JDIMENSION>(p.outputWidth) ||
        info.image_height != static_cast<JDIMENSION>(p.outputHeight)) {
        jpeg_destroy_decompress(&info);
        return kJpegBadOutput;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3 || info.output_width != info.image_width ||
        info.output_height != info.image_height) {
        jpeg_destroy_decompress(&info);
        return kJpegBadOutput;
    }
    const std::size_t stride =
        std::size_t{info.output_width} * 3 + static_cast<std::size_t>(p.outputPadding);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = p.outputPixels + std::size_t{info.output_scanline} * stride;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return kJpegOk;
}

} // namespace

JpegProperties::JpegProperties() = default;
JpegProperties::~JpegProperties() = default;

int JpegInit(JpegProperties* properties) {
    if (properties == nullptr || properties->session) {
        return kJpegNotInitialised;
    }
    properties->session = std::make_unique<JpegSession>();
    return kJpegOk;
}

int JpegRead(JpegProperties* properties, int mode) {
    if (properties == nullptr || !properties->session) {
        return kJpegNotInitialised;
    }
    if (mode != kJpegReadParameters && mode != kJpegReadImage) {
        return kJpegBadMode;
    }
    if (mode == kJpegReadImage && !OutputFits(*properties)) {
        return kJpegBadOutput;
    }
    if (const int status = LoadFile(*properties); status != kJpegOk) {
        return status;
    }
    return Decode(properties->session->bytes, *properties, mode == kJpegReadImage);
}

int JpegRelease(JpegProperties* properties) {
    if (properties == nullptr || !properties->session) {
        return kJpegNotInitialised;
    }
    properties->session.reset();
    return kJpegOk;
}
