// One frame of the running saver.
#pragma once

// Clears, moves the scene one step, draws it (as a blurred trail when blur is on),
// the frame-rate text when it is shown, and swaps the buffers.
void DrawFrame();
