// The saver application as the Windows host takes it: its callbacks, handed over by
// the entry point.
#pragma once
#include "host/win32_host.h"

// The lodge's start-up (the settings), window hook (the rendering context and the
// scene made on window creation, released on destruction), idle (one frame) and
// configuration dialog.
SaverCallbacks LodgeSaverCallbacks();

// The drawing state of a saver window between its creation and destruction; null for
// any other window.
struct SaverWindowState;
const SaverWindowState* SaverWindowStateOf(HWND window);
// Puts swap in place of the window's own buffer swap (a test reads the frame back
// first); SwapSaverWindowBuffers is the window's own.
void SetSaverSwap(HWND window, void (*swap)(void* context), void* context);
