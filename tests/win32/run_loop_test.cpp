// The run operations in-process: a full-screen run ends with 0 after armed input,
// the paced loop honours "FrameRateLimit", and the limit is read from the registry.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/settings.h"
#include "host/host_state.h"
#include "host/win32_host.h"
#include "tests/win32/stub_application.h"

namespace {

const char* const kKey = "Software\\VLG";

class RegistryValues : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }
    void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }

    static void Set(const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(key);
    }
};

TEST_F(RegistryValues, FrameRateLimitIsReadOnlyFromFourByteNumbers) {
    EXPECT_EQ(ReadFrameRateLimit().perSecond, 60u) << "no key: the default limit";

    DWORD thirty = 30;
    Set("FrameRateLimit", REG_DWORD, &thirty, 4);
    EXPECT_EQ(ReadFrameRateLimit().perSecond, 30u);

    const BYTE binary[4] = {45, 0, 0, 0};  // four bytes of binary, as older tools write
    Set("FrameRateLimit", REG_BINARY, binary, 4);
    EXPECT_EQ(ReadFrameRateLimit().perSecond, 45u);

    // Text typed by hand would read as its character codes, 3,158,577 frames a second.
    Set("FrameRateLimit", REG_SZ, "120", 4);
    EXPECT_EQ(ReadFrameRateLimit().perSecond, 60u) << "a REG_SZ is ignored";

    ULONGLONG wide = 45;  // longer than 4 bytes
    Set("FrameRateLimit", REG_QWORD, &wide, 8);
    EXPECT_EQ(ReadFrameRateLimit().perSecond, 60u);

    const BYTE shortValue[2] = {25, 0};  // shorter: treated as missing
    Set("FrameRateLimit", REG_BINARY, shortValue, 2);
    EXPECT_EQ(ReadFrameRateLimit().perSecond, 60u);

    DWORD zero = 0;
    Set("FrameRateLimit", REG_DWORD, &zero, 4);
    EXPECT_EQ(ReadFrameRateLimit().perSecond, 0u) << "0 asks for the unpaced loop";

    HKEY key;
    RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_WRITE, &key);
    RegDeleteValueA(key, "FrameRateLimit");
    RegCloseKey(key);
    EXPECT_EQ(ReadFrameRateLimit().perSecond, 60u) << "key without the value: the default limit";
}

// Runs RunSaverWindow full screen; `onIdle` acts from inside the loop.
int RunFullScreen() {
    HostState = HostStateRecord{};
    HostState.instance = GetModuleHandleA(nullptr);
    int code = RunSaverWindow(nullptr);
    UnregisterClassA(kSaverClassName, GetModuleHandleA(nullptr));
    return code;
}

TEST_F(RegistryValues, PacedRunDrawsAtTheLimitAndEndsWithZero) {
    DWORD limit = 20;
    Set("FrameRateLimit", REG_DWORD, &limit, 4);
    Stub.Reset();
    Stub.onCreate = [] { Stub.frameRate = ReadFrameRateLimit(); };
    DWORD start = 0;
    Stub.onIdle = [&start] {
        if (Stub.idleCalls == 1) start = GetTickCount();
        // After about half a second, a key press ends the run.
        if (GetTickCount() - start >= 500) PostMessageA(Stub.idleWindow, WM_KEYDOWN, 'Q', 0);
    };
    EXPECT_EQ(RunFullScreen(), 0);
    // 20 frames a second for half a second: about 11; unpaced it would be thousands.
    EXPECT_GE(Stub.idleCalls, 5);
    EXPECT_LE(Stub.idleCalls, 30);
    EXPECT_FALSE(IsWindow(Stub.idleWindow));
}

TEST_F(RegistryValues, WindowedRunIsPacedByDefault) {
    Stub.Reset();
    Stub.onCreate = [] { Stub.frameRate = ReadFrameRateLimit(); };
    DWORD start = 0;
    Stub.onIdle = [&start] {
        if (Stub.idleCalls == 1) start = GetTickCount();
        if (GetTickCount() - start >= 500) DestroyWindow(Stub.idleWindow);
    };
    HostState = HostStateRecord{};
    HostState.instance = GetModuleHandleA(nullptr);
    EXPECT_EQ(RunWindowed(), 0);
    UnregisterClassA(kSaverClassName, GetModuleHandleA(nullptr));
    // 60 frames a second for half a second: about 31; unpaced it would be thousands.
    EXPECT_GE(Stub.idleCalls, 15);
    EXPECT_LE(Stub.idleCalls, 60);
}

TEST_F(RegistryValues, UnpacedRunDrawsOnEveryIdlePass) {
    DWORD unpaced = 0;
    Set("FrameRateLimit", REG_DWORD, &unpaced, 4);
    Stub.Reset();
    Stub.onCreate = [] { Stub.frameRate = ReadFrameRateLimit(); };
    Stub.onIdle = [] {
        if (Stub.idleCalls == 200) PostMessageA(Stub.idleWindow, WM_LBUTTONDOWN, 0, 0);
    };
    EXPECT_EQ(RunFullScreen(), 0);
    EXPECT_GE(Stub.idleCalls, 200);
}

TEST(RunModes, PreviewHandleMustNameAWindow) {
    EXPECT_EQ(RunPreview(""), kExitFailure);
    EXPECT_EQ(RunPreview("0"), kExitFailure);
    EXPECT_EQ(RunPreview(":1234"), kExitFailure);
    EXPECT_EQ(RunPreview("4294967295"), kExitFailure);  // -1 as a handle: no window
}

TEST(RunModes, PreviewHandleIsSignExtended) {
    EXPECT_EQ(WindowFromDecimal(-2), reinterpret_cast<HWND>(static_cast<INT_PTR>(-2)));
    EXPECT_EQ(reinterpret_cast<INT_PTR>(WindowFromDecimal(static_cast<int>(0x80001234u))),
              static_cast<INT_PTR>(static_cast<int>(0x80001234u)));
}

TEST(RunModes, ConfigurationDialogWithoutTemplateFails) {
    HostState.instance = GetModuleHandleA(nullptr);
    EXPECT_EQ(ShowConfigDialog(nullptr), -1);
}

}  // namespace
