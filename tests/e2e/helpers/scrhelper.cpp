// scrhelper: a small Windows console program that the end-to-end tests use where a
// Win32 call is the honest way to act: starting velmora.scr and reading its full
// 32-bit exit code, hosting a preview parent window, finding and messaging windows.
//
//   scrhelper run TIMEOUT_MS COMMAND_LINE...
//   scrhelper runenv TIMEOUT_MS NAME=VALUE COMMAND_LINE...   (the variable set for the child)
//   scrhelper preview TIMEOUT_MS HOLD_MS SCR [ARGS_BEFORE_HANDLE]
//   scrhelper find CLASS TITLE
//   scrhelper post CLASS TITLE MESSAGE WPARAM LPARAM
//   scrhelper controls TITLE     (the child controls of the dialog titled TITLE)
//   scrhelper version FILE       (the file's version resource and its string 1, as
//                                 Explorer and the Screen Saver Settings read them)
//
// Results are printed as "key=value" lines.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

static std::string JoinArguments(int argc, char** argv, int first) {
    std::string line;
    for (int i = first; i < argc; ++i) {
        if (i > first) line += ' ';
        line += argv[i];
    }
    return line;
}

static HANDLE Start(const std::string& commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string mutableLine = commandLine;
    if (!CreateProcessA(nullptr, &mutableLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::printf("error=CreateProcess %lu\n", GetLastError());
        return nullptr;
    }
    CloseHandle(process.hThread);
    std::printf("pid=%lu\n", process.dwProcessId);
    std::fflush(stdout);
    return process.hProcess;
}

// Waits for the process while pumping this thread's messages (a preview parent lives here).
static bool WaitPumping(HANDLE process, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return false;
        DWORD r = MsgWaitForMultipleObjects(1, &process, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) return true;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

static int Finish(HANDLE process, DWORD timeoutMs) {
    if (!WaitPumping(process, timeoutMs)) {
        std::printf("timeout=1\n");
        TerminateProcess(process, 0xDEAD);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
        return 3;
    }
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    std::printf("exit=%ld\nexit_hex=0x%08lX\n", static_cast<long>(static_cast<LONG>(code)), code);
    CloseHandle(process);
    return 0;
}

static int Run(int argc, char** argv) {
    if (argc < 4) return 2;
    HANDLE process = Start(JoinArguments(argc, argv, 3));
    if (!process) return 1;
    return Finish(process, std::strtoul(argv[2], nullptr, 10));
}

static int RunWithVariable(int argc, char** argv) {
    if (argc < 5) return 2;
    std::string assignment = argv[3];
    size_t equals = assignment.find('=');
    if (equals == std::string::npos) return 2;
    SetEnvironmentVariableA(assignment.substr(0, equals).c_str(), assignment.substr(equals + 1).c_str());
    HANDLE process = Start(JoinArguments(argc, argv, 4));
    if (!process) return 1;
    return Finish(process, std::strtoul(argv[2], nullptr, 10));
}

static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

// Creates a 320 x 240 preview parent, starts "SCR /p HANDLE", keeps it HOLD_MS, reports
// the saver's child window, destroys the parent and reports the saver's exit code.
static int Preview(int argc, char** argv) {
    if (argc < 5) return 2;
    DWORD timeoutMs = std::strtoul(argv[2], nullptr, 10);
    DWORD holdMs = std::strtoul(argv[3], nullptr, 10);
    std::string prefix = argc > 5 ? JoinArguments(argc, argv, 5) : std::string("/p");

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ParentProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    windowClass.lpszClassName = "ScrHelperPreviewParent";
    RegisterClassA(&windowClass);
    RECT frame = {0, 0, 320, 240};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND parent = CreateWindowExA(0, windowClass.lpszClassName, "Preview Parent",
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 600, 40,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    std::printf("parent=%lld\n", static_cast<long long>(reinterpret_cast<INT_PTR>(parent)));

    char handle[32];
    std::snprintf(handle, sizeof handle, "%lld", static_cast<long long>(reinterpret_cast<INT_PTR>(parent)));
    HANDLE process = Start(std::string(argv[4]) + " " + prefix + handle);
    if (!process) return 1;

    bool endedEarly = WaitPumping(process, holdMs);
    HWND child = FindWindowExA(parent, nullptr, "WindowsScreenSaverClass", "Screensaver Preview");
    std::printf("ended_early=%d\nchild=%d\n", endedEarly ? 1 : 0, child ? 1 : 0);
    if (child) {
        RECT client;
        GetClientRect(child, &client);
        LONG style = GetWindowLongA(child, GWL_STYLE);
        std::printf("child_size=%ldx%ld\nchild_style=0x%08lX\n", client.right, client.bottom,
                    static_cast<unsigned long>(style));
    }
    std::fflush(stdout);
    DestroyWindow(parent);
    return Finish(process, timeoutMs);
}

static int Find(int argc, char** argv) {
    if (argc < 4) return 2;
    int count = 0;
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, argv[2], argv[3])) != nullptr) ++count;
    std::printf("count=%d\n", count);
    return 0;
}

