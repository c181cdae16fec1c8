// Off Windows there is no debugger output: trace to standard error only when
// VELMORA_TRACE is set, so tools and tests stay quiet by default.
#include <cstdio>
#include <cstdlib>

#include "platform/trace.h"

void PlatformTrace(const char* message) {
    static const bool enabled = std::getenv("VELMORA_TRACE") != nullptr;
    if (enabled) std::fprintf(stderr, "%s\n", message);
}
