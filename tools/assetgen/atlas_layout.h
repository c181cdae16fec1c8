// Where each material of the lodge lies in its 512 x 512 texture, shared by the
// texture painter and the model builder. Rectangles are in image pixels, the
// top row first (the row order of the JPEG file).
#pragma once

constexpr int kTextureSize = 512;

struct PixelRect {
    int x0, y0, x1, y1;  // x1 and y1 exclusive
    int width() const { return x1 - x0; }
    int height() const { return y1 - y0; }
};

// Peeled log surface: along x the log's length, along y once around the log,
// from its top (image row y1, t = 0) round through its underside (mid-height) and
// back to the top (row y0, t = 1).
constexpr PixelRect kBarkRect{0, 0, 512, 128};
// Roof shingles in rows parallel to the eaves; the exposed butts face down.
constexpr PixelRect kShingleRect{0, 128, 256, 320};
// Coursed fieldstone with mortar joints.
constexpr PixelRect kStoneRect{256, 128, 512, 320};
// A sawn log end: growth rings inside a bark ring, inscribed in the square.
constexpr PixelRect kLogEndRect{0, 320, 128, 448};
// Boards running along x.
constexpr PixelRect kPlankRect{128, 320, 320, 448};
// A lit window with its painted frame, seen from outside.
constexpr PixelRect kWindowRect{320, 320, 416, 448};
// A plank door with its frame, hinges and handle.
constexpr PixelRect kDoorRect{416, 320, 512, 448};
// Painted trim boards, running along x.
constexpr PixelRect kTrimRect{0, 448, 256, 512};
// Cast chimney cap.
constexpr PixelRect kCapRect{256, 448, 384, 512};
// Soot inside the flue.
constexpr PixelRect kSootRect{384, 448, 512, 512};

// The log end's disc: centre and radius as fractions of its square.
constexpr double kLogEndDiscRadius = 0.46;
