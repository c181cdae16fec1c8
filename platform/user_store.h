// The per-user store of settings values (32-bit numbers and text): the registry
// under HKEY_CURRENT_USER on Windows, a plain name=value file elsewhere.
#pragma once
#include <cstdint>
#include <string>

struct UserStoreKey;

// Opens an existing key for reading; null when it does not exist or cannot be read.
UserStoreKey* OpenUserKeyForReading(const char* keyPath);
// Opens the key for writing, creating it when needed; null on failure.
UserStoreKey* CreateUserKeyForWriting(const char* keyPath);
// True only when the value exists, is a number (REG_DWORD, or 4 bytes of REG_BINARY)
// and holds exactly 4 bytes; a value of another type is traced and ignored.
bool ReadUserValue(UserStoreKey* key, const char* name, uint32_t* value);
// Writes a 4-byte DWORD value; false when the store refused it.
bool WriteUserValue(UserStoreKey* key, const char* name, uint32_t value);
// True only when the value exists and is text (REG_SZ), read with the wide calls and
// given as UTF-8.
bool ReadUserText(UserStoreKey* key, const char* name, std::string* text);
// Writes a text value (REG_SZ) from UTF-8; false when the store refused it (the file
// store takes no line breaks).
bool WriteUserText(UserStoreKey* key, const char* name, const std::string& text);
// Removes one value; true when it is gone (or never was).
bool DeleteUserValue(UserStoreKey* key, const char* name);
// Removes a key and its values (tests and clean-up); true when it is gone.
bool DeleteUserKey(const char* keyPath);
// Closes the key (and, for the file store, saves what was written).
void CloseUserKey(UserStoreKey* key);

// A seam for tests of what happens when the store refuses a write (a policy-locked
// key, a full disk): while a filter is set, a value it answers false for is not
// written and WriteUserValue fails. Null removes the filter; returns the previous one.
using UserValueWriteFilter = bool (*)(const char* name);
UserValueWriteFilter SetUserValueWriteFilter(UserValueWriteFilter filter);
// False when the filter refuses the value; the stores ask before every write.
bool UserValueWriteAllowed(const char* name);
