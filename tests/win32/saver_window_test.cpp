// The saver window's procedures with real windows: which input ends a run, in each
// of the three shapes, and the system commands the saver swallows.
#include <gtest/gtest.h>
#include <windows.h>

#include "host/host_state.h"
#include "host/win32_host.h"
#include "tests/win32/stub_application.h"

namespace {

enum class Shape { FullScreen, Windowed, Preview };

class SaverWindow : public ::testing::Test {
protected:
    void TearDown() override { Discard(); }

    // Destroys the window of the previous Create, if any, and its class.
    void Discard() {
        if (window && IsWindow(window)) DestroyWindow(window);
        if (parent) DestroyWindow(parent);
        window = parent = nullptr;
        Pump();
        UnregisterClassA(kSaverClassName, GetModuleHandleA(nullptr));
    }

    // A saver window of the given shape, made as the run operations make it, with
    // the pointer at (200, 200) as the reference.
    void Create(Shape shape) {
        Discard();
        HostState = HostStateRecord{};
        HostState.instance = GetModuleHandleA(nullptr);
        Stub.Reset();
        SetCursorPos(200, 200);
        WNDCLASSA windowClass = {};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = SaverClassProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kSaverClassName;
        ASSERT_TRUE(RegisterClassA(&windowClass));
        DWORD style = WS_POPUP | WS_VISIBLE;
        if (shape == Shape::Windowed) {
            HostState.windowedMode = 1;
            style |= WS_OVERLAPPEDWINDOW;
        }
        if (shape == Shape::Preview) {
            HostState.previewMode = 1;
            parent = CreateWindowExA(0, "STATIC", "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 150,
                                     nullptr, nullptr, nullptr, nullptr);
            style = WS_CHILD | WS_VISIBLE;
        }
        window = CreateWindowExA(0, kSaverClassName, "test saver", style, 0, 0, 160, 120, parent, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        Pump();
    }

    // Dispatches what is queued for this thread (a posted WM_CLOSE among it).
    static void Pump() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    void MoveTo(int x, int y) {
        SetCursorPos(x, y);
        SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        Pump();
    }

    bool Alive() const { return IsWindow(window) != FALSE; }

    HWND window = nullptr;
    HWND parent = nullptr;
};

TEST_F(SaverWindow, CreationRecordsThePointerAndReachesTheHook) {
    Create(Shape::FullScreen);
    EXPECT_EQ(HostState.referenceCursor.x, 200);
    EXPECT_EQ(HostState.referenceCursor.y, 200);
    EXPECT_TRUE(Stub.HookSaw(WM_CREATE));
    DestroyWindow(window);
    EXPECT_TRUE(Stub.HookSaw(WM_DESTROY));
    // WM_DESTROY posted the quit message with code 0.
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 0u);
}

TEST_F(SaverWindow, FirstMouseMoveArmsNothingHoweverFar) {
    Create(Shape::FullScreen);
    MoveTo(600, 500);
    EXPECT_TRUE(Alive());
    EXPECT_EQ(HostState.mouseMoveSeen, 1);
    EXPECT_EQ(HostState.closeArmed, 0);
    // The reference stays where it was, so the next far move ends the run.
    EXPECT_EQ(HostState.referenceCursor.x, 200);
    MoveTo(600, 501);
    EXPECT_FALSE(Alive());
}

TEST_F(SaverWindow, CrawlingWithinFourPixelsNeverEndsFiveDoes) {
    Create(Shape::FullScreen);
    MoveTo(200, 200);  // the platform's start-up move
    for (int step = 1; step <= 20; ++step) {
        MoveTo(200 + 2 * step, 200 + 2 * step);  // |dx| + |dy| = 4 each time
        ASSERT_TRUE(Alive()) << "step " << step;
    }
    EXPECT_EQ(HostState.closeArmed, 1);
    EXPECT_EQ(HostState.referenceCursor.x, 240);
    MoveTo(243, 242);  // 5 from the reference
    EXPECT_FALSE(Alive());
}

TEST_F(SaverWindow, CloseBeforeAnyInputIsDropped) {
    Create(Shape::FullScreen);
    HostState.monitorPoweredDown = 1;
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(Alive());
    EXPECT_EQ(HostState.monitorPoweredDown, 0);  // every close clears it
}

// A window moved onto a monitor of another scale: the windowed run takes the
// rectangle the system suggests; a full-screen window stays on its monitor's.
TEST_F(SaverWindow, AScaleChangeResizesOnlyTheWindowedRun) {
    for (Shape shape : {Shape::Windowed, Shape::FullScreen}) {
        Create(shape);
        RECT before = {};
        GetWindowRect(window, &before);
        RECT suggested = {40, 50, 40 + 240, 50 + 180};
        EXPECT_EQ(SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested)), 0);
        RECT after = {};
        GetWindowRect(window, &after);
        const RECT& expected = shape == Shape::Windowed ? suggested : before;
        EXPECT_EQ(after.left, expected.left);
        EXPECT_EQ(after.top, expected.top);
        EXPECT_EQ(after.right, expected.right);
        EXPECT_EQ(after.bottom, expected.bottom);
        EXPECT_TRUE(Alive());
    }
}

