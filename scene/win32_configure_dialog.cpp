// The configuration dialog's procedure. There is no dialog template in the program
// yet, so the platform cannot create the dialog and the configuration modes end
// with -1; this procedure is never reached.
#include "host/win32_host.h"

INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}
