// The saver window in its three shapes, the message loop with frame pacing, and the
// input rules that decide when a run ends.
#include "host/frame_pacing.h"
#include "platform/frame_timer.h"
#include "host/host_state.h"
#include "host/mouse_rule.h"
#include "host/win32_host.h"
#include "platform/trace.h"

static ScreenPoint CursorPosition() {
    POINT p = {0, 0};
    GetCursorPos(&p);
    return {p.x, p.y};
}

// The window's DPI where the system tells it per monitor (Windows 10 1607 and later,
// looked up at run time); 0 elsewhere.
static uint32_t WindowDpi(HWND window) {
    using GetDpiForWindowProc = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    return getDpiForWindow ? getDpiForWindow(window) : 0;
}

// The display's power state as the system broadcasts it: GUID_CONSOLE_DISPLAY_STATE
// (Windows 8 and later; 0 off, 1 on, 2 dimmed) and GUID_MONITOR_POWER_ON (Windows 7;
// 0 off, 1 on). Their first data byte is 1 when the display is on.
static const GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
static const GUID kMonitorPowerOn = {0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};
static HPOWERNOTIFY displayNotifications[2];

static void WatchDisplayPower(HWND window) {
    const GUID* settings[2] = {&kConsoleDisplayState, &kMonitorPowerOn};
    for (int i = 0; i < 2; ++i) {
        if (displayNotifications[i]) UnregisterPowerSettingNotification(displayNotifications[i]);
        displayNotifications[i] = RegisterPowerSettingNotification(window, settings[i], DEVICE_NOTIFY_WINDOW_HANDLE);
    }
}

static void StopWatchingDisplayPower() {
    for (HPOWERNOTIFY& notification : displayNotifications) {
        if (notification) UnregisterPowerSettingNotification(notification);
        notification = nullptr;
    }
}

// True for a notification that the display is on again.
static bool DisplayTurnedOn(WPARAM event, LPARAM data) {
    if (event != PBT_POWERSETTINGCHANGE || !data) return false;
    const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(data);
    return (IsEqualGUID(setting->PowerSetting, kConsoleDisplayState) ||
            IsEqualGUID(setting->PowerSetting, kMonitorPowerOn)) &&
           setting->DataLength >= 1 && setting->Data[0] == 1;
}

// The refresh rate of the display the window is on, as the system reports it; 0 or 1
// stand for the hardware's default, which it does not name.
static uint32_t DisplayRefreshRate(HWND window) {
    MONITORINFOEXA monitor = {};
    monitor.cbSize = sizeof monitor;
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    const HMONITOR found = MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
    const char* device = found && GetMonitorInfoA(found, &monitor) ? monitor.szDevice : nullptr;
    if (!EnumDisplaySettingsA(device, ENUM_CURRENT_SETTINGS, &mode)) return 0;
    return mode.dmDisplayFrequency;
}

// The timer that has a full-screen window look at the desktop's size.
static constexpr UINT_PTR kDesktopCheckTimer = 1;

// A resolution changed, or a monitor came or went: the full-screen window covers the
// desktop as it is now, and its view follows through WM_SIZE.
static void CoverDesktop(HWND window) {
    const RECT desktop = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                          GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                          GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    RECT now = {};
    if (!GetWindowRect(window, &now) || EqualRect(&now, &desktop)) return;
    Trace("Saver window: the desktop changed its size, covering it again");
    SetWindowPos(window, HWND_TOPMOST, desktop.left, desktop.top, desktop.right - desktop.left,
                 desktop.bottom - desktop.top, SWP_NOACTIVATE);
}

static bool RegisterSaverClass(HCURSOR cursor) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = SaverClassProc;
    windowClass.hInstance = static_cast<HINSTANCE>(HostState.instance);
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kSaverClassName;
    return RegisterClassA(&windowClass) != 0;
}

