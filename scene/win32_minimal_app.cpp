// The smallest application that honours the host's callback contract: an OpenGL
// context made on window creation, a cleared frame per idle call, the context
// released on destruction, and no configuration dialog yet.
#include <GL/gl.h>

#include "host/host_state.h"
#include "host/win32_host.h"

static HDC saverDC;
static HGLRC saverRC;

// The settings load that runs before WinMain reads the frame-rate limit.
static const bool startupSettingsLoaded = (ReadFrameRateLimit(), true);

static void CreateContext(HWND window) {
    saverDC = GetDC(window);
    PIXELFORMATDESCRIPTOR wanted = {};
    wanted.nSize = sizeof wanted;
    wanted.nVersion = 1;
    wanted.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    wanted.iPixelType = PFD_TYPE_RGBA;
    wanted.cColorBits = 24;
    wanted.cDepthBits = 24;
    SetPixelFormat(saverDC, ChoosePixelFormat(saverDC, &wanted), &wanted);
    saverRC = wglCreateContext(saverDC);
    wglMakeCurrent(saverDC, saverRC);
}

static void ReleaseContext(HWND window) {
    wglMakeCurrent(nullptr, nullptr);
    if (saverRC) wglDeleteContext(saverRC);
    ReleaseDC(window, saverDC);
    saverRC = nullptr;
    saverDC = nullptr;
}

LRESULT CALLBACK SaverWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        ReadFrameRateLimit();
        CreateContext(window);
    } else if (message == WM_DESTROY) {
        ReleaseContext(window);
    }
    return DefaultSaverProc(window, message, wParam, lParam);
}

void SaverIdle() {
    if (!saverRC || HostState.passwordDialogOpen || HostState.monitorPoweredDown) return;
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    SwapBuffers(saverDC);
}

INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}
