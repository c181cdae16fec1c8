#include "app/saver_session.h"

#include <cstdlib>
#include <ctime>

#include "app/frame.h"

namespace {

// Seeded once a process: windows started in the same second must not all start the
// lodge at the same place with the same drift. VELMORA_RANDOM_SEED (a number) fixes the
// start, so that a benchmark's runs draw the same scenes.
void SeedRandomStartOnce() {
    static const bool seeded = [] {
        const char* fixed = std::getenv("VELMORA_RANDOM_SEED");
        std::srand(fixed && *fixed ? static_cast<unsigned>(std::strtoul(fixed, nullptr, 10))
                                   : static_cast<unsigned>(std::time(nullptr)));
        return true;
    }();
    (void)seeded;
}

}  // namespace

SaverSession::SaverSession(const SaverSettings& settings, int width, int height,
                           const std::function<bool()>& unpackBuiltIn, bool noticesAsBoxes,
                           void (*swap)(void* context), void* swapContext) {
    SeedRandomStartOnce();
    StartSaverDrawing(drawing_, settings, 0, 0, width, height);
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

void SaverSession::Frame(const FrameRequest& request) {
    drawing_.frameSeconds = timer_.elapsedSeconds();
    if (!drawing_.sceneRunning || request.paused) return;
    DrawFrame(drawing_, request.showFrameRate);
    // Last: the window, and this session with it, may be gone once a box is closed.
    ReportPendingNotices(drawing_);
}
