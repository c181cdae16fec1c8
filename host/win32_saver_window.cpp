// The saver window in its three shapes, the message loop with frame pacing, and the
// input rules that decide when a run ends.
#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "host/frame_pacing.h"
#include "host/host_state.h"
#include "host/monitor_plan.h"
#include "host/mouse_rule.h"
#include "host/paced_loop.h"
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

// The timer that has a full-screen window look at the desktop's monitors.
static constexpr UINT_PTR kDesktopCheckTimer = 1;

// What the host keeps of each window it made: its surface as the application sees it,
// its pacing at its monitor's rate, its DPI's mouse rule and its display-power
// notifications.
struct HostWindow {
    explicit HostWindow(const SaverWindowPlan& windowPlan, SaverSurfaceKind kind)
        : plan(windowPlan), surface{kind, windowPlan.drawsLodge}, paced(0) {}
    HWND window = nullptr;
    SaverWindowPlan plan;
    SaverSurface surface;
    PacedSurface paced;
    int32_t mouseThreshold = 4;
    HPOWERNOTIFY powerNotifications[2] = {};
};

// The windows of this run, and those destroyed since the loop last handled events: a
// frame may destroy windows (a box runs its own message loop), so they are let go only
// between passes.
static std::vector<std::unique_ptr<HostWindow>> runWindows;
static std::vector<std::unique_ptr<HostWindow>> retiredWindows;
static HostWindow* creatingWindow = nullptr;  // between CreateWindowEx and its WM_CREATE
static bool layingOut = false;                // windows destroyed to lay out again do not end the run
static MonitorLayout runLayout = MonitorLayout::Each;
static std::vector<SaverWindowPlan> runPlan;  // what the full-screen windows were made for

static HostWindow* HostWindowOf(HWND window) {
    for (const auto& held : runWindows)
        if (held->window == window) return held.get();
    return nullptr;
}

static void StopWatchingDisplayPower(HostWindow& held);

// Takes the window's record off the run's list, its display-power notifications
// stopped; the record is kept until the loop's next pass.
static void RetireHostWindow(HostWindow* held) {
    StopWatchingDisplayPower(*held);
    const auto found = std::find_if(runWindows.begin(), runWindows.end(),
                                    [&](const auto& w) { return w.get() == held; });
    retiredWindows.push_back(std::move(*found));
    runWindows.erase(found);
    retiredWindows.back()->window = nullptr;
}

static void WatchDisplayPower(HostWindow& held) {
    const GUID* settings[2] = {&kConsoleDisplayState, &kMonitorPowerOn};
    for (int i = 0; i < 2; ++i)
        held.powerNotifications[i] = RegisterPowerSettingNotification(held.window, settings[i], DEVICE_NOTIFY_WINDOW_HANDLE);
}

static void StopWatchingDisplayPower(HostWindow& held) {
    for (HPOWERNOTIFY& notification : held.powerNotifications) {
        if (notification) UnregisterPowerSettingNotification(notification);
        notification = nullptr;
    }
}

