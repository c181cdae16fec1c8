// The life of one saver window, the same under both hosts: started with its surface
// once the host made the window's rendering context current, resized, asked for a
// frame at a time, stopped before the context goes.
#pragma once
#include <functional>

#include "app/saver_window_state.h"
#include "host/host_state.h"
#include "platform/frame_timer.h"

class SaverSession {
public:
    // With the window's rendering context current: the view of width x height pixels,
    // the scene, the font and the lighting, as `settings` (copied: the session draws
    // as it was started, whatever is loaded later); joins the run's model read (the
    // run's first window starts it after `unpackBuiltIn`, see StartReadingSceneModel).
    // The readers' notices go to boxes when noticesAsBoxes. `swap` shows a finished frame.
    SaverSession(const SaverSettings& settings, int width, int height, const std::function<bool()>& unpackBuiltIn,
                 bool noticesAsBoxes, void (*swap)(void* context), void* swapContext);
    // With the context still current: the model's drawing goes; a model still being
    // read is left to its thread when no other window waits for it.
    ~SaverSession();
    SaverSession(const SaverSession&) = delete;
    SaverSession& operator=(const SaverSession&) = delete;

    // The window's drawing area became width x height pixels (context current).
    void Resize(int width, int height);
    // With the context current: measures the time since the previous call and, unless
    // the request is paused (a display powered down, a password dialog open), draws one
    // frame (with the frame-rate text when asked) and reports the notices of a model
    // just taken. A notice's box runs its own message loop, in which the window and
    // this session may go: the caller touches neither after a frame of a run whose
    // notices are boxes.
    void Frame(const FrameRequest& request);

    SaverWindowState& drawing() { return drawing_; }
    const SaverWindowState& drawing() const { return drawing_; }

private:
    SaverWindowState drawing_;
    FrameTimer timer_;
};
