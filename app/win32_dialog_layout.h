// Fitting a dialog's labels to the font the system actually gives it.
#pragma once
#include <windows.h>

// Widens every left-aligned static label with id `labelId` whose text is wider than
// the label, up to its text or to the next control to its right on the same line,
// whichever comes first. Dialog layouts are drawn for one font's widths; where the
// system's font for the face runs wider, a label would otherwise wrap its last word
// out of sight.
void WidenClippedLabels(HWND dialog, int labelId);
