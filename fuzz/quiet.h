// Fuzz targets run millions of inputs: the readers' message boxes and traces go
// nowhere, so only a crash or a sanitizer report stops a run.
#pragma once
#include "host/message_box.h"
#include "platform/trace.h"

inline void SilenceReaders() {
    static const bool silenced = [] {
        SetMessageBoxSink([](const char*, const char*) {});
        SetTraceSink([](const char*) {});
        return true;
    }();
    (void)silenced;
}
