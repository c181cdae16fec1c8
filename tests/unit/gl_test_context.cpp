#include "tests/unit/gl_test_context.h"

#include <cstddef>

#if defined(_WIN32)
#include "host/pixel_format.h"
#else
#include <EGL/egl.h>
#include <EGL/eglext.h>
#endif

std::vector<uint8_t> GlTestContext::Pixels() const {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

Rgb GlTestContext::Pixel(int x, int y) const {
    unsigned char p[4] = {0, 0, 0, 0};
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

#if defined(_WIN32)

GlTestContext::GlTestContext(int w, int h) : width(w), height(h) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.style = CS_OWNDC;
    windowClass.lpszClassName = "VelmoraGlTestWindow";
    RegisterClassA(&windowClass);  // fails harmlessly when already registered
    RECT frame = {0, 0, w, h};
    AdjustWindowRect(&frame, WS_POPUP, FALSE);
    window = CreateWindowExA(0, windowClass.lpszClassName, "gl test", WS_POPUP, 0, 0, frame.right - frame.left,
                             frame.bottom - frame.top, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window) return;
    dc = GetDC(window);
    PIXELFORMATDESCRIPTOR wanted = {};
    wanted.nSize = sizeof wanted;
    wanted.nVersion = 1;
    wanted.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    wanted.iPixelType = PFD_TYPE_RGBA;
    wanted.cColorBits = 24;
    wanted.cDepthBits = 24;
    wanted.cStencilBits = 8;
    // The saver's own choice for motion blur, with a stencil buffer where the driver has one.
    auto describe = [](void* context, int index, PixelFormatTraits* traits) {
        PIXELFORMATDESCRIPTOR d;
        if (!DescribePixelFormat(static_cast<HDC>(context), index, sizeof d, &d)) return false;
        *traits = {d.dwFlags, d.iPixelType, d.cColorBits, d.cDepthBits, d.cStencilBits};
        return true;
    };
    int format = BestPixelFormatIndex(describe, dc, true);
    if (format) DescribePixelFormat(dc, format, sizeof wanted, &wanted);
    else format = ChoosePixelFormat(dc, &wanted);
    if (!format || !SetPixelFormat(dc, format, &wanted)) return;
    rc = wglCreateContext(dc);
    if (!rc || !wglMakeCurrent(dc, rc)) return;
    glViewport(0, 0, w, h);
    glReadBuffer(GL_BACK);
    ready = true;
}

GlTestContext::~GlTestContext() {
    wglMakeCurrent(nullptr, nullptr);
    if (rc) wglDeleteContext(rc);
    if (dc) ReleaseDC(window, dc);
    if (window) DestroyWindow(window);
}

#else

GlTestContext::GlTestContext(int w, int h) : width(w), height(h) {
    // Mesa's surfaceless platform needs no X display; the default display is the fallback.
    EGLDisplay dpy = EGL_NO_DISPLAY;
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay) dpy = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (dpy == EGL_NO_DISPLAY || !eglInitialize(dpy, nullptr, nullptr)) {
        dpy = eglGetDisplay(EGL_DEFAULT_DISPLAY);
        if (dpy == EGL_NO_DISPLAY || !eglInitialize(dpy, nullptr, nullptr)) return;
    }
    display = dpy;
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                       EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
                                       EGL_DEPTH_SIZE, 24, EGL_STENCIL_SIZE, 8, EGL_NONE};
    EGLConfig config;
    EGLint count = 0;
    if (!eglChooseConfig(dpy, configAttributes, &config, 1, &count) || count == 0) return;
    const EGLint surfaceAttributes[] = {EGL_WIDTH, w, EGL_HEIGHT, h, EGL_NONE};
    EGLSurface pbuffer = eglCreatePbufferSurface(dpy, config, surfaceAttributes);
    if (pbuffer == EGL_NO_SURFACE) return;
    surface = pbuffer;
    if (!eglBindAPI(EGL_OPENGL_API)) return;
    EGLContext ctx = eglCreateContext(dpy, config, EGL_NO_CONTEXT, nullptr);  // compatibility profile
    if (ctx == EGL_NO_CONTEXT) return;
    context = ctx;
    if (!eglMakeCurrent(dpy, pbuffer, pbuffer, ctx)) return;
    glViewport(0, 0, w, h);
    ready = true;
}

GlTestContext::~GlTestContext() {
    if (!display) return;
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context) eglDestroyContext(display, context);
    if (surface) eglDestroySurface(display, surface);
    // The display stays initialised: Mesa's driver then stays loaded, so what it
    // keeps until exit is attributed to it (see lsan.supp) instead of to nowhere.
}

#endif
