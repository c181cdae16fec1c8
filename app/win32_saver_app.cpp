// The application side of the saver window: on window creation the host makes the
// window's OpenGL and the session starts in it, a frame is drawn per idle call, and
// the session ends on window destruction, before the host releases the context.
#include <memory>

#include <windows.h>
#include <commctrl.h>

#include "app/saver_session.h"
#include "app/settings.h"
#include "app/unpack_default_model.h"
#include "app/win32_configure_dialog.h"
#include "app/win32_saver_app.h"
#include "host/win32_host.h"
#include "platform/gl.h"
#include "platform/trace.h"

namespace {

// What one saver window holds while it draws: its session. Kept as the window's user
// data from WM_CREATE to WM_DESTROY; the host holds the window's OpenGL.
struct SaverWindowRecord {
    HWND window = nullptr;
    std::unique_ptr<SaverSession> session;
};

SaverWindowRecord* RecordOf(HWND window) {
    return window ? reinterpret_cast<SaverWindowRecord*>(GetWindowLongPtrA(window, GWLP_USERDATA)) : nullptr;
}

void SwapSaverBuffers(void* record) {
    SwapSaverWindowBuffers(static_cast<SaverWindowRecord*>(record)->window);
}

// The built-in lodge, unpacked into the one folder it is read from. Whatever lies
// there that this start did not write whole (a stale or planted copy) is not loaded:
// the cube is drawn instead (of the user's own model too, when it cannot be used).
bool UnpackIntoTemporaryFolder() {
    char folder[kModelPathSize];
    const bool unpacked = UnpackDefaultModel(DefaultModelFolder(folder, sizeof folder));
    if (!unpacked) Trace("initSaver: the default model was not unpacked");
    return unpacked;
}

}  // namespace

const SaverWindowState* SaverWindowStateOf(HWND window) {
    SaverWindowRecord* record = RecordOf(window);
    return record && record->session ? &record->session->drawing() : nullptr;
}

void SetSaverSwap(HWND window, void (*swap)(void* context), void* context) {
    SaverWindowRecord* record = RecordOf(window);
    if (record && record->session) {
        record->session->drawing().swapBuffers = swap;
        record->session->drawing().swapContext = context;
    }
}

// Starts the window's session with the settings just loaded. A box would wait for OK
// on an idle desktop: only the windowed run shows the readers' notices as boxes.
bool initSaver(HWND window, bool noticesAsBoxes) {
    Trace("initSaver: Initializing");
    if (!MakeSaverWindowGl(window, Settings.blur != 0)) {
        // No OpenGL for this window: the saver keeps running and draws nothing. GL
        // calls without a current context would feed GLU undefined sizes.
        Trace("initSaver: no rendering context");
        return false;
    }
    auto* record = new SaverWindowRecord();
    record->window = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
    RECT client = {};
    GetClientRect(window, &client);
    // The model is read on a thread of its own, once for all the run's windows: the
    // window answers input meanwhile and stays black until the model can be drawn.
    record->session = std::make_unique<SaverSession>(Settings, client.right - client.left,
                                                     client.bottom - client.top, UnpackIntoTemporaryFolder,
                                                     noticesAsBoxes, SwapSaverBuffers, record);
    return true;
}

void ShutdownSaver(HWND window) {
    SaverWindowRecord* record = RecordOf(window);
    if (!record) return;
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    // Released in the window's own context; without it (another window's may be
    // current) GL calls release nothing, and the objects go with the context.
    if (!MakeSaverWindowGlCurrent(window)) wglMakeCurrent(nullptr, nullptr);
    delete record;
}

static void SaverStartup() {
    // The configuration dialog's trackbars are common controls. Version 6 of the
    // library, which the manifest asks for, registers their class only on request.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    LoadSettings();
}

// What the host made the window for; null for a window it did not make.
static const SaverSurface* SurfaceOf(LPARAM createParameters) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(createParameters);
    return create ? static_cast<const SaverSurface*>(create->lpCreateParams) : nullptr;
}

static LRESULT CALLBACK SaverWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            const SaverSurface* surface = SurfaceOf(lParam);
            // A window the host made for a monitor left black draws nothing.
            if (surface && !surface->drawsLodge) break;
            LoadSettings();
            initSaver(window, surface && surface->kind == SaverSurfaceKind::Windowed);
            break;
        }
        case WM_SIZE:
            // Maximised, restored or dragged: the view follows the client area.
            if (SaverWindowRecord* record = RecordOf(window); record && wParam != SIZE_MINIMIZED)
                record->session->Resize(LOWORD(lParam), HIWORD(lParam));
            break;
        case WM_DESTROY:
            ShutdownSaver(window);
            break;
    }
    return DefaultSaverProc(window, message, wParam, lParam);
}

static void SaverIdle(HWND window, const FrameRequest& request) {
    SaverWindowRecord* record = RecordOf(window);
    if (!record) return;
    // Last: the window, and the record with it, may be gone once a box is closed.
    record->session->Frame(request);
}

static MonitorLayout StoredMonitorLayout() {
    return MonitorLayoutFromStored(static_cast<uint32_t>(Settings.monitors));
}

static FrameRateLimit StoredFrameRateLimit() {
    return Settings.frameRate;
}

SaverCallbacks LodgeSaverCallbacks() {
    return {SaverStartup, SaverWindowHook, SaverIdle, ScreenSaverConfigureDialog, StoredMonitorLayout,
            StoredFrameRateLimit};
}