// The frames a second a window draws at most: the application's limit as the settings
// last loaded say (every window's creation loads them), or its monitor's rate.
static uint32_t FrameCapFor(uint32_t monitorRefreshHz) {
    const SaverCallbacks& callbacks = HandedCallbacks();
    const FrameRateLimit limit = callbacks.frameRateLimit ? callbacks.frameRateLimit() : FrameRateLimit{};
    return FrameCap(limit.perSecond, limit.fromDisplay, monitorRefreshHz);
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

// Makes one window of the run; null when the system refuses it.
static HWND MakeRunWindow(std::unique_ptr<HostWindow> held, DWORD extendedStyle, const char* title, DWORD style,
                          HWND parent, uint32_t refreshHz) {
    HostWindow* pending = held.get();
    runWindows.push_back(std::move(held));
    creatingWindow = pending;
    const MonitorArea& area = pending->plan.area;
    HWND window = CreateWindowExA(extendedStyle, kSaverClassName, title, style, area.x, area.y, area.width,
                                  area.height, parent, nullptr, static_cast<HINSTANCE>(HostState.instance),
                                  &pending->surface);
    creatingWindow = nullptr;
    if (!window) {
        const auto found = std::find_if(runWindows.begin(), runWindows.end(),
                                        [&](const auto& w) { return w.get() == pending; });
        if (found != runWindows.end()) runWindows.erase(found);
        return nullptr;
    }
    const uint32_t cap = FrameCapFor(refreshHz ? refreshHz : DisplayRefreshRate(window));
    pending->paced = PacedSurface(cap);
    TraceF("Saver window at %d,%d, %dx%d: %s, paced at %u frames a second", area.x, area.y, area.width, area.height,
           pending->plan.drawsLodge ? "the lodge" : "black", cap);
    return window;
}

// The desktop's monitors as the system lists them, with their refresh rates.
static std::vector<MonitorArea> DesktopMonitors() {
    std::vector<MonitorArea> monitors;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR handle, HDC, LPRECT, LPARAM list) -> BOOL {
            MONITORINFOEXA info = {};
            info.cbSize = sizeof info;
            if (!GetMonitorInfoA(handle, &info)) return TRUE;
            DEVMODEA mode = {};
            mode.dmSize = sizeof mode;
            const uint32_t rate = EnumDisplaySettingsA(info.szDevice, ENUM_CURRENT_SETTINGS, &mode) ? mode.dmDisplayFrequency : 0;
            const RECT& r = info.rcMonitor;
            reinterpret_cast<std::vector<MonitorArea>*>(list)->push_back(
                {r.left, r.top, r.right - r.left, r.bottom - r.top, (info.dwFlags & MONITORINFOF_PRIMARY) != 0, rate});
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

static std::vector<SaverWindowPlan> FullScreenPlan() {
    const MonitorArea desktop = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                                 GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), true, 0};
    return PlanFullScreenWindows(DesktopMonitors(), runLayout, desktop);
}

static constexpr const char* kFullScreenTitle = "Screensaver";

// The full-screen windows of a plan, topmost, each on its own rectangle, added to the
// run's; the first one made becomes the foreground window. False when none could be made.
static bool MakeFullScreenWindows(const std::vector<SaverWindowPlan>& plan) {
    runPlan = plan;
    HWND first = nullptr;
    for (const SaverWindowPlan& each : plan) {
        HWND made = MakeRunWindow(std::make_unique<HostWindow>(each, SaverSurfaceKind::Monitor), WS_EX_TOPMOST,
                                  kFullScreenTitle, WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                  nullptr, each.area.refreshHz);
        if (!first) first = made;
    }
    if (!first) return false;
    SetForegroundWindow(first);
    // One window looks at the desktop for all: asking for the monitors' modes is not
    // free, and under some X servers not without a flicker.
    SetTimer(first, kDesktopCheckTimer, 1000, nullptr);
    return true;
}

// Destroys `windows` of the run without ending it; their records go on being held
// until the loop's next pass.
static void DestroyRunWindows(const std::vector<HWND>& windows) {
    const bool wasLayingOut = layingOut;
    layingOut = true;
    for (HWND window : windows) {
        if (IsWindow(window) && DestroyWindow(window)) continue;  // its WM_DESTROY retired it
        HostWindow* held = HostWindowOf(window);
        if (!held) continue;
        ReleaseSaverWindowGl(window);
        RetireHostWindow(held);
    }
    layingOut = wasLayingOut;
}

static std::vector<HWND> RunWindowHandles() {
    std::vector<HWND> handles;
    for (const auto& held : runWindows) handles.push_back(held->window);
    return handles;
}

