// Choosing the OpenGL pixel format: a hardware-accelerated, double-buffered RGBA
// format with the deepest depth buffer wins.
#pragma once
#include <cstdint>

// The descriptor fields the choice reads (PIXELFORMATDESCRIPTOR's names and values).
struct PixelFormatTraits {
    uint32_t dwFlags;
    uint8_t iPixelType;
    uint8_t cColorBits;
    uint8_t cDepthBits;
    uint8_t cStencilBits = 0;
};

constexpr uint32_t kPfdDoubleBuffer = 0x1;
constexpr uint32_t kPfdDrawToWindow = 0x4;
constexpr uint32_t kPfdSupportOpenGL = 0x20;
constexpr uint32_t kPfdGenericFormat = 0x40;
constexpr uint32_t kPfdGenericAccelerated = 0x1000;
constexpr uint8_t kPfdTypeRgba = 0;

// Double-buffered, drawing to a window, with OpenGL, RGBA.
bool IsEligiblePixelFormat(const PixelFormatTraits& format);
// Colour bits plus twice the depth bits (colour beyond 16 bits counts half), plus
// 2000 for a hardware driver or 1000 for an accelerated generic one.
int32_t PixelFormatScore(const PixelFormatTraits& format);

// Describes the format with a 1-based index; false past the last one.
using DescribePixelFormatFn = bool (*)(void* context, int index, PixelFormatTraits* format);
// The index of the first eligible format with the highest score above 0, or 0 when
// none is eligible. Formats are described from index 1 until a description fails.
// The stencil buffer takes no part in the score. When `preferStencil` is set (motion
// blur is on), a format with one is taken over one without in the same class (hardware,
// accelerated generic, generic), whatever their colour and depth bits, so the blur
// trail can mark which pose has a pixel; a better class still wins.
int BestPixelFormatIndex(DescribePixelFormatFn describe, void* context, bool preferStencil = false);

// Gives the device context (HDC) its pixel format: the best one, or else the
// platform's closest match to a plain 24-bit colour, 24-bit depth, double-buffered one.
void SelectPixelFormat(void* deviceContext, bool preferStencil = false);
