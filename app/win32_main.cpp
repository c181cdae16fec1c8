// The program's entry point: the host runs the mode the command line names, with the
// lodge's callbacks.
#include <cstdlib>

#include "app/background_job.h"
#include "app/win32_saver_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    const int code = RunSaver(instance, commandLine, LodgeSaverCallbacks());
    // A model or a summary still being read when the run ended: end at once, without
    // the exit handlers that its thread could still meet.
    if (AnyBackgroundJobAbandoned()) std::_Exit(code);
    return code;
}
