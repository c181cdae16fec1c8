// The saver application as the X11 display-mode host takes it: its callbacks.
#pragma once
#include "host/x11_host.h"

// The lodge's start (the scene, the font, the default model unpacked into a private
// folder and the model loaded), resize, idle (one frame) and stop. The settings are
// what the command line made of the defaults.
X11SaverCallbacks LodgeX11SaverCallbacks();