// Messages first, one per pass; idle passes draw when the pacing allows. A paced run
// keeps a frame budget and sleeps until the next frame is nearly due, waking for
// any message; an unpaced one (a frame-rate limit of 0) draws on every idle pass and
// gives up the rest of its time slice. A windowed run never consults the
// monitor-power flag.
static int RunMessageLoop(HWND window, bool watchMonitorPower) {
    FrameTimer timer;
    FramePacer pacer(FrameCap(HostState.frameRateLimit, HostState.frameRateFromDisplay, DisplayRefreshRate(window)));
    MSG message = {};
    for (;;) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) break;
            TranslateMessage(&message);
            DispatchMessageA(&message);
            continue;
        }
        if (watchMonitorPower && HostState.monitorPoweredDown) Sleep(1);
        uint32_t sleepMilliseconds = 0;
        switch (pacer.Pass(timer.elapsedSeconds(), &sleepMilliseconds)) {
            case PaceAction::Draw:
                HandedCallbacks().idle(window);
                if (pacer.unpaced()) Sleep(0);
                break;
            case PaceAction::Sleep:
                // Input arriving meanwhile is handled at once, not after the sleep.
                MsgWaitForMultipleObjects(0, nullptr, FALSE, sleepMilliseconds, QS_ALLINPUT);
                break;
        }
    }
    return static_cast<int>(message.wParam);
}

int RunSaverWindow(HWND parent) {
    int x, y, width, height;
    DWORD style, extendedStyle;
    const char* title;
    if (parent) {
        RECT client = {};
        GetClientRect(parent, &client);
        x = 0;
        y = 0;
        width = client.right;
        height = client.bottom;
        style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
        extendedStyle = 0;
        HostState.previewMode = 1;
        title = "Screensaver Preview";
    } else {
        x = GetSystemMetrics(SM_XVIRTUALSCREEN);
        y = GetSystemMetrics(SM_YVIRTUALSCREEN);
        width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
        height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
        style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        extendedStyle = WS_EX_TOPMOST;
        title = "Screensaver";
        // One full-screen saver at a time: the platform may start a second one.
        HWND running = FindWindowA(kSaverClassName, title);
        if (running && IsWindow(running)) {
            SetForegroundWindow(running);
            return 0;
        }
    }

    if (!RegisterSaverClass(nullptr)) return kExitFailure;
    HWND window = CreateWindowExA(extendedStyle, kSaverClassName, title, style, x, y, width, height, parent,
                                  nullptr, static_cast<HINSTANCE>(HostState.instance), nullptr);
    HostState.saverWindow = window;
    if (!window) return kExitFailure;
    if (!HostState.previewMode) SetForegroundWindow(window);
    return RunMessageLoop(window, true);
}

int RunWindowed() {
    HostState.windowedMode = 1;
    if (!RegisterSaverClass(LoadCursor(nullptr, IDC_ARROW))) return kExitFailure;
    HWND window = CreateWindowExA(0, kSaverClassName, "Windowed Screensaver",
                                  WS_POPUP | WS_VISIBLE | WS_OVERLAPPEDWINDOW, 100, 100, 512, 480, nullptr,
                                  nullptr, static_cast<HINSTANCE>(HostState.instance), nullptr);
    HostState.saverWindow = window;
    if (!window) return kExitFailure;
    return RunMessageLoop(window, false);
}

