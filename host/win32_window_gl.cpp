// The OpenGL side of the saver's windows: each window's device context, pixel format,
// rendering context, swap interval and buffer swap. Every window of a run on several
// monitors has a context of its own, made current before anything is drawn or
// released in it.
#include <map>

#include "host/pixel_format.h"
#include "host/win32_host.h"
#include "platform/gl.h"
#include "platform/trace.h"

namespace {

struct WindowGl {
    HDC dc = nullptr;
    HGLRC rc = nullptr;
};

std::map<HWND, WindowGl> windowContexts;

// Where the driver offers WGL_EXT_swap_control, each swap waits for the display:
// no tearing, and no frames drawn that the screen never shows.
void RequestSwapInterval() {
    using SwapIntervalProc = BOOL(WINAPI*)(int);
    const PROC found = wglGetProcAddress("wglSwapIntervalEXT");
    // Some drivers answer 1, 2, 3 or -1 for a function they do not have.
    const INT_PTR value = reinterpret_cast<INT_PTR>(found);
    if (value == 0 || value == 1 || value == 2 || value == 3 || value == -1) return;
    const auto swapInterval = reinterpret_cast<SwapIntervalProc>(reinterpret_cast<void*>(found));
    if (swapInterval(1)) Trace("initSaver: swap interval 1");
}

}  // namespace

bool MakeSaverWindowGl(HWND window, bool stencil) {
    ReleaseSaverWindowGl(window);
    WindowGl gl;
    gl.dc = GetDC(window);
    SelectPixelFormat(gl.dc, stencil);
    gl.rc = wglCreateContext(gl.dc);
    if (!gl.rc || !wglMakeCurrent(gl.dc, gl.rc)) {
        if (gl.rc) wglDeleteContext(gl.rc);
        ReleaseDC(window, gl.dc);
        return false;
    }
    windowContexts[window] = gl;
    RequestSwapInterval();
    return true;
}

bool MakeSaverWindowGlCurrent(HWND window) {
    const auto found = windowContexts.find(window);
    if (found == windowContexts.end()) return false;
    const WindowGl& gl = found->second;
    return wglGetCurrentContext() == gl.rc || wglMakeCurrent(gl.dc, gl.rc);
}

void SwapSaverWindowBuffers(HWND window) {
    const auto found = windowContexts.find(window);
    if (found != windowContexts.end()) wglSwapLayerBuffers(found->second.dc, WGL_SWAP_MAIN_PLANE);
}

void ReleaseSaverWindowGl(HWND window) {
    const auto found = windowContexts.find(window);
    if (found == windowContexts.end()) return;
    const WindowGl gl = found->second;
    windowContexts.erase(found);
    if (wglGetCurrentContext() == gl.rc) wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(gl.rc);
    ReleaseDC(window, gl.dc);
}
