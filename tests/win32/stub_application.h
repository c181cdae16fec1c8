// The application side of the host's callbacks for in-process host tests, handed to
// the host before any test runs: it records what reaches it and passes every message
// on, as the contract asks.
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "host/frame_pacing.h"

struct StubApplication {
    std::vector<UINT> hookMessages;
    int idleCalls = 0;
    HWND idleWindow = nullptr;  // the window of the last idle call
    // What the stand-in's settings give the host as the frame-rate limit.
    FrameRateLimit frameRate;
    // Runs inside the idle callback; lets a test act from within a running loop.
    std::function<void()> onIdle;
    // Runs on WM_CREATE before the message goes on, as the settings load does.
    std::function<void()> onCreate;

    void Reset() { *this = StubApplication(); }
    bool HookSaw(UINT message) const;
};

extern StubApplication Stub;
