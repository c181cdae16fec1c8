// The packed default model: RCDATA 503 of the program's module, unpacked into the
// temporary folder the model is read from.
#include <windows.h>

#include "app/unpack_default_model.h"
#include "archive/unpack_archive.h"
#include "host/host_state.h"
#include "platform/trace.h"
#include "resources/resource_ids.h"

bool UnpackDefaultModel(const char* folder) {
    TraceF("Will extract zip file to %s", folder);
    // Without a usable folder nothing is written: the model is read from there, so
    // copies elsewhere would never be read, and they would replace any files of the
    // same names in whatever folder the process happens to stand in.
    if (!*folder || !SetCurrentDirectoryA(folder)) return false;

    HMODULE module = static_cast<HMODULE>(HostState.instance);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDR_PACKED_MODEL), MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (!found) return false;
    DWORD size = SizeofResource(module, found);
    if (size == 0) return false;
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded) return false;
    const void* data = LockResource(loaded);
    if (!data) return false;
    return UnpackArchive(data, size);
}
