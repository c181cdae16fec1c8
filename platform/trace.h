// The trace hook: short step messages for a developer watching a debug log.
// No behaviour depends on them.
#pragma once

using TraceSink = void (*)(const char* message);

void Trace(const char* message);
// printf-style form; the message is cut at 1023 characters.
void TraceF(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Replaces where messages go (tests capture them); returns the previous sink.
TraceSink SetTraceSink(TraceSink sink);
// The platform's own destination: the debugger output on Windows.
void PlatformTrace(const char* message);
