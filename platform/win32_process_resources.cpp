// Windows counts both itself (GetProcessHandleCount, GetGuiResources). Wine answers
// both with 0, so there the handles are counted in the system's handle list and the GDI
// objects in the process's GDI handle table, which is what Wine keeps them in.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/process_resources.h"

namespace {

// The layouts of NtQuerySystemInformation's SystemHandleInformation.
struct SystemHandleEntry {
    ULONG processId;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    void* object;
    ACCESS_MASK access;
};
struct SystemHandleList {
    ULONG count;
    SystemHandleEntry entries[1];
};
using QuerySystemInformation = LONG(WINAPI*)(ULONG infoClass, void* info, ULONG size, ULONG* needed);
using QueryProcessInformation = LONG(WINAPI*)(HANDLE process, ULONG infoClass, void* info, ULONG size, ULONG* needed);

void* NtdllFunction(const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name));
}
constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

unsigned long HandlesInSystemList() {
    auto query = reinterpret_cast<QuerySystemInformation>(NtdllFunction("NtQuerySystemInformation"));
    if (!query) return 0;
    std::vector<unsigned char> buffer(1 << 16);
    LONG status;
    while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), nullptr)) ==
               kInfoLengthMismatch &&
           buffer.size() < (256u << 20))
        buffer.resize(buffer.size() * 2);
    if (status != 0) return 0;
    const auto* list = reinterpret_cast<const SystemHandleList*>(buffer.data());
    const size_t room = (buffer.size() - offsetof(SystemHandleList, entries)) / sizeof(SystemHandleEntry);
    const DWORD self = GetCurrentProcessId();
    unsigned long count = 0;
    for (size_t i = 0; i < list->count && i < room; ++i)
        if (list->entries[i].processId == self) ++count;
    return count;
}

// An entry of the GDI handle table the process environment block points to (64-bit
// layout; the table's address is at 0xF8 in the block).
struct GdiHandleEntry {
    uint64_t object;
    uint32_t owner;
    uint16_t unique;
    uint8_t type;  // 0: a free entry
    uint8_t flags;
    uint64_t user;
};
constexpr size_t kPebGdiHandleTable = 0xF8;
constexpr size_t kGdiHandleTableEntries = 0x10000;

unsigned long GdiObjectsInHandleTable() {
    // ProcessBasicInformation: the exit status, then the environment block's address.
    struct BasicInformation {
        LONG exitStatus;
        const unsigned char* environmentBlock;
        ULONG_PTR rest[4];
    } basic{};
    auto query = reinterpret_cast<QueryProcessInformation>(NtdllFunction("NtQueryInformationProcess"));
    if (!query || query(GetCurrentProcess(), 0, &basic, sizeof basic, nullptr) != 0 || !basic.environmentBlock)
        return 0;
    const auto* table = *reinterpret_cast<const GdiHandleEntry* const*>(basic.environmentBlock + kPebGdiHandleTable);
    if (!table) return 0;
    unsigned long count = 0;
    for (size_t i = 0; i < kGdiHandleTableEntries; ++i)
        if (table[i].type != 0) ++count;
    return count;
}

}  // namespace

ProcessResources CountProcessResources() {
    ProcessResources counts;
    DWORD handles = 0;
    counts.handles = GetProcessHandleCount(GetCurrentProcess(), &handles) && handles ? handles : HandlesInSystemList();
    const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    counts.gdiObjects = gdi ? gdi : GdiObjectsInHandleTable();
    return counts;
}
