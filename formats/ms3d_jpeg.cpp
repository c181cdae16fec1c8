// JPEG decoding for the MS3D material textures, with libjpeg. The library's
// messages go to a "JPEG Library Error" box; its fatal-error exit comes back
// here instead of ending the process, so one bad texture file costs only that
// texture.
#include <csetjmp>
#include <cstdio>
#include <new>

#include <jpeglib.h>

#include "formats/ms3d_model.h"
#include "formats/texture_size.h"
#include "host/message_box.h"
#include "platform/trace.h"

namespace {

constexpr const char* kJpegBoxCaption = "JPEG Library Error";

// The library's standard error manager followed by the recovery point of the
// decode in progress.
struct JpegErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf recovery;
};

void ShowJpegMessage(j_common_ptr cinfo) {
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    ShowErrorMessageBox(text, kJpegBoxCaption);
}

[[noreturn]] void ReturnFromJpegError(j_common_ptr cinfo) {
    (*cinfo->err->output_message)(cinfo);
    JpegErrorTrap* trap = reinterpret_cast<JpegErrorTrap*>(cinfo->err);
    std::longjmp(trap->recovery, 1);
}

bool CanBecomeRgb(J_COLOR_SPACE space) {
    return space == JCS_GRAYSCALE || space == JCS_YCbCr || space == JCS_RGB;
}

// Decodes the open file into image. Only plain C data lives in this frame, so
// the jump back from the error exit skips no destructor.
bool DecodeJpeg(std::FILE* file, JpegImage& image) {
    jpeg_decompress_struct cinfo;
    JpegErrorTrap trap;
    cinfo.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = ReturnFromJpegError;
    trap.manager.output_message = ShowJpegMessage;
    if (setjmp(trap.recovery)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    if (!CanBecomeRgb(cinfo.jpeg_color_space)) {
        TraceF("Texture colour space %d cannot be shown as RGB", static_cast<int>(cinfo.jpeg_color_space));
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    // Refused before the library takes any memory for the picture.
    if (!IsAcceptedTextureSize(cinfo.image_width, cinfo.image_height)) {
        TraceF("Texture of %ux%u pixels is too large", cinfo.image_width, cinfo.image_height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);

    const size_t width = cinfo.output_width;
    const size_t height = cinfo.output_height;
    const size_t components = static_cast<size_t>(cinfo.output_components);
    const size_t rowSpan = width * components;
    unsigned char* pixels = nullptr;
    if (components == 3 && width > 0 && height > 0)
        pixels = new (std::nothrow) unsigned char[rowSpan * height]();
    if (!pixels) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    image.pixels.reset(pixels);
    image.width = static_cast<int32_t>(width);
    image.height = static_cast<int32_t>(height);
    image.rowSpan = static_cast<int32_t>(rowSpan);

    // The picture's top line goes to the last row: GL takes row 0 as t = 0.
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels + (height - 1 - cinfo.output_scanline) * rowSpan;
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) {
            // A file source never suspends; should a line not come, the rows
            // decoded so far are kept and the decode stops here.
            jpeg_destroy_decompress(&cinfo);
            return true;
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

}  // namespace

std::unique_ptr<JpegImage> loadJpegImage(const char* fileName) {
    TraceF("Opening texture %s", fileName);
    std::FILE* file = std::fopen(fileName, "rb");
    if (!file) {
        Trace("Failed to open the file");
        return nullptr;
    }
    std::unique_ptr<JpegImage> image(new JpegImage());
    bool decoded = DecodeJpeg(file, *image);
    std::fclose(file);
    if (!decoded) return nullptr;
    return image;
}
