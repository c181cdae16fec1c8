// Trace messages go to the debugger output, where DebugView (or Wine's
// WINEDEBUG=+debugstr) shows them.
#include <windows.h>

#include "platform/trace.h"

void PlatformTrace(const char* message) {
    OutputDebugStringA(message);
}
