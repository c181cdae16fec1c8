#include "platform/trace.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

// Models are read on threads of their own, which trace too.
static std::atomic<TraceSink> currentSink{PlatformTrace};

void Trace(const char* message) {
    if (TraceSink sink = currentSink.load()) sink(message);
}

void TraceF(const char* format, ...) {
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    Trace(message);
}

TraceSink SetTraceSink(TraceSink sink) { return currentSink.exchange(sink); }
