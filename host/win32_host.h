// The Windows host: run modes, the saver window and its message handling, and the
// callbacks that the application supplies.
#pragma once
#include <windows.h>

#include "resources/resource_ids.h"

// ---- Supplied by the application -------------------------------------------------
// Called by the entry point before the command line is looked at: loads the settings.
void SaverStartup();
// Sees every message the host does not consume; passes each one on to
// DefaultSaverProc and returns its result. Loads the settings again and builds the scene on
// WM_CREATE, releases it on WM_DESTROY.
LRESULT CALLBACK SaverWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// At most one frame; called by the loops when the queue is empty and pacing allows.
void SaverIdle();
// The configuration dialog's procedure (template 7001); ends the dialog with the exit code.
INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// ---- Provided by the host ---------------------------------------------------------
constexpr const char* kSaverClassName = "WindowsScreenSaverClass";
constexpr int kConfigDialogId = IDD_CONFIGURE;
// Exit code of an unusable command line, an unusable preview handle, or a run whose
// window could not be made.
constexpr int kExitFailure = -1;

// Full screen without a parent, preview inside `parent` otherwise; the exit code.
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

LRESULT CALLBACK SaverClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A preview handle as 64-bit Windows expects it: the 32-bit value sign-extended.
inline HWND WindowFromDecimal(int value) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(value)); }