TEST_F(SaverWindow, FrameRateKeysToggleTextOtherKeysEnd) {
    Create(Shape::FullScreen);
    SendMessageA(window, WM_KEYDOWN, 'S', 0);
    Pump();
    EXPECT_EQ(HostState.showFrameRate, 1);
    SendMessageA(window, WM_KEYDOWN, VK_F4, 0);
    Pump();
    EXPECT_EQ(HostState.showFrameRate, 0);
    EXPECT_TRUE(Alive());
    EXPECT_EQ(HostState.closeArmed, 0);
    SendMessageA(window, WM_KEYDOWN, 'X', 0);
    EXPECT_EQ(HostState.closeArmed, 1);
    Pump();
    EXPECT_FALSE(Alive());
}

TEST_F(SaverWindow, ButtonsAltKeysAndDeactivationEndAFullScreenRun) {
    const UINT enders[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_SYSKEYDOWN};
    for (UINT message : enders) {
        Create(Shape::FullScreen);
        SendMessageA(window, message, 0, 0);
        Pump();
        EXPECT_FALSE(Alive()) << "message 0x" << std::hex << message;
    }
    Create(Shape::FullScreen);
    SendMessageA(window, WM_ACTIVATEAPP, TRUE, 0);  // becoming active is no input
    Pump();
    EXPECT_TRUE(Alive());
    SendMessageA(window, WM_ACTIVATEAPP, FALSE, 0);  // another program took over
    Pump();
    EXPECT_FALSE(Alive());
}

TEST_F(SaverWindow, FullScreenHidesTheCursorTheWindowedRunLeavesItAlone) {
    const HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    Create(Shape::FullScreen);
    SetCursor(arrow);
    EXPECT_EQ(SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), HTCLIENT), 1);
    EXPECT_EQ(GetCursor(), nullptr);

    SetCursor(arrow);
    Create(Shape::Windowed);
    EXPECT_EQ(GetCursor(), arrow) << "creation leaves the pointer visible";
    SendMessageA(window, WM_SHOWWINDOW, TRUE, 0);
    EXPECT_EQ(GetCursor(), arrow);
    // Over the sizing border the default processing shows the resize cursor.
    SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTBOTTOMRIGHT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_SIZENWSE));
}

