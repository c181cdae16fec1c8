// The registry as the settings store, and the pixel format chosen for a real window.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/settings.h"
#include "host/host_state.h"
#include "host/pixel_format.h"
#include "platform/user_store.h"

namespace {

class RegistrySettings : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKeyPath); }
    void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKeyPath); }

    static void SetRaw(const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\VLG", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(key);
    }
};

TEST_F(RegistrySettings, WritesDwordsUnderTheUsersKeyAndReadsThemBack) {
    SetDefaults();
    Settings.scale = 250;
    Settings.lighting = 1;
    ASSERT_TRUE(WriteToRegistry());

    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\VLG", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD values = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    EXPECT_EQ(values, 14u);
    DWORD type = 0, data = 0, size = sizeof data;
    ASSERT_EQ(RegQueryValueExA(key, "scale", nullptr, &type, reinterpret_cast<BYTE*>(&data), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(data, 250u);
    RegCloseKey(key);

    LoadSettings();
    EXPECT_EQ(Settings.scale, 250);
    EXPECT_EQ(Settings.lighting, 1);
}

TEST_F(RegistrySettings, OnlyFourByteNumbersAreRead) {
    const BYTE binary[4] = {0x2C, 0x01, 0, 0};  // 300
    SetRaw("xrots", REG_BINARY, binary, 4);
    SetRaw("yrots", REG_SZ, "abc", 4);  // 'a' 'b' 'c' NUL would read as 6,513,249
    SetRaw("scale", REG_SZ, "250", 4);  // typed by hand: about 3 million percent
    const BYTE twoBytes[2] = {5, 0};
    SetRaw("zrots", REG_BINARY, twoBytes, 2);
    ULONGLONG wide = 9;
    SetRaw("vel", REG_QWORD, &wide, 8);
    LoadSettings();
    EXPECT_EQ(Settings.xrots, 300);
    EXPECT_EQ(Settings.yrots, 1) << "text is no number: the field stays as it was";
    EXPECT_EQ(Settings.scale, 100);
    EXPECT_EQ(Settings.zrots, 20) << "a 2-byte value leaves the field as it was";
    EXPECT_EQ(Settings.vel, 20) << "an 8-byte value does not fit the 4-byte buffer";
}

TEST_F(RegistrySettings, ModelPathFollowsTemp) {
    char saved[MAX_PATH] = "";
    GetEnvironmentVariableA("TEMP", saved, sizeof saved);
    _putenv_s("TEMP", "C:\\windows\\temp");
    ReadFromRegistry();
    EXPECT_STREQ(Settings.modelPath, "C:\\windows\\temp\\VLG.3DS");
    _putenv_s("TEMP", "");
    ReadFromRegistry();
    char expected[MAX_PATH];
    DWORD length = GetTempPathA(sizeof expected, expected);
    ASSERT_GT(length, 0u);
    if (expected[length - 1] == '\\') expected[length - 1] = '\0';
    EXPECT_EQ(std::string(Settings.modelPath), std::string(expected) + "\\VLG.3DS");
    _putenv_s("TEMP", saved);
}

// Computes the expected choice from the device's own list, independently of the
// code under test: highest score, the earliest on ties, among eligible formats.
int ExpectedFormat(HDC dc, int* eligibleCount) {
    int count = DescribePixelFormat(dc, 1, sizeof(PIXELFORMATDESCRIPTOR), nullptr);
    int best = 0, bestScore = 0;
    *eligibleCount = 0;
    for (int i = 1; i <= count; ++i) {
        PIXELFORMATDESCRIPTOR pfd;
        DescribePixelFormat(dc, i, sizeof pfd, &pfd);
        const DWORD need = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        if ((pfd.dwFlags & need) != need || pfd.iPixelType != PFD_TYPE_RGBA) continue;
        ++*eligibleCount;
        int score = pfd.cColorBits + 2 * pfd.cDepthBits + (pfd.cColorBits > 16 ? (16 - pfd.cColorBits) / 2 : 0) +
                    (!(pfd.dwFlags & PFD_GENERIC_FORMAT) ? 2000 : (pfd.dwFlags & PFD_GENERIC_ACCELERATED) ? 1000 : 0);
        if (score > bestScore) {
            bestScore = score;
            best = i;
        }
    }
    return best;
}

TEST(PixelFormatChoice, RealWindowGetsTheFirstHighestScoringFormat) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "PixelFormatTestWindow";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "pf", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    HDC dc = GetDC(window);
    int eligible = 0;
    int expected = ExpectedFormat(dc, &eligible);
    ASSERT_GT(eligible, 1) << "the driver should offer a choice";
    ASSERT_NE(expected, 0);

    SelectPixelFormat(dc);
    EXPECT_EQ(GetPixelFormat(dc), expected);
    PIXELFORMATDESCRIPTOR chosen;
    DescribePixelFormat(dc, GetPixelFormat(dc), sizeof chosen, &chosen);
    EXPECT_TRUE(chosen.dwFlags & PFD_DOUBLEBUFFER);
    EXPECT_GE(chosen.cDepthBits, 16);
    // A context can be made on it.
    HGLRC rc = wglCreateContext(dc);
    EXPECT_NE(rc, nullptr);
    if (rc) wglDeleteContext(rc);
    ReleaseDC(window, dc);
    DestroyWindow(window);
    UnregisterClassA(windowClass.lpszClassName, windowClass.hInstance);
}

}  // namespace