// A resolution changed, or a monitor came or went: the full-screen windows follow
// the desktop's monitors as they are now. Windows whose monitor only moved or changed
// its size are moved (their views follow through WM_SIZE); a different set of monitors
// gets new windows.
static void LayOutFullScreenAgain() {
    const std::vector<SaverWindowPlan> plan = FullScreenPlan();
    // Unchanged (the check runs once a second); a window the system refused stays away.
    if (plan == runPlan || layingOut) return;
    bool same = plan.size() == runWindows.size();
    for (size_t i = 0; same && i < plan.size(); ++i) same = plan[i].drawsLodge == runWindows[i]->plan.drawsLodge;
    if (same) {
        runPlan = plan;
        for (size_t i = 0; i < plan.size(); ++i) {
            HostWindow& held = *runWindows[i];
            if (held.plan == plan[i]) continue;
            Trace("Saver window: the desktop's monitors changed, following them");
            held.plan = plan[i];
            const MonitorArea& area = plan[i].area;
            SetWindowPos(held.window, HWND_TOPMOST, area.x, area.y, area.width, area.height, SWP_NOACTIVATE);
            held.paced = PacedSurface(FrameCapFor(area.refreshHz ? area.refreshHz : DisplayRefreshRate(held.window)));
            held.mouseThreshold = MouseThresholdForDpi(WindowDpi(held.window));
        }
        return;
    }
    // The new windows are made before the old ones go: the saver keeps the foreground
    // (no other program is activated between them) and the model read goes on for the
    // new windows. Without any new window the old ones stay.
    Trace("Saver window: monitors came or went, making the windows again");
    const std::vector<HWND> old = RunWindowHandles();
    layingOut = true;
    const bool made = MakeFullScreenWindows(plan);
    layingOut = false;
    if (made) DestroyRunWindows(old);
}

// The paced loop's view of the Windows run: the thread's message queue and the
// windows the run made.
class Win32LoopPort : public PacedLoopPort {
public:
    explicit Win32LoopPort(bool watchMonitorPower) : watchMonitorPower_(watchMonitorPower) {}
    int exitCode = 0;

    bool HandleEvents() override {
        retiredWindows.clear();
        MSG message = {};
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                exitCode = static_cast<int>(message.wParam);
                return false;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        // A windowed run never consults the monitor-power flag.
        if (watchMonitorPower_ && HostState.monitorPoweredDown) Sleep(1);
        return true;
    }
    std::vector<PacedSurface*> Surfaces() override {
        std::vector<PacedSurface*> drawn;
        for (const auto& held : runWindows)
            if (held->surface.drawsLodge && held->window) drawn.push_back(&held->paced);
        return drawn;
    }
    void DrawFrame(PacedSurface& surface) override {
        for (const auto& held : runWindows) {
            if (&held->paced != &surface) continue;
            MakeSaverWindowGlCurrent(held->window);
            HandedCallbacks().idle(held->window, CurrentFrameRequest());
            return;  // the window may be gone now
        }
    }
    void AfterFrames(bool unpaced) override {
        if (unpaced) Sleep(0);
    }
    // Input arriving meanwhile is handled at once, not after the sleep.
    void WaitForEvents(uint32_t milliseconds) override {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_ALLINPUT);
    }
    double Seconds() override {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }

private:
    bool watchMonitorPower_;
};

// Messages first; then each window draws when its pacing allows (see RunPacedLoop).
// When the loop ends (a window closed), the run's other windows go too.
static int RunMessageLoop(bool watchMonitorPower) {
    Win32LoopPort port(watchMonitorPower);
    RunPacedLoop(port);
    DestroyRunWindows(RunWindowHandles());
    retiredWindows.clear();
    return port.exitCode;
}

int RunSaverWindow(HWND parent) {
    if (!parent) {
        // One full-screen saver at a time: the platform may start a second one.
        HWND running = FindWindowA(kSaverClassName, kFullScreenTitle);
        if (running && IsWindow(running)) {
            SetForegroundWindow(running);
            return 0;
        }
    }
    if (!RegisterSaverClass(nullptr)) return kExitFailure;
    if (parent) {
        HostState.previewMode = 1;
        RECT client = {};
        GetClientRect(parent, &client);
        SaverWindowPlan plan;
        plan.area = {0, 0, client.right, client.bottom, true, 0};
        if (!MakeRunWindow(std::make_unique<HostWindow>(plan, SaverSurfaceKind::Preview), 0, "Screensaver Preview",
                           WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, parent, 0))
            return kExitFailure;
        return RunMessageLoop(true);
    }
    runLayout = HandedCallbacks().monitorLayout ? HandedCallbacks().monitorLayout() : MonitorLayout::Each;
    if (!MakeFullScreenWindows(FullScreenPlan())) return kExitFailure;
    return RunMessageLoop(true);
}

