// The Linux XScreenSaver display mode's host: the X display, the window it draws in
// (the daemon's, one named by its ID, the root window or its own), the GLX context,
// the paced frame loop, and the end on SIGTERM, SIGINT or the window's going away.
// The application hands it its callbacks; this header needs no X11 header.
#pragma once
#include <string>

#include "host/frame_pacing.h"
#include "host/host_state.h"

// Exit codes of the display mode.
constexpr int kExitEnded = 0;       // ended by a signal, its window's close box or the window going away
constexpr int kExitCannotRun = 1;   // no display, no usable OpenGL visual, no such window
constexpr int kExitBadOption = 2;   // an unknown option or a value out of range

enum class DrawTarget {
    OwnWindow,  // an ordinary top-level window of the program's own
    Root,       // the screen's root window
    WindowId,   // the window `windowId` names ($XSCREENSAVER_WINDOW or -window-id)
};

struct X11RunOptions {
    DrawTarget target = DrawTarget::OwnWindow;
    unsigned long windowId = 0;
    std::string display;   // empty: $DISPLAY
    bool stencil = false;  // the drawing needs a stencil buffer (the blur trail)
    FrameRateLimit frameRate;    // the cap of the frames a second
    bool showFrameRate = false;  // the frame-rate text from the start (S and F4 toggle it)
};

// ---- Handed over by the application -----------------------------------------------
struct X11SaverCallbacks {
    // A rendering context is current on a drawable of the given size: builds the
    // scene. `windowed`: drawing in the program's own window, where someone is there
    // to read what it reports.
    void (*start)(int width, int height, bool windowed);
    // The drawable's size changed.
    void (*resize)(int width, int height);
    // At most one frame, as `request` asks; called when pacing allows.
    void (*idle)(const FrameRequest& request);
    // Before the context goes (still current): releases the scene.
    void (*stop)();
    // The connection to the X server broke: releases what would outlive the process
    // (files), touching nothing of the display. The process then ends at once with
    // kExitCannotRun, running no exit handler: a model may still be read on another
    // thread.
    void (*displayLost)();
};

// ---- Provided by the host ---------------------------------------------------------
// Opens the display, makes or adopts the window, runs the loop until a signal or the
// window's end, releases everything; the exit code. Frames are capped as
// options.frameRate says.
int RunX11Saver(const X11RunOptions& options, const X11SaverCallbacks& callbacks);
// Shows the finished frame of the running saver.
void SwapX11SaverBuffers();
