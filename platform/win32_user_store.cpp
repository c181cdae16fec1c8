// The per-user store on Windows: REG_DWORD and REG_SZ values under HKEY_CURRENT_USER.
#include <windows.h>

#include "platform/little_endian.h"
#include "platform/user_store.h"
#include "platform/trace.h"
#include "platform/win32_utf8.h"

static HKEY AsKey(UserStoreKey* key) { return reinterpret_cast<HKEY>(key); }

UserStoreKey* OpenUserKeyForReading(const char* keyPath) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return nullptr;
    return reinterpret_cast<UserStoreKey*>(key);
}

UserStoreKey* CreateUserKeyForWriting(const char* keyPath) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return reinterpret_cast<UserStoreKey*>(key);
}

bool ReadUserValue(UserStoreKey* key, const char* name, uint32_t* value) {
    BYTE data[4];
    DWORD size = sizeof data;
    DWORD type = REG_NONE;
    // A longer value fails with ERROR_MORE_DATA (its type is still told).
    const LONG result = RegQueryValueExA(AsKey(key), name, nullptr, &type, data, &size);
    if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) return false;
    // Only numbers count: a DWORD, or four bytes of binary as older tools write them.
    // Text typed by hand ("120") would otherwise be read as its character codes.
    if (type != REG_DWORD && type != REG_BINARY) {
        TraceF("Registry value %s is not a DWORD: ignored", name);
        return false;
    }
    // A shorter value is treated as missing rather than read as a partial number.
    if (result != ERROR_SUCCESS || size != sizeof data) return false;
    *value = LittleEndian32(data);
    return true;
}

bool WriteUserValue(UserStoreKey* key, const char* name, uint32_t value) {
    if (!UserValueWriteAllowed(name)) return false;
    DWORD data = value;
    return RegSetValueExA(AsKey(key), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
}

bool ReadUserText(UserStoreKey* key, const char* name, std::string* text) {
    const std::wstring wideName = WideFromUtf8(name);
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExW(AsKey(key), wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != REG_SZ) {
        TraceF("Registry value %s is not text: ignored", name);
        return false;
    }
    // Room for the text and a terminator the value may lack; a value that grew in
    // between is read on the next start.
    std::wstring wide(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(wide.size() * sizeof(wchar_t));
    if (RegQueryValueExW(AsKey(key), wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(wide.data()),
                         &got) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    wide.resize(got / sizeof(wchar_t));
    while (!wide.empty() && wide.back() == L'\0') wide.pop_back();
    *text = Utf8FromWide(wide);
    return true;
}

bool WriteUserText(UserStoreKey* key, const char* name, const std::string& text) {
    if (!UserValueWriteAllowed(name)) return false;
    const std::wstring wide = WideFromUtf8(text);
    const DWORD bytes = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(AsKey(key), WideFromUtf8(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(wide.c_str()), bytes) == ERROR_SUCCESS;
}

bool DeleteUserValue(UserStoreKey* key, const char* name) {
    if (!UserValueWriteAllowed(name)) return false;
    const LONG result = RegDeleteValueW(AsKey(key), WideFromUtf8(name).c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

void CloseUserKey(UserStoreKey* key) {
    if (key) RegCloseKey(AsKey(key));
}

bool DeleteUserKey(const char* keyPath) {
    LONG result = RegDeleteKeyA(HKEY_CURRENT_USER, keyPath);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}
