// The packed default model: RCDATA 503 of the program's module, unpacked into "TEMP".
#include <windows.h>

#include <string>

#include "host/host_state.h"
#include "host/trace.h"
#include "scene/unpack_default_model.h"

constexpr WORD kPackedModelResource = 503;

// The value of "TEMP", however long; empty when it is not set.
static std::string TempVariable() {
    std::string value(MAX_PATH, '\0');
    DWORD length = GetEnvironmentVariableA("TEMP", &value[0], static_cast<DWORD>(value.size()));
    if (length >= value.size()) {  // too small: the length needed, with the NUL
        value.assign(length, '\0');
        length = GetEnvironmentVariableA("TEMP", &value[0], length);
        if (length >= value.size()) length = 0;
    }
    value.resize(length);
    return value;
}

bool UnpackDefaultModel() {
    std::string folder = TempVariable();
    TraceF("Will extract zip file to %s", folder.c_str());
    // Without a usable TEMP nothing is written: the model path names TEMP, so copies
    // elsewhere would never be read, and they would replace any files of the same
    // names in whatever folder the process happens to stand in.
    if (folder.empty() || !SetCurrentDirectoryA(folder.c_str())) return false;

    HMODULE module = static_cast<HMODULE>(HostState.instance);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(kPackedModelResource), MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (!found) return false;
    DWORD size = SizeofResource(module, found);
    if (size == 0) return false;
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded) return false;
    const void* data = LockResource(loaded);
    if (!data) return false;
    return UnpackArchive(data, size);
}