TEST_F(SaverWindow, WindowedRunIgnoresInputAndClosesOnlyAfterTwoMoves) {
    Create(Shape::Windowed);
    const UINT ignored[] = {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    for (UINT message : ignored) SendMessageA(window, message, 'X', 0);
    SendMessageA(window, WM_ACTIVATEAPP, FALSE, 0);
    Pump();
    EXPECT_TRUE(Alive());
    EXPECT_EQ(HostState.closeArmed, 0);
    SendMessageA(window, WM_CLOSE, 0, 0);  // the close box, before any mouse move
    EXPECT_TRUE(Alive());
    MoveTo(400, 300);
    MoveTo(700, 10);  // far moves only follow the pointer
    EXPECT_TRUE(Alive());
    EXPECT_EQ(HostState.referenceCursor.x, 700);
    EXPECT_EQ(HostState.closeArmed, 1);
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(Alive());
}

TEST_F(SaverWindow, PreviewGetsDefaultProcessingOnly) {
    Create(Shape::Preview);
    SendMessageA(window, WM_KEYDOWN, 'X', 0);
    SendMessageA(window, WM_LBUTTONDOWN, 0, 0);
    MoveTo(10, 10);
    MoveTo(700, 700);
    SendMessageA(window, WM_KEYDOWN, 'S', 0);
    Pump();
    EXPECT_TRUE(Alive());
    EXPECT_EQ(HostState.closeArmed, 0);
    EXPECT_EQ(HostState.mouseMoveSeen, 0);
    EXPECT_EQ(HostState.showFrameRate, 0);
    // The saver ends with its parent.
    DestroyWindow(parent);
    parent = nullptr;
    EXPECT_FALSE(Alive());
}

TEST_F(SaverWindow, SystemCommandsForScreenSaverAndTaskSwitchAreSwallowed) {
    for (Shape shape : {Shape::FullScreen, Shape::Windowed}) {
        Create(shape);
        for (WPARAM command : {SC_SCREENSAVE, SC_NEXTWINDOW, SC_PREVWINDOW}) {
            Stub.hookMessages.clear();
            EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, command, 0), 0);
            EXPECT_FALSE(Stub.HookSaw(WM_SYSCOMMAND)) << "command 0x" << std::hex << command;
        }
        EXPECT_TRUE(Alive());
    }
    Create(Shape::Preview);  // a preview passes them on
    SendMessageA(window, WM_SYSCOMMAND, SC_NEXTWINDOW, 0);
    EXPECT_TRUE(Stub.HookSaw(WM_SYSCOMMAND));
}

TEST_F(SaverWindow, MonitorPowerSetsTheFlagOutsideWindowedRunsAndPowerOnClearsIt) {
    Create(Shape::FullScreen);
    SendMessageA(window, WM_SYSCOMMAND, SC_MONITORPOWER, 1);
    EXPECT_EQ(HostState.monitorPoweredDown, 1);
    EXPECT_TRUE(Stub.HookSaw(WM_SYSCOMMAND));
    // The display wakes without input: drawing resumes.
    SendMessageA(window, WM_SYSCOMMAND, SC_MONITORPOWER, -1);
    EXPECT_EQ(HostState.monitorPoweredDown, 0);
    SendMessageA(window, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
    EXPECT_EQ(HostState.monitorPoweredDown, 1);
    // The same told by a display-state notification.
    POWERBROADCAST_SETTING displayOn = {{0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}},
                                        1, {1}};
    SendMessageA(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&displayOn));
    EXPECT_EQ(HostState.monitorPoweredDown, 0);

    Create(Shape::Windowed);
    SendMessageA(window, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
    EXPECT_EQ(HostState.monitorPoweredDown, 0);
    Create(Shape::Preview);
    SendMessageA(window, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
    EXPECT_EQ(HostState.monitorPoweredDown, 0);
}

TEST_F(SaverWindow, WhilePasswordDialogIsOpenOnlyCloseIsHandled) {
    Create(Shape::FullScreen);
    HostState.passwordDialogOpen = 1;
    SendMessageA(window, WM_KEYDOWN, 'X', 0);
    MoveTo(200, 200);
    MoveTo(600, 600);
    Pump();
    EXPECT_TRUE(Alive());
    EXPECT_EQ(HostState.closeArmed, 0);
    HostState.monitorPoweredDown = 1;
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(HostState.monitorPoweredDown, 0);
    EXPECT_TRUE(Alive());
}

TEST(SaverPassword, NtFamilyNeedsNoPassword) {
    // Wine reports an NT-family system, as modern Windows does.
    HostState.passwordDialogOpen = 0;
    EXPECT_TRUE(VerifySaverPassword(nullptr));
    EXPECT_EQ(HostState.passwordDialogOpen, 0);
    ChangeSaverPassword(nullptr);  // returns at once, shows nothing
}

}  // namespace
