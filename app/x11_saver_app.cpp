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
#include "app/reader_notices.h"
#include "app/saver_state.h"
#include "app/scene_view.h"
#include "app/settings.h"
#include "app/texture_font.h"
#include "app/unpack_default_model.h"
#include "host/frame_timer.h"
#include "platform/trace.h"

namespace {

std::string modelFolder;
FrameTimer* frameTimer = nullptr;

void RemoveModelFolder() {
    RemovePrivateModelFolder(modelFolder);
    modelFolder.clear();
}

void Start(int width, int height, bool windowed) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    SetUpSceneView(0, 0, width, height);

    // The built-in model's path names the private folder, whether or not it unpacks.
    modelFolder = MakePrivateModelFolder();
    // Also when the process ends through exit() (the X connection lost).
    static bool removalRegistered = false;
    if (!removalRegistered) removalRegistered = std::atexit(RemoveModelFolder) == 0;
    std::snprintf(Settings.modelPath, sizeof Settings.modelPath, "%s/%s", modelFolder.c_str(), kDefaultModelName);

    SaverState.scene = new Scene(Settings, SaverState.halfWidth, SaverState.halfHeight);
    StartSceneMotion(*SaverState.scene);
    SaverState.font = new TextureFont();
    SaverState.swapBuffers = SwapX11SaverBuffers;
    if (Settings.lighting) SetUpLighting();

    const bool unpacked = !modelFolder.empty() && modelFolder.size() + 16 < sizeof Settings.modelPath &&
                          UnpackDefaultModel(modelFolder.c_str());
    if (!unpacked) Trace("the default model was not unpacked");
    ReadResult notices;
    SaverState.scene->LoadModel(&notices, unpacked);
    // The readers' notices as lines on standard error in the program's own window,
    // as trace lines under the daemon.
    ReportReaderNotices(notices, windowed);
    // A chosen model that is not drawn is always said: the command line named it.
    if (!Settings.modelFile.empty() && !SaverState.scene->fitted)
        std::fprintf(stderr, "velmora: -model: \"%s\" cannot be used; the %s is drawn instead\n",
                     Settings.modelFile.c_str(), unpacked ? "built-in lodge" : "cube");
    frameTimer = new FrameTimer();
    SaverState.sceneRunning = true;
}

void Resize(int width, int height) { SetUpSceneView(0, 0, width, height); }

void Idle() {
    SaverState.frameSeconds = frameTimer->elapsedSeconds();
    if (SaverState.sceneRunning) DrawFrame();
}

void Stop() {
    SaverState.sceneRunning = false;
    if (SaverState.scene) SaverState.scene->ReleaseModel();
    StopSceneMotion();
    delete SaverState.scene;
    SaverState.scene = nullptr;
    delete SaverState.font;
    SaverState.font = nullptr;
    delete frameTimer;
    frameTimer = nullptr;
    RemoveModelFolder();
}

}  // namespace

X11SaverCallbacks LodgeX11SaverCallbacks() { return {Start, Resize, Idle, Stop}; }
