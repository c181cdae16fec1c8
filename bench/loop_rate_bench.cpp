// Measures the host's message loop under Wine or Windows: how often it calls the idle callback
// and how much CPU time the process uses per second, for one run shape and limit.
//
//   velmora_loop_bench fullscreen|windowed LIMIT SECONDS
//
// The application side here clears and swaps a GL context each idle call, as the
// saver's frames do at their cheapest, so the numbers are the loop's own.
#include <windows.h>
#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/host_state.h"
#include "host/win32_host.h"

static uint32_t wantedLimit;
static DWORD runMs;
static DWORD startTick;
static long idleCalls;
static HDC dc;
static HGLRC rc;

static LRESULT CALLBACK SaverWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        dc = GetDC(window);
        PIXELFORMATDESCRIPTOR pfd = {};
        pfd.nSize = sizeof pfd;
        pfd.nVersion = 1;
        pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        pfd.cColorBits = 24;
        pfd.cDepthBits = 24;
        SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd);
        rc = wglCreateContext(dc);
        wglMakeCurrent(dc, rc);
    } else if (message == WM_DESTROY) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(rc);
        ReleaseDC(window, dc);
    }
    return DefaultSaverProc(window, message, wParam, lParam);
}

static void SaverIdle(HWND window, const FrameRequest&) {
    if (idleCalls++ == 0) startTick = GetTickCount();
    glClear(GL_COLOR_BUFFER_BIT);
    SwapBuffers(dc);
    if (GetTickCount() - startTick >= runMs) {
        HostState.closeArmed = true;
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
}

static INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

static void SaverStartup() {}

// The limit as a stored "FrameRateLimit" would give it.
static FrameRateLimit WantedLimit() {
    return {wantedLimit, false};
}

static double Seconds(FILETIME t) {
    return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
}

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: velmora_loop_bench fullscreen|windowed LIMIT SECONDS\n");
        return 2;
    }
    bool windowed = std::strcmp(argv[1], "windowed") == 0;
    wantedLimit = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10));
    runMs = static_cast<DWORD>(std::atof(argv[3]) * 1000);
    HostState.instance = GetModuleHandleA(nullptr);
    UseSaverCallbacks({SaverStartup, SaverWindowHook, SaverIdle, ScreenSaverConfigureDialog, nullptr, WantedLimit});

    FILETIME created, exited, kernelBefore, userBefore, kernelAfter, userAfter;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernelBefore, &userBefore);
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    int code = windowed ? RunWindowed() : RunSaverWindow(nullptr);
    QueryPerformanceCounter(&after);
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernelAfter, &userAfter);

    double wall = static_cast<double>(after.QuadPart - before.QuadPart) / static_cast<double>(frequency.QuadPart);
    double cpu = Seconds(kernelAfter) - Seconds(kernelBefore) + Seconds(userAfter) - Seconds(userBefore);
    double measured = (GetTickCount() - startTick) / 1000.0;
    std::printf("%-10s limit=%-3u idle_calls_per_s=%9.1f cpu_s_per_s=%.3f wall_s=%.2f exit=%d\n", argv[1],
                wantedLimit, idleCalls / (measured > 0 ? measured : wall), cpu / wall, wall, code);
    return 0;
}
