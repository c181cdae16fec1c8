// The application side of the saver window: the rendering context and the scene are
// made on window creation, a frame is drawn per idle call, and both are released on
// window destruction.
#include <ctime>
#include <cstdlib>

#include <windows.h>
#include <commctrl.h>

#include "app/frame.h"
#include "app/saver_window_state.h"
#include "app/settings.h"
#include "app/unpack_default_model.h"
#include "app/win32_configure_dialog.h"
#include "app/win32_saver_app.h"
#include "platform/frame_timer.h"
#include "host/host_state.h"
#include "host/pixel_format.h"
#include "host/win32_host.h"
#include "platform/gl.h"
#include "platform/trace.h"

namespace {

// What one saver window holds: its device context and rendering context, its frame
// timer and its drawing state. Kept as the window's user data from WM_CREATE to
// WM_DESTROY.
struct SaverWindowRecord {
    HDC dc = nullptr;
    HGLRC rc = nullptr;
    FrameTimer timer;
    SaverWindowState drawing;
};

SaverWindowRecord* RecordOf(HWND window) {
    return window ? reinterpret_cast<SaverWindowRecord*>(GetWindowLongPtrA(window, GWLP_USERDATA)) : nullptr;
}

void SwapSaverBuffers(void* record) {
    wglSwapLayerBuffers(static_cast<SaverWindowRecord*>(record)->dc, WGL_SWAP_MAIN_PLANE);
}

// Where the driver offers WGL_EXT_swap_control, each swap waits for the display:
// no tearing, and no frames drawn that the screen never shows.
void RequestSwapInterval() {
    using SwapIntervalProc = BOOL(WINAPI*)(int);
    const PROC found = wglGetProcAddress("wglSwapIntervalEXT");
    // Some drivers answer 1, 2, 3 or -1 for a function they do not have.
    const INT_PTR value = reinterpret_cast<INT_PTR>(found);
    if (value == 0 || value == 1 || value == 2 || value == 3 || value == -1) return;
    const auto swapInterval = reinterpret_cast<SwapIntervalProc>(reinterpret_cast<void*>(found));
    if (swapInterval(1)) Trace("initSaver: swap interval 1");
}

}  // namespace

const SaverWindowState* SaverWindowStateOf(HWND window) {
    SaverWindowRecord* record = RecordOf(window);
    return record ? &record->drawing : nullptr;
}

void SetSaverSwap(HWND window, void (*swap)(void* context), void* context) {
    if (SaverWindowRecord* record = RecordOf(window)) {
        record->drawing.swapBuffers = swap;
        record->drawing.swapContext = context;
    }
}

void SwapSaverWindowBuffers(HWND window) {
    if (SaverWindowRecord* record = RecordOf(window)) SwapSaverBuffers(record);
}

bool initSaver(HWND window) {
    Trace("initSaver: Initializing");
    std::srand(static_cast<unsigned>(std::time(nullptr)));

    auto* record = new SaverWindowRecord();
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
    SaverWindowState& state = record->drawing;
    record->dc = GetDC(window);
    SelectPixelFormat(record->dc, Settings.blur != 0);
    record->rc = wglCreateContext(record->dc);
    RECT client = {};
    GetClientRect(window, &client);
    if (!record->rc || !wglMakeCurrent(record->dc, record->rc)) {
        // No OpenGL for this window: the saver keeps running and draws nothing. GL
        // calls without a current context would feed GLU undefined sizes.
        Trace("initSaver: no rendering context");
        if (record->rc) wglDeleteContext(record->rc);
        record->rc = nullptr;
        state.scene.reset(new Scene(Settings, state.halfWidth, state.halfHeight));
        return false;
    }

    RequestSwapInterval();
    StartSaverDrawing(state, client.left, client.top, client.right - client.left, client.bottom - client.top);
    state.swapBuffers = SwapSaverBuffers;
    state.swapContext = record;

    // Unpacked and read from one folder. Whatever lies there that this start did not
    // write whole (a stale or planted copy) is not loaded: the cube is drawn instead
    // (of the user's own model too, when it cannot be used).
    char folder[kModelPathSize];
    const bool unpacked = UnpackDefaultModel(DefaultModelFolder(folder, sizeof folder));
    if (!unpacked) Trace("initSaver: the default model was not unpacked");
    // The model is read on a thread of its own: the window answers input meanwhile and
    // stays black until the model can be drawn. A box would wait for OK on an idle
    // desktop: only the windowed run shows the readers' notices as boxes.
    StartReadingSceneModel(state, unpacked, HostState.windowedMode);
    return true;
}

void ShutdownSaver(HWND window) {
    SaverWindowRecord* record = RecordOf(window);
    if (!record) return;
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    // A model still being read is left to its thread; its result goes nowhere.
    record->drawing.reading.reset();
    // The model's textures and the font's go with the context.
    if (record->rc) record->drawing.scene->ReleaseModel();
    ReleaseDC(window, record->dc);
    wglMakeCurrent(nullptr, nullptr);
    if (record->rc) wglDeleteContext(record->rc);
    delete record;
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
            if (SaverWindowRecord* record = RecordOf(window)) record->drawing.sceneRunning = true;
            break;
        case WM_SIZE:
            // Maximised, restored or dragged: the view follows the client area.
            if (SaverWindowRecord* record = RecordOf(window); record && record->rc && wParam != SIZE_MINIMIZED)
                ResizeSaverDrawing(record->drawing, LOWORD(lParam), HIWORD(lParam));
            break;
        case WM_DESTROY:
            if (SaverWindowRecord* record = RecordOf(window)) record->drawing.sceneRunning = false;
            ShutdownSaver(window);
            break;
    }
    return DefaultSaverProc(window, message, wParam, lParam);
}

static void SaverIdle(HWND window) {
    SaverWindowRecord* record = RecordOf(window);
    if (!record) return;
    SaverWindowState& state = record->drawing;
    state.frameSeconds = record->timer.elapsedSeconds();
    if (!state.sceneRunning || !record->rc || HostState.monitorPoweredDown || HostState.passwordDialogOpen) return;
    DrawFrame(state);
    // Last: the window, and the record with it, may be gone once a box is closed.
    ReportPendingNotices(state);
}

SaverCallbacks LodgeSaverCallbacks() {
    return {SaverStartup, SaverWindowHook, SaverIdle, ScreenSaverConfigureDialog};
}
