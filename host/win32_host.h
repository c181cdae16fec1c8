// The Windows host: run modes, the saver window and its message handling, and the
// callbacks that the application hands it.
#pragma once
#include <windows.h>

#include "host/frame_pacing.h"
#include "host/host_state.h"
#include "host/monitor_plan.h"
#include "resources/resource_ids.h"

// What a saver window is made for, as its WM_CREATE carries it (CREATESTRUCT's
// lpCreateParams; null for a window the host did not make).
enum class SaverSurfaceKind { Monitor, Preview, Windowed };
struct SaverSurface {
    SaverSurfaceKind kind;
    bool drawsLodge;  // false: a monitor left black, whose window only takes input
};

// ---- Handed over by the application -----------------------------------------------
// The application's side of the saver, handed to the host by the entry point: the
// host calls nothing of the application's by name.
struct SaverCallbacks {
    // Before the command line is looked at: loads the settings.
    void (*startup)();
    // Sees every message the host does not consume; passes each one on to
    // DefaultSaverProc and returns its result. Loads the settings again and builds the
    // scene on WM_CREATE, releases it on WM_DESTROY.
    WNDPROC windowHook;
    // At most one frame of the saver window, as `request` asks (nothing while paused);
    // called by the loop when the queue is empty and the window's pacing allows.
    void (*idle)(HWND window, const FrameRequest& request);
    // The configuration dialog's procedure (template 7001); ends the dialog with the
    // exit code.
    DLGPROC configureDialog;
    // Where a full-screen run puts its windows, as the settings say; null: Each.
    MonitorLayout (*monitorLayout)();
    // The frame-rate limit the settings last loaded ask for (every window's creation
    // loads them); null: none stored (the display's rate).
    FrameRateLimit (*frameRateLimit)();
};

// ---- Provided by the host ---------------------------------------------------------
// The entry point's work: keeps the instance and the callbacks, runs the application's
// start-up, then the mode the command line names. Returns the exit code.
int RunSaver(HINSTANCE instance, const char* commandLine, const SaverCallbacks& callbacks);
// Hands the callbacks to the host's windows, loops and dialog (RunSaver does; an
// in-process test does it itself).
void UseSaverCallbacks(const SaverCallbacks& callbacks);
// The callbacks the host was handed.
const SaverCallbacks& HandedCallbacks();

constexpr const char* kSaverClassName = "WindowsScreenSaverClass";
constexpr int kConfigDialogId = IDD_CONFIGURE;
// Exit code of an unusable command line, an unusable preview handle, or a run whose
// window could not be made.
constexpr int kExitFailure = -1;

// Full screen without a parent (a window on each monitor, as the application's
// monitorLayout says), preview inside `parent` otherwise; the exit code.
int RunSaverWindow(HWND parent);
// A run in an ordinary window; the exit code.
int RunWindowed();
// Parses the preview parent's handle from `text` and runs inside it; -1 when unusable.
int RunPreview(const char* text);
// The configuration dialog, modal; its result, or -1 when it cannot be created.
int ShowConfigDialog(HWND owner);
// The 9x password-change dialog, where the platform has one.
void ChangeSaverPassword(HWND owner);
// True when the saver may close (always on NT-family systems).
bool VerifySaverPassword(HWND window);

// A saver window's OpenGL: its pixel format (with a stencil buffer when `stencil`),
// rendering context, swap interval 1 where the driver offers it; current once made.
// False when the window can have no OpenGL. The host makes it current before every
// message and frame it hands the application, and releases it after the window's
// WM_DESTROY has reached the application.
bool MakeSaverWindowGl(HWND window, bool stencil);
bool MakeSaverWindowGlCurrent(HWND window);
// Shows the window's finished frame.
void SwapSaverWindowBuffers(HWND window);
void ReleaseSaverWindowGl(HWND window);

LRESULT CALLBACK SaverClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A preview handle as 64-bit Windows expects it: the 32-bit value sign-extended.
inline HWND WindowFromDecimal(int value) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(value)); }