int RunWindowed() {
    HostState.windowedMode = 1;
    if (!RegisterSaverClass(LoadCursor(nullptr, IDC_ARROW))) return kExitFailure;
    SaverWindowPlan plan;
    plan.area = {100, 100, 512, 480, true, 0};
    if (!MakeRunWindow(std::make_unique<HostWindow>(plan, SaverSurfaceKind::Windowed), 0, "Windowed Screensaver",
                       WS_POPUP | WS_VISIBLE | WS_OVERLAPPEDWINDOW, nullptr, 0))
        return kExitFailure;
    return RunMessageLoop(false);
}

LRESULT CALLBACK SaverClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            const bool fullScreen = !HostState.previewMode && !HostState.windowedMode;
            HostWindow* held = creatingWindow;
            if (held) held->window = window;
            // Each window's own DPI sets how far the mouse may move on it.
            if (held) held->mouseThreshold = MouseThresholdForDpi(WindowDpi(window));
            // The first window of a run sets where the cursor stood.
            if (!held || runWindows.size() == 1) HostState.referenceCursor = CursorPosition();
            // Wine changes the desktop's monitors without telling its windows: full
            // screen also looks once a second, through the first window made (a
            // window of the host's own; see MakeFullScreenWindows).
            if (fullScreen && !held) SetTimer(window, kDesktopCheckTimer, 1000, nullptr);
            if (fullScreen) SetCursor(nullptr);
            // A display that wakes without input (a program keeping it on) says so
            // here, so that drawing resumes.
            if (fullScreen && held) WatchDisplayPower(*held);
            break;
        }
        case WM_DESTROY:
            // Hooks after this one still see the window.
            if (HostWindow* held = HostWindowOf(window)) RetireHostWindow(held);
            if (!layingOut) PostQuitMessage(0);
            break;
        case WM_DPICHANGED: {
            // Dragged onto a monitor of another scale, or the scale changed. The mouse
            // rule follows the new DPI. The windowed run takes the rectangle the system
            // suggests, so it keeps its size to the eye (its view follows through
            // WM_SIZE); a full-screen window keeps its monitor's rectangle.
            if (HostWindow* held = HostWindowOf(window)) held->mouseThreshold = MouseThresholdForDpi(LOWORD(wParam));
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            if (HostState.windowedMode && suggested)
                SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                             suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_POWERBROADCAST:
            if (DisplayTurnedOn(wParam, lParam)) HostState.monitorPoweredDown = 0;
            break;
        case WM_DISPLAYCHANGE:
        case WM_TIMER:
            if (!HostState.previewMode && !HostState.windowedMode && HostWindowOf(window)) {
                // Laying out again may destroy this window: the hook sees nothing more of it.
                LayOutFullScreenAgain();
                return 0;
            }
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
    // The application resizes its drawing and releases it in the window's own context.
    if (message == WM_SIZE || message == WM_DESTROY) MakeSaverWindowGlCurrent(window);
    const LRESULT result = HandedCallbacks().windowHook(window, message, wParam, lParam);
    if (message == WM_DESTROY) ReleaseSaverWindowGl(window);
    return result;
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
    const HostWindow* held = HostWindowOf(window);
    const int32_t threshold = held ? held->mouseThreshold : MouseThresholdForDpi(WindowDpi(window));
    if (!MouseMoveEndsSaver(HostState.referenceCursor, now, threshold) ||
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
            // Another program took over; windows made again for new monitors hand the
            // activation on among themselves.
            if (!wParam && !layingOut) return EndRequest(window, message, wParam, lParam);
            break;
        case WM_SETCURSOR:
            // An ordinary window keeps the pointer and its resize cursors.
            if (HostState.windowedMode) break;
            SetCursor(nullptr);
            return 1;
        case WM_KEYDOWN:
            if (wParam != 'S' && wParam != VK_F4) return EndRequest(window, message, wParam, lParam);
            ToggleFrameRateText();
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
