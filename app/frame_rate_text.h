// The frame-rate text, formatted the same on every platform.
#pragma once
#include <string>

// A float as text the way a C++ stream prints it by default: six significant
// digits, fixed notation unless the decimal exponent is below -4 or above 5,
// trailing zeros and a trailing point dropped, exponents of at least two digits.
std::string FloatToDefaultText(float value);

// Counts a frame of `seconds`; every 20 frames `text` becomes "FPS = " and the
// rate over them. Returns true when the text changed.
bool CountFrameForRate(float seconds, float* accumulatedSeconds, int* frames, std::string* text);
