// The application's side of the saver window, in-process: what window creation
// builds, and that idle calls measure time but draw nothing while the password dialog
// is open or the monitor is powered down.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <cmath>
#include <cstdint>

#include "app/saver_window_state.h"
#include "app/settings.h"
#include "host/host_state.h"
#include "app/win32_saver_app.h"
#include "host/win32_host.h"

namespace {

class SaverApplication : public ::testing::Test {
protected:
    void SetUp() override {
        HostState = HostStateRecord{};
        HostState.instance = GetModuleHandleA(nullptr);
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VLG");
        SetDefaults();
        WNDCLASSA windowClass = {};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = SaverClassProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kSaverClassName;
        ASSERT_TRUE(RegisterClassA(&windowClass));
        window = CreateWindowExA(0, kSaverClassName, "app test", WS_POPUP | WS_VISIBLE, 0, 0, 320, 200, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        if (IsWindow(window)) DestroyWindow(window);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        UnregisterClassA(kSaverClassName, GetModuleHandleA(nullptr));
    }
    // Idle calls until the model read at creation is ready and drawn.
    const SaverWindowState& ReadyState() {
        const SaverWindowState* state = SaverWindowStateOf(window);
        EXPECT_NE(state, nullptr);
        const DWORD start = GetTickCount();
        while (state && !state->modelReady && GetTickCount() - start < 20000) {
            LodgeSaverCallbacks().idle(window, CurrentFrameRequest());
            Sleep(1);
        }
        EXPECT_TRUE(state && state->modelReady) << "the model was not ready within 20 s";
        return *state;
    }
    HWND window = nullptr;
};

TEST_F(SaverApplication, CreationBuildsTheSceneAndDestructionReleasesIt) {
    const SaverWindowState* state = SaverWindowStateOf(window);
    ASSERT_NE(state, nullptr);
    EXPECT_TRUE(state->sceneRunning);
    ASSERT_NE(state->scene, nullptr);
    EXPECT_NE(state->font, nullptr);
    EXPECT_EQ(state->halfWidth, 160);
    EXPECT_EQ(state->halfHeight, 100);
    EXPECT_FLOAT_EQ(state->aspectRatio, 1.6f);
    // The settings were read again and the model path rebuilt.
    EXPECT_NE(std::string(Settings.modelPath), "none");
    EXPECT_TRUE(ReadyState().scene->modelLoaded) << "the lodge, read on its own thread";
    DestroyWindow(window);
    EXPECT_EQ(SaverWindowStateOf(window), nullptr);
}

// Only the windowed run, where someone sits at the window, shows the readers' notices
// as boxes; a box over a full-screen or preview window would wait for OK unseen. A
// monitor left black has no drawing at all.
TEST_F(SaverApplication, NoticesGoToBoxesOnlyInTheWindowedRun) {
    struct Case {
        SaverSurface surface;
        bool drawn, boxes;
    } cases[] = {
        {{SaverSurfaceKind::Windowed, true}, true, true},
        {{SaverSurfaceKind::Monitor, true}, true, false},
        {{SaverSurfaceKind::Preview, true}, true, false},
        {{SaverSurfaceKind::Monitor, false}, false, false},
    };
    for (Case& c : cases) {
        HWND made = CreateWindowExA(0, kSaverClassName, "surface", WS_POPUP, 0, 0, 64, 48, nullptr, nullptr,
                                    GetModuleHandleA(nullptr), &c.surface);
        ASSERT_NE(made, nullptr);
        const SaverWindowState* state = SaverWindowStateOf(made);
        EXPECT_EQ(state != nullptr, c.drawn) << static_cast<int>(c.surface.kind);
        if (state) {
            EXPECT_EQ(state->noticesAsBoxes, c.boxes) << static_cast<int>(c.surface.kind);
        }
        DestroyWindow(made);
    }
    EXPECT_FALSE(SaverWindowStateOf(window)->noticesAsBoxes) << "a window the host did not make";
}

TEST_F(SaverApplication, IdleMeasuresTimeButDrawsNothingWhileBlocked) {
    const SaverWindowState& state = ReadyState();
    bool* flags[] = {&HostState.passwordDialogOpen, &HostState.monitorPoweredDown};
    for (bool* flag : flags) {
        const float angle = state.scene->angleZ();
        *flag = true;
        Sleep(30);
        LodgeSaverCallbacks().idle(window, CurrentFrameRequest());
        EXPECT_GT(state.frameSeconds, 0.02f) << "time is measured on every idle call";
        EXPECT_EQ(state.scene->angleZ(), angle) << "no frame was drawn";
        *flag = false;
        Sleep(30);  // the model moves by the time since the last idle call: a step and more
        LodgeSaverCallbacks().idle(window, CurrentFrameRequest());
        EXPECT_NE(state.scene->angleZ(), angle) << "a frame was drawn";
    }
}

TEST_F(SaverApplication, StoredValuesAtTheEndsOfTheirTypeRunThreeHundredFrames) {
    const char* const names[] = {"xoff", "yoff", "zoff", "vel",   "xrot",  "xrots",   "yrot",
                                 "yrots", "zrot", "zrots", "scale", "blur", "lighting"};
    for (int32_t value : {0, -1, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(value);
        DestroyWindow(window);
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        for (const char* name : names)
            RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(key);
        // A small window: the trail is drawn in software here.
        window = CreateWindowExA(0, kSaverClassName, "app test", WS_POPUP | WS_VISIBLE, 0, 0, 160, 100, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        const SaverWindowState& state = ReadyState();
        ASSERT_NE(state.font, nullptr) << "no rendering context: nothing would be drawn";
        EXPECT_EQ(Settings.scale, value);
        for (int frame = 0; frame < 300; ++frame) LodgeSaverCallbacks().idle(window, CurrentFrameRequest());
        const Scene& scene = *state.scene;
        for (float coordinate : {scene.position.x, scene.position.y, scene.angle.x, scene.angle.y, scene.angle.z})
            EXPECT_TRUE(std::isfinite(coordinate)) << coordinate;
        RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKeyPath);
    }
}

}  // namespace
