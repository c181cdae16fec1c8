#include "platform/trace.h"

#include <cstdarg>
#include <cstdio>

static TraceSink currentSink = PlatformTrace;

void Trace(const char* message) {
    if (currentSink) currentSink(message);
}

void TraceF(const char* format, ...) {
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    Trace(message);
}

TraceSink SetTraceSink(TraceSink sink) {
    TraceSink previous = currentSink;
    currentSink = sink;
    return previous;
}
