// The JPEG decoding layer the JPEG reader calls: three entry points over a properties record,
// implemented with libjpeg.
#pragma once

#include <cstdint>
#include <memory>

struct JpegSession;

// Status of every entry point: 0 success, negative failure.
enum JpegStatus : int {
    kJpegOk = 0,
    kJpegNotInitialised = -1, // JpegRead without JpegInit, or JpegInit twice
    kJpegCannotOpen = -2,     // no file name, or the file cannot be opened or read
    kJpegBadData = -3,        // the decoder rejected the data, or it ends before the picture
    kJpegBadOutput = -4,      // the output description does not fit the picture
    kJpegBadMode = -5,        // a read mode other than the two below
};

enum JpegReadMode : int {
    kJpegReadParameters = 0, // width, height and channels of the file named in the record
    kJpegReadImage = 2,      // the whole picture into the output buffer the record describes
};

// Colour codes of the output and of the picture.
enum JpegColor : int {
    kJpegColorRgb = 1,   // three bytes a pixel: red, green, blue
    kJpegColorYcbcr = 3, // luminance and two chrominance channels
};

// What the caller and the layer exchange. Value-initialise it (`JpegProperties properties{};`)
// before JpegInit. Owns the layer's state from JpegInit to JpegRelease.
struct JpegProperties {
    // Output, set by the caller before kJpegReadImage. Row r of the picture (r = 0 at the top)
    // starts at outputPixels + r × (outputWidth × outputChannels + outputPadding).
    std::uint8_t* outputPixels = nullptr;
    std::int32_t outputWidth = 0;
    std::int32_t outputHeight = 0;
    std::int32_t outputPadding = 0;  // bytes after each row
    std::int32_t outputChannels = 0; // must be 3
    std::int32_t outputColor = 0;    // must be kJpegColorRgb

    // Set by the caller before kJpegReadParameters; the name must outlive the reads.
    const char* fileName = nullptr;

    // Picture, set by kJpegReadParameters.
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t channels = 0;
    // Set by the caller before kJpegReadImage: must be kJpegColorYcbcr, under which the decoder
    // follows the file's own markers for how its three channels are coded.
    std::int32_t color = 0;

    std::unique_ptr<JpegSession> session;

    JpegProperties();
    ~JpegProperties();
    JpegProperties(const JpegProperties&) = delete;
    JpegProperties& operator=(const JpegProperties&) = delete;
};

// Readies the record for reads.
int JpegInit(JpegProperties* properties);

// kJpegReadParameters reads the header of the file named in the record and sets width, height and
// channels. kJpegReadImage decodes that file whole into the output buffer: the output must be
// the picture's own size with 3 channels of kJpegColorRgb, and the picture must have 3 channels.
// Data that ends before the picture is complete is a failure. The file is read once per record
// and kept until JpegRelease (a changed fileName is read afresh).
int JpegRead(JpegProperties* properties, int mode);

// Frees what the layer holds for the record; the record can then be initialised again.
int JpegRelease(JpegProperties* properties);