static int Post(int argc, char** argv) {
    if (argc < 7) return 2;
    HWND window = FindWindowA(argv[2], argv[3]);
    std::printf("found=%d\n", window ? 1 : 0);
    if (window)
        PostMessageA(window, static_cast<UINT>(std::strtoul(argv[4], nullptr, 0)),
                     static_cast<WPARAM>(std::strtoull(argv[5], nullptr, 0)),
                     static_cast<LPARAM>(std::strtoll(argv[6], nullptr, 0)));
    return 0;
}

// One line a child control of a dialog: "control.N=id|class|left|top|right|bottom|
// text width|text height|text", the rectangle on the screen and the size its text needs
// in the dialog's font (line breaks shown as \\n).
static BOOL CALLBACK ReportControl(HWND control, LPARAM counter) {
    int& index = *reinterpret_cast<int*>(counter);
    char className[64] = {}, text[256] = {};
    GetClassNameA(control, className, sizeof className);
    // A picture control's text is its resource ordinal, not text.
    const bool picture = (GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP &&
                         !lstrcmpiA(className, "Static");
    // WM_GETTEXT, not GetWindowText: across processes only the message reaches an edit
    // control's own text.
    DWORD_PTR copied = 0;
    if (!picture)
        SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                            &copied);
    RECT box;
    GetWindowRect(control, &box);
    // The dialog's own font handle belongs to its process, so the same font is made
    // here the way the dialog manager makes it: the template's face at 8 points.
    RECT needed = {0, 0, 0, 0};
    HDC dc = GetDC(control);
    LOGFONTA face = {};
    face.lfHeight = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
    face.lfCharSet = DEFAULT_CHARSET;
    lstrcpyA(face.lfFaceName, "MS Sans Serif");
    HFONT font = CreateFontIndirectA(&face);
    HGDIOBJ previous = SelectObject(dc, font);
    if (text[0]) DrawTextA(dc, text, -1, &needed, DT_CALCRECT | DT_NOPREFIX);
    SelectObject(dc, previous);
    DeleteObject(font);
    ReleaseDC(control, dc);
    std::string shown;
    for (const char* c = text; *c; ++c) shown += *c == '\n' ? std::string("\\n") : std::string(1, *c);
    std::printf("control.%d=%d|%s|%ld|%ld|%ld|%ld|%ld|%ld|%s\n", index++, GetDlgCtrlID(control), className,
                box.left, box.top, box.right, box.bottom, needed.right, needed.bottom, shown.c_str());
    return TRUE;
}

static int Controls(int argc, char** argv) {
    if (argc < 3) return 2;
    HWND dialog = FindWindowA("#32770", argv[2]);
    std::printf("found=%d\n", dialog ? 1 : 0);
    if (!dialog) return 0;
    RECT box;
    GetWindowRect(dialog, &box);
    std::printf("dialog=%ld|%ld|%ld|%ld\n", box.left, box.top, box.right, box.bottom);
    int index = 0;
    EnumChildWindows(dialog, ReportControl, reinterpret_cast<LPARAM>(&index));
    std::printf("controls=%d\n", index);
    return 0;
}

static std::string VersionText(const std::vector<char>& info, const char* name) {
    char* text = nullptr;
    UINT length = 0;
    std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) || !text) return "";
    return std::string(text, strnlen(text, length));
}

static int Version(int argc, char** argv) {
    if (argc < 3) return 2;
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(argv[2], &ignored);
    std::printf("has_version=%d\n", size ? 1 : 0);
    if (size) {
        std::vector<char> info(size);
        GetFileVersionInfoA(argv[2], 0, size, info.data());
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        if (VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
            std::printf("file_version=%d.%d.%d.%d\n", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                        HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
            std::printf("product_version_number=%d.%d.%d.%d\n", HIWORD(fixed->dwProductVersionMS),
                        LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS),
                        LOWORD(fixed->dwProductVersionLS));
        }
        for (const char* name : {"ProductName", "ProductVersion", "FileVersion", "FileDescription", "LegalCopyright"})
            std::printf("%s=%s\n", name, VersionText(info, name).c_str());
    }
    HMODULE module = LoadLibraryExA(argv[2], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    char description[256] = {};
    if (module) LoadStringA(module, 1, description, sizeof description);
    std::printf("string1=%s\n", description);
    if (module) FreeLibrary(module);
    return 0;
}

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc >= 2) {
        if (!std::strcmp(argv[1], "run")) return Run(argc, argv);
        if (!std::strcmp(argv[1], "runenv")) return RunWithVariable(argc, argv);
        if (!std::strcmp(argv[1], "preview")) return Preview(argc, argv);
        if (!std::strcmp(argv[1], "find")) return Find(argc, argv);
        if (!std::strcmp(argv[1], "post")) return Post(argc, argv);
        if (!std::strcmp(argv[1], "controls")) return Controls(argc, argv);
        if (!std::strcmp(argv[1], "version")) return Version(argc, argv);
    }
    std::fprintf(stderr, "usage: scrhelper run|runenv|preview|find|post|controls|version ...\n");
    return 2;
}
