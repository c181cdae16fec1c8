#include <windows.h>

#include "host/pixel_format.h"

static bool DescribeFormat(void* context, int index, PixelFormatTraits* traits) {
    PIXELFORMATDESCRIPTOR descriptor;
    if (!DescribePixelFormat(static_cast<HDC>(context), index, sizeof descriptor, &descriptor)) return false;
    *traits = {descriptor.dwFlags, descriptor.iPixelType, descriptor.cColorBits, descriptor.cDepthBits,
               descriptor.cStencilBits};
    return true;
}

void SelectPixelFormat(void* deviceContext, bool preferStencil) {
    HDC dc = static_cast<HDC>(deviceContext);
    int best = BestPixelFormatIndex(DescribeFormat, dc, preferStencil);
    PIXELFORMATDESCRIPTOR descriptor = {};
    if (best) {
        DescribePixelFormat(dc, best, sizeof descriptor, &descriptor);
        SetPixelFormat(dc, best, &descriptor);
        return;
    }
    // Nothing usable was listed: let the platform pick its closest match, with a
    // stencil buffer for the blur trail (without one, older poses show through).
    descriptor.nSize = sizeof descriptor;
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 24;
    descriptor.cDepthBits = 24;
    descriptor.cStencilBits = preferStencil ? 8 : 0;
    SetPixelFormat(dc, ChoosePixelFormat(dc, &descriptor), &descriptor);
}
