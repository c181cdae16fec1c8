#include "tools/modelinfo/json_text.h"

#include <cmath>
#include <cstdio>

// Names are 8-bit text of no particular encoding: bytes outside printable ASCII
// are escaped as the code points of the same value, so the output is valid JSON.
void AppendString(std::string& out, const char* text) {
    out += '"';
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c) {
        if (*c == '"' || *c == '\\') {
            out += '\\';
            out += static_cast<char>(*c);
        } else if (*c < 0x20 || *c >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", *c);
            out += escaped;
        } else {
            out += static_cast<char>(*c);
        }
    }
    out += '"';
}

// Nine significant digits give every 32-bit float back exactly; JSON has no
// NaN or infinity, so those print as null.
void AppendNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    out += text;
}

void AppendTriple(std::string& out, double x, double y, double z) {
    out += '[';
    AppendNumber(out, x);
    out += ',';
    AppendNumber(out, y);
    out += ',';
    AppendNumber(out, z);
    out += ']';
}
