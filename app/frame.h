// One frame of the running saver.
#pragma once

// Clears, moves the scene one step, draws it (as a blurred trail when blur is on),
// the frame-rate text when it is shown, and swaps the buffers.
void DrawFrame();

class Scene;
// Starts the motion-blur trail: every pose of the history at the scene's start place.
void StartBlurTrail(const Scene& scene);
