// BMP files through GDI: loaded as a device-independent bitmap and read back as
// 24-bit rows, bottom row first.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "formats/bitmap_image.h"
#include "formats/model_file.h"
#include "platform/win32_utf8.h"

bool BitmapImage::LoadBitmapFile(const char* path) {
    // The device context of the current GL context; the screen's when there is none.
    HDC dc = wglGetCurrentDC();
    HDC screen = nullptr;
    if (!dc) dc = screen = GetDC(nullptr);
    loaded = false;
    data.reset();
    width = height = 0;

    // The headers are checked first: a file that cannot hold the pixels its
    // headers announce is refused (GDI would load it with made-up rows), and
    // top-down files, which not every GDI loads faithfully, are decoded here.
    FileBytes bytes;
    bool topDown = false;
    BitmapLayoutCheck check = ReadModelFile(path, &bytes) ? CheckBitmapLayout(bytes.data(), bytes.size(), &topDown)
                                                         : BitmapLayoutCheck::Damaged;
    if (check == BitmapLayoutCheck::Damaged || (check == BitmapLayoutCheck::Readable && topDown)) {
        if (screen) ReleaseDC(nullptr, screen);
        if (check == BitmapLayoutCheck::Damaged || !DecodeBitmapBytes(bytes.data(), bytes.size(), *this)) return false;
        loaded = true;
        SwapRedBlue();
        return loaded;
    }
    bytes.clear();

    BITMAPINFO BMInfo;
    std::memset(&BMInfo, 0, sizeof BMInfo);
    BMInfo.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    BMInfo.bmiHeader.biBitCount = 0;

    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageW(nullptr, WideFromUtf8(path).c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_LOADFROMFILE));
    if (bitmap && dc && GetDIBits(dc, bitmap, 0, 0, nullptr, &BMInfo, DIB_RGB_COLORS) != 0) {
        LONG w = BMInfo.bmiHeader.biWidth;
        LONG h = std::labs(BMInfo.bmiHeader.biHeight);
        // GDI hands top-down bitmaps back top-down: they are asked for in their
        // own order and their rows reversed while packing.
        bool topDown = BMInfo.bmiHeader.biHeight < 0;
        if (w > 0 && h > 0 && w <= 65536 && h <= 65536) {
            // 24-bit rows; GDI pads each to 4 bytes, so the rows are read into a
            // padded buffer and packed afterwards.
            BMInfo.bmiHeader.biBitCount = 24;
            BMInfo.bmiHeader.biCompression = BI_RGB;
            BMInfo.bmiHeader.biClrUsed = 0;
            BMInfo.bmiHeader.biSizeImage = 0;
            size_t rowBytes = static_cast<size_t>(w) * 3;
            size_t stride = (rowBytes + 3) & ~static_cast<size_t>(3);
            std::unique_ptr<uint8_t[]> padded(new uint8_t[stride * static_cast<size_t>(h)]);
            if (GetDIBits(dc, bitmap, 0, static_cast<UINT>(h), padded.get(), &BMInfo, DIB_RGB_COLORS) != 0) {
                data.reset(new uint8_t[rowBytes * static_cast<size_t>(h)]);
                for (LONG row = 0; row < h; ++row) {
                    LONG source = topDown ? h - 1 - row : row;
                    std::memcpy(data.get() + row * rowBytes, padded.get() + source * stride, rowBytes);
                }
                width = static_cast<int32_t>(w);
                height = static_cast<int32_t>(h);
                loaded = true;
                SwapRedBlue();
            }
        }
    }
    if (bitmap) DeleteObject(bitmap);
    if (screen) ReleaseDC(nullptr, screen);
    return loaded;
}
