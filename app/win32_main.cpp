// The program's entry point: the host runs the mode the command line names, with the
// lodge's callbacks.
#include "app/win32_saver_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    return RunSaver(instance, commandLine, LodgeSaverCallbacks());
}
