// The host's process-wide record: what holds for every window of the run (its mode,
// the input that ends it, the frame-rate text switch). Written by the host only.
#pragma once
#include <cstdint>

struct ScreenPoint {
    int32_t x;
    int32_t y;
};

struct HostStateRecord {
    void* instance;          // module instance (HINSTANCE), set first thing by RunSaver
    bool previewMode;        // running as a child of another program's preview window
    bool windowedMode;       // running in an ordinary window
    bool closeArmed;         // a WM_CLOSE may end the saver; set by input, never cleared
    bool passwordDialogOpen;
    bool monitorPoweredDown;
    bool mouseMoveSeen;      // the first WM_MOUSEMOVE has arrived
    bool showFrameRate;      // toggled by the S and F4 keys
    ScreenPoint referenceCursor;
};

// All zero at process start.
extern HostStateRecord HostState;

// What the host asks of one frame of a window.
struct FrameRequest {
    bool paused = false;         // a display powered down or a password dialog open: draw nothing
    bool showFrameRate = false;  // the frame-rate text is drawn
};
// The request every window's frame gets now, from the run's flags.
FrameRequest CurrentFrameRequest();

// The S and F4 keys: the frame-rate text is shown or hidden.
void ToggleFrameRateText();
