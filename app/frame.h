// One frame of the running saver.
#pragma once

// Clears, moves the scene on by the time since the previous frame, draws it at the
// pose of this moment (as a blurred trail when blur is on), the frame-rate text when
// it is shown, and swaps the buffers.
void DrawFrame();

class Scene;
// Starts the scene's motion from its start pose; the blur trail starts with every
// earlier pose at the scene's start place, unturned. Ends the motion of a previous scene.
void StartSceneMotion(Scene& scene);
// Ends the scene's motion (before the scene goes).
void StopSceneMotion();
