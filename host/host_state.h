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
    bool frameRateFromDisplay;  // none stored: frames follow the display's refresh rate
};

// All zero at process start except the constant mouse threshold.
extern HostStateRecord HostState;

// Frames per second when the settings hold no usable "FrameRateLimit" and the system
// reports no refresh rate for the display.
constexpr uint32_t kDefaultFrameRateLimit = 60;

// The S and F4 keys: the frame-rate text is shown or hidden.
void ToggleFrameRateText();
