// The fixed GL state of the saver's view, set once the rendering context is current.
#pragma once

// Viewport, depth test, back-face culling, black clear colour, and a 45-degree
// perspective looking at the scene's origin 400 units ahead; records the half sizes
// and the aspect ratio of the client area in state.
struct SaverWindowState;
void SetUpSceneView(SaverWindowState& state, int left, int top, int width, int height);

// A white directional light from the right, above and in front, with the current
// colour as the front faces' ambient and diffuse colour and a white specular colour;
// placed by the view's half sizes.
void SetUpLighting(const SaverWindowState& state);
