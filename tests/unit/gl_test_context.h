// An offscreen OpenGL context for drawing tests that read pixels back: headless EGL
// on Mesa natively, a hidden window with WGL on Windows (and under Wine).
#pragma once
#include <cstdint>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif
#include <GL/gl.h>

struct Rgb {
    int r, g, b;
};

class GlTestContext {
public:
    GlTestContext(int width, int height);
    ~GlTestContext();
    GlTestContext(const GlTestContext&) = delete;
    GlTestContext& operator=(const GlTestContext&) = delete;

    // False when no context could be made; tests skip then.
    bool ok() const { return ready; }
    // The colour at (x, y) of the buffer being drawn, y counted from the bottom.
    Rgb Pixel(int x, int y) const;
    // Every pixel, RGB, rows from the bottom.
    std::vector<uint8_t> Pixels() const;

    const int width, height;

private:
    bool ready = false;
#if defined(_WIN32)
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC rc = nullptr;
#else
    void* display = nullptr;
    void* surface = nullptr;
    void* context = nullptr;
#endif
};

// Skips the calling test when no GL context can be had on this machine.
#define REQUIRE_GL(context)                                                  \
    do {                                                                     \
        if (!(context).ok()) GTEST_SKIP() << "no OpenGL context available"; \
    } while (0)
