// The saver's pictures: the banner shown at the top of its dialogs and its icon.
#pragma once
#include <string>

#include "tools/assetgen/canvas.h"

// The saver's name on a wooden board against an evening sky with pines, in the
// given title font; false when the font cannot be read.
bool PaintBanner(const std::string& titleFont, Canvas& canvas);

// A log lodge with lit windows and a smoking chimney in a round badge; outside
// the badge the icon is transparent.
void PaintIcon(Canvas& canvas);
