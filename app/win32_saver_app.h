// The saver application as the Windows host takes it: its callbacks, handed over by
// the entry point.
#pragma once
#include "host/win32_host.h"

// The lodge's start-up (the settings), window hook (the rendering context and the
// scene made on window creation, released on destruction), idle (one frame) and
// configuration dialog.
SaverCallbacks LodgeSaverCallbacks();
