// Run modes that wrap the saver window: the preview handle and the configuration dialog.
#include "host/command_line.h"
#include "host/host_state.h"
#include "host/win32_host.h"

int RunPreview(const char* text) {
    int value = ParseDecimal(text);
    HWND parent = WindowFromDecimal(value);
    if (value == 0 || !IsWindow(parent)) return kExitFailure;
    return RunSaverWindow(parent);
}

int ShowConfigDialog(HWND owner) {
    return static_cast<int>(DialogBoxParamA(static_cast<HINSTANCE>(HostState.instance),
                                            MAKEINTRESOURCEA(kConfigDialogId), owner,
                                            HandedCallbacks().configureDialog, 0));
}
