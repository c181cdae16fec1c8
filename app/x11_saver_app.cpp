// The application side of the X11 display mode: the scene is built once the host has
// a current rendering context, a frame is drawn per idle call, and the scene goes
// before the context does. The built-in lodge is unpacked into a folder of this run's
// own, removed again at the end.
#include "app/x11_saver_app.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "app/frame.h"
#include "app/saver_window_state.h"
#include "app/settings.h"
#include "app/unpack_default_model.h"
#include "platform/frame_timer.h"
#include "platform/trace.h"

namespace {

// What the display mode's one window holds: its drawing state, its frame timer and the
// private folder of the built-in lodge.
struct X11SaverWindow {
    SaverWindowState drawing;
    FrameTimer timer;
    std::string modelFolder;
    bool windowed = false;
    bool modelReported = false;  // an unusable chosen model has been said
};
X11SaverWindow* running = nullptr;

void RemoveModelFolder() {
    if (!running) return;
    RemovePrivateModelFolder(running->modelFolder);
    running->modelFolder.clear();
}

void Start(int width, int height, bool windowed) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    running = new X11SaverWindow();
    running->windowed = windowed;
    SaverWindowState& state = running->drawing;

    // The built-in model's path names the private folder, whether or not it unpacks.
    running->modelFolder = MakePrivateModelFolder();
    const std::string& folder = running->modelFolder;
    std::snprintf(Settings.modelPath, sizeof Settings.modelPath, "%s/%s", folder.c_str(), kDefaultModelName);

    StartSaverDrawing(state, 0, 0, width, height);
    state.swapBuffers = [](void*) { SwapX11SaverBuffers(); };

    const bool unpacked = !folder.empty() && folder.size() + 16 < sizeof Settings.modelPath &&
                          UnpackDefaultModel(folder.c_str());
    if (!unpacked) Trace("the default model was not unpacked");
    // Read on a thread of its own; black until it can be drawn. The readers' notices
    // go to standard error in the program's own window, to the trace under the daemon.
    StartReadingSceneModel(state, unpacked, windowed);
    state.sceneRunning = true;
}

void Resize(int width, int height) {
    if (!running) return;
    ResizeSaverDrawing(running->drawing, width, height);
}

// A chosen model that is not drawn is always said: the command line named it.
void ReportUnusableChosenModel(const X11SaverWindow& window) {
    const Scene& scene = *window.drawing.scene;
    if (Settings.modelFile.empty() || scene.fitted) return;
    std::fprintf(stderr, "velmora: -model: \"%s\" cannot be used; the %s is drawn instead\n",
                 Settings.modelFile.c_str(), scene.modelLoaded ? "built-in lodge" : "cube");
}

void Idle() {
    if (!running) return;
    SaverWindowState& state = running->drawing;
    state.frameSeconds = running->timer.elapsedSeconds();
    if (!state.sceneRunning) return;
    DrawFrame(state);
    ReportPendingNotices(state);
    if (state.modelReady && !running->modelReported) {
        running->modelReported = true;
        ReportUnusableChosenModel(*running);
    }
}

void Stop() {
    if (!running) return;
    running->drawing.sceneRunning = false;
    // A model still being read is left to its thread; its result goes nowhere.
    running->drawing.reading.reset();
    running->drawing.scene->ReleaseModel();
    RemoveModelFolder();
    delete running;
    running = nullptr;
}

}  // namespace

X11SaverCallbacks LodgeX11SaverCallbacks() { return {Start, Resize, Idle, Stop, RemoveModelFolder}; }
