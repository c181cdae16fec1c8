// Fuzz targets run millions of inputs: the readers' traces go nowhere, so only a
// crash or a sanitizer report stops a run.
#pragma once
#include "platform/trace.h"

inline void SilenceReaders() {
    static const bool silenced = [] {
        SetTraceSink([](const char*) {});
        return true;
    }();
    (void)silenced;
}
