// JpegReader: one open, one recovery point and one decompression per file. Output is
// always asked for as RGB, so greyscale files come out grey; colour spaces without an
// RGB conversion are refused before decoding starts.
#include "formats/jpeg_reader.h"

#include <cstdio>
#include <new>

#include "formats/texture_size.h"
#include "formats/model_file.h"
#include "platform/trace.h"

namespace {

constexpr const char* kLibraryCaption = "JPEG Library Error";

void KeepJpegMessage(j_common_ptr cinfo) {
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    JpegErrorTrap* trap = reinterpret_cast<JpegErrorTrap*>(cinfo->err);
    trap->messages->push_back(text);
}

bool CanBecomeRgb(J_COLOR_SPACE space) {
    return space == JCS_GRAYSCALE || space == JCS_YCbCr || space == JCS_RGB;
}

// Everything a decoding call owns across the recovery point. Nothing here has a
// destructor that the jump could skip: the messages live in the caller's frame.
struct Decompression {
    jpeg_decompress_struct cinfo;
    JpegErrorTrap trap;
    const unsigned char* bytes = nullptr;  // the file's bytes
    size_t size = 0;
    bool started = false;  // the picture's size is known and decoding began
};

// Decodes d.bytes into image; the failure, or None. Must run with the recovery point
// set in the caller; only plain data and the image's already-sized buffer are touched.
ReadFailure DecodeStarted(Decompression& d, JpegImage& image) {
    jpeg_create_decompress(&d.cinfo);
    jpeg_mem_src(&d.cinfo, d.bytes, static_cast<unsigned long>(d.size));
    jpeg_read_header(&d.cinfo, TRUE);
    if (!CanBecomeRgb(d.cinfo.jpeg_color_space)) {
        TraceF("Texture colour space %d cannot be shown as RGB", static_cast<int>(d.cinfo.jpeg_color_space));
        return ReadFailure::Unsupported;
    }
    if (!IsAcceptedTextureSize(d.cinfo.image_width, d.cinfo.image_height)) {
        TraceF("Texture of %ux%u pixels is too large", d.cinfo.image_width, d.cinfo.image_height);
        return ReadFailure::TooLarge;
    }
    d.cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d.cinfo);
    d.started = true;

    const size_t width = d.cinfo.output_width;
    const size_t height = d.cinfo.output_height;
    const size_t rowSpan = width * 3;
    // Three samples a pixel, and a picture with rows at all.
    if (d.cinfo.output_components != 3 || width == 0 || height == 0) return ReadFailure::Unsupported;
    unsigned char* pixels = new (std::nothrow) unsigned char[rowSpan * height]();
    if (!pixels) return ReadFailure::TooLarge;
    image.pixels.reset(pixels);
    image.width = static_cast<int32_t>(width);
    image.height = static_cast<int32_t>(height);
    image.rowSpan = static_cast<int32_t>(rowSpan);

    // The picture's top line goes to the last row: GL takes row 0 as t = 0.
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        JSAMPROW row = pixels + (height - 1 - d.cinfo.output_scanline) * rowSpan;
        // The memory source never suspends; should a line not come, the rows decoded
        // so far are kept.
        if (jpeg_read_scanlines(&d.cinfo, &row, 1) != 1) return ReadFailure::None;
    }
    jpeg_finish_decompress(&d.cinfo);
    return ReadFailure::None;
}

}  // namespace

void OnJpegError(j_common_ptr cinfo) {
    (*cinfo->err->output_message)(cinfo);
    JpegErrorTrap* trap = reinterpret_cast<JpegErrorTrap*>(cinfo->err);
    std::longjmp(trap->setjmpBuffer, 1);
}

namespace {

// Runs one decompression over the source set in d, with its own recovery point.
ReadResult DecodeFrom(Decompression& d, JpegImage* image) {
    ReadResult result;
    std::vector<std::string> messages;
    JpegImage decoded;
    d.cinfo.err = jpeg_std_error(&d.trap.pub);
    d.trap.pub.error_exit = OnJpegError;
    d.trap.pub.output_message = KeepJpegMessage;
    d.trap.messages = &messages;
    ReadFailure failure;
    if (setjmp(d.trap.setjmpBuffer)) failure = d.started ? ReadFailure::Truncated : ReadFailure::NotThisFormat;
    else failure = DecodeStarted(d, decoded);
    jpeg_destroy_decompress(&d.cinfo);

    for (std::string& text : messages)
        result.notify(ReaderNotice::Kind::LibraryError, kLibraryCaption, std::move(text));
    if (failure != ReadFailure::None) return result.fail(failure);
    *image = std::move(decoded);
    return result;
}

}  // namespace

ReadResult JpegReader::Decode(const char* path, JpegImage* image) {
    FileBytes bytes;
    ReadResult read = ReadModelFile(path, &bytes);
    if (!read) return read;
    return DecodeBytes(bytes.data(), bytes.size(), image);
}

ReadResult JpegReader::DecodeBytes(const unsigned char* data, size_t size, JpegImage* image) {
    // The library's memory source takes an unsigned long size.
    if (!data || size == 0 || size > 0x7FFFFFFFu) return ReadResult().fail(ReadFailure::NotThisFormat);
    Decompression d;
    d.bytes = data;
    d.size = size;
    return DecodeFrom(d, image);
}
