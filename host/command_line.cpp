#include "host/command_line.h"

ModeChoice SelectRunMode(const char* commandLine) {
    const char* p = commandLine;
    while (*p == ' ' || *p == '-' || *p == '/') ++p;

    // Bytes are compared as signed characters: anything of 0x80 and above matches no letter.
    const signed char c = static_cast<signed char>(*p);
    switch (c) {
        case '\0': return {RunMode::ConfigureNoOwner, p};
        case 'c': case 'C': return {RunMode::ConfigureForeground, p + 1};
        case 's': case 'S': return {RunMode::FullScreen, p + 1};
        case 'w': case 'W': return {RunMode::Windowed, p + 1};
        case 'a': case 'A': return {RunMode::ChangePassword, p + 1};
        case 'p': case 'P': {
            const char* rest = p + 1;
            while (*rest == ' ') ++rest;
            return {RunMode::Preview, rest};
        }
        default: return {RunMode::Invalid, p};
    }
}

int32_t ParseDecimal(const char* text) {
    uint32_t value = 0;  // unsigned, so the wrap-around is defined
    for (const char* p = text; *p >= '0' && *p <= '9'; ++p) value = value * 10u + static_cast<uint32_t>(*p - '0');
    return static_cast<int32_t>(value);
}
