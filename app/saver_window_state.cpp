#include "app/saver_window_state.h"

#include <utility>

#include "app/reader_notices.h"
#include "app/scene_view.h"

void StartSaverDrawing(SaverWindowState& state, const SaverSettings& settings, int left, int top, int width,
                       int height) {
    SetUpSceneView(state, left, top, width, height);
    state.scene.reset(new Scene(settings, state.halfWidth, state.halfHeight));
    state.font.reset(new TextureFont());
    if (settings.lighting) SetUpLighting(state);
}

void ResizeSaverDrawing(SaverWindowState& state, int width, int height) {
    if (width <= 0 || height <= 0 || !state.scene) return;
    SetUpSceneView(state, 0, 0, width, height);
    if (state.scene->settings().lighting) SetUpLighting(state);
    state.scene->FitDriftToView(state.halfWidth, state.halfHeight);
}

void StartReadingSceneModel(SaverWindowState& state, const std::function<bool()>& unpackBuiltIn, bool noticesAsBoxes) {
    state.noticesAsBoxes = noticesAsBoxes;
    const Scene& scene = *state.scene;
    state.reading = JoinModelRead([&] { return scene.ModelChoice(unpackBuiltIn()); });
}

void ReportPendingNotices(SaverWindowState& state) {
    if (state.pendingNotices.notices.empty()) return;
    const ReadResult notices = std::move(state.pendingNotices);
    const bool asBoxes = state.noticesAsBoxes;
    state.pendingNotices = ReadResult();
    ReportReaderNotices(notices, asBoxes);
}
