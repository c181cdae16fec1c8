// The Windows 95/98/Me screen saver password components, looked up by name at run
// time. NT-family systems handle the password themselves, so nothing is done there.
#include "host/host_state.h"
#include "host/win32_host.h"

static bool IsWindows9x() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return false;
    return version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

bool VerifySaverPassword(HWND window) {
    if (!IsWindows9x()) return true;
    HMODULE library = LoadLibraryA("PASSWORD.CPL");
    if (!library) return true;
    using VerifyProc = BOOL(WINAPI*)(HWND);
    auto verify = reinterpret_cast<VerifyProc>(reinterpret_cast<void*>(GetProcAddress(library, "VerifyScreenSavePwd")));
    if (!verify) {
        FreeLibrary(library);
        return true;
    }
    UINT previous = 0;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 1, &previous, 0);
    HostState.passwordDialogOpen = 1;
    BOOL mayClose = verify(window);
    HostState.passwordDialogOpen = 0;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 0, &previous, 0);
    FreeLibrary(library);
    return mayClose != FALSE;
}

void ChangeSaverPassword(HWND owner) {
    if (!IsWindows9x()) return;
    HMODULE library = LoadLibraryA("MPR.DLL");
    if (!library) return;
    using ChangeProc = DWORD(WINAPI*)(LPCSTR, HWND, UINT, UINT);
    auto change = reinterpret_cast<ChangeProc>(reinterpret_cast<void*>(GetProcAddress(library, "PwdChangePasswordA")));
    if (change) change("SCRSAVE", owner, 0, 0);
    FreeLibrary(library);
}
