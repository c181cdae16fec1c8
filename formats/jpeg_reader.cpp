// JpegReader: the size query and the decoding, each call with its own recovery point
// for the library's errors. Output is always asked for as RGB, so greyscale files
// come out grey and colour spaces without an RGB conversion fail cleanly.
#include "formats/jpeg_reader.h"

#include "formats/texture_size.h"
#include "host/message_box.h"
#include "platform/trace.h"

void ShowJpegMessage(j_common_ptr cinfo) {
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    ShowErrorMessageBox(text, "JPEG Library Error");
}

void OnJpegError(j_common_ptr cinfo) {
    (*cinfo->err->output_message)(cinfo);
    JpegErrorTrap* trap = reinterpret_cast<JpegErrorTrap*>(cinfo->err);
    std::longjmp(trap->setjmpBuffer, 1);
}

namespace {

// Everything a decoding call owns. Nothing here has a destructor, so leaving
// through the recovery point skips no clean-up.
struct Decompression {
    jpeg_decompress_struct cinfo;
    JpegErrorTrap jerr;
    std::FILE* file = nullptr;
};

void InstallTrap(Decompression& d) {
    d.cinfo.err = jpeg_std_error(&d.jerr.pub);
    d.jerr.pub.error_exit = OnJpegError;
    d.jerr.pub.output_message = ShowJpegMessage;
}

// Creates the decompression and starts it on the open file with RGB output; false,
// before the library takes any memory for the picture, when the picture is larger
// than a texture may be. Must be called after the recovery point is set.
bool StartRgb(Decompression& d) {
    jpeg_create_decompress(&d.cinfo);
    jpeg_stdio_src(&d.cinfo, d.file);
    jpeg_read_header(&d.cinfo, TRUE);
    if (!IsAcceptedTextureSize(d.cinfo.image_width, d.cinfo.image_height)) {
        TraceF("Texture of %ux%u pixels is too large", d.cinfo.image_width, d.cinfo.image_height);
        return false;
    }
    d.cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d.cinfo);
    return true;
}

void Release(Decompression& d) {
    jpeg_destroy_decompress(&d.cinfo);
    std::fclose(d.file);
    d.file = nullptr;
}

// Opens the file, sets the recovery point, starts the decompression and hands it to
// `act`, whose result it returns; false (and `act` is never called, or is left by the
// library's error exit) when any of that fails. The recovery point stays in this
// frame, which outlives every library call `act` makes; `act` keeps only plain data.
template <typename Act>
bool WithStartedDecompression(const char* path, const char* openFailure, Act act) {
    Decompression d;
    d.file = std::fopen(path, "rb");
    if (!d.file) {
        Trace(openFailure);
        return false;
    }
    InstallTrap(d);
    if (setjmp(d.jerr.setjmpBuffer)) {
        Release(d);
        return false;
    }
    bool result = StartRgb(d) && act(d);
    Release(d);
    return result;
}

}  // namespace

bool JpegReader::QuerySize(const char* path, int* width, int* height) {
    return WithStartedDecompression(path, "Failed to open file", [&](Decompression& d) {
        *width = static_cast<int>(d.cinfo.output_width);
        *height = static_cast<int>(d.cinfo.output_height);
        return d.cinfo.output_components == 3;
    });
}

bool JpegReader::Decode(const char* path, uint8_t* destination, size_t capacity) {
    return WithStartedDecompression(path, "Failed to open texture file", [&](Decompression& d) {
        size_t width = d.cinfo.output_width;
        size_t height = d.cinfo.output_height;
        size_t rowBytes = width * 3;
        // Three samples a pixel, and every row inside the destination.
        if (d.cinfo.output_components != 3 || !destination || height == 0 || rowBytes > capacity / height)
            return false;
        JSAMPARRAY row = (*d.cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&d.cinfo), JPOOL_IMAGE,
                                                      static_cast<JDIMENSION>(rowBytes), 1);
        size_t r = height;
        while (d.cinfo.output_scanline < d.cinfo.output_height) {
            if (jpeg_read_scanlines(&d.cinfo, row, 1) != 1) break;
            --r;
            const JSAMPLE* samples = row[0];
            uint8_t* out = destination + r * rowBytes;
            for (size_t x = 0; x < rowBytes; ++x) out[x] = samples[x];
        }
        jpeg_finish_decompress(&d.cinfo);
        return true;
    });
}
