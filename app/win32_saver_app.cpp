// The application side of the saver window: the rendering context and the scene are
// made on window creation, a frame is drawn per idle call, and both are released on
// window destruction.
#include <ctime>
#include <cstdlib>

#include <windows.h>
#include <commctrl.h>

#include "app/frame.h"
#include "app/reader_notices.h"
#include "app/saver_state.h"
#include "app/scene_view.h"
#include "app/settings.h"
#include "app/texture_font.h"
#include "app/unpack_default_model.h"
#include "app/win32_configure_dialog.h"
#include "app/win32_saver_app.h"
#include "host/frame_timer.h"
#include "host/host_state.h"
#include "host/pixel_format.h"
#include "host/win32_host.h"
#include "platform/gl.h"
#include "platform/trace.h"

static HDC saverDC;
static HGLRC saverRC;

static void SwapSaverBuffers() {
    wglSwapLayerBuffers(saverDC, WGL_SWAP_MAIN_PLANE);
}

// Where the driver offers WGL_EXT_swap_control, each swap waits for the display:
// no tearing, and no frames drawn that the screen never shows.
static void RequestSwapInterval() {
    using SwapIntervalProc = BOOL(WINAPI*)(int);
    const PROC found = wglGetProcAddress("wglSwapIntervalEXT");
    // Some drivers answer 1, 2, 3 or -1 for a function they do not have.
    const INT_PTR value = reinterpret_cast<INT_PTR>(found);
    if (value == 0 || value == 1 || value == 2 || value == 3 || value == -1) return;
    const auto swapInterval = reinterpret_cast<SwapIntervalProc>(reinterpret_cast<void*>(found));
    if (swapInterval(1)) Trace("initSaver: swap interval 1");
}

bool initSaver(HWND window) {
    Trace("initSaver: Initializing");
    std::srand(static_cast<unsigned>(std::time(nullptr)));

    saverDC = GetDC(window);
    SelectPixelFormat(saverDC, Settings.blur != 0);
    saverRC = wglCreateContext(saverDC);
    RECT client = {};
    GetClientRect(window, &client);
    if (!saverRC || !wglMakeCurrent(saverDC, saverRC)) {
        // No OpenGL for this window: the saver keeps running and draws nothing. GL
        // calls without a current context would feed GLU undefined sizes.
        Trace("initSaver: no rendering context");
        if (saverRC) wglDeleteContext(saverRC);
        saverRC = nullptr;
        SaverState.scene = new Scene(Settings, SaverState.halfWidth, SaverState.halfHeight);
        return false;
    }

    RequestSwapInterval();
    SetUpSceneView(client.left, client.top, client.right - client.left, client.bottom - client.top);

    SaverState.scene = new Scene(Settings, SaverState.halfWidth, SaverState.halfHeight);
    StartSceneMotion(*SaverState.scene);
    SaverState.font = new TextureFont();
    SaverState.swapBuffers = SwapSaverBuffers;
    if (Settings.lighting) SetUpLighting();

    // Unpacked and read from one folder. Whatever lies there that this start did not
    // write whole (a stale or planted copy) is not loaded: the cube is drawn instead
    // (of the user's own model too, when it cannot be used).
    char folder[kModelPathSize];
    const bool unpacked = UnpackDefaultModel(DefaultModelFolder(folder, sizeof folder));
    if (!unpacked) {
        Trace("initSaver: the default model was not unpacked");
        if (Settings.modelFile.empty()) return false;
    }
    ReadResult notices;
    const bool loaded = SaverState.scene->LoadModel(&notices, unpacked);
    // A box would wait for OK on an idle desktop: only the windowed run shows them.
    ReportReaderNotices(notices, HostState.windowedMode);
    return loaded;
}

void ShutdownSaver(HWND window) {
    // The font stays until the process ends; the model's textures go with the context.
    SaverState.scene->ReleaseModel();
    StopSceneMotion();
    delete SaverState.scene;
    SaverState.scene = nullptr;
    ReleaseDC(window, saverDC);
    wglMakeCurrent(nullptr, nullptr);
    if (saverRC) wglDeleteContext(saverRC);
    saverRC = nullptr;
}

static void SaverStartup() {
    // The configuration dialog's trackbars are common controls. Version 6 of the
    // library, which the manifest asks for, registers their class only on request.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    LoadSettings();
}

static LRESULT CALLBACK SaverWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            LoadSettings();
            initSaver(window);
            SaverState.sceneRunning = true;
            break;
        case WM_DESTROY:
            SaverState.sceneRunning = false;
            ShutdownSaver(window);
            break;
    }
    return DefaultSaverProc(window, message, wParam, lParam);
}

static void SaverIdle() {
    static FrameTimer* timer = new FrameTimer();  // one for the life of the process
    SaverState.frameSeconds = timer->elapsedSeconds();
    if (SaverState.sceneRunning && saverRC && !HostState.monitorPoweredDown && !HostState.passwordDialogOpen)
        DrawFrame();
}

SaverCallbacks LodgeSaverCallbacks() {
    return {SaverStartup, SaverWindowHook, SaverIdle, ScreenSaverConfigureDialog};
}