LRESULT CALLBACK SaverClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            // Wine changes the desktop's size on a monitor's change without telling its
            // windows: full screen also looks once a second.
            if (!HostState.previewMode && !HostState.windowedMode) SetTimer(window, kDesktopCheckTimer, 1000, nullptr);
            HostState.referenceCursor = CursorPosition();
            HostState.mouseMoveThreshold = MouseThresholdForDpi(WindowDpi(window));
            if (!HostState.previewMode && !HostState.windowedMode) SetCursor(nullptr);
            // A display that wakes without input (a program keeping it on) says so
            // here, so that drawing resumes.
            if (!HostState.previewMode && !HostState.windowedMode) WatchDisplayPower(window);
            break;
        case WM_DESTROY:
            StopWatchingDisplayPower();
            PostQuitMessage(0);
            break;
        case WM_POWERBROADCAST:
            if (DisplayTurnedOn(wParam, lParam)) HostState.monitorPoweredDown = 0;
            break;
        case WM_DISPLAYCHANGE:
        case WM_TIMER:
            if (!HostState.previewMode && !HostState.windowedMode) CoverDesktop(window);
            break;
        case WM_SYSCOMMAND:
            if (HostState.previewMode) break;
            switch (wParam & 0xFFF0) {  // the low four bits are the system's own
                case SC_NEXTWINDOW:
                case SC_PREVWINDOW:
                case SC_SCREENSAVE:
                    return 0;
                case SC_MONITORPOWER:
                    // The state is a 32-bit number, whatever width the sender widened it to.
                    if ((static_cast<int>(lParam) == 1 || static_cast<int>(lParam) == 2) && !HostState.windowedMode)
                        HostState.monitorPoweredDown = 1;
                    if (static_cast<int>(lParam) == -1) HostState.monitorPoweredDown = 0;  // powering on: draw again
                    break;
            }
            break;
    }
    return HandedCallbacks().windowHook(window, message, wParam, lParam);
}

// Input that ends a full-screen run: arm the close and ask for it. Windowed runs
// end only through their close box.
static LRESULT EndRequest(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TraceF("Saver window: message 0x%04x asks to end", message);
    if (!HostState.windowedMode) {
        HostState.closeArmed = 1;
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static LRESULT OnClose(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HostState.monitorPoweredDown = 0;
    // A close before any input (another program's, or the first mouse move's) is dropped.
    if (!HostState.closeArmed) {
        Trace("Saver window: close dropped, no input yet");
        return 0;
    }
    if (!VerifySaverPassword(window)) {
        HostState.referenceCursor = CursorPosition();
        return 0;
    }
    Trace("Saver window: closing");
    return DefWindowProcA(window, message, wParam, lParam);
}

static LRESULT OnMouseMove(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The platform sends one move at start-up without any input: it arms nothing.
    // Each step is traced once, so that a watcher knows which input has arrived.
    if (HostState.mouseMoveSeen) {
        if (!HostState.closeArmed) Trace("Saver window: second mouse move, close armed");
        HostState.closeArmed = 1;
    } else {
        HostState.mouseMoveSeen = 1;
        Trace("Saver window: first mouse move");
    }
    ScreenPoint now = CursorPosition();
    TraceF("Saver window: mouse move to %ld,%ld", static_cast<long>(now.x), static_cast<long>(now.y));
    if (!MouseMoveEndsSaver(HostState.referenceCursor, now, HostState.mouseMoveThreshold) ||
        HostState.windowedMode)
        HostState.referenceCursor = now;
    else
        PostMessageA(window, WM_CLOSE, 0, 0);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (HostState.previewMode) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_CLOSE) return OnClose(window, message, wParam, lParam);
    if (HostState.passwordDialogOpen) return DefWindowProcA(window, message, wParam, lParam);

    switch (message) {
        case WM_SHOWWINDOW:
            if (wParam && !HostState.windowedMode) SetCursor(nullptr);
            break;
        case WM_ACTIVATEAPP:
            if (!wParam) return EndRequest(window, message, wParam, lParam);  // another program took over
            break;
        case WM_SETCURSOR:
            // An ordinary window keeps the pointer and its resize cursors.
            if (HostState.windowedMode) break;
            SetCursor(nullptr);
            return 1;
        case WM_KEYDOWN:
            if (wParam != 'S' && wParam != VK_F4) return EndRequest(window, message, wParam, lParam);
            HostState.showFrameRate = !HostState.showFrameRate;
            break;
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            return EndRequest(window, message, wParam, lParam);
        case WM_MOUSEMOVE:
            return OnMouseMove(window, message, wParam, lParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
