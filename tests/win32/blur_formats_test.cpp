// The blur trail under Wine's OpenGL on two pixel formats alike but for the
// accumulation buffer: the trail needs none, so both draw the same picture.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/blur_trail.h"
#include "app/saver_window_state.h"
#include "app/scene.h"
#include "app/scene_view.h"
#include "app/settings.h"
#include "platform/gl.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// A double-buffered RGBA window format with depth and stencil buffers, with or
// without accumulation bits; 0 when the driver lists none such.
int FindFormat(HDC dc, bool accumulation) {
    const int count = DescribePixelFormat(dc, 1, sizeof(PIXELFORMATDESCRIPTOR), nullptr);
    const DWORD needed = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    for (int i = 1; i <= count; ++i) {
        PIXELFORMATDESCRIPTOR d = {};
        if (!DescribePixelFormat(dc, i, sizeof d, &d)) continue;
        if ((d.dwFlags & needed) != needed || d.iPixelType != PFD_TYPE_RGBA || d.cColorBits < 24 ||
            d.cDepthBits < 16 || d.cStencilBits < 8)
            continue;
        if ((d.cAccumBits > 0) == accumulation) return i;
    }
    return 0;
}

// The cube's trail as the blur reference picture draws it, in a window of the given
// format; empty when no context could be made.
std::vector<uint8_t> TrailPicture(bool accumulation, int* format) {
    HWND window = CreateWindowExA(0, "STATIC", "blur format", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr,
                                  nullptr, nullptr);
    HDC dc = GetDC(window);
    std::vector<uint8_t> pixels;
    *format = FindFormat(dc, accumulation);
    PIXELFORMATDESCRIPTOR chosen = {};
    DescribePixelFormat(dc, *format, sizeof chosen, &chosen);
    HGLRC rc = nullptr;
    const SaverSettings saved = Settings;
    if (*format && SetPixelFormat(dc, *format, &chosen) && (rc = wglCreateContext(dc)) && wglMakeCurrent(dc, rc)) {
        SetDefaults();
        Settings.blur = 1;
        Settings.scale = 60;
        Settings.xoff = 20;
        SaverWindowState state;
        SetUpSceneView(state, 0, 0, kWidth, kHeight);
        std::srand(1);
        Scene scene(Settings, state.halfWidth, state.halfHeight);
        ScenePose trail[kTrailPoses];
        for (int i = 0; i < kTrailPoses; ++i)
            trail[i] = {-12.0f * static_cast<float>(i), 0.0f, 0.0f, 20.0f, 0.0f, 36.0f - 6.0f * static_cast<float>(i)};
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        glLoadIdentity();
        DrawBlurTrail(scene, trail, trail[0]);
        glFinish();
        pixels.assign(static_cast<size_t>(kWidth) * kHeight * 3, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    }
    Settings = saved;
    wglMakeCurrent(nullptr, nullptr);
    if (rc) wglDeleteContext(rc);
    ReleaseDC(window, dc);
    DestroyWindow(window);
    return pixels;
}

TEST(BlurTrailFormats, AFormatWithoutAnAccumulationBufferDrawsTheSameTrail) {
    int withFormat = 0, withoutFormat = 0;
    const std::vector<uint8_t> with = TrailPicture(true, &withFormat);
    const std::vector<uint8_t> without = TrailPicture(false, &withoutFormat);
    ASSERT_NE(withFormat, 0) << "the driver lists a format with accumulation bits";
    ASSERT_NE(withoutFormat, 0) << "the driver lists a format without accumulation bits";
    ASSERT_EQ(with.size(), without.size());
    ASSERT_FALSE(with.empty()) << "no rendering context";
    int lit = 0, differing = 0;
    for (size_t i = 0; i < with.size(); i += 3) {
        if (with[i] > 8 || with[i + 1] > 8 || with[i + 2] > 8) ++lit;
        for (size_t c = 0; c < 3; ++c)
            if (std::abs(with[i + c] - without[i + c]) > 2) {
                ++differing;
                break;
            }
    }
    EXPECT_GT(lit, 2000) << "the trail is drawn";
    EXPECT_EQ(differing, 0) << "formats " << withFormat << " and " << withoutFormat << " draw the trail alike";
}

}  // namespace
