#include "host/pixel_format.h"

bool IsEligiblePixelFormat(const PixelFormatTraits& format) {
    const uint32_t required = kPfdSupportOpenGL | kPfdDrawToWindow | kPfdDoubleBuffer;
    return (format.dwFlags & required) == required && format.iPixelType == kPfdTypeRgba;
}

int32_t PixelFormatScore(const PixelFormatTraits& format) {
    int32_t score = format.cColorBits + 2 * format.cDepthBits;
    if (format.cColorBits > 16) score += (16 - format.cColorBits) / 2;  // truncates toward zero
    if (!(format.dwFlags & kPfdGenericFormat)) score += 2000;
    else if (format.dwFlags & kPfdGenericAccelerated) score += 1000;
    return score;
}

int BestPixelFormatIndex(DescribePixelFormatFn describe, void* context, bool preferStencil) {
    int32_t bestScore = 0;
    int bestIndex = 0;
    bool bestHasStencil = false;
    PixelFormatTraits format;
    for (int index = 1; describe(context, index, &format); ++index) {
        if (!IsEligiblePixelFormat(format)) continue;
        const bool hasStencil = format.cStencilBits > 0;
        // More than colour and depth bits can add, less than a class apart (1000).
        const int32_t score = PixelFormatScore(format) + (preferStencil && hasStencil ? 500 : 0);
        // On equal scores the lower index stays, unless only the later one can blur.
        const bool better = score > bestScore ||
                            (score == bestScore && bestIndex && preferStencil && hasStencil && !bestHasStencil);
        if (better) {
            bestScore = score;
            bestIndex = index;
            bestHasStencil = hasStencil;
        }
    }
    return bestIndex;
}
