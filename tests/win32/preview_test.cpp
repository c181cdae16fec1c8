// The preview as "/p HANDLE" runs it, in-process: a 320 x 240 parent, the saver's
// preview window inside it through RunSaverWindow, and the child's own pixels read
// back before a swap. A screenshot cannot show them under Wine: the GL content of a
// child window that another process owns does not reach the X screen there.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "app/saver_window_state.h"
#include "app/win32_saver_app.h"
#include "app/settings.h"
#include "host/host_state.h"
#include "host/win32_host.h"
#include "platform/gl.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kFramesBeforeCapture = 30;

struct Capture {
    HWND parent = nullptr;
    HWND saver = nullptr;  // the saver's window inside the parent, once made
    int frames = 0;
    GLint viewport[4] = {};
    std::vector<uint8_t> pixels;  // RGB rows of the child's back buffer, bottom row first
};
Capture capture;

// Stands in for the saver's swap: reads the finished frame before it is shown, then
// asks the parent to close, as the Screen Saver Settings do when they go away.
void ReadBackThenSwap(void*) {
    // Frames count from the first one with the model: black ones come before.
    const SaverWindowState* state = SaverWindowStateOf(capture.saver);
    if (state && state->modelReady && ++capture.frames == kFramesBeforeCapture) {
        glGetIntegerv(GL_VIEWPORT, capture.viewport);
        capture.pixels.assign(static_cast<size_t>(kWidth) * kHeight * 3, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, capture.pixels.data());
        PostMessageA(capture.parent, WM_CLOSE, 0, 0);
    }
    SwapSaverWindowBuffers(capture.saver);
}

// Runs inside the saver's loop: once the scene exists, routes its swaps through the
// read-back; a run that never draws is ended after a while all the same.
void CALLBACK WatchPreview(HWND, UINT, UINT_PTR, DWORD) {
    static DWORD started = GetTickCount();
    HWND saver = capture.saver ? nullptr : FindWindowExA(capture.parent, nullptr, kSaverClassName, nullptr);
    if (saver && SaverWindowStateOf(saver)) {
        capture.saver = saver;
        SetSaverSwap(capture.saver, ReadBackThenSwap, nullptr);
    }
    if (GetTickCount() - started > 20000 && IsWindow(capture.parent)) PostMessageA(capture.parent, WM_CLOSE, 0, 0);
}

// The warm browns of the lodge's logs, boards and shingles (the texture's own run from
// about (67, 50, 41) to (132, 87, 48)): red over green over blue. Neither black, nor a
// grey background, nor any of the cube's saturated faces passes.
bool IsWoodTone(const uint8_t* p) {
    const int r = p[0], g = p[1], b = p[2];
    return r >= 50 && r < 250 && r >= g + 8 && g >= b + 4 && r - b >= 24;
}

TEST(Preview, DrawsTheTexturedLodgeInsideItsParent) {
    HostState = HostStateRecord{};
    HostState.instance = GetModuleHandleA(nullptr);
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKeyPath);
    SetDefaults();

    RECT frame = {0, 0, kWidth, kHeight};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    capture.parent = CreateWindowExA(0, "STATIC", "Preview Parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN,
                                     40, 40, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                     nullptr, nullptr);
    ASSERT_NE(capture.parent, nullptr);
    UINT_PTR timer = SetTimer(nullptr, 0, 15, WatchPreview);

    const int exitCode = RunSaverWindow(capture.parent);

    KillTimer(nullptr, timer);
    if (IsWindow(capture.parent)) DestroyWindow(capture.parent);
    UnregisterClassA(kSaverClassName, GetModuleHandleA(nullptr));
    HostState.previewMode = 0;

    EXPECT_EQ(exitCode, 0) << "the preview ends with its parent";
    ASSERT_GE(capture.frames, kFramesBeforeCapture) << "the preview drew too few frames";
    EXPECT_EQ(capture.viewport[2], kWidth);
    EXPECT_EQ(capture.viewport[3], kHeight);

    int drawn = 0, wood = 0;
    for (size_t i = 0; i < capture.pixels.size(); i += 3) {
        const uint8_t* p = &capture.pixels[i];
        if (p[0] > 8 || p[1] > 8 || p[2] > 8) ++drawn;
        if (IsWoodTone(p)) ++wood;
    }
    const int total = kWidth * kHeight;
    // The lodge covers a good part of the preview, and most of what is drawn is wood.
    EXPECT_GT(wood, total / 20) << "wood-toned pixels: " << wood << " of " << total;
    EXPECT_GT(wood, drawn / 2) << "wood-toned " << wood << " of " << drawn << " drawn pixels";
}

}  // namespace
