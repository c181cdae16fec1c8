// The smallest application that honours the host's callback contract: an OpenGL
// context made on window creation, a cleared frame per idle call, the context
// released on destruction, and no configuration dialog yet.
#include <GL/gl.h>

#include "host/host_state.h"
#include "host/pixel_format.h"
#include "host/win32_host.h"
#include "scene/settings.h"

static HDC saverDC;
static HGLRC saverRC;

static void CreateContext(HWND window) {
    saverDC = GetDC(window);
    SelectPixelFormat(saverDC);
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
        ReadFromRegistry();
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
