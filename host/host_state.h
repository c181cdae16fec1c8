// The host's process-wide record: run mode flags, input state and pacing limit.
#pragma once
#include <cstdint>

struct ScreenPoint {
    int32_t x;
    int32_t y;
};

struct HostStateRecord {
    void* instance;          // module instance (HINSTANCE), set first thing by RunSaver
    void* saverWindow;       // the saver window (HWND) once created
    bool previewMode;        // running as a child of another program's preview window
    bool windowedMode;       // running in an ordinary window
    bool closeArmed;         // a WM_CLOSE may end the saver; set by input, never cleared
    bool passwordDialogOpen;
    bool monitorPoweredDown;
    bool mouseMoveSeen;      // the first WM_MOUSEMOVE has arrived
    bool showFrameRate;      // toggled by the S and F4 keys
    ScreenPoint referenceCursor;
    int32_t mouseMoveThreshold;
    uint32_t frameRateLimit; // frames per second, 0 = unpaced
};

// All zero at process start except the constant mouse threshold.
extern HostStateRecord HostState;

// Frames per second when the settings hold no usable "FrameRateLimit": the pace of
// the model's motion, which moves a fixed step a frame, on any machine fast enough.
constexpr uint32_t kDefaultFrameRateLimit = 60;
