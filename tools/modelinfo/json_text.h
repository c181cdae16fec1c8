// JSON text pieces for modelinfo's output.
#pragma once
#include <cstdint>
#include <string>

// A string; bytes outside printable ASCII are escaped as code points of the same value.
void AppendString(std::string& out, const char* text);
// Nine significant digits (every float back exactly); null for NaN and infinities.
void AppendNumber(std::string& out, double value);
void AppendTriple(std::string& out, double x, double y, double z);

// ,"name":[each(0),each(1),...] over `count` items, or [] when the array is absent.
template <typename Each>
void AppendArray(std::string& out, const char* name, int32_t count, bool present, Each each) {
    out += ",\"";
    out += name;
    out += "\":[";
    for (int32_t i = 0; present && i < count; ++i) {
        if (i) out += ',';
        each(i);
    }
    out += ']';
}
