#include "app/frame_rate_text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Drops trailing zeros of a fraction, and the point itself when nothing follows it.
void TrimFraction(std::string* digits) {
    if (digits->find('.') == std::string::npos) return;
    while (!digits->empty() && digits->back() == '0') digits->pop_back();
    if (!digits->empty() && digits->back() == '.') digits->pop_back();
}

}  // namespace

std::string FloatToDefaultText(float value) {
    const int precision = 6;
    const double v = value;
    char buffer[64];
    // The exponent as scientific notation with six significant digits rounds it. The
    // runtime libraries agree on the digits; only their exponent widths differ, so
    // the exponent is written here.
    std::snprintf(buffer, sizeof buffer, "%.*e", precision - 1, v);
    const char* e = std::strchr(buffer, 'e');
    if (!e) return buffer;  // inf or nan
    int exponent = std::atoi(e + 1);
    if (exponent < -4 || exponent >= precision) {
        std::string mantissa(buffer, static_cast<size_t>(e - buffer));
        TrimFraction(&mantissa);
        char tail[16];
        std::snprintf(tail, sizeof tail, "e%c%02d", exponent < 0 ? '-' : '+', exponent < 0 ? -exponent : exponent);
        return mantissa + tail;
    }
    std::snprintf(buffer, sizeof buffer, "%.*f", precision - 1 - exponent, v);
    std::string fixed(buffer);
    TrimFraction(&fixed);
    return fixed;
}

bool CountFrameForRate(float seconds, float* accumulatedSeconds, int* frames, std::string* text) {
    *accumulatedSeconds += seconds;
    *frames += 1;
    if (*frames < 20) return false;
    float figure = 20.0f / *accumulatedSeconds;
    *text = "FPS = " + FloatToDefaultText(figure);
    *accumulatedSeconds = 0.0f;
    *frames = 0;
    return true;
}
