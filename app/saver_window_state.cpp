#include "app/saver_window_state.h"

#include <utility>

#include "app/reader_notices.h"
#include "app/scene_view.h"
#include "app/settings.h"

void StartSaverDrawing(SaverWindowState& state, int left, int top, int width, int height) {
    SetUpSceneView(state, left, top, width, height);
    state.scene.reset(new Scene(Settings, state.halfWidth, state.halfHeight));
    state.font.reset(new TextureFont());
    if (Settings.lighting) SetUpLighting(state);
}

void StartReadingSceneModel(SaverWindowState& state, bool builtInReady, bool noticesAsBoxes) {
    state.noticesAsBoxes = noticesAsBoxes;
    state.reading.reset(new SceneModelReadJob(state.scene->ModelChoice(builtInReady)));
}

void ReportPendingNotices(SaverWindowState& state) {
    if (state.pendingNotices.notices.empty()) return;
    const ReadResult notices = std::move(state.pendingNotices);
    const bool asBoxes = state.noticesAsBoxes;
    state.pendingNotices = ReadResult();
    ReportReaderNotices(notices, asBoxes);
}
