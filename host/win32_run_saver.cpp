// The host's entry: the first significant character of the command line picks the mode.
#include "host/command_line.h"
#include "host/host_state.h"
#include "host/win32_host.h"

int RunSaver(HINSTANCE instance, const char* commandLine, const SaverCallbacks& callbacks) {
    HostState.instance = instance;
    UseSaverCallbacks(callbacks);
    callbacks.startup();
    ModeChoice choice = SelectRunMode(commandLine);
    switch (choice.mode) {
        case RunMode::ConfigureNoOwner: return ShowConfigDialog(nullptr);
        case RunMode::ConfigureForeground: return ShowConfigDialog(GetForegroundWindow());
        case RunMode::FullScreen: return RunSaverWindow(nullptr);
        case RunMode::Preview: return RunPreview(choice.rest);
        case RunMode::Windowed: return RunWindowed();
        case RunMode::ChangePassword: ChangeSaverPassword(nullptr); return kExitFailure;
        case RunMode::Invalid: break;
    }
    return kExitFailure;
}
