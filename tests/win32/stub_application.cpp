#include "tests/win32/stub_application.h"

#include <algorithm>

#include "host/win32_host.h"

StubApplication Stub;

bool StubApplication::HookSaw(UINT message) const {
    return std::find(hookMessages.begin(), hookMessages.end(), message) != hookMessages.end();
}

namespace {

LRESULT CALLBACK StubWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Stub.hookMessages.push_back(message);
    if (message == WM_CREATE && Stub.onCreate) Stub.onCreate();
    return DefaultSaverProc(window, message, wParam, lParam);
}

void StubIdle(HWND window, const FrameRequest&) {
    ++Stub.idleCalls;
    Stub.idleWindow = window;
    if (Stub.onIdle) Stub.onIdle();
}

INT_PTR CALLBACK StubDialog(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

void StubStartup() {}

MonitorLayout StubMonitorLayout() { return MonitorLayout::Each; }

FrameRateLimit StubFrameRateLimit() { return Stub.frameRate; }

// The host is handed the stand-in before any test runs.
const bool handed = (UseSaverCallbacks({StubStartup, StubWindowHook, StubIdle, StubDialog, StubMonitorLayout,
                                                       StubFrameRateLimit}),
                     true);

}  // namespace
