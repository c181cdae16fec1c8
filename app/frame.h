// One frame of a running saver window.
#pragma once

struct SaverWindowState;
class Scene;

// Takes the model being read once it is there (its notices left in
// state.pendingNotices for the caller to report after the frame), does one short
// piece of the GL work that makes it drawable, and until it is ready shows black. Then:
// clears, moves the scene on by the time since the previous frame (state.frameSeconds),
// draws it at the pose of this moment (as a blurred trail when the scene's settings
// turn blur on). The frame-rate text when showFrameRate; the buffers swapped.
void DrawFrame(SaverWindowState& state, bool showFrameRate);

// Starts the scene's motion from its start pose; the blur trail starts with every
// earlier pose at the scene's start place, unturned. Ends the motion of a previous scene.
void StartSceneMotion(SaverWindowState& state);
