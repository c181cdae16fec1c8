// The screen saver command line: which run mode it selects.
#pragma once
#include <cstdint>

enum class RunMode {
    ConfigureNoOwner,     // empty line: configuration dialog without an owner
    ConfigureForeground,  // "c": configuration dialog owned by the foreground window
    FullScreen,           // "s"
    Preview,              // "p": draw inside the window whose handle follows
    Windowed,             // "w"
    ChangePassword,       // "a": the 9x password-change dialog
    Invalid,              // anything else: exit with -1
};

struct ModeChoice {
    RunMode mode;
    // For Preview: the text after the mode letter with the blanks after it skipped.
    const char* rest;
};

// Skips blanks, minus signs and slashes; the next character decides the mode.
ModeChoice SelectRunMode(const char* commandLine);

// The value of the leading decimal digits, wrapping at 32 bits; 0 when there are none.
int32_t ParseDecimal(const char* text);
