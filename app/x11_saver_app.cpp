// The application side of the X11 display mode: the scene is built once the host has
// a current rendering context, a frame is drawn per idle call, and the scene goes
// before the context does. The built-in lodge is unpacked into a folder of this run's
// own, removed again at the end.
#include "app/x11_saver_app.h"

#include <cstdio>
#include <memory>
#include <string>

#include "app/saver_session.h"
#include "app/settings.h"
#include "app/unpack_default_model.h"
#include "platform/trace.h"

namespace {

// What the display mode's one window holds: its session and the private folder of the
// built-in lodge.
struct X11SaverWindow {
    std::unique_ptr<SaverSession> session;
    std::string modelFolder;
    bool modelReported = false;  // an unusable chosen model has been said
};
X11SaverWindow* running = nullptr;

void RemoveModelFolder() {
    if (!running) return;
    RemovePrivateModelFolder(running->modelFolder);
    running->modelFolder.clear();
}

void Start(int width, int height, bool windowed) {
    running = new X11SaverWindow();

    // The built-in model's path names the private folder, whether or not it unpacks.
    running->modelFolder = MakePrivateModelFolder();
    const std::string folder = running->modelFolder;
    std::snprintf(Settings.modelPath, sizeof Settings.modelPath, "%s/%s", folder.c_str(), kDefaultModelName);

    const auto unpack = [folder] {
        const bool unpacked = !folder.empty() && folder.size() + 16 < sizeof Settings.modelPath &&
                              UnpackDefaultModel(folder.c_str());
        if (!unpacked) Trace("the default model was not unpacked");
        return unpacked;
    };
    // Read on a thread of its own; black until it can be drawn. The readers' notices
    // go to standard error in the program's own window, to the trace under the daemon.
    running->session = std::make_unique<SaverSession>(
        Settings, width, height, unpack, windowed, [](void*) { SwapX11SaverBuffers(); }, nullptr);
}

void Resize(int width, int height) {
    if (running) running->session->Resize(width, height);
}

// A chosen model that is not drawn is always said: the command line named it.
void ReportUnusableChosenModel(const Scene& scene) {
    const std::string& chosen = scene.settings().modelFile;
    if (chosen.empty() || scene.fitted) return;
    std::fprintf(stderr, "velmora: -model: \"%s\" cannot be used; the %s is drawn instead\n", chosen.c_str(),
                 scene.modelLoaded ? "built-in lodge" : "cube");
}

// Notices here go to standard error or the trace, never to a box: the session is
// still there after its frame.
void Idle(const FrameRequest& request) {
    if (!running) return;
    running->session->Frame(request);
    const SaverWindowState& state = running->session->drawing();
    if (state.modelReady && !running->modelReported) {
        running->modelReported = true;
        ReportUnusableChosenModel(*state.scene);
    }
}

void Stop() {
    if (!running) return;
    running->session.reset();
    RemoveModelFolder();
    delete running;
    running = nullptr;
}

}  // namespace

X11SaverCallbacks LodgeX11SaverCallbacks() { return {Start, Resize, Idle, Stop, RemoveModelFolder}; }
