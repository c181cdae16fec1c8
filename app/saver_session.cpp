#include "app/saver_session.h"

#include <cstdlib>
#include <ctime>

#include "app/frame.h"

namespace {

// Seeded once a process: windows started in the same second must not all start the
// lodge at the same place with the same drift.
void SeedRandomStartOnce() {
    static const bool seeded = (std::srand(static_cast<unsigned>(std::time(nullptr))), true);
    (void)seeded;
}

}  // namespace

SaverSession::SaverSession(int width, int height, const std::function<bool()>& unpackBuiltIn, bool noticesAsBoxes,
                           void (*swap)(void* context), void* swapContext) {
    SeedRandomStartOnce();
    StartSaverDrawing(drawing_, 0, 0, width, height);
    drawing_.swapBuffers = swap;
    drawing_.swapContext = swapContext;
    StartReadingSceneModel(drawing_, unpackBuiltIn, noticesAsBoxes);
    drawing_.sceneRunning = true;
}

SaverSession::~SaverSession() {
    drawing_.sceneRunning = false;
    drawing_.reading.reset();
    // The model's textures and the font's go with the context.
    drawing_.scene->ReleaseModel();
}

void SaverSession::Resize(int width, int height) {
    ResizeSaverDrawing(drawing_, width, height);
}

void SaverSession::Frame(bool paused) {
    drawing_.frameSeconds = timer_.elapsedSeconds();
    if (!drawing_.sceneRunning || paused) return;
    DrawFrame(drawing_);
    // Last: the window, and this session with it, may be gone once a box is closed.
    ReportPendingNotices(drawing_);
}
